#pragma once
// A picture's frame rendered onto a whole image on white paper: for tools, tests and
// benchmarks.
#include "records.h"

#include <QImage>

namespace kv::gdi {

// `widthPx` wide, the height from the frame's aspect. A null image for an empty frame, a
// size beyond 30000 pixels a side or beyond 2^27 pixels in all.
QImage renderPicture(const Picture& picture, int widthPx);

// At `dpi` pixels per inch of the frame's physical size.
QImage renderPictureDpi(const Picture& picture, double dpi);

} // namespace kv::gdi
