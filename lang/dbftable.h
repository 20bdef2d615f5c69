#pragma once
// A dBASE III table held in memory: header, column descriptors and records, parsed from the
// file's bytes through the bounds-checked reader.
//
// Tables come from outside, so every header field may lie. Parsing never reads beyond the bytes
// and keeps what can be used: the columns described before the 0x0D terminator (or before the
// header's end when the terminator is missing), and the records that lie wholly in the file (at
// most the header's count). Values are views into the records, cut to the record length.
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace kv {

struct DbfField {
    std::string name;  // as stored: upper case, zero padding removed
    char type = 0;     // 'C' for character
    int width = 0;
    int offset = 0;    // from the start of a record (the deletion mark is byte 0)
    int decimals = 0;
};

struct DbfHeader {
    uint8_t version = 0;
    uint8_t year = 0;   // year - 1900
    uint8_t month = 0;
    uint8_t day = 0;
    uint32_t recordCount = 0;   // as declared
    uint16_t headerLength = 0;  // as declared
    uint16_t recordLength = 0;
};

class DbfTable {
public:
    static constexpr size_t kHeaderSize = 32;
    static constexpr size_t kDescriptorSize = 32;
    static constexpr uint8_t kTerminator = 0x0D;
    static constexpr uint8_t kEndOfFile = 0x1A;

    static DbfTable parse(std::vector<uint8_t> bytes);

    // False when the bytes do not even hold a header.
    bool hasHeader() const { return hasHeader_; }
    const DbfHeader& header() const { return header_; }
    const std::vector<DbfField>& fields() const { return fields_; }
    // Index of the column of that name (without regard to case), or -1.
    int fieldIndex(std::string_view name) const;

    // Where records start and how many lie wholly in the file (never more than declared).
    size_t dataStart() const { return dataStart_; }
    uint32_t recordCount() const { return recordCount_; }
    bool isDeleted(uint32_t record) const;
    // The raw bytes of a column in a record, padding included; empty for a record or column
    // that does not exist.
    std::string_view value(uint32_t record, int field) const;

    // True when a record can be added: the header agrees with the file (every counted record is
    // there, and what follows them is the end-of-file byte, a partial record or nothing), so the
    // new record lands after every existing one.
    bool canAppend() const;
    // Where the next record goes: right after the last record, whatever the file holds beyond
    // (an old end-of-file byte, junk left after it).
    size_t appendOffset() const { return dataStart_ + size_t(recordCount_) * header_.recordLength; }
    // A record of blanks (deletion mark blank) of the table's record length.
    std::vector<uint8_t> blankRecord() const;
    // Mirrors a record just written to the file at appendOffset(), with its new header date.
    void addRecord(std::span<const uint8_t> record, uint8_t year, uint8_t month, uint8_t day);

private:
    void parseHeader();
    void parseFields();
    void countRecords();

    std::vector<uint8_t> bytes_;
    bool hasHeader_ = false;
    DbfHeader header_;
    std::vector<DbfField> fields_;
    size_t dataStart_ = 0;
    uint32_t recordCount_ = 0;
};

} // namespace kv
