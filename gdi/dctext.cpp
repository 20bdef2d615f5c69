// Dc text: the selected LOGFONT resolved at the device size, glyph origins from the Dx
// advances (or the font's own), alignment, update-current-position, opaque boxes and clipping.
#include "dcimpl.h"

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

// With no width of its own, a font on an unevenly scaled page is as much narrower or wider as
// the page is. In the advanced mode that is the whole transform; the compatible mode looks
// only at the window and viewport (a playback onto a device of other proportions keeps the
// glyphs' own shape).
ResolvedFontPtr Dc::Impl::deviceFont(const LogFont& lf) const
{
    const double sx = xScale(), sy = yScale();
    ResolvedFontPtr font = resolveFont(lf, lf.height * sy, lf.width * sx);
    if (!font || lf.width != 0 || sy <= 0 || font->averageWidth <= 0)
        return font;
    const QTransform page = pageTransform();
    const double ratio = dc.state_.graphicsMode == GM_ADVANCED ? sx / sy : std::fabs(page.m11() / page.m22());
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
    const QTransform m = impl_->toDevice();
    const QTransform linear(m.m11(), m.m12(), m.m21(), m.m22(), 0, 0);
    const bool updateCp = state_.textAlign & TA_UPDATECP;
    const QPointF refLogical = updateCp ? state_.currentPosition : QPointF(x, y);
    const QPointF ref = m.map(refLogical);

    ResolvedFontPtr font = impl_->deviceFont(lf);
    if (!font)
        return;
    std::u16string fromGlyphs;
    if (options & ETO_GLYPH_INDEX) {
        fromGlyphs = charsForGlyphs(*font, text);
        text = fromGlyphs;
    }

    // Escapement turns the baseline counter-clockwise as the page is seen. In the compatible
    // graphics mode a mapping that mirrors one axis (y up, as in the metric modes) mirrors the
    // angle as well, like GDI: 2700 under y up reads bottom to top.
    const QTransform page = impl_->pageTransform();
    const bool yUp = page.m22() * impl_->base.m22() < 0;
    const bool xLeft = page.m11() * impl_->base.m11() < 0;
    const bool mirrored = state_.graphicsMode != GM_ADVANCED && yUp != xLeft;
    const double a = (mirrored ? -lf.escapement : lf.escapement) / 10.0 * kPi / 180;
    const QPointF uLogical(xLeft && state_.graphicsMode != GM_ADVANCED ? -std::cos(a) : std::cos(a),
                           yUp ? std::sin(a) : -std::sin(a));
    const QPointF dir = state_.graphicsMode == GM_ADVANCED ? unit(linear.map(uLogical))
                                                          : QPointF(std::cos(a), -std::sin(a));
    const QPointF down(-dir.y(), dir.x());

    Layout layout;
    layout.origins.reserve(text.size());
    const bool pdy = options & ETO_PDY;
    const size_t step = pdy ? 2 : 1;
    if (!dx.empty() && dx.size() >= text.size() * step) {
        QPointF at;  // logical offset along the run
        const QPointF across(-uLogical.y(), uLogical.x());
        for (size_t i = 0; i < text.size(); ++i) {
            layout.origins.push_back(linear.map(at));
            at += uLogical * dx[i * step];
            if (pdy)
                at -= across * dx[i * step + 1];
        }
        layout.logicalTotal = at;
        layout.total = linear.map(at);
    } else {
        // GDI spaces glyphs by whole pixels: of this device, or of the reference device the
        // text was measured on.
        const double extra = state_.textCharExtra * impl_->xScale();
        const QLineF basePixel = impl_->base.map(QLineF(0, 0, 1, 0));
        const double pixel = impl_->advancesOnReference && basePixel.length() > 0 ? basePixel.length() : 1.0;
        double along = 0;
        for (char16_t c : text) {
            layout.origins.push_back(dir * along);
            along += std::round(font->advance(c) / pixel) * pixel + extra;
        }
        if (state_.justifyCount > 0 && state_.justifyExtra != 0)
            along += state_.justifyExtra * impl_->xScale();
        layout.total = dir * along;
        const QTransform inverse = linear.inverted();
        layout.logicalTotal = inverse.map(layout.total);
    }

    // Alignment: a shift along the baseline, then across it to the baseline.
    QPointF shift;
    if ((state_.textAlign & TA_CENTER) == TA_CENTER)
        shift = -layout.total / 2;
    else if (state_.textAlign & TA_RIGHT)
        shift = -layout.total;
    if ((state_.textAlign & TA_BASELINE) == TA_BASELINE)
        ;
    else if (state_.textAlign & TA_BOTTOM)
        shift -= down * font->descent;
    else
        shift += down * font->ascent;
    const QPointF start = ref + shift;

    if (updateCp) {
        if ((state_.textAlign & TA_CENTER) == TA_CENTER)
            ;
        else if (state_.textAlign & TA_RIGHT)
            state_.currentPosition = refLogical - layout.logicalTotal;
        else
            state_.currentPosition = refLogical + layout.logicalTotal;
    }

    if (state_.pathOpen) {
        std::vector<QPointF> origins;
        origins.reserve(layout.origins.size());
        for (const QPointF& o : layout.origins)
            origins.push_back(start + o);
        addGlyphOutlines(state_.path, *font, text, origins, std::atan2(-dir.y(), dir.x()) * 180 / kPi);
        return;
    }

    std::optional<QPolygonF> rectQuad;
    if (rect && (options & (ETO_OPAQUE | ETO_CLIPPED))) {
        const QRectF r = QRectF(QPointF(rect->left, rect->top), QPointF(rect->right, rect->bottom)).normalized();
        rectQuad = m.map(QPolygonF(r));
    }
    if (rectQuad && (options & ETO_OPAQUE)) {
        QPainterPath p;
        p.addPolygon(*rectQuad);
        DrawBrush b = impl_->solidBrush(state_.bkColor);
        b.rop2 = R2_COPYPEN;
        impl_->fillDevicePath(p, Qt::WindingFill, b);
    }
    if (text.empty())
        return;
    const QPolygonF cell = quad(start, layout.total, -down * font->ascent, down * font->descent);
    if (state_.bkMode == OPAQUE) {
        QPainterPath p;
        p.addPolygon(cell);
        if (rectQuad && (options & ETO_CLIPPED)) {
            QPainterPath clipPath;
            clipPath.addPolygon(*rectQuad);
            p = p.intersected(clipPath);
        }
        DrawBrush b = impl_->solidBrush(state_.bkColor);
        b.rop2 = R2_COPYPEN;
        impl_->fillDevicePath(p, Qt::WindingFill, b);
    }
    TextRun run;
    run.text.assign(text);
    run.origins.reserve(layout.origins.size());
    for (const QPointF& o : layout.origins)
        run.origins.push_back(start + o);
    run.font = font;
    run.angle = std::atan2(-dir.y(), dir.x()) * 180 / kPi;
    run.color = impl_->color(state_.textColor);
    if (rectQuad && (options & ETO_CLIPPED))
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
