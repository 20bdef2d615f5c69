// Button-bar geometry: button spans in both variants, the controls after the buttons, and the
// drop-down hit test of the page-count button.
#include "preview/bargeometry.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace {

using kv::BarButton;

std::vector<std::pair<int, int>> spansOf(bool showSendTo)
{
    std::vector<std::pair<int, int>> out;
    for (const kv::BarButtonSpan& s : kv::barButtonSpans(showSendTo))
        out.emplace_back(s.left, s.right);
    return out;
}

TEST(BarGeometry, SpansWithSendTo)
{
    const std::vector<std::pair<int, int>> want{
        {11, 39},   {41, 69},   {71, 99},   {101, 129}, {139, 167}, {169, 210}, {212, 240},
        {242, 270}, {280, 308}, {310, 338}, {340, 368}, {370, 398}, {408, 436}};
    EXPECT_EQ(spansOf(true), want);
}

TEST(BarGeometry, SpansWithoutSendTo)
{
    const std::vector<std::pair<int, int>> want{
        {11, 39},   {41, 69},   {71, 99},   {101, 129}, {139, 167}, {169, 210},
        {212, 240}, {242, 270}, {280, 308}, {310, 338}, {340, 368}, {378, 406}};
    EXPECT_EQ(spansOf(false), want);
}

TEST(BarGeometry, ButtonOrderAndRows)
{
    const auto with = kv::barButtonSpans(true);
    const auto without = kv::barButtonSpans(false);
    ASSERT_EQ(with.size(), 13u);
    ASSERT_EQ(without.size(), 12u);
    EXPECT_EQ(with[5].button, BarButton::PageCount);
    EXPECT_EQ(with[9].button, BarButton::SendTo);
    EXPECT_EQ(without[9].button, BarButton::Print);
    EXPECT_EQ(with.back().button, BarButton::Exit);
    EXPECT_EQ(without.back().button, BarButton::Exit);
    for (const auto& s : without)
        EXPECT_NE(s.button, BarButton::SendTo);
    EXPECT_EQ(with[0].rect(), QRect(11, 3, 29, 25));
    EXPECT_EQ(with[5].rect(), QRect(169, 3, 42, 25));
}

TEST(BarGeometry, SideControls)
{
    struct Row {
        bool sendTo;
        int x;
    };
    for (const Row r : {Row{true, 446}, Row{false, 416}}) {
        const kv::BarSideControls c = kv::barSideControls(r.sendTo);
        EXPECT_EQ(c.x, r.x);
        EXPECT_EQ(c.factorLabel, QRect(r.x, 9, 46, 15));
        EXPECT_EQ(c.zoomListPos, QPoint(r.x + 49, 5));
        EXPECT_EQ(c.zoomListWidth, 60);
        EXPECT_EQ(c.zoomListDropHeight, 200);
        EXPECT_EQ(c.pageLabel, QRect(r.x + 149, 9, 120, 15));
    }
}

TEST(BarGeometry, DropDownOpensOnTheRightmostThirteenPixels)
{
    const int width = kv::barButtonSpans(true)[5].rect().width();
    ASSERT_EQ(width, 42);
    int opening = 0;
    for (int x = 0; x < width; ++x)
        opening += kv::opensDropDown(x, width) ? 1 : 0;
    EXPECT_EQ(opening, 13);
    EXPECT_FALSE(kv::opensDropDown(28, width));
    EXPECT_TRUE(kv::opensDropDown(29, width));
    EXPECT_TRUE(kv::opensDropDown(41, width));
    EXPECT_FALSE(kv::opensDropDown(0, width));
}

} // namespace
