// Navigation and soft-zoom keys of the first page slot, and page moves they lead to.
#include "preview/pagenavigation.h"
#include "preview/previewkeys.h"
#include "pageview/virtualkeys.h"

#include <gtest/gtest.h>

#include <Qt>

namespace {

using kv::KeyAction;

TEST(NavigationKeys, NormalAndZoomActions)
{
    struct Row {
        int key;
        KeyAction normal;
        KeyAction zoomed;
    };
    const Row table[] = {
        {36, KeyAction::FirstPage, KeyAction::ScrollToStart},
        {35, KeyAction::LastPage, KeyAction::ScrollToEnd},
        {33, KeyAction::PreviousPage, KeyAction::ScrollPageUp},
        {34, KeyAction::NextPage, KeyAction::ScrollPageDown},
        {38, KeyAction::None, KeyAction::ScrollLineUp},
        {40, KeyAction::None, KeyAction::ScrollLineDown},
        {37, KeyAction::None, KeyAction::ScrollLineLeft},
        {39, KeyAction::None, KeyAction::ScrollLineRight},
        {107, KeyAction::None, KeyAction::None},
        {109, KeyAction::None, KeyAction::None},
        {13, KeyAction::None, KeyAction::None},
        {0, KeyAction::None, KeyAction::None},
    };
    for (const Row& r : table) {
        EXPECT_EQ(kv::navigationKeyAction(r.key, false), r.normal) << r.key;
        EXPECT_EQ(kv::navigationKeyAction(r.key, true), r.zoomed) << r.key;
    }
    EXPECT_EQ(kv::navigationKeys().size(), 8u);
}

TEST(NavigationKeys, SoftZoomKeys)
{
    EXPECT_EQ(kv::softZoomKeyAction(107), KeyAction::SoftZoomIn);
    EXPECT_EQ(kv::softZoomKeyAction(109), KeyAction::SoftZoomOut);
    EXPECT_EQ(kv::softZoomKeyAction(36), KeyAction::None);
    EXPECT_EQ(kv::softZoomKeyAction(189), KeyAction::None);
}

TEST(NavigationKeys, QtKeysToVirtualKeys)
{
    struct Row {
        int qtKey;
        bool keypad;
        int code;
    };
    const Row table[] = {
        {Qt::Key_Home, false, 36},     {Qt::Key_End, false, 35},   {Qt::Key_PageUp, false, 33},
        {Qt::Key_PageDown, false, 34}, {Qt::Key_Left, false, 37},  {Qt::Key_Up, false, 38},
        {Qt::Key_Right, false, 39},    {Qt::Key_Down, false, 40},  {Qt::Key_Home, true, 36},
        {Qt::Key_Plus, true, 107},     {Qt::Key_Minus, true, 109}, {Qt::Key_Plus, false, 187},
        {Qt::Key_Minus, false, 189},   {Qt::Key_A, false, 65},     {Qt::Key_Escape, false, 0},
        {Qt::Key_7, false, 55},        {Qt::Key_F1, false, 0},
    };
    for (const Row& r : table)
        EXPECT_EQ(kv::virtualKeyFromQt(r.qtKey, r.keypad), r.code) << r.qtKey << " " << r.keypad;
}

TEST(PageMoves, CodesAndBounds)
{
    struct Row {
        int code, page, total, result;
    };
    const Row table[] = {
        {1, 3, 12, 4},  {2, 3, 12, 2},  {3, 7, 12, 1}, {4, 3, 12, 12}, {0, 3, 12, 3},
        {9, 3, 12, 3},  {3, 1, 12, 1},  // first page on page 1 stays
        {1, 12, 12, 12}, {2, 1, 12, 1}, // keys at the ends go nowhere
        {4, 1, 0, 1},   // no pages at all
    };
    for (const Row& r : table)
        EXPECT_EQ(kv::pageAfterMove(r.code, r.page, r.total), r.result)
            << r.code << " " << r.page << "/" << r.total;
}

TEST(PageMoves, PageCountRequests)
{
    struct Row {
        int current, requested;
        bool landscape;
        int total;
        int viewPages;
        bool refused;
    };
    const Row table[] = {
        {1, 2, false, 10, 2, false}, {1, 8, false, 10, 8, false},
        {4, 4, false, 10, 1, false},  // asking again for the count shown goes back to one
        {4, 6, false, 10, 6, false}, {2, 1, false, 10, 1, false},
        {1, 2, true, 10, 1, true},   // landscape
        {1, 2, false, 1, 1, true},   // a single page
        {1, 1, true, 10, 1, true},
    };
    for (const Row& r : table) {
        const kv::PageCountChange c =
            kv::pageCountAfterRequest(r.current, r.requested, r.landscape, r.total);
        EXPECT_EQ(c.viewPages, r.viewPages) << r.current << "->" << r.requested;
        EXPECT_EQ(c.refused, r.refused) << r.current << "->" << r.requested;
    }
}

} // namespace
