#pragma once
// What the preview asks of its printer device, in one place.
#include <QString>
#include <QStringList>

namespace kv {

class TPrinter;

struct DeviceGeometry {
    double horzRes = 0, vertRes = 0;        // printable pixels
    double horzSizeMm = 0, vertSizeMm = 0;  // printable millimetres
    double xOffset = 0, yOffset = 0;        // printing offsets, pixels
    double physWidth = 0, physHeight = 0;   // the whole sheet, pixels
    double dpiX = 0, dpiY = 0;              // pixels per inch
    bool hasDc = false;
};

DeviceGeometry deviceGeometry(const TPrinter& device);
QStringList devicePages(const TPrinter& device);
void setDevicePages(TPrinter& device, const QStringList& pages);
QString deviceDocument(const TPrinter& device);
bool deviceWantsModal(const TPrinter& device);
void endDevice(TPrinter& device);

} // namespace kv
