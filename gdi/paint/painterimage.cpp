// Bitmaps of the painter device: plain copies are drawn straight through the device
// transform; other raster operations combine with the destination's pixels where the painter
// draws into a QImage, and are approximated elsewhere.
#include "gdi/paint/painterdevice.h"
#include "gdi/paint/hatch.h"
#include "gdi/paint/nearestscale.h"
#include "gdi/paint/rop.h"
#include "gdi/paint/shrink.h"

#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>

namespace kv::gdi {

namespace {

constexpr QRgb kOpaqueBlack = 0xFF000000u;
constexpr QRgb kOpaqueWhite = 0xFFFFFFFFu;
constexpr uint8_t kLeaveDestination = 0xAA;  // the operation index of D

bool isSmooth(int32_t stretchMode)
{
    return stretchMode == HALFTONE;
}

// The ROP2 doing what a ROP3 does when it does not read the source: truth table bits of
// (P, D) at S = 0.
int32_t rop2WithoutSource(uint32_t rop3)
{
    const uint8_t index = rop3Index(rop3);
    const int bits = (index & 1) | ((index >> 1) & 1) << 1 | ((index >> 4) & 1) << 2 | ((index >> 5) & 1) << 3;
    return int32_t(bits + 1);
}

bool maskBit(const QImage& mask, int x, int y)
{
    if (mask.format() == QImage::Format_Mono || mask.format() == QImage::Format_MonoLSB
        || mask.format() == QImage::Format_Indexed8)
        return mask.pixelIndex(x, y) != 0;
    return (mask.pixel(x, y) & 0x00FFFFFF) != 0;
}

// The mask as white (bit 1) and black (bit 0) pixels, so that it survives scaling.
QImage canonicalMask(const QImage& mask)
{
    QImage out(mask.size(), QImage::Format_RGB32);
    for (int y = 0; y < mask.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < mask.width(); ++x)
            row[x] = maskBit(mask, x, y) ? kOpaqueWhite : kOpaqueBlack;
    }
    return out;
}

// The pixel rectangle whose centres lie inside a device-space rectangle.
QRect pixelsInside(const QRectF& r)
{
    const int left = int(std::lround(r.left())), top = int(std::lround(r.top()));
    return QRect(QPoint(left, top), QPoint(int(std::lround(r.right())) - 1, int(std::lround(r.bottom())) - 1));
}

// `image` resampled into `rect` of a device whose pixels `toTarget` maps it onto.
QImage resampled(const QImage& image, const QTransform& toTarget, const QRect& rect, bool smooth, QRgb fill)
{
    QImage out(rect.size(), QImage::Format_ARGB32_Premultiplied);
    out.fill(fill);
    QPainter p(&out);
    p.setRenderHint(QPainter::SmoothPixmapTransform, smooth);
    p.setTransform(toTarget * QTransform::fromTranslate(-rect.left(), -rect.top()));
    p.drawImage(QPointF(0, 0), image);
    return out;
}

QImage inverted(const QImage& image)
{
    QImage out = image.convertToFormat(QImage::Format_ARGB32);
    out.invertPixels(QImage::InvertRgb);
    return out;
}

// The bitmap shrunk the way the stretch mode says, with the transform that puts it where the
// original went. COLORONCOLOR drops pixels and HALFTONE averages them: both are left to the
// painter's own scaling, as are pictures with transparent pixels.
ImageDraw shrunkForStretchMode(const ImageDraw& image, const QTransform& base)
{
    const bool useAnd = image.stretchMode == BLACKONWHITE;
    if ((!useAnd && image.stretchMode != WHITEONBLACK) || image.source.isNull() || image.source.hasAlphaChannel())
        return image;
    const QTransform toTarget = image.toDevice * base;
    const double sx = std::abs(toTarget.m11()), sy = std::abs(toTarget.m22());
    if (toTarget.type() > QTransform::TxScale || (sx >= 1 && sy >= 1))
        return image;
    const int w = image.source.width(), h = image.source.height();
    const QSize size(sx < 1 ? int(std::ceil(w * sx)) : w, sy < 1 ? int(std::ceil(h * sy)) : h);
    if (size == image.source.size())
        return image;
    ImageDraw shrunk = image;
    shrunk.source = shrinkCombining(image.source, size, useAnd);
    shrunk.toDevice = QTransform::fromScale(double(w) / shrunk.source.width(), double(h) / shrunk.source.height())
        * image.toDevice;
    return shrunk;
}

// `image` one pixel wider and higher, its last column and row repeated.
QImage withEdgesRepeated(const QImage& image)
{
    const QImage::Format format = image.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32;
    const QImage source = image.convertToFormat(format);
    const int w = source.width(), h = source.height();
    QImage out(w + 1, h + 1, format);
    for (int y = 0; y <= h; ++y) {
        const auto* in = reinterpret_cast<const QRgb*>(source.constScanLine(std::min(y, h - 1)));
        auto* row = reinterpret_cast<QRgb*>(out.scanLine(y));
        std::copy(in, in + w, row);
        row[w] = in[w - 1];
    }
    return out;
}

// HALFTONE enlarges by interpolating at source position d * (source size / destination size)
// for destination pixel d: each source pixel's colour sits at the top-left corner of its
// enlarged cell, not at its centre, so the smoothing lies half a source pixel up and left of a
// centred interpolation, and the last row and column are held out to the destination's edge.
// Returns how far the source is moved (in its own pixels) to sample that way; nothing for
// pictures that are not enlarged upright.
QPointF halftoneEnlargementShift(const QTransform& toTarget)
{
    if (toTarget.type() > QTransform::TxScale || toTarget.m11() <= 0 || toTarget.m22() <= 0)
        return {};
    const auto shift = [](double scale) { return scale > 1 ? 0.5 * (1 - 1 / scale) : 0.0; };
    return {shift(toTarget.m11()), shift(toTarget.m22())};
}

} // namespace

void PainterDevice::drawImage(const ImageDraw& image)
{
    setBlending(image.sourceCopy);
    switch (image.mode) {
    case ImageDraw::Mode::Rop: drawRopImage(shrunkForStretchMode(image, base_)); break;
    case ImageDraw::Mode::Alpha: drawAlphaImage(image); break;
    case ImageDraw::Mode::Transparent: drawTransparentImage(image); break;
    case ImageDraw::Mode::Mask: drawMaskImage(image); break;
    }
    painter_.setCompositionMode(QPainter::CompositionMode_SourceOver);
}

void PainterDevice::drawScaledImage(const QImage& source, const QTransform& toDevice, bool smooth)
{
    const QPointF shift = smooth && !source.isNull() ? halftoneEnlargementShift(toDevice * base_) : QPointF();
    if (!shift.isNull()) {
        painter_.save();
        painter_.setTransform(toDevice * base_);
        painter_.setClipRect(QRectF(QPointF(0, 0), source.size()), Qt::IntersectClip);
        painter_.setRenderHint(QPainter::SmoothPixmapTransform, true);
        painter_.drawImage(-shift, withEdgesRepeated(source));
        painter_.restore();
        return;
    }
    painter_.setRenderHint(QPainter::SmoothPixmapTransform, smooth);
    painter_.setTransform(toDevice * base_);
    if (smooth || !drawNearest(source))
        painter_.drawImage(QPointF(0, 0), source);
    painter_.setTransform(base_);
    painter_.setRenderHint(QPainter::SmoothPixmapTransform, false);
}

// An opaque bitmap copied unsmoothed straight into the target image, past the painter, when
// nothing the painter would add is in the way: no blending, no opacity, and no clip other than
// a rectangle the Dc set, laid on the target's pixels by a whole-pixel shift. The painter's
// transform is where the bitmap goes.
bool PainterDevice::drawNearest(const QImage& source)
{
    QImage* target = rasterTarget();
    const QTransform toTarget = painter_.deviceTransform();
    const QPainter::CompositionMode mode = painter_.compositionMode();
    if (!target || callerClipped_ || painter_.opacity() != 1 || !canScaleNearest(source, *target, toTarget)
        || (mode != QPainter::CompositionMode_SourceOver && mode != QPainter::CompositionMode_Source))
        return false;
    if (!clip_) {
        scaleNearest(source, toTarget, *target, target->rect());
        return true;
    }
    const QTransform deviceToTarget = base_ * painter_.worldTransform().inverted() * toTarget;
    const QPoint shift(int(std::lround(deviceToTarget.dx())), int(std::lround(deviceToTarget.dy())));
    if (deviceToTarget.type() > QTransform::TxTranslate || QPointF(shift) != QPointF(deviceToTarget.dx(), deviceToTarget.dy()))
        return false;
    // Qt steps a stretch from the corner of a clip rectangle; through a region of several it
    // takes another road.
    if (clip_->rectCount() != 1)
        return false;
    scaleNearest(source, toTarget, *target, clip_->boundingRect().translated(shift));
    return true;
}

void PainterDevice::drawRopImage(const ImageDraw& image)
{
    const uint32_t rop3 = image.rop3;
    if (!rop3UsesSource(rop3)) {
        // Pattern and destination only (PatBlt, BLACKNESS, DSTINVERT …): a filled rectangle.
        DrawBrush brush = image.brush;
        if (!rop3UsesPattern(rop3) || brush.isNull()) {
            if (rop3UsesPattern(rop3))
                return;  // a null brush paints nothing
            brush.kind = DrawBrush::Kind::Solid;
        }
        brush.rop2 = rop2WithoutSource(rop3);
        QPainterPath quad;
        quad.addPolygon(image.deviceQuad);
        quad.closeSubpath();
        fillWithBrush(quad, brush);
        return;
    }
    if (image.source.isNull())
        return;
    const bool smooth = isSmooth(image.stretchMode);
    if (rop3 == SRCCOPY) {
        drawScaledImage(image.source, image.toDevice, smooth);
        return;
    }
    if (rasterEngine_ && !rop3UsesPattern(rop3)) {
        painter_.setCompositionMode(*compositionModeForRop3(rop3));
        drawScaledImage(image.source.convertToFormat(QImage::Format_RGB32), image.toDevice, smooth);
        return;
    }
    if (combineWithDestination(image, rop3, nullptr))
        return;
    // Without the destination's pixels: what the usual mask idioms look like on paper.
    switch (rop3) {
    case SRCAND: drawScaledImage(withColourKey(image.source, kOpaqueWhite), image.toDevice, false); break;
    case SRCPAINT:
    case SRCINVERT: drawScaledImage(withColourKey(image.source, kOpaqueBlack), image.toDevice, false); break;
    case NOTSRCCOPY: drawScaledImage(inverted(image.source), image.toDevice, smooth); break;
    default: drawScaledImage(image.source, image.toDevice, smooth); break;
    }
}

void PainterDevice::drawAlphaImage(const ImageDraw& image)
{
    if (image.source.isNull() || image.constantAlpha == 0)
        return;
    const QImage source = image.perPixelAlpha || !image.source.hasAlphaChannel()
        ? image.source
        : image.source.convertToFormat(QImage::Format_RGB32);
    painter_.setOpacity(image.constantAlpha / 255.0);
    drawScaledImage(source, image.toDevice, isSmooth(image.stretchMode));
    painter_.setOpacity(1);
}

void PainterDevice::drawTransparentImage(const ImageDraw& image)
{
    if (image.source.isNull())
        return;
    drawScaledImage(withColourKey(image.source, image.transparentColor), image.toDevice, false);
}

void PainterDevice::drawMaskImage(const ImageDraw& image)
{
    if (image.mask.isNull()) {
        ImageDraw plain = image;
        plain.mode = ImageDraw::Mode::Rop;
        drawRopImage(plain);
        return;
    }
    const QImage mask = canonicalMask(image.mask);
    if (combineWithDestination(image, image.rop3, &mask) || image.source.isNull())
        return;
    // Approximation: the source where the operation of its mask bit copies it, else nothing.
    QImage masked = image.source.convertToFormat(QImage::Format_ARGB32);
    const bool foreground = rop3Index(image.rop3) != kLeaveDestination;
    const bool background = rop3Index(image.backgroundRop3) != kLeaveDestination;
    for (int y = 0; y < masked.height() && y < mask.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(masked.scanLine(y));
        const auto* bits = reinterpret_cast<const QRgb*>(mask.constScanLine(y));
        for (int x = 0; x < masked.width() && x < mask.width(); ++x)
            if (!(bits[x] == kOpaqueWhite ? foreground : background))
                row[x] = 0;
    }
    drawScaledImage(masked, image.toDevice, false);
}

// Raster operations with the destination's pixels: the source (and mask) resampled into the
// destination rectangle, the operation applied to a copy of the pixels there, and the result
// drawn back through the painter, so the clip still holds. Only for images drawn without
// rotation into a QImage.
bool PainterDevice::combineWithDestination(const ImageDraw& image, uint32_t rop3, const QImage* mask)
{
    QImage* target = rasterTarget();
    if (!target || base_.type() > QTransform::TxScale || image.toDevice.type() > QTransform::TxScale)
        return false;
    const QTransform toTarget = image.toDevice * base_;
    const QRect rect = pixelsInside(base_.map(image.deviceQuad).boundingRect()) & target->rect();
    if (rect.isEmpty())
        return true;
    const QImage source = image.source.isNull()
        ? QImage()
        : resampled(image.source, toTarget, rect, isSmooth(image.stretchMode), kOpaqueBlack);
    QImage tile;
    RopPattern pattern;
    pattern.colour = image.brush.color.rgb();
    pattern.origin = (base_.map(image.brush.origin) - QPointF(rect.topLeft())).toPoint();
    if (image.brush.kind == DrawBrush::Kind::Pattern)
        tile = image.brush.pattern;
    else if (image.brush.kind == DrawBrush::Kind::Hatch && isPatternHatch(image.brush.hatch))
        tile = hatchTile(image.brush.hatch, image.brush.color.rgb(), image.brush.background.rgb());
    pattern.tile = tile.isNull() ? nullptr : &tile;

    QImage result = target->copy(rect);
    const QRect all(QPoint(0, 0), rect.size());
    if (mask) {
        const QImage scaledMask = resampled(*mask, toTarget, rect, false, kOpaqueBlack);
        const uint32_t rop4 = (rop3 & 0x00FFFFFFu) | ((image.backgroundRop3 << 8) & 0xFF000000u);
        maskBlt(result, all, source.isNull() ? nullptr : &source, &pattern, scaledMask, rop4);
    } else {
        applyRop3(result, all, source.isNull() ? nullptr : &source, &pattern, rop3);
    }
    painter_.save();
    painter_.resetTransform();
    painter_.setCompositionMode(QPainter::CompositionMode_Source);
    painter_.drawImage(rect.topLeft(), result);
    painter_.restore();
    return true;
}

} // namespace kv::gdi
