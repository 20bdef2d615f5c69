// EMF+ state records: rendering settings, the saved-state and container stack, world and page
// transforms, clipping, and GetDC.
#include "gdi/emfplus/emfplusparse.h"

#include <cmath>

namespace kv::gdi::plus::read {

namespace {

constexpr uint16_t kAppend = 0x2000;  // the transform applies after the world transform

bool push(std::vector<rec::Record>& out, rec::Record r)
{
    out.push_back(std::move(r));
    return true;
}

template <rec::Setting S, uint16_t Mask> bool setting(ByteReader&, uint16_t f, std::vector<rec::Record>& out)
{
    return push(out, rec::Set{S, uint32_t(f & Mask)});
}

template <rec::StateOp Op> bool stackRecord(ByteReader& r, uint16_t, std::vector<rec::Record>& out)
{
    const uint32_t index = r.u32();
    return r.ok() && push(out, rec::State{Op, index, std::nullopt});
}

// The container maps its source rectangle onto the destination. The destination is taken in
// the current page unit: the unit in the record's flags is not applied.
bool beginContainer(ByteReader& r, uint16_t, std::vector<rec::Record>& out)
{
    const QRectF dest = readRectF(r), src = readRectF(r);
    const uint32_t index = r.u32();
    if (!r.ok())
        return false;
    std::optional<QTransform> t;
    if (src.width() != 0 && src.height() != 0)
        t = QTransform::fromTranslate(-src.left(), -src.top())
            * QTransform::fromScale(dest.width() / src.width(), dest.height() / src.height())
            * QTransform::fromTranslate(dest.left(), dest.top());
    return push(out, rec::State{rec::StateOp::BeginContainer, index, t});
}

bool setWorld(ByteReader& r, uint16_t, std::vector<rec::Record>& out)
{
    const QTransform m = readMatrix(r);
    return r.ok() && push(out, rec::Transform{rec::TransformOp::Set, m, false});
}

bool resetWorld(ByteReader&, uint16_t, std::vector<rec::Record>& out)
{
    return push(out, rec::Transform{rec::TransformOp::Reset, {}, false});
}

bool multiplyWorld(ByteReader& r, uint16_t f, std::vector<rec::Record>& out)
{
    const QTransform m = readMatrix(r);
    return r.ok() && push(out, rec::Transform{rec::TransformOp::Multiply, m, bool(f & kAppend)});
}

bool translateWorld(ByteReader& r, uint16_t f, std::vector<rec::Record>& out)
{
    const double dx = r.f32(), dy = r.f32();
    if (!r.ok() || !std::isfinite(dx) || !std::isfinite(dy))
        return false;
    return push(out, rec::Transform{rec::TransformOp::Multiply, QTransform::fromTranslate(dx, dy), bool(f & kAppend)});
}

bool scaleWorld(ByteReader& r, uint16_t f, std::vector<rec::Record>& out)
{
    const double sx = r.f32(), sy = r.f32();
    if (!r.ok() || !std::isfinite(sx) || !std::isfinite(sy))
        return false;
    return push(out, rec::Transform{rec::TransformOp::Multiply, QTransform::fromScale(sx, sy), bool(f & kAppend)});
}

bool rotateWorld(ByteReader& r, uint16_t f, std::vector<rec::Record>& out)
{
    const double angle = r.f32();
    if (!r.ok() || !std::isfinite(angle))
        return false;
    QTransform m;
    m.rotate(angle);  // clockwise on a y-down page, as GDI+ turns
    return push(out, rec::Transform{rec::TransformOp::Multiply, m, bool(f & kAppend)});
}

bool pageTransform(ByteReader& r, uint16_t f, std::vector<rec::Record>& out)
{
    const double scale = r.f32();
    if (!r.ok() || !std::isfinite(scale))
        return false;
    return push(out, rec::PageTransform{uint32_t(f & 0xFF), scale});
}

uint32_t combineMode(uint16_t f) { return uint32_t((f >> 8) & 0x0F); }

bool resetClip(ByteReader&, uint16_t, std::vector<rec::Record>& out)
{
    return push(out, rec::Clip{});
}

bool clipRect(ByteReader& r, uint16_t f, std::vector<rec::Record>& out)
{
    rec::Clip c;
    c.op = rec::ClipOp::Rect;
    c.combine = combineMode(f);
    c.rect = readRectF(r).normalized();
    return r.ok() && push(out, c);
}

template <rec::ClipOp Op> bool clipObject(ByteReader&, uint16_t f, std::vector<rec::Record>& out)
{
    rec::Clip c;
    c.op = Op;
    c.combine = combineMode(f);
    c.id = uint8_t(f & 0xFF);
    return push(out, c);
}

bool offsetClip(ByteReader& r, uint16_t, std::vector<rec::Record>& out)
{
    rec::Clip c;
    c.op = rec::ClipOp::Offset;
    const double dx = r.f32(), dy = r.f32();
    if (!r.ok() || !std::isfinite(dx) || !std::isfinite(dy))
        return false;
    c.offset = QPointF(dx, dy);
    return push(out, c);
}

bool getDc(ByteReader&, uint16_t, std::vector<rec::Record>& out) { return push(out, rec::GetDc{}); }

using rec::Setting;
using rec::StateOp;

constexpr KnownRecord kState[] = {
    {0x4003, "Comment", nullptr},
    {0x4004, "GetDC", getDc},
    {0x4005, "MultiFormatStart", nullptr},
    {0x4006, "MultiFormatSection", nullptr},
    {0x4007, "MultiFormatEnd", nullptr},
    {0x401D, "SetRenderingOrigin", nullptr},
    {0x401E, "SetAntiAliasMode", setting<Setting::AntiAlias, 0x00FF>},
    {0x401F, "SetTextRenderingHint", setting<Setting::TextHint, 0x00FF>},
    {0x4020, "SetTextContrast", nullptr},
    {0x4021, "SetInterpolationMode", setting<Setting::Interpolation, 0x00FF>},
    {0x4022, "SetPixelOffsetMode", setting<Setting::PixelOffset, 0x00FF>},
    {0x4023, "SetCompositingMode", setting<Setting::Compositing, 0x00FF>},
    {0x4024, "SetCompositingQuality", setting<Setting::CompositingQuality, 0x00FF>},
    {0x4025, "Save", stackRecord<StateOp::Save>},
    {0x4026, "Restore", stackRecord<StateOp::Restore>},
    {0x4027, "BeginContainer", beginContainer},
    {0x4028, "BeginContainerNoParams", stackRecord<StateOp::BeginContainer>},
    {0x4029, "EndContainer", stackRecord<StateOp::EndContainer>},
    {0x402A, "SetWorldTransform", setWorld},
    {0x402B, "ResetWorldTransform", resetWorld},
    {0x402C, "MultiplyWorldTransform", multiplyWorld},
    {0x402D, "TranslateWorldTransform", translateWorld},
    {0x402E, "ScaleWorldTransform", scaleWorld},
    {0x402F, "RotateWorldTransform", rotateWorld},
    {0x4030, "SetPageTransform", pageTransform},
    {0x4031, "ResetClip", resetClip},
    {0x4032, "SetClipRect", clipRect},
    {0x4033, "SetClipPath", clipObject<rec::ClipOp::Path>},
    {0x4034, "SetClipRegion", clipObject<rec::ClipOp::Region>},
    {0x4035, "OffsetClip", offsetClip},
    {0x4038, "SerializableObject", nullptr},
    {0x4039, "SetTSGraphics", nullptr},
};

} // namespace

std::span<const KnownRecord> stateRecords() { return kState; }

} // namespace kv::gdi::plus::read
