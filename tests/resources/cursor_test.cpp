// The magnifier cursor shown over the page views.
#include "resourcetestenv.h"

#include <QBitmap>
#include <QImage>
#include <QPixmap>

namespace {

using kvtest::ResourceLibraryTest;

bool isInk(QRgb pixel) { return qAlpha(pixel) > 200 && qGray(pixel) < 100; }

// Steps from `from` in direction (dx, dy) to the first dark opaque pixel; -1 when none.
int distanceToInk(const QImage& image, QPoint from, int dx, int dy)
{
    for (int step = 1;; ++step) {
        const QPoint p = from + QPoint(dx * step, dy * step);
        if (!image.rect().contains(p))
            return -1;
        if (isInk(image.pixel(p)))
            return step;
    }
}

TEST_F(ResourceLibraryTest, LupaResolvesInEveryLetterCaseToA32PixelCursor)
{
    for (const char* name : {"Lupa", "lupa", "LUPA"}) {
        const QCursor c = kv::cursor(QString::fromLatin1(name));
        ASSERT_FALSE(c.pixmap().isNull()) << name;
        EXPECT_EQ(c.shape(), Qt::BitmapCursor) << name;
        EXPECT_EQ(c.pixmap().deviceIndependentSize().toSize(), QSize(32, 32)) << name;
    }
}

TEST_F(ResourceLibraryTest, LupaHotSpotIsTheCentreOfTheLens)
{
    const QCursor c = kv::cursor(QStringLiteral("Lupa"));
    const QImage image = c.pixmap().toImage().convertToFormat(QImage::Format_ARGB32);
    ASSERT_FALSE(image.isNull());
    const QPoint hot = c.hotSpot();
    ASSERT_TRUE(image.rect().contains(hot));
    EXPECT_FALSE(isInk(image.pixel(hot))) << "the hot spot should look through the lens";
    // The lens rim lies at the same distance in all four directions.
    const int left = distanceToInk(image, hot, -1, 0);
    const int right = distanceToInk(image, hot, 1, 0);
    const int up = distanceToInk(image, hot, 0, -1);
    const int down = distanceToInk(image, hot, 0, 1);
    for (int d : {left, right, up, down})
        ASSERT_GT(d, 2) << "no lens rim around the hot spot";
    EXPECT_LE(std::max({left, right, up, down}) - std::min({left, right, up, down}), 1);
}

TEST_F(ResourceLibraryTest, UnknownCursorGivesTheArrow)
{
    for (const char* name : {"", "Hand", "Top", "lupa.json"}) {
        const QCursor c = kv::cursor(QString::fromLatin1(name));
        EXPECT_TRUE(c.pixmap().isNull()) << name;
        EXPECT_EQ(c.shape(), Qt::ArrowCursor) << name;
    }
}

} // namespace
