// Lines, fills, rectangles, arcs and pens as GDI draws them, checked on pixels.
#include "canvas.h"

#include <gtest/gtest.h>

using namespace kv::gdi;
using kvtest::Canvas;

TEST(DcDraw, LineLightsThePixelsItNamesButNotItsEnd)
{
    Canvas c;
    c.dc().moveTo(10, 20);
    c.dc().lineTo(50, 20);
    for (int x : {10, 30, 49})
        EXPECT_TRUE(c.dark(x, 20)) << x;
    EXPECT_FALSE(c.dark(30, 18));
    EXPECT_FALSE(c.dark(30, 22));
    EXPECT_FALSE(c.dark(52, 20));
    EXPECT_FALSE(c.dark(8, 20));
}

TEST(DcDraw, PolygonFillModeDecidesTheOverlap)
{
    struct Case { int32_t mode; bool centreFilled; };
    for (const Case& k : {Case{ALTERNATE, false}, Case{WINDING, true}}) {
        Canvas c;
        c.dc().selectStockObject(NULL_PEN);
        c.dc().selectStockObject(BLACK_BRUSH);
        c.dc().setPolyFillMode(k.mode);
        // Two squares wound the same way, the small one inside the big one.
        const PointL pts[] = {{20, 20}, {180, 20}, {180, 180}, {20, 180}, {60, 60}, {140, 60}, {140, 140}, {60, 140}};
        const uint32_t counts[] = {4, 4};
        c.dc().polyPolygon(counts, pts);
        EXPECT_EQ(c.dark(100, 100), k.centreFilled) << k.mode;
        EXPECT_TRUE(c.dark(40, 100)) << k.mode;
        EXPECT_FALSE(c.dark(10, 10)) << k.mode;
    }
}

TEST(DcDraw, RectangleLeavesOutItsRightAndBottomEdges)
{
    Canvas c;
    c.dc().selectStockObject(BLACK_BRUSH);
    c.dc().rectangle({10, 10, 20, 20});
    EXPECT_TRUE(c.dark(10, 10));
    EXPECT_TRUE(c.dark(19, 19));
    EXPECT_TRUE(c.dark(15, 15));
    EXPECT_FALSE(c.dark(20, 15));
    EXPECT_FALSE(c.dark(15, 20));
    EXPECT_FALSE(c.dark(9, 15));
}

TEST(DcDraw, OutlineOnlyRectangleKeepsItsInteriorClear)
{
    Canvas c;
    c.dc().selectStockObject(NULL_BRUSH);
    c.dc().rectangle({10, 10, 50, 50});
    EXPECT_TRUE(c.dark(10, 30));
    EXPECT_TRUE(c.dark(49, 30));
    EXPECT_FALSE(c.dark(30, 30));
}

// The arc from the rightmost to the leftmost point of a circle: counter-clockwise it is the
// upper half on a y-down page; clockwise, or through a mapping that flips y, the lower half.
TEST(DcDraw, ArcDirectionAndFlippedMappings)
{
    struct Case { int32_t direction; bool flipY; bool upperHalf; };
    for (const Case& k : {Case{AD_COUNTERCLOCKWISE, false, true}, Case{AD_CLOCKWISE, false, false},
                          Case{AD_COUNTERCLOCKWISE, true, false}}) {
        Canvas c;
        Dc& dc = c.dc();
        if (k.flipY) {
            dc.setMapMode(MM_ANISOTROPIC);
            dc.setWindowExt(1, 1);
            dc.setViewportExt(1, -1);
            dc.setViewportOrg(0, 200);
        }
        dc.setArcDirection(k.direction);
        dc.arc({50, 50, 150, 150}, {150, 100}, {50, 100});
        const int upper = c.darkCount(QRect(50, 40, 101, 20));
        const int lower = c.darkCount(QRect(50, 140, 101, 20));
        EXPECT_EQ(upper > 0, k.upperHalf) << k.direction << k.flipY;
        EXPECT_EQ(lower > 0, !k.upperHalf) << k.direction << k.flipY;
    }
}

TEST(DcDraw, PenWidthFollowsTheMappingButNeverFallsBelowOnePixel)
{
    struct Case { int32_t penWidth; int32_t viewportExt; int minRows; int maxRows; };
    for (const Case& k : {Case{10, 1000, 9, 12}, Case{1, 10, 1, 2}, Case{0, 10, 1, 2}}) {
        Canvas c;
        Dc& dc = c.dc();
        dc.setMapMode(MM_ANISOTROPIC);
        dc.setWindowExt(1000, 1000);
        dc.setViewportExt(k.viewportExt, k.viewportExt);
        dc.selectObject(kvtest::pen(k.penWidth, 0));
        const int32_t y = 50 * 1000 / k.viewportExt, xEnd = 200 * 1000 / k.viewportExt;
        dc.moveTo(0, y);
        dc.lineTo(xEnd, y);
        const int rows = c.darkCount(QRect(100, 0, 1, 200));
        EXPECT_GE(rows, k.minRows) << k.penWidth;
        EXPECT_LE(rows, k.maxRows) << k.penWidth;
    }
}

TEST(DcDraw, NullPenAndNullBrushDrawNothing)
{
    Canvas c;
    c.dc().selectStockObject(NULL_PEN);
    c.dc().selectStockObject(NULL_BRUSH);
    c.dc().rectangle({10, 10, 100, 100});
    c.dc().ellipse({10, 10, 100, 100});
    EXPECT_EQ(c.darkCount(QRect(0, 0, 200, 200)), 0);
}
