// WMF objects: the object table (lowest free slot first; slot n is EMF index n + 1), pens,
// brushes, fonts, palettes and regions. Regions never reach the player as objects: selecting
// one as the clip or drawing with it becomes a region record of its own.
#include "gdi/text/codepages.h"
#include "gdi/dib/dib.h"
#include "gdi/text/fontmap.h"
#include "gdi/wmf/wmfbitmap16.h"
#include "gdi/wmf/wmfgeometry.h"
#include "gdi/wmf/wmfparser.h"

namespace kv::gdi {

namespace {

// More slots than any real file needs; a file that asks for more is hostile.
constexpr size_t kMaxSlots = 65535;

} // namespace

uint32_t WmfParser::takeSlot()
{
    for (size_t i = 0; i < slots_.size(); ++i)
        if (slots_[i].kind == Slot::Kind::Free)
            return uint32_t(i);
    if (slots_.size() >= kMaxSlots)
        return uint32_t(slots_.size() - 1);  // reuse the last one rather than grow without end
    slots_.emplace_back();
    return uint32_t(slots_.size() - 1);
}

uint32_t WmfParser::addObject(ObjectPtr object)
{
    const uint32_t slot = takeSlot();
    slots_[slot] = Slot{Slot::Kind::Object, {}};
    push(rec::CreateObject{slot + 1, std::move(object)});
    return slot;
}

void WmfParser::addRegion(RegionData region)
{
    const uint32_t slot = takeSlot();
    slots_[slot] = Slot{Slot::Kind::Region, std::move(region)};
}

const RegionData* WmfParser::regionAt(uint16_t slot) const
{
    return slot < slots_.size() && slots_[slot].kind == Slot::Kind::Region ? &slots_[slot].region : nullptr;
}

bool WmfParser::objectAt(uint16_t slot) const
{
    return slot < slots_.size() && slots_[slot].kind == Slot::Kind::Object;
}

bool WmfParser::createPlaceholder(ByteReader&)
{
    addObject(makeObject(Brush{BS_NULL, 0, 0, nullptr, false}));
    return false;
}

bool WmfParser::selectObject(ByteReader& p)
{
    const uint16_t slot = p.u16();
    if (const RegionData* region = regionAt(slot)) {
        push(rec::ExtSelectClipRgn{RGN_COPY, true, *region});
        return true;
    }
    if (!objectAt(slot))
        return false;
    push(rec::SelectObject{uint32_t(slot) + 1});
    return true;
}

bool WmfParser::deleteObject(ByteReader& p)
{
    const uint16_t slot = p.u16();
    if (slot >= slots_.size() || slots_[slot].kind == Slot::Kind::Free)
        return false;
    if (slots_[slot].kind == Slot::Kind::Object)
        push(rec::DeleteObject{uint32_t(slot) + 1});
    if (selectedPalette_ == uint32_t(slot) + 1)
        selectedPalette_.reset();
    slots_[slot] = Slot{};
    return true;
}

bool WmfParser::selectPalette(ByteReader& p)
{
    const uint16_t slot = p.u16();
    if (!objectAt(slot))
        return false;
    selectedPalette_ = uint32_t(slot) + 1;
    push(rec::SelectPalette{uint32_t(slot) + 1});
    return true;
}

bool WmfParser::realizePalette(ByteReader&) { push(rec::RealizePalette{}); return true; }

bool WmfParser::createPenIndirect(ByteReader& p)
{
    Pen pen;
    pen.style = p.u16();
    pen.width = p.i16();
    p.i16();  // the height of the width point is not used
    pen.color = p.u32();
    addObject(makeObject(std::move(pen)));
    return true;
}

bool WmfParser::createBrushIndirect(ByteReader& p)
{
    Brush brush;
    brush.style = p.u16();
    brush.color = p.u32();
    brush.hatch = p.u16();
    // A pattern named here is a handle of the writer's process: nothing to draw with.
    if (brush.style != BS_SOLID && brush.style != BS_NULL && brush.style != BS_HATCHED)
        brush.style = BS_SOLID;
    addObject(makeObject(std::move(brush)));
    return true;
}

bool WmfParser::createFontIndirect(ByteReader& p)
{
    LogFont f;
    f.height = p.i16();
    f.width = p.i16();
    f.escapement = p.i16();
    f.orientation = p.i16();
    f.weight = p.i16();
    f.italic = p.u8();
    f.underline = p.u8();
    f.strikeOut = p.u8();
    f.charSet = p.u8();
    f.outPrecision = p.u8();
    f.clipPrecision = p.u8();
    f.quality = p.u8();
    f.pitchAndFamily = p.u8();
    // Face names are ANSI texts in the font's own charset ("宋体" is GB2312 bytes); names of
    // symbol faces are plain ASCII and must not go through the symbol mapping.
    const std::span<const uint8_t> field = p.bytes(std::min<size_t>(p.remaining(), 32));
    const std::string_view face(reinterpret_cast<const char*>(field.data()),
                                size_t(std::find(field.begin(), field.end(), uint8_t(0)) - field.begin()));
    const bool ascii = std::all_of(face.begin(), face.end(), [](char c) { return uint8_t(c) < 0x80; });
    if (ascii || f.charSet == SYMBOL_CHARSET)
        f.faceName.assign(face.begin(), face.end());
    else
        f.faceName = decodeAnsi(face, f.charSet);
    addObject(makeObject(Font{std::move(f)}));
    return true;
}

bool WmfParser::createPalette(ByteReader& p)
{
    p.u16();  // start (0x0300)
    const uint16_t count = p.u16();
    Palette palette;
    if (p.fits(count, 4)) {
        palette.entries.resize(count);
        for (ColorRef& e : palette.entries)
            e = p.u32();
    }
    addObject(makeObject(std::move(palette)));
    return true;
}

bool WmfParser::setPalEntries(ByteReader& p)
{
    const uint16_t start = p.u16();
    const uint16_t count = p.u16();
    if (!selectedPalette_ || !p.fits(count, 4))
        return false;
    rec::SetPaletteEntries entries{*selectedPalette_, start, std::vector<ColorRef>(count)};
    for (ColorRef& e : entries.entries)
        e = p.u32();
    push(std::move(entries));
    return true;
}

bool WmfParser::resizePalette(ByteReader& p)
{
    const uint16_t count = p.u16();
    if (!selectedPalette_)
        return false;
    push(rec::ResizePalette{*selectedPalette_, count});
    return true;
}

bool WmfParser::createPatternBrush(ByteReader& p)
{
    // Bitmap16 header, its unused 4-byte bits pointer and 18 reserved bytes, then the bits.
    const std::optional<wmf::Bitmap16Header> header = wmf::readBitmap16Header(p);
    p.skip(22);
    BitmapPtr bitmap = header ? wmf::readBitmap16Bits(p, *header) : nullptr;
    if (!bitmap)
        return createPlaceholder(p);
    Brush brush{BS_PATTERN, 0, 0, bitmap, header->bitsPixel == 1};
    addObject(makeObject(std::move(brush)));
    return true;
}

bool WmfParser::dibCreatePatternBrush(ByteReader& p)
{
    const uint16_t style = p.u16();
    const uint16_t usage = p.u16();
    Brush brush;
    // The pattern is a DIB whatever the style says; some writers put a Bitmap16 behind
    // BS_PATTERN, which a DIB header size cannot be mistaken for.
    ByteReader asBitmap16 = p;
    brush.pattern = readDib(p, usage, style == BS_PATTERN ? uint32_t(DibMonoAsIndexed) : 0u);
    brush.style = BS_DIBPATTERNPT;
    // A one-bit BS_PATTERN brush is a monochrome pattern: its bits take the text and
    // background colours, whatever its colour table holds.
    if (brush.pattern && brush.pattern->image.format() == QImage::Format_Mono) {
        auto mono = std::make_shared<Bitmap>(*brush.pattern);
        mono->image.setColorTable({qRgb(0, 0, 0), qRgb(255, 255, 255)});
        mono->image = mono->image.convertToFormat(QImage::Format_RGB32);
        brush.pattern = std::move(mono);
        brush.style = BS_PATTERN;
        brush.monochromePattern = true;
    }
    if (!brush.pattern && style == BS_PATTERN) {
        const std::optional<wmf::Bitmap16Header> header = wmf::readBitmap16Header(asBitmap16);
        brush.pattern = header ? wmf::readBitmap16Bits(asBitmap16, *header) : nullptr;
        brush.style = BS_PATTERN;
        brush.monochromePattern = header && header->bitsPixel == 1;
    }
    if (!brush.pattern)
        return createPlaceholder(p);
    addObject(makeObject(std::move(brush)));
    return true;
}

bool WmfParser::createRegion(ByteReader& p)
{
    p.u16();  // next in chain
    p.i16();  // object type
    p.u32();  // object count
    p.i16();  // region size
    const int16_t scans = p.i16();
    p.i16();  // largest scan
    RegionData region;
    region.bounds = wmf::readRect(p);
    for (int i = 0; i < scans && p.ok(); ++i) {
        const uint16_t count = p.u16();
        const int32_t top = p.i16();
        const int32_t bottom = p.i16();
        if (!p.fits(count, 2))
            break;
        for (uint16_t k = 0; k + 1 < count; k += 2) {
            const int32_t left = p.i16();
            const int32_t right = p.i16();
            if (right > left && bottom > top)
                region.rects.push_back(RectL{left, top, right, bottom});
        }
        if (count & 1)
            p.i16();
        p.u16();  // count again
    }
    addRegion(std::move(region));
    return true;
}

bool WmfParser::selectClipRegion(ByteReader& p)
{
    const uint16_t slot = p.u16();
    const RegionData* region = regionAt(slot);
    if (region)
        push(rec::ExtSelectClipRgn{RGN_COPY, true, *region});
    else
        push(rec::ExtSelectClipRgn{RGN_COPY, false, {}});
    return true;
}

bool WmfParser::regionDraw(uint16_t regionSlot, rec::RegionOp op, uint16_t brushSlot, SizeL frame)
{
    const RegionData* region = regionAt(regionSlot);
    if (!region)
        return false;
    const bool needsBrush = op == rec::RegionOp::Fill || op == rec::RegionOp::Frame;
    if (needsBrush && !objectAt(brushSlot))
        return false;
    push(rec::RegionDraw{op, *region, needsBrush ? uint32_t(brushSlot) + 1 : 0, frame});
    return true;
}

bool WmfParser::fillRegion(ByteReader& p)
{
    const uint16_t region = p.u16();
    const uint16_t brush = p.u16();
    return regionDraw(region, rec::RegionOp::Fill, brush, {});
}

bool WmfParser::frameRegion(ByteReader& p)
{
    const uint16_t region = p.u16();
    const uint16_t brush = p.u16();
    const int32_t height = p.i16();
    const int32_t width = p.i16();
    return regionDraw(region, rec::RegionOp::Frame, brush, SizeL{width, height});
}

bool WmfParser::paintRegion(ByteReader& p) { return regionDraw(p.u16(), rec::RegionOp::Paint, 0, {}); }
bool WmfParser::invertRegion(ByteReader& p) { return regionDraw(p.u16(), rec::RegionOp::Invert, 0, {}); }

} // namespace kv::gdi
