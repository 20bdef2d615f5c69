#include "gdi/dib/dib.h"

#include "gdi/dib/dibpixels.h"
#include "platform/bytereader.h"

#include <QBuffer>
#include <QImageReader>
#include <algorithm>

namespace kv::gdi {

using dibdetail::Channel;
using dibdetail::PixelFormat;

namespace {

constexpr uint32_t kCoreHeaderSize = 12;
constexpr uint32_t kInfoHeaderSize = 40;
constexpr uint32_t kV2HeaderSize = 52;  // adds the RGB masks
constexpr uint32_t kV3HeaderSize = 56;  // adds the alpha mask

bool isIndexed(uint16_t bitCount) { return bitCount == 1 || bitCount == 2 || bitCount == 4 || bitCount == 8; }

bool isRle(uint32_t compression) { return compression == BI_RLE8 || compression == BI_RLE4; }

bool isEmbedded(uint32_t compression) { return compression == BI_JPEG || compression == BI_PNG; }

bool withinCaps(int64_t width, int64_t height)
{
    return width > 0 && height > 0 && width <= kMaxDibSide && height <= kMaxDibSide
        && width * height <= kMaxDibPixels;
}

// Mask DWORDs that follow a plain 40-byte header; later headers hold their masks inside.
uint32_t trailingMaskCount(const DibHeader& h)
{
    if (h.headerSize != kInfoHeaderSize)
        return 0;
    if (h.compression == BI_BITFIELDS)
        return 3;
    return h.compression == BI_ALPHABITFIELDS ? 4 : 0;
}

uint32_t colourEntrySize(const DibHeader& h, uint32_t usage)
{
    if (usage == DIB_PAL_INDICES)
        return 0;
    if (usage == DIB_PAL_COLORS)
        return 2;
    return h.isCore() ? 3 : 4;
}

// Does the header describe a picture this decoder can produce?
bool isDecodable(const DibHeader& h)
{
    if (!withinCaps(h.width, h.height))
        return false;
    switch (h.compression) {
    case BI_RGB: return isIndexed(h.bitCount) || h.bitCount == 16 || h.bitCount == 24 || h.bitCount == 32;
    case BI_RLE8: return h.bitCount == 8 && !h.topDown;
    case BI_RLE4: return h.bitCount == 4 && !h.topDown;
    case BI_BITFIELDS:
    case BI_ALPHABITFIELDS: return h.bitCount == 16 || h.bitCount == 32;
    case BI_JPEG:
    case BI_PNG: return true;
    default: return false;
    }
}

// The colour table, resolved to colours. Entries the bytes lack stay black.
void readColours(ByteReader& in, const DibHeader& h, uint32_t usage, std::span<const QRgb> dcPalette,
                 PixelFormat& format)
{
    if (usage == DIB_PAL_INDICES) {
        for (uint32_t i = 0; i < (1u << h.bitCount); ++i)
            format.colours[i] = dcPalette[i % dcPalette.size()] | 0xFF000000u;
        return;
    }
    const uint32_t count = std::min<uint32_t>(dibColorCount(h), 1u << h.bitCount);
    for (uint32_t i = 0; i < count; ++i) {
        if (usage == DIB_PAL_COLORS) {
            const uint16_t index = in.u16();
            if (!in.ok())
                return;
            format.colours[i] = dcPalette[index % dcPalette.size()] | 0xFF000000u;
            continue;
        }
        const uint8_t b = in.u8(), g = in.u8(), r = in.u8();
        if (!h.isCore())
            in.u8();
        if (!in.ok())
            return;
        format.colours[i] = qRgb(r, g, b);
    }
}

bool readMasks(ByteReader& in, const DibHeader& h, uint32_t flags, PixelFormat& format)
{
    uint32_t r = 0, g = 0, b = 0, a = 0;
    if (h.compression == BI_RGB) {
        if (h.bitCount == 16) {
            r = 0x7C00; g = 0x03E0; b = 0x001F;
        } else {
            r = 0xFF0000; g = 0xFF00; b = 0xFF; a = 0xFF000000u;
        }
    } else if (trailingMaskCount(h) > 0) {
        r = in.u32(); g = in.u32(); b = in.u32();
        a = trailingMaskCount(h) == 4 ? in.u32() : 0;
        if (!in.ok())
            return false;
    } else {
        r = h.redMask; g = h.greenMask; b = h.blueMask; a = h.alphaMask;
    }
    // AlphaBlend reads the top byte of 32-bit pixels whatever masks name the colours.
    if ((flags & DibUseAlpha) && h.bitCount == 32 && a == 0 && ((r | g | b) & 0xFF000000u) == 0)
        a = 0xFF000000u;
    format.red = Channel::fromMask(r);
    format.green = Channel::fromMask(g);
    format.blue = Channel::fromMask(b);
    format.useAlpha = (flags & DibUseAlpha) && a != 0;
    format.alpha = Channel::fromMask(format.useAlpha ? a : 0);
    format.standard32 = h.bitCount == 32 && r == 0xFF0000 && g == 0xFF00 && b == 0xFF
        && (!format.useAlpha || a == 0xFF000000u);
    return true;
}

std::optional<PixelFormat> readPixelFormat(std::span<const uint8_t> bitmapInfo, const DibHeader& h,
                                           uint32_t usage, std::span<const QRgb> dcPalette, uint32_t flags)
{
    PixelFormat format;
    format.header = h;
    ByteReader in(bitmapInfo);
    in.seek(h.headerSize);
    if (h.bitCount == 16 || h.bitCount == 32) {
        if (!readMasks(in, h, flags, format))
            return std::nullopt;
    } else if (isIndexed(h.bitCount)) {
        if (dcPalette.empty())
            dcPalette = defaultSystemPalette();
        in.skip(size_t(trailingMaskCount(h)) * 4);
        readColours(in, h, usage, dcPalette, format);
    }
    return format;
}

QImage::Format outputFormat(bool hasAlpha)
{
    return hasAlpha ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32;
}

// A JPEG or PNG stream inside a DIB, set to decode no larger than the header says where the
// codec can shrink while decoding.
class EmbeddedStream {
public:
    // The JPEG reader shrinks by whole factors while decoding, then scales the rest.
    EmbeddedStream(const DibHeader& h, std::span<const uint8_t> bits)
        : data_(QByteArray::fromRawData(reinterpret_cast<const char*>(bits.data()), qsizetype(bits.size()))),
          buffer_(&data_), reader_(&buffer_, h.compression == BI_PNG ? "png" : "jpeg")
    {
        reader_.setAutoDetectImageFormat(false);
        reader_.setAllocationLimit(int(kPagePixelBudget * 4 / (1 << 20)));
        const QSize stored = reader_.size();
        if (!withinCaps(stored.width(), stored.height()))
            return;
        decodeSize_ = stored;
        // Qt's PNG reader takes a scaled size too, but scales only after decoding the whole.
        const QSize wanted(h.width, h.height);
        if (h.compression == BI_JPEG && wanted.width() < stored.width() && wanted.height() < stored.height()) {
            reader_.setScaledSize(wanted);
            decodeSize_ = wanted;
        }
    }

    // Empty when the stream is not one the caps allow.
    QSize decodeSize() const { return decodeSize_; }
    QImage read() { return decodeSize_.isEmpty() ? QImage() : reader_.read(); }

private:
    QByteArray data_;
    QBuffer buffer_;
    QImageReader reader_;
    QSize decodeSize_;
};

QImage decodeEmbedded(const DibHeader& h, std::span<const uint8_t> bits)
{
    QImage image = EmbeddedStream(h, bits).read();
    if (image.isNull())
        return {};
    image = image.convertToFormat(outputFormat(image.hasAlphaChannel()));
    // The record's source rectangle speaks in the header's pixels.
    if (image.size() != QSize(h.width, h.height))
        image = image.scaled(h.width, h.height, Qt::IgnoreAspectRatio, Qt::FastTransformation);
    return image;
}

// Uncompressed bits: the rows present are decoded; rows missing stay transparent.
QImage decodeRows(const PixelFormat& format, std::span<const uint8_t> bits, uint32_t flags)
{
    const DibHeader& h = format.header;
    const std::optional<uint64_t> needed = dibBitsSize(h);
    if (!needed)
        return {};
    const uint64_t stride = *needed / uint64_t(h.height);
    if (bits.size() < stride)
        return {};
    const bool complete = bits.size() >= *needed;
    const bool mono = h.bitCount == 1 && (flags & DibMonoAsIndexed);
    QImage image(h.width, h.height,
                 mono ? QImage::Format_Mono : outputFormat(format.useAlpha || !complete));
    if (image.isNull())
        return {};
    if (!complete)
        image.fill(0);
    if (mono)
        dibdetail::decodeMonoIndexed(format, bits, image);
    else
        dibdetail::decodeUncompressed(format, bits, image);
    return image;
}

QImage decodeRleBits(const PixelFormat& format, std::span<const uint8_t> bits)
{
    QImage image(format.header.width, format.header.height, QImage::Format_ARGB32_Premultiplied);
    if (image.isNull())
        return {};
    image.fill(0);
    if (!dibdetail::decodeRle(format, bits, image))
        image.reinterpretAsFormat(QImage::Format_RGB32);  // every pixel was written, opaque
    return image;
}

} // namespace

std::optional<DibHeader> readDibHeader(std::span<const uint8_t> bitmapInfo)
{
    ByteReader in(bitmapInfo);
    DibHeader h;
    h.headerSize = in.u32();
    if (!in.ok())
        return std::nullopt;
    if (h.headerSize == kCoreHeaderSize) {
        h.width = in.u16();
        h.height = in.u16();
        in.u16();  // planes
        h.bitCount = in.u16();
        return in.ok() ? std::optional(h) : std::nullopt;
    }
    if (h.headerSize < kInfoHeaderSize || h.headerSize > bitmapInfo.size())
        return std::nullopt;
    h.width = in.i32();
    const int64_t height = in.i32();
    in.u16();  // planes
    h.bitCount = in.u16();
    h.compression = in.u32();
    h.sizeImage = in.u32();
    in.skip(8);  // resolution
    h.clrUsed = in.u32();
    in.u32();  // clrImportant
    if (h.headerSize >= kV2HeaderSize) {
        h.redMask = in.u32();
        h.greenMask = in.u32();
        h.blueMask = in.u32();
    }
    if (h.headerSize >= kV3HeaderSize)
        h.alphaMask = in.u32();
    if (!in.ok())
        return std::nullopt;
    // A height of INT32_MIN has no positive counterpart; it is refused as too large later.
    h.topDown = height < 0;
    h.height = int32_t(std::min<int64_t>(height < 0 ? -height : height, INT32_MAX));
    return h;
}

uint32_t dibColorCount(const DibHeader& h)
{
    if (!h.isCore() && h.clrUsed != 0)
        return std::min<uint32_t>(h.clrUsed, 256);
    return isIndexed(h.bitCount) ? 1u << h.bitCount : 0;
}

size_t dibInfoSize(const DibHeader& h, uint32_t usage)
{
    return size_t(h.headerSize) + size_t(trailingMaskCount(h)) * 4
        + size_t(dibColorCount(h)) * colourEntrySize(h, usage);
}

std::optional<uint64_t> dibBitsSize(const DibHeader& h)
{
    const bool uncompressed = h.compression == BI_RGB || h.compression == BI_BITFIELDS
        || h.compression == BI_ALPHABITFIELDS;
    if (!uncompressed || h.width <= 0 || h.height <= 0 || h.bitCount == 0 || h.bitCount > 32)
        return std::nullopt;
    // width and height are below 2^31 and bitCount at most 32: no product below overflows.
    const uint64_t stride = (uint64_t(h.width) * h.bitCount + 31) / 32 * 4;
    return stride * uint64_t(h.height);
}

std::span<const QRgb> defaultSystemPalette()
{
    static constexpr QRgb palette[20] = {
        0xFF000000, 0xFF800000, 0xFF008000, 0xFF808000, 0xFF000080, 0xFF800080, 0xFF008080,
        0xFFC0C0C0, 0xFFC0DCC0, 0xFFA6CAF0, 0xFFFFFBF0, 0xFFA0A0A4, 0xFF808080, 0xFFFF0000,
        0xFF00FF00, 0xFFFFFF00, 0xFF0000FF, 0xFFFF00FF, 0xFF00FFFF, 0xFFFFFFFF,
    };
    return palette;
}

QImage decodeDib(std::span<const uint8_t> bitmapInfo, std::span<const uint8_t> bits, uint32_t usage,
                 std::span<const QRgb> dcPalette, uint32_t flags)
{
    const std::optional<DibHeader> header = readDibHeader(bitmapInfo);
    if (!header || !isDecodable(*header))
        return {};
    if (isEmbedded(header->compression))
        return decodeEmbedded(*header, bits);
    const std::optional<PixelFormat> format = readPixelFormat(bitmapInfo, *header, usage, dcPalette, flags);
    if (!format)
        return {};
    if (isRle(header->compression))
        return decodeRleBits(*format, bits);
    return decodeRows(*format, bits, flags);
}

uint64_t dibDecodedPixels(std::span<const uint8_t> bitmapInfo, std::span<const uint8_t> bits)
{
    const std::optional<DibHeader> header = readDibHeader(bitmapInfo);
    if (!header || !isDecodable(*header))
        return 0;
    if (!isEmbedded(header->compression))
        return uint64_t(header->width) * uint64_t(header->height);
    const QSize size = EmbeddedStream(*header, bits).decodeSize();
    if (size.isEmpty())
        return 0;
    // The decoded picture is scaled to the header's size afterwards: both are held at once.
    return uint64_t(size.width()) * uint64_t(size.height()) + uint64_t(header->width) * uint64_t(header->height);
}

QImage decodePackedDib(std::span<const uint8_t> packed, uint32_t usage, std::span<const QRgb> dcPalette,
                       uint32_t flags)
{
    const std::optional<DibHeader> header = readDibHeader(packed);
    if (!header)
        return {};
    const size_t infoSize = dibInfoSize(*header, usage);
    if (infoSize > packed.size())
        return {};
    return decodeDib(packed.first(infoSize), packed.subspan(infoSize), usage, dcPalette, flags);
}

} // namespace kv::gdi
