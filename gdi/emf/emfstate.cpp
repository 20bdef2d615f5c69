// EMF records that set DC state: attributes, mapping, transforms, the SaveDC stack, the
// current position, clipping and the path bracket.
#include "gdi/emf/emfparse.h"

#include <cmath>
#include <cstring>

namespace kv::gdi::emfread {

namespace {

template <rec::Attr A> bool attr(ByteReader& r, Context& c)
{
    return push(c, rec::SetAttr{A, r.i32()});
}

template <rec::Ext E> bool extOrg(ByteReader& r, Context& c)
{
    const int32_t x = r.i32(), y = r.i32();
    return push(c, rec::SetExtOrg{E, x, y});
}

template <rec::Ext E> bool scaleExt(ByteReader& r, Context& c)
{
    rec::ScaleExt s{E, 0, 0, 0, 0};
    s.xNum = r.i32(); s.xDenom = r.i32(); s.yNum = r.i32(); s.yDenom = r.i32();
    return push(c, s);
}

bool bkColor(ByteReader& r, Context& c) { return push(c, rec::SetBkColor{r.u32()}); }
bool textColor(ByteReader& r, Context& c) { return push(c, rec::SetTextColor{r.u32()}); }
bool brushOrg(ByteReader& r, Context& c) { return push(c, rec::SetBrushOrg{readPoint(r)}); }

// The field is documented as an integer, yet some writers store a float's bits.
bool miterLimit(ByteReader& r, Context& c)
{
    const uint32_t bits = r.u32();
    double limit = bits;
    if (bits > 0x00FFFFFF) {
        float f;
        std::memcpy(&f, &bits, 4);
        limit = f;
    }
    return push(c, rec::SetMiterLimit{limit});
}

bool justification(ByteReader& r, Context& c)
{
    const int32_t extra = r.i32(), count = r.i32();
    return push(c, rec::SetTextJustification{extra, count});
}

bool setWorld(ByteReader& r, Context& c) { return push(c, rec::SetWorldTransform{readXForm(r)}); }

bool modifyWorld(ByteReader& r, Context& c)
{
    const XForm x = readXForm(r);
    return push(c, rec::ModifyWorldTransform{x, r.u32()});
}

bool saveDc(ByteReader&, Context& c) { return push(c, rec::SaveDc{}); }
bool restoreDc(ByteReader& r, Context& c) { return push(c, rec::RestoreDc{r.i32()}); }
bool moveTo(ByteReader& r, Context& c) { return push(c, rec::MoveTo{readPoint(r)}); }

bool intersectClip(ByteReader& r, Context& c) { return push(c, rec::IntersectClipRect{readRect(r)}); }
bool excludeClip(ByteReader& r, Context& c) { return push(c, rec::ExcludeClipRect{readRect(r)}); }
bool offsetClip(ByteReader& r, Context& c) { return push(c, rec::OffsetClipRgn{readPoint(r)}); }
bool setMetaRgn(ByteReader&, Context& c) { return push(c, rec::SetMetaRgn{}); }

bool extSelectClip(ByteReader& r, Context& c)
{
    const uint32_t size = r.u32(), mode = r.u32();
    if (!r.ok())
        return false;
    rec::ExtSelectClipRgn s{mode, false, {}};
    if (size > 0) {
        auto region = readRegion(r, size);
        if (!region)
            return false;
        s.hasRegion = true;
        s.region = std::move(*region);
    }
    return push(c, std::move(s));
}

template <rec::PathOp Op> bool path(ByteReader&, Context& c) { return push(c, rec::PathCall{Op}); }
bool selectClipPath(ByteReader& r, Context& c) { return push(c, rec::SelectClipPath{r.u32()}); }

constexpr KnownRecord kRecords[] = {
    {9, "SETWINDOWEXTEX", 16, extOrg<rec::Ext::WindowExt>},
    {10, "SETWINDOWORGEX", 16, extOrg<rec::Ext::WindowOrg>},
    {11, "SETVIEWPORTEXTEX", 16, extOrg<rec::Ext::ViewportExt>},
    {12, "SETVIEWPORTORGEX", 16, extOrg<rec::Ext::ViewportOrg>},
    {13, "SETBRUSHORGEX", 16, brushOrg},
    {16, "SETMAPPERFLAGS", 12, attr<rec::Attr::MapperFlags>},
    {17, "SETMAPMODE", 12, attr<rec::Attr::MapMode>},
    {18, "SETBKMODE", 12, attr<rec::Attr::BkMode>},
    {19, "SETPOLYFILLMODE", 12, attr<rec::Attr::PolyFillMode>},
    {20, "SETROP2", 12, attr<rec::Attr::Rop2>},
    {21, "SETSTRETCHBLTMODE", 12, attr<rec::Attr::StretchBltMode>},
    {22, "SETTEXTALIGN", 12, attr<rec::Attr::TextAlign>},
    {23, "SETCOLORADJUSTMENT", 8, nullptr},
    {24, "SETTEXTCOLOR", 12, textColor},
    {25, "SETBKCOLOR", 12, bkColor},
    {26, "OFFSETCLIPRGN", 16, offsetClip},
    {27, "MOVETOEX", 16, moveTo},
    {28, "SETMETARGN", 8, setMetaRgn},
    {29, "EXCLUDECLIPRECT", 24, excludeClip},
    {30, "INTERSECTCLIPRECT", 24, intersectClip},
    {31, "SCALEVIEWPORTEXTEX", 24, scaleExt<rec::Ext::ViewportExt>},
    {32, "SCALEWINDOWEXTEX", 24, scaleExt<rec::Ext::WindowExt>},
    {33, "SAVEDC", 8, saveDc},
    {34, "RESTOREDC", 12, restoreDc},
    {35, "SETWORLDTRANSFORM", 32, setWorld},
    {36, "MODIFYWORLDTRANSFORM", 36, modifyWorld},
    {57, "SETARCDIRECTION", 12, attr<rec::Attr::ArcDirection>},
    {58, "SETMITERLIMIT", 12, miterLimit},
    {59, "BEGINPATH", 8, path<rec::PathOp::Begin>},
    {60, "ENDPATH", 8, path<rec::PathOp::End>},
    {61, "CLOSEFIGURE", 8, path<rec::PathOp::CloseFigure>},
    {62, "FILLPATH", 8, path<rec::PathOp::Fill>},
    {63, "STROKEANDFILLPATH", 8, path<rec::PathOp::StrokeAndFill>},
    {64, "STROKEPATH", 8, path<rec::PathOp::Stroke>},
    {65, "FLATTENPATH", 8, path<rec::PathOp::Flatten>},
    {66, "WIDENPATH", 8, path<rec::PathOp::Widen>},
    {67, "SELECTCLIPPATH", 12, selectClipPath},
    {68, "ABORTPATH", 8, path<rec::PathOp::Abort>},
    {75, "EXTSELECTCLIPRGN", 16, extSelectClip},
    {98, "SETICMMODE", 8, nullptr},
    {99, "CREATECOLORSPACE", 8, nullptr},
    {100, "SETCOLORSPACE", 8, nullptr},
    {101, "DELETECOLORSPACE", 8, nullptr},
    {104, "PIXELFORMAT", 8, nullptr},
    {105, "DRAWESCAPE", 8, nullptr},
    {106, "EXTESCAPE", 8, nullptr},
    {109, "FORCEUFIMAPPING", 8, nullptr},
    {110, "NAMEDESCAPE", 8, nullptr},
    {111, "COLORCORRECTPALETTE", 8, nullptr},
    {112, "SETICMPROFILEA", 8, nullptr},
    {113, "SETICMPROFILEW", 8, nullptr},
    {115, "SETLAYOUT", 12, attr<rec::Attr::Layout>},
    {119, "SETLINKEDUFIS", 8, nullptr},
    {120, "SETTEXTJUSTIFICATION", 16, justification},
    {121, "COLORMATCHTOTARGETW", 8, nullptr},
    {122, "CREATECOLORSPACEW", 8, nullptr},
};

} // namespace

XForm readXForm(ByteReader& r)
{
    XForm x;
    x.eM11 = r.f32(); x.eM12 = r.f32(); x.eM21 = r.f32(); x.eM22 = r.f32(); x.eDx = r.f32(); x.eDy = r.f32();
    return x;
}

std::span<const KnownRecord> stateRecords() { return kRecords; }

} // namespace kv::gdi::emfread
