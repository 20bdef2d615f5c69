// The EMF+ page's pixel bound on its target: the stream is played once onto a device that
// draws nothing and only adds up the pixels each drawing covers on the target, so that a page
// over its bound is known before any of it is drawn. The reader's work bound counts points,
// which a page transform or a pen width can make cover any number of pixels.
#include "gdi/emfplus/emfplusplay.h"

#include <algorithm>
#include <cmath>

namespace kv::gdi::plus::play {

namespace {

class CoverageDevice : public Device {
public:
    CoverageDevice(const DeviceCaps& caps, const QRectF& target, uint64_t bound)
        : caps_(caps), target_(target), bound_(bound)
    {
    }

    bool over() const { return covered_ > bound_; }

    DeviceCaps caps() const override { return caps_; }
    void setClip(const std::optional<QRegion>&) override {}
    void fillPath(const QPainterPath& path, Qt::FillRule, const DrawBrush&) override { cover(path.boundingRect()); }

    // A line covers about its length times its width, and never more than its box.
    void strokePath(const QPainterPath& path, const DrawPen& pen) override
    {
        const double width = std::max(1.0, pen.width);
        const QRectF box = path.boundingRect().adjusted(-width / 2, -width / 2, width / 2, width / 2);
        const double onTarget = onTargetArea(box);
        if (onTarget <= 0)
            return;
        add(std::min(onTarget, path.length() * width));
    }

    void drawText(const TextRun& run) override
    {
        const double height = run.font->ascent + run.font->descent;
        const double width = std::max(run.font->averageWidth, height);  // turned or stretched glyphs
        for (const QPointF& origin : run.origins)
            cover(QRectF(origin.x() - width, origin.y() - height, 2 * width, 2 * height));
    }

    void drawImage(const ImageDraw& image) override { cover(image.deviceQuad.boundingRect()); }

private:
    double onTargetArea(const QRectF& box) const
    {
        const QRectF on = box.normalized() & target_;
        return on.isValid() ? on.width() * on.height() : 0;
    }
    void cover(const QRectF& box) { add(onTargetArea(box)); }
    void add(double pixels)
    {
        if (std::isfinite(pixels) && pixels > 0)
            covered_ += uint64_t(std::min(pixels, 1e15));
    }

    DeviceCaps caps_;
    QRectF target_;
    uint64_t bound_;
    uint64_t covered_ = 0;
};

} // namespace

size_t affordableEntries(const Stream& stream, const PlayTarget& target, const DeviceCaps& caps)
{
    const QRectF frame = target.frameOnDevice.normalized();
    const double area = frame.isValid() ? frame.width() * frame.height() : 0;
    const uint64_t pixels = std::max<uint64_t>(kMinBoundPixels, std::isfinite(area) ? uint64_t(std::min(area, 1e15)) : 0);
    CoverageDevice device(caps, frame, kTargetCoverages * pixels);
    Dc dc(device);
    dc.beginPlayback(target.toDevice);
    const std::function<void(size_t, size_t)> noGdi;  // GDI records have their own bounds
    const size_t played = Player(dc, stream, target, noGdi).run([&] { return device.over(); });
    dc.endPlayback();
    return device.over() ? played - 1 : played;
}

} // namespace kv::gdi::plus::play
