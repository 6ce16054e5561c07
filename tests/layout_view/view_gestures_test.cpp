// The touch arithmetic: long press, swipes, corner arrows, the direction pad,
// the edit buttons and the moves of the two move modes.
#include "layout/view_gestures.h"

#include <gtest/gtest.h>

#include "view_fixture.h"

namespace {

constexpr uint32_t kLayoutMask = 0x37FFFFF;

TEST(LongPress, MaturesAfterNineTicksWithinFourteenPixels) {
    EXPECT_EQ(LongPressTick(8, true, 0, kLayoutMask), kLongPressWait);
    EXPECT_EQ(LongPressTick(9, true, 14, kLayoutMask), kLongPressMatured);
    // 15 pixels keeps waiting without ever maturing; 16 gives up.
    EXPECT_EQ(LongPressTick(9, true, 15, kLayoutMask), kLongPressWait);
    EXPECT_EQ(LongPressTick(50, true, 15, kLayoutMask), kLongPressWait);
    EXPECT_EQ(LongPressTick(9, true, 16, kLayoutMask), kLongPressCancelled);
    // Released, held past ten seconds, or a screen without menus: no pop-up.
    EXPECT_EQ(LongPressTick(9, false, 0, kLayoutMask), kLongPressCancelled);
    EXPECT_EQ(LongPressTick(101, true, 15, kLayoutMask), kLongPressCancelled);
    EXPECT_EQ(LongPressTick(9, true, 0, 0), kLongPressWait);
    EXPECT_EQ(LongPressTick(2, true, 3, kLayoutMask), kLongPressBusy);
}

TEST(Swipe, FastHorizontalReleasesStepBoxesAndSlowOnesDoNot) {
    // 160 pixels in 300 ms is 533 pixels per second; 150 is exactly 500.
    EXPECT_EQ(ClassifySwipe(-160, 10, 300, kModeNone), kSwipeNextBox);
    EXPECT_EQ(ClassifySwipe(160, -24, 300, kModePan), kSwipePrevBox);
    EXPECT_EQ(ClassifySwipe(-150, 0, 300, kModeNone), kNotASwipe);
    EXPECT_EQ(ClassifySwipe(-140, 0, 300, kModePan), kNotASwipe);
    // Fast but steep: ends the release without a change.
    EXPECT_EQ(ClassifySwipe(-160, 25, 300, kModeNone), kSwipeNoChange);
    EXPECT_EQ(ClassifySwipe(160, -25, 300, kModeNone), kSwipeNoChange);
    // The run view's speed mode has no swipes; a zero-length press cannot divide by zero.
    EXPECT_EQ(ClassifySwipe(-600, 0, 100, kModeSpeed), kNotASwipe);
    EXPECT_EQ(ClassifySwipe(-2, 0, 0, kModeNone), kSwipeNextBox);
    EXPECT_EQ(ClassifySwipe(0, 0, 0, kModeNone), kNotASwipe);
}

TEST(Controls, CornerArrowsPadAndEditButtonsHitWhereTheyAreDrawn) {
    const PadGeometry pad = PadForIconStyle(0);  // 32-pixel images, 5 apart
    EXPECT_EQ(PadForIconStyle(1).s, 50);
    // Top band 32 high; right corner x > 320 - 10 - 32 = 278, left x < 42.
    EXPECT_EQ(CornerArrowStep(300, 5, 310, 31, 320, pad, kModeNone), 1);
    EXPECT_EQ(CornerArrowStep(10, 5, 41, 31, 320, pad, kModePan), -1);
    EXPECT_EQ(CornerArrowStep(300, 5, 310, 32, 320, pad, kModeNone), 0);
    EXPECT_EQ(CornerArrowStep(300, 5, 200, 5, 320, pad, kModeNone), 0);
    EXPECT_EQ(CornerArrowStep(300, 5, 310, 5, 320, pad, kModeSpeed), 0);

    // Pad of a 320 x 200 view: centre (262, 142); Up from (246, 89), 32 square.
    EXPECT_EQ(PadButtonAt(246, 89, 320, 200, pad), kPadUp);
    EXPECT_EQ(PadButtonAt(277, 120, 320, 200, pad), kPadUp);
    EXPECT_EQ(PadButtonAt(278, 120, 320, 200, pad), kPadNone);  // the gap
    EXPECT_EQ(PadButtonAt(262, 142, 320, 200, pad), kPadOk);
    EXPECT_EQ(PadButtonAt(220, 142, 320, 200, pad), kPadLeft);
    EXPECT_EQ(PadButtonAt(262, 190, 320, 200, pad), kPadDown);
    EXPECT_EQ(PadButtonAt(290, 142, 320, 200, pad), kPadRight);
    // The pad square reaches 1.5 s + g = 53 from the centre, strictly.
    EXPECT_TRUE(InsidePad(210, 90, 320, 200, pad));
    EXPECT_FALSE(InsidePad(209, 142, 320, 200, pad));

    // Edit buttons with strict edges: 1 spans 88 < x < 120, 160 < y < 192.
    EXPECT_EQ(EditButtonAt(89, 161, 320, 200), 1);
    EXPECT_EQ(EditButtonAt(88, 170, 320, 200), 0);
    EXPECT_EQ(EditButtonAt(100, 192, 320, 200), 0);
    EXPECT_EQ(EditButtonAt(300, 120, 320, 200), 4);
    EXPECT_EQ(EditButtonAt(300, 80, 320, 200), 5);
    EXPECT_EQ(EditButtonAt(300, 100, 320, 200), 0);
}

using Moves = ViewTest;

TEST_F(Moves, BoxesStepOnlyToOccupiedSlots) {
    MakeRectBox(0, 0, 5, 5);
    MakeRectBox(5, 0, 5, 5);
    interface->currentPatternBox = 0;
    EXPECT_EQ(StepPatternBox(-1), 0);  // nothing before the first
    EXPECT_EQ(StepPatternBox(1), 1);
    EXPECT_EQ(interface->currentPatternBox, 1);
    EXPECT_EQ(StepPatternBox(1), 0);  // nothing after the last
    EXPECT_EQ(interface->currentPatternBox, 1);
    EXPECT_EQ(StepPatternBox(-1), 1);
    EXPECT_EQ(interface->currentPatternBox, 0);
    interface->currentPatternBox = 49;  // the last slot has no next
    EXPECT_EQ(StepPatternBox(1), 0);
}

TEST_F(Moves, MoveModesMoveTheBoxTheSelectionOrItsArray) {
    MakeRectBox(0, 0, 20, 20);
    MakeRectBox(20, 0, 20, 20);
    interface->currentPatternBox = 0;
    const int a = LoadPath({{0, 0}, {1, 1}});
    LayoutNode* single = NewPatternLayoutNode(a, -1, 0, 1, 1);
    LayoutNode* member1 = NewPatternLayoutNode(a, 3, 1, 5, 5);
    LayoutNode* member2 = NewPatternLayoutNode(a, 3, 0, 7, 5);
    LayoutNode* other = AppendLayoutNode(a, -1, 0, 2, 2, 1);

    // Move all: every placement of the current box, none of another box.
    EXPECT_EQ(MoveForMode(kModeMoveAll, 0.5f, -0.25f), 1);
    EXPECT_FLOAT_EQ(member2->y, 4.75f);
    EXPECT_FLOAT_EQ(other->x, 2);

    // Move selected: one placement, or its whole array.
    interface->selectedNode = single;
    EXPECT_EQ(MoveForMode(kModeMoveSelected, 0, 1), 1);
    EXPECT_FLOAT_EQ(single->y, 1.75f);
    EXPECT_FLOAT_EQ(member1->y, 4.75f);
    interface->selectedNode = member2;
    EXPECT_EQ(MoveForMode(kModeMoveSelected, 1, 0), 1);
    EXPECT_FLOAT_EQ(member1->x, 6.5f);
    EXPECT_FLOAT_EQ(member2->x, 8.5f);
    EXPECT_FLOAT_EQ(single->x, 1.5f);

    // Pan mode, no selection, or a selection no longer in the layout: nothing moves.
    EXPECT_EQ(MoveForMode(kModePan, 1, 1), 0);
    interface->selectedNode = nullptr;
    EXPECT_EQ(MoveForMode(kModeMoveSelected, 1, 1), 0);
    LayoutNode* detached = CopyLayoutNode(single);
    interface->selectedNode = detached;
    EXPECT_EQ(MoveForMode(kModeMoveSelected, 1, 1), 0);
    EXPECT_FLOAT_EQ(detached->x, 1.5f);
    interface->selectedNode = nullptr;
    FreeDetachedLayoutNode(detached);
    ClearLayout();
    EXPECT_EQ(MoveForMode(kModeMoveAll, 1, 1), 0);
}

}  // namespace
