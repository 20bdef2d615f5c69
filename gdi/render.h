#pragma once
// A picture's frame rendered onto a whole image on white paper: for tools, tests and
// benchmarks.
#include "gdi/core/records.h"

#include <QImage>
#include <QString>

namespace kv::gdi {

// The largest image these functions make: pixels a side and pixels in all.
inline constexpr int kMaxRenderSide = 30000;
inline constexpr int64_t kMaxRenderPixels = int64_t(1) << 27;  // half a gigabyte of ARGB

// `widthPx` wide, the height from the frame's aspect. A null image for an empty frame or a
// size beyond the limits above.
QImage renderPicture(const Picture& picture, int widthPx);

// At `dpi` pixels per inch of the frame's physical size.
QImage renderPictureDpi(const Picture& picture, double dpi);

// Plays the picture's frame over the whole of `image`, on what it already holds: for timing
// play alone, with the image made and cleared outside the clock. Nothing for an empty frame.
void playOnto(QImage& image, const Picture& picture);

// A metafile file read as the tools and the corpus tests render it: against a full-HD screen
// of 508 x 286 mm, and a Windows metafile on a surface of its own picture size, so that the
// image has the picture's shape. Null when missing or neither EMF nor WMF.
PicturePtr readForRendering(const QString& path);

} // namespace kv::gdi
