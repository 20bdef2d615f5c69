#pragma once
// Code pages of Windows charsets, for 8-bit metafile text (decodeAnsi in fontmap.h), and the
// Adobe Symbol encoding that the "Symbol" face's private-use characters stand for.
#include <cstdint>

namespace kv::gdi {

// LOGFONT charsets.
enum : uint8_t {
    ANSI_CHARSET = 0, DEFAULT_CHARSET = 1, SYMBOL_CHARSET = 2, MAC_CHARSET = 77, SHIFTJIS_CHARSET = 128,
    HANGUL_CHARSET = 129, JOHAB_CHARSET = 130, GB2312_CHARSET = 134, CHINESEBIG5_CHARSET = 136,
    GREEK_CHARSET = 161, TURKISH_CHARSET = 162, VIETNAMESE_CHARSET = 163, HEBREW_CHARSET = 177,
    ARABIC_CHARSET = 178, BALTIC_CHARSET = 186, RUSSIAN_CHARSET = 204, THAI_CHARSET = 222,
    EASTEUROPE_CHARSET = 238, OEM_CHARSET = 255,
};

// The Unicode character of a byte of the Adobe Symbol encoding (0x20..0xFE); 0 where the
// encoding has nothing.
char16_t adobeSymbolToUnicode(uint8_t byte);

// The Unicode character of a Wingdings byte for the symbols documents mostly use it for
// (bullets, check marks, boxes, arrows); 0 for the others.
char16_t wingdingsToUnicode(uint8_t byte);

// Windows-1252, the code page of ANSI_CHARSET: Latin-1 except 0x80..0x9F.
char16_t cp1252ToUnicode(uint8_t byte);

} // namespace kv::gdi
