#include "preview/layout.h"

#include <cmath>

namespace kv {

namespace {

// Share of the width (one page) or of the height (several pages) a page may take.
constexpr double kOnePageShare = 0.4;
constexpr double kZoomedShare = 0.47;
constexpr double kManyPagesShare = 0.43;
// Room kept for the bar above and the message bar below the pages.
constexpr double kTopMargin = 50;
constexpr double kBottomMargin = 90;
constexpr double kGridBarRoom = 100;
// Later columns (and the first of eight) sit this far off an even split; users know the preview
// with exactly these positions, so the nudge stays.
constexpr double kColumnNudge = 9;

double windowWidth(const WindowEdges& e) { return e.right - e.left + 1.0; }
double windowHeight(const WindowEdges& e) { return e.bottom - e.top + 1.0; }

std::optional<PageLayout> onePage(const WindowEdges& e, bool zoomed, bool landscape, double xy)
{
    const double k = zoomed ? kZoomedShare : kOnePageShare;
    const double W = windowWidth(e) - (zoomed ? 20 : 0);
    const double H = windowHeight(e) - (zoomed ? 20 : 0);
    if (zoomed && H <= 0)
        return std::nullopt;  // no height to derive the viewport factor from

    PageLayout out;
    ControlRect r{kTopMargin, W / 2 - W * k, 0, W / 2 + W * k};
    const double pw = r.right - r.left;
    if (zoomed) {
        r.bottom = H - kBottomMargin;
        out.nyfactor = (W / H) * (landscape ? 0.43 : 0.85);
    } else {
        r.bottom = pw * xy + kTopMargin;
        // Deliberately the window's bottom edge in screen pixels, not a client height: a window
        // placed lower on the screen fits its page sooner.
        if (r.bottom > e.bottom - 130) {
            const double avail = (H - kBottomMargin) - kTopMargin;
            const double shrink = pw - avail / xy;
            r.bottom = (pw - shrink) * xy + kTopMargin;
            r.left += shrink / 2;
            r.right -= shrink / 2;
        }
    }
    out.rects[0] = r;
    return out;
}

PageLayout twoPages(const WindowEdges& e, double xy)
{
    const double k = kManyPagesShare;
    const double W = windowWidth(e);
    const double H = windowHeight(e) - kGridBarRoom;
    double top = H / 2 - H * k + 30;
    double bottom = H / 2 + H * k + 30;
    double ph = 2 * H * k;
    double pw = ph / xy;
    double left1, right1, left2, right2;
    if (W - 20 < 2 * pw) {  // too wide: fit by width
        left1 = W / 4 - (W / 2) * k;
        right1 = W / 4 + (W / 2) * k;
        pw = right1 - left1;
        ph = pw * xy;
        top = kTopMargin;
        bottom = top + ph;
        left2 = left1 + W / 2;
        right2 = right1 + W / 2;
    } else {  // fit by height, equal gaps
        const double gap = (W - 2 * pw) / 3;
        left1 = gap;
        right1 = left1 + pw;
        left2 = right1 + gap;
        right2 = left2 + pw;
    }
    PageLayout out;
    out.rects[0] = ControlRect{top, left1, bottom, right1};
    out.rects[1] = ControlRect{top, left2 - kColumnNudge, bottom, right2 - kColumnNudge};
    return out;
}

struct Column {
    double left;
    double right;
};

// Two rows of `columns` pages (4, 6 or 8 pages).
PageLayout grid(const WindowEdges& e, int columns, double xy)
{
    const double k = kManyPagesShare;
    const double W = windowWidth(e);
    const double H = windowHeight(e) - kGridBarRoom;
    double top1 = H / 4 - (H / 2) * k + 30;
    double bottom1 = H / 4 + (H / 2) * k + 30;
    double ph = bottom1 - top1;
    double pw = ph / xy;

    std::array<Column, 4> col{};
    if (W - 20 < columns * pw) {  // too wide: fit by width
        const double nudge = columns == 4 ? kColumnNudge : 0;
        col[0].left = W / (2 * columns) - (W / columns) * k + nudge;
        col[0].right = W / (2 * columns) + (W / columns) * k + nudge;
        pw = col[0].right - col[0].left;
        ph = pw * xy;
        top1 = kTopMargin;
        bottom1 = top1 + ph;
        for (int c = 1; c < columns; ++c)
            col[c] = {col[c - 1].left + W / columns - kColumnNudge,
                      col[c - 1].right + W / columns - kColumnNudge};
    } else {  // fit by height, equal gaps
        const double gap = (W - columns * (pw - kColumnNudge)) / (columns + 1) - kColumnNudge;
        col[0] = {gap, gap + pw};
        for (int c = 1; c < columns; ++c) {
            const double left = col[c - 1].right + gap;
            col[c] = {left, left + pw};
        }
    }
    const double top2 = top1 + H / 2;
    const double bottom2 = bottom1 + H / 2;

    PageLayout out;
    for (int c = 0; c < columns; ++c) {
        out.rects[c] = ControlRect{top1, col[c].left, bottom1, col[c].right};
        out.rects[columns + c] = ControlRect{top2, col[c].left, bottom2, col[c].right};
    }
    return out;
}

} // namespace

WindowEdges WindowEdges::fromFrame(const QRect& frame)
{
    return {frame.x(), frame.y(), frame.x() + frame.width(), frame.y() + frame.height()};
}

QRect ControlRect::placement() const
{
    return QRect(int(std::trunc(left)), int(std::trunc(top)), int(std::trunc(right - left + 1)),
                 int(std::trunc(bottom - top + 1)));
}

bool PageLayout::visible(int slotNumber) const
{
    return slotNumber >= 1 && slotNumber <= kPageSlots && rects[slotNumber - 1].has_value();
}

std::optional<PageLayout> layoutPages(const WindowEdges& edges, int viewPages, bool zoomed,
                                      bool landscape, double xyFactor)
{
    if (!std::isfinite(xyFactor) || xyFactor <= 0)
        return std::nullopt;
    if (zoomed)
        return onePage(edges, true, landscape, xyFactor);
    switch (viewPages) {
    case 1: return onePage(edges, false, landscape, xyFactor);
    case 2: return twoPages(edges, xyFactor);
    case 4: return grid(edges, 2, xyFactor);
    case 6: return grid(edges, 3, xyFactor);
    case 8: return grid(edges, 4, xyFactor);
    default: return std::nullopt;
    }
}

int pageForSlot(int currentPage, int slotNumber, int totalPages)
{
    const int page = currentPage + slotNumber - 1;
    return page >= 1 && page <= totalPages ? page : 0;
}

QString fileForSlot(const QStringList& files, int currentPage, int slotNumber)
{
    const int page = pageForSlot(currentPage, slotNumber, int(files.size()));
    return page == 0 ? QString() : files.at(page - 1);
}

} // namespace kv
