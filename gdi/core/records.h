#pragma once
// gdi/core: what every part of the engine shares: GDI's value types, a parsed page's records,
// GDI objects, handles, and the Device interface the Dc draws through.
//
// A parsed metafile page: the records of an EMF (or of a WMF, translated into their EMF
// equivalents by the WMF reader) in a form that needs no further byte access. Readers make
// these once per page; the player replays them onto a Dc as often as it is asked to.
#include "gdi/core/objects.h"
#include "gdi/core/recordwalk.h"

#include <memory>
#include <string>
#include <variant>
#include <vector>

namespace kv::gdi::rec {

// ---- state -------------------------------------------------------------------------------
// Integer attributes set by one record each.
enum class Attr : uint8_t {
    MapMode, BkMode, PolyFillMode, Rop2, StretchBltMode, TextAlign, GraphicsMode,
    ArcDirection, TextCharExtra, Layout, MapperFlags,
};
struct SetAttr { Attr which; int32_t value; };
struct SetBkColor { ColorRef color; };
struct SetTextColor { ColorRef color; };
struct SetMiterLimit { double limit; };
struct SetBrushOrg { PointL origin; };
struct SetTextJustification { int32_t extra; int32_t count; };

enum class Ext : uint8_t { WindowExt, WindowOrg, ViewportExt, ViewportOrg };
struct SetExtOrg { Ext which; int32_t x, y; };         // SETWINDOWEXTEX etc.
struct OffsetOrg { Ext which; int32_t dx, dy; };       // WMF OFFSETWINDOWORG / OFFSETVIEWPORTORG
struct ScaleExt { Ext which; int32_t xNum, xDenom, yNum, yDenom; };
struct SetWorldTransform { XForm xform; };
struct ModifyWorldTransform { XForm xform; uint32_t mode; };

struct SaveDc {};
struct RestoreDc { int32_t relative; };  // negative: that many levels back; positive: absolute level
struct MoveTo { PointL point; };

// ---- objects ------------------------------------------------------------------------------
// Creating puts an object into the playback's object table at `index`.
struct CreateObject { uint32_t index; ObjectPtr object; };
struct SelectObject { uint32_t index; };   // STOCK_FLAG set: a stock object
struct DeleteObject { uint32_t index; };
struct SelectPalette { uint32_t index; };
struct SetPaletteEntries { uint32_t index; uint32_t start; std::vector<ColorRef> entries; };
struct ResizePalette { uint32_t index; uint32_t entries; };
struct RealizePalette {};

// ---- drawing ------------------------------------------------------------------------------
enum class PolyKind : uint8_t { Polyline, Polygon, PolyBezier, PolyBezierTo, PolylineTo };
struct Poly { PolyKind kind; std::vector<PointL> points; };
enum class PolyPolyKind : uint8_t { PolyPolyline, PolyPolygon };
struct PolyPoly { PolyPolyKind kind; std::vector<uint32_t> counts; std::vector<PointL> points; };
struct PolyDraw { std::vector<PointL> points; std::vector<uint8_t> types; };
struct LineTo { PointL point; };

enum class ShapeKind : uint8_t { Rectangle, Ellipse };
struct Shape { ShapeKind kind; RectL box; };
struct RoundRect { RectL box; SizeL corner; };
enum class ArcKind : uint8_t { Arc, ArcTo, Chord, Pie };
struct ArcShape { ArcKind kind; RectL box; PointL start, end; };
struct AngleArc { PointL center; uint32_t radius; float startAngle, sweepAngle; };
struct SetPixel { PointL point; ColorRef color; };
// EXTFLOODFILL / FLOODFILL: FLOODFILLSURFACE fills the area of `color` around the point,
// FLOODFILLBORDER (surface false) everything up to a border of `color`.
struct FloodFill { PointL point; ColorRef color; bool surface = false; };

enum class RegionOp : uint8_t { Fill, Frame, Paint, Invert };
struct RegionDraw {
    RegionOp op;
    RegionData region;        // in the reference device's units (pixels)
    uint32_t brushIndex = 0;  // Fill and Frame
    SizeL frame;              // Frame: width and height of the strokes
};

// ---- paths --------------------------------------------------------------------------------
enum class PathOp : uint8_t {
    Begin, End, CloseFigure, Abort, Fill, Stroke, StrokeAndFill, Flatten, Widen,
};
struct PathCall { PathOp op; };
struct SelectClipPath { uint32_t mode; };

// ---- clipping -----------------------------------------------------------------------------
struct IntersectClipRect { RectL rect; };
struct ExcludeClipRect { RectL rect; };
struct OffsetClipRgn { PointL offset; };
struct ExtSelectClipRgn { uint32_t mode; bool hasRegion; RegionData region; };  // device units
struct SetMetaRgn {};

// ---- text ---------------------------------------------------------------------------------
struct TextOut {
    PointL reference;
    uint32_t options = 0;          // ETO_*
    RectL rect;                    // opaque/clip rectangle when options ask for it
    bool ansi = false;             // text in `bytes` (the selected font's charset), else `text`
    std::u16string text;
    std::string bytes;
    std::vector<int32_t> dx;       // advances; with ETO_PDY pairs of (dx, dy); empty: natural
    int32_t graphicsMode = GM_COMPATIBLE;  // EMR's iGraphicsMode
    float exScale = 0, eyScale = 0;
};

// ---- bitmaps ------------------------------------------------------------------------------
enum class BltKind : uint8_t { Stretch, Mask, Alpha, Transparent, SetDIBitsToDevice };
struct Blt {
    BltKind kind = BltKind::Stretch;
    int32_t xDest = 0, yDest = 0, cxDest = 0, cyDest = 0;  // logical units
    int32_t xSrc = 0, ySrc = 0, cxSrc = 0, cySrc = 0;      // source pixels
    uint32_t rop = SRCCOPY;                                // ternary raster operation
    BitmapPtr source;                                      // null: no source (PATBLT-like)
    ColorRef srcBkColor = 0xFFFFFF;
    BitmapPtr mask;                                        // MASKBLT
    int32_t xMask = 0, yMask = 0;
    uint32_t blendFunction = 0;                            // ALPHABLEND: BLENDFUNCTION bytes
    ColorRef transparentColor = 0;                         // TRANSPARENTBLT
};

struct Eof {};

using Record = std::variant<
    SetAttr, SetBkColor, SetTextColor, SetMiterLimit, SetBrushOrg, SetTextJustification,
    SetExtOrg, OffsetOrg, ScaleExt, SetWorldTransform, ModifyWorldTransform,
    SaveDc, RestoreDc, MoveTo,
    CreateObject, SelectObject, DeleteObject, SelectPalette, SetPaletteEntries, ResizePalette,
    RealizePalette,
    Poly, PolyPoly, PolyDraw, LineTo, Shape, RoundRect, ArcShape, AngleArc, SetPixel, FloodFill, RegionDraw,
    PathCall, SelectClipPath,
    IntersectClipRect, ExcludeClipRect, OffsetClipRgn, ExtSelectClipRgn, SetMetaRgn,
    TextOut, Blt, Eof>;

} // namespace kv::gdi::rec

namespace kv::gdi {

namespace plus { struct Stream; }

// The EMF header as read (or as the WMF conversion makes it).
struct EmfHeader {
    RectL bounds;             // rclBounds: inclusive, reference-device pixels
    RectL frame;              // rclFrame: inclusive, 0.01 mm
    uint32_t signature = 0x464D4520;
    uint32_t version = 0x10000;
    uint32_t bytes = 0;
    uint32_t records = 0;
    uint16_t handles = 1;
    uint32_t paletteEntries = 0;
    SizeL device;             // szlDevice: reference device, pixels
    SizeL millimeters;        // szlMillimeters: reference device, mm
    SizeL micrometers;        // szlMicrometers when present, else 0
    std::u16string description;
};

// One parsed page. Shared read-only between everyone who shows it.
struct Picture {
    EmfHeader header;
    std::vector<rec::Record> records;
    ParseStats stats;
    bool fromWmf = false;
    // A converted Windows metafile's text without advances is spaced as the conversion measured
    // it, in whole pixels of the reference device: one such pixel in the picture's device units.
    double measuredPixel = 1;
    // The EMF+ records the page's comments carry (null when it has none): see emfplusrecords.h.
    std::shared_ptr<const plus::Stream> plus;
};
using PicturePtr = std::shared_ptr<const Picture>;

} // namespace kv::gdi
