// Dc text: the selected LOGFONT resolved at the device size, glyph origins from the Dx
// advances (or the font's own), alignment, update-current-position, opaque boxes and clipping.
#include "gdi/dc/dcimpl.h"

#include <QHash>
#include <cmath>
#include <mutex>

namespace kv::gdi {

namespace {

constexpr double kPi = 3.14159265358979323846;

QPointF unit(QPointF v)
{
    const double len = std::hypot(v.x(), v.y());
    return len > 1e-12 ? v / len : QPointF(1, 0);
}

QPolygonF quad(QPointF origin, QPointF along, QPointF up, QPointF down)
{
    return QPolygonF({origin + up, origin + along + up, origin + along + down, origin + down, origin + up});
}

// Where the glyphs of one run go, in device pixels.
struct Layout {
    std::vector<QPointF> origins;  // relative to the reference point, before alignment
    QPointF total;                 // device vector from the first origin to the end of the run
    QPointF logicalTotal;          // the same in logical units (for the current position)
};

// The baseline of a run: along it in logical units and in device pixels, and down from it.
struct Baseline {
    QPointF logical;  // unit vector along the run, logical units
    QPointF device;   // unit vector along the run, device pixels
    QPointF down;     // device pixels, a quarter turn clockwise from `device`
    double angle() const { return std::atan2(-device.y(), device.x()) * 180 / kPi; }
};

// Escapement turns the baseline counter-clockwise as the page is seen. In the compatible
// graphics mode a mapping that mirrors one axis (y up, as in the metric modes) mirrors the
// angle as well, like GDI: 2700 under y up reads bottom to top.
Baseline baselineOf(int32_t escapement, bool advanced, const QTransform& page, const QTransform& base,
                    const QTransform& linear)
{
    const bool yUp = page.m22() * base.m22() < 0;
    const bool xLeft = page.m11() * base.m11() < 0;
    const bool mirrored = !advanced && yUp != xLeft;
    const double a = (mirrored ? -escapement : escapement) / 10.0 * kPi / 180;
    Baseline b;
    b.logical = QPointF(xLeft && !advanced ? -std::cos(a) : std::cos(a), yUp ? std::sin(a) : -std::sin(a));
    b.device = advanced ? unit(linear.map(b.logical)) : QPointF(std::cos(a), -std::sin(a));
    b.down = QPointF(-b.device.y(), b.device.x());
    return b;
}

// The file's own advances (with ETO_PDY, pairs of along and up) in logical units.
Layout layoutFromDx(std::u16string_view text, std::span<const int32_t> dx, bool pdy, const Baseline& baseline,
                    const QTransform& linear)
{
    Layout layout;
    layout.origins.reserve(text.size());
    const size_t step = pdy ? 2 : 1;
    const QPointF across(-baseline.logical.y(), baseline.logical.x());
    QPointF at;  // logical offset along the run
    for (size_t i = 0; i < text.size(); ++i) {
        layout.origins.push_back(linear.map(at));
        at += baseline.logical * dx[i * step];
        if (pdy)
            at -= across * dx[i * step + 1];
    }
    layout.logicalTotal = at;
    layout.total = linear.map(at);
    return layout;
}

// Without advances: the font's own, each in whole `pixel`s (GDI spaces glyphs by whole pixels
// of the device the text was measured on) and widened by the character extra, and the whole
// run by the justification's extra (device pixels).
Layout layoutFromFont(std::u16string_view text, const ResolvedFont& font, const Baseline& baseline,
                      const QTransform& linear, double pixel, double charExtra, double justifyExtra)
{
    Layout layout;
    layout.origins.reserve(text.size());
    double along = 0;
    for (char16_t c : text) {
        layout.origins.push_back(baseline.device * along);
        along += std::round(font.advance(c) / pixel) * pixel + charExtra;
    }
    along += justifyExtra;
    layout.total = baseline.device * along;
    layout.logicalTotal = linear.inverted().map(layout.total);
    return layout;
}

// The ascent or descent (per em) of the font as its text metrics report it, in device pixels:
// the font is realized at a whole number of pixels to the em, its ascent and descent are whole
// pixels of that, and the metrics are given in whole logical units of `logicalUnit` device
// pixels. On a page drawn larger than it was written, a logical unit spans several pixels, and
// text aligned by its top or bottom lands where that rounding puts it.
double reportedMetric(double perEm, double em, double logicalUnit)
{
    const double pixels = std::round(perEm * std::max(1.0, std::floor(em)));
    return logicalUnit > 0 ? std::round(pixels / logicalUnit) * logicalUnit : pixels;
}

// Alignment: a shift along the baseline, then across it to the baseline. `logicalUnit`: the
// device length of one logical unit across the baseline.
QPointF alignmentShift(uint32_t textAlign, const Layout& layout, const Baseline& baseline, const ResolvedFont& font,
                       double logicalUnit)
{
    QPointF shift;
    if ((textAlign & TA_CENTER) == TA_CENTER)
        shift = -layout.total / 2;
    else if (textAlign & TA_RIGHT)
        shift = -layout.total;
    if ((textAlign & TA_BASELINE) == TA_BASELINE)
        return shift;
    const double em = font.raw.isValid() ? font.raw.pixelSize() : 0;
    if (em <= 0 || logicalUnit <= 1)  // no face to realize, or no coarser grid than the pixels
        return textAlign & TA_BOTTOM ? shift - baseline.down * font.descent : shift + baseline.down * font.ascent;
    if (textAlign & TA_BOTTOM)
        return shift - baseline.down * reportedMetric(font.descent / em, em, logicalUnit);
    return shift + baseline.down * reportedMetric(font.ascent / em, em, logicalUnit);
}

// The current position after a run drawn with TA_UPDATECP: past its end in the direction of
// the alignment; centred text leaves it where it was.
QPointF positionAfter(uint32_t textAlign, QPointF refLogical, const Layout& layout)
{
    if ((textAlign & TA_CENTER) == TA_CENTER)
        return refLogical;
    if (textAlign & TA_RIGHT)
        return refLogical - layout.logicalTotal;
    return refLogical + layout.logicalTotal;
}

std::vector<QPointF> placed(QPointF start, const Layout& layout)
{
    std::vector<QPointF> origins;
    origins.reserve(layout.origins.size());
    for (const QPointF& o : layout.origins)
        origins.push_back(start + o);
    return origins;
}

// Glyph-index text (what spoolers write) names glyphs of the writer's font. The metric-
// compatible faces we draw with keep the common glyphs at the same indexes, so each index is
// drawn as the character our face has at that index.
std::u16string charsForGlyphs(const ResolvedFont& font, std::u16string_view glyphs)
{
    static std::mutex lock;
    static QHash<QString, QHash<quint32, char16_t>> cache;
    const QString key = font.raw.familyName() + '/' + font.raw.styleName();
    std::lock_guard guard(lock);
    auto it = cache.find(key);
    if (it == cache.end()) {
        QHash<quint32, char16_t> reverse;
        QString chars;
        for (char16_t c = 0x20; c < 0x0530; ++c)
            chars.append(QChar(c));
        for (char16_t c = 0x2000; c < 0x2200; ++c)
            chars.append(QChar(c));
        const QList<quint32> indexes = font.raw.glyphIndexesForString(chars);
        for (qsizetype i = 0; i < indexes.size() && i < chars.size(); ++i)
            if (indexes[i] != 0 && !reverse.contains(indexes[i]))
                reverse.insert(indexes[i], chars[i].unicode());
        it = cache.insert(key, reverse);
    }
    std::u16string out;
    out.reserve(glyphs.size());
    for (char16_t g : glyphs)
        out.push_back(it->value(g, u' '));
    return out;
}

// Text inside a path bracket draws nothing: its glyph outlines join the path, to be filled,
// stroked or made the clip (outlined and cut-out lettering).
void addGlyphOutlines(QPainterPath& path, const ResolvedFont& font, std::u16string_view text,
                      const std::vector<QPointF>& origins, double angle)
{
    if (!font.raw.isValid())
        return;
    for (size_t i = 0; i < text.size() && i < origins.size(); ++i) {
        const QChar c(font.drawnChar(text[i]));
        quint32 glyph = 0;
        int count = 1;
        if (!font.raw.glyphIndexesForChars(&c, 1, &glyph, &count) || count != 1 || glyph == 0)
            continue;
        QTransform place;
        place.translate(origins[i].x(), origins[i].y());
        place.rotate(-angle);
        place.scale(font.widthScale, 1);
        path.addPath(place.map(font.raw.pathForGlyph(glyph)));
    }
}

} // namespace

// With no width of its own, a font on an unevenly scaled page keeps its own shape in the
// compatible mode, where only the height of text follows the mapping (a formula drawn on an
// anisotropic window keeps round letters); in the advanced mode text follows the whole
// transform and is as much narrower or wider as the page is.
ResolvedFontPtr Dc::Impl::deviceFont(const LogFont& lf) const
{
    const double sx = xScale(), sy = yScale();
    ResolvedFontPtr font = resolveFont(lf, lf.height * sy, lf.width * sx);
    if (!font || lf.width != 0 || sy <= 0 || font->averageWidth <= 0 || dc.state_.graphicsMode != GM_ADVANCED)
        return font;
    const double ratio = sx / sy;
    if (!std::isfinite(ratio) || std::fabs(ratio - 1) < 0.02)
        return font;
    return resolveFont(lf, lf.height * sy, font->averageWidth * ratio);
}

void Dc::extTextOutA(int32_t x, int32_t y, uint32_t options, const RectL* rect, std::string_view text,
                     std::span<const int32_t> dx)
{
    const Font* f = std::get_if<Font>(state_.font.get());
    extTextOut(x, y, options, rect, decodeAnsi(text, f ? f->logFont.charSet : 0), dx);
}

void Dc::extTextOut(int32_t x, int32_t y, uint32_t options, const RectL* rect, std::u16string_view text,
                    std::span<const int32_t> dx)
{
    const Font* f = std::get_if<Font>(state_.font.get());
    if (!f)
        return;
    const LogFont& lf = f->logFont;
    ResolvedFontPtr font = impl_->deviceFont(lf);
    if (!font)
        return;
    std::u16string fromGlyphs;
    if (options & ETO_GLYPH_INDEX) {
        fromGlyphs = charsForGlyphs(*font, text);
        text = fromGlyphs;
    }
    const QTransform m = impl_->toDevice();
    const QTransform linear(m.m11(), m.m12(), m.m21(), m.m22(), 0, 0);
    const bool updateCp = state_.textAlign & TA_UPDATECP;
    const QPointF refLogical = updateCp ? state_.currentPosition : QPointF(x, y);

    const Baseline baseline = baselineOf(lf.escapement, state_.graphicsMode == GM_ADVANCED,
                                         impl_->pageTransform(), impl_->base, linear);
    const bool pdy = options & ETO_PDY;
    // The whole pixel advances are rounded to: of this device, or of the reference device the
    // text was measured on.
    const double basePixel = impl_->base.map(QLineF(0, 0, impl_->advancePixel, 0)).length();
    const double advancePixel = basePixel > 0 ? basePixel : 1.0;
    const Layout layout = !dx.empty() && dx.size() >= text.size() * (pdy ? 2 : 1)
        ? layoutFromDx(text, dx, pdy, baseline, linear)
        : layoutFromFont(text, *font, baseline, linear, advancePixel, state_.textCharExtra * impl_->xScale(),
                         state_.justifyCount > 0 ? state_.justifyExtra * impl_->xScale() : 0);
    bool invertible = false;
    const QTransform toLogical = linear.inverted(&invertible);
    const double logicalAcross = invertible ? QLineF(QPointF(), toLogical.map(baseline.down)).length() : 0;
    const QPointF start = m.map(refLogical)
        + alignmentShift(state_.textAlign, layout, baseline, *font, logicalAcross > 0 ? 1 / logicalAcross : 0);
    if (updateCp)
        state_.currentPosition = positionAfter(state_.textAlign, refLogical, layout);

    if (state_.pathOpen) {
        addGlyphOutlines(state_.path, *font, text, placed(start, layout), baseline.angle());
        return;
    }

    // Opaque boxes are drawn in the background colour whatever the raster operation.
    auto fillBackground = [&](const QPainterPath& area) {
        DrawBrush b = impl_->solidBrush(state_.bkColor);
        b.rop2 = R2_COPYPEN;
        impl_->fillDevicePath(area, Qt::WindingFill, b);
    };
    std::optional<QPolygonF> rectQuad;
    if (rect && (options & (ETO_OPAQUE | ETO_CLIPPED))) {
        const QRectF r = QRectF(QPointF(rect->left, rect->top), QPointF(rect->right, rect->bottom)).normalized();
        rectQuad = m.map(QPolygonF(r));
    }
    const bool clipped = rectQuad && (options & ETO_CLIPPED);
    if (rectQuad && (options & ETO_OPAQUE)) {
        QPainterPath p;
        p.addPolygon(*rectQuad);
        fillBackground(p);
    }
    if (text.empty())
        return;
    const QPolygonF cell = quad(start, layout.total, -baseline.down * font->ascent, baseline.down * font->descent);
    // A clipped cell lies inside the opaque box just filled with the same colour.
    const bool cellAlreadyFilled = clipped && (options & ETO_OPAQUE);
    if (state_.bkMode == OPAQUE && !cellAlreadyFilled) {
        QPainterPath p;
        p.addPolygon(cell);
        if (clipped) {
            QPainterPath clipPath;
            clipPath.addPolygon(*rectQuad);
            p = p.intersected(clipPath);
        }
        fillBackground(p);
    }
    TextRun run;
    run.text.assign(text);
    run.origins = placed(start, layout);
    run.font = font;
    run.angle = baseline.angle();
    run.color = impl_->color(state_.textColor);
    if (clipped)
        run.clipBox = rectQuad;
    run.rop2 = state_.rop2;
    impl_->syncClip();
    device_->drawText(run);
    QRectF box = cell.boundingRect();
    if (run.clipBox)
        box &= run.clipBox->boundingRect();
    impl_->addBounds(box);
}

double Dc::textWidth(std::u16string_view text)
{
    const Font* f = std::get_if<Font>(state_.font.get());
    if (!f)
        return 0;
    const LogFont& lf = f->logFont;
    ResolvedFontPtr font = impl_->deviceFont(lf);
    const double sx = impl_->xScale();
    return font && sx > 0 ? (font->textWidth(text) + state_.textCharExtra * sx * double(text.size())) / sx : 0;
}

double Dc::textHeight()
{
    const Font* f = std::get_if<Font>(state_.font.get());
    if (!f)
        return 0;
    const LogFont& lf = f->logFont;
    ResolvedFontPtr font = impl_->deviceFont(lf);
    const double sy = impl_->yScale();
    return font && sy > 0 ? (font->ascent + font->descent) / sy : 0;
}

} // namespace kv::gdi
