// Img_Save, Img_Zip and Send to on a real preview: the preview's own page files, its printer
// device and its settings file.
#include "previewtestenv.h"

#include "common/imagereaders.h"
#include "export/imagesave.h"
#include "preview/previewwindow.h"

#include <QDir>

namespace kvtest {
namespace {

class SaveCommandTest : public PreviewTest {};

// Asks the window to close while the pages are being saved.
class CloseWhileSaving : public kv::SaveProgress {
public:
    explicit CloseWhileSaving(QWidget* window) : window_(window) {}
    void pageStarted(int, int, const QString&) override { closedAny = closedAny || window_->close(); }
    bool closedAny = false;

private:
    QWidget* window_;
};

TEST_F(SaveCommandTest, SendToOnlySaysItIsNotReady)
{
    open(2);
    ASSERT_FALSE(HasFatalFailure());
    const QStringList before = QDir(cwd.path()).entryList(QDir::Files);
    preview->Email();
    ASSERT_EQ(messages.messages.size(), 1u);
    EXPECT_EQ(messages.messages[0].kind, kv::BoxKind::Stop);
    EXPECT_EQ(messages.messages[0].title, "Stop");
    EXPECT_EQ(messages.messages[0].text, "Not ready");
    EXPECT_EQ(QDir(cwd.path()).entryList(QDir::Files), before);
}

TEST_F(SaveCommandTest, ThePreviewsPagesAreSavedAtTheResolutionOfItsSettings)
{
    open(3, {QStringLiteral("[Save2File]"), QStringLiteral("Resolution=100")});
    ASSERT_FALSE(HasFatalFailure());
    const kv::HDC out = device->hDCOut;
    const QString name = cwd.filePath(QStringLiteral("saved.png"));
    const std::optional<bool> result = preview->Img_Save(preview->aFiles.mid(1, 2), name,
                                                         QStringLiteral("PNG - Portable Network Graphic"), true, 2, false);
    ASSERT_TRUE(result.has_value());
    EXPECT_TRUE(*result);
    EXPECT_EQ(device->hDCOut, out);  // the device draws where it drew before
    EXPECT_TRUE(messages.messages.empty());
    for (const char* file : {"saved0002.png", "saved0003.png"}) {
        const auto facts = readPng(cwd.filePath(QString::fromLatin1(file)));
        ASSERT_TRUE(facts) << file;
        EXPECT_EQ(facts->ppmX, 3937u);  // 100 dpi
    }
    EXPECT_FALSE(QFile::exists(cwd.filePath(QStringLiteral("saved0001.png"))));
}

TEST_F(SaveCommandTest, AnExistingTargetGivesNoValueAndZipGivesTheArchive)
{
    open(2);
    ASSERT_FALSE(HasFatalFailure());
    const QString name = cwd.filePath(QStringLiteral("r.bmp"));
    QFile existing(cwd.filePath(QStringLiteral("r0001.bmp")));
    ASSERT_TRUE(existing.open(QIODevice::WriteOnly));
    existing.close();
    EXPECT_FALSE(preview->Img_Save(preview->aFiles, name, QStringLiteral("BMP - Windows Bitmap"), false, 0, true).has_value());
    ASSERT_EQ(messages.messages.size(), 1u);
    EXPECT_EQ(messages.messages[0].text, (cwd.filePath(QStringLiteral("r0001.bmp")) + " exists.").toStdString());

    ASSERT_TRUE(QFile::remove(cwd.filePath(QStringLiteral("r0001.bmp"))));
    EXPECT_EQ(preview->Img_Save(preview->aFiles, name, QStringLiteral("BMP - Windows Bitmap"), false, 0, true), true);
    EXPECT_TRUE(QFile::exists(cwd.filePath(QStringLiteral("R.ZIP"))));
    EXPECT_FALSE(QFile::exists(cwd.filePath(QStringLiteral("r0001.bmp"))));
    EXPECT_FALSE(QFile::exists(cwd.filePath(QStringLiteral("r0002.bmp"))));
}

// Closing the window would end the device and delete the pages being saved: it waits.
TEST_F(SaveCommandTest, TheWindowStaysOpenWhilePagesAreSaved)
{
    open(2);
    ASSERT_FALSE(HasFatalFailure());
    CloseWhileSaving closer(&window());
    const QString name = cwd.filePath(QStringLiteral("kept.png"));
    EXPECT_EQ(preview->Img_Save(preview->aFiles, name, QStringLiteral("PNG - Portable Network Graphic"), true, 2, false,
                                &closer),
              true);
    EXPECT_FALSE(closer.closedAny);
    EXPECT_TRUE(window().isVisible());
    EXPECT_TRUE(readPng(cwd.filePath(QStringLiteral("kept0002.png"))));
    EXPECT_TRUE(QFile::exists(preview->aFiles[1]));
}

} // namespace
} // namespace kvtest
