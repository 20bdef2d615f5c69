// What the page view shows where it has no page to draw: a page file that cannot be read is a
// white sheet with a note in its middle; a slot without a page, and the space around a page
// zoomed below 100 %, show the window's background.
#include "pagefixture.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QWidget>

namespace kvtest {
namespace {

class UnreadablePageTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        parent.resize(600, 800);
        parent.show();
    }

    static QImage paint(kv::KVMETAFILE& view) { return kvtest::shownImage(view); }

    // Paints twice with the event loop between: an alert, if any, has come by then.
    QImage paintSettled(kv::KVMETAFILE& view)
    {
        paint(view);
        QCoreApplication::processEvents();
        const QImage image = paint(view);
        QCoreApplication::processEvents();
        return image;
    }

    QTemporaryDir dir;
    QWidget parent;
    BoxRecorder recorder;
};

// A sheet of paper (no window background, white near its corner) with dark text around the
// middle of the view.
void expectSheetWithNote(const QImage& image, const std::string& what)
{
    EXPECT_FALSE(colourBox(image, kMagenta).has_value()) << what << ": background instead of a sheet";
    EXPECT_TRUE(hasColour(image, 12, 12, kWhite)) << what;
    const auto note = darkBox(image, 128, image.rect().adjusted(6, 6, -12, -12));
    ASSERT_TRUE(note.has_value()) << what << ": no note";
    EXPECT_NEAR(note->center().x(), image.width() / 2, image.width() / 8) << what;
    EXPECT_NEAR(note->center().y(), image.height() / 2, image.height() / 8) << what;
}

TEST_F(UnreadablePageTest, AnUnreadablePageFileIsASheetWithANote)
{
    const QString corrupt = dir.filePath("corrupt.emf");
    {
        QFile f(corrupt);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QByteArray(500, '\x5a'));
    }
    const QString directory = dir.filePath("folder.emf");
    ASSERT_TRUE(QDir().mkpath(directory));
    const QString dangling = dir.filePath("dangling.emf");
    ASSERT_TRUE(QFile::link(dir.filePath("nowhere.emf"), dangling));
    const QString missing = dir.filePath("missing.emf");

    struct Case {
        const char* what;
        QString file;
        size_t alerts;  // the missing-file alert: once, for files that are not there
    };
    for (const Case& c : {Case{"damaged file", corrupt, 0}, Case{"directory", directory, 0},
                          Case{"dangling link", dangling, 1}, Case{"missing file", missing, 1}}) {
        recorder.boxes.clear();
        kv::KVMETAFILE view(30, 20, 480, 660, c.file, &parent, printerSettings());
        view.show();
        expectSheetWithNote(paintSettled(view), c.what);
        EXPECT_EQ(view.hMeta, 0u) << c.what;
        EXPECT_EQ(recorder.boxes.size(), c.alerts) << c.what;
    }
}

TEST_F(UnreadablePageTest, APageWhoseFileIsGoneWhenSetShowsItsNoteWithoutAnAlert)
{
    writePage(dir.filePath("page.emf"), {{{0, 0, 300, 300}, kRed}});
    kv::KVMETAFILE view(30, 20, 480, 660, dir.filePath("page.emf"), &parent, printerSettings());
    view.show();
    ASSERT_TRUE(colourBox(paint(view), kRed).has_value());
    view.SetFile(dir.filePath("lost.emf"));
    expectSheetWithNote(paintSettled(view), "lost page");
    EXPECT_TRUE(recorder.boxes.empty());
    EXPECT_FALSE(colourBox(paint(view), kRed).has_value());
}

TEST_F(UnreadablePageTest, ZoomedBelowOneHundredPerCentTheRestShowsTheWindowBackground)
{
    writePage(dir.filePath("page.emf"), {});
    kv::KVMETAFILE view(30, 20, 480, 660, dir.filePath("page.emf"), &parent, printerSettings());
    view.show();
    view.SetZoomFactor(0.5, 1);
    view.ZoomIn();
    const QImage image = paint(view);
    // Twice the page's width across the view: the paper covers the left half.
    EXPECT_TRUE(hasColour(image, 100, 300, kWhite));
    EXPECT_TRUE(hasColour(image, 400, 300, kMagenta));
    EXPECT_FALSE(colourBox(image, kGreen).has_value()) << "no block of the border colour";
}

} // namespace
} // namespace kvtest
