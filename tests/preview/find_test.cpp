// Find in the preview window, on real Windows spool pages: Ctrl+F opens the bar, typing
// searches every page, the hit's page comes into view with the hit marked on it, F3 and
// Shift+F3 step through the hits, the whole-word option narrows them, "No match" is said in
// the bar and Escape closes it. Zoomed, the view scrolls to the hit.
#include "previewtestenv.h"
#include "testenv.h"

#include "pageview/kvmetafile.h"
#include "preview/findbar.h"
#include "preview/findcontroller.h"
#include "preview/pagetextcache.h"
#include "preview/previewwindow.h"

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QTest>
#include <set>

namespace kvtest {
namespace {

class FindTest : public PreviewTest {
protected:
    void openSpoolPages()
    {
        const auto corpus = corpusDir();
        if (!corpus)
            GTEST_SKIP() << "no corpus beside the project (../shared/corpus)";
        QStringList pages;
        for (const char* name : {"spool-EMFSpool_0000.emf", "spool-EMFSpool_0006.emf", "spool-EMFSpool_0014.emf",
                                 "spool-EMFSpool_0020.emf"})
            pages << *corpus + QStringLiteral("/emf/") + QLatin1String(name);
        openFiles(pages);
        ASSERT_FALSE(HasFatalFailure());
        window().activateWindow();
        QApplication::setActiveWindow(&window());
    }

    kv::FindBar* bar() const { return preview->oFinder->bar(); }

    // Types into the find field and waits until every page's text is read and searched.
    void search(const QString& words)
    {
        bar()->field()->clear();
        QTest::keyClicks(bar()->field(), words);
        preview->oText->waitForQueued();
        QCoreApplication::processEvents();
    }

    // Pixels of a page view in the colour of the find marks: the marker multiplied onto paper
    // (white, or the light grey of a code box), orange for the current hit, yellow for others.
    int markedPixels(int slotNumber, bool current)
    {
        kv::KVMETAFILE* view = preview->aMeta[size_t(slotNumber - 1)];
        const QImage image = view->grab().toImage().convertToFormat(QImage::Format_RGB32);
        const int green = kv::pageMarkColor(current).green();
        int n = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) {
                const QColor c = image.pixelColor(x, y);
                n += c.red() > 220 && c.blue() < 40 && std::abs(c.green() - green) < 15;
            }
        return n;
    }
};

TEST_F(FindTest, CtrlFSearchesAllPagesAndBringsTheHitsPageWithItsMark)
{
    openSpoolPages();
    if (IsSkipped() || HasFatalFailure())
        return;
    EXPECT_FALSE(bar()->isVisible());
    EXPECT_EQ(markedPixels(1, true), 0);
    QTest::keyClick(preview->aMeta[0], Qt::Key_F, Qt::ControlModifier);
    ASSERT_TRUE(bar()->isVisible());
    EXPECT_TRUE(bar()->field()->hasFocus());

    search(QStringLiteral("lindemann"));  // only on page 3, in another case
    EXPECT_EQ(preview->nPage, 3);
    EXPECT_EQ(preview->aMeta[0]->cCaption, preview->aFiles[2]);
    const std::vector<kv::FindHit> hits = preview->oFinder->hits();
    ASSERT_GE(hits.size(), 2u);
    for (const kv::FindHit& hit : hits)
        EXPECT_EQ(hit.page, 3);
    EXPECT_EQ(bar()->status(), QStringLiteral("1 of %1").arg(hits.size()));
    EXPECT_GT(markedPixels(1, false), 20) << "the other hits on the page";
    EXPECT_TRUE(bar()->field()->hasFocus()) << "typing goes on after the page changed";
    EXPECT_GT(markedPixels(1, true), 20);
    EXPECT_EQ(preview->PageLabelText(), QStringLiteral("Page number: 3 / 4"));

    // Nothing found: said in the bar, no box, the page stays, no marks.
    search(QStringLiteral("no such words here"));
    EXPECT_EQ(bar()->status(), QStringLiteral("No match"));
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    EXPECT_EQ(preview->nPage, 3);
    EXPECT_EQ(markedPixels(1, true), 0);

    // Escape closes the bar and takes the marks away.
    search(QStringLiteral("lindemann"));
    ASSERT_GT(markedPixels(1, true), 0);
    QTest::keyClick(bar()->field(), Qt::Key_Escape);
    EXPECT_FALSE(bar()->isVisible());
    EXPECT_EQ(markedPixels(1, true), 0);

    // Also with the keyboard on the page.
    preview->Find();
    ASSERT_TRUE(bar()->isVisible());
    preview->aMeta[0]->setFocus();
    QTest::keyClick(preview->aMeta[0], Qt::Key_Escape);
    EXPECT_FALSE(bar()->isVisible());
}

TEST_F(FindTest, F3AndShiftF3StepThroughTheHitsOfEveryPageAndWrap)
{
    openSpoolPages();
    if (IsSkipped() || HasFatalFailure())
        return;
    preview->Find();
    search(QStringLiteral("the"));
    const std::vector<kv::FindHit> hits = preview->oFinder->hits();
    ASSERT_GE(hits.size(), 3u);
    std::set<int> pages;
    for (const kv::FindHit& hit : hits)
        pages.insert(hit.page);
    ASSERT_GE(pages.size(), 2u) << "the word is on more than one page";
    EXPECT_EQ(preview->oFinder->currentHit(), 0);
    EXPECT_EQ(preview->nPage, hits[0].page);

    for (size_t i = 1; i < hits.size(); ++i) {
        QTest::keyClick(preview->aMeta[0], Qt::Key_F3);
        ASSERT_EQ(preview->oFinder->currentHit(), int(i));
        EXPECT_EQ(preview->nPage, hits[i].page) << i;
        EXPECT_EQ(bar()->status(), QStringLiteral("%1 of %2").arg(i + 1).arg(hits.size()));
    }
    QTest::keyClick(preview->aMeta[0], Qt::Key_F3);
    EXPECT_EQ(preview->oFinder->currentHit(), 0) << "after the last hit comes the first";
    EXPECT_EQ(preview->nPage, hits[0].page);
    QTest::keyClick(preview->aMeta[0], Qt::Key_F3, Qt::ShiftModifier);
    EXPECT_EQ(preview->oFinder->currentHit(), int(hits.size()) - 1) << "and before the first, the last";
    EXPECT_EQ(preview->nPage, hits.back().page);
    // Return in the field steps as F3 does.
    QTest::keyClick(bar()->field(), Qt::Key_Return);
    EXPECT_EQ(preview->oFinder->currentHit(), 0);

    // Other hits on the page in view are marked too, in the other colour.
    preview->GoToPage(hits[0].page);
    int onFirstPage = 0;
    for (const kv::FindHit& hit : hits)
        onFirstPage += hit.page == hits[0].page;
    if (onFirstPage > 1)
        EXPECT_GT(markedPixels(1, false), 0);
}

TEST_F(FindTest, WholeWordsLeaveOutWordsThatOnlyContainTheText)
{
    openSpoolPages();
    if (IsSkipped() || HasFatalFailure())
        return;
    preview->Find();
    search(QStringLiteral("Hell"));
    EXPECT_EQ(bar()->status(), QStringLiteral("1 of 1"));
    EXPECT_EQ(preview->nPage, 1);
    bar()->wholeWordOption()->setChecked(true);
    preview->oText->waitForQueued();
    EXPECT_EQ(bar()->status(), QStringLiteral("No match"));
    search(QStringLiteral("Hello"));
    EXPECT_EQ(bar()->status(), QStringLiteral("1 of 1"));
}

TEST_F(FindTest, ZoomedTheViewScrollsToTheHit)
{
    openSpoolPages();
    if (IsSkipped() || HasFatalFailure())
        return;
    // The last line of the help page, far below what the zoomed view shows at its top.
    preview->GoToPage(2);
    preview->Zoom(true);
    ASSERT_TRUE(preview->lZoom);
    preview->Find();
    search(QStringLiteral("FileSystemWatcher"));
    preview->oText->waitForQueued();
    const auto text = preview->oText->text(preview->aFiles[1]);
    ASSERT_TRUE(text);
    // The word's last hit on the page lies lowest; step to it.
    const std::vector<kv::FindHit> hits = preview->oFinder->hits();
    int lowest = -1;
    double lowestY = -1;
    for (size_t i = 0; i < hits.size(); ++i) {
        if (hits[i].page != 2)
            continue;
        const auto boxes = kv::gdi::matchBoxes(*text, hits[i].match);
        if (!boxes.empty() && boxes.front().center().y() > lowestY) {
            lowestY = boxes.front().center().y();
            lowest = int(i);
        }
    }
    ASSERT_GE(lowest, 0);
    ASSERT_GT(lowestY, 0.3) << "a hit well down the page";
    while (preview->oFinder->currentHit() != lowest)
        preview->FindNext(true);
    EXPECT_EQ(preview->nPage, 2);
    EXPECT_GT(preview->aMeta[0]->nYorig, 0) << "scrolled down";
    EXPECT_GT(markedPixels(1, true), 20) << "the hit is in sight";
    EXPECT_EQ(preview->vBar.pos, preview->vBar.showingOrigin(int(preview->page.vertRes), preview->aMeta[0]->nYorig).pos);
}

} // namespace
} // namespace kvtest
