// WMF drawing records: lines, shapes, polygons and text, in the file's logical units.
#include "gdi/wmf/wmfgeometry.h"
#include "gdi/wmf/wmfparser.h"

#include <numeric>

namespace kv::gdi {

using wmf::readPoints;
using wmf::readRect;
using wmf::readReversedPoint;
using wmf::readReversedRect;

bool WmfParser::lineTo(ByteReader& p) { push(rec::LineTo{readReversedPoint(p)}); return true; }
bool WmfParser::moveTo(ByteReader& p) { push(rec::MoveTo{readReversedPoint(p)}); return true; }

bool WmfParser::arcShape(ByteReader& p, rec::ArcKind kind)
{
    const PointL end = readReversedPoint(p);
    const PointL start = readReversedPoint(p);
    const RectL box = readReversedRect(p);
    push(rec::ArcShape{kind, box, start, end});
    return true;
}

bool WmfParser::arc(ByteReader& p) { return arcShape(p, rec::ArcKind::Arc); }
bool WmfParser::chord(ByteReader& p) { return arcShape(p, rec::ArcKind::Chord); }
bool WmfParser::pie(ByteReader& p) { return arcShape(p, rec::ArcKind::Pie); }

bool WmfParser::ellipse(ByteReader& p) { push(rec::Shape{rec::ShapeKind::Ellipse, readReversedRect(p)}); return true; }
bool WmfParser::rectangle(ByteReader& p) { push(rec::Shape{rec::ShapeKind::Rectangle, readReversedRect(p)}); return true; }

bool WmfParser::roundRect(ByteReader& p)
{
    const int32_t height = p.i16();
    const int32_t width = p.i16();
    push(rec::RoundRect{readReversedRect(p), SizeL{width, height}});
    return true;
}

bool WmfParser::setPixel(ByteReader& p)
{
    const ColorRef color = p.u32();
    push(rec::SetPixel{readReversedPoint(p), color});
    return true;
}

bool WmfParser::floodFill(ByteReader& p)
{
    const ColorRef color = p.u32();
    push(rec::FloodFill{readReversedPoint(p), color, false});
    return true;
}

bool WmfParser::extFloodFill(ByteReader& p)
{
    const bool surface = p.u16() == FLOODFILLSURFACE;
    const ColorRef color = p.u32();
    push(rec::FloodFill{readReversedPoint(p), color, surface});
    return true;
}

bool WmfParser::polygon(ByteReader& p)
{
    std::vector<PointL> points = readPoints(p, p.u16());
    if (points.empty())
        return false;
    push(rec::Poly{rec::PolyKind::Polygon, std::move(points)});
    return true;
}

bool WmfParser::polyline(ByteReader& p)
{
    std::vector<PointL> points = readPoints(p, p.u16());
    if (points.empty())
        return false;
    push(rec::Poly{rec::PolyKind::Polyline, std::move(points)});
    return true;
}

bool WmfParser::polyPolygon(ByteReader& p)
{
    const uint16_t polygons = p.u16();
    if (polygons == 0 || !p.fits(polygons, 2))
        return false;
    std::vector<uint32_t> counts(polygons);
    for (uint32_t& c : counts)
        c = p.u16();
    const uint64_t total = std::accumulate(counts.begin(), counts.end(), uint64_t(0));
    std::vector<PointL> points = readPoints(p, total);
    if (points.size() != total || total == 0)
        return false;
    push(rec::PolyPoly{rec::PolyPolyKind::PolyPolygon, std::move(counts), std::move(points)});
    return true;
}

bool WmfParser::textOut(ByteReader& p)
{
    const uint16_t length = p.u16();
    const std::span<const uint8_t> text = p.bytes(length);
    p.skip(length & 1);
    rec::TextOut t;
    t.reference = readReversedPoint(p);
    if (!p.ok())
        return false;
    t.ansi = true;
    t.bytes.assign(text.begin(), text.end());
    push(std::move(t));
    return true;
}

bool WmfParser::extTextOut(ByteReader& p)
{
    rec::TextOut t;
    t.reference = readReversedPoint(p);
    const uint16_t length = p.u16();
    t.options = p.u16();
    if (t.options & (ETO_OPAQUE | ETO_CLIPPED))
        t.rect = readRect(p);
    const std::span<const uint8_t> text = p.bytes(length);
    if (!p.ok())
        return false;
    p.skip(length & 1);
    t.ansi = true;
    t.bytes.assign(text.begin(), text.end());
    // Advances are optional; with ETO_PDY they come in (dx, dy) pairs.
    const size_t perChar = (t.options & ETO_PDY) ? 2 : 1;
    if (p.ok() && p.fits(uint64_t(length) * perChar, 2)) {
        t.dx.resize(size_t(length) * perChar);
        for (int32_t& d : t.dx)
            d = p.i16();
    } else {
        t.options &= ~uint32_t(ETO_PDY);
    }
    push(std::move(t));
    return true;
}

} // namespace kv::gdi
