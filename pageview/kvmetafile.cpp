#include "kvmetafile.h"

#include "gdi/dc/dc.h"
#include "gdi/paint/painterdevice.h"
#include "lang/kvgl.h"
#include "pagecache.h"
#include "pageloader.h"
#include "pageviewplacement.h"
#include "pageview/virtualkeys.h"
#include "platform/notify.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPaintEngine>
#include <QPainter>
#include <QPointer>
#include <QTextOption>
#include <QTimer>
#include <cmath>

namespace kv {
namespace {

// Shows the wait cursor for as long as the page draws.
class WaitCursor {
public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
};

// A Dc of the control's paint context, known by a handle while it lives.
class PaintContext {
public:
    PaintContext(QPainter& painter, const gdi::DeviceCaps& caps)
        : device_(painter, caps), dc_(device_), handle_(registerDc(&dc_)) {}
    ~PaintContext() { unregisterDc(handle_); }
    gdi::Dc& dc() { return dc_; }
    HDC handle() const { return handle_; }

private:
    gdi::PainterDevice device_;
    gdi::Dc dc_;
    HDC handle_;
};

// Page views alive: when the last one goes, so do the pages cached for them, and no page is
// left rendering ahead once the windows have gone.
int liveViews = 0;

} // namespace

KVMETAFILE::KVMETAFILE(int top, int left, int width, int height, const QString& file,
                       QWidget* parent, const PageViewSettings& s)
    : QWidget(parent)
{
    const PageViewPrinter& printer = s.printer;
    nWidth = nPageWidth = printer.horzRes;
    nHeight = nPageHeight = printer.vertRes;
    nPrnXOffset = printer.xOffset;
    nPrnYOffset = printer.yOffset;
    nPhysWidth = printer.physWidth;
    nPhysHeight = printer.physHeight;
    nLogPixelX = printer.dpiX;
    nLogPixelY = printer.dpiY;
    const PageViewLook& look = s.look;
    lBorder = look.lPageBorder;
    nPageBorColor = look.nPageBorColor;
    nBackClr = look.nBackClr;
    nShadow_Deep = look.nShadow_Deep;
    nShadow_Width = look.nShadow_Width;
    nShadow_Color = look.nShadow_Color;
    cMetaFormat = look.cMetaFormat;
    cCaption = file;
    pageStamp_ = pageFileStamp(file);
    ++liveViews;

    setGeometry(left, top, width, height);
    // Where there is no paper (a slot without a page, the space around a page zoomed below
    // 100 %) the window's background shows, not a block of the border colour.
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(gdi::toQRgb(nBackClr)));
    setPalette(pal);
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent, false);
}

KVMETAFILE::~KVMETAFILE()
{
    End();
    if (--liveViews == 0) {
        PageRasterCache::shared().waitForRenders();
        PageRasterCache::shared().clear();
    }
}

void KVMETAFILE::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    paintPage(painter, event->rect());
    paintMarks(painter);
}

// Found words go over the page as it is shown, never into the cached picture of the page.
void KVMETAFILE::paintMarks(QPainter& painter)
{
    if (!bMarks || !showsSheet())
        return;
    const gdi::PicturePtr page = pictureOf(hMeta);
    if (!page)
        return;
    const SheetView view = sheetView();
    const QRectF r = sheetPlayRect(view, page->header);
    paintPageMarks(painter, QTransform(r.width(), 0, 0, r.height(), r.left(), r.top()) * sheetToShown(view),
                   bMarks(cCaption));
}

QTransform KVMETAFILE::sheetToShown(const SheetView& view) const
{
    return lZoom ? tiledSheetToControl(view) : sheetToControl(view);
}

void KVMETAFILE::paintPage(QPainter& painter, const QRect& exposed)
{
    // The engine's device is where the pixels go: under QWidget::render that is the target
    // image, not the widget that painter.device() names.
    const QPaintDevice* target = painter.paintEngine() ? painter.paintEngine()->paintDevice() : nullptr;
    const qreal ratio = target ? target->devicePixelRatioF() : devicePixelRatioF();
    const QByteArray key = cacheKey(ratio);
    if (key.isEmpty()) {
        Paint(painter);
        return;
    }
    if (lZoom) {
        paintTiles(painter, sheetView(ratio), exposed);
        return;
    }
    PageRasterCache& cache = PageRasterCache::shared();
    if (const PageRasterCache::Entry* cached = cache.find(key)) {
        if (hMeta == 0)
            hMeta = adoptPicture(cached->page);
        ++cache.counts().reused;
        painter.drawImage(QPoint(0, 0), cached->image);
        return;
    }
    const SheetView view = sheetView(ratio);
    QImage image(view.devicePixels(), QImage::Format_RGB32);
    image.setDevicePixelRatio(view.devicePixelRatio);
    image.fill(QColor(gdi::toQRgb(view.background)));
    {
        QPainter onImage(&image);
        Paint(onImage);
    }
    painter.drawImage(QPoint(0, 0), image);
    if (hMeta != 0) {
        ++cache.counts().rendered;
        cache.insert(key, std::move(image), pictureOf(hMeta));
    }
}

void KVMETAFILE::paintTiles(QPainter& painter, const SheetView& view, const QRect& exposed)
{
    const QByteArray surfaceKey = surfaceOf(view).key(cCaption, pageStamp_);
    if (hMeta == 0)
        if (const gdi::PicturePtr cached = tiles_.cachedPage(view, surfaceKey, exposed))
            hMeta = adoptPicture(cached);
    if (!tiles_.lacksTiles(view, surfaceKey, exposed)) {
        tiles_.paint(painter, view, surfaceKey, pictureOf(hMeta), exposed);
        return;
    }
    if (hMeta == 0) {
        PaintContext context(painter, displayCaps());
        loadPage(context.handle());
    }
    const gdi::PicturePtr page = pictureOf(hMeta);
    if (!page) {
        Paint(painter);  // the note of a page that could not be read
        return;
    }
    WaitCursor wait;
    tiles_.paint(painter, view, surfaceKey, page, exposed);
}

void KVMETAFILE::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    PageRasterCache::shared().clear();
}

void KVMETAFILE::Paint(QPainter& painter)
{
    const int w = width();
    const int h = height();
    PaintContext context(painter, displayCaps());
    if (hMeta == 0)
        loadPage(context.handle());
    if (!showsSheet() || nWidth <= 0 || nHeight <= 0 || w <= 0 || h <= 0)
        return;
    const SheetView view = sheetView();
    gdi::Dc& dc = context.dc();
    {
        WaitCursor wait;
        drawPaper(dc, view);
        if (const gdi::PicturePtr page = pictureOf(hMeta))
            playOnPaper(dc, view, *page);
        else
            drawUnreadableNote(painter);
    }
    drawInnerShadow(dc, view);
}

SheetView KVMETAFILE::sheetView(std::optional<qreal> ratio) const
{
    SheetView v;
    v.size = size();
    v.devicePixelRatio = ratio.value_or(devicePixelRatioF());
    v.width = nWidth;
    v.height = nHeight;
    v.xOrigin = nXorig;
    v.yOrigin = nYorig;
    v.yFactor = lZoom ? nyfactor : 1.0;
    v.printer = {nPageWidth, nPageHeight, nPrnXOffset, nPrnYOffset, nPhysWidth, nPhysHeight, nLogPixelX, nLogPixelY};
    v.border = lBorder;
    v.borderColor = nPageBorColor;
    v.shadow = lShadow;
    v.shadowDeep = nShadow_Deep;
    v.shadowWidth = nShadow_Width;
    v.shadowColor = nShadow_Color;
    // What the control's background fill paints where there is no paper.
    v.background = gdi::fromQRgb(palette().color(QPalette::Window).rgb());
    v.wmfPages = cMetaFormat == QLatin1String("WMF");
    v.screen = displayCaps();
    return v;
}

QByteArray KVMETAFILE::cacheKey(std::optional<qreal> ratio) const
{
    if (cCaption.isEmpty() || unreadableFile_ == cCaption || nWidth <= 0 || nHeight <= 0 || width() <= 0 || height() <= 0)
        return {};
    return sheetView(ratio).key(cCaption, pageStamp_);
}

void KVMETAFILE::renderAhead(const QString& file)
{
    if (file.isEmpty() || !QFileInfo::exists(file) || nWidth <= 0 || nHeight <= 0 || width() <= 0 || height() <= 0)
        return;
    const SheetView view = sheetView();
    PageRasterCache& cache = PageRasterCache::shared();
    QByteArray key;
    PageRasterCache::Render render;
    if (lZoom) {
        // Zoomed, the tiles the control would show of that page where it is scrolled now.
        const QByteArray surfaceKey = surfaceOf(view).key(file, pageFileStamp(file));
        const QRect shown = PageTiles::tilesShown(view);
        if (cache.contains(tileKey(surfaceKey, shown.topLeft())) && cache.contains(tileKey(surfaceKey, shown.bottomRight())))
            return;
        key = tilesAheadKey(surfaceKey, shown);
        render = tilesAhead(surfaceOf(view), surfaceKey, shown);
    } else {
        key = view.key(file, pageFileStamp(file));
        render = [key, view](const gdi::Picture& page) {
            return std::vector<PageRasterCache::Rendered>{{key, renderSheet(view, page)}};
        };
    }
    if (cache.contains(key) || cache.isPending(key))
        return;
    if (!view.wmfPages) {
        cache.renderAhead(key, std::move(render), [file] { return readEnhMetaFilePicture(file); });
        return;
    }
    // A Windows metafile page is converted against a device context, which lives on this thread.
    QImage scratch(1, 1, QImage::Format_RGB32);
    QPainter scratchPainter(&scratch);
    PaintContext context(scratchPainter, displayCaps());
    const HENHMETAFILE converted = loadPageAsEmf(file, true, context.handle());
    const gdi::PicturePtr page = pictureOf(converted);
    if (converted != 0)
        DELETEENHMETAFILE(converted);
    if (page)
        cache.renderAhead(key, std::move(render), [page] { return page; });
}

// A page file that exists but cannot be parsed (damaged, not a metafile, a directory) is
// read once per file change, not again at every paint: it shows its note until it is set anew.
void KVMETAFILE::loadPage(HDC paintDc)
{
    if (cCaption.isEmpty())
        return;
    if (!QFileInfo::exists(cCaption)) {
        unreadableFile_ = cCaption;
        reportMissingFile();
        return;
    }
    if (unreadableFile_ == cCaption)
        return;
    hMeta = loadPageAsEmf(cCaption, cMetaFormat == QLatin1String("WMF"), paintDc);
    if (hMeta == 0)
        unreadableFile_ = cCaption;
}

// The sheet of a page that could not be read says so in its middle and names the file, so
// that a lost page is not taken for a blank one.
void KVMETAFILE::drawUnreadableNote(QPainter& painter) const
{
    const QRect sheet = rect().adjusted(4, 4, -4, -4);
    if (sheet.width() < 8 || sheet.height() < 8)
        return;
    const QString note = KV_GL(QStringLiteral("This page could not be read:")) + QLatin1Char('\n')
        + QDir::toNativeSeparators(unreadableFile_);
    QTextOption layout(Qt::AlignCenter);
    layout.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    painter.save();
    painter.resetTransform();
    painter.setClipping(false);
    painter.setFont(font());
    painter.setPen(Qt::black);
    painter.drawText(QRectF(sheet), note, layout);
    painter.restore();
}

// A modal box raised while painting would bring another paint when it closes, and the user
// could never get out: the alert comes once per file name, after the paint has ended.
void KVMETAFILE::reportMissingFile()
{
    if (alertedFile_ == cCaption)
        return;
    alertedFile_ = cCaption;
    QPointer<KVMETAFILE> self(this);
    QTimer::singleShot(0, this, [self] {
        if (self)
            showMessage(BoxKind::Attention,
                        "Could not find the Metafile,\r\nplease check your TEMP environment variable");
    });
}

void KVMETAFILE::Shadow(QPainter& parentPainter) const
{
    if (!lShadow || !showsSheet() || !isVisible())
        return;
    QPen pen(QColor(gdi::toQRgb(nShadow_Color)));
    pen.setWidth(std::max(1, nShadow_Width));
    pen.setCapStyle(Qt::RoundCap);
    parentPainter.save();
    parentPainter.setRenderHint(QPainter::Antialiasing, false);
    parentPainter.setPen(pen);
    parentPainter.drawLine(nLeft() + nShadow_Deep, nBottom(), nRight(), nBottom());
    parentPainter.drawLine(nRight(), nTop() + nShadow_Deep, nRight(), nBottom());
    parentPainter.restore();
}

void KVMETAFILE::SetFile(const QString& file)
{
    cCaption = QFileInfo::exists(file) ? file : QString();
    // A page of the report whose file is not there shows as an unreadable sheet, not as the
    // end of the report.
    unreadableFile_ = cCaption.isEmpty() ? file : QString();
    pageStamp_ = pageFileStamp(cCaption);
    if (hMeta != 0) {
        DELETEENHMETAFILE(hMeta);
        hMeta = 0;
    }
}

void KVMETAFILE::End()
{
    if (hMeta != 0) {
        DELETEENHMETAFILE(hMeta);
        hMeta = 0;
    }
}

void KVMETAFILE::ZoomIn()
{
    if (lZoom)
        return;
    nWidth /= nXZoom;
    nHeight /= nYZoom;
    lZoom = true;
    PageRasterCache::shared().clear();
    refresh();
}

void KVMETAFILE::ZoomOut()
{
    if (!lZoom)
        return;
    nWidth *= nXZoom;
    nHeight *= nYZoom;
    lZoom = false;
    nXorig = 0;
    nYorig = 0;
    PageRasterCache::shared().clear();
    refresh();
}

void KVMETAFILE::SetZoomFactor(double nX, double nY)
{
    if (lZoom) {
        nWidth *= nXZoom;
        nHeight *= nYZoom;
    }
    nXZoom = nX;
    nYZoom = nY;
    if (lZoom) {
        nWidth /= nXZoom;
        nHeight /= nYZoom;
        PageRasterCache::shared().clear();
        refresh();
    }
}

void KVMETAFILE::SetOrg(std::optional<double> nX, std::optional<double> nY)
{
    if (nX)
        nXorig = *nX;
    if (nY)
        nYorig = *nY;
}

std::optional<QPointF> KVMETAFILE::pagePointOfFraction(const QPointF& fraction) const
{
    const gdi::PicturePtr page = pictureOf(hMeta);
    const QRectF r = page ? sheetPlayRect(sheetView(), page->header) : QRectF();
    if (r.isEmpty())
        return std::nullopt;
    return QPointF(r.left() + fraction.x() * r.width(), r.top() + fraction.y() * r.height());
}

void KVMETAFILE::refresh()
{
    update();
    if (parentWidget())
        parentWidget()->update(geometry().adjusted(-nShadow_Width, -nShadow_Width,
                                                   nShadow_Width, nShadow_Width));
}

void KVMETAFILE::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && bLDblClick)
        bLDblClick(int(event->position().x()), int(event->position().y()));
}

void KVMETAFILE::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::RightButton && bRClicked)
        bRClicked();
    QWidget::mousePressEvent(event);
}

void KVMETAFILE::keyPressEvent(QKeyEvent* event)
{
    if (bKeyDown)
        bKeyDown(virtualKeyOf(*event), int(event->modifiers()));
    else
        QWidget::keyPressEvent(event);
}

int virtualKeyOf(const QKeyEvent& event)
{
    return virtualKeyFromQt(event.key(), event.modifiers() & Qt::KeypadModifier);
}

} // namespace kv
