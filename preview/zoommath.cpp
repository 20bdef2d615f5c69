#include "preview/zoommath.h"

#include <algorithm>
#include <cmath>

namespace kv {

namespace {
// Products like 20 * factor pick up a last-bit error after a few soft-zoom steps; this is far
// below anything a user can choose and far above that error.
constexpr double kDust = 1e-9;
// A double-click lands nine scroll steps after the start of the visible part.
constexpr int kClickLead = 9;
constexpr double kStepsPerFactor = 20;
} // namespace

int wholePart(double value)
{
    return int(std::trunc(value + (value >= 0 ? kDust : -kDust)));
}

ScrollRange scrollRange(bool zoomed, double factor)
{
    if (!zoomed)
        return {0, 0};
    return {1, std::max(1, wholePart(kStepsPerFactor * factor))};
}

ZoomDivisors zoomDivisors(double factor)
{
    return {factor, 2 * factor};
}

double softZoomed(double factor, double step, bool up)
{
    const double next = up ? factor + step : factor - step;
    const bool keepsAStepAboveZero = next > 0 && next >= std::abs(step) - kDust;
    return keepsAStepAboveZero ? next : factor;
}

namespace {
int clickThumb(int pixel, int size, double factor)
{
    const double span = size + 1.0;
    if (span <= 0)
        return 0;
    return std::max(wholePart(pixel / span * kStepsPerFactor * factor) - kClickLead, 0);
}
} // namespace

ClickThumbs clickZoomThumbs(int column, int row, int slotWidth, int slotHeight, double factor)
{
    return {clickThumb(column, slotWidth, factor), clickThumb(row, slotHeight, factor)};
}

QPointF endKeyOrigin(int horzRes, int vertRes)
{
    return {0.8 * horzRes, 0.8 * vertRes};
}

int checkedFactorIndex(const QList<double>& factors, double currentFactor)
{
    return int(factors.indexOf(currentFactor));
}

} // namespace kv
