// Uncompressed DIBs of every depth and header, both row orders: each decoded pixel must have
// the colour its packed value stands for.
#include "dibbuilder.h"
#include "gdi/dib/dib.h"

#include <gtest/gtest.h>
#include <functional>

using namespace kv::gdi;
using kvtest::Bytes;
using kvtest::DibHeaderFields;

namespace {

constexpr int kWidth = 5;  // odd, so that every depth pads its rows
constexpr int kHeight = 3;

// GDI widens an n-bit field by repeating its bits from the top.
int widen(uint32_t v, int bits)
{
    int r = 0;
    for (int filled = 0; filled < 8; filled += bits)
        r |= int(v << (8 - bits)) >> filled;
    return r & 0xFF;
}

QRgb palette16(uint32_t i) { return qRgb(int(i) * 16, 255 - int(i) * 16, int(i) * 7); }

struct UncompressedCase {
    const char* name;
    DibHeaderFields header;                    // width/height are filled in
    std::vector<uint32_t> trailingMasks;  // DWORDs after a 40-byte header
    int colourTable;                      // RGBQUAD entries written (RGBTRIPLE for core)
    std::function<uint32_t(int x, int y)> value;
    std::function<QRgb(uint32_t)> colour;
    uint32_t flags = 0;
    QImage::Format format = QImage::Format_RGB32;
};

std::vector<UncompressedCase> uncompressedCases()
{
    auto idx = [](int mod) { return [mod](int x, int y) { return uint32_t(x + 2 * y) % uint32_t(mod); }; };
    auto hash = [](uint32_t mask) {
        return [mask](int x, int y) { return (uint32_t(x) * 2654435761u ^ uint32_t(y) * 40503u * 977u) & mask; };
    };
    auto rgb555 = [](uint32_t v) { return qRgb(widen(v >> 10 & 31, 5), widen(v >> 5 & 31, 5), widen(v & 31, 5)); };
    auto rgb565 = [](uint32_t v) { return qRgb(widen(v >> 11 & 31, 5), widen(v >> 5 & 63, 6), widen(v & 31, 5)); };
    auto rgb888 = [](uint32_t v) { return qRgb(int(v >> 16 & 255), int(v >> 8 & 255), int(v & 255)); };
    auto bgr888 = [](uint32_t v) { return qRgb(int(v & 255), int(v >> 8 & 255), int(v >> 16 & 255)); };
    auto premul = [](uint32_t v) {
        const int a = int(v >> 24);
        return qRgba(std::min(a, int(v >> 16 & 255)), std::min(a, int(v >> 8 & 255)), std::min(a, int(v & 255)), a);
    };
    const QImage::Format alpha = QImage::Format_ARGB32_Premultiplied;
    return {
        {"info1", {40, 0, 0, 1}, {}, 2, idx(2), palette16},
        {"info2", {40, 0, 0, 2}, {}, 4, idx(4), palette16},
        {"info4", {40, 0, 0, 4}, {}, 16, idx(16), palette16},
        {"info8", {40, 0, 0, 8}, {}, 16, idx(16), palette16},
        {"core1", {12, 0, 0, 1}, {}, 2, idx(2), palette16},
        {"core4", {12, 0, 0, 4}, {}, 16, idx(16), palette16},
        {"core8", {12, 0, 0, 8}, {}, 256, idx(7), palette16},
        {"core24", {12, 0, 0, 24}, {}, 0, hash(0xFFFFFF), rgb888},
        {"rgb16is555", {40, 0, 0, 16}, {}, 0, hash(0xFFFF), rgb555},
        {"bitfields565", {40, 0, 0, 16, BI_BITFIELDS}, {0xF800, 0x07E0, 0x001F}, 0, hash(0xFFFF), rgb565},
        {"v4bitfields565", {108, 0, 0, 16, BI_BITFIELDS, 0, {0xF800, 0x07E0, 0x001F, 0}}, {}, 0, hash(0xFFFF), rgb565},
        {"info24", {40, 0, 0, 24}, {}, 0, hash(0xFFFFFF), rgb888},
        {"v5info24", {124, 0, 0, 24}, {}, 0, hash(0xFFFFFF), rgb888},
        {"rgb32IgnoresFourthByte", {40, 0, 0, 32}, {}, 0, hash(0xFFFFFFFF), rgb888},
        {"bitfields32Swapped", {40, 0, 0, 32, BI_BITFIELDS}, {0xFF, 0xFF00, 0xFF0000}, 0, hash(0xFFFFFF), bgr888},
        {"v5alphaIgnoredByDefault", {124, 0, 0, 32, BI_BITFIELDS, 0, {0xFF0000, 0xFF00, 0xFF, 0xFF000000}}, {}, 0,
         hash(0xFFFFFFFF), rgb888},
        {"rgb32UseAlpha", {40, 0, 0, 32}, {}, 0, hash(0xFFFFFFFF), premul, DibUseAlpha, alpha},
        {"v5alphaMaskUsed", {124, 0, 0, 32, BI_BITFIELDS, 0, {0xFF0000, 0xFF00, 0xFF, 0xFF000000}}, {}, 0,
         hash(0xFFFFFFFF), premul, DibUseAlpha, alpha},
        {"alphaBitfields", {40, 0, 0, 32, BI_ALPHABITFIELDS}, {0xFF0000, 0xFF00, 0xFF, 0xFF000000}, 0,
         hash(0xFFFFFFFF), premul, DibUseAlpha, alpha},
    };
}

Bytes bitmapInfo(const UncompressedCase& c, bool topDown)
{
    DibHeaderFields h = c.header;
    h.width = kWidth;
    h.height = topDown ? -kHeight : kHeight;
    Bytes info = kvtest::header(h);
    for (uint32_t m : c.trailingMasks)
        info.u32(m);
    for (int i = 0; i < c.colourTable; ++i) {
        const QRgb col = palette16(uint32_t(i));
        info.u8(uint8_t(qBlue(col))).u8(uint8_t(qGreen(col))).u8(uint8_t(qRed(col)));
        if (h.size != 12)
            info.u8(0);
    }
    return info;
}

class Uncompressed : public testing::TestWithParam<std::tuple<UncompressedCase, bool>> {};

TEST_P(Uncompressed, EveryPixelHasTheColourOfItsValue)
{
    const auto& [c, topDown] = GetParam();
    std::vector<uint32_t> values;
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x)
            values.push_back(c.value(x, y));
    const auto bits = kvtest::packRows(values, kWidth, kHeight, c.header.bitCount, topDown);
    const QImage image = decodeDib(bitmapInfo(c, topDown).data, bits, DIB_RGB_COLORS, {}, c.flags);
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.size(), QSize(kWidth, kHeight));
    EXPECT_EQ(image.format(), c.format);
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x)
            EXPECT_EQ(image.pixel(x, y), c.colour(values[size_t(y) * kWidth + x])) << "at " << x << "," << y;
}

// Every case in both row orders, except core headers, which have no top-down form.
std::vector<std::tuple<UncompressedCase, bool>> withOrientations()
{
    std::vector<std::tuple<UncompressedCase, bool>> all;
    for (const UncompressedCase& c : uncompressedCases()) {
        all.emplace_back(c, false);
        if (c.header.size != 12)
            all.emplace_back(c, true);
    }
    return all;
}

INSTANTIATE_TEST_SUITE_P(Dib, Uncompressed, testing::ValuesIn(withOrientations()),
                         [](const auto& info) {
                             return std::string(std::get<0>(info.param).name)
                                 + (std::get<1>(info.param) ? "TopDown" : "BottomUp");
                         });

// Decodes an 8-bit 2x1 DIB whose table is given, with pixel indexes 0 and 1.
QImage decodeTwoPixels(const Bytes& info, uint32_t usage, std::span<const QRgb> palette = {})
{
    const std::vector<uint8_t> bits = {0, 1, 0, 0};
    return decodeDib(info.data, bits, usage, palette);
}

TEST(DibColourTable, ShortTableLeavesTheOtherIndexesBlack)
{
    Bytes info = kvtest::header({40, 2, 1, 8, BI_RGB, 1});
    info.quad(qRgb(10, 20, 30));
    const QImage image = decodeTwoPixels(info, DIB_RGB_COLORS);
    EXPECT_EQ(image.pixel(0, 0), qRgb(10, 20, 30));
    EXPECT_EQ(image.pixel(1, 0), qRgb(0, 0, 0));
}

TEST(DibColourTable, TableCutShortByTheRecordReadsWhatIsThere)
{
    Bytes info = kvtest::header({40, 2, 1, 8});  // claims 256 entries, holds one
    info.quad(qRgb(200, 100, 50));
    const QImage image = decodeTwoPixels(info, DIB_RGB_COLORS);
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.pixel(0, 0), qRgb(200, 100, 50));
    EXPECT_EQ(image.pixel(1, 0), qRgb(0, 0, 0));
}

TEST(DibColourTable, PaletteIndexesLookUpTheDcPaletteAndWrapAround)
{
    const QRgb palette[3] = {qRgb(1, 2, 3), qRgb(4, 5, 6), qRgb(7, 8, 9)};
    Bytes info = kvtest::header({40, 2, 1, 8, BI_RGB, 2});
    info.u16(2).u16(4);  // 4 wraps to 1
    const QImage image = decodeTwoPixels(info, DIB_PAL_COLORS, palette);
    EXPECT_EQ(image.pixel(0, 0), palette[2]);
    EXPECT_EQ(image.pixel(1, 0), palette[1]);
}

TEST(DibColourTable, PaletteIndexesWithoutPaletteUseTheSystemColours)
{
    Bytes info = kvtest::header({40, 2, 1, 8, BI_RGB, 2});
    info.u16(13).u16(19);
    const QImage image = decodeTwoPixels(info, DIB_PAL_COLORS);
    EXPECT_EQ(image.pixel(0, 0), qRgb(255, 0, 0));
    EXPECT_EQ(image.pixel(1, 0), qRgb(255, 255, 255));
    ASSERT_EQ(defaultSystemPalette().size(), 20u);
}

TEST(DibColourTable, PaletteIndicesIndexTheDcPaletteDirectly)
{
    const QRgb palette[2] = {qRgb(11, 22, 33), qRgb(44, 55, 66)};
    // clrUsed counts table entries, which this usage has none of: it limits nothing.
    const QImage image = decodeTwoPixels(kvtest::header({40, 2, 1, 8, BI_RGB, 1}), DIB_PAL_INDICES, palette);
    EXPECT_EQ(image.pixel(0, 0), palette[0]);
    EXPECT_EQ(image.pixel(1, 0), palette[1]);
}

TEST(DibMono, AsIndexedKeepsTheBitsAndTheTable)
{
    Bytes info = kvtest::header({40, 10, 2, 1});
    info.quad(qRgb(255, 255, 255)).quad(qRgb(0, 0, 0));
    // bottom row 1000000001, top row 0111111110
    const std::vector<uint8_t> bits = {0x80, 0x40, 0, 0, 0x7F, 0x80, 0, 0};
    const QImage image = decodeDib(info.data, bits, DIB_RGB_COLORS, {}, DibMonoAsIndexed);
    ASSERT_EQ(image.format(), QImage::Format_Mono);
    for (int x = 0; x < 10; ++x) {
        const bool edge = x == 0 || x == 9;
        EXPECT_EQ(image.pixelIndex(x, 1), edge ? 1 : 0) << x;
        EXPECT_EQ(image.pixelIndex(x, 0), edge ? 0 : 1) << x;
    }
    EXPECT_EQ(image.pixel(0, 1), qRgb(0, 0, 0));
    EXPECT_EQ(image.pixel(0, 0), qRgb(255, 255, 255));
}

} // namespace
