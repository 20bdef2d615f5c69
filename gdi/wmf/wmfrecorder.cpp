// The WMF recorder: file header, mapping, DC state, clipping and shapes. Pens, brushes and
// fonts are in wmfrecorderstyle.cpp, text and images in wmfrecordertext.cpp.
#include "gdi/wmf/wmfrecorder.h"

#include "platform/bytereader.h"
#include "gdi/wmf/wmfformat.h"

#include <cmath>

namespace kv::gdi {

using namespace wmf;

namespace {

constexpr int kMaxUnits = 32000;  // a little room below the 16-bit limit for strokes and text

// The walk over finished records: the largest one, in words (the header's mtMaxRecord).
uint32_t largestRecord(const std::vector<uint8_t>& bytes, size_t from)
{
    uint32_t largest = 0;
    ByteReader r(bytes.data(), bytes.size());
    for (size_t pos = from; pos + 6 <= bytes.size();) {
        r.seek(pos);
        const uint32_t words = r.u32();
        if (words < 3)
            break;
        largest = std::max(largest, words);
        pos += size_t(words) * 2;
    }
    return largest;
}

} // namespace

WmfRecorder::WmfRecorder(const DeviceCaps& reference, std::optional<RectL> placeable)
    : reference_(reference), placeable_(placeable)
{
    const int largest = std::max({reference.horzRes, reference.vertRes, 1});
    scale_ = (largest + kMaxUnits - 1) / kMaxUnits;
    writePrologue();
}

WmfRecorder::~WmfRecorder() = default;

int16_t WmfRecorder::toUnits(double devicePixels) const
{
    const double units = std::round(devicePixels / scale_);
    return int16_t(std::clamp(units, -32768.0, 32767.0));
}

void WmfRecorder::writePrologue()
{
    if (placeable_) {
        const RectL& b = *placeable_;
        const int16_t box[4] = {toUnits(b.left), toUnits(b.top), toUnits(b.right), toUnits(b.bottom)};
        const uint16_t inch = uint16_t(std::clamp(reference_.logPixelsX / scale_, 1, 0xFFFF));
        const uint16_t words[10] = {uint16_t(kPlaceableKey & 0xFFFF), uint16_t(kPlaceableKey >> 16), 0,
                                    uint16_t(box[0]), uint16_t(box[1]), uint16_t(box[2]), uint16_t(box[3]),
                                    inch, 0, 0};
        uint16_t checksum = 0;
        for (uint16_t w : words) {
            out_.u16(w);
            checksum ^= w;
        }
        out_.u16(checksum);
    }
    headerAt_ = out_.size();
    out_.u16(1);       // memory metafile
    out_.u16(9);       // header words
    out_.u16(0x0300);
    out_.u32(0);       // size in words: at the end
    out_.u16(0);       // objects: at the end
    out_.u32(0);       // largest record: at the end
    out_.u16(0);
    shortRecord(META_SETMAPMODE, {int16_t(MM_ANISOTROPIC)});
    shortRecord(META_SETWINDOWORG, {0, 0});
    shortRecord(META_SETWINDOWEXT, {toUnits(reference_.vertRes), toUnits(reference_.horzRes)});
    // The unclipped state every clip change returns to.
    shortRecord(META_SAVEDC, {});
}

const std::vector<uint8_t>& WmfRecorder::finish()
{
    if (finished_)
        return bytes_;
    shortRecord(META_RESTOREDC, {-1});
    shortRecord(META_EOF, {});
    const size_t words = (out_.size() - headerAt_) / 2;
    out_.patchU32(headerAt_ + 6, uint32_t(words));
    out_.patchU16(headerAt_ + 10, uint16_t(std::min<uint32_t>(objects_.handleCount(), 0xFFFF)));
    out_.patchU32(headerAt_ + 12, largestRecord(out_.bytes(), headerAt_ + kHeaderSize));
    finished_ = true;
    bytes_ = out_.take();
    return bytes_;
}

void WmfRecorder::shortRecord(uint16_t function, std::initializer_list<int16_t> params)
{
    out_.begin(function);
    for (int16_t p : params)
        out_.i16(p);
    out_.end();
}

void WmfRecorder::colorRecord(uint16_t function, ColorRef color)
{
    out_.begin(function);
    out_.u32(color);
    out_.end();
}

// ---- state ----------------------------------------------------------------------------

void WmfRecorder::resetState()
{
    state_.reset();
    objects_.forgetSelection();
}

void WmfRecorder::writeState(RecordedState::Field field, uint32_t value)
{
    using Field = RecordedState::Field;
    switch (field) {
    case Field::Rop2: shortRecord(META_SETROP2, {int16_t(value)}); break;
    case Field::BkMode: shortRecord(META_SETBKMODE, {int16_t(value)}); break;
    case Field::PolyFillMode: shortRecord(META_SETPOLYFILLMODE, {int16_t(value)}); break;
    case Field::BkColor: colorRecord(META_SETBKCOLOR, value); break;
    case Field::TextColor: colorRecord(META_SETTEXTCOLOR, value); break;
    case Field::TextAlign: shortRecord(META_SETTEXTALIGN, {int16_t(value)}); break;
    }
}

// ---- clipping -------------------------------------------------------------------------

void WmfRecorder::setClip(const std::optional<QRegion>& clip)
{
    if (finished_ || clip == clip_)
        return;
    clip_ = clip;
    shortRecord(META_RESTOREDC, {-1});
    shortRecord(META_SAVEDC, {});
    resetState();
    if (!clip)
        return;
    const QRect box = clip->boundingRect();
    auto clipRecord = [&](uint16_t function, const QRect& r) {
        shortRecord(function, {toUnits(r.y() + r.height()), toUnits(r.x() + r.width()), toUnits(r.y()), toUnits(r.x())});
    };
    clipRecord(META_INTERSECTCLIPRECT, box);
    for (const QRect& hole : QRegion(box).subtracted(*clip))
        clipRecord(META_EXCLUDECLIPRECT, hole);
}

// ---- shapes ---------------------------------------------------------------------------

void WmfRecorder::writePolygon(uint16_t function, const QPolygonF& points)
{
    if (points.size() < 2 || points.size() > 0xFFFF)
        return;
    out_.begin(function);
    out_.u16(uint16_t(points.size()));
    for (const QPointF& p : points) {
        out_.i16(toUnits(p.x()));
        out_.i16(toUnits(p.y()));
    }
    out_.end();
}

void WmfRecorder::writePolyPolygon(const std::vector<QPolygonF>& polygons)
{
    out_.begin(META_POLYPOLYGON);
    out_.u16(uint16_t(polygons.size()));
    for (const QPolygonF& p : polygons)
        out_.u16(uint16_t(p.size()));
    for (const QPolygonF& p : polygons)
        for (const QPointF& pt : p) {
            out_.i16(toUnits(pt.x()));
            out_.i16(toUnits(pt.y()));
        }
    out_.end();
}

namespace {

// Figures of a path with curves flattened; a closed figure keeps its repeated first point off.
std::vector<QPolygonF> flattenedFigures(const QPainterPath& path, std::vector<bool>* closed)
{
    std::vector<QPolygonF> figures;
    for (QPolygonF p : path.toSubpathPolygons()) {
        if (p.size() > 0xFFFE)
            p.resize(0xFFFE);  // a WMF polygon counts its points in 16 bits
        const bool isClosed = p.size() > 2 && p.first() == p.last();
        if (isClosed)
            p.removeLast();
        if (p.size() >= 2) {
            figures.push_back(p);
            closed->push_back(isClosed);
        }
    }
    return figures;
}

} // namespace

void WmfRecorder::fillPath(const QPainterPath& path, Qt::FillRule rule, const DrawBrush& brush)
{
    if (finished_ || brush.isNull() || path.isEmpty())
        return;
    std::vector<bool> closed;
    const std::vector<QPolygonF> figures = flattenedFigures(path, &closed);
    if (figures.empty())
        return;
    selectBrush(brush);
    selectNullPen();
    state_.setRop2(brush.rop2);
    state_.setPolyFillMode(rule == Qt::WindingFill ? WINDING : ALTERNATE);
    if (figures.size() == 1)
        writePolygon(META_POLYGON, figures[0]);
    else
        writePolyPolygon(figures);
}

void WmfRecorder::strokePath(const QPainterPath& path, const DrawPen& pen)
{
    if (finished_ || !pen.visible || path.isEmpty())
        return;
    std::vector<bool> closed;
    std::vector<QPolygonF> figures = flattenedFigures(path, &closed);
    selectPen(pen);
    state_.setRop2(pen.rop2);
    for (size_t i = 0; i < figures.size(); ++i) {
        if (closed[i]) {
            selectNullBrush();
            writePolygon(META_POLYGON, figures[i]);
        } else {
            writePolygon(META_POLYLINE, figures[i]);
        }
    }
}

} // namespace kv::gdi
