// Path gradients as GDI+ draws them: the colour runs from the centre point to the boundary
// along every ray, so each edge of the boundary sees the whole blend. Drawn into an image of
// the boundary's extent, one triangle (centre and edge) at a time: inside a triangle the
// share of the way to the edge is constant along lines parallel to it, which is a linear
// gradient from the centre to the edge's nearest point.
#include "gdi/emfplus/emfplusplay.h"

#include <QLinearGradient>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <vector>

namespace kv::gdi::plus::play {

namespace {

// The finest the gradient image gets: a blend shows no steps at this size, and a page of many
// gradients stays cheap.
constexpr double kMaxGradientSide = 512;
// Pieces an edge is cut into when its two ends have colours of their own.
constexpr int kEdgePieces = 8;

QColor mix(const QColor& a, const QColor& b, double t)
{
    const auto at = [t](int x, int y) { return int(std::lround(x + (y - x) * t)); };
    return QColor(at(a.red(), b.red()), at(a.green(), b.green()), at(a.blue(), b.blue()), at(a.alpha(), b.alpha()));
}

} // namespace

std::optional<QBrush> pathGradientShader(const Brush& brush, const QTransform& toDevice)
{
    const QList<QPolygonF> outlines = brush.boundary.toSubpathPolygons(toDevice);
    QRectF extent;
    for (const QPolygonF& outline : outlines)
        extent |= outline.boundingRect();
    if (!(extent.width() > 0) || !(extent.height() > 0) || !std::isfinite(extent.width()) || !std::isfinite(extent.height()))
        return std::nullopt;
    const double scale = std::min(1.0, kMaxGradientSide / std::max(extent.width(), extent.height()));
    const QSize size(int(std::ceil(extent.width() * scale)) + 1, int(std::ceil(extent.height() * scale)) + 1);
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    const QTransform deviceToImage = QTransform::fromTranslate(-extent.left(), -extent.top()) * QTransform::fromScale(scale, scale);
    const QPointF centre = toDevice.map(brush.center);
    {
        QPainter painter(&image);
        painter.setTransform(deviceToImage);
        painter.setPen(Qt::NoPen);
        // Triangles from the centre to the edges, painted once all are known.
        struct Piece { QPointF a, b; std::optional<QColor> edge; double reach; };
        std::vector<Piece> pieces;
        const auto triangle = [&](QPointF a, QPointF b, const std::optional<QColor>& edge) {
            const QPointF ab = b - a;
            const double length2 = QPointF::dotProduct(ab, ab);
            if (!(length2 > 1e-12))
                return;
            const QPointF foot = a + ab * (QPointF::dotProduct(centre - a, ab) / length2);
            pieces.push_back({a, b, edge, QLineF(centre, foot).length()});
        };
        // A triangle from the centre to the edge (a, b) whose points all have the colour `edge`.
        const auto paint = [&](QPointF a, QPointF b, const std::optional<QColor>& edge) {
            const QPointF ab = b - a;
            const double length2 = QPointF::dotProduct(ab, ab);
            if (!(length2 > 1e-12))
                return;
            const QPointF foot = a + ab * (QPointF::dotProduct(centre - a, ab) / length2);
            if (QLineF(centre, foot).length() < 1e-9)
                return;  // the centre lies on this edge: the triangle has no inside
            QLinearGradient g(centre, foot);
            if (edge) {
                g.setColorAt(0, brush.color);
                g.setColorAt(1, *edge);
            } else {
                for (const GradientStop& s : brush.stops)
                    g.setColorAt(1 - s.position, s.color);
            }
            painter.setBrush(g);
            painter.drawPolygon(QPolygonF{centre, a, b});
        };
        // One surround colour: the blend runs the same way to every edge. Several: each point
        // of the boundary has its own, and the colour along an edge runs from one to the next.
        const bool perPoint = brush.surround.size() > 1;
        const auto colourAt = [&](qsizetype i) {
            return brush.surround[size_t(std::min<qsizetype>(i, qsizetype(brush.surround.size()) - 1))];
        };
        qsizetype first = 0;  // the boundary point each outline starts at
        for (QPolygonF outline : outlines) {
            if (outline.size() > 1 && outline.first() != outline.last())
                outline << outline.first();
            const qsizetype points = outline.size() - 1;
            for (qsizetype i = 0; i < points; ++i) {
                if (!perPoint) {
                    triangle(outline[i], outline[i + 1], std::nullopt);
                    continue;
                }
                const QColor from = colourAt(first + i), to = colourAt(i + 1 == points ? first : first + i + 1);
                for (int k = 0; k < kEdgePieces; ++k) {
                    const double t0 = double(k) / kEdgePieces, t1 = double(k + 1) / kEdgePieces;
                    const QPointF along = outline[i + 1] - outline[i];
                    triangle(outline[i] + along * t0, outline[i] + along * t1, mix(from, to, (t0 + t1) / 2));
                }
            }
            first += points;
        }
        // Where a boundary that crosses itself puts a point in several triangles, the farthest
        // edge holds: the centre keeps its own colour around it.
        std::stable_sort(pieces.begin(), pieces.end(), [](const Piece& x, const Piece& y) { return x.reach < y.reach; });
        for (const Piece& piece : pieces)
            paint(piece.a, piece.b, piece.edge);
    }
    QBrush shader(image);
    shader.setTransform(deviceToImage.inverted());
    return shader;
}

} // namespace kv::gdi::plus::play
