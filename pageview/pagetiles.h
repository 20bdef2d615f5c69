#pragma once
// A zoomed page view drawn by tiles. Zoomed, the control is a window onto the page at a large
// scale: the page at that scale is a surface cut into square tiles of device pixels that are
// fixed to the page, not to the control, so that a scroll step finds most of what it shows
// already rendered and plays the page only for the tiles that came into view. The tiles are
// kept in the page raster cache under the surface's key and their place on it.
#include "gdi/core/records.h"
#include "pageview/pagecache.h"
#include "pageview/pagesheet.h"

#include <QByteArray>
#include <QImage>
#include <QPainter>
#include <QPoint>
#include <QRect>
#include <QTransform>
#include <vector>

namespace kv {

// A tile's side in device pixels: a few tiles cover a window, and one is a megabyte.
inline constexpr int kTileSide = 512;

// The view scrolled to its start: the whole zoomed page, whatever part the control shows.
SheetView surfaceOf(const SheetView& view);
// Where the control's top left lies on the surface, in device pixels. The origin's offset is
// rounded to whole pixels so that tiles land on the control's pixel grid, where they join
// without seams; the page shows at most half a pixel away from where it would be played.
QPoint controlOnSurface(const SheetView& view);
// The sheet's logical units onto the control's pixels as the tiles show them.
QTransform tiledSheetToControl(const SheetView& view);
// The tiles (columns and rows) that a rectangle of the surface, in device pixels, touches.
QRect tilesTouching(const QRect& surfacePixels);
// The tiles `tiles` (columns and rows) of `surface` with `page` on its sheet, rendered with
// one play of the page, in rows from the top left.
std::vector<QImage> renderTiles(const SheetView& surface, const gdi::Picture& page, const QRect& tiles);
QByteArray tileKey(const QByteArray& surfaceKey, QPoint tile);
// The tiles `tiles` of `surface` as the page raster cache renders them ahead, each kept under
// its tile key, and the key they go by while on their way.
PageRasterCache::Render tilesAhead(const SheetView& surface, const QByteArray& surfaceKey, const QRect& tiles);
QByteArray tilesAheadKey(const QByteArray& surfaceKey, const QRect& tiles);

// The tiles one view has put into the cache for the zoomed page it shows. The ring of tiles
// around what the control shows is rendered ahead in idle time, so that a scroll step finds
// the row it brings into view; tiles further away are let go as it scrolls, so that a zoomed
// page holds the memory of what is in view and its neighbours, whatever the zoom and however
// far it is scrolled.
class PageTiles {
public:
    explicit PageTiles(PageRasterCache& cache) : cache_(cache) {}

    // Whether some of the tiles under `exposed` (the control's logical pixels) are not cached.
    bool lacksTiles(const SheetView& view, const QByteArray& surfaceKey, const QRect& exposed) const;
    // The page a cached tile under `exposed` was rendered from; null when none is cached.
    gdi::PicturePtr cachedPage(const SheetView& view, const QByteArray& surfaceKey, const QRect& exposed);
    // The tiles (columns and rows) the whole control shows.
    static QRect tilesShown(const SheetView& view);
    // Draws the part `exposed` of the control from tiles, rendering those that are missing
    // from `page`, and asks for the neighbours of what is shown to be rendered ahead.
    void paint(QPainter& painter, const SheetView& view, const QByteArray& surfaceKey, const gdi::PicturePtr& page,
               const QRect& exposed);

private:
    // The tiles under `exposed`, the control's logical pixels.
    static QRect tilesUnder(const SheetView& view, const QRect& exposed);
    void renderNeighboursAhead(const SheetView& view, const QRect& shown, const gdi::PicturePtr& page);
    void letGoBeyond(const QRect& tilesKept);

    PageRasterCache& cache_;
    QByteArray surfaceKey_;
    std::vector<QPoint> kept_;  // every tile of the surface drawn or asked ahead
};

} // namespace kv
