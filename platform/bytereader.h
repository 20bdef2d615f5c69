#pragma once
// One bounds-checked reader for every binary format the program reads (EMF, WMF, DIB, dBASE).
// Reads past the end never touch memory: they yield zeros and clear the sticky ok() flag, so a
// parser reads a group of fields and checks once.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <string_view>

namespace kv {

class ByteReader {
public:
    ByteReader() = default;
    ByteReader(const void* data, size_t size)
        : data_(static_cast<const uint8_t*>(data)), size_(size) {}
    explicit ByteReader(std::span<const uint8_t> bytes) : ByteReader(bytes.data(), bytes.size()) {}

    bool ok() const { return ok_; }
    size_t size() const { return size_; }
    size_t pos() const { return pos_; }
    size_t remaining() const { return pos_ <= size_ ? size_ - pos_ : 0; }
    const uint8_t* data() const { return data_; }

    // Moves to an absolute offset; an offset beyond the end fails the reader.
    void seek(size_t offset)
    {
        if (offset > size_) { ok_ = false; pos_ = size_; return; }
        pos_ = offset;
    }
    void skip(size_t n) { seek(n > remaining() ? size_ + 1 : pos_ + n); }

    uint8_t u8() { uint8_t v = 0; read(&v, 1); return v; }
    uint16_t u16() { uint8_t b[2] = {}; read(b, 2); return uint16_t(b[0] | b[1] << 8); }
    int16_t i16() { return int16_t(u16()); }
    uint32_t u32()
    {
        uint8_t b[4] = {};
        read(b, 4);
        return uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24;
    }
    int32_t i32() { return int32_t(u32()); }
    float f32() { uint32_t u = u32(); float f; std::memcpy(&f, &u, 4); return f; }

    // A view of the next n bytes (empty and failed when fewer remain); advances past them.
    std::span<const uint8_t> bytes(size_t n)
    {
        if (n > remaining()) { ok_ = false; pos_ = size_; return {}; }
        std::span<const uint8_t> s(data_ + pos_, n);
        pos_ += n;
        return s;
    }

    // A reader over the bytes [offset, offset + n) of this one; failed when they do not fit.
    ByteReader sub(size_t offset, size_t n) const
    {
        if (offset > size_ || n > size_ - offset) { ByteReader r; r.ok_ = false; return r; }
        return ByteReader(data_ + offset, n);
    }

    // True when n elements of elemSize bytes fit in what remains (overflow-safe).
    bool fits(uint64_t n, uint64_t elemSize) const
    {
        return elemSize == 0 || n <= remaining() / elemSize;
    }

private:
    void read(void* out, size_t n)
    {
        if (n > remaining()) { ok_ = false; pos_ = size_; return; }
        std::memcpy(out, data_ + pos_, n);
        pos_ += n;
    }

    const uint8_t* data_ = nullptr;
    size_t size_ = 0;
    size_t pos_ = 0;
    bool ok_ = true;
};

} // namespace kv
