#pragma once
// Replays a parsed picture onto a Dc with GDI's PlayEnhMetaFile semantics: the picture's
// frame is stretched onto a rectangle given in the Dc's logical units, composed with the Dc's
// own mapping; the picture sees a fresh DC state and cannot draw outside the Dc's clip; the
// Dc's state is as before when playback ends.
#include "gdi/dc/dc.h"
#include "gdi/core/records.h"

#include <QRectF>

namespace kv::gdi {

// Whether pages that carry EMF+ records are drawn from them (GDI+'s own drawing, smoothed, with
// gradients and alpha) rather than from their GDI records as Windows' GDI would. On unless
// the user's settings turn it off; set once at start, before pages are played.
void setEmfPlusPlayback(bool on);
bool emfPlusPlayback();

struct PlayOptions {
    size_t maxRecords = 5'000'000;   // work cap for hostile files
    // The rectangle is where the picture's frame lands, and recorders count it as drawn. False
    // for unscaled playback of a Windows metafile, whose rectangle is only the unit square
    // that maps one picture unit onto one logical unit.
    bool rectIsFrame = true;
    // Draw a page's EMF+ records where it has sound ones (see emfplusplayer.h).
    bool emfPlus = emfPlusPlayback();
};

// Reference-device pixels per millimetre, from the whole millimetres of szlMillimeters as
// GDI's playback reads them (the finer micrometre size only when those are missing); a header
// without a size is taken as 96 dpi.
QPointF pixelsPerMm(const EmfHeader& header);

// The frame a picture is played by, in 0.01 mm: rclFrame, or for an empty or inverted
// frame the bounds measured on the reference device.
QRectF pictureFrame(const EmfHeader& header);

// Returns false when nothing could be played (empty picture, empty rectangle).
bool playPicture(Dc& dc, const Picture& picture, const RectL& rect, const PlayOptions& options = {});

} // namespace kv::gdi
