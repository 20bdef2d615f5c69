#include "gdi/record/recordinghelpers.h"

#include <QPainter>
#include <algorithm>
#include <cmath>
#include <limits>

namespace kv::gdi {

bool PathFigures::allClosed() const
{
    return std::all_of(closed.begin(), closed.end(), [](bool c) { return c; });
}

bool PathFigures::noneClosed() const
{
    return std::none_of(closed.begin(), closed.end(), [](bool c) { return c; });
}

PathFigures figuresOf(const QPainterPath& path)
{
    PathFigures out;
    QPolygonF current;
    auto finish = [&] {
        if (current.size() >= 2) {
            const bool closed = current.size() > 2 && current.first() == current.last();
            if (closed)
                current.removeLast();
            out.figures.push_back(current);
            out.closed.push_back(closed);
        }
        current.clear();
    };
    for (int i = 0; i < path.elementCount(); ++i) {
        const QPainterPath::Element e = path.elementAt(i);
        switch (e.type) {
        case QPainterPath::MoveToElement:
            finish();
            current << QPointF(e.x, e.y);
            break;
        case QPainterPath::LineToElement:
            current << QPointF(e.x, e.y);
            break;
        default:
            out.curved = true;
            return out;
        }
    }
    finish();
    return out;
}

std::optional<QRectF> axisRectangle(const QPolygonF& polygon)
{
    if (polygon.size() != 4)
        return std::nullopt;
    const QRectF box = polygon.boundingRect();
    for (const QPointF& p : polygon)
        if ((p.x() != box.left() && p.x() != box.right()) || (p.y() != box.top() && p.y() != box.bottom()))
            return std::nullopt;
    // Each corner once: consecutive points differ in exactly one coordinate.
    for (int i = 0; i < 4; ++i) {
        const QPointF a = polygon[i], b = polygon[(i + 1) % 4];
        if ((a.x() == b.x()) == (a.y() == b.y()))
            return std::nullopt;
    }
    return box;
}

std::vector<int32_t> runAdvances(const TextRun& run)
{
    const size_t n = std::min(run.text.size(), run.origins.size());
    std::vector<int32_t> dx(run.text.size(), 0);
    if (n == 0)
        return dx;
    const double rad = run.angle * M_PI / 180.0;
    const QPointF direction(std::cos(rad), -std::sin(rad));
    const QPointF first = run.origins[0];
    long previous = 0;
    for (size_t i = 1; i < n; ++i) {
        const QPointF d = run.origins[i] - first;
        const long along = std::lround(d.x() * direction.x() + d.y() * direction.y());
        dx[i - 1] = int32_t(along - previous);
        previous = along;
    }
    const double last = run.font ? run.font->advance(run.text[n - 1]) : 0;
    dx[n - 1] = int32_t(std::lround(last));
    return dx;
}

QRectF runExtent(const TextRun& run)
{
    QRectF box;
    if (!run.origins.empty() && run.font) {
        const double rad = run.angle * M_PI / 180.0;
        QTransform rotate;
        rotate.translate(run.origins[0].x(), run.origins[0].y());
        rotate.rotateRadians(-rad);
        const std::vector<int32_t> dx = runAdvances(run);
        double width = 0;
        for (int32_t d : dx)
            width += d;
        const QRectF cells(0, -run.font->ascent, std::max(width, 1.0), run.font->ascent + run.font->descent);
        box = rotate.mapRect(cells);
    }
    if (run.opaqueBox)
        box = box.united(run.opaqueBox->boundingRect());
    if (run.clipBox)
        box = box.intersected(run.clipBox->boundingRect());
    return box;
}

namespace {

QImage withTransparencyApplied(const ImageDraw& image, bool* needsAlpha)
{
    QImage out = image.source.convertToFormat(QImage::Format_ARGB32);
    const bool useMask = image.mode == ImageDraw::Mode::Mask && !image.mask.isNull();
    const QRgb key = image.transparentColor & 0xFFFFFF;
    bool translucent = false;
    for (int y = 0; y < out.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < out.width(); ++x) {
            QRgb& px = row[x];
            if (image.mode == ImageDraw::Mode::Transparent && (px & 0xFFFFFF) == key)
                px = 0;
            else if (useMask && x < image.mask.width() && y < image.mask.height() && image.mask.pixelIndex(x, y) == 0)
                px = 0;
            else if (image.mode == ImageDraw::Mode::Alpha) {
                const int a = (image.perPixelAlpha ? qAlpha(px) : 255) * image.constantAlpha / 255;
                px = qRgba(qRed(px), qGreen(px), qBlue(px), a);
            }
            translucent = translucent || qAlpha(px) != 255;
        }
    }
    *needsAlpha = translucent;
    return out;
}

} // namespace

void fillOpaqueBox(Device& recorder, const TextRun& run)
{
    if (!run.opaqueBox)
        return;
    DrawBrush fill;
    fill.kind = DrawBrush::Kind::Solid;
    fill.color = run.opaqueColor;
    QPainterPath box;
    box.addPolygon(*run.opaqueBox);
    box.closeSubpath();
    recorder.fillPath(box, Qt::WindingFill, fill);
}

RecordedImage recordedImage(const ImageDraw& image)
{
    RecordedImage out;
    out.area = image.deviceQuad.boundingRect();
    const QTransform& t = image.toDevice;
    out.upright = t.m12() == 0 && t.m21() == 0 && t.type() <= QTransform::TxScale;
    if (image.source.isNull())
        return out;
    // An opaque picture drawn by a raster operation is written as it is, in its own format
    // (a palette picture stays one).
    if (image.mode == ImageDraw::Mode::Rop && !image.source.hasAlphaChannel())
        out.source = image.source;
    else
        out.source = withTransparencyApplied(image, &out.alpha);
    return out;
}

namespace {

// Far-off or not-a-number coordinates of a damaged record stop at the edge of what a bounds
// rectangle can hold instead of wrapping around.
int32_t clampedToInt32(double value)
{
    if (std::isnan(value))
        return 0;
    constexpr double lowest = std::numeric_limits<int32_t>::min();
    constexpr double highest = std::numeric_limits<int32_t>::max();
    return int32_t(std::clamp(value, lowest, highest));
}

} // namespace

RectL inclusiveBounds(const QRectF& rect)
{
    return RectL{clampedToInt32(std::floor(rect.left())), clampedToInt32(std::floor(rect.top())),
                 clampedToInt32(std::ceil(rect.right()) - 1), clampedToInt32(std::ceil(rect.bottom()) - 1)};
}

} // namespace kv::gdi
