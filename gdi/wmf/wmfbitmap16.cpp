#include "gdi/wmf/wmfbitmap16.h"

#include "gdi/dib/dib.h"

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
    const bool known = h.bitsPixel == 1 || h.bitsPixel == 4 || h.bitsPixel == 8 || h.bitsPixel == 16 || h.bitsPixel == 24
        || h.bitsPixel == 32;
    if (h.widthBytes < needed || !known)
        return std::nullopt;
    return h;
}

namespace {

// Rows are WidthBytes apart; some writers state a wider stride than the word-aligned rows they
// store. The stated stride when the record holds it, else the word-aligned one when that fits.
size_t rowStride(const Bitmap16Header& h, size_t available)
{
    const size_t stated = size_t(h.widthBytes);
    const size_t aligned = (size_t(h.width) * h.bitsPixel + 15) / 16 * 2;
    if (stated * size_t(h.height) <= available || aligned >= stated)
        return stated;
    return aligned;
}

// What a device-dependent palette index shows in a memory DC with the default palette
// selected. Four bits: the sixteen VGA colours, the default palette without its four
// middle entries. Eight bits: the system palette, whose first and last ten entries hold the
// default palette's twenty colours; the entries between are no colour of the default palette
// and show black.
QRgb indexedColour(unsigned index, int bitsPixel)
{
    const std::span<const QRgb> defaults = defaultSystemPalette();
    const size_t half = defaults.size() / 2;
    if (bitsPixel == 4)
        return defaults[index < 8 ? index : index + 4];
    if (index < half)
        return defaults[index];
    if (index >= 256 - half)
        return defaults[index - (256 - defaults.size())];
    return qRgb(0, 0, 0);
}

QRgb pixelAt(const uint8_t* row, int x, int bitsPixel)
{
    if (bitsPixel == 4)
        return indexedColour(x % 2 ? row[x / 2] & 15u : row[x / 2] >> 4, 4);
    if (bitsPixel == 8)
        return indexedColour(row[x], 8);
    if (bitsPixel == 16) {  // 5-5-5, low byte first
        const unsigned v = row[x * 2] | unsigned(row[x * 2 + 1]) << 8;
        const auto five = [](unsigned c) { return int((c << 3) | (c >> 2)); };
        return qRgb(five((v >> 10) & 31), five((v >> 5) & 31), five(v & 31));
    }
    const int step = bitsPixel / 8;
    return qRgb(row[x * step + 2], row[x * step + 1], row[x * step]);
}

} // namespace

BitmapPtr readBitmap16Bits(ByteReader& p, const Bitmap16Header& h)
{
    const size_t stride = rowStride(h, p.remaining());
    const std::span<const uint8_t> bits = p.bytes(stride * size_t(h.height));
    if (bits.empty())
        return nullptr;
    QImage image(h.width, h.height, h.bitsPixel == 1 ? QImage::Format_Mono : QImage::Format_RGB32);
    if (image.isNull())
        return nullptr;
    if (h.bitsPixel == 1)
        image.setColorTable({qRgb(0, 0, 0), qRgb(255, 255, 255)});
    for (int y = 0; y < h.height; ++y) {
        const uint8_t* row = bits.data() + size_t(y) * stride;
        uchar* out = image.scanLine(y);
        if (h.bitsPixel == 1) {
            std::copy(row, row + (h.width + 7) / 8, out);
            continue;
        }
        auto* px = reinterpret_cast<QRgb*>(out);
        for (int x = 0; x < h.width; ++x)
            px[x] = pixelAt(row, x, h.bitsPixel);
    }
    auto bitmap = std::make_shared<Bitmap>();
    bitmap->image = image.convertToFormat(QImage::Format_RGB32);
    return bitmap;
}

} // namespace kv::gdi::wmf
