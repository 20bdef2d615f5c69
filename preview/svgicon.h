#pragma once
// A bar bitmap drawn from its SVG at whatever size and device pixel ratio it is asked for,
// from bytes read once: it does not depend on the resource library still being selected
// when it is painted, and a screen at 150 % or 200 % gets the drawing, not a blown-up bitmap.
#include <QByteArray>
#include <QIcon>

namespace kv {

// A null icon when `svg` is not a drawing.
QIcon svgIcon(const QByteArray& svg);

} // namespace kv
