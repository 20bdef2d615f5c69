// Dc: construction, attributes, object selection, the SaveDC stack, nested playback and the
// bounds of what was drawn. Mapping, drawing, paths, clipping, text and bitmaps live in the
// other dc*.cpp files.
#include "gdi/dc/dcimpl.h"

namespace kv::gdi {

namespace {

DcState freshState()
{
    DcState s;
    s.pen = stockObject(BLACK_PEN);
    s.brush = stockObject(WHITE_BRUSH);
    s.font = stockObject(SYSTEM_FONT);
    s.palette = stockObject(DEFAULT_PALETTE);
    return s;
}

} // namespace

Dc::Dc(Device& device) : device_(&device), state_(freshState()), impl_(std::make_unique<Impl>(*this)) {}

Dc::~Dc() = default;

// ---- attributes ----------------------------------------------------------------------------

void Dc::setBkMode(int32_t mode)
{
    if (mode == TRANSPARENT || mode == OPAQUE)
        state_.bkMode = mode;
}
void Dc::setBkColor(ColorRef color) { state_.bkColor = color; }
void Dc::setTextColor(ColorRef color) { state_.textColor = color; }
void Dc::setTextAlign(uint32_t align) { state_.textAlign = align; }
void Dc::setPolyFillMode(int32_t mode)
{
    if (mode == ALTERNATE || mode == WINDING)
        state_.polyFillMode = mode;
}
void Dc::setRop2(int32_t rop2)
{
    if (rop2 >= R2_BLACK && rop2 <= R2_WHITE)
        state_.rop2 = rop2;
}
void Dc::setStretchBltMode(int32_t mode)
{
    if (mode >= BLACKONWHITE && mode <= HALFTONE)
        state_.stretchMode = mode;
}
void Dc::setArcDirection(int32_t direction)
{
    if (direction == AD_COUNTERCLOCKWISE || direction == AD_CLOCKWISE)
        state_.arcDirection = direction;
}
void Dc::setMiterLimit(double limit)
{
    if (limit >= 1 && limit < 1e6)
        state_.miterLimit = limit;
}
void Dc::setBrushOrg(int32_t x, int32_t y) { state_.brushOrg = {x, y}; }
void Dc::setTextCharacterExtra(int32_t extra) { state_.textCharExtra = extra; }
void Dc::setTextJustification(int32_t extra, int32_t count)
{
    state_.justifyExtra = extra;
    state_.justifyCount = count;
}

// ---- objects -------------------------------------------------------------------------------

void Dc::selectObject(const ObjectPtr& object)
{
    if (!object)
        return;
    if (std::holds_alternative<Pen>(*object))
        state_.pen = object;
    else if (std::holds_alternative<Brush>(*object))
        state_.brush = object;
    else if (std::holds_alternative<Font>(*object))
        state_.font = object;
    else if (std::holds_alternative<Palette>(*object))
        state_.palette = object;
}

void Dc::selectStockObject(uint32_t index)
{
    selectObject(stockObject(index & ~STOCK_FLAG));
}

// ---- state stack ---------------------------------------------------------------------------

int Dc::saveDc()
{
    if (impl_->saved.size() >= Impl::kMaxSaveDepth)
        return int(impl_->saved.size());
    impl_->saved.push_back(state_);
    return int(impl_->saved.size());
}

bool Dc::restoreDc(int32_t level)
{
    const size_t depth = impl_->saved.size();
    size_t target;  // the number of saved states that remain afterwards
    if (level < 0) {
        if (size_t(-int64_t(level)) > depth)
            return false;
        target = depth - size_t(-int64_t(level));
    } else {
        if (level == 0 || size_t(level) > depth)
            return false;
        target = size_t(level) - 1;
    }
    const size_t index = target;
    state_ = std::move(impl_->saved[index]);
    impl_->saved.resize(index);
    impl_->syncClip();
    return true;
}

// ---- bounds --------------------------------------------------------------------------------

std::optional<QRectF> Dc::drawnBounds() const { return impl_->bounds; }
void Dc::resetDrawnBounds() { impl_->bounds.reset(); }

void Dc::Impl::addBounds(const QRectF& r)
{
    if (r.isNull() && r.topLeft().isNull())
        return;
    QRectF box = r;
    if (dc.state_.clip || dc.state_.metaClip) {
        QRegion clip = universe();
        if (dc.state_.clip)
            clip &= *dc.state_.clip;
        if (dc.state_.metaClip)
            clip &= *dc.state_.metaClip;
        box &= QRectF(clip.boundingRect());
        if (box.isEmpty())
            return;
    }
    bounds = bounds ? bounds->united(box) : box;
}

// ---- playback ------------------------------------------------------------------------------

void Dc::beginPlayback(const QTransform& base, const DeviceCaps* reference, double advancePixel)
{
    Impl::Playback entry{state_, std::move(impl_->saved), impl_->base, impl_->reference, impl_->advancePixel};
    std::optional<QRegion> effective = state_.metaClip;
    if (state_.clip)
        effective = effective ? (*effective & *state_.clip) : *state_.clip;
    impl_->playbacks.push_back(std::move(entry));
    impl_->saved.clear();  // the picture's RestoreDC can never reach the caller's saves

    state_ = freshState();
    state_.metaClip = effective;
    impl_->base = base;
    impl_->reference = reference ? std::optional<DeviceCaps>(*reference) : std::nullopt;
    impl_->advancePixel = advancePixel;
    impl_->pathFigureOpen = false;
    impl_->syncClip();
}

void Dc::endPlayback()
{
    if (impl_->playbacks.empty())
        return;
    Impl::Playback entry = std::move(impl_->playbacks.back());
    impl_->playbacks.pop_back();
    state_ = std::move(entry.outerState);
    impl_->saved = std::move(entry.outerSaved);
    impl_->base = entry.outerBase;
    impl_->reference = entry.outerReference;
    impl_->advancePixel = entry.outerAdvancePixel;
    impl_->pathFigureOpen = false;
    impl_->syncClip();
}

} // namespace kv::gdi
