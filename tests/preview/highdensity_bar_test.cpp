// The bar's bitmaps on high-density screens: drawn from their SVG resources at the ratio in
// use, not a small bitmap blown up (run under QT_SCALE_FACTOR=1.5 and 2 as well).
#include "previewtestenv.h"

#include "preview/barbutton.h"
#include "preview/resourcelib.h"
#include "preview/resourcescope.h"

#include <QPainter>

namespace kvtest {
namespace {

class HighDensityBar : public PreviewTest {};

// Pixels that differ between the button drawn at a ratio of 2 and the button drawn at 1 with
// every pixel doubled.
int finerThanDoubled(kv::BarButtonWidget* button)
{
    QImage fine(button->size() * 2, QImage::Format_RGB32);
    fine.setDevicePixelRatio(2);
    fine.fill(Qt::white);
    button->render(&fine);
    QImage coarse(button->size(), QImage::Format_RGB32);
    coarse.fill(Qt::white);
    button->render(&coarse);
    const QImage doubled = coarse.scaled(coarse.size() * 2, Qt::IgnoreAspectRatio, Qt::FastTransformation);
    fine.setDevicePixelRatio(1);
    int differ = 0;
    for (int y = 0; y < fine.height(); ++y)
        for (int x = 0; x < fine.width(); ++x)
            differ += fine.pixel(x, y) != doubled.pixel(x, y);
    return differ;
}

TEST_F(HighDensityBar, BitmapsAreDrawnFromTheirSvgAtTheRatio)
{
    open(3);
    ASSERT_FALSE(HasFatalFailure());
    for (int i = 0; i < buttonCount(); ++i) {
        kv::BarButtonWidget* b = button(i);
        SCOPED_TRACE(b->toolTip().toStdString());
        EXPECT_GT(finerThanDoubled(b), 20) << "the picture has detail of its own at twice the pixels";
    }
    // The icon hands out pictures of the ratio's size.
    kv::ResourceScope resources(preview->cResFile);
    const QIcon icon = kv::bitmap(QStringLiteral("Top"));
    ASSERT_FALSE(icon.isNull());
    EXPECT_EQ(icon.pixmap(QSize(24, 24), 2.0).size(), QSize(48, 48));
    EXPECT_EQ(icon.pixmap(QSize(24, 24), 1.5).size(), QSize(36, 36));
    // On the screen the button is drawn at the screen's ratio.
    const QPixmap shown = button(0)->grab();
    EXPECT_DOUBLE_EQ(shown.devicePixelRatio(), button(0)->devicePixelRatioF());
}

} // namespace
} // namespace kvtest
