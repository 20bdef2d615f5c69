// Dc clipping (clip region, meta region, the five combination modes) and region drawing.
// Regions are kept in final device pixels.
#include "gdi/dc/dcimpl.h"

#include <cmath>

namespace kv::gdi {

namespace {

QRect roundedRect(const QRectF& r)
{
    const QPoint tl(int(std::lround(r.left())), int(std::lround(r.top())));
    const QPoint br(int(std::lround(r.right())), int(std::lround(r.bottom())));
    return QRect(tl, br - QPoint(1, 1));  // QRect's right and bottom are inclusive
}

// Clamp what a hostile file may ask for to the plane QRegion can hold.
QRectF clampToPlane(const QRectF& r)
{
    return r.intersected(QRectF(-1e7, -1e7, 2e7, 2e7));
}

QRegion mapRectRegion(const QTransform& t, const QRectF& r)
{
    if (std::fabs(t.m12()) < 1e-9 && std::fabs(t.m21()) < 1e-9)
        return QRegion(roundedRect(clampToPlane(t.mapRect(r))));
    return QRegion(t.map(QPolygonF(r)).toPolygon());
}

} // namespace

QRegion Dc::Impl::universe() { return QRegion(-10'000'000, -10'000'000, 20'000'000, 20'000'000); }

void Dc::Impl::syncClip()
{
    const DcState& s = dc.state_;
    std::optional<QRegion> effective = s.metaClip;
    if (s.clip)
        effective = effective ? (*effective & *s.clip) : *s.clip;
    if (clipSent && effective == sentClip)
        return;
    clipSent = true;
    sentClip = effective;
    dc.device_->setClip(effective);
}

QRegion Dc::Impl::regionToDevice(const RegionData& region) const
{
    QRegion out;
    const bool aligned = std::fabs(base.m12()) < 1e-9 && std::fabs(base.m21()) < 1e-9;
    if (aligned) {
        QVector<QRect> rects;
        rects.reserve(qsizetype(region.rects.size()));
        for (const RectL& r : region.rects) {
            if (r.isEmpty())
                continue;
            const QRect d = roundedRect(clampToPlane(base.mapRect(QRectF(QPointF(r.left, r.top), QPointF(r.right, r.bottom)))));
            if (!d.isEmpty())
                rects.append(d);
        }
        // setRects wants non-overlapping rectangles sorted in y-x bands; uniting is safe for any.
        for (const QRect& r : rects)
            out += r;
        return out;
    }
    for (const RectL& r : region.rects)
        if (!r.isEmpty())
            out += mapRectRegion(base, QRectF(QPointF(r.left, r.top), QPointF(r.right, r.bottom)));
    return out;
}

QRegion Dc::Impl::logicalRectRegion(const RectL& rect) const
{
    const QRectF r = QRectF(QPointF(rect.left, rect.top), QPointF(rect.right, rect.bottom)).normalized();
    return mapRectRegion(toDevice(), r);
}

void Dc::Impl::combineClip(const QRegion& region, uint32_t mode)
{
    std::optional<QRegion>& clip = dc.state_.clip;
    switch (mode) {
    case RGN_COPY: clip = region; break;
    case RGN_AND: clip = clip ? (*clip & region) : region; break;
    case RGN_OR: if (clip) clip = *clip | region; break;  // no clip is everything already
    case RGN_XOR: clip = (clip ? *clip : universe()) ^ region; break;
    case RGN_DIFF: clip = (clip ? *clip : universe()) - region; break;
    default: return;
    }
}

void Dc::intersectClipRect(const RectL& rect)
{
    impl_->combineClip(impl_->logicalRectRegion(rect), RGN_AND);
}

void Dc::excludeClipRect(const RectL& rect)
{
    impl_->combineClip(impl_->logicalRectRegion(rect), RGN_DIFF);
}

void Dc::offsetClipRgn(int32_t dx, int32_t dy)
{
    if (!state_.clip)
        return;
    const QTransform t = impl_->toDevice();
    const QPointF d = t.map(QPointF(dx, dy)) - t.map(QPointF(0, 0));
    state_.clip->translate(int(std::lround(d.x())), int(std::lround(d.y())));
}

void Dc::extSelectClipRgn(const RegionData* region, uint32_t mode)
{
    if (!region) {
        if (mode == RGN_COPY)
            state_.clip.reset();
        return;
    }
    impl_->combineClip(impl_->regionToDevice(*region), mode);
}

void Dc::setMetaRgn()
{
    if (state_.clip)
        state_.metaClip = state_.metaClip ? (*state_.metaClip & *state_.clip) : *state_.clip;
    state_.clip.reset();
}

void Dc::selectClipPath(uint32_t mode)
{
    if (!state_.pathClosed)
        return;
    const Qt::FillRule rule = impl_->fillRule();
    QRegion region;
    for (const QPolygonF& poly : state_.path.toFillPolygons())
        region = rule == Qt::WindingFill ? region | QRegion(poly.toPolygon(), rule)
                                         : region ^ QRegion(poly.toPolygon(), rule);
    impl_->combineClip(region, mode);
    abortPath();
}

// ---- region drawing ------------------------------------------------------------------------

namespace {

QPainterPath regionPath(const QRegion& region)
{
    QPainterPath path;
    path.addRegion(region);
    return path;
}

} // namespace

void Dc::fillRgn(const RegionData& region, const ObjectPtr& brush)
{
    impl_->fillDevicePath(regionPath(impl_->regionToDevice(region)), Qt::WindingFill, impl_->drawBrush(brush));
}

void Dc::paintRgn(const RegionData& region)
{
    fillRgn(region, state_.brush);
}

void Dc::invertRgn(const RegionData& region)
{
    DrawBrush b = impl_->solidBrush(0);
    b.rop2 = R2_NOT;
    impl_->fillDevicePath(regionPath(impl_->regionToDevice(region)), Qt::WindingFill, b);
}

// The frame is the region less the region shrunk by the stroke width and height.
void Dc::frameRgn(const RegionData& region, const ObjectPtr& brush, int32_t width, int32_t height)
{
    const QRegion r = impl_->regionToDevice(region);
    const int w = std::max(1, int(std::lround(std::abs(width * impl_->base.m11()))));
    const int h = std::max(1, int(std::lround(std::abs(height * impl_->base.m22()))));
    const QRegion inner = r & r.translated(w, 0) & r.translated(-w, 0) & r.translated(0, h) & r.translated(0, -h);
    impl_->fillDevicePath(regionPath(r - inner), Qt::WindingFill, impl_->drawBrush(brush));
}

} // namespace kv::gdi
