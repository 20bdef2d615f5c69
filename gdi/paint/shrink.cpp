#include "gdi/paint/shrink.h"

#include <algorithm>
#include <vector>

namespace kv::gdi {

QImage shrinkCombining(const QImage& source, QSize size, bool useAnd)
{
    const int w = source.width(), h = source.height();
    const int dw = std::clamp(size.width(), 1, std::max(1, w)), dh = std::clamp(size.height(), 1, std::max(1, h));
    QImage out(dw, dh, QImage::Format_RGB32);
    if (source.isNull())
        return out;
    out.fill(useAnd ? 0xFFFFFFFFu : 0xFF000000u);
    const QImage src = source.format() == QImage::Format_RGB32 ? source : source.convertToFormat(QImage::Format_RGB32);
    std::vector<int> column(static_cast<size_t>(w));
    for (int x = 0; x < w; ++x)
        column[size_t(x)] = int(int64_t(x) * dw / w);
    for (int y = 0; y < h; ++y) {
        const auto* in = reinterpret_cast<const QRgb*>(src.constScanLine(y));
        auto* row = reinterpret_cast<QRgb*>(out.scanLine(int(int64_t(y) * dh / h)));
        if (useAnd)
            for (int x = 0; x < w; ++x)
                row[column[size_t(x)]] &= in[x];
        else
            for (int x = 0; x < w; ++x)
                row[column[size_t(x)]] |= in[x];
    }
    return out;
}

} // namespace kv::gdi
