// Text placement: alignment against the reference point, Dx advances, update-current-position.
#include "canvas.h"
#include "tracedevice.h"

#include <gtest/gtest.h>

using namespace kv::gdi;
using kvtest::Canvas;
using kvtest::TraceDevice;

namespace {

// Rows of the canvas holding ink, as [first, last].
std::pair<int, int> inkRows(Canvas& c)
{
    int first = -1, last = -1;
    for (int y = 0; y < c.image().height(); ++y)
        if (c.darkCount(QRect(0, y, c.image().width(), 1)) > 0) {
            if (first < 0)
                first = y;
            last = y;
        }
    return {first, last};
}

} // namespace

TEST(DcText, VerticalAlignmentPutsTheInkOnTheRightSideOfTheReference)
{
    struct Case { uint32_t align; bool inkAbove; bool inkBelow; };
    const Case cases[] = {
        {TA_BASELINE, true, false},
        {TA_TOP, false, true},
        {TA_BOTTOM, true, false},
    };
    for (const Case& k : cases) {
        Canvas c;
        c.dc().selectObject(kvtest::font(-40));
        c.dc().setTextAlign(k.align);
        c.dc().setBkMode(TRANSPARENT);
        c.dc().extTextOut(20, 100, 0, nullptr, u"HHH");
        const auto [first, last] = inkRows(c);
        ASSERT_GE(first, 0) << k.align;
        EXPECT_EQ(first < 98, k.inkAbove) << k.align;
        EXPECT_EQ(last > 102, k.inkBelow) << k.align;
        EXPECT_LT(last - first, 45) << k.align;  // cap height of a 40-pixel em
        EXPECT_GT(last - first, 20) << k.align;
    }
}

TEST(DcText, BaselineTextSitsOnItsBaseline)
{
    Canvas c;
    c.dc().selectObject(kvtest::font(-40));
    c.dc().setTextAlign(TA_BASELINE);
    c.dc().setBkMode(TRANSPARENT);
    c.dc().extTextOut(20, 100, 0, nullptr, u"H");
    const auto [first, last] = inkRows(c);
    EXPECT_NEAR(last, 99, 1);
}

TEST(DcText, DxAdvancesPlaceEachCharacterInLogicalUnits)
{
    TraceDevice device;
    Dc dc(device);
    dc.setMapMode(MM_ANISOTROPIC);
    dc.setWindowExt(10, 10);
    dc.setViewportExt(20, 20);  // two device pixels per logical unit
    dc.selectObject(kvtest::font(-10));
    dc.setTextAlign(TA_BASELINE);
    const int32_t dx[] = {30, 5, 7};
    dc.extTextOut(10, 50, 0, nullptr, u"ABC", dx);
    ASSERT_EQ(device.texts.size(), 1u);
    const auto& o = device.texts[0].origins;
    ASSERT_EQ(o.size(), 3u);
    EXPECT_DOUBLE_EQ(o[0].x(), 20);
    EXPECT_DOUBLE_EQ(o[1].x(), 80);
    EXPECT_DOUBLE_EQ(o[2].x(), 90);
    EXPECT_DOUBLE_EQ(o[2].y(), 100);
}

TEST(DcText, RightAndCentreAlignmentUseTheSumOfTheAdvances)
{
    struct Case { uint32_t align; double firstX; };
    for (const Case& k : {Case{TA_RIGHT | TA_BASELINE, 100 - 30}, Case{TA_CENTER | TA_BASELINE, 100 - 15}}) {
        TraceDevice device;
        Dc dc(device);
        dc.selectObject(kvtest::font(-10));
        dc.setTextAlign(k.align);
        const int32_t dx[] = {10, 20};
        dc.extTextOut(100, 50, 0, nullptr, u"AB", dx);
        ASSERT_EQ(device.texts.size(), 1u);
        EXPECT_DOUBLE_EQ(device.texts[0].origins[0].x(), k.firstX) << k.align;
    }
}

TEST(DcText, UpdateCurrentPositionUsesAndAdvancesIt)
{
    TraceDevice device;
    Dc dc(device);
    dc.selectObject(kvtest::font(-10));
    dc.setTextAlign(TA_UPDATECP | TA_BASELINE);
    dc.moveTo(40, 60);
    const int32_t dx[] = {10, 10};
    dc.extTextOut(0, 0, 0, nullptr, u"AB", dx);
    dc.extTextOut(0, 0, 0, nullptr, u"AB", dx);
    ASSERT_EQ(device.texts.size(), 2u);
    EXPECT_DOUBLE_EQ(device.texts[0].origins[0].x(), 40);
    EXPECT_DOUBLE_EQ(device.texts[1].origins[0].x(), 60);
    EXPECT_DOUBLE_EQ(device.texts[1].origins[0].y(), 60);
    EXPECT_DOUBLE_EQ(dc.state().currentPosition.x(), 80);
}

TEST(DcText, OpaqueRectangleIsFilledWithTheBackgroundColour)
{
    Canvas c;
    c.dc().setBkColor(0x0000FF);  // red
    const RectL box{10, 10, 60, 40};
    c.dc().extTextOut(10, 10, ETO_OPAQUE, &box, u"");
    EXPECT_EQ(c.pixel(30, 30), 0xFF0000u);
    EXPECT_EQ(c.pixel(70, 30), 0xFFFFFFu);
}

TEST(DcText, EscapementTurnsTheBaseline)
{
    TraceDevice device;
    Dc dc(device);
    LogFont lf;
    lf.height = -20;
    lf.escapement = 900;
    lf.faceName = u"Arial";
    dc.selectObject(makeObject(Font{lf}));
    const int32_t dx[] = {10, 10};
    dc.extTextOut(100, 100, 0, nullptr, u"AB", dx);
    ASSERT_EQ(device.texts.size(), 1u);
    EXPECT_NEAR(device.texts[0].angle, 90, 1e-6);
    // The second character is above the first on the page.
    EXPECT_LT(device.texts[0].origins[1].y(), device.texts[0].origins[0].y());
}

// A window twice as wide on the device as it is high: a font without a width of its own keeps
// its shape in the compatible mode (only the height of text is scaled) and is stretched with
// the page in the advanced mode; a font that asks for a width gets it scaled across either way.
TEST(DcText, AnUnevenPageStretchesFontsWithoutAWidthOnlyInTheAdvancedMode)
{
    const auto run = [](int32_t graphicsMode, int32_t width) {
        TraceDevice device;
        Dc dc(device);
        dc.setGraphicsMode(graphicsMode);
        dc.setMapMode(MM_ANISOTROPIC);
        dc.setWindowExt(100, 100);
        dc.setViewportExt(200, 100);
        LogFont lf;
        lf.height = -40;
        lf.width = width;
        lf.faceName = u"Arial";
        dc.selectObject(makeObject(Font{lf}));
        dc.setTextAlign(TA_BASELINE);
        dc.extTextOut(10, 50, 0, nullptr, u"Wide");
        return device.texts.at(0);
    };
    const auto compatible = run(GM_COMPATIBLE, 0), advanced = run(GM_ADVANCED, 0);
    EXPECT_NEAR(compatible.font->widthScale, 1.0, 1e-9);
    EXPECT_NEAR(advanced.font->widthScale, 2.0, 0.02);
    const double natural = compatible.origins.back().x() - compatible.origins.front().x();
    EXPECT_NEAR(advanced.origins.back().x() - advanced.origins.front().x(), 2 * natural, 3);
    // lfWidth 10 is 20 device pixels across in both modes, wider than the natural average.
    for (int32_t mode : {GM_COMPATIBLE, GM_ADVANCED}) {
        const auto asked = run(mode, 10);
        EXPECT_NEAR(asked.font->widthScale * asked.font->averageWidth, 20, 0.5) << mode;
    }
}

TEST(DcText, AMappingWithYUpMirrorsTheEscapementInTheCompatibleMode)
{
    // Charts drawn with y up write 2700 for an axis title that reads bottom to top.
    const auto draw = [] {
        TraceDevice device;
        Dc dc(device);
        dc.setMapMode(MM_ANISOTROPIC);
        dc.setWindowExt(1000, -1000);
        dc.setViewportExt(1000, 1000);
        LogFont lf;
        lf.height = -20;
        lf.escapement = 2700;
        lf.faceName = u"Arial";
        dc.selectObject(makeObject(Font{lf}));
        const int32_t dx[] = {10, 10};
        dc.extTextOut(100, -100, 0, nullptr, u"AB", dx);
        return device.texts.at(0);
    };
    const auto run = draw();
    EXPECT_NEAR(run.angle, 90, 1e-6);
    EXPECT_NEAR(run.origins[1].y() - run.origins[0].y(), -10, 1e-6);  // upwards
    EXPECT_NEAR(run.origins[1].x(), run.origins[0].x(), 1e-6);
}

TEST(DcText, TextInAPathBracketBecomesItsOutlines)
{
    const auto draw = [](bool fill) {
        Canvas c;
        LogFont lf;
        lf.height = -120;
        lf.weight = 700;
        lf.faceName = u"Arial";
        c.dc().selectObject(makeObject(Font{lf}));
        c.dc().selectStockObject(BLACK_BRUSH);
        c.dc().selectStockObject(NULL_PEN);
        c.dc().beginPath();
        c.dc().extTextOut(20, 20, 0, nullptr, u"I", {});
        c.dc().endPath();
        if (fill)
            c.dc().fillPath();
        return c.darkCount(QRect(0, 0, 200, 200));
    };
    // The bracket alone draws nothing; filling it paints the letter's stem (about 17 x 86 pixels).
    EXPECT_EQ(draw(false), 0);
    EXPECT_GT(draw(true), 1000);
}

// Without Dx GDI spaces glyphs by whole pixels: of the device drawn on, or, for a converted
// Windows metafile, of the reference device its text was measured on.
TEST(DcText, OwnAdvancesAreWholePixelsOfTheDeviceTheTextIsMeasuredOn)
{
    // The reference pixel in metafile device units: 0 is this device's own pixel.
    const auto origins = [](double referencePixel) {
        TraceDevice device;
        Dc dc(device);
        dc.beginPlayback(QTransform::fromScale(2.5, 2.5), nullptr, referencePixel);
        dc.selectObject(kvtest::font(-13));
        dc.setTextAlign(TA_BASELINE);
        dc.extTextOut(3, 40, 0, nullptr, u"Wiggly text, spaced");
        dc.endPlayback();
        return device.texts.size() == 1 ? device.texts[0].origins : std::vector<QPointF>{};
    };
    const std::vector<QPointF> onDevice = origins(0), onReference = origins(1), onCoarser = origins(2);
    ASSERT_EQ(onDevice.size(), 19u);
    ASSERT_EQ(onReference.size(), 19u);
    ASSERT_EQ(onCoarser.size(), 19u);
    const auto wholeMultiples = [](double v, double unit) { return std::abs(v / unit - std::round(v / unit)) < 1e-9; };
    bool differ = false;
    for (size_t i = 1; i < onDevice.size(); ++i) {
        const double step = onDevice[i].x() - onDevice[i - 1].x();
        EXPECT_TRUE(wholeMultiples(step, 1.0)) << i << ": " << step;
        EXPECT_TRUE(wholeMultiples(onReference[i].x() - onReference[i - 1].x(), 2.5)) << i;
        EXPECT_TRUE(wholeMultiples(onCoarser[i].x() - onCoarser[i - 1].x(), 5.0)) << i;
        differ = differ || onReference[i].x() != onDevice[i].x();
    }
    EXPECT_TRUE(differ);  // the two roads round at different pixel sizes
    EXPECT_DOUBLE_EQ(onDevice[0].x(), 7.5);
}

// A page drawn larger than it was written: a run aligned by its top or bottom has its baseline
// a whole number of logical units from the reference point, the nearest to the font's ascent
// or descent; where a logical unit is no larger than a pixel the metrics are used as they are.
TEST(DcText, TopAndBottomAlignmentKeepTheFontMetricsInWholeLogicalUnits)
{
    // The same font at 200 pixels to the em, on a page of one and of twenty pixels a unit.
    const auto baselineShift = [](int unit, uint32_t align) {
        TraceDevice device;
        Dc dc(device);
        dc.setMapMode(MM_ANISOTROPIC);
        dc.setWindowExt(1, 1);
        dc.setViewportExt(unit, unit);
        dc.selectObject(kvtest::font(-200 / unit));
        dc.setTextAlign(align);
        dc.extTextOut(0, 50, 0, nullptr, u"H");
        return device.texts.at(0).origins.at(0).y() - 50.0 * unit;
    };
    for (const uint32_t align : {uint32_t(TA_TOP), uint32_t(TA_BOTTOM)}) {
        const double fine = baselineShift(1, align);
        const double coarse = baselineShift(20, align);
        EXPECT_NE(fine, std::round(fine)) << align;  // the face's metric, unrounded
        EXPECT_DOUBLE_EQ(coarse, 20 * std::round(std::round(fine) / 20)) << align;
        EXPECT_NE(coarse, fine) << align;
    }
}
