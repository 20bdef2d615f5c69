#pragma once
// A printer device context: the printer device, the Dc over it and the integer handle that
// names the Dc while it lives (what TPrinter keeps in hDC).
#include "gdi/dc/dc.h"
#include "gdi/metafileapi.h"
#include "print/printerdevice.h"

#include <memory>

namespace kv {

class PrinterContext {
public:
    // Nothing when the state's printer cannot be made now.
    static std::unique_ptr<PrinterContext> create(const PrinterState& state);
    ~PrinterContext();
    PrinterContext(const PrinterContext&) = delete;
    PrinterContext& operator=(const PrinterContext&) = delete;

    HDC handle() const { return handle_; }
    PrinterDevice& device() { return *device_; }
    gdi::Dc& dc() { return *dc_; }
    gdi::DeviceCaps caps() const { return device_->caps(); }

private:
    explicit PrinterContext(std::unique_ptr<PrinterDevice> device);

    std::unique_ptr<PrinterDevice> device_;
    std::unique_ptr<gdi::Dc> dc_;
    HDC handle_ = 0;
};

} // namespace kv
