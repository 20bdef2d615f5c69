#include "preview/scrollbarmodel.h"

#include <algorithm>
#include <cmath>

namespace kv {

namespace {
// A bar whose range is upside down keeps its thumb at the minimum.
int keptInside(int pos, int min, int max)
{
    return std::max(min, std::min(pos, max));
}
} // namespace

int scrollStep(int resolution, int rangeMax)
{
    return rangeMax > 0 ? resolution / rangeMax : 0;
}

double scrollOrigin(int resolution, const ScrollBarModel& bar, ScrollDirection direction,
                    bool page, std::optional<int> position)
{
    const int step = scrollStep(resolution, bar.max);
    double delta = position ? double(*position) : page ? bar.max / 10.0 : 1.0;
    if (direction == ScrollDirection::Back)
        delta = -delta;
    const double origin = step * (bar.pos + delta - 1);
    return std::max(0.0, std::min(origin, double(resolution)));
}

ScrollBarModel ScrollBarModel::withRange(const ScrollRange& range) const
{
    return {range.min, range.max, keptInside(pos, range.min, range.max)};
}

ScrollBarModel ScrollBarModel::movedBy(int steps) const
{
    return {min, max, keptInside(pos + steps, min, max)};
}

ScrollBarModel ScrollBarModel::atMinimum() const
{
    return {min, max, min};
}

ScrollBarModel ScrollBarModel::atMaximum() const
{
    return {min, max, max};
}

ScrollOutcome ScrollBarModel::lineUp(int resolution) const
{
    const ScrollBarModel moved = movedBy(-1);
    return {moved, scrollOrigin(resolution, moved, ScrollDirection::Back, false)};
}

ScrollOutcome ScrollBarModel::lineDown(int resolution) const
{
    const ScrollBarModel moved = movedBy(1);
    return {moved, scrollOrigin(resolution, moved, ScrollDirection::Forward, false)};
}

ScrollOutcome ScrollBarModel::pageUp(int resolution) const
{
    return {movedBy(-1), scrollOrigin(resolution, *this, ScrollDirection::Back, true)};
}

ScrollOutcome ScrollBarModel::pageDown(int resolution) const
{
    return {movedBy(1), scrollOrigin(resolution, *this, ScrollDirection::Forward, true)};
}

ScrollOutcome ScrollBarModel::thumbReleased(int resolution, int position) const
{
    return {*this, scrollOrigin(resolution, *this, ScrollDirection::Absolute, false, position)};
}

ScrollOutcome ScrollBarModel::jumpTo(int resolution, int position) const
{
    if (position == 0)
        return {*this, std::nullopt};
    const double origin = scrollOrigin(resolution, *this, ScrollDirection::Forward, false, position);
    return {ScrollBarModel{min, max, keptInside(position, min, max)}, origin};
}

// A line step from thumb p lands on step * p: the thumb that stands for an origin.
ScrollBarModel ScrollBarModel::showingOrigin(int resolution, double origin) const
{
    const int step = scrollStep(resolution, max);
    if (step <= 0)
        return *this;
    return ScrollBarModel{min, max, keptInside(int(std::lround(origin / step)), min, max)};
}

} // namespace kv
