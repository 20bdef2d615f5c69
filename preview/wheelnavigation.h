#pragma once
// The mouse wheel over the page views, as users of a viewer expect it: in zoom mode the wheel
// scrolls the page (Shift+wheel sideways), in the normal view it turns the pages; Ctrl+wheel
// steps the zoom like the soft-zoom keys.
class QObject;

namespace kv {

class KORVELLE;

// Watches the wheel events of `target` (a page view or the window's client area).
void installWheelNavigation(KORVELLE& preview, QObject* target);

} // namespace kv
