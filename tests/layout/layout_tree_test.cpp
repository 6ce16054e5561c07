#include "layout/layout_tree.h"
#include "layout/layout_selection.h"

#include "layout/view_transform.h"
#include "layout_fixture.h"

namespace {

using LayoutTreeTest = LayoutTest;

TEST_F(LayoutTreeTest, SpanOfTheCurrentBox) {
    float w, h, x, y;
    GetLayoutDimensions(&w, &h);
    GetLayoutCenter(&x, &y);
    ExpectFloats({w, h, x, y}, {-1, -1, 0, 0});

    MakeBox({{0, 20}, {20, 20}, {20, 0}, {0, 0}});
    MakeBox({{0, 20}, {20, 20}, {20, 0}, {0, 0}});
    SetCurrentPatternBox(0);
    int a = LoadRectangle(2, 1);
    int b = LoadRectangle(1, 3);
    NewPatternLayoutNode(a, -1, 0, 1, 1);
    NewPatternLayoutNode(b, -1, 0, 4, 2);
    SetCurrentPatternBox(1);
    NewPatternLayoutNode(a, -1, 0, 50, 50);  // another box: not measured
    SetCurrentPatternBox(0);
    GetLayoutDimensions(&w, &h);
    GetLayoutOrigin(&x, &y);
    float cx, cy;
    GetLayoutCenter(&cx, &cy);
    ExpectFloats({w, h, x, y, cx, cy}, {4, 4, 1, 1, 3, 3});  // 1 … 4 + 1 by 1 … 2 + 3

    MoveLayoutAll(1, -1);
    ExpectFloats({patternLayout->x, patternLayout->next->next->x}, {2, 50});
    MoveLayoutPattern(patternLayout, 0.5f, 0);
    MoveLayoutPattern(nullptr, 1, 1);
    EXPECT_FLOAT_EQ(patternLayout->x, 2.5f);
}

// 10 pixels per inch, the box origin at pixel (20, 20).
TEST_F(LayoutTreeTest, ClosestPatternByScreenDistanceAndATouchInsideAnOutlineSmallestFirst) {
    MakeBox({{2, 20}, {20, 20}, {20, 2}, {2, 2}});
    SetCurrentPatternBox(0);
    SetViewScale(0.1f);
    int slot = LoadRectangle(1, 1);
    LayoutNode* far = NewPatternLayoutNode(slot, -1, 0, 3, 0);    // pixel (50, 20)
    LayoutNode* left = NewPatternLayoutNode(slot, -1, 0, 0, 0);   // pixel (20, 20)
    LayoutNode* right = NewPatternLayoutNode(slot, -1, 0, 2, 0);  // pixel (40, 20)
    // A tie at 10 px goes by list order.
    EXPECT_EQ(
        (std::vector<LayoutNode*>{GetClosestPattern(30, 20, 0), GetClosestPattern(30, 20, 1),
                                  GetClosestPattern(30, 20, 2), GetClosestPattern(30, 20, 3)}),
        (std::vector<LayoutNode*>{left, right, far, nullptr}));
    panX = 10;
    EXPECT_EQ(GetClosestPattern(30, 20, 0), left);  // left now at 30
    panX = 0;
    ClearLayout();

    LayoutNode* big = NewPatternLayoutNode(LoadRectangle(8, 6), -1, 0, 0, 0);    // 20..100, 20..80
    LayoutNode* small = NewPatternLayoutNode(LoadRectangle(2, 2), -1, 0, 5, 3);  // 70..90, 50..70
    LayoutNode* near =
        NewPatternLayoutNode(LoadRectangle(1, 1), -1, 0, 7, 4.5f);  // 90..100, 65..75
    // Inside big and small, nearest to near's corner: the smaller outline wins.
    EXPECT_EQ(GetClosestPattern(85, 60, 0), near);
    EXPECT_EQ(GetTouchedPattern(85, 60), small);
    // Inside big only, nearest to near's corner.
    EXPECT_EQ(GetClosestPattern(95, 40, 0), near);
    EXPECT_EQ(GetTouchedPattern(95, 40), big);
    EXPECT_EQ(GetTouchedPattern(95, 70), near);   // inside big and near
    EXPECT_EQ(GetTouchedPattern(20, 80), big);    // the outline's edge counts
    EXPECT_EQ(GetTouchedPattern(101, 81), near);  // outside every outline: the nearest
    panX = 100;                                   // the outlines move with the pan
    EXPECT_EQ(GetTouchedPattern(185, 60), small);
    EXPECT_EQ(GetTouchedPattern(85, 60), big);  // outside all now, big's corner nearest
    panX = 0;
    SetCurrentPatternBox(1);  // no placement in another box
    EXPECT_EQ(GetTouchedPattern(85, 60), nullptr);
}

TEST_F(LayoutTreeTest, RemovingTheLastPlacementUnloadsItsPattern) {
    MakeBox({{0, 20}, {20, 20}, {20, 0}, {0, 0}});
    SetCurrentPatternBox(0);
    int a = LoadRectangle(1, 1);
    int b = LoadRectangle(1, 1);
    LayoutNode* a1 = NewPatternLayoutNode(a, -1, 0, 0, 0);
    LayoutNode* a2 = NewPatternLayoutNode(a, -1, 0, 1, 0);
    LayoutNode* b1 = NewPatternLayoutNode(b, -1, 0, 2, 0);
    SetSelectedNode(a2);

    EXPECT_EQ(Logged([&] { RemoveLayoutNode(a2); }),
              "Pattern 1\nPattern will not be removed from list\n");
    EXPECT_TRUE(GetPattern(a) && !SelectedNode());
    EXPECT_EQ(Logged([&] { RemoveLayoutNode(a1); }), "Pattern 2\nremove pattern\n");
    EXPECT_TRUE(!GetPattern(a) && patternList.count == 1 && GetNextPattern() == a);
    EXPECT_EQ(patternLayout, b1);

    LayoutNode stranger;
    RemoveLayoutNode(&stranger);  // not in the list: nothing happens
    EXPECT_EQ(CountLayoutNodes(), 1);
}

// (Turning an array is checked with the placement edits.)
TEST_F(LayoutTreeTest, ArrayTableFillsUpAndReusesFreedSlots) {
    for (int i = 0; i < kArraySlots; i++)
        ASSERT_EQ(NewArrayNode(1, 1, 1, 1), i);
    EXPECT_EQ(NewArrayNode(1, 1, 1, 1), -1);
    RemoveArrayNode(3);
    RemoveArrayNode(77);
    EXPECT_TRUE(!GetArrayNode(3) && !GetArrayNode(50) && !GetArrayNode(-1));
    EXPECT_EQ(NewArrayNode(2, 1.5f, 3, 2.5f), 3);
    SetArrayNode(3, 4, 1, 5, 1);
    EXPECT_EQ(std::pair(GetArrayNode(3)->down, GetArrayNode(3)->across), std::pair(4, 5));
}

}  // namespace
