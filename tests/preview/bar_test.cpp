// The button bar and the menus of a real preview window, driven with the mouse.
#include "previewtestenv.h"

#include "pageview/kvmetafile.h"
#include "preview/barbutton.h"
#include "preview/bargeometry.h"
#include "preview/buttonbar.h"
#include "preview/previewwindow.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QTest>
#include <QTimer>

namespace kvtest {
namespace {

// Bar positions with the Send to button.
enum Btn { Top, Previous, Next, Bottom, ZoomBtn, TwoPages, Reduce, Enlarge, Save, SendTo, Print, PrintExit, Exit };

class BarTest : public PreviewTest {
protected:
    std::vector<bool> navigationEnabled() const
    {
        std::vector<bool> states;
        for (int i = Top; i <= Bottom; ++i)
            states.push_back(button(i)->shownEnabled());
        return states;
    }
};

struct NavigationCase {
    int pages;
    int moveTo;  // page-move code applied through the Page menu, 0: none
    std::vector<bool> expected;
    bool pageCount;
};

class BarNavigationTest : public BarTest, public ::testing::WithParamInterface<NavigationCase> {};

TEST_P(BarNavigationTest, NavigationButtonsFollowTheCurrentPage)
{
    const NavigationCase& c = GetParam();
    open(c.pages);
    ASSERT_FALSE(HasFatalFailure());
    if (c.moveTo == 4)
        pageMenuItem(QStringLiteral("&Last"))->trigger();
    EXPECT_EQ(navigationEnabled(), c.expected) << c.pages << " pages, move " << c.moveTo;
    EXPECT_EQ(button(TwoPages)->shownEnabled(), c.pageCount) << c.pages << " pages";
}

INSTANTIATE_TEST_SUITE_P(PagesAndMoves, BarNavigationTest,
                         ::testing::Values(NavigationCase{1, 0, {false, false, false, false}, false},
                                           NavigationCase{3, 0, {false, false, true, true}, true},
                                           NavigationCase{3, 4, {true, true, false, false}, true},
                                           NavigationCase{12, 0, {false, false, true, true}, true}));

TEST_F(BarTest, PageButtonsMoveAndNeverPassTheEnds)
{
    open(3);
    ASSERT_FALSE(HasFatalFailure());
    click(button(Next));
    EXPECT_EQ(preview->nPage, 2);
    EXPECT_EQ(preview->oPage->text(), QStringLiteral("Page number: 2 / 3"));
    click(button(Bottom));
    EXPECT_EQ(preview->nPage, 3);
    EXPECT_FALSE(button(Next)->shownEnabled());
    tones.clear();
    click(button(Next));
    EXPECT_EQ(preview->nPage, 3);
    ASSERT_EQ(tones.size(), 1u) << "a disabled button sounds";
    EXPECT_EQ(tones[0].first, 277);
    click(button(Top));
    EXPECT_EQ(preview->nPage, 1);
    EXPECT_EQ(slotFile(1), preview->aFiles.at(0));
}

TEST_F(BarTest, ReduceIsEnabledByTheFirstEnlargeClick)
{
    open(2);
    ASSERT_FALSE(HasFatalFailure());
    EXPECT_FALSE(button(Reduce)->shownEnabled());
    click(button(Enlarge));
    EXPECT_TRUE(button(Reduce)->shownEnabled());
    EXPECT_TRUE(preview->lZoom);
    EXPECT_NEAR(kv::nCurFactor, 1.05, 1e-9);
    click(button(Reduce));
    EXPECT_NEAR(kv::nCurFactor, 1.0, 1e-9);
    EXPECT_FALSE(button(Reduce)->shownEnabled());
}

TEST_F(BarTest, DisabledButtonSoundsAndRunsNothing)
{
    open(2);
    ASSERT_FALSE(HasFatalFailure());
    const double before = kv::nCurFactor;
    click(button(Reduce));
    EXPECT_EQ(kv::nCurFactor, before);
    EXPECT_FALSE(preview->lZoom);
    ASSERT_EQ(tones.size(), 1u);
    EXPECT_EQ(tones[0].first, 277);
}

class BarSendToTest : public BarTest, public ::testing::WithParamInterface<bool> {};

TEST_P(BarSendToTest, SendToSettingDecidesTheButtonAndTheFactorLabel)
{
    const bool sendTo = GetParam();
    open(2, {QStringLiteral("[SendTo]"), QStringLiteral("ShowSendTo=%1").arg(sendTo ? 1 : 0)});
    ASSERT_FALSE(HasFatalFailure());
    EXPECT_EQ(buttonCount(), sendTo ? 13 : 12);
    bool emailButton = false;
    for (int i = 0; i < buttonCount(); ++i)
        emailButton |= button(i)->bitmapName() == QLatin1String("EMAIL");
    EXPECT_EQ(emailButton, sendTo);
    QLabel* factor = nullptr;
    for (QLabel* label : preview->oBar->findChildren<QLabel*>())
        if (label->text() == QLatin1String("Factor:"))
            factor = label;
    ASSERT_NE(factor, nullptr);
    EXPECT_EQ(factor->x(), sendTo ? 446 : 416);
    EXPECT_EQ(button(buttonCount() - 1)->geometry().right(), sendTo ? 436 : 406);
    bool sendItem = false;
    for (QAction* item : window().menuBar()->actions().at(0)->menu()->actions())
        sendItem |= item->text() == QLatin1String("Send &to");
    EXPECT_EQ(sendItem, sendTo);
}

INSTANTIATE_TEST_SUITE_P(ShownAndHidden, BarSendToTest, ::testing::Bool());

TEST_F(BarTest, FlatAndBorderedBarsDifferOnlyInLookAndExitTooltip)
{
    std::vector<std::vector<bool>> enabled;
    std::vector<std::vector<QRect>> places;
    for (const bool flat : {false, true}) {
        open(3, {QStringLiteral("NoBorderMenubar=%1").arg(flat ? 1 : 0)});
        ASSERT_FALSE(HasFatalFailure());
        EXPECT_EQ(preview->oBar->flat(), flat);
        EXPECT_EQ(button(Exit)->toolTip(), flat ? QStringLiteral("Exit from preview") : QStringLiteral("Exit"));
        std::vector<bool> states;
        std::vector<QRect> rects;
        for (int i = 0; i < buttonCount(); ++i) {
            states.push_back(button(i)->shownEnabled());
            rects.push_back(button(i)->geometry());
        }
        enabled.push_back(states);
        places.push_back(rects);
        closePreview();
    }
    EXPECT_EQ(enabled[0], enabled[1]);
    EXPECT_EQ(places[0], places[1]);
}

TEST_F(BarTest, PageCountDropDownOpensOnlyFromItsRightEnd)
{
    open(10);
    ASSERT_FALSE(HasFatalFailure());
    kv::BarButtonWidget* pages = button(TwoPages);
    ASSERT_TRUE(pages->hasDropDown());
    const int w = pages->width();
    for (const int x : {w - 13, w - 1}) {
        QMenu* opened = nullptr;
        QTimer::singleShot(0, [&] {
            opened = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            if (opened)
                opened->close();
        });
        click(pages, x);
        EXPECT_EQ(opened, pages->dropDown()) << "x " << x;
        EXPECT_EQ(preview->nViewPages, 1) << "the drop-down runs no action by itself";
    }
    click(pages, w - 14);
    EXPECT_EQ(preview->nViewPages, 2);
    click(pages, 3);
    EXPECT_EQ(preview->nViewPages, 1);
}

TEST_F(BarTest, DropDownItemsFollowThePageCount)
{
    open(3);
    ASSERT_FALSE(HasFatalFailure());
    QMenu* menu = button(TwoPages)->dropDown();
    emit menu->aboutToShow();
    std::vector<bool> states;
    for (QAction* item : menu->actions())
        states.push_back(item->isEnabled());
    EXPECT_EQ(states, (std::vector<bool>{false, true, false, false, false}));
    menu->actions().at(1)->trigger();
    EXPECT_EQ(preview->nViewPages, 2);
}

TEST_F(BarTest, FactorCaptionsComeFromTheZoomSettings)
{
    open(2, {QStringLiteral("[Zoom]"), QStringLiteral("1=1.5"), QStringLiteral("2=0.75")});
    ASSERT_FALSE(HasFatalFailure());
    EXPECT_EQ(preview->aFactor[1]->text(), QStringLiteral("&150 %"));
    EXPECT_EQ(preview->aFactor[2]->text(), QStringLiteral("&75 %"));
    EXPECT_EQ(preview->aFactor[3]->text(), QStringLiteral("&400 %"));
    EXPECT_EQ(preview->oFactor->itemText(1), QStringLiteral("150 %"));
}

TEST_F(BarTest, CheckMarksFollowTheListAndSoftSteps)
{
    open(2);
    ASSERT_FALSE(HasFatalFailure());
    const auto checkedItems = [this] {
        std::vector<int> checked;
        for (int i = 0; i < 9; ++i)
            if (preview->aFactor[size_t(i)]->isChecked())
                checked.push_back(i);
        return checked;
    };
    EXPECT_EQ(checkedItems(), std::vector<int>{0});
    emit preview->oFactor->activated(2);
    EXPECT_EQ(checkedItems(), std::vector<int>{2});
    EXPECT_TRUE(preview->lZoom) << "choosing a factor zooms in";
    EXPECT_DOUBLE_EQ(preview->aMeta[0]->nXZoom, 3);
    EXPECT_DOUBLE_EQ(preview->aMeta[0]->nYZoom, 6);
    EXPECT_EQ(preview->vBar.max, 60);
    click(button(Enlarge));
    EXPECT_TRUE(checkedItems().empty());
    preview->aFactor[4]->trigger();
    EXPECT_EQ(checkedItems(), std::vector<int>{4});
    EXPECT_EQ(preview->oFactor->currentIndex(), 4);
}

TEST_F(BarTest, ZoomFromSixPagesRestoresSixPages)
{
    open(8);
    ASSERT_FALSE(HasFatalFailure());
    preview->SetPages(6);
    click(button(ZoomBtn));
    EXPECT_TRUE(preview->lZoom);
    EXPECT_FALSE(slotVisible(2));
    EXPECT_EQ(button(ZoomBtn)->bitmapName(), QStringLiteral("Unzoom"));
    EXPECT_EQ(preview->nViewPages, 6);
    click(button(ZoomBtn));
    EXPECT_FALSE(preview->lZoom);
    for (int n = 1; n <= 6; ++n)
        EXPECT_TRUE(slotVisible(n)) << "slot " << n;
    EXPECT_FALSE(slotVisible(7));
}

TEST_F(BarTest, DoubleClickOnThirdSlotOfFourZoomsThatPage)
{
    open(10);
    ASSERT_FALSE(HasFatalFailure());
    preview->SetPages(4);
    for (int i = 0; i < 4; ++i)
        preview->ChangePage(1);
    ASSERT_EQ(preview->nPage, 5);
    QTest::mouseDClick(preview->aMeta[2], Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(preview->nPage, 7);
    EXPECT_TRUE(preview->lZoom);
    EXPECT_EQ(slotFile(1), preview->aFiles.at(6));
    EXPECT_EQ(preview->oPage->text(), QStringLiteral("Page number: 7 / 10"));
    // A double-click while zoomed only leaves zoom.
    QTest::mouseDClick(preview->aMeta[0], Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_FALSE(preview->lZoom);
    EXPECT_EQ(preview->nPage, 7);
}

TEST_F(BarTest, ExitButtonClosesThePreview)
{
    open(2);
    ASSERT_FALSE(HasFatalFailure());
    const QStringList moved = preview->aFiles;
    click(button(buttonCount() - 1));
    QCoreApplication::processEvents();
    EXPECT_FALSE(preview->oWnd);
    for (const QString& file : moved)
        EXPECT_FALSE(QFileInfo::exists(file)) << file.toStdString();
}

TEST_F(BarTest, PageMenuConditionsAreTakenWhenItOpens)
{
    open(3);
    ASSERT_FALSE(HasFatalFailure());
    struct Item {
        const char* caption;
        bool enabled;
    };
    const std::vector<Item> start = {{"&First", false}, {"&Previous", false}, {"&Next", true},
                                     {"&Last", true},   {"&1 Page", false},   {"&2 Pages", true},
                                     {"&4 Pages", false}, {"&6 Pages", false}, {"&8 Pages", false}};
    for (const Item& item : start)
        EXPECT_EQ(pageMenuItem(QString::fromLatin1(item.caption))->isEnabled(), item.enabled) << item.caption;
    pageMenuItem(QStringLiteral("&Last"))->trigger();
    EXPECT_FALSE(button(Next)->shownEnabled()) << "the bar is re-evaluated at once";
    EXPECT_FALSE(pageMenuItem(QStringLiteral("&Next"))->isEnabled());
    EXPECT_TRUE(pageMenuItem(QStringLiteral("&First"))->isEnabled());
    // An item whose condition is false runs nothing.
    QAction* next = pageMenuItem(QStringLiteral("&Next"));
    next->setEnabled(true);
    next->trigger();
    EXPECT_EQ(preview->nPage, 3);
}

} // namespace
} // namespace kvtest
