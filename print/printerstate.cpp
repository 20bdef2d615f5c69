#include "print/printerstate.h"

#include "print/printerinfo.h"
#include "print/printerlist.h"

#include <optional>

namespace kv {

namespace {

std::optional<PrinterState>& stateSlot()
{
    static std::optional<PrinterState> state;
    return state;
}

PrinterState defaultModeOf(const PrinterDescription& printer)
{
    PrinterState state;
    state.deviceName = printer.name;
    state.driver = printer.driver;
    state.port = printer.port;
    state.setPaper(printer.defaultPageSize);
    return state;
}

} // namespace

QPageSize PrinterState::pageSize() const
{
    const QPageSize size = paperSize == DMPAPER_USER ? userPageSize(paperWidth, paperLength)
                                                      : pageSizeForPaperCode(paperSize);
    return size.isValid() ? size : QPageSize(QPageSize::A4);
}

void PrinterState::setPaper(const QPageSize& size)
{
    paperSize = paperCodeForPageSize(size);
    if (paperSize != 0 || !size.isValid()) {
        paperSize = paperSize != 0 ? paperSize : DMPAPER_A4;
        return;
    }
    const QSizeF mm = size.size(QPageSize::Millimeter);
    paperSize = DMPAPER_USER;
    paperWidth = int(mm.width() * 10 + 0.5);
    paperLength = int(mm.height() * 10 + 0.5);
}

PrinterState& sharedPrinterState()
{
    auto& slot = stateSlot();
    if (!slot) {
        // The default printer, or the built-in one when the default cannot be described now.
        const auto printer = describePrinter(printerList().defaultName);
        slot = defaultModeOf(printer ? *printer : pdfFilePrinter());
    }
    return *slot;
}

void resetSharedPrinterState() { stateSlot().reset(); }

bool selectPrinter(const QString& name)
{
    const auto printer = describePrinter(name);
    if (!printer) return false;
    stateSlot() = defaultModeOf(*printer);
    return true;
}

} // namespace kv
