#pragma once
// The printer list ("Devices"): the CUPS queues in the order Qt reports them, then the built-in
// "PDF File" printer, which is always there so that preview, printing and export work on a
// machine without printers. Tests replace the system's list with one of their own.
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

namespace kv {

inline const QString kPdfFilePrinter = QStringLiteral("PDF File");

struct PrinterList {
    QStringList names;    // list order: CUPS queues first, "PDF File" last
    QString defaultName;  // the CUPS default queue, else "PDF File"
};

using PrinterListProvider = std::function<PrinterList()>;
// An empty provider gives the system's list back.
void setPrinterListProvider(PrinterListProvider provider);

PrinterList printerList();
PrinterList systemPrinterList();

// The first name that contains `wanted`, compared without regard to case; an empty `wanted`
// matches nothing. The name is only compared, never handed to anything else.
std::optional<qsizetype> matchPrinterName(const QStringList& names, const QString& wanted);
// Position counted from 1; nothing for 0, negative positions and positions beyond the list.
std::optional<qsizetype> printerAtPosition(const QStringList& names, long long position);

} // namespace kv
