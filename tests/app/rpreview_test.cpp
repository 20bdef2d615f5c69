#include "apptestenv.h"

#include "app/rpreview.h"
#include "preview/previewwindow.h"
#include "print/procedural.h"
#include "print/tprinter.h"

#include <QApplication>
#include <QEventLoop>
#include <QPointer>
#include <QTimer>

namespace kvtest {
namespace {

class RPreviewTest : public AppRoadTest {
protected:
    void SetUp() override
    {
        AppRoadTest::SetUp();
        kv::installPreviewRoad();
    }
    void TearDown() override
    {
        kv::setPreviewHandler({});
        AppRoadTest::TearDown();
    }

    // A device spooling `pages` report pages into the spool directory, as a report
    // application records them.
    static std::unique_ptr<kv::TPrinter> spooledDevice(int pages, const QString& document = QStringLiteral("Stock List"))
    {
        auto device = std::make_unique<kv::TPrinter>(document, false, true, QStringLiteral("PDF File"));
        for (int i = 1; i <= pages; ++i) {
            device->StartPage();
            device->Say(200, 200, QStringLiteral("Stock list, page %1").arg(i));
            device->Box(100, 100, 1000, 2000);
            device->EndPage();
        }
        return device;
    }
};

TEST_F(RPreviewTest, SpooledPagesAreHandedOverShownAndDeletedOnClose)
{
    const auto device = spooledDevice(3);
    ASSERT_NE(device->hDC, 0u) << "the built-in PDF printer could not be made";
    ASSERT_EQ(device->aMeta.size(), 3);
    EXPECT_EQ(entryNames(spool.path()), (QStringList{"tmp0001.emf", "tmp0002.emf", "tmp0003.emf"}));
    bool result = false;
    const SeenPreview seen = runPreviewAndClose([&] { result = kv::RPREVIEW(device.get()); }, spool.path());
    EXPECT_TRUE(result);
    ASSERT_TRUE(seen.shown);
    EXPECT_EQ(seen.title, QStringLiteral("Stock List"));
    EXPECT_EQ(seen.setFiles, (QStringList{"E0010001.emf", "E0010002.emf", "E0010003.emf"}));
    EXPECT_TRUE(entryNames(setDir()).isEmpty());
    EXPECT_EQ(device->hDC, 0u);
    EXPECT_FALSE(QFileInfo::exists(handoffPath()));
    EXPECT_TRUE(stopTexts().empty());
}

TEST_F(RPreviewTest, PrintEndOfASpoolingDeviceOpensThePreview)
{
    kv::PRINTBEGIN(QStringLiteral("Delivery Notes"), false, true, QStringLiteral("PDF File"));
    for (int i = 0; i < 2; ++i) {
        kv::PAGEBEGIN();
        kv::currentPrinter()->Say(300, 300, QStringLiteral("Delivery note"));
        kv::PAGEEND();
    }
    const SeenPreview seen = runPreviewAndClose([] { kv::PRINTEND(); }, spool.path());
    ASSERT_TRUE(seen.shown);
    EXPECT_EQ(seen.title, QStringLiteral("Delivery Notes"));
    EXPECT_EQ(seen.setFiles, (QStringList{"E0010001.emf", "E0010002.emf"}));
    EXPECT_EQ(kv::currentPrinter(), nullptr);
    EXPECT_TRUE(entryNames(setDir()).isEmpty());
}

TEST_F(RPreviewTest, DevicesWithNothingToShowAreEndedWithoutPreview)
{
    struct Case {
        const char* what;
        bool spooling;
        int pages;
    };
    for (const Case& c : {Case{"direct device", false, 0}, Case{"spooling device without pages", true, 0}}) {
        kv::TPrinter device(QStringLiteral("Nothing"), false, c.spooling, QStringLiteral("PDF File"));
        ASSERT_NE(device.hDC, 0u) << c.what;
        bool result = false;
        const SeenPreview seen = runPreviewAndClose([&] { result = kv::RPREVIEW(&device); }, spool.path());
        EXPECT_TRUE(result) << c.what;
        EXPECT_FALSE(seen.shown) << c.what;
        EXPECT_EQ(device.hDC, 0u) << c.what;
        EXPECT_FALSE(QFileInfo::exists(handoffPath())) << c.what;
    }
}

TEST_F(RPreviewTest, AHandoffFileThatCannotBeWrittenStopsAndReleasesThePages)
{
    // A directory in the hand-off file's place cannot be replaced by a file.
    ASSERT_TRUE(QDir().mkdir(handoffPath()));
    const auto device = spooledDevice(2);
    const SeenPreview seen = runPreviewAndClose([&] { kv::RPREVIEW(device.get()); }, spool.path());
    EXPECT_FALSE(seen.shown);
    const std::vector<std::string> stops = stopTexts();
    ASSERT_EQ(stops.size(), 1u);
    EXPECT_NE(stops[0].find("KORVELLE.TMP"), std::string::npos) << stops[0];
    EXPECT_EQ(device->hDC, 0u);
    EXPECT_TRUE(entryNames(spool.path()).isEmpty());
}

TEST_F(RPreviewTest, InsideARunningApplicationThePreviewIsModelessAndClosesLater)
{
    const auto device = spooledDevice(2);
    QPointer<kv::PreviewWindow> window;
    bool returned = false;
    QEventLoop loop;
    QTimer::singleShot(0, &loop, [&] {
        returned = kv::RPREVIEW(device.get());
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* p = qobject_cast<kv::PreviewWindow*>(w); p && p->isVisible())
                window = p;
        loop.quit();
    });
    loop.exec();
    ASSERT_TRUE(returned);
    ASSERT_TRUE(window) << "RPREVIEW returned without a window open";
    EXPECT_EQ(entryNames(setDir()), (QStringList{"E0010001.emf", "E0010002.emf"}));
    EXPECT_NE(device->hDC, 0u);
    window->close();
    QCoreApplication::processEvents();
    EXPECT_TRUE(entryNames(setDir()).isEmpty());
    EXPECT_EQ(device->hDC, 0u);
}

} // namespace
} // namespace kvtest
