// The EMF+ player: GDI+'s graphics state (transforms, containers, clip, smoothing) over the
// records of the stream, fills and strokes mapped into device pixels, and the GDI records
// GetDC opens played in their place.
#include "gdi/emfplus/emfplusplay.h"

#include <QDebug>
#include <algorithm>
#include <atomic>
#include <cmath>

namespace kv::gdi::plus {

namespace {

constexpr size_t kMaxSaved = 1000;

std::atomic<uint64_t> overPixelBound{0};

// An area as the pixels it covers (a path's polygons, alternating), within `plane`: a region
// is built scanline by scanline, so the plane bounds what a clip can cost.
QRegion regionOf(const QPainterPath& path, const QRect& plane)
{
    QPainterPath inPlane = path;
    if (!QRectF(plane).contains(path.boundingRect())) {
        QPainterPath bounds;
        bounds.addRect(QRectF(plane));
        inPlane = path.intersected(bounds);
    }
    QRegion region;
    for (const QPolygonF& polygon : inPlane.toFillPolygons())
        region ^= QRegion(polygon.toPolygon(), Qt::OddEvenFill);
    return region;
}

} // namespace

bool hasGdiDrawing(const Picture& picture)
{
    for (const gdi::rec::Record& r : picture.records) {
        const bool drawing = std::holds_alternative<gdi::rec::Poly>(r) || std::holds_alternative<gdi::rec::PolyPoly>(r)
            || std::holds_alternative<gdi::rec::PolyDraw>(r) || std::holds_alternative<gdi::rec::LineTo>(r)
            || std::holds_alternative<gdi::rec::Shape>(r) || std::holds_alternative<gdi::rec::RoundRect>(r)
            || std::holds_alternative<gdi::rec::ArcShape>(r) || std::holds_alternative<gdi::rec::AngleArc>(r)
            || std::holds_alternative<gdi::rec::SetPixel>(r) || std::holds_alternative<gdi::rec::FloodFill>(r)
            || std::holds_alternative<gdi::rec::RegionDraw>(r)
            || std::holds_alternative<gdi::rec::PathCall>(r) || std::holds_alternative<gdi::rec::TextOut>(r)
            || std::holds_alternative<gdi::rec::Blt>(r);
        if (drawing)
            return true;
    }
    return false;
}

bool drawsThroughEmfPlus(const Picture& picture)
{
    if (!picture.plus)
        return false;
    return !picture.plus->damaged || !hasGdiDrawing(picture);
}

void playStream(Dc& dc, const Stream& stream, const PlayTarget& target, const std::function<void(size_t, size_t)>& playGdi)
{
    PlayTarget bounded = target;
    const size_t affordable = play::affordableEntries(stream, target, dc.device().caps());
    if (affordable < std::min(stream.entries.size(), target.maxRecords)) {
        ++overPixelBound;
        qWarning("EMF+ page over its pixel bound: record %zu of %zu would paint the %.0f x %.0f pixel target more than "
                 "%llu times over; %s",
                 affordable + 1, stream.entries.size(), target.frameOnDevice.width(), target.frameOnDevice.height(),
                 static_cast<unsigned long long>(kTargetCoverages),
                 target.gdiFallback ? "its GDI records draw it instead" : "drawing stops there");
        if (target.gdiFallback) {
            if (playGdi)
                playGdi(0, target.gdiRecords);
            return;
        }
        bounded.maxRecords = affordable;
    }
    play::Player(dc, stream, bounded, playGdi).run();
}

uint64_t pagesOverPixelBound() { return overPixelBound.load(); }

namespace play {

Player::Player(Dc& dc, const Stream& stream, const PlayTarget& target, const std::function<void(size_t, size_t)>& playGdi)
    : dc_(dc), stream_(stream), target_(target), playGdi_(playGdi)
{
}

size_t Player::run(const std::function<bool()>& enough)
{
    applyClip();
    const size_t n = std::min(stream_.entries.size(), target_.maxRecords);
    for (current_ = 0; current_ < n; ++current_) {
        std::visit(*this, stream_.entries[current_].record);
        if (enough && enough())
            break;
    }
    dc_.setDeviceClip(std::nullopt);
    return std::min(current_ + 1, n);
}

double Player::unitToPixels(uint32_t unit, bool vertical) const
{
    const double dpi = vertical ? stream_.dpiY : stream_.dpiX;
    switch (unit) {
    case UnitDisplay: return stream_.videoReference ? 1 : dpi / 100;
    case UnitPoint: return dpi / 72;
    case UnitInch: return dpi;
    case UnitDocument: return dpi / 300;
    case UnitMillimeter: return dpi / 25.4;
    default: return 1;  // pixels, and world units where a page unit is meant
    }
}

QTransform Player::worldToPage() const
{
    const QTransform page = QTransform::fromScale(state_.pageScale * unitToPixels(state_.pageUnit, false),
                                                  state_.pageScale * unitToPixels(state_.pageUnit, true));
    return state_.world * state_.container * page;
}

QTransform Player::worldToDevice() const { return worldToPage() * target_.toDevice; }

// Where a clip can matter: the picture's frame and as much again on every side (drawing that
// strays further is not the page's). A clip of the whole plane costs nothing; a clip path is
// cut to it.
QRect Player::clipPlane() const
{
    const QRect huge(-10'000'000, -10'000'000, 20'000'000, 20'000'000);
    const QRectF frame = target_.frameOnDevice;
    if (!frame.isValid() || !huge.contains(frame.toAlignedRect()))
        return huge;
    return frame.adjusted(-frame.width(), -frame.height(), frame.width(), frame.height()).toAlignedRect() & huge;
}

std::optional<QPainterPath> Player::deviceShape(const ShapeRef& shape, bool infiniteAllowed) const
{
    const QTransform t = worldToDevice();
    if (shape.pathId) {
        const Path* p = objectAs<Path>(*shape.pathId);
        return p ? std::optional(t.map(p->path)) : std::nullopt;
    }
    if (shape.regionId) {
        const Region* r = objectAs<Region>(*shape.regionId);
        if (!r)
            return std::nullopt;
        if (r->infinite) {
            if (!infiniteAllowed)
                return std::nullopt;
            QPainterPath whole;
            whole.addRect(target_.frameOnDevice);
            return whole;
        }
        return t.map(r->area);
    }
    return t.map(shape.shape);
}

void Player::applyClip() { dc_.setDeviceClip(state_.clip); }

void Player::combineClip(uint32_t mode, const std::optional<QRegion>& area)
{
    const QRegion current = state_.clip ? *state_.clip : QRegion(clipPlane());
    const QRegion next = area ? *area : QRegion(clipPlane());
    switch (mode) {
    case 0: state_.clip = area; break;                  // replace
    case 1: state_.clip = current & next; break;        // intersect
    case 2: state_.clip = current | next; break;        // union
    case 3: state_.clip = current ^ next; break;        // xor
    case 4: state_.clip = current - next; break;        // exclude
    case 5: state_.clip = next - current; break;        // complement
    default: return;
    }
    applyClip();
}

void Player::operator()(const rec::DefineObject& r) { objects_[r.id] = r.object; }

void Player::operator()(const rec::Clear& r)
{
    DrawBrush brush;
    brush.kind = DrawBrush::Kind::Solid;
    brush.color = r.color;
    QPainterPath whole;
    whole.addRect(target_.frameOnDevice);
    dc_.fillDevice(whole, Qt::OddEvenFill, brush);
}

void Player::operator()(const rec::Fill& r)
{
    auto shape = deviceShape(r.shape, true);
    const auto brush = drawBrush(r.brush);
    if (!shape || !brush)
        return;
    // A path gradient paints inside its boundary only (its image would repeat beyond it).
    const Brush* object = r.brush.solid ? nullptr : objectAs<Brush>(r.brush.id);
    if (object && object->kind == Brush::Kind::PathGradient) {
        shape->setFillRule(r.rule);
        shape = shape->intersected((object->transform * worldToDevice()).map(object->boundary));
    }
    dc_.fillDevice(*shape, r.rule, *brush);
}

void Player::operator()(const rec::Stroke& r)
{
    auto shape = deviceShape(r.shape, false);
    const auto pen = drawPen(r.penId);
    if (!shape || !pen)
        return;
    // Thin unsmoothed lines are the device's one drawing with pixel centres on whole
    // coordinates; fills, images and smoothed lines already have them at half coordinates.
    if (state_.halfPixelOffset && pen->onWholePixels())
        shape->translate(-0.5, -0.5);
    strokeWithCaps(*shape, *objectAs<Pen>(r.penId), *pen);
}

void Player::operator()(const rec::Set& r)
{
    switch (r.which) {
    case rec::Setting::AntiAlias: state_.smooth = r.value & 0x01; break;
    case rec::Setting::TextHint: state_.textHint = r.value; break;
    case rec::Setting::Interpolation: state_.smoothImages = r.value != 5; break;  // 5: nearest neighbour
    case rec::Setting::Compositing: state_.sourceCopy = r.value == 1; break;
    case rec::Setting::PixelOffset: state_.halfPixelOffset = r.value == 2 || r.value == 4; break;  // HighQuality, Half
    case rec::Setting::CompositingQuality: break;  // gamma-corrected blending: not seen on paper
    }
}

void Player::operator()(const rec::Transform& r)
{
    switch (r.op) {
    case rec::TransformOp::Set: state_.world = r.matrix; break;
    case rec::TransformOp::Reset: state_.world = QTransform(); break;
    case rec::TransformOp::Multiply: state_.world = r.append ? state_.world * r.matrix : r.matrix * state_.world; break;
    }
}

void Player::operator()(const rec::PageTransform& r)
{
    state_.pageUnit = r.unit;
    state_.pageScale = r.scale;
}

void Player::operator()(const rec::State& r)
{
    const auto open = [&] {
        if (saved_.size() < kMaxSaved)
            saved_.emplace_back(r.index, state_);
    };
    switch (r.op) {
    case rec::StateOp::Save:
        open();
        return;
    case rec::StateOp::BeginContainer:
        open();
        // Inside, the world starts afresh on top of the container's own mapping.
        state_.container = (r.container ? *r.container : QTransform()) * state_.world * state_.container;
        state_.world = QTransform();
        return;
    case rec::StateOp::Restore:
    case rec::StateOp::EndContainer:
        // Back to the state saved under this index; an unknown index changes nothing.
        for (size_t i = saved_.size(); i-- > 0;) {
            if (saved_[i].first == r.index) {
                state_ = saved_[i].second;
                saved_.resize(i);
                applyClip();
                return;
            }
        }
        return;
    }
}

void Player::operator()(const rec::Clip& r)
{
    const QTransform t = worldToDevice();
    switch (r.op) {
    case rec::ClipOp::Reset:
        state_.clip = std::nullopt;
        applyClip();
        return;
    case rec::ClipOp::Rect: {
        QPainterPath p;
        p.addRect(r.rect);
        combineClip(r.combine, regionOf(t.map(p), clipPlane()));
        return;
    }
    case rec::ClipOp::Path:
        if (const Path* p = objectAs<Path>(r.id))
            combineClip(r.combine, regionOf(t.map(p->path), clipPlane()));
        return;
    case rec::ClipOp::Region:
        if (const Region* region = objectAs<Region>(r.id))
            combineClip(r.combine, region->infinite ? std::nullopt : std::optional(regionOf(t.map(region->area), clipPlane())));
        return;
    case rec::ClipOp::Offset:
        if (state_.clip) {
            const QPointF d = t.map(r.offset) - t.map(QPointF(0, 0));
            state_.clip->translate(d.toPoint());
            applyClip();
        }
        return;
    }
}

// The GDI records up to the next EMF+ comment draw here, with GDI's own state; the EMF+ state
// holds again after them.
void Player::operator()(const rec::GetDc&)
{
    const size_t from = stream_.entries[current_].gdiIndex;
    const auto next = std::upper_bound(stream_.comments.begin(), stream_.comments.end(), from);
    const size_t to = next == stream_.comments.end() ? target_.gdiRecords : *next;
    if (to <= from || !playGdi_)
        return;
    const int level = dc_.saveDc();
    playGdi_(from, std::min(to, target_.gdiRecords));
    if (level > 0)
        dc_.restoreDc(level);
    applyClip();
}

} // namespace play

} // namespace kv::gdi::plus
