#pragma once
// The two printer dialogs the device uses, behind hooks so that tests (and a window layer that
// wants its own) can answer them: choosing a printer and setting up the page.
#include "print/printerstate.h"

#include <QString>
#include <functional>
#include <optional>

namespace kv {

struct PrinterChoice {
    QString printerName;             // a name of the printer list
    std::optional<int> copies;       // what the dialog asked for, when it did
    std::optional<int> orientation;  // kPortrait or kLandscape
};

// Nothing means the user cancelled. `why` (empty when the user simply asked) says why the
// choice is asked for; the dialog shows it in its title.
using PrinterChooser = std::function<std::optional<PrinterChoice>(const QString& why)>;
// Edits the state in place; false means the user cancelled.
using PageSetupHook = std::function<bool(PrinterState& state)>;

// Empty hooks restore the default dialogs (QPrintDialog, QPageSetupDialog).
void setPrinterChooser(PrinterChooser chooser);
void setPageSetupHook(PageSetupHook hook);

std::optional<PrinterChoice> choosePrinter(const QString& why = {});
bool runPageSetup(PrinterState& state);

} // namespace kv
