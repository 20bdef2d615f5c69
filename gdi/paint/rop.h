#pragma once
// GDI raster operations on 32-bit images, for the raster operations QPainter has no
// composition mode for.
//
// A ternary raster operation (ROP3) combines pattern P (the brush), source S and destination D
// bit by bit: its operation index (bits 16..23 of the 32-bit code) is a truth table, and the
// result bit is bit (P*4 + S*2 + D) of that index. A binary one (ROP2, R2_BLACK..R2_WHITE)
// combines the pen or brush colour P with D the same way: bit (P*2 + D) of (rop2 - 1).
// The operations work on the RGB bits; pixels they write are opaque.
#include "gdi/core/types.h"

#include <QImage>
#include <QPainter>
#include <QPoint>
#include <QRect>
#include <cstdint>
#include <optional>
#include <span>

namespace kv::gdi {

// Named ternary operations besides those in types.h.
enum : uint32_t {
    SRCERASE = 0x00440328,    // S & ~D
    NOTSRCCOPY = 0x00330008,  // ~S
    NOTSRCERASE = 0x001100A6, // ~(S | D)
    MERGECOPY = 0x00C000CA,   // P & S
    MERGEPAINT = 0x00BB0226,  // ~S | D
    PATPAINT = 0x00FB0A09,    // P | ~S | D
    PATINVERT = 0x005A0049,   // P ^ D
    ROP_SRC_SELECTS_DST_PAT = 0x00B8074A,  // S ? D : P (draws P where the mask is black)
    ROP_SRC_SELECTS_PAT_DST = 0x00E20746,  // S ? P : D (draws P where the mask is white)
};

// The operation index (truth table) of a 32-bit ROP3 code.
constexpr uint8_t rop3Index(uint32_t rop3) { return uint8_t(rop3 >> 16); }

// Which operands a ROP3 reads: a blit without a source needs none of S, and so on.
constexpr bool rop3UsesSource(uint32_t rop3) { return ((rop3Index(rop3) >> 2 ^ rop3Index(rop3)) & 0x33) != 0; }
constexpr bool rop3UsesPattern(uint32_t rop3) { return ((rop3Index(rop3) >> 4 ^ rop3Index(rop3)) & 0x0F) != 0; }
constexpr bool rop3UsesDest(uint32_t rop3) { return ((rop3Index(rop3) >> 1 ^ rop3Index(rop3)) & 0x55) != 0; }

// Applies an operation index to three 32-bit words, bit by bit.
uint32_t rop3Bits(uint8_t index, uint32_t p, uint32_t s, uint32_t d);

// The pattern of a blit: a tile repeated from origin (device pixels of the destination), or,
// when tile is null or empty, one solid colour.
struct RopPattern {
    const QImage* tile = nullptr;
    QPoint origin;
    QRgb colour = qRgb(0, 0, 0);
};

// dst[dstRect] = rop3(P, S, D). src is already at dstRect's size (pixel (0,0) lands on
// dstRect.topLeft()); it may be null when the operation does not read it, as may pattern.
// dstRect is clipped to dst. dst is converted to a 32-bit format when it is not one.
void applyRop3(QImage& dst, QRect dstRect, const QImage* src, const RopPattern* pattern, uint32_t rop3);

// MaskBlt: where the mask bit is 1 the foreground operation (bits 16..23 of rop4) applies,
// elsewhere the background one (bits 24..31, as MAKEROP4 packs them). The mask is at dstRect's
// size; a pixel counts as 1 when its colour index is non-zero (Mono, MonoLSB, Indexed8) or, in
// other formats, when it is not black.
void maskBlt(QImage& dst, QRect dstRect, const QImage* src, const RopPattern* pattern, const QImage& mask,
             uint32_t rop4);

// TransparentBlt: copies src (at dstRect's size) except the pixels whose RGB is transparent.
void transparentBlt(QImage& dst, QRect dstRect, const QImage& src, QRgb transparent);

// The source with its pixels of the transparent colour made transparent, for devices that can
// only draw images (printers, PDF): drawn with SourceOver and no smoothing, it does what
// transparentBlt does.
QImage withColourKey(const QImage& src, QRgb transparent);

// ROP2 on a span of destination pixels, with the pen or brush colour.
void applyRop2(std::span<QRgb> dst, QRgb colour, int rop2);
QRgb rop2Pixel(QRgb colour, QRgb dst, int rop2);

// The QPainter composition mode that does the same as a ROP2 (raster paint engines only), or
// nothing when there is none.
std::optional<QPainter::CompositionMode> compositionModeForRop2(int rop2);

// The same for ROP3 codes that do not read the pattern.
std::optional<QPainter::CompositionMode> compositionModeForRop3(uint32_t rop3);

} // namespace kv::gdi
