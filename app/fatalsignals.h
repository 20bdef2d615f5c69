#pragma once
// The error report for faults that end the process at once (invalid memory access, abort, a
// floating-point trap): written to Error.log from the signal handler with async-signal-safe
// calls only, then the process ends with the fault exit code (1 unless set). No dialog can be
// shown from there.
#include <QStringList>

namespace kv {

// Handles SIGSEGV, SIGBUS, SIGFPE, SIGILL and SIGABRT on a stack of their own (so a stack
// overflow is reported too). The application line and the arguments are prepared here, since
// the handler cannot build text.
void installFatalSignalHandlers(const QStringList& arguments);

// The exit code of a process ended by a fault: 1 for the preview road, EX_SOFTWARE (70) for the
// command line, whose callers tell failures apart by the code.
void setFaultExitCode(int code);
int faultExitCode();

} // namespace kv
