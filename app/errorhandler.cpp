#include "app/errorhandler.h"

#include "app/errordialog.h"
#include "app/errorreport.h"
#include "app/fatalsignals.h"

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <typeinfo>

namespace kv {

namespace {

ErrorDialogHandler& dialogHandler()
{
    static ErrorDialogHandler handler;
    return handler;
}

[[noreturn]] void quitProgram()
{
    std::fflush(nullptr);
    // The process may be in any state after a fault: no destructors, no further events.
    std::_Exit(faultExitCode());
}

[[noreturn]] void onTerminate()
{
    // A second fault while reporting must not come back here.
    std::set_terminate(nullptr);
    const QString description = std::current_exception()
        ? describeCurrentException()
        : QStringLiteral("The program was terminated (std::terminate without an exception).");
    handleUnexpectedError(description, false);
    quitProgram();
}

} // namespace

void setErrorDialogHandler(ErrorDialogHandler handler)
{
    dialogHandler() = std::move(handler);
}

QString describeCurrentException()
{
    try {
        throw;
    } catch (const std::exception& e) {
        return QStringLiteral("Exception ") + demangledName(typeid(e).name()) + QStringLiteral(": ")
            + QString::fromLocal8Bit(e.what());
    } catch (...) {
        return QStringLiteral("Unknown exception");
    }
}

void handleUnexpectedError(const QString& description, bool canRetry, const QStringList& details)
{
    const QString report = errorReportText(description, details);
    if (!writeErrorLog(report))
        std::fprintf(stderr, "korvelle: %s could not be written\n", kErrorLogName);
    std::fprintf(stderr, "korvelle: unexpected error\n%s\n", report.toLocal8Bit().constData());
    const ErrorDialogHandler& handler = dialogHandler();
    const ErrorChoice choice = handler ? handler(report, canRetry) : showErrorDialog(report, canRetry);
    if (canRetry && choice == ErrorChoice::Retry)
        return;
    quitProgram();
}

bool deliverGuarded(const std::function<bool()>& deliver,
                    const std::function<QStringList()>& details)
{
    try {
        return deliver();
    } catch (...) {
        handleUnexpectedError(describeCurrentException(), true, details ? details() : QStringList());
        return false;
    }
}

void installErrorHandler(const QStringList& arguments)
{
    rememberArguments(arguments);
    std::set_terminate(onTerminate);
    installFatalSignalHandlers(arguments);
}

} // namespace kv
