// EMF text records: EXTTEXTOUTW/A, POLYTEXTOUTW/A and SMALLTEXTOUT.
#include "gdi/emf/emfparse.h"

namespace kv::gdi::emfread {

namespace {

constexpr uint32_t ETO_SMALL_CHARS = 0x0200;
constexpr uint32_t kMaxChars = 1 << 20;

struct TextHead {
    int32_t graphicsMode = GM_COMPATIBLE;
    float exScale = 0, eyScale = 0;
};

TextHead readTextHead(ByteReader& r)
{
    TextHead h;
    h.graphicsMode = r.i32();
    h.exScale = r.f32();
    h.eyScale = r.f32();
    return h;
}

// One EMRTEXT at the reader's position; its string and advances lie at offsets from the
// start of the record.
bool readEmrText(ByteReader& r, const TextHead& head, bool ansi, Context& c)
{
    rec::TextOut t;
    t.graphicsMode = head.graphicsMode;
    t.exScale = head.exScale;
    t.eyScale = head.eyScale;
    t.ansi = ansi;
    t.reference = readPoint(r);
    const uint32_t chars = r.u32(), offString = r.u32();
    t.options = r.u32();
    if (!(t.options & ETO_NO_RECT))
        t.rect = readRect(r);
    const uint32_t offDx = r.u32();
    if (!r.ok() || chars > kMaxChars)
        return false;
    ByteReader text = r.sub(offString, size_t(chars) * (ansi ? 1 : 2));
    if (!text.ok())
        return false;
    if (ansi) {
        const auto bytes = text.bytes(chars);
        t.bytes.assign(bytes.begin(), bytes.end());
    } else {
        t.text.resize(chars);
        for (char16_t& ch : t.text)
            ch = text.u16();
    }
    const size_t dxCount = size_t(chars) * ((t.options & ETO_PDY) ? 2 : 1);
    ByteReader dx = r.sub(offDx, dxCount * 4);
    if (offDx != 0 && dx.ok()) {
        t.dx.resize(dxCount);
        for (int32_t& d : t.dx)
            d = dx.i32();
    }
    return push(c, std::move(t));
}

template <bool Ansi> bool extTextOut(ByteReader& r, Context& c)
{
    readRect(r);  // rclBounds
    const TextHead head = readTextHead(r);
    return readEmrText(r, head, Ansi, c);
}

template <bool Ansi> bool polyTextOut(ByteReader& r, Context& c)
{
    readRect(r);
    const TextHead head = readTextHead(r);
    const uint32_t strings = r.u32();
    if (!r.ok() || !r.fits(strings, 36))
        return false;
    for (uint32_t i = 0; i < strings; ++i)
        if (!readEmrText(r, head, Ansi, c))
            return i > 0;
    return true;
}

bool smallTextOut(ByteReader& r, Context& c)
{
    rec::TextOut t;
    t.reference = readPoint(r);
    const uint32_t chars = r.u32();
    t.options = r.u32();
    const TextHead head = readTextHead(r);
    t.graphicsMode = head.graphicsMode;
    t.exScale = head.exScale;
    t.eyScale = head.eyScale;
    if (!(t.options & ETO_NO_RECT))
        t.rect = readRect(r);
    const bool small = t.options & ETO_SMALL_CHARS;
    if (!r.ok() || chars > kMaxChars || !r.fits(chars, small ? 1 : 2))
        return false;
    t.text.resize(chars);
    for (char16_t& ch : t.text)
        ch = small ? char16_t(r.u8()) : char16_t(r.u16());
    t.options &= ~ETO_SMALL_CHARS;
    return push(c, std::move(t));
}

constexpr KnownRecord kRecords[] = {
    {83, "EXTTEXTOUTA", 60, extTextOut<true>},
    {84, "EXTTEXTOUTW", 60, extTextOut<false>},
    {96, "POLYTEXTOUTA", 40, polyTextOut<true>},
    {97, "POLYTEXTOUTW", 40, polyTextOut<false>},
    {108, "SMALLTEXTOUT", 36, smallTextOut},
};

} // namespace

std::span<const KnownRecord> textRecords() { return kRecords; }

} // namespace kv::gdi::emfread
