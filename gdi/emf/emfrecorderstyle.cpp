// The EMF recorder's pens and brushes: each drawing call's resolved pen or brush becomes a
// creation record, written only when it differs from the one selected.
#include "gdi/dib/dib.h"
#include "gdi/emf/emfrecorder.h"
#include "gdi/emf/emrcodes.h"

#include <cmath>

namespace kv::gdi {

namespace {

ColorRef colorRef(const QColor& c) { return fromQRgb(c.rgb()); }

uint32_t penStyle(Qt::PenStyle style)
{
    switch (style) {
    case Qt::DashLine: return PS_DASH;
    case Qt::DotLine: return PS_DOT;
    case Qt::DashDotLine: return PS_DASHDOT;
    case Qt::DashDotDotLine: return PS_DASHDOTDOT;
    case Qt::CustomDashLine: return PS_USERSTYLE;
    case Qt::NoPen: return PS_NULL;
    default: return PS_SOLID;
    }
}

uint32_t penCap(Qt::PenCapStyle cap)
{
    switch (cap) {
    case Qt::FlatCap: return PS_ENDCAP_FLAT;
    case Qt::SquareCap: return PS_ENDCAP_SQUARE;
    default: return PS_ENDCAP_ROUND;
    }
}

uint32_t penJoin(Qt::PenJoinStyle join)
{
    switch (join) {
    case Qt::MiterJoin:
    case Qt::SvgMiterJoin: return PS_JOIN_MITER;
    case Qt::BevelJoin: return PS_JOIN_BEVEL;
    default: return PS_JOIN_ROUND;
    }
}

// A creation record with 0 in its index field, ready for RecordedObjects.
template <class Body> std::vector<uint8_t> creationRecord(uint32_t type, Body body)
{
    RecordWriter w(RecordWriter::Format::Emf);
    w.begin(type);
    w.u32(0);
    body(w);
    w.end();
    return w.take();
}

} // namespace

void EmfRecorder::selectNullPen() { objects_.selectStock(out_, RecordedObjects::Kind::Pen, NULL_PEN); }
void EmfRecorder::selectNullBrush() { objects_.selectStock(out_, RecordedObjects::Kind::Brush, NULL_BRUSH); }

void EmfRecorder::selectBrush(const DrawBrush& brush)
{
    std::vector<uint8_t> record;
    switch (brush.kind) {
    case DrawBrush::Kind::None:
        selectNullBrush();
        return;
    case DrawBrush::Kind::Solid:
    case DrawBrush::Kind::Shader:  // GDI has no gradients: the mean colour stands in
    case DrawBrush::Kind::Hatch: {
        const bool hatched = brush.kind == DrawBrush::Kind::Hatch;
        record = creationRecord(emr::CREATEBRUSHINDIRECT, [&](RecordWriter& w) {
            w.u32(hatched ? BS_HATCHED : BS_SOLID);
            w.u32(colorRef(brush.color));
            w.u32(hatched ? brush.hatch : 0);
        });
        if (hatched) {
            state_.setBkMode(brush.opaqueBackground ? OPAQUE : TRANSPARENT);
            if (brush.opaqueBackground)
                state_.setBkColor(brush.background);
        }
        break;
    }
    case DrawBrush::Kind::Pattern: {
        const EncodedDib dib = encodeDib(brush.pattern);
        record = creationRecord(emr::CREATEDIBPATTERNBRUSHPT, [&](RecordWriter& w) {
            w.u32(DIB_RGB_COLORS);
            w.u32(32);
            w.u32(uint32_t(dib.infoSize));
            w.u32(uint32_t(32 + dib.infoSize));
            w.u32(uint32_t(dib.bytes.size() - dib.infoSize));
            w.raw(dib.bytes);
        });
        break;
    }
    }
    if (brush.kind == DrawBrush::Kind::Hatch || brush.kind == DrawBrush::Kind::Pattern)
        setBrushOrg(brush.origin);
    objects_.select(out_, RecordedObjects::Kind::Brush, std::move(record));
}

void EmfRecorder::selectPen(const DrawPen& pen)
{
    const uint32_t style = penStyle(pen.style);
    const bool hatched = pen.brush && pen.brush->kind == DrawBrush::Kind::Hatch;
    std::vector<uint8_t> record;
    if (pen.cosmetic && style != PS_USERSTYLE && !hatched) {
        record = creationRecord(emr::CREATEPEN, [&](RecordWriter& w) {
            w.u32(style);
            w.i32(0);  // width 0: one device pixel
            w.i32(0);
            w.u32(colorRef(pen.color));
        });
    } else {
        const int32_t width = std::max<int32_t>(1, int32_t(std::lround(pen.width)));
        std::vector<uint32_t> entries;
        if (style == PS_USERSTYLE)
            for (qreal d : pen.dashes)
                entries.push_back(uint32_t(std::max<long>(1, std::lround(d * width))));
        record = creationRecord(emr::EXTCREATEPEN, [&](RecordWriter& w) {
            w.zeros(16);  // no pattern bitmap
            w.u32(PS_GEOMETRIC | style | penCap(pen.cap) | penJoin(pen.join));
            w.u32(uint32_t(width));
            w.u32(hatched ? BS_HATCHED : BS_SOLID);
            w.u32(colorRef(hatched ? pen.brush->color : pen.color));
            w.u32(hatched ? pen.brush->hatch : 0);
            w.u32(uint32_t(entries.size()));
            for (uint32_t e : entries)
                w.u32(e);
        });
    }
    if (style != PS_SOLID && style != PS_NULL) {
        state_.setBkMode(pen.opaqueBackground ? OPAQUE : TRANSPARENT);
        if (pen.opaqueBackground)
            state_.setBkColor(pen.background);
    }
    objects_.select(out_, RecordedObjects::Kind::Pen, std::move(record));
}

} // namespace kv::gdi
