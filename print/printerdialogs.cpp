#include "print/printerdialogs.h"

#include "print/printerlist.h"

#include <QApplication>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrinter>

namespace kv {

namespace {

PrinterChooser& chooserSlot()
{
    static PrinterChooser chooser;
    return chooser;
}

PageSetupHook& setupSlot()
{
    static PageSetupHook hook;
    return hook;
}

// A QPrinter showing the state's printer and paper; the built-in printer appears as Qt's
// print-to-file entry.
void loadPrinter(QPrinter& printer, const PrinterState& state)
{
    if (state.deviceName == kPdfFilePrinter) printer.setOutputFormat(QPrinter::PdfFormat);
    else printer.setPrinterName(state.deviceName);
    printer.setPageSize(state.pageSize());
    printer.setPageOrientation(state.orientation == kLandscape ? QPageLayout::Landscape : QPageLayout::Portrait);
    printer.setCopyCount(std::max(1, state.copies));
}

int orientationOf(const QPrinter& printer)
{
    return printer.pageLayout().orientation() == QPageLayout::Landscape ? kLandscape : kPortrait;
}

std::optional<PrinterChoice> showPrintDialog(const QString& why)
{
    QPrinter printer;
    loadPrinter(printer, sharedPrinterState());
    QPrintDialog dialog(&printer, QApplication::activeWindow());
    if (!why.isEmpty())
        dialog.setWindowTitle(why);
    dialog.setOption(QAbstractPrintDialog::PrintSelection, false);
    dialog.setOption(QAbstractPrintDialog::PrintCollateCopies, true);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    PrinterChoice choice;
    const bool toFile = printer.outputFormat() == QPrinter::PdfFormat || printer.printerName().isEmpty();
    choice.printerName = toFile ? kPdfFilePrinter : printer.printerName();
    choice.copies = printer.copyCount();
    choice.orientation = orientationOf(printer);
    return choice;
}

bool showPageSetupDialog(PrinterState& state)
{
    QPrinter printer;
    loadPrinter(printer, state);
    QPageSetupDialog dialog(&printer, QApplication::activeWindow());
    if (dialog.exec() != QDialog::Accepted) return false;
    state.orientation = orientationOf(printer);
    state.setPaper(printer.pageLayout().pageSize());
    return true;
}

} // namespace

void setPrinterChooser(PrinterChooser chooser) { chooserSlot() = std::move(chooser); }
void setPageSetupHook(PageSetupHook hook) { setupSlot() = std::move(hook); }

std::optional<PrinterChoice> choosePrinter(const QString& why)
{
    return chooserSlot() ? chooserSlot()(why) : showPrintDialog(why);
}

bool runPageSetup(PrinterState& state)
{
    return setupSlot() ? setupSlot()(state) : showPageSetupDialog(state);
}

} // namespace kv
