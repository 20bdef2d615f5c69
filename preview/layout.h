#pragma once
// Where the eight page view controls of the preview window go, as pure arithmetic.
// The window code reads its outer edges, calls layoutPages() and moves, shows or hides the
// controls as told; nothing here touches a widget, so every number can be tested.
#include <QRect>
#include <QStringList>
#include <array>
#include <optional>

namespace kv {

// Outer edges of the preview window in screen pixels, right and bottom exclusive, the way the
// platform reports a window rectangle.
struct WindowEdges {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    // From a Qt frame geometry. Note that QRect::right() is inclusive; the exclusive edge is
    // x + width, which is what this uses.
    static WindowEdges fromFrame(const QRect& frame);
};

// A control rectangle in client pixels of the preview window, kept in floating point exactly as
// the layout computes it, in the order top, left, bottom, right; right and bottom are inclusive.
struct ControlRect {
    double top = 0;
    double left = 0;
    double bottom = 0;
    double right = 0;

    // The placement the window applies: position (left, top) and size (right - left + 1) x
    // (bottom - top + 1), each truncated toward zero after the floating-point sums. A very small
    // window can give a size of 0 or less; the widget layer clamps that to an empty control.
    QRect placement() const;
};

inline constexpr int kPageSlots = 8;

// The result of one layout run.
struct PageLayout {
    // Index 0 is slot 1 (the current page). A slot with a rectangle is moved there and shown;
    // a slot without one is hidden and keeps its old position.
    std::array<std::optional<ControlRect>, kPageSlots> rects;
    // Set only for the zoomed one-page layout: the vertical viewport factor of slot 1
    // ((W / H) * 0.43 in landscape, (W / H) * 0.85 in portrait).
    std::optional<double> nyfactor;

    bool visible(int slotNumber) const;  // slotNumber 1..8; false outside that range
};

// Lays out the page slots for a window with outer edges `edges`.
//   viewPages: pages shown at once, 1, 2, 4, 6 or 8.
//   zoomed:    zoom mode; the layout is then one zoomed page whatever `viewPages` holds.
//   landscape: the printer page is landscape (only the zoomed nyfactor depends on it).
//   xyFactor:  page aspect, printable height / printable width; must be > 0.
// Rectangles are in client pixels of the window although the inputs are screen edges: that is
// how the layout has always worked (see the one-page fitting test in layout.cpp).
// Returns nothing ("change no control") for a view-page count other than 1, 2, 4, 6, 8 when
// not zoomed, for an aspect that is not a positive finite number, and for a zoomed window
// with no height left (bottom - top of 19 pixels or less).
std::optional<PageLayout> layoutPages(const WindowEdges& edges, int viewPages, bool zoomed,
                                      bool landscape, double xyFactor);

// Page number shown by slot `slotNumber` (1..8) when `currentPage` is the current page:
// currentPage + slotNumber - 1, or 0 (no page, an empty slot) past `totalPages`.
int pageForSlot(int currentPage, int slotNumber, int totalPages);

// The page file of that slot from the page list (page 1 first), or "" for an empty slot.
QString fileForSlot(const QStringList& files, int currentPage, int slotNumber);

} // namespace kv
