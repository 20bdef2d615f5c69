// EMF+ text: DrawString laid out in its rectangle as GDI+ lays it out (lines broken at spaces
// to the rectangle's width, aligned along and across the lines, a sixth of an em kept free at
// each end of a line by the default format), and DrawDriverString at its own glyph positions.
// Glyphs are placed one by one, so a substitute face keeps each word where the writer put it.
#include "gdi/emfplus/emfplusplay.h"

#include <cmath>

namespace kv::gdi::plus::play {

namespace {

constexpr uint32_t kNoWrap = 0x1000, kNoClip = 0x4000;
constexpr uint32_t kCmapLookup = 0x1, kRealizedAdvance = 0x4;

// TextRenderingHintSingleBitPerPixelGridFit (1) and SingleBitPerPixel (2) ask for text without
// smoothing; the system default (0) is smoothed, as Windows' font smoothing is on by default.
bool aliasedText(uint32_t hint) { return hint == 1 || hint == 2; }
constexpr size_t kMaxTextChars = 1 << 16;

double axisLength(const QTransform& t, QPointF axis)
{
    const QPointF d = t.map(axis) - t.map(QPointF(0, 0));
    return std::hypot(d.x(), d.y());
}

double angleOf(const QTransform& t)
{
    return -std::atan2(t.m12(), t.m11()) * 180 / M_PI;
}

// The text broken into lines: at line breaks, and at spaces where a line would grow wider
// than `width` (world units; 0 = no wrapping). `advance` gives a character's width.
template <class Advance>
std::vector<std::u16string> breakLines(const std::u16string& text, double width, Advance advance)
{
    std::vector<std::u16string> lines(1);
    double lineWidth = 0;
    size_t lastSpace = std::u16string::npos;
    for (size_t i = 0; i < text.size() && i < kMaxTextChars; ++i) {
        const char16_t c = text[i];
        if (c == u'\r')
            continue;
        if (c == u'\n') {
            lines.emplace_back();
            lineWidth = 0;
            lastSpace = std::u16string::npos;
            continue;
        }
        std::u16string& line = lines.back();
        const double w = advance(c);
        if (width > 0 && c != u' ' && lineWidth + w > width && lastSpace != std::u16string::npos) {
            std::u16string rest = line.substr(lastSpace + 1);
            line.resize(lastSpace);
            lines.push_back(std::move(rest));
            lineWidth = 0;
            for (char16_t k : lines.back())
                lineWidth += advance(k);
            lastSpace = std::u16string::npos;
        }
        if (c == u' ')
            lastSpace = lines.back().size();
        lines.back().push_back(c);
        lineWidth += w;
    }
    return lines;
}

} // namespace

ResolvedFontPtr Player::deviceFont(const Font& font, double& emDevice) const
{
    const QTransform t = worldToDevice();
    // A size in a unit of its own is converted into the page unit; the page scale then applies
    // to it as to everything drawn.
    const double pageUnit = unitToPixels(state_.pageUnit, true);
    const double emWorld = font.unit == UnitWorld ? font.emSize : font.emSize * unitToPixels(font.unit, true) / pageUnit;
    emDevice = emWorld * axisLength(t, QPointF(0, 1));
    if (!(emDevice > 0.1) || !std::isfinite(emDevice) || emDevice > 1e5)
        return nullptr;
    LogFont lf;
    lf.height = -1;
    lf.weight = (font.style & 1) ? 700 : 400;
    lf.italic = (font.style & 2) ? 1 : 0;
    lf.underline = (font.style & 4) ? 1 : 0;
    lf.strikeOut = (font.style & 8) ? 1 : 0;
    lf.charSet = 1;  // DEFAULT_CHARSET
    lf.faceName = font.family;
    ResolvedFontPtr natural = resolveFont(lf, -emDevice, 0);
    // World units are square to GDI+: on a page whose device pixels are not (a reference
    // device of another aspect, a scaling transform), the glyphs stretch with the page.
    const double aspect = axisLength(t, QPointF(1, 0)) / axisLength(t, QPointF(0, 1));
    if (!natural || !std::isfinite(aspect) || std::fabs(aspect - 1) < 0.01)
        return natural;
    return resolveFont(lf, -emDevice, natural->averageWidth * aspect);
}

void Player::drawLaidOut(const std::u16string& text, const Font& font, const StringFormat& format, const QRectF& layout,
                         const QColor& color)
{
    double emDevice = 0;
    const ResolvedFontPtr resolved = deviceFont(font, emDevice);
    if (!resolved || text.empty())
        return;
    const QTransform t = worldToDevice();
    const double sx = axisLength(t, QPointF(1, 0)), sy = axisLength(t, QPointF(0, 1));
    if (!(sx > 0) || !(sy > 0))
        return;
    const double em = emDevice / sy;  // world units
    const auto advance = [&](char16_t c) { return resolved->advance(c) / sx; };
    const double lead = format.leadingMargin * em, trail = format.trailingMargin * em;
    const bool wrap = !(format.flags & kNoWrap) && layout.width() > 0;
    const auto lines = breakLines(text, wrap ? std::max(0.0, layout.width() - lead - trail) : 0, advance);
    const double ascent = resolved->ascent / sy, lineHeight = (resolved->ascent + resolved->descent) / sy;
    const double total = lineHeight * double(lines.size());
    double top = layout.top();
    if (layout.height() > 0 && format.lineAlign == 1)
        top += (layout.height() - total) / 2;
    else if (layout.height() > 0 && format.lineAlign == 2)
        top += layout.height() - total;

    TextRun run;
    run.font = resolved;
    run.aliased = aliasedText(state_.textHint);
    run.sourceCopy = state_.sourceCopy;
    run.color = color;
    run.angle = angleOf(t);
    if (layout.width() > 0 && layout.height() > 0 && !(format.flags & kNoClip))
        run.clipBox = t.map(QPolygonF(layout));
    for (size_t i = 0; i < lines.size(); ++i) {
        const std::u16string& line = lines[i];
        double width = 0;
        for (char16_t c : line)
            width += advance(c);
        double x = layout.left() + lead;
        if (format.align == 1)
            x = layout.width() > 0 ? layout.left() + (layout.width() - width) / 2 : layout.left() - width / 2;
        else if (format.align == 2)
            x = layout.width() > 0 ? layout.right() - trail - width : layout.left() - width;
        const double baseline = top + ascent + lineHeight * double(i);
        for (char16_t c : line) {
            run.text.push_back(c);
            run.origins.push_back(t.map(QPointF(x, baseline)));
            x += advance(c);
        }
    }
    dc_.textDevice(run);
}

void Player::operator()(const rec::DrawString& r)
{
    const Font* font = objectAs<Font>(r.fontId);
    const auto brush = drawBrush(r.brush);
    if (!font || !brush)
        return;
    static const StringFormat defaults;
    const StringFormat* format = r.formatId < objects_.size() ? objectAs<StringFormat>(uint8_t(r.formatId)) : nullptr;
    drawLaidOut(r.text, *font, format ? *format : defaults, r.layout, brush->color);
}

void Player::operator()(const rec::DrawDriverString& r)
{
    const Font* font = objectAs<Font>(r.fontId);
    const auto brush = drawBrush(r.brush);
    if (!font || !brush || !(r.options & kCmapLookup) || r.positions.empty())
        return;  // glyph indices of the writer's own fonts mean nothing in ours
    double emDevice = 0;
    const ResolvedFontPtr resolved = deviceFont(*font, emDevice);
    if (!resolved)
        return;
    const QTransform glyphs = r.transform ? *r.transform : QTransform();
    const QTransform t = glyphs * worldToDevice();
    TextRun run;
    run.font = resolved;
    run.aliased = aliasedText(state_.textHint);
    run.sourceCopy = state_.sourceCopy;
    run.color = brush->color;
    run.angle = angleOf(t);
    run.text = r.text;
    const double sx = axisLength(t, QPointF(1, 0));
    QPointF pen = r.positions.front();
    for (size_t i = 0; i < r.text.size(); ++i) {
        if (!(r.options & kRealizedAdvance) && i < r.positions.size())
            pen = r.positions[i];
        run.origins.push_back(t.map(pen));
        if (sx > 0)
            pen.rx() += resolved->advance(r.text[i]) / sx;
    }
    dc_.textDevice(run);
}

} // namespace kv::gdi::plus::play
