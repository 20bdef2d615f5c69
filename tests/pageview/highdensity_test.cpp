// Pages on high-density screens: a page view painted at a device pixel ratio of 2 (or 1.5)
// draws at the screen's own pixels, not a picture of half the size blown up: a hairline of the
// page is one device pixel wide, and the edges of a filled box fall on odd device pixels too.
#include "pagefixture.h"

#include <QApplication>
#include <QPainter>

namespace kvtest {
namespace {

constexpr kv::gdi::ColorRef kLine = 0x0000FF;  // red
constexpr int kViewWidth = 300, kViewHeight = 412;

// A page with a horizontal hairline (a pen of width 0: one device pixel on any device) and a
// blue box, both well inside the printable area.
QString writeHairlinePage(const QTemporaryDir& dir)
{
    const QString path = dir.filePath(QStringLiteral("hairline.emf"));
    recordPage(path, [](kv::gdi::Dc& dc) {
        kv::gdi::Pen hairline;
        hairline.style = kv::gdi::PS_SOLID;
        hairline.width = 0;
        hairline.color = kLine;
        dc.selectObject(kv::gdi::makeObject(hairline));
        dc.moveTo(600, 2001);
        dc.lineTo(4200, 2001);
        kv::gdi::Pen none;
        none.style = kv::gdi::PS_NULL;
        dc.selectObject(kv::gdi::makeObject(none));
        kv::gdi::Brush blue;
        blue.color = kBlue;
        dc.selectObject(kv::gdi::makeObject(blue));
        dc.rectangle({1013, 3013, 3007, 4507});
    });
    return path;
}

// The view painted into an image of `ratio` device pixels per view pixel.
QImage paintedAt(kv::KVMETAFILE& view, qreal ratio)
{
    QImage image(QSize(qRound(kViewWidth * ratio), qRound(kViewHeight * ratio)), QImage::Format_RGB32);
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::white);
    view.render(&image);
    image.setDevicePixelRatio(1);
    return image;
}

// Rows of the column in the middle of the image that hold the hairline's colour.
int hairlineRows(const QImage& image)
{
    int rows = 0;
    const int x = image.width() / 2;
    for (int y = 0; y < image.height(); ++y)
        rows += hasColour(image, x, y, kLine);
    return rows;
}

TEST(HighDensityPages, AHairlineIsOneDevicePixelAtEveryRatio)
{
    QTemporaryDir dir;
    const QString page = writeHairlinePage(dir);
    QWidget parent;
    parent.resize(kViewWidth + 20, kViewHeight + 20);
    kv::KVMETAFILE view(0, 0, kViewWidth, kViewHeight, page, &parent, printerSettings());
    view.lShadow = false;
    for (const qreal ratio : {1.0, 1.5, 2.0}) {
        SCOPED_TRACE(ratio);
        const QImage image = paintedAt(view, ratio);
        EXPECT_EQ(hairlineRows(image), 1) << "one device pixel, not a view pixel blown up";
        // The box is drawn at the device's own pixels: its size follows the ratio.
        const auto box = colourBox(image, kBlue);
        ASSERT_TRUE(box);
        const auto plain = colourBox(paintedAt(view, 1.0), kBlue);
        ASSERT_TRUE(plain);
        EXPECT_NEAR(box->width(), plain->width() * ratio, 2.0);
        EXPECT_NEAR(box->left(), plain->left() * ratio, 2.0);
    }
    // At 2, the box's edges need not fall on even device pixels, as they must when a picture
    // of half the size is doubled.
    const QImage twice = paintedAt(view, 2.0);
    const auto box = colourBox(twice, kBlue);
    ASSERT_TRUE(box);
    const bool anyOdd = box->left() % 2 || box->top() % 2 || (box->right() + 1) % 2 || (box->bottom() + 1) % 2;
    EXPECT_TRUE(anyOdd) << "box " << box->left() << "," << box->top() << " to " << box->right() << "," << box->bottom();
}

// On the screen itself (run under QT_SCALE_FACTOR=1.5 and 2 as well): what the view shows is
// at the screen's ratio, and its hairline still one device pixel.
TEST(HighDensityPages, TheViewOnScreenPaintsAtTheScreensRatio)
{
    QTemporaryDir dir;
    const QString page = writeHairlinePage(dir);
    QWidget parent;
    parent.resize(kViewWidth + 20, kViewHeight + 20);
    kv::KVMETAFILE view(0, 0, kViewWidth, kViewHeight, page, &parent, printerSettings());
    view.lShadow = false;
    parent.show();
    const qreal ratio = view.devicePixelRatioF();
    const QPixmap shown = view.grab();
    EXPECT_DOUBLE_EQ(shown.devicePixelRatio(), ratio);
    EXPECT_EQ(shown.size(), (QSizeF(kViewWidth, kViewHeight) * ratio).toSize());
    EXPECT_EQ(hairlineRows(shown.toImage().convertToFormat(QImage::Format_RGB32)), 1) << "ratio " << ratio;
}

} // namespace
} // namespace kvtest
