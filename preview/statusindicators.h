#pragma once
// The keyboard-state indicators of the preview's message bar.
class QStatusBar;

namespace kv {

// Adds CAPS, NUM and INS indicators to the bar. Their state follows the lock and insert keys
// pressed while the program runs (the state at start is not readable on every platform and
// is shown as off).
void addKeyboardIndicators(QStatusBar& bar);

} // namespace kv
