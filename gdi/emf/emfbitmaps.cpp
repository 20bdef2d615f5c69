// EMF bitmap records: BITBLT, STRETCHBLT, MASKBLT, PLGBLT, SETDIBITSTODEVICE, STRETCHDIBITS,
// ALPHABLEND, TRANSPARENTBLT. Their DIBs are decoded here, once per page.
#include "gdi/emf/emfparse.h"

#include "gdi/dib/dib.h"

#include <algorithm>
#include <cmath>
#include <optional>

namespace kv::gdi::emfread {

namespace {

constexpr uint32_t AC_SRC_ALPHA = 1;

struct SourceDib {
    int32_t x = 0, y = 0;
    XForm xform;
    ColorRef bkColor = 0xFFFFFF;
    uint32_t usage = 0, offBmi = 0, cbBmi = 0, offBits = 0, cbBits = 0;
};

// xSrc, ySrc, xformSrc, crBkColorSrc, iUsageSrc, offBmiSrc, cbBmiSrc, offBitsSrc, cbBitsSrc.
SourceDib readSource(ByteReader& r)
{
    SourceDib s;
    s.x = r.i32();
    s.y = r.i32();
    s.xform = readXForm(r);
    s.bkColor = r.u32();
    s.usage = r.u32();
    s.offBmi = r.u32(); s.cbBmi = r.u32(); s.offBits = r.u32(); s.cbBits = r.u32();
    return s;
}

// The source rectangle in bitmap pixels: the source DC's transform applied to its logical one.
void placeSource(rec::Blt& b, const SourceDib& s, int32_t cx, int32_t cy)
{
    const XForm& x = s.xform;
    const double px = s.x * x.eM11 + s.y * x.eM21 + x.eDx, py = s.x * x.eM12 + s.y * x.eM22 + x.eDy;
    b.xSrc = int32_t(std::lround(px));
    b.ySrc = int32_t(std::lround(py));
    const bool plain = x.eM11 != 0 && x.eM22 != 0 && std::isfinite(x.eM11) && std::isfinite(x.eM22);
    b.cxSrc = plain ? int32_t(std::lround(cx * x.eM11)) : cx;
    b.cySrc = plain ? int32_t(std::lround(cy * x.eM22)) : cy;
}

void readDest(ByteReader& r, rec::Blt& b)
{
    readRect(r);  // rclBounds
    b.xDest = r.i32(); b.yDest = r.i32(); b.cxDest = r.i32(); b.cyDest = r.i32();
}

uint32_t sourceFlags(const rec::Blt& b)
{
    return b.kind == rec::BltKind::Alpha && ((b.blendFunction >> 24) & AC_SRC_ALPHA) ? uint32_t(DibUseAlpha) : 0u;
}

// BITBLT, STRETCHBLT, ALPHABLEND and TRANSPARENTBLT share one layout; the stretching ones
// end with the source size.
template <rec::BltKind K, bool Stretch> bool blt(ByteReader& r, Context& c)
{
    rec::Blt b;
    b.kind = K;
    readDest(r, b);
    const uint32_t op = r.u32();
    const SourceDib s = readSource(r);
    int32_t cx = b.cxDest, cy = b.cyDest;
    if (Stretch) {
        cx = r.i32();
        cy = r.i32();
    }
    if (!r.ok())
        return false;
    b.rop = K == rec::BltKind::Stretch ? op : SRCCOPY;
    b.blendFunction = K == rec::BltKind::Alpha ? op : 0;
    b.transparentColor = K == rec::BltKind::Transparent ? op : 0;
    b.srcBkColor = s.bkColor;
    placeSource(b, s, cx, cy);
    b.source = readBitmap(c, r, s.offBmi, s.cbBmi, s.offBits, s.cbBits, s.usage, sourceFlags(b));
    return push(c, std::move(b));
}

bool maskBlt(ByteReader& r, Context& c)
{
    rec::Blt b;
    b.kind = rec::BltKind::Mask;
    readDest(r, b);
    b.rop = r.u32();
    const SourceDib s = readSource(r);
    b.xMask = r.i32();
    b.yMask = r.i32();
    const uint32_t usage = r.u32(), offBmi = r.u32(), cbBmi = r.u32(), offBits = r.u32(), cbBits = r.u32();
    if (!r.ok())
        return false;
    b.srcBkColor = s.bkColor;
    placeSource(b, s, b.cxDest, b.cyDest);
    b.source = readBitmap(c, r, s.offBmi, s.cbBmi, s.offBits, s.cbBits, s.usage);
    b.mask = readBitmap(c, r, offBmi, cbBmi, offBits, cbBits, usage, DibMonoAsIndexed);
    return push(c, std::move(b));
}

// A parallelogram blit is a plain one drawn through a world transform that takes the source
// rectangle onto the three given corners.
bool plgBlt(ByteReader& r, Context& c)
{
    readRect(r);
    const PointL p0 = readPoint(r), p1 = readPoint(r), p2 = readPoint(r);
    SourceDib s;
    s.x = r.i32(); s.y = r.i32();
    const int32_t cx = r.i32(), cy = r.i32();
    s.xform = readXForm(r);
    s.bkColor = r.u32();
    s.usage = r.u32();
    s.offBmi = r.u32(); s.cbBmi = r.u32(); s.offBits = r.u32(); s.cbBits = r.u32();
    rec::Blt b;
    b.xMask = r.i32();
    b.yMask = r.i32();
    const uint32_t maskUsage = r.u32(), maskOffBmi = r.u32(), maskCbBmi = r.u32(), maskOffBits = r.u32(),
                   maskCbBits = r.u32();
    if (!r.ok() || cx == 0 || cy == 0)
        return false;
    b.cxDest = cx;
    b.cyDest = cy;
    b.srcBkColor = s.bkColor;
    placeSource(b, s, cx, cy);
    b.source = readBitmap(c, r, s.offBmi, s.cbBmi, s.offBits, s.cbBits, s.usage);
    // With a mask, only the source pixels under its set bits are copied.
    if (maskCbBmi > 0 && maskCbBits > 0) {
        b.kind = rec::BltKind::Mask;
        b.rop = 0xAACC0020;  // MAKEROP4(SRCCOPY, DSTCOPY)
        b.mask = readBitmap(c, r, maskOffBmi, maskCbBmi, maskOffBits, maskCbBits, maskUsage, DibMonoAsIndexed);
    }
    XForm m;
    m.eM11 = double(p1.x - p0.x) / cx; m.eM12 = double(p1.y - p0.y) / cx;
    m.eM21 = double(p2.x - p0.x) / cy; m.eM22 = double(p2.y - p0.y) / cy;
    m.eDx = p0.x; m.eDy = p0.y;
    push(c, rec::SaveDc{});
    push(c, rec::ModifyWorldTransform{m, MWT_LEFTMULTIPLY});
    push(c, std::move(b));
    return push(c, rec::RestoreDc{-1});
}

// StretchDIBits and SetDIBitsToDevice count source rows of a bottom-up DIB from the bottom.
int32_t topRow(const BitmapPtr& bitmap, std::span<const uint8_t> info, int32_t ySrc, int32_t cySrc, int32_t firstScan)
{
    // Worked out wide: a damaged record's INT32_MIN would overflow, and the result only needs
    // to say "outside the bitmap", which the saturated value still does.
    const auto header = readDibHeader(info);
    const int64_t fromTop = int64_t(ySrc) - firstScan;
    const int64_t row = !bitmap || bitmap->image.isNull() || !header || header->topDown
        ? fromTop
        : bitmap->image.height() - fromTop - cySrc;
    return int32_t(std::clamp<int64_t>(row, INT32_MIN, INT32_MAX));
}

bool stretchDiBits(ByteReader& r, Context& c)
{
    rec::Blt b;
    readRect(r);
    b.xDest = r.i32(); b.yDest = r.i32();
    b.xSrc = r.i32(); b.ySrc = r.i32(); b.cxSrc = r.i32(); b.cySrc = r.i32();
    const uint32_t offBmi = r.u32(), cbBmi = r.u32(), offBits = r.u32(), cbBits = r.u32(), usage = r.u32();
    b.rop = r.u32();
    b.cxDest = r.i32(); b.cyDest = r.i32();
    if (!r.ok())
        return false;
    b.source = readBitmap(c, r, offBmi, cbBmi, offBits, cbBits, usage);
    b.ySrc = topRow(b.source, r.sub(offBmi, cbBmi).bytes(cbBmi), b.ySrc, b.cySrc, 0);
    return push(c, std::move(b));
}

bool setDiBitsToDevice(ByteReader& r, Context& c)
{
    rec::Blt b;
    b.kind = rec::BltKind::SetDIBitsToDevice;
    readRect(r);
    b.xDest = r.i32(); b.yDest = r.i32();
    b.xSrc = r.i32(); b.ySrc = r.i32(); b.cxSrc = r.i32(); b.cySrc = r.i32();
    const uint32_t offBmi = r.u32(), cbBmi = r.u32(), offBits = r.u32(), cbBits = r.u32(), usage = r.u32();
    const uint32_t startScan = r.u32();
    r.u32();  // cScans: the bits say how many rows there are
    if (!r.ok())
        return false;
    b.cxDest = b.cxSrc;
    b.cyDest = b.cySrc;
    b.source = readBitmap(c, r, offBmi, cbBmi, offBits, cbBits, usage);
    b.ySrc = topRow(b.source, r.sub(offBmi, cbBmi).bytes(cbBmi), b.ySrc, b.cySrc, int32_t(startScan));
    return push(c, std::move(b));
}

// GRADIENTFILL's rectangle modes become stretched blits of a one-pixel-thick ramp between the
// two corner colours.
QImage gradientRamp(uint32_t from, uint32_t to, bool vertical)
{
    constexpr int kSteps = 256;
    QImage ramp(vertical ? 1 : kSteps, vertical ? kSteps : 1, QImage::Format_RGB32);
    for (int i = 0; i < kSteps; ++i) {
        const double t = (i + 0.5) / kSteps;
        const auto mix = [&](int shift) { return int(((from >> shift) & 0xFF) * (1 - t) + ((to >> shift) & 0xFF) * t + 0.5); };
        ramp.setPixel(vertical ? 0 : i, vertical ? i : 0, qRgb(mix(16), mix(8), mix(0)));
    }
    return ramp;
}

using GradientVertex = std::pair<PointL, QRgb>;

// A Gouraud-shaded triangle as an image of its bounding box, transparent outside the triangle,
// blended over what is there. The image is at most kTriangleSide pixels a side: colours vary
// smoothly, and the edges are as fine as the page shows them at ordinary sizes.
constexpr int kTriangleSide = 512;

std::optional<rec::Blt> gradientTriangle(const GradientVertex& a, const GradientVertex& b, const GradientVertex& c)
{
    const int64_t left = std::min({a.first.x, b.first.x, c.first.x}), right = std::max({a.first.x, b.first.x, c.first.x});
    const int64_t top = std::min({a.first.y, b.first.y, c.first.y}), bottom = std::max({a.first.y, b.first.y, c.first.y});
    const double area = double(b.first.x - a.first.x) * (c.first.y - a.first.y) - double(c.first.x - a.first.x) * (b.first.y - a.first.y);
    if (right == left || bottom == top || area == 0 || right - left > INT32_MAX || bottom - top > INT32_MAX)
        return std::nullopt;
    const int width = int(std::min<int64_t>(right - left, kTriangleSide));
    const int height = int(std::min<int64_t>(bottom - top, kTriangleSide));
    QImage image(width, height, QImage::Format_ARGB32);
    const double sx = double(right - left) / width, sy = double(bottom - top) / height;
    for (int y = 0; y < height; ++y) {
        QRgb* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        const double py = top + (y + 0.5) * sy;
        for (int x = 0; x < width; ++x) {
            const double px = left + (x + 0.5) * sx;
            // Barycentric weights of the pixel centre.
            const double wa = ((b.first.x - px) * (c.first.y - py) - (c.first.x - px) * (b.first.y - py)) / area;
            const double wb = ((c.first.x - px) * (a.first.y - py) - (a.first.x - px) * (c.first.y - py)) / area;
            const double wc = 1 - wa - wb;
            if (wa < 0 || wb < 0 || wc < 0) {
                line[x] = 0;
                continue;
            }
            const auto mix = [&](int (*channel)(QRgb)) {
                return std::clamp(int(channel(a.second) * wa + channel(b.second) * wb + channel(c.second) * wc + 0.5), 0, 255);
            };
            line[x] = qRgb(mix(qRed), mix(qGreen), mix(qBlue));
        }
    }
    rec::Blt blt;
    blt.kind = rec::BltKind::Alpha;
    blt.blendFunction = 0x01FF0000;  // AC_SRC_OVER, constant alpha 255, AC_SRC_ALPHA
    blt.xDest = int32_t(left);
    blt.yDest = int32_t(top);
    blt.cxDest = int32_t(right - left);
    blt.cyDest = int32_t(bottom - top);
    blt.cxSrc = width;
    blt.cySrc = height;
    auto bitmap = std::make_shared<Bitmap>();
    bitmap->image = std::move(image);
    blt.source = std::move(bitmap);
    return blt;
}

bool gradientFill(ByteReader& r, Context& c)
{
    enum : uint32_t { GRADIENT_FILL_RECT_H = 0, GRADIENT_FILL_RECT_V = 1, GRADIENT_FILL_TRIANGLE = 2 };
    // Shaded triangles cost an image each, kept with the page: a record gets this many pixels,
    // and they count against the page's allowance for decoded pixels.
    constexpr uint64_t kTrianglePixelBudget = 4 << 20;
    readRect(r);
    const uint32_t vertices = r.u32(), meshes = r.u32(), mode = r.u32();
    if (!r.ok() || !r.fits(vertices, 16))
        return false;
    if (mode > GRADIENT_FILL_TRIANGLE)
        return false;
    std::vector<GradientVertex> v(vertices);
    for (auto& [p, colour] : v) {
        p = readPoint(r);
        const int red = r.u16() >> 8, green = r.u16() >> 8, blue = r.u16() >> 8;
        r.u16();  // alpha
        colour = qRgb(red, green, blue);
    }
    if (mode == GRADIENT_FILL_TRIANGLE) {
        if (!r.fits(meshes, 12))
            return false;
        uint64_t pixels = 0;
        for (uint32_t i = 0; i < meshes && pixels < kTrianglePixelBudget; ++i) {
            const uint32_t a = r.u32(), b = r.u32(), t = r.u32();
            if (a >= vertices || b >= vertices || t >= vertices)
                continue;
            std::optional<rec::Blt> blt = gradientTriangle(v[a], v[b], v[t]);
            if (!blt)
                continue;
            const uint64_t cost = uint64_t(blt->cxSrc) * uint64_t(blt->cySrc);
            if (cost > c.pixelsLeft)
                break;
            c.pixelsLeft -= cost;
            pixels += cost;
            push(c, std::move(*blt));
        }
        return true;
    }
    if (!r.fits(meshes, 8))
        return false;
    for (uint32_t i = 0; i < meshes; ++i) {
        const uint32_t a = r.u32(), b = r.u32();
        if (a >= vertices || b >= vertices)
            continue;
        rec::Blt blt;
        const PointL p = v[a].first, q = v[b].first;
        blt.xDest = std::min(p.x, q.x);
        blt.yDest = std::min(p.y, q.y);
        blt.cxDest = std::abs(q.x - p.x);
        blt.cyDest = std::abs(q.y - p.y);
        const bool vertical = mode == GRADIENT_FILL_RECT_V;
        const bool reversed = vertical ? q.y < p.y : q.x < p.x;
        auto ramp = std::make_shared<Bitmap>();
        ramp->image = gradientRamp(reversed ? v[b].second : v[a].second, reversed ? v[a].second : v[b].second, vertical);
        blt.cxSrc = ramp->image.width();
        blt.cySrc = ramp->image.height();
        blt.source = std::move(ramp);
        push(c, std::move(blt));
    }
    return true;
}

constexpr KnownRecord kRecords[] = {
    {76, "BITBLT", 100, blt<rec::BltKind::Stretch, false>},
    {77, "STRETCHBLT", 108, blt<rec::BltKind::Stretch, true>},
    {78, "MASKBLT", 128, maskBlt},
    {79, "PLGBLT", 140, plgBlt},
    {80, "SETDIBITSTODEVICE", 76, setDiBitsToDevice},
    {81, "STRETCHDIBITS", 80, stretchDiBits},
    {114, "ALPHABLEND", 108, blt<rec::BltKind::Alpha, true>},
    {116, "TRANSPARENTBLT", 108, blt<rec::BltKind::Transparent, true>},
    {118, "GRADIENTFILL", 36, gradientFill},
};

} // namespace

BitmapPtr readBitmap(Context& ctx, const ByteReader& record, uint32_t offBmi, uint32_t cbBmi, uint32_t offBits, uint32_t cbBits,
                     uint32_t usage, uint32_t flags)
{
    if (cbBmi == 0)
        return nullptr;
    ByteReader info = record.sub(offBmi, cbBmi);
    ByteReader bits = record.sub(offBits, cbBits);
    auto bitmap = std::make_shared<Bitmap>();
    if (!info.ok() || !bits.ok())
        return bitmap;
    const auto infoBytes = info.bytes(cbBmi);
    const auto bitBytes = bits.bytes(cbBits);
    const uint64_t pixels = dibDecodedPixels(infoBytes, bitBytes);
    if (pixels == 0 || pixels > ctx.pixelsLeft)
        return bitmap;
    ctx.pixelsLeft -= pixels;
    bitmap->image = decodeDib(infoBytes, bitBytes, usage, {}, flags);
    return bitmap;
}

std::span<const KnownRecord> bitmapRecords() { return kRecords; }

} // namespace kv::gdi::emfread
