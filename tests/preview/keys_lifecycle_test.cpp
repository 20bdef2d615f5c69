// Keys on the first page view, the window title, and what closing the window leaves behind.
#include "previewtestenv.h"

#include "pageview/kvmetafile.h"
#include "preview/barbutton.h"
#include "preview/previewwindow.h"

#include <QDir>
#include <QFile>
#include <QAction>
#include <QEventLoop>
#include <QScrollBar>
#include <QTimer>
#include <QTest>

namespace kvtest {
namespace {

class KeysTest : public PreviewTest {
protected:
    void press(Qt::Key key, Qt::KeyboardModifiers modifiers = {})
    {
        QTest::keyClick(preview->aMeta[0], key, modifiers);
    }
};

TEST_F(KeysTest, KeypadPlusAndMinusStepTheZoom)
{
    open(2);
    ASSERT_FALSE(HasFatalFailure());
    press(Qt::Key_Plus, Qt::KeypadModifier);
    EXPECT_NEAR(kv::nCurFactor, 1.05, 1e-9);
    EXPECT_TRUE(preview->lZoom);
    EXPECT_EQ(preview->vBar.max, 21);
    EXPECT_TRUE(window().verticalBar()->isVisible());
    EXPECT_TRUE(window().horizontalBar()->isVisible());
    // The bar learns of a step from the keypad only at its next re-evaluation.
    kv::BarButtonWidget* reduce = button(6);
    EXPECT_FALSE(reduce->shownEnabled());
    preview->AEvalWhen();
    EXPECT_TRUE(reduce->shownEnabled());
    press(Qt::Key_Minus, Qt::KeypadModifier);
    EXPECT_NEAR(kv::nCurFactor, 1.0, 1e-9);
    // The main keyboard's plus is not the keypad's.
    press(Qt::Key_Plus);
    EXPECT_NEAR(kv::nCurFactor, 1.0, 1e-9);
}

TEST_F(KeysTest, NavigationKeysTurnPagesWithinTheReport)
{
    open(4);
    ASSERT_FALSE(HasFatalFailure());
    struct Step {
        Qt::Key key;
        int page;
    };
    const std::vector<Step> steps = {{Qt::Key_PageUp, 1}, {Qt::Key_PageDown, 2}, {Qt::Key_End, 4},
                                     {Qt::Key_PageDown, 4}, {Qt::Key_PageUp, 3}, {Qt::Key_Home, 1},
                                     {Qt::Key_Up, 1}, {Qt::Key_Down, 1}};
    for (const Step& step : steps) {
        press(step.key);
        EXPECT_EQ(preview->nPage, step.page) << "key " << step.key;
        EXPECT_EQ(slotFile(1), preview->aFiles.at(step.page - 1));
    }
    EXPECT_FALSE(preview->lZoom);
}

TEST_F(KeysTest, NavigationKeysScrollTheZoomedPage)
{
    open(4);
    ASSERT_FALSE(HasFatalFailure());
    preview->Zoom();
    ASSERT_TRUE(preview->lZoom);
    kv::KVMETAFILE* first = preview->aMeta[0];
    const int vStep = int(preview->page.vertRes / preview->vBar.max);
    press(Qt::Key_PageDown);
    EXPECT_EQ(preview->nPage, 1);
    EXPECT_GT(first->nYorig, 0);
    EXPECT_EQ(int(first->nYorig) % vStep, 0);
    press(Qt::Key_End);
    EXPECT_NEAR(first->nXorig, 0.8 * preview->page.horzRes, 1);
    EXPECT_NEAR(first->nYorig, 0.8 * preview->page.vertRes, 1);
    EXPECT_EQ(preview->vBar.pos, preview->vBar.max);
    EXPECT_EQ(window().verticalBar()->value(), preview->vBar.max);
    press(Qt::Key_Home);
    EXPECT_DOUBLE_EQ(first->nXorig, 0);
    EXPECT_DOUBLE_EQ(first->nYorig, 0);
    EXPECT_EQ(preview->vBar.pos, preview->vBar.min);
    press(Qt::Key_Down);
    EXPECT_GT(first->nYorig, 0);
    press(Qt::Key_Right);
    EXPECT_GT(first->nXorig, 0);
    EXPECT_EQ(preview->nPage, 1);
}

TEST_F(KeysTest, RightClickOnTheFirstPageEnlarges)
{
    open(2);
    ASSERT_FALSE(HasFatalFailure());
    QTest::mouseClick(preview->aMeta[0], Qt::RightButton, {}, QPoint(10, 10));
    EXPECT_NEAR(kv::nCurFactor, 1.05, 1e-9);
    EXPECT_TRUE(preview->lZoom);
}

class LifecycleTest : public PreviewTest {};

TEST_F(LifecycleTest, TitleIsTheDocumentWithTheApplicationNameBeforeIt)
{
    open(1);
    ASSERT_FALSE(HasFatalFailure());
    EXPECT_EQ(window().windowTitle(), QStringLiteral("Quarterly Report"));
    TearDown();
    pageFiles.clear();
    SetUp();
    open(1, {QStringLiteral("ApplicationName=Ledger")});
    ASSERT_FALSE(HasFatalFailure());
    EXPECT_EQ(window().windowTitle(), QStringLiteral("Ledger - Quarterly Report"));
}

TEST_F(LifecycleTest, ClosingDeletesExactlyTheMovedPagesAndEndsTheDevice)
{
    const QString setDir = spool.filePath(QStringLiteral("korvelle"));
    ASSERT_TRUE(QDir().mkpath(setDir));
    // An earlier set still in use: the new set is the second and the earlier one stays.
    const QString earlier = setDir + QStringLiteral("/E0010001.emf");
    QFile(earlier).open(QIODevice::WriteOnly);
    const QString bystander = spool.filePath(QStringLiteral("notes.txt"));
    QFile(bystander).open(QIODevice::WriteOnly);
    open(3);
    ASSERT_FALSE(HasFatalFailure());
    ASSERT_EQ(preview->aFiles.size(), 3);
    for (const QString& file : preview->aFiles) {
        EXPECT_TRUE(QFileInfo::exists(file)) << file.toStdString();
        EXPECT_TRUE(QFileInfo(file).fileName().startsWith(QLatin1String("E002"))) << file.toStdString();
    }
    EXPECT_EQ(device->aMeta, preview->aFiles);
    const QStringList moved = preview->aFiles;
    ASSERT_NE(device->hDC, 0u);
    window().close();
    QCoreApplication::processEvents();
    for (const QString& file : moved)
        EXPECT_FALSE(QFileInfo::exists(file)) << file.toStdString();
    EXPECT_TRUE(QFileInfo::exists(earlier));
    EXPECT_TRUE(QFileInfo::exists(bystander));
    EXPECT_TRUE(QFileInfo(setDir).isDir());
    EXPECT_EQ(device->hDC, 0u);
    EXPECT_FALSE(preview->oWnd);
}

} // namespace
} // namespace kvtest

namespace kvtest {
namespace {

TEST_F(LifecycleTest, SecondShowOfAnOpenPreviewOnlySaysSo)
{
    open(2);
    ASSERT_FALSE(HasFatalFailure());
    kv::PreviewWindow* first = preview->oWnd;
    preview->ChangePage(1);  // next page
    QEventLoop loop;
    QTimer::singleShot(0, &loop, [&] {
        preview->KVShow();
        loop.quit();
    });
    loop.exec();
    EXPECT_EQ(preview->oWnd, first);
    EXPECT_EQ(preview->nPage, 2);
    ASSERT_FALSE(messages.messages.empty());
    EXPECT_EQ(messages.messages.back().kind, kv::BoxKind::Stop);
    EXPECT_EQ(messages.messages.back().text, "A preview window is already running.");
}

TEST_F(LifecycleTest, ScrollBarsOfTheWindowMoveTheZoomedPage)
{
    open(2);
    ASSERT_FALSE(HasFatalFailure());
    preview->Zoom();
    QScrollBar* bar = window().verticalBar();
    ASSERT_EQ(bar->minimum(), 1);
    ASSERT_EQ(bar->maximum(), 20);
    ASSERT_EQ(bar->value(), 1);
    const int step = int(preview->page.vertRes) / 20;
    // Line down: the thumb moves first, then the origin follows it.
    bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(bar->value(), 2);
    EXPECT_DOUBLE_EQ(preview->aMeta[0]->nYorig, 2 * step);
    // Thumb released at 10 from 2: the origin is taken from both, the thumb stays.
    bar->setSliderPosition(10);
    emit bar->sliderReleased();
    EXPECT_DOUBLE_EQ(preview->aMeta[0]->nYorig, (2 + 10 - 1) * step);
    EXPECT_EQ(bar->value(), 2);
    EXPECT_DOUBLE_EQ(preview->aMeta[0]->nXorig, 0);
}

TEST_F(LifecycleTest, ZoomAtStartOpensZoomed)
{
    open(2, {QStringLiteral("ZoomAtStart=1")});
    ASSERT_FALSE(HasFatalFailure());
    EXPECT_TRUE(preview->lZoom);
    EXPECT_TRUE(preview->aMeta[0]->lZoom);
    EXPECT_EQ(preview->oZoom->bitmapName(), QStringLiteral("Unzoom"));
    EXPECT_FALSE(preview->oMenuZoom->isEnabled());
    EXPECT_TRUE(kv::oMenuNormal->isEnabled());
}

} // namespace
} // namespace kvtest
