// The WMF recorder's pens, brushes and fonts. A WMF has no stock objects: the null pen and
// brush are objects of their own.
#include "gdi/text/codepages.h"
#include "gdi/dib/dib.h"
#include "gdi/wmf/wmfformat.h"
#include "gdi/wmf/wmfrecorder.h"

#include <cmath>

namespace kv::gdi {

using namespace wmf;

namespace {

template <class Body> std::vector<uint8_t> creationRecord(uint16_t function, Body body)
{
    RecordWriter w(RecordWriter::Format::Wmf);
    w.begin(function);
    body(w);
    w.end();
    return w.take();
}

std::vector<uint8_t> brushRecord(uint32_t style, ColorRef color, uint32_t hatch)
{
    return creationRecord(META_CREATEBRUSHINDIRECT, [&](RecordWriter& w) {
        w.u16(uint16_t(style));
        w.u32(color);
        w.u16(uint16_t(hatch));
    });
}

std::vector<uint8_t> penRecord(uint32_t style, int16_t width, ColorRef color)
{
    return creationRecord(META_CREATEPENINDIRECT, [&](RecordWriter& w) {
        w.u16(uint16_t(style));
        w.i16(width);
        w.i16(0);
        w.u32(color);
    });
}

uint32_t penStyle(Qt::PenStyle style)
{
    switch (style) {
    case Qt::DashLine:
    case Qt::CustomDashLine: return PS_DASH;  // a WMF pen knows no dash pattern of its own
    case Qt::DotLine: return PS_DOT;
    case Qt::DashDotLine: return PS_DASHDOT;
    case Qt::DashDotDotLine: return PS_DASHDOTDOT;
    case Qt::NoPen: return PS_NULL;
    default: return PS_SOLID;
    }
}

uint32_t capAndJoin(const DrawPen& pen)
{
    const uint32_t cap = pen.cap == Qt::FlatCap ? PS_ENDCAP_FLAT : pen.cap == Qt::SquareCap ? PS_ENDCAP_SQUARE : PS_ENDCAP_ROUND;
    const uint32_t join = pen.join == Qt::BevelJoin ? PS_JOIN_BEVEL
        : (pen.join == Qt::MiterJoin || pen.join == Qt::SvgMiterJoin) ? PS_JOIN_MITER : PS_JOIN_ROUND;
    return cap | join;
}

} // namespace

void WmfRecorder::selectNullPen()
{
    objects_.select(out_, RecordedObjects::Kind::Pen, penRecord(PS_NULL, 0, 0));
}

void WmfRecorder::selectNullBrush()
{
    objects_.select(out_, RecordedObjects::Kind::Brush, brushRecord(BS_NULL, 0, 0));
}

void WmfRecorder::selectBrush(const DrawBrush& brush)
{
    const ColorRef color = fromQRgb(brush.color.rgb());
    switch (brush.kind) {
    case DrawBrush::Kind::None:
        selectNullBrush();
        return;
    case DrawBrush::Kind::Solid:
    case DrawBrush::Kind::Shader:  // a metafile has no gradients: the mean colour stands in
        objects_.select(out_, RecordedObjects::Kind::Brush, brushRecord(BS_SOLID, color, 0));
        return;
    case DrawBrush::Kind::Hatch:
        state_.setBkMode(brush.opaqueBackground ? OPAQUE : TRANSPARENT);
        if (brush.opaqueBackground)
            state_.setBkColor(brush.background);
        objects_.select(out_, RecordedObjects::Kind::Brush, brushRecord(BS_HATCHED, color, brush.hatch));
        return;
    case DrawBrush::Kind::Pattern: {
        const EncodedDib dib = encodeDib(brush.pattern);
        objects_.select(out_, RecordedObjects::Kind::Brush, creationRecord(META_DIBCREATEPATTERNBRUSH, [&](RecordWriter& w) {
            w.u16(BS_DIBPATTERN);
            w.u16(DIB_RGB_COLORS);
            w.raw(dib.bytes);
        }));
        return;
    }
    }
}

void WmfRecorder::selectPen(const DrawPen& pen)
{
    const uint32_t style = penStyle(pen.style);
    const int16_t width = pen.cosmetic ? 0 : std::max<int16_t>(1, toUnits(pen.width));
    const bool hatched = pen.brush && pen.brush->kind == DrawBrush::Kind::Hatch;
    const ColorRef color = fromQRgb((hatched ? pen.brush->color : pen.color).rgb());
    if (style != PS_SOLID && style != PS_NULL) {
        state_.setBkMode(pen.opaqueBackground ? OPAQUE : TRANSPARENT);
        if (pen.opaqueBackground)
            state_.setBkColor(pen.background);
    }
    objects_.select(out_, RecordedObjects::Kind::Pen, penRecord(style | (pen.cosmetic ? 0 : capAndJoin(pen)), width, color));
}

void WmfRecorder::selectFont(const TextRun& run)
{
    const LogFont& f = run.font->deviceLogFont;
    const int16_t escapement = int16_t(std::lround(run.angle * 10));
    const int16_t height = f.height < 0 ? int16_t(-std::max<int16_t>(1, toUnits(-f.height))) : toUnits(f.height);
    objects_.select(out_, RecordedObjects::Kind::Font, creationRecord(META_CREATEFONTINDIRECT, [&](RecordWriter& w) {
        w.i16(height);
        w.i16(toUnits(f.width));
        w.i16(escapement);
        w.i16(escapement);
        w.i16(int16_t(f.weight));
        // The text is written in Windows-1252 (or as the symbol font's bytes): the charset says so.
        const uint8_t charSet = run.font->symbol ? SYMBOL_CHARSET : ANSI_CHARSET;
        for (uint8_t b : {f.italic, f.underline, f.strikeOut, charSet, f.outPrecision, f.clipPrecision, f.quality,
                          f.pitchAndFamily})
            w.u8(b);
        // The face name in 8 bits (face names of Windows fonts are ASCII), NUL-terminated.
        for (size_t i = 0; i < 32; ++i) {
            const char16_t c = i + 1 < 32 && i < f.faceName.size() ? f.faceName[i] : 0;
            w.u8(c < 0x100 ? uint8_t(c) : uint8_t('?'));
        }
    }));
}

} // namespace kv::gdi
