// The printer's unit conversions on geometries the test chooses.
#include "print/unitconv.h"

#include <gtest/gtest.h>

namespace {

using kv::PageGeometry;

// 23.6 pixels per millimetre both ways (2360 px over 100 mm), offsets of 100 px.
PageGeometry worked()
{
    PageGeometry g;
    g.caps.horzRes = g.caps.vertRes = 2360;
    g.caps.horzSizeMm = g.caps.vertSizeMm = 100;
    g.caps.logPixelsX = g.caps.logPixelsY = 600;
    g.caps.physicalWidth = 2560;
    g.caps.physicalHeight = 2760;
    g.xOffset = g.yOffset = 100;
    return g;
}

TEST(UnitConversion, CentimetresOnTheWorkedDevice)
{
    struct Case { double row, col, wantRow, wantCol; };
    for (const Case& c : {Case{1, 1, 136, 136}, Case{0.2, 0.2, 0, 0}, Case{2, 0.5, 372, 18}, Case{-3, 0, 0, 0}}) {
        const auto got = kv::cmToPixels(worked(), c.row, c.col);
        EXPECT_NEAR(got[0], c.wantRow, 1e-9) << c.row;
        EXPECT_NEAR(got[1], c.wantCol, 1e-9) << c.col;
    }
}

TEST(UnitConversion, RowsUseTheVerticalScaleAndColumnsTheHorizontal)
{
    PageGeometry g = worked();
    g.caps.horzRes = 1180;  // 11.8 px/mm across, 23.6 down
    g.xOffset = 10;
    g.yOffset = 20;
    const auto cm = kv::cmToPixels(g, 1, 1);
    EXPECT_NEAR(cm[0], 236 - 20, 1e-9);
    EXPECT_NEAR(cm[1], 118 - 10, 1e-9);
    const auto inch = kv::inchToPixels(g, 1, 1);
    EXPECT_NEAR(inch[0], 25.4 * 23.6 - 20, 1e-9);
    EXPECT_NEAR(inch[1], 25.4 * 11.8 - 10, 1e-9);
    const auto rect = kv::cmRectToPixels(g, {1, 1, 2, 2});
    EXPECT_NEAR(rect[0], 216, 1e-9);
    EXPECT_NEAR(rect[1], 108, 1e-9);
    EXPECT_NEAR(rect[2], 472 - 20, 1e-9);
    EXPECT_NEAR(rect[3], 236 - 10, 1e-9);
}

TEST(UnitConversion, HundredthMillimetreFrameFitsThePrintableArea)
{
    const PageGeometry g = worked();
    // A frame of 10 mm .. 50 mm both ways.
    const auto r = kv::hundredthMmRectToPixels(g, {1000, 1000, 5000, 5000});
    EXPECT_NEAR(r[0], 236 - 100, 1e-9);
    EXPECT_NEAR(r[1], 236 - 100, 1e-9);
    EXPECT_NEAR(r[2], 1180 - 200, 1e-9);
    EXPECT_NEAR(r[3], 1180 - 200, 1e-9);
    // Far edges beyond the sheet are held to the physical page before the offsets go.
    const auto big = kv::hundredthMmRectToPixels(g, {0, 0, 1000000, 1000000});
    EXPECT_NEAR(big[0], 0, 1e-9);
    EXPECT_NEAR(big[2], g.caps.physicalWidth - 200, 1e-9);
    EXPECT_NEAR(big[3], g.caps.physicalHeight - 200, 1e-9);
}

TEST(UnitConversion, PixelsBackToMillimetresAndInches)
{
    PageGeometry g = worked();
    g.caps.logPixelsX = 300;
    g.caps.logPixelsY = 600;
    const auto mm = kv::pixelsToMm(g, 300, 600);
    EXPECT_NEAR(mm[0], 25.4, 1e-9);
    EXPECT_NEAR(mm[1], 25.4, 1e-9);
    const auto inch = kv::pixelsToInch(g, 150, 1200);
    EXPECT_NEAR(inch[0], 0.5, 1e-9);
    EXPECT_NEAR(inch[1], 2, 1e-9);
    const auto phys = kv::physicalSizeMm(g);
    EXPECT_NEAR(phys[0], 2560 / 300.0 * 25.4, 1e-9);
    EXPECT_NEAR(phys[1], 2760 / 600.0 * 25.4, 1e-9);
}

TEST(UnitConversion, NoDeviceGivesZeroInsteadOfDividingByZero)
{
    PageGeometry none;
    none.caps.logPixelsX = none.caps.logPixelsY = 0;
    for (const auto& v : {kv::cmToPixels(none, 3, 4), kv::inchToPixels(none, 3, 4), kv::pixelsToMm(none, 3, 4),
                          kv::pixelsToInch(none, 3, 4), kv::physicalSizeMm(none)}) {
        EXPECT_EQ(v[0], 0);
        EXPECT_EQ(v[1], 0);
    }
    for (double v : kv::hundredthMmRectToPixels(none, {100, 100, 900, 900})) EXPECT_EQ(v, 0);
}

} // namespace
