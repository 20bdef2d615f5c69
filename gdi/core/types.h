#pragma once
// Plain GDI value types and the constants the metafile formats use. Coordinates are the
// formats' own signed 32-bit integers; colours are Windows colour references 0x00BBGGRR.
#include <QRgb>
#include <cstdint>
#include <string>
#include <vector>

namespace kv::gdi {

struct PointL { int32_t x = 0, y = 0; };
struct SizeL { int32_t cx = 0, cy = 0; };
struct RectL {
    int32_t left = 0, top = 0, right = 0, bottom = 0;
    bool isEmpty() const { return right <= left || bottom <= top; }
};

using ColorRef = uint32_t;  // 0x00BBGGRR; the high byte may carry palette flags (0x01, 0x02)

inline int redOf(ColorRef c) { return int(c & 0xFF); }
inline int greenOf(ColorRef c) { return int((c >> 8) & 0xFF); }
inline int blueOf(ColorRef c) { return int((c >> 16) & 0xFF); }
inline QRgb toQRgb(ColorRef c) { return qRgb(redOf(c), greenOf(c), blueOf(c)); }
inline ColorRef fromQRgb(QRgb c) { return ColorRef(qRed(c)) | ColorRef(qGreen(c)) << 8 | ColorRef(qBlue(c)) << 16; }

// A world transform: x' = x*eM11 + y*eM21 + eDx, y' = x*eM12 + y*eM22 + eDy.
struct XForm {
    double eM11 = 1, eM12 = 0, eM21 = 0, eM22 = 1, eDx = 0, eDy = 0;
};

// A region as GDI keeps it: a list of non-overlapping rectangles (right/bottom exclusive).
struct RegionData {
    RectL bounds;
    std::vector<RectL> rects;
};

// Map modes.
enum : int32_t {
    MM_TEXT = 1, MM_LOMETRIC = 2, MM_HIMETRIC = 3, MM_LOENGLISH = 4, MM_HIENGLISH = 5,
    MM_TWIPS = 6, MM_ISOTROPIC = 7, MM_ANISOTROPIC = 8,
};
// Background modes, fill modes, graphics modes, arc directions.
enum : int32_t { TRANSPARENT = 1, OPAQUE = 2 };
enum : int32_t { ALTERNATE = 1, WINDING = 2 };
enum : int32_t { GM_COMPATIBLE = 1, GM_ADVANCED = 2 };
enum : int32_t { AD_COUNTERCLOCKWISE = 1, AD_CLOCKWISE = 2 };
enum : uint32_t { FLOODFILLBORDER = 0, FLOODFILLSURFACE = 1 };
// ModifyWorldTransform modes.
enum : uint32_t { MWT_IDENTITY = 1, MWT_LEFTMULTIPLY = 2, MWT_RIGHTMULTIPLY = 3, MWT_SET = 4 };
// Region combination modes.
enum : uint32_t { RGN_AND = 1, RGN_OR = 2, RGN_XOR = 3, RGN_DIFF = 4, RGN_COPY = 5 };
// Text alignment flags.
enum : uint32_t {
    TA_NOUPDATECP = 0, TA_UPDATECP = 1, TA_LEFT = 0, TA_RIGHT = 2, TA_CENTER = 6,
    TA_TOP = 0, TA_BOTTOM = 8, TA_BASELINE = 24, TA_RTLREADING = 256,
};
// ExtTextOut options.
enum : uint32_t {
    ETO_OPAQUE = 0x0002, ETO_CLIPPED = 0x0004, ETO_GLYPH_INDEX = 0x0010,
    ETO_RTLREADING = 0x0080, ETO_NO_RECT = 0x0100, ETO_PDY = 0x2000,
};
// Pen styles (low nibble), end caps, joins and types of extended pens.
enum : uint32_t {
    PS_SOLID = 0, PS_DASH = 1, PS_DOT = 2, PS_DASHDOT = 3, PS_DASHDOTDOT = 4, PS_NULL = 5,
    PS_INSIDEFRAME = 6, PS_USERSTYLE = 7, PS_ALTERNATE = 8, PS_STYLE_MASK = 0x0F,
    PS_ENDCAP_ROUND = 0x000, PS_ENDCAP_SQUARE = 0x100, PS_ENDCAP_FLAT = 0x200, PS_ENDCAP_MASK = 0xF00,
    PS_JOIN_ROUND = 0x0000, PS_JOIN_BEVEL = 0x1000, PS_JOIN_MITER = 0x2000, PS_JOIN_MASK = 0xF000,
    PS_COSMETIC = 0x00000, PS_GEOMETRIC = 0x10000, PS_TYPE_MASK = 0xF0000,
};
// Brush styles and hatch styles.
enum : uint32_t {
    BS_SOLID = 0, BS_NULL = 1, BS_HATCHED = 2, BS_PATTERN = 3, BS_INDEXED = 4,
    BS_DIBPATTERN = 5, BS_DIBPATTERNPT = 6, BS_PATTERN8X8 = 7, BS_DIBPATTERN8X8 = 8,
};
enum : uint32_t {
    HS_HORIZONTAL = 0, HS_VERTICAL = 1, HS_FDIAGONAL = 2, HS_BDIAGONAL = 3, HS_CROSS = 4, HS_DIAGCROSS = 5,
};
// Binary raster operations (ROP2).
enum : int32_t {
    R2_BLACK = 1, R2_NOTMERGEPEN = 2, R2_MASKNOTPEN = 3, R2_NOTCOPYPEN = 4, R2_MASKPENNOT = 5,
    R2_NOT = 6, R2_XORPEN = 7, R2_NOTMASKPEN = 8, R2_MASKPEN = 9, R2_NOTXORPEN = 10, R2_NOP = 11,
    R2_MERGENOTPEN = 12, R2_COPYPEN = 13, R2_MERGEPENNOT = 14, R2_MERGEPEN = 15, R2_WHITE = 16,
};
// Ternary raster operations used by name.
enum : uint32_t {
    SRCCOPY = 0x00CC0020, SRCPAINT = 0x00EE0086, SRCAND = 0x008800C6, SRCINVERT = 0x00660046,
    PATCOPY = 0x00F00021, BLACKNESS = 0x00000042, WHITENESS = 0x00FF0062, DSTINVERT = 0x00550009,
};
// Stretch modes.
enum : int32_t { BLACKONWHITE = 1, WHITEONBLACK = 2, COLORONCOLOR = 3, HALFTONE = 4 };
// Stock objects (an object index with the high bit set names one of these).
enum : uint32_t {
    STOCK_FLAG = 0x80000000u,
    WHITE_BRUSH = 0, LTGRAY_BRUSH = 1, GRAY_BRUSH = 2, DKGRAY_BRUSH = 3, BLACK_BRUSH = 4,
    NULL_BRUSH = 5, WHITE_PEN = 6, BLACK_PEN = 7, NULL_PEN = 8, OEM_FIXED_FONT = 10,
    ANSI_FIXED_FONT = 11, ANSI_VAR_FONT = 12, SYSTEM_FONT = 13, DEVICE_DEFAULT_FONT = 14,
    DEFAULT_PALETTE = 15, SYSTEM_FIXED_FONT = 16, DEFAULT_GUI_FONT = 17, DC_BRUSH = 18, DC_PEN = 19,
};
// DIB colour usage.
enum : uint32_t { DIB_RGB_COLORS = 0, DIB_PAL_COLORS = 1 };

// What a device reports of itself, in the terms of GetDeviceCaps.
struct DeviceCaps {
    int32_t horzRes = 0, vertRes = 0;        // pixels (HORZRES, VERTRES)
    int32_t horzSizeMm = 0, vertSizeMm = 0;  // millimetres (HORZSIZE, VERTSIZE)
    int32_t logPixelsX = 96, logPixelsY = 96;
    int32_t physicalWidth = 0, physicalHeight = 0;  // pixels; 0 for non-printers
    int32_t offsetX = 0, offsetY = 0;               // printing offset, pixels
};

} // namespace kv::gdi
