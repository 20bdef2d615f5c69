#include "apptestenv.h"

#include "app/mainentry.h"
#include "platform/inifile.h"
#include "print/printerdialogs.h"
#include "print/procedural.h"

#include <QWidget>
#include <unistd.h>

namespace kvtest {
namespace {

using MainEntryTest = AppRoadTest;

TEST_F(MainEntryTest, WithoutHandoffFileItStopsWithWrongProgramStart)
{
    writePages(2);
    kv::MAIN();
    ASSERT_EQ(stopTexts(), std::vector<std::string>{"Wrong program start."});
    // Nothing was touched: the pages are where the report application left them.
    EXPECT_EQ(entryNames(spool.path()), (QStringList{"tmp0001.emf", "tmp0002.emf"}));
}

TEST_F(MainEntryTest, AWindowsDirectoryOthersCanWriteIsNamedOnASecondLine)
{
    // A hand-off file planted in a folder everybody can write is never read.
    QTemporaryDir open, runtime;
    ASSERT_TRUE(QFile::setPermissions(open.path(), QFileDevice::Permissions(0x7777)));
    const EnvOverride windir("WINDIR", open.path().toLocal8Bit());
    const EnvOverride xdg("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit());
    writePages(1);
    writeHandoffKeys(open.path() + QStringLiteral("/KORVELLE.TMP"), {{QStringLiteral("Path"), spool.path()}});
    kv::MAIN();
    const std::string expected = "Wrong program start.\n" + open.path().toStdString()
        + " (in $WINDIR) was ignored: other users can write to it. The hand-off file was looked for as "
        + runtime.path().toStdString() + "/KORVELLE.TMP.";
    EXPECT_EQ(stopTexts(), std::vector<std::string>{expected});
    EXPECT_EQ(entryNames(spool.path()), QStringList{"tmp0001.emf"});
}

TEST_F(MainEntryTest, ShowsThePagesMovedIntoTheFirstSetAndDeletesThemOnClose)
{
    writePages(3);
    writeHandoff();
    const SeenPreview seen = runPreviewAndClose([] { kv::MAIN(); }, spool.path());
    ASSERT_TRUE(seen.shown);
    EXPECT_EQ(seen.title, QStringLiteral("Quarterly Report"));
    EXPECT_EQ(seen.setFiles, (QStringList{"E0010001.emf", "E0010002.emf", "E0010003.emf"}));
    EXPECT_TRUE(stopTexts().empty());
    // Closed: the moved pages are gone, the spool directory holds no page file, the hand-off
    // file was consumed and the device is no longer current (it was ended).
    EXPECT_TRUE(entryNames(setDir()).isEmpty());
    EXPECT_EQ(entryNames(spool.path()), QStringList{"korvelle"});
    EXPECT_FALSE(QFileInfo::exists(handoffPath()));
    EXPECT_EQ(kv::currentPrinter(), nullptr);
}

TEST_F(MainEntryTest, ASecondPreviewTakesTheNextSetAndDeletesNothingOfTheFirst)
{
    ASSERT_TRUE(QDir().mkpath(setDir()));
    writePageFile(setDir() + QStringLiteral("/E0010001.emf"));
    writePageFile(setDir() + QStringLiteral("/E0010002.emf"));
    writePages(2);
    writeHandoff();
    const SeenPreview seen = runPreviewAndClose([] { kv::MAIN(); }, spool.path());
    ASSERT_TRUE(seen.shown);
    EXPECT_EQ(seen.setFiles,
              (QStringList{"E0010001.emf", "E0010002.emf", "E0020001.emf", "E0020002.emf"}));
    EXPECT_EQ(entryNames(setDir()), (QStringList{"E0010001.emf", "E0010002.emf"}));
}

TEST_F(MainEntryTest, APlantedLinkInPlaceOfTheSetDirectoryStopsWithItsNameAndTouchesNothing)
{
    QTemporaryDir elsewhere;
    const QString victim = elsewhere.path() + QStringLiteral("/E0000001.emf");
    writePageFile(victim);
    ASSERT_EQ(::symlink(QFile::encodeName(elsewhere.path()).constData(), QFile::encodeName(setDir()).constData()), 0);
    writePages(2);
    writeHandoff();
    const SeenPreview seen = runPreviewAndClose([] { kv::MAIN(); }, spool.path());
    EXPECT_FALSE(seen.shown);
    ASSERT_EQ(stopTexts().size(), 1u);
    EXPECT_NE(stopTexts()[0].find(setDir().toStdString()), std::string::npos) << stopTexts()[0];
    EXPECT_EQ(entryNames(elsewhere.path()), QStringList{"E0000001.emf"});
    EXPECT_EQ(entryNames(spool.path()), (QStringList{"korvelle", "tmp0001.emf", "tmp0002.emf"}));
}

TEST_F(MainEntryTest, TitleCarriesTheApplicationNameFromTheSettingsFile)
{
    ASSERT_TRUE(kv::IniFile(QStringLiteral("KORVELLE.INI"))
                    .writeString(QStringLiteral("General"), QStringLiteral("ApplicationName"),
                                 QStringLiteral("Orvanta Ledger")));
    writePages(1);
    writeHandoff(QStringLiteral("1"), QStringLiteral("Balance Sheet"));
    const SeenPreview seen = runPreviewAndClose([] { kv::MAIN(); }, spool.path());
    ASSERT_TRUE(seen.shown);
    EXPECT_EQ(seen.title, QStringLiteral("Orvanta Ledger - Balance Sheet"));
}

struct OrientationCase {
    const char* value;  // nullptr: the key is missing
    int expected;
};

class MainOrientationTest : public AppRoadTest, public ::testing::WithParamInterface<OrientationCase> {};

TEST_P(MainOrientationTest, OnlyTheNumberTwoTurnsThePageToLandscape)
{
    const OrientationCase c = GetParam();
    writePages(1);
    std::vector<std::pair<QString, QString>> keys = {{QStringLiteral("Path"), spool.path()},
                                                     {QStringLiteral("Document"), QStringLiteral("D")},
                                                     {QStringLiteral("Printer"), QStringLiteral("PDF File")}};
    if (c.value)
        keys.emplace_back(QStringLiteral("Orientation"), QString::fromLatin1(c.value));
    writeHandoffKeys(handoffPath(), keys);
    int orientation = 0;
    bool widerThanHigh = false;
    const SeenPreview seen = runPreviewAndClose([] { kv::MAIN(); }, spool.path(), [&](QWidget&) {
        const auto device = kv::currentPrinter();
        ASSERT_NE(device, nullptr);
        orientation = device->GetOrientation();
        widerThanHigh = device->nHorzSize() >= device->nVertSize();
    });
    ASSERT_TRUE(seen.shown);
    EXPECT_EQ(orientation, c.expected);
    EXPECT_EQ(widerThanHigh, c.expected == 2);
}

INSTANTIATE_TEST_SUITE_P(Values, MainOrientationTest,
                         ::testing::Values(OrientationCase{"2", 2}, OrientationCase{" 2x", 2},
                                           OrientationCase{"1", 1}, OrientationCase{"", 1},
                                           OrientationCase{"abc", 1}, OrientationCase{nullptr, 1}));

TEST_F(MainEntryTest, NoPageFilesStopsNamingTheSpoolDirectoryAndKeepsTheHandoffFile)
{
    writeHandoff();
    const SeenPreview seen = runPreviewAndClose([] { kv::MAIN(); }, spool.path());
    EXPECT_FALSE(seen.shown);
    const std::vector<std::string> stops = stopTexts();
    ASSERT_EQ(stops.size(), 1u);
    EXPECT_NE(stops[0].find(spool.path().toStdString()), std::string::npos) << stops[0];
    EXPECT_TRUE(QFileInfo::exists(handoffPath()));
    EXPECT_EQ(kv::currentPrinter(), nullptr);
}

TEST_F(MainEntryTest, AMissingSpoolDirectoryStopsAndDeletesNothing)
{
    writePages(2);
    const QString missing = spool.path() + QStringLiteral("/not-there");
    writeHandoffKeys(handoffPath(), {{QStringLiteral("Path"), missing},
                                     {QStringLiteral("Printer"), QStringLiteral("PDF File")}});
    const SeenPreview seen = runPreviewAndClose([] { kv::MAIN(); }, spool.path());
    EXPECT_FALSE(seen.shown);
    const std::vector<std::string> stops = stopTexts();
    ASSERT_EQ(stops.size(), 1u);
    EXPECT_NE(stops[0].find(missing.toStdString()), std::string::npos) << stops[0];
    EXPECT_EQ(entryNames(spool.path()), (QStringList{"tmp0001.emf", "tmp0002.emf"}));
    EXPECT_TRUE(QFileInfo::exists(handoffPath()));
}

TEST_F(MainEntryTest, RunningTwiceForOneHandoffStopsTheSecondStart)
{
    writePages(1);
    writeHandoff();
    ASSERT_TRUE(runPreviewAndClose([] { kv::MAIN(); }, spool.path()).shown);
    ASSERT_TRUE(stopTexts().empty());
    const SeenPreview second = runPreviewAndClose([] { kv::MAIN(); }, spool.path());
    EXPECT_FALSE(second.shown);
    EXPECT_EQ(stopTexts(), std::vector<std::string>{"Wrong program start."});
}

TEST_F(MainEntryTest, APrinterNameThatMatchesNothingAsksAndACancelLeavesNoPrinter)
{
    QStringList reasons;
    kv::setPrinterChooser([&](const QString& why) {
        reasons << why;
        return std::optional<kv::PrinterChoice>();
    });
    writePages(1);
    writeHandoffKeys(handoffPath(), {{QStringLiteral("Path"), spool.path()},
                                     {QStringLiteral("Document"), QStringLiteral("Nowhere")},
                                     {QStringLiteral("Printer"), QStringLiteral("NoSuchPrinter")}});
    kv::HDC seenDc = 1;
    const SeenPreview seen = runPreviewAndClose([] { kv::MAIN(); }, spool.path(), [&](QWidget&) {
        if (const auto device = kv::currentPrinter())
            seenDc = device->hDC;
    });
    kv::setPrinterChooser({});
    ASSERT_TRUE(seen.shown);
    EXPECT_EQ(tones, 1);
    EXPECT_EQ(reasons, QStringList{QStringLiteral("The printer \"NoSuchPrinter\" was not found: choose a printer")});
    // The orientation was set after the choice; still no printer takes the report.
    EXPECT_EQ(seenDc, 0u);
    EXPECT_TRUE(entryNames(pdf.path()).isEmpty());
}

TEST_F(MainEntryTest, PagesNamedInUpperCaseAreGatheredToo)
{
    writePageFile(spool.path() + QStringLiteral("/tmp0002.emf"));
    writePageFile(spool.path() + QStringLiteral("/TMP0001.EMF"));
    writeHandoff();
    const SeenPreview seen = runPreviewAndClose([] { kv::MAIN(); }, spool.path());
    ASSERT_TRUE(seen.shown);
    EXPECT_EQ(seen.setFiles, (QStringList{"E0010001.emf", "E0010002.emf"}));
}

} // namespace
} // namespace kvtest
