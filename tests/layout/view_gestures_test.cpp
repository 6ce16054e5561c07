// The touch arithmetic: long press, swipes, corner arrows, the direction pad,
// the edit buttons and the moves of the two move modes.
#include "layout/view_gestures.h"
#include "layout/layout_selection.h"

#include <gtest/gtest.h>

#include <tuple>

#include "view_fixture.h"

namespace {

TEST(Gestures, LongPressesSwipesAndCornerArrowsDecideAtTheirLimits) {
    constexpr uint32_t kMenus = 0x37FFFFF;
    // Ticks so far, held, drift in pixels, menu mask (0: a screen without menus).
    const std::tuple<int, bool, int, uint32_t, LongPressStep> ticks[] = {
        {8, true, 0, kMenus, kLongPressWait},
        {9, true, 14, kMenus, kLongPressMatured},
        {100, true, 15, kMenus, kLongPressWait},
        {9, true, 16, kMenus, kLongPressCancelled},
        {9, false, 0, kMenus, kLongPressCancelled},
        {101, true, 15, kMenus, kLongPressCancelled},
        {9, true, 0, 0, kLongPressWait},
        {2, true, 3, kMenus, kLongPressBusy},
    };
    for (const auto& [count, held, drift, mask, step] : ticks)
        EXPECT_EQ(LongPressTick(count, held, drift, mask), step) << count << " " << drift;
    // 160 pixels in 300 ms is 533 pixels per second; 150 is exactly 500. A
    // press and release in the same millisecond must not divide by zero.
    const std::tuple<double, double, int64_t, int, SwipeResult> releases[] = {
        {-160, 10, 300, kModeNone, kSwipeNextBox},  {160, -24, 300, kModePan, kSwipePrevBox},
        {-150, 0, 300, kModeNone, kNotASwipe},      {-160, 25, 300, kModeNone, kSwipeNoChange},
        {160, -25, 300, kModeNone, kSwipeNoChange}, {-600, 0, 100, kModeSpeed, kNotASwipe},
        {-2, 0, 0, kModeNone, kSwipeNextBox},       {0, 0, 0, kModeNone, kNotASwipe},
    };
    for (const auto& [dx, dy, ms, mode, result] : releases)
        EXPECT_EQ(ClassifySwipe(dx, dy, ms, mode), result) << dx << " " << dy;
    // Press and release in the top band (y < 32): right corner x > 320 - 10 - 32, left x < 42.
    const std::tuple<double, double, double, double, int, int> arrows[] = {
        {300, 5, 310, 31, kModeNone, 1}, {10, 5, 41, 31, kModePan, -1},
        {300, 5, 310, 32, kModeNone, 0}, {300, 5, 200, 5, kModeNone, 0},
        {300, 5, 310, 5, kModeSpeed, 0},
    };
    for (const auto& [px, py, rx, ry, mode, step] : arrows)
        EXPECT_EQ(CornerArrowStep(px, py, rx, ry, 320, PadForIconStyle(0), mode), step)
            << rx << " " << ry;
}

TEST(Gestures, PadAndEditButtonsAreHitWhereTheyAreDrawn) {
    // A 320 x 200 view, 32-pixel pad images 5 apart around (262, 142): Up from
    // (246, 89), Left from (209, 126); the pad square reaches 53 from the centre,
    // strictly. Edit button 1 spans 88 < x < 120, 160 < y < 192; 4 and 5 sit at
    // the right edge (4 overlaps the pad, which is never shown with it).
    const PadGeometry pad = PadForIconStyle(0);
    const std::tuple<double, double, PadButton, bool, int> points[] = {
        {246, 89, kPadUp, false, 0},   {277, 120, kPadUp, true, 0},
        {278, 120, kPadNone, true, 0}, {262, 142, kPadOk, true, 0},
        {220, 142, kPadLeft, true, 0}, {209, 142, kPadLeft, false, 0},
        {262, 190, kPadDown, true, 0}, {290, 142, kPadRight, true, 4},
        {210, 90, kPadNone, true, 0},  {89, 161, kPadNone, false, 1},
        {88, 170, kPadNone, false, 0}, {100, 192, kPadNone, false, 0},
        {300, 80, kPadNone, false, 5}, {300, 100, kPadNone, true, 0},
    };
    for (const auto& [x, y, button, insidePad, edit] : points) {
        EXPECT_EQ(PadButtonAt(x, y, 320, 200, pad), button) << x << " " << y;
        EXPECT_EQ(InsidePad(x, y, 320, 200, pad), insidePad) << x << " " << y;
        EXPECT_EQ(EditButtonAt(x, y, 320, 200), edit) << x << " " << y;
    }
    for (int n = 1; n <= 5; n++) {
        int x = 0, y = 0;
        ASSERT_TRUE(EditButtonOrigin(n, 320, 200, &x, &y));
        EXPECT_EQ(EditButtonAt(x + 1, y + 1, 320, 200), n);
        EXPECT_EQ(EditButtonAt(x + 31, y + 31, 320, 200), n);
    }
    const std::tuple<PadButton, float, float> steps[] = {{kPadUp, 0, -0.5f},
                                                         {kPadDown, 0, 0.5f},
                                                         {kPadLeft, -0.5f, 0},
                                                         {kPadRight, 0.5f, 0},
                                                         {kPadOk, 0, 0}};
    for (const auto& [button, stepX, stepY] : steps) {
        float dx = 9, dy = 9;
        PadMove(button, 0.5f, &dx, &dy);
        EXPECT_EQ(dx, stepX) << button;
        EXPECT_EQ(dy, stepY) << button;
    }
}

using Moves = ViewTest;

TEST_F(Moves, BoxesStepOnlyToOccupiedSlotsAndMoveModesMoveTheBoxTheSelectionOrItsArray) {
    MakeRectBox(0, 0, 20, 20);
    MakeRectBox(20, 0, 20, 20);
    for (int current : {1, 49, 0}) {  // the real swipes step between the two
        SetCurrentPatternBox(current);
        EXPECT_EQ(StepPatternBox(current == 0 ? -1 : 1), 0) << current;
        EXPECT_EQ(CurrentPatternBox(), current);
    }
    const int a = LoadPattern({{0, 0}, {1, 1}});
    LayoutNode* single = NewPatternLayoutNode(a, -1, 0, 1, 1);
    LayoutNode* member1 = NewPatternLayoutNode(a, 3, 1, 5, 5);
    LayoutNode* member2 = NewPatternLayoutNode(a, 3, 0, 7, 5);
    LayoutNode* other = AppendLayoutNode(a, -1, 0, 2, 2, 1);
    // Move all: every placement of the current box, none of another box.
    EXPECT_EQ(MoveForMode(kModeMoveAll, 0.5f, -0.25f), 1);
    ExpectFloats({member2->y, other->x}, {4.75f, 2});
    // Move selected: one placement, or its whole array.
    SetSelectedNode(single);
    EXPECT_EQ(MoveForMode(kModeMoveSelected, 0, 1), 1);
    ExpectFloats({single->y, member1->y}, {1.75f, 4.75f});
    SetSelectedNode(member2);
    EXPECT_EQ(MoveForMode(kModeMoveSelected, 1, 0), 1);
    ExpectFloats({member1->x, single->x}, {6.5f, 1.5f});
    // Pan mode, no selection, or a selection no longer in the layout: nothing moves.
    EXPECT_EQ(MoveForMode(kModePan, 1, 1), 0);
    LayoutNode* detached = CopyLayoutNode(single);
    EXPECT_TRUE(detached->source == single && !detached->next && !CopyLayoutNode(nullptr));
    SetSelectedNode(detached);
    EXPECT_EQ(MoveForMode(kModeMoveSelected, 1, 1), 0);
    EXPECT_FLOAT_EQ(detached->x, 1.5f);
    SetSelectedNode(nullptr);
    FreeDetachedLayoutNode(detached);
    EXPECT_EQ(MoveForMode(kModeMoveSelected, 1, 1), 0);
    ClearLayout();
    EXPECT_EQ(MoveForMode(kModeMoveAll, 1, 1), 0);
}

}  // namespace
