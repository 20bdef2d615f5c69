// Scroll-bar events in zoom mode: which comes first, thumb or origin, and the origin arithmetic.
#include "preview/scrollbarmodel.h"

#include <gtest/gtest.h>

namespace {

using kv::ScrollBarModel;
using kv::ScrollDirection;

constexpr int kHorzRes = 4800;
constexpr int kVertRes = 6600;

ScrollBarModel zoomedBar(double factor, int thumb)
{
    return ScrollBarModel{}.withRange(kv::scrollRange(true, factor)).movedBy(thumb - 1);
}

TEST(ScrollStep, PrinterPixelsPerThumbPosition)
{
    EXPECT_EQ(kv::scrollStep(kHorzRes, 20), 240);
    EXPECT_EQ(kv::scrollStep(kVertRes, 20), 330);
    EXPECT_EQ(kv::scrollStep(kVertRes, 21), 314);  // 314.28... truncated
    EXPECT_EQ(kv::scrollStep(kVertRes, 60), 110);
    EXPECT_EQ(kv::scrollStep(kVertRes, 0), 0);  // hidden bar: nothing to divide by
}

TEST(ScrollBar, LineDownMovesThumbFirst)
{
    const auto out = zoomedBar(1, 1).lineDown(kVertRes);
    EXPECT_EQ(out.bar.pos, 2);
    ASSERT_TRUE(out.origin);
    EXPECT_DOUBLE_EQ(*out.origin, 660);
}

TEST(ScrollBar, LineUpMovesThumbFirst)
{
    const auto out = zoomedBar(1, 5).lineUp(kVertRes);
    EXPECT_EQ(out.bar.pos, 4);
    EXPECT_DOUBLE_EQ(*out.origin, 330 * (5 - 3));
}

TEST(ScrollBar, PageEventsScrollBeforeTheThumbMoves)
{
    const auto down = zoomedBar(1, 3).pageDown(kVertRes);
    EXPECT_EQ(down.bar.pos, 4);
    EXPECT_DOUBLE_EQ(*down.origin, 330 * (3 + 2 - 1));

    const auto up = zoomedBar(1, 10).pageUp(kVertRes);
    EXPECT_EQ(up.bar.pos, 9);
    EXPECT_DOUBLE_EQ(*up.origin, 330 * (10 - 2 - 1));

    // At factor 1.05 the range is 1..21 and a page is 2.1 positions: the origin has a fraction.
    const auto soft = zoomedBar(1.05, 1).pageDown(kVertRes);
    EXPECT_EQ(soft.bar.pos, 2);
    EXPECT_NEAR(*soft.origin, 314 * 2.1, 1e-9);
}

TEST(ScrollBar, ThumbReleaseLeavesThumb)
{
    const auto out = zoomedBar(1, 1).thumbReleased(kVertRes, 10);
    EXPECT_EQ(out.bar.pos, 1);
    EXPECT_DOUBLE_EQ(*out.origin, 3300);

    const auto later = zoomedBar(1, 4).thumbReleased(kHorzRes, 6);
    EXPECT_EQ(later.bar.pos, 4);
    EXPECT_DOUBLE_EQ(*later.origin, 240 * (4 + 6 - 1));
}

TEST(ScrollBar, OriginStaysWithinThePage)
{
    struct Row {
        const char* what;
        kv::ScrollOutcome out;
        double origin;
        int thumb;
    };
    const Row table[] = {
        {"line up at the top", zoomedBar(1, 1).lineUp(kVertRes), 0, 1},
        {"line up from 2", zoomedBar(1, 2).lineUp(kVertRes), 0, 1},
        {"page up at the top", zoomedBar(1, 1).pageUp(kVertRes), 0, 1},
        {"line down at the bottom", zoomedBar(1, 20).lineDown(kVertRes), kVertRes, 20},
        {"page down at the bottom", zoomedBar(1, 20).pageDown(kVertRes), kVertRes, 20},
        {"far thumb release", zoomedBar(1, 15).thumbReleased(kHorzRes, 20), kHorzRes, 15},
    };
    for (const Row& r : table) {
        SCOPED_TRACE(r.what);
        ASSERT_TRUE(r.out.origin);
        EXPECT_DOUBLE_EQ(*r.out.origin, r.origin);
        EXPECT_EQ(r.out.bar.pos, r.thumb);
    }
}

TEST(ScrollBar, JumpAfterDoubleClick)
{
    // Entering zoom puts the thumbs at the range minimum (the hidden bar held them at 0).
    const ScrollBarModel entered = ScrollBarModel{}.withRange(kv::scrollRange(true, 1));
    EXPECT_EQ(entered, (ScrollBarModel{1, 20, 1}));

    const auto jump = entered.jumpTo(kVertRes, 10);
    EXPECT_EQ(jump.bar.pos, 10);
    EXPECT_DOUBLE_EQ(*jump.origin, 3300);

    const auto none = entered.jumpTo(kVertRes, 0);
    EXPECT_EQ(none.bar, entered);
    EXPECT_FALSE(none.origin);
}

TEST(ScrollBar, RangeChangesKeepTheThumbInside)
{
    EXPECT_EQ((ScrollBarModel{1, 60, 45}.withRange({1, 20})), (ScrollBarModel{1, 20, 20}));
    EXPECT_EQ((ScrollBarModel{1, 20, 7}.withRange({0, 0})), (ScrollBarModel{0, 0, 0}));
    EXPECT_EQ((ScrollBarModel{1, 20, 7}.atMinimum()), (ScrollBarModel{1, 20, 1}));
    EXPECT_EQ((ScrollBarModel{1, 20, 7}.atMaximum()), (ScrollBarModel{1, 20, 20}));
    EXPECT_EQ((ScrollBarModel{1, 20, 7}.movedBy(-10)), (ScrollBarModel{1, 20, 1}));
}

TEST(ScrollBar, HiddenBarNeverDividesByZero)
{
    const ScrollBarModel hidden{0, 0, 0};
    const auto out = hidden.lineDown(kVertRes);
    EXPECT_EQ(out.bar.pos, 0);
    EXPECT_DOUBLE_EQ(*out.origin, 0);
    EXPECT_DOUBLE_EQ(kv::scrollOrigin(kVertRes, hidden, ScrollDirection::Forward, true), 0);
}

TEST(ScrollOrigin, DeltaRules)
{
    const ScrollBarModel bar{1, 20, 5};
    struct Row {
        ScrollDirection dir;
        bool page;
        std::optional<int> position;
        double origin;
    };
    const Row table[] = {
        {ScrollDirection::Forward, false, std::nullopt, 330 * 5},
        {ScrollDirection::Back, false, std::nullopt, 330 * 3},
        {ScrollDirection::Forward, true, std::nullopt, 330 * 6},
        {ScrollDirection::Back, true, std::nullopt, 330 * 2},
        {ScrollDirection::Absolute, false, 3, 330 * 7},
        {ScrollDirection::Absolute, true, 3, 330 * 7},  // a position wins over the page flag
        {ScrollDirection::Back, false, 2, 330 * 2},     // a position is negated going back
    };
    for (const Row& r : table)
        EXPECT_DOUBLE_EQ(kv::scrollOrigin(kVertRes, bar, r.dir, r.page, r.position), r.origin)
            << int(r.dir) << " " << r.page;
}

} // namespace
