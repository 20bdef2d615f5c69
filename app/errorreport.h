#pragma once
// The report of an unexpected internal error, as written to "Error.log" in the current
// directory: what a developer needs to find the fault without the user's help.
#include <QString>
#include <QStringList>

namespace kv {

inline constexpr char kErrorLogName[] = "Error.log";

// The program's command line, as far as it is known (remembered at start-up).
void rememberArguments(const QStringList& arguments);
QStringList rememberedArguments();

// The full report: application path and size, time, error description, arguments, call stack
// and memory use, one titled block each.
QString errorReportText(const QString& description, const QStringList& details = {});

// A C++ symbol or type name made readable (the text itself when it is not a mangled name).
QString demangledName(const char* mangled);

// The call stack of the caller, innermost first, with C++ names demangled where possible.
QStringList callStack(int skipFrames = 0);

// The memory lines (VmRSS, VmHWM, VmSize) of /proc/self/status; empty when unreadable.
QStringList memoryUse();

// Appends the report to Error.log in the current directory (an earlier report stays above it).
// False when the file cannot be written.
bool writeErrorLog(const QString& report);

} // namespace kv
