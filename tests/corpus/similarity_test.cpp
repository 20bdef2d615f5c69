// The page agreement measure: what it forgives (small shifts), what it charges for (missing,
// extra or far-moved ink, colour), its resampling, and agreement with the corpus scorer.
#include "similarity.h"
#include "testenv.h"

#include <QFileInfo>
#include <QPainter>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

using kvtest::pageSimilarity;

QImage page(int w = 120, int h = 80)
{
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(Qt::white);
    return image;
}

QImage withRect(QImage image, const QRect& r, QColor colour = Qt::black)
{
    QPainter(&image).fillRect(r, colour);
    return image;
}

TEST(PageSimilarity, BlankAndIdenticalPages)
{
    const QImage drawn = withRect(page(), QRect(10, 10, 30, 20));
    EXPECT_DOUBLE_EQ(pageSimilarity(page(), page()), 1.0);
    EXPECT_DOUBLE_EQ(pageSimilarity(drawn, drawn), 1.0);
    EXPECT_DOUBLE_EQ(pageSimilarity(drawn, page()), 0.0);
    EXPECT_DOUBLE_EQ(pageSimilarity(page(), drawn), 0.0);
}

TEST(PageSimilarity, ShiftsUpToTwoPixelsAreFreeFartherOnesCost)
{
    const QImage line = withRect(page(), QRect(50, 10, 1, 60));
    EXPECT_DOUBLE_EQ(pageSimilarity(line, withRect(page(), QRect(52, 10, 1, 60))), 1.0);
    EXPECT_DOUBLE_EQ(pageSimilarity(line, withRect(page(), QRect(50, 12, 1, 60))), 1.0);
    EXPECT_DOUBLE_EQ(pageSimilarity(line, withRect(page(), QRect(53, 10, 1, 60))), 0.0);
    // Two pixels across and two down at once is still within the square neighbourhood.
    EXPECT_DOUBLE_EQ(pageSimilarity(line, withRect(page(), QRect(52, 12, 1, 60))), 1.0);
}

TEST(PageSimilarity, MissingAndExtraInkCostAsAHarmonicMean)
{
    const QImage one = withRect(page(), QRect(10, 10, 20, 20));
    const QImage two = withRect(one, QRect(70, 10, 20, 20));
    // Half the reference's ink missing: recall 1/2, precision 1.
    EXPECT_NEAR(pageSimilarity(two, one), 2.0 / 3.0, 1e-6);
    // Our extra ink: recall 1, precision 1/2.
    EXPECT_NEAR(pageSimilarity(one, two), 2.0 / 3.0, 1e-6);
}

TEST(PageSimilarity, ColourAndGreyCountAsPartialInk)
{
    const QRect r(10, 10, 20, 20);
    // Pure yellow: luminance 0.886, saturation 1, ink 0.614; black has ink 1.
    const double yellowInk = 1 - (0.299 + 0.587) + 0.5;
    const double recall = yellowInk;  // ours (yellow) covers that much of the black
    EXPECT_NEAR(pageSimilarity(withRect(page(), r), withRect(page(), r, Qt::yellow)), 2 * recall / (recall + 1), 1e-5);
    EXPECT_DOUBLE_EQ(pageSimilarity(page(), withRect(page(), r, Qt::white)), 1.0);
}

TEST(PageSimilarityResample, UniformStaysUniformAndStripesAverage)
{
    const QImage grey = [] { QImage i = page(40, 30); i.fill(QColor(90, 120, 200)); return i; }();
    const QImage smaller = kvtest::resampleBilinear(grey, QSize(17, 11));
    ASSERT_EQ(smaller.size(), QSize(17, 11));
    for (int y = 0; y < smaller.height(); ++y)
        for (int x = 0; x < smaller.width(); ++x)
            ASSERT_EQ(smaller.pixel(x, y) & 0xFFFFFF, 0x5A78C8u) << x << ',' << y;
    QImage stripes = page(40, 4);
    for (int x = 0; x < 40; x += 2)
        stripes = withRect(stripes, QRect(x, 0, 1, 4));
    const QImage halved = kvtest::resampleBilinear(stripes, QSize(20, 4));
    // Each output pixel spans one black and one white column (and a quarter of each
    // neighbour): half grey.
    EXPECT_NEAR(qRed(halved.pixel(10, 2)), 128, 1);
    // Upscaling interpolates between neighbours.
    QImage edge = withRect(page(2, 1), QRect(0, 0, 1, 1));
    const QImage wide = kvtest::resampleBilinear(edge, QSize(8, 1));
    EXPECT_EQ(qRed(wide.pixel(0, 0)), 0);
    EXPECT_EQ(qRed(wide.pixel(7, 0)), 255);
    EXPECT_LT(qRed(wide.pixel(3, 0)), qRed(wide.pixel(4, 0)));
}

// The same numbers as the corpus scorer, also across a resize (the corpus' own pages are
// compared by the gate; these are shapes that exercise every step).
TEST(PageSimilarity, AgreesWithTheCorpusScorer)
{
    const QString scorer = QStringLiteral(KV_SOURCE_DIR) + "/../shared/tools/similarity.py";
    if (!QFileInfo::exists(scorer) || !QFileInfo::exists("/usr/bin/python3"))
        GTEST_SKIP() << "no corpus scorer at ../shared/tools";
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QImage ref = withRect(page(300, 200), QRect(20, 20, 100, 3));
    ref = withRect(ref, QRect(150, 40, 40, 90), QColor(200, 30, 30));
    ref = withRect(ref, QRect(30, 120, 80, 50), QColor(128, 128, 128));
    struct Case { const char* what; QImage ours; };
    const std::vector<Case> cases = {
        {"moved", withRect(withRect(page(300, 200), QRect(24, 21, 100, 3)), QRect(150, 40, 40, 90), QColor(200, 60, 30))},
        {"larger", withRect(withRect(page(337, 231), QRect(22, 23, 113, 4)), QRect(170, 45, 44, 100), Qt::blue)},
        {"smaller", withRect(withRect(page(211, 139), QRect(14, 14, 70, 2)), QRect(21, 84, 56, 35), Qt::darkGray)},
    };
    ref.save(dir.filePath("ref.png"));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(c.ours.save(dir.filePath("ours.png")));
        QProcess python;
        python.start("/usr/bin/python3", {scorer, dir.filePath("ref.png"), dir.filePath("ours.png")});
        ASSERT_TRUE(python.waitForFinished(60000));
        if (python.exitCode() != 0)
            GTEST_SKIP() << "the corpus scorer does not run here: " << python.readAllStandardError().constData();
        bool ok = false;
        const double theirs = QString::fromUtf8(python.readAllStandardOutput()).trimmed().toDouble(&ok);
        ASSERT_TRUE(ok);
        EXPECT_NEAR(pageSimilarity(QImage(dir.filePath("ref.png")), QImage(dir.filePath("ours.png"))), theirs, 6e-5);
    }
}

} // namespace
