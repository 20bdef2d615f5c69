// 8-bit text of metafiles in the code page of its font's charset. Windows-1252 is by far the
// most common and is decoded by table; the other code pages go through the C library's iconv
// (glibc ships all Windows code pages), with one converter kept open per code page.
#include "gdi/text/codepages.h"
#include "gdi/text/fontmap.h"

#include <array>
#include <cstring>
#include <cerrno>
#include <iconv.h>
#include <unordered_map>

namespace kv::gdi {

namespace {

constexpr std::array<char16_t, 32> kCp1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

// Adobe Symbol encoding from 0x20 to 0xFF. Glyphs the encoding keeps in Apple's private area
// (serif/sans copyright signs, arrow extenders) take their ordinary Unicode equivalents, so a
// Unicode font draws them.
constexpr std::array<char16_t, 224> kAdobeSymbol = {
    // 0x20
    0x0020, 0x0021, 0x2200, 0x0023, 0x2203, 0x0025, 0x0026, 0x220B,
    0x0028, 0x0029, 0x2217, 0x002B, 0x002C, 0x2212, 0x002E, 0x002F,
    // 0x30
    0x0030, 0x0031, 0x0032, 0x0033, 0x0034, 0x0035, 0x0036, 0x0037,
    0x0038, 0x0039, 0x003A, 0x003B, 0x003C, 0x003D, 0x003E, 0x003F,
    // 0x40
    0x2245, 0x0391, 0x0392, 0x03A7, 0x0394, 0x0395, 0x03A6, 0x0393,
    0x0397, 0x0399, 0x03D1, 0x039A, 0x039B, 0x039C, 0x039D, 0x039F,
    // 0x50
    0x03A0, 0x0398, 0x03A1, 0x03A3, 0x03A4, 0x03A5, 0x03C2, 0x03A9,
    0x039E, 0x03A8, 0x0396, 0x005B, 0x2234, 0x005D, 0x22A5, 0x005F,
    // 0x60
    0x203E, 0x03B1, 0x03B2, 0x03C7, 0x03B4, 0x03B5, 0x03C6, 0x03B3,
    0x03B7, 0x03B9, 0x03D5, 0x03BA, 0x03BB, 0x03BC, 0x03BD, 0x03BF,
    // 0x70
    0x03C0, 0x03B8, 0x03C1, 0x03C3, 0x03C4, 0x03C5, 0x03D6, 0x03C9,
    0x03BE, 0x03C8, 0x03B6, 0x007B, 0x007C, 0x007D, 0x223C, 0x0000,
    // 0x80
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
    // 0x90
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
    // 0xA0
    0x20AC, 0x03D2, 0x2032, 0x2264, 0x2044, 0x221E, 0x0192, 0x2663,
    0x2666, 0x2665, 0x2660, 0x2194, 0x2190, 0x2191, 0x2192, 0x2193,
    // 0xB0
    0x00B0, 0x00B1, 0x2033, 0x2265, 0x00D7, 0x221D, 0x2202, 0x2022,
    0x00F7, 0x2260, 0x2261, 0x2248, 0x2026, 0x23D0, 0x23AF, 0x21B5,
    // 0xC0
    0x2135, 0x2111, 0x211C, 0x2118, 0x2297, 0x2295, 0x2205, 0x2229,
    0x222A, 0x2283, 0x2287, 0x2284, 0x2282, 0x2286, 0x2208, 0x2209,
    // 0xD0
    0x2220, 0x2207, 0x00AE, 0x00A9, 0x2122, 0x220F, 0x221A, 0x22C5,
    0x00AC, 0x2227, 0x2228, 0x21D4, 0x21D0, 0x21D1, 0x21D2, 0x21D3,
    // 0xE0
    0x25CA, 0x2329, 0x00AE, 0x00A9, 0x2122, 0x2211, 0x239B, 0x239C,
    0x239D, 0x23A1, 0x23A2, 0x23A3, 0x23A7, 0x23A8, 0x23A9, 0x23AA,
    // 0xF0
    0x0000, 0x232A, 0x222B, 0x2320, 0x23AE, 0x2321, 0x239E, 0x239F,
    0x23A0, 0x23A4, 0x23A5, 0x23A6, 0x23AB, 0x23AC, 0x23AD, 0x0000,
};

struct WingdingsGlyph {
    uint8_t byte;
    char16_t unicode;
};

constexpr std::array<WingdingsGlyph, 27> kWingdings = {{
    {0x21, 0x270F}, {0x22, 0x2702}, {0x28, 0x260E}, {0x2A, 0x2709}, {0x46, 0x261E}, {0x4A, 0x263A},
    {0x4C, 0x2639}, {0x6C, 0x25CF}, {0x6E, 0x25A0}, {0x6F, 0x25A1}, {0x71, 0x2751}, {0x75, 0x25C6},
    {0x76, 0x2756}, {0xA1, 0x25CB}, {0xA7, 0x25AA}, {0xA8, 0x25FB}, {0xD8, 0x27A2}, {0xE8, 0x2794},
    {0xEF, 0x21E6}, {0xF0, 0x21E8}, {0xF1, 0x21E7}, {0xF2, 0x21E9}, {0xFB, 0x2717}, {0xFC, 0x2714},
    {0xFD, 0x2612}, {0xFE, 0x2611}, {0x9F, 0x2022},
}};

// The iconv name of a charset's code page; null where Windows-1252 applies.
const char* codePageOf(uint8_t charSet)
{
    switch (charSet) {
    case EASTEUROPE_CHARSET: return "CP1250";
    case RUSSIAN_CHARSET: return "CP1251";
    case GREEK_CHARSET: return "CP1253";
    case TURKISH_CHARSET: return "CP1254";
    case HEBREW_CHARSET: return "CP1255";
    case ARABIC_CHARSET: return "CP1256";
    case BALTIC_CHARSET: return "CP1257";
    case VIETNAMESE_CHARSET: return "CP1258";
    case THAI_CHARSET: return "CP874";
    case SHIFTJIS_CHARSET: return "CP932";
    case GB2312_CHARSET: return "GBK";
    case HANGUL_CHARSET: return "UHC";
    case JOHAB_CHARSET: return "JOHAB";
    case CHINESEBIG5_CHARSET: return "BIG5";
    case MAC_CHARSET: return "MACINTOSH";
    case OEM_CHARSET: return "IBM437";
    default: return nullptr;
    }
}

// A converter carries its shift state between calls, so threads cannot share one: each thread
// opens its own per code page on first use, and closes them when it ends.
class ThreadConverters {
public:
    ThreadConverters() = default;
    ThreadConverters(const ThreadConverters&) = delete;
    ThreadConverters& operator=(const ThreadConverters&) = delete;
    ~ThreadConverters()
    {
        for (const auto& [codePage, cd] : converters_)
            if (cd != iconv_t(-1))
                iconv_close(cd);
    }

    // (iconv_t)-1 when the C library lacks the code page.
    iconv_t of(const char* codePage)
    {
        auto [it, inserted] = converters_.try_emplace(codePage, iconv_t(-1));
        if (inserted)
            it->second = iconv_open("UTF-16LE", codePage);
        return it->second;
    }

private:
    std::unordered_map<const char*, iconv_t> converters_;
};

iconv_t converterFor(const char* codePage)
{
    thread_local ThreadConverters converters;
    return converters.of(codePage);
}

std::u16string decodeLatin1(std::string_view bytes)
{
    std::u16string out(bytes.size(), u'\0');
    for (size_t i = 0; i < bytes.size(); ++i)
        out[i] = char16_t(uint8_t(bytes[i]));
    return out;
}

// Bytes the code page cannot decode become U+FFFD, one per byte, and decoding goes on.
std::u16string decodeWithIconv(iconv_t cd, std::string_view bytes)
{
    std::u16string out(bytes.size() + 1, u'\0');  // no code page yields more units than bytes
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    char* in = const_cast<char*>(bytes.data());
    size_t inLeft = bytes.size();
    char* outPtr = reinterpret_cast<char*>(out.data());
    size_t outLeft = out.size() * sizeof(char16_t);
    while (inLeft > 0) {
        if (iconv(cd, &in, &inLeft, &outPtr, &outLeft) != size_t(-1))
            break;
        if (errno == E2BIG || outLeft < sizeof(char16_t))
            break;
        // An invalid or incomplete sequence: replace one byte and carry on.
        const char16_t replacement = u'\uFFFD';
        std::memcpy(outPtr, &replacement, sizeof replacement);
        outPtr += sizeof replacement;
        outLeft -= sizeof replacement;
        ++in;
        --inLeft;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
    out.resize((outPtr - reinterpret_cast<char*>(out.data())) / sizeof(char16_t));
    return out;
}

} // namespace

char16_t adobeSymbolToUnicode(uint8_t byte)
{
    return byte < 0x20 ? 0 : kAdobeSymbol[byte - 0x20];
}

char16_t wingdingsToUnicode(uint8_t byte)
{
    for (const WingdingsGlyph& g : kWingdings)
        if (g.byte == byte)
            return g.unicode;
    return 0;
}

char16_t cp1252ToUnicode(uint8_t byte)
{
    return byte >= 0x80 && byte < 0xA0 ? kCp1252High[byte - 0x80] : char16_t(byte);
}

std::u16string decodeAnsi(std::string_view bytes, uint8_t charSet)
{
    if (charSet == SYMBOL_CHARSET) {
        std::u16string out(bytes.size(), u'\0');
        for (size_t i = 0; i < bytes.size(); ++i)
            out[i] = char16_t(0xF000 + uint8_t(bytes[i]));
        return out;
    }
    if (const char* codePage = codePageOf(charSet)) {
        iconv_t cd = converterFor(codePage);
        return cd == iconv_t(-1) ? decodeLatin1(bytes) : decodeWithIconv(cd, bytes);
    }
    std::u16string out(bytes.size(), u'\0');
    for (size_t i = 0; i < bytes.size(); ++i)
        out[i] = cp1252ToUnicode(uint8_t(bytes[i]));
    return out;
}

} // namespace kv::gdi
