// Zoomed page views drawn by tiles: tiles join into exactly the zoomed page played whole (real
// corpus pages), a scroll step renders only the tiles that came into view, a zoomed page holds
// no more than what is in view and its neighbours, and found-word marks stay on their words.
#include "pagefixture.h"

#include "common/testenv.h"

#include "gdi/metafileapi.h"
#include "pageview/pagecache.h"
#include "pageview/pagetiles.h"

#include <QDir>
#include <QFileInfo>
#include <QWidget>
#include <algorithm>
#include <set>
#include <utility>

namespace kvtest {
namespace {

using kv::PageRasterCache;

constexpr qint64 kTileBytes = qint64(kv::kTileSide) * kv::kTileSide * 4;
// Of a tile's 262144 pixels, how many may lie on an edge that ended one pixel off.
constexpr int kEdgePixelsMoved = 8;

// Differences between two images of one size: how many pixels differ at all, the largest
// difference of a channel, and how many differ by more than an edge one pixel away: their
// colour in either image is nowhere next to them in the other.
struct Difference {
    int pixels = 0;
    int largest = 0;
    int beyondEdges = 0;
    QPoint first;  // the first pixel that differs, in rows from the top left
};

bool colourNear(const QImage& image, QPoint at, QRgb colour)
{
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx) {
            const QPoint p = at + QPoint(dx, dy);
            if (image.rect().contains(p) && image.pixel(p) == colour)
                return true;
        }
    return false;
}

Difference difference(const QImage& a, const QImage& b)
{
    Difference d;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            const int channel = std::max({std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)),
                                          std::abs(qBlue(p) - qBlue(q))});
            if (channel == 0)
                continue;
            if (d.pixels == 0)
                d.first = QPoint(x, y);
            ++d.pixels;
            d.largest = std::max(d.largest, channel);
            if (!colourNear(a, {x, y}, q) || !colourNear(b, {x, y}, p))
                ++d.beyondEdges;
        }
    return d;
}

// The page view's mapping zoomed by 2 across and 4 down on a control of 300 x 420, as the
// preview's first slot has it (the viewport's height stretched by nyfactor).
kv::SheetView zoomedView(const kv::PageViewSettings& s)
{
    kv::SheetView v;
    v.size = QSize(300, 420);
    v.width = s.printer.horzRes / 2;
    v.height = s.printer.vertRes / 4;
    v.yFactor = 1.4;
    v.printer = s.printer;
    v.shadow = true;
    v.shadowColor = kBlue;
    v.background = kMagenta;
    v.border = true;
    v.borderColor = kGreen;
    return v;
}

// The whole zoomed page played onto one image.
QImage wholeSurface(const kv::SheetView& surface, const kv::gdi::Picture& page, QSize pixels)
{
    QImage image(pixels, QImage::Format_RGB32);
    image.setDevicePixelRatio(surface.devicePixelRatio);
    image.fill(QColor(kv::gdi::toQRgb(surface.background)));
    QPainter painter(&image);
    kv::paintSheet(painter, surface, page);
    return image;
}

// Real pages: the Windows spool pages and the other corpus files, and the corpus copies kept
// with the tests.
QStringList realPages()
{
    QStringList pages;
    const QDir copies(dataFile(QStringLiteral("corpus/emf")));
    for (const QString& name : copies.entryList({QStringLiteral("*.emf")}, QDir::Files, QDir::Name))
        pages << copies.filePath(name);
    if (const auto corpus = corpusDir()) {
        const QDir emf(*corpus + "/emf");
        for (const char* name : {"spool-EMFSpool_0000.emf", "spool-EMFSpool_0006.emf", "spool-EMFSpool_0014.emf",
                                    "chromium-test4.emf", "ea-EA-test-file-009.emf", "emf2svg-test-060.emf"})
            if (emf.exists(name))
                pages << emf.filePath(name);
    }
    return pages;
}

TEST(PageTilesJoin, RealPagesByTilesHaveThePixelsOfTheWholeZoomedPage)
{
    const QStringList pages = realPages();
    ASSERT_GE(pages.size(), 10) << "the corpus copies of the tests are missing";
    const kv::PageViewSettings printer = printerSettings();
    const kv::SheetView surface = kv::surfaceOf(zoomedView(printer));
    // The sheet spans 600 x 2423 pixels of the surface: 2 columns and 5 rows of tiles, the
    // last ones partly background.
    const QRect tiles(0, 0, 2, 5);
    for (const QString& file : pages) {
        SCOPED_TRACE(file.toStdString());
        const kv::gdi::PicturePtr page = kv::readEnhMetaFilePicture(file);
        ASSERT_TRUE(page) << "the page cannot be read";
        const QImage whole = wholeSurface(surface, *page, tiles.size() * kv::kTileSide);
        int worst = 0;
        for (int row = tiles.top(); row <= tiles.bottom(); ++row)
            for (int column = tiles.left(); column <= tiles.right(); ++column) {
                const std::vector<QImage> one = kv::renderTiles(surface, *page, QRect(column, row, 1, 1));
                ASSERT_EQ(one.size(), 1u);
                ASSERT_EQ(one[0].size(), QSize(kv::kTileSide, kv::kTileSide));
                const QImage part = whole.copy(column * kv::kTileSide, row * kv::kTileSide, kv::kTileSide, kv::kTileSide);
                // Qt's aliased scan conversion of a line or an edge cut at the image's side
                // can end it one pixel off (a one-pixel line's corner, a slanted edge's
                // step), so a few pixels of an edge may move by one: nothing else.
                const Difference d = difference(one[0], part);
                EXPECT_LE(d.pixels, kEdgePixelsMoved) << "tile " << column << "," << row << ": " << d.pixels
                                                      << " pixels differ, the first at " << d.first.x() << ","
                                                      << d.first.y();
                EXPECT_EQ(d.beyondEdges, 0) << "tile " << column << "," << row << ", the first at "
                                            << d.first.x() << "," << d.first.y();
                worst = std::max(worst, d.pixels);
            }
        RecordProperty(QFileInfo(file).fileName().toStdString(), worst);
        // Tiles rendered together are the tiles rendered one by one.
        const std::vector<QImage> together = kv::renderTiles(surface, *page, QRect(0, 1, 2, 2));
        ASSERT_EQ(together.size(), 4u);
        EXPECT_EQ(together[3], kv::renderTiles(surface, *page, QRect(1, 2, 1, 1))[0]);
    }
}

TEST(PageTilesJoin, OnAHighDensityScreenTilesJoinOnItsDevicePixels)
{
    const QStringList pages = realPages();
    ASSERT_FALSE(pages.isEmpty());
    for (const double ratio : {1.5, 2.0}) {
        SCOPED_TRACE(ratio);
        kv::SheetView view = zoomedView(printerSettings());
        view.devicePixelRatio = ratio;
        const kv::SheetView surface = kv::surfaceOf(view);
        const QRect tiles(0, 0, 2, 3);
        const kv::gdi::PicturePtr page = kv::readEnhMetaFilePicture(pages.last());
        ASSERT_TRUE(page);
        const QImage whole = wholeSurface(surface, *page, tiles.size() * kv::kTileSide);
        const std::vector<QImage> byTiles = kv::renderTiles(surface, *page, tiles);
        ASSERT_EQ(byTiles.size(), 6u);
        for (int i = 0; i < 6; ++i) {
            const QPoint tile(i % 2, i / 2);
            EXPECT_EQ(byTiles[size_t(i)].devicePixelRatio(), ratio);
            const Difference d = difference(byTiles[size_t(i)], whole.copy(QRect(tile * kv::kTileSide, QSize(kv::kTileSide, kv::kTileSide))));
            EXPECT_LE(d.pixels, kEdgePixelsMoved) << "tile " << tile.x() << "," << tile.y();
            EXPECT_EQ(d.beyondEdges, 0) << "tile " << tile.x() << "," << tile.y();
        }
    }
}

TEST(PageTilesPlace, TheControlLiesOnTheSurfaceAtItsOriginOnWholePixels)
{
    kv::SheetView view = zoomedView(printerSettings());
    EXPECT_EQ(kv::controlOnSurface(view), QPoint(0, 0));
    // 2400 x 1650 logical units on 300 x 588 pixels: 8 units a pixel across, 2.806 down, so
    // that the origin's 1000 units down are 356.4 pixels, held to 356.
    view.xOrigin = 800;
    view.yOrigin = 1000;
    EXPECT_EQ(kv::controlOnSurface(view), QPoint(100, 356));
    const QPointF corner = kv::tiledSheetToControl(view).map(QPointF(800 - kOffset, 1000 - kOffset));
    EXPECT_DOUBLE_EQ(corner.x(), 0);
    EXPECT_NEAR(corner.y(), 0.36, 0.01);
    EXPECT_EQ(kv::tilesTouching(QRect(0, 0, 512, 512)), QRect(0, 0, 1, 1));
    EXPECT_EQ(kv::tilesTouching(QRect(100, 356, 300, 420)), QRect(0, 0, 1, 2));
    EXPECT_EQ(kv::tilesTouching(QRect()), QRect());
    EXPECT_NE(kv::tileKey("page", {0, 1}), kv::tileKey("page", {1, 0}));
}

class PageTilesViewTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        cache().clear();
        cache().counts() = {};
        parent.resize(1100, 800);
        parent.show();
        writePage(dir.filePath("marks.emf"), {{{2400, 3000, 2600, 3200}, kRed}, {{600, 5200, 1400, 5600}, kBlue}});
    }
    void TearDown() override { cache().clear(); }

    static PageRasterCache& cache() { return PageRasterCache::shared(); }

    std::unique_ptr<kv::KVMETAFILE> makeView(const QString& file, double zoom)
    {
        auto view = std::make_unique<kv::KVMETAFILE>(30, 10, 480, 660, file, &parent, printerSettings());
        view->nyfactor = 1.4;
        view->SetZoomFactor(zoom, 2 * zoom);
        view->ZoomIn();
        view->show();
        return view;
    }

    static QImage shown(kv::KVMETAFILE& view) { return kvtest::shownImage(view); }
    static QImage played(kv::KVMETAFILE& view) { return kvtest::playedImage(view); }

    // The tiles the control shows at its origin now.
    static QRect tilesShown(kv::KVMETAFILE& view)
    {
        kv::SheetView v;
        v.size = view.size();
        v.width = view.nWidth;
        v.height = view.nHeight;
        v.xOrigin = view.nXorig;
        v.yOrigin = view.nYorig;
        v.yFactor = view.nyfactor;
        v.printer = printerSettings().printer;
        return kv::tilesTouching(QRect(QPoint(0, 0), view.size()).translated(kv::controlOnSurface(v)));
    }

    static int area(const QRect& tiles) { return tiles.width() * tiles.height(); }

    QTemporaryDir dir;
    QWidget parent;
    BoxRecorder recorder;
};

TEST_F(PageTilesViewTest, ARealPageZoomedShowsByTilesWhatItShowsPlayedWhole)
{
    const auto corpus = corpusDir();
    if (!corpus)
        GTEST_SKIP() << "no corpus";
    auto view = makeView(*corpus + "/emf/spool-EMFSpool_0000.emf", 3);
    // At its start the control is the surface's top left: the pixels of the view played whole.
    const QImage byTiles = shown(*view);
    EXPECT_GT(cache().counts().tilesRendered, 0);
    EXPECT_EQ(cache().counts().rendered, 0);
    const Difference atStart = difference(byTiles, played(*view));
    EXPECT_EQ(atStart.pixels, 0) << "by up to " << atStart.largest;
    EXPECT_TRUE(darkBox(byTiles).has_value()) << "the page has ink there";

    // Scrolled to an origin that lies on whole pixels (0.3 pixels a unit across, 0.84 down),
    // the tiles are the view played whole there.
    view->SetOrg(1600.0, 2500.0);
    const Difference scrolled = difference(shown(*view), played(*view));
    EXPECT_EQ(scrolled.pixels, 0) << "by up to " << scrolled.largest;
}

TEST_F(PageTilesViewTest, AScrollStepRendersOnlyTheTilesThatCameIntoView)
{
    auto view = makeView(dir.filePath("marks.emf"), 4);
    view->SetOrg(1200.0, 2000.0);
    const QRect before = tilesShown(*view);
    shown(*view);
    EXPECT_EQ(cache().counts().tilesRendered, area(before));
    EXPECT_EQ(cache().counts().tilesReused, 0);

    // Repainted where it is: every tile from the cache.
    shown(*view);
    EXPECT_EQ(cache().counts().tilesRendered, area(before));
    EXPECT_EQ(cache().counts().tilesReused, area(before));

    // One line down until a new row of tiles comes into view.
    QRect after = before;
    double y = 2000;
    while (after == before) {
        y += 75;
        view->SetOrg(std::nullopt, y);
        after = tilesShown(*view);
    }
    cache().counts() = {};
    shown(*view);
    const int kept = area(after & before);
    EXPECT_GT(kept, 0);
    EXPECT_EQ(cache().counts().tilesReused, kept);
    EXPECT_EQ(cache().counts().tilesRendered, area(after) - kept);
    EXPECT_EQ(cache().counts().rendered, 0) << "a zoomed view is never played whole";
}

TEST_F(PageTilesViewTest, AfterAnIdleMomentAScrollStepFindsItsNewRowRenderedAhead)
{
    auto view = makeView(dir.filePath("marks.emf"), 4);
    view->SetOrg(1200.0, 2000.0);
    const QRect before = tilesShown(*view);
    shown(*view);
    cache().waitForRenders();
    EXPECT_GT(cache().counts().renderedAhead, 0);
    // The control's tiles and the ring around them, less the column left of the surface.
    ASSERT_EQ(before.left(), 0);
    EXPECT_EQ(cache().count(), area(before.adjusted(0, -1, 1, 1)));

    double y = 2000;
    while (tilesShown(*view) == before) {
        y += 75;
        view->SetOrg(std::nullopt, y);
    }
    cache().counts() = {};
    const QImage stepped = shown(*view);
    EXPECT_EQ(cache().counts().tilesRendered, 0);
    EXPECT_EQ(cache().counts().tilesReused, area(tilesShown(*view)));
    const Difference d = difference(stepped, played(*view));
    EXPECT_LE(d.pixels, kEdgePixelsMoved * area(tilesShown(*view)));
    EXPECT_EQ(d.beyondEdges, 0) << "the tiles rendered ahead are the page where it is shown";
}

TEST_F(PageTilesViewTest, APageRenderedAheadWhileZoomedIsShownFromItsTiles)
{
    writePage(dir.filePath("next.emf"), {{{1000, 2000, 2000, 3000}, kGreen}});
    auto view = makeView(dir.filePath("marks.emf"), 3);
    view->SetOrg(1000.0, 2000.0);
    shown(*view);
    view->renderAhead(dir.filePath("next.emf"));
    cache().waitForRenders();
    view->SetFile(dir.filePath("next.emf"));
    cache().counts() = {};
    const QImage next = shown(*view);
    EXPECT_EQ(cache().counts().tilesRendered, 0);
    EXPECT_EQ(cache().counts().tilesReused, area(tilesShown(*view)));
    EXPECT_NE(view->hMeta, 0u) << "the view holds the page it shows";
    EXPECT_TRUE(colourBox(next, kGreen).has_value());
    EXPECT_FALSE(colourBox(next, kRed).has_value());
}

TEST_F(PageTilesViewTest, AZoomedPageHoldsWhatIsInViewAndItsNeighboursWhereverItIsScrolled)
{
    auto view = makeView(dir.filePath("marks.emf"), 9);
    // The most tiles the control can touch, and a ring of neighbours around them.
    const int columns = view->width() / kv::kTileSide + 2, rows = view->height() / kv::kTileSide + 2;
    const qint64 bound = qint64(columns + 2) * (rows + 2) * kTileBytes;
    qint64 most = 0;
    std::set<std::pair<int, int>> seen;
    const auto showAt = [&](std::optional<double> x, std::optional<double> y) {
        view->SetOrg(x, y);
        shown(*view);
        cache().waitForRenders();
        most = std::max(most, cache().bytes());
        const QRect tiles = tilesShown(*view);
        for (int row = tiles.top(); row <= tiles.bottom(); ++row)
            for (int column = tiles.left(); column <= tiles.right(); ++column)
                seen.insert({column, row});
    };
    for (double y = 0; y <= kPageHeight; y += 200)
        showAt(std::nullopt, y);
    for (double x = 0; x <= kPageWidth; x += 200)
        showAt(x, std::nullopt);
    EXPECT_LE(most, bound);
    // Many more tiles were shown than are held.
    EXPECT_GT(qint64(seen.size()) * kTileBytes, 2 * bound);
    EXPECT_GT(most, 0);
}

TEST_F(PageTilesViewTest, APartlyExposedViewDrawsOnlyTheTilesUnderIt)
{
    auto view = makeView(dir.filePath("marks.emf"), 4);
    view->SetOrg(1000.0, 2000.0);  // the control's corner at 400, 2240 of the surface
    QImage image(view->size(), QImage::Format_RGB32);
    image.fill(Qt::black);
    view->render(&image, QPoint(), QRegion(0, 0, 40, 40));
    EXPECT_EQ(cache().counts().tilesRendered, 1);
}

TEST_F(PageTilesViewTest, FoundWordMarksStayOnTheirWordsAsTheTilesScroll)
{
    auto view = makeView(dir.filePath("marks.emf"), 3);
    // The red square, in fractions of the picture, which covers the printer's page.
    const QRectF square(QPointF(2400.0 / kPageWidth, 3000.0 / kPageHeight), QPointF(2600.0 / kPageWidth, 3200.0 / kPageHeight));
    view->bMarks = [square](const QString&) { return std::vector<kv::PageMark>{{square.adjusted(-0.01, -0.01, 0.01, 0.01)}}; };
    const kv::gdi::ColorRef markColour = kv::gdi::fromQRgb(kv::pageMarkColor(false).rgb());
    // The first origin lies on whole pixels of the surface, the others between them; the
    // square and its mark are in view at each.
    std::optional<QMargins> first;
    for (const QPointF& at : {QPointF(1700, 2500), QPointF(1931, 2577), QPointF(2117, 2777), QPointF(2203, 2931)}) {
        SCOPED_TRACE(at.y());
        view->SetOrg(at.x(), at.y());
        const QImage image = shown(*view);
        const auto red = colourBox(image, kRed), marked = colourBox(image, markColour);
        ASSERT_TRUE(red.has_value());
        ASSERT_TRUE(marked.has_value());
        const QMargins around(red->left() - marked->left(), red->top() - marked->top(),
                              marked->right() - red->right(), marked->bottom() - red->bottom());
        EXPECT_GT(std::min({around.left(), around.top(), around.right(), around.bottom()}), 10) << "the mark is around the square";
        if (!first) {
            first = around;
            continue;
        }
        // Where the tiles put the square, the mark follows, to the pixel.
        EXPECT_NEAR(around.left(), first->left(), 1);
        EXPECT_NEAR(around.top(), first->top(), 1);
        EXPECT_NEAR(around.right(), first->right(), 1);
        EXPECT_NEAR(around.bottom(), first->bottom(), 1);
    }
}

} // namespace
} // namespace kvtest
