#include "blankpng.h"

#include <string_view>
#include <zlib.h>

namespace kvtest {

namespace {

void put32(std::vector<uint8_t>& out, uint32_t v)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(uint8_t(v >> shift));
}

void chunk(std::vector<uint8_t>& out, std::string_view type, const std::vector<uint8_t>& data)
{
    put32(out, uint32_t(data.size()));
    const size_t start = out.size();
    out.insert(out.end(), type.begin(), type.end());
    out.insert(out.end(), data.begin(), data.end());
    put32(out, uint32_t(crc32(0, out.data() + start, uInt(out.size() - start))));
}

std::vector<uint8_t> deflatedRows(uint32_t width, uint32_t height)
{
    const std::vector<uint8_t> row(1 + (size_t(width) + 7) / 8, 0);  // filter byte "none", then bits
    z_stream z{};
    deflateInit(&z, Z_BEST_COMPRESSION);
    std::vector<uint8_t> out;
    uint8_t buffer[1 << 14];
    for (uint32_t y = 0; y <= height; ++y) {
        const bool last = y == height;
        z.next_in = const_cast<Bytef*>(row.data());
        z.avail_in = last ? 0 : uInt(row.size());
        do {
            z.next_out = buffer;
            z.avail_out = sizeof buffer;
            deflate(&z, last ? Z_FINISH : Z_NO_FLUSH);
            out.insert(out.end(), buffer, buffer + (sizeof buffer - z.avail_out));
        } while (z.avail_out == 0);
    }
    deflateEnd(&z);
    return out;
}

} // namespace

std::vector<uint8_t> blankPng(uint32_t width, uint32_t height)
{
    std::vector<uint8_t> png{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<uint8_t> header;
    put32(header, width);
    put32(header, height);
    header.insert(header.end(), {1, 0, 0, 0, 0});  // bit depth 1, grey, deflate, no filter, not interlaced
    chunk(png, "IHDR", header);
    chunk(png, "IDAT", deflatedRows(width, height));
    chunk(png, "IEND", {});
    return png;
}

} // namespace kvtest
