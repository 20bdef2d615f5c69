#pragma once
// gdi/emf: the EMF format: its reader (entry in gdi/readers.h; the record table in emfparse.h)
// and this recorder.
//
// A device that records what it is given as an enhanced metafile, baked into the reference
// device's pixels (MM_TEXT): clip regions, pens, brushes and fonts as objects (identical
// consecutive ones written once), shapes as polygons or path brackets, text as EXTTEXTOUTW
// with the advances of the run, images as STRETCHDIBITS (ALPHABLEND where they are
// transparent). finish() completes the header: bounds accumulated from what was drawn
// (inclusive, reference pixels), the frame given or derived from the bounds as GDI does,
// the reference's size in pixels and millimetres, record and handle counts.
#include "gdi/core/device.h"
#include "gdi/record/recordedobjects.h"
#include "gdi/record/recordedstate.h"
#include "gdi/record/recordwriter.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace kv::gdi {

class EmfRecorder : public Device {
public:
    // `frame`: the picture frame in 0.01 mm; nothing: computed from the drawing's bounds.
    explicit EmfRecorder(const DeviceCaps& reference, std::optional<RectL> frame = std::nullopt,
                         std::u16string description = {});
    ~EmfRecorder() override;

    DeviceCaps caps() const override { return reference_; }
    void setClip(const std::optional<QRegion>& clip) override;
    void fillPath(const QPainterPath& path, Qt::FillRule rule, const DrawBrush& brush) override;
    void strokePath(const QPainterPath& path, const DrawPen& pen) override;
    void drawText(const TextRun& run) override;
    void drawImage(const ImageDraw& image) override;
    void notePictureArea(const QRectF& deviceArea) override { addBounds(deviceArea); }

    // Ends the recording and returns the finished metafile. Drawing afterwards is ignored;
    // a second call returns the same bytes.
    const std::vector<uint8_t>& finish();
    bool finished() const { return finished_; }

    // The device-pixel area drawn so far (before clipping to the frame); nothing when empty.
    std::optional<QRectF> drawnArea() const { return drawn_; }

private:
    void writeHeaderPlaceholder();
    void addBounds(const QRectF& area);
    RectL boundsField(const QRectF& area) const;

    void writeState(RecordedState::Field field, uint32_t value);
    void setBrushOrg(QPointF origin);
    void simpleRecord(uint32_t type, std::initializer_list<uint32_t> values);

    void selectBrush(const DrawBrush& brush);
    void selectPen(const DrawPen& pen);
    void selectNullBrush();
    void selectNullPen();

    void writePoly(uint32_t type16, const QRectF& area, const QPolygonF& points);
    void writePolyPoly(uint32_t type16, const QRectF& area, const std::vector<QPolygonF>& figures);
    void writePathBracket(const QPainterPath& path);
    void writeTextRecord(const TextRun& run, uint32_t options, const RectL& rect, const QRectF& extent);
    void writeStretchDib(const QImage& image, const RectL& dest, const QRectF& area, uint32_t rop3);
    void writeAlphaBlend(const QImage& image, const RectL& dest, const QRectF& area);
    void writeImageAt(const QImage& image, const RectL& dest, const QRectF& area, bool alpha, uint32_t rop3);
    void writeNoSourceBlt(const ImageDraw& image);
    void withTransform(const QTransform& transform, const std::function<void()>& draw);

    DeviceCaps reference_;
    std::optional<RectL> frame_;
    std::u16string description_;
    RecordWriter out_{RecordWriter::Format::Emf};
    RecordedObjects objects_{RecordWriter::Format::Emf};
    std::optional<QRectF> drawn_;
    std::optional<QRegion> clip_;
    bool finished_ = false;
    std::vector<uint8_t> bytes_;

    RecordedState state_{[this](RecordedState::Field field, uint32_t value) { writeState(field, value); }};
    PointL brushOrg_;
};

} // namespace kv::gdi
