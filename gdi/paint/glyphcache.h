#pragma once
// gdi/paint: smoothed glyphs too large for Qt's own glyph cache, rasterised once and reused.
//
// Qt's raster engine keeps glyph images only up to 64 pixels; a larger glyph is filled from its
// outline every time it is drawn, which makes headings and title pages cost far more than GDI,
// which keeps the bitmap of every glyph it draws. This cache keeps the coverage of such a glyph
// per font, device transform and quarter-pixel position, filled by the same rasteriser, in the
// run's colour, ready to be composed onto a raster target. One cache per thread, so that the
// worker threads of a batch need no lock; it is emptied when it outgrows its budget.
#include <QImage>
#include <QPoint>
#include <QPointF>
#include <QRawFont>
#include <QRgb>
#include <QTransform>

#include <optional>

namespace kv::gdi {

// The most bytes of glyph images one thread keeps.
inline constexpr size_t kGlyphCacheBudgetBytes = size_t(32) << 20;

struct CachedGlyph {
    QImage image;     // premultiplied, transparent around the glyph; null for a blank glyph
    QPoint topLeft;   // device pixel of the image's corner
};

// True for glyphs Qt's raster engine draws from its own glyph cache under `deviceMatrix`.
bool qtCachesGlyphSize(const QRawFont& font, const QTransform& deviceMatrix);

// True for glyphs Qt fills from their outlines under `deviceMatrix` (the run's transform onto
// device pixels) and that are small enough to keep: the glyphs this cache serves.
bool isCacheableGlyphSize(const QRawFont& font, const QTransform& deviceMatrix);

// The glyph `glyph` of `font` drawn with its origin at device point `origin` through the linear
// part of `deviceMatrix`, in `colour`: from the cache, or rasterised and kept.
CachedGlyph cachedGlyph(const QRawFont& font, quint32 glyph, const QTransform& deviceMatrix, QPointF origin, QRgb colour);

// Bytes of glyph images the calling thread's cache holds, for tests.
size_t glyphCacheBytes();

} // namespace kv::gdi
