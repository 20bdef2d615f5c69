// Fills of the painter device: exact pixels, GDI hatches, patterns, raster operations, clips.
#include "paintertestutil.h"

#include "gdi/paint/hatch.h"

#include <gtest/gtest.h>

using namespace kv::gdi;
using namespace kvtest;

TEST(PainterFill, SolidRectangleCoversExactlyItsPixels)
{
    Canvas c(40, 40);
    c.dev().fillPath(rectPath(QRectF(10, 5, 20, 10)), Qt::OddEvenFill, solidBrush(Qt::red));
    const QImage& img = c.finish();
    EXPECT_EQ(inkBounds(img), QRect(10, 5, 20, 10));
    EXPECT_EQ(img.pixel(10, 5), qRgb(255, 0, 0));
    EXPECT_EQ(img.pixel(29, 14), qRgb(255, 0, 0));
    EXPECT_EQ(img.pixel(30, 14), kWhite);
    EXPECT_EQ(img.pixel(29, 15), kWhite);
}

TEST(PainterFill, FillRuleDecidesTheHoleOfSelfOverlappingFigures)
{
    for (const auto [rule, holeInked] : {std::pair{Qt::OddEvenFill, false}, std::pair{Qt::WindingFill, true}}) {
        Canvas c(40, 40);
        QPainterPath path = rectPath(QRectF(0, 0, 40, 40));
        path.addRect(QRectF(10, 10, 20, 20));
        c.dev().fillPath(path, rule, solidBrush(Qt::black));
        EXPECT_EQ(isInk(c.at(20, 20)), holeInked) << int(rule);
    }
}

struct HatchCase {
    uint32_t hatch;
    bool (*isLine)(int x, int y);  // relative to the brush origin
};

class PainterHatch : public ::testing::TestWithParam<HatchCase> {};

TEST_P(PainterHatch, LinesAreOnePixelEightApartFromTheOrigin)
{
    const HatchCase hc = GetParam();
    for (const QPoint origin : {QPoint(0, 0), QPoint(3, 5)}) {
        Canvas c(48, 48);
        DrawBrush brush = solidBrush(Qt::black);
        brush.kind = DrawBrush::Kind::Hatch;
        brush.hatch = hc.hatch;
        brush.origin = origin;
        c.dev().fillPath(rectPath(QRectF(0, 0, 48, 48)), Qt::OddEvenFill, brush);
        const QImage& img = c.finish();
        for (int y = 0; y < 48; ++y)
            for (int x = 0; x < 48; ++x) {
                const int cx = ((x - origin.x()) % 8 + 8) % 8, cy = ((y - origin.y()) % 8 + 8) % 8;
                ASSERT_EQ(isInk(img.pixel(x, y)), hc.isLine(cx, cy))
                    << "hatch " << hc.hatch << " at " << x << "," << y << " origin " << origin.x();
            }
    }
}

INSTANTIATE_TEST_SUITE_P(
    AllStyles, PainterHatch,
    ::testing::Values(HatchCase{HS_HORIZONTAL, [](int, int y) { return y == 3; }},
                      HatchCase{HS_VERTICAL, [](int x, int) { return x == 4; }},
                      HatchCase{HS_FDIAGONAL, [](int x, int y) { return x == y; }},
                      HatchCase{HS_BDIAGONAL, [](int x, int y) { return x + y == 7; }},
                      HatchCase{HS_CROSS, [](int x, int y) { return x == 4 || y == 3; }},
                      HatchCase{HS_DIAGCROSS, [](int x, int y) { return x == y || x + y == 7; }}));

TEST(PainterFill, HatchGapsTakeTheBackgroundOnlyWhenOpaque)
{
    for (const bool opaque : {false, true}) {
        Canvas c(16, 16);
        DrawBrush brush = solidBrush(Qt::black);
        brush.kind = DrawBrush::Kind::Hatch;
        brush.hatch = HS_HORIZONTAL;
        brush.background = QColor(0, 0, 255);
        brush.opaqueBackground = opaque;
        c.dev().fillPath(rectPath(QRectF(0, 0, 16, 16)), Qt::OddEvenFill, brush);
        const QImage& img = c.finish();
        EXPECT_EQ(img.pixel(5, 3), kBlack);
        EXPECT_EQ(img.pixel(5, 4), opaque ? qRgb(0, 0, 255) : kWhite);
    }
}

TEST(PainterFill, HatchStaysOnePixelUnderAScaledPainter)
{
    Canvas c(64, 64);
    c.device.reset();
    c.painter->scale(4, 4);
    c.device = std::make_unique<PainterDevice>(*c.painter, DeviceCaps{});
    DrawBrush brush = solidBrush(Qt::black);
    brush.kind = DrawBrush::Kind::Hatch;
    brush.hatch = HS_HORIZONTAL;
    c.dev().fillPath(rectPath(QRectF(0, 0, 16, 16)), Qt::OddEvenFill, brush);
    // Device pixels are the painter's coordinates: one device pixel is 4 image pixels here.
    const QImage& img = c.finish();
    EXPECT_EQ(inkCount(img, QRect(0, 0, 1, 64)), 4 * 2);
}

TEST(PainterFill, PatternTilesFromTheBrushOrigin)
{
    QImage tile(2, 2, QImage::Format_RGB32);
    tile.fill(kWhite);
    tile.setPixel(0, 0, kBlack);
    Canvas c(10, 10);
    DrawBrush brush = solidBrush(Qt::black);
    brush.kind = DrawBrush::Kind::Pattern;
    brush.pattern = tile;
    brush.origin = QPointF(1, 0);
    c.dev().fillPath(rectPath(QRectF(0, 0, 10, 10)), Qt::OddEvenFill, brush);
    const QImage& img = c.finish();
    EXPECT_EQ(img.pixel(1, 0), kBlack);
    EXPECT_EQ(img.pixel(3, 2), kBlack);
    EXPECT_EQ(img.pixel(0, 0), kWhite);
    EXPECT_EQ(img.pixel(2, 1), kWhite);
}

TEST(PainterFill, XorTwiceRestoresThePicture)
{
    Canvas c(30, 30, QImage::Format_ARGB32_Premultiplied);
    c.dev().fillPath(rectPath(QRectF(0, 0, 15, 30)), Qt::OddEvenFill, solidBrush(QColor(10, 200, 30)));
    const QImage before = c.image.copy();
    const DrawBrush xorBrush = solidBrush(QColor(200, 100, 50), R2_XORPEN);
    c.dev().fillPath(rectPath(QRectF(5, 5, 20, 20)), Qt::OddEvenFill, xorBrush);
    EXPECT_NE(c.image.pixel(10, 10), before.pixel(10, 10));
    EXPECT_EQ(qAlpha(c.image.pixel(10, 10)), 255);
    c.dev().fillPath(rectPath(QRectF(5, 5, 20, 20)), Qt::OddEvenFill, xorBrush);
    EXPECT_EQ(c.finish(), before);
}

struct Rop2Case {
    int32_t rop2;
    QRgb brush, dst, expected;
};

class PainterRop2 : public ::testing::TestWithParam<Rop2Case> {};

TEST_P(PainterRop2, CombinesBrushAndDestination)
{
    const Rop2Case rc = GetParam();
    Canvas c(8, 8);
    c.image.fill(rc.dst);
    c.dev().fillPath(rectPath(QRectF(0, 0, 8, 8)), Qt::OddEvenFill, solidBrush(QColor(rc.brush), rc.rop2));
    EXPECT_EQ(c.at(4, 4), rc.expected) << "rop2 " << rc.rop2;
}

INSTANTIATE_TEST_SUITE_P(
    Table, PainterRop2,
    ::testing::Values(Rop2Case{R2_COPYPEN, 0xFF123456, 0xFF00FF00, 0xFF123456},
                      Rop2Case{R2_NOP, 0xFF123456, 0xFF00FF00, 0xFF00FF00},
                      Rop2Case{R2_NOT, 0xFF123456, 0xFF00FF00, 0xFFFF00FF},
                      Rop2Case{R2_BLACK, 0xFFFFFFFF, 0xFF00FF00, 0xFF000000},
                      Rop2Case{R2_WHITE, 0xFF000000, 0xFF00FF00, 0xFFFFFFFF},
                      Rop2Case{R2_MASKPEN, 0xFFF0F0F0, 0xFF0F3F0F, 0xFF003000},
                      Rop2Case{R2_MERGEPEN, 0xFFF00000, 0xFF000F0F, 0xFFF00F0F},
                      Rop2Case{R2_NOTCOPYPEN, 0xFF00FF00, 0xFF123456, 0xFFFF00FF},
                      Rop2Case{R2_XORPEN, 0xFFFF0000, 0xFFFF00FF, 0xFF0000FF}));

TEST(PainterFill, ClipRegionLimitsDrawingAndCanBeLifted)
{
    Canvas c(40, 40);
    c.dev().setClip(QRegion(0, 0, 10, 10) + QRegion(30, 30, 10, 10));
    c.dev().fillPath(rectPath(QRectF(0, 0, 40, 40)), Qt::OddEvenFill, solidBrush(Qt::black));
    EXPECT_EQ(inkCount(c.image), 200);
    c.dev().setClip(std::nullopt);
    c.dev().fillPath(rectPath(QRectF(15, 15, 5, 5)), Qt::OddEvenFill, solidBrush(Qt::black));
    EXPECT_EQ(inkCount(c.finish()), 225);
}

TEST(PainterFill, DeviceClipStaysInsideTheCallersClip)
{
    Canvas c(40, 40);
    c.device.reset();
    c.painter->setClipRect(0, 0, 20, 40);
    c.device = std::make_unique<PainterDevice>(*c.painter, DeviceCaps{});
    c.dev().setClip(QRegion(10, 0, 30, 40));
    c.dev().fillPath(rectPath(QRectF(0, 0, 40, 40)), Qt::OddEvenFill, solidBrush(Qt::black));
    EXPECT_EQ(inkBounds(c.finish()), QRect(10, 0, 10, 40));
}

TEST(PainterFill, HatchWithARasterOperationLeavesTheGapsAlone)
{
    Canvas c(16, 16);
    c.image.fill(qRgb(0, 255, 0));
    DrawBrush brush = solidBrush(QColor(255, 0, 0), R2_XORPEN);
    brush.kind = DrawBrush::Kind::Hatch;
    brush.hatch = HS_VERTICAL;
    c.dev().fillPath(rectPath(QRectF(0, 0, 16, 16)), Qt::OddEvenFill, brush);
    EXPECT_EQ(c.at(4, 7), qRgb(255, 255, 0));
    EXPECT_EQ(c.at(5, 7), qRgb(0, 255, 0));
}

namespace {
int painterWarnings = 0;
void countWarnings(QtMsgType type, const QMessageLogContext&, const QString&)
{
    painterWarnings += type == QtWarningMsg;
}
} // namespace

TEST(PainterLifetime, PainterEndedBeforeTheDeviceIsLeftAlone)
{
    QImage image(10, 10, QImage::Format_RGB32);
    QPainter painter(&image);
    auto device = std::make_unique<PainterDevice>(painter, DeviceCaps{});
    painter.end();
    painterWarnings = 0;
    const QtMessageHandler previous = qInstallMessageHandler(countWarnings);
    device.reset();
    qInstallMessageHandler(previous);
    EXPECT_EQ(painterWarnings, 0);
}

// Upright rectangles are filled as pixel rectangles: the same pixels as the scan converter
// gives the same outline, at whole and fractional corners, through a shifted view, on an image
// of a higher device pixel ratio, and for raster operations.
TEST(PainterFill, RectanglesCoverTheSamePixelsAsTheirOutlines)
{
    struct Case {
        QRectF rect;
        QPointF viewShift;
        int32_t rop2;
        double ratio = 1;
    };
    const Case cases[] = {
        {QRectF(10, 10, 30, 20), {}, R2_COPYPEN},
        {QRectF(10.3, 9.7, 30.6, 20.2), {}, R2_COPYPEN},
        {QRectF(3.49, 4.51, 12.02, 7.98), {}, R2_COPYPEN},
        {QRectF(5.5, 6.5, 10, 10), {}, R2_COPYPEN},        // edges on pixel centres
        {QRectF(20.75, 0.25, 0.5, 40), {}, R2_COPYPEN},    // narrower than a pixel
        {QRectF(-10.2, -5.6, 30.4, 20.8), {}, R2_COPYPEN}, // partly off the image
        {QRectF(10.3, 9.7, 30.6, 20.2), QPointF(7, -3), R2_COPYPEN},
        {QRectF(10.3, 9.7, 30.6, 20.2), QPointF(0.5, 0.25), R2_COPYPEN},
        {QRectF(8.2, 8.9, 40.1, 30.3), {}, R2_NOT},
        {QRectF(8.2, 8.9, 40.1, 30.3), {}, R2_XORPEN},
        {QRectF(5.3, 4.7, 15.6, 10.2), {}, R2_COPYPEN, 2},
        {QRectF(5.3, 4.7, 15.6, 10.2), QPointF(1.25, 0), R2_COPYPEN, 1.5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "rect " << c.rect.x() << "," << c.rect.y() << " " << c.rect.width() << "x"
                                        << c.rect.height() << " rop2 " << c.rop2 << " ratio " << c.ratio);
        const auto draw = [&](bool asRectangle) {
            QImage image(80, 60, QImage::Format_RGB32);
            image.fill(qRgb(40, 160, 220));
            image.setDevicePixelRatio(c.ratio);
            QPainter painter(&image);
            painter.translate(c.viewShift);
            PainterDevice device(painter, DeviceCaps{});
            DrawBrush brush;
            brush.kind = DrawBrush::Kind::Solid;
            brush.color = QColor(200, 30, 60);
            brush.rop2 = c.rop2;
            QPainterPath path;
            if (asRectangle) {
                path.addPolygon(QPolygonF(c.rect));
            } else {
                // The same outline with a corner split in two: no longer four corners, so it
                // goes through the scan converter.
                path.moveTo(c.rect.topLeft());
                path.lineTo(c.rect.topRight());
                path.lineTo(c.rect.bottomRight());
                path.lineTo(c.rect.bottomLeft());
                path.lineTo((c.rect.bottomLeft() + c.rect.topLeft()) / 2);
                path.closeSubpath();
            }
            device.fillPath(path, Qt::WindingFill, brush);
            return image;
        };
        const QImage rectangle = draw(true), outline = draw(false);
        int different = 0;
        for (int y = 0; y < rectangle.height(); ++y)
            for (int x = 0; x < rectangle.width(); ++x)
                different += rectangle.pixel(x, y) != outline.pixel(x, y);
        EXPECT_EQ(different, 0);
        // Exactly the pixels whose centres lie inside are painted (a centre on the left or top
        // edge is inside, on the right or bottom edge outside).
        const QRectF shifted = c.rect.translated(c.viewShift);
        const QRectF onImage(shifted.topLeft() * c.ratio, shifted.size() * c.ratio);
        int inside = 0, painted = 0;
        for (int y = 0; y < rectangle.height(); ++y)
            for (int x = 0; x < rectangle.width(); ++x) {
                inside += onImage.left() <= x + 0.5 && x + 0.5 < onImage.right() && onImage.top() <= y + 0.5 && y + 0.5 < onImage.bottom();
                painted += (rectangle.pixel(x, y) & 0xFFFFFFu) != (qRgb(40, 160, 220) & 0xFFFFFFu);
            }
        EXPECT_EQ(painted, inside);
    }
}
