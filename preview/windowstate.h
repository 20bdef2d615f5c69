#pragma once
// The preview window as the user left it: its normal place and size, the pages shown at once
// and the thumbnail panel, kept in section General of the settings file when the window
// closes and taken up when the next one opens (Maximize=1 still opens it maximised).
#include "platform/settings.h"

#include <QList>
#include <QRect>
#include <optional>

namespace kv {

struct WindowState {
    QRect normalGeometry;  // empty: none kept
    int viewPages = 1;     // 1, 2, 4, 6 or 8
    bool thumbnails = false;
    bool operator==(const WindowState&) const = default;
};

WindowState windowStateFrom(const PreviewSettings& settings);

// Writes the state's keys; false when the file could not be written.
bool writeWindowState(const QString& iniPath, const WindowState& state);

// The kept geometry when it is usable: not empty, of a sane size, and with a good part of its
// title on one of `screens` (a screen since unplugged must not hide the window).
std::optional<QRect> restorableGeometry(const WindowState& state, const QList<QRect>& screens);

} // namespace kv
