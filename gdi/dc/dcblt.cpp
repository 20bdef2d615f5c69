// Dc bitmaps: the destination rectangle through the full transform, the source cropped to
// the source rectangle, raster operations passed on or approximated.
#include "gdi/dc/dcimpl.h"

#include "gdi/paint/rop.h"

#include <algorithm>

namespace kv::gdi {

namespace {

// Without raster operations on the device, the usual two- and three-blit transparency tricks
// are drawn as colour-keyed copies: on paper, ANDing a picture leaves its white out, ORing or
// XORing one leaves its black out.
void approximateRop(ImageDraw& d)
{
    switch (d.rop3) {
    case SRCAND:
        d.mode = ImageDraw::Mode::Transparent;
        d.transparentColor = qRgb(255, 255, 255);
        break;
    case SRCPAINT: case SRCINVERT:
        d.mode = ImageDraw::Mode::Transparent;
        d.transparentColor = qRgb(0, 0, 0);
        break;
    default:
        break;
    }
}

} // namespace

// Blits that do not read a source: fills with the brush, black or white, or (on devices that
// can) a pattern or destination operation.
void Dc::Impl::patternBlt(const rec::Blt& b)
{
    const QTransform m = toDevice();
    const QPolygonF quad = m.map(QPolygonF(QRectF(b.xDest, b.yDest, b.cxDest, b.cyDest)));
    QPainterPath path;
    path.addPolygon(quad);
    path.closeSubpath();
    DrawBrush brush;
    switch (b.rop) {
    case PATCOPY: brush = drawBrush(); break;
    case BLACKNESS: brush = solidBrush(0); break;
    case WHITENESS: brush = solidBrush(0xFFFFFF); break;
    default:
        if (dc.device_->supportsRasterOps()) {
            ImageDraw d;
            d.rop3 = b.rop;
            d.deviceQuad = quad;
            d.toDevice = QTransform::fromTranslate(b.xDest, b.yDest) * m;
            d.brush = drawBrush();
            syncClip();
            dc.device_->drawImage(d);
            addBounds(quad.boundingRect());
        }
        return;
    }
    brush.rop2 = R2_COPYPEN;
    fillDevicePath(path, Qt::WindingFill, brush);
}

void Dc::blt(const rec::Blt& b)
{
    if (!rop3UsesSource(b.rop) && b.kind != rec::BltKind::Alpha && b.kind != rec::BltKind::Transparent
        && b.kind != rec::BltKind::Mask) {
        impl_->patternBlt(b);
        return;
    }
    if (!b.source || b.source->image.isNull() || b.cxSrc == 0 || b.cySrc == 0)
        return;
    const QImage& image = b.source->image;
    const QRect wanted = QRect(b.xSrc, b.ySrc, b.cxSrc, b.cySrc).normalized();
    const QRect crop = wanted & image.rect();
    if (crop.isEmpty())
        return;

    // Source pixels of the crop -> logical destination -> device.
    const double sx = double(b.cxDest) / b.cxSrc, sy = double(b.cyDest) / b.cySrc;
    const QTransform toLogical = QTransform::fromTranslate(crop.x() - b.xSrc, crop.y() - b.ySrc)
        * QTransform::fromScale(sx, sy) * QTransform::fromTranslate(b.xDest, b.yDest);

    ImageDraw d;
    d.source = crop == image.rect() ? image : image.copy(crop);
    d.toDevice = toLogical * impl_->toDevice();
    d.deviceQuad = d.toDevice.map(QPolygonF(QRectF(0, 0, crop.width(), crop.height())));
    d.rop3 = b.rop;
    d.brush = impl_->drawBrush();
    d.stretchMode = state_.stretchMode;
    switch (b.kind) {
    case rec::BltKind::Alpha:
        d.mode = ImageDraw::Mode::Alpha;
        // AlphaBlend stretches as COLORONCOLOR whatever mode the DC has, HALFTONE included.
        d.stretchMode = COLORONCOLOR;
        d.constantAlpha = uint8_t(b.blendFunction >> 16);
        d.perPixelAlpha = (b.blendFunction >> 24) & 1;
        break;
    case rec::BltKind::Transparent:
        d.mode = ImageDraw::Mode::Transparent;
        d.transparentColor = toQRgb(b.transparentColor);
        break;
    case rec::BltKind::Mask:
        if (b.mask && !b.mask->image.isNull()) {
            d.mode = ImageDraw::Mode::Mask;
            d.mask = b.mask->image.copy(QRect(b.xMask + (crop.x() - b.xSrc), b.yMask + (crop.y() - b.ySrc),
                                              crop.width(), crop.height()));
            d.rop3 = b.rop & 0x00FFFFFF;
            d.backgroundRop3 = (b.rop >> 8) & 0x00FF0000;
        } else {
            d.rop3 = b.rop & 0x00FFFFFF;
        }
        break;
    default:
        break;
    }
    if (d.mode == ImageDraw::Mode::Rop && !device_->supportsRasterOps())
        approximateRop(d);
    impl_->syncClip();
    device_->drawImage(d);
    impl_->addBounds(d.deviceQuad.boundingRect());
}

} // namespace kv::gdi
