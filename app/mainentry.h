#pragma once
// The program's entry routine: from the hand-off file a report application left to the
// preview of its pages.
namespace kv {

// Reads the hand-off file, builds the printer device for the printer it names, gathers the
// page files of its spool directory (in name order), sets the orientation and opens the
// preview. Returns when the preview window has closed, or at once after a stop message when
// there is nothing to show: no hand-off file ("Wrong program start."), a spool directory
// that is missing or cannot be written, or no page files in it. In those cases the hand-off
// file stays, so the report can be handed over again once the cause is mended.
void MAIN();

} // namespace kv
