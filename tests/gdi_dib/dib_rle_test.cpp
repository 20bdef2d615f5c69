// RLE8 and RLE4 streams: runs, absolute runs with their padding, deltas, early ends of line
// and of bitmap. Expected pictures are drawn as text, top row first: a digit is a colour index,
// '.' a pixel the stream never reaches (transparent).
#include "dibbuilder.h"
#include "gdi/dib/dib.h"

#include <gtest/gtest.h>

using namespace kv::gdi;
using kvtest::Bytes;

namespace {

QRgb colourOf(int index) { return qRgb(index * 20, 255 - index * 15, 100 + index); }

Bytes rleInfo(int width, int height, uint16_t bitCount, uint32_t compression)
{
    Bytes info = kvtest::header({40, width, height, bitCount, compression, 16});
    for (int i = 0; i < 16; ++i)
        info.quad(colourOf(i));
    return info;
}

struct RleCase {
    const char* name;
    uint32_t compression;
    std::vector<const char*> expected;  // top row first
    std::vector<uint8_t> stream;
};

std::vector<RleCase> rleCases()
{
    return {
        {"rle8RunsAndEndOfLine", BI_RLE8, {"2222", "1111"}, {4, 1, 0, 0, 4, 2, 0, 0, 0, 1}},
        {"rle8AbsoluteOddIsPadded", BI_RLE8, {"4444", "3567"},
         {1, 3, 0, 3, 5, 6, 7, 0 /*pad*/, 0, 0, 4, 4, 0, 1}},
        {"rle8AbsoluteEvenHasNoPad", BI_RLE8, {"9999", "5678"}, {0, 4, 5, 6, 7, 8, 0, 0, 4, 9, 0, 1}},
        {"rle8DeltaSkipsPixelsAndRows", BI_RLE8, {"..33", "....", "1..."},
         {1, 1, 0, 2, 1, 2, 2, 3, 0, 1}},
        {"rle8EarlyEndOfLine", BI_RLE8, {"22..", "1..."}, {1, 1, 0, 0, 2, 2, 0, 1}},
        {"rle8EarlyEndOfBitmap", BI_RLE8, {"....", "11.."}, {2, 1, 0, 1, 4, 4}},
        {"rle8RunPastTheEdgeIsCut", BI_RLE8, {"....", "5555"}, {9, 5, 0, 1}},
        {"rle8StreamEndsInsideAbsoluteRun", BI_RLE8, {"....", "7..."}, {1, 7, 0, 5, 1, 2}},
        {"rle8StreamWithoutEnd", BI_RLE8, {"....", "66.."}, {2, 6}},
        {"rle4RunAlternatesNibbles", BI_RLE4, {"5555", "1212"}, {4, 0x12, 0, 0, 4, 0x55, 0, 1}},
        {"rle4AbsoluteOddPixelCount", BI_RLE4, {"8888", "345."},
         {0, 3, 0x34, 0x50, 0, 0, 4, 0x88, 0, 1}},
        {"rle4AbsoluteThreeBytesPadded", BI_RLE4, {"9999", "3456"},
         {0, 5, 0x34, 0x56, 0x70, 0 /*pad*/, 0, 0, 4, 0x99, 0, 1}},
        {"rle4DeltaThenRun", BI_RLE4, {".77.", "...."}, {0, 2, 1, 1, 2, 0x77, 0, 1}},
    };
}

class Rle : public testing::TestWithParam<RleCase> {};

TEST_P(Rle, DecodesToTheExpectedPicture)
{
    const RleCase& c = GetParam();
    const int width = int(strlen(c.expected[0]));
    const int height = int(c.expected.size());
    const uint16_t bitCount = c.compression == BI_RLE8 ? 8 : 4;
    const QImage image = decodeDib(rleInfo(width, height, bitCount, c.compression).data, c.stream);
    ASSERT_FALSE(image.isNull());
    ASSERT_EQ(image.size(), QSize(width, height));
    bool anySkipped = false;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const char e = c.expected[size_t(y)][x];
            anySkipped = anySkipped || e == '.';
            const QRgb want = e == '.' ? 0u : colourOf(e - '0');
            EXPECT_EQ(image.pixel(x, y), want) << "at " << x << "," << y;
        }
    }
    EXPECT_EQ(image.hasAlphaChannel(), anySkipped);
}

INSTANTIATE_TEST_SUITE_P(Dib, Rle, testing::ValuesIn(rleCases()), [](const auto& info) { return info.param.name; });

TEST(DibRle, TopDownIsRefused)
{
    const std::vector<uint8_t> stream = {2, 1, 0, 1};
    EXPECT_TRUE(decodeDib(rleInfo(2, -1, 8, BI_RLE8).data, stream).isNull());
}

TEST(DibRle, WrongBitCountIsRefused)
{
    const std::vector<uint8_t> stream = {2, 1, 0, 1};
    EXPECT_TRUE(decodeDib(rleInfo(2, 1, 4, BI_RLE8).data, stream).isNull());
    EXPECT_TRUE(decodeDib(rleInfo(2, 1, 8, BI_RLE4).data, stream).isNull());
}

TEST(DibRle, LongStreamOfDeltasStaysInside)
{
    // Thousands of right-moving deltas on one line, then a run on the next.
    Bytes stream;
    for (int i = 0; i < 5000; ++i)
        stream.u8(0).u8(2).u8(255).u8(0);
    stream.u8(0).u8(0).u8(3).u8(9).u8(0).u8(1);
    const QImage image = decodeDib(rleInfo(3, 2, 8, BI_RLE8).data, stream.data);
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.pixel(0, 1), 0u);
    EXPECT_EQ(image.pixel(2, 0), colourOf(9));
}

} // namespace
