// The page raster cache: its memory bound and order of eviction, views that draw a page from
// it instead of playing it again (another slot, a repaint, a page rendered ahead), the same
// pixels either way, and what drops it (a new size, a zoom, a changed page file).
#include "pagefixture.h"

#include "common/testenv.h"

#include "pageview/pagecache.h"

#include <QCoreApplication>
#include <QFile>
#include <QWidget>

namespace kvtest {
namespace {

using kv::PageRasterCache;

QImage solid(int w, int h, QColor colour)
{
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

TEST(PageRasterCacheStore, KeepsTheMostRecentlyUsedWithinItsBudget)
{
    const QImage block = solid(64, 64, Qt::red);  // 16 KiB
    PageRasterCache cache(3 * block.sizeInBytes());
    cache.insert("a", block, nullptr);
    cache.insert("b", block, nullptr);
    cache.insert("c", block, nullptr);
    EXPECT_EQ(cache.count(), 3);
    EXPECT_EQ(cache.bytes(), 3 * block.sizeInBytes());
    ASSERT_NE(cache.find("a"), nullptr);  // "a" is now the most recent; "b" the oldest
    cache.insert("d", block, nullptr);
    EXPECT_EQ(cache.count(), 3);
    EXPECT_EQ(cache.find("b"), nullptr);
    EXPECT_NE(cache.find("a"), nullptr);
    EXPECT_NE(cache.find("c"), nullptr);
    EXPECT_NE(cache.find("d"), nullptr);

    // The same key again replaces its image and counts its bytes once.
    cache.insert("d", solid(64, 64, Qt::blue), nullptr);
    EXPECT_EQ(cache.count(), 3);
    EXPECT_EQ(cache.bytes(), 3 * block.sizeInBytes());
    EXPECT_EQ(cache.find("d")->image.pixel(0, 0), QColor(Qt::blue).rgb());

    // An image larger than the whole budget is not kept, and pushes nothing out.
    cache.insert("huge", solid(256, 256, Qt::green), nullptr);
    EXPECT_EQ(cache.find("huge"), nullptr);
    EXPECT_EQ(cache.count(), 3);

    cache.clear();
    EXPECT_EQ(cache.count(), 0);
    EXPECT_EQ(cache.bytes(), 0);
    EXPECT_EQ(cache.find("a"), nullptr);
}

TEST(PageRasterCacheKey, DevicePixelsAndEveryDrawingValueMakeADifferentKey)
{
    kv::SheetView view;
    view.size = QSize(300, 400);
    view.width = 4800;
    view.height = 6600;
    const QByteArray base = view.key("page.emf", "stamp");
    EXPECT_EQ(base, view.key("page.emf", "stamp"));
    EXPECT_NE(base, view.key("other.emf", "stamp"));
    EXPECT_NE(base, view.key("page.emf", "rewritten"));

    kv::SheetView sharp = view;
    sharp.devicePixelRatio = 2;
    EXPECT_EQ(sharp.devicePixels(), QSize(600, 800));
    EXPECT_NE(sharp.key("page.emf", "stamp"), base);

    kv::SheetView zoomed = view;
    zoomed.width /= 2;
    EXPECT_NE(zoomed.key("page.emf", "stamp"), base);
    kv::SheetView scrolled = view;
    scrolled.yOrigin = 100;
    EXPECT_NE(scrolled.key("page.emf", "stamp"), base);
    kv::SheetView bordered = view;
    bordered.border = true;
    EXPECT_NE(bordered.key("page.emf", "stamp"), base);
}

class PageCacheViewTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        cache().clear();
        cache().counts() = {};
        parent.resize(1100, 800);
        parent.show();
        writePage(dir.filePath("one.emf"), {{{0, 0, 1200, 1200}, kRed}});
        writePage(dir.filePath("two.emf"), {{{2400, 3000, 4000, 5000}, kBlue}});
        writePage(dir.filePath("three.emf"), {{{100, 4000, 3000, 6000}, kGreen}});
    }

    static PageRasterCache& cache() { return PageRasterCache::shared(); }

    std::unique_ptr<kv::KVMETAFILE> makeView(int left, const QString& file)
    {
        auto view = std::make_unique<kv::KVMETAFILE>(30, left, 480, 660, dir.filePath(file), &parent, printerSettings());
        view->show();
        return view;
    }

    static QImage shown(kv::KVMETAFILE& view) { return kvtest::shownImage(view); }
    static QImage played(kv::KVMETAFILE& view) { return kvtest::playedImage(view); }

    QTemporaryDir dir;
    QWidget parent;
    BoxRecorder recorder;
};

TEST_F(PageCacheViewTest, APageMovedToAnotherSlotOrRepaintedIsNotPlayedAgain)
{
    auto left = makeView(10, "one.emf");
    auto right = makeView(520, "two.emf");
    const QImage first = shown(*left);
    shown(*right);
    EXPECT_EQ(cache().counts().rendered, 2);

    // Re-exposed: both come from the cache.
    EXPECT_EQ(shown(*left), first);
    shown(*right);
    EXPECT_EQ(cache().counts().rendered, 2);
    EXPECT_EQ(cache().counts().reused, 2);

    // The page of the left slot moves to the right one: drawn from the cache, with the
    // pixels it has when played, and the right view now holds that page itself.
    right->SetFile(dir.filePath("one.emf"));
    const QImage moved = shown(*right);
    EXPECT_EQ(cache().counts().rendered, 2);
    EXPECT_EQ(moved, first);
    EXPECT_NE(right->hMeta, 0u);
    EXPECT_EQ(played(*right), moved);
    ASSERT_TRUE(colourBox(moved, kRed).has_value());
}

TEST_F(PageCacheViewTest, ANewSizeOrZoomDropsTheCacheAndRendersAgain)
{
    auto view = makeView(10, "two.emf");
    shown(*view);
    ASSERT_EQ(cache().counts().rendered, 1);
    ASSERT_EQ(cache().count(), 1);

    view->resize(400, 550);
    EXPECT_EQ(cache().count(), 0);
    const QImage smaller = shown(*view);
    EXPECT_EQ(smaller.size(), QSize(400, 550));
    EXPECT_EQ(cache().counts().rendered, 2);
    EXPECT_EQ(smaller, played(*view));

    view->ZoomIn();
    EXPECT_EQ(cache().count(), 0);
    const QImage zoomed = shown(*view);
    EXPECT_EQ(cache().counts().rendered, 2);
    EXPECT_EQ(zoomed, played(*view));
    // Zoomed in, only the visible part is rendered: the tiles under the control's 400 x 550
    // pixels, one across and two down, not the page's.
    EXPECT_EQ(cache().counts().tilesRendered, 2);
    EXPECT_EQ(cache().count(), 2);
    EXPECT_EQ(cache().bytes(), qint64(2) * kv::kTileSide * kv::kTileSide * 4);

    view->ZoomOut();
    EXPECT_EQ(cache().count(), 0);
    EXPECT_EQ(shown(*view), smaller);
}

TEST_F(PageCacheViewTest, ARewrittenPageFileIsNotTakenFromTheCache)
{
    auto view = makeView(10, "one.emf");
    ASSERT_TRUE(colourBox(shown(*view), kRed).has_value());
    writePage(dir.filePath("one.emf"), {{{0, 0, 1200, 1200}, kGreen}, {{0, 2000, 400, 2400}, kGreen}});
    QFile(dir.filePath("one.emf")).setFileTime(QDateTime::currentDateTime().addSecs(5), QFileDevice::FileModificationTime);
    view->SetFile(dir.filePath("one.emf"));
    const QImage again = shown(*view);
    EXPECT_FALSE(colourBox(again, kRed).has_value());
    EXPECT_TRUE(colourBox(again, kGreen).has_value());
    EXPECT_EQ(cache().counts().rendered, 2);
}

TEST_F(PageCacheViewTest, APageRenderedAheadIsShownWithoutPlayingItOnTheWindowsThread)
{
    auto view = makeView(10, "one.emf");
    shown(*view);
    view->renderAhead(dir.filePath("three.emf"));
    view->renderAhead(dir.filePath("three.emf"));  // asked twice, rendered once
    view->renderAhead(dir.filePath("missing.emf"));  // nothing to render, nothing said
    cache().waitForRenders();
    EXPECT_EQ(cache().counts().renderedAhead, 1);
    EXPECT_EQ(cache().count(), 2);

    view->SetFile(dir.filePath("three.emf"));
    const QImage ahead = shown(*view);
    EXPECT_EQ(cache().counts().rendered, 1);  // only "one.emf", at the start
    EXPECT_NE(view->hMeta, 0u) << "the view holds the page it shows";
    EXPECT_EQ(ahead, played(*view));
    EXPECT_TRUE(colourBox(ahead, kGreen).has_value());
    QCoreApplication::processEvents();
    EXPECT_TRUE(recorder.boxes.empty());

    // A page rendered ahead at a size the view no longer has is dropped, not shown.
    view->renderAhead(dir.filePath("two.emf"));
    view->resize(300, 420);
    cache().waitForRenders();
    EXPECT_EQ(cache().count(), 0);
}

TEST_F(PageCacheViewTest, RealSpoolPagesLookTheSameFromTheCacheAndRenderedAhead)
{
    const auto corpus = corpusDir();
    if (!corpus)
        GTEST_SKIP() << "no corpus";
    const QString first = *corpus + "/emf/spool-EMFSpool_0000.emf", second = *corpus + "/emf/spool-EMFSpool_0014.emf";
    auto view = std::make_unique<kv::KVMETAFILE>(30, 10, 480, 660, first, &parent, printerSettings());
    view->show();
    const QImage direct = shown(*view);
    EXPECT_EQ(direct, played(*view));
    EXPECT_TRUE(darkBox(direct).has_value()) << "the page has ink";
    view->renderAhead(second);
    cache().waitForRenders();
    ASSERT_EQ(cache().counts().renderedAhead, 1);
    view->SetFile(second);
    const QImage ahead = shown(*view);
    EXPECT_EQ(cache().counts().rendered, 1);
    EXPECT_EQ(ahead, played(*view));
}

} // namespace
} // namespace kvtest
