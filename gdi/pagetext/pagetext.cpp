#include "gdi/pagetext/pagetext.h"

#include "gdi/player.h"

#include <algorithm>
#include <cmath>

namespace kv::gdi {

namespace {

// Pixels across the device a page's text is collected on: glyph places are kept in floating
// point, so this only needs to be fine enough for fonts to resolve at sensible sizes.
constexpr int kCollectWidth = 2400;
// Baselines closer than this share of the glyph height belong to one line.
constexpr double kSameLine = 0.4;
// A gap wider than this share of the glyph height between two glyphs of a line is a blank.
constexpr double kWordGap = 0.22;

struct LineGlyph {
    const PlacedGlyph* glyph;
    size_t order;  // drawing order, so that equal places keep it
};

bool isBlank(char16_t c) { return c == u' ' || c == u'\t' || c == 0xA0; }

class TextBuilder {
public:
    explicit TextBuilder(QSizeF size) : size_(size) {}

    void add(const PlacedGlyph& g)
    {
        text_.text.append(QChar(g.ch));
        text_.boxes.push_back(QRectF(g.box.x() / size_.width(), g.box.y() / size_.height(),
                                     g.box.width() / size_.width(), g.box.height() / size_.height()));
    }
    void separator(char16_t c)
    {
        if (text_.text.isEmpty() || text_.text.back() == QChar(c) || text_.text.back() == QLatin1Char('\n'))
            return;
        text_.text.append(QChar(c));
        text_.boxes.emplace_back();
    }
    PageText take()
    {
        while (!text_.text.isEmpty() && text_.text.back().isSpace()) {
            text_.text.chop(1);
            text_.boxes.pop_back();
        }
        return std::move(text_);
    }

private:
    QSizeF size_;
    PageText text_;
};

void appendLine(TextBuilder& out, std::vector<LineGlyph>& line)
{
    std::stable_sort(line.begin(), line.end(), [](const LineGlyph& a, const LineGlyph& b) {
        return a.glyph->baseline.x() < b.glyph->baseline.x();
    });
    const PlacedGlyph* previous = nullptr;
    for (const LineGlyph& item : line) {
        const PlacedGlyph& g = *item.glyph;
        if (previous && !isBlank(previous->ch) && !isBlank(g.ch)) {
            const double gap = g.box.left() - previous->box.right();
            if (gap > kWordGap * std::max(g.box.height(), previous->box.height()))
                out.separator(u' ');
        }
        out.add(g);
        previous = &g;
    }
    out.separator(u'\n');
    line.clear();
}

} // namespace

PageText readingOrder(const std::vector<PlacedRun>& runs, QSizeF deviceSize)
{
    if (!(deviceSize.width() > 0) || !(deviceSize.height() > 0))
        return {};
    std::vector<LineGlyph> upright;
    std::vector<const PlacedRun*> turned;
    size_t order = 0;
    for (const PlacedRun& run : runs) {
        if (run.empty())
            continue;
        if (std::fabs(run.front().angle) > 1) {
            turned.push_back(&run);
            continue;
        }
        for (const PlacedGlyph& g : run)
            upright.push_back({&g, order++});
    }
    std::stable_sort(upright.begin(), upright.end(), [](const LineGlyph& a, const LineGlyph& b) {
        return a.glyph->baseline.y() < b.glyph->baseline.y();
    });

    TextBuilder out(deviceSize);
    std::vector<LineGlyph> line;
    double lineBaseline = 0, lineHeight = 0;
    for (const LineGlyph& item : upright) {
        const PlacedGlyph& g = *item.glyph;
        const double height = std::max(1.0, g.box.height());
        if (!line.empty()
            && std::fabs(g.baseline.y() - lineBaseline) > kSameLine * std::min(height, lineHeight))
            appendLine(out, line);
        if (line.empty()) {
            lineBaseline = g.baseline.y();
            lineHeight = height;
        }
        line.push_back(item);
    }
    if (!line.empty())
        appendLine(out, line);
    for (const PlacedRun* run : turned) {
        for (const PlacedGlyph& g : *run)
            out.add(g);
        out.separator(u'\n');
    }
    return out.take();
}

PageText extractPageText(const Picture& picture)
{
    const QRectF frame = pictureFrame(picture.header);  // 0.01 mm
    if (!(frame.width() > 0) || !(frame.height() > 0))
        return {};
    const int width = kCollectWidth;
    const int height = std::clamp(int(std::lround(width * frame.height() / frame.width())), 1, 40 * kCollectWidth);
    DeviceCaps caps;
    caps.horzRes = width;
    caps.vertRes = height;
    caps.horzSizeMm = std::max(1, int(std::lround(frame.width() / 100)));
    caps.vertSizeMm = std::max(1, int(std::lround(frame.height() / 100)));
    caps.logPixelsX = std::max(1, int(std::lround(width * 2540.0 / frame.width())));
    caps.logPixelsY = std::max(1, int(std::lround(height * 2540.0 / frame.height())));
    TextCollectingDevice device(caps);
    {
        Dc dc(device);
        playPicture(dc, picture, RectL{0, 0, width, height});
    }
    return readingOrder(device.runs(), QSizeF(width, height));
}

} // namespace kv::gdi
