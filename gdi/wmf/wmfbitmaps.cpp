// WMF bitmap records: pattern blits, blits of a Bitmap16 or a DIB, and DIBs set to the
// device. Each becomes one Blt in logical units with the source picture decoded.
#include "gdi/dib/dib.h"
#include "gdi/wmf/wmfbitmap16.h"
#include "gdi/wmf/wmfgeometry.h"
#include "gdi/wmf/wmfparser.h"

namespace kv::gdi {

BitmapPtr WmfParser::readDib(ByteReader& p, uint32_t usage, uint32_t decodeFlags)
{
    const std::span<const uint8_t> packed = p.bytes(p.remaining());
    const std::optional<DibHeader> header = readDibHeader(packed);
    if (!header)
        return nullptr;
    const size_t infoSize = dibInfoSize(*header, usage);
    if (infoSize > packed.size())
        return nullptr;
    const uint64_t pixels = dibDecodedPixels(packed.first(infoSize), packed.subspan(infoSize));
    if (pixels == 0 || pixels > pixelsLeft_)
        return nullptr;
    pixelsLeft_ -= pixels;
    // Palette-indexed DIBs are decoded against the default palette: the file's logical
    // palette is not known to a parse that runs before playback.
    QImage image = decodeDib(packed.first(infoSize), packed.subspan(infoSize), usage, {}, decodeFlags);
    if (image.isNull())
        return nullptr;
    auto bitmap = std::make_shared<Bitmap>();
    bitmap->image = std::move(image);
    if (usage == DIB_RGB_COLORS)
        bitmap->packedDib.assign(packed.begin(), packed.end());
    return bitmap;
}

// A blt whose source is the device-independent bitmap that ends its record; nothing is drawn
// when that bitmap cannot be read.
bool WmfParser::pushWithDib(rec::Blt blt, ByteReader& p, uint32_t usage)
{
    blt.source = readDib(p, usage);
    if (!blt.source)
        return false;
    push(std::move(blt));
    return true;
}

bool WmfParser::patBlt(ByteReader& p)
{
    rec::Blt blt;
    blt.rop = p.u32();
    blt.cyDest = p.i16();
    blt.cxDest = p.i16();
    blt.yDest = p.i16();
    blt.xDest = p.i16();
    push(std::move(blt));
    return true;
}

// BITBLT, STRETCHBLT and their DIB forms share one layout: the raster operation, the source
// rectangle (its size only when stretching), a reserved word when no bitmap follows, the
// destination, then the bitmap.
bool WmfParser::bltWithSource(ByteReader& p, bool stretch, bool dib)
{
    const size_t plainWords = size_t(function_ >> 8);
    const bool hasBitmap = p.size() != plainWords * 2;
    rec::Blt blt;
    blt.rop = p.u32();
    if (stretch) {
        blt.cySrc = p.i16();
        blt.cxSrc = p.i16();
    }
    blt.ySrc = p.i16();
    blt.xSrc = p.i16();
    if (!hasBitmap)
        p.u16();
    blt.cyDest = p.i16();
    blt.cxDest = p.i16();
    blt.yDest = p.i16();
    blt.xDest = p.i16();
    if (!stretch) {
        blt.cxSrc = blt.cxDest;
        blt.cySrc = blt.cyDest;
    }
    if (!p.ok())
        return false;
    if (hasBitmap) {
        if (dib) {
            blt.source = readDib(p, DIB_RGB_COLORS);
        } else if (const auto header = wmf::readBitmap16Header(p)) {
            blt.source = wmf::readBitmap16Bits(p, *header);
        }
        if (!blt.source)
            return false;
    }
    push(std::move(blt));
    return true;
}

bool WmfParser::bitBlt(ByteReader& p) { return bltWithSource(p, false, false); }
bool WmfParser::stretchBlt(ByteReader& p) { return bltWithSource(p, true, false); }
bool WmfParser::dibBitBlt(ByteReader& p) { return bltWithSource(p, false, true); }
bool WmfParser::dibStretchBlt(ByteReader& p) { return bltWithSource(p, true, true); }

bool WmfParser::stretchDib(ByteReader& p)
{
    rec::Blt blt;
    blt.rop = p.u32();
    const uint16_t usage = p.u16();
    blt.cySrc = p.i16();
    blt.cxSrc = p.i16();
    blt.ySrc = p.i16();
    blt.xSrc = p.i16();
    blt.cyDest = p.i16();
    blt.cxDest = p.i16();
    blt.yDest = p.i16();
    blt.xDest = p.i16();
    return pushWithDib(std::move(blt), p, usage);
}

bool WmfParser::setDibToDev(ByteReader& p)
{
    rec::Blt blt;
    blt.kind = rec::BltKind::SetDIBitsToDevice;
    const uint16_t usage = p.u16();
    p.u16();  // scan count
    p.u16();  // start scan
    blt.ySrc = p.i16();
    blt.xSrc = p.i16();
    blt.cySrc = blt.cyDest = p.i16();
    blt.cxSrc = blt.cxDest = p.i16();
    blt.yDest = p.i16();
    blt.xDest = p.i16();
    return pushWithDib(std::move(blt), p, usage);
}

} // namespace kv::gdi
