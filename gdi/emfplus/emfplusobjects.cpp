// EMF+ objects: brushes, pens, paths, regions, fonts and string formats as the object records
// define them. Every length is checked against what the record holds.
#include "gdi/emfplus/emfplusparse.h"

#include <algorithm>
#include <cmath>

namespace kv::gdi::plus::read {

namespace {

enum BrushType : uint32_t { BrushSolid = 0, BrushHatch = 1, BrushTexture = 2, BrushPathGradient = 3, BrushLinearGradient = 4 };
enum BrushFlags : uint32_t {
    BrushPath = 0x01, BrushTransform = 0x02, BrushPresetColors = 0x04, BrushBlendH = 0x08, BrushBlendV = 0x10,
    BrushFocusScales = 0x40,
};
enum PenFlags : uint32_t {
    PenTransform = 0x1, PenStartCap = 0x2, PenEndCap = 0x4, PenJoin = 0x8, PenMiterLimit = 0x10,
    PenLineStyle = 0x20, PenDashedLineCap = 0x40, PenDashOffset = 0x80, PenDashedLine = 0x100,
    PenAlignment = 0x200, PenCompoundLine = 0x400, PenCustomStartCap = 0x800, PenCustomEndCap = 0x1000,
};
enum ObjectType : uint32_t {
    ObjBrush = 1, ObjPen = 2, ObjPath = 3, ObjRegion = 4, ObjImage = 5, ObjFont = 6, ObjStringFormat = 7,
    ObjImageAttributes = 8,
};
constexpr uint32_t kMaxStops = 4096;
constexpr uint32_t kMaxRegionNodes = 4096;
constexpr int kMaxRegionDepth = 64;
constexpr uint32_t kMaxFamilyChars = 64;

void note(std::string& problem, const char* what)
{
    if (problem.empty())
        problem = what;
}

QColor mix(const QColor& a, const QColor& b, double t)
{
    t = std::clamp(t, 0.0, 1.0);
    const auto lerp = [t](int x, int y) { return int(std::lround(x + (y - x) * t)); };
    return QColor(lerp(a.red(), b.red()), lerp(a.green(), b.green()), lerp(a.blue(), b.blue()), lerp(a.alpha(), b.alpha()));
}

// Preset colours (positions with their own colours) or blend factors (positions with a share
// of the way from the first colour to the second).
bool readBlend(ByteReader& r, uint32_t flags, const QColor& from, const QColor& to, std::vector<GradientStop>& stops)
{
    if (flags & BrushPresetColors) {
        const uint32_t n = r.u32();
        if (n > kMaxStops || !r.fits(n, 8))
            return false;
        std::vector<double> positions(n);
        for (double& p : positions)
            p = r.f32();
        stops.clear();
        for (uint32_t i = 0; i < n; ++i)
            stops.push_back({positions[i], readColor(r)});
    } else if (flags & (BrushBlendH | BrushBlendV)) {
        // A brush with both carries two lists; the horizontal one decides our single axis.
        const int lists = ((flags & BrushBlendH) ? 1 : 0) + ((flags & BrushBlendV) ? 1 : 0);
        for (int list = 0; list < lists; ++list) {
            const uint32_t n = r.u32();
            if (n > kMaxStops || !r.fits(n, 8))
                return false;
            std::vector<double> positions(n);
            for (double& p : positions)
                p = r.f32();
            std::vector<GradientStop> factors;
            for (uint32_t i = 0; i < n; ++i)
                factors.push_back({positions[i], mix(from, to, r.f32())});
            if (list == 0)
                stops = std::move(factors);
        }
    }
    for (GradientStop& s : stops)
        s.position = std::isfinite(s.position) ? std::clamp(s.position, 0.0, 1.0) : 0.0;
    std::stable_sort(stops.begin(), stops.end(), [](const GradientStop& a, const GradientStop& b) { return a.position < b.position; });
    return r.ok();
}

bool readLinearGradient(ByteReader& r, Brush& b)
{
    const uint32_t flags = r.u32();
    b.wrap = r.i32();
    b.rect = readRectF(r);
    const QColor start = readColor(r), end = readColor(r);
    r.u32();
    r.u32();  // reserved
    b.color = start;
    b.stops = {{0, start}, {1, end}};
    if (flags & BrushTransform)
        b.transform = readMatrix(r);
    return readBlend(r, flags, start, end, b.stops);
}

bool readPathGradient(ByteReader& r, Brush& b, std::string& problem)
{
    const uint32_t flags = r.u32();
    b.wrap = r.i32();
    b.color = readColor(r);
    const float centreX = r.f32(), centreY = r.f32();
    b.center = QPointF(centreX, centreY);
    const uint32_t surrounding = r.u32();
    if (surrounding > kMaxStops || !r.fits(surrounding, 4))
        return false;
    for (uint32_t i = 0; i < surrounding; ++i)
        b.surround.push_back(readColor(r));
    const QColor edge = b.surround.empty() ? b.color : b.surround.front();
    if (flags & BrushPath) {
        const uint32_t size = r.u32();
        ByteReader pathData = r.sub(r.pos(), size);
        r.skip(size);
        auto path = readPath(pathData, problem);
        if (!path || !r.ok())
            return false;
        b.boundary = *path;
    } else {
        const uint32_t count = r.u32();
        auto points = readPoints(r, count, 0);
        if (!points)
            return false;
        b.boundary.addPolygon(*points);
        b.boundary.closeSubpath();
    }
    if (flags & BrushTransform)
        b.transform = readMatrix(r);
    // Positions run from the boundary (0) to the centre (1).
    b.stops = {{0, edge}, {1, b.color}};
    return readBlend(r, flags & (BrushPresetColors | BrushBlendH), edge, b.color, b.stops);
}

Qt::PenCapStyle capOf(int32_t cap)
{
    switch (cap) {
    case 1: return Qt::SquareCap;
    case 2: return Qt::RoundCap;
    default: return Qt::FlatCap;  // flat, triangle and the anchor caps
    }
}

Qt::PenJoinStyle joinOf(uint32_t join)
{
    switch (join) {
    case 1: return Qt::BevelJoin;
    case 2: return Qt::RoundJoin;
    default: return Qt::MiterJoin;
    }
}

// Skips a length-prefixed optional part (compound lines) the player does not draw.
bool skipSized(ByteReader& r, uint32_t elemSize)
{
    const uint32_t n = r.u32();
    if (!r.fits(n, elemSize))
        return false;
    r.skip(size_t(n) * elemSize);
    return r.ok();
}

void addPathPoints(QPainterPath& path, const QPolygonF& points, const std::vector<uint8_t>& types)
{
    for (size_t i = 0; i < types.size() && i < size_t(points.size()); ++i) {
        const uint8_t kind = types[i] & 0x07;
        if (kind == 0 || path.elementCount() == 0) {
            path.moveTo(points[qsizetype(i)]);
        } else if (kind == 3 && i + 2 < types.size()) {
            path.cubicTo(points[qsizetype(i)], points[qsizetype(i + 1)], points[qsizetype(i + 2)]);
            i += 2;
        } else {
            path.lineTo(points[qsizetype(i)]);
        }
        if (types[std::min(i, types.size() - 1)] & 0x80)
            path.closeSubpath();
    }
}

const QPainterPath& plane()
{
    static const QPainterPath whole = [] {
        QPainterPath p;
        p.addRect(QRectF(-1e7, -1e7, 2e7, 2e7));
        return p;
    }();
    return whole;
}

Region combine(uint32_t op, const Region& a, const Region& b)
{
    const QPainterPath& pa = a.infinite ? plane() : a.area;
    const QPainterPath& pb = b.infinite ? plane() : b.area;
    Region out;
    switch (op) {
    case 1:  // intersect
        if (a.infinite) return b;
        if (b.infinite) return a;
        out.area = pa.intersected(pb);
        break;
    case 2:  // union
        out.infinite = a.infinite || b.infinite;
        if (!out.infinite)
            out.area = pa.united(pb);
        break;
    case 3:  // xor
        out.area = pa.united(pb).subtracted(pa.intersected(pb));
        break;
    case 4:  // exclude: a without b
        if (!b.infinite)
            out.area = pa.subtracted(pb);
        break;
    case 5:  // complement: b without a
        if (!a.infinite)
            out.area = pb.subtracted(pa);
        break;
    default:
        break;
    }
    return out;
}

std::optional<Region> readNode(ByteReader& r, std::string& problem, int depth, uint32_t& nodesLeft)
{
    if (depth > kMaxRegionDepth || nodesLeft == 0)
        return std::nullopt;
    --nodesLeft;
    const uint32_t type = r.u32();
    if (!r.ok())
        return std::nullopt;
    Region region;
    switch (type) {
    case 0x10000000: region.area.addRect(readRectF(r).normalized()); break;
    case 0x10000001: {
        const uint32_t size = r.u32();
        ByteReader pathData = r.sub(r.pos(), size);
        r.skip(size);
        auto path = readPath(pathData, problem);
        if (!path)
            return std::nullopt;
        region.area = *path;
        break;
    }
    case 0x10000002: break;
    case 0x10000003: region.infinite = true; break;
    case 1: case 2: case 3: case 4: case 5: {
        auto left = readNode(r, problem, depth + 1, nodesLeft);
        auto right = left ? readNode(r, problem, depth + 1, nodesLeft) : std::nullopt;
        if (!right)
            return std::nullopt;
        region = combine(type, *left, *right);
        break;
    }
    default:
        return std::nullopt;
    }
    return r.ok() ? std::optional(region) : std::nullopt;
}

} // namespace

std::optional<Brush> readBrush(ByteReader& r, std::string& problem)
{
    r.u32();  // version
    Brush b;
    const uint32_t type = r.u32();
    bool ok = true;
    switch (type) {
    case BrushSolid:
        b.color = readColor(r);
        break;
    case BrushHatch:
        b.kind = Brush::Kind::Hatch;
        b.hatch = r.u32();
        b.color = readColor(r);
        b.back = readColor(r);
        break;
    case BrushTexture: {
        b.kind = Brush::Kind::Texture;
        const uint32_t flags = r.u32();
        b.wrap = r.i32();
        if (flags & BrushTransform)
            b.transform = readMatrix(r);
        ByteReader rest = r.sub(r.pos(), r.remaining());
        auto image = readImage(rest, problem);
        ok = image.has_value();
        if (image)
            b.texture = image->bitmap;
        b.color = QColor(128, 128, 128);
        break;
    }
    case BrushPathGradient:
        b.kind = Brush::Kind::PathGradient;
        ok = readPathGradient(r, b, problem);
        break;
    case BrushLinearGradient:
        b.kind = Brush::Kind::LinearGradient;
        ok = readLinearGradient(r, b);
        break;
    default:
        note(problem, "unknown brush type");
        return std::nullopt;
    }
    if (!ok || !r.ok())
        return std::nullopt;
    return b;
}

std::optional<Pen> readPen(ByteReader& r, std::string& problem)
{
    r.u32();  // version
    r.u32();  // type, always 0
    Pen p;
    const uint32_t flags = r.u32();
    p.unit = r.u32();
    p.width = r.f32();
    if (!std::isfinite(p.width) || p.width < 0)
        p.width = 0;
    if (flags & PenTransform)
        p.transform = readMatrix(r);
    int32_t startCap = 0;
    if (flags & PenStartCap)
        startCap = r.i32();
    if (flags & PenEndCap)
        r.i32();  // one cap for both ends: ours takes the start's
    p.cap = capOf(startCap);
    if (flags & PenJoin)
        p.join = joinOf(r.u32());
    if (flags & PenMiterLimit) {
        const float limit = r.f32();
        p.miterLimit = std::isfinite(limit) ? std::clamp<double>(limit, 1, 1000) : 10;
    }
    if (flags & PenLineStyle)
        p.lineStyle = r.i32();
    if (flags & PenDashedLineCap)
        r.i32();
    if (flags & PenDashOffset) {
        const float offset = r.f32();
        p.dashOffset = std::isfinite(offset) ? offset : 0;
    }
    if (flags & PenDashedLine) {
        const uint32_t n = r.u32();
        if (n > kMaxStops || !r.fits(n, 4))
            return std::nullopt;
        for (uint32_t i = 0; i < n; ++i) {
            const float d = r.f32();
            p.dashes.push_back(std::isfinite(d) ? std::clamp<double>(d, 0.01, 1000) : 1);
        }
        // A dash pattern with no line style is a custom one: writers leave the style out.
        if (!(flags & PenLineStyle) && !p.dashes.empty())
            p.lineStyle = 5;
    }
    if (flags & PenAlignment)
        r.i32();
    if (flags & PenCompoundLine) {
        note(problem, "compound line drawn as one line");
        if (!skipSized(r, 4))
            return std::nullopt;
    }
    for (const auto& [flag, cap] : {std::pair(PenCustomStartCap, &p.startCap), std::pair(PenCustomEndCap, &p.endCap)}) {
        if (!(flags & flag))
            continue;
        const uint32_t size = r.u32();
        if (!r.fits(size, 1))
            return std::nullopt;
        ByteReader capData = r.sub(r.pos(), size);
        *cap = readCustomCap(capData, problem);
        r.skip(size);
    }
    ByteReader rest = r.sub(r.pos(), r.remaining());
    auto brush = readBrush(rest, problem);
    if (!brush || !r.ok())
        return std::nullopt;
    p.brush = std::move(*brush);
    return p;
}

std::optional<QPainterPath> readPath(ByteReader& r, std::string& problem)
{
    r.u32();  // version
    const uint32_t count = r.u32();
    const uint32_t flags = r.u32();
    if (!r.ok() || count > kMaxPoints) {
        note(problem, "malformed path");
        return std::nullopt;
    }
    auto points = readPoints(r, count, uint16_t(flags & (kCompressed | kRelative)));
    if (!points) {
        note(problem, "path points beyond the record");
        return std::nullopt;
    }
    std::vector<uint8_t> types;
    types.reserve(count);
    const bool runLength = flags & 0x1000;
    while (types.size() < count && r.ok()) {
        const uint8_t b = r.u8();
        if (runLength && (b & 0x40)) {
            const uint8_t type = r.u8();
            const size_t run = std::min<size_t>(b & 0x3F, count - types.size());
            types.insert(types.end(), run, type);
            if (run == 0)
                break;
        } else {
            types.push_back(b);
        }
    }
    if (!r.ok() || types.size() != count) {
        note(problem, "path point types beyond the record");
        return std::nullopt;
    }
    QPainterPath path;
    addPathPoints(path, *points, types);
    return path;
}

std::optional<Region> readRegion(ByteReader& r, std::string& problem)
{
    r.u32();  // version
    uint32_t nodes = std::min(r.u32() + 1, kMaxRegionNodes);
    auto region = readNode(r, problem, 0, nodes);
    if (!region)
        note(problem, "malformed region");
    return region;
}

std::optional<Font> readFont(ByteReader& r, std::string& problem)
{
    r.u32();  // version
    Font f;
    const float em = r.f32();
    f.unit = r.u32();
    f.style = r.i32();
    r.u32();  // reserved
    const uint32_t length = r.u32();
    if (!r.ok() || !std::isfinite(em) || em < 0 || !r.fits(length, 2)) {
        note(problem, "malformed font");
        return std::nullopt;
    }
    f.emSize = std::min<double>(em, 1e6);
    for (uint32_t i = 0; i < length; ++i) {
        const char16_t c = char16_t(r.u16());
        if (i < kMaxFamilyChars && c != 0)
            f.family.push_back(c);
    }
    return f;
}

std::optional<StringFormat> readStringFormat(ByteReader& r, std::string& problem)
{
    r.u32();  // version
    StringFormat s;
    s.flags = r.u32();
    r.u32();  // language
    s.align = r.u32();
    s.lineAlign = r.u32();
    r.u32();  // digit substitution
    r.u32();  // digit language
    r.f32();  // first tab offset
    r.i32();  // hotkey prefix
    const float leading = r.f32(), trailing = r.f32();
    if (!r.ok()) {
        note(problem, "malformed string format");
        return std::nullopt;
    }
    s.leadingMargin = std::isfinite(leading) ? std::clamp<double>(leading, 0, 10) : 0;
    s.trailingMargin = std::isfinite(trailing) ? std::clamp<double>(trailing, 0, 10) : 0;
    return s;
}

ObjectPtr readObject(uint32_t objectType, ByteReader& r, std::string& problem)
{
    const auto wrap = [](auto value) -> ObjectPtr {
        if (!value)
            return nullptr;
        return std::make_shared<const Object>(std::move(*value));
    };
    switch (objectType) {
    case ObjBrush: return wrap(readBrush(r, problem));
    case ObjPen: return wrap(readPen(r, problem));
    case ObjPath: {
        auto path = readPath(r, problem);
        return path ? std::make_shared<const Object>(Path{*path}) : nullptr;
    }
    case ObjRegion: return wrap(readRegion(r, problem));
    case ObjImage: return wrap(readImage(r, problem));
    case ObjFont: return wrap(readFont(r, problem));
    case ObjStringFormat: return wrap(readStringFormat(r, problem));
    case ObjImageAttributes: return std::make_shared<const Object>(ImageAttributes{});
    default:
        note(problem, "unknown object type");
        return nullptr;
    }
}

} // namespace kv::gdi::plus::read

namespace kv::gdi::plus {

QColor Brush::representative() const
{
    if (kind == Kind::Hatch || stops.empty())
        return color;
    return read::mix(stops.front().color, stops.back().color, 0.5);
}

} // namespace kv::gdi::plus
