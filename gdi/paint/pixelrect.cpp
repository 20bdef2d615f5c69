#include "gdi/paint/pixelrect.h"

#include <cmath>

namespace kv::gdi {

std::optional<QRect> coveredPixelRectangle(const QPainterPath& path, const QTransform& toTarget)
{
    const int n = path.elementCount();
    if (toTarget.type() > QTransform::TxScale || (n != 4 && n != 5) || !path.elementAt(0).isMoveTo())
        return std::nullopt;
    QPointF c[5];
    for (int i = 0; i < n; ++i) {
        const QPainterPath::Element e = path.elementAt(i);
        if (i > 0 && !e.isLineTo())
            return std::nullopt;
        c[i] = toTarget.map(QPointF(e.x, e.y));
    }
    if (n == 5 && c[4] != c[0])
        return std::nullopt;
    const bool acrossFirst = c[0].y() == c[1].y() && c[1].x() == c[2].x() && c[2].y() == c[3].y() && c[3].x() == c[0].x();
    const bool downFirst = c[0].x() == c[1].x() && c[1].y() == c[2].y() && c[2].x() == c[3].x() && c[3].y() == c[0].y();
    if (!acrossFirst && !downFirst)
        return std::nullopt;
    const QRectF r = QRectF(c[0], c[2]).normalized();
    constexpr double kUndecided = 1.0 / 64;
    for (const double edge : {r.left(), r.right(), r.top(), r.bottom()})
        if (std::abs(edge - std::floor(edge) - 0.5) < kUndecided || std::abs(edge) > 1e6)
            return std::nullopt;
    const int left = int(std::lround(r.left())), top = int(std::lround(r.top()));
    return QRect(left, top, int(std::lround(r.right())) - left, int(std::lround(r.bottom())) - top);
}

} // namespace kv::gdi
