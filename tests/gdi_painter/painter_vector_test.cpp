// The painter device on a paint engine without raster operations (printers, PDF, pictures):
// operations other than copy are drawn as they would come out on white paper.
#include "paintertestutil.h"

#include <QPicture>
#include <gtest/gtest.h>

using namespace kv::gdi;
using namespace kvtest;

namespace {

// Records drawing into a QPicture (a vector paint engine), then plays it onto white.
template <class Draw> QImage throughPicture(Draw draw)
{
    QPicture picture;
    {
        QPainter painter(&picture);
        PainterDevice device(painter, DeviceCaps{});
        EXPECT_FALSE(device.supportsRasterOps());
        draw(device);
    }
    QImage image(40, 40, QImage::Format_RGB32);
    image.fill(kWhite);
    QPainter painter(&image);
    painter.drawPicture(0, 0, picture);
    return image;
}

} // namespace

struct PaperRopCase {
    int32_t rop2;
    QRgb brush;
    QRgb expected;  // what a fill leaves on white paper
};

class PainterOnPaper : public ::testing::TestWithParam<PaperRopCase> {};

TEST_P(PainterOnPaper, Rop2FillsShowWhatWhitePaperWouldShow)
{
    const PaperRopCase pc = GetParam();
    const QImage image = throughPicture([&](PainterDevice& device) {
        device.fillPath(rectPath(QRectF(0, 0, 20, 20)), Qt::OddEvenFill, solidBrush(QColor(pc.brush), pc.rop2));
    });
    EXPECT_EQ(image.pixel(10, 10) | 0xFF000000u, pc.expected) << "rop2 " << pc.rop2;
}

INSTANTIATE_TEST_SUITE_P(Table, PainterOnPaper,
                         ::testing::Values(PaperRopCase{R2_COPYPEN, 0xFF102030, 0xFF102030},
                                           PaperRopCase{R2_XORPEN, 0xFFFF0000, 0xFF00FFFF},
                                           PaperRopCase{R2_MASKPEN, 0xFF336699, 0xFF336699},
                                           PaperRopCase{R2_MERGEPEN, 0xFF336699, kWhite},
                                           PaperRopCase{R2_NOTCOPYPEN, 0xFF00FF00, 0xFFFF00FF},
                                           PaperRopCase{R2_BLACK, 0xFFFFFFFF, kBlack}));

TEST(PainterOnPaperImages, MaskIdiomOfAndThenOrComesOutRight)
{
    // A black shape on white ANDed in, then the picture on black ORed in: the picture shows
    // inside the shape and nothing of either white or black background covers the paper.
    QImage mask(2, 1, QImage::Format_RGB32);
    mask.setPixel(0, 0, kBlack);
    mask.setPixel(1, 0, kWhite);
    QImage picture(2, 1, QImage::Format_RGB32);
    picture.setPixel(0, 0, qRgb(0, 0, 255));
    picture.setPixel(1, 0, kBlack);
    const auto blit = [](const QImage& source, uint32_t rop3) {
        ImageDraw d;
        d.source = source;
        d.rop3 = rop3;
        d.toDevice = QTransform::fromScale(20, 20);
        d.deviceQuad = QPolygonF(QRectF(0, 0, 40, 20));
        return d;
    };
    const QImage image = throughPicture([&](PainterDevice& device) {
        device.fillPath(rectPath(QRectF(0, 20, 40, 20)), Qt::OddEvenFill, solidBrush(Qt::red));
        device.fillPath(rectPath(QRectF(30, 0, 10, 20)), Qt::OddEvenFill, solidBrush(Qt::green));
        device.drawImage(blit(mask, SRCAND));
        device.drawImage(blit(picture, SRCPAINT));
    });
    EXPECT_EQ(image.pixel(10, 10), qRgb(0, 0, 255));
    EXPECT_EQ(image.pixel(35, 10), qRgb(0, 255, 0));  // left alone where mask and picture are blank
}
