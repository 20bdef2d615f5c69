#pragma once
// A tiny EMF writer for tests: records are appended field by field, the header is patched
// when the bytes are taken. Just enough to drive the reader and player from test code.
#include <QByteArray>
#include <array>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace kvtest {

class EmfBuilder {
public:
    // A picture of `widthPx` x `heightPx` reference pixels at 10 pixels per millimetre, its
    // frame the same area. `micrometers` adds the header extension with that szlMicrometers.
    explicit EmfBuilder(int32_t widthPx = 1000, int32_t heightPx = 1000,
                        std::optional<std::array<int32_t, 2>> micrometers = std::nullopt)
    {
        begin(1);
        i32({0, 0, widthPx - 1, heightPx - 1});               // rclBounds
        i32({0, 0, widthPx * 10 - 1, heightPx * 10 - 1});     // rclFrame (0.01 mm)
        u32(0x464D4520); u32(0x10000); u32(0); u32(0);        // signature, version, bytes, records
        u16(16); u16(0);                                      // handles, reserved
        u32(0); u32(0); u32(0);                               // description, palette
        i32({widthPx, heightPx, widthPx / 10, heightPx / 10});  // szlDevice, szlMillimeters
        if (micrometers) {
            u32(0); u32(0); u32(0);                           // pixel format, OpenGL
            i32({(*micrometers)[0], (*micrometers)[1]});
        }
        end();
    }

    // Starts a record; fields follow; end() writes its size.
    EmfBuilder& begin(uint32_t type)
    {
        start_ = bytes_.size();
        u32(type);
        u32(0);
        return *this;
    }
    EmfBuilder& end()
    {
        while (bytes_.size() % 4)
            bytes_.push_back(0);
        const uint32_t size = uint32_t(bytes_.size() - start_);
        std::memcpy(&bytes_[start_ + 4], &size, 4);
        ++records_;
        return *this;
    }
    // A whole record of 32-bit fields.
    EmfBuilder& record(uint32_t type, std::initializer_list<int32_t> fields)
    {
        begin(type);
        i32(fields);
        return end();
    }

    EmfBuilder& u8(uint8_t v) { bytes_.push_back(v); return *this; }
    EmfBuilder& u16(uint16_t v) { return raw(&v, 2); }
    EmfBuilder& u32(uint32_t v) { return raw(&v, 4); }
    EmfBuilder& f32(float v) { return raw(&v, 4); }
    EmfBuilder& i32(std::initializer_list<int32_t> values)
    {
        for (int32_t v : values)
            raw(&v, 4);
        return *this;
    }
    EmfBuilder& text(std::u16string_view s)
    {
        for (char16_t c : s)
            u16(c);
        return *this;
    }
    EmfBuilder& bytes(std::span<const uint8_t> b)
    {
        bytes_.insert(bytes_.end(), b.begin(), b.end());
        return *this;
    }
    size_t recordOffset() const { return bytes_.size() - start_; }  // offset inside the open record

    // The finished file: EOF appended, header counts filled in.
    std::vector<uint8_t> finish()
    {
        record(14, {0, 0, 20});
        std::vector<uint8_t> out = bytes_;
        const uint32_t size = uint32_t(out.size());
        std::memcpy(&out[48], &size, 4);
        std::memcpy(&out[52], &records_, 4);
        return out;
    }

private:
    EmfBuilder& raw(const void* p, size_t n)
    {
        const auto* b = static_cast<const uint8_t*>(p);
        bytes_.insert(bytes_.end(), b, b + n);
        return *this;
    }

    std::vector<uint8_t> bytes_;
    size_t start_ = 0;
    uint32_t records_ = 0;
};

// Record types the tests write.
enum : uint32_t {
    EMR_POLYGON = 3, EMR_POLYLINE = 4, EMR_SETWINDOWEXTEX = 9, EMR_SETWINDOWORGEX = 10,
    EMR_SETVIEWPORTEXTEX = 11, EMR_SETMAPMODE = 17, EMR_SETBKMODE = 18, EMR_SETPOLYFILLMODE = 19,
    EMR_SETTEXTALIGN = 22, EMR_SETTEXTCOLOR = 24, EMR_MOVETOEX = 27, EMR_INTERSECTCLIPRECT = 30,
    EMR_SAVEDC = 33, EMR_RESTOREDC = 34, EMR_SELECTOBJECT = 37, EMR_CREATEPEN = 38,
    EMR_CREATEBRUSHINDIRECT = 39, EMR_RECTANGLE = 43, EMR_LINETO = 54, EMR_STRETCHDIBITS = 81,
    EMR_EXTCREATEFONTINDIRECTW = 82, EMR_EXTTEXTOUTW = 84,
};

} // namespace kvtest
