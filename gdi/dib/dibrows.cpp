// Uncompressed DIB rows: one decoder per pixel layout, chosen once per bitmap, each filling a
// whole scan line.
#include "gdi/dib/dibpixels.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace kv::gdi::dibdetail {

namespace {

using RowDecoder = void (*)(const PixelFormat&, const uint8_t* src, QRgb* dst, int width);

void indexedRow(const PixelFormat& f, const uint8_t* src, QRgb* dst, int width)
{
    const int bits = f.header.bitCount;
    const int perByte = 8 / bits;
    const unsigned valueMask = (1u << bits) - 1;
    for (int x = 0; x < width; ++x) {
        const int shift = 8 - bits * (x % perByte + 1);  // leftmost pixel in the high bits
        dst[x] = f.colours[(src[x / perByte] >> shift) & valueMask];
    }
}

void index8Row(const PixelFormat& f, const uint8_t* src, QRgb* dst, int width)
{
    for (int x = 0; x < width; ++x)
        dst[x] = f.colours[src[x]];
}

void bgr24Row(const PixelFormat&, const uint8_t* src, QRgb* dst, int width)
{
    for (int x = 0; x < width; ++x, src += 3)
        dst[x] = qRgb(src[2], src[1], src[0]);
}

void bgrx32Row(const PixelFormat&, const uint8_t* src, QRgb* dst, int width)
{
    for (int x = 0; x < width; ++x, src += 4)
        dst[x] = qRgb(src[2], src[1], src[0]);
}

// The source is premultiplied (as AlphaBlend takes it); colour above alpha is clamped so that
// the result is a valid premultiplied pixel.
QRgb premultipliedPixel(int r, int g, int b, int a)
{
    return qRgba(std::min(r, a), std::min(g, a), std::min(b, a), a);
}

void bgra32Row(const PixelFormat&, const uint8_t* src, QRgb* dst, int width)
{
    for (int x = 0; x < width; ++x, src += 4)
        dst[x] = premultipliedPixel(src[2], src[1], src[0], src[3]);
}

template <int Bytes>
uint32_t pixelAt(const uint8_t* p)
{
    if constexpr (Bytes == 2)
        return uint32_t(p[0]) | uint32_t(p[1]) << 8;
    else
        return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

template <int Bytes>
void maskedRow(const PixelFormat& f, const uint8_t* src, QRgb* dst, int width)
{
    for (int x = 0; x < width; ++x, src += Bytes) {
        const uint32_t v = pixelAt<Bytes>(src);
        if (f.useAlpha)
            dst[x] = premultipliedPixel(f.red(v), f.green(v), f.blue(v), f.alpha(v));
        else
            dst[x] = qRgb(f.red(v), f.green(v), f.blue(v));
    }
}

RowDecoder rowDecoderFor(const PixelFormat& f)
{
    switch (f.header.bitCount) {
    case 8: return index8Row;
    case 24: return bgr24Row;
    case 16: return maskedRow<2>;
    case 32:
        if (f.standard32)
            return f.useAlpha ? bgra32Row : bgrx32Row;
        return maskedRow<4>;
    default: return indexedRow;
    }
}

size_t strideOf(const DibHeader& h)
{
    return (size_t(h.width) * h.bitCount + 31) / 32 * 4;
}

// Image row of the i-th row stored in the bits.
int imageRow(const DibHeader& h, int storedRow)
{
    return h.topDown ? storedRow : h.height - 1 - storedRow;
}

int completeRows(const DibHeader& h, std::span<const uint8_t> bits)
{
    return int(std::min<size_t>(bits.size() / strideOf(h), size_t(h.height)));
}

} // namespace

Channel Channel::fromMask(uint32_t mask)
{
    Channel c;
    c.mask = mask;
    if (mask == 0)
        return c;
    const int low = std::countr_zero(mask);
    const int width = 32 - std::countl_zero(mask) - low;
    c.shift = low + std::max(0, width - 8);
    const int kept = std::min(width, 8);
    for (uint32_t v = 0; v < (1u << kept); ++v) {
        uint32_t wide = v << (8 - kept);
        for (int s = kept; s < 8; s += kept)
            wide |= wide >> s;
        c.lut[v] = uint8_t(wide);
    }
    return c;
}

int decodeUncompressed(const PixelFormat& format, std::span<const uint8_t> bits, QImage& image)
{
    const DibHeader& h = format.header;
    const RowDecoder decodeRow = rowDecoderFor(format);
    const size_t stride = strideOf(h);
    const int rows = completeRows(h, bits);
    for (int i = 0; i < rows; ++i) {
        auto* dst = reinterpret_cast<QRgb*>(image.scanLine(imageRow(h, i)));
        decodeRow(format, bits.data() + size_t(i) * stride, dst, h.width);
    }
    return rows;
}

int decodeMonoIndexed(const PixelFormat& format, std::span<const uint8_t> bits, QImage& image)
{
    const DibHeader& h = format.header;
    image.setColorTable({format.colours[0], format.colours[1]});
    const size_t stride = strideOf(h);
    const size_t rowBytes = (size_t(h.width) + 7) / 8;
    const int rows = completeRows(h, bits);
    for (int i = 0; i < rows; ++i)
        std::memcpy(image.scanLine(imageRow(h, i)), bits.data() + size_t(i) * stride, rowBytes);
    return rows;
}

} // namespace kv::gdi::dibdetail
