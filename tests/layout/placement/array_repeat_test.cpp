#include "layout/placement/array_repeat.h"

#include <cmath>
#include <cstdio>
#include <string>

#include "placement_fixture.h"

namespace {

using ArrayRepeatTest = PlacementTest;

// The places of all placements as "x,y", rounded to 0.01.
std::string Positions() {
    std::string out;
    char at[40];
    for (const LayoutNode* n = patternLayout; n; n = n->next) {
        std::snprintf(at, sizeof at, "%s%g,%g", out.empty() ? "" : " ",
                      std::round(n->x * 100) / 100, std::round(n->y * 100) / 100);
        out += at;
    }
    return out;
}

TEST_F(ArrayRepeatTest, RepeatsFillTheGridWithSpacingsInRowOrder) {
    MakeRectBox(0, 0, 40, 40);
    int slot = LoadPoints({{0, 0}, {4, 0}, {4, 2}});
    LayoutNode* parent = NewPatternLayoutNode(slot, -1, 0, 1, 1);
    ASSERT_EQ(ApplyRepeat(parent, RepeatSettings{3, 0.5f, 2, 0.25f}), 1);
    EXPECT_EQ(Positions(), "1,1 5.25,1 1,3.5 5.25,3.5 1,6 5.25,6");
    const int array = parent->arrayIndex;
    ASSERT_GE(array, 0);
    EXPECT_EQ(parent->parent, 1);
    for (const LayoutNode* n = parent->next; n; n = n->next)
        EXPECT_TRUE(n->arrayIndex == array && n->parent == 0 && n->patternIndex == slot &&
                    n->boxIndex == parent->boxIndex);
    // The dialog opens again on the same values, from any member.
    EXPECT_EQ(ArrayParentOf(parent->next->next), parent);
    RepeatSettings again = RepeatStartValues(ArrayParentOf(parent->next));
    ExpectFloats({1.0f * again.down, 1.0f * again.across, again.spacingDown, again.spacingAcross},
                 {3, 2, 0.5f, 0.25f});
    // A 2 x 1 pattern turned a quarter: the grid runs down the table. Column
    // step (base width 2 + 0.5, 0) turns to (0, 2.5); row step (0, 1 + 0.25)
    // to (-1.25, 0).
    ClearLayout();
    GetPattern(slot = LoadPoints({{0, 0}, {2, 0}, {2, 1}}))->angle = 90;
    parent = NewPatternLayoutNode(slot, -1, 0, 10, 10);
    ASSERT_EQ(ApplyRepeat(parent, RepeatSettings{2, 0.25f, 2, 0.5f}), 1);
    EXPECT_EQ(Positions(), "10,10 10,12.5 8.75,10 8.75,12.5");
}

TEST_F(ArrayRepeatTest, ChangingTheCountsReplacesTheRepeatsAndOneByOneDissolves) {
    MakeRectBox(0, 0, 40, 40);
    int slot = LoadPoints({{0, 0}, {2, 0}, {2, 1}});
    LayoutNode* parent = NewPatternLayoutNode(slot, -1, 0, 0, 0);
    LayoutNode* other = NewPatternLayoutNode(slot, -1, 0, 30, 30);
    ASSERT_EQ(ApplyRepeat(parent, RepeatSettings{2, 0, 3, 0}), 1);
    EXPECT_EQ(CountLayoutNodes(), 7);
    const int array = parent->arrayIndex;
    // The record is overwritten in place.
    ASSERT_EQ(ApplyRepeat(parent, RepeatSettings{1, 0, 2, 1}), 1);
    EXPECT_EQ(
        (std::vector<int>{CountLayoutNodes(), parent->arrayIndex, GetArrayNode(array)->across}),
        (std::vector<int>{3, array, 2}));
    EXPECT_FLOAT_EQ(other->next->x, 3);
    ASSERT_EQ(ApplyRepeat(parent, RepeatSettings{1, 0, 1, 0}), 1);
    EXPECT_EQ((std::vector<int>{CountLayoutNodes(), parent->arrayIndex, parent->parent}),
              (std::vector<int>{2, -1, 0}));
    EXPECT_TRUE(!GetArrayNode(array) && GetPattern(slot));
    EXPECT_TRUE(patternLayout == parent && parent->next == other);
}

TEST_F(ArrayRepeatTest, AFullArrayTableIsRefusedWithAMessage) {
    MakeRectBox(0, 0, 40, 40);
    for (int i = 0; i < kArraySlots; i++)
        ASSERT_GE(NewArrayNode(1, 0, 2, 0), 0);
    int slot = LoadPoints({{0, 0}, {1, 0}, {1, 1}});
    LayoutNode* parent = NewPatternLayoutNode(slot, -1, 0, 0, 0);
    EXPECT_EQ(ApplyRepeat(parent, RepeatSettings{1, 0, 2, 0}), 0);
    EXPECT_TRUE(CountLayoutNodes() == 1 && parent->arrayIndex == -1);
    // Dissolving needs no slot: no message.
    EXPECT_EQ(ApplyRepeat(parent, RepeatSettings{1, 0, 1, 0}), 1);
    EXPECT_EQ(script.shown, std::vector<std::string>{"COULD NOT ADD ARRAY"});
    // Counts are kept to 1 … 20.
    InitArrays();
    ASSERT_EQ(ApplyRepeat(parent, RepeatSettings{0, 0, 25, 0}), 1);
    EXPECT_EQ(CountLayoutNodes(), 20);
    RemoveArrayNode(parent->arrayIndex);
    EXPECT_EQ(RepeatStartValues(parent).across, 1);
    EXPECT_EQ(parent->arrayIndex, -1) << "a parent whose slot went empty starts alone";
}

}  // namespace
