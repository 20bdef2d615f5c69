#pragma once
// Where the page view plays a page: the placement rule of gdi/pageplacement.h carried into the
// view's logical space. That space is the printer's printable pixels with the origin at the
// printable corner, and the view shows the paper from minus the printing offsets to the
// printable size less the offsets: the whole sheet, drawn onto the printable size.
#include "gdi/core/records.h"
#include "gdi/core/types.h"

#include <QRectF>

namespace kv {

// The printer as the page view knows it.
struct PageViewPrinter {
    double horzRes = 0, vertRes = 0;    // printable pixels
    double xOffset = 0, yOffset = 0;    // printing offsets, pixels
    double physWidth = 0, physHeight = 0;  // the whole sheet, pixels; 0: printable area and offsets
    double dpiX = 0, dpiY = 0;          // resolution; 0: unknown, every page is played as recorded
};

// The rectangle (left, top, right, bottom as QRectF's corners) to play `page` into. A page
// recorded for this printer keeps the rule for such pages exactly: its bounds with right and
// bottom reduced by twice the offsets. Any other page is drawn at the place its frame has on
// the printer's sheet, scaled like the sheet onto the printable size, so that a whole-sheet
// frame fills the paper.
QRectF pageViewPlayRect(const gdi::EmfHeader& page, const PageViewPrinter& printer);

} // namespace kv
