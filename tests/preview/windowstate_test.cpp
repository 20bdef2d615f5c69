// The window as the user left it comes back on the next start: place and size, the pages
// shown at once and the thumbnail panel, kept in section General; Maximize=1 still wins.
#include "previewtestenv.h"

#include "platform/inifile.h"
#include "preview/previewwindow.h"
#include "preview/thumbnailpanel.h"
#include "preview/windowstate.h"

#include <QAction>
#include <QApplication>

namespace kvtest {
namespace {

class WindowStateTest : public PreviewTest {
protected:
    QString ini() const { return cwd.filePath(QStringLiteral("KORVELLE.INI")); }
    QString general(const char* key) const
    {
        return kv::IniFile(ini()).readString(QStringLiteral("General"), QLatin1String(key));
    }
};

TEST_F(WindowStateTest, PlaceSizePageCountAndPanelComeBackOnTheNextStart)
{
    open(6);
    ASSERT_FALSE(HasFatalFailure());
    window().setGeometry(40, 50, 900, 640);
    QCoreApplication::processEvents();
    preview->SetPages(4);
    preview->ShowThumbnails(true);
    const QRect left = window().normalGeometry();
    preview->oWnd->close();
    QCoreApplication::processEvents();

    EXPECT_EQ(general("WindowLeft"), QString::number(left.left()));
    EXPECT_EQ(general("WindowTop"), QString::number(left.top()));
    EXPECT_EQ(general("WindowWidth"), QStringLiteral("900"));
    EXPECT_EQ(general("WindowHeight"), QStringLiteral("640"));
    EXPECT_EQ(general("ViewPages"), QStringLiteral("4"));
    EXPECT_EQ(general("Thumbnails"), QStringLiteral("1"));

    // The test environment opens with Maximize=0 and the settings as they were left.
    const kv::PreviewSettings settings = kv::loadPreviewSettings(ini());
    EXPECT_EQ(kv::windowStateFrom(settings), (kv::WindowState{left, 4, true}));
}

TEST_F(WindowStateTest, TheNextWindowOpensAsTheLastOneWasLeft)
{
    const QStringList kept{QStringLiteral("WindowLeft=60"), QStringLiteral("WindowTop=70"),
                           QStringLiteral("WindowWidth=800"), QStringLiteral("WindowHeight=600"),
                           QStringLiteral("ViewPages=2"), QStringLiteral("Thumbnails=1")};
    sizeFrameAfterOpening = false;
    open(6, kept);
    ASSERT_FALSE(HasFatalFailure());
    EXPECT_EQ(window().geometry(), QRect(60, 70, 800, 600));
    EXPECT_EQ(preview->nViewPages, 2);
    EXPECT_TRUE(slotVisible(2));
    EXPECT_TRUE(preview->ThumbnailsShown());
    EXPECT_TRUE(preview->oMenuThumbs->isChecked());
    EXPECT_GE(slot(1).left(), preview->oThumbs->geometry().right());
}

TEST_F(WindowStateTest, MaximizeStillWinsOverTheKeptSize)
{
    sizeFrameAfterOpening = false;
    open(2, {QStringLiteral("Maximize=1"), QStringLiteral("WindowWidth=500"), QStringLiteral("WindowHeight=400")});
    ASSERT_FALSE(HasFatalFailure());
    EXPECT_TRUE(window().windowState().testFlag(Qt::WindowMaximized));
    EXPECT_NE(window().size(), QSize(500, 400));
}

TEST(WindowStateRules, OnlyUsableGeometriesAndPageCountsAreTakenUp)
{
    const QList<QRect> screen{QRect(0, 0, 1920, 1080)};
    struct Case {
        const char* what;
        QRect kept;
        bool usable;
    };
    const Case cases[] = {
        {"on the screen", QRect(100, 100, 800, 600), true},
        {"partly off the right edge", QRect(1500, 100, 800, 600), true},
        {"on a screen since unplugged", QRect(2500, 100, 800, 600), false},
        {"title above the screen", QRect(100, -200, 800, 600), false},
        {"too small to use", QRect(100, 100, 40, 30), false},
        {"none kept", QRect(), false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(kv::restorableGeometry(kv::WindowState{c.kept, 1, false}, screen).has_value(), c.usable) << c.what;

    kv::PreviewSettings s;
    for (const auto& [pages, taken] : {std::pair{3.0, 1}, std::pair{6.0, 6}, std::pair{-2.0, 1}, std::pair{8.0, 8}}) {
        s.nViewPages = pages;
        EXPECT_EQ(kv::windowStateFrom(s).viewPages, taken) << pages;
    }
}

} // namespace
} // namespace kvtest
