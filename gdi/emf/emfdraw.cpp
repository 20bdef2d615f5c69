// EMF drawing records: lines, polygons, Béziers, shapes, arcs, pixels and regions.
#include "gdi/emf/emfparse.h"

namespace kv::gdi::emfread {

namespace {

template <rec::PolyKind K, bool Short> bool poly(ByteReader& r, Context& c)
{
    readRect(r);  // rclBounds
    const uint32_t count = r.u32();
    auto points = readPoints(r, count, Short);
    return points && push(c, rec::Poly{K, std::move(*points)});
}

template <rec::PolyPolyKind K, bool Short> bool polyPoly(ByteReader& r, Context& c)
{
    readRect(r);
    const uint32_t polys = r.u32(), total = r.u32();
    if (!r.ok() || !r.fits(polys, 4))
        return false;
    std::vector<uint32_t> counts(polys);
    uint64_t sum = 0;
    for (uint32_t& n : counts) {
        n = r.u32();
        sum += n;
    }
    if (sum > total)
        return false;
    auto points = readPoints(r, total, Short);
    return points && push(c, rec::PolyPoly{K, std::move(counts), std::move(*points)});
}

template <bool Short> bool polyDraw(ByteReader& r, Context& c)
{
    readRect(r);
    const uint32_t count = r.u32();
    auto points = readPoints(r, count, Short);
    if (!points || !r.fits(count, 1))
        return false;
    const auto types = r.bytes(count);
    return push(c, rec::PolyDraw{std::move(*points), std::vector<uint8_t>(types.begin(), types.end())});
}

bool lineTo(ByteReader& r, Context& c) { return push(c, rec::LineTo{readPoint(r)}); }

template <rec::ShapeKind K> bool shape(ByteReader& r, Context& c) { return push(c, rec::Shape{K, readRect(r)}); }

bool roundRect(ByteReader& r, Context& c)
{
    const RectL box = readRect(r);
    return push(c, rec::RoundRect{box, readSize(r)});
}

template <rec::ArcKind K> bool arc(ByteReader& r, Context& c)
{
    const RectL box = readRect(r);
    const PointL start = readPoint(r);
    return push(c, rec::ArcShape{K, box, start, readPoint(r)});
}

bool angleArc(ByteReader& r, Context& c)
{
    const PointL center = readPoint(r);
    const uint32_t radius = r.u32();
    const float start = r.f32();
    return push(c, rec::AngleArc{center, radius, start, r.f32()});
}

bool setPixel(ByteReader& r, Context& c)
{
    const PointL p = readPoint(r);
    return push(c, rec::SetPixel{p, r.u32()});
}

bool extFloodFill(ByteReader& r, Context& c)
{
    const PointL start = readPoint(r);
    const ColorRef color = r.u32();
    return push(c, rec::FloodFill{start, color, r.u32() == FLOODFILLSURFACE});
}

// FILLRGN, FRAMERGN, INVERTRGN, PAINTRGN share bounds, data size, then their own fields.
template <rec::RegionOp Op> bool regionDraw(ByteReader& r, Context& c)
{
    readRect(r);
    const uint32_t size = r.u32();
    rec::RegionDraw d{Op, {}, 0, {}};
    if (Op == rec::RegionOp::Fill || Op == rec::RegionOp::Frame)
        d.brushIndex = r.u32();
    if (Op == rec::RegionOp::Frame)
        d.frame = readSize(r);
    auto region = readRegion(r, size);
    if (!region)
        return false;
    d.region = std::move(*region);
    return push(c, std::move(d));
}

constexpr KnownRecord kRecords[] = {
    {2, "POLYBEZIER", 28, poly<rec::PolyKind::PolyBezier, false>},
    {3, "POLYGON", 28, poly<rec::PolyKind::Polygon, false>},
    {4, "POLYLINE", 28, poly<rec::PolyKind::Polyline, false>},
    {5, "POLYBEZIERTO", 28, poly<rec::PolyKind::PolyBezierTo, false>},
    {6, "POLYLINETO", 28, poly<rec::PolyKind::PolylineTo, false>},
    {7, "POLYPOLYLINE", 32, polyPoly<rec::PolyPolyKind::PolyPolyline, false>},
    {8, "POLYPOLYGON", 32, polyPoly<rec::PolyPolyKind::PolyPolygon, false>},
    {15, "SETPIXELV", 20, setPixel},
    {41, "ANGLEARC", 28, angleArc},
    {42, "ELLIPSE", 24, shape<rec::ShapeKind::Ellipse>},
    {43, "RECTANGLE", 24, shape<rec::ShapeKind::Rectangle>},
    {44, "ROUNDRECT", 32, roundRect},
    {45, "ARC", 40, arc<rec::ArcKind::Arc>},
    {46, "CHORD", 40, arc<rec::ArcKind::Chord>},
    {47, "PIE", 40, arc<rec::ArcKind::Pie>},
    {53, "EXTFLOODFILL", 24, extFloodFill},
    {54, "LINETO", 16, lineTo},
    {55, "ARCTO", 40, arc<rec::ArcKind::ArcTo>},
    {56, "POLYDRAW", 28, polyDraw<false>},
    {70, "GDICOMMENT", 8, comment},
    {71, "FILLRGN", 32, regionDraw<rec::RegionOp::Fill>},
    {72, "FRAMERGN", 40, regionDraw<rec::RegionOp::Frame>},
    {73, "INVERTRGN", 28, regionDraw<rec::RegionOp::Invert>},
    {74, "PAINTRGN", 28, regionDraw<rec::RegionOp::Paint>},
    {85, "POLYBEZIER16", 28, poly<rec::PolyKind::PolyBezier, true>},
    {86, "POLYGON16", 28, poly<rec::PolyKind::Polygon, true>},
    {87, "POLYLINE16", 28, poly<rec::PolyKind::Polyline, true>},
    {88, "POLYBEZIERTO16", 28, poly<rec::PolyKind::PolyBezierTo, true>},
    {89, "POLYLINETO16", 28, poly<rec::PolyKind::PolylineTo, true>},
    {90, "POLYPOLYLINE16", 32, polyPoly<rec::PolyPolyKind::PolyPolyline, true>},
    {91, "POLYPOLYGON16", 32, polyPoly<rec::PolyPolyKind::PolyPolygon, true>},
    {92, "POLYDRAW16", 28, polyDraw<true>},
};

} // namespace

std::optional<std::vector<PointL>> readPoints(ByteReader& r, uint32_t count, bool shortPoints)
{
    if (!r.ok() || !r.fits(count, shortPoints ? 4 : 8))
        return std::nullopt;
    std::vector<PointL> points(count);
    for (PointL& p : points) {
        if (shortPoints) {
            p.x = r.i16();
            p.y = r.i16();
        } else {
            p = readPoint(r);
        }
    }
    return points;
}

// RGNDATA: a 32-byte header (size, type, count, data size, bounds), then the rectangles.
std::optional<RegionData> readRegion(ByteReader& r, uint32_t size)
{
    ByteReader d = r.sub(r.pos(), size);
    r.skip(size);
    const uint32_t headerSize = d.u32();
    d.u32();  // iType
    const uint32_t count = d.u32();
    d.u32();  // nRgnSize
    RegionData region;
    region.bounds = readRect(d);
    if (!d.ok() || headerSize < 32)
        return std::nullopt;
    d.seek(headerSize);
    if (!d.ok() || !d.fits(count, 16))
        return std::nullopt;
    region.rects.resize(count);
    for (RectL& rect : region.rects)
        rect = readRect(d);
    return region;
}

std::span<const KnownRecord> drawRecords() { return kRecords; }

} // namespace kv::gdi::emfread
