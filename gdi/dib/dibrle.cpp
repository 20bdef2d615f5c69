// RLE8 and RLE4 bits. The stream is a sequence of byte pairs: a run (count, colour) or, with a
// zero count, an escape (end of line, end of bitmap, delta, or an absolute run of literal
// pixels padded to a 16-bit boundary). Pixels past the right edge are dropped; whatever the
// stream never reaches stays transparent.
#include "gdi/dib/dibpixels.h"
#include "platform/bytereader.h"

#include <algorithm>

namespace kv::gdi::dibdetail {

namespace {

enum : uint8_t { kEndOfLine = 0, kEndOfBitmap = 1, kDelta = 2 };

class RleCanvas {
public:
    RleCanvas(const PixelFormat& format, QImage& image) : format_(format), image_(image) {}

    bool inside() const { return y_ < format_.header.height; }
    bool skipped() const { return skipped_; }

    // Writes count pixels; the index of pixel i comes from indexAt(i).
    template <class IndexAt>
    void put(int count, IndexAt indexAt)
    {
        const int width = format_.header.width;
        const int n = x_ < width ? std::min(count, width - x_) : 0;
        if (n > 0) {
            auto* row = reinterpret_cast<QRgb*>(image_.scanLine(format_.header.height - 1 - y_));
            for (int i = 0; i < n; ++i)
                row[x_ + i] = format_.colours[indexAt(i)];
        }
        advance(count);
    }
    void endOfLine()
    {
        noteSkip(x_ < format_.header.width);
        x_ = 0;
        ++y_;
    }
    void delta(int dx, int dy)
    {
        noteSkip(dx != 0 || dy != 0);
        advance(dx);
        y_ += dy;
    }
    // The stream ended (escape or no more bytes): is the picture complete?
    void finish()
    {
        const bool lastRowDone = y_ == format_.header.height - 1 && x_ >= format_.header.width;
        noteSkip(inside() && !lastRowDone);
    }

private:
    void noteSkip(bool s) { skipped_ = skipped_ || s; }
    // Past the right edge nothing is drawn until the next line: x stops there, so that no
    // stream, however long, can overflow it.
    void advance(int n) { x_ = std::min(x_ + n, format_.header.width); }

    const PixelFormat& format_;
    QImage& image_;
    int x_ = 0;
    int y_ = 0;  // counted from the bottom row
    bool skipped_ = false;
};

// Index of pixel i of a run or literal sequence: RLE8 takes one byte per pixel, RLE4
// alternates the high and low nibbles.
uint8_t nibbleAt(std::span<const uint8_t> bytes, int i)
{
    const uint8_t b = bytes[size_t(i / 2)];
    return i % 2 == 0 ? b >> 4 : b & 0x0F;
}

void putRun(RleCanvas& canvas, bool rle4, int count, uint8_t value)
{
    if (rle4)
        canvas.put(count, [value](int i) { return i % 2 == 0 ? value >> 4 : value & 0x0F; });
    else
        canvas.put(count, [value](int) { return value; });
}

// Absolute mode: count literal pixels, their bytes padded to an even number. False when the
// stream ends inside them.
bool putLiteral(RleCanvas& canvas, ByteReader& in, bool rle4, int count)
{
    const size_t byteCount = rle4 ? size_t(count + 1) / 2 : size_t(count);
    const std::span<const uint8_t> bytes = in.bytes(byteCount);
    if (!in.ok())
        return false;
    if (rle4)
        canvas.put(count, [bytes](int i) { return nibbleAt(bytes, i); });
    else
        canvas.put(count, [bytes](int i) { return bytes[size_t(i)]; });
    if (byteCount % 2 != 0)
        in.skip(1);
    return true;
}

} // namespace

bool decodeRle(const PixelFormat& format, std::span<const uint8_t> bits, QImage& image)
{
    const bool rle4 = format.header.compression == BI_RLE4;
    RleCanvas canvas(format, image);
    ByteReader in(bits);
    while (canvas.inside() && in.remaining() >= 2) {
        const uint8_t count = in.u8();
        const uint8_t code = in.u8();
        if (count > 0) {
            putRun(canvas, rle4, count, code);
        } else if (code == kEndOfLine) {
            canvas.endOfLine();
        } else if (code == kEndOfBitmap) {
            break;
        } else if (code == kDelta) {
            const uint8_t dx = in.u8();
            const uint8_t dy = in.u8();
            if (!in.ok())
                break;
            canvas.delta(dx, dy);
        } else if (!putLiteral(canvas, in, rle4, code)) {
            break;
        }
    }
    canvas.finish();
    return canvas.skipped();
}

} // namespace kv::gdi::dibdetail
