// The EMF recorder: header and end of file, DC state records, clipping and shapes. Pens and
// brushes are in emfrecorderstyle.cpp, text and images in emfrecordertext.cpp.
#include "gdi/emf/emfrecorder.h"

#include "gdi/emf/emrcodes.h"
#include "gdi/record/recordinghelpers.h"

#include <cmath>

namespace kv::gdi {

namespace {

constexpr size_t kBoundsOffset = 8, kFrameOffset = 24, kBytesOffset = 48, kRecordsOffset = 52,
                 kHandlesOffset = 56;

bool fitsShort(const QPolygonF& points)
{
    for (const QPointF& p : points)
        if (std::abs(p.x()) > 32767 || std::abs(p.y()) > 32767)
            return false;
    return true;
}

uint32_t wideType(uint32_t type16)
{
    switch (type16) {
    case emr::POLYGON16: return emr::POLYGON;
    case emr::POLYLINE16: return emr::POLYLINE;
    case emr::POLYBEZIERTO16: return emr::POLYBEZIERTO;
    case emr::POLYPOLYGON16: return emr::POLYPOLYGON;
    default: return emr::POLYPOLYLINE;
    }
}

void writePoint(RecordWriter& out, QPointF p, bool shortPoints)
{
    const long x = std::lround(p.x()), y = std::lround(p.y());
    if (shortPoints) {
        out.i16(int16_t(x));
        out.i16(int16_t(y));
    } else {
        out.i32(int32_t(x));
        out.i32(int32_t(y));
    }
}

} // namespace

EmfRecorder::EmfRecorder(const DeviceCaps& reference, std::optional<RectL> frame, std::u16string description)
    : reference_(reference), frame_(frame), description_(std::move(description))
{
    writeHeaderPlaceholder();
}

EmfRecorder::~EmfRecorder() = default;

void EmfRecorder::writeHeaderPlaceholder()
{
    out_.begin(emr::HEADER);
    out_.rect({});  // bounds, frame: known at the end
    out_.rect({});
    out_.u32(0x464D4520);  // " EMF"
    out_.u32(0x10000);
    out_.u32(0);  // bytes
    out_.u32(0);  // records
    out_.u16(0);  // handles
    out_.u16(0);
    const uint32_t descriptionChars = description_.empty() ? 0 : uint32_t(description_.size() + 2);
    out_.u32(descriptionChars);
    out_.u32(descriptionChars ? emr::kHeaderSize : 0);
    out_.u32(0);  // palette entries
    out_.i32(reference_.horzRes);
    out_.i32(reference_.vertRes);
    out_.i32(reference_.horzSizeMm);
    out_.i32(reference_.vertSizeMm);
    out_.u32(0);  // pixel format
    out_.u32(0);
    out_.u32(0);  // OpenGL
    out_.i32(reference_.horzSizeMm * 1000);
    out_.i32(reference_.vertSizeMm * 1000);
    if (descriptionChars) {
        for (char16_t c : description_)
            out_.u16(c);
        out_.u16(0);
        out_.u16(0);
    }
    out_.end();
}

const std::vector<uint8_t>& EmfRecorder::finish()
{
    if (finished_)
        return bytes_;
    out_.begin(emr::EOF_);
    out_.u32(0);   // palette entries
    out_.u32(16);  // their offset
    out_.u32(20);  // this record's size, repeated at its end
    out_.end();

    const RectL bounds = drawn_ ? inclusiveBounds(*drawn_) : RectL{0, 0, -1, -1};
    RectL frame;
    if (frame_) {
        frame = *frame_;
    } else {
        // As GDI derives it: the bounds scaled by the reference's millimetres per pixel.
        auto scale = [](int32_t v, int32_t mm, int32_t px) {
            return px > 0 ? int32_t(int64_t(v) * mm * 100 / px) : 0;
        };
        frame = RectL{scale(bounds.left, reference_.horzSizeMm, reference_.horzRes),
                      scale(bounds.top, reference_.vertSizeMm, reference_.vertRes),
                      scale(bounds.right, reference_.horzSizeMm, reference_.horzRes),
                      scale(bounds.bottom, reference_.vertSizeMm, reference_.vertRes)};
    }
    const RectL rects[2] = {bounds, frame};
    for (int i = 0; i < 2; ++i) {
        const size_t at = i == 0 ? kBoundsOffset : kFrameOffset;
        out_.patchU32(at, uint32_t(rects[i].left));
        out_.patchU32(at + 4, uint32_t(rects[i].top));
        out_.patchU32(at + 8, uint32_t(rects[i].right));
        out_.patchU32(at + 12, uint32_t(rects[i].bottom));
    }
    out_.patchU32(kBytesOffset, uint32_t(out_.size()));
    out_.patchU32(kRecordsOffset, out_.recordCount());
    out_.patchU16(kHandlesOffset, uint16_t(std::min<uint32_t>(objects_.handleCount(), 0xFFFF)));
    finished_ = true;
    bytes_ = out_.take();
    return bytes_;
}

void EmfRecorder::addBounds(const QRectF& area)
{
    QRectF a = area;
    if (clip_)
        a = a.intersected(QRectF(clip_->boundingRect()));
    if (a.isEmpty())
        return;
    drawn_ = drawn_ ? drawn_->united(a) : a;
}

RectL EmfRecorder::boundsField(const QRectF& area) const
{
    return inclusiveBounds(area);
}

// ---- state ----------------------------------------------------------------------------

void EmfRecorder::simpleRecord(uint32_t type, std::initializer_list<uint32_t> values)
{
    out_.begin(type);
    for (uint32_t v : values)
        out_.u32(v);
    out_.end();
}

void EmfRecorder::writeState(RecordedState::Field field, uint32_t value)
{
    using Field = RecordedState::Field;
    switch (field) {
    case Field::Rop2: simpleRecord(emr::SETROP2, {value}); break;
    case Field::BkMode: simpleRecord(emr::SETBKMODE, {value}); break;
    case Field::PolyFillMode: simpleRecord(emr::SETPOLYFILLMODE, {value}); break;
    case Field::BkColor: simpleRecord(emr::SETBKCOLOR, {value}); break;
    case Field::TextColor: simpleRecord(emr::SETTEXTCOLOR, {value}); break;
    case Field::TextAlign: simpleRecord(emr::SETTEXTALIGN, {value}); break;
    }
}

void EmfRecorder::setBrushOrg(QPointF origin)
{
    const PointL o{int32_t(std::lround(origin.x())), int32_t(std::lround(origin.y()))};
    if (o.x != brushOrg_.x || o.y != brushOrg_.y) {
        brushOrg_ = o;
        simpleRecord(emr::SETBRUSHORGEX, {uint32_t(o.x), uint32_t(o.y)});
    }
}

// ---- clipping -------------------------------------------------------------------------

void EmfRecorder::setClip(const std::optional<QRegion>& clip)
{
    if (finished_ || clip == clip_)
        return;
    clip_ = clip;
    out_.begin(emr::EXTSELECTCLIPRGN);
    if (!clip) {
        out_.u32(0);
        out_.u32(RGN_COPY);
        out_.end();
        return;
    }
    const uint32_t count = uint32_t(clip->rectCount());
    out_.u32(32 + 16 * count);
    out_.u32(RGN_COPY);
    out_.u32(32);  // RGNDATAHEADER
    out_.u32(1);   // RDH_RECTANGLES
    out_.u32(count);
    out_.u32(16 * count);
    const QRect b = clip->boundingRect();
    out_.rect(RectL{b.x(), b.y(), b.x() + b.width(), b.y() + b.height()});
    for (const QRect& r : *clip)
        out_.rect(RectL{r.x(), r.y(), r.x() + r.width(), r.y() + r.height()});
    out_.end();
}

// ---- shapes ---------------------------------------------------------------------------

void EmfRecorder::writePoly(uint32_t type16, const QRectF& area, const QPolygonF& points)
{
    const bool shortPoints = fitsShort(points);
    out_.begin(shortPoints ? type16 : wideType(type16));
    out_.rect(boundsField(area));
    out_.u32(uint32_t(points.size()));
    for (const QPointF& p : points)
        writePoint(out_, p, shortPoints);
    out_.end();
}

void EmfRecorder::writePolyPoly(uint32_t type16, const QRectF& area, const std::vector<QPolygonF>& figures)
{
    bool shortPoints = true;
    uint32_t total = 0;
    for (const QPolygonF& f : figures) {
        shortPoints = shortPoints && fitsShort(f);
        total += uint32_t(f.size());
    }
    out_.begin(shortPoints ? type16 : wideType(type16));
    out_.rect(boundsField(area));
    out_.u32(uint32_t(figures.size()));
    out_.u32(total);
    for (const QPolygonF& f : figures)
        out_.u32(uint32_t(f.size()));
    for (const QPolygonF& f : figures)
        for (const QPointF& p : f)
            writePoint(out_, p, shortPoints);
    out_.end();
}

void EmfRecorder::writePathBracket(const QPainterPath& path)
{
    simpleRecord(emr::BEGINPATH, {});
    QPointF start;
    const int n = path.elementCount();
    for (int i = 0; i < n; ++i) {
        const QPainterPath::Element e = path.elementAt(i);
        if (e.type == QPainterPath::MoveToElement) {
            start = e;
            simpleRecord(emr::MOVETOEX, {uint32_t(std::lround(e.x)), uint32_t(std::lround(e.y))});
        } else if (e.type == QPainterPath::LineToElement) {
            simpleRecord(emr::LINETO, {uint32_t(std::lround(e.x)), uint32_t(std::lround(e.y))});
        } else if (e.type == QPainterPath::CurveToElement && i + 2 < n) {
            QPolygonF bezier;
            bezier << QPointF(e) << QPointF(path.elementAt(i + 1)) << QPointF(path.elementAt(i + 2));
            writePoly(emr::POLYBEZIERTO16, bezier.boundingRect(), bezier);
            i += 2;
        } else {
            continue;
        }
        // A figure that ends where it began was closed: GDI joins its ends only when told.
        const bool lastOfFigure = i + 1 >= n || path.elementAt(i + 1).type == QPainterPath::MoveToElement;
        if (e.type != QPainterPath::MoveToElement && lastOfFigure && QPointF(path.elementAt(i)) == start)
            simpleRecord(emr::CLOSEFIGURE, {});
    }
    simpleRecord(emr::ENDPATH, {});
}

void EmfRecorder::fillPath(const QPainterPath& path, Qt::FillRule rule, const DrawBrush& brush)
{
    if (finished_ || brush.isNull() || path.isEmpty())
        return;
    const QRectF area = path.controlPointRect();
    selectBrush(brush);
    state_.setRop2(brush.rop2);
    state_.setPolyFillMode(rule == Qt::WindingFill ? WINDING : ALTERNATE);
    const PathFigures figures = figuresOf(path);
    if (!figures.curved && !figures.figures.empty()) {
        // Polygons fill the same area whatever the pen; the null pen keeps them from being outlined.
        selectNullPen();
        if (figures.figures.size() == 1)
            writePoly(emr::POLYGON16, area, figures.figures[0]);
        else
            writePolyPoly(emr::POLYPOLYGON16, area, figures.figures);
    } else {
        writePathBracket(path);
        out_.begin(emr::FILLPATH);
        out_.rect(boundsField(area));
        out_.end();
    }
    addBounds(area);
}

void EmfRecorder::strokePath(const QPainterPath& path, const DrawPen& pen)
{
    if (finished_ || !pen.visible || path.isEmpty())
        return;
    // An aliased line through x inks the pixel from x to x + 1: a pen of width w reaches
    // (w - 1) / 2 to the left of its path and (w + 1) / 2 to the right.
    const double half = (std::max(pen.width, 1.0) - 1) / 2;
    const QRectF area = path.controlPointRect().adjusted(-half, -half, half + 1, half + 1);
    selectPen(pen);
    state_.setRop2(pen.rop2);
    PathFigures figures = figuresOf(path);
    if (figures.curved || figures.figures.empty()) {
        writePathBracket(path);
        out_.begin(emr::STROKEPATH);
        out_.rect(boundsField(area));
        out_.end();
    } else if (figures.allClosed()) {
        selectNullBrush();
        if (figures.figures.size() == 1)
            writePoly(emr::POLYGON16, area, figures.figures[0]);
        else
            writePolyPoly(emr::POLYPOLYGON16, area, figures.figures);
    } else {
        for (size_t i = 0; i < figures.figures.size(); ++i)
            if (figures.closed[i])
                figures.figures[i] << figures.figures[i].first();
        if (figures.figures.size() == 1)
            writePoly(emr::POLYLINE16, area, figures.figures[0]);
        else
            writePolyPoly(emr::POLYPOLYLINE16, area, figures.figures);
    }
    addBounds(area);
}

} // namespace kv::gdi
