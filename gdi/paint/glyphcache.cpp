// Large smoothed glyphs kept as images.
#include "gdi/paint/glyphcache.h"

#include <QHash>
#include <QPainter>
#include <QPainterPath>
#include <cmath>

namespace kv::gdi {

namespace {

// Qt's raster engine draws a glyph from its own cache when pixel size squared times the
// transform's area scale stays below this size squared, and fills its outline otherwise.
constexpr double kQtLargestCachedGlyph = 64;
// Larger glyphs than this (device pixels, either way) are rare and costly to keep.
constexpr double kLargestKeptGlyph = 512;
// Positions are kept to a quarter pixel: an eighth of a pixel off at most, below what
// smoothing shows.
constexpr int kStepsPerPixel = 4;

struct GlyphKey {
    QRawFont font;
    quint32 glyph = 0;
    double m11 = 1, m12 = 0, m21 = 0, m22 = 1;
    int stepX = 0, stepY = 0;
    QRgb colour = 0;

    bool operator==(const GlyphKey& o) const
    {
        return glyph == o.glyph && stepX == o.stepX && stepY == o.stepY && colour == o.colour && m11 == o.m11
            && m12 == o.m12 && m21 == o.m21 && m22 == o.m22 && font == o.font;
    }
};

size_t qHash(const GlyphKey& k, size_t seed = 0)
{
    return qHashMulti(seed, k.font, k.glyph, k.m11, k.m12, k.m21, k.m22, k.stepX, k.stepY, k.colour);
}

struct GlyphStore {
    QHash<GlyphKey, CachedGlyph> glyphs;
    size_t bytes = 0;
};

GlyphStore& store()
{
    thread_local GlyphStore s;
    return s;
}

// Filled as Qt fills a glyph it does not cache: smoothed, winding, through the whole
// transform, so that a kept glyph is the pixels the outline would have given.
CachedGlyph rasterise(const QRawFont& font, quint32 glyph, const QTransform& placed, QRgb colour)
{
    QPainterPath outline = font.pathForGlyph(glyph);
    outline.setFillRule(Qt::WindingFill);
    const QRectF bounds = placed.mapRect(outline.boundingRect());
    if (outline.isEmpty() || bounds.isEmpty())
        return {};
    const QRect box = bounds.toAlignedRect().adjusted(-1, -1, 1, 1);
    CachedGlyph kept{QImage(box.size(), QImage::Format_ARGB32_Premultiplied), box.topLeft()};
    kept.image.fill(Qt::transparent);
    QPainter painter(&kept.image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setTransform(placed * QTransform::fromTranslate(-box.left(), -box.top()));
    painter.fillPath(outline, QColor::fromRgba(colour));
    return kept;
}

} // namespace

bool qtCachesGlyphSize(const QRawFont& font, const QTransform& deviceMatrix)
{
    const double size = font.pixelSize();
    return size * size * std::abs(deviceMatrix.determinant()) < kQtLargestCachedGlyph * kQtLargestCachedGlyph;
}

bool isCacheableGlyphSize(const QRawFont& font, const QTransform& deviceMatrix)
{
    if (!font.isValid() || deviceMatrix.type() >= QTransform::TxProject || qtCachesGlyphSize(font, deviceMatrix))
        return false;
    const double size = font.pixelSize();
    const double across = std::hypot(deviceMatrix.m11(), deviceMatrix.m12()) * size;
    const double down = std::hypot(deviceMatrix.m21(), deviceMatrix.m22()) * size;
    return std::max(across, down) <= kLargestKeptGlyph;
}

CachedGlyph cachedGlyph(const QRawFont& font, quint32 glyph, const QTransform& deviceMatrix, QPointF origin, QRgb colour)
{
    const double baseX = std::floor(origin.x()), baseY = std::floor(origin.y());
    GlyphKey key{font, glyph, deviceMatrix.m11(), deviceMatrix.m12(), deviceMatrix.m21(), deviceMatrix.m22(),
                 int(std::lround((origin.x() - baseX) * kStepsPerPixel)), int(std::lround((origin.y() - baseY) * kStepsPerPixel)),
                 colour};
    GlyphStore& s = store();
    auto found = s.glyphs.constFind(key);
    if (found == s.glyphs.constEnd()) {
        const QTransform linear(key.m11, key.m12, key.m21, key.m22, 0, 0);
        const QTransform placed = linear * QTransform::fromTranslate(double(key.stepX) / kStepsPerPixel, double(key.stepY) / kStepsPerPixel);
        CachedGlyph kept = rasterise(font, glyph, placed, colour);
        const size_t bytes = size_t(kept.image.sizeInBytes()) + sizeof(GlyphKey);
        if (s.bytes + bytes > kGlyphCacheBudgetBytes) {
            s.glyphs.clear();
            s.bytes = 0;
        }
        s.bytes += bytes;
        found = s.glyphs.insert(key, std::move(kept));
    }
    CachedGlyph placedGlyph = *found;
    placedGlyph.topLeft += QPoint(int(baseX), int(baseY));
    return placedGlyph;
}

size_t glyphCacheBytes()
{
    return store().bytes;
}

} // namespace kv::gdi
