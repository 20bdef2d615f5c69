#include "pagesheet.h"

#include "gdi/paint/painterdevice.h"
#include "gdi/player.h"
#include "pageviewplacement.h"

#include <QDataStream>
#include <QFileInfo>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <limits>

namespace kv {

namespace {

int trunc0(double v) { return int(std::trunc(v)); }

// A play rectangle's corner as the metafile primitives take it: truncated, out-of-range
// and non-finite values held to what a 32-bit coordinate can say.
int32_t corner(double v)
{
    if (!std::isfinite(v))
        return 0;
    return int32_t(std::clamp<double>(std::trunc(v), std::numeric_limits<int32_t>::min(),
                                      std::numeric_limits<int32_t>::max()));
}

gdi::ObjectPtr solidPen(int width, gdi::ColorRef color)
{
    gdi::Pen pen;
    pen.style = gdi::PS_SOLID;
    pen.width = width;
    pen.color = color;
    return gdi::makeObject(pen);
}

gdi::RectL paper(const SheetView& v)
{
    const PageViewPrinter& p = v.printer;
    return {trunc0(-p.xOffset), trunc0(-p.yOffset), trunc0(p.horzRes - p.xOffset), trunc0(p.vertRes - p.yOffset)};
}

} // namespace

QSize SheetView::devicePixels() const
{
    return QSize(int(std::lround(size.width() * devicePixelRatio)), int(std::lround(size.height() * devicePixelRatio)));
}

QByteArray SheetView::key(const QString& file, const QByteArray& fileStamp) const
{
    QByteArray key;
    QDataStream out(&key, QIODevice::WriteOnly);
    out << file << fileStamp << devicePixels() << size << devicePixelRatio << width << height << xOrigin << yOrigin
        << yFactor << printer.xOffset << printer.yOffset << printer.horzRes << printer.vertRes << printer.physWidth
        << printer.physHeight << printer.dpiX << printer.dpiY << border
        << borderColor << shadow << shadowDeep << shadowWidth << shadowColor << background << wmfPages
        << screen.horzRes << screen.vertRes << screen.horzSizeMm << screen.vertSizeMm << screen.logPixelsX << screen.logPixelsY;
    return key;
}

QRectF sheetPlayRect(const SheetView& v, const gdi::EmfHeader& page)
{
    return pageViewPlayRect(page, v.printer);
}

QTransform sheetToControl(const SheetView& v)
{
    const double windowWidth = trunc0(v.width), windowHeight = trunc0(v.height);
    if (windowWidth == 0 || windowHeight == 0)
        return {};
    const double sx = v.size.width() / windowWidth, sy = trunc0(v.yFactor * v.size.height()) / windowHeight;
    return QTransform(sx, 0, 0, sy, -trunc0(v.xOrigin - v.printer.xOffset) * sx, -trunc0(v.yOrigin - v.printer.yOffset) * sy);
}

void drawPaper(gdi::Dc& dc, const SheetView& v)
{
    dc.setWindowOrg(trunc0(v.xOrigin - v.printer.xOffset), trunc0(v.yOrigin - v.printer.yOffset));
    dc.setMapMode(gdi::MM_ANISOTROPIC);
    dc.setWindowExt(trunc0(v.width), trunc0(v.height));
    dc.setViewportExt(v.size.width(), trunc0(v.yFactor * v.size.height()));
    dc.rectangle(paper(v));
    if (v.border) {
        const gdi::ObjectPtr previous = dc.state().pen;
        dc.selectObject(solidPen(0, v.borderColor));
        dc.rectangle({-2, -2, trunc0(v.printer.horzRes - 2 * v.printer.xOffset), trunc0(v.printer.vertRes - 2 * v.printer.yOffset)});
        dc.selectObject(previous);
    }
}

void playOnPaper(gdi::Dc& dc, const SheetView& v, const gdi::Picture& page)
{
    // A picture larger than the sheet is cut by the sheet, as paper cuts it, and never
    // reaches the background around a page zoomed below 100 %.
    const int level = dc.saveDc();
    dc.intersectClipRect(paper(v));
    const QRectF r = sheetPlayRect(v, page.header);
    gdi::playPicture(dc, page, gdi::RectL{corner(r.left()), corner(r.top()), corner(r.right()), corner(r.bottom())});
    dc.restoreDc(level);
}

void drawInnerShadow(gdi::Dc& dc, const SheetView& v)
{
    if (!v.shadow)
        return;
    const gdi::RectL p = paper(v);
    const gdi::ObjectPtr previous = dc.state().pen;
    dc.selectObject(solidPen(v.shadowWidth, v.shadowColor));
    dc.moveTo(p.left + v.shadowDeep, p.bottom);
    dc.lineTo(p.right, p.bottom);
    dc.moveTo(p.right, p.top + v.shadowDeep);
    dc.lineTo(p.right, p.bottom);
    dc.selectObject(previous);
}

void paintSheet(QPainter& painter, const SheetView& v, const gdi::Picture& page)
{
    gdi::PainterDevice device(painter, v.screen);
    gdi::Dc dc(device);
    drawPaper(dc, v);
    playOnPaper(dc, v, page);
    drawInnerShadow(dc, v);
}

QImage renderSheet(const SheetView& v, const gdi::Picture& page)
{
    const QSize pixels = v.devicePixels();
    if (pixels.isEmpty())
        return {};
    // Opaque, in the form a window's backing store has: drawn onto it with a plain copy.
    QImage image(pixels, QImage::Format_RGB32);
    image.setDevicePixelRatio(v.devicePixelRatio);
    image.fill(QColor(gdi::toQRgb(v.background)));
    QPainter painter(&image);
    paintSheet(painter, v, page);
    painter.end();
    return image;
}

QByteArray pageFileStamp(const QString& file)
{
    const QFileInfo info(file);
    QByteArray stamp;
    QDataStream out(&stamp, QIODevice::WriteOnly);
    out << info.exists() << info.size() << info.lastModified().toMSecsSinceEpoch();
    return stamp;
}

} // namespace kv
