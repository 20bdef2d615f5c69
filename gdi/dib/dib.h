#pragma once
// gdi/dib: bitmap decoding and encoding.
//
// Device-independent bitmaps (DIBs) as metafile records carry them: decoding to QImage for
// playback and encoding QImage for the EMF and WMF recorders.
//
// A DIB in a record is two byte ranges: the BITMAPINFO (a header, then bit-field masks and/or a
// colour table) and the pixel bits. Every header GDI knows is read: BITMAPCOREHEADER (12 bytes),
// BITMAPINFOHEADER (40), its V2/V3 (52/56), V4 (108) and V5 (124) extensions.
//
// What decodeDib returns:
// - Format_RGB32 for an opaque picture; Format_ARGB32_Premultiplied when some pixels are not
//   drawn (alpha 0) or when DibUseAlpha asks for the bitmap's own alpha.
// - RLE bitmaps: pixels a delta, end-of-line or end-of-bitmap escape skips are transparent
//   (alpha 0). GDI leaves the destination untouched there when it plays such a bitmap with
//   SRCCOPY, so drawing the image with SourceOver gives the same page.
// - Bits shorter than the picture: the complete rows that are present are decoded, the missing
//   rows are transparent (nothing is drawn there). When not one row is present: a null image.
// - A null QImage for anything it cannot honour: unknown header size, bit count or compression,
//   top-down RLE (GDI refuses those too), width or height <= 0, more than kMaxDibSide pixels on a
//   side or kMaxDibPixels in all. The caps are checked before anything is allocated.
#include "gdi/core/types.h"

#include <QImage>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace kv::gdi {

// biCompression values.
enum : uint32_t {
    BI_RGB = 0,
    BI_RLE8 = 1,
    BI_RLE4 = 2,
    BI_BITFIELDS = 3,
    BI_JPEG = 4,
    BI_PNG = 5,
    BI_ALPHABITFIELDS = 6,
};

// How the colour table is meant (the iUsage / ColorUsage field of the records): besides
// DIB_RGB_COLORS (RGBQUAD entries, RGBTRIPLE for core headers) and DIB_PAL_COLORS (16-bit
// indexes into the DC's logical palette) from types.h, a DIB may carry no table at all and
// index the DC's logical palette directly.
enum : uint32_t { DIB_PAL_INDICES = 2 };

// decodeDib flags.
enum : uint32_t {
    DibUseAlpha = 1,       // the bitmap's alpha counts (AlphaBlend with AC_SRC_ALPHA): the fourth
                           // byte of 32-bit BI_RGB pixels, or the alpha mask; otherwise GDI
                           // ignores it and the picture is opaque
    DibMonoAsIndexed = 2,  // an uncompressed 1-bit DIB comes back as Format_Mono with its colour
                           // table, so pixelIndex() gives the bit (mask and mono brush bitmaps)
};

// Pictures larger than these are refused before anything is allocated. A 1200-dpi Letter page
// (10200 x 13200) still fits.
inline constexpr int64_t kMaxDibSide = 1 << 16;
inline constexpr int64_t kMaxDibPixels = int64_t(1) << 28;
// Decoded bitmap pixels one page may hold in all its bitmaps together (256 MB at four bytes a
// pixel): a small file must not be able to ask for gigabytes through huge declared sizes or a
// huge picture behind a small header.
inline constexpr uint64_t kPagePixelBudget = uint64_t(1) << 26;

// The fields of a DIB header that locating and decoding the bits need.
struct DibHeader {
    uint32_t headerSize = 0;  // 12 for a core header, else biSize
    int32_t width = 0;
    int32_t height = 0;       // always positive here; topDown says the row order
    bool topDown = false;
    uint16_t bitCount = 0;
    uint32_t compression = BI_RGB;
    uint32_t sizeImage = 0;
    uint32_t clrUsed = 0;
    // Masks stored inside the header (V2 and later); zero when absent.
    uint32_t redMask = 0, greenMask = 0, blueMask = 0, alphaMask = 0;

    bool isCore() const { return headerSize == 12; }
};

// Reads the header at the start of bitmapInfo; nothing when it is too short or its size field
// names no header GDI knows. Dimensions and bit count are not judged here.
std::optional<DibHeader> readDibHeader(std::span<const uint8_t> bitmapInfo);

// Number of colour-table entries that follow the header (and its masks) for this usage.
uint32_t dibColorCount(const DibHeader& header);

// Size in bytes of the whole BITMAPINFO: header, masks that follow a 40-byte header, and the
// colour table (entries of 4 bytes, 3 for core headers, 2 for DIB_PAL_COLORS, none for
// DIB_PAL_INDICES). Readers use it to find the bits after a packed DIB.
size_t dibInfoSize(const DibHeader& header, uint32_t usage = DIB_RGB_COLORS);

// Size in bytes the bits of an uncompressed DIB need (rows padded to 4 bytes); nothing when
// the header is not uncompressed or the size overflows.
std::optional<uint64_t> dibBitsSize(const DibHeader& header);

// Decodes a DIB; see the top of this file for what comes back. dcPalette is the DC's logical
// palette for DIB_PAL_COLORS/DIB_PAL_INDICES; when empty, the default 20-colour system palette
// stands in. Indexes beyond the palette wrap around it, as GDI does.
QImage decodeDib(std::span<const uint8_t> bitmapInfo, std::span<const uint8_t> bits,
                 uint32_t usage = DIB_RGB_COLORS, std::span<const QRgb> dcPalette = {},
                 uint32_t flags = 0);

// How many pixels decodeDib allocates for this DIB, to count against kPagePixelBudget before
// decoding: the header's size, or for an embedded JPEG or PNG the size its codec decodes at
// (JPEG shrinks to the header's size while decoding; PNG decodes whole). 0 when the stream
// cannot be decoded.
uint64_t dibDecodedPixels(std::span<const uint8_t> bitmapInfo, std::span<const uint8_t> bits);

// Decodes a packed DIB (BITMAPINFO immediately followed by the bits), as brush records hold.
QImage decodePackedDib(std::span<const uint8_t> packed, uint32_t usage = DIB_RGB_COLORS,
                       std::span<const QRgb> dcPalette = {}, uint32_t flags = 0);

// The default logical palette of a DC (the 20 static system colours).
std::span<const QRgb> defaultSystemPalette();

// A packed DIB written for a recorder: BITMAPINFOHEADER, colour table, then bottom-up bits.
struct EncodedDib {
    std::vector<uint8_t> bytes;
    size_t infoSize = 0; // header + colour table; the bits start here

    std::span<const uint8_t> info() const { return std::span(bytes).first(infoSize); }
    std::span<const uint8_t> bits() const { return std::span(bytes).subspan(infoSize); }
};

// Encodes an image as 1-bit (Format_Mono/MonoLSB) or 8-bit (Indexed8, Grayscale8) with a colour
// table, 32-bit BI_RGB with premultiplied alpha when the image has an alpha channel, else
// 24-bit BI_RGB. A null image gives empty bytes.
// decodeDib(info(), bits(), DIB_RGB_COLORS, {}, DibUseAlpha) gives the picture back.
EncodedDib encodeDib(const QImage& image);

} // namespace kv::gdi
