// The settings key table and the typed settings the preview starts from.
#include "platform/settings.h"
#include "platform/inifile.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

using kv::SettingType;

class SettingsTest : public ::testing::Test {
protected:
    QString ini() const { return dir.filePath("KORVELLE.INI"); }
    kv::PreviewSettings loadWith(const QByteArray& content) const
    {
        QFile f(ini());
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(content);
        f.close();
        return kv::loadPreviewSettings(ini());
    }
    QTemporaryDir dir;
};

struct Expected {
    const char* section;
    const char* key;
    SettingType type;
    const char* defaultText;
};

// Every key the program knows, in the order it reads them.
const Expected kExpected[] = {
    {"General", "NoBorderMenubar", SettingType::Flag, "0"},
    {"General", "Maximize", SettingType::Flag, "1"},
    {"General", "MultiPreview", SettingType::Flag, "0"},
    {"General", "PageBorder", SettingType::Flag, "0"},
    {"General", "ZoomAtStart", SettingType::Flag, "0"},
    {"General", "SetParentWindow", SettingType::Flag, "0"},
    {"General", "PageBorderStyle", SettingType::Number, "2"},
    {"General", "ShadowDepth", SettingType::Number, "5"},
    {"General", "ShadowWidth", SettingType::Number, "5"},
    {"General", "ApplicationName", SettingType::Text, ""},
    {"General", "Icon", SettingType::Text, ""},
    {"SendTo", "ShowSendTo", SettingType::Flag, "1"},
    {"Zoom", "SoftZoom", SettingType::Number, "0.05"},
    {"General", "BackgroundColor", SettingType::Color, ""},
    {"General", "ShadowColor", SettingType::Color, ""},
    {"General", "PageBorderColor", SettingType::Color, ""},
    {"General", "Language", SettingType::Number, "1"},
    {"Zoom", "1", SettingType::Number, ""},
    {"Zoom", "2", SettingType::Number, ""},
    {"Zoom", "3", SettingType::Number, ""},
    {"Zoom", "4", SettingType::Number, ""},
    {"Zoom", "5", SettingType::Number, ""},
    {"Zoom", "6", SettingType::Number, ""},
    {"Zoom", "7", SettingType::Number, ""},
    {"Zoom", "8", SettingType::Number, ""},
    {"General", "EmfPlus", SettingType::Flag, "1"},
    {"General", "WindowLeft", SettingType::Number, "0"},
    {"General", "WindowTop", SettingType::Number, "0"},
    {"General", "WindowWidth", SettingType::Number, "0"},
    {"General", "WindowHeight", SettingType::Number, "0"},
    {"General", "ViewPages", SettingType::Number, "1"},
    {"General", "Thumbnails", SettingType::Flag, "0"},
    {"Save2File", "FileName", SettingType::Text, ""},
    {"Save2File", "Overwrite", SettingType::Flag, "1"},
    {"Save2File", "ZipFiles", SettingType::Flag, "0"},
    {"Save2File", "Format", SettingType::Text, "BMP - Windows Bitmap"},
    {"Save2File", "Option", SettingType::Text, ""},
    {"Save2File", "Resolution", SettingType::Number, "150"},
};

TEST_F(SettingsTest, TableHoldsEveryKeyInReadingOrder)
{
    const auto keys = kv::settingsKeys();
    ASSERT_EQ(keys.size(), std::size(kExpected));
    for (size_t i = 0; i < keys.size(); ++i) {
        SCOPED_TRACE(kExpected[i].key);
        EXPECT_STREQ(keys[i].section, kExpected[i].section);
        EXPECT_STREQ(keys[i].key, kExpected[i].key);
        EXPECT_EQ(keys[i].type, kExpected[i].type);
        EXPECT_STREQ(keys[i].defaultText, kExpected[i].defaultText);
    }
}

TEST_F(SettingsTest, FindsKeysWithoutRegardToCase)
{
    const kv::SettingKey* key = kv::findSettingKey("save2file", "FORMAT");
    ASSERT_NE(key, nullptr);
    EXPECT_STREQ(key->defaultText, "BMP - Windows Bitmap");
    EXPECT_EQ(kv::findSettingKey("General", "NoSuchKey"), nullptr);
}

TEST_F(SettingsTest, NoSettingsFileGivesEveryDefault)
{
    const kv::PreviewSettings s = kv::loadPreviewSettings(dir.filePath("MISSING.INI"));
    EXPECT_FALSE(s.lNoBorder);
    EXPECT_TRUE(s.lMaximize);
    EXPECT_FALSE(s.lMultiPrev);
    EXPECT_FALSE(s.lPageBorder);
    EXPECT_FALSE(s.lZoomAtStart);
    EXPECT_FALSE(s.lSetParent);
    EXPECT_EQ(s.nPageBorStyle, 2);
    EXPECT_EQ(s.nShadow_Deep, 5);
    EXPECT_EQ(s.nShadow_Width, 5);
    EXPECT_EQ(s.cAppName, "");
    EXPECT_EQ(s.cIcon, "");
    EXPECT_TRUE(s.lShowSendTo);
    EXPECT_DOUBLE_EQ(s.nSoftZoom, 0.05);
    EXPECT_EQ(s.nBackClr, 128 + 128 * 256 + 128 * 65536);
    EXPECT_EQ(s.nShadow_Color, 0);
    EXPECT_EQ(s.nPageBorColor, 0);
    EXPECT_EQ(s.nLanguage, 1);
    EXPECT_FALSE(s.lThumbnails);
    EXPECT_EQ(s.nViewPages, 1);
    EXPECT_EQ(s.nWindowWidth, 0);
    EXPECT_EQ(s.aZoomFactor, (std::vector<double>{1, 2, 3, 4, 5, 6, 7, 8, 9}));
    EXPECT_TRUE(s.lEmfPlus);
}

// Each preview key set to a value of its own lands in its own member, and in no other.
TEST_F(SettingsTest, EveryKeyFeedsItsOwnMember)
{
    const kv::PreviewSettings s = loadWith(
        "[general]\nNoBorderMenubar=1\nMaximize=0\nMultiPreview=1\nPageBorder=1\nZoomAtStart=1\n"
        "SetParentWindow=1\nPageBorderStyle=7\nShadowDepth=11\nShadowWidth=13\n"
        "ApplicationName=Invoices\nIcon=app.ico\nBackgroundColor=1,0,0\nShadowColor=0,1,0\n"
        "PageBorderColor=0,0,1\nLanguage=3\nEmfPlus=0\n"
        "[SENDTO]\nshowsendto=0\n"
        "[Zoom]\nSoftZoom=0.25\n1=1.5\n2=2.5\n3=3.5\n4=4.5\n5=5.5\n6=6.5\n7=7.5\n8=8.5\n");
    EXPECT_TRUE(s.lNoBorder);
    EXPECT_FALSE(s.lMaximize);
    EXPECT_TRUE(s.lMultiPrev);
    EXPECT_TRUE(s.lPageBorder);
    EXPECT_TRUE(s.lZoomAtStart);
    EXPECT_TRUE(s.lSetParent);
    EXPECT_EQ(s.nPageBorStyle, 7);
    EXPECT_EQ(s.nShadow_Deep, 11);
    EXPECT_EQ(s.nShadow_Width, 13);
    EXPECT_EQ(s.cAppName, "Invoices");
    EXPECT_EQ(s.cIcon, "app.ico");
    EXPECT_FALSE(s.lShowSendTo);
    EXPECT_DOUBLE_EQ(s.nSoftZoom, 0.25);
    EXPECT_EQ(s.nBackClr, 1);
    EXPECT_EQ(s.nShadow_Color, 256);
    EXPECT_EQ(s.nPageBorColor, 65536);
    EXPECT_EQ(s.nLanguage, 3);
    EXPECT_FALSE(s.lEmfPlus);
    EXPECT_EQ(s.aZoomFactor, (std::vector<double>{1, 1.5, 2.5, 3.5, 4.5, 5.5, 6.5, 7.5, 8.5}));
}

TEST_F(SettingsTest, FlagsAreOnOnlyWhenTheyBeginWithOne)
{
    EXPECT_FALSE(loadWith("[General]\nMaximize=yes\n").lMaximize);
    EXPECT_FALSE(loadWith("[General]\nMaximize=0\n").lMaximize);
    EXPECT_FALSE(loadWith("[General]\nMaximize=\n").lMaximize) << "present but empty is off";
    EXPECT_TRUE(loadWith("[General]\nMaximize=1yes\n").lMaximize);
    EXPECT_TRUE(loadWith("[General]\nPageBorder=10\n").lPageBorder);
}

TEST_F(SettingsTest, ZoomKeysGiveTheirFactorOrTheirPlace)
{
    struct Case { const char* value; double want; };
    const Case cases[] = {{"2.5", 2.5}, {"0", 4}, {"", 4}, {"abc", 4}, {"0.0", 4}, {"12", 12}, {"1,5", 1}};
    for (const Case& c : cases) {
        const kv::PreviewSettings s = loadWith(QByteArray("[Zoom]\n3=") + c.value + "\n");
        ASSERT_EQ(s.aZoomFactor.size(), 9u);
        EXPECT_DOUBLE_EQ(s.aZoomFactor[3], c.want) << '"' << c.value << '"';
        EXPECT_DOUBLE_EQ(s.aZoomFactor[0], 1.0);
        EXPECT_DOUBLE_EQ(s.aZoomFactor[2], 3.0);
    }
}

TEST_F(SettingsTest, LanguagePresentButEmptyIsCollectMode)
{
    EXPECT_EQ(loadWith("[General]\nLanguage=\n").nLanguage, 0);
    EXPECT_EQ(loadWith("[General]\nMaximize=1\n").nLanguage, 1);
    EXPECT_EQ(loadWith("[General]\nLanguage=2\n").nLanguage, 2);
}

TEST_F(SettingsTest, ColoursFollowTheirNotation)
{
    EXPECT_EQ(loadWith("[General]\nBackgroundColor=255,255,255\n").nBackClr, 16777215);
    EXPECT_EQ(loadWith("[General]\nBackgroundColor=16777215\n").nBackClr, 16777215);
    EXPECT_EQ(loadWith("[General]\nBackgroundColor=\n").nBackClr, 8421504);
    EXPECT_EQ(loadWith("[General]\nShadowColor=abc\n").nShadow_Color, 0);
    EXPECT_EQ(loadWith("[General]\nPageBorderColor=300,0,0\n").nPageBorColor, 300);
}

// Odd values reach the preview as they stand; it is the preview that guards against them.
TEST_F(SettingsTest, OddValuesAreReadFaithfully)
{
    const kv::PreviewSettings s =
        loadWith("[Zoom]\nSoftZoom=0\n1=-2\n[General]\nLanguage=250\nShadowDepth=-1\n");
    EXPECT_EQ(s.nSoftZoom, 0);
    EXPECT_EQ(s.aZoomFactor[1], -2);
    EXPECT_EQ(s.nLanguage, 250);
    EXPECT_EQ(s.nShadow_Deep, -1);
}

} // namespace
