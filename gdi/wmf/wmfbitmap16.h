#pragma once
// The device-dependent Bitmap16 of old WMF records (BITBLT, STRETCHBLT, pattern brushes):
// a 10-byte header, then rows top-down of WidthBytes bytes each.
#include "gdi/core/objects.h"
#include "platform/bytereader.h"

#include <optional>

namespace kv::gdi::wmf {

struct Bitmap16Header {
    int16_t type = 0;
    int16_t width = 0, height = 0;
    int16_t widthBytes = 0;
    uint8_t planes = 0, bitsPixel = 0;
};

std::optional<Bitmap16Header> readBitmap16Header(ByteReader& p);

// The bits that follow (1, 4, 8, 16, 24 and 32 bits per pixel, one plane); null when they
// are missing. 4- and 8-bit pixels index the colours of a memory DC's default palette.
BitmapPtr readBitmap16Bits(ByteReader& p, const Bitmap16Header& header);

} // namespace kv::gdi::wmf
