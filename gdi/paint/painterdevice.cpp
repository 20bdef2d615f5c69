// Fills and lines of the painter device. GDI's raster operations map onto QPainter's raster
// composition modes (all sixteen ROP2s have one); printers and PDF files have none, so there
// the result is what the operation would give on white paper.
#include "gdi/paint/painterdevice.h"
#include "gdi/paint/hatch.h"
#include "gdi/paint/pixelrect.h"
#include "gdi/paint/rop.h"

#include <QPaintEngine>
#include <QPainter>
#include <QPainterPathStroker>
#include <cmath>

namespace kv::gdi {

namespace {

// QPen wants an even number of dash entries; GDI repeats an odd style, which doubling matches.
QList<qreal> evenDashes(const QList<qreal>& dashes)
{
    QList<qreal> even = dashes;
    for (qreal& d : even)
        d = std::max<qreal>(d, 0.01);
    if (even.size() % 2 == 1)
        even += even;
    return even;
}

// GDI's miter limit is the miter length over the line width; Qt's runs from the join point,
// half of that.
double qtMiterLimit(double gdiLimit)
{
    return std::max(0.5, gdiLimit / 2);
}

// GDI realizes a geometric pen at a whole number of device pixels; smoothed (GDI+) lines keep
// their exact width.
double deviceWidth(const DrawPen& pen)
{
    return std::max(1.0, pen.smooth ? pen.width : std::round(pen.width));
}

bool isThin(const DrawPen& pen)
{
    return pen.cosmetic || deviceWidth(pen) <= 1.0;
}

// A thin pen is one device pixel wide. On images and widgets that is Qt's cosmetic pen (width
// 0: one pixel whatever the transform, dashes counted in pixels). PDF files and printers get
// the width of one pixel of the device the page is drawn for instead: a PDF "0 w" is drawn by
// viewers as the thinnest line they can, which at high zoom or on a fine printer is all but
// invisible.
QPen qtPen(const DrawPen& pen, const QColor& colour, bool rasterTarget)
{
    const double thinWidth = rasterTarget ? 0.0 : 1.0;
    QPen qp(colour, isThin(pen) ? thinWidth : deviceWidth(pen));
    qp.setCapStyle(pen.cap);
    qp.setJoinStyle(pen.join);
    qp.setMiterLimit(qtMiterLimit(pen.miterLimit));
    if (pen.style == Qt::CustomDashLine && !pen.dashes.isEmpty())
        qp.setDashPattern(evenDashes(pen.dashes));
    else
        qp.setStyle(pen.style == Qt::CustomDashLine ? Qt::SolidLine : pen.style);
    return qp;
}

QPainterPath onWholePixels(QPainterPath path)
{
    for (int i = 0; i < path.elementCount(); ++i) {
        const QPainterPath::Element e = path.elementAt(i);
        path.setElementPositionAt(i, std::round(e.x), std::round(e.y));
    }
    return path;
}

bool isStyled(const QPen& pen)
{
    return pen.style() != Qt::SolidLine && pen.style() != Qt::NoPen;
}

} // namespace

PainterDevice::PainterDevice(QPainter& painter, const DeviceCaps& caps)
    : painter_(painter), caps_(caps)
{
    painter_.save();
    base_ = painter_.transform();
    const QPaintEngine* engine = painter_.paintEngine();
    rasterEngine_ = engine && engine->type() == QPaintEngine::Raster;
    callerClipped_ = painter_.hasClipping();
    resetState();
}

PainterDevice::~PainterDevice()
{
    if (painter_.isActive())
        painter_.restore();
}

void PainterDevice::resetState()
{
    painter_.setTransform(base_);
    painter_.setRenderHint(QPainter::Antialiasing, false);
    painter_.setRenderHint(QPainter::TextAntialiasing, true);
    painter_.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter_.setCompositionMode(QPainter::CompositionMode_SourceOver);
}

void PainterDevice::setBlending(bool sourceCopy)
{
    painter_.setCompositionMode(sourceCopy ? QPainter::CompositionMode_Source : QPainter::CompositionMode_SourceOver);
}

bool PainterDevice::supportsRasterOps() const
{
    return rasterEngine_;
}

void PainterDevice::setClip(const std::optional<QRegion>& clip)
{
    // Back to the caller's own clip, then narrow it.
    painter_.restore();
    painter_.save();
    resetState();
    if (clip)
        painter_.setClipRegion(*clip, Qt::IntersectClip);
    clip_ = clip;
}

std::optional<QColor> PainterDevice::prepareRop2(int32_t rop2, const QColor& colour, bool sourceCopy)
{
    if (rop2 == R2_NOP)
        return std::nullopt;
    const QColor opaque = QColor(colour.rgb());
    const auto mode = compositionModeForRop2(rop2);
    if (!mode || rop2 == R2_COPYPEN) {
        setBlending(sourceCopy);
        return colour;
    }
    if (rasterEngine_) {
        painter_.setCompositionMode(*mode);
        return opaque;
    }
    painter_.setCompositionMode(QPainter::CompositionMode_SourceOver);
    const QRgb white = qRgb(255, 255, 255);
    const QRgb onWhite = rop2Pixel(opaque.rgb(), white, rop2) | 0xFF000000u;
    if (onWhite == white && rop2 != R2_WHITE)
        return std::nullopt;  // would leave white paper as it is: drawing it would only erase
    return QColor(onWhite);
}

void PainterDevice::fillPath(const QPainterPath& path, Qt::FillRule rule, const DrawBrush& brush)
{
    if (brush.isNull() || path.isEmpty())
        return;
    QPainterPath filled(path);
    filled.setFillRule(rule);
    fillWithBrush(filled, brush);
}

void PainterDevice::fillWithBrush(const QPainterPath& path, const DrawBrush& brush)
{
    const bool patterned = (brush.kind == DrawBrush::Kind::Hatch && isPatternHatch(brush.hatch))
        || (brush.kind == DrawBrush::Kind::Pattern && !brush.pattern.isNull());
    const std::optional<QColor> colour = prepareRop2(brush.rop2, brush.color, brush.sourceCopy);
    if (!colour)
        return;
    painter_.setPen(Qt::NoPen);
    painter_.setRenderHint(QPainter::Antialiasing, brush.smooth);
    if (brush.kind == DrawBrush::Kind::Shader) {
        painter_.setBrush(brush.shader);
    } else if (!patterned) {
        if (const std::optional<QRect> pixels = brush.smooth ? std::nullopt : coveredPixelRectangle(path, painter_.deviceTransform())) {
            const QTransform world = painter_.worldTransform();
            painter_.setTransform(inTargetPixels());
            painter_.fillRect(*pixels, *colour);
            painter_.setTransform(world);
            return;
        }
        painter_.setBrush(*colour);
    } else if (brush.kind == DrawBrush::Kind::Pattern) {
        painter_.setBrush(QBrush(brush.pattern));
        painter_.setBrushOrigin(brush.origin);
    } else if (rasterEngine_ && brush.rop2 != R2_COPYPEN && !brush.opaqueBackground) {
        // Transparent gaps have no pixel value a raster operation could leave alone.
        fillHatchWithRasterOp(path, brush);
        return;
    } else {
        const std::optional<QRgb> gaps = brush.opaqueBackground ? std::optional(brush.background.rgb()) : std::nullopt;
        painter_.setBrush(QBrush(hatchTile(brush.hatch, colour->rgba(), gaps)));
        painter_.setBrushOrigin(brush.origin);
    }
    painter_.drawPath(path);
    painter_.setRenderHint(QPainter::Antialiasing, false);
}

void PainterDevice::fillHatchWithRasterOp(const QPainterPath& path, const DrawBrush& brush)
{
    QRect area = path.boundingRect().toAlignedRect();
    if (const QPaintDevice* target = painter_.device()) {
        const QRect deviceRect(0, 0, target->width(), target->height());
        area &= base_.inverted().mapRect(deviceRect).adjusted(-1, -1, 1, 1);
    }
    if (area.isEmpty())
        return;
    painter_.save();
    painter_.setClipRegion(hatchRegion(brush.hatch, area, brush.origin.toPoint()), Qt::IntersectClip);
    painter_.setBrush(QColor(brush.color.rgb()));
    painter_.drawPath(path);
    painter_.restore();
}

void PainterDevice::strokePath(const QPainterPath& path, const DrawPen& pen)
{
    if (!pen.visible || path.isEmpty())
        return;
    if (pen.brush && pen.brush->kind != DrawBrush::Kind::Solid) {
        strokeOutline(path, pen);
        return;
    }
    painter_.setBrush(Qt::NoBrush);
    const QPen qp = qtPen(pen, pen.color, rasterEngine_);
    // GDI draws in whole device pixels: a one-pixel line's points are rounded to them first,
    // which decides on which side of an image edge or a fill's border the line falls.
    const QPainterPath drawnPath = rasterEngine_ && pen.onWholePixels() && base_.type() <= QTransform::TxTranslate
        ? onWholePixels(path) : path;
    painter_.setRenderHint(QPainter::Antialiasing, pen.smooth);
    if (pen.opaqueBackground && isStyled(qp)) {
        if (const auto background = prepareRop2(pen.rop2, pen.background, pen.sourceCopy)) {
            QPen gaps = qp;
            gaps.setStyle(Qt::SolidLine);
            gaps.setColor(*background);
            painter_.setPen(gaps);
            painter_.drawPath(drawnPath);
        }
    }
    if (const std::optional<QColor> colour = prepareRop2(pen.rop2, pen.color, pen.sourceCopy)) {
        QPen drawn = qp;
        drawn.setColor(*colour);
        painter_.setPen(drawn);
        painter_.drawPath(drawnPath);
    }
    painter_.setRenderHint(QPainter::Antialiasing, false);
}

// A geometric pen painting with a hatch or pattern: the outline of the stroke is filled with
// that brush.
void PainterDevice::strokeOutline(const QPainterPath& path, const DrawPen& pen)
{
    QPainterPathStroker stroker;
    stroker.setWidth(deviceWidth(pen));
    stroker.setCapStyle(pen.cap);
    stroker.setJoinStyle(pen.join);
    stroker.setMiterLimit(qtMiterLimit(pen.miterLimit));
    if (pen.style == Qt::CustomDashLine && !pen.dashes.isEmpty())
        stroker.setDashPattern(evenDashes(pen.dashes));
    else if (pen.style != Qt::CustomDashLine)
        stroker.setDashPattern(pen.style);
    DrawBrush brush = *pen.brush;
    brush.rop2 = pen.rop2;
    brush.sourceCopy = pen.sourceCopy;
    fillWithBrush(stroker.createStroke(path), brush);
}

QTransform PainterDevice::inTargetPixels() const
{
    return painter_.deviceTransform().inverted() * painter_.worldTransform();
}

QImage* PainterDevice::rasterTarget() const
{
    QPaintDevice* target = painter_.device();
    if (!rasterEngine_ || !target || target->devType() != QInternal::Image)
        return nullptr;
    return static_cast<QImage*>(target);
}

} // namespace kv::gdi
