// What a DIB costs before it is decoded: the pixels the decoder will allocate, which for an
// embedded JPEG or PNG is what its codec decodes at, not what the header claims.
#include "blankpng.h"
#include "dibbuilder.h"
#include "gdi/dib/dib.h"

#include <QBuffer>
#include <QImage>
#include <gtest/gtest.h>

using namespace kv::gdi;

namespace {

std::vector<uint8_t> jpegOf(int side)
{
    QImage image(side, side, QImage::Format_RGB32);
    image.fill(qRgb(200, 40, 40));
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "jpeg", 90);
    return std::vector<uint8_t>(data.begin(), data.end());
}

TEST(DibDecodedPixels, PlainBitmapsCostTheirHeaderSize)
{
    EXPECT_EQ(dibDecodedPixels(kvtest::header({40, 100, 50, 24, BI_RGB}).data, {}), 5000u);
    EXPECT_EQ(dibDecodedPixels(kvtest::header({40, 100, -50, 32, BI_RGB}).data, {}), 5000u);
    // Nothing a decoder would make costs nothing.
    EXPECT_EQ(dibDecodedPixels(kvtest::header({40, 0, 50, 24, BI_RGB}).data, {}), 0u);
    EXPECT_EQ(dibDecodedPixels(kvtest::header({40, 4, 4, 0, BI_PNG}).data, {}), 0u);
}

TEST(DibDecodedPixels, AHugePngBehindATinyHeaderCostsItsRealSize)
{
    const std::vector<uint8_t> png = kvtest::blankPng(16384, 16384);
    ASSERT_LT(png.size(), 300u * 1024) << "the generated picture should be small on disk";
    const uint64_t cost = dibDecodedPixels(kvtest::header({40, 1, 1, 0, BI_PNG}).data, png);
    EXPECT_GT(cost, kPagePixelBudget);
    EXPECT_EQ(cost, 16384ull * 16384 + 1);
}

TEST(DibDecodedPixels, AJpegShrinksToTheHeaderSizeWhileDecoding)
{
    const std::vector<uint8_t> jpeg = jpegOf(1024);
    const auto info = kvtest::header({40, 64, 64, 0, BI_JPEG}).data;
    EXPECT_EQ(dibDecodedPixels(info, jpeg), 2u * 64 * 64);
    const QImage image = decodeDib(info, jpeg);
    ASSERT_EQ(image.size(), QSize(64, 64));
    EXPECT_NEAR(qRed(image.pixel(32, 32)), 200, 8);
    // A header larger than the picture: it is decoded whole and brought up to the header.
    EXPECT_EQ(dibDecodedPixels(kvtest::header({40, 2048, 16, 0, BI_JPEG}).data, jpegOf(32)), 32u * 32 + 2048 * 16);
}

} // namespace
