// WMF records that set DC state: attributes, mapping, the save stack, clipping rectangles and
// escapes. Parameters come in reverse order (y before x; bottom, right, top, left).
#include "gdi/wmf/wmfgeometry.h"
#include "gdi/wmf/wmfparser.h"

namespace kv::gdi {

using wmf::readReversedPoint;
using wmf::readReversedRect;

bool WmfParser::setBkColor(ByteReader& p) { push(rec::SetBkColor{p.u32()}); return true; }
bool WmfParser::setTextColor(ByteReader& p) { push(rec::SetTextColor{p.u32()}); return true; }
bool WmfParser::setBkMode(ByteReader& p) { push(rec::SetAttr{rec::Attr::BkMode, p.u16()}); return true; }
bool WmfParser::setMapMode(ByteReader& p) { push(rec::SetAttr{rec::Attr::MapMode, p.u16()}); return true; }
bool WmfParser::setRop2(ByteReader& p) { push(rec::SetAttr{rec::Attr::Rop2, p.u16()}); return true; }
bool WmfParser::setRelAbs(ByteReader&) { return false; }
bool WmfParser::skipRecord(ByteReader&) { return false; }
bool WmfParser::setPolyFillMode(ByteReader& p) { push(rec::SetAttr{rec::Attr::PolyFillMode, p.u16()}); return true; }
bool WmfParser::setStretchBltMode(ByteReader& p) { push(rec::SetAttr{rec::Attr::StretchBltMode, p.u16()}); return true; }
bool WmfParser::setTextCharExtra(ByteReader& p) { push(rec::SetAttr{rec::Attr::TextCharExtra, p.i16()}); return true; }
bool WmfParser::setTextAlign(ByteReader& p) { push(rec::SetAttr{rec::Attr::TextAlign, p.u16()}); return true; }
bool WmfParser::setMapperFlags(ByteReader& p) { push(rec::SetAttr{rec::Attr::MapperFlags, p.i32()}); return true; }

bool WmfParser::setTextJustification(ByteReader& p)
{
    const int32_t count = p.u16();
    const int32_t extra = p.u16();
    push(rec::SetTextJustification{extra, count});
    return true;
}

bool WmfParser::setWindowOrg(ByteReader& p)
{
    const PointL v = readReversedPoint(p);
    push(rec::SetExtOrg{rec::Ext::WindowOrg, v.x, v.y});
    return true;
}

bool WmfParser::setWindowExt(ByteReader& p)
{
    const PointL v = readReversedPoint(p);
    push(rec::SetExtOrg{rec::Ext::WindowExt, v.x, v.y});
    return true;
}

bool WmfParser::setViewportOrg(ByteReader& p)
{
    const PointL v = readReversedPoint(p);
    push(rec::SetExtOrg{rec::Ext::ViewportOrg, v.x, v.y});
    return true;
}

bool WmfParser::setViewportExt(ByteReader& p)
{
    const PointL v = readReversedPoint(p);
    push(rec::SetExtOrg{rec::Ext::ViewportExt, v.x, v.y});
    return true;
}

bool WmfParser::offsetWindowOrg(ByteReader& p)
{
    const PointL v = readReversedPoint(p);
    push(rec::OffsetOrg{rec::Ext::WindowOrg, v.x, v.y});
    return true;
}

bool WmfParser::offsetViewportOrg(ByteReader& p)
{
    const PointL v = readReversedPoint(p);
    push(rec::OffsetOrg{rec::Ext::ViewportOrg, v.x, v.y});
    return true;
}

bool WmfParser::scaleWindowExt(ByteReader& p)
{
    const int32_t yDenom = p.i16(), yNum = p.i16(), xDenom = p.i16(), xNum = p.i16();
    push(rec::ScaleExt{rec::Ext::WindowExt, xNum, xDenom, yNum, yDenom});
    return true;
}

bool WmfParser::scaleViewportExt(ByteReader& p)
{
    const int32_t yDenom = p.i16(), yNum = p.i16(), xDenom = p.i16(), xNum = p.i16();
    push(rec::ScaleExt{rec::Ext::ViewportExt, xNum, xDenom, yNum, yDenom});
    return true;
}

bool WmfParser::saveDc(ByteReader&) { push(rec::SaveDc{}); return true; }
bool WmfParser::restoreDc(ByteReader& p) { push(rec::RestoreDc{p.i16()}); return true; }

bool WmfParser::excludeClipRect(ByteReader& p) { push(rec::ExcludeClipRect{readReversedRect(p)}); return true; }
bool WmfParser::intersectClipRect(ByteReader& p) { push(rec::IntersectClipRect{readReversedRect(p)}); return true; }

bool WmfParser::offsetClipRgn(ByteReader& p)
{
    push(rec::OffsetClipRgn{readReversedPoint(p)});
    return true;
}

// Escapes draw nothing, but a run of MFCOMMENT escapes may carry a whole EMF (left there by
// an earlier EMF-to-WMF conversion): that EMF is the picture.
bool WmfParser::escape(ByteReader& p)
{
    const uint16_t function = p.u16();
    const uint16_t count = p.u16();
    if (function != wmf::kMfComment || count < 34 || p.remaining() < count || p.u32() != wmf::kEmbeddedEmfId)
        return false;
    const uint32_t commentType = p.u32();
    p.u32();  // version
    p.u16();  // checksum
    p.u32();  // flags
    p.u32();  // comment record count
    const uint32_t chunkSize = p.u32();
    const uint32_t remaining = p.u32();
    const uint32_t total = p.u32();
    if (!p.ok() || commentType != 1 || chunkSize > p.remaining())
        return false;
    if (emfChunks_.empty())
        emfSize_ = total;
    if (total != emfSize_ || emfChunks_.size() + chunkSize > emfSize_)
        return false;
    const std::span<const uint8_t> chunk = p.bytes(chunkSize);
    emfChunks_.insert(emfChunks_.end(), chunk.begin(), chunk.end());
    emfComplete_ = remaining == 0 && emfChunks_.size() == emfSize_;
    return true;
}

} // namespace kv::gdi
