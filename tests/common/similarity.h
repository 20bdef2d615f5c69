#pragma once
// How far two renderings of one page agree, from 0 (nothing in common) to 1 (the same
// picture), tolerant of anti-aliasing and shifts of up to two pixels. The same measure as the
// corpus scorer of the reference renderings, so that its numbers and ours can be compared.
#include <QImage>

namespace kvtest {

// `ours` is resampled to the reference's size first (bilinear, as the scorer does) when the
// sizes differ. Both blank: 1; one blank: 0.
double pageSimilarity(const QImage& reference, const QImage& ours);

// The reference's own resampling: `image` as 24-bit RGB, `size` big, by a separable triangle
// filter widened by the scale when shrinking, in 8-bit fixed point.
QImage resampleBilinear(const QImage& image, QSize size);

} // namespace kvtest
