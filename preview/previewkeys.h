#pragma once
// Navigation and zoom keys of the first page slot, as data. Key codes are the platform's
// virtual-key numbers (Home 36, End 35, Page Up 33, Page Down 34, Left 37, Up 38, Right 39,
// Down 40, keypad plus 107, keypad minus 109); virtualKeyFromQt() turns a Qt key into one.
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

namespace vk {
inline constexpr int PageUp = 33;
inline constexpr int PageDown = 34;
inline constexpr int End = 35;
inline constexpr int Home = 36;
inline constexpr int Left = 37;
inline constexpr int Up = 38;
inline constexpr int Right = 39;
inline constexpr int Down = 40;
inline constexpr int KeypadPlus = 107;
inline constexpr int KeypadMinus = 109;
} // namespace vk

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

// Virtual-key code of a Qt key (a Qt::Key value); `keypad` is whether the event carried
// Qt::KeypadModifier, which tells keypad plus and minus from the main keyboard's. Keys the
// preview does not use give 0.
int virtualKeyFromQt(int qtKey, bool keypad);

} // namespace kv
