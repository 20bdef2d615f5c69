// Dc mapping: map modes, window and viewport, world transform, and the playback base.
#include "gdi/dc/dcimpl.h"

#include <cmath>

namespace kv::gdi {

namespace {

bool isMetric(int32_t mode) { return mode >= MM_LOMETRIC && mode <= MM_TWIPS; }

// Logical units per millimetre of the fixed-scale modes.
double unitsPerMm(int32_t mode)
{
    switch (mode) {
    case MM_LOMETRIC: return 10;
    case MM_HIMETRIC: return 100;
    case MM_LOENGLISH: return 100 / 25.4;
    case MM_HIENGLISH: return 1000 / 25.4;
    case MM_TWIPS: return 1440 / 25.4;
    default: return 10;  // MM_ISOTROPIC starts from the MM_LOMETRIC extents
    }
}

QTransform toQTransform(const XForm& x) { return QTransform(x.eM11, x.eM12, x.eM21, x.eM22, x.eDx, x.eDy); }

XForm fromQTransform(const QTransform& t) { return {t.m11(), t.m12(), t.m21(), t.m22(), t.dx(), t.dy()}; }

bool finite(const XForm& x)
{
    return std::isfinite(x.eM11) && std::isfinite(x.eM12) && std::isfinite(x.eM21) && std::isfinite(x.eM22)
        && std::isfinite(x.eDx) && std::isfinite(x.eDy);
}

} // namespace

DeviceCaps Dc::Impl::metricCaps() const
{
    DeviceCaps c = reference ? *reference : dc.device_->caps();
    // A device that does not know its size in millimetres is taken as 96 dpi.
    if (c.horzRes <= 0 || c.horzSizeMm <= 0) { c.horzRes = 96 * 10; c.horzSizeMm = 254; }
    if (c.vertRes <= 0 || c.vertSizeMm <= 0) { c.vertRes = 96 * 10; c.vertSizeMm = 254; }
    return c;
}

QTransform Dc::Impl::pageTransform() const
{
    const DcState& s = dc.state_;
    const double sx = double(s.viewportExt.cx) / s.windowExt.cx;
    const double sy = double(s.viewportExt.cy) / s.windowExt.cy;
    return QTransform(sx, 0, 0, sy, s.viewportOrg.x - s.windowOrg.x * sx, s.viewportOrg.y - s.windowOrg.y * sy);
}

QTransform Dc::Impl::worldTransform() const { return toQTransform(dc.state_.world); }

QTransform Dc::Impl::toDevice() const { return worldTransform() * pageTransform() * base; }

QTransform Dc::logicalToDevice() const { return impl_->toDevice(); }

double Dc::Impl::xScale() const
{
    const QTransform t = toDevice();
    return std::hypot(t.m11(), t.m12());
}

double Dc::Impl::yScale() const
{
    const QTransform t = toDevice();
    return std::hypot(t.m21(), t.m22());
}

void Dc::setMapMode(int32_t mode)
{
    if (mode < MM_TEXT || mode > MM_ANISOTROPIC)
        return;
    state_.mapMode = mode;
    if (mode == MM_TEXT) {
        state_.windowExt = {1, 1};
        state_.viewportExt = {1, 1};
    } else if (isMetric(mode) || mode == MM_ISOTROPIC) {
        const DeviceCaps c = impl_->metricCaps();
        const double k = unitsPerMm(mode);
        state_.windowExt = {int32_t(std::lround(c.horzSizeMm * k)), int32_t(std::lround(c.vertSizeMm * k))};
        state_.viewportExt = {c.horzRes, -c.vertRes};
    }
}

// The isotropic mode keeps one unit the same physical length on both axes: the larger
// viewport extent shrinks until the two scales agree.
void Dc::Impl::fixIsotropic()
{
    DcState& s = dc.state_;
    const DeviceCaps c = metricCaps();
    const double xdim = std::fabs(double(s.viewportExt.cx) * c.horzSizeMm / (double(s.windowExt.cx) * c.horzRes));
    const double ydim = std::fabs(double(s.viewportExt.cy) * c.vertSizeMm / (double(s.windowExt.cy) * c.vertRes));
    if (xdim > ydim) {
        const int32_t sign = s.viewportExt.cx >= 0 ? 1 : -1;
        s.viewportExt.cx = int32_t(std::floor(s.viewportExt.cx * ydim / xdim + 0.5));
        if (s.viewportExt.cx == 0)
            s.viewportExt.cx = sign;
    } else if (ydim > xdim) {
        const int32_t sign = s.viewportExt.cy >= 0 ? 1 : -1;
        s.viewportExt.cy = int32_t(std::floor(s.viewportExt.cy * xdim / ydim + 0.5));
        if (s.viewportExt.cy == 0)
            s.viewportExt.cy = sign;
    }
}

void Dc::setWindowOrg(int32_t x, int32_t y) { state_.windowOrg = {x, y}; }
void Dc::setViewportOrg(int32_t x, int32_t y) { state_.viewportOrg = {x, y}; }
void Dc::offsetWindowOrg(int32_t dx, int32_t dy) { state_.windowOrg = {state_.windowOrg.x + dx, state_.windowOrg.y + dy}; }
void Dc::offsetViewportOrg(int32_t dx, int32_t dy)
{
    state_.viewportOrg = {state_.viewportOrg.x + dx, state_.viewportOrg.y + dy};
}

void Dc::setWindowExt(int32_t cx, int32_t cy)
{
    if (state_.mapMode != MM_ISOTROPIC && state_.mapMode != MM_ANISOTROPIC)
        return;
    if (cx == 0 || cy == 0)
        return;
    state_.windowExt = {cx, cy};
    if (state_.mapMode == MM_ISOTROPIC)
        impl_->fixIsotropic();
}

void Dc::setViewportExt(int32_t cx, int32_t cy)
{
    if (state_.mapMode != MM_ISOTROPIC && state_.mapMode != MM_ANISOTROPIC)
        return;
    if (cx == 0 || cy == 0)
        return;
    state_.viewportExt = {cx, cy};
    if (state_.mapMode == MM_ISOTROPIC)
        impl_->fixIsotropic();
}

namespace {

// Scales an extent by num/denom; a zero denominator or a result of zero leaves it alone.
bool scaled(SizeL& ext, int32_t xNum, int32_t xDenom, int32_t yNum, int32_t yDenom)
{
    if (xDenom == 0 || yDenom == 0)
        return false;
    const int64_t cx = int64_t(ext.cx) * xNum / xDenom;
    const int64_t cy = int64_t(ext.cy) * yNum / yDenom;
    if (cx == 0 || cy == 0 || cx > INT32_MAX || cx < INT32_MIN || cy > INT32_MAX || cy < INT32_MIN)
        return false;
    ext = {int32_t(cx), int32_t(cy)};
    return true;
}

} // namespace

void Dc::scaleWindowExt(int32_t xNum, int32_t xDenom, int32_t yNum, int32_t yDenom)
{
    if (state_.mapMode != MM_ISOTROPIC && state_.mapMode != MM_ANISOTROPIC)
        return;
    if (scaled(state_.windowExt, xNum, xDenom, yNum, yDenom) && state_.mapMode == MM_ISOTROPIC)
        impl_->fixIsotropic();
}

void Dc::scaleViewportExt(int32_t xNum, int32_t xDenom, int32_t yNum, int32_t yDenom)
{
    if (state_.mapMode != MM_ISOTROPIC && state_.mapMode != MM_ANISOTROPIC)
        return;
    if (scaled(state_.viewportExt, xNum, xDenom, yNum, yDenom) && state_.mapMode == MM_ISOTROPIC)
        impl_->fixIsotropic();
}

// Leaving the advanced mode drops the world transform: in the compatible mode it is always
// the identity.
void Dc::setGraphicsMode(int32_t mode)
{
    if (mode != GM_COMPATIBLE && mode != GM_ADVANCED)
        return;
    state_.graphicsMode = mode;
    if (mode == GM_COMPATIBLE && impl_->playbacks.empty())
        state_.world = XForm{};
}

// GDI refuses world transforms in the compatible mode; a picture being played sets them
// whatever mode it recorded, and GDI's player honours them, so playback always does.
void Dc::setWorldTransform(const XForm& xform)
{
    if (state_.graphicsMode != GM_ADVANCED && impl_->playbacks.empty())
        return;
    if (!finite(xform) || std::fabs(xform.eM11 * xform.eM22 - xform.eM12 * xform.eM21) < 1e-12)
        return;
    state_.world = xform;
}

void Dc::modifyWorldTransform(const XForm& xform, uint32_t mode)
{
    if (state_.graphicsMode != GM_ADVANCED && impl_->playbacks.empty())
        return;
    const QTransform current = impl_->worldTransform();
    switch (mode) {
    case MWT_IDENTITY: state_.world = XForm{}; return;
    case MWT_LEFTMULTIPLY: setWorldTransform(fromQTransform(toQTransform(xform) * current)); return;
    case MWT_RIGHTMULTIPLY: setWorldTransform(fromQTransform(current * toQTransform(xform))); return;
    case MWT_SET: setWorldTransform(xform); return;
    default: return;
    }
}

} // namespace kv::gdi
