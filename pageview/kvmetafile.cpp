#include "kvmetafile.h"

#include "gdi/dc/dc.h"
#include "gdi/paint/painterdevice.h"
#include "lang/kvgl.h"
#include "pageloader.h"
#include "pageviewplacement.h"
#include "pageview/virtualkeys.h"
#include "platform/notify.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QTextOption>
#include <QTimer>
#include <cmath>

namespace kv {
namespace {

int trunc0(double v) { return int(std::trunc(v)); }

gdi::ObjectPtr solidPen(int width, gdi::ColorRef color)
{
    gdi::Pen pen;
    pen.style = gdi::PS_SOLID;
    pen.width = width;
    pen.color = color;
    return gdi::makeObject(pen);
}

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

} // namespace

KVMETAFILE::KVMETAFILE(int top, int left, int width, int height, const QString& file,
                       QWidget* parent, const PageViewSettings& s)
    : QWidget(parent)
{
    nWidth = nPageWidth = s.nHorzRes;
    nHeight = nPageHeight = s.nVertRes;
    lBorder = s.lPageBorder;
    nPageBorColor = s.nPageBorColor;
    nPrnXOffset = s.nXOffset;
    nPrnYOffset = s.nYOffset;
    nPhysWidth = s.nPhysWidth;
    nPhysHeight = s.nPhysHeight;
    nLogPixelX = s.nLogPixelX;
    nLogPixelY = s.nLogPixelY;
    nBackClr = s.nBackClr;
    nShadow_Deep = s.nShadow_Deep;
    nShadow_Width = s.nShadow_Width;
    nShadow_Color = s.nShadow_Color;
    cMetaFormat = s.cMetaFormat;
    cCaption = file;

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
}

void KVMETAFILE::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    Paint(painter);
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
    const double f = lZoom ? nyfactor : 1.0;

    gdi::Dc& dc = context.dc();
    dc.setWindowOrg(trunc0(nXorig - nPrnXOffset), trunc0(nYorig - nPrnYOffset));
    dc.setMapMode(gdi::MM_ANISOTROPIC);
    dc.setWindowExt(trunc0(nWidth), trunc0(nHeight));
    dc.setViewportExt(w, trunc0(f * h));

    {
        WaitCursor wait;
        dc.rectangle({trunc0(-nPrnXOffset), trunc0(-nPrnYOffset),
                      trunc0(nPageWidth - nPrnXOffset), trunc0(nPageHeight - nPrnYOffset)});
        if (lBorder) {
            const gdi::ObjectPtr previous = dc.state().pen;
            dc.selectObject(solidPen(0, nPageBorColor));
            dc.rectangle({-2, -2, trunc0(nPageWidth - 2 * nPrnXOffset),
                          trunc0(nPageHeight - 2 * nPrnYOffset)});
            dc.selectObject(previous);
        }
        if (hMeta != 0) {
            // A picture larger than the sheet is cut by the sheet, as paper cuts it, and never
            // reaches the background around a page zoomed below 100 %.
            const int level = dc.saveDc();
            dc.intersectClipRect({trunc0(-nPrnXOffset), trunc0(-nPrnYOffset),
                                  trunc0(nPageWidth - nPrnXOffset), trunc0(nPageHeight - nPrnYOffset)});
            const QRectF r = pictureRect();
            PLAYENHMETAFILE(context.handle(), hMeta, {r.left(), r.top(), r.right(), r.bottom()});
            dc.restoreDc(level);
            if (bMarks)
                paintPageMarks(painter, QTransform(r.width(), 0, 0, r.height(), r.left(), r.top()) * dc.logicalToDevice(),
                               bMarks(cCaption));
        } else {
            drawUnreadableNote(painter);
        }
    }
    KVShadow(dc);
}

QRectF KVMETAFILE::pictureRect() const
{
    const gdi::PicturePtr picture = pictureOf(hMeta);
    if (!picture)
        return {};
    PageViewPrinter printer;
    printer.horzRes = nPageWidth;
    printer.vertRes = nPageHeight;
    printer.xOffset = nPrnXOffset;
    printer.yOffset = nPrnYOffset;
    printer.physWidth = nPhysWidth;
    printer.physHeight = nPhysHeight;
    printer.dpiX = nLogPixelX;
    printer.dpiY = nLogPixelY;
    return pageViewPlayRect(picture->header, printer);
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

void KVMETAFILE::KVShadow(gdi::Dc& dc) const
{
    if (!lShadow)
        return;
    const int x0 = trunc0(-nPrnXOffset), y0 = trunc0(-nPrnYOffset);
    const int x1 = trunc0(nPageWidth - nPrnXOffset), y1 = trunc0(nPageHeight - nPrnYOffset);
    const gdi::ObjectPtr previous = dc.state().pen;
    dc.selectObject(solidPen(nShadow_Width, nShadow_Color));
    dc.moveTo(x0 + nShadow_Deep, y1);
    dc.lineTo(x1, y1);
    dc.moveTo(x1, y0 + nShadow_Deep);
    dc.lineTo(x1, y1);
    dc.selectObject(previous);
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
    const QRectF r = pictureRect();
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
