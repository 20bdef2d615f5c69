#include "gdi/core/recordwalk.h"

#include <algorithm>

namespace kv::gdi {

namespace {

void bump(std::vector<std::pair<uint32_t, uint32_t>>& counts, uint32_t type)
{
    auto it = std::find_if(counts.begin(), counts.end(), [&](const auto& p) { return p.first == type; });
    if (it == counts.end())
        counts.emplace_back(type, 1);
    else
        ++it->second;
}

} // namespace

const char* faultGradeName(FaultGrade grade)
{
    switch (grade) {
    case FaultGrade::Skipped: return "skipped";
    case FaultGrade::Clipped: return "clipped";
    case FaultGrade::Stopped: return "stopped";
    }
    return "?";
}

void ParseStats::countPlayed(uint32_t type)
{
    bump(played, type);
}

void ParseStats::countSkipped(uint32_t type)
{
    bump(skipped, type);
}

void ParseStats::addFault(FaultGrade grade, uint32_t type, uint64_t offset, std::string what)
{
    ++faultCounts[size_t(grade)];
    if (faults.size() < kKeptFaults)
        faults.push_back({grade, type, offset, std::move(what)});
}

std::string ParseStats::firstError() const
{
    if (faults.empty())
        return {};
    return faults.front().what + " at offset " + std::to_string(faults.front().offset);
}

namespace walk {

bool frameAt(const ByteReader& data, size_t pos, size_t count, const RecordFormat& format, ParseStats& stats,
             RecordFrame& frame)
{
    if (data.size() - pos < format.headBytes)
        return false;  // the end of the data: finish() tells whether an end record came first
    if (count >= format.maxRecords) {
        stats.addFault(FaultGrade::Stopped, 0, pos, "more than " + std::to_string(format.maxRecords) + " records");
        return false;
    }
    ByteReader head = data.sub(pos, format.headBytes);
    frame = format.readHead(head);
    frame.offset = pos;
    if (frame.type == format.endType && !format.endHasParameters)
        return true;  // its size does not matter: nothing is read after it
    if (frame.size < format.headBytes) {
        stats.addFault(FaultGrade::Stopped, frame.type, pos,
                       std::string(format.name(frame.type)) + " record too small to step over");
        return false;
    }
    const uint64_t left = data.size() - pos;
    if (frame.size > left) {
        stats.addFault(FaultGrade::Clipped, frame.type, pos,
                       std::string(format.name(frame.type)) + " record runs " + std::to_string(frame.size - left)
                           + " bytes past the end of the data");
        return false;
    }
    return true;
}

void account(const RecordFrame& frame, RecordFate fate, const RecordFormat& format, ParseStats& stats)
{
    switch (fate) {
    case RecordFate::Played:
    case RecordFate::PlayedLast:
        stats.countPlayed(frame.type);
        return;
    case RecordFate::Unknown:
        break;
    case RecordFate::Short:
        stats.addFault(FaultGrade::Skipped, frame.type, frame.offset, std::string("short ") + format.name(frame.type) + " record");
        break;
    case RecordFate::Unusable:
        stats.addFault(FaultGrade::Skipped, frame.type, frame.offset,
                       std::string(format.name(frame.type)) + " record with unusable parameters");
        break;
    }
    stats.countSkipped(frame.type);
}

void finish(bool ended, uint64_t pos, ParseStats& stats)
{
    stats.truncated = !ended;
    const bool accounted = stats.faultsOf(FaultGrade::Clipped) > 0 || stats.faultsOf(FaultGrade::Stopped) > 0;
    if (!ended && !accounted)
        stats.addFault(FaultGrade::Clipped, 0, pos, "no end-of-file record");
}

} // namespace walk

} // namespace kv::gdi
