#include "autoscale_fixture.h"
#include "layout/placement/array_merge.h"
#include "layout/placement/array_repeat.h"
#include "layout/placement/autofill.h"
#include "layout/placement/autoscale.h"
#include "pattern/pattern_merge.h"

namespace {

using AutofillTest = AutoScaleTest;

TEST_F(AutofillTest, GridCountsAndRefusals) {
    const struct {
        const char* name;
        float boxW, boxH, patternW, patternH, margin;
        int down, across;   // 0, 0: refused
        const char* shown;  // the message, or none
    } cases[] = {
        {"10 x 10 in 25 x 12", 25, 12, 10, 10, 0, 1, 2, nullptr},
        {"as wide, half as tall", 8, 6, 8, 3, 0, 2, 1, nullptr},
        {"the margin takes the second copy", 25, 22, 10, 10, 5.5f, 0, 0, kNoRoomMessage},
        {"too large", 5, 5, 6, 1, 0, 0, 0, kNoRoomMessage},
        {"tiny: at most 20 a side", 30, 30, 0.5f, 1, 0, 20, 20, nullptr},
        {"no width", 10, 10, 0, 2, 0, 5, 1, nullptr},
    };
    for (const auto& c : cases) {
        InitPatternBox();
        ClearLayout();
        ClearPatternList();
        MakeRectBox(0, 0, c.boxW, c.boxH);
        Settings().xMargin = Settings().yMargin = c.margin;
        LayoutNode* n = NewPatternLayoutNode(
            LoadPoints({{0, 0}, {c.patternW, 0}, {c.patternW, c.patternH}}), -1, 0, 0, 0);
        script.shown.clear();
        AutofillGrid grid;
        EXPECT_EQ(PlanAutofill(n, &grid), c.down ? 1 : 0) << c.name;
        EXPECT_EQ(c.down ? std::pair(grid.down, grid.across) : std::pair(0, 0),
                  std::pair(c.down, c.across))
            << c.name;
        EXPECT_EQ(script.shown,
                  c.shown ? std::vector<std::string>{c.shown} : std::vector<std::string>{})
            << c.name;
    }
    Settings().xMargin = Settings().yMargin = 0;
    LayoutNode* n = patternLayout;
    ApplyRepeat(n, RepeatSettings{2, 0, 1, 0});
    script.shown.clear();
    AutofillGrid grid;
    EXPECT_EQ(PlanAutofill(n->next, &grid), 0);
    EXPECT_EQ(script.shown, std::vector<std::string>{kArrayedRefusal});
    EXPECT_EQ(Autofill(nullptr), kAutofillNothing);
}

TEST_F(AutofillTest, FillsTheBoxAndCancelBringsTheLayoutBack) {
    MakeRectBox(2, 3, 13, 9.5f);  // six across and nine down, with room to grow
    LayoutNode* n = NewPatternLayoutNode(LoadPoints({{0, 0}, {2, 0}, {2, 1}, {0, 1}}), -1, 0, 1, 1);
    script.messageResponse = kResponseYes;  // keep the proportions
    ASSERT_EQ(Autofill(n), kAutofillDone);
    EXPECT_EQ(CountLayoutNodes(), 6 * 9);
    const Pattern* p = GetPattern(n->patternIndex);
    EXPECT_GT(p->height, 1.04f);
    EXPECT_NEAR(p->width / p->height, 2, 0.01);
    EXPECT_NEAR(n->next->x - n->x, p->width, 1e-3);  // the copies grew apart with the pattern
    float minX = 99, minY = 99, maxX = -99, maxY = -99;
    for (const LayoutNode* m = patternLayout; m; m = m->next) {
        EXPECT_TRUE(Inside(m));
        minX = std::min(minX, m->x), maxX = std::max(maxX, m->x + p->width);
        minY = std::min(minY, m->y), maxY = std::max(maxY, m->y + p->height);
    }
    ExpectNear({(minX + maxX) / 2, (minY + maxY) / 2}, {6.5f, 4.75f}, 0.02);  // centred in the box
    EXPECT_EQ(HullOutline(), nullptr);
    // SMARTSCALE of a member scales the whole array.
    EXPECT_EQ(SmartScale(n->next, kScaleIndependently), kAutoScaleDone);
    EXPECT_EQ(operationRunning, 0);
    EXPECT_GT(GetPattern(n->patternIndex)->width, 2.15f);
    EXPECT_EQ(waitingWindows, (std::vector<std::string>{std::string(kAutofillTitle) + " (Cancel)",
                                                        std::string(kScalingTitle) + " (Cancel)"}));
    // The question cancelled: nothing changes.
    ClearLayout();
    n = NewPatternLayoutNode(LoadPoints({{0, 0}, {2, 0}, {2, 1}}), -1, 0, 1, 1);
    script.messageResponse = kResponseCancel;
    EXPECT_EQ(Autofill(n), kAutofillNotAsked);
    EXPECT_EQ(CountLayoutNodes(), 1);
    EXPECT_NE(TakeLog().find("Autofill cancelled"), std::string::npos);
    // Cancel while the array grows: the layout before the autofill returns.
    script.messageResponse = kResponseNo;
    drains = 0;
    cancelAfterDrains = 3;
    EXPECT_EQ(Autofill(n), kAutofillCancelled);
    ASSERT_EQ(CountLayoutNodes(), 1);
    EXPECT_EQ(patternLayout->arrayIndex, -1);
    ExpectFloats({patternLayout->x, GetPattern(patternLayout->patternIndex)->width}, {1, 2});
}

// Types and 1-based points of the commands of a pattern, as "s@2 es@1 ...".
std::string Commands(const Pattern& p) {
    std::string out;
    const char* names[] = {"s", "f", "es", "ee"};
    for (int k = 0; k < p.commandCount; k++)
        out += std::string(out.empty() ? "" : " ") + names[int(p.commandType[k])] + "@" +
               std::to_string(p.commandPoint[k]);
    return out;
}

TEST_F(AutoScaleTest, MergedPathJoinsTouchingCopiesAndStopsElsewhere) {
    Pattern line;  // (0, 0) to (2, 0), a stop before its second point
    for (const char* l : {"p X0 Y0", "c s", "p X1 Y0", "p X2 Y0"})
        addData(&line, l, 1);
    line.name = "line";
    const struct {
        MergeGrid grid;
        const char* commands;
    } cases[] = {
        {{1, 2, 0, 0, 1, 1}, "es@1 s@2 ee@4 es@4 s@5 ee@7 s@7"},      // touching: no stop
        {{1, 2, 0, 1, 1, 1}, "es@1 s@2 ee@4 s@4 es@4 s@5 ee@7 s@7"},  // an inch apart
        {{2, 1, 0, 0, 1, 1}, "es@1 s@2 ee@4 s@4 es@4 s@5 ee@7 s@7"},  // a new row
    };
    for (const auto& c : cases) {
        std::unique_ptr<Pattern> m = BuildMergedPattern(line, c.grid, nullptr);
        ASSERT_TRUE(m);
        EXPECT_EQ(Commands(*m), c.commands);
        EXPECT_EQ(m->name + " " + std::to_string(m->pointCount), "line_merged 6");
        EXPECT_FLOAT_EQ(m->minX, 1);  // where the array was
    }
    std::unique_ptr<Pattern> m = BuildMergedPattern(line, {2, 2, 0.5f, 1, 0, 0}, nullptr);
    EXPECT_FLOAT_EQ(m->x[9], 2 + 1);  // row 1, column 1: width + spacing across
    EXPECT_FLOAT_EQ(m->y[9], 0.5f);
    EXPECT_FALSE(BuildMergedPattern(line, {2, 2, 0, 0, 0, 0}, [](int k, int) { return k < 3; }));
}

TEST_F(AutofillTest, MergeKeepsTheLayoutWhenCancelledOrShared) {
    MakeRectBox(0, 0, 20, 20);
    const int slot = LoadPoints({{0, 0}, {2, 0}, {2, 1}});
    LayoutNode* single = NewPatternLayoutNode(slot, -1, 0, 15, 15);
    LayoutNode* parent = NewPatternLayoutNode(slot, -1, 0, 1, 1);
    ApplyRepeat(parent, RepeatSettings{2, 0, 3, 0});
    const Pattern* source = GetPattern(slot);

    drains = 0;
    cancelAfterDrains = 3;  // Cancel during the second copy
    EXPECT_EQ(MergePatterns(parent->next), 0);
    EXPECT_TRUE(GetPattern(slot) == source && GetArrayNode(parent->arrayIndex));
    EXPECT_EQ(CountLayoutNodes(), 7);

    cancelAfterDrains = -1;
    script.messageResponse = kResponseNo;
    EXPECT_EQ(MergeWithConfirmation(parent), 0);
    EXPECT_EQ(CountLayoutNodes(), 7);
    script.messageResponse = kResponseYes;
    script.shown.clear();
    EXPECT_EQ(MergeWithConfirmation(parent->next), 1);
    EXPECT_EQ(script.shown.back(), kMergeCompleted);
    ASSERT_EQ(CountLayoutNodes(), 2);
    EXPECT_TRUE(parent->arrayIndex == -1 && parent->parent == 0 && !GetArrayNode(0));
    // The single placement still shows the source; the parent the merged path.
    EXPECT_EQ(GetPattern(single->patternIndex), source);
    EXPECT_EQ(GetPattern(parent->patternIndex)->name + " " +
                  std::to_string(GetPattern(parent->patternIndex)->pointCount),
              "test_merged 18");

    script.shown.clear();
    EXPECT_EQ(MergeWithConfirmation(single), 0);
    EXPECT_EQ(script.shown, std::vector<std::string>{kMergeOnlyArrays});
}

}  // namespace
