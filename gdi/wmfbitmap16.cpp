#include "wmfbitmap16.h"

#include "dib.h"

namespace kv::gdi::wmf {

std::optional<Bitmap16Header> readBitmap16Header(ByteReader& p)
{
    Bitmap16Header h;
    h.type = p.i16();
    h.width = p.i16();
    h.height = p.i16();
    h.widthBytes = p.i16();
    h.planes = p.u8();
    h.bitsPixel = p.u8();
    if (!p.ok() || h.width <= 0 || h.height <= 0 || h.widthBytes <= 0 || h.planes != 1)
        return std::nullopt;
    const int needed = (int(h.width) * h.bitsPixel + 7) / 8;
    if (h.widthBytes < needed || (h.bitsPixel != 1 && h.bitsPixel != 24 && h.bitsPixel != 32))
        return std::nullopt;
    return h;
}

BitmapPtr readBitmap16Bits(ByteReader& p, const Bitmap16Header& h)
{
    const std::span<const uint8_t> bits = p.bytes(size_t(h.widthBytes) * size_t(h.height));
    if (bits.empty())
        return nullptr;
    QImage image(h.width, h.height, h.bitsPixel == 1 ? QImage::Format_Mono : QImage::Format_RGB32);
    if (image.isNull())
        return nullptr;
    if (h.bitsPixel == 1)
        image.setColorTable({qRgb(0, 0, 0), qRgb(255, 255, 255)});
    for (int y = 0; y < h.height; ++y) {
        const uint8_t* row = bits.data() + size_t(y) * size_t(h.widthBytes);
        uchar* out = image.scanLine(y);
        if (h.bitsPixel == 1) {
            std::copy(row, row + (h.width + 7) / 8, out);
            continue;
        }
        const int step = h.bitsPixel / 8;
        auto* px = reinterpret_cast<QRgb*>(out);
        for (int x = 0; x < h.width; ++x)
            px[x] = qRgb(row[x * step + 2], row[x * step + 1], row[x * step]);
    }
    auto bitmap = std::make_shared<Bitmap>();
    bitmap->image = image.convertToFormat(QImage::Format_RGB32);
    return bitmap;
}

} // namespace kv::gdi::wmf
