// Reading a Windows metafile: the header (plain or placeable), the walk over the records and
// the picture header a conversion to EMF gets. The records themselves are translated by
// WmfParser (wmfstate.cpp, wmfdraw.cpp, wmfobjects.cpp, wmfbitmaps.cpp).
#include "gdi/dc/dc.h"
#include "gdi/emf/emfrecorder.h"
#include "gdi/player.h"
#include "gdi/readers.h"
#include "gdi/wmf/wmfparser.h"
#include "gdi/wmf/wmfpicture.h"

#include <cmath>

namespace kv::gdi {

namespace {

struct WmfStart {
    size_t recordsAt = 0;           // offset of the first record
    std::optional<RectL> bbox;      // placeable header: the picture in its own units
    uint16_t inch = 0;              // placeable header: units per inch
};

// Reads the placeable header (when present) and the META header; nothing when the bytes are
// not a Windows metafile.
std::optional<WmfStart> readStart(std::span<const uint8_t> bytes)
{
    ByteReader r(bytes);
    WmfStart start;
    if (r.u32() == wmf::kPlaceableKey) {
        r.u16();  // hWmf
        RectL box;
        box.left = r.i16();
        box.top = r.i16();
        box.right = r.i16();
        box.bottom = r.i16();
        start.inch = r.u16();
        start.bbox = box;
        start.recordsAt = wmf::kPlaceableSize;
    }
    r.seek(start.recordsAt);
    const uint16_t type = r.u16();
    const uint16_t headerWords = r.u16();
    const uint16_t version = r.u16();
    if (!r.ok() || r.remaining() < wmf::kHeaderSize - 6 || (type != 1 && type != 2) || headerWords != 9
        || (version != 0x0100 && version != 0x0300))
        return std::nullopt;
    start.recordsAt += wmf::kHeaderSize;
    return start;
}

// Before the file's own records: the picture fills the reference surface, anisotropic, with
// the placeable bounding box as the window until the file sets its own.
void emitPrefix(Picture& picture, SizeL surface, const WmfStart& start)
{
    picture.records.emplace_back(rec::SetAttr{rec::Attr::MapMode, MM_ANISOTROPIC});
    picture.records.emplace_back(rec::SetExtOrg{rec::Ext::ViewportExt, surface.cx, surface.cy});
    if (start.bbox) {
        const RectL& b = *start.bbox;
        picture.records.emplace_back(rec::SetExtOrg{rec::Ext::WindowOrg, b.left, b.top});
        if (b.right != b.left && b.bottom != b.top)
            picture.records.emplace_back(rec::SetExtOrg{rec::Ext::WindowExt, b.right - b.left, b.bottom - b.top});
    }
}

void fillHeader(EmfHeader& header, const DeviceCaps& reference, size_t bytes, size_t records, size_t objectSlots)
{
    header.bounds = RectL{0, 0, reference.horzRes - 1, reference.vertRes - 1};
    header.frame = RectL{0, 0, reference.horzSizeMm * 100, reference.vertSizeMm * 100};
    header.device = SizeL{reference.horzRes, reference.vertRes};
    header.millimeters = SizeL{reference.horzSizeMm, reference.vertSizeMm};
    header.micrometers = SizeL{reference.horzSizeMm * 1000, reference.vertSizeMm * 1000};
    header.bytes = uint32_t(bytes);
    header.records = uint32_t(records);
    header.handles = uint16_t(std::min<size_t>(objectSlots + 1, 0xFFFF));
}

RecordFrame readRecordHead(ByteReader& head)
{
    RecordFrame frame;
    frame.size = uint64_t(head.u32()) * 2;  // in 16-bit words
    frame.type = head.u16();
    return frame;
}

const char* recordName(uint32_t function)
{
    return wmfRecordName(uint16_t(function));
}

// mtSize is not trusted: the walk ends at META_EOF or at the end of the real data.
constexpr RecordFormat kWmfRecords{6, wmf::META_EOF, false, 10'000'000, readRecordHead, recordName};

// A header under which the player maps the picture's device units one to one onto the
// target's logical units when the picture is played into (0, 0, kUnitSide, kUnitSide):
// one pixel per millimetre, a frame of kUnitSide millimetres.
constexpr int32_t kUnitSide = kWmfUnitRect;

void makeUnscaledHeader(EmfHeader& header)
{
    header.device = SizeL{kUnitSide, kUnitSide};
    header.millimeters = SizeL{kUnitSide, kUnitSide};
    header.micrometers = SizeL{kUnitSide * 1000, kUnitSide * 1000};
    header.frame = RectL{0, 0, kUnitSide * 100, kUnitSide * 100};
    header.bounds = RectL{0, 0, kUnitSide - 1, kUnitSide - 1};
}

enum class Mapping : uint8_t { FillReference, Unscaled };

// `exactFrame`: the picture size in 0.01 mm (= surface pixels); `window`: the window to map
// onto it when the file has no placeable header to give one.
PicturePtr readWmfPicture(std::span<const uint8_t> bytes, const DeviceCaps& referenceCaps, Mapping mapping,
                          std::optional<SizeL> exactFrame = std::nullopt, std::optional<RectL> window = std::nullopt)
{
    std::optional<WmfStart> start = readStart(bytes);
    if (!start)
        return nullptr;
    if (!start->bbox)
        start->bbox = window;
    auto picture = std::make_shared<Picture>();
    picture->fromWmf = true;
    if (mapping == Mapping::FillReference)
        emitPrefix(*picture, exactFrame ? *exactFrame : SizeL{referenceCaps.horzRes, referenceCaps.vertRes}, *start);

    WmfParser parser(*picture, referenceCaps);
    size_t recordCount = 0;
    // A picture asked for at the WMF's own size is the WMF's drawing, not the EMF it was once
    // converted from (whose frame may be another shape).
    const bool wantsEmbedded = mapping == Mapping::FillReference && !exactFrame;
    PicturePtr embedded;
    walkRecords(ByteReader(bytes), start->recordsAt, kWmfRecords, picture->stats,
                [&](const RecordFrame& frame, ByteReader record) {
                    ++recordCount;
                    const RecordFate fate = parser.dispatch(uint16_t(frame.type), record.sub(6, record.size() - 6));
                    if (const std::vector<uint8_t>* emf = wantsEmbedded ? parser.embeddedEmf() : nullptr)
                        if ((embedded = readEmf(*emf)))
                            return RecordFate::PlayedLast;
                    return fate;
                });
    if (embedded)
        return embedded;
    picture->records.emplace_back(rec::Eof{});
    fillHeader(picture->header, referenceCaps, bytes.size(), recordCount + 2, parser.slotCount());
    if (mapping == Mapping::Unscaled)
        makeUnscaledHeader(picture->header);
    if (exactFrame) {
        picture->header.frame = RectL{0, 0, exactFrame->cx, exactFrame->cy};
        // The conversion measures text on the display, at its logical resolution, which the
        // surface's pixels of 0.01 mm only stand in for: its own text is spaced by whole
        // display pixels.
        picture->measuredPixel = 2540.0 / referenceCaps.logPixelsX;
    }
    return picture;
}

} // namespace

PicturePtr readWmf(std::span<const uint8_t> bytes, const DeviceCaps& referenceCaps)
{
    return readWmfPicture(bytes, referenceCaps, Mapping::FillReference);
}

PicturePtr readWmfUnscaled(std::span<const uint8_t> bytes)
{
    return readWmfPicture(bytes, DeviceCaps{}, Mapping::Unscaled);
}

namespace {

struct PictureSize {
    SizeL hundredthsMm;
    std::optional<RectL> drawnWindow;  // set when the size was measured from the drawing
};

// A file that states no size at all: the extent of its drawing from the origin, in picture
// units, measured by recording it unscaled.
std::optional<RectL> drawnExtent(std::span<const uint8_t> bytes)
{
    const PicturePtr unscaled = readWmfUnscaled(bytes);
    if (!unscaled)
        return std::nullopt;
    DeviceCaps caps;
    caps.horzRes = caps.vertRes = kWmfUnitRect;
    caps.horzSizeMm = caps.vertSizeMm = kWmfUnitRect;
    EmfRecorder recorder(caps);
    {
        Dc dc(recorder);
        playPicture(dc, *unscaled, RectL{0, 0, kWmfUnitRect, kWmfUnitRect}, PlayOptions{.rectIsFrame = false});
    }
    const std::optional<QRectF> area = recorder.drawnArea();
    if (!area || area->right() < 1 || area->bottom() < 1)
        return std::nullopt;
    const auto units = [](double v) { return int32_t(std::min(std::ceil(v), 32767.0)); };
    return RectL{0, 0, units(area->right()), units(area->bottom())};
}

std::optional<PictureSize> pictureSizeOf(std::span<const uint8_t> bytes)
{
    const std::optional<WmfStart> start = readStart(bytes);
    if (!start)
        return std::nullopt;
    if (start->bbox && start->inch > 0) {
        const RectL& b = *start->bbox;
        const int64_t w = std::abs(int64_t(b.right) - b.left), h = std::abs(int64_t(b.bottom) - b.top);
        if (w > 0 && h > 0)
            return PictureSize{SizeL{int32_t(w * 2540 / start->inch), int32_t(h * 2540 / start->inch)}, std::nullopt};
    }
    const auto at96Dpi = [](int32_t cx, int32_t cy) {
        return SizeL{int32_t(int64_t(cx) * 2540 / 96), int32_t(int64_t(cy) * 2540 / 96)};
    };
    ByteReader r(bytes);
    size_t pos = start->recordsAt;
    while (r.size() - pos >= 6) {
        r.seek(pos);
        const uint32_t words = r.u32();
        const uint16_t function = r.u16();
        if (function == wmf::META_EOF || words < 3 || words > (r.size() - pos) / 2)
            break;
        if (function == wmf::META_SETWINDOWEXT && words >= 5) {
            const int32_t cy = std::abs(int32_t(r.i16()));
            const int32_t cx = std::abs(int32_t(r.i16()));
            if (cx > 0 && cy > 0)
                return PictureSize{at96Dpi(cx, cy), std::nullopt};
        }
        pos += size_t(words) * 2;
    }
    if (const std::optional<RectL> drawn = drawnExtent(bytes))
        return PictureSize{at96Dpi(drawn->right, drawn->bottom), drawn};
    return std::nullopt;
}

} // namespace

PicturePtr readWmfAtPictureSize(std::span<const uint8_t> bytes)
{
    const std::optional<PictureSize> size = pictureSizeOf(bytes);
    if (!size || size->hundredthsMm.cx <= 0 || size->hundredthsMm.cy <= 0)
        return nullptr;
    // Players read the reference surface in whole millimetres: the surface is the picture
    // rounded up to them, at one pixel per 0.01 mm, and the picture fills exactly its own
    // part of it.
    const SizeL& mm100 = size->hundredthsMm;
    DeviceCaps caps;
    caps.horzSizeMm = (mm100.cx + 99) / 100;
    caps.vertSizeMm = (mm100.cy + 99) / 100;
    caps.horzRes = caps.horzSizeMm * 100;
    caps.vertRes = caps.vertSizeMm * 100;
    return readWmfPicture(bytes, caps, Mapping::FillReference, mm100, size->drawnWindow);
}

std::optional<SizeL> wmfPictureSize(std::span<const uint8_t> bytes)
{
    const std::optional<PictureSize> size = pictureSizeOf(bytes);
    return size ? std::optional<SizeL>(size->hundredthsMm) : std::nullopt;
}

} // namespace kv::gdi
