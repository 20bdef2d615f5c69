// EMF+ brushes and pens resolved into the device's: solid and hatch brushes as GDI has them,
// gradients and textures as Qt brushes in device pixels, pens at their width on the device
// with GDI+'s dash patterns.
#include "gdi/emfplus/emfplusplay.h"

#include <QLinearGradient>
#include <QRadialGradient>
#include <cmath>

namespace kv::gdi::plus::play {

namespace {

QGradient::Spread spreadOf(int32_t wrap)
{
    switch (wrap) {
    case 0: return QGradient::RepeatSpread;
    case 1: case 2: case 3: return QGradient::ReflectSpread;
    default: return QGradient::PadSpread;
    }
}

// How far a transform stretches lengths, on average over the two axes.
double lengthScale(const QTransform& t)
{
    const double det = std::fabs(t.m11() * t.m22() - t.m12() * t.m21());
    return std::isfinite(det) ? std::sqrt(det) : 0;
}

// GDI+'s dash patterns, in pen widths.
QVector<qreal> dashesOf(const Pen& pen)
{
    switch (pen.lineStyle) {
    case 1: return {3, 1};
    case 2: return {1, 1};
    case 3: return {3, 1, 1, 1};
    case 4: return {3, 1, 1, 1, 1, 1};
    case 5: return QVector<qreal>(pen.dashes.begin(), pen.dashes.end());
    default: return {};
    }
}

} // namespace

DrawBrush Player::drawBrush(const Brush& brush) const
{
    DrawBrush b;
    b.smooth = state_.smooth;
    b.sourceCopy = state_.sourceCopy;
    b.color = brush.representative();
    const QTransform toDevice = brush.transform * worldToDevice();
    switch (brush.kind) {
    case Brush::Kind::Solid:
        b.kind = DrawBrush::Kind::Solid;
        return b;
    case Brush::Kind::Hatch:
        if (brush.hatch <= 5) {  // the six styles GDI has too
            b.kind = DrawBrush::Kind::Hatch;
            b.hatch = brush.hatch;
            b.background = brush.back;
            b.opaqueBackground = brush.back.alpha() > 0;
            b.origin = target_.toDevice.map(QPointF(0, 0));
        } else {  // the percentage and pattern styles: their mean tone
            b.kind = DrawBrush::Kind::Solid;
            b.color = QColor((brush.color.red() + brush.back.red()) / 2, (brush.color.green() + brush.back.green()) / 2,
                             (brush.color.blue() + brush.back.blue()) / 2, std::max(brush.color.alpha(), brush.back.alpha()));
        }
        return b;
    case Brush::Kind::Texture:
        if (brush.texture.isNull()) {
            b.kind = DrawBrush::Kind::Solid;
            return b;
        }
        b.kind = DrawBrush::Kind::Shader;
        b.shader = QBrush(brush.texture);
        b.shader.setTransform(toDevice);
        return b;
    case Brush::Kind::LinearGradient: {
        if (brush.rect.width() == 0) {
            b.kind = DrawBrush::Kind::Solid;
            return b;
        }
        QLinearGradient g(brush.rect.topLeft(), brush.rect.topRight());
        for (const GradientStop& s : brush.stops)
            g.setColorAt(s.position, s.color);
        g.setSpread(spreadOf(brush.wrap));
        b.kind = DrawBrush::Kind::Shader;
        b.shader = QBrush(g);
        b.shader.setTransform(toDevice);
        return b;
    }
    case Brush::Kind::PathGradient:
        if (std::optional<QBrush> shader = pathGradientShader(brush, toDevice)) {
            b.kind = DrawBrush::Kind::Shader;
            b.shader = *shader;
        } else {
            b.kind = DrawBrush::Kind::Solid;
        }
        return b;
    }
    return b;
}

std::optional<DrawBrush> Player::drawBrush(const BrushRef& ref) const
{
    if (ref.solid) {
        DrawBrush b;
        b.kind = DrawBrush::Kind::Solid;
        b.color = ref.color;
        b.smooth = state_.smooth;
        b.sourceCopy = state_.sourceCopy;
        return b;
    }
    const Brush* brush = objectAs<Brush>(ref.id);
    if (!brush)
        return std::nullopt;
    return drawBrush(*brush);
}

std::optional<DrawPen> Player::drawPen(uint8_t penId) const
{
    const Pen* pen = objectAs<Pen>(penId);
    if (!pen)
        return std::nullopt;
    DrawPen p;
    p.smooth = state_.smooth;
    p.sourceCopy = state_.sourceCopy;
    p.color = pen->brush.representative();
    p.visible = p.color.alpha() > 0 || p.sourceCopy;  // copied, a clear pen clears
    // A world-unit width scales with the world and page; any other unit is measured on the
    // device the page was recorded for.
    const double scale = pen->unit == UnitWorld ? lengthScale(pen->transform * worldToDevice())
                                                : unitToPixels(pen->unit, false) * lengthScale(target_.toDevice);
    p.width = std::max(1.0, pen->width * scale);
    p.cosmetic = p.width <= 1.0;
    p.cap = pen->cap;
    p.join = pen->join;
    p.miterLimit = pen->miterLimit;
    const QVector<qreal> dashes = dashesOf(*pen);
    if (!dashes.isEmpty()) {
        p.style = Qt::CustomDashLine;
        p.dashes = dashes;
    }
    return p;
}

} // namespace kv::gdi::plus::play
