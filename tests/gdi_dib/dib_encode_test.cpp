// Packed DIBs written for the recorders: the layout chosen per image kind, and decoding them
// gives the picture back.
#include "gdi/dib/dib.h"

#include <QRandomGenerator>
#include <gtest/gtest.h>
#include <functional>

using namespace kv::gdi;

namespace {

QImage noise(int w, int h, QImage::Format format, uint32_t seed)
{
    QRandomGenerator rng(seed);
    QImage image(w, h, QImage::Format_ARGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            image.setPixel(x, y, rng.generate() | 0xFF000000u);
    return image.convertToFormat(format);
}

QImage indexed(int w, int h, int colours)
{
    QImage image(w, h, QImage::Format_Indexed8);
    QList<QRgb> table;
    for (int i = 0; i < colours; ++i)
        table.append(qRgb(i * 37 % 256, 255 - i * 11 % 256, i * 5));
    image.setColorTable(table);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            image.setPixel(x, y, uint((x * 7 + y * 3) % colours));
    return image;
}

QImage mono(int w, int h)
{
    QImage image(w, h, QImage::Format_MonoLSB);
    image.setColorTable({qRgb(255, 255, 255), qRgb(200, 0, 0)});
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            image.setPixel(x, y, uint((x + y) % 3 == 0));
    return image;
}

QImage translucent(int w, int h)
{
    QImage image(w, h, QImage::Format_ARGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            image.setPixel(x, y, qRgba(x * 30 % 256, y * 40 % 256, 90, (x + y) % 2 ? 255 : 0));
    return image;
}

QImage greys(int w, int h) { return noise(w, h, QImage::Format_Grayscale8, 7); }

struct EncodeCase {
    const char* name;
    std::function<QImage(int, int)> make;
    uint16_t bitCount;
    uint32_t colours;
};

class Encode : public testing::TestWithParam<std::tuple<EncodeCase, int>> {};

TEST_P(Encode, RoundTripsAndDescribesItself)
{
    const auto& [c, width] = GetParam();
    const QImage original = c.make(width, 3);
    const EncodedDib dib = encodeDib(original);
    const auto header = readDibHeader(dib.bytes);
    ASSERT_TRUE(header);
    EXPECT_EQ(header->headerSize, 40u);
    EXPECT_EQ(header->bitCount, c.bitCount);
    EXPECT_EQ(header->compression, BI_RGB);
    EXPECT_FALSE(header->topDown);
    EXPECT_EQ(dibInfoSize(*header), 40 + c.colours * 4);
    EXPECT_EQ(dib.infoSize, dibInfoSize(*header));
    EXPECT_EQ(dib.bits().size(), *dibBitsSize(*header));
    EXPECT_EQ(header->sizeImage, dib.bits().size());

    const QImage back = decodeDib(dib.info(), dib.bits(), DIB_RGB_COLORS, {}, DibUseAlpha);
    const QImage::Format compareAs =
        original.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32;
    EXPECT_EQ(back.convertToFormat(compareAs), original.convertToFormat(compareAs));
    EXPECT_EQ(decodePackedDib(dib.bytes, DIB_RGB_COLORS, {}, DibUseAlpha), back);
}

INSTANTIATE_TEST_SUITE_P(Dib, Encode, testing::Combine(testing::Values(
    EncodeCase{"rgb32", [](int w, int h) { return noise(w, h, QImage::Format_RGB32, 1); }, 24, 0},
    EncodeCase{"rgb888", [](int w, int h) { return noise(w, h, QImage::Format_RGB888, 2); }, 24, 0},
    EncodeCase{"argb", translucent, 32, 0},
    EncodeCase{"indexed5", [](int w, int h) { return indexed(w, h, 5); }, 8, 5},
    EncodeCase{"indexed256", [](int w, int h) { return indexed(w, h, 256); }, 8, 256},
    EncodeCase{"grey", greys, 8, 256},
    EncodeCase{"mono", mono, 1, 2}),
    testing::Values(1, 3, 5, 8, 33)),
    [](const auto& info) { return std::string(std::get<0>(info.param).name) + "W" + std::to_string(std::get<1>(info.param)); });

TEST(DibEncode, NullImageGivesNothing)
{
    const EncodedDib dib = encodeDib(QImage());
    EXPECT_TRUE(dib.bytes.empty());
    EXPECT_EQ(dib.infoSize, 0u);
}

TEST(DibEncode, RowsAreStoredBottomUp)
{
    QImage image(1, 2, QImage::Format_RGB32);
    image.setPixel(0, 0, qRgb(1, 2, 3));     // top
    image.setPixel(0, 1, qRgb(4, 5, 6));     // bottom
    const EncodedDib dib = encodeDib(image);
    const auto bits = dib.bits();
    ASSERT_EQ(bits.size(), 8u);
    EXPECT_EQ(std::vector<uint8_t>(bits.begin(), bits.begin() + 3), (std::vector<uint8_t>{6, 5, 4}));
    EXPECT_EQ(std::vector<uint8_t>(bits.begin() + 4, bits.begin() + 7), (std::vector<uint8_t>{3, 2, 1}));
}

} // namespace
