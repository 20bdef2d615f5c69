// Large glyphs kept as images: the same pixels as Qt's outline fill, kept once, bounded, and
// only for raster targets.
#include "paintertestutil.h"

#include "gdi/paint/glyphcache.h"
#include "gdi/text/fontmap.h"

#include <QGlyphRun>
#include <QPainterPath>
#include <QPicture>
#include <gtest/gtest.h>

using namespace kv::gdi;
using namespace kvtest;

namespace {

ResolvedFontPtr arial(double height)
{
    LogFont lf;
    lf.faceName = u"Arial";
    lf.height = int32_t(height);
    return resolveFont(lf, height, 0);
}

TextRun runAt(std::u16string text, ResolvedFontPtr f, std::vector<QPointF> origins, QColor colour = Qt::black)
{
    TextRun run;
    run.text = std::move(text);
    run.font = std::move(f);
    run.color = colour;
    run.origins = std::move(origins);
    return run;
}

// The largest difference of any channel between two images of one size.
int largestDifference(const QImage& a, const QImage& b)
{
    int worst = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            worst = std::max({worst, std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)), std::abs(qBlue(p) - qBlue(q))});
        }
    return worst;
}

} // namespace

TEST(GlyphCache, KeptGlyphsGiveTheOutlineFillsPixels)
{
    const ResolvedFontPtr f = arial(-150);
    // Quarter-pixel origins, where a kept glyph lies exactly where its outline would.
    const TextRun run = runAt(u"Rg&", f, {QPointF(10.25, 160), QPointF(120.5, 160.75), QPointF(230, 161.25)}, QColor(20, 90, 200));
    Canvas kept(400, 220);
    kept.dev().drawText(run);

    // What Qt draws from the outlines, as the device drew such glyphs before they were kept.
    QImage outlines(400, 220, QImage::Format_RGB32);
    outlines.fill(kWhite);
    {
        QPainter p(&outlines);
        QGlyphRun glyphs;
        glyphs.setRawFont(f->raw);
        glyphs.setGlyphIndexes(f->raw.glyphIndexesForString(QStringLiteral("Rg&")));
        glyphs.setPositions({run.origins[0], run.origins[1], run.origins[2]});
        p.setPen(run.color);
        p.drawGlyphRun(QPointF(0, 0), glyphs);
    }
    const QImage& drawn = kept.finish();
    EXPECT_GT(inkCount(drawn), 2000);
    EXPECT_LE(largestDifference(drawn, outlines), 2);
}

TEST(GlyphCache, KeptGlyphsLandOnTheDevicePixelsOfAHigherRatio)
{
    const ResolvedFontPtr f = arial(-80);
    // Eighths of a view pixel are quarters of a device pixel at a ratio of 2.
    const TextRun run = runAt(u"Sb", f, {QPointF(10.125, 90), QPointF(70.375, 90.5)});
    const auto drawn = [&](bool throughDevice) {
        QImage image(400, 240, QImage::Format_RGB32);
        image.fill(kWhite);
        image.setDevicePixelRatio(2);
        QPainter p(&image);
        if (throughDevice) {
            PainterDevice device(p, DeviceCaps{});
            device.drawText(run);
        } else {
            QGlyphRun glyphs;
            glyphs.setRawFont(f->raw);
            glyphs.setGlyphIndexes(f->raw.glyphIndexesForString(QStringLiteral("Sb")));
            glyphs.setPositions({run.origins[0], run.origins[1]});
            p.setPen(run.color);
            p.drawGlyphRun(QPointF(0, 0), glyphs);
        }
        p.end();
        return image;
    };
    const size_t before = glyphCacheBytes();
    const QImage kept = drawn(true);
    EXPECT_GT(glyphCacheBytes(), before);  // 160 device pixels: kept, though 80 in the view
    EXPECT_GT(inkCount(kept), 2000);
    EXPECT_LE(largestDifference(kept, drawn(false)), 2);
}

TEST(GlyphCache, TurnedGlyphMatchesItsTurnedOutline)
{
    const ResolvedFontPtr f = arial(-120);
    const quint32 glyph = f->raw.glyphIndexesForString(QStringLiteral("K")).value(0);
    QTransform turn;
    turn.rotate(-30);
    ASSERT_TRUE(isCacheableGlyphSize(f->raw, turn));
    const QPointF origin(60.75, 140.5);
    const CachedGlyph kept = cachedGlyph(f->raw, glyph, turn, origin, qRgb(0, 0, 0));
    ASSERT_FALSE(kept.image.isNull());

    QImage composed(220, 220, QImage::Format_RGB32), filled(220, 220, QImage::Format_RGB32);
    composed.fill(kWhite);
    filled.fill(kWhite);
    {
        QPainter p(&composed);
        p.drawImage(kept.topLeft, kept.image);
    }
    {
        QPainter p(&filled);
        p.setRenderHint(QPainter::Antialiasing);
        p.setTransform(turn * QTransform::fromTranslate(origin.x(), origin.y()));
        QPainterPath outline = f->raw.pathForGlyph(glyph);
        outline.setFillRule(Qt::WindingFill);
        p.fillPath(outline, Qt::black);
    }
    EXPECT_GT(inkCount(composed), 1000);
    EXPECT_LE(largestDifference(composed, filled), 2);
}

TEST(GlyphCache, RepeatedGlyphsAreKeptOnceAndColoursApart)
{
    const ResolvedFontPtr f = arial(-100);
    const TextRun black = runAt(u"OOO", f, {QPointF(10, 110), QPointF(110, 110), QPointF(210, 110)});
    Canvas first(320, 140);
    const size_t before = glyphCacheBytes();
    first.dev().drawText(black);
    const size_t afterFirst = glyphCacheBytes();
    EXPECT_GT(afterFirst, before);

    Canvas again(320, 140);
    again.dev().drawText(black);
    EXPECT_EQ(glyphCacheBytes(), afterFirst);  // same glyph, same position in the pixel
    EXPECT_EQ(largestDifference(first.finish(), again.finish()), 0);

    Canvas red(320, 140);
    red.dev().drawText(runAt(u"O", f, {QPointF(10, 110)}, Qt::red));
    EXPECT_GT(glyphCacheBytes(), afterFirst);
    EXPECT_EQ(red.at(10 + 8, 110 - 35), qRgb(255, 0, 0));  // the left stroke of the O, in red
}

TEST(GlyphCache, SmallTextAndVectorTargetsKeepNothing)
{
    const size_t before = glyphCacheBytes();
    Canvas small(200, 60);
    small.dev().drawText(runAt(u"small", arial(-20), {QPointF(5, 40), QPointF(17, 40), QPointF(37, 40), QPointF(50, 40), QPointF(56, 40)}));
    EXPECT_GT(inkCount(small.finish()), 20);
    EXPECT_EQ(glyphCacheBytes(), before);

    // A recorded picture (as printers and PDF files get) keeps its glyphs as glyphs.
    QPicture picture;
    {
        QPainter painter(&picture);
        PainterDevice device(painter, DeviceCaps{});
        device.drawText(runAt(u"W", arial(-150), {QPointF(10, 160)}));
    }
    EXPECT_EQ(glyphCacheBytes(), before);
    QImage replayed(200, 200, QImage::Format_RGB32);
    replayed.fill(kWhite);
    {
        QPainter p(&replayed);
        picture.play(&p);
    }
    EXPECT_GT(inkCount(replayed), 1000);
}

TEST(GlyphCache, StaysWithinItsBudget)
{
    const ResolvedFontPtr f = arial(-400);
    const quint32 glyph = f->raw.glyphIndexesForString(QStringLiteral("M")).value(0);
    ASSERT_TRUE(isCacheableGlyphSize(f->raw, QTransform()));
    const CachedGlyph one = cachedGlyph(f->raw, glyph, QTransform(), QPointF(0, 400), qRgb(0, 0, 0));
    const size_t glyphBytes = size_t(one.image.sizeInBytes());
    ASSERT_GT(glyphBytes, size_t(100'000));
    // Enough colours to pass the budget twice over.
    const int colours = int(2 * kGlyphCacheBudgetBytes / glyphBytes) + 2;
    for (int i = 0; i < colours; ++i) {
        cachedGlyph(f->raw, glyph, QTransform(), QPointF(0, 400), qRgb(i & 0xFF, (i >> 8) & 0xFF, 7));
        ASSERT_LE(glyphCacheBytes(), kGlyphCacheBudgetBytes);
    }
    // Far too large a glyph is not kept at all.
    EXPECT_FALSE(isCacheableGlyphSize(arial(-2000)->raw, QTransform()));
    EXPECT_FALSE(isCacheableGlyphSize(arial(-20)->raw, QTransform()));
}
