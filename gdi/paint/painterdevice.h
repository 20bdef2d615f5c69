#pragma once
// gdi/paint: the device that draws with QPainter, with GDI's raster operations, hatches,
// shrinking and text placement.
//
// The device that draws with QPainter: widgets, images, printers and PDF files alike. The
// painter must be active. Device pixels are the painter's coordinates as they stand when the
// device is made: its transform and clip at that moment are kept (a page view may scale) and
// everything is drawn through them. The painter's state is restored when the device goes.
//
// GDI draws aliased, so fills and lines are drawn without antialiasing; only glyphs are
// smoothed. Raster operations other than plain copy are exact on raster paint engines (images,
// raster widgets); on others (printers, PDF) they are approximated as if drawn on white paper.
#include "gdi/core/device.h"

#include <QList>
#include <QTransform>

#include <vector>

class QPainter;
class QRawFont;

namespace kv::gdi {

class PainterDevice : public Device {
public:
    PainterDevice(QPainter& painter, const DeviceCaps& caps);
    ~PainterDevice() override;

    DeviceCaps caps() const override { return caps_; }
    void setClip(const std::optional<QRegion>& clip) override;
    void fillPath(const QPainterPath& path, Qt::FillRule rule, const DrawBrush& brush) override;
    void strokePath(const QPainterPath& path, const DrawPen& pen) override;
    void drawText(const TextRun& run) override;
    void drawImage(const ImageDraw& image) override;
    // From the image's pixels; nothing on devices other than an image, or through a rotated
    // or sheared view.
    std::optional<QPainterPath> floodArea(QPointF start, QRgb colour, bool surface) override;
    bool supportsRasterOps() const override;

private:
    // Sets the composition mode for a ROP2 and returns the colour to paint with, or nothing
    // when nothing is to be drawn. `sourceCopy`: a plain copy replaces rather than blends.
    std::optional<QColor> prepareRop2(int32_t rop2, const QColor& colour, bool sourceCopy);
    void setBlending(bool sourceCopy);  // source over, or source copy
    void fillWithBrush(const QPainterPath& path, const DrawBrush& brush);
    void fillHatchWithRasterOp(const QPainterPath& path, const DrawBrush& brush);
    void strokeOutline(const QPainterPath& path, const DrawPen& pen);
    // The run's glyphs and their positions in the run's frame into the buffers, and the
    // characters its face lacks apart.
    void collectGlyphs(const TextRun& run, const QTransform& toFrame);
    bool clipBoxCutsNothing(const TextRun& run, const QTransform& frame) const;
    void drawGlyphs(const TextRun& run, const QTransform& frame, const QTransform& toFrame);
    void drawDecorations(const TextRun& run, const QTransform& toRun, const QList<QPointF>& positions);
    void drawGlyphFallback(const TextRun& run, QChar c, QPointF localPosition);
    void drawKeptGlyphs(const QRawFont& font, const QColor& colour);
    void drawRopImage(const ImageDraw& image);
    void drawAlphaImage(const ImageDraw& image);
    void drawTransparentImage(const ImageDraw& image);
    void drawMaskImage(const ImageDraw& image);
    void drawScaledImage(const QImage& source, const QTransform& toDevice, bool smooth);
    bool drawNearest(const QImage& source);
    bool combineWithDestination(const ImageDraw& image, uint32_t rop3, const QImage* mask);
    QImage* rasterTarget() const;
    // The world transform under which the painter's units are the target's own pixels, past
    // any device pixel ratio: for drawing what was placed on those pixels.
    QTransform inTargetPixels() const;
    void resetState();

    QPainter& painter_;
    DeviceCaps caps_;
    QTransform base_;            // device pixels -> the painter's coordinates at construction
    bool rasterEngine_ = false;
    bool callerClipped_ = false;       // the painter came with a clip of its own
    std::optional<QRegion> clip_;      // the Dc's clip, device pixels
    QList<quint32> glyphBuffer_;  // reused by every text run
    QList<QPointF> positionBuffer_;
    struct MissingGlyph {
        QChar character;
        QPointF position;  // in the run's frame
    };
    std::vector<MissingGlyph> missingBuffer_;
};

} // namespace kv::gdi
