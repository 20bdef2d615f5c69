#pragma once
// What the EMF and WMF recorders share: reading a device path as polygons, the advances of a
// text run, the extent of what a call draws, and the source picture of an image call with
// its transparency made explicit.
#include "gdi/core/device.h"

#include <QPainterPath>
#include <QPolygonF>
#include <QRectF>
#include <vector>

namespace kv::gdi {

// A path as the recorders write it: straight-edged figures (each closed or open), or, when it
// holds curves, nothing (the recorder then writes the path element by element).
struct PathFigures {
    std::vector<QPolygonF> figures;  // a closed figure does not repeat its first point
    std::vector<bool> closed;
    bool curved = false;
    bool allClosed() const;
    bool noneClosed() const;
};
PathFigures figuresOf(const QPainterPath& path);

// The rectangle a polygon is, when it is one with axis-parallel sides.
std::optional<QRectF> axisRectangle(const QPolygonF& polygon);

// Advances between the run's characters along its baseline, rounded so that their sums stay
// on the rounded origins; the last one is the font's own advance.
std::vector<int32_t> runAdvances(const TextRun& run);

// Fills a text run's opaque box that its text record cannot carry (turned, or apart from the
// clip box) as a polygon of the run's background colour, drawn before the text.
void fillOpaqueBox(Device& recorder, const TextRun& run);

// The device area a text run inks (its cells along the baseline, and its opaque box).
QRectF runExtent(const TextRun& run);

// An image call as a recorder writes it. `source`: the picture with the pixels that are not to
// be drawn made transparent (transparent colour, mask, constant alpha applied); null for a
// call without a source (a pattern or raster-operation blt). `alpha`: some pixel is not fully
// opaque. `upright`: the placement keeps the picture's edges on the device axes, so that it
// can be written as a stretched rectangle; otherwise it is turned or sheared.
struct RecordedImage {
    QRectF area;  // the device bounds of what the call covers
    QImage source;
    bool alpha = false;
    bool upright = false;
};
RecordedImage recordedImage(const ImageDraw& image);

// Inclusive integer bounds of a device rectangle, as rclBounds keeps them.
RectL inclusiveBounds(const QRectF& rect);

} // namespace kv::gdi
