// PlayEnhMetaFile: the picture's frame stretched onto a rectangle of the target's logical
// units, the records replayed onto the Dc through an object table of the picture's own.
#include "gdi/player.h"

#include "gdi/emfplus/emfplusplayer.h"

#include <algorithm>
#include <atomic>
#include <cmath>

namespace kv::gdi {

namespace {
constexpr size_t kMaxObjects = 65536;
std::atomic<bool> emfPlusOn = true;
} // namespace

void setEmfPlusPlayback(bool on) { emfPlusOn = on; }
bool emfPlusPlayback() { return emfPlusOn; }

QPointF pixelsPerMm(const EmfHeader& h)
{
    const auto perMm = [](int32_t pixels, int32_t mm, int32_t um) {
        if (pixels > 0 && mm > 0)
            return double(pixels) / mm;
        if (pixels > 0 && um > 0)
            return pixels * 1000.0 / um;
        return 96 / 25.4;
    };
    return {perMm(h.device.cx, h.millimeters.cx, h.micrometers.cx), perMm(h.device.cy, h.millimeters.cy, h.micrometers.cy)};
}

namespace {

// The frame in 0.01 mm. An empty or inverted frame (writers that never set it) is replaced
// by the bounds, measured on the reference device.
QRectF frameOf(const EmfHeader& h, QPointF pxPerMm)
{
    QRectF frame(QPointF(h.frame.left, h.frame.top), QPointF(h.frame.right, h.frame.bottom));
    if (frame.width() > 0 && frame.height() > 0)
        return frame;
    const RectL& b = h.bounds;
    // In floating point: the bounds of a damaged header may be anywhere in the int32 range.
    return QRectF(QPointF(b.left * 100.0 / pxPerMm.x(), b.top * 100.0 / pxPerMm.y()),
                  QPointF((b.right + 1.0) * 100 / pxPerMm.x(), (b.bottom + 1.0) * 100 / pxPerMm.y()));
}

class Player {
public:
    Player(Dc& dc, size_t handles) : dc_(dc), table_(std::clamp<size_t>(handles, 1, kMaxObjects)) {}

    ObjectPtr object(uint32_t index) const
    {
        if (index & STOCK_FLAG)
            return stockObject(index & ~STOCK_FLAG);
        return index != 0 && index < table_.size() ? table_[index] : nullptr;
    }

    void operator()(const rec::SetAttr& r)
    {
        switch (r.which) {
        case rec::Attr::MapMode: dc_.setMapMode(r.value); break;
        case rec::Attr::BkMode: dc_.setBkMode(r.value); break;
        case rec::Attr::PolyFillMode: dc_.setPolyFillMode(r.value); break;
        case rec::Attr::Rop2: dc_.setRop2(r.value); break;
        case rec::Attr::StretchBltMode: dc_.setStretchBltMode(r.value); break;
        case rec::Attr::TextAlign: dc_.setTextAlign(uint32_t(r.value)); break;
        case rec::Attr::GraphicsMode: dc_.setGraphicsMode(r.value); break;
        case rec::Attr::ArcDirection: dc_.setArcDirection(r.value); break;
        case rec::Attr::TextCharExtra: dc_.setTextCharacterExtra(r.value); break;
        case rec::Attr::Layout: case rec::Attr::MapperFlags: break;
        }
    }
    void operator()(const rec::SetBkColor& r) { dc_.setBkColor(r.color); }
    void operator()(const rec::SetTextColor& r) { dc_.setTextColor(r.color); }
    void operator()(const rec::SetMiterLimit& r) { dc_.setMiterLimit(r.limit); }
    void operator()(const rec::SetBrushOrg& r) { dc_.setBrushOrg(r.origin.x, r.origin.y); }
    void operator()(const rec::SetTextJustification& r) { dc_.setTextJustification(r.extra, r.count); }
    void operator()(const rec::SetExtOrg& r)
    {
        switch (r.which) {
        case rec::Ext::WindowExt: dc_.setWindowExt(r.x, r.y); break;
        case rec::Ext::WindowOrg: dc_.setWindowOrg(r.x, r.y); break;
        case rec::Ext::ViewportExt: dc_.setViewportExt(r.x, r.y); break;
        case rec::Ext::ViewportOrg: dc_.setViewportOrg(r.x, r.y); break;
        }
    }
    void operator()(const rec::OffsetOrg& r)
    {
        if (r.which == rec::Ext::WindowOrg)
            dc_.offsetWindowOrg(r.dx, r.dy);
        else if (r.which == rec::Ext::ViewportOrg)
            dc_.offsetViewportOrg(r.dx, r.dy);
    }
    void operator()(const rec::ScaleExt& r)
    {
        if (r.which == rec::Ext::WindowExt)
            dc_.scaleWindowExt(r.xNum, r.xDenom, r.yNum, r.yDenom);
        else if (r.which == rec::Ext::ViewportExt)
            dc_.scaleViewportExt(r.xNum, r.xDenom, r.yNum, r.yDenom);
    }
    void operator()(const rec::SetWorldTransform& r) { dc_.setWorldTransform(r.xform); }
    void operator()(const rec::ModifyWorldTransform& r) { dc_.modifyWorldTransform(r.xform, r.mode); }
    void operator()(const rec::SaveDc&) { dc_.saveDc(); }
    void operator()(const rec::RestoreDc& r) { dc_.restoreDc(r.relative); }
    void operator()(const rec::MoveTo& r) { dc_.moveTo(r.point.x, r.point.y); }

    void operator()(const rec::CreateObject& r)
    {
        if (r.index == 0 || (r.index & STOCK_FLAG) || r.index >= kMaxObjects)
            return;
        if (r.index >= table_.size())
            table_.resize(r.index + 1);  // headers undercount handles now and then
        table_[r.index] = r.object;
    }
    void operator()(const rec::SelectObject& r) { dc_.selectObject(object(r.index)); }
    void operator()(const rec::DeleteObject& r)
    {
        if (!(r.index & STOCK_FLAG) && r.index < table_.size())
            table_[r.index].reset();
    }
    void operator()(const rec::SelectPalette& r) { dc_.selectObject(object(r.index)); }
    void operator()(const rec::SetPaletteEntries& r) { editPalette(r.index, [&](Palette& p) {
        const size_t end = std::min<size_t>(p.entries.size(), size_t(r.start) + r.entries.size());
        for (size_t i = r.start; i < end; ++i)
            p.entries[i] = r.entries[i - r.start];
    }); }
    void operator()(const rec::ResizePalette& r) { editPalette(r.index, [&](Palette& p) {
        p.entries.resize(std::min<uint32_t>(r.entries, 1024));
    }); }
    void operator()(const rec::RealizePalette&) {}

    void operator()(const rec::Poly& r)
    {
        switch (r.kind) {
        case rec::PolyKind::Polyline: dc_.polyline(r.points); break;
        case rec::PolyKind::Polygon: dc_.polygon(r.points); break;
        case rec::PolyKind::PolyBezier: dc_.polyBezier(r.points); break;
        case rec::PolyKind::PolyBezierTo: dc_.polyBezierTo(r.points); break;
        case rec::PolyKind::PolylineTo: dc_.polylineTo(r.points); break;
        }
    }
    void operator()(const rec::PolyPoly& r)
    {
        if (r.kind == rec::PolyPolyKind::PolyPolygon)
            dc_.polyPolygon(r.counts, r.points);
        else
            dc_.polyPolyline(r.counts, r.points);
    }
    void operator()(const rec::PolyDraw& r) { dc_.polyDraw(r.points, r.types); }
    void operator()(const rec::LineTo& r) { dc_.lineTo(r.point.x, r.point.y); }
    void operator()(const rec::Shape& r)
    {
        if (r.kind == rec::ShapeKind::Rectangle)
            dc_.rectangle(r.box);
        else
            dc_.ellipse(r.box);
    }
    void operator()(const rec::RoundRect& r) { dc_.roundRect(r.box, r.corner); }
    void operator()(const rec::ArcShape& r)
    {
        switch (r.kind) {
        case rec::ArcKind::Arc: dc_.arc(r.box, r.start, r.end); break;
        case rec::ArcKind::ArcTo: dc_.arcTo(r.box, r.start, r.end); break;
        case rec::ArcKind::Chord: dc_.chord(r.box, r.start, r.end); break;
        case rec::ArcKind::Pie: dc_.pie(r.box, r.start, r.end); break;
        }
    }
    void operator()(const rec::AngleArc& r) { dc_.angleArc(r.center, r.radius, r.startAngle, r.sweepAngle); }
    void operator()(const rec::SetPixel& r) { dc_.setPixel(r.point.x, r.point.y, r.color); }
    void operator()(const rec::FloodFill& r) { dc_.floodFill(r.point.x, r.point.y, r.color, r.surface); }
    void operator()(const rec::RegionDraw& r)
    {
        switch (r.op) {
        case rec::RegionOp::Fill: dc_.fillRgn(r.region, object(r.brushIndex)); break;
        case rec::RegionOp::Frame: dc_.frameRgn(r.region, object(r.brushIndex), r.frame.cx, r.frame.cy); break;
        case rec::RegionOp::Paint: dc_.paintRgn(r.region); break;
        case rec::RegionOp::Invert: dc_.invertRgn(r.region); break;
        }
    }
    void operator()(const rec::PathCall& r)
    {
        switch (r.op) {
        case rec::PathOp::Begin: dc_.beginPath(); break;
        case rec::PathOp::End: dc_.endPath(); break;
        case rec::PathOp::CloseFigure: dc_.closeFigure(); break;
        case rec::PathOp::Abort: dc_.abortPath(); break;
        case rec::PathOp::Fill: dc_.fillPath(); break;
        case rec::PathOp::Stroke: dc_.strokePath(); break;
        case rec::PathOp::StrokeAndFill: dc_.strokeAndFillPath(); break;
        case rec::PathOp::Flatten: dc_.flattenPath(); break;
        case rec::PathOp::Widen: dc_.widenPath(); break;
        }
    }
    void operator()(const rec::SelectClipPath& r) { dc_.selectClipPath(r.mode); }
    void operator()(const rec::IntersectClipRect& r) { dc_.intersectClipRect(r.rect); }
    void operator()(const rec::ExcludeClipRect& r) { dc_.excludeClipRect(r.rect); }
    void operator()(const rec::OffsetClipRgn& r) { dc_.offsetClipRgn(r.offset.x, r.offset.y); }
    void operator()(const rec::ExtSelectClipRgn& r) { dc_.extSelectClipRgn(r.hasRegion ? &r.region : nullptr, r.mode); }
    void operator()(const rec::SetMetaRgn&) { dc_.setMetaRgn(); }

    // The record's graphics mode holds while its text is drawn.
    void operator()(const rec::TextOut& r)
    {
        const int32_t mode = dc_.state().graphicsMode;
        dc_.setGraphicsMode(r.graphicsMode);
        const RectL* rect = (r.options & ETO_NO_RECT) ? nullptr : &r.rect;
        if (r.ansi)
            dc_.extTextOutA(r.reference.x, r.reference.y, r.options, rect, r.bytes, r.dx);
        else
            dc_.extTextOut(r.reference.x, r.reference.y, r.options, rect, r.text, r.dx);
        dc_.setGraphicsMode(mode);
    }
    void operator()(const rec::Blt& r) { dc_.blt(r); }
    void operator()(const rec::Eof&) {}

private:
    template <class F> void editPalette(uint32_t index, F edit)
    {
        const ObjectPtr current = object(index);
        const Palette* p = current ? std::get_if<Palette>(current.get()) : nullptr;
        if (!p || (index & STOCK_FLAG))
            return;
        Palette copy = *p;
        edit(copy);
        table_[index] = makeObject(std::move(copy));
    }

    Dc& dc_;
    std::vector<ObjectPtr> table_;
};

} // namespace

QRectF pictureFrame(const EmfHeader& header) { return frameOf(header, pixelsPerMm(header)); }

bool playPicture(Dc& dc, const Picture& picture, const RectL& rect, const PlayOptions& options)
{
    const EmfHeader& h = picture.header;
    const double w = double(rect.right) - rect.left, hgt = double(rect.bottom) - rect.top;
    if (picture.records.empty() || w == 0 || hgt == 0)
        return false;
    const QPointF ppm = pixelsPerMm(h);
    const QRectF frame = frameOf(h, ppm);
    if (frame.width() <= 0 || frame.height() <= 0)
        return false;
    const QTransform base = QTransform::fromScale(100 / ppm.x(), 100 / ppm.y())
        * QTransform::fromTranslate(-frame.left(), -frame.top())
        * QTransform::fromScale(w / frame.width(), hgt / frame.height())
        * QTransform::fromTranslate(rect.left, rect.top) * dc.logicalToDevice();

    DeviceCaps reference;
    reference.horzRes = h.device.cx;
    reference.vertRes = h.device.cy;
    reference.horzSizeMm = h.millimeters.cx;
    reference.vertSizeMm = h.millimeters.cy;
    const QRectF target(QPointF(rect.left, rect.top), QPointF(rect.right, rect.bottom));
    const QRectF frameOnDevice = dc.logicalToDevice().mapRect(target.normalized());
    if (options.rectIsFrame)
        dc.device().notePictureArea(frameOnDevice);
    // Converting a Windows metafile records its text with advances measured on the reference
    // device; enhanced metafiles are measured where they are played.
    dc.beginPlayback(base, &reference, picture.fromWmf ? picture.measuredPixel : 0);
    Player player(dc, h.handles);
    const size_t n = std::min(picture.records.size(), options.maxRecords);
    const auto playGdi = [&](size_t from, size_t to) {
        for (size_t i = from; i < std::min(to, n); ++i)
            std::visit(player, picture.records[i]);
    };
    if (options.emfPlus && plus::drawsThroughEmfPlus(picture)) {
        // EMF+ device pixels are the reference device's pixels (the bounds GDI+ writes agree);
        // the stream's resolution only converts physical units.
        const plus::Stream& stream = *picture.plus;
        plus::PlayTarget plusTarget;
        plusTarget.toDevice = base;
        plusTarget.frameOnDevice = frameOnDevice;
        plusTarget.gdiRecords = n;
        plusTarget.maxRecords = options.maxRecords;
        plusTarget.gdiFallback = plus::hasGdiDrawing(picture);
        plus::playStream(dc, stream, plusTarget, playGdi);
    } else {
        playGdi(0, n);
    }
    dc.endPlayback();
    return true;
}

} // namespace kv::gdi
