#include "pagetiles.h"

#include <QDataStream>
#include <QIODevice>
#include <algorithm>
#include <limits>
#include <utility>
#include <cmath>

namespace kv {

namespace {

int tileOf(int pixel) { return int(std::floor(double(pixel) / kTileSide)); }

QRect inDevicePixels(const QRect& logical, qreal ratio)
{
    return QRectF(logical.x() * ratio, logical.y() * ratio, logical.width() * ratio, logical.height() * ratio).toAlignedRect();
}

QPoint tileCorner(QPoint tile) { return tile * kTileSide; }

} // namespace

SheetView surfaceOf(const SheetView& view)
{
    SheetView surface = view;
    surface.xOrigin = 0;
    surface.yOrigin = 0;
    return surface;
}

QPoint controlOnSurface(const SheetView& view)
{
    const QTransform onSurface = sheetToControl(surfaceOf(view));
    const QTransform onControl = sheetToControl(view);
    const qreal ratio = view.devicePixelRatio;
    return QPoint(int(std::lround((onSurface.dx() - onControl.dx()) * ratio)),
                  int(std::lround((onSurface.dy() - onControl.dy()) * ratio)));
}

QTransform tiledSheetToControl(const SheetView& view)
{
    const QPointF shift = QPointF(controlOnSurface(view)) / view.devicePixelRatio;
    return sheetToControl(surfaceOf(view)) * QTransform::fromTranslate(-shift.x(), -shift.y());
}

QRect tilesTouching(const QRect& surfacePixels)
{
    if (surfacePixels.isEmpty())
        return {};
    return QRect(QPoint(tileOf(surfacePixels.left()), tileOf(surfacePixels.top())),
                 QPoint(tileOf(surfacePixels.right()), tileOf(surfacePixels.bottom())));
}

std::vector<QImage> renderTiles(const SheetView& surface, const gdi::Picture& page, const QRect& tiles)
{
    std::vector<QImage> out;
    if (tiles.isEmpty())
        return out;
    const qreal ratio = surface.devicePixelRatio;
    // The page is played once for all of them, onto the surface moved by whole device
    // pixels, so that each tile holds exactly the pixels the whole surface has there.
    QImage strip(tiles.size() * kTileSide, QImage::Format_RGB32);
    strip.setDevicePixelRatio(ratio);
    strip.fill(QColor(gdi::toQRgb(surface.background)));
    {
        QPainter painter(&strip);
        const QPointF corner = QPointF(tileCorner(tiles.topLeft())) / ratio;
        painter.translate(-corner);
        paintSheet(painter, surface, page);
    }
    out.reserve(size_t(tiles.width()) * size_t(tiles.height()));
    for (int row = 0; row < tiles.height(); ++row)
        for (int column = 0; column < tiles.width(); ++column) {
            QImage tile = strip.copy(column * kTileSide, row * kTileSide, kTileSide, kTileSide);
            tile.setDevicePixelRatio(ratio);
            out.push_back(std::move(tile));
        }
    return out;
}

QByteArray tileKey(const QByteArray& surfaceKey, QPoint tile)
{
    QByteArray key = surfaceKey;
    QDataStream out(&key, QIODevice::Append);
    out << QByteArrayLiteral("tile") << tile;
    return key;
}

PageRasterCache::Render tilesAhead(const SheetView& surface, const QByteArray& surfaceKey, const QRect& tiles)
{
    return [surface, surfaceKey, tiles](const gdi::Picture& page) {
        std::vector<QImage> images = renderTiles(surface, page, tiles);
        std::vector<PageRasterCache::Rendered> keyed;
        keyed.reserve(images.size());
        for (int row = 0; row < tiles.height(); ++row)
            for (int column = 0; column < tiles.width(); ++column)
                keyed.push_back({tileKey(surfaceKey, tiles.topLeft() + QPoint(column, row)),
                                 std::move(images[size_t(row * tiles.width() + column)])});
        return keyed;
    };
}

QByteArray tilesAheadKey(const QByteArray& surfaceKey, const QRect& tiles)
{
    QByteArray key = surfaceKey;
    QDataStream out(&key, QIODevice::Append);
    out << QByteArrayLiteral("ahead") << tiles;
    return key;
}

QRect PageTiles::tilesShown(const SheetView& view)
{
    return tilesUnder(view, QRect(QPoint(0, 0), view.size));
}

QRect PageTiles::tilesUnder(const SheetView& view, const QRect& exposed)
{
    const QRect control(QPoint(0, 0), view.devicePixels());
    return tilesTouching(inDevicePixels(exposed, view.devicePixelRatio).intersected(control).translated(controlOnSurface(view)));
}

bool PageTiles::lacksTiles(const SheetView& view, const QByteArray& surfaceKey, const QRect& exposed) const
{
    const QRect tiles = tilesUnder(view, exposed);
    for (int row = tiles.top(); row <= tiles.bottom(); ++row)
        for (int column = tiles.left(); column <= tiles.right(); ++column)
            if (!cache_.contains(tileKey(surfaceKey, {column, row})))
                return true;
    return false;
}

gdi::PicturePtr PageTiles::cachedPage(const SheetView& view, const QByteArray& surfaceKey, const QRect& exposed)
{
    const QRect tiles = tilesUnder(view, exposed);
    for (int row = tiles.top(); row <= tiles.bottom(); ++row)
        for (int column = tiles.left(); column <= tiles.right(); ++column)
            if (const PageRasterCache::Entry* cached = cache_.find(tileKey(surfaceKey, {column, row})))
                return cached->page;
    return nullptr;
}

void PageTiles::paint(QPainter& painter, const SheetView& view, const QByteArray& surfaceKey,
                      const gdi::PicturePtr& page, const QRect& exposed)
{
    if (surfaceKey != surfaceKey_) {
        // The tiles of the page shown before stay for when it comes back, until the cache
        // needs their room.
        surfaceKey_ = surfaceKey;
        kept_.clear();
    }
    const QRect wanted = tilesUnder(view, exposed);
    if (wanted.isEmpty())
        return;
    // The tiles that are missing are rendered together: their bounding rows and columns,
    // usually the one row or column a scroll step brought into view.
    QRect missing;
    for (int row = wanted.top(); row <= wanted.bottom(); ++row)
        for (int column = wanted.left(); column <= wanted.right(); ++column)
            if (!cache_.contains(tileKey(surfaceKey, {column, row})))
                missing |= QRect(column, row, 1, 1);
    std::vector<QImage> rendered;
    if (!missing.isEmpty() && page)
        rendered = renderTiles(surfaceOf(view), *page, missing);
    PageRasterCache::Counts& counts = cache_.counts();
    const QPoint at = controlOnSurface(view);
    const qreal ratio = view.devicePixelRatio;
    for (int row = wanted.top(); row <= wanted.bottom(); ++row)
        for (int column = wanted.left(); column <= wanted.right(); ++column) {
            const QPoint tile(column, row);
            const QPointF place = QPointF(tileCorner(tile) - at) / ratio;
            const QByteArray key = tileKey(surfaceKey, tile);
            if (!rendered.empty() && missing.contains(tile)) {
                const QImage& image = rendered[size_t((row - missing.top()) * missing.width() + column - missing.left())];
                painter.drawImage(place, image);
                ++counts.tilesRendered;
                cache_.insert(key, image, page);
            } else if (const PageRasterCache::Entry* cached = cache_.find(key)) {
                painter.drawImage(place, cached->image);
                ++counts.tilesReused;
            }
            kept_.push_back(tile);
        }
    const QRect shown = tilesShown(view);
    letGoBeyond(shown.adjusted(-1, -1, 1, 1));
    renderNeighboursAhead(view, shown, page);
}

// The ring as four strips, each played once; the control never shows the surface above or
// left of its start, so no strip goes there.
void PageTiles::renderNeighboursAhead(const SheetView& view, const QRect& shown, const gdi::PicturePtr& page)
{
    if (!page)
        return;
    const QRect ring = shown.adjusted(-1, -1, 1, 1);
    const QRect strips[] = {{ring.left(), ring.top(), ring.width(), 1},
                            {ring.left(), ring.bottom(), ring.width(), 1},
                            {ring.left(), shown.top(), 1, shown.height()},
                            {ring.right(), shown.top(), 1, shown.height()}};
    const SheetView surface = surfaceOf(view);
    for (const QRect& whole : strips) {
        const QRect strip = whole & QRect(0, 0, std::numeric_limits<int>::max(), std::numeric_limits<int>::max());
        bool lacking = false;
        for (int row = strip.top(); row <= strip.bottom(); ++row)
            for (int column = strip.left(); column <= strip.right(); ++column) {
                lacking = lacking || !cache_.contains(tileKey(surfaceKey_, {column, row}));
                kept_.push_back({column, row});
            }
        if (lacking)
            cache_.renderAhead(tilesAheadKey(surfaceKey_, strip), tilesAhead(surface, surfaceKey_, strip),
                               [page] { return page; });
    }
}

// A tile let go stays listed: one asked ahead may still come back from the worker after it.
void PageTiles::letGoBeyond(const QRect& tilesKept)
{
    std::sort(kept_.begin(), kept_.end(), [](QPoint a, QPoint b) { return std::pair(a.y(), a.x()) < std::pair(b.y(), b.x()); });
    kept_.erase(std::unique(kept_.begin(), kept_.end()), kept_.end());
    for (const QPoint& tile : kept_)
        if (!tilesKept.contains(tile))
            cache_.remove(tileKey(surfaceKey_, tile));
}

} // namespace kv
