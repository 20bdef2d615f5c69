#include "preview/previewkeys.h"

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

} // namespace kv
