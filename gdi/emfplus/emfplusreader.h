#pragma once
// gdi/emfplus: GDI+ records carried in EMF comments: this reader and the EMF+ player.
//
// The EMF+ reader. The EMF reader hands it the payload of every EMR_COMMENT that carries EMF+
// records, in file order; it walks them through the bounds-checked reader, joins objects split
// over several records, and makes the page's Stream. A record that lies, overruns or is of a
// kind this reader lacks marks the stream damaged (the page then plays its GDI records).
#include "gdi/emfplus/emfplusrecords.h"

#include <span>

namespace kv::gdi::plus {

// The comment identifier of EMF+ payloads ("EMF+").
inline constexpr uint32_t kCommentId = 0x2B464D45;

class StreamBuilder {
public:
    StreamBuilder();
    ~StreamBuilder();
    StreamBuilder(const StreamBuilder&) = delete;
    StreamBuilder& operator=(const StreamBuilder&) = delete;

    // The records of one comment (after its identifier), met after `gdiIndex` GDI records.
    void addComment(std::span<const uint8_t> records, size_t gdiIndex);

    // The stream; null when no comment carried EMF+ records.
    StreamPtr finish();

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

// The name of an EMF+ record type ("FillRects"), or "Unknown" (for statistics).
const char* recordName(uint32_t type);

} // namespace kv::gdi::plus
