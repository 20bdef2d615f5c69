// Mapping modes, world transforms, the SaveDC stack and clipping of the Dc.
#include "canvas.h"
#include "tracedevice.h"

#include <gtest/gtest.h>

using namespace kv::gdi;
using kvtest::Canvas;
using kvtest::TraceDevice;

namespace {

QPointF mapped(Dc& dc, double x, double y) { return dc.logicalToDevice().map(QPointF(x, y)); }

} // namespace

// The trace device is 1000 pixels on 254 mm: 100 pixels per inch.
TEST(DcMapping, ModesPlaceLogicalPointsWhereGdiDoes)
{
    struct Case {
        const char* name;
        void (*setup)(Dc&);
        QPointF logical;
        QPointF device;
    };
    const Case cases[] = {
        {"text", [](Dc&) {}, {12, 34}, {12, 34}},
        {"anisotropic", [](Dc& dc) {
             dc.setMapMode(MM_ANISOTROPIC);
             dc.setWindowExt(100, 50);
             dc.setViewportExt(200, 200);
             dc.setWindowOrg(10, 10);
             dc.setViewportOrg(5, 5);
         }, {20, 20}, {25, 45}},
        {"himetric is y-up", [](Dc& dc) { dc.setMapMode(MM_HIMETRIC); }, {2540, -2540}, {100, 100}},
        {"twips", [](Dc& dc) { dc.setMapMode(MM_TWIPS); }, {1440, -1440}, {100, 100}},
        {"loenglish", [](Dc& dc) { dc.setMapMode(MM_LOENGLISH); }, {100, -50}, {100, 50}},
        {"isotropic keeps units square", [](Dc& dc) {
             dc.setMapMode(MM_ISOTROPIC);
             dc.setWindowExt(100, 100);
             dc.setViewportExt(400, 200);
         }, {100, 100}, {200, 200}},
        {"extents ignored outside the scalable modes", [](Dc& dc) {
             dc.setWindowExt(10, 10);
             dc.setViewportExt(100, 100);
         }, {7, 7}, {7, 7}},
    };
    for (const Case& k : cases) {
        TraceDevice device;
        Dc dc(device);
        k.setup(dc);
        const QPointF p = mapped(dc, k.logical.x(), k.logical.y());
        EXPECT_NEAR(p.x(), k.device.x(), 0.6) << k.name;
        EXPECT_NEAR(p.y(), k.device.y(), 0.6) << k.name;
    }
}

TEST(DcMapping, WorldTransformOnlyInAdvancedMode)
{
    TraceDevice device;
    Dc dc(device);
    const XForm scale{2, 0, 0, 3, 10, 20};
    dc.setWorldTransform(scale);
    EXPECT_EQ(mapped(dc, 1, 1), QPointF(1, 1));  // refused in the compatible mode
    dc.setGraphicsMode(GM_ADVANCED);
    dc.setWorldTransform(scale);
    EXPECT_EQ(mapped(dc, 1, 1), QPointF(12, 23));
    dc.modifyWorldTransform(XForm{1, 0, 0, 1, 5, 0}, MWT_LEFTMULTIPLY);  // translate first
    EXPECT_EQ(mapped(dc, 1, 1), QPointF(22, 23));
    dc.modifyWorldTransform({}, MWT_IDENTITY);
    EXPECT_EQ(mapped(dc, 1, 1), QPointF(1, 1));
}

TEST(DcState, RestoreDcRelativeAbsoluteAndOutOfRange)
{
    TraceDevice device;
    Dc dc(device);
    dc.setBkColor(1);
    EXPECT_EQ(dc.saveDc(), 1);
    dc.setBkColor(2);
    dc.setMapMode(MM_LOMETRIC);
    EXPECT_EQ(dc.saveDc(), 2);
    dc.setBkColor(3);

    EXPECT_FALSE(dc.restoreDc(-3));  // deeper than the stack: ignored
    EXPECT_FALSE(dc.restoreDc(5));
    EXPECT_FALSE(dc.restoreDc(0));
    EXPECT_EQ(dc.state().bkColor, 3u);

    EXPECT_TRUE(dc.restoreDc(-1));
    EXPECT_EQ(dc.state().bkColor, 2u);
    EXPECT_EQ(dc.state().mapMode, MM_LOMETRIC);
    dc.saveDc();
    EXPECT_TRUE(dc.restoreDc(1));  // absolute: back to the first save, popping both
    EXPECT_EQ(dc.state().bkColor, 1u);
    EXPECT_EQ(dc.state().mapMode, MM_TEXT);
    EXPECT_FALSE(dc.restoreDc(-1));
}

TEST(DcState, FreshDcHasGdisInitialState)
{
    TraceDevice device;
    Dc dc(device);
    const DcState& s = dc.state();
    EXPECT_EQ(s.mapMode, MM_TEXT);
    EXPECT_EQ(s.windowExt.cx, 1);
    EXPECT_EQ(s.viewportExt.cy, 1);
    EXPECT_EQ(s.bkMode, OPAQUE);
    EXPECT_EQ(s.bkColor, 0xFFFFFFu);
    EXPECT_EQ(s.textColor, 0u);
    EXPECT_EQ(s.polyFillMode, ALTERNATE);
    EXPECT_EQ(s.rop2, R2_COPYPEN);
    EXPECT_EQ(s.pen, stockObject(BLACK_PEN));
    EXPECT_EQ(s.brush, stockObject(WHITE_BRUSH));
    EXPECT_EQ(s.font, stockObject(SYSTEM_FONT));
}

TEST(DcClip, IntersectAndExcludeReallyClip)
{
    Canvas c;
    Dc& dc = c.dc();
    dc.selectStockObject(BLACK_BRUSH);
    dc.intersectClipRect({0, 0, 100, 100});
    dc.excludeClipRect({40, 40, 60, 60});
    dc.rectangle({0, 0, 200, 200});
    EXPECT_TRUE(c.dark(20, 20));
    EXPECT_FALSE(c.dark(50, 50));
    EXPECT_FALSE(c.dark(150, 150));
    EXPECT_FALSE(c.dark(100, 20));
}

TEST(DcClip, ExtSelectClipRgnModes)
{
    // Start from a clip of A = [0,100)x[0,100); combine with B = [50,150)x[0,100).
    struct Case { uint32_t mode; bool onlyA; bool both; bool onlyB; bool outside; };
    const Case cases[] = {
        {RGN_AND, false, true, false, false},
        {RGN_OR, true, true, true, false},
        {RGN_XOR, true, false, true, false},
        {RGN_DIFF, true, false, false, false},
        {RGN_COPY, false, true, true, false},
    };
    const RegionData a{{0, 0, 100, 100}, {{0, 0, 100, 100}}};
    const RegionData b{{50, 0, 150, 100}, {{50, 0, 150, 100}}};
    for (const Case& k : cases) {
        TraceDevice device;
        Dc dc(device);
        dc.extSelectClipRgn(&a, RGN_COPY);
        dc.extSelectClipRgn(&b, k.mode);
        dc.setPixel(0, 0, 0);  // makes the Dc send its clip
        ASSERT_TRUE(device.clip.has_value()) << k.mode;
        EXPECT_EQ(device.clip->contains(QPoint(25, 50)), k.onlyA) << k.mode;
        EXPECT_EQ(device.clip->contains(QPoint(75, 50)), k.both) << k.mode;
        EXPECT_EQ(device.clip->contains(QPoint(125, 50)), k.onlyB) << k.mode;
        EXPECT_EQ(device.clip->contains(QPoint(500, 500)), k.outside) << k.mode;
    }
}

TEST(DcClip, CopyWithoutRegionRemovesTheClipButNotTheMetaRegion)
{
    TraceDevice device;
    Dc dc(device);
    const RegionData a{{0, 0, 100, 100}, {{0, 0, 100, 100}}};
    dc.extSelectClipRgn(&a, RGN_COPY);
    dc.setMetaRgn();
    const RegionData b{{50, 50, 300, 300}, {{50, 50, 300, 300}}};
    dc.extSelectClipRgn(&b, RGN_COPY);
    dc.setPixel(0, 0, 0);
    ASSERT_TRUE(device.clip.has_value());
    EXPECT_EQ(device.clip->boundingRect(), QRect(50, 50, 50, 50));
    dc.extSelectClipRgn(nullptr, RGN_COPY);
    dc.setPixel(0, 0, 0);
    ASSERT_TRUE(device.clip.has_value());
    EXPECT_EQ(device.clip->boundingRect(), QRect(0, 0, 100, 100));
}

TEST(DcPath, SelectClipPathClipsToTheFigure)
{
    Canvas c;
    Dc& dc = c.dc();
    dc.beginPath();
    dc.rectangle({20, 20, 80, 80});
    dc.endPath();
    dc.selectClipPath(RGN_COPY);
    dc.selectStockObject(BLACK_BRUSH);
    dc.selectStockObject(NULL_PEN);
    dc.rectangle({0, 0, 200, 200});
    EXPECT_TRUE(c.dark(50, 50));
    EXPECT_FALSE(c.dark(10, 10));
    EXPECT_FALSE(c.dark(120, 120));
}

TEST(DcPath, FillPathUsesTheBracketOnceAndAbortDiscards)
{
    TraceDevice device;
    Dc dc(device);
    dc.beginPath();
    dc.moveTo(0, 0);
    dc.lineTo(100, 0);
    dc.lineTo(100, 100);
    dc.closeFigure();
    EXPECT_TRUE(device.strokes.empty());  // collected, not drawn
    dc.endPath();
    dc.fillPath();
    EXPECT_EQ(device.fills.size(), 1u);
    dc.fillPath();  // the path is gone after use
    EXPECT_EQ(device.fills.size(), 1u);
    dc.beginPath();
    dc.rectangle({0, 0, 10, 10});
    dc.abortPath();
    dc.strokePath();
    EXPECT_TRUE(device.strokes.empty());
}
