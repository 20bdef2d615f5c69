// What a print job tells when it ends: where its PDF went or which queue took it, why it could
// not be written or handed over, and that a dropped job leaves nothing in the folder or queue.
#include "printtestenv.h"

#include "print/printjob.h"
#include "common/filesizelimit.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QPrinterInfo>

namespace {

using kvtest::PrintTest;
using State = kv::PrintJobOutcome::State;

// One job of `pages` pages on the device's context, ended (or dropped when `drop`).
bool printJob(kv::TPrinter& device, int pages, bool drop = false)
{
    if (!kv::StartDoc(device.hDC, device.cDocument)) return false;
    kv::gdi::Dc* dc = kv::dcFromHandle(device.hDC);
    for (int page = 1; page <= pages; ++page) {
        kv::StartPage(device.hDC);
        for (int row = 0; row < 40; ++row)
            dc->extTextOut(300, 300 + row * 120, 0, nullptr, u"A line of the report that fills the page with text");
        dc->rectangle({1000, 1000, 2000, 2000});
        kv::EndPage(device.hDC);
    }
    return drop ? kv::AbortDoc(device.hDC) : kv::EndDoc(device.hDC);
}

QStringList filesIn(const QString& dir)
{
    return QDir(dir).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot);
}

TEST_F(PrintTest, APdfJobSaysWhereItsFileWent)
{
    kv::TPrinter device(QStringLiteral("Where it went"));
    ASSERT_TRUE(printJob(device, 2));
    const kv::PrintJobOutcome outcome = kv::JobOutcome(device.hDC);
    EXPECT_EQ(outcome.state, State::Done);
    EXPECT_TRUE(outcome.toFile);
    EXPECT_EQ(outcome.target, QDir(pdfDir()).filePath(QStringLiteral("Where it went.pdf")));
    EXPECT_EQ(kvtest::pdfPageCount(outcome.target), 2);
    EXPECT_EQ(filesIn(pdfDir()), QStringList{QStringLiteral("Where it went.pdf")});
}

TEST_F(PrintTest, ADroppedPdfJobLeavesNoFile)
{
    kv::TPrinter device(QStringLiteral("Dropped"));
    ASSERT_TRUE(printJob(device, 3, true));
    EXPECT_EQ(kv::JobOutcome(device.hDC).state, State::Cancelled);
    EXPECT_TRUE(filesIn(pdfDir()).isEmpty()) << filesIn(pdfDir()).join(' ').toStdString();
    // The device prints on afterwards.
    ASSERT_TRUE(printJob(device, 1));
    EXPECT_EQ(filesIn(pdfDir()), QStringList{QStringLiteral("Dropped.pdf")});
}

TEST_F(PrintTest, AFolderThatCannotBeMadeIsNamedWithTheReason)
{
    QFile blocker(QDir(pdfDir()).filePath(QStringLiteral("blocker")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    qputenv("KV_PDF_DIR", blocker.fileName().toUtf8() + "/sub");
    kv::TPrinter device(QStringLiteral("Nowhere"));
    EXPECT_FALSE(printJob(device, 1));
    const kv::PrintJobOutcome outcome = kv::JobOutcome(device.hDC);
    EXPECT_EQ(outcome.state, State::Failed);
    EXPECT_EQ(outcome.target, blocker.fileName() + QStringLiteral("/sub/Nowhere.pdf"));
    EXPECT_FALSE(outcome.problem.isEmpty());
    EXPECT_EQ(filesIn(pdfDir()), QStringList{QStringLiteral("blocker")});
}

using kvtest::FileSizeLimit;

TEST_F(PrintTest, APdfThatDoesNotFitOnTheDiskIsNotLeftHalfWritten)
{
    kv::TPrinter device(QStringLiteral("Full disk"));
    bool printed = true;
    {
        const FileSizeLimit limit(2000);
        printed = printJob(device, 3);
    }
    EXPECT_FALSE(printed);
    const kv::PrintJobOutcome outcome = kv::JobOutcome(device.hDC);
    EXPECT_EQ(outcome.state, State::Failed);
    EXPECT_EQ(outcome.target, QDir(pdfDir()).filePath(QStringLiteral("Full disk.pdf")));
    EXPECT_FALSE(outcome.problem.isEmpty());
    EXPECT_TRUE(filesIn(pdfDir()).isEmpty()) << filesIn(pdfDir()).join(' ').toStdString();
}

// A queue of its own, stopped so that the jobs it takes stay in it to be counted.
class HeldQueue {
public:
    HeldQueue() : name_(QStringLiteral("KV-Held-%1").arg(QDateTime::currentMSecsSinceEpoch(), 0, 16))
    {
        kvtest::runTool(QStringLiteral("lpadmin"), {QStringLiteral("-p"), name_, QStringLiteral("-v"), QStringLiteral("cups-pdf:/ci"),
                                                    QStringLiteral("-m"), QStringLiteral("lsb/usr/cups-pdf/CUPS-PDF_opt.ppd"),
                                                    QStringLiteral("-E")});
        kvtest::runTool(QStringLiteral("cupsdisable"), {name_});
    }
    ~HeldQueue()
    {
        kvtest::runTool(QStringLiteral("cancel"), {QStringLiteral("-a"), name_});
        kvtest::runTool(QStringLiteral("lpadmin"), {QStringLiteral("-x"), name_});
    }
    bool exists() const { return QPrinterInfo::availablePrinterNames().contains(name_); }
    const QString& name() const { return name_; }
    int jobs() const
    {
        const QString listing = kvtest::runTool(QStringLiteral("lpstat"), {QStringLiteral("-o"), name_});
        return int(listing.split(QLatin1Char('\n'), Qt::SkipEmptyParts).size());
    }
    void refuseJobs() const { kvtest::runTool(QStringLiteral("cupsreject"), {name_}); }

private:
    QString name_;
};

TEST_F(PrintTest, AQueueSaysWhetherItTookTheJob)
{
    if (!kvtest::cupsPdfQueueReady()) GTEST_SKIP() << kvtest::kNoCupsQueue;
    const HeldQueue queue;
    if (!queue.exists()) GTEST_SKIP() << "lpadmin could not add a queue here";
    kv::setPrinterListProvider({});
    kv::resetSharedPrinterState();
    kv::TPrinter device(QStringLiteral("kvheld"), false, false, queue.name());
    ASSERT_NE(device.hDC, 0u);

    ASSERT_TRUE(printJob(device, 2));
    const kv::PrintJobOutcome taken = kv::JobOutcome(device.hDC);
    EXPECT_EQ(taken.state, State::Done);
    EXPECT_FALSE(taken.toFile);
    EXPECT_EQ(taken.target, queue.name());
    EXPECT_GT(taken.queueJob, 0);
    EXPECT_EQ(queue.jobs(), 1);

    // A dropped job never reaches the queue.
    ASSERT_TRUE(printJob(device, 4, true));
    EXPECT_EQ(kv::JobOutcome(device.hDC).state, State::Cancelled);
    EXPECT_EQ(queue.jobs(), 1);

    // A queue that refuses jobs says so.
    queue.refuseJobs();
    EXPECT_FALSE(printJob(device, 1));
    const kv::PrintJobOutcome refused = kv::JobOutcome(device.hDC);
    EXPECT_EQ(refused.state, State::Failed);
    EXPECT_TRUE(refused.problem.contains(QStringLiteral("not accepting"))) << refused.problem.toStdString();
    EXPECT_EQ(queue.jobs(), 1);
}

} // namespace
