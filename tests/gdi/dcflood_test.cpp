// Flood fills from the pixels drawn so far: border and surface modes, 4-connected spread,
// clipping, the brush's own pattern, devices without pixels, and the EMF and WMF records.
#include "canvas.h"
#include "emfbuilder.h"

#include "gdi/paint/painterdevice.h"
#include "gdi/player.h"
#include "gdi/readers.h"
#include "gdi/render.h"

#include <QPicture>
#include <gtest/gtest.h>

using namespace kv::gdi;
using kvtest::Canvas;

namespace {

constexpr ColorRef kRed = 0x0000FF, kBlue = 0xFF0000, kBlack = 0;
constexpr QRgb kRedPixel = 0xFF0000, kBluePixel = 0x0000FF, kWhitePixel = 0xFFFFFF, kBlackPixel = 0;

// A black square outline (10..49) on white, and the red brush selected.
void outlinedSquare(Dc& dc)
{
    dc.selectStockObject(NULL_BRUSH);
    dc.rectangle({10, 10, 50, 50});
    dc.selectObject(kvtest::solidBrush(kRed));
}

} // namespace

TEST(DcFloodFill, BorderModeFillsUpToTheBorderColour)
{
    Canvas c;
    outlinedSquare(c.dc());
    c.dc().floodFill(30, 30, kBlack, false);
    EXPECT_EQ(c.pixel(30, 30), kRedPixel);
    EXPECT_EQ(c.pixel(11, 11), kRedPixel);
    EXPECT_EQ(c.pixel(48, 48), kRedPixel);
    EXPECT_EQ(c.pixel(10, 30), kBlackPixel);  // the border stays
    EXPECT_EQ(c.pixel(49, 30), kBlackPixel);
    EXPECT_EQ(c.pixel(5, 5), kWhitePixel);    // outside stays
    EXPECT_EQ(c.pixel(60, 30), kWhitePixel);
}

TEST(DcFloodFill, BorderModeFromOutsideFillsAllButTheEnclosedArea)
{
    Canvas c;
    outlinedSquare(c.dc());
    c.dc().floodFill(100, 100, kBlack, false);
    EXPECT_EQ(c.pixel(0, 0), kRedPixel);
    EXPECT_EQ(c.pixel(199, 199), kRedPixel);
    EXPECT_EQ(c.pixel(30, 30), kWhitePixel);
    EXPECT_EQ(c.pixel(10, 10), kBlackPixel);
}

TEST(DcFloodFill, SurfaceModeFillsOnlyTheConnectedAreaOfThatColour)
{
    Canvas c;
    c.dc().selectStockObject(NULL_PEN);
    c.dc().selectObject(kvtest::solidBrush(kBlue));
    c.dc().rectangle({10, 10, 40, 40});
    c.dc().rectangle({30, 30, 70, 60});   // overlaps the first: one blue area
    c.dc().rectangle({100, 10, 140, 40}); // apart: another
    c.dc().selectObject(kvtest::solidBrush(kRed));
    c.dc().floodFill(15, 15, kBlue, true);
    EXPECT_EQ(c.pixel(15, 15), kRedPixel);
    EXPECT_EQ(c.pixel(65, 55), kRedPixel);
    EXPECT_EQ(c.pixel(120, 20), kBluePixel);
    EXPECT_EQ(c.pixel(80, 80), kWhitePixel);
}

TEST(DcFloodFill, NothingHappensFromAPointThatCannotStartTheFill)
{
    struct Case { const char* what; PointL at; ColorRef colour; bool surface; };
    for (const Case& k : {Case{"border mode on the border", {10, 30}, kBlack, false},
                          Case{"surface mode off the surface", {30, 30}, kBlack, true},
                          Case{"outside the page", {500, 500}, kBlack, false}}) {
        SCOPED_TRACE(k.what);
        Canvas c;
        outlinedSquare(c.dc());
        c.dc().floodFill(k.at.x, k.at.y, k.colour, k.surface);
        EXPECT_EQ(c.pixel(30, 30), kWhitePixel);
        EXPECT_EQ(c.pixel(5, 5), kWhitePixel);
        EXPECT_EQ(c.pixel(10, 30), kBlackPixel);
    }
}

// A one-pixel diagonal line is a wall: the fill spreads to the four neighbours only.
TEST(DcFloodFill, SpreadsToFourNeighboursSoADiagonalLineHoldsIt)
{
    Canvas c(100, 100);
    c.dc().moveTo(0, 0);
    c.dc().lineTo(100, 100);
    c.dc().selectObject(kvtest::solidBrush(kRed));
    c.dc().floodFill(80, 10, kBlack, false);
    EXPECT_EQ(c.pixel(80, 10), kRedPixel);
    EXPECT_EQ(c.pixel(99, 0), kRedPixel);
    EXPECT_EQ(c.pixel(10, 80), kWhitePixel);
    EXPECT_EQ(c.pixel(0, 99), kWhitePixel);
}

TEST(DcFloodFill, TheClipBoundsTheFillAndAStartOutsideItFillsNothing)
{
    Canvas c;
    outlinedSquare(c.dc());
    c.dc().intersectClipRect({0, 0, 30, 200});
    c.dc().floodFill(20, 20, kBlack, false);
    EXPECT_EQ(c.pixel(20, 20), kRedPixel);
    EXPECT_EQ(c.pixel(29, 45), kRedPixel);
    EXPECT_EQ(c.pixel(31, 20), kWhitePixel);

    Canvas outside;
    outlinedSquare(outside.dc());
    outside.dc().intersectClipRect({0, 0, 30, 200});
    outside.dc().floodFill(40, 20, kBlack, false);
    EXPECT_EQ(outside.pixel(40, 20), kWhitePixel);
    EXPECT_EQ(outside.pixel(20, 20), kWhitePixel);
}

TEST(DcFloodFill, FillsWithTheSelectedBrushPatternAndMapping)
{
    Canvas c;
    c.dc().setMapMode(MM_ANISOTROPIC);
    c.dc().setWindowExt(100, 100);
    c.dc().setViewportExt(200, 200);  // two device pixels a unit
    outlinedSquare(c.dc());           // device 20..99
    c.dc().selectObject(makeObject(Brush{BS_HATCHED, kBlue, HS_HORIZONTAL, nullptr, false}));
    c.dc().floodFill(30, 30, kBlack, false);
    int blue = 0, white = 0;
    for (int y = 22; y < 98; ++y) {
        blue += c.pixel(60, y) == kBluePixel;
        white += c.pixel(60, y) == kWhitePixel;
    }
    EXPECT_GT(blue, 5);    // hatch lines
    EXPECT_GT(white, 40);  // and the gaps between them, left as they were
    EXPECT_EQ(c.pixel(150, 150), kWhitePixel);
}

// Printers and PDF files keep no pixels to read: the fill is skipped, and counted.
TEST(DcFloodFill, DevicesWithoutPixelsSkipAndCount)
{
    QPicture picture;
    QPainter painter(&picture);
    DeviceCaps caps;
    caps.horzRes = caps.vertRes = 100;
    caps.horzSizeMm = caps.vertSizeMm = 25;
    {
        PainterDevice device(painter, caps);
        Dc dc(device);
        outlinedSquare(dc);
        EXPECT_EQ(dc.skippedFloodFills(), 0);
        dc.floodFill(30, 30, kBlack, false);
        dc.floodFill(30, 30, kBlack, true);
        EXPECT_EQ(dc.skippedFloodFills(), 2);
    }
    painter.end();
    QImage image(100, 100, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter(&image).drawPicture(0, 0, picture);
    EXPECT_EQ(image.pixel(30, 30) & 0xFFFFFF, kWhitePixel);

    Canvas c;
    outlinedSquare(c.dc());
    c.dc().floodFill(30, 30, kBlack, false);
    EXPECT_EQ(c.dc().skippedFloodFills(), 0);
}

// Every fill reads the page: past the first thousand they are skipped, and counted.
TEST(DcFloodFill, AFileAskingForThousandsOfFillsIsCapped)
{
    Canvas c(20, 20);
    c.dc().selectObject(kvtest::solidBrush(kRed));
    for (int i = 0; i < 1005; ++i)
        c.dc().floodFill(5, 5, kBlack, false);  // the whole page, each time
    EXPECT_EQ(c.dc().skippedFloodFills(), 5);
}

// EMR_EXTFLOODFILL read and played: FLOODFILLSURFACE (1) turns the white inside red.
TEST(DcFloodFill, EmfRecordFillsThroughThePlayer)
{
    for (const uint32_t mode : {FLOODFILLBORDER, FLOODFILLSURFACE}) {
        SCOPED_TRACE(mode);
        kvtest::EmfBuilder b(200, 200);
        b.record(kvtest::EMR_SELECTOBJECT, {int32_t(0x80000000u | NULL_BRUSH)});
        b.record(kvtest::EMR_RECTANGLE, {10, 10, 50, 50});
        b.record(kvtest::EMR_CREATEBRUSHINDIRECT, {1, BS_SOLID, int32_t(kRed), 0});
        b.record(kvtest::EMR_SELECTOBJECT, {1});
        b.record(53, {30, 30, int32_t(mode == FLOODFILLBORDER ? kBlack : 0xFFFFFF), int32_t(mode)});
        const std::vector<uint8_t> bytes = b.finish();
        const PicturePtr picture = readEmf(bytes);
        ASSERT_NE(picture, nullptr);
        EXPECT_TRUE(picture->stats.skipped.empty());
        const QImage image = renderPicture(*picture, 200);
        ASSERT_FALSE(image.isNull());
        EXPECT_EQ(image.pixel(30, 30) & 0xFFFFFF, kRedPixel);
        EXPECT_EQ(image.pixel(5, 5) & 0xFFFFFF, kWhitePixel);
    }
}
