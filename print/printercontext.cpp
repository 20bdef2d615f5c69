#include "print/printercontext.h"

namespace kv {

PrinterContext::PrinterContext(std::unique_ptr<PrinterDevice> device)
    : device_(std::move(device)), dc_(std::make_unique<gdi::Dc>(*device_)), handle_(registerDc(dc_.get()))
{
}

PrinterContext::~PrinterContext()
{
    unregisterDc(handle_);
    dc_.reset();
    device_.reset();  // finishes a job still open
}

std::unique_ptr<PrinterContext> PrinterContext::create(const PrinterState& state)
{
    auto device = PrinterDevice::create(state);
    if (!device) return nullptr;
    return std::unique_ptr<PrinterContext>(new PrinterContext(std::move(device)));
}

} // namespace kv
