#pragma once
// Whether the program was asked to end (SIGTERM, SIGINT, SIGHUP). A request that arrives while
// start-up shows a box closes the box; start-up asks here afterwards and stops instead of
// going on as if the user had only pressed OK.
namespace kv {

bool terminationRequested();
// Safe in a signal handler.
void noteTerminationRequest();

} // namespace kv
