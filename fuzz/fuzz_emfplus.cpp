// libFuzzer target over the EMF+ reader and player: the bytes are the EMF+ records of one
// comment, after an EMF+ header, in a small EMF that also has GDI drawing to fall back on;
// the page is played onto an image and into both recorders.
#include "fuzzplay.h"

#include <cstring>
#include <vector>

namespace {

void put32(std::vector<uint8_t>& out, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(uint8_t(v >> (8 * i)));
}

// A record of 32-bit fields.
void record(std::vector<uint8_t>& out, std::initializer_list<uint32_t> fields)
{
    for (uint32_t f : fields)
        put32(out, f);
}

std::vector<uint8_t> pageAround(const uint8_t* data, size_t size)
{
    std::vector<uint8_t> emf;
    // Header: 100 x 100 pixels at 4 a millimetre, frame the same.
    record(emf, {1, 88, 0, 0, 99, 99, 0, 0, 2499, 2499, 0x464D4520, 0x10000, 0, 0});
    emf.push_back(8); emf.push_back(0); emf.push_back(0); emf.push_back(0);  // handles, reserved
    record(emf, {0, 0, 0, 100, 100, 25, 25});
    // The comment: "EMF+", an EMF+ header (dual), then the fuzzed records.
    const size_t padded = (size + 3) & ~size_t(3);
    const uint32_t cbData = uint32_t(4 + 28 + padded);
    record(emf, {70, 12 + cbData, cbData, 0x2B464D45, 0x00014001, 28, 16, 0xDBC01002, 1, 96, 96});
    emf.insert(emf.end(), data, data + size);
    emf.resize(emf.size() + (padded - size), 0);
    // GDI drawing: a rectangle with the stock black brush.
    record(emf, {37, 12, 0x80000004, 43, 24, 10, 10, 50, 50});
    record(emf, {14, 20, 0, 0, 20});
    const uint32_t total = uint32_t(emf.size());
    std::memcpy(&emf[48], &total, 4);
    return emf;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    kvfuzz::ensureApplication();
    if (size > (1u << 20))
        return 0;
    const std::vector<uint8_t> page = pageAround(data, size);
    const kv::gdi::PicturePtr picture = kv::gdi::readEmf(page);
    if (picture)
        kvfuzz::playEverywhere(*picture);
    return 0;
}
