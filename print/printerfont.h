#pragma once
// The fonts a report hands to the printer device: a face and a nominal height in points, made
// into a GDI font for the device's resolution when drawn.
#include "gdi/core/objects.h"

#include <QString>

namespace kv {

struct PrinterFont {
    QString face = QStringLiteral("COURIER");
    double height = 12;  // nominal height in points
    int weight = 400;    // 400 normal, 700 bold
    bool italic = false, underline = false, strikeOut = false;

    bool operator==(const PrinterFont&) const = default;
};

// The LOGFONT of the font on a device with `logPixelsY` pixels per inch down (a character
// height, as CreateFont with a negative height).
gdi::LogFont toLogFont(const PrinterFont& font, int logPixelsY);

} // namespace kv
