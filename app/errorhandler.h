#pragma once
// The program's one handler for unexpected internal errors (faults, not failures the program
// reports itself): it writes a report to "Error.log" in the current directory, shows it with
// Quit and, where the work can go on, Retry, and on Quit ends the program with the fault exit
// code (app/fatalsignals.h).
#include <QString>
#include <QStringList>
#include <functional>

namespace kv {

enum class ErrorChoice { Quit, Retry };

// Shows the report and returns the user's choice; Retry is offered only when `canRetry`.
// Tests install their own to choose the button; an empty handler restores the default dialog.
using ErrorDialogHandler = std::function<ErrorChoice(const QString& report, bool canRetry)>;
void setErrorDialogHandler(ErrorDialogHandler handler);

// Reports one unexpected error. Returns only when `canRetry` and the user chose Retry;
// otherwise the program ends here with the fault exit code.
void handleUnexpectedError(const QString& description, bool canRetry,
                           const QStringList& details = {});

// Runs `deliver` (the delivery of one event); an exception escaping it is reported with Retry
// offered, with the lines `details` gives (asked only then). Returns deliver's result, or false
// (the event counts as not handled) after Retry.
bool deliverGuarded(const std::function<bool()>& deliver,
                    const std::function<QStringList()>& details = {});

// Remembers the command line for the reports and takes over std::terminate and the fatal
// signals. Called once at start-up.
void installErrorHandler(const QStringList& arguments);

// The text describing the exception currently being handled (inside a catch or a terminate
// handler).
QString describeCurrentException();

} // namespace kv
