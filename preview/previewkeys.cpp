#include "preview/previewkeys.h"

#include <Qt>
#include <algorithm>
#include <array>

namespace kv {

namespace {
constexpr std::array<KeyBinding, 8> kNavigation{{
    {vk::Home, KeyAction::FirstPage, KeyAction::ScrollToStart},
    {vk::End, KeyAction::LastPage, KeyAction::ScrollToEnd},
    {vk::PageUp, KeyAction::PreviousPage, KeyAction::ScrollPageUp},
    {vk::PageDown, KeyAction::NextPage, KeyAction::ScrollPageDown},
    {vk::Up, KeyAction::None, KeyAction::ScrollLineUp},
    {vk::Down, KeyAction::None, KeyAction::ScrollLineDown},
    {vk::Left, KeyAction::None, KeyAction::ScrollLineLeft},
    {vk::Right, KeyAction::None, KeyAction::ScrollLineRight},
}};

struct QtKeyCode {
    int qtKey;
    int code;
};

constexpr std::array<QtKeyCode, 8> kQtNavigation{{
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

std::span<const KeyBinding> navigationKeys()
{
    return kNavigation;
}

KeyAction navigationKeyAction(int key, bool zoomed)
{
    const auto* row = std::find_if(kNavigation.begin(), kNavigation.end(),
                                   [key](const KeyBinding& b) { return b.key == key; });
    if (row == kNavigation.end())
        return KeyAction::None;
    return zoomed ? row->zoomed : row->normal;
}

KeyAction softZoomKeyAction(int key)
{
    if (key == vk::KeypadPlus)
        return KeyAction::SoftZoomIn;
    if (key == vk::KeypadMinus)
        return KeyAction::SoftZoomOut;
    return KeyAction::None;
}

int virtualKeyFromQt(int qtKey, bool keypad)
{
    if (keypad && qtKey == Qt::Key_Plus)
        return vk::KeypadPlus;
    if (keypad && qtKey == Qt::Key_Minus)
        return vk::KeypadMinus;
    // Navigation keys mean the same on the keypad (with Num Lock off) and the main keyboard.
    const auto* row = std::find_if(kQtNavigation.begin(), kQtNavigation.end(),
                                   [qtKey](const QtKeyCode& k) { return k.qtKey == qtKey; });
    return row == kQtNavigation.end() ? 0 : row->code;
}

} // namespace kv
