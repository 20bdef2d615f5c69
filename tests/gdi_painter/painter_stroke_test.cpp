// Lines of the painter device: widths, GDI dash patterns, opaque gaps, brush-painted pens.
#include "paintertestutil.h"

#include <gtest/gtest.h>

using namespace kv::gdi;
using namespace kvtest;

namespace {

// Lengths of the alternating ink / no-ink runs along row y, from the first ink pixel.
std::vector<int> runsAlongRow(const QImage& img, int y, int fromX, int toX)
{
    std::vector<int> runs;
    bool ink = true;
    int length = 0;
    int x = fromX;
    while (x < toX && !isInk(img.pixel(x, y)))
        ++x;
    for (; x < toX; ++x) {
        if (isInk(img.pixel(x, y)) == ink) {
            ++length;
        } else {
            runs.push_back(length);
            ink = !ink;
            length = 1;
        }
    }
    return runs;  // the last, possibly cut, run is left out
}

} // namespace

struct WidthCase {
    double width;
    bool cosmetic;
    int expectedRows;
};

class PainterPenWidth : public ::testing::TestWithParam<WidthCase> {};

TEST_P(PainterPenWidth, HorizontalLineIsAsThickAsThePen)
{
    const WidthCase wc = GetParam();
    Canvas c(60, 60);
    c.dev().strokePath(linePath(QPointF(10, 30), QPointF(50, 30)), solidPen(Qt::black, wc.width, wc.cosmetic));
    const auto bounds = inkBounds(c.finish());
    ASSERT_TRUE(bounds);
    EXPECT_EQ(bounds->height(), wc.expectedRows) << wc.width;
    EXPECT_NEAR(bounds->width(), 40, 1);
}

INSTANTIATE_TEST_SUITE_P(Widths, PainterPenWidth,
                         ::testing::Values(WidthCase{1, true, 1}, WidthCase{0.2, false, 1},
                                           WidthCase{1, false, 1}, WidthCase{4, false, 4},
                                           WidthCase{10, false, 10}, WidthCase{10, true, 1}));

struct DashCase {
    const char* name;
    QList<qreal> dashes;
};

class PainterDash : public ::testing::TestWithParam<DashCase> {};

TEST_P(PainterDash, CosmeticDashesAreCountedInPixels)
{
    const DashCase dc = GetParam();
    Canvas c(200, 20);
    DrawPen pen = solidPen(Qt::black);
    pen.style = Qt::CustomDashLine;
    pen.dashes = dc.dashes;
    c.dev().strokePath(linePath(QPointF(0, 10), QPointF(200, 10)), pen);
    const std::vector<int> runs = runsAlongRow(c.finish(), 10, 0, 200);
    ASSERT_GE(runs.size(), size_t(dc.dashes.size())) << dc.name;
    for (qsizetype i = 0; i < dc.dashes.size(); ++i)
        EXPECT_NEAR(runs[size_t(i)], dc.dashes[i], 1) << dc.name << " entry " << i;
}

INSTANTIATE_TEST_SUITE_P(GdiStyles, PainterDash,
                         ::testing::Values(DashCase{"dash", {18, 6}}, DashCase{"dot", {3, 3}},
                                           DashCase{"dashdot", {9, 6, 3, 6}},
                                           DashCase{"dashdotdot", {9, 3, 3, 3, 3, 3}}));

TEST(PainterStroke, GeometricDashesScaleWithTheWidth)
{
    Canvas c(200, 40);
    DrawPen pen = solidPen(Qt::black, 4, false);
    pen.style = Qt::CustomDashLine;
    pen.dashes = {3, 1};
    c.dev().strokePath(linePath(QPointF(0, 20), QPointF(200, 20)), pen);
    const std::vector<int> runs = runsAlongRow(c.finish(), 20, 0, 200);
    ASSERT_GE(runs.size(), 2u);
    EXPECT_NEAR(runs[0], 12, 1);
    EXPECT_NEAR(runs[1], 4, 1);
}

TEST(PainterStroke, OpaqueBackgroundFillsTheGaps)
{
    for (const bool opaque : {false, true}) {
        Canvas c(100, 20);
        DrawPen pen = solidPen(Qt::black);
        pen.style = Qt::CustomDashLine;
        pen.dashes = {18, 6};
        pen.background = QColor(0, 0, 255);
        pen.opaqueBackground = opaque;
        c.dev().strokePath(linePath(QPointF(0, 10), QPointF(100, 10)), pen);
        const QImage& img = c.finish();
        int blue = 0;
        for (int x = 0; x < 100; ++x)
            blue += img.pixel(x, 10) == qRgb(0, 0, 255);
        if (opaque)
            EXPECT_GT(blue, 15);
        else
            EXPECT_EQ(blue, 0);
    }
}

TEST(PainterStroke, NullPenDrawsNothing)
{
    Canvas c(20, 20);
    DrawPen pen = solidPen(Qt::black, 5, false);
    pen.visible = false;
    c.dev().strokePath(linePath(QPointF(0, 10), QPointF(20, 10)), pen);
    EXPECT_EQ(inkCount(c.finish()), 0);
}

TEST(PainterStroke, LinesAreAliased)
{
    Canvas c(60, 60);
    c.dev().strokePath(linePath(QPointF(5, 5), QPointF(55, 37)), solidPen(Qt::black));
    const QImage& img = c.finish();
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            ASSERT_TRUE(img.pixel(x, y) == kWhite || img.pixel(x, y) == kBlack) << x << "," << y;
}

TEST(PainterStroke, GeometricPenWithAHatchBrushPaintsTheHatchInsideTheStroke)
{
    Canvas c(64, 64);
    DrawPen pen = solidPen(Qt::black, 16, false);
    DrawBrush hatch = solidBrush(Qt::black);
    hatch.kind = DrawBrush::Kind::Hatch;
    hatch.hatch = HS_VERTICAL;
    pen.brush = hatch;
    c.dev().strokePath(linePath(QPointF(0, 32), QPointF(64, 32)), pen);
    const QImage& img = c.finish();
    EXPECT_TRUE(isInk(img.pixel(4, 30)));
    EXPECT_FALSE(isInk(img.pixel(5, 30)));
    EXPECT_FALSE(isInk(img.pixel(4, 10)));  // outside the stroke
}

TEST(PainterStroke, XorLineTwiceRestores)
{
    Canvas c(50, 50);
    c.dev().fillPath(rectPath(QRectF(0, 0, 25, 50)), Qt::OddEvenFill, solidBrush(QColor(0, 128, 255)));
    const QImage before = c.image.copy();
    DrawPen pen = solidPen(Qt::white);
    pen.rop2 = R2_XORPEN;
    QPainterPath zigzag(QPointF(2, 2));
    zigzag.lineTo(40, 10);
    zigzag.lineTo(5, 45);
    c.dev().strokePath(zigzag, pen);
    EXPECT_NE(c.image, before);
    c.dev().strokePath(zigzag, pen);
    EXPECT_EQ(c.finish(), before);
}
