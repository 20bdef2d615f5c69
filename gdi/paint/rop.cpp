#include "gdi/paint/rop.h"

#include <vector>

namespace kv::gdi {

namespace {

bool is32Bit(QImage::Format f)
{
    return f == QImage::Format_RGB32 || f == QImage::Format_ARGB32 || f == QImage::Format_ARGB32_Premultiplied;
}

// A read-only 32-bit view of an image: the image itself when it already is one.
QImage as32Bit(const QImage& image)
{
    return is32Bit(image.format()) ? image : image.convertToFormat(QImage::Format_ARGB32);
}

void make32Bit(QImage& image)
{
    if (!is32Bit(image.format()))
        image.convertTo(image.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
}

int positiveMod(int a, int n)
{
    const int m = a % n;
    return m < 0 ? m + n : m;
}

// Everything a ROP3 pass reads, clipped to the destination and the source.
struct Operands {
    QImage* dst = nullptr;
    QRect rect;        // in dst
    QPoint srcOffset;  // rect.topLeft() in src
    QImage src;        // 32-bit, or null
    QImage tile;       // 32-bit, or null for a solid pattern
    QPoint origin;
    QRgb colour = 0;

    // The pattern under row y, from rect.left() on.
    void patternRow(int y, std::vector<QRgb>& row) const
    {
        if (tile.isNull()) {
            std::fill(row.begin(), row.end(), colour);
            return;
        }
        const auto* line = reinterpret_cast<const QRgb*>(tile.constScanLine(positiveMod(y - origin.y(), tile.height())));
        int tx = positiveMod(rect.left() - origin.x(), tile.width());
        for (QRgb& p : row) {
            p = line[tx];
            if (++tx == tile.width())
                tx = 0;
        }
    }
};

std::optional<Operands> prepare(QImage& dst, QRect dstRect, const QImage* src, const RopPattern* pattern,
                                uint32_t rop3)
{
    Operands o;
    o.rect = dstRect.normalized() & dst.rect();
    const bool needsSource = rop3UsesSource(rop3);
    if (needsSource) {
        if (!src || src->isNull())
            return std::nullopt;
        o.src = as32Bit(*src);
        o.rect &= QRect(dstRect.normalized().topLeft(), o.src.size());
        o.srcOffset = o.rect.topLeft() - dstRect.normalized().topLeft();
    }
    if (o.rect.isEmpty())
        return std::nullopt;
    const RopPattern solid;
    const RopPattern& pat = pattern ? *pattern : solid;
    if (rop3UsesPattern(rop3) && pat.tile && !pat.tile->isNull())
        o.tile = as32Bit(*pat.tile);
    o.origin = pat.origin;
    o.colour = pat.colour;
    make32Bit(dst);
    o.dst = &dst;
    return o;
}

template <class Op>
void forEachRow(const Operands& o, Op op)
{
    std::vector<QRgb> pat(size_t(o.rect.width()));
    for (int y = o.rect.top(); y <= o.rect.bottom(); ++y) {
        o.patternRow(y, pat);
        auto* d = reinterpret_cast<QRgb*>(o.dst->scanLine(y)) + o.rect.left();
        const QRgb* s = o.src.isNull() ? pat.data()
            : reinterpret_cast<const QRgb*>(o.src.constScanLine(y - o.rect.top() + o.srcOffset.y())) + o.srcOffset.x();
        for (int x = 0; x < o.rect.width(); ++x)
            d[x] = 0xFF000000u | op(pat[size_t(x)], s[x], d[x]);
    }
}

// The common operations get their own loops; the others evaluate the truth table.
void run(const Operands& o, uint8_t index)
{
    using U = uint32_t;
    switch (index) {
    case 0x00: return forEachRow(o, [](U, U, U) { return U(0); });
    case 0xFF: return forEachRow(o, [](U, U, U) { return ~U(0); });
    case 0xCC: return forEachRow(o, [](U, U s, U) { return s; });
    case 0xEE: return forEachRow(o, [](U, U s, U d) { return s | d; });
    case 0x88: return forEachRow(o, [](U, U s, U d) { return s & d; });
    case 0x66: return forEachRow(o, [](U, U s, U d) { return s ^ d; });
    case 0x44: return forEachRow(o, [](U, U s, U d) { return s & ~d; });
    case 0x33: return forEachRow(o, [](U, U s, U) { return ~s; });
    case 0x11: return forEachRow(o, [](U, U s, U d) { return ~(s | d); });
    case 0xC0: return forEachRow(o, [](U p, U s, U) { return p & s; });
    case 0xBB: return forEachRow(o, [](U, U s, U d) { return ~s | d; });
    case 0xF0: return forEachRow(o, [](U p, U, U) { return p; });
    case 0xFB: return forEachRow(o, [](U p, U s, U d) { return p | ~s | d; });
    case 0x5A: return forEachRow(o, [](U p, U, U d) { return p ^ d; });
    case 0x55: return forEachRow(o, [](U, U, U d) { return ~d; });
    case 0xB8: return forEachRow(o, [](U p, U s, U d) { return (s & d) | (~s & p); });
    case 0xE2: return forEachRow(o, [](U p, U s, U d) { return (s & p) | (~s & d); });
    default: return forEachRow(o, [index](U p, U s, U d) { return rop3Bits(index, p, s, d); });
    }
}

bool maskBitAt(const QImage& mask, int x, int y)
{
    switch (mask.format()) {
    case QImage::Format_Mono:
    case QImage::Format_MonoLSB:
    case QImage::Format_Indexed8: return mask.pixelIndex(x, y) != 0;
    default: return (mask.pixel(x, y) & 0x00FFFFFFu) != 0;
    }
}

// The result of one ROP over dstRect, as an image of dstRect's size.
QImage ropResult(const QImage& dst, QRect rect, const QImage* src, const RopPattern* pattern, uint8_t index)
{
    QImage part = dst.copy(rect);
    RopPattern shifted = pattern ? *pattern : RopPattern{};
    shifted.origin -= rect.topLeft();
    applyRop3(part, part.rect(), src, &shifted, uint32_t(index) << 16);
    return part;
}

} // namespace

uint32_t rop3Bits(uint8_t index, uint32_t p, uint32_t s, uint32_t d)
{
    uint32_t result = 0;
    for (int i = 0; i < 8; ++i) {
        if (index >> i & 1)
            result |= (i & 4 ? p : ~p) & (i & 2 ? s : ~s) & (i & 1 ? d : ~d);
    }
    return result;
}

void applyRop3(QImage& dst, QRect dstRect, const QImage* src, const RopPattern* pattern, uint32_t rop3)
{
    if (dst.isNull())
        return;
    if (const std::optional<Operands> o = prepare(dst, dstRect, src, pattern, rop3))
        run(*o, rop3Index(rop3));
}

void maskBlt(QImage& dst, QRect dstRect, const QImage* src, const RopPattern* pattern, const QImage& mask,
             uint32_t rop4)
{
    const QRect rect = dstRect.normalized() & dst.rect() & QRect(dstRect.normalized().topLeft(), mask.size());
    if (rect.isEmpty())
        return;
    // Source and mask are addressed from dstRect's corner; hand on the part under rect.
    const QPoint offset = rect.topLeft() - dstRect.normalized().topLeft();
    const QImage srcPart = src ? src->copy(QRect(offset, rect.size())) : QImage();
    const QImage* srcArg = src ? &srcPart : nullptr;
    const QImage fore = ropResult(dst, rect, srcArg, pattern, uint8_t(rop4 >> 16));
    const QImage back = ropResult(dst, rect, srcArg, pattern, uint8_t(rop4 >> 24));
    make32Bit(dst);
    for (int y = 0; y < rect.height(); ++y) {
        auto* d = reinterpret_cast<QRgb*>(dst.scanLine(rect.top() + y)) + rect.left();
        const auto* f = reinterpret_cast<const QRgb*>(fore.constScanLine(y));
        const auto* b = reinterpret_cast<const QRgb*>(back.constScanLine(y));
        for (int x = 0; x < rect.width(); ++x)
            d[x] = maskBitAt(mask, offset.x() + x, offset.y() + y) ? f[x] : b[x];
    }
}

void transparentBlt(QImage& dst, QRect dstRect, const QImage& src, QRgb transparent)
{
    const QImage s32 = as32Bit(src);
    const QRect rect = dstRect.normalized() & dst.rect() & QRect(dstRect.normalized().topLeft(), s32.size());
    if (rect.isEmpty())
        return;
    make32Bit(dst);
    const QPoint offset = rect.topLeft() - dstRect.normalized().topLeft();
    const QRgb key = transparent & 0x00FFFFFFu;
    for (int y = 0; y < rect.height(); ++y) {
        auto* d = reinterpret_cast<QRgb*>(dst.scanLine(rect.top() + y)) + rect.left();
        const auto* s = reinterpret_cast<const QRgb*>(s32.constScanLine(offset.y() + y)) + offset.x();
        for (int x = 0; x < rect.width(); ++x) {
            if ((s[x] & 0x00FFFFFFu) != key)
                d[x] = s[x] | 0xFF000000u;
        }
    }
}

QImage withColourKey(const QImage& src, QRgb transparent)
{
    QImage out = src.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const QRgb key = transparent & 0x00FFFFFFu;
    for (int y = 0; y < out.height(); ++y) {
        auto* p = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < out.width(); ++x) {
            if (qAlpha(p[x]) == 255 && (p[x] & 0x00FFFFFFu) == key)
                p[x] = 0;
        }
    }
    return out;
}

QRgb rop2Pixel(QRgb colour, QRgb dst, int rop2)
{
    const unsigned table = unsigned(rop2 - 1) & 0x0F;
    uint32_t result = 0;
    for (int i = 0; i < 4; ++i) {
        if (table >> i & 1)
            result |= (i & 2 ? colour : ~colour) & (i & 1 ? dst : ~dst);
    }
    return 0xFF000000u | result;
}

void applyRop2(std::span<QRgb> dst, QRgb colour, int rop2)
{
    switch (rop2) {
    case R2_COPYPEN: std::fill(dst.begin(), dst.end(), colour | 0xFF000000u); return;
    case R2_NOP: return;
    case R2_XORPEN:
        for (QRgb& d : dst)
            d = 0xFF000000u | (d ^ colour);
        return;
    default:
        for (QRgb& d : dst)
            d = rop2Pixel(colour, d, rop2);
    }
}

std::optional<QPainter::CompositionMode> compositionModeForRop2(int rop2)
{
    using M = QPainter::CompositionMode;
    static constexpr M modes[16] = {
        M::RasterOp_ClearDestination,           // R2_BLACK
        M::RasterOp_NotSourceAndNotDestination, // R2_NOTMERGEPEN
        M::RasterOp_NotSourceAndDestination,    // R2_MASKNOTPEN
        M::RasterOp_NotSource,                  // R2_NOTCOPYPEN
        M::RasterOp_SourceAndNotDestination,    // R2_MASKPENNOT
        M::RasterOp_NotDestination,             // R2_NOT
        M::RasterOp_SourceXorDestination,       // R2_XORPEN
        M::RasterOp_NotSourceOrNotDestination,  // R2_NOTMASKPEN
        M::RasterOp_SourceAndDestination,       // R2_MASKPEN
        M::RasterOp_NotSourceXorDestination,    // R2_NOTXORPEN
        M::CompositionMode_Destination,         // R2_NOP
        M::RasterOp_NotSourceOrDestination,     // R2_MERGENOTPEN
        M::CompositionMode_SourceOver,          // R2_COPYPEN
        M::RasterOp_SourceOrNotDestination,     // R2_MERGEPENNOT
        M::RasterOp_SourceOrDestination,        // R2_MERGEPEN
        M::RasterOp_SetDestination,             // R2_WHITE
    };
    if (rop2 < R2_BLACK || rop2 > R2_WHITE)
        return std::nullopt;
    return modes[rop2 - 1];
}

std::optional<QPainter::CompositionMode> compositionModeForRop3(uint32_t rop3)
{
    if (rop3UsesPattern(rop3))
        return std::nullopt;
    // Without P the low nibble is the truth table over (S, D), laid out as a ROP2's.
    return compositionModeForRop2(int(rop3Index(rop3) & 0x0F) + 1);
}

} // namespace kv::gdi
