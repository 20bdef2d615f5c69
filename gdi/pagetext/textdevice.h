#pragma once
// A device that draws nothing and keeps the text a page shows: every glyph with its place in
// device pixels, as the Dc resolved it (Dx advances, alignment, escapement). Played into it, a
// page yields what a reader of the printed sheet would read; pagetext.h puts it in order.
#include "gdi/core/device.h"

#include <vector>

namespace kv::gdi {

// One glyph as drawn: its character and the box it takes, from the ascent above the baseline
// to the descent below it and from its origin to the next glyph's.
struct PlacedGlyph {
    char16_t ch = 0;
    QRectF box;            // device pixels
    QPointF baseline;      // the glyph's origin on the baseline, device pixels
    double angle = 0;      // degrees counter-clockwise, as the run was drawn
};

// The glyphs of one drawn run, in drawing order.
using PlacedRun = std::vector<PlacedGlyph>;

class TextCollectingDevice : public Device {
public:
    explicit TextCollectingDevice(const DeviceCaps& caps) : caps_(caps) {}

    DeviceCaps caps() const override { return caps_; }
    void setClip(const std::optional<QRegion>& clip) override { clip_ = clip; }
    void fillPath(const QPainterPath&, Qt::FillRule, const DrawBrush&) override {}
    void strokePath(const QPainterPath&, const DrawPen&) override {}
    void drawText(const TextRun& run) override;
    void drawImage(const ImageDraw&) override {}

    const std::vector<PlacedRun>& runs() const { return runs_; }

private:
    DeviceCaps caps_;
    std::optional<QRegion> clip_;
    std::vector<PlacedRun> runs_;
};

} // namespace kv::gdi
