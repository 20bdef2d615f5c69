#include "print/printerlist.h"

#include <QPrinterInfo>

namespace kv {

namespace {
PrinterListProvider& provider()
{
    static PrinterListProvider p;
    return p;
}
} // namespace

void setPrinterListProvider(PrinterListProvider p) { provider() = std::move(p); }

PrinterList printerList()
{
    return provider() ? provider()() : systemPrinterList();
}

PrinterList systemPrinterList()
{
    PrinterList list;
    for (const QString& name : QPrinterInfo::availablePrinterNames()) {
        QString trimmed = name;
        while (!trimmed.isEmpty() && trimmed.back().isSpace()) trimmed.chop(1);
        if (!trimmed.isEmpty() && trimmed != kPdfFilePrinter) list.names << trimmed;
    }
    list.names << kPdfFilePrinter;
    const QString cupsDefault = QPrinterInfo::defaultPrinterName();
    list.defaultName = list.names.contains(cupsDefault) ? cupsDefault : kPdfFilePrinter;
    return list;
}

std::optional<qsizetype> matchPrinterName(const QStringList& names, const QString& wanted)
{
    if (wanted.isEmpty()) return std::nullopt;
    for (qsizetype i = 0; i < names.size(); ++i)
        if (names[i].contains(wanted, Qt::CaseInsensitive)) return i;
    return std::nullopt;
}

std::optional<qsizetype> printerAtPosition(const QStringList& names, long long position)
{
    if (position < 1 || position > names.size()) return std::nullopt;
    return qsizetype(position - 1);
}

} // namespace kv
