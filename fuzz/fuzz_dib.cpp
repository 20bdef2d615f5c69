// libFuzzer target over the DIB decoder. Input layout: byte 0 picks the colour usage and the
// decoding flags, bytes 1-2 (little-endian) the length of the BITMAPINFO part; the rest is the
// BITMAPINFO followed by the bits. The bytes after the prefix are also tried as a packed DIB.
#include "gdi/dib/dib.h"

#include <QRgb>
#include <cstddef>
#include <cstdint>
#include <span>

namespace {

// Pictures up to the decoder's own caps (1 GiB) are legal but take seconds each under the
// sanitizers; the size checks themselves are covered by the unit tests.
bool tooLargeToFuzz(std::span<const uint8_t> info)
{
    const auto header = kv::gdi::readDibHeader(info);
    return header && int64_t(header->width) * header->height > (int64_t(1) << 22);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::span<const uint8_t> input(data, size);
    if (size < 3)
        return 0;
    const uint32_t usage = data[0] & 3;
    const uint32_t flags = (data[0] >> 2) & 3;
    const size_t infoSize = std::min<size_t>(size_t(data[1]) | size_t(data[2]) << 8, size - 3);
    const std::span<const uint8_t> info = input.subspan(3, infoSize);
    const std::span<const uint8_t> bits = input.subspan(3 + infoSize);
    static const QRgb palette[5] = {0xFF102030, 0xFF405060, 0xFF708090, 0xFFA0B0C0, 0xFFD0E0F0};
    const std::span<const QRgb> dcPalette = (data[0] & 0x10) ? std::span<const QRgb>(palette) : std::span<const QRgb>();
    if (tooLargeToFuzz(input.subspan(3)) || tooLargeToFuzz(info))
        return 0;
    const QImage image = kv::gdi::decodeDib(info, bits, usage, dcPalette, flags);
    if (!image.isNull() && (data[0] & 0x20)) {
        const kv::gdi::EncodedDib again = kv::gdi::encodeDib(image);
        (void)kv::gdi::decodeDib(again.info(), again.bits(), kv::gdi::DIB_RGB_COLORS, {}, kv::gdi::DibUseAlpha);
    }
    // The same bytes as one packed DIB, as brush records hold them.
    (void)kv::gdi::decodePackedDib(input.subspan(3), usage, dcPalette, flags);
    return 0;
}
