#include "pageprinting.h"

#include "gdi/pageplacement.h"
#include "pageview/pageloader.h"
#include "print/printjob.h"

namespace kv {

void playPlaced(HDC hdc, HENHMETAFILE meta, const gdi::DeviceCaps& printer)
{
    const gdi::PicturePtr picture = pictureOf(meta);
    if (!picture)
        return;
    const QRectF r = gdi::printerPlayRect(picture->header, printer);
    PLAYENHMETAFILE(hdc, meta, {r.left(), r.top(), r.right(), r.bottom()});
}

void printPageFile(HDC hdc, const QString& file, const gdi::DeviceCaps& printer)
{
    StartPage(hdc);
    const HENHMETAFILE meta = loadPageAsEmf(file, isWmfPageFile(file), 0);
    playPlaced(hdc, meta, printer);
    if (meta != 0)
        DELETEENHMETAFILE(meta);
    EndPage(hdc);
}

} // namespace kv
