#include "gdi/pagetext/textdevice.h"

#include <cmath>

namespace kv::gdi {

namespace {

constexpr double kPi = 3.14159265358979323846;

// The box of a glyph turned with its run: the corners of its upright cell mapped and bounded.
QRectF glyphBox(QPointF origin, QPointF along, double advance, double ascent, double descent)
{
    const QPointF down(-along.y(), along.x());
    const QPointF corners[4] = {origin - down * ascent, origin - down * ascent + along * advance,
                                origin + down * descent + along * advance, origin + down * descent};
    QPolygonF cell;
    for (const QPointF& p : corners)
        cell << p;
    return cell.boundingRect();
}

} // namespace

// Text cut away by the clip is not on the page a reader sees, nor is a run whose glyphs fall
// outside the device (text parked off the sheet by report writers).
void TextCollectingDevice::drawText(const TextRun& run)
{
    if (!run.font || run.text.empty() || run.origins.size() < run.text.size())
        return;
    const double a = run.angle * kPi / 180;
    const QPointF along(std::cos(a), -std::sin(a));
    const double ascent = run.font->ascent, descent = run.font->descent;
    const QRectF sheet(0, 0, caps_.horzRes, caps_.vertRes);
    PlacedRun placed;
    placed.reserve(run.text.size());
    for (size_t i = 0; i < run.text.size(); ++i) {
        const QPointF origin = run.origins[i];
        double advance = run.font->advance(run.text[i]);
        if (i + 1 < run.text.size()) {
            const QPointF step = run.origins[i + 1] - origin;
            advance = step.x() * along.x() + step.y() * along.y();
        }
        PlacedGlyph glyph;
        glyph.ch = run.text[i];
        glyph.box = glyphBox(origin, along, std::max(0.0, advance), ascent, descent);
        glyph.baseline = origin;
        glyph.angle = run.angle;
        if (!sheet.contains(glyph.box.center()))
            continue;
        if (clip_ && !clip_->contains(glyph.box.center().toPoint()))
            continue;
        if (run.clipBox && !run.clipBox->containsPoint(glyph.box.center(), Qt::OddEvenFill))
            continue;
        placed.push_back(glyph);
    }
    if (!placed.empty())
        runs_.push_back(std::move(placed));
}

} // namespace kv::gdi
