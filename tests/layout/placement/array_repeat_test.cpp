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
    for (const LayoutNode* n = parent->next; n; n = n->next) {
        EXPECT_EQ(n->arrayIndex, array);
        EXPECT_EQ(n->parent, 0);
        EXPECT_EQ(n->patternIndex, slot);
        EXPECT_EQ(n->boxIndex, parent->boxIndex);
    }
    // The dialog opens again on the same values, from any member.
    EXPECT_EQ(ArrayParentOf(parent->next->next), parent);
    RepeatSettings again = RepeatStartValues(ArrayParentOf(parent->next));
    EXPECT_EQ(again.down, 3);
    EXPECT_EQ(again.across, 2);
    EXPECT_FLOAT_EQ(again.spacingDown, 0.5f);
    EXPECT_FLOAT_EQ(again.spacingAcross, 0.25f);

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

    ASSERT_EQ(ApplyRepeat(parent, RepeatSettings{1, 0, 2, 1}), 1);
    EXPECT_EQ(CountLayoutNodes(), 3);
    EXPECT_EQ(parent->arrayIndex, array);  // the record is overwritten in place
    EXPECT_EQ(GetArrayNode(array)->across, 2);
    EXPECT_FLOAT_EQ(other->next->x, 3);

    ASSERT_EQ(ApplyRepeat(parent, RepeatSettings{1, 0, 1, 0}), 1);
    EXPECT_EQ(CountLayoutNodes(), 2);
    EXPECT_EQ(parent->arrayIndex, -1);
    EXPECT_EQ(parent->parent, 0);
    EXPECT_EQ(GetArrayNode(array), nullptr);
    EXPECT_NE(GetPattern(slot), nullptr);
    EXPECT_EQ(patternLayout, parent);
    EXPECT_EQ(parent->next, other);
}

TEST_F(ArrayRepeatTest, AFullArrayTableIsRefusedWithAMessage) {
    MakeRectBox(0, 0, 40, 40);
    for (int i = 0; i < kArraySlots; i++)
        ASSERT_GE(NewArrayNode(1, 0, 2, 0), 0);
    int slot = LoadPoints({{0, 0}, {1, 0}, {1, 1}});
    LayoutNode* parent = NewPatternLayoutNode(slot, -1, 0, 0, 0);
    EXPECT_EQ(ApplyRepeat(parent, RepeatSettings{1, 0, 2, 0}), 0);
    ASSERT_EQ(script.shown.size(), 1u);
    EXPECT_EQ(script.shown[0], "COULD NOT ADD ARRAY");
    EXPECT_EQ(CountLayoutNodes(), 1);
    EXPECT_EQ(parent->arrayIndex, -1);
    // Dissolving needs no slot: no message.
    EXPECT_EQ(ApplyRepeat(parent, RepeatSettings{1, 0, 1, 0}), 1);
    EXPECT_EQ(script.shown.size(), 1u);

    // Counts are kept to 1 … 20; a parent whose slot went empty starts alone.
    InitArrays();
    ASSERT_EQ(ApplyRepeat(parent, RepeatSettings{0, 0, 25, 0}), 1);
    EXPECT_EQ(CountLayoutNodes(), 20);
    RemoveArrayNode(parent->arrayIndex);
    EXPECT_EQ(RepeatStartValues(parent).across, 1);
    EXPECT_EQ(parent->arrayIndex, -1);
}

}  // namespace
