// Drawing handed to a Dc already in device pixels: it passes the same choke points as GDI's
// own calls, so clipping, the meta region and the drawn bounds hold for it as well.
#include "gdi/dc/dcimpl.h"

namespace kv::gdi {

void Dc::setDeviceClip(const std::optional<QRegion>& clip) { state_.clip = clip; }

void Dc::fillDevice(const QPainterPath& path, Qt::FillRule rule, const DrawBrush& brush)
{
    impl_->fillDevicePath(path, rule, brush);
}

void Dc::strokeDevice(const QPainterPath& path, const DrawPen& pen) { impl_->strokeDevicePath(path, pen); }

void Dc::textDevice(const TextRun& run)
{
    if (run.text.empty() || !run.font)
        return;
    impl_->syncClip();
    device_->drawText(run);
    QRectF box;
    for (const QPointF& p : run.origins)
        box |= QRectF(p - QPointF(0, run.font->ascent), QSizeF(run.font->averageWidth, run.font->ascent + run.font->descent));
    impl_->addBounds(box);
}

void Dc::imageDevice(const ImageDraw& image)
{
    impl_->syncClip();
    device_->drawImage(image);
    impl_->addBounds(image.deviceQuad.boundingRect());
}

} // namespace kv::gdi
