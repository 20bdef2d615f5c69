#pragma once
// The printer's unit conversions as pure arithmetic over its geometry. Row values are
// vertical, column values horizontal; results are real numbers in printer pixels measured from
// the printable corner (hence the offsets) or in millimetres and inches.
#include "gdi/core/types.h"

#include <array>

namespace kv {

struct PageGeometry {
    gdi::DeviceCaps caps;      // resolution, printable size, physical page
    int xOffset = 0, yOffset = 0;  // the device's nXOffset, nYOffset
};

using RowCol = std::array<double, 2>;
using Rect4 = std::array<double, 4>;

RowCol cmToPixels(const PageGeometry& g, double row, double col);
RowCol inchToPixels(const PageGeometry& g, double row, double col);
// {top, left, bottom, right} in centimetres: 1 and 3 vertical, 2 and 4 horizontal.
Rect4 cmRectToPixels(const PageGeometry& g, const Rect4& rect);
// Four values in hundredths of a millimetre; the far edges are held to the physical page and
// lose both offsets, so a frame of the whole sheet fills the printable area.
Rect4 hundredthMmRectToPixels(const PageGeometry& g, const Rect4& rect);
RowCol pixelsToMm(const PageGeometry& g, double row, double col);
RowCol pixelsToInch(const PageGeometry& g, double row, double col);
// Physical page width and height in millimetres.
RowCol physicalSizeMm(const PageGeometry& g);

} // namespace kv
