#pragma once
// Reading WMF parameters: 16-bit values, points and rectangles in the reversed order the
// records keep them (y before x; bottom, right, top, left).
#include "platform/bytereader.h"
#include "gdi/core/types.h"

#include <vector>

namespace kv::gdi::wmf {

inline PointL readReversedPoint(ByteReader& p)
{
    const int32_t y = p.i16();
    const int32_t x = p.i16();
    return PointL{x, y};
}

inline RectL readReversedRect(ByteReader& p)
{
    RectL r;
    r.bottom = p.i16();
    r.right = p.i16();
    r.top = p.i16();
    r.left = p.i16();
    return r;
}

// A Rect object (inside records such as EXTTEXTOUT and regions): left, top, right, bottom.
inline RectL readRect(ByteReader& p)
{
    RectL r;
    r.left = p.i16();
    r.top = p.i16();
    r.right = p.i16();
    r.bottom = p.i16();
    return r;
}

// `count` points stored x, y; empty when they do not fit.
inline std::vector<PointL> readPoints(ByteReader& p, size_t count)
{
    if (!p.fits(count, 4))
        return {};
    std::vector<PointL> points(count);
    for (PointL& pt : points) {
        pt.x = p.i16();
        pt.y = p.i16();
    }
    return points;
}

} // namespace kv::gdi::wmf
