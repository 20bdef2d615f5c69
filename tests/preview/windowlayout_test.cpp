// The page slots of a real preview window: where they sit at a known window size, which pages
// they show, and the page counts that are refused.
#include "previewtestenv.h"

#include "pageview/kvmetafile.h"
#include "preview/layout.h"
#include "preview/previewwindow.h"

namespace kvtest {
namespace {

class WindowLayoutTest : public PreviewTest {
protected:
    void useAspect(double xy)
    {
        preview->nxyfactor = xy;
        preview->PaintMeta();
    }
};

TEST_F(WindowLayoutTest, OnePageIsFittedToTheWindowHeight)
{
    open(3);
    ASSERT_FALSE(HasFatalFailure());
    useAspect(1.5);
    EXPECT_EQ(slot(1), QRect(302, 50, 420, 630));
    for (int n = 2; n <= 8; ++n)
        EXPECT_FALSE(slotVisible(n)) << "slot " << n;
}

TEST_F(WindowLayoutTest, ZoomedPageFillsTheWindowWidth)
{
    open(3);
    ASSERT_FALSE(HasFatalFailure());
    useAspect(1.5);
    preview->lLandscape = false;
    preview->Zoom();
    EXPECT_EQ(slot(1), QRect(30, 50, 945, 610));
    EXPECT_NEAR(preview->aMeta[0]->nyfactor, 1005.0 / 749.0 * 0.85, 1e-9);
    EXPECT_TRUE(preview->aMeta[0]->lZoom);
}

TEST_F(WindowLayoutTest, TwoPagesSitSideBySide)
{
    open(3);
    ASSERT_FALSE(HasFatalFailure());
    useAspect(1.5);
    preview->SetPages(2);
    EXPECT_EQ(slot(1), QRect(85, 76, 384, 576));
    EXPECT_EQ(slot(2), QRect(546, 76, 384, 576));
    EXPECT_TRUE(slotVisible(2));
    EXPECT_EQ(slotFile(2), preview->aFiles.at(1));
}

TEST_F(WindowLayoutTest, GridsPlaceEverySlotWhereTheLayoutSays)
{
    open(10);
    ASSERT_FALSE(HasFatalFailure());
    for (const int pages : {4, 6, 8}) {
        preview->SetPages(pages);
        ASSERT_EQ(preview->nViewPages, pages);
        const auto expected = kv::layoutPages(kv::WindowEdges::fromFrame(window().frameGeometry()), pages,
                                              false, preview->lLandscape, preview->nxyfactor);
        ASSERT_TRUE(expected.has_value());
        for (int n = 1; n <= 8; ++n) {
            const auto& rect = expected->rects[size_t(n - 1)];
            EXPECT_EQ(slotVisible(n), rect.has_value()) << pages << " pages, slot " << n;
            if (rect) {
                EXPECT_EQ(slot(n), rect->placement()) << pages << " pages, slot " << n;
            }
            if (n <= pages) {
                EXPECT_EQ(slotFile(n), preview->aFiles.at(n - 1)) << pages << " pages, slot " << n;
            }
        }
        preview->SetPages(1);
    }
}

TEST_F(WindowLayoutTest, SlotsPastTheLastPageAreEmpty)
{
    open(10);
    ASSERT_FALSE(HasFatalFailure());
    preview->SetPages(8);
    for (int i = 0; i < 4; ++i)
        preview->ChangePage(1);
    ASSERT_EQ(preview->nPage, 5);
    for (int n = 1; n <= 6; ++n)
        EXPECT_EQ(slotFile(n), preview->aFiles.at(n + 3)) << "slot " << n;
    EXPECT_EQ(slotFile(7), QString());
    EXPECT_EQ(slotFile(8), QString());
    EXPECT_TRUE(slotVisible(8));
}

TEST_F(WindowLayoutTest, SecondSlotOnTheLastPageIsEmpty)
{
    open(3);
    ASSERT_FALSE(HasFatalFailure());
    preview->ChangePage(4);
    preview->SetPages(2);
    EXPECT_EQ(slotFile(1), preview->aFiles.at(2));
    EXPECT_EQ(slotFile(2), QString());
    EXPECT_TRUE(slotVisible(2));
}

TEST_F(WindowLayoutTest, SameCountAgainReturnsToOnePage)
{
    open(6);
    ASSERT_FALSE(HasFatalFailure());
    preview->SetPages(4);
    EXPECT_EQ(preview->nViewPages, 4);
    preview->SetPages(4);
    EXPECT_EQ(preview->nViewPages, 1);
    EXPECT_FALSE(slotVisible(2));
    EXPECT_TRUE(tones.empty());
}

// Several pages side by side are refused, with the default beep, for one page and for landscape.
class RefusedPagesTest : public WindowLayoutTest, public ::testing::WithParamInterface<std::pair<int, bool>> {};

TEST_P(RefusedPagesTest, KeepsOnePageAndBeeps)
{
    const auto [pages, landscape] = GetParam();
    open(pages);
    ASSERT_FALSE(HasFatalFailure());
    preview->lLandscape = landscape;
    tones.clear();
    preview->SetPages(2);
    EXPECT_EQ(preview->nViewPages, 1);
    ASSERT_EQ(tones.size(), 1u);
    EXPECT_EQ(tones[0].first, 0) << "the default beep";
    EXPECT_FALSE(slotVisible(2));
}

INSTANTIATE_TEST_SUITE_P(OnePageOrLandscape, RefusedPagesTest,
                         ::testing::Values(std::pair{1, false}, std::pair{3, true}));

} // namespace
} // namespace kvtest
