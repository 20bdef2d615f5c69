// EMF+ drawing records: fills and strokes of rectangles, polygons, lines, ellipses, pies,
// arcs, paths, regions, curves and Béziers; images; strings. Shapes are built here, in world
// units, so that the player only maps and draws them.
#include "gdi/emfplus/emfplusparse.h"

#include <cmath>

namespace kv::gdi::plus::read {

namespace {

constexpr uint16_t kClosedOrWinding = 0x2000;  // DrawLines: closed; FillClosedCurve: winding

BrushRef readBrushRef(ByteReader& r, uint16_t flags)
{
    BrushRef b;
    if (flags & kSolidColor) {
        b.solid = true;
        b.color = readColor(r);
    } else {
        b.id = uint8_t(r.u32());
    }
    return b;
}

uint8_t objectId(uint16_t flags) { return uint8_t(flags & 0xFF); }

std::optional<QPolygonF> countedPoints(ByteReader& r, uint16_t flags)
{
    const uint32_t count = r.u32();
    return readPoints(r, count, flags);
}

// A rectangle list: the record's count, then the rectangles.
bool readRects(ByteReader& r, uint16_t flags, QPainterPath& out)
{
    const uint32_t count = r.u32();
    if (count > kMaxPoints || !r.fits(count, (flags & kCompressed) ? 8 : 16))
        return false;
    for (uint32_t i = 0; i < count; ++i)
        out.addRect(readRect(r, flags & kCompressed).normalized());
    return r.ok();
}

// GDI+ angles run clockwise on the page (y down) from the x axis; Qt's run the other way.
QPainterPath arcPath(const QRectF& box, double start, double sweep, bool pie)
{
    QPainterPath path;
    if (!std::isfinite(start) || !std::isfinite(sweep))
        return path;
    sweep = std::clamp(sweep, -360.0, 360.0);
    if (pie)
        path.moveTo(box.center());
    else
        path.arcMoveTo(box, -start);
    path.arcTo(box, -start, -sweep);
    if (pie)
        path.closeSubpath();
    return path;
}

// A cardinal spline through the points as Béziers: each segment's control points lie a
// third of the tension along the neighbours' chord.
QPainterPath cardinalSpline(const QPolygonF& p, double tension, bool closed, size_t first = 0, size_t segments = SIZE_MAX)
{
    QPainterPath path;
    const size_t n = size_t(p.size());
    if (n < 2 || !std::isfinite(tension))
        return path;
    const double k = tension / 3;
    const auto at = [&](int64_t i) {
        if (closed)
            return p[qsizetype(((i % int64_t(n)) + int64_t(n)) % int64_t(n))];
        return p[qsizetype(std::clamp<int64_t>(i, 0, int64_t(n) - 1))];
    };
    const size_t total = closed ? n : n - 1;
    const size_t last = std::min(total, first + std::min(segments, total));
    path.moveTo(at(int64_t(first)));
    for (size_t i = first; i < last; ++i) {
        const int64_t j = int64_t(i);
        const QPointF c1 = at(j) + (at(j + 1) - at(j - 1)) * k;
        const QPointF c2 = at(j + 1) - (at(j + 2) - at(j)) * k;
        path.cubicTo(c1, c2, at(j + 1));
    }
    if (closed)
        path.closeSubpath();
    return path;
}

QPainterPath polygonPath(const QPolygonF& points, bool closed)
{
    QPainterPath path;
    if (points.isEmpty())
        return path;
    path.addPolygon(points);
    if (closed)
        path.closeSubpath();
    return path;
}

bool push(std::vector<rec::Record>& out, rec::Record r)
{
    out.push_back(std::move(r));
    return true;
}

bool fill(std::vector<rec::Record>& out, QPainterPath shape, BrushRef brush, bool ok, Qt::FillRule rule = Qt::OddEvenFill)
{
    if (!ok)
        return false;
    return push(out, rec::Fill{ShapeRef{std::move(shape), {}, {}}, brush, rule});
}

bool stroke(std::vector<rec::Record>& out, QPainterPath shape, uint16_t flags, bool ok)
{
    if (!ok)
        return false;
    return push(out, rec::Stroke{ShapeRef{std::move(shape), {}, {}}, objectId(flags)});
}

bool fillRects(ByteReader& r, uint16_t f, std::vector<rec::Record>& out)
{
    const BrushRef brush = readBrushRef(r, f);
    QPainterPath shape;
    const bool ok = readRects(r, f, shape);
    return fill(out, shape, brush, ok, Qt::WindingFill);
}

bool drawRects(ByteReader& r, uint16_t f, std::vector<rec::Record>& out)
{
    QPainterPath shape;
    const bool ok = readRects(r, f, shape);
    return stroke(out, shape, f, ok);
}

bool fillPolygon(ByteReader& r, uint16_t f, std::vector<rec::Record>& out)
{
    const BrushRef brush = readBrushRef(r, f);
    const auto points = countedPoints(r, f);
    return fill(out, points ? polygonPath(*points, true) : QPainterPath(), brush, points.has_value());
}

bool drawLines(ByteReader& r, uint16_t f, std::vector<rec::Record>& out)
{
    const auto points = countedPoints(r, f);
    return stroke(out, points ? polygonPath(*points, f & kClosedOrWinding) : QPainterPath(), f, points.has_value());
}

bool fillEllipse(ByteReader& r, uint16_t f, std::vector<rec::Record>& out)
{
    const BrushRef brush = readBrushRef(r, f);
    QPainterPath shape;
    shape.addEllipse(readRect(r, f & kCompressed));
    return fill(out, shape, brush, r.ok());
}

bool drawEllipse(ByteReader& r, uint16_t f, std::vector<rec::Record>& out)
{
    QPainterPath shape;
    shape.addEllipse(readRect(r, f & kCompressed));
    return stroke(out, shape, f, r.ok());
}

bool fillPie(ByteReader& r, uint16_t f, std::vector<rec::Record>& out)
{
    const BrushRef brush = readBrushRef(r, f);
    const double start = r.f32(), sweep = r.f32();
    const QRectF box = readRect(r, f & kCompressed);
    return fill(out, arcPath(box, start, sweep, true), brush, r.ok());
}

template <bool Pie> bool drawArc(ByteReader& r, uint16_t f, std::vector<rec::Record>& out)
{
    const double start = r.f32(), sweep = r.f32();
    const QRectF box = readRect(r, f & kCompressed);
    return stroke(out, arcPath(box, start, sweep, Pie), f, r.ok());
}

bool fillRegion(ByteReader& r, uint16_t f, std::vector<rec::Record>& out)
{
    const BrushRef brush = readBrushRef(r, f);
    return r.ok() && push(out, rec::Fill{ShapeRef{{}, {}, objectId(f)}, brush, Qt::OddEvenFill});
}

bool fillPath(ByteReader& r, uint16_t f, std::vector<rec::Record>& out)
{
    const BrushRef brush = readBrushRef(r, f);
    return r.ok() && push(out, rec::Fill{ShapeRef{{}, objectId(f), {}}, brush, Qt::OddEvenFill});
}

bool drawPath(ByteReader& r, uint16_t f, std::vector<rec::Record>& out)
{
    const uint32_t pen = r.u32();
    return r.ok() && push(out, rec::Stroke{ShapeRef{{}, objectId(f), {}}, uint8_t(pen)});
}

bool fillClosedCurve(ByteReader& r, uint16_t f, std::vector<rec::Record>& out)
{
    const BrushRef brush = readBrushRef(r, f);
    const double tension = r.f32();
    const auto points = countedPoints(r, f);
    return fill(out, points ? cardinalSpline(*points, tension, true) : QPainterPath(), brush, points.has_value(),
                (f & kClosedOrWinding) ? Qt::WindingFill : Qt::OddEvenFill);
}

bool drawClosedCurve(ByteReader& r, uint16_t f, std::vector<rec::Record>& out)
{
    const double tension = r.f32();
    const auto points = countedPoints(r, f);
    return stroke(out, points ? cardinalSpline(*points, tension, true) : QPainterPath(), f, points.has_value());
}

bool drawCurve(ByteReader& r, uint16_t f, std::vector<rec::Record>& out)
{
    const double tension = r.f32();
    const uint32_t offset = r.u32(), segments = r.u32();
    const auto points = countedPoints(r, f & kCompressed);
    return stroke(out, points ? cardinalSpline(*points, tension, false, offset, segments) : QPainterPath(), f,
                  points.has_value());
}

bool drawBeziers(ByteReader& r, uint16_t f, std::vector<rec::Record>& out)
{
    const auto points = countedPoints(r, f);
    QPainterPath shape;
    if (points && !points->isEmpty()) {
        shape.moveTo(points->front());
        for (qsizetype i = 1; i + 2 < points->size(); i += 3)
            shape.cubicTo((*points)[i], (*points)[i + 1], (*points)[i + 2]);
    }
    return stroke(out, shape, f, points.has_value());
}

bool drawImage(ByteReader& r, uint16_t f, std::vector<rec::Record>& out)
{
    r.u32();  // image attributes
    rec::DrawImage d;
    d.imageId = objectId(f);
    d.srcUnit = r.u32();
    d.src = readRectF(r);
    const QRectF dest = readRect(r, f & kCompressed);
    d.dest = QPolygonF{dest.topLeft(), dest.topRight(), dest.bottomLeft()};
    return r.ok() && push(out, std::move(d));
}

bool drawImagePoints(ByteReader& r, uint16_t f, std::vector<rec::Record>& out)
{
    r.u32();  // image attributes
    rec::DrawImage d;
    d.imageId = objectId(f);
    d.srcUnit = r.u32();
    d.src = readRectF(r);
    const auto points = countedPoints(r, f);
    if (!points || points->size() != 3)
        return false;
    d.dest = *points;
    return push(out, std::move(d));
}

bool readText(ByteReader& r, uint32_t length, std::u16string& text)
{
    if (!r.fits(length, 2))
        return false;
    text.reserve(length);
    for (uint32_t i = 0; i < length; ++i)
        text.push_back(char16_t(r.u16()));
    return r.ok();
}

bool drawString(ByteReader& r, uint16_t f, std::vector<rec::Record>& out)
{
    rec::DrawString d;
    d.fontId = objectId(f);
    d.brush = readBrushRef(r, f);
    d.formatId = r.u32();
    const uint32_t length = r.u32();
    d.layout = readRectF(r);
    return readText(r, length, d.text) && push(out, std::move(d));
}

bool drawDriverString(ByteReader& r, uint16_t f, std::vector<rec::Record>& out)
{
    rec::DrawDriverString d;
    d.fontId = objectId(f);
    d.brush = readBrushRef(r, f);
    d.options = r.u32();
    if (!(d.options & 0x1))
        return false;  // glyph indices of the writer's fonts: nothing ours can draw
    const uint32_t matrixPresent = r.u32();
    const uint32_t count = r.u32();
    if (!readText(r, count, d.text) || !r.fits(count, 8))
        return false;
    for (uint32_t i = 0; i < count; ++i) {
        const double x = r.f32(), y = r.f32();
        d.positions.emplace_back(std::isfinite(x) ? x : 0, std::isfinite(y) ? y : 0);
    }
    if (matrixPresent)
        d.transform = readMatrix(r);
    return r.ok() && push(out, std::move(d));
}

bool clear(ByteReader& r, uint16_t, std::vector<rec::Record>& out)
{
    const QColor c = readColor(r);
    return r.ok() && push(out, rec::Clear{c});
}

constexpr KnownRecord kDrawing[] = {
    {0x4009, "Clear", clear},
    {0x400A, "FillRects", fillRects},
    {0x400B, "DrawRects", drawRects},
    {0x400C, "FillPolygon", fillPolygon},
    {0x400D, "DrawLines", drawLines},
    {0x400E, "FillEllipse", fillEllipse},
    {0x400F, "DrawEllipse", drawEllipse},
    {0x4010, "FillPie", fillPie},
    {0x4011, "DrawPie", drawArc<true>},
    {0x4012, "DrawArc", drawArc<false>},
    {0x4013, "FillRegion", fillRegion},
    {0x4014, "FillPath", fillPath},
    {0x4015, "DrawPath", drawPath},
    {0x4016, "FillClosedCurve", fillClosedCurve},
    {0x4017, "DrawClosedCurve", drawClosedCurve},
    {0x4018, "DrawCurve", drawCurve},
    {0x4019, "DrawBeziers", drawBeziers},
    {0x401A, "DrawImage", drawImage},
    {0x401B, "DrawImagePoints", drawImagePoints},
    {0x401C, "DrawString", drawString},
    {0x4036, "DrawDriverString", drawDriverString},
};

} // namespace

std::span<const KnownRecord> drawingRecords() { return kDrawing; }

} // namespace kv::gdi::plus::read
