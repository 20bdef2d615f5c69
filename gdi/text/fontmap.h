#pragma once
// gdi/text: Windows fonts and code pages on Linux.
//
// Windows fonts on Linux: a LOGFONT becomes a Qt font of the metric-compatible family
// (Arial -> Liberation Sans, Times New Roman -> Liberation Serif, Courier New -> Liberation
// Mono, Calibri -> Carlito, Cambria -> Caladea, others through fontconfig), sized the way GDI
// reads the height: negative = character (em) height, positive = cell height, 0 = default.
// Resolved fonts are cached: resolving the same LOGFONT at the same size is cheap.
#include "gdi/core/objects.h"

#include <QFont>
#include <QRawFont>
#include <memory>
#include <string>
#include <string_view>

namespace kv::gdi {

struct ResolvedFont {
    QFont font;            // pixel size in device pixels; stretch applied for lfWidth
    QRawFont raw;          // the same face at the same size, for positioned glyph runs
    double ascent = 0;     // device pixels
    double descent = 0;
    double internalLeading = 0;
    double widthScale = 1; // horizontal stretch asked by lfWidth (1 = natural)
    double averageWidth = 0;  // the face's average character width at this em, unstretched (device pixels)
    bool underline = false, strikeOut = false;
    bool symbol = false;   // SYMBOL_CHARSET or a symbol face: text maps to the private-use area
    bool wingdings = false;    // the "Wingdings" face: its common symbols map to Unicode ones
    bool adobeSymbol = false;  // the "Symbol" face drawn by a Unicode font: bytes map to its Greek and maths
    LogFont deviceLogFont; // the LOGFONT re-expressed in device pixels (height, width)

    // The character to look up in `raw` for a character of the text: symbol text (U+F020..
    // U+F0FF, or plain bytes for the Symbol face) becomes what the substitute face has.
    char16_t drawnChar(char16_t c) const;

    // Natural advance of a character in device pixels (width scale included).
    double advance(char16_t c) const;
    double textWidth(std::u16string_view text) const;
};
using ResolvedFontPtr = std::shared_ptr<const ResolvedFont>;

// `deviceHeight` and `deviceWidth` are lfHeight and lfWidth already scaled into device pixels
// (sign of the height kept: negative = em height, positive = cell height, 0 = default size).
ResolvedFontPtr resolveFont(const LogFont& logFont, double deviceHeight, double deviceWidth);

// Registers the Windows-compatible faces with Qt's font database. Resolving a font does it on
// first use; a program that renders on several threads calls it first, on the main thread.
void loadCompatibleFaces();

// The family we draw a Windows face name with.
QString substituteFamily(std::u16string_view windowsFace);

// ANSI text of EXTTEXTOUTA / WMF TEXTOUT, decoded in the code page of a LOGFONT charset.
std::u16string decodeAnsi(std::string_view bytes, uint8_t charSet);

} // namespace kv::gdi
