// Real pages in the page view: the Windows spool pages of the corpus land where kvconvert draws
// them (its picture mapped onto the frame's place on the sheet), with the printer upright and
// turned; pages our own recorder wrote keep exactly the pixels of the rule for recorded pages.
#include "pagefixture.h"
#include "testenv.h"

#include "gdi/player.h"
#include "gdi/readers.h"
#include "gdi/render.h"

#include <QDir>
#include <cmath>

namespace kvtest {
namespace {

constexpr int kViewWidth = 1000;
constexpr int kInkGrey = 200;  // darker than this is ink
constexpr int kEdge = 3;       // the paper's outline runs along the view's edges

// The built-in PDF printer: A4 at 600 dpi with 100-pixel margins, upright or turned.
kv::PageViewSettings pdfPrinter(bool landscape)
{
    kv::PageViewSettings s = printerSettings();
    const double printable[2] = {4761, 6817}, sheet[2] = {4961, 7017};
    const int across = landscape ? 1 : 0;
    s.printer.horzRes = printable[across];
    s.printer.vertRes = printable[1 - across];
    s.printer.physWidth = sheet[across];
    s.printer.physHeight = sheet[1 - across];
    s.printer.xOffset = s.printer.yOffset = 100;
    s.printer.dpiX = s.printer.dpiY = 600;
    return s;
}

// The part of the view that shows `page`'s frame, inside the paper's outline; ink outside the
// frame (drawings may overrun it) has no counterpart in kvconvert's picture.
QRect frameInView(const kv::gdi::Picture& page, const kv::PageViewSettings& printer, QSize viewSize)
{
    const QRectF frame = kv::gdi::pictureFrame(page.header);  // 0.01 mm
    const double perX = viewSize.width() / (printer.printer.physWidth / printer.printer.dpiX * 2540);
    const double perY = viewSize.height() / (printer.printer.physHeight / printer.printer.dpiY * 2540);
    const QRect placed = QRectF(QPointF(frame.left() * perX, frame.top() * perY),
                                QPointF(frame.right() * perX, frame.bottom() * perY)).toAlignedRect();
    return placed & QRect(QPoint(0, 0), viewSize).adjusted(kEdge, kEdge, -kEdge, -kEdge);
}

// Where kvconvert's picture of `page` puts its ink inside `region` of the view: kvconvert draws
// the frame filling its image, drawn here at the size the frame has in the view.
std::optional<QRect> expectedInk(const kv::gdi::Picture& page, const kv::PageViewSettings& printer, QSize viewSize,
                                 const QRect& region)
{
    const QRectF frame = kv::gdi::pictureFrame(page.header);
    const double perX = viewSize.width() / (printer.printer.physWidth / printer.printer.dpiX * 2540);
    const double perY = viewSize.height() / (printer.printer.physHeight / printer.printer.dpiY * 2540);
    const QImage picture = kv::gdi::renderPicture(page, int(std::lround(frame.width() * perX)))
                               .convertToFormat(QImage::Format_RGB32);
    const QPoint origin(int(std::lround(frame.left() * perX)), int(std::lround(frame.top() * perY)));
    const auto ink = darkBox(picture, kInkGrey, region.translated(-origin) & picture.rect());
    if (!ink)
        return std::nullopt;
    return ink->translated(origin);
}

class RealPagesTest : public ::testing::Test {
protected:
    void SetUp() override { parent.resize(1200, 1600); }

    QImage show(const QString& file, const kv::PageViewSettings& printer, QSize size)
    {
        kv::KVMETAFILE view(0, 0, size.width(), size.height(), file, &parent, printer);
        view.lShadow = false;
        return kvtest::shownImage(view);
    }

    QWidget parent;
    BoxRecorder recorder;
};

TEST_F(RealPagesTest, SpoolPagesLandWhereTheConverterDrawsThemInBothOrientations)
{
    const auto corpus = corpusDir();
    if (!corpus)
        GTEST_SKIP() << "no shared corpus (../shared/corpus or $KV_CORPUS_DIR): spool pages not tried";
    const QStringList pages = QDir(*corpus + "/emf").entryList({"spool-*.emf"}, QDir::Files, QDir::Name);
    ASSERT_EQ(pages.size(), 8);
    for (const bool landscape : {false, true}) {
        const kv::PageViewSettings printer = pdfPrinter(landscape);
        const QSize size(kViewWidth, int(std::lround(kViewWidth * printer.printer.physHeight / printer.printer.physWidth)));
        for (const QString& name : pages) {
            const QString file = *corpus + "/emf/" + name;
            const kv::gdi::PicturePtr page = kv::gdi::readMetafileFile(file, {}, kv::gdi::WmfSurface::PictureSize);
            ASSERT_TRUE(page) << name.toStdString();
            const QRect region = frameInView(*page, printer, size);
            const auto expected = expectedInk(*page, printer, size, region);
            const QImage shown = show(file, printer, size);
            const auto ink = darkBox(shown, kInkGrey, region);
            const std::string what = name.toStdString() + (landscape ? " on a turned sheet" : " on an upright sheet");
            EXPECT_EQ(ink.has_value(), expected.has_value()) << what;
            if (!ink || !expected)
                continue;
            const double tolX = 0.01 * size.width(), tolY = 0.01 * size.height();
            EXPECT_NEAR(ink->left(), expected->left(), tolX) << what;
            EXPECT_NEAR(ink->right(), expected->right(), tolX) << what;
            EXPECT_NEAR(ink->top(), expected->top(), tolY) << what;
            EXPECT_NEAR(ink->bottom(), expected->bottom(), tolY) << what;
        }
    }
}

// A page as our printer device records it: shapes, lines and text in printer pixels.
void recordOwnPage(const QString& path)
{
    recordPage(path, [](kv::gdi::Dc& dc) {
        dc.rectangle({150, 200, 2500, 900});
        dc.ellipse({2600, 3000, 4500, 5200});
        dc.moveTo(160, 6400);
        dc.lineTo(4700, 1100);
        kv::gdi::Font font;
        font.logFont.height = -200;
        font.logFont.faceName = u"Arial";
        dc.selectObject(kv::gdi::makeObject(font));
        dc.extTextOut(400, 1400, 0, nullptr, u"Quarterly figures");
    });
}

TEST_F(RealPagesTest, APictureLargerThanTheSheetIsCutByTheSheet)
{
    // Recorded at 300 dpi: twice the sheet's width of red, placed by its frame.
    QTemporaryDir dir;
    const QString file = dir.filePath("wide.emf");
    recordPage(file, [](kv::gdi::Dc& dc) {
        kv::gdi::Brush red;
        red.color = kRed;
        dc.selectObject(kv::gdi::makeObject(red));
        dc.rectangle({0, 0, kPageWidth, kPageHeight / 4});
    }, 300);
    ASSERT_FALSE(HasFatalFailure());
    kv::KVMETAFILE view(0, 0, 480, 660, file, &parent, printerSettings());
    view.lShadow = false;
    view.SetZoomFactor(0.5, 1);
    view.ZoomIn();  // the sheet covers the left half of the view
    const QImage shown = kvtest::shownImage(view);
    const auto red = colourBox(shown, kRed);
    ASSERT_TRUE(red.has_value());
    EXPECT_LE(red->right(), 241) << "red beyond the sheet";
    EXPECT_GE(red->right(), 236) << "the red reaches the sheet's edge";
    EXPECT_TRUE(hasColour(shown, 400, 20, kMagenta));
}

TEST_F(RealPagesTest, OurOwnRecordedPagesKeepTheirPixels)
{
    QTemporaryDir dir;
    const QString file = dir.filePath("own.emf");
    recordOwnPage(file);
    ASSERT_FALSE(HasFatalFailure());
    const kv::PageViewSettings printer = printerSettings();
    const QSize size(480, 660);
    const QImage shown = show(file, printer, size);

    // The rule for recorded pages, drawn here on its own: the printer's pixels with the origin
    // at the printable corner stretched onto the view, the paper, and the picture played into
    // its bounds less twice the offsets.
    QImage expected(size, QImage::Format_RGB32);
    expected.fill(QColor(kv::gdi::toQRgb(printer.look.nBackClr)));
    {
        QPainter painter(&expected);
        kv::gdi::PainterDevice device(painter, kv::displayCaps());
        kv::gdi::Dc dc(device);
        const kv::HDC target = kv::registerDc(&dc);
        dc.setWindowOrg(-kOffset, -kOffset);
        dc.setMapMode(kv::gdi::MM_ANISOTROPIC);
        dc.setWindowExt(kPageWidth, kPageHeight);
        dc.setViewportExt(size.width(), size.height());
        dc.rectangle({-kOffset, -kOffset, kPageWidth - kOffset, kPageHeight - kOffset});
        const kv::HENHMETAFILE page = kv::GETENHMETAFILE(file);
        const auto b = kv::ENHMETASIZE(page, 1);
        kv::PLAYENHMETAFILE(target, page, {double(b[0]), double(b[1]), double(b[2] - 2 * kOffset), double(b[3] - 2 * kOffset)});
        kv::DELETEENHMETAFILE(page);
        kv::unregisterDc(target);
    }
    int differing = 0;
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x)
            differing += shown.pixel(x, y) != expected.pixel(x, y);
    EXPECT_EQ(differing, 0);
    EXPECT_TRUE(darkBox(shown, 128, QRect(20, 20, 440, 620)).has_value()) << "the page drew nothing";
}

} // namespace
} // namespace kvtest
