#pragma once
// The private half of Dc, shared by the source files that implement it (mapping, drawing,
// paths, clipping, text, bitmaps). Not for use outside gdi/dc/.
#include "gdi/dc/dc.h"

#include <QRectF>
#include <optional>
#include <vector>

namespace kv::gdi {

struct Dc::Impl {
    explicit Impl(Dc& owner) : dc(owner) {}

    Dc& dc;

    // SaveDC stack; a playback may only pop what it pushed itself.
    std::vector<DcState> saved;
    static constexpr size_t kMaxSaveDepth = 1000;

    // One entry per nested playback: what to restore when it ends.
    struct Playback {
        DcState outerState;
        std::vector<DcState> outerSaved;
        QTransform outerBase;
        std::optional<DeviceCaps> outerReference;
        double outerAdvancePixel = 0;
    };
    std::vector<Playback> playbacks;
    QTransform base;                // metafile device units -> final device pixels
    std::optional<DeviceCaps> reference;  // the metafile's reference device (metric map modes)
    double advancePixel = 0;             // see Dc::beginPlayback

    // The clip last sent to the device (to send only changes).
    bool clipSent = false;
    std::optional<QRegion> sentClip;

    std::optional<QRectF> bounds;
    int floodFills = 0, skippedFloodFills = 0;
    static constexpr int kMaxFloodFills = 1000;
    bool pathFigureOpen = false;    // the path's last figure can be continued by LineTo

    // ---- mapping (dctransform.cpp) ----
    DeviceCaps metricCaps() const;
    QTransform pageTransform() const;  // logical (after world) -> metafile device units
    QTransform worldTransform() const;
    QTransform toDevice() const;       // world * page * base
    void fixIsotropic();
    // Length in device pixels of a logical vector along x or y.
    double xScale() const;
    double yScale() const;

    // ---- drawing choke points (dcdraw.cpp) ----
    QPointF map(double x, double y) const { return toDevice().map(QPointF(x, y)); }
    QPointF map(const PointL& p) const { return map(p.x, p.y); }
    QPolygonF mapPoints(std::span<const PointL> points) const;
    // A closed or open figure in device space: added to the path bracket when one is open,
    // else filled and stroked.
    void emitShape(const QPainterPath& path, bool fill, bool stroke);
    void emitLines(const QPainterPath& path);  // open lines: joined to the current figure in a bracket
    void fillDevicePath(const QPainterPath& path, Qt::FillRule rule, const DrawBrush& brush);
    void strokeDevicePath(const QPainterPath& path, const DrawPen& pen);
    void addBounds(const QRectF& r);
    QRectF deviceBox(const RectL& box) const;  // GDI's exclusive lower-right in compatible mode
    bool axisAligned() const;
    Qt::FillRule fillRule() const { return dc.state_.polyFillMode == WINDING ? Qt::WindingFill : Qt::OddEvenFill; }

    // ---- objects resolved for the device (dcobjects.cpp) ----
    QColor color(ColorRef c) const;
    DrawPen drawPen() const;
    DrawBrush drawBrush(const ObjectPtr& brush) const;
    DrawBrush drawBrush() const { return drawBrush(dc.state_.brush); }
    DrawBrush solidBrush(ColorRef c) const;
    const Pen* pen() const;

    // ---- text (dctext.cpp) ----
    ResolvedFontPtr deviceFont(const LogFont& lf) const;

    // ---- bitmaps (dcblt.cpp) ----
    void patternBlt(const rec::Blt& blt);

    // ---- clipping (dcclip.cpp) ----
    void syncClip();
    QRegion regionToDevice(const RegionData& region) const;
    QRegion logicalRectRegion(const RectL& rect) const;
    void combineClip(const QRegion& region, uint32_t mode);
    static QRegion universe();
};

} // namespace kv::gdi
