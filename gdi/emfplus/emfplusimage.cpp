// EMF+ image objects: bitmaps (raw pixels of the common formats, or a compressed file) and
// nested metafiles (read with the engine's own readers, at a bounded depth).
#include "gdi/emfplus/emfplusparse.h"

#include "gdi/player.h"
#include "gdi/readers.h"
#include "gdi/wmf/wmfpicture.h"

#include <QBuffer>
#include <QImageReader>
#include <cmath>

namespace kv::gdi::plus::read {

namespace {

enum PixelFormat : uint32_t {
    Indexed1 = 0x00030101, Indexed4 = 0x00030402, Indexed8 = 0x00030803,
    Gray16 = 0x00101004, Rgb555 = 0x00021005, Rgb565 = 0x00021006, Rgb24 = 0x00021808, Rgb32 = 0x00022009,
    Argb32 = 0x0026200A, Pargb32 = 0x000E200B,
};

// A nested picture may nest another; a hostile file must not recurse without end.
constexpr int kMaxNesting = 4;
thread_local int nesting = 0;

struct NestingGuard {
    NestingGuard() { ++nesting; }
    ~NestingGuard() { --nesting; }
};

QImage readIndexed(ByteReader& r, int width, int height, int stride, int bits)
{
    r.u32();  // palette style flags
    const uint32_t count = r.u32();
    if (count > 256 || !r.fits(count, 4))
        return {};
    QList<QRgb> palette;
    for (uint32_t i = 0; i < count; ++i)
        palette.append(readColor(r).rgba());
    palette.resize(1 << bits, qRgba(0, 0, 0, 255));
    if (!r.fits(uint64_t(stride), uint64_t(height)) || int64_t(stride) * 8 < int64_t(width) * bits)
        return {};
    QImage image(width, height, QImage::Format_Indexed8);
    image.setColorTable(palette);
    for (int y = 0; y < height; ++y) {
        const auto row = r.bytes(size_t(stride));
        uchar* out = image.scanLine(y);
        for (int x = 0; x < width; ++x) {
            const int bit = x * bits;
            const uint8_t byte = row[size_t(bit / 8)];
            out[x] = uint8_t((byte >> (8 - bits - bit % 8)) & ((1 << bits) - 1));
        }
    }
    return image;
}

QImage readPixels(ByteReader& r, int width, int height, int stride, uint32_t format)
{
    QImage::Format qt;
    int bytesPerPixel;
    switch (format) {
    case Indexed1: return readIndexed(r, width, height, stride, 1);
    case Indexed4: return readIndexed(r, width, height, stride, 4);
    case Indexed8: return readIndexed(r, width, height, stride, 8);
    case Gray16: qt = QImage::Format_Grayscale16; bytesPerPixel = 2; break;
    case Rgb555: qt = QImage::Format_RGB555; bytesPerPixel = 2; break;
    case Rgb565: qt = QImage::Format_RGB16; bytesPerPixel = 2; break;
    case Rgb24: qt = QImage::Format_BGR888; bytesPerPixel = 3; break;
    case Rgb32: qt = QImage::Format_RGB32; bytesPerPixel = 4; break;
    case Argb32: qt = QImage::Format_ARGB32; bytesPerPixel = 4; break;
    case Pargb32: qt = QImage::Format_ARGB32_Premultiplied; bytesPerPixel = 4; break;
    default: return {};
    }
    if (int64_t(stride) < int64_t(width) * bytesPerPixel || !r.fits(uint64_t(stride), uint64_t(height)))
        return {};
    QImage image(width, height, qt);
    const size_t rowBytes = size_t(width) * size_t(bytesPerPixel);
    for (int y = 0; y < height; ++y) {
        const auto row = r.bytes(size_t(stride));
        std::memcpy(image.scanLine(y), row.data(), rowBytes);
    }
    return image;
}

QImage readCompressed(ByteReader& r)
{
    const auto bytes = r.bytes(r.remaining());
    QByteArray data = QByteArray::fromRawData(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size()));
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    const QSize size = reader.size();
    if (!size.isValid() || int64_t(size.width()) * size.height() > kMaxImagePixels
        || !takePixels(uint64_t(size.width()) * uint64_t(size.height())))
        return {};
    return reader.read();
}

// GDI+ pads the 22-byte placeable header of an embedded Windows metafile to 24 bytes; the
// readers want it as a file has it.
PicturePtr readWindowsMetafile(std::span<const uint8_t> bytes)
{
    constexpr size_t kPlaceable = 22;
    std::vector<uint8_t> unpadded;
    ByteReader probe(bytes);
    const uint32_t key = probe.u32();
    probe.seek(kPlaceable);
    const uint16_t pad = probe.u16(), type = probe.u16();
    if (probe.ok() && key == 0x9AC6CDD7 && pad == 0 && (type == 1 || type == 2)) {
        unpadded.assign(bytes.begin(), bytes.begin() + kPlaceable);
        unpadded.insert(unpadded.end(), bytes.begin() + kPlaceable + 2, bytes.end());
        bytes = unpadded;
    }
    if (PicturePtr sized = readWmfAtPictureSize(bytes))
        return sized;
    DeviceCaps display;
    display.horzRes = 1920;
    display.vertRes = 1080;
    display.horzSizeMm = 508;
    display.vertSizeMm = 286;
    return readWmf(bytes, display);
}

std::optional<Image> readMetafile(ByteReader& r, std::string& problem)
{
    const uint32_t type = r.u32();
    const uint32_t size = r.u32();
    // GDI+ counts a Windows metafile's size without the (padded) placeable header it stores
    // in front, so the last records lie beyond the stated size: a Windows metafile takes what
    // its object holds, and its reader stops at META_EOF.
    const bool windows = type == 1 || type == 2;
    const auto bytes = r.bytes(windows ? r.remaining() : std::min<size_t>(size, r.remaining()));
    if (!r.ok() || nesting >= kMaxNesting) {
        problem = problem.empty() ? "malformed nested metafile" : problem;
        return std::nullopt;
    }
    NestingGuard guard;
    Image image;
    if (type >= 3 && type <= 5) {
        image.metafile = readEmf(bytes);
    } else if (windows) {
        image.metafile = readWindowsMetafile(bytes);
    }
    if (!image.metafile) {
        problem = problem.empty() ? "unreadable nested metafile" : problem;
        return std::nullopt;
    }
    const QRectF frame = pictureFrame(image.metafile->header);
    const QPointF ppm = pixelsPerMm(image.metafile->header);
    image.bounds = QRectF(frame.left() * ppm.x() / 100, frame.top() * ppm.y() / 100, frame.width() * ppm.x() / 100,
                          frame.height() * ppm.y() / 100);
    return image;
}

} // namespace

QImage readBitmap(ByteReader& r, std::string& problem)
{
    const int32_t width = r.i32(), height = r.i32(), stride = r.i32();
    const uint32_t format = r.u32(), type = r.u32();
    // A compressed bitmap's file states its own size; the fields may be 0.
    const bool sized = width > 0 && height > 0 && int64_t(width) * height <= kMaxImagePixels;
    if (!r.ok() || (type != 1 && !sized)) {
        problem = problem.empty() ? "malformed bitmap" : problem;
        return {};
    }
    if (type != 1 && !takePixels(uint64_t(width) * uint64_t(height))) {
        problem = problem.empty() ? "the page's images hold more pixels than a page may" : problem;
        return {};
    }
    QImage image = type == 1 ? readCompressed(r) : readPixels(r, width, height, std::abs(stride), format);
    if (image.isNull()) {
        problem = problem.empty() ? "undecodable bitmap" : problem;
        return {};
    }
    return image.convertToFormat(QImage::Format_ARGB32);
}

std::optional<Image> readImage(ByteReader& r, std::string& problem)
{
    r.u32();  // version
    const uint32_t type = r.u32();
    if (type == 2)
        return readMetafile(r, problem);
    if (type != 1) {
        problem = problem.empty() ? "unknown image type" : problem;
        return std::nullopt;
    }
    Image image;
    image.bitmap = readBitmap(r, problem);
    if (image.bitmap.isNull())
        return std::nullopt;
    image.bounds = QRectF(0, 0, image.bitmap.width(), image.bitmap.height());
    return image;
}

} // namespace kv::gdi::plus::read
