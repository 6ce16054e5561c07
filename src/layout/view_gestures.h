// The touch arithmetic of the layout view: the long press that opens the
// pattern pop-up, swipes and corner arrows that step between pattern boxes,
// the direction pad and the on-view edit buttons, and the moves of the two
// move modes. No toolkit code: the view's event handlers call these with the
// pointer positions and times they received.
#pragma once

#include <cstdint>

// Edit modes of the views (the `command` global).
constexpr int kModeNone = -1;
constexpr int kModePan = 1;
constexpr int kModeMoveAll = 8;
constexpr int kModeMoveSelected = 9;
constexpr int kModeSpeed = 10;
constexpr int kModeAutofill = 12;  // the next pattern picked is autofilled

// Long press: ticks of the 100 ms timer before the pop-up matures, the drift in
// pixels that still counts as holding still, the drift that cancels, and the
// tick count after which the press is given up (10 s).
constexpr int kLongPressTicks = 9;
constexpr int kLongPressDrift = 14;
constexpr int kLongPressCancelDrift = 16;
constexpr int kLongPressMaxTicks = 100;
// Swipes: pixels per second above which a release is a swipe, and the largest
// vertical travel (exclusive) of a swipe that changes the box.
constexpr int kSwipeSpeed = 500;
constexpr int kSwipeMaxRise = 25;

// Size of the direction pad images and their gap, in pixels.
struct PadGeometry {
    int s = 32;  // image side
    int g = 5;   // gap
};

// 50 / 10 for the large icon style (1), 32 / 5 otherwise.
PadGeometry PadForIconStyle(int iconStyle);

enum PadButton { kPadNone, kPadUp, kPadDown, kPadLeft, kPadRight, kPadOk };

// Centre of the pad for a W x H view: int(W - (1.5 s + 2 g)), likewise y.
void PadCentre(int W, int H, const PadGeometry& pad, int* cx, int* cy);

// Top-left corner of one pad image (kPadNone: false).
bool PadImageOrigin(PadButton button, int W, int H, const PadGeometry& pad, int* x, int* y);

// 1 when the point lies strictly inside the pad square (dragging there moves nothing).
bool InsidePad(double x, double y, int W, int H, const PadGeometry& pad);

// The pad image whose s x s square holds the point, or kPadNone.
PadButton PadButtonAt(double x, double y, int W, int H, const PadGeometry& pad);

// The on-view edit button (1..5) whose square holds the point (strict
// inequalities), or 0. Buttons 1-3 sit along the bottom, 4 and 5 at the right.
int EditButtonAt(double x, double y, int W, int H);

// Top-left corner of edit button n (1..5) in a W x H view; false for another n.
bool EditButtonOrigin(int n, int W, int H, int* x, int* y);

// What one tick of the long-press timer decides.
enum LongPressStep {
    kLongPressWait,       // keep ticking
    kLongPressBusy,       // keep ticking; show the busy cursor now (second tick)
    kLongPressMatured,    // the pop-up opens on release: show the hint, stop ticking
    kLongPressCancelled,  // moved, released or held too long: stop ticking
};

// One tick: ticks is the count including this tick, drift the integer distance
// of the pointer from the press, menuMask the menu state mask (0: no pop-up).
LongPressStep LongPressTick(int ticks, bool held, int drift, uint32_t menuMask);

// What a release does for the pattern boxes.
enum SwipeResult {
    kNotASwipe,      // slow: the release goes on to the mode's own action
    kSwipeNextBox,   // fast to the left
    kSwipePrevBox,   // fast to the right
    kSwipeNoChange,  // fast but too steep: the release ends here
};

// Classifies a release (dx, dy) pixels from the press after elapsedMs in the
// given edit mode. The speed mode of the run view has no swipes. A press and
// release in the same millisecond counts as one millisecond.
SwipeResult ClassifySwipe(double dx, double dy, int64_t elapsedMs, int mode);

// Corner arrows: +1 when press and release both lie in the top band (y < s) at
// the right (x > W - 2g - s), -1 when both lie there at the left (x < 2g + s),
// else 0. Always 0 in the speed mode.
int CornerArrowStep(double pressX, double pressY, double releaseX, double releaseY, int W,
                    const PadGeometry& pad, int mode);

// Makes the next (+1) or previous (-1) pattern box current when that slot holds
// a box (next: current <= 48). Returns 1 when the box changed, 0 otherwise.
int StepPatternBox(int direction);

// Applies a move of (dx, dy) inches for an edit mode: the move-all mode moves
// every placement of the current box (when the layout has any), the
// move-selected mode the selected placement or, for an array member, every
// member of its array. Other modes move nothing. Returns 1 when something moved.
int MoveForMode(int mode, float dx, float dy);

// The move of a pad button for a step of `increment` inches (up is -y).
void PadMove(PadButton button, float increment, float* dx, float* dy);
