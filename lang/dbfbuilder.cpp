#include "lang/dbfbuilder.h"

#include "lang/dbftable.h"

#include <algorithm>

namespace kv {

namespace {

void putLittleEndian(std::vector<uint8_t>& out, size_t at, uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i) out[at + size_t(i)] = uint8_t(value >> (8 * i));
}

} // namespace

std::vector<uint8_t> buildDbf(const std::vector<DbfColumn>& columns,
                              const std::vector<DbfRow>& rows, DbfDate date)
{
    size_t recordLength = 1;
    for (const DbfColumn& c : columns) recordLength += size_t(std::clamp(c.width, 0, 255));
    const size_t headerLength =
        DbfTable::kHeaderSize + DbfTable::kDescriptorSize * columns.size() + 1;

    std::vector<uint8_t> out(headerLength, 0);
    out[0] = 0x03;  // dBASE III, no memo file
    out[1] = uint8_t(date.year - 1900);
    out[2] = uint8_t(date.month);
    out[3] = uint8_t(date.day);
    putLittleEndian(out, 4, uint32_t(rows.size()), 4);
    putLittleEndian(out, 8, uint32_t(headerLength), 2);
    putLittleEndian(out, 10, uint32_t(recordLength), 2);

    for (size_t i = 0; i < columns.size(); ++i) {
        const size_t at = DbfTable::kHeaderSize + i * DbfTable::kDescriptorSize;
        const std::string& name = columns[i].name;
        std::copy_n(name.begin(), std::min<size_t>(name.size(), 10), out.begin() + ptrdiff_t(at));
        out[at + 11] = 'C';
        out[at + 16] = uint8_t(std::clamp(columns[i].width, 0, 255));
    }
    out[headerLength - 1] = DbfTable::kTerminator;

    for (const DbfRow& row : rows) {
        out.push_back(row.deleted ? '*' : ' ');
        for (size_t i = 0; i < columns.size(); ++i) {
            const size_t width = size_t(std::clamp(columns[i].width, 0, 255));
            std::string value = i < row.values.size() ? row.values[i] : std::string();
            value.resize(width, ' ');
            out.insert(out.end(), value.begin(), value.end());
        }
    }
    out.push_back(DbfTable::kEndOfFile);
    return out;
}

} // namespace kv
