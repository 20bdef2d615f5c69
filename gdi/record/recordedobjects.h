#pragma once
// The objects a recorder has selected: one pen, one brush and one font at a time, each made
// by a creation record, selected, and deleted when the next one replaces it. A creation
// record identical to the one in use is not written again. Object indexes take the lowest
// free slot (EMF indexes count from 1, WMF slots from 0), as GDI assigns them.
#include "gdi/record/recordwriter.h"

#include <array>
#include <optional>
#include <vector>

namespace kv::gdi {

class RecordedObjects {
public:
    enum class Kind : uint8_t { Pen, Brush, Font };

    explicit RecordedObjects(RecordWriter::Format format) : format_(format) {}

    // `record`: a complete creation record (for EMF with 0 in its index field at byte 8).
    void select(RecordWriter& out, Kind kind, std::vector<uint8_t> record);
    // EMF only: a stock object (index without the high bit).
    void selectStock(RecordWriter& out, Kind kind, uint32_t stockIndex);
    // After a RestoreDC the playback has its defaults selected again; the objects still exist.
    void forgetSelection();

    // EMF nHandles (highest index + 1) or WMF mtNoObjects (slots used).
    uint32_t handleCount() const;

private:
    struct Current {
        std::optional<uint32_t> index;  // created object, or nothing for a stock one
        std::vector<uint8_t> key;
        bool selected = false;
    };
    uint32_t takeIndex();
    void writeSelect(RecordWriter& out, uint32_t index);
    void writeDelete(RecordWriter& out, uint32_t index);
    void release(RecordWriter& out, Current& current);

    RecordWriter::Format format_;
    std::vector<bool> used_;
    std::array<Current, 3> current_;
};

} // namespace kv::gdi
