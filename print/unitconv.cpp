#include "print/unitconv.h"

#include <algorithm>

namespace kv {

namespace {

// Pixels per millimetre down and across; 0 when the size is unknown (no device context), so
// every conversion then gives 0 instead of dividing by zero.
double perMmDown(const PageGeometry& g) { return g.caps.vertSizeMm > 0 ? double(g.caps.vertRes) / g.caps.vertSizeMm : 0; }
double perMmAcross(const PageGeometry& g) { return g.caps.horzSizeMm > 0 ? double(g.caps.horzRes) / g.caps.horzSizeMm : 0; }
double ratio(double value, int per) { return per > 0 ? value / per : 0; }

} // namespace

RowCol cmToPixels(const PageGeometry& g, double row, double col)
{
    return {std::max(0.0, row * 10 * perMmDown(g) - g.yOffset),
            std::max(0.0, col * 10 * perMmAcross(g) - g.xOffset)};
}

RowCol inchToPixels(const PageGeometry& g, double row, double col)
{
    return {std::max(0.0, row * 25.4 * perMmDown(g) - g.yOffset),
            std::max(0.0, col * 25.4 * perMmAcross(g) - g.xOffset)};
}

Rect4 cmRectToPixels(const PageGeometry& g, const Rect4& rect)
{
    const RowCol topLeft = cmToPixels(g, rect[0], rect[1]);
    const RowCol bottomRight = cmToPixels(g, rect[2], rect[3]);
    return {topLeft[0], topLeft[1], bottomRight[0], bottomRight[1]};
}

Rect4 hundredthMmRectToPixels(const PageGeometry& g, const Rect4& rect)
{
    const double down = perMmDown(g), across = perMmAcross(g);
    return {std::max(0.0, rect[0] / 100 * down - g.yOffset),
            std::max(0.0, rect[1] / 100 * across - g.xOffset),
            std::min(double(g.caps.physicalWidth), rect[2] / 100 * down) - 2 * g.yOffset,
            std::min(double(g.caps.physicalHeight), rect[3] / 100 * across) - 2 * g.xOffset};
}

RowCol pixelsToMm(const PageGeometry& g, double row, double col)
{
    return {ratio(row * 25.4, g.caps.logPixelsX), ratio(col * 25.4, g.caps.logPixelsY)};
}

RowCol pixelsToInch(const PageGeometry& g, double row, double col)
{
    return {ratio(row, g.caps.logPixelsX), ratio(col, g.caps.logPixelsY)};
}

RowCol physicalSizeMm(const PageGeometry& g)
{
    return {ratio(g.caps.physicalWidth * 25.4, g.caps.logPixelsX),
            ratio(g.caps.physicalHeight * 25.4, g.caps.logPixelsY)};
}

} // namespace kv
