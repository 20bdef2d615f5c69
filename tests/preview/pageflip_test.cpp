// Turning pages in the real window with the page raster cache: with eight pages in view a
// flip plays one page (the one rendered ahead for it), the other seven are copied from where
// they were shown; turning back draws from the cache; real spool pages throughout.
#include "previewtestenv.h"

#include "common/testenv.h"
#include "pageview/kvmetafile.h"
#include "pageview/pagecache.h"
#include "preview/previewwindow.h"

#include <QCoreApplication>
#include <QDir>
#include <QPainter>
#include <QTest>

namespace kvtest {
namespace {

class PageFlipTest : public PreviewTest {
protected:
    static kv::PageRasterCache& cache() { return kv::PageRasterCache::shared(); }

    // Sixteen pages: the corpus spool pages twice over.
    void openSpoolPages()
    {
        const auto corpus = corpusDir();
        if (!corpus)
            GTEST_SKIP() << "no corpus";
        QStringList sources;
        for (int round = 0; round < 2; ++round)
            for (const QString& name : QDir(*corpus + "/emf").entryList({"spool-*.emf"}, QDir::Files, QDir::Name))
                sources << *corpus + "/emf/" + name;
        ASSERT_EQ(sources.size(), 16);
        openFiles(sources);
        ASSERT_FALSE(HasFatalFailure());
    }

    // Lets the window paint and the pages being rendered ahead come back.
    void settle()
    {
        for (int i = 0; i < 3; ++i) {
            QCoreApplication::processEvents();
            cache().waitForRenders();
        }
        QCoreApplication::processEvents();
    }

    void press(Qt::Key key) { QTest::keyClick(preview->aMeta[0], key); }
};

TEST_F(PageFlipTest, AFlipWithEightPagesInViewPlaysOnePage)
{
    openSpoolPages();
    if (IsSkipped() || HasFatalFailure())
        return;
    preview->SetPages(8, true);
    ASSERT_EQ(preview->nViewPages, 8);
    settle();
    cache().counts() = {};

    press(Qt::Key_PageDown);
    settle();
    EXPECT_EQ(preview->nPage, 2);
    const kv::PageRasterCache::Counts next = cache().counts();
    EXPECT_EQ(next.reused, 8) << "seven pages moved a slot, the eighth was rendered ahead";
    EXPECT_EQ(next.rendered, 0);
    EXPECT_EQ(next.renderedAhead, 1) << "the page after the new view, and only it";
    for (int slot = 1; slot <= 8; ++slot)
        EXPECT_EQ(preview->aMeta[size_t(slot - 1)]->cCaption, preview->aFiles[slot]) << slot;

    // Back again: page 1 is still cached, page 9 was shown a moment ago.
    cache().counts() = {};
    press(Qt::Key_PageUp);
    settle();
    EXPECT_EQ(preview->nPage, 1);
    EXPECT_EQ(cache().counts().rendered, 0);
    EXPECT_EQ(cache().counts().reused, 8);

    // What the slots show from the cache is what they play.
    for (int slot : {1, 8}) {
        kv::KVMETAFILE& view = *preview->aMeta[size_t(slot - 1)];
        QImage played(view.size(), QImage::Format_RGB32);
        played.fill(view.palette().color(QPalette::Window));
        {
            QPainter painter(&played);
            view.Paint(painter);
        }
        EXPECT_EQ(view.grab().toImage().convertToFormat(QImage::Format_RGB32), played) << slot;
    }
}

TEST_F(PageFlipTest, OnePageInViewFlipsFromThePageRenderedAhead)
{
    openSpoolPages();
    if (IsSkipped() || HasFatalFailure())
        return;
    ASSERT_EQ(preview->nViewPages, 1);
    settle();
    cache().counts() = {};
    press(Qt::Key_PageDown);
    settle();
    press(Qt::Key_PageDown);
    settle();
    EXPECT_EQ(preview->nPage, 3);
    EXPECT_EQ(cache().counts().rendered, 0);
    EXPECT_EQ(cache().counts().reused, 2);
    // A jump far away finds nothing ready and plays the page there.
    press(Qt::Key_End);
    settle();
    EXPECT_EQ(preview->nPage, 16);
    EXPECT_EQ(cache().counts().rendered, 1);
}

} // namespace
} // namespace kvtest
