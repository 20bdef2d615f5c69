#pragma once
// Writes a new dBASE III table with character columns. The program itself never creates the
// language table; this serves the tool that generates the shipped one, and tests that need
// tables of their own.
#include <cstdint>
#include <string>
#include <vector>

namespace kv {

struct DbfColumn {
    std::string name;  // up to 10 characters
    int width = 0;     // 0 … 255
};

struct DbfRow {
    std::vector<std::string> values;  // one per column, cut to the column's width
    bool deleted = false;
};

struct DbfDate {
    int year = 2000;
    int month = 1;
    int day = 1;
};

std::vector<uint8_t> buildDbf(const std::vector<DbfColumn>& columns,
                              const std::vector<DbfRow>& rows, DbfDate date = {});

} // namespace kv
