#pragma once
// Inside the DIB decoder: the pixel format a header describes, resolved once, and the row and
// RLE decoders that fill an image from it. Used by dib.cpp only; not part of the engine's API.
#include "gdi/dib/dib.h"

#include <array>

namespace kv::gdi::dibdetail {

// One colour channel of a 16- or 32-bit pixel: value = lut[(pixel & mask) >> shift]. The shift
// keeps at most the top 8 bits of the field; the table widens narrower fields to 0..255 by
// repeating their bits (5 bits abcde -> abcdeabc), as GDI does.
struct Channel {
    uint32_t mask = 0;
    int shift = 0;
    std::array<uint8_t, 256> lut{};

    static Channel fromMask(uint32_t mask);
    uint8_t operator()(uint32_t pixel) const { return lut[((pixel & mask) >> shift) & 0xFF]; }
};

struct PixelFormat {
    DibHeader header;
    std::array<QRgb, 256> colours{};  // for <= 8 bits; entries the table lacks are black
    Channel red, green, blue, alpha;  // for 16 and 32 bits
    bool useAlpha = false;            // alpha channel counts (premultiplied source)
    bool standard32 = false;          // 32-bit with 8-8-8 masks at their usual places
};

// Fills the image from uncompressed bits; returns the number of complete rows decoded.
int decodeUncompressed(const PixelFormat& format, std::span<const uint8_t> bits, QImage& image);

// The same for a 1-bit DIB into a Format_Mono image (bits copied, colour table kept).
int decodeMonoIndexed(const PixelFormat& format, std::span<const uint8_t> bits, QImage& image);

// Fills the image (transparent beforehand) from RLE8/RLE4 bits; returns true when some pixels
// were skipped and stay transparent.
bool decodeRle(const PixelFormat& format, std::span<const uint8_t> bits, QImage& image);

} // namespace kv::gdi::dibdetail
