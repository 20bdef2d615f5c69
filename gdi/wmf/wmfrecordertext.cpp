// The WMF recorder's text and images.
#include "gdi/text/codepages.h"
#include "gdi/dib/dib.h"
#include "gdi/record/recordinghelpers.h"
#include "gdi/wmf/wmfformat.h"
#include "gdi/wmf/wmfrecorder.h"

#include <QPainter>
#include <cmath>

namespace kv::gdi {

using namespace wmf;

namespace {

// One byte per UTF-16 unit: Windows-1252, or the low byte of a symbol font's private-use
// characters; what has no byte becomes '?'.
std::string encodeText(std::u16string_view text, bool symbol)
{
    std::string out;
    out.reserve(text.size());
    for (char16_t c : text) {
        if (symbol && c >= 0xF000 && c <= 0xF0FF) {
            out.push_back(char(c & 0xFF));
            continue;
        }
        if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) {
            out.push_back(char(c));
            continue;
        }
        char byte = '?';
        for (int b = 0x80; b < 0xA0; ++b)
            if (cp1252ToUnicode(uint8_t(b)) == c)
                byte = char(b);
        out.push_back(byte);
    }
    return out;
}

} // namespace

void WmfRecorder::drawText(const TextRun& run)
{
    if (finished_ || run.text.empty() || !run.font || run.origins.empty() || run.text.size() > 0x7FFF)
        return;
    fillOpaqueBox(*this, run);
    selectFont(run);
    state_.setTextColor(run.color);
    state_.setTextAlign(TA_BASELINE | TA_LEFT);
    state_.setBkMode(TRANSPARENT);
    state_.setRop2(run.rop2);

    const std::string bytes = encodeText(run.text, run.font->symbol);
    const std::optional<QRectF> clipRect = run.clipBox ? axisRectangle(*run.clipBox) : std::nullopt;
    // Advances in file units, rounded so that their sums stay on the rounded positions.
    const std::vector<int32_t> dx = runAdvances(run);
    out_.begin(META_EXTTEXTOUT);
    out_.i16(toUnits(run.origins[0].y()));
    out_.i16(toUnits(run.origins[0].x()));
    out_.u16(uint16_t(bytes.size()));
    out_.u16(uint16_t(clipRect ? ETO_CLIPPED : 0u));
    if (clipRect) {
        const QRectF clip = clipRect.value_or(QRectF());
        out_.i16(toUnits(clip.left()));
        out_.i16(toUnits(clip.top()));
        out_.i16(toUnits(clip.right()));
        out_.i16(toUnits(clip.bottom()));
    }
    out_.raw(std::span(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()));
    out_.padTo(2);
    long sum = 0, previous = 0;
    for (int32_t d : dx) {
        sum += d;
        const long units = std::lround(double(sum) / scale());
        out_.i16(int16_t(units - previous));
        previous = units;
    }
    out_.end();
}

void WmfRecorder::drawImage(const ImageDraw& image)
{
    if (finished_ || image.deviceQuad.isEmpty())
        return;
    RecordedImage recorded = recordedImage(image);
    const QRectF& area = recorded.area;
    if (recorded.source.isNull()) {
        selectBrush(image.brush);
        out_.begin(META_PATBLT);
        out_.u32(image.rop3);
        out_.i16(int16_t(toUnits(area.bottom()) - toUnits(area.top())));
        out_.i16(int16_t(toUnits(area.right()) - toUnits(area.left())));
        out_.i16(toUnits(area.top()));
        out_.i16(toUnits(area.left()));
        out_.end();
        return;
    }
    QImage& source = recorded.source;
    bool& alpha = recorded.alpha;
    const QTransform& t = image.toDevice;
    QRectF dest;
    if (recorded.upright) {
        dest = QRectF(t.dx(), t.dy(), source.width() * t.m11(), source.height() * t.m22());
    } else {
        // A WMF cannot turn a picture: it is drawn turned into an upright one first, only
        // as far as the reference surface reaches (a damaged transform can ask for a picture
        // of gigabytes that no page would show).
        const QRect box = area.toAlignedRect().intersected(QRect(0, 0, reference_.horzRes, reference_.vertRes));
        if (box.isEmpty())
            return;
        QImage upright(box.size(), QImage::Format_ARGB32_Premultiplied);
        upright.fill(Qt::transparent);
        QPainter p(&upright);
        p.setRenderHint(QPainter::SmoothPixmapTransform);
        p.setTransform(t * QTransform::fromTranslate(-box.x(), -box.y()));
        p.drawImage(QPointF(0, 0), source);
        p.end();
        source = upright.convertToFormat(QImage::Format_ARGB32);
        alpha = true;
        dest = QRectF(box);
    }
    if (alpha)
        writeTransparentImage(source, dest);
    else
        writeStretchDib(source, dest, image.rop3);
}

void WmfRecorder::writeStretchDib(const QImage& image, const QRectF& dest, uint32_t rop3)
{
    const EncodedDib dib = encodeDib(image);
    if (dib.bytes.empty())
        return;
    const int16_t x = toUnits(dest.left()), y = toUnits(dest.top());
    out_.begin(META_STRETCHDIB);
    out_.u32(rop3);
    out_.u16(DIB_RGB_COLORS);
    out_.i16(int16_t(image.height()));
    out_.i16(int16_t(image.width()));
    out_.i16(0);
    out_.i16(0);
    out_.i16(int16_t(toUnits(dest.bottom()) - y));
    out_.i16(int16_t(toUnits(dest.right()) - x));
    out_.i16(y);
    out_.i16(x);
    out_.raw(dib.bytes);
    out_.end();
}

// No alpha in a WMF: a mask (black where the picture is) ANDed, then the picture on black
// ORed, leaves the page untouched where the picture is transparent.
void WmfRecorder::writeTransparentImage(const QImage& image, const QRectF& dest)
{
    QImage mask(image.size(), QImage::Format_Mono);
    mask.setColorTable({qRgb(0, 0, 0), qRgb(255, 255, 255)});
    QImage picture(image.size(), QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y) {
        const auto* in = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        auto* out = reinterpret_cast<QRgb*>(picture.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const bool drawn = qAlpha(in[x]) >= 128;
            mask.setPixel(x, y, drawn ? 0 : 1);
            out[x] = drawn ? (in[x] | 0xFF000000) : qRgb(0, 0, 0);
        }
    }
    writeStretchDib(mask, dest, SRCAND);
    writeStretchDib(picture, dest, SRCPAINT);
}

} // namespace kv::gdi
