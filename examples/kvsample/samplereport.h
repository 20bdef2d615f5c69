#pragma once
// The pages of the sample report, drawn through the printer device as a report application
// draws them: text in several fonts, a ruled table, shaded boxes, a logo and a chart.
namespace kv { class TPrinter; }

namespace kvsample {

inline constexpr int kSamplePages = 4;

// Records the report's pages on `device` (StartPage … EndPage per page).
void recordSampleReport(kv::TPrinter& device);

} // namespace kvsample
