// DIBs whose bits are a whole PNG or JPEG file.
#include "dibbuilder.h"
#include "gdi/dib/dib.h"

#include <QBuffer>
#include <gtest/gtest.h>

using namespace kv::gdi;

namespace {

QImage testPicture(int w, int h)
{
    QImage image(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            image.setPixel(x, y, x < w / 2 ? (y < h / 2 ? qRgb(255, 0, 0) : qRgb(0, 0, 255)) : qRgb(0, 160, 0));
    return image;
}

std::vector<uint8_t> saved(const QImage& image, const char* format)
{
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format, 95);
    return std::vector<uint8_t>(data.begin(), data.end());
}

TEST(DibEmbedded, PngDecodesExactly)
{
    const QImage picture = testPicture(16, 8);
    const QImage image = decodeDib(kvtest::header({40, 16, 8, 0, BI_PNG}).data, saved(picture, "png"));
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.convertToFormat(QImage::Format_RGB32), picture);
}

TEST(DibEmbedded, PngAlphaIsKept)
{
    QImage picture(4, 4, QImage::Format_ARGB32);
    picture.fill(qRgba(0, 0, 255, 0));
    picture.setPixel(1, 2, qRgba(255, 0, 0, 255));
    const QImage image = decodeDib(kvtest::header({40, 4, 4, 0, BI_PNG}).data, saved(picture, "png"));
    ASSERT_TRUE(image.hasAlphaChannel());
    EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0);
    EXPECT_EQ(image.pixel(1, 2), qRgb(255, 0, 0));
}

TEST(DibEmbedded, JpegDecodesCloseToTheOriginal)
{
    const QImage picture = testPicture(32, 32);
    const QImage image = decodeDib(kvtest::header({40, 32, 32, 0, BI_JPEG}).data, saved(picture, "jpeg"));
    ASSERT_FALSE(image.isNull());
    ASSERT_EQ(image.size(), picture.size());
    for (const QPoint p : {QPoint(4, 4), QPoint(4, 28), QPoint(28, 16)}) {
        const QRgb got = image.pixel(p), want = picture.pixel(p);
        EXPECT_NEAR(qRed(got), qRed(want), 24) << p.x() << "," << p.y();
        EXPECT_NEAR(qGreen(got), qGreen(want), 24) << p.x() << "," << p.y();
        EXPECT_NEAR(qBlue(got), qBlue(want), 24) << p.x() << "," << p.y();
    }
}

TEST(DibEmbedded, PictureIsBroughtToTheHeaderSize)
{
    const QImage image = decodeDib(kvtest::header({40, 8, 4, 0, BI_PNG}).data, saved(testPicture(16, 8), "png"));
    ASSERT_EQ(image.size(), QSize(8, 4));
    EXPECT_EQ(image.pixel(0, 0), qRgb(255, 0, 0));
    EXPECT_EQ(image.pixel(7, 3), qRgb(0, 160, 0));
}

TEST(DibEmbedded, BrokenOrMislabelledDataIsRefused)
{
    const auto png = saved(testPicture(4, 4), "png");
    std::vector<uint8_t> cut(png.begin(), png.begin() + 20);
    std::vector<uint8_t> garbage(200, 0xEE);
    EXPECT_TRUE(decodeDib(kvtest::header({40, 4, 4, 0, BI_PNG}).data, cut).isNull());
    EXPECT_TRUE(decodeDib(kvtest::header({40, 4, 4, 0, BI_PNG}).data, garbage).isNull());
    EXPECT_TRUE(decodeDib(kvtest::header({40, 4, 4, 0, BI_JPEG}).data, png).isNull());
    EXPECT_TRUE(decodeDib(kvtest::header({40, 4, 4, 0, BI_PNG}).data, {}).isNull());
}

} // namespace
