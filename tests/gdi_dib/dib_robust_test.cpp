// Headers that lie, bits that run short, sizes no page needs, and locating the bits of a
// packed DIB.
#include "dibbuilder.h"
#include "gdi/dib/dib.h"

#include <gtest/gtest.h>

using namespace kv::gdi;
using kvtest::Bytes;
using kvtest::DibHeaderFields;

namespace {

struct RefusedCase {
    const char* name;
    std::vector<uint8_t> info;
    size_t bitsSize;
};

std::vector<RefusedCase> refusedCases()
{
    auto info = [](DibHeaderFields h) { return kvtest::header(h).data; };
    std::vector<uint8_t> sizeBeyondBuffer = info({40, 4, 4, 24});
    sizeBeyondBuffer[0] = 200;
    std::vector<uint8_t> cutShort = info({40, 4, 4, 24});
    cutShort.resize(30);
    return {
        {"empty", {}, 64},
        {"unknownHeaderSize", info({20, 4, 4, 24}), 64},
        {"headerSizeBeyondBuffer", sizeBeyondBuffer, 64},
        {"headerCutShort", cutShort, 64},
        {"zeroWidth", info({40, 0, 4, 24}), 64},
        {"negativeWidth", info({40, -4, 4, 24}), 64},
        {"zeroHeight", info({40, 4, 0, 24}), 64},
        {"heightInt32Min", info({40, 4, INT32_MIN, 24}), 64},
        {"bitCount3", info({40, 4, 4, 3}), 64},
        {"bitCount0", info({40, 4, 4, 0}), 64},
        {"bitfieldsOn24", info({40, 4, 4, 24, BI_BITFIELDS}), 64},
        {"bitfieldsMasksMissing", info({40, 4, 4, 16, BI_BITFIELDS}), 64},
        {"unknownCompression", info({40, 4, 4, 8, 99}), 64},
        {"sideTooLong", info({40, int32_t(kMaxDibSide) + 1, 1, 1}), 64},
        {"tallAndWide", info({40, 1 << 16, 1 << 16, 1}), 64},
        {"tooManyPixelsRle", info({40, 1 << 15, 1 << 14, 8, BI_RLE8}), 64},
        {"giantSidesRle", info({40, INT32_MAX, INT32_MAX, 4, BI_RLE4}), 64},
        {"notOneRowOfBits", info({40, 100, 4, 24}), 299},
        {"noBits", info({40, 4, 4, 24}), 0},
    };
}

class Refused : public testing::TestWithParam<RefusedCase> {};

TEST_P(Refused, GivesANullImage)
{
    const RefusedCase& c = GetParam();
    const std::vector<uint8_t> bits(c.bitsSize, 0x5A);
    EXPECT_TRUE(decodeDib(c.info, bits).isNull());
    EXPECT_TRUE(decodeDib(c.info, bits, DIB_PAL_COLORS).isNull());
}

INSTANTIATE_TEST_SUITE_P(Dib, Refused, testing::ValuesIn(refusedCases()), [](const auto& info) { return info.param.name; });

TEST(DibTruncated, CompleteRowsAreDecodedAndTheRestIsTransparent)
{
    // 3x4 24-bit, bottom-up: stride 12; bits for two rows and a half.
    std::vector<uint32_t> values(12);
    for (size_t i = 0; i < values.size(); ++i)
        values[i] = 0x102030u * uint32_t(i + 1);
    std::vector<uint8_t> bits = kvtest::packRows(values, 3, 4, 24, false);
    bits.resize(12 * 2 + 6);
    const QImage image = decodeDib(kvtest::header({40, 3, 4, 24}).data, bits);
    ASSERT_FALSE(image.isNull());
    EXPECT_TRUE(image.hasAlphaChannel());
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 3; ++x) {
            const uint32_t v = values[size_t(y) * 3 + x];
            const QRgb want = y >= 2 ? qRgb(int(v >> 16 & 255), int(v >> 8 & 255), int(v & 255)) : 0u;
            EXPECT_EQ(image.pixel(x, y), want) << x << "," << y;
        }
    }
}

TEST(DibTruncated, TopDownKeepsTheTopRows)
{
    const std::vector<uint8_t> bits = {1, 0, 0, 0};  // one row of four for a 1x2 picture
    Bytes info = kvtest::header({40, 1, -2, 8});
    info.quad(qRgb(1, 1, 1)).quad(qRgb(9, 9, 9));
    const QImage image = decodeDib(info.data, bits);
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.pixel(0, 0), qRgb(9, 9, 9));
    EXPECT_EQ(image.pixel(0, 1), 0u);
}

TEST(DibSize, ARealPagePassesTheCaps)
{
    // A 600-dpi A4 page drawn by one RLE record that ends at once.
    const std::vector<uint8_t> stream = {0, 1};
    const QImage image = decodeDib(kvtest::header({40, 4960, 7016, 8, BI_RLE8}).data, stream);
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.size(), QSize(4960, 7016));
}

struct InfoSizeCase {
    const char* name;
    DibHeaderFields header;
    uint32_t usage;
    size_t expected;
};

class InfoSize : public testing::TestWithParam<InfoSizeCase> {};

TEST_P(InfoSize, CountsHeaderMasksAndTable)
{
    const InfoSizeCase& c = GetParam();
    const auto header = readDibHeader(kvtest::header(c.header).data);
    ASSERT_TRUE(header);
    EXPECT_EQ(dibInfoSize(*header, c.usage), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Dib, InfoSize, testing::Values(
    InfoSizeCase{"core8", {12, 1, 1, 8}, DIB_RGB_COLORS, 12 + 256 * 3},
    InfoSizeCase{"core1PalColors", {12, 1, 1, 1}, DIB_PAL_COLORS, 12 + 2 * 2},
    InfoSizeCase{"info8", {40, 1, 1, 8}, DIB_RGB_COLORS, 40 + 256 * 4},
    InfoSizeCase{"info4Used3", {40, 1, 1, 4, BI_RGB, 3}, DIB_RGB_COLORS, 40 + 3 * 4},
    InfoSizeCase{"info8PalColors", {40, 1, 1, 8}, DIB_PAL_COLORS, 40 + 256 * 2},
    InfoSizeCase{"info8PalIndices", {40, 1, 1, 8}, DIB_PAL_INDICES, 40},
    InfoSizeCase{"info24", {40, 1, 1, 24}, DIB_RGB_COLORS, 40},
    InfoSizeCase{"info24OptimalPalette", {40, 1, 1, 24, BI_RGB, 10}, DIB_RGB_COLORS, 40 + 10 * 4},
    InfoSizeCase{"hugeClrUsedIsCapped", {40, 1, 1, 8, BI_RGB, 0x7FFFFFFF}, DIB_RGB_COLORS, 40 + 256 * 4},
    InfoSizeCase{"bitfields16", {40, 1, 1, 16, BI_BITFIELDS}, DIB_RGB_COLORS, 40 + 12},
    InfoSizeCase{"alphaBitfields32", {40, 1, 1, 32, BI_ALPHABITFIELDS}, DIB_RGB_COLORS, 40 + 16},
    InfoSizeCase{"v4Bitfields", {108, 1, 1, 16, BI_BITFIELDS}, DIB_RGB_COLORS, 108},
    InfoSizeCase{"v5Info8", {124, 1, 1, 8}, DIB_RGB_COLORS, 124 + 1024}),
    [](const auto& info) { return info.param.name; });

TEST(DibBitsSize, PadsRowsAndRefusesCompressed)
{
    EXPECT_EQ(dibBitsSize(*readDibHeader(kvtest::header({40, 5, 3, 24}).data)), 16u * 3);
    EXPECT_EQ(dibBitsSize(*readDibHeader(kvtest::header({40, 33, 2, 1}).data)), 8u * 2);
    EXPECT_EQ(dibBitsSize(*readDibHeader(kvtest::header({40, 0x7FFFFFFF, 0x7FFFFFFF, 32}).data)),
              uint64_t(0x7FFFFFFF) * 4 * 0x7FFFFFFF);
    EXPECT_FALSE(dibBitsSize(*readDibHeader(kvtest::header({40, 5, 3, 8, BI_RLE8}).data)));
}

TEST(DibPacked, BitsAreFoundAfterTheTable)
{
    Bytes packed = kvtest::header({40, 2, 1, 1, BI_RGB, 2});
    packed.quad(qRgb(0, 0, 255)).quad(qRgb(255, 255, 0)).u8(0x40).u8(0).u8(0).u8(0);
    const QImage image = decodePackedDib(packed.data);
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.pixel(0, 0), qRgb(0, 0, 255));
    EXPECT_EQ(image.pixel(1, 0), qRgb(255, 255, 0));
}

TEST(DibPacked, TableLongerThanTheBufferIsRefused)
{
    const Bytes packed = kvtest::header({40, 2, 1, 8});
    EXPECT_TRUE(decodePackedDib(packed.data).isNull());
}

} // namespace
