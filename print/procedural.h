#pragma once
// The procedural printer interface: one current device per process.
#include "print/tprinter.h"

#include <memory>
#include <variant>

namespace kv {

// Which printer PRINTBEGIN makes the device for: none (the shared state's printer), a name
// (first list entry containing it, without regard to case) or a position in the list from 1.
using PrinterSelector = std::variant<std::monostate, QString, long long>;

// Makes a device, makes it the current one and returns it. A name or position that finds no
// printer sounds a short 100 Hz tone and lets the user choose.
std::shared_ptr<TPrinter> PRINTBEGIN(const std::optional<QString>& cDocument = {}, bool lUser = false,
                                     bool lPreview = false, const PrinterSelector& xModel = {},
                                     bool lModal = false);
void PAGEBEGIN();  // StartPage of the current device
void PAGEEND();    // EndPage of the current device
void PRINTEND();   // Preview of a spooling current device, End of a direct one; then none is current

std::shared_ptr<TPrinter> currentPrinter();

// For TPrinter::End: stops `device` being the current one. The module's reference comes back,
// so that the caller keeps the device alive until it has finished.
std::shared_ptr<TPrinter> releaseCurrentPrinter(const TPrinter* device);

} // namespace kv
