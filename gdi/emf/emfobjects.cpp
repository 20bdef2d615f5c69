// EMF records that create, select and delete objects (pens, brushes, fonts, palettes).
#include "gdi/emf/emfparse.h"

#include "gdi/dib/dib.h"

namespace kv::gdi::emfread {

namespace {

constexpr uint32_t kMaxStyleEntries = 16;  // GDI's own limit for PS_USERSTYLE
constexpr uint32_t kMaxPaletteEntries = 1024;

template <class T> bool create(Context& c, uint32_t index, T object)
{
    return push(c, rec::CreateObject{index, makeObject(std::move(object))});
}

bool selectObject(ByteReader& r, Context& c) { return push(c, rec::SelectObject{r.u32()}); }
bool deleteObject(ByteReader& r, Context& c) { return push(c, rec::DeleteObject{r.u32()}); }
bool selectPalette(ByteReader& r, Context& c) { return push(c, rec::SelectPalette{r.u32()}); }
bool realizePalette(ByteReader&, Context& c) { return push(c, rec::RealizePalette{}); }

bool createPen(ByteReader& r, Context& c)
{
    const uint32_t index = r.u32();
    Pen p;
    p.style = r.u32();
    p.width = r.i32();
    r.i32();  // the y of lopnWidth is unused
    p.color = r.u32();
    return r.ok() && create(c, index, std::move(p));
}

bool createBrush(ByteReader& r, Context& c)
{
    const uint32_t index = r.u32();
    Brush b;
    b.style = r.u32();
    b.color = r.u32();
    b.hatch = r.u32();
    if (b.style != BS_SOLID && b.style != BS_NULL && b.style != BS_HATCHED)
        b.style = BS_SOLID;  // patterns need a bitmap this record cannot carry
    return r.ok() && create(c, index, std::move(b));
}

std::vector<ColorRef> readPaletteEntries(ByteReader& r, uint32_t count)
{
    std::vector<ColorRef> entries;
    if (!r.fits(count, 4) || count > kMaxPaletteEntries)
        return entries;
    entries.reserve(count);
    for (uint32_t i = 0; i < count; ++i) {
        const uint32_t red = r.u8(), green = r.u8(), blue = r.u8(), flags = r.u8();
        entries.push_back(red | green << 8 | blue << 16 | flags << 24);
    }
    return entries;
}

bool createPalette(ByteReader& r, Context& c)
{
    const uint32_t index = r.u32();
    r.u16();  // version
    const uint16_t count = r.u16();
    Palette p;
    p.entries = readPaletteEntries(r, count);
    return r.ok() && create(c, index, std::move(p));
}

bool setPaletteEntries(ByteReader& r, Context& c)
{
    rec::SetPaletteEntries s{r.u32(), r.u32(), {}};
    const uint32_t count = r.u32();
    s.entries = readPaletteEntries(r, count);
    return r.ok() && push(c, std::move(s));
}

bool resizePalette(ByteReader& r, Context& c)
{
    const uint32_t index = r.u32(), entries = r.u32();
    return push(c, rec::ResizePalette{index, entries});
}

bool createFont(ByteReader& r, Context& c)
{
    const uint32_t index = r.u32();
    LogFont f;
    f.height = r.i32(); f.width = r.i32(); f.escapement = r.i32(); f.orientation = r.i32(); f.weight = r.i32();
    f.italic = r.u8(); f.underline = r.u8(); f.strikeOut = r.u8(); f.charSet = r.u8();
    f.outPrecision = r.u8(); f.clipPrecision = r.u8(); f.quality = r.u8(); f.pitchAndFamily = r.u8();
    for (int i = 0; i < 32; ++i) {
        const char16_t ch = r.u16();
        if (ch == 0)
            break;
        f.faceName.push_back(ch);
    }
    return r.ok() && create(c, index, Font{std::move(f)});
}

// A 1-bit brush bitmap with its bits as black (0) and white (1), so that the Dc can paint them
// in the text and background colours.
BitmapPtr monoPattern(Context& c, const ByteReader& record, uint32_t offBmi, uint32_t cbBmi, uint32_t offBits, uint32_t cbBits,
                      uint32_t usage)
{
    BitmapPtr raw = readBitmap(c, record, offBmi, cbBmi, offBits, cbBits, usage, DibMonoAsIndexed);
    if (!raw || raw->image.format() != QImage::Format_Mono)
        return raw;
    QImage mono = raw->image;
    mono.setColorTable({qRgb(0, 0, 0), qRgb(255, 255, 255)});
    auto out = std::make_shared<Bitmap>(*raw);
    out->image = mono.convertToFormat(QImage::Format_RGB32);
    return out;
}

bool createPatternBrush(ByteReader& r, Context& c, bool mono)
{
    const uint32_t index = r.u32(), usage = r.u32();
    const uint32_t offBmi = r.u32(), cbBmi = r.u32(), offBits = r.u32(), cbBits = r.u32();
    if (!r.ok())
        return false;
    Brush b;
    b.style = mono ? BS_PATTERN : BS_DIBPATTERNPT;
    b.monochromePattern = mono;
    b.pattern = mono ? monoPattern(c, r, offBmi, cbBmi, offBits, cbBits, usage)
                     : readBitmap(c, r, offBmi, cbBmi, offBits, cbBits, usage);
    return create(c, index, std::move(b));
}

bool createMonoBrush(ByteReader& r, Context& c) { return createPatternBrush(r, c, true); }
bool createDibBrush(ByteReader& r, Context& c) { return createPatternBrush(r, c, false); }

bool extCreatePen(ByteReader& r, Context& c)
{
    const uint32_t index = r.u32();
    const uint32_t offBmi = r.u32(), cbBmi = r.u32(), offBits = r.u32(), cbBits = r.u32();
    Pen p;
    p.extended = true;
    p.style = r.u32();
    p.width = r.i32();
    p.brushStyle = r.u32();
    p.color = r.u32();
    p.hatch = r.u32();
    const uint32_t entries = r.u32();
    if (!r.ok())
        return false;
    if (entries > 0 && !r.fits(entries, 4))
        return false;  // GDI refuses such a pen; the slot keeps nothing
    if ((p.style & PS_STYLE_MASK) == PS_USERSTYLE && entries > 0) {
        for (uint32_t i = 0; i < std::min(entries, kMaxStyleEntries); ++i)
            p.styleEntries.push_back(r.u32());
    }
    if (p.brushStyle == BS_DIBPATTERN || p.brushStyle == BS_DIBPATTERNPT || p.brushStyle == BS_PATTERN) {
        p.pattern = readBitmap(c, r, offBmi, cbBmi, offBits, cbBits,
                               p.brushStyle == BS_DIBPATTERNPT ? p.color : DIB_RGB_COLORS);
        p.color = 0;
    }
    return create(c, index, std::move(p));
}

constexpr KnownRecord kRecords[] = {
    {37, "SELECTOBJECT", 12, selectObject},
    {38, "CREATEPEN", 28, createPen},
    {39, "CREATEBRUSHINDIRECT", 24, createBrush},
    {40, "DELETEOBJECT", 12, deleteObject},
    {48, "SELECTPALETTE", 12, selectPalette},
    {49, "CREATEPALETTE", 16, createPalette},
    {50, "SETPALETTEENTRIES", 20, setPaletteEntries},
    {51, "RESIZEPALETTE", 16, resizePalette},
    {52, "REALIZEPALETTE", 8, realizePalette},
    {82, "EXTCREATEFONTINDIRECTW", 104, createFont},
    {93, "CREATEMONOBRUSH", 32, createMonoBrush},
    {94, "CREATEDIBPATTERNBRUSHPT", 32, createDibBrush},
    {95, "EXTCREATEPEN", 52, extCreatePen},
};

} // namespace

std::span<const KnownRecord> objectRecords() { return kRecords; }

} // namespace kv::gdi::emfread
