// The EMF recorder's text and images.
#include "gdi/dib/dib.h"
#include "gdi/emf/emfrecorder.h"
#include "gdi/emf/emrcodes.h"
#include "gdi/record/recordinghelpers.h"

#include <cmath>

namespace kv::gdi {

namespace {

constexpr uint32_t kTextFixedSize = 76;
constexpr uint32_t kStretchDibFixedSize = 80;
constexpr uint32_t kAlphaBlendFixedSize = 108;

RectL roundedRect(const QRectF& r)
{
    return RectL{int32_t(std::lround(r.left())), int32_t(std::lround(r.top())), int32_t(std::lround(r.right())),
                 int32_t(std::lround(r.bottom()))};
}

void writeFaceChars(RecordWriter& w, const std::u16string& text, size_t chars)
{
    for (size_t i = 0; i < chars; ++i)
        w.u16(i < text.size() && i + 1 < chars ? text[i] : 0);
}

// LOGFONTW followed by the rest of a LOGFONTPANOSE (full name, style, and zeros).
std::vector<uint8_t> fontRecord(const LogFont& f)
{
    RecordWriter w(RecordWriter::Format::Emf);
    w.begin(emr::EXTCREATEFONTINDIRECTW);
    w.u32(0);
    w.i32(f.height);
    w.i32(f.width);
    w.i32(f.escapement);
    w.i32(f.orientation);
    w.i32(f.weight);
    for (uint8_t b : {f.italic, f.underline, f.strikeOut, f.charSet, f.outPrecision, f.clipPrecision, f.quality,
                      f.pitchAndFamily})
        w.u8(b);
    writeFaceChars(w, f.faceName, 32);
    writeFaceChars(w, f.faceName, 64);  // full name
    writeFaceChars(w, {}, 32);          // style
    w.zeros(36);                        // version .. culture, PANOSE, padding
    w.end();
    return w.take();
}

void writeDibFields(RecordWriter& w, const EncodedDib& dib, uint32_t fixedSize)
{
    w.u32(fixedSize);
    w.u32(uint32_t(dib.infoSize));
    w.u32(uint32_t(fixedSize + dib.infoSize));
    w.u32(uint32_t(dib.bytes.size() - dib.infoSize));
}

void writeIdentity(RecordWriter& w)
{
    for (float v : {1.0f, 0.0f, 0.0f, 1.0f, 0.0f, 0.0f})
        w.f32(v);
}

} // namespace

void EmfRecorder::drawText(const TextRun& run)
{
    if (finished_ || run.text.empty() || !run.font)
        return;
    LogFont font = run.font->deviceLogFont;
    font.escapement = font.orientation = int32_t(std::lround(run.angle * 10));
    objects_.select(out_, RecordedObjects::Kind::Font, fontRecord(font));
    state_.setTextColor(run.color);
    state_.setTextAlign(TA_BASELINE | TA_LEFT);
    state_.setBkMode(TRANSPARENT);
    state_.setRop2(run.rop2);

    uint32_t options = 0;
    RectL rect;
    std::optional<QRectF> clipRect = run.clipBox ? axisRectangle(*run.clipBox) : std::nullopt;
    std::optional<QRectF> opaqueRect = run.opaqueBox ? axisRectangle(*run.opaqueBox) : std::nullopt;
    if (clipRect) {
        options |= ETO_CLIPPED;
        rect = roundedRect(*clipRect);
    }
    // One rectangle serves both options: an opaque box that differs from the clip box, or is
    // not axis-parallel, is filled as a polygon of its own first.
    if (opaqueRect && (!clipRect || *opaqueRect == *clipRect)) {
        options |= ETO_OPAQUE;
        rect = roundedRect(*opaqueRect);
        state_.setBkColor(run.opaqueColor);
    } else {
        fillOpaqueBox(*this, run);
    }
    const QRectF extent = runExtent(run);
    writeTextRecord(run, options, rect, extent);
    addBounds(extent);
}

void EmfRecorder::writeTextRecord(const TextRun& run, uint32_t options, const RectL& rect, const QRectF& extent)
{
    const std::vector<int32_t> dx = runAdvances(run);
    const uint32_t chars = uint32_t(run.text.size());
    const uint32_t stringBytes = (chars * 2 + 3) & ~3u;
    const QPointF origin = run.origins.empty() ? QPointF() : run.origins[0];
    out_.begin(emr::EXTTEXTOUTW);
    out_.rect(inclusiveBounds(extent));
    out_.u32(GM_COMPATIBLE);
    out_.f32(reference_.horzRes > 0 ? float(reference_.horzSizeMm * 100.0 / reference_.horzRes) : 0.f);
    out_.f32(reference_.vertRes > 0 ? float(reference_.vertSizeMm * 100.0 / reference_.vertRes) : 0.f);
    out_.i32(int32_t(std::lround(origin.x())));
    out_.i32(int32_t(std::lround(origin.y())));
    out_.u32(chars);
    out_.u32(kTextFixedSize);
    out_.u32(options);
    out_.rect(rect);
    out_.u32(kTextFixedSize + stringBytes);
    for (char16_t c : run.text)
        out_.u16(c);
    out_.padTo(4);
    for (int32_t d : dx)
        out_.i32(d);
    out_.end();
}

// ---- images ---------------------------------------------------------------------------

void EmfRecorder::drawImage(const ImageDraw& image)
{
    if (finished_ || image.deviceQuad.isEmpty())
        return;
    const RecordedImage recorded = recordedImage(image);
    const QRectF& area = recorded.area;
    if (recorded.source.isNull()) {
        writeNoSourceBlt(image);
        addBounds(area);
        return;
    }
    const QImage& source = recorded.source;
    const bool alpha = recorded.alpha;
    const QTransform& t = image.toDevice;
    const int w = source.width(), h = source.height();
    if (recorded.upright) {
        const int32_t x = int32_t(std::lround(t.dx())), y = int32_t(std::lround(t.dy()));
        const RectL dest{x, y, int32_t(std::lround(t.dx() + w * t.m11())) - x,
                         int32_t(std::lround(t.dy() + h * t.m22())) - y};
        writeImageAt(source, dest, area, alpha, image.rop3);
    } else {
        // Rotated or sheared: drawn upright at the origin under a world transform.
        withTransform(t, [&] { writeImageAt(source, RectL{0, 0, w, h}, area, alpha, image.rop3); });
    }
    addBounds(area);
}

void EmfRecorder::writeImageAt(const QImage& image, const RectL& dest, const QRectF& area, bool alpha, uint32_t rop3)
{
    if (alpha)
        writeAlphaBlend(image, dest, area);
    else
        writeStretchDib(image, dest, area, rop3);
}

void EmfRecorder::withTransform(const QTransform& t, const std::function<void()>& draw)
{
    simpleRecord(emr::SAVEDC, {});
    out_.begin(emr::SETWORLDTRANSFORM);
    for (double v : {t.m11(), t.m12(), t.m21(), t.m22(), t.dx(), t.dy()})
        out_.f32(float(v));
    out_.end();
    draw();
    simpleRecord(emr::RESTOREDC, {uint32_t(-1)});
}

// `dest` holds x, y, width and height (width and height negative for a mirrored picture).
void EmfRecorder::writeStretchDib(const QImage& image, const RectL& dest, const QRectF& area, uint32_t rop3)
{
    const EncodedDib dib = encodeDib(image);
    if (dib.bytes.empty())
        return;
    out_.begin(emr::STRETCHDIBITS);
    out_.rect(inclusiveBounds(area));
    out_.i32(dest.left);
    out_.i32(dest.top);
    out_.i32(0);
    out_.i32(0);
    out_.i32(image.width());
    out_.i32(image.height());
    writeDibFields(out_, dib, kStretchDibFixedSize);
    out_.u32(DIB_RGB_COLORS);
    out_.u32(rop3);
    out_.i32(dest.right);
    out_.i32(dest.bottom);
    out_.raw(dib.bytes);
    out_.end();
}

void EmfRecorder::writeAlphaBlend(const QImage& image, const RectL& dest, const QRectF& area)
{
    const EncodedDib dib = encodeDib(image.convertToFormat(QImage::Format_ARGB32_Premultiplied));
    if (dib.bytes.empty())
        return;
    out_.begin(emr::ALPHABLEND);
    out_.rect(inclusiveBounds(area));
    out_.i32(dest.left);
    out_.i32(dest.top);
    out_.i32(dest.right);
    out_.i32(dest.bottom);
    out_.u32(0x01FF0000);  // AC_SRC_OVER, constant alpha 255, AC_SRC_ALPHA
    out_.i32(0);
    out_.i32(0);
    writeIdentity(out_);
    out_.u32(0);  // background colour
    out_.u32(DIB_RGB_COLORS);
    writeDibFields(out_, dib, kAlphaBlendFixedSize);
    out_.i32(image.width());
    out_.i32(image.height());
    out_.raw(dib.bytes);
    out_.end();
}

void EmfRecorder::writeNoSourceBlt(const ImageDraw& image)
{
    const QRectF area = image.deviceQuad.boundingRect();
    selectBrush(image.brush);
    const RectL r = roundedRect(area);
    out_.begin(emr::BITBLT);
    out_.rect(inclusiveBounds(area));
    out_.i32(r.left);
    out_.i32(r.top);
    out_.i32(r.right - r.left);
    out_.i32(r.bottom - r.top);
    out_.u32(image.rop3);
    out_.i32(0);
    out_.i32(0);
    writeIdentity(out_);
    out_.u32(0);
    out_.u32(DIB_RGB_COLORS);
    out_.zeros(16);  // no source bitmap
    out_.end();
}

} // namespace kv::gdi
