// Pages that declare more than any page may hold, and damaged numbers that used to overflow:
// each page stays within one pixel budget and every figure stays a figure.
#include "blankpng.h"
#include "gdi/emfbuilder.h"
#include "gdi/dib/dib.h"
#include "gdi/player.h"
#include "gdi/readers.h"
#include "gdi/record/recordinghelpers.h"
#include "gdi/wmf/wmfformat.h"
#include "recordtestutil.h"

#include <gtest/gtest.h>
#include <limits>

using namespace kv::gdi;
using kv::gdi::wmf::META_STRETCHDIB;

namespace {

constexpr int32_t kInt32Min = std::numeric_limits<int32_t>::min();
constexpr int32_t kInt32Max = std::numeric_limits<int32_t>::max();

void put16(std::vector<uint8_t>& out, uint16_t v)
{
    out.push_back(uint8_t(v));
    out.push_back(uint8_t(v >> 8));
}

void put32(std::vector<uint8_t>& out, uint32_t v)
{
    put16(out, uint16_t(v));
    put16(out, uint16_t(v >> 16));
}

// A BITMAPINFOHEADER with two colours and the given bits.
std::vector<uint8_t> dibOf(int32_t width, int32_t height, uint16_t bitCount, uint32_t compression,
                           const std::vector<uint8_t>& bits)
{
    std::vector<uint8_t> dib;
    for (uint32_t v : {40u, uint32_t(width), uint32_t(height)})
        put32(dib, v);
    put16(dib, 1);
    put16(dib, bitCount);
    for (uint32_t v : {compression, 0u, 3780u, 3780u, 2u, 0u, 0u, 0xFFFFFFu})
        put32(dib, v);
    dib.insert(dib.end(), bits.begin(), bits.end());
    return dib;
}

// A 1-bit bitmap with every row present.
std::vector<uint8_t> monoDib(int32_t side)
{
    return dibOf(side, side, 1, 0, std::vector<uint8_t>(size_t(side + 31) / 32 * 4 * size_t(side), 0x55));
}

// Run-length bits that end the bitmap at once: a few bytes that declare a picture of any size.
std::vector<uint8_t> emptyRleDib(int32_t side)
{
    return dibOf(side, side, 8, BI_RLE8, {0, 1});
}

std::vector<uint8_t> stretchDibParams(int16_t side, const std::vector<uint8_t>& dib)
{
    std::vector<uint8_t> p;
    put32(p, SRCCOPY);
    put16(p, DIB_RGB_COLORS);
    for (int16_t v : {side, side, int16_t(0), int16_t(0), int16_t(100), int16_t(100), int16_t(0), int16_t(0)})
        put16(p, uint16_t(v));
    p.insert(p.end(), dib.begin(), dib.end());
    return p;
}

std::vector<const rec::Blt*> blits(const Picture& picture)
{
    std::vector<const rec::Blt*> found;
    for (const rec::Record& r : picture.records)
        if (const auto* blt = std::get_if<rec::Blt>(&r))
            found.push_back(blt);
    return found;
}

uint64_t decodedPixels(const Picture& picture)
{
    uint64_t pixels = 0;
    for (const rec::Blt* blt : blits(picture))
        if (blt->source)
            pixels += uint64_t(blt->source->image.width()) * uint64_t(blt->source->image.height());
    return pixels;
}

// EMR_STRETCHDIBITS drawing `dib` (header then bits at `infoSize`) from source row `ySrc`.
void stretchDiBits(kvtest::EmfBuilder& emf, const std::vector<uint8_t>& dib, size_t infoSize, int32_t ySrc, int32_t side)
{
    emf.begin(kvtest::EMR_STRETCHDIBITS);
    emf.i32({0, 0, 99, 99, 0, 0, 0, ySrc, side, side});
    emf.u32(80).u32(uint32_t(infoSize)).u32(uint32_t(80 + infoSize)).u32(uint32_t(dib.size() - infoSize));
    emf.u32(DIB_RGB_COLORS).u32(SRCCOPY).i32({100, 100});
    emf.bytes(dib);
    emf.end();
}

TEST(HostileBitmaps, AWmfStretchDibOfGigabytesIsNotDecoded)
{
    const std::vector<uint8_t> wmf = kvtest::WmfBuilder()
                                         .raw(META_STRETCHDIB, stretchDibParams(16384, emptyRleDib(16384)))
                                         .raw(META_STRETCHDIB, stretchDibParams(8, monoDib(8)))
                                         .finish();
    const PicturePtr picture = readWmf(wmf, kvtest::referenceCaps(1000, 1000, 96));
    ASSERT_TRUE(picture);
    // The small bitmap after it is still there: one refusal does not spend the budget.
    ASSERT_EQ(blits(*picture).size(), 1u);
    EXPECT_EQ(blits(*picture)[0]->source->image.size(), QSize(8, 8));
}

TEST(HostileBitmaps, AllBitmapsOfAPageShareOneBudget)
{
    // Each fits alone; together they would pass it.
    constexpr int16_t side = 4096;
    const uint64_t each = uint64_t(side) * side;
    const int fitting = int(kPagePixelBudget / each);
    kvtest::WmfBuilder builder;
    for (int i = 0; i < fitting + 2; ++i)
        builder.raw(META_STRETCHDIB, stretchDibParams(side, emptyRleDib(side)));
    const PicturePtr picture = readWmf(builder.finish(), kvtest::referenceCaps(1000, 1000, 96));
    ASSERT_TRUE(picture);
    EXPECT_EQ(blits(*picture).size(), size_t(fitting));
    EXPECT_LE(decodedPixels(*picture), kPagePixelBudget);
}

TEST(HostileBitmaps, AnEmfPngOfGigabytesBehindATinyHeaderIsNotDecoded)
{
    std::vector<uint8_t> dib;
    for (uint32_t v : {40u, 1u, 1u})
        put32(dib, v);
    put16(dib, 1);
    put16(dib, 0);
    for (uint32_t v : {uint32_t(BI_PNG), 0u, 0u, 0u, 0u, 0u})
        put32(dib, v);
    const std::vector<uint8_t> png = kvtest::blankPng(16384, 16384);
    dib.insert(dib.end(), png.begin(), png.end());
    kvtest::EmfBuilder emf(100, 100);
    stretchDiBits(emf, dib, 40, 0, 1);
    const PicturePtr picture = readEmf(emf.finish());
    ASSERT_TRUE(picture);
    ASSERT_EQ(blits(*picture).size(), 1u);
    const BitmapPtr& source = blits(*picture)[0]->source;
    EXPECT_TRUE(!source || source->image.isNull());
}

TEST(HostileBitmaps, ASourceRowOfInt32MinSaturatesInsteadOfWrapping)
{
    kvtest::EmfBuilder emf(100, 100);
    stretchDiBits(emf, monoDib(4), 48, kInt32Min, 4);
    const PicturePtr picture = readEmf(emf.finish());
    ASSERT_TRUE(picture);
    ASSERT_EQ(blits(*picture).size(), 1u);
    // Counted from the bottom of a bottom-up bitmap: 4 - INT32_MIN - 4 is past the largest row.
    EXPECT_EQ(blits(*picture)[0]->ySrc, kInt32Max);
}

TEST(HostileBitmaps, FarOffNumbersStayOnTheirSide)
{
    // A header without a frame falls back on its bounds, which may be anywhere.
    EmfHeader header;
    header.bounds = {-2000000000, -2000000000, 2000000000, 2000000000};
    header.frame = {0, 0, 0, 0};
    header.device = {1000, 1000};
    header.millimeters = {100, 100};
    const QRectF frame = pictureFrame(header);
    EXPECT_LT(frame.left(), 0);
    EXPECT_GT(frame.right(), 0);
    EXPECT_NEAR(frame.right(), 2000000001.0 * 100 / 10, 1e3);

    struct Row {
        QRectF rect;
        RectL bounds;
    };
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const Row table[] = {
        {QRectF(0.5, 1.5, 10, 10), {0, 1, 10, 11}},
        {QRectF(-1e12, 0, 2e12, 1e30), {kInt32Min, 0, kInt32Max, kInt32Max}},
        {QRectF(nan, nan, 4, 4), {0, 0, 0, 0}},
    };
    for (const Row& r : table) {
        const RectL b = inclusiveBounds(r.rect);
        EXPECT_EQ(std::make_tuple(b.left, b.top, b.right, b.bottom),
                  std::make_tuple(r.bounds.left, r.bounds.top, r.bounds.right, r.bounds.bottom))
            << r.rect.x() << " " << r.rect.y() << " " << r.rect.width() << " " << r.rect.height();
    }
}

} // namespace
