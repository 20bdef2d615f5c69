#include "print/printerinfo.h"

#include "print/cupsqueue.h"
#include "print/pdfoutput.h"
#include "print/printerlist.h"

#include <QLocale>
#include <QPrinterInfo>

namespace kv {

PrinterDescription pdfFilePrinter()
{
    PrinterDescription d;
    d.name = kPdfFilePrinter;
    d.driver = QStringLiteral("Orvanta PDF");
    d.port = pdfOutputDirectory();
    d.builtInPdf = true;
    d.dpi = kFallbackDpi;
    // Only the US system means Letter paper: UK locales measure in imperial units but use A4.
    d.defaultPageSize = QPageSize(QLocale().measurementSystem() == QLocale::ImperialUSSystem
                                      ? QPageSize::Letter : QPageSize::A4);
    return d;
}

std::optional<PrinterDescription> describePrinter(const QString& name)
{
    if (name == kPdfFilePrinter) return pdfFilePrinter();
    const QPrinterInfo info = QPrinterInfo::printerInfo(name);
    if (info.isNull()) return std::nullopt;
    const auto details = queryCupsQueue(name);
    if (!details) return std::nullopt;
    PrinterDescription d;
    d.name = name;
    d.driver = !details->makeAndModel.isEmpty() ? details->makeAndModel : info.makeAndModel();
    d.port = !details->deviceUri.isEmpty() ? details->deviceUri : QStringLiteral("cups:") + name;
    d.dpi = details->defaultDpi > 0 ? details->defaultDpi : kFallbackDpi;
    d.defaultPageSize = info.defaultPageSize().isValid() ? info.defaultPageSize() : QPageSize(QPageSize::A4);
    return d;
}

} // namespace kv
