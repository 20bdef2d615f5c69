// A real job through CUPS: the "PDF" queue (cups-pdf) chosen by name, printed at the driver's
// resolution, arriving as a PDF with both pages. Skipped, saying so, only where no scheduler
// runs and none can be started.
#include "printtestenv.h"

#include <QDateTime>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QPrinterInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QThread>

namespace {

using kvtest::cupsPdfQueueReady;
using kvtest::runTool;

// Where cups-pdf writes the queue's jobs: the "Out" line of its per-queue configuration.
QString cupsPdfOutput()
{
    QFile conf(QStringLiteral("/etc/cups/cups-pdf-ci.conf"));
    if (conf.open(QIODevice::ReadOnly)) {
        const auto match = QRegularExpression(QStringLiteral("^Out\\s+(\\S+)"), QRegularExpression::MultilineOption)
                               .match(QString::fromUtf8(conf.readAll()));
        if (match.hasMatch()) return match.captured(1);
    }
    return QStringLiteral("/var/spool/cups-pdf/ci");
}

// The PPD's default resolution as the file states it; 0 when it cannot be read here.
int ppdDefaultDpi()
{
    QFile ppd(QStringLiteral("/etc/cups/ppd/PDF.ppd"));
    if (!ppd.open(QIODevice::ReadOnly)) return 0;
    const auto match = QRegularExpression(QStringLiteral("^\\*DefaultResolution:\\s*(\\d+)"), QRegularExpression::MultilineOption)
                           .match(QString::fromLatin1(ppd.readAll()));
    return match.hasMatch() ? match.captured(1).toInt() : 0;
}

// Waits until the queue is empty and a finished file of the job is there (cups-pdf puts stray
// text around the job name, and the file appears before it is complete).
QString waitForJobFile(const QString& dir, const QString& jobName)
{
    QDeadlineTimer deadline(120000);
    while (!deadline.hasExpired()) {
        const bool queueEmpty = runTool(QStringLiteral("lpstat"), {QStringLiteral("-o"), QStringLiteral("PDF")}).trimmed().isEmpty();
        const QStringList files = QDir(dir).entryList({jobName + QStringLiteral("*.pdf")}, QDir::Files);
        if (queueEmpty && !files.isEmpty()) return QDir(dir).filePath(files.front());
        QThread::msleep(100);
    }
    return {};
}

using kvtest::PrintTest;

TEST_F(PrintTest, TwoPagesThroughTheCupsPdfQueue)
{
    if (!cupsPdfQueueReady()) GTEST_SKIP() << kvtest::kNoCupsQueue;
    kv::setPrinterListProvider({});  // the system's own list
    kv::resetSharedPrinterState();

    const QString document = QStringLiteral("kvcups%1").arg(QDateTime::currentMSecsSinceEpoch(), 0, 16);
    const auto device = kv::PRINTBEGIN(document, false, false, QStringLiteral("PDF"));
    ASSERT_NE(device->hDC, 0u) << (messages.empty() ? std::string() : messages[0].text);
    EXPECT_EQ(device->GetModel(), QStringLiteral("PDF"));
    EXPECT_TRUE(device->cModel->startsWith(QStringLiteral("PDF,")));
    EXPECT_FALSE(device->GetDriver().isEmpty());
    EXPECT_TRUE(device->GetPort().startsWith(QStringLiteral("cups-pdf:")));
    if (const int dpi = ppdDefaultDpi()) {
        EXPECT_EQ(device->nLogPixelX(), dpi);  // the driver's resolution, not Qt's 1200
    }
    EXPECT_GT(device->nHorzRes(), 0);

    for (int page = 1; page <= 2; ++page) {
        kv::PAGEBEGIN();
        device->Say(200, 200, QStringLiteral("CUPS page %1").arg(page));
        device->Box(400, 400, 1200, 1600);
        kv::PAGEEND();
    }
    kv::PRINTEND();
    EXPECT_TRUE(messages.empty()) << messages.front().text;

    const QString file = waitForJobFile(cupsPdfOutput(), document);
    ASSERT_FALSE(file.isEmpty()) << "no finished job " << document.toStdString() << " in " << cupsPdfOutput().toStdString();
    EXPECT_EQ(kvtest::pdfPageCount(file), 2);
    QFile::remove(file);
}

} // namespace

namespace {

using kvtest::cupsPdfQueueReady;
using kvtest::runTool;

using kvtest::PrintTest;

// A queue of its own that the test removes while a job is open: the job cannot be handed
// over, the user is told, and nothing crashes.
TEST_F(PrintTest, AQueueThatVanishesMidJobIsReported)
{
    if (!cupsPdfQueueReady()) GTEST_SKIP() << kvtest::kNoCupsQueue;
    const QString queue = QStringLiteral("KV-Vanish-%1").arg(QDateTime::currentMSecsSinceEpoch(), 0, 16);
    runTool(QStringLiteral("lpadmin"), {QStringLiteral("-p"), queue, QStringLiteral("-v"), QStringLiteral("cups-pdf:/ci"),
                                    QStringLiteral("-m"), QStringLiteral("lsb/usr/cups-pdf/CUPS-PDF_opt.ppd"),
                                    QStringLiteral("-E")});
    if (!QPrinterInfo::availablePrinterNames().contains(queue)) GTEST_SKIP() << "lpadmin could not add a queue here";
    kv::setPrinterListProvider({});
    kv::resetSharedPrinterState();

    kv::TPrinter device(QStringLiteral("kvvanish"), false, false, queue);
    ASSERT_NE(device.hDC, 0u);
    device.StartPage();
    device.Say(100, 100, QStringLiteral("never printed"));
    device.EndPage();
    runTool(QStringLiteral("lpadmin"), {QStringLiteral("-x"), queue});
    device.End();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_NE(messages[0].text.find("kvvanish"), std::string::npos) << messages[0].text;

    // The printer is gone for the next device too: no context, and a clear word why.
    messages.clear();
    kv::TPrinter after(QStringLiteral("kvvanish"), false, false, queue);
    EXPECT_EQ(after.hDC, 0u);
    EXPECT_EQ(messages.size(), 1u);
}

} // namespace
