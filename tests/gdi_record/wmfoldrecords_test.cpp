// Records of old Windows metafiles played onto pixels: flood fills, and blits of 4- and 8-bit
// device bitmaps whose indexes show the default palette's colours.
#include "recordtestutil.h"

#include "gdi/render.h"
#include "gdi/wmf/wmfformat.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace kv::gdi;
using namespace kv::gdi::wmf;
using kvtest::WmfBuilder;

namespace {

// A placeable picture of 200 x 200 units, rendered 200 px wide: one unit a pixel.
QImage render(WmfBuilder& builder)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("page.wmf");
    const std::vector<uint8_t> bytes = builder.finish();
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(reinterpret_cast<const char*>(bytes.data()), qint64(bytes.size())) != qint64(bytes.size()))
        return {};
    file.close();
    const PicturePtr picture = readForRendering(path);
    return picture ? renderPicture(*picture, 200) : QImage();
}

WmfBuilder picture()
{
    return WmfBuilder(std::array<int16_t, 5>{0, 0, 200, 200, 1440});
}

QRgb rgb(const QImage& image, int x, int y)
{
    return image.pixel(x, y) & 0xFFFFFF;
}

std::vector<uint8_t> bitBltParams(int16_t x, int16_t y, int16_t width, int16_t height, int16_t widthBytes,
                                  uint8_t bitsPixel, const std::vector<uint8_t>& bits)
{
    std::vector<uint8_t> p;
    const auto put16 = [&p](int v) { p.push_back(uint8_t(v)); p.push_back(uint8_t(v >> 8)); };
    put16(0x0020), put16(0x00CC);                       // SRCCOPY
    put16(0), put16(0), put16(height), put16(width);     // ySrc, xSrc, height, width
    put16(y), put16(x);                                  // yDest, xDest
    put16(0), put16(width), put16(height), put16(widthBytes);
    p.push_back(1), p.push_back(bitsPixel);
    p.insert(p.end(), bits.begin(), bits.end());
    return p;
}

} // namespace

// FLOODFILL is border mode; EXTFLOODFILL names its mode. A red brush fills inside a black
// outline either way; a surface fill of the outline's own black repaints only the outline.
TEST(WmfOldRecords, FloodFillsPaintFromThePixelsDrawnSoFar)
{
    const auto outlined = [] {
        WmfBuilder b = picture();
        b.record(META_CREATEBRUSHINDIRECT, {BS_NULL, 0, 0, 0});  // object 0
        b.record(META_SELECTOBJECT, {0});
        b.record(META_RECTANGLE, {150, 150, 50, 50});  // bottom, right, top, left
        b.record(META_CREATEBRUSHINDIRECT, {BS_SOLID, 0x00FF, 0, 0});  // object 1: red
        b.record(META_SELECTOBJECT, {1});
        return b;
    };
    WmfBuilder plain = outlined();
    plain.record(META_FLOODFILL, {0, 0, 100, 100});  // colour black, y, x
    const QImage filled = render(plain);
    ASSERT_FALSE(filled.isNull());
    EXPECT_EQ(rgb(filled, 100, 100), 0xFF0000u);
    EXPECT_EQ(rgb(filled, 52, 52), 0xFF0000u);
    EXPECT_EQ(rgb(filled, 20, 20), 0xFFFFFFu);
    EXPECT_EQ(rgb(filled, 50, 100), 0x000000u);

    WmfBuilder surface = outlined();
    surface.record(META_EXTFLOODFILL, {FLOODFILLSURFACE, 0, 0, 50, 100});  // on the outline's top edge
    const QImage repainted = render(surface);
    ASSERT_FALSE(repainted.isNull());
    EXPECT_EQ(rgb(repainted, 100, 50), 0xFF0000u);
    EXPECT_EQ(rgb(repainted, 50, 100), 0xFF0000u);   // the whole connected outline
    EXPECT_EQ(rgb(repainted, 100, 100), 0xFFFFFFu);  // not what it encloses
}

TEST(WmfOldRecords, FourAndEightBitDeviceBitmapsBlitInDefaultPaletteColours)
{
    WmfBuilder b = picture();
    // 2 x 1 pixels each, scaled up by the blit's own size: 8-bit dark green (2) and cream
    // (246), then 4-bit blue (12) and yellow (11).
    b.raw(META_BITBLT, bitBltParams(10, 10, 2, 1, 2, 8, {2, 246}));
    b.raw(META_BITBLT, bitBltParams(10, 20, 2, 1, 2, 4, {0xCB, 0}));
    const QImage image = render(b);
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(rgb(image, 10, 10), 0x008000u);
    EXPECT_EQ(rgb(image, 11, 10), 0xFFFBF0u);
    EXPECT_EQ(rgb(image, 10, 20), 0x0000FFu);
    EXPECT_EQ(rgb(image, 11, 20), 0xFFFF00u);
    EXPECT_EQ(rgb(image, 13, 10), 0xFFFFFFu);
}
