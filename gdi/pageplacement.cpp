#include "gdi/pageplacement.h"

#include "gdi/player.h"

#include <cmath>

namespace kv::gdi {

namespace {

// Two pixels of rounding between a recorder's frame and its bounds, and one per cent between
// resolutions, still count as "recorded for this printer".
constexpr double kBoundsSlackPx = 2.0;
constexpr double kResolutionSlack = 0.01;

bool near(double a, double b, double slack) { return std::abs(a - b) <= slack; }

bool sameResolution(double a, double b) { return b > 0 && std::abs(a - b) <= kResolutionSlack * b; }

// The frame measured in the page's own reference-device pixels equals its bounds: the page
// was recorded without a frame of its own.
bool frameIsBounds(const EmfHeader& page, const QRectF& frame, QPointF pxPerMm)
{
    const RectL& b = page.bounds;
    if (b.right < b.left || b.bottom < b.top)
        return false;
    const double sx = pxPerMm.x() / 100, sy = pxPerMm.y() / 100;
    return near(frame.left() * sx, b.left, kBoundsSlackPx) && near(frame.top() * sy, b.top, kBoundsSlackPx)
        && near(frame.right() * sx, b.right, kBoundsSlackPx) && near(frame.bottom() * sy, b.bottom, kBoundsSlackPx);
}

} // namespace

QPointF printerDpi(const DeviceCaps& printer)
{
    const auto dpi = [](int32_t logPixels, int32_t res, int32_t mm) {
        if (logPixels > 0)
            return double(logPixels);
        if (res > 0 && mm > 0)
            return res * 25.4 / mm;
        return 96.0;
    };
    return {dpi(printer.logPixelsX, printer.horzRes, printer.horzSizeMm),
            dpi(printer.logPixelsY, printer.vertRes, printer.vertSizeMm)};
}

PagePlacement placePage(const EmfHeader& page, const DeviceCaps& printer)
{
    const QPointF ppm = pixelsPerMm(page);
    const QRectF frame = pictureFrame(page);  // the bounds when the frame is empty or inverted
    const QPointF dpi = printerDpi(printer);
    const bool recordedHere = frameIsBounds(page, frame, ppm) && sameResolution(ppm.x() * 25.4, dpi.x())
        && sameResolution(ppm.y() * 25.4, dpi.y());
    if (recordedHere) {
        const RectL& b = page.bounds;
        return {true, QRectF(QPointF(b.left, b.top), QPointF(b.right, b.bottom))};
    }
    const double sx = dpi.x() / 2540, sy = dpi.y() / 2540;
    return {false, QRectF(QPointF(frame.left() * sx, frame.top() * sy), QPointF(frame.right() * sx, frame.bottom() * sy))};
}

QRectF printerPlayRect(const EmfHeader& page, const DeviceCaps& printer)
{
    const PagePlacement placement = placePage(page, printer);
    if (placement.asRecorded)
        return placement.rect;
    return placement.rect.translated(-printer.offsetX, -printer.offsetY);
}

} // namespace kv::gdi
