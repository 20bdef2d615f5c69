#pragma once
// gdi/paint: opaque bitmaps stretched onto an image without smoothing, the way COLORONCOLOR
// stretches them.
//
// Each target pixel takes the source pixel under its centre. An enlargement repeats whole rows,
// so each distinct row is worked out once and copied down over the rows that repeat it, where
// a painter works out every pixel of every row: enlarged pictures of a page cost a fraction.
#include <QImage>
#include <QRect>
#include <QTransform>

namespace kv::gdi {

// True for what scaleNearest draws: an opaque 32-bit source onto a 32-bit target through a
// transform that only enlarges (without mirroring) and shifts.
bool canScaleNearest(const QImage& source, const QImage& target, const QTransform& toTarget);

// `source` drawn onto `target` through `toTarget` (source pixels -> target pixels), only within
// `area` of the target: the pixels Qt's raster engine gives for the same draw clipped to that
// rectangle.
void scaleNearest(const QImage& source, const QTransform& toTarget, QImage& target, const QRect& area);

} // namespace kv::gdi
