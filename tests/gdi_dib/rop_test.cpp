// Raster operations against an independent bit-by-bit evaluation of their truth tables and
// against the Boolean formulas GDI documents for the named ones.
#include "gdi/paint/rop.h"

#include <QRandomGenerator>
#include <gtest/gtest.h>
#include <functional>

using namespace kv::gdi;

namespace {

// Result bit b is bit (P*4 + S*2 + D) of the operation index, P, S, D being bit b of each.
uint32_t referenceRop3(uint8_t index, uint32_t p, uint32_t s, uint32_t d)
{
    uint32_t r = 0;
    for (int b = 0; b < 32; ++b) {
        const int i = int(p >> b & 1) * 4 + int(s >> b & 1) * 2 + int(d >> b & 1);
        r |= uint32_t(index >> i & 1) << b;
    }
    return r;
}

uint32_t referenceRop2(int rop2, uint32_t p, uint32_t d)
{
    uint32_t r = 0;
    for (int b = 0; b < 32; ++b) {
        const int i = int(p >> b & 1) * 2 + int(d >> b & 1);
        r |= uint32_t((rop2 - 1) >> i & 1) << b;
    }
    return r;
}

QImage noise(int w, int h, uint32_t seed)
{
    QRandomGenerator rng(seed);
    QImage image(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            image.setPixel(x, y, rng.generate() | 0xFF000000u);
    return image;
}

TEST(Rop3Bits, AllOperationsMatchTheTruthTable)
{
    QRandomGenerator rng(42);
    for (int index = 0; index < 256; ++index) {
        for (int k = 0; k < 8; ++k) {
            const uint32_t p = rng.generate(), s = rng.generate(), d = rng.generate();
            ASSERT_EQ(rop3Bits(uint8_t(index), p, s, d), referenceRop3(uint8_t(index), p, s, d)) << index;
        }
    }
}

struct NamedRop {
    const char* name;
    uint32_t code;
    std::function<uint32_t(uint32_t p, uint32_t s, uint32_t d)> formula;
};

std::vector<NamedRop> namedRops()
{
    using U = uint32_t;
    return {
        {"SRCCOPY", SRCCOPY, [](U, U s, U) { return s; }},
        {"SRCPAINT", SRCPAINT, [](U, U s, U d) { return s | d; }},
        {"SRCAND", SRCAND, [](U, U s, U d) { return s & d; }},
        {"SRCINVERT", SRCINVERT, [](U, U s, U d) { return s ^ d; }},
        {"SRCERASE", SRCERASE, [](U, U s, U d) { return s & ~d; }},
        {"NOTSRCCOPY", NOTSRCCOPY, [](U, U s, U) { return ~s; }},
        {"NOTSRCERASE", NOTSRCERASE, [](U, U s, U d) { return ~(s | d); }},
        {"MERGECOPY", MERGECOPY, [](U p, U s, U) { return p & s; }},
        {"MERGEPAINT", MERGEPAINT, [](U, U s, U d) { return ~s | d; }},
        {"PATCOPY", PATCOPY, [](U p, U, U) { return p; }},
        {"PATPAINT", PATPAINT, [](U p, U s, U d) { return p | ~s | d; }},
        {"PATINVERT", PATINVERT, [](U p, U, U d) { return p ^ d; }},
        {"DSTINVERT", DSTINVERT, [](U, U, U d) { return ~d; }},
        {"BLACKNESS", BLACKNESS, [](U, U, U) { return U(0); }},
        {"WHITENESS", WHITENESS, [](U, U, U) { return ~U(0); }},
        {"SrcSelectsDstPat", ROP_SRC_SELECTS_DST_PAT, [](U p, U s, U d) { return ((d ^ p) & s) ^ p; }},
        {"SrcSelectsPatDst", ROP_SRC_SELECTS_PAT_DST, [](U p, U s, U d) { return ((p ^ d) & s) ^ d; }},
        // Codes without a name of their own, across the table.
        {"x01", 0x00010289, [](U p, U s, U d) { return ~(p | s | d); }},
        {"x0F", 0x000F0001, [](U p, U, U) { return ~p; }},
        {"x6A", 0x006A01E9, [](U p, U s, U d) { return (p & s) ^ d; }},
        {"x96", 0x00960169, [](U p, U s, U d) { return p ^ s ^ d; }},
        {"xA0", 0x00A000C9, [](U p, U, U d) { return p & d; }},
        {"xAA", 0x00AA0029, [](U, U, U d) { return d; }},
        {"xE8", 0x00E80000, [](U p, U s, U d) { return (p & s) | (p & d) | (s & d); }},
    };
}

class Rop3OnImages : public testing::TestWithParam<NamedRop> {};

TEST_P(Rop3OnImages, EveryPixelFollowsTheFormula)
{
    const NamedRop& rop = GetParam();
    const QRect rect(3, 2, 9, 7);
    const QImage before = noise(16, 12, 1);
    const QImage src = noise(rect.width(), rect.height(), 2);
    const QImage tile = noise(rect.width(), rect.height(), 3);
    const RopPattern pattern{&tile, rect.topLeft()};
    QImage dst = before;
    applyRop3(dst, rect, &src, &pattern, rop.code);
    for (int y = 0; y < dst.height(); ++y) {
        for (int x = 0; x < dst.width(); ++x) {
            QRgb want = before.pixel(x, y);
            if (rect.contains(x, y)) {
                const QPoint at(x - rect.left(), y - rect.top());
                want = 0xFF000000u | rop.formula(tile.pixel(at), src.pixel(at), before.pixel(x, y));
                ASSERT_EQ(want, 0xFF000000u | referenceRop3(rop3Index(rop.code), tile.pixel(at), src.pixel(at),
                                                             before.pixel(x, y)))
                    << "the formula disagrees with the truth table";
            }
            ASSERT_EQ(dst.pixel(x, y), want) << rop.name << " at " << x << "," << y;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Rop, Rop3OnImages, testing::ValuesIn(namedRops()), [](const auto& info) { return info.param.name; });

TEST(Rop3Operands, UsesSourcePatternDestinationAsTheTableSays)
{
    struct Row { uint32_t code; bool s, p, d; };
    for (const Row r : {Row{SRCCOPY, true, false, false}, Row{PATCOPY, false, true, false},
                        Row{DSTINVERT, false, false, true}, Row{BLACKNESS, false, false, false},
                        Row{SRCAND, true, false, true}, Row{PATINVERT, false, true, true},
                        Row{MERGECOPY, true, true, false}, Row{ROP_SRC_SELECTS_DST_PAT, true, true, true}}) {
        EXPECT_EQ(rop3UsesSource(r.code), r.s) << std::hex << r.code;
        EXPECT_EQ(rop3UsesPattern(r.code), r.p) << std::hex << r.code;
        EXPECT_EQ(rop3UsesDest(r.code), r.d) << std::hex << r.code;
    }
}

TEST(Rop3Pattern, TileRepeatsFromTheBrushOrigin)
{
    QImage tile(2, 2, QImage::Format_RGB32);
    tile.setPixel(0, 0, qRgb(255, 0, 0));
    tile.setPixel(1, 0, qRgb(0, 255, 0));
    tile.setPixel(0, 1, qRgb(0, 0, 255));
    tile.setPixel(1, 1, qRgb(255, 255, 255));
    QImage dst(6, 4, QImage::Format_RGB32);
    dst.fill(0);
    const RopPattern pattern{&tile, QPoint(1, -1)};
    applyRop3(dst, QRect(1, 1, 5, 3), nullptr, &pattern, PATCOPY);
    for (int y = 1; y < 4; ++y)
        for (int x = 1; x < 6; ++x)
            EXPECT_EQ(dst.pixel(x, y), tile.pixel((x - 1) % 2, (y + 1) % 2)) << x << "," << y;
    EXPECT_EQ(dst.pixel(0, 0), qRgb(0, 0, 0));
}

TEST(Rop3Pattern, SolidColourWithoutTile)
{
    QImage dst(3, 3, QImage::Format_RGB32);
    dst.fill(qRgb(0x0F, 0xF0, 0x33));
    const RopPattern pattern{nullptr, {}, qRgb(0xFF, 0xFF, 0x00)};
    applyRop3(dst, dst.rect(), nullptr, &pattern, PATINVERT);
    EXPECT_EQ(dst.pixel(1, 1), qRgb(0xF0, 0x0F, 0x33));
}

TEST(Rop3Clip, RectangleOutsideTheImageTouchesOnlyWhatIsInside)
{
    const QImage before = noise(8, 8, 5);
    const QImage src = noise(6, 6, 6);
    QImage dst = before;
    applyRop3(dst, QRect(-2, 5, 6, 6), &src, nullptr, SRCCOPY);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) {
            const bool inside = x < 4 && y >= 5;
            EXPECT_EQ(dst.pixel(x, y), inside ? src.pixel(x + 2, y - 5) : before.pixel(x, y)) << x << "," << y;
        }
}

TEST(Rop3Clip, MissingOrSmallSource)
{
    const QImage before = noise(8, 8, 7);
    QImage dst = before;
    applyRop3(dst, QRect(0, 0, 8, 8), nullptr, nullptr, SRCCOPY);
    EXPECT_EQ(dst, before) << "a source operation without a source draws nothing";
    const QImage small = noise(2, 2, 8);
    applyRop3(dst, QRect(0, 0, 8, 8), &small, nullptr, SRCCOPY);
    EXPECT_EQ(dst.pixel(1, 1), small.pixel(1, 1));
    EXPECT_EQ(dst.pixel(2, 2), before.pixel(2, 2));
}

TEST(Rop3Dest, NonThirtyTwoBitDestinationIsConverted)
{
    QImage dst(4, 4, QImage::Format_RGB888);
    dst.fill(qRgb(10, 20, 30));
    applyRop3(dst, dst.rect(), nullptr, nullptr, DSTINVERT);
    EXPECT_EQ(dst.pixel(2, 2), qRgb(245, 235, 225));
}

TEST(Rop2, AllModesMatchTheTruthTable)
{
    QRandomGenerator rng(9);
    for (int rop2 = R2_BLACK; rop2 <= R2_WHITE; ++rop2) {
        std::vector<QRgb> span(16);
        for (QRgb& d : span)
            d = rng.generate() | 0xFF000000u;
        const std::vector<QRgb> before = span;
        const QRgb pen = rng.generate() | 0xFF000000u;
        applyRop2(span, pen, rop2);
        for (size_t i = 0; i < span.size(); ++i) {
            const QRgb want = 0xFF000000u | referenceRop2(rop2, pen, before[i]);
            EXPECT_EQ(span[i], want) << "rop2 " << rop2;
            EXPECT_EQ(rop2Pixel(pen, before[i], rop2), want) << "rop2 " << rop2;
        }
    }
}

TEST(Rop2, NamedModes)
{
    const QRgb p = 0xFF00FF0Fu, d = 0xFF0F0FF0u;
    EXPECT_EQ(rop2Pixel(p, d, R2_BLACK), 0xFF000000u);
    EXPECT_EQ(rop2Pixel(p, d, R2_WHITE), 0xFFFFFFFFu);
    EXPECT_EQ(rop2Pixel(p, d, R2_COPYPEN), p);
    EXPECT_EQ(rop2Pixel(p, d, R2_NOP), d);
    EXPECT_EQ(rop2Pixel(p, d, R2_NOT), 0xFF000000u | ~d);
    EXPECT_EQ(rop2Pixel(p, d, R2_XORPEN), 0xFF000000u | (p ^ d));
    EXPECT_EQ(rop2Pixel(p, d, R2_MASKPEN), p & d);
    EXPECT_EQ(rop2Pixel(p, d, R2_MERGEPEN), p | d);
    EXPECT_EQ(rop2Pixel(p, d, R2_MASKNOTPEN), 0xFF000000u | (~p & d));
    EXPECT_EQ(rop2Pixel(p, d, R2_MERGEPENNOT), 0xFF000000u | p | ~d);
}

// QPainter's own raster operations, where the painter can use them, must do what ours do.
TEST(CompositionModes, Rop2ModesDrawLikeTheTruthTable)
{
    const QImage before = noise(4, 4, 10);
    const QRgb pen = qRgb(0x5A, 0xC3, 0x0F);
    for (int rop2 = R2_BLACK; rop2 <= R2_WHITE; ++rop2) {
        const auto mode = compositionModeForRop2(rop2);
        ASSERT_TRUE(mode) << rop2;
        QImage drawn = before;
        {
            QPainter painter(&drawn);
            painter.setCompositionMode(*mode);
            painter.fillRect(drawn.rect(), QColor(pen));
        }
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 4; ++x)
                EXPECT_EQ(drawn.pixel(x, y) & 0xFFFFFFu, rop2Pixel(pen, before.pixel(x, y), rop2) & 0xFFFFFFu)
                    << "rop2 " << rop2;
    }
    EXPECT_FALSE(compositionModeForRop2(0));
    EXPECT_FALSE(compositionModeForRop2(17));
}

TEST(CompositionModes, Rop3WithoutPatternDrawsLikeApplyRop3)
{
    const QImage before = noise(4, 4, 11);
    const QImage src = noise(4, 4, 12);
    for (const NamedRop& rop : namedRops()) {
        const auto mode = compositionModeForRop3(rop.code);
        EXPECT_EQ(mode.has_value(), !rop3UsesPattern(rop.code)) << rop.name;
        if (!mode)
            continue;
        QImage drawn = before, reference = before;
        {
            QPainter painter(&drawn);
            painter.setCompositionMode(*mode);
            painter.drawImage(0, 0, src);
        }
        applyRop3(reference, reference.rect(), &src, nullptr, rop.code);
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 4; ++x)
                EXPECT_EQ(drawn.pixel(x, y) & 0xFFFFFFu, reference.pixel(x, y) & 0xFFFFFFu) << rop.name;
    }
}

TEST(MaskBlt, MaskSelectsForegroundAndBackgroundOperations)
{
    const QImage before = noise(6, 4, 13);
    const QImage src = noise(6, 4, 14);
    QImage mask(6, 4, QImage::Format_Mono);
    mask.setColorTable({qRgb(0, 0, 0), qRgb(255, 255, 255)});
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 6; ++x)
            mask.setPixel(x, y, uint((x + y) % 2));
    // MAKEROP4(SRCCOPY, DSTINVERT): copy where the mask is 1, invert elsewhere.
    const uint32_t rop4 = ((DSTINVERT << 8) & 0xFF000000u) | SRCCOPY;
    QImage dst = before;
    maskBlt(dst, dst.rect(), &src, nullptr, mask, rop4);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 6; ++x) {
            const QRgb want = (x + y) % 2 ? src.pixel(x, y) : (0xFF000000u | ~before.pixel(x, y));
            EXPECT_EQ(dst.pixel(x, y), want) << x << "," << y;
        }
}

TEST(MaskBlt, ColourMaskCountsNonBlackAsSet)
{
    QImage dst(2, 1, QImage::Format_RGB32);
    dst.fill(qRgb(1, 1, 1));
    QImage mask(2, 1, QImage::Format_RGB32);
    mask.setPixel(0, 0, qRgb(0, 0, 0));
    mask.setPixel(1, 0, qRgb(0, 0, 1));
    const RopPattern pattern{nullptr, {}, qRgb(9, 9, 9)};
    const uint32_t rop4 = ((0x00AA0029u << 8) & 0xFF000000u) | PATCOPY;  // pattern where set, else keep
    maskBlt(dst, dst.rect(), nullptr, &pattern, mask, rop4);
    EXPECT_EQ(dst.pixel(0, 0), qRgb(1, 1, 1));
    EXPECT_EQ(dst.pixel(1, 0), qRgb(9, 9, 9));
}

TEST(TransparentBlt, PixelsOfTheKeyColourAreSkipped)
{
    const QImage before = noise(5, 5, 15);
    QImage src = noise(3, 3, 16);
    const QRgb key = qRgb(255, 0, 255);
    src.setPixel(1, 1, key);
    src.setPixel(2, 0, key);
    QImage dst = before;
    transparentBlt(dst, QRect(1, 1, 3, 3), src, key);
    EXPECT_EQ(dst.pixel(2, 2), before.pixel(2, 2));
    EXPECT_EQ(dst.pixel(3, 1), before.pixel(3, 1));
    EXPECT_EQ(dst.pixel(1, 1), src.pixel(0, 0));
    EXPECT_EQ(dst.pixel(3, 3), src.pixel(2, 2));
    EXPECT_EQ(dst.pixel(0, 0), before.pixel(0, 0));

    const QImage keyed = withColourKey(src, key);
    EXPECT_EQ(qAlpha(keyed.pixel(1, 1)), 0);
    EXPECT_EQ(keyed.pixel(0, 0), src.pixel(0, 0));
    QImage drawn = before;
    {
        QPainter painter(&drawn);
        painter.drawImage(1, 1, keyed);
    }
    EXPECT_EQ(drawn, dst) << "drawing the keyed image does what transparentBlt does";
}

} // namespace
