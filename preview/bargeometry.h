#pragma once
// Pixel positions on the preview window's button bar: the buttons (30 x 30 nominal, 3-D bar),
// the "Factor:" label, the zoom list and the page label, and the drop-down hit test of the
// page-count button. All values are bar client pixels.
#include <QRect>
#include <vector>

namespace kv {

// The bar's buttons, left to right. SendTo exists only when the Send to command is shown.
enum class BarButton {
    First,
    Previous,
    Next,
    Last,
    Zoom,
    PageCount,  // carries the page-count drop-down
    Reduce,
    Enlarge,
    SaveAs,
    SendTo,
    Print,
    PrintAndExit,
    Exit,
};

struct BarButtonSpan {
    BarButton button;
    int left;   // first column, inclusive
    int right;  // last column, inclusive
    // Rows 3 to 27 inclusive; width right - left + 1.
    QRect rect() const;
};

inline constexpr int kBarButtonTop = 3;
inline constexpr int kBarButtonBottom = 27;
// Width of the arrow part at the right end of a button with a drop-down menu.
inline constexpr int kDropDownWidth = 13;

// The buttons in bar order with their spans: the first starts at column 11; each spans 28
// columns past its left edge (13 more with a drop-down); each next one starts 2 columns after
// the previous one's right edge, 8 more when it opens a group (Zoom, Save as, Exit).
std::vector<BarButtonSpan> barButtonSpans(bool showSendTo);

// The controls placed on the bar after its buttons, starting 10 columns after the Exit button
// (x = 446 with the Send to button, 416 without).
struct BarSideControls {
    int x = 0;              // left edge of the "Factor:" label
    QRect factorLabel;      // row 9, column x, 46 x 15, right-aligned text
    QPoint zoomListPos;     // row 5, column x + 49
    int zoomListWidth = 60;
    int zoomListDropHeight = 200;  // height of the opened list
    QRect pageLabel;        // row 9, column x + 149, 120 x 15, left-aligned text
};
BarSideControls barSideControls(bool showSendTo);

// Whether releasing the mouse at `x` (pixels from the button's left edge) on a drop-down button
// `buttonWidth` pixels wide opens its menu: x >= buttonWidth - 13, the arrow part at the right.
bool opensDropDown(int x, int buttonWidth);

} // namespace kv
