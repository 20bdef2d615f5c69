// The selected pen and brush resolved into device terms (DrawPen, DrawBrush).
#include "gdi/dc/dcimpl.h"

#include <algorithm>
#include <cmath>

namespace kv::gdi {

namespace {

// Dash patterns GDI uses: cosmetic pens in device pixels, geometric ones in pen widths.
QVector<qreal> cosmeticDashes(uint32_t style)
{
    switch (style) {
    case PS_DASH: return {18, 6};
    case PS_DOT: return {3, 3};
    case PS_DASHDOT: return {9, 6, 3, 6};
    case PS_DASHDOTDOT: return {9, 3, 3, 3, 3, 3};
    case PS_ALTERNATE: return {1, 1};
    default: return {};
    }
}

QVector<qreal> geometricDashes(uint32_t style)
{
    switch (style) {
    case PS_DASH: return {3, 1};
    case PS_DOT: return {1, 1};
    case PS_DASHDOT: return {3, 1, 1, 1};
    case PS_DASHDOTDOT: return {3, 1, 1, 1, 1, 1};
    default: return {};
    }
}

Qt::PenCapStyle capOf(uint32_t style)
{
    switch (style & PS_ENDCAP_MASK) {
    case PS_ENDCAP_SQUARE: return Qt::SquareCap;
    case PS_ENDCAP_FLAT: return Qt::FlatCap;
    default: return Qt::RoundCap;
    }
}

Qt::PenJoinStyle joinOf(uint32_t style)
{
    switch (style & PS_JOIN_MASK) {
    case PS_JOIN_BEVEL: return Qt::BevelJoin;
    case PS_JOIN_MITER: return Qt::MiterJoin;
    default: return Qt::RoundJoin;
    }
}

// A monochrome pattern draws its dark bits in the text colour and its light ones in the
// background colour.
QImage recolourMono(const QImage& tile, QRgb text, QRgb back)
{
    QImage out = tile.convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < out.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < out.width(); ++x)
            row[x] = qGray(row[x]) < 128 ? text : back;
    }
    return out;
}

} // namespace

QColor Dc::Impl::color(ColorRef c) const
{
    if ((c >> 24) == 0x01) {  // PALETTEINDEX
        const auto& pal = std::get<Palette>(*dc.state_.palette);
        const uint32_t index = c & 0xFFFF;
        if (index < pal.entries.size())
            return QColor(toQRgb(pal.entries[index]));
        return QColor(Qt::black);
    }
    return QColor(toQRgb(c));
}

const Pen* Dc::Impl::pen() const { return std::get_if<Pen>(dc.state_.pen.get()); }

DrawBrush Dc::Impl::solidBrush(ColorRef c) const
{
    DrawBrush b;
    b.kind = DrawBrush::Kind::Solid;
    b.color = color(c);
    b.rop2 = dc.state_.rop2;
    return b;
}

DrawBrush Dc::Impl::drawBrush(const ObjectPtr& object) const
{
    const DcState& s = dc.state_;
    DrawBrush b;
    const Brush* brush = object ? std::get_if<Brush>(object.get()) : nullptr;
    if (!brush)
        return b;
    b.rop2 = s.rop2;
    b.origin = base.map(QPointF(s.brushOrg.x, s.brushOrg.y));
    b.background = color(s.bkColor);
    b.opaqueBackground = s.bkMode == OPAQUE;
    switch (brush->style) {
    case BS_SOLID:
        b.kind = DrawBrush::Kind::Solid;
        b.color = color(brush->color);
        break;
    case BS_HATCHED:
        b.kind = DrawBrush::Kind::Hatch;
        b.color = color(brush->color);
        b.hatch = brush->hatch;
        break;
    case BS_PATTERN: case BS_DIBPATTERN: case BS_DIBPATTERNPT: case BS_PATTERN8X8: case BS_DIBPATTERN8X8:
        if (!brush->pattern || brush->pattern->image.isNull()) {
            b.kind = DrawBrush::Kind::Solid;  // an undecodable pattern paints like GDI's fallback: black
            b.color = Qt::black;
            break;
        }
        b.kind = DrawBrush::Kind::Pattern;
        b.pattern = brush->monochromePattern
            ? recolourMono(brush->pattern->image, color(s.textColor).rgb(), color(s.bkColor).rgb())
            : brush->pattern->image;
        break;
    default:
        break;
    }
    return b;
}

DrawPen Dc::Impl::drawPen() const
{
    const DcState& s = dc.state_;
    DrawPen d;
    const Pen* p = pen();
    const uint32_t style = p ? (p->style & PS_STYLE_MASK) : PS_NULL;
    if (!p || style == PS_NULL || (p->extended && p->brushStyle == BS_NULL)) {
        d.visible = false;
        return d;
    }
    const bool geometricType = p->extended && (p->style & PS_TYPE_MASK) == PS_GEOMETRIC;
    const bool oneUnit = p->width <= 0 || (p->extended && !geometricType);
    const double scaled = oneUnit ? 1.0 : p->width * xScale();
    d.color = color(p->color);
    d.width = std::max(1.0, scaled);
    d.cosmetic = oneUnit || scaled <= 1.0;
    d.cap = d.cosmetic ? Qt::FlatCap : (p->extended ? capOf(p->style) : Qt::RoundCap);
    d.join = d.cosmetic ? Qt::MiterJoin : (p->extended ? joinOf(p->style) : Qt::RoundJoin);
    d.miterLimit = s.miterLimit;
    d.rop2 = s.rop2;
    d.background = color(s.bkColor);
    d.opaqueBackground = s.bkMode == OPAQUE;
    // GDI draws old-style pens wider than a pixel solid whatever style they ask for.
    const bool styled = d.cosmetic || geometricType;
    if (style == PS_USERSTYLE && !p->styleEntries.empty()) {
        const double unit = d.cosmetic ? 1.0 : xScale() / d.width;
        for (uint32_t e : p->styleEntries)
            d.dashes.push_back(std::max(0.1, std::min(1e4, e * unit)));
        if (d.dashes.size() % 2)
            d.dashes.push_back(d.dashes.back());
    } else if (styled && style != PS_SOLID && style != PS_INSIDEFRAME) {
        d.dashes = d.cosmetic ? cosmeticDashes(style) : geometricDashes(style);
    }
    if (!d.dashes.isEmpty())
        d.style = Qt::CustomDashLine;
    if (p->extended && p->brushStyle != BS_SOLID) {
        Brush b{p->brushStyle, p->color, p->hatch, p->pattern, false};
        d.brush = drawBrush(makeObject(b));
    }
    return d;
}

} // namespace kv::gdi
