#pragma once
// gdi/dc: the device context, where the records the player replays become device drawing.
//
// A device context: what GDI keeps per DC (mapping, world transform, selected objects,
// colours and modes, current position, clipping, path bracket, SaveDC stack) and the GDI
// calls on it. Every drawing call is resolved here into device space and handed to the
// Device; nothing above a Dc knows how a device draws, nothing below it knows GDI's rules.
//
// Coordinates passed in are logical units of the Dc's current mapping. Regions passed in
// (ExtSelectClipRgn, region drawing) are in the Dc's device units, as in GDI.
#include "gdi/core/device.h"
#include "gdi/core/objects.h"
#include "gdi/core/records.h"

#include <QPainterPath>
#include <QRegion>
#include <QTransform>
#include <memory>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

namespace kv::gdi {

struct DcState {
    int32_t mapMode = MM_TEXT;
    PointL windowOrg, viewportOrg;
    SizeL windowExt{1, 1}, viewportExt{1, 1};
    XForm world;
    int32_t graphicsMode = GM_COMPATIBLE;

    ObjectPtr pen, brush, font, palette;  // never null: stock objects at start
    ColorRef bkColor = 0xFFFFFF, textColor = 0;
    int32_t bkMode = OPAQUE;
    uint32_t textAlign = TA_LEFT | TA_TOP | TA_NOUPDATECP;
    int32_t polyFillMode = ALTERNATE;
    int32_t rop2 = R2_COPYPEN;
    int32_t stretchMode = BLACKONWHITE;
    int32_t arcDirection = AD_COUNTERCLOCKWISE;
    int32_t textCharExtra = 0;
    int32_t justifyExtra = 0, justifyCount = 0;
    double miterLimit = 10;
    PointL brushOrg;
    QPointF currentPosition;  // logical units

    std::optional<QRegion> clip;      // device pixels (final device space); nothing = none
    std::optional<QRegion> metaClip;  // the meta region (and the clip of an outer playback)

    // Path bracket: figures collected in device space between BeginPath and EndPath.
    bool pathOpen = false;
    bool pathClosed = false;
    QPainterPath path;
};

class Dc {
public:
    explicit Dc(Device& device);
    ~Dc();
    Dc(const Dc&) = delete;
    Dc& operator=(const Dc&) = delete;

    Device& device() const { return *device_; }
    DeviceCaps caps() const { return device_->caps(); }
    const DcState& state() const { return state_; }

    // --- mapping -------------------------------------------------------------------------
    void setMapMode(int32_t mode);
    void setWindowOrg(int32_t x, int32_t y);
    void setWindowExt(int32_t cx, int32_t cy);
    void setViewportOrg(int32_t x, int32_t y);
    void setViewportExt(int32_t cx, int32_t cy);
    void offsetWindowOrg(int32_t dx, int32_t dy);
    void offsetViewportOrg(int32_t dx, int32_t dy);
    void scaleWindowExt(int32_t xNum, int32_t xDenom, int32_t yNum, int32_t yDenom);
    void scaleViewportExt(int32_t xNum, int32_t xDenom, int32_t yNum, int32_t yDenom);
    void setGraphicsMode(int32_t mode);
    void setWorldTransform(const XForm& xform);
    void modifyWorldTransform(const XForm& xform, uint32_t mode);

    // Logical -> final device pixels (world, page and playback transforms composed).
    QTransform logicalToDevice() const;

    // --- attributes ----------------------------------------------------------------------
    void setBkMode(int32_t mode);
    void setBkColor(ColorRef color);
    void setTextColor(ColorRef color);
    void setTextAlign(uint32_t align);
    void setPolyFillMode(int32_t mode);
    void setRop2(int32_t rop2);
    void setStretchBltMode(int32_t mode);
    void setArcDirection(int32_t direction);
    void setMiterLimit(double limit);
    void setBrushOrg(int32_t x, int32_t y);
    void setTextCharacterExtra(int32_t extra);
    void setTextJustification(int32_t extra, int32_t count);

    // --- objects -------------------------------------------------------------------------
    // Selecting an object of the wrong kind or null is ignored.
    void selectObject(const ObjectPtr& object);
    void selectStockObject(uint32_t index);

    // --- state stack ---------------------------------------------------------------------
    int saveDc();                 // the new level (1 for the first save)
    bool restoreDc(int32_t level);  // negative: relative; out of range: ignored, false

    // --- lines and shapes (logical units) ------------------------------------------------
    void moveTo(int32_t x, int32_t y);
    void lineTo(int32_t x, int32_t y);
    void polyline(std::span<const PointL> points);
    void polylineTo(std::span<const PointL> points);
    void polygon(std::span<const PointL> points);
    void polyPolyline(std::span<const uint32_t> counts, std::span<const PointL> points);
    void polyPolygon(std::span<const uint32_t> counts, std::span<const PointL> points);
    void polyBezier(std::span<const PointL> points);
    void polyBezierTo(std::span<const PointL> points);
    void polyDraw(std::span<const PointL> points, std::span<const uint8_t> types);
    void rectangle(const RectL& box);
    void roundRect(const RectL& box, SizeL corner);
    void ellipse(const RectL& box);
    void arc(const RectL& box, PointL start, PointL end);
    void arcTo(const RectL& box, PointL start, PointL end);
    void chord(const RectL& box, PointL start, PointL end);
    void pie(const RectL& box, PointL start, PointL end);
    void angleArc(PointL center, uint32_t radius, float startAngle, float sweepAngle);
    void setPixel(int32_t x, int32_t y, ColorRef color);
    // ExtFloodFill with the selected brush, from the pixels drawn so far. On a device that
    // keeps no pixels, and after the first thousand fills, nothing is drawn and the call is
    // counted in skippedFloodFills().
    void floodFill(int32_t x, int32_t y, ColorRef color, bool surface);
    int skippedFloodFills() const;

    // --- regions (device units) ----------------------------------------------------------
    void fillRgn(const RegionData& region, const ObjectPtr& brush);
    void frameRgn(const RegionData& region, const ObjectPtr& brush, int32_t width, int32_t height);
    void paintRgn(const RegionData& region);
    void invertRgn(const RegionData& region);

    // --- paths ---------------------------------------------------------------------------
    void beginPath();
    void endPath();
    void closeFigure();
    void abortPath();
    void fillPath();
    void strokePath();
    void strokeAndFillPath();
    void flattenPath();
    void widenPath();
    void selectClipPath(uint32_t mode);

    // --- clipping ------------------------------------------------------------------------
    void intersectClipRect(const RectL& rect);   // logical units
    void excludeClipRect(const RectL& rect);     // logical units
    void offsetClipRgn(int32_t dx, int32_t dy);  // logical units
    void extSelectClipRgn(const RegionData* region, uint32_t mode);  // device units; null: none
    void setMetaRgn();

    // --- text ----------------------------------------------------------------------------
    // `dx`: advances in logical units (pairs dx, dy with ETO_PDY); empty: the font's own.
    void extTextOut(int32_t x, int32_t y, uint32_t options, const RectL* rect,
                    std::u16string_view text, std::span<const int32_t> dx = {});
    // The same for 8-bit text in the selected font's charset.
    void extTextOutA(int32_t x, int32_t y, uint32_t options, const RectL* rect,
                     std::string_view text, std::span<const int32_t> dx = {});
    // Text metrics of the selected font, in logical units (for callers laying out text).
    double textWidth(std::u16string_view text);
    double textHeight();

    // --- bitmaps -------------------------------------------------------------------------
    void blt(const rec::Blt& blt);

    // --- drawing resolved into device pixels by the caller (the EMF+ player) ---------------
    // Clipped by the meta region and the clip set here, counted in the drawn bounds, and
    // never part of a path bracket.
    void setDeviceClip(const std::optional<QRegion>& clip);  // device pixels; nothing = none
    void fillDevice(const QPainterPath& path, Qt::FillRule rule, const DrawBrush& brush);
    void strokeDevice(const QPainterPath& path, const DrawPen& pen);
    void textDevice(const TextRun& run);
    void imageDevice(const ImageDraw& image);

    // --- recording support ---------------------------------------------------------------
    // The device-pixel bounds of everything drawn since construction (or the last reset):
    // what a recorder writes as rclBounds.
    std::optional<QRectF> drawnBounds() const;
    void resetDrawnBounds();

    // --- playback support (used by the player) -------------------------------------------
    // Enters a nested playback: saves the whole state, resets the DC's attributes to a fresh
    // DC's, keeps the current clip as the meta region, and makes `base` (metafile device
    // units -> this Dc's device units) the transform every later mapping is composed with.
    // `reference` is the metafile's reference device (metric map modes inside the picture
    // measure millimetres on it); null: this Dc's own device. `advancePixel` > 0: text
    // without advances of its own is spaced in whole pixels of that size in metafile device
    // units, as the conversion of a Windows metafile measured it, rather than in whole pixels
    // of this device.
    void beginPlayback(const QTransform& base, const DeviceCaps* reference = nullptr, double advancePixel = 0);
    void endPlayback();

private:
    struct Impl;
    Device* device_;
    DcState state_;
    std::unique_ptr<Impl> impl_;
};

} // namespace kv::gdi
