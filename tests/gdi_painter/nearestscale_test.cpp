// Unsmoothed stretches drawn straight into the image give the pixels the painter gives.
#include "gdi/paint/nearestscale.h"

#include <QPainter>
#include <gtest/gtest.h>

using namespace kv::gdi;

namespace {

// A source whose every pixel differs from its neighbours, so that any pixel taken from the
// wrong place shows.
QImage numbered(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, qRgb(x * 7 % 256, y * 11 % 256, (x * 13 + y * 17) % 256));
    return image;
}

QImage painted(const QImage& source, const QTransform& toTarget, const QRect& clip, QImage::Format format)
{
    QImage target(120, 90, format);
    target.fill(Qt::white);
    QPainter p(&target);
    p.setClipRect(clip);
    p.setTransform(toTarget);
    p.drawImage(QPointF(0, 0), source);
    return target;
}

QImage scaled(const QImage& source, const QTransform& toTarget, const QRect& clip, QImage::Format format)
{
    QImage target(120, 90, format);
    target.fill(Qt::white);
    scaleNearest(source, toTarget, target, clip);
    return target;
}

} // namespace

TEST(NearestScale, EnlargementsAndClipsMatchThePainter)
{
    const QRect clips[] = {QRect(0, 0, 120, 90), QRect(13, 7, 61, 50), QRect(40, 30, 3, 2)};
    const QSize sizes[] = {QSize(10, 10), QSize(7, 3), QSize(1, 29), QSize(97, 61)};
    int draws = 0;
    for (const QSize size : sizes) {
        const QImage source = numbered(size.width(), size.height());
        for (const double sx : {1.0, 1.4253, 3.5, 9.71})
            for (const double sy : {1.78163, 2.0, 14.253})
                for (const double shift : {0.0, 0.325, 0.5, 0.851})
                    for (const QRect& clip : clips)
                        for (const QImage::Format format : {QImage::Format_RGB32, QImage::Format_ARGB32_Premultiplied}) {
                            const QTransform toTarget(sx, 0, 0, sy, 3 + shift, 5 - shift);
                            ASSERT_TRUE(canScaleNearest(source, QImage(1, 1, format), toTarget));
                            EXPECT_EQ(scaled(source, toTarget, clip, format), painted(source, toTarget, clip, format))
                                << size.width() << 'x' << size.height() << " scale " << sx << ',' << sy << " shift " << shift;
                            ++draws;
                        }
    }
    EXPECT_EQ(draws, 4 * 4 * 3 * 4 * 3 * 2);
}

TEST(NearestScale, OnlyOpaqueUnmirroredEnlargementsOntoWholeWordPixels)
{
    const QImage opaque = numbered(4, 4);
    const QImage target(8, 8, QImage::Format_RGB32);
    const QTransform enlarge = QTransform::fromScale(2, 3);
    EXPECT_TRUE(canScaleNearest(opaque, target, enlarge));
    EXPECT_FALSE(canScaleNearest(opaque.convertToFormat(QImage::Format_ARGB32_Premultiplied), target, enlarge));
    EXPECT_FALSE(canScaleNearest(opaque, QImage(8, 8, QImage::Format_RGB888), enlarge));
    EXPECT_FALSE(canScaleNearest(opaque, target, QTransform::fromScale(-2, 3)));
    EXPECT_FALSE(canScaleNearest(opaque, target, QTransform::fromScale(2, 0.5)));
    EXPECT_FALSE(canScaleNearest(opaque, target, QTransform().rotate(30)));
    EXPECT_FALSE(canScaleNearest(QImage(), target, enlarge));
}
