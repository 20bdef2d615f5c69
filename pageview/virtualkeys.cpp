#include "pageview/virtualkeys.h"

#include <Qt>
#include <algorithm>
#include <array>

namespace kv {

namespace {
struct QtKeyCode {
    int qtKey;
    int code;
};

// Navigation keys mean the same on the keypad (with Num Lock off) and the main keyboard.
constexpr std::array<QtKeyCode, 8> kNavigation{{
    {Qt::Key_Home, vk::Home},
    {Qt::Key_End, vk::End},
    {Qt::Key_PageUp, vk::PageUp},
    {Qt::Key_PageDown, vk::PageDown},
    {Qt::Key_Left, vk::Left},
    {Qt::Key_Up, vk::Up},
    {Qt::Key_Right, vk::Right},
    {Qt::Key_Down, vk::Down},
}};
} // namespace

int virtualKeyFromQt(int qtKey, bool keypad)
{
    if (qtKey == Qt::Key_Plus) return keypad ? vk::KeypadPlus : vk::Plus;
    if (qtKey == Qt::Key_Minus) return keypad ? vk::KeypadMinus : vk::Minus;
    const auto* row = std::find_if(kNavigation.begin(), kNavigation.end(),
                                   [qtKey](const QtKeyCode& k) { return k.qtKey == qtKey; });
    if (row != kNavigation.end()) return row->code;
    if ((qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9) || (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z))
        return qtKey;
    return 0;
}

} // namespace kv
