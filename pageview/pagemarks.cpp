#include "pagemarks.h"

#include <QPainter>

namespace kv {

QColor pageMarkColor(bool current)
{
    return current ? QColor(255, 150, 0) : QColor(255, 230, 0);
}

// Multiplied onto the page, the marker keeps the ink beneath it readable, like a highlighter
// pen on paper.
void paintPageMarks(QPainter& painter, const QTransform& pictureToView, const std::vector<PageMark>& marks)
{
    if (marks.empty())
        return;
    painter.save();
    painter.setClipping(false);
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setCompositionMode(QPainter::CompositionMode_Multiply);
    painter.setPen(Qt::NoPen);
    for (const PageMark& mark : marks) {
        const QRectF box = pictureToView.mapRect(mark.box).adjusted(-1, -1, 1, 1);
        painter.fillRect(box, pageMarkColor(mark.current));
    }
    painter.restore();
}

} // namespace kv
