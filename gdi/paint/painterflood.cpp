// Flood fills read the pixels drawn so far: only an image target has them.
#include "gdi/paint/painterdevice.h"

#include <QPainter>
#include <cmath>
#include <vector>

namespace kv::gdi {

namespace {

// The 4-connected pixels of `image` reachable from `seed` whose colour passes `fills`, as one
// rectangle per horizontal run, scanned row by row from a stack of seeds so that large areas
// need no recursion.
template <typename Fills> QPainterPath floodRuns(const QImage& image, QPoint seed, Fills fills)
{
    const int w = image.width(), h = image.height();
    std::vector<uint8_t> done(size_t(w) * size_t(h), 0);
    const auto open = [&](int x, int y) {
        return !done[size_t(y) * size_t(w) + size_t(x)] && fills(reinterpret_cast<const QRgb*>(image.constScanLine(y))[x]);
    };
    QPainterPath runs;
    std::vector<QPoint> seeds{seed};
    while (!seeds.empty()) {
        const QPoint p = seeds.back();
        seeds.pop_back();
        if (!open(p.x(), p.y()))
            continue;
        int left = p.x(), right = p.x();
        while (left > 0 && open(left - 1, p.y()))
            --left;
        while (right + 1 < w && open(right + 1, p.y()))
            ++right;
        std::fill_n(done.begin() + std::ptrdiff_t(size_t(p.y()) * size_t(w) + size_t(left)), right - left + 1, uint8_t(1));
        runs.addRect(QRectF(left, p.y(), right - left + 1, 1));
        // One seed per run of open pixels in the rows above and below.
        for (const int y : {p.y() - 1, p.y() + 1}) {
            if (y < 0 || y >= h)
                continue;
            for (int x = left; x <= right; ++x)
                if (open(x, y) && (x == left || !open(x - 1, y)))
                    seeds.emplace_back(x, y);
        }
    }
    return runs;
}

} // namespace

std::optional<QPainterPath> PainterDevice::floodArea(QPointF start, QRgb colour, bool surface)
{
    const QImage* target = rasterTarget();
    if (!target || base_.type() > QTransform::TxScale)
        return std::nullopt;
    const QImage pixels = target->format() == QImage::Format_RGB32 || target->format() == QImage::Format_ARGB32
        ? *target
        : target->convertToFormat(QImage::Format_RGB32);
    const QPointF at = base_.map(QPointF(std::floor(start.x()) + 0.5, std::floor(start.y()) + 0.5));
    const QPoint seed(int(std::floor(at.x())), int(std::floor(at.y())));
    if (!pixels.rect().contains(seed))
        return QPainterPath();
    const QRgb wanted = colour & 0xFFFFFFu;
    const QPainterPath runs = surface
        ? floodRuns(pixels, seed, [wanted](QRgb p) { return (p & 0xFFFFFFu) == wanted; })
        : floodRuns(pixels, seed, [wanted](QRgb p) { return (p & 0xFFFFFFu) != wanted; });
    return base_.inverted().map(runs);
}

} // namespace kv::gdi
