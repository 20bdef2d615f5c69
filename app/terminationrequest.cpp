#include "app/terminationrequest.h"

#include "platform/terminationflag.h"

#include <QApplication>
#include <QSocketNotifier>
#include <fcntl.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

namespace kv {

namespace {

int gSignalPipe[2] = {-1, -1};

// Only an atomic store and a write are safe here; the window work happens in the event loop.
extern "C" void onTerminationRequest(int signal)
{
    noteTerminationRequest();
    const char byte = char(signal);
    [[maybe_unused]] const ssize_t written = ::write(gSignalPipe[1], &byte, 1);
}

void closeAllWindows()
{
    // Closing the last window ends the event loop; without windows there is nothing to wait for.
    if (QApplication::topLevelWidgets().isEmpty())
        QCoreApplication::quit();
    else
        QApplication::closeAllWindows();
}

} // namespace

void closeWindowsOnTerminationRequest()
{
    if (gSignalPipe[0] >= 0 || ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, gSignalPipe) != 0)
        return;
    ::fcntl(gSignalPipe[1], F_SETFL, O_NONBLOCK);
    auto* notifier = new QSocketNotifier(gSignalPipe[0], QSocketNotifier::Read, qApp);
    QObject::connect(notifier, &QSocketNotifier::activated, qApp, [] {
        char byte = 0;
        [[maybe_unused]] const ssize_t got = ::read(gSignalPipe[0], &byte, 1);
        closeAllWindows();
    });
    struct sigaction action {};
    action.sa_handler = onTerminationRequest;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signal : {SIGTERM, SIGINT, SIGHUP})
        ::sigaction(signal, &action, nullptr);
}

} // namespace kv
