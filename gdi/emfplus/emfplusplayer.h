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
};

// Plays the stream. `playGdi(from, to)` plays the page's GDI records [from, to).
void playStream(Dc& dc, const Stream& stream, const PlayTarget& target,
                const std::function<void(size_t, size_t)>& playGdi);

} // namespace kv::gdi::plus
