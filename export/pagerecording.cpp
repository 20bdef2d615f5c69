#include "pagerecording.h"

#include "gdi/pageplacement.h"
#include "print/tprinter.h"

#include <cmath>

namespace kv {

namespace {

void playPageFile(HDC recording, const QString& pageFile, bool wmfPage, const gdi::DeviceCaps& printer)
{
    if (wmfPage) {
        const HMETAFILE hmf = GETMETAFILE(pageFile);
        if (hmf != 0) {
            PLAYMETAFILE(recording, hmf);
            DELETEMETAFILE(hmf);
        }
        return;
    }
    const HENHMETAFILE page = GETENHMETAFILE(pageFile);
    if (page == 0)
        return;
    const gdi::EmfHeader& header = pictureOf(page)->header;
    const QRectF r = gdi::printerPlayRect(header, printer);
    gdi::Dc* dc = dcFromHandle(recording);
    // A page of another program is its frame: ink it puts beyond the frame is not on its
    // sheet, and the recording (whose frame grows with what is drawn) must not grow with it.
    const bool clipToFrame = !gdi::placePage(header, printer).asRecorded;
    if (clipToFrame) {
        dc->saveDc();
        dc->intersectClipRect(gdi::RectL{int32_t(std::floor(r.left())), int32_t(std::floor(r.top())),
                                         int32_t(std::ceil(r.right())), int32_t(std::ceil(r.bottom()))});
    }
    PLAYENHMETAFILE(recording, page, {r.left(), r.top(), r.right(), r.bottom()});
    if (clipToFrame)
        dc->restoreDc(-1);
    DELETEENHMETAFILE(page);
}

} // namespace

HENHMETAFILE recordPageForExport(TPrinter& device, const QString& pageFile, bool wmfPage)
{
    const HDC recording = CREATEENHMETAFILE(device.hDC, std::nullopt, 0, QString());
    if (recording == 0)
        return 0;
    const HDC previousOut = device.hDCOut;
    device.hDCOut = recording;
    playPageFile(recording, pageFile, wmfPage, capsOf(device.hDC));
    // The blank puts the recording's corner at the printable area's corner, whatever the page drew.
    dcFromHandle(recording)->extTextOut(0, 0, 0, nullptr, u" ");
    const HENHMETAFILE recorded = CLOSEENHMETAFILE(recording);
    device.hDCOut = previousOut;
    return recorded;
}

} // namespace kv
