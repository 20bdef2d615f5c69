// Page-slot layout of the preview window: worked examples, both fitting branches of every grid,
// truncation of the placement and which slots show which page.
#include "preview/layout.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

namespace {

using kv::ControlRect;
using kv::WindowEdges;

constexpr double kTol = 1e-9;

void expectRect(const ControlRect& got, const ControlRect& want, const std::string& where)
{
    SCOPED_TRACE(where);
    EXPECT_NEAR(got.top, want.top, kTol);
    EXPECT_NEAR(got.left, want.left, kTol);
    EXPECT_NEAR(got.bottom, want.bottom, kTol);
    EXPECT_NEAR(got.right, want.right, kTol);
}

TEST(PageLayout, OnePageFitsToWindowHeight)
{
    const auto layout = kv::layoutPages({0, 0, 1024, 768}, 1, false, false, 1.5);
    ASSERT_TRUE(layout);
    ASSERT_TRUE(layout->rects[0]);
    const ControlRect r = *layout->rects[0];
    EXPECT_NEAR(r.top, 50, kTol);
    EXPECT_NEAR(r.left, 302.8333333333, 1e-6);
    EXPECT_NEAR(r.bottom, 679, kTol);
    EXPECT_NEAR(r.right, 722.1666666667, 1e-6);
    EXPECT_EQ(r.placement(), QRect(302, 50, 420, 630));
    EXPECT_FALSE(layout->nyfactor);
    for (int slot = 2; slot <= 8; ++slot)
        EXPECT_FALSE(layout->visible(slot)) << slot;
}

TEST(PageLayout, OnePageZoomedSetsViewportFactor)
{
    const auto portrait = kv::layoutPages({0, 0, 1024, 768}, 1, true, false, 1.5);
    ASSERT_TRUE(portrait);
    EXPECT_EQ(portrait->rects[0]->placement(), QRect(30, 50, 945, 610));
    ASSERT_TRUE(portrait->nyfactor);
    EXPECT_NEAR(*portrait->nyfactor, 1005.0 / 749.0 * 0.85, kTol);
    EXPECT_NEAR(*portrait->nyfactor, 1.1405, 1e-4);

    const auto landscape = kv::layoutPages({0, 0, 1024, 768}, 1, true, true, 0.7);
    ASSERT_TRUE(landscape && landscape->nyfactor);
    EXPECT_NEAR(*landscape->nyfactor, 1005.0 / 749.0 * 0.43, kTol);
    // The zoomed page ignores the aspect: it fills the window.
    EXPECT_EQ(landscape->rects[0]->placement(), QRect(30, 50, 945, 610));
}

TEST(PageLayout, ZoomedLayoutIsOnePageWhateverTheCount)
{
    const auto one = kv::layoutPages({0, 0, 1024, 768}, 1, true, false, 1.5);
    for (int count : {2, 4, 6, 8}) {
        const auto layout = kv::layoutPages({0, 0, 1024, 768}, count, true, false, 1.5);
        ASSERT_TRUE(layout) << count;
        EXPECT_EQ(layout->rects[0]->placement(), one->rects[0]->placement()) << count;
        for (int slot = 2; slot <= 8; ++slot)
            EXPECT_FALSE(layout->visible(slot)) << count << " slot " << slot;
    }
}

TEST(PageLayout, TwoPagesSideBySide)
{
    const auto layout = kv::layoutPages({0, 0, 1024, 768}, 2, false, false, 1.5);
    ASSERT_TRUE(layout);
    EXPECT_EQ(layout->rects[0]->placement(), QRect(85, 76, 384, 576));
    EXPECT_EQ(layout->rects[1]->placement(), QRect(546, 76, 384, 576));
    for (int slot = 3; slot <= 8; ++slot)
        EXPECT_FALSE(layout->visible(slot)) << slot;
}

// The fitting test reads the window's bottom edge on the screen, so the same window placed
// higher up keeps its natural page while placed lower it is "fitted" (here: even enlarged,
// and pushed past the left edge, which the placement truncates toward zero).
TEST(PageLayout, OnePageFitDependsOnScreenPosition)
{
    const auto high = kv::layoutPages({0, 0, 400, 768}, 1, false, false, 1.5);
    ASSERT_TRUE(high);
    const double pw = 401 * 0.8;
    expectRect(*high->rects[0], {50, 200.5 - 160.4, pw * 1.5 + 50, 200.5 + 160.4}, "natural");

    const auto low = kv::layoutPages({0, -400, 400, 368}, 1, false, false, 1.5);
    ASSERT_TRUE(low);
    const double shrink = pw - 629 / 1.5;  // negative: the page grows
    expectRect(*low->rects[0], {50, 200.5 - 160.4 + shrink / 2, 679, 200.5 + 160.4 - shrink / 2},
               "fitted");
    EXPECT_EQ(low->rects[0]->placement(), QRect(-9, 50, 420, 630));
}

struct GridCase {
    const char* name;
    WindowEdges edges;
    int count;
    double xy;
    std::vector<ControlRect> expected;  // slots 1..count
};

// Two rows with the given columns, each row the same columns.
std::vector<ControlRect> rows(double top1, double bottom1, double top2, double bottom2,
                              const std::vector<std::pair<double, double>>& columns)
{
    std::vector<ControlRect> out;
    for (const auto& [l, r] : columns)
        out.push_back({top1, l, bottom1, r});
    for (const auto& [l, r] : columns)
        out.push_back({top2, l, bottom2, r});
    return out;
}

// Expected values written out by hand from the layout rules, one window per case.
std::vector<GridCase> gridCases()
{
    std::vector<GridCase> cases;
    {  // 2 pages too wide for the height: fit by width. W 601, H 669.
        const double l1 = 601.0 / 4 - 300.5 * 0.43, r1 = 601.0 / 4 + 300.5 * 0.43;
        const double b = 50 + (r1 - l1) * 1.5;
        cases.push_back({"two by width", {0, 0, 600, 768}, 2, 1.5,
                         {{50, l1, b, r1}, {50, l1 + 300.5 - 9, b, r1 + 300.5 - 9}}});
    }
    {  // 4 pages, fit by height. W 1025, H 669.
        const double t1 = 669.0 / 4 - 334.5 * 0.43 + 30, b1 = 669.0 / 4 + 334.5 * 0.43 + 30;
        const double pw = (b1 - t1) / 1.5;
        const double gap = (1025 - 2 * (pw - 9)) / 3 - 9;
        const double l2 = gap + pw + gap;
        cases.push_back({"four by height", {0, 0, 1024, 768}, 4, 1.5,
                         rows(t1, b1, t1 + 334.5, b1 + 334.5, {{gap, gap + pw}, {l2, l2 + pw}})});
        // The window's place on the screen does not matter for the grids.
        cases.push_back({"four by height, moved", {100, 40, 1124, 808}, 4, 1.5,
                         cases.back().expected});
    }
    {  // 4 pages, fit by width. W 301, H 901.
        const double l1 = 301.0 / 4 - 150.5 * 0.43, r1 = 301.0 / 4 + 150.5 * 0.43;
        const double b1 = 50 + (r1 - l1) * 1.2;
        cases.push_back({"four by width", {0, 0, 300, 1000}, 4, 1.2,
                         rows(50, b1, 50 + 450.5, b1 + 450.5,
                              {{l1, r1}, {l1 + 150.5 - 9, r1 + 150.5 - 9}})});
    }
    {  // 6 pages, fit by height. W 1601, H 801.
        const double t1 = 801.0 / 4 - 400.5 * 0.43 + 30, b1 = 801.0 / 4 + 400.5 * 0.43 + 30;
        const double pw = (b1 - t1) / 1.4;
        const double gap = (1601 - 3 * (pw - 9)) / 4 - 9;
        const double l2 = gap + pw + gap, l3 = l2 + pw + gap;
        cases.push_back({"six by height", {0, 0, 1600, 900}, 6, 1.4,
                         rows(t1, b1, t1 + 400.5, b1 + 400.5,
                              {{gap, gap + pw}, {l2, l2 + pw}, {l3, l3 + pw}})});
    }
    {  // 6 pages, fit by width. W 601, H 669.
        const double third = 601.0 / 3;
        const double l1 = 601.0 / 6 - third * 0.43, r1 = 601.0 / 6 + third * 0.43;
        const double b1 = 50 + (r1 - l1) * 1.0;
        const double l2 = l1 + third - 9, r2 = r1 + third - 9;
        cases.push_back({"six by width", {0, 0, 600, 768}, 6, 1.0,
                         rows(50, b1, 50 + 334.5, b1 + 334.5,
                              {{l1, r1}, {l2, r2}, {l2 + third - 9, r2 + third - 9}})});
    }
    {  // 8 pages, fit by height. W 1901, H 601.
        const double t1 = 601.0 / 4 - 300.5 * 0.43 + 30, b1 = 601.0 / 4 + 300.5 * 0.43 + 30;
        const double pw = (b1 - t1) / 1.5;
        const double gap = (1901 - 4 * (pw - 9)) / 5 - 9;
        std::vector<std::pair<double, double>> cols{{gap, gap + pw}};
        for (int c = 1; c < 4; ++c)
            cols.push_back({cols.back().second + gap, cols.back().second + gap + pw});
        cases.push_back({"eight by height", {0, 0, 1900, 700}, 8, 1.5,
                         rows(t1, b1, t1 + 300.5, b1 + 300.5, cols)});
    }
    {  // 8 pages, fit by width. W 1025, H 669.
        const double quarter = 1025.0 / 4;
        const double l1 = 1025.0 / 8 - quarter * 0.43 + 9, r1 = 1025.0 / 8 + quarter * 0.43 + 9;
        const double b1 = 50 + (r1 - l1) * 1.0;
        std::vector<std::pair<double, double>> cols{{l1, r1}};
        for (int c = 1; c < 4; ++c)
            cols.push_back({cols.back().first + quarter - 9, cols.back().second + quarter - 9});
        cases.push_back({"eight by width", {0, 0, 1024, 768}, 8, 1.0,
                         rows(50, b1, 50 + 334.5, b1 + 334.5, cols)});
    }
    return cases;
}

TEST(PageLayout, GridsFollowTheFittingRules)
{
    for (const GridCase& c : gridCases()) {
        SCOPED_TRACE(c.name);
        const auto layout = kv::layoutPages(c.edges, c.count, false, false, c.xy);
        ASSERT_TRUE(layout);
        EXPECT_FALSE(layout->nyfactor);
        for (int slot = 1; slot <= 8; ++slot) {
            const bool shown = slot <= c.count;
            ASSERT_EQ(layout->visible(slot), shown) << "slot " << slot;
            if (shown)
                expectRect(*layout->rects[slot - 1], c.expected[slot - 1],
                           "slot " + std::to_string(slot));
        }
    }
}

// A few placements worked out independently with a calculator, to pin the truncation.
TEST(PageLayout, GridPlacementsInWholePixels)
{
    const auto four = kv::layoutPages({0, 0, 1024, 768}, 4, false, false, 1.5);
    ASSERT_TRUE(four);
    EXPECT_EQ(four->rects[0]->placement(), QRect(210, 53, 192, 288));
    EXPECT_EQ(four->rects[3]->placement(), QRect(613, 387, 192, 288));

    const auto eight = kv::layoutPages({0, 0, 1024, 768}, 8, false, false, 1.0);
    ASSERT_TRUE(eight);
    EXPECT_EQ(eight->rects[0]->placement(), QRect(26, 50, 221, 221));
    EXPECT_EQ(eight->rects[7]->placement(), QRect(768, 384, 221, 221));
}

TEST(PageLayout, PlacementTruncatesTowardZero)
{
    struct Row {
        ControlRect rect;
        QRect want;
    };
    const Row table[] = {
        {{50, 302.83, 679, 722.17}, QRect(302, 50, 420, 630)},
        {{0.99, 0.99, 10.5, 10.5}, QRect(0, 0, 10, 10)},
        {{-0.5, -9.7, 20.2, 30.1}, QRect(-9, 0, 40, 21)},  // -9.7 -> -9, not -10
        {{10, 10, 9.5, 9.5}, QRect(10, 10, 0, 0)},
    };
    for (const Row& row : table)
        EXPECT_EQ(row.rect.placement(), row.want)
            << row.rect.top << " " << row.rect.left << " " << row.rect.bottom << " "
            << row.rect.right;
}

TEST(PageLayout, NoChangeForUnknownCountOrBadAspect)
{
    for (int count : {0, 3, 5, 7, 9, -1})
        EXPECT_FALSE(kv::layoutPages({0, 0, 1024, 768}, count, false, false, 1.5)) << count;
    for (double xy : {0.0, -1.5, std::numeric_limits<double>::infinity(),
                      std::numeric_limits<double>::quiet_NaN()})
        EXPECT_FALSE(kv::layoutPages({0, 0, 1024, 768}, 1, false, false, xy)) << xy;
    // A zoomed window with no height left cannot give a viewport factor.
    EXPECT_FALSE(kv::layoutPages({0, 0, 1024, 19}, 1, true, false, 1.5));
}

TEST(PageLayout, EdgesFromQtFrameAreExclusive)
{
    const WindowEdges e = WindowEdges::fromFrame(QRect(10, 20, 1024, 768));
    EXPECT_EQ(e.left, 10);
    EXPECT_EQ(e.top, 20);
    EXPECT_EQ(e.right, 1034);
    EXPECT_EQ(e.bottom, 788);
}

TEST(PageLayout, VisibleOutsideSlotRangeIsFalse)
{
    const auto layout = kv::layoutPages({0, 0, 1024, 768}, 8, false, false, 1.5);
    ASSERT_TRUE(layout);
    EXPECT_TRUE(layout->visible(1));
    EXPECT_TRUE(layout->visible(8));
    EXPECT_FALSE(layout->visible(0));
    EXPECT_FALSE(layout->visible(9));
}

TEST(SlotPages, SlotsShowFollowingPagesAndEmptyPastTheEnd)
{
    struct Row {
        int current, slot, total, page;
    };
    const Row table[] = {
        {5, 1, 10, 5}, {5, 6, 10, 10}, {5, 7, 10, 0}, {5, 8, 10, 0},
        {10, 1, 10, 10}, {10, 2, 10, 0},  // two pages on the last page: slot 2 empty
        {1, 1, 1, 1}, {1, 2, 1, 0}, {1, 1, 0, 0},
    };
    for (const Row& r : table)
        EXPECT_EQ(kv::pageForSlot(r.current, r.slot, r.total), r.page)
            << r.current << "/" << r.slot << "/" << r.total;
}

TEST(SlotPages, EightPagesOfTenFromPageFive)
{
    QStringList files;
    for (int i = 1; i <= 10; ++i)
        files << QStringLiteral("/set/E001%1.emf").arg(i, 4, 10, QLatin1Char('0'));
    for (int slot = 1; slot <= 6; ++slot)
        EXPECT_EQ(kv::fileForSlot(files, 5, slot), files.at(slot + 3)) << slot;
    EXPECT_EQ(kv::fileForSlot(files, 5, 7), QString());
    EXPECT_EQ(kv::fileForSlot(files, 5, 8), QString());
}

} // namespace
