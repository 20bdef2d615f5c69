#include "app/errorhandler.h"
#include "app/errorreport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <csignal>
#include <cstdio>
#include <gtest/gtest.h>
#include <stdexcept>
#include <thread>

namespace {

QString readErrorLog()
{
    QFile log(QString::fromLatin1(kv::kErrorLogName));
    return log.open(QIODevice::ReadOnly) ? QString::fromUtf8(log.readAll()) : QString();
}

// Each test works in a directory of its own, since Error.log goes to the current directory.
class ErrorHandlerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        oldCwd = QDir::currentPath();
        ASSERT_TRUE(QDir::setCurrent(dir.path()));
        kv::rememberArguments({QStringLiteral("korvelle"), QStringLiteral("--sample-argument")});
    }
    void TearDown() override
    {
        kv::setErrorDialogHandler({});
        QDir::setCurrent(oldCwd);
    }
    QTemporaryDir dir;
    QString oldCwd;
};

// Every report names the application with its size, the time, the error, the arguments, the
// call stack and the memory use.
void expectReportParts(const QString& report, const QString& description)
{
    for (const char* part : {"Application: ", " bytes)", "Time: ", "Error: ", "Arguments:", "Call stack:", "Memory:", "VmRSS:"})
        EXPECT_TRUE(report.contains(QLatin1String(part))) << part << "\n" << report.toStdString();
    EXPECT_TRUE(report.contains(description)) << report.toStdString();
    EXPECT_TRUE(report.contains(QStringLiteral("--sample-argument"))) << report.toStdString();
}

TEST_F(ErrorHandlerTest, RetryWritesTheReportAndTheWorkGoesOn)
{
    QString shown;
    bool retryOffered = false;
    kv::setErrorDialogHandler([&](const QString& report, bool canRetry) {
        shown = report;
        retryOffered = canRetry;
        return kv::ErrorChoice::Retry;
    });
    const bool handled = kv::deliverGuarded([]() -> bool { throw std::runtime_error("page table broken"); },
                                            [] { return QStringList{QStringLiteral("receiver: KVMETAFILE")}; });
    EXPECT_FALSE(handled);
    EXPECT_TRUE(retryOffered);
    const QString log = readErrorLog();
    expectReportParts(log, QStringLiteral("page table broken"));
    EXPECT_TRUE(log.contains(QStringLiteral("std::runtime_error"))) << log.toStdString();
    EXPECT_TRUE(log.contains(QStringLiteral("receiver: KVMETAFILE")));
    EXPECT_EQ(shown.trimmed(), log.trimmed());
}

TEST_F(ErrorHandlerTest, AHandlerThatDoesNotThrowIsUntouched)
{
    int dialogs = 0;
    kv::setErrorDialogHandler([&](const QString&, bool) { ++dialogs; return kv::ErrorChoice::Quit; });
    EXPECT_TRUE(kv::deliverGuarded([] { return true; }));
    EXPECT_FALSE(kv::deliverGuarded([] { return false; }));
    EXPECT_EQ(dialogs, 0);
    EXPECT_FALSE(QFile::exists(QString::fromLatin1(kv::kErrorLogName)));
}

TEST_F(ErrorHandlerTest, ReportsAreAppendedSoAnEarlierOneStays)
{
    kv::setErrorDialogHandler([](const QString&, bool) { return kv::ErrorChoice::Retry; });
    kv::deliverGuarded([]() -> bool { throw std::logic_error("first fault"); });
    kv::deliverGuarded([]() -> bool { throw 42; });
    const QString log = readErrorLog();
    EXPECT_TRUE(log.contains(QStringLiteral("first fault")));
    EXPECT_TRUE(log.contains(QStringLiteral("Unknown exception")));
    EXPECT_EQ(log.count(QStringLiteral("Call stack:")), 2);
}

// Death tests fork: the child shares the parent's current directory, so its Error.log is read
// back here.
using ErrorHandlerDeathTest = ErrorHandlerTest;

TEST_F(ErrorHandlerDeathTest, QuitEndsTheProgramWithExitCodeOne)
{
    EXPECT_EXIT(
        {
            kv::setErrorDialogHandler([](const QString&, bool) { return kv::ErrorChoice::Quit; });
            kv::deliverGuarded([]() -> bool { throw std::runtime_error("cannot go on"); });
            std::exit(0);  // not reached when Quit ends the program
        },
        ::testing::ExitedWithCode(1), "");
    expectReportParts(readErrorLog(), QStringLiteral("cannot go on"));
}

TEST_F(ErrorHandlerDeathTest, AnUncaughtExceptionOffersOnlyQuit)
{
    EXPECT_EXIT(
        {
            kv::installErrorHandler({QStringLiteral("korvelle"), QStringLiteral("--sample-argument")});
            // Retry is not possible here: even when chosen, the program ends.
            kv::setErrorDialogHandler([](const QString&, bool canRetry) {
                std::fputs(canRetry ? "retry offered\n" : "quit only\n", stderr);
                return kv::ErrorChoice::Retry;
            });
            std::thread([] { throw std::out_of_range("index 9 of 8"); }).join();
        },
        ::testing::ExitedWithCode(1), "quit only");
    expectReportParts(readErrorLog(), QStringLiteral("index 9 of 8"));
}

TEST_F(ErrorHandlerDeathTest, AFatalSignalIsReportedAndEndsWithExitCodeOne)
{
    for (const int signal : {SIGSEGV, SIGFPE, SIGABRT}) {
        QFile::remove(QString::fromLatin1(kv::kErrorLogName));
        EXPECT_EXIT(
            {
                kv::installErrorHandler({QStringLiteral("korvelle"), QStringLiteral("--sample-argument")});
                std::raise(signal);
            },
            ::testing::ExitedWithCode(1), "fatal error");
        const QString log = readErrorLog();
        expectReportParts(log, QStringLiteral("fatal signal %1").arg(signal));
    }
}

} // namespace
