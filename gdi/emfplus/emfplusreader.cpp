// The EMF+ record walk: each record's size checked against the comment that carries it, the
// header and end-of-file records noted, objects joined from their continuation records, and
// every other record dispatched through the table.
#include "gdi/emfplus/emfplusreader.h"

#include "gdi/dib/dib.h"
#include "gdi/emfplus/emfplusparse.h"

#include <algorithm>
#include <vector>

namespace kv::gdi::plus {

namespace {

constexpr uint16_t kHeader = 0x4001, kEndOfFile = 0x4002, kObject = 0x4008;
constexpr uint16_t kContinued = 0x8000;        // Object: more of it follows in later records
constexpr uint32_t kMaxObjectSize = 1u << 28;  // what a continued object may announce

std::vector<read::KnownRecord> buildTable()
{
    std::vector<read::KnownRecord> all;
    for (auto group : {read::drawingRecords(), read::stateRecords()})
        all.insert(all.end(), group.begin(), group.end());
    std::sort(all.begin(), all.end(), [](const auto& a, const auto& b) { return a.type < b.type; });
    return all;
}

const read::KnownRecord* findKnown(uint32_t type)
{
    static const std::vector<read::KnownRecord> table = buildTable();
    auto it = std::lower_bound(table.begin(), table.end(), type, [](const auto& s, uint32_t t) { return s.type < t; });
    return it != table.end() && it->type == type ? &*it : nullptr;
}

} // namespace

const char* recordName(uint32_t type)
{
    switch (type) {
    case kHeader: return "Header";
    case kEndOfFile: return "EndOfFile";
    case kObject: return "Object";
    default: break;
    }
    const read::KnownRecord* known = findKnown(type);
    return known ? known->name : "Unknown";
}

struct StreamBuilder::Impl {
    std::shared_ptr<Stream> stream;
    bool headerSeen = false;
    bool ended = false;
    // The object being joined from continuation records.
    struct Pending {
        uint16_t flags = 0;
        uint32_t total = 0;
        std::vector<uint8_t> bytes;
    };
    std::optional<Pending> pending;
    std::vector<rec::Record> scratch;
    read::WorkMeter meter;
    uint64_t pixelsLeft = kPagePixelBudget;
    bool overBudget = false;

    // A page over its work bound keeps nothing more: what came before it is all it may draw.
    void push(size_t gdiIndex, rec::Record made)
    {
        if (overBudget)
            return;
        if (!meter.add(made)) {
            overBudget = true;
            damage("the page asks for more drawing than a page may hold");
            return;
        }
        stream->entries.push_back({gdiIndex, std::move(made)});
    }

    void damage(const std::string& what)
    {
        if (!stream->damaged)
            stream->problem = what;
        stream->damaged = true;
    }

    void count(uint32_t type)
    {
        auto& counts = stream->counts;
        auto it = std::find_if(counts.begin(), counts.end(), [&](const auto& p) { return p.first == type; });
        if (it == counts.end())
            counts.emplace_back(type, 1);
        else
            ++it->second;
    }

    void defineObject(uint16_t flags, ByteReader data, size_t gdiIndex)
    {
        std::string problem;
        const uint32_t type = (flags >> 8) & 0x7F;
        ObjectPtr object = read::readObject(type, data, problem);
        if (!object) {
            damage(problem.empty() ? "malformed object" : problem);
            return;
        }
        push(gdiIndex, rec::DefineObject{uint8_t(flags & 0xFF), std::move(object)});
    }

    void object(uint16_t flags, ByteReader& r, size_t gdiIndex)
    {
        if (!(flags & kContinued)) {
            if (pending)
                damage("an object's continuation is missing");
            pending.reset();
            defineObject(flags, r.sub(r.pos(), r.remaining()), gdiIndex);
            return;
        }
        const uint32_t total = r.u32();
        const auto chunk = r.bytes(r.remaining());
        if (!r.ok() || total > kMaxObjectSize) {
            damage("malformed continued object");
            return;
        }
        if (pending && (pending->flags & 0x7FFF) != (flags & 0x7FFF)) {
            damage("an object's continuation is missing");
            pending.reset();
        }
        if (!pending)
            pending = Pending{flags, total, {}};
        const size_t wanted = size_t(pending->total) - pending->bytes.size();
        pending->bytes.insert(pending->bytes.end(), chunk.begin(), chunk.begin() + std::min(wanted, chunk.size()));
        if (pending->bytes.size() >= pending->total) {
            const Pending done = std::move(*pending);
            pending.reset();
            defineObject(done.flags, ByteReader(done.bytes.data(), done.bytes.size()), gdiIndex);
        }
    }

    void header(ByteReader& r, uint16_t flags)
    {
        r.u32();  // version
        const uint32_t plusFlags = r.u32();
        const uint32_t dpiX = r.u32(), dpiY = r.u32();
        if (headerSeen)
            return;  // some writers begin the stream again part-way; the first header holds
        if (!r.ok()) {
            damage("malformed EMF+ header");
            return;
        }
        headerSeen = true;
        stream->dual = flags & 0x0001;
        stream->videoReference = plusFlags & 0x0001;
        if (dpiX > 0 && dpiX <= 100000 && dpiY > 0 && dpiY <= 100000) {
            stream->dpiX = dpiX;
            stream->dpiY = dpiY;
        }
    }

    void record(uint16_t type, uint16_t flags, ByteReader& r, size_t gdiIndex)
    {
        count(type);
        if (ended)
            return;  // GDI+ writes nothing after its end record that it means to draw
        if (type == kHeader) {
            header(r, flags);
            return;
        }
        if (!headerSeen) {
            damage("EMF+ records before the EMF+ header");
            return;
        }
        if (type == kEndOfFile) {
            ended = true;
            return;
        }
        if (type == kObject) {
            object(flags, r, gdiIndex);
            return;
        }
        const read::KnownRecord* known = findKnown(type);
        if (!known) {
            damage(std::string("unsupported EMF+ record 0x") + QByteArray::number(type, 16).toStdString());
            return;
        }
        if (!known->handler)
            return;
        scratch.clear();
        if (!known->handler(r, flags, scratch)) {
            damage(std::string("malformed EMF+ ") + known->name + " record");
            return;
        }
        for (rec::Record& made : scratch)
            push(gdiIndex, std::move(made));
    }
};

StreamBuilder::StreamBuilder() : impl_(std::make_unique<Impl>()) {}
StreamBuilder::~StreamBuilder() = default;

void StreamBuilder::addComment(std::span<const uint8_t> records, size_t gdiIndex)
{
    if (!impl_->stream)
        impl_->stream = std::make_shared<Stream>();
    impl_->stream->comments.push_back(gdiIndex);
    const read::PagePixels pixels(impl_->pixelsLeft);
    ByteReader data(records);
    constexpr size_t kRecordHeader = 12;
    while (data.remaining() >= kRecordHeader) {
        const size_t start = data.pos();
        const uint16_t type = data.u16(), flags = data.u16();
        const uint32_t size = data.u32(), dataSize = data.u32();
        if (size < kRecordHeader || size - kRecordHeader > data.remaining() || dataSize > size - kRecordHeader) {
            impl_->damage("EMF+ record size beyond its comment");
            return;
        }
        ByteReader body = data.sub(start + kRecordHeader, dataSize);
        impl_->record(type, flags, body, gdiIndex);
        data.seek(start + size);
    }
}

StreamPtr StreamBuilder::finish()
{
    if (!impl_->stream)
        return nullptr;
    if (!impl_->headerSeen)
        impl_->damage("no EMF+ header");
    else if (!impl_->ended)
        impl_->damage("no EMF+ end-of-file record");
    if (impl_->pending)
        impl_->damage("an object's continuation is missing");
    impl_->stream->work = impl_->meter.total();
    return std::move(impl_->stream);
}

} // namespace kv::gdi::plus
