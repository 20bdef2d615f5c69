// Zoom-factor arithmetic: ranges, divisors, soft-zoom steps and their lower bound, the
// positions a double-click zooms to, and the factor menu's check mark.
#include "preview/labeltext.h"
#include "preview/scrollbarmodel.h"
#include "preview/zoommath.h"

#include <gtest/gtest.h>

namespace {

const QList<double> kDefaultFactors{1, 2, 3, 4, 5, 6, 7, 8, 9};

TEST(WholePart, TruncatesTowardZeroIgnoringDust)
{
    struct Row {
        double value;
        int whole;
    };
    const Row table[] = {
        {21.000000000000004, 21}, {22.999999999999996, 23}, {2.5, 2},    {2.999, 2},
        {-2.5, -2},               {-2.9999999999999996, -3}, {0.9999, 0}, {0, 0},
    };
    for (const Row& r : table)
        EXPECT_EQ(kv::wholePart(r.value), r.whole) << r.value;
}

TEST(ScrollRange, NormalViewHidesBarsZoomFollowsFactor)
{
    struct Row {
        bool zoomed;
        double factor;
        kv::ScrollRange range;
    };
    const Row table[] = {
        {false, 1, {0, 0}},   {false, 3, {0, 0}},  {true, 1, {1, 20}},
        {true, 1.05, {1, 21}}, {true, 3, {1, 60}}, {true, 1.52, {1, 30}},  // 30.4 truncated
        {true, 0.05, {1, 1}}, {true, 0.01, {1, 1}},  // never fewer positions than one
    };
    for (const Row& r : table)
        EXPECT_EQ(kv::scrollRange(r.zoomed, r.factor), r.range) << r.zoomed << " " << r.factor;
}

TEST(ZoomFactor, ThreeHundredPercent)
{
    const kv::ZoomDivisors d = kv::zoomDivisors(3);
    EXPECT_DOUBLE_EQ(d.horizontal, 3);
    EXPECT_DOUBLE_EQ(d.vertical, 6);
    EXPECT_EQ(kv::scrollRange(true, 3), (kv::ScrollRange{1, 60}));
    EXPECT_EQ(kv::checkedFactorIndex(kDefaultFactors, 3), 2);
}

TEST(SoftZoom, StepUpFromOne)
{
    const double f = kv::softZoomed(1, 0.05, true);
    EXPECT_DOUBLE_EQ(f, 1.05);
    EXPECT_EQ(kv::scrollRange(true, f), (kv::ScrollRange{1, 21}));
    EXPECT_EQ(kv::checkedFactorIndex(kDefaultFactors, f), -1);
}

TEST(SoftZoom, RepeatedStepsKeepWholeRanges)
{
    double up = 1;
    for (int i = 0; i < 3; ++i)
        up = kv::softZoomed(up, 0.05, true);
    EXPECT_EQ(kv::scrollRange(true, up), (kv::ScrollRange{1, 23}));
    // Three steps down leave 0.8499999999999999, and 20 times that is just below 17.
    double down = 1;
    for (int i = 0; i < 3; ++i)
        down = kv::softZoomed(down, 0.05, false);
    EXPECT_LT(20 * down, 17);
    EXPECT_EQ(kv::scrollRange(true, down), (kv::ScrollRange{1, 17}));
    EXPECT_EQ(kv::factorLabel(down, QStringLiteral("%")), QStringLiteral("85 %"));
}

TEST(SoftZoom, NeverReachesZero)
{
    EXPECT_DOUBLE_EQ(kv::softZoomed(0.1, 0.05, false), 0.05);
    EXPECT_DOUBLE_EQ(kv::softZoomed(0.05, 0.05, false), 0.05);  // refused
    EXPECT_DOUBLE_EQ(kv::softZoomed(0.7, 0.3, false), 0.4);
    EXPECT_DOUBLE_EQ(kv::softZoomed(0.4, 0.3, false), 0.4);  // 0.1 is less than a step above 0
    EXPECT_DOUBLE_EQ(kv::softZoomed(1, 0, false), 1);

    // Holding the reduce key: the factor settles one step above 0, and the arithmetic that
    // depends on it stays defined.
    double f = 1;
    for (int i = 0; i < 100; ++i)
        f = kv::softZoomed(f, 0.05, false);
    EXPECT_NEAR(f, 0.05, 1e-9);
    EXPECT_GE(kv::scrollRange(true, f).max, 1);
    EXPECT_GT(kv::scrollStep(6600, kv::scrollRange(true, f).max), 0);
    // And back up from there.
    EXPECT_NEAR(kv::softZoomed(f, 0.05, true), 0.1, 1e-9);
}

TEST(SoftZoom, NegativeStepCannotDriveTheFactorToZero)
{
    double f = 1;
    for (int i = 0; i < 100; ++i)
        f = kv::softZoomed(f, -0.05, true);
    EXPECT_GT(f, 0);
    EXPECT_NEAR(f, 0.05, 1e-9);
}

TEST(ClickZoom, ThumbsNineStepsBeforeTheClick)
{
    struct Row {
        int col, row, width, height;
        double factor;
        kv::ClickThumbs thumbs;
    };
    const Row table[] = {
        {1, 600, 420, 630, 1, {0, 10}},   // 600 / 631 * 20 = 19.01
        {1, 600, 420, 630, 2, {0, 29}},   // 38.03
        {1, 0, 420, 630, 1, {0, 0}},
        {1, 100, 420, 630, 1, {0, 0}},    // 3.17 - 9 below 0
        {1, 1, 9, 9, 5, {1, 1}},          // 1 / 10 * 100 = 10: a control narrower than 2f
        {1, 1, 10, 10, 5, {0, 0}},        // 9.09
        {400, 300, 420, 630, 1, {10, 0}}, // 19.0
        {5, 5, -1, -1, 1, {0, 0}},        // no size to divide by
    };
    for (const Row& r : table)
        EXPECT_EQ(kv::clickZoomThumbs(r.col, r.row, r.width, r.height, r.factor), r.thumbs)
            << r.col << "," << r.row << " in " << r.width << "x" << r.height << " f " << r.factor;
}

TEST(ClickZoom, EndKeyOrigin)
{
    const QPointF o = kv::endKeyOrigin(4800, 6600);
    EXPECT_DOUBLE_EQ(o.x(), 3840);
    EXPECT_DOUBLE_EQ(o.y(), 5280);
}

TEST(FactorCheck, ExactMatchOnly)
{
    const QList<double> factors{1, 2, 2.5, 4, 5, 6, 7, 8, 9};
    EXPECT_EQ(kv::checkedFactorIndex(factors, 1), 0);
    EXPECT_EQ(kv::checkedFactorIndex(factors, 2.5), 2);
    EXPECT_EQ(kv::checkedFactorIndex(factors, 9), 8);
    EXPECT_EQ(kv::checkedFactorIndex(factors, 3), -1);
    EXPECT_EQ(kv::checkedFactorIndex(factors, 2.5000001), -1);
}

} // namespace
