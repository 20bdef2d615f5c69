// Dc lines and shapes: everything is resolved into device space here and either added to an
// open path bracket or handed to the device. Device coordinates name pixels as GDI does: a
// fill covers the pixels whose corners lie inside, a one-pixel line on integer coordinates
// lights the pixels it names (the painter draws thin lines unsmoothed, right of and below
// the mathematical line).
#include "gdi/dc/dcimpl.h"

#include <algorithm>
#include <cmath>

namespace kv::gdi {

namespace {

constexpr double kPi = 3.14159265358979323846;

QPainterPath polygonPath(const QPolygonF& points, bool closed)
{
    QPainterPath path;
    if (points.isEmpty())
        return path;
    path.moveTo(points.first());
    for (qsizetype i = 1; i < points.size(); ++i)
        path.lineTo(points[i]);
    if (closed)
        path.closeSubpath();
    return path;
}

// Qt's parametric angle (degrees, counter-clockwise on a y-down plane) of the point where
// the ray from the ellipse's centre through `p` meets it.
double ellipseAngle(const QRectF& box, QPointF p)
{
    const QPointF c = box.center();
    const double rx = std::max(box.width() / 2, 1e-9), ry = std::max(box.height() / 2, 1e-9);
    return std::atan2(-(p.y() - c.y()) / ry, (p.x() - c.x()) / rx) * 180 / kPi;
}

QRectF normalizedBox(const RectL& b)
{
    return QRectF(QPointF(b.left, b.top), QPointF(b.right, b.bottom)).normalized();
}

} // namespace

bool Dc::Impl::axisAligned() const
{
    const QTransform t = toDevice();
    return std::fabs(t.m12()) < 1e-9 && std::fabs(t.m21()) < 1e-9;
}

QPolygonF Dc::Impl::mapPoints(std::span<const PointL> points) const
{
    const QTransform t = toDevice();
    QPolygonF out;
    out.reserve(qsizetype(points.size()));
    for (const PointL& p : points)
        out.append(t.map(QPointF(p.x, p.y)));
    return out;
}

// GDI's compatible mode leaves out the right and bottom edges of rectangles and ellipses.
QRectF Dc::Impl::deviceBox(const RectL& box) const
{
    QRectF r = toDevice().mapRect(normalizedBox(box));
    if (dc.state_.graphicsMode == GM_COMPATIBLE) {
        r.setRight(std::max(r.left(), r.right() - 1));
        r.setBottom(std::max(r.top(), r.bottom() - 1));
    }
    const Pen* p = pen();
    if (p && (p->style & PS_STYLE_MASK) == PS_INSIDEFRAME) {
        const double inset = std::min(drawPen().width / 2 - 0.5, std::min(r.width(), r.height()) / 2);
        if (inset > 0)
            r.adjust(inset, inset, -inset, -inset);
    }
    return r;
}

void Dc::Impl::fillDevicePath(const QPainterPath& path, Qt::FillRule rule, const DrawBrush& brush)
{
    if (brush.isNull() || path.isEmpty())
        return;
    syncClip();
    QPainterPath p = path;
    p.setFillRule(rule);
    dc.device_->fillPath(p, rule, brush);
    addBounds(p.boundingRect());
}

void Dc::Impl::strokeDevicePath(const QPainterPath& path, const DrawPen& pen)
{
    if (!pen.visible || path.isEmpty())
        return;
    syncClip();
    dc.device_->strokePath(path, pen);
    const double half = pen.width / 2;
    addBounds(path.boundingRect().adjusted(-half, -half, half, half));
}

void Dc::Impl::emitShape(const QPainterPath& path, bool fill, bool stroke)
{
    DcState& s = dc.state_;
    if (s.pathOpen) {
        s.path.addPath(path);
        pathFigureOpen = false;
        return;
    }
    if (fill)
        fillDevicePath(path, fillRule(), drawBrush());
    if (stroke)
        strokeDevicePath(path, drawPen());
}

// Open lines. In a path bracket they continue the current figure when it ends where they
// start (LineTo, PolylineTo), else they open a new one.
void Dc::Impl::emitLines(const QPainterPath& path)
{
    DcState& s = dc.state_;
    if (!s.pathOpen) {
        strokeDevicePath(path, drawPen());
        return;
    }
    for (int i = 0; i < path.elementCount(); ++i) {
        const QPainterPath::Element e = path.elementAt(i);
        if (e.isMoveTo()) {
            if (!(pathFigureOpen && s.path.currentPosition() == QPointF(e)))
                s.path.moveTo(e);
        } else if (e.isLineTo()) {
            s.path.lineTo(e);
        } else if (e.type == QPainterPath::CurveToElement && i + 2 < path.elementCount()) {
            s.path.cubicTo(e, path.elementAt(i + 1), path.elementAt(i + 2));
            i += 2;
        }
    }
    pathFigureOpen = true;
}

// ---- lines ---------------------------------------------------------------------------------

void Dc::moveTo(int32_t x, int32_t y)
{
    state_.currentPosition = QPointF(x, y);
    impl_->pathFigureOpen = false;
}

void Dc::lineTo(int32_t x, int32_t y)
{
    QPainterPath path(impl_->map(state_.currentPosition.x(), state_.currentPosition.y()));
    path.lineTo(impl_->map(x, y));
    impl_->emitLines(path);
    state_.currentPosition = QPointF(x, y);
}

void Dc::polyline(std::span<const PointL> points)
{
    if (points.size() < 2)
        return;
    impl_->pathFigureOpen = false;  // Polyline always starts a figure of its own
    impl_->emitLines(polygonPath(impl_->mapPoints(points), false));
}

void Dc::polylineTo(std::span<const PointL> points)
{
    if (points.empty())
        return;
    QPolygonF pts = impl_->mapPoints(points);
    pts.prepend(impl_->map(state_.currentPosition.x(), state_.currentPosition.y()));
    impl_->emitLines(polygonPath(pts, false));
    state_.currentPosition = QPointF(points.back().x, points.back().y);
}

void Dc::polygon(std::span<const PointL> points)
{
    if (points.size() < 2)
        return;
    impl_->emitShape(polygonPath(impl_->mapPoints(points), true), true, true);
}

void Dc::polyPolyline(std::span<const uint32_t> counts, std::span<const PointL> points)
{
    size_t at = 0;
    for (uint32_t n : counts) {
        if (n > points.size() - at)
            break;
        polyline(points.subspan(at, n));
        at += n;
    }
}

void Dc::polyPolygon(std::span<const uint32_t> counts, std::span<const PointL> points)
{
    QPainterPath path;
    size_t at = 0;
    for (uint32_t n : counts) {
        if (n > points.size() - at)
            break;
        if (n >= 2)
            path.addPath(polygonPath(impl_->mapPoints(points.subspan(at, n)), true));
        at += n;
    }
    impl_->emitShape(path, true, true);
}

namespace {

// Points p0, then groups of three (two controls and an end point).
QPainterPath bezierPath(const QPolygonF& pts)
{
    QPainterPath path(pts.first());
    for (qsizetype i = 1; i + 2 < pts.size(); i += 3)
        path.cubicTo(pts[i], pts[i + 1], pts[i + 2]);
    return path;
}

} // namespace

void Dc::polyBezier(std::span<const PointL> points)
{
    if (points.size() < 4)
        return;
    impl_->pathFigureOpen = false;
    impl_->emitLines(bezierPath(impl_->mapPoints(points)));
}

void Dc::polyBezierTo(std::span<const PointL> points)
{
    if (points.size() < 3)
        return;
    QPolygonF pts = impl_->mapPoints(points);
    pts.prepend(impl_->map(state_.currentPosition.x(), state_.currentPosition.y()));
    impl_->emitLines(bezierPath(pts));
    const PointL last = points[points.size() - points.size() % 3 - 1];
    state_.currentPosition = QPointF(last.x, last.y);
}

void Dc::polyDraw(std::span<const PointL> points, std::span<const uint8_t> types)
{
    enum : uint8_t { PT_CLOSEFIGURE = 1, PT_LINETO = 2, PT_BEZIERTO = 4, PT_MOVETO = 6 };
    const size_t n = std::min(points.size(), types.size());
    const QPolygonF pts = impl_->mapPoints(points.first(n));
    QPainterPath path(impl_->map(state_.currentPosition.x(), state_.currentPosition.y()));
    for (size_t i = 0; i < n; ++i) {
        const uint8_t t = types[i] & ~PT_CLOSEFIGURE;
        if (t == PT_MOVETO) {
            path.moveTo(pts[qsizetype(i)]);
        } else if (t == PT_LINETO) {
            path.lineTo(pts[qsizetype(i)]);
        } else if (t == PT_BEZIERTO && i + 2 < n) {
            path.cubicTo(pts[qsizetype(i)], pts[qsizetype(i + 1)], pts[qsizetype(i + 2)]);
            i += 2;
        } else {
            return;  // GDI rejects the whole call on a bad type
        }
        if (types[i] & PT_CLOSEFIGURE)
            path.closeSubpath();
        state_.currentPosition = QPointF(points[i].x, points[i].y);
    }
    impl_->emitLines(path);
}

// ---- shapes --------------------------------------------------------------------------------

void Dc::rectangle(const RectL& box)
{
    QPainterPath path;
    if (impl_->axisAligned())
        path.addRect(impl_->deviceBox(box));
    else
        path.addPolygon(impl_->mapPoints(std::array<PointL, 5>{
            PointL{box.left, box.top}, {box.right, box.top}, {box.right, box.bottom}, {box.left, box.bottom},
            {box.left, box.top}}));
    path.closeSubpath();
    impl_->emitShape(path, true, true);
}

void Dc::roundRect(const RectL& box, SizeL corner)
{
    if (!impl_->axisAligned()) {
        QPainterPath logical;
        logical.addRoundedRect(normalizedBox(box), std::abs(corner.cx) / 2.0, std::abs(corner.cy) / 2.0);
        impl_->emitShape(impl_->toDevice().map(logical), true, true);
        return;
    }
    const QRectF r = impl_->deviceBox(box);
    const double rx = std::min(r.width() / 2, std::abs(corner.cx * impl_->xScale()) / 2);
    const double ry = std::min(r.height() / 2, std::abs(corner.cy * impl_->yScale()) / 2);
    QPainterPath path;
    path.addRoundedRect(r, rx, ry);
    impl_->emitShape(path, true, true);
}

void Dc::ellipse(const RectL& box)
{
    QPainterPath path;
    if (impl_->axisAligned()) {
        path.addEllipse(impl_->deviceBox(box));
    } else {
        QPainterPath logical;
        logical.addEllipse(normalizedBox(box));
        path = impl_->toDevice().map(logical);
    }
    impl_->emitShape(path, true, true);
}

namespace {

// Start angle and sweep (Qt's degrees) of an arc of `box` from the ray through `start` to the
// ray through `end`, counter-clockwise (as seen in logical space with y down) unless
// `clockwise`. Equal rays make a full ellipse.
std::pair<double, double> arcAngles(const QRectF& box, PointL start, PointL end, bool clockwise)
{
    const double a0 = ellipseAngle(box, QPointF(start.x, start.y));
    const double a1 = ellipseAngle(box, QPointF(end.x, end.y));
    double sweep = clockwise ? a0 - a1 : a1 - a0;
    sweep = std::fmod(sweep + 720, 360);
    if (sweep <= 1e-9)
        sweep = 360;
    return {a0, clockwise ? -sweep : sweep};
}

} // namespace

// Arcs are built in logical space and mapped as a whole, so a mapping that flips an axis
// flips the direction seen on the page, as GDI does.
void Dc::arc(const RectL& box, PointL start, PointL end)
{
    const QRectF r = normalizedBox(box);
    const auto [a0, sweep] = arcAngles(r, start, end, state_.arcDirection == AD_CLOCKWISE);
    QPainterPath logical;
    logical.arcMoveTo(r, a0);
    logical.arcTo(r, a0, sweep);
    impl_->pathFigureOpen = false;
    impl_->emitLines(impl_->toDevice().map(logical));
}

void Dc::arcTo(const RectL& box, PointL start, PointL end)
{
    const QRectF r = normalizedBox(box);
    const auto [a0, sweep] = arcAngles(r, start, end, state_.arcDirection == AD_CLOCKWISE);
    QPainterPath logical(state_.currentPosition);
    logical.arcTo(r, a0, sweep);
    impl_->emitLines(impl_->toDevice().map(logical));
    state_.currentPosition = logical.currentPosition();
}

void Dc::chord(const RectL& box, PointL start, PointL end)
{
    const QRectF r = normalizedBox(box);
    const auto [a0, sweep] = arcAngles(r, start, end, state_.arcDirection == AD_CLOCKWISE);
    QPainterPath logical;
    logical.arcMoveTo(r, a0);
    logical.arcTo(r, a0, sweep);
    logical.closeSubpath();
    impl_->emitShape(impl_->toDevice().map(logical), true, true);
}

void Dc::pie(const RectL& box, PointL start, PointL end)
{
    const QRectF r = normalizedBox(box);
    const auto [a0, sweep] = arcAngles(r, start, end, state_.arcDirection == AD_CLOCKWISE);
    QPainterPath logical(r.center());
    logical.arcTo(r, a0, sweep);
    logical.closeSubpath();
    impl_->emitShape(impl_->toDevice().map(logical), true, true);
}

void Dc::angleArc(PointL center, uint32_t radius, float startAngle, float sweepAngle)
{
    if (!std::isfinite(startAngle) || !std::isfinite(sweepAngle) || radius > (1u << 30))
        return;
    const double r = radius;
    const QRectF box(center.x - r, center.y - r, 2 * r, 2 * r);
    QPainterPath logical(state_.currentPosition);
    logical.arcTo(box, startAngle, std::clamp(double(sweepAngle), -3600.0, 3600.0));
    impl_->emitLines(impl_->toDevice().map(logical));
    state_.currentPosition = logical.currentPosition();
}

void Dc::setPixel(int32_t x, int32_t y, ColorRef color)
{
    const QPointF p = impl_->map(x, y);
    QPainterPath path;
    path.addRect(QRectF(std::floor(p.x()), std::floor(p.y()), 1, 1));
    DrawBrush b = impl_->solidBrush(color);
    b.rop2 = R2_COPYPEN;
    impl_->fillDevicePath(path, Qt::WindingFill, b);
}

void Dc::floodFill(int32_t x, int32_t y, ColorRef color, bool surface)
{
    impl_->syncClip();
    const QPointF start = impl_->map(x, y);
    if (impl_->sentClip && !impl_->sentClip->contains(QPoint(int(std::floor(start.x())), int(std::floor(start.y())))))
        return;  // GDI fills nothing from a point outside the clip
    const DrawBrush brush = impl_->drawBrush();
    if (brush.isNull())
        return;
    // Each fill reads the whole page's pixels: a file asking for thousands must not stall playback.
    const std::optional<QPainterPath> area = impl_->floodFills < Impl::kMaxFloodFills
        ? device_->floodArea(start, impl_->color(color).rgb(), surface)
        : std::nullopt;
    ++impl_->floodFills;
    if (!area) {
        ++impl_->skippedFloodFills;
        return;
    }
    impl_->fillDevicePath(*area, Qt::WindingFill, brush);
}

int Dc::skippedFloodFills() const
{
    return impl_->skippedFloodFills;
}

} // namespace kv::gdi
