#include "app/fatalsignals.h"

#include <QFileInfo>
#include <algorithm>
#include <cstring>
#include <ctime>
#include <execinfo.h>
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

namespace kv {

namespace {

// Everything the handler writes that is known before the fault.
char gPrologue[8192];
size_t gPrologueLength = 0;
char gAltStack[64 * 1024];
volatile sig_atomic_t gFaultExitCode = 1;

void writeAll(int fd, const char* text, size_t length)
{
    while (length > 0) {
        const ssize_t written = ::write(fd, text, length);
        if (written <= 0)
            return;
        text += written;
        length -= size_t(written);
    }
}

void writeText(int fd, const char* text)
{
    writeAll(fd, text, std::strlen(text));
}

void writeNumber(int fd, long long value, int minDigits = 1)
{
    char digits[24];
    int n = 0;
    const bool negative = value < 0;
    unsigned long long v = negative ? 0ULL - (unsigned long long)value : (unsigned long long)value;
    do {
        digits[n++] = char('0' + v % 10);
        v /= 10;
    } while (v > 0 || n < minDigits);
    if (negative)
        writeText(fd, "-");
    while (n > 0)
        writeAll(fd, &digits[--n], 1);
}

// UTC date and time from the clock, computed by hand (gmtime is not async-signal-safe).
void writeUtcTime(int fd)
{
    timespec now {};
    ::clock_gettime(CLOCK_REALTIME, &now);
    long long seconds = now.tv_sec;
    long long days = seconds / 86400;
    const long long secondOfDay = seconds % 86400;
    // Days since 1970-01-01 to a civil date (proleptic Gregorian calendar).
    days += 719468;
    const long long era = days / 146097;
    const long long dayOfEra = days - era * 146097;
    const long long yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const long long dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const long long mp = (5 * dayOfYear + 2) / 153;
    const long long day = dayOfYear - (153 * mp + 2) / 5 + 1;
    const long long month = mp < 10 ? mp + 3 : mp - 9;
    const long long year = yearOfEra + era * 400 + (month <= 2 ? 1 : 0);
    writeNumber(fd, year, 4);
    writeText(fd, "-");
    writeNumber(fd, month, 2);
    writeText(fd, "-");
    writeNumber(fd, day, 2);
    writeText(fd, " ");
    writeNumber(fd, secondOfDay / 3600, 2);
    writeText(fd, ":");
    writeNumber(fd, secondOfDay / 60 % 60, 2);
    writeText(fd, ":");
    writeNumber(fd, secondOfDay % 60, 2);
    writeText(fd, " UTC\n");
}

const char* signalName(int signal)
{
    switch (signal) {
    case SIGSEGV: return "SIGSEGV (invalid memory access)";
    case SIGBUS: return "SIGBUS (bus error)";
    case SIGFPE: return "SIGFPE (arithmetic fault)";
    case SIGILL: return "SIGILL (illegal instruction)";
    case SIGABRT: return "SIGABRT (abort)";
    default: return "fatal signal";
    }
}

// The Vm lines of /proc/self/status, copied through a fixed buffer.
void writeMemoryUse(int fd)
{
    writeText(fd, "Memory:\n");
    const int status = ::open("/proc/self/status", O_RDONLY);
    if (status < 0)
        return;
    char buffer[4096];
    const ssize_t length = ::read(status, buffer, sizeof buffer - 1);
    ::close(status);
    if (length <= 0)
        return;
    buffer[length] = '\0';
    for (char* line = buffer; line && *line;) {
        char* end = std::strchr(line, '\n');
        const size_t lineLength = end ? size_t(end - line) : std::strlen(line);
        if (std::strncmp(line, "VmRSS:", 6) == 0 || std::strncmp(line, "VmHWM:", 6) == 0
            || std::strncmp(line, "VmSize:", 7) == 0) {
            writeText(fd, "  ");
            writeAll(fd, line, lineLength);
            writeText(fd, "\n");
        }
        line = end ? end + 1 : nullptr;
    }
}

extern "C" void onFatalSignal(int signal)
{
    const int fd = ::open("Error.log", O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    const int out = fd >= 0 ? fd : STDERR_FILENO;
    writeAll(out, gPrologue, gPrologueLength);
    writeText(out, "Time: ");
    writeUtcTime(out);
    writeText(out, "Error: fatal signal ");
    writeNumber(out, signal);
    writeText(out, " ");
    writeText(out, signalName(signal));
    writeText(out, "\nCall stack:\n");
    void* frames[64];
    const int count = ::backtrace(frames, 64);
    ::backtrace_symbols_fd(frames, count, out);
    writeMemoryUse(out);
    writeText(out, "\n");
    if (fd >= 0)
        ::close(fd);
    writeText(STDERR_FILENO, "korvelle: fatal error, see Error.log\n");
    ::_exit(gFaultExitCode);
}

void appendPrologue(const QByteArray& text)
{
    const size_t room = sizeof gPrologue - gPrologueLength;
    const size_t length = std::min(room, size_t(text.size()));
    std::memcpy(gPrologue + gPrologueLength, text.constData(), length);
    gPrologueLength += length;
}

void preparePrologue(const QStringList& arguments)
{
    gPrologueLength = 0;
    const QString exe = QFileInfo(QStringLiteral("/proc/self/exe")).symLinkTarget();
    appendPrologue(("Application: " + exe + " (" + QString::number(QFileInfo(exe).size())
                    + " bytes)\n").toLocal8Bit());
    appendPrologue("Arguments:\n");
    for (const QString& argument : arguments)
        appendPrologue(("  " + argument + "\n").toLocal8Bit());
}

} // namespace

void setFaultExitCode(int code) { gFaultExitCode = code; }

int faultExitCode() { return gFaultExitCode; }

void installFatalSignalHandlers(const QStringList& arguments)
{
    preparePrologue(arguments);
    // The first backtrace() loads the unwinder; do it now, not inside the handler.
    void* warmUp[1];
    ::backtrace(warmUp, 1);

    stack_t stack {};
    stack.ss_sp = gAltStack;
    stack.ss_size = sizeof gAltStack;
    ::sigaltstack(&stack, nullptr);

    struct sigaction action {};
    action.sa_handler = onFatalSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_ONSTACK | SA_RESETHAND;
    for (const int signal : {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT})
        ::sigaction(signal, &action, nullptr);
}

} // namespace kv
