// The reference surface HDC 0 stands for.
#include "gdi/metafileapi.h"

#include <QGuiApplication>
#include <QScreen>
#include <cmath>

namespace kv {

namespace {

// What a headless run measures against: a 96-dpi full-HD screen of 508 x 286 mm.
gdi::DeviceCaps fixedScreen()
{
    gdi::DeviceCaps caps;
    caps.horzRes = 1920;
    caps.vertRes = 1080;
    caps.horzSizeMm = 508;
    caps.vertSizeMm = 286;
    caps.logPixelsX = caps.logPixelsY = 96;
    return caps;
}

} // namespace

gdi::DeviceCaps displayCaps()
{
    if (!qGuiApp)
        return fixedScreen();
    const QString platform = QGuiApplication::platformName();
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen || platform == QLatin1String("offscreen") || platform == QLatin1String("minimal"))
        return fixedScreen();
    const QSize size = screen->size();
    const double dpiX = screen->logicalDotsPerInchX(), dpiY = screen->logicalDotsPerInchY();
    if (size.isEmpty() || dpiX <= 0 || dpiY <= 0)
        return fixedScreen();
    gdi::DeviceCaps caps;
    caps.horzRes = size.width();
    caps.vertRes = size.height();
    caps.logPixelsX = int32_t(std::lround(dpiX));
    caps.logPixelsY = int32_t(std::lround(dpiY));
    caps.horzSizeMm = int32_t(std::lround(size.width() * 25.4 / dpiX));
    caps.vertSizeMm = int32_t(std::lround(size.height() * 25.4 / dpiY));
    return caps;
}

} // namespace kv
