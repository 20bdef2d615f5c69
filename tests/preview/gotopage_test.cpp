// Ctrl+G: a spin box from 1 to the last page; confirming goes there, as the bar's buttons do.
#include "previewtestenv.h"

#include "pageview/kvmetafile.h"
#include "preview/barbutton.h"
#include "preview/gotopagedialog.h"
#include "preview/previewwindow.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>

namespace kvtest {
namespace {

class GoToPageTest : public PreviewTest {
protected:
    kv::GoToPageDialog* askWithCtrlG()
    {
        window().activateWindow();
        QApplication::setActiveWindow(&window());
        QTest::keyClick(preview->aMeta[0], Qt::Key_G, Qt::ControlModifier);
        QCoreApplication::processEvents();
        return window().findChild<kv::GoToPageDialog*>();
    }
};

TEST_F(GoToPageTest, CtrlGAsksForANumberWithinTheReportAndGoesThere)
{
    open(12);
    ASSERT_FALSE(HasFatalFailure());
    EXPECT_FALSE(preview->aPageBtn[0]->shownEnabled());
    kv::GoToPageDialog* dialog = askWithCtrlG();
    ASSERT_TRUE(dialog);
    QSpinBox* field = dialog->pageField();
    EXPECT_EQ(field->minimum(), 1);
    EXPECT_EQ(field->maximum(), 12);
    EXPECT_EQ(field->value(), 1) << "starts at the current page";
    // Typed beyond the end, the number stays the last page.
    field->selectAll();
    QTest::keyClicks(field, QStringLiteral("99"));
    field->interpretText();
    EXPECT_LE(field->value(), 12);
    field->setValue(7);
    dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
    QCoreApplication::processEvents();
    EXPECT_EQ(preview->nPage, 7);
    EXPECT_EQ(slotFile(1), preview->aFiles[6]);
    EXPECT_EQ(preview->PageLabelText(), QStringLiteral("Page number: 7 / 12"));
    EXPECT_TRUE(preview->aPageBtn[0]->shownEnabled());
    EXPECT_TRUE(preview->aPageBtn[3]->shownEnabled());

    // Cancel leaves the page as it is.
    dialog = askWithCtrlG();
    ASSERT_TRUE(dialog);
    dialog->pageField()->setValue(2);
    dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Cancel)->click();
    QCoreApplication::processEvents();
    EXPECT_EQ(preview->nPage, 7);

    // The last page: Next and Last are off at once.
    dialog = askWithCtrlG();
    ASSERT_TRUE(dialog);
    dialog->pageField()->setValue(12);
    QTest::keyClick(dialog->pageField(), Qt::Key_Return);
    QCoreApplication::processEvents();
    EXPECT_EQ(preview->nPage, 12);
    EXPECT_FALSE(preview->aPageBtn[2]->shownEnabled());
    EXPECT_FALSE(preview->aPageBtn[3]->shownEnabled());
}

TEST_F(GoToPageTest, ANumberOutsideTheReportIsKeptWithinIt)
{
    open(3);
    ASSERT_FALSE(HasFatalFailure());
    for (const auto& [asked, shown] : {std::pair{0, 1}, std::pair{-5, 1}, std::pair{4, 3}, std::pair{2, 2}}) {
        preview->GoToPage(asked);
        EXPECT_EQ(preview->nPage, shown) << asked;
    }
}

} // namespace
} // namespace kvtest
