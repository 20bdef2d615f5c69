// libFuzzer target: the dBASE table parser over arbitrary bytes, with every record and column
// read back as the language lookup would.
#include "lang/dbftable.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const kv::DbfTable table = kv::DbfTable::parse(std::vector<uint8_t>(data, data + size));
    if (!table.hasHeader())
        return 0;
    const int fields = int(table.fields().size());
    size_t total = 0;
    for (uint32_t r = 0; r < table.recordCount() && r < 4096; ++r) {
        total += table.isDeleted(r) ? 1 : 0;
        for (int f = 0; f < fields; ++f)
            total += table.value(r, f).size();
    }
    (void)table.canAppend();
    return int(total & 0);
}
