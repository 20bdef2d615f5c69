// EMF+ playback on pixels: which road draws a page, then one group per record family (fills
// and paths, gradients, pens, text, clipping, state and containers, images), on small EMF+
// files written here.
#include "emfplusbuilder.h"

#include "gdi/emfplus/emfplusplayer.h"
#include "gdi/emfplus/emfplusrecords.h"
#include "gdi/player.h"
#include "gdi/readers.h"
#include "gdi/render.h"

#include <QBuffer>
#include <functional>
#include <gtest/gtest.h>

namespace {

using kvtest::EmfPlusBuilder;

const QColor kRed(255, 0, 0), kBlue(0, 0, 255), kGreen(0, 160, 0);

kv::gdi::PicturePtr read(const std::vector<uint8_t>& bytes)
{
    auto picture = kv::gdi::readEmf(bytes);
    EXPECT_NE(picture, nullptr);
    return picture;
}

// The picture's 1000 x 1000 reference pixels rendered one to one.
QImage render(const std::vector<uint8_t>& bytes)
{
    auto picture = read(bytes);
    return picture ? kv::gdi::renderPicture(*picture, 1000) : QImage();
}

QRgb at(const QImage& image, int x, int y) { return image.pixel(x, y) & 0xFFFFFF; }
bool white(const QImage& image, int x, int y) { return at(image, x, y) == 0xFFFFFF; }

int inkIn(const QImage& image, const QRect& box)
{
    int n = 0;
    for (int y = box.top(); y <= box.bottom(); ++y)
        for (int x = box.left(); x <= box.right(); ++x)
            n += qGray(image.pixel(x, y)) < 160;
    return n;
}

// A GDI rectangle filled with `color` (a brush in slot 1, no pen), drawn by the GDI records.
void gdiRect(kvtest::EmfBuilder& emf, QRect r, QColor color)
{
    emf.record(kvtest::EMR_CREATEBRUSHINDIRECT, {1, 0, int32_t(color.red() | color.green() << 8 | color.blue() << 16), 0});
    emf.record(kvtest::EMR_SELECTOBJECT, {1});
    emf.record(kvtest::EMR_SELECTOBJECT, {int32_t(0x80000008)});  // NULL_PEN
    emf.record(kvtest::EMR_RECTANGLE, {r.left(), r.top(), r.right(), r.bottom()});
}

class PlaybackSwitch : public ::testing::Test {
protected:
    ~PlaybackSwitch() override { kv::gdi::setEmfPlusPlayback(true); }
};

// ---- the road ----------------------------------------------------------------------------

TEST(EmfPlusRoad, EmfPlusOnlyPageDrawsItsRecords)
{
    EmfPlusBuilder b;
    b.fillRect(QRectF(100, 100, 200, 200), kRed);
    const auto bytes = b.finish();
    auto picture = read(bytes);
    ASSERT_TRUE(picture->plus);
    EXPECT_FALSE(picture->plus->dual);
    EXPECT_FALSE(picture->plus->damaged) << picture->plus->problem;
    const QImage image = kv::gdi::renderPicture(*picture, 1000);
    EXPECT_EQ(at(image, 200, 200), 0xFF0000u);
    EXPECT_TRUE(white(image, 350, 200));
}

TEST_F(PlaybackSwitch, DualPageDrawsEmfPlusAndSkipsTheFallback)
{
    EmfPlusBuilder b(true);
    b.fillRect(QRectF(100, 100, 200, 200), kBlue);
    gdiRect(b.gdi(), QRect(500, 500, 700, 700), kRed);
    const auto bytes = b.finish();
    const QImage plus = render(bytes);
    EXPECT_EQ(at(plus, 200, 200), 0x0000FFu);
    EXPECT_TRUE(white(plus, 600, 600)) << "the GDI fallback is not drawn as well";

    kv::gdi::setEmfPlusPlayback(false);
    const QImage gdi = render(bytes);
    EXPECT_TRUE(white(gdi, 200, 200));
    EXPECT_EQ(at(gdi, 600, 600), 0xFF0000u);
}

TEST(EmfPlusRoad, DamagedDualPageFallsBackToGdiForTheWholePage)
{
    EmfPlusBuilder b(true);
    b.fillRect(QRectF(100, 100, 200, 200), kBlue);
    b.begin(0x400A, 0x8000).argb(kBlue).u32(1000).end();  // a thousand rectangles it does not hold
    gdiRect(b.gdi(), QRect(500, 500, 700, 700), kRed);
    auto picture = read(b.finish());
    ASSERT_TRUE(picture->plus);
    EXPECT_TRUE(picture->plus->damaged);
    EXPECT_NE(picture->plus->problem.find("FillRects"), std::string::npos) << picture->plus->problem;
    const QImage image = kv::gdi::renderPicture(*picture, 1000);
    EXPECT_TRUE(white(image, 200, 200)) << "no half-drawn mix";
    EXPECT_EQ(at(image, 600, 600), 0xFF0000u);
}

TEST(EmfPlusRoad, UnsupportedOrUnterminatedStreamsAreDamaged)
{
    EmfPlusBuilder unknown(true);
    unknown.begin(0x40FF).end();
    auto a = read(unknown.finish());
    EXPECT_TRUE(a->plus->damaged);
    EXPECT_NE(a->plus->problem.find("0x40ff"), std::string::npos) << a->plus->problem;

    EmfPlusBuilder open(true);
    open.fillRect(QRectF(0, 0, 10, 10), kRed);
    auto b = read(open.finish(false));
    EXPECT_TRUE(b->plus->damaged);
    EXPECT_EQ(b->plus->problem, "no EMF+ end-of-file record");

    EmfPlusBuilder lying(true);
    lying.begin(0x400A, 0x8000).argb(kRed).u32(1).rectF(QRectF(0, 0, 5, 5)).end().claimSize(4000);
    auto c = read(lying.finish());
    EXPECT_TRUE(c->plus->damaged);
    EXPECT_EQ(c->plus->problem, "EMF+ record size beyond its comment");
}

TEST(EmfPlusRoad, DamagedEmfPlusOnlyPageStillDrawsWhatIsSound)
{
    EmfPlusBuilder b(false);
    b.fillRect(QRectF(100, 100, 200, 200), kRed);
    b.begin(0x40FF).end();
    const QImage image = render(b.finish());
    EXPECT_EQ(at(image, 200, 200), 0xFF0000u) << "there are no GDI records to fall back on";
}

TEST(EmfPlusRoad, GetDcDrawsTheGdiRecordsThatFollowItOnly)
{
    EmfPlusBuilder b(true);
    b.getDc();
    gdiRect(b.gdi(), QRect(100, 100, 300, 300), kRed);  // drawn: GetDC asks for it
    b.fillRect(QRectF(400, 400, 100, 100), kBlue);
    gdiRect(b.gdi(), QRect(700, 700, 900, 900), kGreen);  // the fallback of the fill: not drawn
    const QImage image = render(b.finish());
    EXPECT_EQ(at(image, 200, 200), 0xFF0000u);
    EXPECT_EQ(at(image, 450, 450), 0x0000FFu);
    EXPECT_TRUE(white(image, 800, 800));
}

// A path object of `points` points along a flat zigzag from (100,100) to (300,102), closed.
void zigzagPath(EmfPlusBuilder& b, uint8_t id, uint32_t points)
{
    b.begin(0x4008, uint16_t(0x0300 | id)).u32(0xDBC01002).u32(points).u32(0);
    for (uint32_t i = 0; i < points; ++i)
        b.f32(100 + 200.0f * float(i) / float(points)).f32(i % 2 ? 102 : 100);
    for (uint32_t i = 0; i < points; ++i)
        b.u8(i == 0 ? 0 : (i + 1 == points ? 0x81 : 1));
    b.end();
}

TEST(EmfPlusRoad, PageAskingForTooMuchDrawingFallsBackWhole)
{
    // A 4000-point path filled 5000 times: twenty million points from 100 kB.
    EmfPlusBuilder b(true);
    b.fillRect(QRectF(600, 100, 100, 100), kBlue);
    zigzagPath(b, 2, 4000);
    b.solidBrush(1, kGreen);
    for (int i = 0; i < 5000; ++i)
        b.begin(0x4014, 0x0002).u32(1).end();
    gdiRect(b.gdi(), QRect(500, 500, 700, 700), kRed);
    auto picture = read(b.finish());
    ASSERT_TRUE(picture->plus);
    EXPECT_TRUE(picture->plus->damaged);
    EXPECT_NE(picture->plus->problem.find("more drawing"), std::string::npos) << picture->plus->problem;
    EXPECT_FALSE(kv::gdi::plus::drawsThroughEmfPlus(*picture));
    const QImage image = kv::gdi::renderPicture(*picture, 1000);
    EXPECT_TRUE(white(image, 650, 150)) << "no half-drawn mix";
    EXPECT_EQ(at(image, 600, 600), 0xFF0000u);

    // The same path filled a few times is an ordinary page.
    EmfPlusBuilder few(true);
    zigzagPath(few, 2, 4000);
    few.solidBrush(1, kGreen);
    for (int i = 0; i < 50; ++i)
        few.begin(0x4014, 0x0002).u32(1).end();
    auto sound = read(few.finish());
    EXPECT_FALSE(sound->plus->damaged) << sound->plus->problem;
}

TEST(EmfPlusRoad, EmfPlusOnlyPageOverItsBoundKeepsWhatCameBefore)
{
    EmfPlusBuilder b(false);
    b.fillRect(QRectF(600, 100, 100, 100), kBlue);
    zigzagPath(b, 2, 4000);
    b.solidBrush(1, kGreen);
    for (int i = 0; i < 5000; ++i)
        b.begin(0x4014, 0x0002).u32(1).end();
    b.fillRect(QRectF(600, 600, 100, 100), kRed);
    auto picture = read(b.finish());
    EXPECT_TRUE(picture->plus->damaged);
    EXPECT_LT(picture->plus->entries.size(), 1500u) << "about a thousand fills fit the bound";
    const QImage image = kv::gdi::renderPicture(*picture, 250);  // a quarter of the size: quicker
    EXPECT_EQ(at(image, 162, 37), 0x0000FFu);
    EXPECT_TRUE(white(image, 162, 162)) << "nothing after the bound";
}

TEST(EmfPlusRoad, ImagesOfAPageShareOnePixelBudget)
{
    // A 2000 x 2000 PNG of one colour is a few kilobytes; seventeen of them decode to more
    // pixels than a page may hold.
    QImage square(2000, 2000, QImage::Format_Mono);
    square.fill(0);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    ASSERT_TRUE(square.save(&buffer, "PNG"));
    const auto imagePage = [&](int count) {
        EmfPlusBuilder b(true);
        for (int i = 0; i < count; ++i) {
            b.begin(0x4008, uint16_t(0x0500 | (i % 8))).u32(0xDBC01002).u32(1).u32(0).u32(0).u32(0).u32(0).u32(1);
            for (char c : png)
                b.u8(uint8_t(c));
            b.end();
        }
        gdiRect(b.gdi(), QRect(500, 500, 700, 700), kRed);
        return read(b.finish());
    };
    const auto few = imagePage(4);
    EXPECT_FALSE(few->plus->damaged) << few->plus->problem;
    const auto many = imagePage(17);
    EXPECT_TRUE(many->plus->damaged);
    EXPECT_FALSE(kv::gdi::plus::drawsThroughEmfPlus(*many));
}

// Fills of `area` in `color`, `count` times over.
void fillOver(EmfPlusBuilder& b, QRectF area, QColor color, int count)
{
    for (int i = 0; i < count; ++i)
        b.fillRect(area, color);
}

TEST(EmfPlusRoad, PagePaintingItsTargetTooOftenFallsBackWhole)
{
    // Each fill covers the whole 1000 x 1000 target: a few hundred of them is minutes of
    // painting on a print-sized one, from a few kilobytes that the reader's point count passes.
    const auto page = [](int fills) {
        EmfPlusBuilder b(true);
        fillOver(b, QRectF(0, 0, 1000, 1000), kBlue, fills);
        gdiRect(b.gdi(), QRect(500, 500, 700, 700), kRed);
        return read(b.finish());
    };
    const auto many = page(200);
    ASSERT_TRUE(many->plus);
    EXPECT_FALSE(many->plus->damaged) << "nothing is wrong with the records themselves";
    const uint64_t before = kv::gdi::plus::pagesOverPixelBound();
    const QImage image = kv::gdi::renderPicture(*many, 1000);
    EXPECT_EQ(kv::gdi::plus::pagesOverPixelBound(), before + 1);
    EXPECT_TRUE(white(image, 100, 100)) << "no half-drawn mix";
    EXPECT_EQ(at(image, 600, 600), 0xFF0000u) << "the GDI records draw the page";

    const QImage fewer = kv::gdi::renderPicture(*page(40), 1000);
    EXPECT_EQ(kv::gdi::plus::pagesOverPixelBound(), before + 1);
    EXPECT_EQ(at(fewer, 100, 100), 0x0000FFu);
    EXPECT_EQ(at(fewer, 600, 600), 0x0000FFu);
}

TEST(EmfPlusRoad, EmfPlusOnlyPageOverItsPixelBoundStopsThere)
{
    EmfPlusBuilder b(false);
    b.fillRect(QRectF(600, 100, 100, 100), kBlue);
    fillOver(b, QRectF(0, 500, 1000, 500), kGreen, 200);  // half the target each
    b.fillRect(QRectF(100, 100, 100, 100), kRed);
    const auto picture = read(b.finish());
    const uint64_t before = kv::gdi::plus::pagesOverPixelBound();
    const QImage image = kv::gdi::renderPicture(*picture, 1000);
    EXPECT_EQ(kv::gdi::plus::pagesOverPixelBound(), before + 1);
    EXPECT_EQ(at(image, 650, 150), 0x0000FFu);
    EXPECT_EQ(at(image, 500, 750), QColor(kGreen).rgb() & 0xFFFFFF);
    EXPECT_TRUE(white(image, 150, 150)) << "nothing after the bound";
}

TEST(EmfPlusRoad, PixelBoundCountsPixelsOnTheTargetOnly)
{
    // A page transform blowing a unit square up ten million times covers the target once per
    // fill, whatever it covers beyond; a pen a billion units wide the same.
    EmfPlusBuilder b(true);
    b.begin(0x4030, 2).f32(1e7f).end();  // page unit pixels, scale
    fillOver(b, QRectF(0, 0, 1, 1), kBlue, 40);
    b.begin(0x4030, 2).f32(1).end();
    b.pen(1, kGreen, 1e9f);
    for (int i = 0; i < 20; ++i)
        b.begin(0x400D, 0x0001).u32(2).f32(100).f32(100).f32(900).f32(900).end();
    gdiRect(b.gdi(), QRect(500, 500, 700, 700), kRed);
    const auto picture = read(b.finish());
    const uint64_t before = kv::gdi::plus::pagesOverPixelBound();
    const QImage image = kv::gdi::renderPicture(*picture, 1000);
    EXPECT_EQ(kv::gdi::plus::pagesOverPixelBound(), before) << "sixty coverages are within the bound";
    EXPECT_EQ(at(image, 600, 600), QColor(kGreen).rgb() & 0xFFFFFF);
}

// ---- fills, paths and shapes -------------------------------------------------------------

TEST(EmfPlusFill, PathObjectFillsItsAreaOnly)
{
    EmfPlusBuilder b;
    // A triangle path in slot 2: (100,100) (500,100) (100,500), closed.
    b.begin(0x4008, 0x0302).u32(0xDBC01002).u32(3).u32(0);
    b.f32(100).f32(100).f32(500).f32(100).f32(100).f32(500);
    b.u8(0).u8(1).u8(0x81).end();
    b.solidBrush(1, kGreen);
    b.begin(0x4014, 0x0002).u32(1).end();  // FillPath, path 2, brush 1
    const QImage image = render(b.finish());
    EXPECT_EQ(at(image, 150, 150), QColor(kGreen).rgb() & 0xFFFFFF);
    EXPECT_TRUE(white(image, 400, 400)) << "beyond the hypotenuse";
    EXPECT_TRUE(white(image, 50, 50));
}

TEST(EmfPlusFill, EllipsePieAndPolygonCoverTheirShapes)
{
    EmfPlusBuilder b;
    b.begin(0x400E, 0x8000).argb(kRed).rectF(QRectF(100, 100, 200, 200)).end();  // FillEllipse
    // FillPie: a quarter from 0 degrees clockwise (down and right on the page).
    b.begin(0x4010, 0x8000).argb(kBlue).f32(0).f32(90).rectF(QRectF(500, 100, 200, 200)).end();
    // FillPolygon with 16-bit points.
    b.begin(0x400C, 0xC000).argb(kGreen).u32(3).u16(100).u16(600).u16(300).u16(600).u16(100).u16(800).end();
    const QImage image = render(b.finish());
    EXPECT_EQ(at(image, 200, 200), 0xFF0000u);
    EXPECT_TRUE(white(image, 110, 110)) << "outside the ellipse, inside its box";
    EXPECT_EQ(at(image, 650, 250), 0x0000FFu) << "the quarter below and right of the centre";
    EXPECT_TRUE(white(image, 650, 150));
    EXPECT_TRUE(white(image, 550, 250));
    EXPECT_EQ(at(image, 130, 630), QColor(kGreen).rgb() & 0xFFFFFF);
    EXPECT_TRUE(white(image, 280, 780));
}

TEST(EmfPlusFill, LinearGradientRunsFromItsStartToItsEndColour)
{
    EmfPlusBuilder b;
    // Linear gradient brush in slot 1 over (100,100)-(900,...) from red to blue.
    b.begin(0x4008, 0x0101).u32(0xDBC01002).u32(4);
    b.u32(0).u32(4).rectF(QRectF(100, 0, 800, 100)).argb(kRed).argb(kBlue).u32(0).u32(0).end();
    b.begin(0x400A, 0x0000).u32(1).u32(1).rectF(QRectF(100, 100, 800, 100)).end();
    const QImage image = render(b.finish());
    const QColor left = image.pixelColor(105, 150), right = image.pixelColor(894, 150), middle = image.pixelColor(500, 150);
    EXPECT_GT(left.red(), 240);
    EXPECT_LT(left.blue(), 20);
    EXPECT_GT(right.blue(), 240);
    EXPECT_LT(right.red(), 20);
    EXPECT_NEAR(middle.red(), 128, 16);
    EXPECT_NEAR(middle.blue(), 128, 16);
}

TEST(EmfPlusFill, PathGradientRunsFromItsCentreToEveryEdge)
{
    EmfPlusBuilder b;
    // A path gradient in slot 1: red at (300,300), blue all round the square (100,100)-(500,500).
    b.begin(0x4008, 0x0101).u32(0xDBC01002).u32(3);
    b.u32(0).u32(0).argb(kRed).f32(300).f32(300).u32(1).argb(kBlue);
    b.u32(4).f32(100).f32(100).f32(500).f32(100).f32(500).f32(500).f32(100).f32(500).end();
    b.begin(0x400A, 0x0000).u32(1).u32(1).rectF(QRectF(0, 0, 600, 600)).end();
    // The same blend about a centre off the middle, at (200,800).
    b.begin(0x4008, 0x0102).u32(0xDBC01002).u32(3);
    b.u32(0).u32(0).argb(kRed).f32(200).f32(800).u32(1).argb(kBlue);
    b.u32(4).f32(100).f32(600).f32(500).f32(600).f32(500).f32(1000).f32(100).f32(1000).end();
    b.begin(0x400A, 0x0000).u32(2).u32(1).rectF(QRectF(0, 600, 600, 400)).end();
    const QImage image = render(b.finish());
    EXPECT_GT(image.pixelColor(200, 800).red(), 240) << "the centre is (x, y)";
    EXPECT_LT(image.pixelColor(300, 700).red(), 200);
    const QColor centre = image.pixelColor(300, 300), edge = image.pixelColor(300, 103), corner = image.pixelColor(104, 104);
    const QColor halfway = image.pixelColor(300, 200), halfwayDiagonal = image.pixelColor(200, 200);
    EXPECT_GT(centre.red(), 240);
    EXPECT_LT(centre.blue(), 20);
    EXPECT_GT(edge.blue(), 240) << "the middle of an edge is as far along as a corner";
    EXPECT_LT(edge.red(), 20);
    EXPECT_GT(corner.blue(), 240);
    EXPECT_NEAR(halfway.red(), 128, 16);
    EXPECT_NEAR(halfwayDiagonal.red(), 128, 16);
    EXPECT_TRUE(white(image, 50, 300)) << "nothing outside the boundary";
}

TEST(EmfPlusFill, TranslucentColoursBlendWithWhatIsBeneath)
{
    EmfPlusBuilder b;
    b.fillRect(QRectF(100, 100, 400, 400), QColor(0, 0, 255));
    b.fillRect(QRectF(300, 100, 400, 400), QColor(255, 0, 0, 128));
    const QImage image = render(b.finish());
    const QColor over = image.pixelColor(400, 300), paper = image.pixelColor(600, 300);
    EXPECT_NEAR(over.red(), 128, 3);
    EXPECT_NEAR(over.blue(), 127, 3);
    EXPECT_NEAR(paper.green(), 127, 3) << "half red on white paper is pink";
}

TEST(EmfPlusFill, ObjectSplitOverSeveralRecordsIsJoined)
{
    EmfPlusBuilder b;
    // A solid brush (12 bytes) in two continuation records of 8 and 4 bytes.
    b.begin(0x4008, 0x8101).u32(12).u32(0xDBC01002).u32(0).end();
    b.begin(0x4008, 0x8101).u32(12).argb(kRed).end();
    b.begin(0x400A, 0x0000).u32(1).u32(1).rectF(QRectF(100, 100, 100, 100)).end();
    auto picture = read(b.finish());
    EXPECT_FALSE(picture->plus->damaged) << picture->plus->problem;
    const QImage image = kv::gdi::renderPicture(*picture, 1000);
    EXPECT_EQ(at(image, 150, 150), 0xFF0000u);
}

// ---- pens --------------------------------------------------------------------------------

TEST(EmfPlusPen, DashedPenLeavesGapsAndSolidPenNone)
{
    EmfPlusBuilder b;
    b.pen(1, Qt::black, 6, 1);  // dashes of 3 widths, gaps of 1
    b.pen(2, Qt::black, 6, 0);
    // A pattern of its own (4 widths on, 4 off) with no line style, as chart writers leave it.
    b.begin(0x4008, 0x0203).u32(0xDBC01002).u32(0).u32(0x100).u32(0).f32(6).u32(2).f32(4).f32(4);
    b.u32(0xDBC01002).u32(0).argb(Qt::black).end();
    b.begin(0x400D, 0x0001).u32(2).f32(100).f32(200).f32(900).f32(200).end();  // DrawLines
    b.begin(0x400D, 0x0002).u32(2).f32(100).f32(400).f32(900).f32(400).end();
    b.begin(0x400D, 0x0003).u32(2).f32(100).f32(600).f32(900).f32(600).end();
    const QImage image = render(b.finish());
    const auto runs = [&](int y) {
        int count = 0;
        bool inked = false;
        for (int x = 100; x < 900; ++x) {
            const bool dark = qGray(image.pixel(x, y)) < 128;
            count += dark && !inked;
            inked = dark;
        }
        return count;
    };
    EXPECT_GE(runs(200), 25) << "800 pixels of 24-pixel periods";
    EXPECT_LE(runs(200), 40);
    EXPECT_EQ(runs(400), 1);
    EXPECT_GE(runs(600), 14) << "800 pixels of 48-pixel periods";
    EXPECT_LE(runs(600), 18);
    EXPECT_GT(inkIn(image, QRect(100, 196, 800, 8)), 0);
    EXPECT_EQ(inkIn(image, QRect(100, 190, 800, 4)), 0) << "a six-pixel pen is three pixels either side";
}

TEST(EmfPlusPen, CustomCapsPutArrowheadsAtTheLineEnds)
{
    EmfPlusBuilder b;
    // A pen 10 wide with an adjustable arrow at its start and a filled triangle at its end.
    b.begin(0x4008, 0x0201).u32(0xDBC01002).u32(0).u32(0x0800 | 0x1000).u32(0).f32(10);
    b.u32(60).u32(0xDBC01002).u32(1).f32(3).f32(3).f32(0).u32(1);        // arrow 3 x 3 widths, filled
    b.u32(0).u32(0).u32(0).f32(10).f32(1).f32(0).f32(0).f32(0).f32(0);
    b.u32(100).u32(0xDBC01002).u32(0).u32(1).u32(0).f32(0);              // fill path, no inset
    b.u32(0).u32(0).u32(0).f32(10).f32(1).f32(0).f32(0).f32(0).f32(0);
    b.u32(40).u32(0xDBC01002).u32(3).u32(0);                              // its path: tip at the end
    b.f32(1.5f).f32(-3).f32(0).f32(0).f32(-1.5f).f32(-3).u8(0).u8(1).u8(0x81).u8(0);
    b.u32(0xDBC01002).u32(0).argb(Qt::black).end();
    b.begin(0x400D, 0x0001).u32(2).f32(200).f32(500).f32(800).f32(500).end();  // DrawLines
    const QImage image = render(b.finish());
    EXPECT_FALSE(white(image, 500, 500));
    EXPECT_TRUE(white(image, 500, 510)) << "the line itself is 10 wide";
    EXPECT_FALSE(white(image, 775, 510)) << "the triangle widens towards its base";
    EXPECT_TRUE(white(image, 795, 510)) << "and narrows to its tip";
    EXPECT_FALSE(white(image, 225, 510)) << "the arrow at the start";
    EXPECT_TRUE(white(image, 190, 500)) << "drawn inwards from the line's end";
}

TEST(EmfPlusPen, WidthFollowsTheWorldTransform)
{
    EmfPlusBuilder b;
    b.pen(1, Qt::black, 2);
    b.begin(0x402E).f32(5).f32(5).end();  // ScaleWorldTransform: a pen of ten pixels
    b.begin(0x400D, 0x0001).u32(2).f32(20).f32(40).f32(180).f32(40).end();
    const QImage image = render(b.finish());
    EXPECT_GT(inkIn(image, QRect(300, 196, 1, 8)), 7);
    EXPECT_EQ(inkIn(image, QRect(300, 188, 1, 6)), 0);
}

// ---- text --------------------------------------------------------------------------------

EmfPlusBuilder& font(EmfPlusBuilder& b, uint8_t id, float emPixels)
{
    b.begin(0x4008, uint16_t(0x0600 | id)).u32(0xDBC01002).f32(emPixels).u32(2).u32(0).u32(0).u32(5).text(u"Arial").end();
    return b;
}

TEST(EmfPlusText, DrawStringInksItsLayoutRectangle)
{
    EmfPlusBuilder b;
    font(b, 1, 40);
    const std::u16string text = u"Hello world";
    b.begin(0x401C, 0x8001).argb(Qt::black).u32(0xFFFFFFFF).u32(uint32_t(text.size())).rectF(QRectF(100, 100, 600, 60)).text(text).end();
    // Centred along and across the line (a string format in slot 2).
    b.begin(0x4008, 0x0702).u32(0xDBC01002).u32(0).u32(0).u32(1).u32(1).u32(0).u32(0).f32(0).u32(0).f32(0).f32(0).end();
    b.begin(0x401C, 0x8001).argb(Qt::black).u32(2).u32(uint32_t(text.size())).rectF(QRectF(100, 500, 800, 200)).text(text).end();
    const QImage image = render(b.finish());
    EXPECT_GT(inkIn(image, QRect(100, 100, 600, 60)), 200);
    EXPECT_EQ(inkIn(image, QRect(0, 0, 1000, 98)), 0);
    EXPECT_EQ(inkIn(image, QRect(0, 162, 1000, 300)), 0);
    EXPECT_GT(inkIn(image, QRect(100, 100, 60, 60)), 20) << "near alignment starts at the left";

    // The centred copy: ink around the middle of its box, none near the ends or the edges.
    EXPECT_EQ(inkIn(image, QRect(100, 500, 180, 200)), 0);
    EXPECT_EQ(inkIn(image, QRect(720, 500, 180, 200)), 0);
    EXPECT_EQ(inkIn(image, QRect(100, 500, 800, 60)), 0);
    EXPECT_GT(inkIn(image, QRect(300, 570, 400, 60)), 200);
}

TEST(EmfPlusText, RenderingHintDecidesWhetherTextIsSmoothed)
{
    const auto greys = [](uint16_t hint) {
        EmfPlusBuilder b;
        b.begin(0x401F, hint).end();  // SetTextRenderingHint
        font(b, 1, 60);
        const std::u16string text = u"Smooth or not";
        b.begin(0x401C, 0x8001).argb(Qt::black).u32(0xFFFFFFFF).u32(uint32_t(text.size())).rectF(QRectF(50, 50, 900, 100)).text(text).end();
        const QImage image = render(b.finish());
        int inked = 0, grey = 0;
        for (int y = 50; y < 150; ++y)
            for (int x = 50; x < 950; ++x) {
                const int g = qGray(image.pixel(x, y));
                inked += g < 128;
                grey += g > 20 && g < 235;
            }
        EXPECT_GT(inked, 500) << "hint " << hint << " drew the text";
        return grey;
    };
    EXPECT_EQ(greys(2), 0) << "SingleBitPerPixel";
    EXPECT_EQ(greys(1), 0) << "SingleBitPerPixelGridFit";
    EXPECT_GT(greys(4), 200) << "AntiAlias";
    EXPECT_GT(greys(0), 200) << "SystemDefault";
}

TEST(EmfPlusText, GlyphsAndAdvancesStretchWithAnUnevenTransform)
{
    const auto inkBox = [](const QImage& image, int top, int bottom) {
        QRect box;
        for (int y = top; y < bottom; ++y)
            for (int x = 0; x < image.width(); ++x)
                if (qGray(image.pixel(x, y)) < 160)
                    box |= QRect(x, y, 1, 1);
        return box;
    };
    EmfPlusBuilder b;
    font(b, 1, 40);
    const std::u16string text = u"Wide";
    b.begin(0x401C, 0x8001).argb(Qt::black).u32(0xFFFFFFFF).u32(uint32_t(text.size())).rectF(QRectF(100, 100, 0, 0)).text(text).end();
    b.begin(0x402A).matrix(2, 0, 0, 1, 0, 0).end();  // twice as wide as high
    b.begin(0x401C, 0x8001).argb(Qt::black).u32(0xFFFFFFFF).u32(uint32_t(text.size())).rectF(QRectF(50, 300, 0, 0)).text(text).end();
    const QImage image = render(b.finish());
    const QRect plain = inkBox(image, 0, 250), wide = inkBox(image, 250, 1000);
    ASSERT_GT(plain.width(), 40);
    ASSERT_FALSE(wide.isEmpty());
    EXPECT_NEAR(double(wide.width()) / plain.width(), 2.0, 0.15);
    EXPECT_NEAR(wide.height(), plain.height(), 2);
    EXPECT_NEAR(wide.left() - 100, 2 * (plain.left() - 100), 3) << "the same start, stretched";
}

TEST(EmfPlusText, LongTextWrapsAtSpacesInsideItsRectangle)
{
    EmfPlusBuilder b;
    font(b, 1, 30);
    const std::u16string text = u"one two three four five six seven eight";
    b.begin(0x401C, 0x8001).argb(Qt::black).u32(0xFFFFFFFF).u32(uint32_t(text.size())).rectF(QRectF(100, 100, 250, 400)).text(text).end();
    const QImage image = render(b.finish());
    EXPECT_EQ(inkIn(image, QRect(352, 0, 648, 1000)), 0) << "nothing beyond the right edge";
    EXPECT_GT(inkIn(image, QRect(100, 140, 250, 60)), 50) << "later lines below the first";
}

// ---- clipping, state and containers ------------------------------------------------------

TEST(EmfPlusClip, ClipRectClipsAndResetClipUndoes)
{
    EmfPlusBuilder b;
    b.begin(0x4032, 0x0000).rectF(QRectF(200, 200, 100, 100)).end();  // replace
    b.fillRect(QRectF(100, 100, 300, 300), kRed);
    b.begin(0x4032, 0x0400).rectF(QRectF(250, 250, 10, 10)).end();    // exclude a hole
    b.fillRect(QRectF(100, 100, 300, 300), kBlue);
    b.begin(0x4031).end();
    b.fillRect(QRectF(600, 600, 100, 100), kGreen);
    const QImage image = render(b.finish());
    EXPECT_TRUE(white(image, 150, 150));
    EXPECT_EQ(at(image, 220, 220), 0x0000FFu);
    EXPECT_EQ(at(image, 255, 255), 0xFF0000u) << "the hole kept the red";
    EXPECT_TRUE(white(image, 350, 350));
    EXPECT_EQ(at(image, 650, 650), QColor(kGreen).rgb() & 0xFFFFFF);
}

TEST(EmfPlusClip, ClipPathsFarBeyondThePageStillClipOnIt)
{
    EmfPlusBuilder b;
    // A triangle reaching a billion pixels out whose edge crosses the page at x = 500.
    b.begin(0x4008, 0x0302).u32(0xDBC01002).u32(3).u32(0);
    b.f32(500).f32(-1e9f).f32(500).f32(1e9f).f32(-1e9f).f32(0);
    b.u8(0).u8(1).u8(0x81).end();
    b.begin(0x4033, 0x0002).end();                                   // SetClipPath, replace
    b.fillRect(QRectF(0, 0, 1000, 1000), kRed);
    b.begin(0x4033, 0x0402).end();                                   // exclude the same path
    b.fillRect(QRectF(0, 0, 1000, 1000), kBlue);
    const QImage image = render(b.finish());
    EXPECT_EQ(at(image, 100, 500), 0xFF0000u);
    EXPECT_EQ(at(image, 480, 20), 0xFF0000u);
    EXPECT_TRUE(white(image, 700, 500)) << "outside the first clip; the second clip holds nothing";
}

TEST(EmfPlusState, RestoreAndEndContainerBringTheStateBack)
{
    EmfPlusBuilder b;
    b.begin(0x4025).u32(7).end();                                  // Save 7
    b.begin(0x402D).f32(400).f32(0).end();                         // Translate
    b.begin(0x4032, 0x0000).rectF(QRectF(0, 0, 50, 50)).end();     // clip, in translated space
    b.begin(0x4026).u32(7).end();                                  // Restore 7
    b.fillRect(QRectF(100, 100, 100, 100), kRed);                  // at its own place, unclipped
    b.begin(0x4028).u32(3).end();                                  // BeginContainerNoParams 3
    b.begin(0x402A).matrix(2, 0, 0, 2, 0, 0).end();                // SetWorldTransform: double
    b.fillRect(QRectF(300, 100, 50, 50), kBlue);                   // (600,200)-(700,300)
    b.begin(0x4029).u32(3).end();                                  // EndContainer 3
    b.fillRect(QRectF(100, 600, 100, 100), kGreen);
    b.begin(0x4026).u32(99).end();                                 // unknown index: ignored
    const QImage image = render(b.finish());
    EXPECT_EQ(at(image, 150, 150), 0xFF0000u);
    EXPECT_TRUE(white(image, 550, 150));
    EXPECT_EQ(at(image, 650, 250), 0x0000FFu);
    EXPECT_EQ(at(image, 150, 650), QColor(kGreen).rgb() & 0xFFFFFF);
}

TEST(EmfPlusState, PageUnitAndContainerRectanglesMapWorldUnits)
{
    EmfPlusBuilder b;
    b.begin(0x4030, 6).f32(1).end();  // page unit millimetres: 10 pixels each at 254 dpi
    b.fillRect(QRectF(10, 10, 10, 10), kRed);
    // A container mapping (0,0)-(1,1) onto (50,50)-(60,60) millimetres.
    b.begin(0x4027).rectF(QRectF(50, 50, 10, 10)).rectF(QRectF(0, 0, 1, 1)).u32(1).end();
    b.fillRect(QRectF(0, 0, 1, 1), kBlue);
    b.begin(0x4029).u32(1).end();
    const QImage image = render(b.finish());
    EXPECT_EQ(at(image, 150, 150), 0xFF0000u);
    EXPECT_TRUE(white(image, 90, 150));
    EXPECT_EQ(at(image, 550, 550), 0x0000FFu);
    EXPECT_TRUE(white(image, 620, 550));
}

TEST(EmfPlusState, AntiAliasModeSmoothsEdges)
{
    const auto greys = [](bool smooth) {
        EmfPlusBuilder b;
        b.begin(0x401E, smooth ? 0x09 : 0x00).end();  // SmoothingModeAntiAlias8x8 with the on bit
        b.begin(0x400C, 0x8000).argb(Qt::black).u32(3).f32(100).f32(100).f32(900).f32(300).f32(100).f32(500).end();
        const QImage image = render(b.finish());
        int n = 0;
        for (int y = 100; y < 500; ++y)
            for (int x = 100; x < 900; ++x) {
                const int g = qGray(image.pixel(x, y));
                n += g > 20 && g < 235;
            }
        return n;
    };
    EXPECT_EQ(greys(false), 0);
    EXPECT_GT(greys(true), 300);
}

// ---- images ------------------------------------------------------------------------------

TEST(EmfPlusImage, BitmapIsStretchedOntoItsDestination)
{
    EmfPlusBuilder b;
    b.begin(0x4021, 5).end();  // nearest neighbour: the pixels' own colours
    // A 2 x 2 32-bit ARGB bitmap in slot 1: red, green / blue, transparent.
    b.begin(0x4008, 0x0501).u32(0xDBC01002).u32(1).u32(2).u32(2).u32(8).u32(0x0026200A).u32(0);
    b.argb(kRed).argb(QColor(0, 255, 0)).argb(kBlue).argb(QColor(0, 0, 0, 0)).end();
    // DrawImage: the whole source onto (100,100)-(500,500).
    b.begin(0x401A, 0x0001).u32(0xFFFFFFFF).u32(2).rectF(QRectF(0, 0, 2, 2)).rectF(QRectF(100, 100, 400, 400)).end();
    // DrawImagePoints: the red pixel alone onto a parallelogram at (600,600).
    b.begin(0x401B, 0x0001).u32(0xFFFFFFFF).u32(2).rectF(QRectF(0, 0, 1, 1)).u32(3);
    b.f32(600).f32(600).f32(800).f32(600).f32(600).f32(800).end();
    const QImage image = render(b.finish());
    EXPECT_EQ(at(image, 150, 150), 0xFF0000u);
    EXPECT_EQ(at(image, 450, 150), 0x00FF00u);
    EXPECT_EQ(at(image, 150, 450), 0x0000FFu);
    EXPECT_TRUE(white(image, 450, 450)) << "transparent pixels leave the paper";
    EXPECT_EQ(at(image, 700, 700), 0xFF0000u);
    EXPECT_TRUE(white(image, 850, 700));
}

TEST(EmfPlusImage, NestedWindowsMetafileIsDrawnToItsLastRecord)
{
    // A placeable Windows metafile of 100 x 100 units filled by a red rectangle, as GDI+ stores
    // it: the placeable header padded to 24 bytes, and a size that counts neither.
    std::vector<uint8_t> wmf;
    const auto w16 = [&wmf](int v) { wmf.push_back(uint8_t(v)); wmf.push_back(uint8_t(v >> 8)); };
    const auto w32 = [&](uint32_t v) { w16(int(v & 0xFFFF)); w16(int(v >> 16)); };
    w32(0x9AC6CDD7), w16(0), w16(0), w16(0), w16(100), w16(100), w16(96), w32(0), w16(0);
    w16(0);                                                         // GDI+'s padding
    const size_t metaAt = wmf.size();
    w16(1), w16(9), w16(0x0300), w32(30), w16(1), w32(7), w16(0);    // META header
    w32(7), w16(0x02FC), w16(0), w32(0x0000FF), w16(0);             // CREATEBRUSHINDIRECT red
    w32(4), w16(0x012D), w16(0);                                    // SELECTOBJECT
    w32(7), w16(0x041B), w16(90), w16(90), w16(10), w16(10);        // RECTANGLE
    w32(3), w16(0);                                                 // EOF
    ASSERT_EQ(wmf.size() - metaAt, 60u);

    EmfPlusBuilder b;
    b.begin(0x4008, 0x0501).u32(0xDBC01002).u32(2).u32(2).u32(60);  // image: placeable WMF
    for (uint8_t byte : wmf)
        b.u8(byte);
    b.end();
    b.begin(0x401A, 0x0001).u32(0xFFFFFFFF).u32(2).rectF(QRectF(0, 0, 100, 100)).rectF(QRectF(100, 100, 400, 400)).end();
    const QImage image = render(b.finish());
    EXPECT_EQ(at(image, 300, 300), 0xFF0000u) << "the rectangle past the stated size is drawn";
    EXPECT_EQ(at(image, 450, 450), 0xFF0000u);
    EXPECT_TRUE(white(image, 480, 480)) << "inside its frame only";
    EXPECT_TRUE(white(image, 50, 50));
}

// ---- compositing and pixel offset ----------------------------------------------------------

constexpr uint16_t kSetCompositingMode = 0x4023, kSetPixelOffsetMode = 0x4022;
const QColor kHalfRed(255, 0, 0, 128);

// A blue square under (100,100)-(500,500), then `draw` in SourceCopy (or SourceOver).
QImage overBlue(bool sourceCopy, const std::function<void(EmfPlusBuilder&)>& draw)
{
    EmfPlusBuilder b;
    b.fillRect(QRectF(100, 100, 400, 400), kBlue);
    b.begin(kSetCompositingMode, sourceCopy ? 1 : 0).end();
    draw(b);
    return render(b.finish());
}

// The page image keeps premultiplied pixels with their alpha; these look at straight colour.
bool replacedByHalfRed(const QImage& image, int x, int y)
{
    const QRgb p = qUnpremultiply(image.pixel(x, y));
    return std::abs(qAlpha(p) - 128) <= 2 && qRed(p) >= 250 && qBlue(p) == 0;
}

bool blendedOverBlue(const QImage& image, int x, int y)
{
    const QRgb p = qUnpremultiply(image.pixel(x, y));
    return qAlpha(p) == 255 && qRed(p) > 100 && qBlue(p) > 100;
}

TEST(EmfPlusCompositing, SourceCopyFillReplacesWhatIsBeneathAlphaAndAll)
{
    const auto fill = [](EmfPlusBuilder& b) { b.fillRect(QRectF(300, 300, 400, 400), kHalfRed); };
    const QImage copied = overBlue(true, fill);
    EXPECT_TRUE(replacedByHalfRed(copied, 400, 400)) << std::hex << copied.pixel(400, 400);
    EXPECT_TRUE(replacedByHalfRed(copied, 600, 600)) << "over white paper too";
    EXPECT_EQ(at(copied, 200, 200), 0x0000FFu) << "outside the fill nothing changes";
    const QImage blended = overBlue(false, fill);
    EXPECT_TRUE(blendedOverBlue(blended, 400, 400)) << std::hex << blended.pixel(400, 400);
}

TEST(EmfPlusCompositing, SourceCopyHoldsForPensTextAndImages)
{
    const auto pen = [](EmfPlusBuilder& b) {
        b.pen(1, kHalfRed, 40);
        b.begin(0x400D, 0x0001).u32(2).f32(200).f32(300).f32(400).f32(300).end();  // DrawLines
    };
    EXPECT_TRUE(replacedByHalfRed(overBlue(true, pen), 300, 300));
    EXPECT_TRUE(blendedOverBlue(overBlue(false, pen), 300, 300));

    // A full block character, large, so that its inside is surely inked.
    const auto text = [](EmfPlusBuilder& b) {
        font(b, 1, 200);
        b.begin(0x401C, 0x8001).argb(kHalfRed).u32(0xFFFFFFFF).u32(1).rectF(QRectF(150, 150, 300, 300)).text(u"\u2588").end();
    };
    const auto countReplaced = [](const QImage& image) {
        int n = 0;
        for (int y = 150; y < 450; ++y)
            for (int x = 150; x < 450; ++x)
                n += replacedByHalfRed(image, x, y);
        return n;
    };
    EXPECT_GT(countReplaced(overBlue(true, text)), 2000);
    EXPECT_EQ(countReplaced(overBlue(false, text)), 0);

    // A 1 x 1 half-transparent red bitmap stretched over (200,200)-(400,400).
    const auto image = [](EmfPlusBuilder& b) {
        b.begin(0x4021, 5).end();
        b.begin(0x4008, 0x0501).u32(0xDBC01002).u32(1).u32(1).u32(1).u32(4).u32(0x0026200A).u32(0).argb(kHalfRed).end();
        b.begin(0x401A, 0x0001).u32(0xFFFFFFFF).u32(2).rectF(QRectF(0, 0, 1, 1)).rectF(QRectF(200, 200, 200, 200)).end();
    };
    EXPECT_TRUE(replacedByHalfRed(overBlue(true, image), 300, 300));
    EXPECT_TRUE(blendedOverBlue(overBlue(false, image), 300, 300));
}

TEST(EmfPlusCompositing, RestoreAndEndContainerBringBlendingBack)
{
    const auto fill = [](uint16_t open, uint16_t close) {
        return [=](EmfPlusBuilder& b) {
            b.begin(open).u32(4).end();
            b.begin(kSetCompositingMode, 0).end();  // SourceOver inside
            b.begin(close).u32(4).end();
            b.fillRect(QRectF(200, 200, 100, 100), kHalfRed);
            b.begin(open).u32(5).end();
            b.begin(close).u32(5).end();
            b.fillRect(QRectF(350, 350, 100, 100), kHalfRed);
        };
    };
    for (const auto [open, close] : {std::pair<uint16_t, uint16_t>{0x4025, 0x4026}, {0x4028, 0x4029}}) {
        const QImage image = overBlue(true, fill(open, close));
        EXPECT_TRUE(replacedByHalfRed(image, 250, 250)) << "SourceCopy again after record " << std::hex << close;
        EXPECT_TRUE(replacedByHalfRed(image, 400, 400));
    }
}

// The rows an aliased one-pixel line at y = 100.6 inks, after `setup`.
std::vector<int> lineRows(const std::function<void(EmfPlusBuilder&)>& setup)
{
    EmfPlusBuilder b;
    b.pen(1, Qt::black, 1);
    setup(b);
    b.begin(0x400D, 0x0001).u32(2).f32(100).f32(100.6f).f32(900).f32(100.6f).end();
    const QImage image = render(b.finish());
    std::vector<int> rows;
    for (int y = 95; y < 106; ++y)
        if (qGray(image.pixel(500, y)) < 128)
            rows.push_back(y);
    return rows;
}

TEST(EmfPlusPixelOffset, HalfModesMoveAnAliasedLineByHalfAPixel)
{
    const auto inMode = [](uint16_t mode) {
        return lineRows([=](EmfPlusBuilder& b) { b.begin(kSetPixelOffsetMode, mode).end(); });
    };
    const std::vector<int> onCentre{101}, shifted{100};
    EXPECT_EQ(lineRows([](EmfPlusBuilder&) {}), onCentre) << "pixel centres on whole coordinates by default";
    EXPECT_EQ(inMode(0), onCentre);  // Default
    EXPECT_EQ(inMode(1), onCentre);  // HighSpeed
    EXPECT_EQ(inMode(3), onCentre);  // None
    EXPECT_EQ(inMode(2), shifted);   // HighQuality
    EXPECT_EQ(inMode(4), shifted);   // Half
}

TEST(EmfPlusPixelOffset, RestoreAndEndContainerBringTheOffsetBack)
{
    for (const auto [open, close] : {std::pair<uint16_t, uint16_t>{0x4025, 0x4026}, {0x4028, 0x4029}}) {
        const auto rows = lineRows([=](EmfPlusBuilder& b) {
            b.begin(open).u32(2).end();
            b.begin(kSetPixelOffsetMode, 4).end();
            b.begin(close).u32(2).end();
        });
        EXPECT_EQ(rows, std::vector<int>{101}) << "after record " << std::hex << close;
    }
}

} // namespace
