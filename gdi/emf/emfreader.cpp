// The EMF reader: header, then a walk over the records up to EMR_EOF bounded by the real
// size of the data (the header's counts are not trusted), each record dispatched through the
// table after its size has been checked against the table and the bytes left.
#include "gdi/readers.h"

#include "gdi/emf/emfparse.h"
#include "gdi/emfplus/emfplusreader.h"
#include "gdi/wmf/wmfpicture.h"

#include <QFile>
#include <algorithm>
#include <array>
#include <map>

namespace kv::gdi {

namespace emfread {

namespace {

constexpr uint32_t EMR_HEADER = 1, EMR_EOF = 14;
constexpr uint32_t kSignature = 0x464D4520;  // " EMF"
constexpr uint32_t kMinHeaderSize = 88;
constexpr size_t kMaxRecords = 10'000'000;
constexpr uint32_t kMaxDescription = 4096;

bool eof(ByteReader&, Context& c) { return push(c, rec::Eof{}); }

constexpr KnownRecord kOwnRecords[] = {
    {EMR_HEADER, "HEADER", 88, nullptr},
    {EMR_EOF, "EOF", 20, eof},
    {102, "GLSRECORD", 8, nullptr},
    {103, "GLSBOUNDEDRECORD", 8, nullptr},
};

std::vector<KnownRecord> buildTable()
{
    std::vector<KnownRecord> all(std::begin(kOwnRecords), std::end(kOwnRecords));
    for (auto group : {stateRecords(), objectRecords(), drawRecords(), textRecords(), bitmapRecords()})
        all.insert(all.end(), group.begin(), group.end());
    std::sort(all.begin(), all.end(), [](const KnownRecord& a, const KnownRecord& b) { return a.type < b.type; });
    return all;
}

} // namespace

std::span<const KnownRecord> recordTable()
{
    static const std::vector<KnownRecord> table = buildTable();
    return table;
}

const KnownRecord* findRecord(uint32_t type)
{
    const auto table = recordTable();
    auto it = std::lower_bound(table.begin(), table.end(), type,
                               [](const KnownRecord& s, uint32_t t) { return s.type < t; });
    return it != table.end() && it->type == type ? &*it : nullptr;
}

namespace {

std::optional<EmfHeader> readHeader(ByteReader& r, uint32_t& headerSize)
{
    EmfHeader h;
    const uint32_t type = r.u32();
    headerSize = r.u32();
    h.bounds = readRect(r);
    h.frame = readRect(r);
    h.signature = r.u32();
    if (!r.ok() || type != EMR_HEADER || h.signature != kSignature || headerSize < kMinHeaderSize
        || headerSize > r.size())
        return std::nullopt;
    h.version = r.u32();
    h.bytes = r.u32();
    h.records = r.u32();
    h.handles = r.u16();
    r.u16();  // reserved
    const uint32_t descChars = r.u32(), descOffset = r.u32();
    h.paletteEntries = r.u32();
    h.device = readSize(r);
    h.millimeters = readSize(r);
    // The extensions are there only when the header reaches them before its description or
    // pixel format begins; writers put the description at offset 88 or 100 as well.
    size_t limit = headerSize;
    if (descChars > 0)
        limit = std::min<size_t>(limit, descOffset);
    if (limit >= 100) {
        const uint32_t cbPixelFormat = r.u32(), offPixelFormat = r.u32();
        r.u32();  // bOpenGL
        if (cbPixelFormat > 0)
            limit = std::min<size_t>(limit, offPixelFormat);
        if (limit >= 108)
            h.micrometers = readSize(r);
    }
    // A micrometre size that disagrees with the millimetres is not believed.
    const auto agrees = [](int32_t um, int32_t mm) { return mm <= 0 || (um > int64_t(mm) * 500 && um < int64_t(mm) * 2000); };
    if (!agrees(h.micrometers.cx, h.millimeters.cx) || !agrees(h.micrometers.cy, h.millimeters.cy))
        h.micrometers = {};
    if (descChars > 0 && descChars <= kMaxDescription) {
        ByteReader d = r.sub(descOffset, size_t(descChars) * 2);
        for (uint32_t i = 0; d.ok() && i < descChars; ++i)
            h.description.push_back(char16_t(d.u16()));
    }
    return r.ok() ? std::optional<EmfHeader>(h) : std::nullopt;
}

// One record: checked against the table, then handed to its handler; a handler that fails
// leaves nothing behind.
RecordFate dispatch(ByteReader record, uint32_t type, Context& ctx)
{
    const KnownRecord* known = findRecord(type);
    if (!known || !known->handler)
        return RecordFate::Unknown;
    if (record.size() < known->minSize)
        return RecordFate::Short;
    record.seek(8);
    const size_t before = ctx.out.size();
    if (!known->handler(record, ctx)) {
        ctx.out.resize(before);
        return RecordFate::Unusable;
    }
    return RecordFate::Played;
}

RecordFrame readRecordHead(ByteReader& head)
{
    RecordFrame frame;
    frame.type = head.u32();
    frame.size = head.u32();
    return frame;
}

constexpr RecordFormat kEmfRecords{8, EMR_EOF, true, kMaxRecords, readRecordHead, emfRecordName};

} // namespace

} // namespace emfread

const char* emfRecordName(uint32_t type)
{
    const emfread::KnownRecord* known = emfread::findRecord(type);
    return known ? known->name : "UNKNOWN";
}

PicturePtr readEmf(std::span<const uint8_t> bytes)
{
    using namespace emfread;
    ByteReader data(bytes);
    uint32_t headerSize = 0;
    auto header = readHeader(data, headerSize);
    if (!header)
        return nullptr;
    auto picture = std::make_shared<Picture>();
    picture->header = *header;
    plus::StreamBuilder plusRecords;
    Context ctx{picture->records, &plusRecords};
    picture->stats.countPlayed(EMR_HEADER);
    walkRecords(data, headerSize, kEmfRecords, picture->stats,
                [&](const RecordFrame& frame, ByteReader record) { return dispatch(record, frame.type, ctx); });
    picture->plus = plusRecords.finish();
    return picture;
}

PicturePtr readMetafileFile(const QString& path, const DeviceCaps& wmfReferenceCaps, WmfSurface wmfSurface)
{
    constexpr qint64 kMaxFileSize = qint64(1) << 30;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > kMaxFileSize)
        return nullptr;
    const QByteArray content = file.readAll();
    const std::span<const uint8_t> bytes(reinterpret_cast<const uint8_t*>(content.constData()), size_t(content.size()));
    ByteReader probe(bytes);
    const uint32_t first = probe.u32();
    probe.seek(40);
    const uint32_t signature = probe.u32();
    if (probe.ok() && first == 1 && signature == 0x464D4520)
        return readEmf(bytes);
    if (wmfSurface == WmfSurface::PictureSize)
        if (PicturePtr sized = readWmfAtPictureSize(bytes))
            return sized;
    return readWmf(bytes, wmfReferenceCaps);
}

} // namespace kv::gdi
