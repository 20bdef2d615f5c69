#pragma once
// The EMF+ player's private parts, shared by its source files (state and dispatch, pens and
// brushes, text, images). Not for use outside gdi/emfplus/.
#include "gdi/emfplus/emfplusplayer.h"

#include <array>
#include <vector>

namespace kv::gdi::plus::play {

// What GDI+ keeps per Graphics and saves with Save and BeginContainer.
struct GraphicsState {
    QTransform world;                 // world units -> page units, inside the container
    QTransform container;             // the containers' own transforms, outermost last
    uint32_t pageUnit = UnitDisplay;
    double pageScale = 1;
    std::optional<QRegion> clip;      // device pixels; nothing = the whole plane
    bool smooth = false;              // SetAntiAliasMode
    uint32_t textHint = 0;            // TextRenderingHint
    bool smoothImages = true;         // InterpolationMode other than nearest neighbour
    bool sourceCopy = false;          // CompositingMode SourceCopy: drawing replaces, alpha and all
    bool halfPixelOffset = false;     // PixelOffsetMode Half or HighQuality: pixel centres at half coordinates
};

// How many of the stream's entries can be played onto the target before their drawing covers
// more pixels than the target may be painted over (emfpluscoverage.cpp): all of them for an
// ordinary page. Drawing is measured, not done.
size_t affordableEntries(const Stream& stream, const PlayTarget& target, const DeviceCaps& caps);

// A path gradient brush in device pixels: its blend from the centre to every edge of its
// boundary, transparent outside (emfplusgradient.cpp); nothing for a boundary without area.
std::optional<QBrush> pathGradientShader(const Brush& brush, const QTransform& toDevice);

class Player {
public:
    Player(Dc& dc, const Stream& stream, const PlayTarget& target, const std::function<void(size_t, size_t)>& playGdi);
    // Plays the entries until the stream ends or `enough` says so after one; returns how many
    // were played.
    size_t run(const std::function<bool()>& enough = {});

    void operator()(const rec::DefineObject& r);
    void operator()(const rec::Clear& r);
    void operator()(const rec::Fill& r);
    void operator()(const rec::Stroke& r);
    void operator()(const rec::DrawImage& r);
    void operator()(const rec::DrawString& r);
    void operator()(const rec::DrawDriverString& r);
    void operator()(const rec::Set& r);
    void operator()(const rec::Transform& r);
    void operator()(const rec::PageTransform& r);
    void operator()(const rec::State& r);
    void operator()(const rec::Clip& r);
    void operator()(const rec::GetDc& r);

private:
    // ---- mapping (emfplusplayer.cpp) ----
    QTransform worldToPage() const;    // world units -> the page's reference pixels
    QTransform worldToDevice() const;
    QRect clipPlane() const;           // device pixels a clip is built within
    double unitToPixels(uint32_t unit, bool vertical) const;  // EMF+ device pixels per unit
    template <class T> const T* objectAs(uint8_t id) const
    {
        const ObjectPtr& o = objects_[id];
        return o ? std::get_if<T>(o.get()) : nullptr;
    }
    // The area of a fill or the line of a stroke in device pixels; empty when it names a
    // missing object.
    std::optional<QPainterPath> deviceShape(const ShapeRef& shape, bool infiniteAllowed) const;
    void applyClip();
    void combineClip(uint32_t mode, const std::optional<QRegion>& area);

    // ---- pens and brushes (emfplusstyle.cpp) ----
    std::optional<DrawBrush> drawBrush(const BrushRef& ref) const;
    DrawBrush drawBrush(const Brush& brush) const;
    std::optional<DrawPen> drawPen(uint8_t penId) const;
    // Strokes a device line and puts the pen's custom caps at its open ends (emfpluscaps.cpp).
    void strokeWithCaps(const QPainterPath& line, const Pen& pen, const DrawPen& drawn);

    // ---- images (emfplusimagedraw.cpp) ----
    void drawNested(const Image& image, const QTransform& onPage);

    // ---- text (emfplustext.cpp) ----
    ResolvedFontPtr deviceFont(const Font& font, double& emDevice) const;
    void drawLaidOut(const std::u16string& text, const Font& font, const StringFormat& format, const QRectF& layout,
                     const QColor& color);

    Dc& dc_;
    const Stream& stream_;
    PlayTarget target_;
    const std::function<void(size_t, size_t)>& playGdi_;
    GraphicsState state_;
    std::vector<std::pair<uint32_t, GraphicsState>> saved_;  // (stack index, state)
    std::array<ObjectPtr, 256> objects_{};
    size_t current_ = 0;  // the entry being played
};

} // namespace kv::gdi::plus::play
