#pragma once
// Carrying out a command line (app/commandline.h): the files opened in the preview from a
// private copy, printed or exported without a window. Returns the exit code.
#include "app/commandline.h"

namespace kv {

// The program's arguments beyond its name decide; none: the caller takes the hand-off road.
bool wantsCommandLine(int argc);

// A command line works without a display (printing, export, lists, usage errors): when the
// session has none, Qt draws offscreen. Call before the application object is made.
void chooseOffscreenWhenHeadless();

int runCommandLine(const CommandLine& line);

} // namespace kv
