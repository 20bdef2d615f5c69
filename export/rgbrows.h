#pragma once
// What the raster encoders share: the image's rows as packed 8-bit R, G, B (or B, G, R)
// triples, little-endian header fields, and a writer that remembers the first refusal of the
// device.
#include <QIODevice>
#include <QImage>
#include <QString>
#include <cstdint>
#include <vector>

namespace kv {

// The rows of an image as 24-bit pixels. Images already in a 32-bit RGB format are read
// as they are; any other format is converted once.
class RgbRows {
public:
    explicit RgbRows(const QImage& image);
    int width() const { return image_.width(); }
    int height() const { return image_.height(); }
    // Row y as R, G, B triples (bgr: B, G, R), valid until the next call.
    const uint8_t* row(int y, bool bgr = false);

private:
    QImage image_;
    std::vector<uint8_t> buffer_;
};

// Header fields, little-endian, appended to a byte buffer.
void putLe16(std::vector<uint8_t>& out, uint16_t value);
void putLe32(std::vector<uint8_t>& out, uint32_t value);

// Pixels per metre for a resolution in dots per inch, as BMP and PNG store it.
uint32_t pixelsPerMetre(double dpi);

// Writes to a device and keeps its first error.
class DeviceWriter {
public:
    explicit DeviceWriter(QIODevice& out) : out_(out) {}
    bool write(const void* data, size_t size);
    bool ok() const { return ok_; }
    QString error() const { return out_.errorString(); }

private:
    QIODevice& out_;
    bool ok_ = true;
};

} // namespace kv
