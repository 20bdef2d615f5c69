#pragma once
// A device that keeps what it is given, for tests that look at the calls a Dc makes rather
// than at pixels.
#include "gdi/core/device.h"

#include <vector>

namespace kvtest {

class TraceDevice : public kv::gdi::Device {
public:
    struct Fill { QPainterPath path; Qt::FillRule rule; kv::gdi::DrawBrush brush; };
    struct Stroke { QPainterPath path; kv::gdi::DrawPen pen; };

    kv::gdi::DeviceCaps caps() const override { return caps_; }
    void setClip(const std::optional<QRegion>& c) override { clip = c; ++clipChanges; }
    void fillPath(const QPainterPath& p, Qt::FillRule r, const kv::gdi::DrawBrush& b) override { fills.push_back({p, r, b}); }
    void strokePath(const QPainterPath& p, const kv::gdi::DrawPen& pen) override { strokes.push_back({p, pen}); }
    void drawText(const kv::gdi::TextRun& run) override { texts.push_back(run); }
    void drawImage(const kv::gdi::ImageDraw& image) override { images.push_back(image); }

    kv::gdi::DeviceCaps caps_ = [] {
        kv::gdi::DeviceCaps c;
        c.horzRes = 1000; c.vertRes = 1000; c.horzSizeMm = 254; c.vertSizeMm = 254;
        return c;
    }();
    std::optional<QRegion> clip;
    int clipChanges = 0;
    std::vector<Fill> fills;
    std::vector<Stroke> strokes;
    std::vector<kv::gdi::TextRun> texts;
    std::vector<kv::gdi::ImageDraw> images;
};

} // namespace kvtest
