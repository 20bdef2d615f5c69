#include "lang/dbftable.h"

#include "platform/bytereader.h"

#include <algorithm>
#include <limits>

namespace kv {

namespace {

bool sameNameIgnoringCase(std::string_view a, std::string_view b)
{
    auto upper = [](char c) { return (c >= 'a' && c <= 'z') ? char(c - 'a' + 'A') : c; };
    return a.size() == b.size()
        && std::equal(a.begin(), a.end(), b.begin(), [&](char x, char y) { return upper(x) == upper(y); });
}

DbfField parseDescriptor(std::span<const uint8_t> d, int offset)
{
    DbfField field;
    const auto nameEnd = std::find(d.begin(), d.begin() + 11, uint8_t(0));
    field.name.assign(d.begin(), nameEnd);
    field.type = char(d[11]);
    field.width = d[16];
    field.decimals = d[17];
    field.offset = offset;
    return field;
}

} // namespace

DbfTable DbfTable::parse(std::vector<uint8_t> bytes)
{
    DbfTable table;
    table.bytes_ = std::move(bytes);
    table.parseHeader();
    if (table.hasHeader_) {
        table.parseFields();
        table.countRecords();
    }
    return table;
}

void DbfTable::parseHeader()
{
    ByteReader r(bytes_.data(), bytes_.size());
    header_.version = r.u8();
    header_.year = r.u8();
    header_.month = r.u8();
    header_.day = r.u8();
    header_.recordCount = r.u32();
    header_.headerLength = r.u16();
    header_.recordLength = r.u16();
    r.skip(20);
    hasHeader_ = r.ok();
}

// Column descriptors run to the 0x0D terminator; a missing terminator ends them at the
// declared header length, or at the end of the file when that length is itself impossible.
void DbfTable::parseFields()
{
    const size_t declared = header_.headerLength;
    const bool declaredFits = declared > kHeaderSize && declared <= bytes_.size();
    const size_t limit = declaredFits ? declared : bytes_.size();
    ByteReader r = ByteReader(bytes_.data(), bytes_.size()).sub(kHeaderSize, limit - kHeaderSize);
    int offset = 1;
    size_t end = kHeaderSize;
    while (r.remaining() > 0) {
        const size_t at = r.pos();
        if (r.u8() == kTerminator) {
            end = kHeaderSize + r.pos();
            break;
        }
        r.seek(at);
        if (r.remaining() < kDescriptorSize) break;
        fields_.push_back(parseDescriptor(r.bytes(kDescriptorSize), offset));
        offset += fields_.back().width;
        end = kHeaderSize + r.pos();
    }
    // Records begin where the header says; a header length that cannot be right (inside the
    // fixed header, or past the end of the file) gives no usable start but the descriptors' end.
    if (declared > kHeaderSize) dataStart_ = std::min(declared, bytes_.size());
    else dataStart_ = end;
}

void DbfTable::countRecords()
{
    const size_t length = header_.recordLength;
    if (length == 0 || dataStart_ >= bytes_.size()) {
        recordCount_ = 0;
        return;
    }
    const size_t whole = (bytes_.size() - dataStart_) / length;
    recordCount_ = uint32_t(std::min<size_t>(header_.recordCount, whole));
}

int DbfTable::fieldIndex(std::string_view name) const
{
    for (size_t i = 0; i < fields_.size(); ++i)
        if (sameNameIgnoringCase(fields_[i].name, name)) return int(i);
    return -1;
}

bool DbfTable::isDeleted(uint32_t record) const
{
    if (record >= recordCount_) return false;
    return bytes_[dataStart_ + size_t(record) * header_.recordLength] == '*';
}

std::string_view DbfTable::value(uint32_t record, int field) const
{
    if (record >= recordCount_ || field < 0 || size_t(field) >= fields_.size()) return {};
    const size_t length = header_.recordLength;
    const DbfField& f = fields_[size_t(field)];
    const size_t begin = std::min<size_t>(size_t(f.offset), length);
    const size_t end = std::min<size_t>(size_t(f.offset) + size_t(f.width), length);
    const char* start = reinterpret_cast<const char*>(bytes_.data()) + dataStart_ + record * length;
    return std::string_view(start + begin, end - begin);
}

// A damaged table is read as far as it goes but never written: a count that promises records
// the file does not hold, or whole records' worth of bytes after the counted ones, means we
// cannot tell where records really end, and a guess could overwrite one.
bool DbfTable::canAppend() const
{
    if (!hasHeader_ || header_.recordLength == 0) return false;
    if (header_.headerLength <= kHeaderSize || header_.headerLength > bytes_.size()) return false;
    if (recordCount_ != header_.recordCount || recordCount_ == std::numeric_limits<uint32_t>::max())
        return false;
    const size_t end = appendOffset();
    const size_t after = bytes_.size() - end;
    if (after >= header_.recordLength && bytes_[end] != kEndOfFile) return false;
    const auto last = std::max_element(fields_.begin(), fields_.end(), [](auto& a, auto& b) {
        return a.offset + a.width < b.offset + b.width;
    });
    return last == fields_.end() || last->offset + last->width <= header_.recordLength;
}

std::vector<uint8_t> DbfTable::blankRecord() const
{
    return std::vector<uint8_t>(header_.recordLength, uint8_t(' '));
}

void DbfTable::addRecord(std::span<const uint8_t> record, uint8_t year, uint8_t month, uint8_t day)
{
    bytes_.resize(appendOffset());
    bytes_.insert(bytes_.end(), record.begin(), record.end());
    bytes_.push_back(kEndOfFile);
    ++recordCount_;
    header_.recordCount = recordCount_;
    header_.year = year;
    header_.month = month;
    header_.day = day;
}

} // namespace kv
