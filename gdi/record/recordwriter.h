#pragma once
// gdi/record: what the EMF and WMF recorders share: the record writer, the objects they have
// selected, and the geometry, text and image helpers.
//
// The one place where metafile records are put together byte by byte: little-endian fields,
// records padded to a multiple of four bytes (EMF) or two bytes (WMF), and the record size
// patched in when the record is finished. Both recorders write through it.
#include "gdi/core/types.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace kv::gdi {

class RecordWriter {
public:
    enum class Format : uint8_t { Emf, Wmf };
    explicit RecordWriter(Format format) : format_(format) {}

    // EMF: type (u32) and a size placeholder (u32). WMF: a size placeholder in words (u32)
    // and the function (u16).
    void begin(uint32_t type);
    // Pads the record and writes its size; returns the record's size in bytes.
    size_t end();

    void u8(uint8_t v) { bytes_.push_back(v); }
    void u16(uint16_t v);
    void i16(int16_t v) { u16(uint16_t(v)); }
    void u32(uint32_t v);
    void i32(int32_t v) { u32(uint32_t(v)); }
    void f32(float v);
    void raw(std::span<const uint8_t> data) { bytes_.insert(bytes_.end(), data.begin(), data.end()); }
    void zeros(size_t n) { bytes_.insert(bytes_.end(), n, 0); }
    void rect(const RectL& r) { i32(r.left); i32(r.top); i32(r.right); i32(r.bottom); }
    void padTo(size_t alignment);

    // Offset of the next byte from the start of the record being written.
    size_t recordOffset() const { return bytes_.size() - recordStart_; }
    size_t size() const { return bytes_.size(); }
    // Records finished with end() or appended whole.
    uint32_t recordCount() const { return records_; }
    // Appends a record put together by another writer of the same format.
    void appendRecord(std::span<const uint8_t> record) { raw(record); ++records_; }
    // Overwrites a 32-bit field at an absolute offset (header fields known only at the end).
    void patchU32(size_t offset, uint32_t v);
    void patchU16(size_t offset, uint16_t v);

    const std::vector<uint8_t>& bytes() const { return bytes_; }
    std::vector<uint8_t> take() { return std::move(bytes_); }

private:
    Format format_;
    std::vector<uint8_t> bytes_;
    size_t recordStart_ = 0;
    uint32_t records_ = 0;
};

} // namespace kv::gdi
