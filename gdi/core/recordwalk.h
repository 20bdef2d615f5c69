#pragma once
// The walk both readers make over a file's records, and the account of what it met. A
// record's stated size is never trusted: the walk ends at a record that runs past the data or
// is too small to step over, keeping what came before. What went wrong is graded by what it
// cost the page, so that kvconvert --stats (and tests) can tell a page that lost one record
// from one cut short or one whose drawing stops half-way through the file.
#include "platform/bytereader.h"

#include <array>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace kv::gdi {

// From least to most of the page lost.
enum class FaultGrade : uint8_t {
    Skipped,  // one record was not drawn (too short for its kind, contents unusable); the walk goes on
    Clipped,  // the data ends before the page does (inside a record, or with no end record):
              // the page is drawn as far as the file goes
    Stopped,  // the walk stopped although the file goes on: nothing after this point is drawn
};
inline constexpr size_t kFaultGrades = 3;
const char* faultGradeName(FaultGrade grade);

struct ReadFault {
    FaultGrade grade = FaultGrade::Skipped;
    uint32_t type = 0;    // the record type (a WMF record's function) at fault; 0 when none
    uint64_t offset = 0;  // where that record starts in the file
    std::string what;
};

// Counts of what a reader met, for kvconvert --stats, messages and tests.
struct ParseStats {
    static constexpr size_t kKeptFaults = 32;  // a hostile file may fault on every record

    std::vector<std::pair<uint32_t, uint32_t>> played;   // (record type, count)
    std::vector<std::pair<uint32_t, uint32_t>> skipped;  // (record type, count): unknown or faulty
    std::vector<ReadFault> faults;                       // the first kKeptFaults, in file order
    std::array<uint32_t, kFaultGrades> faultCounts{};    // all of them, by grade
    bool truncated = false;                              // the data ended before an end record

    void countPlayed(uint32_t type);
    void countSkipped(uint32_t type);
    void addFault(FaultGrade grade, uint32_t type, uint64_t offset, std::string what);
    uint32_t faultsOf(FaultGrade grade) const { return faultCounts[size_t(grade)]; }
    // The first fault met, for messages; empty when none.
    std::string firstError() const;
};

// What a reader's handler made of one record.
enum class RecordFate : uint8_t {
    Played,
    PlayedLast,  // played, and nothing after it is wanted (a WMF carrying a whole EMF)
    Unknown,     // a record type the reader does not draw: skipped, not a fault of the file
    Short,       // fewer bytes than its kind needs
    Unusable,    // the parameters could not be used (counts past the data, bad values)
};

// One record as its head states it, its size in bytes head included (clipped to the data).
struct RecordFrame {
    uint32_t type = 0;
    uint64_t offset = 0;
    uint64_t size = 0;
};

// The shape of a format's record heads.
struct RecordFormat {
    size_t headBytes;                           // the bytes every record starts with
    uint32_t endType;                           // the record that ends the file
    bool endHasParameters;                      // EMF hands its EOF to a handler; WMF stops at META_EOF
    size_t maxRecords;                          // a bound against files of billions of empty records
    RecordFrame (*readHead)(ByteReader& head);  // type and size in bytes
    const char* (*name)(uint32_t type);
};

// Walks the records of `data` from `start` to the end record or the end of the data, handing
// each whole record (head included) to `play(frame, record) -> RecordFate` and keeping the
// account in `stats`. True when the end record was met.
template <class Play>
bool walkRecords(const ByteReader& data, size_t start, const RecordFormat& format, ParseStats& stats, Play&& play);

// The steps of the walk, shared by every instance of it.
namespace walk {
// The record at `pos`, or nothing when the walk must stop there (the fault is recorded).
bool frameAt(const ByteReader& data, size_t pos, size_t count, const RecordFormat& format, ParseStats& stats,
             RecordFrame& frame);
void account(const RecordFrame& frame, RecordFate fate, const RecordFormat& format, ParseStats& stats);
void finish(bool ended, uint64_t pos, ParseStats& stats);
} // namespace walk

template <class Play>
bool walkRecords(const ByteReader& data, size_t start, const RecordFormat& format, ParseStats& stats, Play&& play)
{
    size_t pos = start;
    bool ended = false;
    RecordFrame frame;
    for (size_t count = 0; !ended && walk::frameAt(data, pos, count, format, stats, frame); ++count) {
        if (frame.type == format.endType && !format.endHasParameters) {
            ended = true;
            break;
        }
        const RecordFate fate = play(frame, data.sub(pos, size_t(frame.size)));
        walk::account(frame, fate, format, stats);
        pos += size_t(frame.size);
        ended = frame.type == format.endType || fate == RecordFate::PlayedLast;
    }
    walk::finish(ended, pos, stats);
    return ended;
}

} // namespace kv::gdi
