#pragma once
// GDI objects as immutable values. A metafile's object table and a Dc's selection hold them
// through shared pointers, so selecting never copies pixels and a deleted table slot never
// pulls an object out from under a Dc that still has it selected (GDI's own rule).
#include "gdi/core/types.h"

#include <QImage>
#include <memory>
#include <string>
#include <variant>
#include <vector>

namespace kv::gdi {

// A decoded bitmap together with the packed DIB it came from (recorders may re-use the bytes).
struct Bitmap {
    QImage image;                 // Format_ARGB32 or Format_RGB32; null when it could not be decoded
    std::vector<uint8_t> packedDib;  // BITMAPINFO + bits as read; may be empty
};
using BitmapPtr = std::shared_ptr<const Bitmap>;

struct LogFont {
    int32_t height = 0;       // < 0: character height; > 0: cell height; 0: default size (logical units)
    int32_t width = 0;        // average character width, 0 = natural
    int32_t escapement = 0;   // tenths of a degree, counter-clockwise
    int32_t orientation = 0;
    int32_t weight = 400;
    uint8_t italic = 0, underline = 0, strikeOut = 0, charSet = 0;
    uint8_t outPrecision = 0, clipPrecision = 0, quality = 0, pitchAndFamily = 0;
    std::u16string faceName;
};

struct Pen {
    uint32_t style = PS_SOLID;  // PS_* style | end cap | join | PS_GEOMETRIC
    int32_t width = 0;          // logical units; 0 = one device pixel
    ColorRef color = 0;
    bool extended = false;      // made by EXTCREATEPEN (width and caps honoured as geometric)
    uint32_t brushStyle = BS_SOLID;  // extended pens may paint with a hatch or pattern
    uint32_t hatch = 0;
    BitmapPtr pattern;
    std::vector<uint32_t> styleEntries;  // PS_USERSTYLE dash/gap lengths (logical units)
};

struct Brush {
    uint32_t style = BS_SOLID;  // BS_SOLID, BS_NULL, BS_HATCHED, BS_PATTERN, BS_DIBPATTERNPT
    ColorRef color = 0;
    uint32_t hatch = 0;
    BitmapPtr pattern;          // BS_PATTERN / BS_DIBPATTERN*
    bool monochromePattern = false;  // a 1-bit pattern takes the text and background colours
};

struct Font {
    LogFont logFont;
};

struct Palette {
    std::vector<ColorRef> entries;  // PALETTEENTRY packed as 0xFFBBGGRR (flags in the high byte)
};

using GdiObject = std::variant<Pen, Brush, Font, Palette>;
using ObjectPtr = std::shared_ptr<const GdiObject>;

template <class T> ObjectPtr makeObject(T value) { return std::make_shared<const GdiObject>(std::move(value)); }

// The stock objects of a fresh DC, made once per process.
ObjectPtr stockObject(uint32_t index);  // index without STOCK_FLAG; null for unknown ones

} // namespace kv::gdi
