// Custom line caps: the arrowheads and other shapes GDI+ pens put at the ends of open lines,
// read from a pen's data and placed at each end in the line's direction, scaled by its width.
#include "gdi/emfplus/emfplusparse.h"
#include "gdi/emfplus/emfplusplay.h"

#include <cmath>

namespace kv::gdi::plus {

namespace read {

namespace {

enum : uint32_t { CapDefault = 0, CapAdjustableArrow = 1 };
enum : uint32_t { CapFillPath = 0x1, CapLinePath = 0x2 };
// Real caps are a handful of points; more would be paid at every end of every line.
constexpr int kMaxCapElements = 256;

std::optional<QPainterPath> readCapPath(ByteReader& r, std::string& problem)
{
    const uint32_t size = r.u32();
    if (!r.fits(size, 1))
        return std::nullopt;
    ByteReader data = r.sub(r.pos(), size);
    r.skip(size);
    return readPath(data, problem);
}

} // namespace

std::optional<CustomCap> readCustomCap(ByteReader& r, std::string& problem)
{
    r.u32();  // version
    const uint32_t type = r.u32();
    CustomCap cap;
    double widthScale = 1;
    if (type == CapAdjustableArrow) {
        const float width = r.f32(), height = r.f32(), middleInset = r.f32();
        const uint32_t filled = r.u32();
        r.skip(16);  // the line's start and end caps, join and miter limit
        widthScale = r.f32();
        if (!r.ok() || !std::isfinite(width) || !std::isfinite(height) || !std::isfinite(middleInset))
            return std::nullopt;
        QPainterPath arrow;
        arrow.moveTo(0, 0);
        arrow.lineTo(width / 2, -height);
        arrow.lineTo(0, -height + middleInset);
        arrow.lineTo(-width / 2, -height);
        arrow.closeSubpath();
        (filled ? cap.fill : cap.line) = arrow;
    } else if (type == CapDefault) {
        const uint32_t flags = r.u32();
        r.u32();  // the base cap, drawn by the line itself
        const float inset = r.f32();
        r.skip(16);  // the cap's own stroke caps, join and miter limit
        widthScale = r.f32();
        r.skip(16);  // hot spots, which GDI+ itself does not use
        cap.inset = std::isfinite(inset) ? std::clamp<double>(inset, 0, 100) : 0;
        if (flags & CapFillPath) {
            auto fill = readCapPath(r, problem);
            if (!fill)
                return std::nullopt;
            cap.fill = *fill;
        }
        if (flags & CapLinePath) {
            auto line = readCapPath(r, problem);
            if (!line)
                return std::nullopt;
            cap.line = *line;
        }
        if (!r.ok())
            return std::nullopt;
    } else {
        problem = problem.empty() ? "unknown custom line cap drawn flat" : problem;
        return std::nullopt;
    }
    if (cap.fill.elementCount() + cap.line.elementCount() > kMaxCapElements) {
        problem = problem.empty() ? "custom line cap too large, drawn flat" : problem;
        return std::nullopt;
    }
    if (std::isfinite(widthScale) && widthScale > 0 && widthScale < 100 && widthScale != 1) {
        const QTransform scale = QTransform::fromScale(widthScale, widthScale);
        cap.fill = scale.map(cap.fill);
        cap.line = scale.map(cap.line);
        cap.inset *= widthScale;
    }
    return cap;
}

} // namespace read

namespace play {

namespace {

// The nearest point before `at` in [from, at) that is not `at` itself: the line's direction
// at its end comes from it.
std::optional<QPointF> pointBefore(const QPainterPath& path, int from, int at)
{
    const QPointF end = path.elementAt(at);
    for (int i = at - 1; i >= from; --i) {
        const QPointF p = path.elementAt(i);
        if (QLineF(p, end).length() > 1e-9)
            return p;
    }
    return std::nullopt;
}

} // namespace

void Player::strokeWithCaps(const QPainterPath& line, const Pen& pen, const DrawPen& drawn)
{
    if (!pen.startCap && !pen.endCap) {
        dc_.strokeDevice(line, drawn);
        return;
    }
    QPainterPath shortened = line;
    QPainterPath fills, lines;
    const double w = drawn.width;
    // Places `cap` at element `at`, coming from `before`; the line gives up the cap's inset.
    const auto place = [&](const CustomCap& cap, int at, QPointF before) {
        const QPointF end = line.elementAt(at);
        const QLineF along(before, end);
        const QPointF dir = (end - before) / along.length();
        const QPointF across(-dir.y(), dir.x());
        const QTransform onLine(across.x() * w, across.y() * w, dir.x() * w, dir.y() * w, end.x(), end.y());
        fills.addPath(onLine.map(cap.fill));
        lines.addPath(onLine.map(cap.line));
        if (cap.inset > 0 && along.length() > cap.inset * w) {
            const QPointF inset = end - dir * (cap.inset * w);
            shortened.setElementPositionAt(at, inset.x(), inset.y());
        }
    };
    const int n = line.elementCount();
    for (int begin = 0; begin < n;) {
        int end = begin + 1;
        while (end < n && line.elementAt(end).type != QPainterPath::MoveToElement)
            ++end;
        const int last = end - 1;
        const bool closed = last > begin && QLineF(line.elementAt(begin), line.elementAt(last)).length() < 1e-9;
        if (!closed && last > begin) {
            if (pen.endCap)
                if (const auto before = pointBefore(line, begin, last))
                    place(*pen.endCap, last, *before);
            if (pen.startCap) {
                // The start's direction runs backwards from the first point that differs.
                for (int i = begin + 1; i <= last; ++i) {
                    if (QLineF(line.elementAt(i), line.elementAt(begin)).length() > 1e-9) {
                        place(*pen.startCap, begin, line.elementAt(i));
                        break;
                    }
                }
            }
        }
        begin = end;
    }
    dc_.strokeDevice(shortened, drawn);
    DrawBrush brush;
    brush.kind = DrawBrush::Kind::Solid;
    brush.color = drawn.color;
    brush.smooth = drawn.smooth;
    brush.sourceCopy = drawn.sourceCopy;
    if (!fills.isEmpty())
        dc_.fillDevice(fills, Qt::WindingFill, brush);
    if (!lines.isEmpty()) {
        DrawPen solid = drawn;
        solid.style = Qt::SolidLine;
        solid.dashes.clear();
        dc_.strokeDevice(lines, solid);
    }
}

} // namespace play

} // namespace kv::gdi::plus
