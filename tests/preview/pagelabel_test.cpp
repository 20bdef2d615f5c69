// The page-number label shows its whole text in the font in use, for reports of up to 99999
// pages.
#include "previewtestenv.h"

#include <QLabel>

namespace kvtest {
namespace {

class PageLabelTest : public PreviewTest {};

TEST_F(PageLabelTest, ShowsItsWholeTextUpTo99999Pages)
{
    open(1);
    ASSERT_FALSE(HasFatalFailure());
    QLabel* label = preview->oPage;
    ASSERT_TRUE(label);
    EXPECT_EQ(label->width(), 120) << "short texts keep the bar's width";
    for (const int pages : {9, 999, 12345, 99999}) {
        preview->nTotalPages = pages;
        preview->ChangePage(4);  // the last page: the widest number
        const QString text = QStringLiteral("Page number: %1 / %1").arg(pages);
        EXPECT_EQ(label->text(), text);
        EXPECT_GE(label->width(), label->fontMetrics().horizontalAdvance(text)) << pages;
        EXPECT_GE(label->width(), label->sizeHint().width()) << pages;
    }
}

} // namespace
} // namespace kvtest
