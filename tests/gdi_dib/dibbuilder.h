#pragma once
// Hand-made DIBs for the decoder tests: headers written field by field and pixel values packed
// the way the bitmap format lays them out, independently of the decoder under test.
#include <QRgb>
#include <cstdint>
#include <vector>

namespace kvtest {

class Bytes {
public:
    Bytes& u8(uint8_t v) { data.push_back(v); return *this; }
    Bytes& u16(uint16_t v) { return u8(uint8_t(v)).u8(uint8_t(v >> 8)); }
    Bytes& u32(uint32_t v) { return u16(uint16_t(v)).u16(uint16_t(v >> 16)); }
    Bytes& i32(int32_t v) { return u32(uint32_t(v)); }
    Bytes& append(const std::vector<uint8_t>& more)
    {
        data.insert(data.end(), more.begin(), more.end());
        return *this;
    }
    Bytes& quad(QRgb c) { return u8(uint8_t(qBlue(c))).u8(uint8_t(qGreen(c))).u8(uint8_t(qRed(c))).u8(0); }

    std::vector<uint8_t> data;
};

struct DibHeaderFields {
    uint32_t size = 40;  // 12, 40, 52, 56, 108, 124
    int32_t width = 0;
    int32_t height = 0;  // negative: top-down
    uint16_t bitCount = 0;
    uint32_t compression = 0;
    uint32_t clrUsed = 0;
    uint32_t masks[4] = {0, 0, 0, 0};  // written inside headers of 52 bytes and more
};

inline Bytes header(const DibHeaderFields& h)
{
    Bytes b;
    if (h.size == 12) {
        b.u32(12).u16(uint16_t(h.width)).u16(uint16_t(h.height)).u16(1).u16(h.bitCount);
        return b;
    }
    b.u32(h.size).i32(h.width).i32(h.height).u16(1).u16(h.bitCount).u32(h.compression).u32(0);
    b.u32(3780).u32(3780).u32(h.clrUsed).u32(0);
    for (int i = 0; i < 4 && 40 + 4 * (i + 1) <= int(h.size); ++i)
        b.u32(h.masks[i]);
    while (b.data.size() < h.size)
        b.u8(0);
    return b;
}

// Packs pixel values given top row first into rows as stored: bottom-up unless topDown, values
// of up to 8 bits from the most significant bit on, wider ones little-endian, rows padded to 4.
inline std::vector<uint8_t> packRows(const std::vector<uint32_t>& values, int width, int height, int bitCount,
                                     bool topDown)
{
    const size_t stride = (size_t(width) * bitCount + 31) / 32 * 4;
    std::vector<uint8_t> out(stride * size_t(height), 0);
    for (int row = 0; row < height; ++row) {
        const int y = topDown ? row : height - 1 - row;
        uint8_t* line = out.data() + size_t(row) * stride;
        for (int x = 0; x < width; ++x) {
            const uint32_t v = values[size_t(y) * width + x];
            if (bitCount < 8) {
                const int bit = x * bitCount;
                line[bit / 8] |= uint8_t(v << (8 - bitCount - bit % 8));
            } else {
                for (int k = 0; k < bitCount / 8; ++k)
                    line[size_t(x) * (bitCount / 8) + k] = uint8_t(v >> (8 * k));
            }
        }
    }
    return out;
}

} // namespace kvtest
