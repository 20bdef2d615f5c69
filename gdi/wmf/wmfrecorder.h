#pragma once
// gdi/wmf: the Windows metafile format: its reader (entry in gdi/readers.h, which translates
// every record into its EMF equivalent) and this recorder.
//
// A device that records what it is given as a Windows metafile. Coordinates are the reference
// device's pixels divided by a whole scale that brings them into 16 bits; the file sets
// MM_ANISOTROPIC with the scaled reference surface as its window, so whoever plays it maps
// that window where they like. Paths are flattened to polygons and polylines, text is
// EXTTEXTOUT with advances (Windows-1252, or the symbol font's bytes), images STRETCHDIB
// (transparent ones as a mask and the picture, AND then OR). Clipping: each change goes back
// to the saved unclipped state and intersects the region's box minus its holes.
#include "gdi/core/device.h"
#include "gdi/record/recordedobjects.h"
#include "gdi/record/recordedstate.h"
#include "gdi/record/recordwriter.h"

#include <optional>
#include <vector>

namespace kv::gdi {

class WmfRecorder : public Device {
public:
    // `placeable`: a rectangle of reference pixels that a placeable header announces as the
    // picture (at the reference's resolution); nothing: a plain file.
    explicit WmfRecorder(const DeviceCaps& reference, std::optional<RectL> placeable = std::nullopt);
    ~WmfRecorder() override;

    DeviceCaps caps() const override { return reference_; }
    void setClip(const std::optional<QRegion>& clip) override;
    void fillPath(const QPainterPath& path, Qt::FillRule rule, const DrawBrush& brush) override;
    void strokePath(const QPainterPath& path, const DrawPen& pen) override;
    void drawText(const TextRun& run) override;
    void drawImage(const ImageDraw& image) override;

    // Ends the recording; later calls return the same bytes.
    const std::vector<uint8_t>& finish();

    // Reference pixels per unit of the file's coordinates.
    int scale() const { return scale_; }

private:
    int16_t toUnits(double devicePixels) const;
    void writePrologue();
    void shortRecord(uint16_t function, std::initializer_list<int16_t> params);
    void colorRecord(uint16_t function, ColorRef color);
    void resetState();

    void writeState(RecordedState::Field field, uint32_t value);

    void selectBrush(const DrawBrush& brush);
    void selectPen(const DrawPen& pen);
    void selectNullBrush();
    void selectNullPen();
    void selectFont(const TextRun& run);

    void writePolygon(uint16_t function, const QPolygonF& points);
    void writePolyPolygon(const std::vector<QPolygonF>& polygons);
    void writeStretchDib(const QImage& image, const QRectF& dest, uint32_t rop3);
    void writeTransparentImage(const QImage& image, const QRectF& dest);

    DeviceCaps reference_;
    std::optional<RectL> placeable_;
    int scale_ = 1;
    size_t headerAt_ = 0;
    RecordWriter out_{RecordWriter::Format::Wmf};
    RecordedObjects objects_{RecordWriter::Format::Wmf};
    std::optional<QRegion> clip_;
    bool finished_ = false;
    std::vector<uint8_t> bytes_;

    RecordedState state_{[this](RecordedState::Field field, uint32_t value) { writeState(field, value); }};
};

} // namespace kv::gdi
