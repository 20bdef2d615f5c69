// The mouse wheel over the pages: turns pages in the normal view, scrolls the zoomed page,
// and Ctrl+wheel steps the zoom.
#include "previewtestenv.h"

#include "pageview/kvmetafile.h"

#include <QApplication>
#include <QComboBox>
#include <QWheelEvent>

namespace kvtest {
namespace {

class WheelTest : public PreviewTest {
protected:
    // One notch (120) per step; positive rolls away from the user (up).
    void roll(int notches, Qt::KeyboardModifiers modifiers = {})
    {
        QWidget* target = preview->aMeta[0];
        const QPointF at(target->width() / 2.0, target->height() / 2.0);
        QWheelEvent event(at, target->mapToGlobal(at), QPoint(), QPoint(0, 120 * notches),
                          Qt::NoButton, modifiers, Qt::NoScrollPhase, false);
        QApplication::sendEvent(target, &event);
    }
};

TEST_F(WheelTest, TurnsPagesInTheNormalViewWithoutPassingTheEnds)
{
    open(3);
    ASSERT_FALSE(HasFatalFailure());
    roll(-1);
    EXPECT_EQ(preview->nPage, 2);
    roll(-5);
    EXPECT_EQ(preview->nPage, 3);
    roll(1);
    EXPECT_EQ(preview->nPage, 2);
    roll(4);
    EXPECT_EQ(preview->nPage, 1);
    EXPECT_EQ(preview->PageLabelText(), QStringLiteral("Page number: 1 / 3"));
}

TEST_F(WheelTest, ScrollsTheZoomedPageAndCtrlSteersTheZoom)
{
    open(2);
    ASSERT_FALSE(HasFatalFailure());
    roll(1, Qt::ControlModifier);
    EXPECT_NEAR(kv::nCurFactor, 1.05, 1e-9);
    ASSERT_TRUE(preview->lZoom);
    const int thumb = preview->vBar.pos;
    roll(-2);
    EXPECT_EQ(preview->vBar.pos, thumb + 2);
    EXPECT_GT(preview->aMeta[0]->nYorig, 0);
    EXPECT_EQ(preview->nPage, 1);  // zoomed, the wheel never turns the page
    roll(-1, Qt::ShiftModifier);
    EXPECT_EQ(preview->hBar.pos, 2);
    EXPECT_GT(preview->aMeta[0]->nXorig, 0);
    roll(-1, Qt::ControlModifier);
    EXPECT_NEAR(kv::nCurFactor, 1.0, 1e-9);
}

} // namespace
} // namespace kvtest

namespace kvtest {
namespace {

// What the closed zoom list shows: its current entry, or without one its placeholder.
QString shownFactor(const QComboBox& list)
{
    return list.currentIndex() >= 0 ? list.currentText() : list.placeholderText();
}

TEST_F(WheelTest, TheZoomListShowsTheFactorInForce)
{
    open(2);
    ASSERT_FALSE(HasFatalFailure());
    QComboBox* list = preview->oFactor;
    ASSERT_TRUE(list);
    EXPECT_EQ(shownFactor(*list), QStringLiteral("100 %"));
    roll(1, Qt::ControlModifier);
    EXPECT_EQ(shownFactor(*list), QStringLiteral("105 %"));
    preview->SoftZoom(true);
    EXPECT_EQ(shownFactor(*list), QStringLiteral("110 %"));
    // Picking an entry shows it; a soft step from there shows the step's factor.
    list->setCurrentIndex(2);
    emit list->activated(2);
    EXPECT_EQ(shownFactor(*list), QStringLiteral("300 %"));
    preview->SoftZoom(false);
    EXPECT_EQ(shownFactor(*list), QStringLiteral("295 %"));
    EXPECT_EQ(list->count(), 9) << "the factor in force is no entry of its own";
    roll(1, Qt::ControlModifier);
    EXPECT_EQ(list->currentIndex(), 2);
}

} // namespace
} // namespace kvtest
