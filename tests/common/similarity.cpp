// The page agreement measure: ink per pixel, then how much of each rendering's ink the other
// has within a small distance, combined as a harmonic mean.
#include "similarity.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace kvtest {

namespace {

constexpr int kTolerance = 2;     // pixels of shift that cost nothing
constexpr int kPrecisionBits = 22; // fixed-point fraction of the resampling weights

// For each output pixel, the first input pixel it reads, how many, and their weights.
struct Taps {
    std::vector<int> first, count;
    std::vector<int32_t> weights;  // `span` a pixel
    int span = 0;
};

Taps triangleTaps(int inSize, int outSize)
{
    const double scale = double(inSize) / outSize;
    const double filterScale = std::max(scale, 1.0);
    const double support = filterScale;  // the triangle reaches one input pixel, widened when shrinking
    Taps taps;
    taps.span = int(std::ceil(support)) * 2 + 1;
    taps.first.resize(size_t(outSize));
    taps.count.resize(size_t(outSize));
    taps.weights.assign(size_t(outSize) * size_t(taps.span), 0);
    std::vector<double> w(size_t(taps.span));
    for (int o = 0; o < outSize; ++o) {
        const double center = (o + 0.5) * scale;
        const int first = std::max(0, int(center - support + 0.5));
        const int count = std::min(inSize, int(center + support + 0.5)) - first;
        double total = 0;
        for (int i = 0; i < count; ++i) {
            const double d = std::abs((i + first - center + 0.5) / filterScale);
            w[size_t(i)] = d < 1 ? 1 - d : 0;
            total += w[size_t(i)];
        }
        for (int i = 0; i < count; ++i) {
            const double v = total != 0 ? w[size_t(i)] / total : w[size_t(i)];
            taps.weights[size_t(o) * size_t(taps.span) + size_t(i)] =
                int32_t(v < 0 ? -0.5 + v * (1 << kPrecisionBits) : 0.5 + v * (1 << kPrecisionBits));
        }
        taps.first[size_t(o)] = first;
        taps.count[size_t(o)] = std::max(0, count);
    }
    return taps;
}

uint8_t fixedToByte(int32_t v)
{
    return uint8_t(std::clamp(v >> kPrecisionBits, 0, 255));
}

// One pass along x (`alongX`) or y, channel by channel.
QImage resamplePass(const QImage& in, int outSize, bool alongX)
{
    const Taps taps = triangleTaps(alongX ? in.width() : in.height(), outSize);
    QImage out(alongX ? outSize : in.width(), alongX ? in.height() : outSize, QImage::Format_RGB888);
    for (int y = 0; y < out.height(); ++y) {
        uchar* dst = out.scanLine(y);
        for (int x = 0; x < out.width(); ++x) {
            const int o = alongX ? x : y;
            const int32_t* k = &taps.weights[size_t(o) * size_t(taps.span)];
            int32_t sum[3] = {1 << (kPrecisionBits - 1), 1 << (kPrecisionBits - 1), 1 << (kPrecisionBits - 1)};
            for (int i = 0; i < taps.count[size_t(o)]; ++i) {
                const int src = taps.first[size_t(o)] + i;
                const uchar* p = alongX ? in.constScanLine(y) + src * 3 : in.constScanLine(src) + x * 3;
                for (int c = 0; c < 3; ++c)
                    sum[c] += p[c] * k[i];
            }
            for (int c = 0; c < 3; ++c)
                dst[x * 3 + c] = fixedToByte(sum[c]);
        }
    }
    return out;
}

// Darkness plus half the saturation, 0..1, row by row.
std::vector<float> inkOf(const QImage& rgb)
{
    std::vector<float> ink(size_t(rgb.width()) * size_t(rgb.height()));
    for (int y = 0; y < rgb.height(); ++y) {
        const uchar* p = rgb.constScanLine(y);
        for (int x = 0; x < rgb.width(); ++x, p += 3) {
            const float r = p[0], g = p[1], b = p[2];
            const float lum = (0.299f * r + 0.587f * g + 0.114f * b) / 255.0f;
            const float sat = (std::max({r, g, b}) - std::min({r, g, b})) / 255.0f;
            ink[size_t(y) * size_t(rgb.width()) + size_t(x)] = std::clamp(1.0f - lum + 0.5f * sat, 0.0f, 1.0f);
        }
    }
    return ink;
}

// The largest ink within kTolerance pixels along x, then along y (a square neighbourhood).
std::vector<float> spread(const std::vector<float>& ink, int width, int height)
{
    std::vector<float> across(ink.size()), out(ink.size());
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            float m = 0;
            for (int d = std::max(0, x - kTolerance); d <= std::min(width - 1, x + kTolerance); ++d)
                m = std::max(m, ink[size_t(y) * size_t(width) + size_t(d)]);
            across[size_t(y) * size_t(width) + size_t(x)] = m;
        }
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            float m = 0;
            for (int d = std::max(0, y - kTolerance); d <= std::min(height - 1, y + kTolerance); ++d)
                m = std::max(m, across[size_t(d) * size_t(width) + size_t(x)]);
            out[size_t(y) * size_t(width) + size_t(x)] = m;
        }
    return out;
}

// The share of `ink` that `other` (spread) also has.
double covered(const std::vector<float>& ink, const std::vector<float>& otherSpread, double total)
{
    double kept = 0;
    for (size_t i = 0; i < ink.size(); ++i)
        kept += std::min(ink[i], otherSpread[i]);
    return kept / total;
}

} // namespace

QImage resampleBilinear(const QImage& image, QSize size)
{
    QImage rgb = image.convertToFormat(QImage::Format_RGB888);
    if (rgb.isNull() || size.isEmpty())
        return {};
    if (rgb.width() != size.width())
        rgb = resamplePass(rgb, size.width(), true);
    if (rgb.height() != size.height())
        rgb = resamplePass(rgb, size.height(), false);
    return rgb;
}

double pageSimilarity(const QImage& reference, const QImage& ours)
{
    const QImage ref = reference.convertToFormat(QImage::Format_RGB888);
    const QImage our = ours.size() == ref.size() ? ours.convertToFormat(QImage::Format_RGB888)
                                                 : resampleBilinear(ours, ref.size());
    if (ref.isNull() || our.isNull())
        return 0;
    const std::vector<float> a = inkOf(ref), b = inkOf(our);
    double sa = 0, sb = 0;
    for (float v : a)
        sa += v;
    for (float v : b)
        sb += v;
    if (sa < 1e-6 && sb < 1e-6)
        return 1;
    if (sa < 1e-6 || sb < 1e-6)
        return 0;
    const double recall = covered(a, spread(b, our.width(), our.height()), sa);
    const double precision = covered(b, spread(a, ref.width(), ref.height()), sb);
    if (recall + precision == 0)
        return 0;
    return 2 * recall * precision / (recall + precision);
}

} // namespace kvtest
