// Bitmaps of the painter device: placement and scaling, raster operations, colour keys, masks.
#include "paintertestutil.h"

#include <gtest/gtest.h>

using namespace kv::gdi;
using namespace kvtest;

namespace {

// 2x2 picture: red, green / blue, black (top row first).
QImage quadrants()
{
    QImage img(2, 2, QImage::Format_RGB32);
    img.setPixel(0, 0, qRgb(255, 0, 0));
    img.setPixel(1, 0, qRgb(0, 255, 0));
    img.setPixel(0, 1, qRgb(0, 0, 255));
    img.setPixel(1, 1, qRgb(0, 0, 0));
    return img;
}

ImageDraw blit(const QImage& source, const QRectF& target, uint32_t rop3 = SRCCOPY)
{
    ImageDraw d;
    d.source = source;
    d.rop3 = rop3;
    d.toDevice = QTransform::fromTranslate(target.left(), target.top())
                     .scale(target.width() / source.width(), target.height() / source.height());
    d.deviceQuad = QPolygonF(target);
    return d;
}

QImage solid(QRgb colour, int w = 4, int h = 4)
{
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(colour);
    return img;
}

} // namespace

TEST(PainterImage, CopyIsPlacedUprightAndScaled)
{
    Canvas c(40, 40);
    c.dev().drawImage(blit(quadrants(), QRectF(10, 10, 20, 20)));
    EXPECT_EQ(c.at(12, 12), qRgb(255, 0, 0));
    EXPECT_EQ(c.at(28, 12), qRgb(0, 255, 0));
    EXPECT_EQ(c.at(12, 28), qRgb(0, 0, 255));
    EXPECT_EQ(c.at(28, 28), qRgb(0, 0, 0));
    EXPECT_EQ(inkBounds(c.finish()), QRect(10, 10, 20, 20));
}

TEST(PainterImage, MirroredTransformFlipsThePicture)
{
    Canvas c(40, 40);
    ImageDraw d = blit(quadrants(), QRectF(10, 10, 20, 20));
    d.toDevice = QTransform(10, 0, 0, -10, 10, 30);  // bottom-up
    c.dev().drawImage(d);
    EXPECT_EQ(c.at(12, 12), qRgb(0, 0, 255));
    EXPECT_EQ(c.at(12, 28), qRgb(255, 0, 0));
}

TEST(PainterImage, OnlyHalftoneSmoothsWhenScaling)
{
    for (const int32_t mode : {COLORONCOLOR, HALFTONE}) {
        Canvas c(40, 10);
        QImage stripes(2, 1, QImage::Format_RGB32);
        stripes.setPixel(0, 0, kBlack);
        stripes.setPixel(1, 0, kWhite);
        ImageDraw d = blit(stripes, QRectF(0, 0, 40, 10));
        d.stretchMode = mode;
        c.dev().drawImage(d);
        const QImage& img = c.finish();
        int grey = 0;
        for (int x = 0; x < 40; ++x)
            grey += img.pixel(x, 5) != kBlack && img.pixel(x, 5) != kWhite;
        EXPECT_EQ(grey > 0, mode == HALFTONE) << mode;
    }
}

// Enlarged 20 times, destination pixel d takes the colour at source position d / 20: black at
// the left edge, a ramp over the first source pixel's cell, white held over the last cell up to
// the edge of the destination and not beyond it.
TEST(PainterImage, HalftoneEnlargementRampsFromEachSourcePixelsCorner)
{
    Canvas c(60, 10);
    c.image.fill(qRgb(255, 0, 0));
    QImage stripes(2, 1, QImage::Format_RGB32);
    stripes.setPixel(0, 0, kBlack);
    stripes.setPixel(1, 0, kWhite);
    ImageDraw d = blit(stripes, QRectF(10, 0, 40, 10));
    d.stretchMode = HALFTONE;
    c.dev().drawImage(d);
    c.finish();
    EXPECT_EQ(c.at(10, 5), kBlack);
    EXPECT_NEAR(qRed(c.at(20, 5)), 128, 8);  // source position 0.5: half way to white
    for (int x = 30; x < 50; ++x)
        EXPECT_GE(qRed(c.at(x, 5)), 254) << x;
    EXPECT_EQ(c.at(9, 5), qRgb(255, 0, 0));
    EXPECT_EQ(c.at(50, 5), qRgb(255, 0, 0));
}

struct RopCase {
    uint32_t rop3;
    QRgb source, dst, expected;
};

class PainterImageRop : public ::testing::TestWithParam<RopCase> {};

TEST_P(PainterImageRop, CombinesSourceAndDestination)
{
    const RopCase rc = GetParam();
    Canvas c(20, 20);
    c.image.fill(rc.dst);
    c.dev().drawImage(blit(solid(rc.source), QRectF(4, 4, 8, 8), rc.rop3));
    EXPECT_EQ(c.at(8, 8), rc.expected);
    EXPECT_EQ(c.at(2, 2), rc.dst | 0xFF000000u);
}

INSTANTIATE_TEST_SUITE_P(Table, PainterImageRop,
                         ::testing::Values(RopCase{SRCAND, 0xFF0F0FF0, 0xFF3C3C3C, 0xFF0C0C30},
                                           RopCase{SRCPAINT, 0xFF0F0000, 0xFF300030, 0xFF3F0030},
                                           RopCase{SRCINVERT, 0xFFFF00FF, 0xFF0F0F0F, 0xFFF00FF0},
                                           RopCase{0x00330008 /* NOTSRCCOPY */, 0xFF00FF00, 0xFF000000, 0xFFFF00FF},
                                           RopCase{DSTINVERT, 0xFF123456, 0xFF00FF00, 0xFFFF00FF},
                                           RopCase{BLACKNESS, 0xFF123456, 0xFFFFFFFF, 0xFF000000},
                                           RopCase{WHITENESS, 0xFF123456, 0xFF000000, 0xFFFFFFFF}));

TEST(PainterImage, PatternRopsUseTheBrush)
{
    Canvas c(20, 20);
    ImageDraw d = blit(QImage(), QRectF(0, 0, 10, 10), PATCOPY);
    d.brush = solidBrush(QColor(0, 0, 255));
    c.dev().drawImage(d);
    EXPECT_EQ(c.at(5, 5), qRgb(0, 0, 255));
    EXPECT_EQ(c.at(15, 15), kWhite);
}

TEST(PainterImage, PatternAndSourceRopCombinesWithTheDestination)
{
    // MERGECOPY: P & S.
    Canvas c(20, 20);
    ImageDraw d = blit(solid(qRgb(0xF0, 0xFF, 0x0F)), QRectF(0, 0, 10, 10), 0x00C000CA);
    d.brush = solidBrush(QColor(0x3C, 0x00, 0xFF));
    c.dev().drawImage(d);
    EXPECT_EQ(c.at(5, 5), qRgb(0x30, 0x00, 0x0F));
}

TEST(PainterImage, RasterOperationsHonourTheClip)
{
    Canvas c(20, 20);
    c.dev().setClip(QRegion(0, 0, 6, 20));
    c.dev().drawImage(blit(solid(qRgb(0, 0, 0)), QRectF(0, 0, 20, 20), SRCAND));
    const QImage& img = c.finish();
    EXPECT_EQ(inkBounds(img), QRect(0, 0, 6, 20));
}

TEST(PainterImage, TransparentBltSkipsTheKeyColour)
{
    Canvas c(20, 20);
    c.image.fill(qRgb(0, 255, 0));
    QImage src = solid(qRgb(255, 0, 255), 2, 1);
    src.setPixel(1, 0, qRgb(0, 0, 0));
    ImageDraw d = blit(src, QRectF(0, 0, 20, 10));
    d.mode = ImageDraw::Mode::Transparent;
    d.transparentColor = qRgb(255, 0, 255);
    c.dev().drawImage(d);
    EXPECT_EQ(c.at(5, 5), qRgb(0, 255, 0));
    EXPECT_EQ(c.at(15, 5), qRgb(0, 0, 0));
}

TEST(PainterImage, ConstantAlphaBlends)
{
    Canvas c(20, 20);
    ImageDraw d = blit(solid(kBlack), QRectF(0, 0, 10, 10));
    d.mode = ImageDraw::Mode::Alpha;
    d.constantAlpha = 128;
    c.dev().drawImage(d);
    EXPECT_NEAR(qRed(c.at(5, 5)), 127, 2);
}

TEST(PainterImage, PerPixelAlphaBlends)
{
    Canvas c(20, 20);
    QImage src(2, 1, QImage::Format_ARGB32_Premultiplied);
    src.setPixel(0, 0, qRgba(0, 0, 0, 255));
    src.setPixel(1, 0, qRgba(0, 0, 0, 0));
    ImageDraw d = blit(src, QRectF(0, 0, 20, 10));
    d.mode = ImageDraw::Mode::Alpha;
    d.perPixelAlpha = true;
    c.dev().drawImage(d);
    EXPECT_EQ(c.at(5, 5), kBlack);
    EXPECT_EQ(c.at(15, 5), kWhite);
}

TEST(PainterImage, MaskSelectsForegroundAndBackgroundOperations)
{
    Canvas c(20, 20);
    c.image.fill(qRgb(0, 255, 0));
    QImage mask(2, 1, QImage::Format_Mono);
    mask.setColorCount(2);
    mask.setColor(0, kBlack);
    mask.setColor(1, kWhite);
    mask.setPixel(0, 0, 1);
    mask.setPixel(1, 0, 0);
    ImageDraw d = blit(solid(qRgb(255, 0, 0), 2, 1), QRectF(0, 0, 20, 10));
    d.mode = ImageDraw::Mode::Mask;
    d.mask = mask;
    d.rop3 = SRCCOPY;
    d.backgroundRop3 = 0x00AA0029;  // leave the destination
    c.dev().drawImage(d);
    EXPECT_EQ(c.at(5, 5), qRgb(255, 0, 0));
    EXPECT_EQ(c.at(15, 5), qRgb(0, 255, 0));
}

TEST(PainterImageShrink, StretchModeDecidesWhatShrinkingKeeps)
{
    // A one-pixel black line across a white picture shrunk to a quarter of its height.
    QImage lined(8, 8, QImage::Format_RGB32);
    lined.fill(kWhite);
    for (int x = 0; x < 8; ++x)
        lined.setPixel(x, 3, kBlack);  // a row that plain point sampling steps over
    struct Case { int32_t mode; bool lineKept; };
    for (const Case c : {Case{BLACKONWHITE, true}, Case{COLORONCOLOR, false}}) {
        Canvas canvas(8, 2);
        ImageDraw d = blit(lined, QRectF(0, 0, 8, 2));
        d.stretchMode = c.mode;
        canvas.dev().drawImage(d);
        EXPECT_EQ(inkCount(canvas.finish()) > 0, c.lineKept) << c.mode;
    }
}

TEST(PainterImageShrink, WhiteOnBlackKeepsLightDetail)
{
    QImage dotted(4, 4, QImage::Format_RGB32);
    dotted.fill(kBlack);
    dotted.setPixel(2, 1, kWhite);
    Canvas canvas(1, 1);
    ImageDraw d = blit(dotted, QRectF(0, 0, 1, 1));
    d.stretchMode = WHITEONBLACK;
    canvas.dev().drawImage(d);
    EXPECT_EQ(canvas.at(0, 0), kWhite);
}
