#pragma once
// The preview window's scroll bars as a value, and the scroll arithmetic behind them.
// A bar event first moves or does not move the thumb, then computes the new origin of slot 1
// (in printer pixels) from the thumb as it then stands; the order differs between line and page
// events, and the tests pin it down. The window code keeps one model per bar, feeds it the
// events and applies the returned thumb and origin.
#include "preview/zoommath.h"

#include <optional>

namespace kv {

// Direction argument of the scroll call: absolute (a thumb position), back (up or left),
// forward (down or right).
enum class ScrollDirection { Absolute = 0, Back = 1, Forward = 2 };

struct ScrollOutcome;

struct ScrollBarModel {
    int min = 0;
    int max = 0;
    int pos = 0;

    bool operator==(const ScrollBarModel&) const = default;

    // A new range; the thumb is kept inside it, as the platform does.
    ScrollBarModel withRange(const ScrollRange& range) const;
    // The thumb moved by `steps`, kept inside the range.
    ScrollBarModel movedBy(int steps) const;
    ScrollBarModel atMinimum() const;  // "to top": thumb at the minimum, no scroll call
    ScrollBarModel atMaximum() const;  // "to bottom": thumb at the maximum, no scroll call

    // Bar events, each with the printer's resolution in this bar's direction (pixels).
    ScrollOutcome lineUp(int resolution) const;    // thumb back one (if it can), then scroll back 1
    ScrollOutcome lineDown(int resolution) const;  // thumb on one (if it can), then scroll on 1
    ScrollOutcome pageUp(int resolution) const;    // scroll back max/10, then thumb back one
    ScrollOutcome pageDown(int resolution) const;  // scroll on max/10, then thumb on one
    // Thumb released at `position`: absolute scroll by `position` from the thumb where it stood;
    // the thumb itself stays.
    ScrollOutcome thumbReleased(int resolution, int position) const;
    // After a double-click zoom: scroll forward by `position`, then the thumb is set to it.
    // Position 0 means no call at all (bar and origin unchanged).
    ScrollOutcome jumpTo(int resolution, int position) const;
    // The thumb where it stands for an origin set from outside (a found word brought into
    // view), kept inside the range.
    ScrollBarModel showingOrigin(int resolution, double origin) const;
};

struct ScrollOutcome {
    ScrollBarModel bar;            // the bar after the event
    std::optional<double> origin;  // new origin of slot 1 in printer pixels; nothing: unchanged
};

// Printer pixels per thumb position: whole part of resolution / range maximum; 0 for a bar
// without positions (range maximum 0, the normal view), so nothing divides by 0.
int scrollStep(int resolution, int rangeMax);

// The scroll call itself: step * (thumb + delta - 1), delta = `position` when given, else
// max / 10 when `page`, else 1, negated for Back; the result is kept within 0..resolution.
double scrollOrigin(int resolution, const ScrollBarModel& bar, ScrollDirection direction,
                    bool page, std::optional<int> position = std::nullopt);

} // namespace kv
