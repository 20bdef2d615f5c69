#include "gdi/paint/nearestscale.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

namespace kv::gdi {

namespace {

constexpr double kOne = 65536;  // source positions step in 16.16 fixed point

bool isTarget32(QImage::Format format)
{
    return format == QImage::Format_RGB32 || format == QImage::Format_ARGB32_Premultiplied;
}

double roundHalfUp(double v)
{
    return std::floor(v + 0.5);
}

// One axis of a stretch: the target pixels drawn and the source index of each, stepped in
// fixed point from the first drawn pixel the way Qt's raster engine steps an unsmoothed
// stretch, so that the pixels are the ones it would give. A source coordinate u lands on
// target coordinate `scale * u + shift`; only pixels in [from, to) of the target are drawn.
struct Axis {
    int first = 0;
    std::vector<int> indexes;  // source index of target pixel first + i
};

Axis axisOf(double scale, double shift, int count, int from, int to)
{
    const double start = shift, extent = scale * count;
    Axis axis;
    // The drawn pixels start at the rounded corner and run for the size rounded with half the
    // corner's rounding added, as Qt turns the target rectangle into pixels.
    const int corner = int(roundHalfUp(start));
    axis.first = std::max(corner, from);
    const int end = std::min(corner + int(roundHalfUp(extent + (start - corner) / 2)), to);
    if (end <= axis.first)
        return axis;
    const double ratio = count / extent;
    const auto step = uint32_t(int32_t(kOne * ratio));
    uint32_t at = uint32_t(int32_t(std::ceil((axis.first + 0.5 - start) * ratio * kOne)) - 1);
    int n = end - axis.first;
    // Rounding may reach one pixel past the source's end: that pixel is left alone.
    const int64_t last = int64_t((at + step * uint32_t(n - 1)) >> 16);
    if (last >= count)
        --n;
    axis.indexes.reserve(size_t(std::max(n, 0)));
    for (int i = 0; i < n; ++i, at += step)
        axis.indexes.push_back(int(at >> 16));
    return axis;
}

} // namespace

bool canScaleNearest(const QImage& source, const QImage& target, const QTransform& toTarget)
{
    return !source.isNull() && source.format() == QImage::Format_RGB32 && isTarget32(target.format())
        && toTarget.type() == QTransform::TxScale && toTarget.m11() >= 1 && toTarget.m22() >= 1;
}

void scaleNearest(const QImage& source, const QTransform& toTarget, QImage& target, const QRect& area)
{
    const QRect within = area & target.rect();
    if (within.isEmpty())
        return;
    const Axis columns = axisOf(toTarget.m11(), toTarget.dx(), source.width(), within.left(), within.right() + 1);
    const Axis rows = axisOf(toTarget.m22(), toTarget.dy(), source.height(), within.top(), within.bottom() + 1);
    if (columns.indexes.empty())
        return;
    const size_t rowBytes = columns.indexes.size() * sizeof(QRgb);
    int previous = -1;
    for (size_t r = 0; r < rows.indexes.size(); ++r) {
        const int y = rows.first + int(r);
        auto* out = reinterpret_cast<QRgb*>(target.scanLine(y)) + columns.first;
        const int row = rows.indexes[r];
        if (row == previous) {
            std::memcpy(out, reinterpret_cast<const QRgb*>(target.constScanLine(y - 1)) + columns.first, rowBytes);
            continue;
        }
        const auto* in = reinterpret_cast<const QRgb*>(source.constScanLine(row));
        for (size_t i = 0; i < columns.indexes.size(); ++i)
            out[i] = in[columns.indexes[i]];
        previous = row;
    }
}

} // namespace kv::gdi
