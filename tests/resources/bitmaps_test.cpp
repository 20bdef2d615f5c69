// Every bitmap name the bar, the menus and the save dialog ask for resolves, in any letter
// case, and draws a real picture at bar size and at twice that.
#include "resourcetestenv.h"

#include <QImage>
#include <QPixmap>

namespace {

using kvtest::ResourceLibraryTest;

// The names exactly as the window and dialogs ask for them.
const char* const kBitmapNames[] = {
    "Top", "Previous", "Next", "Bottom", "Zoom", "UnZoom", "Unzoom", "Two_Pages", "One_Page",
    "TWO_PAGES", "ONE_PAGE", "PAGES4", "PAGES6", "PAGES8", "MINUS", "PLUS", "SAVE", "EMAIL",
    "PRINTER", "PRINTEXIT", "Exit", "OPEN",
};

QImage render(const QIcon& icon, int size)
{
    return icon.pixmap(QSize(size, size), 1.0).toImage().convertToFormat(QImage::Format_ARGB32);
}

double paintedShare(const QImage& image)
{
    int painted = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            painted += qAlpha(image.pixel(x, y)) > 0;
    return double(painted) / (image.width() * image.height());
}

class BitmapNameTest : public ResourceLibraryTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(BitmapNameTest, ResolvesInEveryLetterCaseToTheSamePicture)
{
    const QString name = QString::fromLatin1(GetParam());
    const QImage asAsked = render(kv::bitmap(name), 24);
    ASSERT_FALSE(asAsked.isNull()) << GetParam();
    for (const QString& variant : {name.toLower(), name.toUpper()}) {
        const QIcon icon = kv::bitmap(variant);
        ASSERT_FALSE(icon.isNull()) << variant.toStdString();
        EXPECT_EQ(render(icon, 24), asAsked) << variant.toStdString();
    }
}

TEST_P(BitmapNameTest, DrawsAPictureAtBarSizeAndTwiceThat)
{
    const QIcon icon = kv::bitmap(QString::fromLatin1(GetParam()));
    for (int size : {24, 48}) {
        const QImage image = render(icon, size);
        ASSERT_EQ(image.size(), QSize(size, size)) << GetParam() << " at " << size;
        const double share = paintedShare(image);
        // Neither blank nor a filled square.
        EXPECT_GT(share, 0.05) << GetParam() << " at " << size;
        EXPECT_LT(share, 0.90) << GetParam() << " at " << size;
    }
}

INSTANTIATE_TEST_SUITE_P(AllNames, BitmapNameTest, ::testing::ValuesIn(kBitmapNames),
                         [](const auto& info) { return std::string(info.param); });

TEST_F(ResourceLibraryTest, DistinctCommandsHaveDistinctPictures)
{
    // Pairs that sit side by side on the bar or swap on one button must not look alike.
    const std::pair<const char*, const char*> pairs[] = {
        {"Top", "Previous"}, {"Next", "Bottom"}, {"Zoom", "UnZoom"}, {"One_Page", "Two_Pages"},
        {"PAGES4", "PAGES6"}, {"PAGES6", "PAGES8"}, {"MINUS", "PLUS"}, {"PRINTER", "PRINTEXIT"},
    };
    for (const auto& [a, b] : pairs)
        EXPECT_NE(render(kv::bitmap(a), 24), render(kv::bitmap(b), 24)) << a << " / " << b;
}

TEST_F(ResourceLibraryTest, UnknownBitmapNamesGiveANullIcon)
{
    for (const char* name : {"", "Nothing", "Top.svg", "bitmaps/top", "../dialogs/print", "Lupa", "PRINT"})
        EXPECT_TRUE(kv::bitmap(QString::fromLatin1(name)).isNull()) << name;
}

TEST_F(ResourceLibraryTest, WithoutASelectedLibraryNoBitmapResolves)
{
    kv::restoreResourceSource(QString());
    EXPECT_TRUE(kv::currentResourceSource().isEmpty());
    EXPECT_TRUE(kv::bitmap(QStringLiteral("Top")).isNull());
}

} // namespace
