#pragma once
// The leaves behind a Dc. A Dc resolves every GDI call into device space (mapping modes,
// world transform, playback transform, pen widths, fonts, clipping) and hands devices only
// what is left to draw. The painter device draws it with QPainter; the EMF and WMF recorders
// write it as records of their own format (baked into the recorder's device units).
#include "gdi/text/fontmap.h"
#include "gdi/core/types.h"

#include <QBrush>
#include <QColor>
#include <QImage>
#include <QPainterPath>
#include <QPolygonF>
#include <QRegion>
#include <QTransform>
#include <cmath>
#include <optional>
#include <string>
#include <vector>

namespace kv::gdi {

struct DrawBrush {
    enum class Kind : uint8_t { None, Solid, Hatch, Pattern, Shader };
    Kind kind = Kind::None;
    QColor color;                  // Solid colour, the hatch lines' colour, or a Shader's mean colour
    uint32_t hatch = 0;            // HS_*
    QImage pattern;                // Pattern: one tile, colours already resolved
    QColor background;             // hatch gaps when opaqueBackground
    bool opaqueBackground = false;
    QPointF origin;                // brush origin, device pixels
    QBrush shader;                 // Shader (gradients, transformed textures), device pixels;
                                   // devices without one paint `color`
    int32_t rop2 = R2_COPYPEN;
    bool smooth = false;           // antialiased edges (GDI+ drawing), else aliased as GDI draws
    bool sourceCopy = false;       // the colour, alpha and all, replaces what is beneath (GDI+'s
                                   // SourceCopy) instead of blending over it
    bool isNull() const { return kind == Kind::None; }
};

struct DrawPen {
    bool visible = true;           // false for PS_NULL
    QColor color;
    double width = 1;              // device pixels; never below 1 (a thinner pen draws one pixel)
    bool cosmetic = true;          // one device pixel whatever the scale
    Qt::PenStyle style = Qt::SolidLine;
    QVector<qreal> dashes;         // Qt::CustomDashLine pattern, in units of the width
    Qt::PenCapStyle cap = Qt::RoundCap;
    Qt::PenJoinStyle join = Qt::RoundJoin;
    double miterLimit = 10;
    std::optional<DrawBrush> brush;  // geometric pen painting with a hatch or pattern
    QColor background;             // gaps of styled lines when opaqueBackground
    bool opaqueBackground = false;
    int32_t rop2 = R2_COPYPEN;
    bool smooth = false;           // antialiased, at the exact width (GDI+ drawing)
    bool sourceCopy = false;       // as DrawBrush::sourceCopy
    // One device pixel wide and unsmoothed: drawn through whole pixels as GDI draws thin lines,
    // the points rounded to them (pixel centres on whole coordinates).
    bool onWholePixels() const { return !smooth && (cosmetic || std::round(width) <= 1.0); }
};

struct TextRun {
    std::u16string text;
    std::vector<QPointF> origins;  // baseline origin of each character, device pixels
    ResolvedFontPtr font;
    double angle = 0;              // degrees counter-clockwise on screen (escapement)
    QColor color;
    std::optional<QPolygonF> opaqueBox;  // ETO_OPAQUE (or opaque background): filled first
    QColor opaqueColor;
    std::optional<QPolygonF> clipBox;    // ETO_CLIPPED
    int32_t rop2 = R2_COPYPEN;
    bool aliased = false;          // one bit per pixel (GDI+'s SingleBitPerPixel hints), else smoothed
    bool sourceCopy = false;       // as DrawBrush::sourceCopy
};

struct ImageDraw {
    enum class Mode : uint8_t { Rop, Alpha, Transparent, Mask };
    Mode mode = Mode::Rop;
    QImage source;                 // the source rectangle only (may be null: pattern-only ROP)
    QTransform toDevice;           // maps source pixel space (0,0)-(w,h) onto the device
    QPolygonF deviceQuad;          // the destination in device pixels (toDevice of the source rect)
    uint32_t rop3 = SRCCOPY;       // Rop, and the foreground ROP of Mask
    uint32_t backgroundRop3 = SRCCOPY;  // Mask: where the mask bit is 0
    QImage mask;                   // Mask: 1-bit mask aligned with source
    DrawBrush brush;               // the selected brush, for ROPs that use the pattern
    uint8_t constantAlpha = 255;   // Alpha
    bool perPixelAlpha = false;    // Alpha with AC_SRC_ALPHA
    QRgb transparentColor = 0;     // Transparent
    int32_t stretchMode = BLACKONWHITE;
    bool sourceCopy = false;       // as DrawBrush::sourceCopy: the source's pixels replace the destination's
};

class Device {
public:
    virtual ~Device() = default;

    virtual DeviceCaps caps() const = 0;

    // The effective clip in device pixels (the Dc's clip intersected with the meta region);
    // nothing = unclipped. Sent whenever it changes, before the drawing it applies to.
    virtual void setClip(const std::optional<QRegion>& clip) = 0;

    virtual void fillPath(const QPainterPath& path, Qt::FillRule rule, const DrawBrush& brush) = 0;
    virtual void strokePath(const QPainterPath& path, const DrawPen& pen) = 0;
    virtual void drawText(const TextRun& run) = 0;
    virtual void drawImage(const ImageDraw& image) = 0;

    // A nested picture is about to be played into this device rectangle. A recorder counts
    // the whole rectangle as drawn, so that the frame it derives holds the picture's frame
    // and not only its ink; devices that draw ignore it.
    virtual void notePictureArea(const QRectF& /*deviceArea*/) {}

    // The pixels a flood fill from `start` (device pixels) covers, as rectangles in device
    // pixels: the 4-connected area of `colour` (surface) or up to a border of `colour`.
    // Nothing when the device keeps no pixels to look at.
    virtual std::optional<QPainterPath> floodArea(QPointF /*start*/, QRgb /*colour*/, bool /*surface*/) { return std::nullopt; }

    // Raster operations other than plain copy need the destination's pixels: only a raster
    // device can do them exactly; the Dc approximates on the others.
    virtual bool supportsRasterOps() const { return false; }
};

} // namespace kv::gdi
