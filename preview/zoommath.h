#pragma once
// Zoom-factor arithmetic of the preview window: scroll ranges, slot divisors, soft-zoom steps,
// the scroll positions a double-click zooms to, and which factor menu item carries the check.
// Pure functions; the scroll-bar behaviour itself is in scrollbarmodel.h.
#include <QList>
#include <QPointF>

namespace kv {

// Whole part of `value`, truncated toward zero, ignoring floating-point dust: a value within
// 1e-9 below a whole number counts as that number (20 * 1.15 reached by three soft-zoom steps is
// 22.999999999999996 and must give 23, not 22).
int wholePart(double value);

// Range of both scroll bars. Normal view: 0..0 (hides the bars). Zoom mode: 1..wholePart(20 *
// factor), so 1.05 gives 1..21 and 3 gives 1..60; the maximum is never below the minimum, 1,
// even for a factor below 0.05 (which would otherwise leave the bar with no positions).
struct ScrollRange {
    int min = 0;
    int max = 0;
    bool operator==(const ScrollRange&) const = default;
};
ScrollRange scrollRange(bool zoomed, double factor);

// The divisors slot 1 gets for a zoom factor: the page's width is divided by the factor, its
// height by twice the factor (the layout's nyfactor makes up the difference).
struct ZoomDivisors {
    double horizontal = 1;
    double vertical = 2;
};
ZoomDivisors zoomDivisors(double factor);

// One soft-zoom step: factor + step (up) or factor - step (down). A step that would leave the
// factor below one step above 0 (or at or below 0 at all) is refused: the factor is returned
// unchanged. This keeps the divisors and the scroll step arithmetic away from 0.
double softZoomed(double factor, double step, bool up);

// Thumb positions a double-click on a page slot zooms to. `column`, `row`: the clicked pixel in
// the slot; `slotWidth`, `slotHeight`: the slot's size in pixels. Each position is
// max(wholePart(n / (size + 1) * 20 * factor) - 9, 0), i.e. nine scroll steps before the click;
// 0 means "leave that bar at its start". A slot without a positive size + 1 gives 0.
struct ClickThumbs {
    int horizontal = 0;
    int vertical = 0;
    bool operator==(const ClickThumbs&) const = default;
};
ClickThumbs clickZoomThumbs(int column, int row, int slotWidth, int slotHeight, double factor);

// Origin of slot 1, in printer pixels, after the End key in zoom mode: 0.8 of the printable
// width and height (`horzRes`, `vertRes` in printer pixels).
QPointF endKeyOrigin(int horzRes, int vertRes);

// Index (0-based) of the factor menu item to check for the current factor: the position of an
// exactly equal value in `factors`, or -1 when the factor is not in the list (after a soft-zoom
// step that left the list's values no item is checked).
int checkedFactorIndex(const QList<double>& factors, double currentFactor);

} // namespace kv
