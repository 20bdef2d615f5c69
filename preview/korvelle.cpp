#include "korvelle.h"

#include "devicebridge.h"
#include "gdi/metafileapi.h"
#include "gdi/player.h"
#include "lang/kvgl.h"
#include "pageview/kvmetafile.h"
#include "pageview/pageloader.h"
#include "platform/dirs.h"
#include "platform/inifile.h"
#include "platform/inivalues.h"
#include "platform/notify.h"
#include "platform/settings.h"
#include "platform/terminationflag.h"
#include "previewset.h"
#include "previewwindow.h"

#include <QFile>
#include <QFileInfo>
#include <cmath>

namespace kv {

double nCurFactor = 1;
QPointer<QAction> oMenuNormal;

namespace {

// A shadow measure that makes no sense (negative, not a number) draws no shadow rather than
// an inverted one.
int saneShadowMeasure(double value)
{
    return std::isfinite(value) && value > 0 ? int(std::min(value, 1000.0)) : 0;
}

} // namespace

std::unique_ptr<KORVELLE> KORVELLE::New(TPrinter* device, bool show)
{
    std::unique_ptr<KORVELLE> self(new KORVELLE);
    self->cIni = settingsFilePath();
    self->oDevice = device;
    self->readSettings();
    self->aFiles = devicePages(*device);
    self->nTotalPages = int(self->aFiles.size());
    if (!self->aFiles.isEmpty()
        && QFileInfo(self->aFiles.first()).suffix().toUpper().startsWith(QLatin1String("WMF")))
        self->cMetaFormat = QStringLiteral("WMF");
    if (!self->takeHandoff())
        return nullptr;

    const MovedPages moved = movePagesIntoSet(self->cPath, self->aFiles);
    if (!moved.refusal.isEmpty()) {
        stopBox(moved.refusal.toStdString());
        return nullptr;
    }
    self->aFiles = moved.files;
    self->oSetDir = moved.directory;
    setDevicePages(*device, moved.files);
    for (const QString& failed : moved.failedMoves) {
        alertBox((failed + QStringLiteral(" could not be renamed.")).toStdString());
        // Ended while the box was up: the pages already moved go, as when the window closes.
        if (terminationRequested()) {
            self->End();
            return nullptr;
        }
    }

    self->lCloseLangDBF = openLanguageTable(QStringLiteral("KORVELLE.DBF"));
    self->readPageGeometry();
    if (show)
        self->KVShow();
    return self;
}

void KORVELLE::readSettings()
{
    const PreviewSettings s = loadPreviewSettings(cIni);
    lNoBorder = s.lNoBorder;
    lMaximize = s.lMaximize;
    lMultiPrev = s.lMultiPrev;
    lPageBorder = s.lPageBorder;
    lZoomAtStart = s.lZoomAtStart;
    lSetParent = s.lSetParent;
    nPageBorStyle = int(s.nPageBorStyle);
    nShadow_Deep = saneShadowMeasure(s.nShadow_Deep);
    nShadow_Width = saneShadowMeasure(s.nShadow_Width);
    cAppName = s.cAppName;
    cIcon = s.cIcon;
    lShowSendTo = s.lShowSendTo;
    // A step of 0 or below would make soft zoom do nothing or run backwards.
    nSoftZoom = s.nSoftZoom > 0 && std::isfinite(s.nSoftZoom) ? s.nSoftZoom : 0.05;
    nBackClr = gdi::ColorRef(s.nBackClr);
    nShadow_Color = gdi::ColorRef(s.nShadow_Color);
    nPageBorColor = gdi::ColorRef(s.nPageBorColor);
    nLanguage = int(s.nLanguage);
    aZoomFactor.assign(s.aZoomFactor.begin(), s.aZoomFactor.end());
    gdi::setEmfPlusPlayback(s.lEmfPlus);
    // A negative factor turns the page over and divides the scroll range by a negative
    // number: such a key counts as missing.
    for (size_t i = 1; i < aZoomFactor.size(); ++i)
        if (!(aZoomFactor[i] > 0) || !std::isfinite(aZoomFactor[i]))
            aZoomFactor[i] = double(i + 1);
}

bool KORVELLE::takeHandoff()
{
    const QString handoff = handoffFilePath();
    if (!QFileInfo::exists(handoff)) {
        alertBox("KORVELLE.TMP not found");
        return false;
    }
    const IniFile ini(handoff);
    hKVWnd = qulonglong(std::max(0.0, iniNumber(ini.readString("General", "ParentWnd"))));
    cPath = ini.readString("General", "Path");
    QFile::remove(handoff);
    return true;
}

// The layout works in the printer's printable pixels. Without a printer device context there
// are none: the first page file says which printer it was drawn for (its reference device),
// so the pages still show at their shape instead of dividing by zero.
void KORVELLE::readPageGeometry()
{
    const DeviceGeometry g = deviceGeometry(*oDevice);
    if (g.hasDc && g.horzRes > 0 && g.vertRes > 0 && g.horzSizeMm > 0 && g.vertSizeMm > 0) {
        page = {{g.horzRes, g.vertRes, g.xOffset, g.yOffset, g.physWidth, g.physHeight, g.dpiX, g.dpiY},
                g.horzSizeMm, g.vertSizeMm};
        return;
    }
    page = {};
    for (const QString& file : aFiles) {
        const HENHMETAFILE h = loadPageAsEmf(file, cMetaFormat == QLatin1String("WMF"), 0);
        if (h == 0)
            continue;
        const gdi::PicturePtr picture = pictureOf(h);
        if (picture && picture->header.device.cx > 0 && picture->header.device.cy > 0
            && picture->header.millimeters.cx > 0 && picture->header.millimeters.cy > 0) {
            // That printer's printable area, without offsets of its own: the sheet the view shows.
            const gdi::EmfHeader& h = picture->header;
            const QPointF dpi = gdi::pixelsPerMm(h) * 25.4;
            page = {{double(h.device.cx), double(h.device.cy), 0, 0, double(h.device.cx), double(h.device.cy),
                     dpi.x(), dpi.y()},
                    double(h.millimeters.cx), double(h.millimeters.cy)};
        }
        DELETEENHMETAFILE(h);
        if (page.horzRes > 0)
            return;
    }
    // Nothing readable at all: an upright A4 page at 600 dpi.
    page = {{4960, 7016, 0, 0, 4960, 7016, 600, 600}, 210, 297};
}

KORVELLE::~KORVELLE()
{
    if (oWnd)
        oWnd->close();
}

void KORVELLE::End()
{
    if (lCloseLangDBF)
        closeLanguageTable();
    lCloseLangDBF = false;
    // Exactly the files this preview moved, through the directory they were moved into.
    if (oSetDir)
        for (const QString& file : std::as_const(aFiles))
            oSetDir->removePage(file);
    // The device would delete them again by their paths, which need not lead there any more.
    if (oDevice)
        setDevicePages(*oDevice, {});
}

gdi::ColorRef KORVELLE::GetColor(const QString& cText, gdi::ColorRef nDefault) const
{
    return gdi::ColorRef(kv::GetColor(cText, nDefault));
}

} // namespace kv
