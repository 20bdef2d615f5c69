// Spooling: every page recorded as tmpNNNN.emf in the spool directory, in printer pixels, and
// gone after End; the failures a report application can meet while spooling.
#include "printtestenv.h"

#include "gdi/readers.h"

#include <QDir>
#include <QFile>

namespace {

class SpoolTest : public kvtest::PrintTest {
protected:
    void SetUp() override
    {
        PrintTest::SetUp();
        ASSERT_TRUE(spool_.isValid());
        for (const char* name : {"TEMP", "TMP", "TMPDIR"}) saved_.emplace_back(name, qgetenv(name));
        qputenv("TEMP", (spool_.path() + QLatin1Char('/')).toUtf8());
    }
    void TearDown() override
    {
        for (const auto& [name, value] : saved_) {
            if (value.isNull()) qunsetenv(name);
            else qputenv(name, value);
        }
        PrintTest::TearDown();
    }
    QString spoolDir() const { return spool_.path(); }

    QTemporaryDir spool_;
    std::vector<std::pair<const char*, QByteArray>> saved_;
};

kv::gdi::PicturePtr readPage(const QString& file)
{
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly)) return nullptr;
    const QByteArray bytes = f.readAll();
    return kv::gdi::readEmf({reinterpret_cast<const uint8_t*>(bytes.constData()), size_t(bytes.size())});
}

TEST_F(SpoolTest, ThreePagesAreRecordedInPrinterPixelsAndDeletedByEnd)
{
    kv::TPrinter device(QStringLiteral("Spooled"), false, true);
    ASSERT_NE(device.hDC, 0u);
    EXPECT_EQ(device.cDir, spoolDir());  // the trailing slash of TEMP is gone
    EXPECT_EQ(device.hDCOut, 0u);
    EXPECT_TRUE(device.aMeta.isEmpty());
    for (int page = 1; page <= 3; ++page) {
        device.StartPage();
        ASSERT_NE(device.hDCOut, 0u);
        EXPECT_NE(device.hDCOut, device.hDC);
        device.Box(100 * page, 200, 100 * page + 400, 900);
        device.EndPage();
    }
    ASSERT_EQ(device.aMeta.size(), 3);
    EXPECT_TRUE(messages.empty());
    for (int page = 1; page <= 3; ++page) {
        const QString file = device.aMeta[page - 1];
        EXPECT_EQ(file, QDir(spoolDir()).filePath(QStringLiteral("tmp000%1.emf").arg(page)));
        const auto picture = readPage(file);
        ASSERT_TRUE(picture) << file.toStdString();
        EXPECT_EQ(picture->header.device.cx, device.nHorzRes());
        EXPECT_EQ(picture->header.device.cy, device.nVertRes());
        const kv::gdi::RectL& b = picture->header.bounds;
        EXPECT_NEAR(b.left, 200, 3);  // a recorder may pad for the pen
        EXPECT_NEAR(b.top, 100 * page, 3);
        EXPECT_NEAR(b.right, 900, 3);
        EXPECT_NEAR(b.bottom, 100 * page + 400, 3);
    }
    const QStringList files = device.aMeta;
    device.End();
    EXPECT_EQ(device.hDC, 0u);
    EXPECT_EQ(device.hDCOut, 0u);
    for (const QString& file : files) EXPECT_FALSE(QFileInfo::exists(file)) << file.toStdString();
    EXPECT_TRUE(QDir(spoolDir()).isEmpty());
}

TEST_F(SpoolTest, EndWithAPageStillOpenLeavesNoFile)
{
    kv::TPrinter device(QStringLiteral("Open page"), false, true);
    device.StartPage();
    device.Line(10, 10, 500, 500);
    device.End();
    EXPECT_TRUE(QDir(spoolDir()).isEmpty());
    EXPECT_TRUE(messages.empty());
}

TEST_F(SpoolTest, ASpoolDirectoryThatCannotBeWrittenIsReported)
{
    kv::TPrinter device(QStringLiteral("No room"), false, true);
    ASSERT_EQ(device.cDir, spoolDir());
    ASSERT_TRUE(QDir(spoolDir()).removeRecursively());
    device.StartPage();
    device.Say(100, 100, QStringLiteral("lost"));
    device.EndPage();
    ASSERT_EQ(messages.size(), 1u);
    const QString file = device.cDir + QStringLiteral("/tmp0001.emf");
    EXPECT_EQ(messages[0].kind, kv::BoxKind::Alert);
    EXPECT_EQ(messages[0].title, "Print preview error");
    EXPECT_EQ(messages[0].text, ("Could not create temporary file: " + file +
                                 "\r\n\r\nPlease check your free space on your hard drive \r\n"
                                 "and the amount of files handles available.").toStdString());
    // Printing goes on: the next page is tried again.
    QDir().mkpath(spoolDir());
    device.StartPage();
    device.EndPage();
    EXPECT_EQ(messages.size(), 1u);
    EXPECT_TRUE(QFileInfo::exists(device.cDir + QStringLiteral("/tmp0002.emf")));
    device.End();
    EXPECT_TRUE(QDir(spoolDir()).isEmpty());
}

TEST_F(SpoolTest, EndPageWithoutAPageSaysTheMetafileWasNotMade)
{
    kv::TPrinter device(QStringLiteral("No page"), false, true);
    device.EndPage();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, "The temporal metafile could not be created");
    EXPECT_EQ(messages[0].title, "Printer object Error");
}

TEST_F(SpoolTest, PageTenThousandIsRefusedRatherThanClashing)
{
    kv::TPrinter device(QStringLiteral("Long"), false, true);
    device.StartPage();
    device.EndPage();
    device.nPage = 9999;
    device.StartPage();
    EXPECT_EQ(device.hDCOut, 0u);
    device.Line(0, 0, 10, 10);
    device.EndPage();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_NE(messages[0].text.find("9999"), std::string::npos);
    EXPECT_EQ(device.aMeta.size(), 1);
    EXPECT_TRUE(QFileInfo::exists(device.aMeta.front()));
    device.End();
    EXPECT_TRUE(QDir(spoolDir()).isEmpty());
}

TEST_F(SpoolTest, TempFallsBackToTmpThenTmpdir)
{
    QTemporaryDir other;
    ASSERT_TRUE(other.isValid());
    qputenv("TEMP", "");
    qputenv("TMP", other.path().toUtf8());
    EXPECT_EQ(kv::TPrinter(QStringLiteral("Tmp"), false, true).cDir, other.path());
    qputenv("TMP", "");
    qputenv("TMPDIR", (spoolDir() + QLatin1Char('/')).toUtf8());
    EXPECT_EQ(kv::TPrinter(QStringLiteral("Tmpdir"), false, true).cDir, spoolDir());
}

} // namespace
