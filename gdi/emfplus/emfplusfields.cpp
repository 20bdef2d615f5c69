// EMF+ field readers: colours, rectangles, matrices and the three encodings of point lists.
#include "gdi/emfplus/emfplusparse.h"

#include <cmath>

namespace kv::gdi::plus::read {

namespace {

// Coordinates beyond this are nonsense from a damaged record; they are clamped so that the
// painting code never meets infinities or NaNs. Writers do use world units in the billions
// with a tiny world transform.
constexpr double kMaxCoordinate = 1e15;

double sane(float v)
{
    if (!std::isfinite(v))
        return 0;
    return std::clamp<double>(v, -kMaxCoordinate, kMaxCoordinate);
}

// A 7-bit step in one byte (high bit clear) or a 15-bit step in two (high bit set), both
// signed; the two bytes of a long step are read high part first.
int32_t readStep(ByteReader& r)
{
    const uint8_t first = r.u8();
    if (!(first & 0x80))
        return (first & 0x40) ? int32_t(first) - 0x80 : int32_t(first);
    const int32_t value = (int32_t(first & 0x7F) << 8) | r.u8();
    return (value & 0x4000) ? value - 0x8000 : value;
}

} // namespace

QColor readColor(ByteReader& r)
{
    const uint32_t argb = r.u32();
    return QColor::fromRgba(argb);
}

QRectF readRectF(ByteReader& r)
{
    const double x = sane(r.f32()), y = sane(r.f32()), w = sane(r.f32()), h = sane(r.f32());
    return QRectF(x, y, w, h);
}

QRectF readRect(ByteReader& r, bool compressed)
{
    if (!compressed)
        return readRectF(r);
    const double x = r.i16(), y = r.i16(), w = r.i16(), h = r.i16();
    return QRectF(x, y, w, h);
}

QTransform readMatrix(ByteReader& r)
{
    double m[6];
    for (double& v : m)
        v = sane(r.f32());
    return QTransform(m[0], m[1], m[2], m[3], m[4], m[5]);
}

std::optional<QPolygonF> readPoints(ByteReader& r, uint32_t count, uint16_t flags)
{
    const uint64_t minBytes = (flags & kRelative) ? 2 : (flags & kCompressed) ? 4 : 8;
    if (count > kMaxPoints || !r.fits(count, minBytes))
        return std::nullopt;
    QPolygonF points;
    points.reserve(qsizetype(count));
    QPointF last(0, 0);
    for (uint32_t i = 0; i < count; ++i) {
        if (flags & kRelative) {
            const int32_t dx = readStep(r);
            const int32_t dy = readStep(r);
            last += QPointF(dx, dy);
            points.append(last);
        } else if (flags & kCompressed) {
            const double x = r.i16(), y = r.i16();
            points.append(QPointF(x, y));
        } else {
            const double x = sane(r.f32()), y = sane(r.f32());
            points.append(QPointF(x, y));
        }
    }
    if (!r.ok())
        return std::nullopt;
    return points;
}

} // namespace kv::gdi::plus::read
