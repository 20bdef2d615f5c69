#include "rgbrows.h"

#include <algorithm>
#include <cmath>

namespace kv {

namespace {

QImage as32Bit(const QImage& image)
{
    switch (image.format()) {
    case QImage::Format_RGB32:
    case QImage::Format_ARGB32:
    case QImage::Format_ARGB32_Premultiplied:
        return image;
    default:
        return image.convertToFormat(QImage::Format_RGB32);
    }
}

} // namespace

RgbRows::RgbRows(const QImage& image) : image_(as32Bit(image)), buffer_(size_t(std::max(0, image.width())) * 3) {}

const uint8_t* RgbRows::row(int y, bool bgr)
{
    const auto* in = reinterpret_cast<const QRgb*>(image_.constScanLine(y));
    uint8_t* out = buffer_.data();
    const int w = image_.width();
    for (int x = 0; x < w; ++x, out += 3) {
        const QRgb p = in[x];
        out[0] = uint8_t(bgr ? qBlue(p) : qRed(p));
        out[1] = uint8_t(qGreen(p));
        out[2] = uint8_t(bgr ? qRed(p) : qBlue(p));
    }
    return buffer_.data();
}

void putLe16(std::vector<uint8_t>& out, uint16_t value)
{
    out.push_back(uint8_t(value));
    out.push_back(uint8_t(value >> 8));
}

void putLe32(std::vector<uint8_t>& out, uint32_t value)
{
    putLe16(out, uint16_t(value));
    putLe16(out, uint16_t(value >> 16));
}

uint32_t pixelsPerMetre(double dpi) { return dpi > 0 ? uint32_t(std::lround(dpi / 0.0254)) : 0; }

bool DeviceWriter::write(const void* data, size_t size)
{
    if (ok_ && size > 0)
        ok_ = out_.write(static_cast<const char*>(data), qint64(size)) == qint64(size);
    return ok_;
}

} // namespace kv
