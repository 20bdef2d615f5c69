// The page view control: where the page lands in the control, border and shadows, zoom
// divisors and origin, and what happens when its page file goes missing.
#include "pagefixture.h"

#include <QCoreApplication>
#include <QFile>
#include <QWidget>
#include <cmath>

namespace kvtest {
namespace {

class PageViewTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        parent.resize(600, 800);
        parent.show();
    }

    QString pagePath(const QString& name = QStringLiteral("page.emf")) const { return dir.filePath(name); }

    // A 480 x 660 control at (20, 30) of the parent, showing `file`.
    std::unique_ptr<kv::KVMETAFILE> makeView(const QString& file, const kv::PageViewSettings& s = printerSettings())
    {
        auto view = std::make_unique<kv::KVMETAFILE>(30, 20, 480, 660, file, &parent, s);
        view->show();
        return view;
    }

    static QImage paint(kv::KVMETAFILE& view) { return kvtest::shownImage(view); }

    QTemporaryDir dir;
    QWidget parent;
    BoxRecorder recorder;
};

TEST_F(PageViewTest, UnzoomedPageFillsTheControlWithTheLogicalOriginAtTenTen)
{
    writePage(pagePath(), {{{0, 0, 300, 300}, kRed}});
    auto view = makeView(pagePath());
    const QImage image = paint(*view);
    ASSERT_EQ(image.size(), QSize(480, 660));
    ASSERT_NE(view->hMeta, 0u);

    // Paper: white up to the edges (its black outline runs along the first row and column).
    EXPECT_TRUE(hasColour(image, 3, 3, kWhite));
    EXPECT_TRUE(hasColour(image, 476, 300, kWhite));
    EXPECT_TRUE(hasColour(image, 240, 655, kWhite));
    EXPECT_FALSE(hasColour(image, 240, 0, kGreen)) << "the background shows above the paper";

    // The mark at logical (0, 0) begins at control pixel (10, 10).
    const auto mark = colourBox(image, kRed);
    ASSERT_TRUE(mark.has_value());
    EXPECT_NEAR(mark->left(), 10, 1);
    EXPECT_NEAR(mark->top(), 10, 1);

    // The picture rectangle is the page's bounds less twice the offsets: a 300-unit mark
    // spans 300 * (bounds - 200) / bounds logical units, a tenth of that in pixels.
    const std::array<int32_t, 4> bounds = kv::ENHMETASIZE(view->hMeta, 1);
    const double scaleX = double(bounds[2] - bounds[0] - 2 * kOffset) / (bounds[2] - bounds[0]);
    EXPECT_NEAR(mark->width(), 300 * scaleX / 10, 1.5);
}

TEST_F(PageViewTest, BorderMarksThePrintableAreaOnlyWhenOn)
{
    // A picture that leaves the printable area's edges alone, so the border shows.
    writePage(pagePath(), {{{1000, 1000, 1100, 1100}, kRed}}, false);
    for (const bool border : {true, false}) {
        kv::PageViewSettings s = printerSettings();
        s.look.lPageBorder = border;
        auto view = makeView(pagePath(), s);
        const QImage image = paint(*view);
        // The border's right edge is logical 4600, pixel (4600 + 100) / 10 = 470; its
        // bottom edge logical 6400, pixel 650.
        bool rightEdge = false, bottomEdge = false;
        for (int d = -1; d <= 1; ++d) {
            rightEdge |= hasColour(image, 470 + d, 300, kGreen);
            bottomEdge |= hasColour(image, 240, 650 + d, kGreen);
        }
        EXPECT_EQ(rightEdge, border) << "border " << border;
        EXPECT_EQ(bottomEdge, border) << "border " << border;
    }
}

TEST_F(PageViewTest, ShadowInsideTheControlIsScaledWithThePage)
{
    writePage(pagePath(), {});
    kv::PageViewSettings s = printerSettings();
    s.look.nShadow_Deep = 1000;   // 100 pixels
    s.look.nShadow_Width = 100;   // 10 pixels, half of them inside the control
    auto view = makeView(pagePath(), s);
    const QImage image = paint(*view);
    // The bottom line starts shadow depth right of the paper's left edge.
    EXPECT_TRUE(hasColour(image, 120, 657, kBlue));
    EXPECT_FALSE(hasColour(image, 80, 657, kBlue));
    // The right line starts shadow depth below the paper's top edge.
    EXPECT_TRUE(hasColour(image, 477, 120, kBlue));
    EXPECT_FALSE(hasColour(image, 477, 80, kBlue));

    view->lShadow = false;
    EXPECT_FALSE(colourBox(paint(*view), kBlue).has_value());
}

TEST_F(PageViewTest, ShadowOnTheParentRunsAlongTheLastRowAndColumn)
{
    writePage(pagePath(), {});
    auto view = makeView(pagePath());
    QImage image(600, 800, QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        view->Shadow(painter);
    }
    const int bottom = 30 + 660 - 1, right = 20 + 480 - 1;
    EXPECT_EQ(view->nBottom(), bottom);
    EXPECT_EQ(view->nRight(), right);
    // Lines start 5 pixels right of the left edge and 5 below the top edge.
    EXPECT_TRUE(hasColour(image, 20 + 8, bottom, kBlue));
    EXPECT_FALSE(hasColour(image, 20 + 1, bottom, kBlue));
    EXPECT_TRUE(hasColour(image, right, 30 + 8, kBlue));
    EXPECT_FALSE(hasColour(image, right, 30 + 1, kBlue));
    // The wide pen reaches outside the control, where the parent shows it.
    EXPECT_TRUE(hasColour(image, 300, bottom + 1, kBlue));
    EXPECT_TRUE(hasColour(image, right + 1, 300, kBlue));
}

TEST_F(PageViewTest, ZoomedViewShowsThePartAtTheOrigin)
{
    writePage(pagePath(), {{{2400, 3300, 2700, 3600}, kRed}});
    auto view = makeView(pagePath());
    view->ZoomIn();
    view->SetOrg(2000.0, 3000.0);
    const QImage image = paint(*view);
    const std::array<int32_t, 4> bounds = kv::ENHMETASIZE(view->hMeta, 1);
    const double sx = double(bounds[2] - bounds[0] - 2 * kOffset) / (bounds[2] - bounds[0]);
    const double sy = double(bounds[3] - bounds[1] - 2 * kOffset) / (bounds[3] - bounds[1]);
    // Extent 2400 x 1650 on 480 x 660 pixels: 5 and 2.5 logical units a pixel.
    const auto mark = colourBox(image, kRed);
    ASSERT_TRUE(mark.has_value());
    EXPECT_NEAR(mark->left(), (2400 * sx - 2000 + kOffset) / 5, 2);
    EXPECT_NEAR(mark->top(), (3300 * sy - 3000 + kOffset) / 2.5, 2);
}

TEST_F(PageViewTest, ZoomFactorChangesWhileZoomedRescaleTheExtent)
{
    auto view = makeView(QString());
    view->ZoomIn();
    EXPECT_DOUBLE_EQ(view->nWidth, 2400);
    EXPECT_DOUBLE_EQ(view->nHeight, 1650);
    view->SetZoomFactor(1.5, 3);
    EXPECT_DOUBLE_EQ(view->nWidth, 3200);
    EXPECT_DOUBLE_EQ(view->nHeight, 2200);
    view->ZoomOut();
    EXPECT_DOUBLE_EQ(view->nWidth, kPageWidth);
    EXPECT_DOUBLE_EQ(view->nHeight, kPageHeight);
}

TEST_F(PageViewTest, ZoomInTwiceDividesOnceAndZoomOutUnzoomedChangesNothing)
{
    auto view = makeView(QString());
    view->SetOrg(10.0, 20.0);
    view->ZoomOut();
    EXPECT_FALSE(view->lZoom);
    EXPECT_DOUBLE_EQ(view->nWidth, kPageWidth);
    EXPECT_DOUBLE_EQ(view->nXorig, 10);
    view->ZoomIn();
    view->ZoomIn();
    EXPECT_DOUBLE_EQ(view->nWidth, kPageWidth / 2.0);
    EXPECT_DOUBLE_EQ(view->nHeight, kPageHeight / 4.0);
    view->ZoomOut();
    EXPECT_DOUBLE_EQ(view->nXorig, 0);
    EXPECT_DOUBLE_EQ(view->nYorig, 0);
}

TEST_F(PageViewTest, SetZoomFactorUnzoomedOnlyStoresTheDivisors)
{
    auto view = makeView(QString());
    view->SetZoomFactor(3, 6);
    EXPECT_DOUBLE_EQ(view->nWidth, kPageWidth);
    view->ZoomIn();
    EXPECT_DOUBLE_EQ(view->nWidth, kPageWidth / 3.0);
    EXPECT_DOUBLE_EQ(view->nHeight, kPageHeight / 6.0);
}

TEST_F(PageViewTest, SetOrgChangesOnlyTheGivenValue)
{
    auto view = makeView(QString());
    view->SetOrg(7.0, 8.0);
    view->SetOrg(std::nullopt, 500.0);
    EXPECT_DOUBLE_EQ(view->nXorig, 7);
    EXPECT_DOUBLE_EQ(view->nYorig, 500);
    view->SetOrg(40.0, std::nullopt);
    EXPECT_DOUBLE_EQ(view->nXorig, 40);
    EXPECT_DOUBLE_EQ(view->nYorig, 500);
}

TEST_F(PageViewTest, EmptyCaptionPaintsOnlyTheWindowBackground)
{
    auto view = makeView(QString());
    const QImage image = paint(*view);
    // The window's background, not a block of the page-border colour.
    EXPECT_EQ(colourBox(image, kMagenta).value_or(QRect()), image.rect());
    EXPECT_TRUE(recorder.boxes.empty());
}

TEST_F(PageViewTest, MissingFileIsReportedOnceAfterThePaint)
{
    auto view = makeView(dir.filePath(QStringLiteral("gone.emf")));
    paint(*view);
    EXPECT_TRUE(recorder.boxes.empty()) << "no box while the control paints";
    QCoreApplication::processEvents();
    paint(*view);
    QCoreApplication::processEvents();
    ASSERT_EQ(recorder.boxes.size(), 1u);
    EXPECT_EQ(recorder.boxes[0].kind, kv::BoxKind::Attention);
    EXPECT_EQ(recorder.boxes[0].text, "Could not find the Metafile,\r\nplease check your TEMP environment variable");
    // A sheet with its note, not a block of background.
    const QImage image = paint(*view);
    EXPECT_FALSE(colourBox(image, kMagenta).has_value());
    EXPECT_TRUE(hasColour(image, 20, 20, kWhite));
    EXPECT_TRUE(darkBox(image).has_value());
}

TEST_F(PageViewTest, PageIsReadOnceAndPaintsAfterItsFileIsGone)
{
    writePage(pagePath(), {{{0, 0, 300, 300}, kRed}});
    auto view = makeView(pagePath());
    ASSERT_TRUE(colourBox(paint(*view), kRed).has_value());
    ASSERT_TRUE(QFile::remove(pagePath()));
    EXPECT_TRUE(colourBox(paint(*view), kRed).has_value());
    QCoreApplication::processEvents();
    EXPECT_TRUE(recorder.boxes.empty());
}

TEST_F(PageViewTest, SetFileWithAMissingFileShowsNothingAndSaysNothing)
{
    writePage(pagePath(), {{{0, 0, 300, 300}, kRed}});
    auto view = makeView(pagePath());
    paint(*view);
    view->SetFile(dir.filePath(QStringLiteral("other.emf")));
    EXPECT_EQ(view->cCaption, QString());
    EXPECT_EQ(view->hMeta, 0u);
    EXPECT_FALSE(colourBox(paint(*view), kRed).has_value());
    QCoreApplication::processEvents();
    EXPECT_TRUE(recorder.boxes.empty());
}

TEST_F(PageViewTest, WindowsMetafilePagesAreConvertedOnceAndShown)
{
    writePage(pagePath(), {{{0, 0, 300, 300}, kRed}});
    const kv::HENHMETAFILE emf = kv::GETENHMETAFILE(pagePath());
    ASSERT_NE(emf, 0u);
    const QString wmf = pagePath(QStringLiteral("page.wmf"));
    ASSERT_TRUE(kv::writeWinMetaFile(emf, wmf));
    kv::DELETEENHMETAFILE(emf);
    kv::PageViewSettings s = printerSettings();
    s.look.cMetaFormat = QStringLiteral("WMF");
    auto view = makeView(wmf, s);
    EXPECT_TRUE(colourBox(paint(*view), kRed).has_value());
    const kv::HENHMETAFILE loaded = view->hMeta;
    EXPECT_NE(loaded, 0u);
    paint(*view);
    EXPECT_EQ(view->hMeta, loaded) << "converted once, replayed after";
}

} // namespace
} // namespace kvtest
