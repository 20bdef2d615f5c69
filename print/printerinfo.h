#pragma once
// One printer of the list described the way a device context needs it: driver and port texts,
// the resolution to print at and the paper it starts with.
#include <QPageSize>
#include <QString>
#include <optional>

namespace kv {

struct PrinterDescription {
    QString name;
    QString driver;      // CUPS: the make and model; "PDF File": "Orvanta PDF"
    QString port;        // CUPS: the device URI, else "cups:" + name; "PDF File": its output folder
    bool builtInPdf = false;
    int dpi = 600;       // CUPS: the driver's default resolution, else 600
    QPageSize defaultPageSize;
};

inline constexpr int kFallbackDpi = 600;

// Nothing when no such printer is there now (a queue removed, a scheduler that went away).
std::optional<PrinterDescription> describePrinter(const QString& name);

// The built-in printer: 600 dpi, A4, or Letter where the locale measures in US units.
PrinterDescription pdfFilePrinter();

} // namespace kv
