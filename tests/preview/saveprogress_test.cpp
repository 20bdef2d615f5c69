// The progress of a long save on a real preview: the dialog that shows after half a second,
// Cancel between pages, and the message bar's account at the end.
#include "previewtestenv.h"

#include "common/imagereaders.h"
#include "preview/previewwindow.h"
#include "preview/savefeedback.h"

#include <QDir>
#include <QElapsedTimer>
#include <QProgressDialog>
#include <QPushButton>
#include <QStatusBar>
#include <QTest>

namespace kvtest {
namespace {

const QString kPng = QStringLiteral("PNG - Portable Network Graphic");

// Waits at the first page until the progress dialog shows, notes what it shows, then clicks
// its Cancel button.
class CancelAtFirstPage : public kv::SaveFeedback {
public:
    using SaveFeedback::SaveFeedback;

    void pageStarted(int index, int count, const QString& file) override
    {
        SaveFeedback::pageStarted(index, count, file);
        ++pagesStarted;
        QProgressDialog* dialog = progressDialog();
        if (index != 1 || !dialog)
            return;
        hiddenAtFirst = !dialog->isVisible();
        QElapsedTimer clock;
        clock.start();
        while (!dialog->isVisible() && clock.elapsed() < 5000)
            wait();
        shownAfterMs = clock.elapsed();
        shown = dialog->isVisible();
        label = dialog->labelText();
        title = dialog->windowTitle();
        modality = dialog->windowModality();
        auto* cancel = dialog->findChild<QPushButton*>();
        if (!cancel)
            return;
        cancelText = cancel->text();
        QTest::mouseClick(cancel, Qt::LeftButton);
    }

    int pagesStarted = 0;
    bool hiddenAtFirst = false;
    bool shown = false;
    qint64 shownAfterMs = 0;
    QString label, title, cancelText;
    Qt::WindowModality modality = Qt::NonModal;
};

class SaveProgressTest : public PreviewTest {
protected:
    QStringList entries() const { return QDir(cwd.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name); }
    std::string messageBar() const { return window().statusBar()->currentMessage().toStdString(); }
};

TEST_F(SaveProgressTest, CancelStopsBetweenPagesAndKeepsThePagesWritten)
{
    open(3);
    ASSERT_FALSE(HasFatalFailure());
    CancelAtFirstPage follow(&window(), window().statusBar(), 3, false);
    const QString name = cwd.filePath("c.png");
    EXPECT_EQ(preview->Img_Save(preview->aFiles, name, kPng, true, 2, false, &follow), false);
    EXPECT_EQ(follow.pagesStarted, 1);
    EXPECT_TRUE(follow.hiddenAtFirst);
    EXPECT_TRUE(follow.shown);
    EXPECT_GE(follow.shownAfterMs, kv::kProgressDelayMs * 9 / 10);
    EXPECT_EQ(follow.label, "Page 1 of 3\n" + cwd.filePath("c0001.png"));
    EXPECT_EQ(follow.title, "Save as");
    EXPECT_EQ(follow.cancelText, "&Cancel");
    EXPECT_EQ(follow.modality, Qt::ApplicationModal);
    EXPECT_FALSE(follow.progressDialog()->isVisible());
    // The page under way was finished, nothing after it begun, no temporary file left.
    EXPECT_EQ(entries(), (QStringList{"KORVELLE.INI", "c0001.png"}));
    EXPECT_TRUE(readPng(cwd.filePath("c0001.png")));
    EXPECT_EQ(messageBar(), ("Saving cancelled. 1 file written to " + cwd.path()).toStdString());
    EXPECT_TRUE(messages.messages.empty());
}

TEST_F(SaveProgressTest, CancelWithZipMakesNoArchiveAndDeletesThePages)
{
    open(3);
    ASSERT_FALSE(HasFatalFailure());
    QFile older(cwd.filePath("Z.ZIP"));
    ASSERT_TRUE(older.open(QIODevice::WriteOnly));
    older.write("older archive");
    older.close();
    CancelAtFirstPage follow(&window(), window().statusBar(), 3, true);
    EXPECT_EQ(preview->Img_Save(preview->aFiles, cwd.filePath("z.png"), kPng, true, 2, true, &follow), false);
    EXPECT_TRUE(follow.shown);
    EXPECT_EQ(entries(), (QStringList{"KORVELLE.INI", "Z.ZIP"}));
    ASSERT_TRUE(older.open(QIODevice::ReadOnly));
    EXPECT_EQ(older.readAll(), "older archive");
    EXPECT_EQ(messageBar(), "Saving cancelled. No archive was made.");
}

TEST_F(SaveProgressTest, OnePageHasNoProgressDialogAndEverySaveIsAccountedFor)
{
    open(3);
    ASSERT_FALSE(HasFatalFailure());
    kv::SaveFeedback one(&window(), window().statusBar(), 1, false);
    EXPECT_EQ(one.progressDialog(), nullptr);
    EXPECT_EQ(preview->Img_Save(preview->aFiles.mid(1, 1), cwd.filePath("one.bmp"), "BMP - Windows Bitmap", true, 0,
                                false, &one),
              true);
    EXPECT_EQ(messageBar(), ("1 file written to " + cwd.path()).toStdString());

    kv::SaveFeedback all(&window(), window().statusBar(), 3, true);
    ASSERT_NE(all.progressDialog(), nullptr);
    EXPECT_EQ(all.progressDialog()->minimumDuration(), kv::kProgressDelayMs);
    EXPECT_EQ(preview->Img_Save(preview->aFiles, cwd.filePath("all.bmp"), "BMP - Windows Bitmap", true, 0, true, &all),
              true);
    EXPECT_FALSE(all.progressDialog()->isVisible());
    EXPECT_EQ(messageBar(), ("Archive written: " + cwd.filePath("ALL.ZIP")).toStdString());
}

} // namespace
} // namespace kvtest
