// The hits of a search over a report's pages and the steps between them, and the scroll
// thumb that stands for an origin set from outside.
#include "preview/findhits.h"
#include "preview/scrollbarmodel.h"

#include <gtest/gtest.h>

namespace {

kv::gdi::PageTextPtr page(const char* text)
{
    kv::gdi::PageText t;
    t.text = QString::fromLatin1(text);
    t.boxes.resize(size_t(t.text.size()));
    return std::make_shared<const kv::gdi::PageText>(t);
}

TEST(FindHits, EveryPageIsSearchedInOrderAndPagesWithoutTextHaveNone)
{
    const std::vector<kv::gdi::PageTextPtr> pages{page("total and Total"), nullptr, page("none here"), page("subtotal")};
    const auto all = kv::findInPages(pages, QStringLiteral("total"), false);
    ASSERT_EQ(all.size(), 3u);
    EXPECT_EQ(all[0], (kv::FindHit{1, {0, 5}}));
    EXPECT_EQ(all[1], (kv::FindHit{1, {10, 5}}));
    EXPECT_EQ(all[2], (kv::FindHit{4, {3, 5}}));
    EXPECT_EQ(kv::findInPages(pages, QStringLiteral("total"), true).size(), 2u);
    EXPECT_TRUE(kv::findInPages({}, QStringLiteral("total"), false).empty());
}

TEST(FindHits, ANewSearchStartsOnTheCurrentPageAndStepsWrap)
{
    const std::vector<kv::FindHit> hits{{2, {0, 1}}, {2, {5, 1}}, {5, {0, 1}}};
    struct Start {
        int page;
        int hit;
    };
    for (const Start& s : {Start{1, 0}, Start{2, 0}, Start{3, 2}, Start{5, 2}, Start{6, 0}})
        EXPECT_EQ(kv::firstHitFrom(hits, s.page), s.hit) << s.page;
    EXPECT_EQ(kv::firstHitFrom({}, 1), -1);

    EXPECT_EQ(kv::stepHit(hits, 0, true), 1);
    EXPECT_EQ(kv::stepHit(hits, 2, true), 0);
    EXPECT_EQ(kv::stepHit(hits, 0, false), 2);
    EXPECT_EQ(kv::stepHit(hits, 1, false), 0);
    EXPECT_EQ(kv::stepHit(hits, -1, true), 0);
    EXPECT_EQ(kv::stepHit(hits, -1, false), 2);
    EXPECT_EQ(kv::stepHit({}, 0, true), -1);
}

TEST(ScrollBarShowingOrigin, TheThumbStandsWhereALineStepWouldHaveBroughtTheOrigin)
{
    const kv::ScrollBarModel bar{0, 20, 0};
    // 4000 printer pixels over 20 positions: 200 a position.
    EXPECT_EQ(bar.showingOrigin(4000, 0).pos, 0);
    EXPECT_EQ(bar.showingOrigin(4000, 1000).pos, 5);
    EXPECT_EQ(bar.showingOrigin(4000, 1090).pos, 5);
    EXPECT_EQ(bar.showingOrigin(4000, 1110).pos, 6);
    EXPECT_EQ(bar.showingOrigin(4000, 99999).pos, 20) << "kept inside the range";
    // The line step from there lands one position on, as the bar's own arithmetic says.
    const kv::ScrollOutcome down = bar.showingOrigin(4000, 1000).lineDown(4000);
    EXPECT_DOUBLE_EQ(*down.origin, 1200);
    // A bar without positions (not zoomed) stays as it is.
    EXPECT_EQ((kv::ScrollBarModel{0, 0, 0}).showingOrigin(4000, 500), (kv::ScrollBarModel{0, 0, 0}));
}

} // namespace
