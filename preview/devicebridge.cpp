#include "devicebridge.h"

#include "print/tprinter.h"

namespace kv {

DeviceGeometry deviceGeometry(const TPrinter& device)
{
    DeviceGeometry g;
    g.hasDc = device.hDC != 0;
    g.horzRes = device.nHorzRes();
    g.vertRes = device.nVertRes();
    g.horzSizeMm = device.nHorzSize();
    g.vertSizeMm = device.nVertSize();
    g.xOffset = device.nXOffset;
    g.yOffset = device.nYOffset;
    const auto sheet = device.GetPhysPageSize();
    g.physWidth = sheet[0];
    g.physHeight = sheet[1];
    g.dpiX = device.nLogPixelX();
    g.dpiY = device.nLogPixelY();
    return g;
}

QStringList devicePages(const TPrinter& device) { return device.aMeta; }
void setDevicePages(TPrinter& device, const QStringList& pages) { device.aMeta = pages; }
QString deviceDocument(const TPrinter& device) { return device.cDocument; }
bool deviceWantsModal(const TPrinter& device) { return device.lPrvModal; }
void endDevice(TPrinter& device) { device.End(); }

} // namespace kv
