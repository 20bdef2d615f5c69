#include "preview/bargeometry.h"

namespace kv {

namespace {
constexpr int kFirstLeft = 11;
constexpr int kButtonSpan = 28;  // right edge = left edge + 28, inclusive
constexpr int kButtonGap = 2;
constexpr int kGroupGap = 8;
constexpr int kSideControlsGap = 10;

struct ButtonKind {
    BarButton button;
    bool startsGroup;
    bool dropDown;
};

constexpr ButtonKind kButtons[] = {
    {BarButton::First, false, false},     {BarButton::Previous, false, false},
    {BarButton::Next, false, false},      {BarButton::Last, false, false},
    {BarButton::Zoom, true, false},       {BarButton::PageCount, false, true},
    {BarButton::Reduce, false, false},    {BarButton::Enlarge, false, false},
    {BarButton::SaveAs, true, false},     {BarButton::SendTo, false, false},
    {BarButton::Print, false, false},     {BarButton::PrintAndExit, false, false},
    {BarButton::Exit, true, false},
};
} // namespace

QRect BarButtonSpan::rect() const
{
    return QRect(QPoint(left, kBarButtonTop), QPoint(right, kBarButtonBottom));
}

std::vector<BarButtonSpan> barButtonSpans(bool showSendTo)
{
    std::vector<BarButtonSpan> spans;
    int left = kFirstLeft;
    for (const ButtonKind& kind : kButtons) {
        if (kind.button == BarButton::SendTo && !showSendTo)
            continue;
        if (!spans.empty())
            left = spans.back().right + kButtonGap + (kind.startsGroup ? kGroupGap : 0);
        const int right = left + kButtonSpan + (kind.dropDown ? kDropDownWidth : 0);
        spans.push_back({kind.button, left, right});
    }
    return spans;
}

BarSideControls barSideControls(bool showSendTo)
{
    BarSideControls c;
    c.x = barButtonSpans(showSendTo).back().right + kSideControlsGap;
    c.factorLabel = QRect(c.x, 9, 46, 15);
    c.zoomListPos = QPoint(c.x + 49, 5);
    c.pageLabel = QRect(c.x + 149, 9, 120, 15);
    return c;
}

bool opensDropDown(int x, int buttonWidth)
{
    return x >= buttonWidth - kDropDownWidth;
}

} // namespace kv
