#pragma once
// Where a page's picture is played on a printer's page: the one rule that the page view, the
// print loop and the export share.
//
// A page that our own printer device recorded carries no frame of its own (the frame is its
// bounds) and was recorded at the printer's resolution: it is played at its bounds, which are
// the printer pixels it was drawn at. Pages that other programs write (spoolers, report tools,
// diagram exports) carry a frame, often the whole sheet, while their bounds hold only the ink,
// and they are recorded at other resolutions: squeezing such a frame into the ink box would
// shrink and distort the page. They are played at the place their frame occupies on the
// printer's sheet, at its physical size; a frame larger than the sheet is clipped by the
// sheet, never shrunk.
#include "gdi/core/records.h"
#include "gdi/core/types.h"

#include <QRectF>

namespace kv::gdi {

struct PagePlacement {
    // True for a page recorded for this printer: `rect` is then its bounds (rclBounds, the
    // rectangle the page was drawn in, printable-area pixels) and callers keep their own rules
    // for it. False: `rect` is the frame's place on the printer's sheet, in printer pixels
    // measured from the paper's corner (subtract the printing offsets for the printer's own
    // coordinates, whose origin is the printable corner).
    bool asRecorded = true;
    QRectF rect;  // left, top, right, bottom as QRectF's corners
};

// `printer`: resolution (logPixelsX/Y, else horzRes/horzSizeMm), printing offsets.
PagePlacement placePage(const EmfHeader& page, const DeviceCaps& printer);

// The rectangle to play the page into on the printer's own device context (origin at the
// printable corner): the bounds as recorded, or the frame's place on the sheet less the
// printing offsets. Left, top, right, bottom.
QRectF printerPlayRect(const EmfHeader& page, const DeviceCaps& printer);

// The printer's resolution in pixels per inch, across and down (96 when it tells none).
QPointF printerDpi(const DeviceCaps& printer);

} // namespace kv::gdi
