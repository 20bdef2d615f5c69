#include "gdi/record/recordedobjects.h"

#include "gdi/emf/emrcodes.h"
#include "gdi/wmf/wmfformat.h"

namespace kv::gdi {

namespace {
constexpr uint32_t kStockFlag = 0x80000000u;
}

uint32_t RecordedObjects::takeIndex()
{
    const uint32_t first = format_ == RecordWriter::Format::Emf ? 1 : 0;
    for (size_t i = first; i < used_.size(); ++i)
        if (!used_[i]) {
            used_[i] = true;
            return uint32_t(i);
        }
    if (used_.size() < first)
        used_.resize(first, true);
    used_.push_back(true);
    return uint32_t(used_.size() - 1);
}

void RecordedObjects::writeSelect(RecordWriter& out, uint32_t index)
{
    if (format_ == RecordWriter::Format::Emf) {
        out.begin(emr::SELECTOBJECT);
        out.u32(index);
    } else {
        out.begin(wmf::META_SELECTOBJECT);
        out.u16(uint16_t(index));
    }
    out.end();
}

void RecordedObjects::writeDelete(RecordWriter& out, uint32_t index)
{
    if (format_ == RecordWriter::Format::Emf) {
        out.begin(emr::DELETEOBJECT);
        out.u32(index);
    } else {
        out.begin(wmf::META_DELETEOBJECT);
        out.u16(uint16_t(index));
    }
    out.end();
    used_[index] = false;
}

void RecordedObjects::release(RecordWriter& out, Current& current)
{
    if (current.index)
        writeDelete(out, *current.index);
    current = Current{};
}

void RecordedObjects::select(RecordWriter& out, Kind kind, std::vector<uint8_t> record)
{
    Current& current = current_[size_t(kind)];
    if (current.index && current.key == record) {
        if (!current.selected)
            writeSelect(out, *current.index);
        current.selected = true;
        return;
    }
    const uint32_t index = takeIndex();
    std::vector<uint8_t> written = record;
    if (format_ == RecordWriter::Format::Emf && written.size() >= 12)
        for (int i = 0; i < 4; ++i)
            written[8 + i] = uint8_t(index >> (8 * i));
    out.appendRecord(written);
    writeSelect(out, index);
    // Deleting after selecting the replacement: the old object is never deleted while selected.
    if (current.index)
        writeDelete(out, *current.index);
    current = Current{index, std::move(record), true};
}

void RecordedObjects::selectStock(RecordWriter& out, Kind kind, uint32_t stockIndex)
{
    Current& current = current_[size_t(kind)];
    const std::vector<uint8_t> key{uint8_t(stockIndex)};
    if (!current.index && current.key == key && current.selected)
        return;
    writeSelect(out, kStockFlag | stockIndex);
    release(out, current);
    current = Current{std::nullopt, key, true};
}

void RecordedObjects::forgetSelection()
{
    for (Current& c : current_) {
        c.selected = false;
        if (!c.index)
            c.key.clear();
    }
}

uint32_t RecordedObjects::handleCount() const
{
    if (format_ == RecordWriter::Format::Emf)
        return std::max<uint32_t>(1, uint32_t(used_.size()));
    return uint32_t(used_.size());
}

} // namespace kv::gdi
