#include "gdi/record/recordwriter.h"

#include <cstring>

namespace kv::gdi {

void RecordWriter::begin(uint32_t type)
{
    recordStart_ = bytes_.size();
    if (format_ == Format::Emf) {
        u32(type);
        u32(0);
    } else {
        u32(0);
        u16(uint16_t(type));
    }
}

size_t RecordWriter::end()
{
    padTo(format_ == Format::Emf ? 4 : 2);
    const size_t size = bytes_.size() - recordStart_;
    if (format_ == Format::Emf)
        patchU32(recordStart_ + 4, uint32_t(size));
    else
        patchU32(recordStart_, uint32_t(size / 2));
    ++records_;
    return size;
}

void RecordWriter::u16(uint16_t v)
{
    bytes_.push_back(uint8_t(v));
    bytes_.push_back(uint8_t(v >> 8));
}

void RecordWriter::u32(uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        bytes_.push_back(uint8_t(v >> (8 * i)));
}

void RecordWriter::f32(float v)
{
    uint32_t u;
    std::memcpy(&u, &v, 4);
    u32(u);
}

void RecordWriter::padTo(size_t alignment)
{
    while ((bytes_.size() - recordStart_) % alignment)
        bytes_.push_back(0);
}

void RecordWriter::patchU32(size_t offset, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        bytes_[offset + i] = uint8_t(v >> (8 * i));
}

void RecordWriter::patchU16(size_t offset, uint16_t v)
{
    bytes_[offset] = uint8_t(v);
    bytes_[offset + 1] = uint8_t(v >> 8);
}

} // namespace kv::gdi
