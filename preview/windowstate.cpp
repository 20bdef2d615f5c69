#include "windowstate.h"

#include "platform/inifile.h"

#include <algorithm>
#include <cmath>

namespace kv {

namespace {

constexpr int kViewCounts[] = {1, 2, 4, 6, 8};
constexpr int kMinimumSide = 100;
constexpr int kMaximumSide = 30000;

int whole(double v)
{
    return std::isfinite(v) ? int(std::clamp(v, -1e6, 1e6)) : 0;
}

} // namespace

WindowState windowStateFrom(const PreviewSettings& s)
{
    WindowState state;
    const int w = whole(s.nWindowWidth), h = whole(s.nWindowHeight);
    if (w > 0 && h > 0)
        state.normalGeometry = QRect(whole(s.nWindowLeft), whole(s.nWindowTop), w, h);
    const int pages = whole(s.nViewPages);
    for (int n : kViewCounts)
        if (n == pages)
            state.viewPages = n;
    state.thumbnails = s.lThumbnails;
    return state;
}

bool writeWindowState(const QString& iniPath, const WindowState& state)
{
    IniFile ini(iniPath);
    const QString general = QStringLiteral("General");
    const QRect& g = state.normalGeometry;
    bool ok = ini.writeString(general, QStringLiteral("WindowLeft"), QString::number(g.isEmpty() ? 0 : g.left()));
    ok = ini.writeString(general, QStringLiteral("WindowTop"), QString::number(g.isEmpty() ? 0 : g.top())) && ok;
    ok = ini.writeString(general, QStringLiteral("WindowWidth"), QString::number(g.isEmpty() ? 0 : g.width())) && ok;
    ok = ini.writeString(general, QStringLiteral("WindowHeight"), QString::number(g.isEmpty() ? 0 : g.height())) && ok;
    ok = ini.writeString(general, QStringLiteral("ViewPages"), QString::number(state.viewPages)) && ok;
    ok = ini.writeString(general, QStringLiteral("Thumbnails"), state.thumbnails ? QStringLiteral("1") : QStringLiteral("0")) && ok;
    return ok;
}

std::optional<QRect> restorableGeometry(const WindowState& state, const QList<QRect>& screens)
{
    const QRect& g = state.normalGeometry;
    if (g.width() < kMinimumSide || g.height() < kMinimumSide || g.width() > kMaximumSide || g.height() > kMaximumSide)
        return std::nullopt;
    // The strip along the top, by which the window is moved, must be reachable.
    const QRect titleStrip(g.left(), g.top(), g.width(), 30);
    for (const QRect& screen : screens) {
        const QRect seen = screen & titleStrip;
        if (seen.width() >= std::min(100, g.width()) && seen.height() > 0)
            return g;
    }
    return std::nullopt;
}

} // namespace kv
