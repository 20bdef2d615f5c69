#include "pageviewplacement.h"

#include "gdi/pageplacement.h"

#include <cmath>

namespace kv {

namespace {

int trunc0(double v) { return int(std::trunc(v)); }

gdi::DeviceCaps capsOf(const PageViewPrinter& p)
{
    gdi::DeviceCaps caps;
    caps.horzRes = int(p.horzRes);
    caps.vertRes = int(p.vertRes);
    caps.logPixelsX = int(std::lround(p.dpiX));
    caps.logPixelsY = int(std::lround(p.dpiY));
    caps.offsetX = int(p.xOffset);
    caps.offsetY = int(p.yOffset);
    return caps;
}

// A sheet size the printer did not state is its printable size and the offsets on both sides.
double sheetSize(double stated, double printable, double offset)
{
    return stated > 0 ? stated : printable + 2 * offset;
}

} // namespace

QRectF pageViewPlayRect(const gdi::EmfHeader& page, const PageViewPrinter& printer)
{
    const gdi::PagePlacement placement = printer.dpiX > 0 && printer.dpiY > 0
        ? gdi::placePage(page, capsOf(printer))
        : gdi::PagePlacement{true, {}};
    if (placement.asRecorded) {
        const gdi::RectL& b = page.bounds;
        return QRectF(QPointF(b.left, b.top), QPointF(b.right - trunc0(2 * printer.xOffset),
                                                      b.bottom - trunc0(2 * printer.yOffset)));
    }
    const double sx = printer.horzRes / sheetSize(printer.physWidth, printer.horzRes, printer.xOffset);
    const double sy = printer.vertRes / sheetSize(printer.physHeight, printer.vertRes, printer.yOffset);
    const QRectF& s = placement.rect;
    return QRectF(QPointF(s.left() * sx - printer.xOffset, s.top() * sy - printer.yOffset),
                  QPointF(s.right() * sx - printer.xOffset, s.bottom() * sy - printer.yOffset));
}

} // namespace kv
