#pragma once
// Navigation and zoom keys of the first page slot, as data. Key codes are the virtual-key
// numbers of pageview/virtualkeys.h, which the page slot hands over.
#include "pageview/virtualkeys.h"

#include <span>

namespace kv {

enum class KeyAction {
    None,
    FirstPage,       // normal view: go to page 1
    PreviousPage,
    NextPage,
    LastPage,
    ScrollToStart,   // zoom: both thumbs to their minimum, origin (0, 0)
    ScrollToEnd,     // zoom: both thumbs to their maximum, origin endKeyOrigin()
    ScrollPageUp,    // zoom: vertical bar page up
    ScrollPageDown,  // zoom: vertical bar page down
    ScrollLineUp,    // zoom: vertical bar line up
    ScrollLineDown,  // zoom: vertical bar line down
    ScrollLineLeft,  // zoom: horizontal bar line up
    ScrollLineRight, // zoom: horizontal bar line down
    SoftZoomIn,
    SoftZoomOut,
};

// One row of the navigation table: what a key does in the normal view and in zoom mode.
struct KeyBinding {
    int key;
    KeyAction normal;
    KeyAction zoomed;
};

// The eight navigation keys (Home, End, Page Up, Page Down and the four arrows).
std::span<const KeyBinding> navigationKeys();

// Action of a navigation key; None for any key not in the table.
KeyAction navigationKeyAction(int key, bool zoomed);

// The soft-zoom keys of the first slot: keypad plus enlarges, keypad minus reduces, in either
// mode; None for every other key.
KeyAction softZoomKeyAction(int key);

} // namespace kv
