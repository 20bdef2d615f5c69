#pragma once
// The EMF+ stream of a page: the GDI+ records that EMR_COMMENT records carry, parsed once into
// values the EMF+ player replays. Geometry stays in the record's own world units; objects are
// complete (continued objects joined) and shared read-only.
#include "gdi/core/records.h"

#include <QColor>
#include <QImage>
#include <QPainterPath>
#include <QPolygonF>
#include <QRectF>
#include <QTransform>
#include <memory>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace kv::gdi::plus {

// GDI+ units (UnitType): the page unit, pen widths, font sizes, image source rectangles.
enum Unit : uint32_t {
    UnitWorld = 0, UnitDisplay = 1, UnitPixel = 2, UnitPoint = 3, UnitInch = 4, UnitDocument = 5,
    UnitMillimeter = 6,
};

struct GradientStop { double position; QColor color; };

struct Brush {
    enum class Kind : uint8_t { Solid, Hatch, Texture, PathGradient, LinearGradient };
    Kind kind = Kind::Solid;
    QColor color;                    // Solid; hatch lines; the centre of a path gradient
    QColor back;                     // hatch gaps
    uint32_t hatch = 0;              // HatchStyle
    QRectF rect;                     // linear gradient: start at the left edge, end at the right
    std::vector<GradientStop> stops; // gradients, in 0..1 along the gradient
    QTransform transform;            // brush space -> world
    int32_t wrap = 0;                // WrapMode
    QPainterPath boundary;           // path gradient: its outline
    QPointF center;                  // path gradient
    std::vector<QColor> surround;    // path gradient: the colour at each boundary point (the last repeats)
    QImage texture;                  // Texture (null when its image was not a bitmap)
    // The one colour a device that has no gradients paints with.
    QColor representative() const;
};

// A custom line cap (GDI+'s CustomLineCap and AdjustableArrowCap) in pen widths: y runs along
// the line and out of its end, the line's end point at the origin.
struct CustomCap {
    QPainterPath fill;               // filled with the pen's colour
    QPainterPath line;               // stroked with the pen
    double inset = 0;                // widths the line stops short of its end
};

struct Pen {
    double width = 1;                // in `unit`
    uint32_t unit = UnitWorld;
    QTransform transform;            // the pen's own transform (applied to its width)
    Qt::PenCapStyle cap = Qt::FlatCap;
    Qt::PenJoinStyle join = Qt::MiterJoin;
    double miterLimit = 10;
    int32_t lineStyle = 0;           // LineStyle: solid, dash, dot, dash-dot, dash-dot-dot, custom
    std::vector<double> dashes;      // custom dash pattern, in widths
    double dashOffset = 0;
    std::optional<CustomCap> startCap, endCap;
    Brush brush;
};

struct Path { QPainterPath path; };

// A region as GDI+ builds it: a tree of combined rectangles and paths, flattened here into an
// area (with `infinite` for the whole plane, which no path can hold).
struct Region { QPainterPath area; bool infinite = false; };

struct Image {
    QImage bitmap;                   // a raster image (ARGB32); null for a metafile
    PicturePtr metafile;             // a nested EMF or WMF
    QRectF bounds;                   // the image's own units: pixels of a bitmap, frame of a metafile
};

struct Font {
    double emSize = 0;
    uint32_t unit = UnitWorld;
    int32_t style = 0;               // FontStyle: 1 bold, 2 italic, 4 underline, 8 strikeout
    std::u16string family;
};

struct StringFormat {
    uint32_t flags = 0;              // StringFormatFlags
    uint32_t align = 0;              // StringAlignment near, center, far (along the line)
    uint32_t lineAlign = 0;          // the same across the lines
    double leadingMargin = 1.0 / 6;  // ems kept free before and after each line
    double trailingMargin = 1.0 / 6;
};

struct ImageAttributes {};

using Object = std::variant<Brush, Pen, Path, Region, Image, Font, StringFormat, ImageAttributes>;
using ObjectPtr = std::shared_ptr<const Object>;

// A brush given by a record: an ARGB colour of its own, or an object of the table.
struct BrushRef {
    bool solid = false;
    QColor color;
    uint8_t id = 0;
};

// What a fill or stroke draws: a shape in world units, or a path or region object.
struct ShapeRef {
    QPainterPath shape;
    std::optional<uint8_t> pathId;   // a path object (FillPath, DrawPath)
    std::optional<uint8_t> regionId; // a region object (FillRegion)
};

namespace rec {

struct DefineObject { uint8_t id; ObjectPtr object; };
struct Clear { QColor color; };
struct Fill { ShapeRef shape; BrushRef brush; Qt::FillRule rule = Qt::OddEvenFill; };
struct Stroke { ShapeRef shape; uint8_t penId; };
struct DrawImage {
    uint8_t imageId;
    uint32_t srcUnit;
    QRectF src;                      // source rectangle in srcUnit
    QPolygonF dest;                  // upper-left, upper-right and lower-left corners, world units
};
struct DrawString {
    uint8_t fontId;
    BrushRef brush;
    uint32_t formatId;               // 0xFFFFFFFF or unknown: the default format
    std::u16string text;
    QRectF layout;                   // world units; an empty size lays out from the corner
};
struct DrawDriverString {
    uint8_t fontId;
    BrushRef brush;
    uint32_t options;                // DriverStringOptions
    std::u16string text;
    std::vector<QPointF> positions;  // one per character, or the first alone (realized advance)
    std::optional<QTransform> transform;
};

enum class Setting : uint8_t { AntiAlias, TextHint, Compositing, PixelOffset, Interpolation, CompositingQuality };
struct Set { Setting which; uint32_t value; };

enum class TransformOp : uint8_t { Set, Reset, Multiply };
struct Transform { TransformOp op; QTransform matrix; bool append = false; };
struct PageTransform { uint32_t unit; double scale; };

enum class StateOp : uint8_t { Save, Restore, BeginContainer, EndContainer };
struct State {
    StateOp op;
    uint32_t index;
    std::optional<QTransform> container;  // BeginContainer with rectangles: source -> destination
};

enum class ClipOp : uint8_t { Reset, Rect, Path, Region, Offset };
struct Clip {
    ClipOp op = ClipOp::Reset;
    uint32_t combine = 0;            // CombineMode
    QRectF rect;                     // Rect
    uint8_t id = 0;                  // Path, Region
    QPointF offset;                  // Offset
};

struct GetDc {};

using Record = std::variant<DefineObject, Clear, Fill, Stroke, DrawImage, DrawString, DrawDriverString, Set,
                            Transform, PageTransform, State, Clip, GetDc>;

} // namespace rec

// One record and where it stands among the page's GDI records: the number of GDI records
// read before the comment that carried it.
struct Entry {
    size_t gdiIndex;
    rec::Record record;
};

struct Stream {
    bool dual = false;               // the header says the GDI records draw the same page
    bool videoReference = false;     // recorded against a display (else a printer)
    double dpiX = 96, dpiY = 96;     // the EMF+ device pixels per inch
    std::vector<Entry> entries;
    std::vector<size_t> comments;    // the gdiIndex of every EMF+ comment, in file order
    bool damaged = false;            // a record lied, overran, or is one this reader lacks
    std::string problem;             // the first such fault, for messages and --stats
    uint64_t work = 0;               // what replaying it costs (see WorkMeter), for pictures that nest it
    std::vector<std::pair<uint32_t, uint32_t>> counts;  // (record type, count) as read
};
using StreamPtr = std::shared_ptr<const Stream>;

} // namespace kv::gdi::plus
