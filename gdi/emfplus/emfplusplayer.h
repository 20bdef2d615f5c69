#pragma once
// Plays a page's EMF+ records onto a Dc. The GDI player decides the road (see
// drawsThroughEmfPlus) and hands over the mapping; the EMF+ player keeps GDI+'s own state
// (world and page transforms, containers, clip, smoothing) and draws through the Dc's
// device-space calls. The GDI records GetDC opens are played back through `playGdi`.
#include "gdi/dc/dc.h"
#include "gdi/emfplus/emfplusrecords.h"

#include <functional>

namespace kv::gdi::plus {

// Whether a page is drawn from its EMF+ records: it has them, and they are sound or there is
// no GDI drawing to fall back on (an EMF+-only page draws what it can rather than nothing).
bool drawsThroughEmfPlus(const Picture& picture);

struct PlayTarget {
    QTransform toDevice;     // EMF+ device pixels -> the Dc's device pixels
    QRectF frameOnDevice;    // the picture's frame on the device (what Clear paints)
    size_t gdiRecords = 0;   // the page's GDI record count
    size_t maxRecords = 5'000'000;
    bool gdiFallback = false;  // the GDI records draw the page too (hasGdiDrawing)
};

// Whether a page's GDI records draw anything: a dual page whose EMF+ records cannot be played
// falls back on them, an EMF+-only page has nothing to fall back on.
bool hasGdiDrawing(const Picture& picture);

// How many times over its drawing may paint the target's pixels (the picture's frame on the
// device, or a floor of kMinBoundPixels for small targets). A page of a few kilobytes must not
// paint a print-sized target for minutes: a huge page transform, a brush or pen stretched over
// an enormous area, or thousands of records each covering the page.
inline constexpr uint64_t kTargetCoverages = 64;
inline constexpr uint64_t kMinBoundPixels = uint64_t(1) << 20;

// Plays the stream. `playGdi(from, to)` plays the page's GDI records [from, to). A page whose
// drawing would cover more than its bound is not half drawn: with `gdiFallback` its GDI records
// draw it whole instead; else its records up to the bound are drawn. Either way the fault is
// counted (pagesOverPixelBound) and reported in a warning.
void playStream(Dc& dc, const Stream& stream, const PlayTarget& target,
                const std::function<void(size_t, size_t)>& playGdi);

// The pages playStream found over their pixel bound since the program started.
uint64_t pagesOverPixelBound();

} // namespace kv::gdi::plus
