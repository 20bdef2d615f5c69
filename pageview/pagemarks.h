#pragma once
// Marks laid over a page as it shows: the places of found words. They are given in fractions
// of the page's picture (0..1 across and down), so they follow the page through every zoom.
#include <QRectF>
#include <QTransform>
#include <vector>

class QPainter;

namespace kv {

struct PageMark {
    QRectF box;            // fractions of the picture
    bool current = false;  // the hit the find bar stands on
    bool operator==(const PageMark&) const = default;
};

// `pictureToView` maps picture fractions onto the painter's coordinates.
void paintPageMarks(QPainter& painter, const QTransform& pictureToView, const std::vector<PageMark>& marks);

// The colours the marks are painted in, for tests that look for them.
QColor pageMarkColor(bool current);

} // namespace kv
