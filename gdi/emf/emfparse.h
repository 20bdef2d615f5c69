#pragma once
// The EMF reader's private parts: the record table and the helpers its handlers share.
// Each handler gets a reader over one whole record (positioned after the type and size
// fields) and appends the parsed records; false means the record was malformed and is
// skipped. Not for use outside the EMF reader (gdi/emf/).
#include "gdi/core/records.h"
#include "gdi/dib/dib.h"

#include "platform/bytereader.h"

#include <optional>
#include <string_view>
#include <vector>

namespace kv::gdi::plus { class StreamBuilder; }

namespace kv::gdi::emfread {

struct Context {
    std::vector<rec::Record>& out;
    // Where the EMF+ records of comments go (null: comments are not looked into).
    plus::StreamBuilder* plus = nullptr;
    // Decoded bitmap pixels the page may still hold.
    uint64_t pixelsLeft = kPagePixelBudget;
};

using Handler = bool (*)(ByteReader& r, Context& ctx);

struct KnownRecord {
    uint32_t type;
    const char* name;
    uint32_t minSize;  // the whole record, type and size fields included
    Handler handler;   // null: known and deliberately ignored
};

// The table of every record type the reader knows, sorted by type.
std::span<const KnownRecord> recordTable();
const KnownRecord* findRecord(uint32_t type);

// Handler groups (emfstate.cpp, emfobjects.cpp, emfdraw.cpp, emftext.cpp, emfbitmaps.cpp).
std::span<const KnownRecord> stateRecords();
std::span<const KnownRecord> objectRecords();
std::span<const KnownRecord> drawRecords();
std::span<const KnownRecord> textRecords();
std::span<const KnownRecord> bitmapRecords();

// EMR_COMMENT (emfcomment.cpp): EMF+ payloads go to the context's EMF+ reader.
bool comment(ByteReader& r, Context& ctx);

// ---- field helpers ----
inline PointL readPoint(ByteReader& r) { PointL p; p.x = r.i32(); p.y = r.i32(); return p; }
inline SizeL readSize(ByteReader& r) { SizeL s; s.cx = r.i32(); s.cy = r.i32(); return s; }
inline RectL readRect(ByteReader& r)
{
    RectL b;
    b.left = r.i32(); b.top = r.i32(); b.right = r.i32(); b.bottom = r.i32();
    return b;
}
XForm readXForm(ByteReader& r);

// `count` points of 32 or 16 bits each; nothing when they do not fit the record.
std::optional<std::vector<PointL>> readPoints(ByteReader& r, uint32_t count, bool shortPoints);

// A RGNDATA of `size` bytes at the reader's position.
std::optional<RegionData> readRegion(ByteReader& r, uint32_t size);

// A DIB the record carries at the given offsets (from the record's start), decoded once.
// Null when absent; a bitmap with a null image when it cannot be decoded.
BitmapPtr readBitmap(Context& ctx, const ByteReader& record, uint32_t offBmi, uint32_t cbBmi, uint32_t offBits,
                     uint32_t cbBits, uint32_t usage, uint32_t flags = 0);

template <class T> bool push(Context& ctx, T record)
{
    ctx.out.emplace_back(std::move(record));
    return true;
}

} // namespace kv::gdi::emfread
