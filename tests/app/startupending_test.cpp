// A termination request (SIGTERM) that arrives while start-up shows a box: the box closes and
// the program ends instead of going on, deleting the pages it already moved. Each case runs in
// a forked child, since a request, once made, stays made for the rest of the process.
#include "apptestenv.h"

#include "app/mainentry.h"
#include "app/terminationrequest.h"
#include "platform/notify.h"

#include <QApplication>
#include <csignal>

namespace kvtest {
namespace {

class StartupEndingDeathTest : public AppRoadTest {
protected:
    // A page name in the spool directory that is a link to a file elsewhere: left alone, with
    // a box saying so.
    void linkToOutside(const QString& name)
    {
        const QString target = outside.path() + QStringLiteral("/elsewhere.emf");
        writePageFile(target);
        ASSERT_EQ(::symlink(QFile::encodeName(target).constData(), QFile::encodeName(spool.path() + u'/' + name).constData()), 0);
    }
    QTemporaryDir outside;
};

// Runs the stand-alone start-up; `onBox` sees every box it shows. Ends the child with 0 when
// no preview window came up, 1 when one did.
[[noreturn]] void startUpAndExit(const QString& spool, const std::function<void(const kv::Message&)>& onBox)
{
    kv::closeWindowsOnTerminationRequest();
    kv::setMessageHandler(onBox);
    const SeenPreview seen = runPreviewAndClose([] { kv::MAIN(); }, spool);
    std::exit(seen.shown ? 1 : 0);
}

TEST_F(StartupEndingDeathTest, DuringTheLeftAloneNoticeNothingIsMovedAndNoWindowOpens)
{
    writePages(2);
    linkToOutside("tmp0003.emf");
    writeHandoff();
    EXPECT_EXIT(startUpAndExit(spool.path(),
                               [](const kv::Message& m) {
                                   if (m.kind == kv::BoxKind::Alert)
                                       std::raise(SIGTERM);
                               }),
                ::testing::ExitedWithCode(0), "");
    EXPECT_EQ(entryNames(spool.path()), (QStringList{"tmp0001.emf", "tmp0002.emf", "tmp0003.emf"}));
}

TEST_F(StartupEndingDeathTest, DuringAFailedMoveThePagesAlreadyMovedAreDeleted)
{
    const QStringList pages = writePages(3);
    linkToOutside("tmp0009.emf");
    writeHandoff();
    // The first box (the link left alone) is where the second page vanishes, as if its report
    // application took it back; the box about it not being moved is where the request comes.
    EXPECT_EXIT(startUpAndExit(spool.path(),
                               [&](const kv::Message& m) {
                                   if (m.text.find("left alone") != std::string::npos)
                                       QFile::remove(pages[1]);
                                   else if (m.text.find("could not be renamed") != std::string::npos)
                                       std::raise(SIGTERM);
                               }),
                ::testing::ExitedWithCode(0), "");
    EXPECT_TRUE(entryNames(setDir()).isEmpty()) << entryNames(setDir()).join(' ').toStdString();
    EXPECT_EQ(entryNames(spool.path()), (QStringList{"korvelle", "tmp0009.emf"}));
}

} // namespace
} // namespace kvtest
