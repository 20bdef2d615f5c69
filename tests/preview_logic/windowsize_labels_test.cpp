// Opening window size and page aspect; the texts of the zoom list, factor menu and page label.
#include "preview/labeltext.h"
#include "preview/windowsize.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

TEST(WindowSize, LandscapeAndPortrait)
{
    struct Row {
        QSizeF mm;
        QSize screen;
        double width, height;
        bool landscape;
        QSize truncated;
    };
    const Row table[] = {
        {{280, 200}, {1920, 1080}, 1536, 864, true, {1536, 864}},
        {{200, 200}, {1920, 1080}, 1536, 864, true, {1536, 864}},  // square counts as wide
        {{200, 287}, {1920, 1080}, 1152, 864, false, {1152, 864}},
        {{203.2, 266.7}, {1366, 768}, 819.6, 614.4, false, {819, 614}},
    };
    for (const Row& r : table) {
        const kv::PreviewWindowSize s = kv::previewWindowSize(r.mm, r.screen);
        SCOPED_TRACE(testing::Message() << r.mm.width() << "x" << r.mm.height());
        EXPECT_NEAR(s.width, r.width, 1e-9);
        EXPECT_NEAR(s.height, r.height, 1e-9);
        EXPECT_EQ(s.landscape, r.landscape);
        EXPECT_EQ(s.truncated(), r.truncated);
        // The aspect is that of the printable area, not of the window.
        EXPECT_DOUBLE_EQ(s.xyFactor, r.mm.height() / r.mm.width());
        EXPECT_FALSE(s.usedDefaultPage);
    }
}

TEST(WindowSize, NoPrintableAreaGivesUprightA4)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    for (const QSizeF mm : {QSizeF(0, 0), QSizeF(0, 250), QSizeF(210, 0), QSizeF(-210, 297),
                            QSizeF(nan, 297)}) {
        const kv::PreviewWindowSize s = kv::previewWindowSize(mm, {1000, 800});
        SCOPED_TRACE(testing::Message() << mm.width() << "x" << mm.height());
        EXPECT_TRUE(s.usedDefaultPage);
        EXPECT_FALSE(s.landscape);
        EXPECT_DOUBLE_EQ(s.xyFactor, 297.0 / 210.0);
        EXPECT_DOUBLE_EQ(s.width, 600);
        EXPECT_DOUBLE_EQ(s.height, 640);
    }
}

TEST(Labels, ZoomListOfDefaultFactors)
{
    const QStringList labels =
        kv::factorLabels({1, 2, 3, 4, 5, 6, 7, 8, 9}, QStringLiteral("%"));
    ASSERT_EQ(labels.size(), 9);
    for (int i = 0; i < 9; ++i)
        EXPECT_EQ(labels.at(i), QStringLiteral("%1 %").arg((i + 1) * 100)) << i;
}

TEST(Labels, PercentagesRoundToNearest)
{
    struct Row {
        double factor;
        const char* label;
    };
    const Row table[] = {
        {2.5, "250 %"},   {1.5, "150 %"},     {0.75, "75 %"},      {1.05, "105 %"},
        {1.15, "115 %"},  {0.125, "13 %"},    {0.1234, "12 %"},    {0.006, "1 %"},
        {0.004, "0 %"},   {123.45, "12345 %"},  // wider than four places: shown in full
        {1.1500000000000001, "115 %"},
    };
    for (const Row& r : table)
        EXPECT_EQ(kv::factorLabel(r.factor, QStringLiteral("%")), QString::fromUtf8(r.label))
            << r.factor;
}

TEST(Labels, MenuCaptionsAndLookedUpSign)
{
    EXPECT_EQ(kv::factorMenuCaption(1.5, QStringLiteral("%")), QStringLiteral("&150 %"));
    EXPECT_EQ(kv::factorMenuCaption(0.75, QStringLiteral("%")), QStringLiteral("&75 %"));
    EXPECT_EQ(kv::factorMenuCaption(9, QStringLiteral("Prozent")), QStringLiteral("&900 Prozent"));
    EXPECT_EQ(kv::factorLabel(2, QString()), QStringLiteral("200 "));
}

TEST(Labels, PageLabel)
{
    EXPECT_EQ(kv::pageLabel(QStringLiteral("Page number: "), 3, 12),
              QStringLiteral("Page number: 3 / 12"));
    EXPECT_EQ(kv::pageLabel(QStringLiteral("Seite: "), 12345, 20000),
              QStringLiteral("Seite: 12345 / 20000"));
}

TEST(Labels, BrokenValuesStillGiveText)
{
    EXPECT_FALSE(kv::wholeNumberText(1e300).isEmpty());
    EXPECT_FALSE(kv::wholeNumberText(std::numeric_limits<double>::infinity()).isEmpty());
    EXPECT_EQ(kv::wholeNumberText(-49.5), QStringLiteral("-50"));
}

} // namespace
