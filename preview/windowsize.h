#pragma once
// Opening size of the preview window and the page aspect the layout works with, from the
// printable area of the printer (or, without a printer, of the page the report was drawn for).
#include <QSize>
#include <QSizeF>

namespace kv {

struct PreviewWindowSize {
    double width = 0;    // pixels, before truncation
    double height = 0;   // pixels, before truncation
    bool landscape = false;  // printable width >= printable height
    // Page aspect: printable height / printable width (millimetres). Always positive.
    double xyFactor = 0;
    // The printable size was not usable (a side of 0 or less) and an upright A4 aspect was
    // taken instead.
    bool usedDefaultPage = false;

    // The size the window is created with: fractions cut off.
    QSize truncated() const;
};

// `printableMm`: printable width and height in millimetres (the printer's, or the first page
// file's when no printer could be made). `screen`: the screen size in pixels.
// Landscape (width >= height): 0.8 x 0.8 of the screen; portrait: 0.6 wide, 0.8 high.
// A printable size with a side of 0 or less (no printer and no usable page header) gives the
// portrait window with the A4 aspect 297 / 210, so nothing divides by 0.
PreviewWindowSize previewWindowSize(const QSizeF& printableMm, const QSize& screen);

} // namespace kv
