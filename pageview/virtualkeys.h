#pragma once
// The Windows virtual-key numbers a page slot hands to its key handler, and the one table that
// turns Qt keys into them. The preview's key handling is written against these numbers.
namespace kv {

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
inline constexpr int Plus = 187;   // the main keyboard's, VK_OEM_PLUS
inline constexpr int Minus = 189;  // VK_OEM_MINUS
} // namespace vk

// Virtual-key code of a Qt key (a Qt::Key value); `keypad` is whether the event carried
// Qt::KeypadModifier, which tells keypad plus and minus from the main keyboard's. Digits and
// letters keep their codes (they equal their upper-case characters); other keys give 0.
int virtualKeyFromQt(int qtKey, bool keypad);

} // namespace kv
