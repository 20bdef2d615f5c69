#include "preview/windowsize.h"

#include <cmath>

namespace kv {

namespace {
// Upright A4: the most likely page when nothing says otherwise.
constexpr double kDefaultWidthMm = 210;
constexpr double kDefaultHeightMm = 297;

bool usable(double mm)
{
    return std::isfinite(mm) && mm > 0;
}
} // namespace

QSize PreviewWindowSize::truncated() const
{
    return QSize(int(std::trunc(width)), int(std::trunc(height)));
}

PreviewWindowSize previewWindowSize(const QSizeF& printableMm, const QSize& screen)
{
    PreviewWindowSize out;
    double w = printableMm.width();
    double h = printableMm.height();
    if (!usable(w) || !usable(h)) {
        w = kDefaultWidthMm;
        h = kDefaultHeightMm;
        out.usedDefaultPage = true;
    }
    out.landscape = w >= h;
    out.width = (out.landscape ? 0.8 : 0.6) * screen.width();
    out.height = 0.8 * screen.height();
    out.xyFactor = h / w;
    return out;
}

} // namespace kv
