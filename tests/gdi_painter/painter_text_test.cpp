// Text of the painter device: glyphs where the origins say, rotation, decorations, boxes.
#include "paintertestutil.h"

#include "gdi/text/codepages.h"

#include <QtMath>
#include <gtest/gtest.h>

using namespace kv::gdi;
using namespace kvtest;

namespace {

ResolvedFontPtr font(const char16_t* face, double height, uint8_t underline = 0, uint8_t charSet = 0)
{
    LogFont lf;
    lf.faceName = face;
    lf.height = int32_t(height);
    lf.underline = underline;
    lf.charSet = charSet;
    return resolveFont(lf, height, 0);
}

// A run laid out with the font's own advances along a baseline turned by `angle` degrees.
TextRun layoutRun(std::u16string text, ResolvedFontPtr f, QPointF start, double angle = 0)
{
    TextRun run;
    run.text = std::move(text);
    run.font = std::move(f);
    run.color = Qt::black;
    run.angle = angle;
    const QPointF step(std::cos(qDegreesToRadians(angle)), -std::sin(qDegreesToRadians(angle)));
    QPointF at = start;
    for (char16_t ch : run.text) {
        run.origins.push_back(at);
        at += step * run.font->advance(ch);
    }
    return run;
}

} // namespace

TEST(PainterText, InkSitsOnTheBaselineInsideTheRunsBox)
{
    Canvas c(300, 100);
    const TextRun run = layoutRun(u"Hxgh", font(u"Arial", -40), QPointF(20, 60));
    c.dev().drawText(run);
    const auto ink = inkBounds(c.finish());
    ASSERT_TRUE(ink);
    const double width = run.font->textWidth(run.text);
    EXPECT_GE(ink->left(), 20);
    EXPECT_LE(ink->right(), 20 + width + 1);
    EXPECT_GE(ink->top(), 60 - run.font->ascent - 1);
    EXPECT_LE(ink->bottom(), 60 + run.font->descent + 1);
    // 'H' stands on the baseline, 'g' hangs below it.
    EXPECT_NEAR(inkBounds(c.image, QRect(20, 0, 20, 100))->bottom(), 59, 1);
    EXPECT_GT(ink->bottom(), 62);
}

TEST(PainterText, EachGlyphStartsAtItsOrigin)
{
    Canvas c(300, 80);
    TextRun run;
    run.text = u"II";
    run.font = font(u"Arial", -40);
    run.color = Qt::black;
    run.origins = {QPointF(10, 50), QPointF(200, 50)};  // far apart: the origins rule, not advances
    c.dev().drawText(run);
    const QImage& img = c.finish();
    const auto first = inkBounds(img, QRect(0, 0, 100, 80));
    const auto second = inkBounds(img, QRect(150, 0, 150, 80));
    ASSERT_TRUE(first && second);
    EXPECT_NEAR(first->left(), 10 + 4, 4);
    EXPECT_NEAR(second->left(), 200 + 4, 4);
}

TEST(PainterText, RotatedRunInksAlongTheTurnedBaseline)
{
    Canvas c(200, 200);
    const TextRun run = layoutRun(u"IIIIIIIIIIII", font(u"Arial", -20), QPointF(50, 150), 90);
    c.dev().drawText(run);
    const auto ink = inkBounds(c.finish());
    ASSERT_TRUE(ink);
    // Straight up from the origin: tall and narrow, to the left of x = 50 (the glyphs' tops).
    EXPECT_GT(ink->height(), 3 * ink->width());
    EXPECT_LE(ink->bottom(), 151);
    EXPECT_LE(ink->right(), 51);
    EXPECT_GE(ink->left(), 50 - run.font->ascent - 1);
}

TEST(PainterText, UnderlineRunsFromTheFirstOriginToTheLastAdvance)
{
    Canvas c(300, 100);
    const TextRun run = layoutRun(u"a a", font(u"Arial", -30, 1), QPointF(20, 50));
    c.dev().drawText(run);
    const QImage& img = c.finish();
    const double end = 20 + run.font->textWidth(run.text);
    int underlined = 0;
    for (int x = 21; x < int(end) - 1; ++x)
        underlined += inkCount(img, QRect(x, 51, 1, 8)) > 0;
    EXPECT_EQ(underlined, int(end) - 1 - 21);  // under the space too
    EXPECT_EQ(inkCount(img, QRect(int(end) + 2, 0, 50, 100)), 0);
}

TEST(PainterText, OpaqueBoxIsFilledAndClipBoxCuts)
{
    Canvas c(200, 60);
    TextRun run = layoutRun(u"WWWWWW", font(u"Arial", -30), QPointF(10, 40));
    run.opaqueBox = QPolygonF(QRectF(5, 5, 60, 50));
    run.opaqueColor = QColor(255, 255, 0);
    run.clipBox = QPolygonF(QRectF(5, 5, 60, 50));
    c.dev().drawText(run);
    const QImage& img = c.finish();
    EXPECT_EQ(img.pixel(6, 6), qRgb(255, 255, 0));
    EXPECT_EQ(inkCount(img, QRect(66, 0, 134, 60)), 0);
    EXPECT_GT(inkCount(img, QRect(5, 5, 60, 50)), 50);
}

TEST(PainterText, SymbolCharsetTextDrawsGreek)
{
    const ResolvedFontPtr symbol = font(u"Symbol", -40, 0, SYMBOL_CHARSET);
    const std::u16string text = decodeAnsi("a", SYMBOL_CHARSET);
    ASSERT_EQ(text, u"\uF061");
    // The same glyph for the private-use code and the plain byte, and a real one.
    const auto glyphOf = [&](char16_t ch) { return symbol->raw.glyphIndexesForString(QString(QChar(symbol->drawnChar(ch)))).value(0); };
    EXPECT_NE(glyphOf(text[0]), 0u);
    EXPECT_EQ(glyphOf(text[0]), glyphOf(u'a'));
    if (symbol->adobeSymbol)
        EXPECT_EQ(symbol->drawnChar(text[0]), u'\u03B1');
    Canvas c(100, 80);
    c.dev().drawText(layoutRun(text, symbol, QPointF(10, 50)));
    EXPECT_GT(inkCount(c.finish()), 20);
}

TEST(PainterText, NopRasterOperationDrawsNoGlyphs)
{
    Canvas c(100, 60);
    TextRun run = layoutRun(u"Hello", font(u"Arial", -30), QPointF(5, 40));
    run.rop2 = R2_NOP;
    c.dev().drawText(run);
    EXPECT_EQ(inkCount(c.finish()), 0);
}

// A character the face lacks (CJK in a Latin face), four pixels high and stretched to fifty times
// its width: FreeType's rasteriser overflows on a glyph that wide, and Qt then read from a null
// bitmap (found by fuzz_wmf; its input is kept in fuzz/corpus/wmf). It is drawn, from its outline.
TEST(PainterText, AFallbackGlyphStretchedThousandsOfPixelsWideIsDrawn)
{
    QImage image(2048, 64, QImage::Format_RGB32);  // wide enough for much of the glyph
    image.fill(kWhite);
    {
        QPainter painter(&image);
        PainterDevice device(painter, DeviceCaps{});
        LogFont lf;
        lf.faceName = u"Arial";
        lf.height = -4;
        const ResolvedFontPtr wide = resolveFont(lf, -4, 400);
        ASSERT_GT(wide->font.stretch(), 1000) << "the case needs a strongly stretched font";
        TextRun run;
        run.text = u"\u5300";
        run.font = wide;
        run.color = Qt::black;
        run.origins.push_back(QPointF(0, 40));
        device.drawText(run);
    }
    EXPECT_TRUE(inkBounds(image).has_value());
}

namespace {

// The bounding box of every pixel the run changed, however faintly.
std::optional<QRect> touchedBounds(const QImage& image)
{
    int left = INT32_MAX, top = INT32_MAX, right = INT32_MIN, bottom = INT32_MIN;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if ((image.pixel(x, y) | 0xFF000000u) != kWhite) {
                left = std::min(left, x), right = std::max(right, x);
                top = std::min(top, y), bottom = std::max(bottom, y);
            }
    if (left > right)
        return std::nullopt;
    return QRect(QPoint(left, top), QPoint(right, bottom));
}

QImage drawn(const TextRun& run)
{
    Canvas c(480, 160);
    c.dev().drawText(run);
    return c.finish();
}

} // namespace

// Runs whose box holds all their ink are drawn without clipping; a box that misses even one
// pixel row or column of it must still cut, for faces, sizes (up to glyphs too large for Qt's
// glyph cache) and sub-pixel starts alike.
TEST(PainterText, ClipBoxCutsTheLastPixelOfInkOnEverySide)
{
    int runs = 0;
    for (const char16_t* face : {u"Arial", u"Courier New", u"Times New Roman"})
        for (const double height : {-9.0, -17.0, -33.0, -90.0})
            for (const double fraction : {0.0, 0.25, 0.5, 0.8}) {
                const TextRun plain = layoutRun(u"\u00C5gjW|y", font(face, height), QPointF(20 + fraction, 110 + fraction));
                const QImage unclipped = drawn(plain);
                const std::optional<QRect> ink = touchedBounds(unclipped);
                ASSERT_TRUE(ink);
                TextRun roomy = plain;
                roomy.clipBox = QPolygonF(QRectF(ink->adjusted(-1, -1, 2, 2)));
                EXPECT_EQ(drawn(roomy), unclipped);
                const QRect tight[] = {ink->adjusted(1, 0, 1, 1), ink->adjusted(0, 1, 1, 1),
                                       ink->adjusted(0, 0, 0, 1), ink->adjusted(0, 0, 1, 0)};
                for (const QRect& box : tight) {
                    TextRun cut = plain;
                    cut.clipBox = QPolygonF(QRectF(box));
                    const std::optional<QRect> left = touchedBounds(drawn(cut));
                    ASSERT_TRUE(left);
                    EXPECT_TRUE(box.contains(*left)) << "box " << box.x() << ',' << box.y() << ' ' << box.width() << 'x'
                                                     << box.height() << " at height " << height << " + " << fraction;
                    ++runs;
                }
            }
    EXPECT_EQ(runs, 3 * 4 * 4 * 4);
}
