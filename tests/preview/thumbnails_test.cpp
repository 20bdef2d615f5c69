// The thumbnail panel on a long report of real spool pages: F4 and the View menu show and
// hide it, only the pages in sight are rendered (counted), the current page is the selected
// one, a click goes to its page, and the pages move over to make room for it.
#include "previewtestenv.h"
#include "testenv.h"

#include "pageview/kvmetafile.h"
#include "preview/barbutton.h"
#include "preview/thumbnailmodel.h"
#include "preview/thumbnailpanel.h"
#include "preview/previewwindow.h"

#include <QApplication>
#include <QMenuBar>
#include <QScrollBar>
#include <QTest>

namespace kvtest {
namespace {

constexpr int kPages = 120;

class ThumbnailsTest : public PreviewTest {
protected:
    void openLongReport()
    {
        const auto corpus = corpusDir();
        if (!corpus)
            GTEST_SKIP() << "no corpus beside the project (../shared/corpus)";
        const char* names[] = {"spool-EMFSpool_0000.emf", "spool-EMFSpool_0006.emf", "spool-EMFSpool_0012.emf",
                               "spool-EMFSpool_0020.emf"};
        QStringList pages;
        for (int i = 0; i < kPages; ++i)
            pages << *corpus + QStringLiteral("/emf/") + QLatin1String(names[i % 4]);
        openFiles(pages);
        ASSERT_FALSE(HasFatalFailure());
        window().activateWindow();
        QApplication::setActiveWindow(&window());
    }

    kv::ThumbnailPanel* panel() const { return preview->oThumbs; }
    kv::ThumbnailModel* model() const { return panel()->thumbnails(); }

    // Lets the panel paint and its queued pictures come in, until nothing more is asked.
    void settle()
    {
        for (int i = 0; i < 5; ++i) {
            panel()->viewport()->repaint();
            model()->waitForQueued();
            QCoreApplication::processEvents();
        }
    }

    int rowsInSight() const
    {
        const int pitch = panel()->visualRect(model()->index(0)).height() + panel()->spacing();
        return panel()->viewport()->height() / pitch + 1;
    }
};

TEST_F(ThumbnailsTest, F4ShowsThePanelAndOnlyPagesInSightAreRendered)
{
    openLongReport();
    if (IsSkipped() || HasFatalFailure())
        return;
    EXPECT_FALSE(preview->ThumbnailsShown()) << "off unless the settings say otherwise";
    const QRect before = slot(1);
    QTest::keyClick(preview->aMeta[0], Qt::Key_F4);
    ASSERT_TRUE(preview->ThumbnailsShown());
    EXPECT_TRUE(preview->oMenuThumbs->isChecked());
    settle();
    const int shown = rowsInSight();
    EXPECT_GT(model()->renders(), 0);
    EXPECT_LE(model()->renders(), shown + 4) << "rows in sight (and a couple beyond) only";
    EXPECT_GE(slot(1).left(), panel()->geometry().right()) << "the page sits beside the panel";
    EXPECT_LT(slot(1).width(), before.width() + 1);

    // A rendered picture is the page: ink on white, not the blank stand-in.
    const QPixmap first = model()->data(model()->index(0), Qt::DecorationRole).value<QPixmap>();
    const QImage picture = first.toImage();
    int dark = 0;
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 1; x < picture.width() - 1; ++x)
            dark += qGray(picture.pixel(x, y)) < 160;
    EXPECT_GT(dark, 0);

    // Jumping to the end renders the end, not everything between.
    panel()->verticalScrollBar()->setValue(panel()->verticalScrollBar()->maximum());
    settle();
    EXPECT_LE(model()->renders(), 2 * (shown + 4));
    EXPECT_LT(model()->renders(), kPages / 2);
    const int lastRendered = model()->renders();
    EXPECT_TRUE(model()->data(model()->index(kPages - 1), Qt::DecorationRole).isValid());

    // Kept: going back to the top renders nothing again.
    panel()->verticalScrollBar()->setValue(0);
    settle();
    EXPECT_EQ(model()->renders(), lastRendered);

    QTest::keyClick(preview->aMeta[0], Qt::Key_F4);
    EXPECT_FALSE(preview->ThumbnailsShown());
    EXPECT_EQ(slot(1), before) << "the pages take the whole width again";
}

TEST_F(ThumbnailsTest, TheCurrentPageIsSelectedAndAClickGoesToAPage)
{
    openLongReport();
    if (IsSkipped() || HasFatalFailure())
        return;
    preview->ShowThumbnails(true);
    settle();
    EXPECT_EQ(panel()->currentIndex().row(), 0);
    EXPECT_FALSE(preview->aPageBtn[0]->shownEnabled());
    preview->ChangePage(1);
    EXPECT_EQ(panel()->currentIndex().row(), 1);
    preview->GoToPage(60);
    EXPECT_EQ(panel()->currentIndex().row(), 59);
    EXPECT_TRUE(panel()->viewport()->rect().intersects(panel()->visualRect(panel()->currentIndex())))
        << "the current page is scrolled into sight";

    settle();
    const QModelIndex target = model()->index(57);
    const QRect place = panel()->visualRect(target);
    ASSERT_TRUE(panel()->viewport()->rect().contains(place.center()));
    QTest::mouseClick(panel()->viewport(), Qt::LeftButton, {}, place.center());
    EXPECT_EQ(preview->nPage, 58);
    EXPECT_EQ(slotFile(1), preview->aFiles[57]);
    EXPECT_EQ(preview->PageLabelText(), QStringLiteral("Page number: 58 / %1").arg(kPages));
    EXPECT_TRUE(preview->aPageBtn[0]->shownEnabled()) << "the bar follows the page";
    EXPECT_EQ(model()->data(target, Qt::AccessibleTextRole).toString(), QStringLiteral("Page 58 of %1").arg(kPages));
}

TEST_F(ThumbnailsTest, ThePanelIsInTheViewMenu)
{
    openLongReport();
    if (IsSkipped() || HasFatalFailure())
        return;
    QAction* item = preview->oMenuThumbs;
    ASSERT_TRUE(item);
    EXPECT_EQ(item->shortcut(), QKeySequence(Qt::Key_F4));
    item->trigger();
    EXPECT_TRUE(preview->ThumbnailsShown());
    item->trigger();
    EXPECT_FALSE(preview->ThumbnailsShown());
}

} // namespace
} // namespace kvtest
