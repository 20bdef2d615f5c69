#pragma once
// The device that draws with QPainter: widgets, images, printers and PDF files alike. The
// painter must be active; one device pixel is one pixel of the painter's device (the painter's
// own transform is left as the caller set it and is composed with what is drawn).
#include "device.h"

class QPainter;

namespace kv::gdi {

class PainterDevice : public Device {
public:
    PainterDevice(QPainter& painter, const DeviceCaps& caps);
    ~PainterDevice() override;

    DeviceCaps caps() const override { return caps_; }
    void setClip(const std::optional<QRegion>& clip) override;
    void fillPath(const QPainterPath& path, Qt::FillRule rule, const DrawBrush& brush) override;
    void strokePath(const QPainterPath& path, const DrawPen& pen) override;
    void drawText(const TextRun& run) override;
    void drawImage(const ImageDraw& image) override;
    bool supportsRasterOps() const override;

private:
    QPainter& painter_;
    DeviceCaps caps_;
};

} // namespace kv::gdi
