// Autoscale: makes a placed pattern (or a whole array) as large as its convex
// pattern box allows and centres it there. The pattern's hull is shrunk until
// it fits, then bounced between the walls along both diagonals and both axes,
// growing a little whenever a grown copy still fits, until the free play stops
// changing; the hull's final size and centre give the stretch of the pattern
// and the placement's position.
//
// Works in the current pattern box (`currentPatternBox`), inside the margin
// `xMargin`. Runs in the handler that started it: the caller sets
// `operationRunning` to 1 first (SmartScale does), the waiting window's Cancel
// clears it from inside the drained events, and every loop checks it. The
// layout view draws the hull while it runs (HullOutline, hull_bounce.h). All
// of it ends within 30 seconds of the first bounce.
#pragma once

#include <cstdint>

struct LayoutNode;

enum AutoScaleResult : int {
    kAutoScaleDone = 0,
    kAutoScaleBoxNotConvex = 1,    // "CANNOT AUTOSCALE TO DEFINED PATTERN BOX..." shown
    kAutoScaleBoxInvalid = 2,      // box shape not usable; nothing shown, nothing changed
    kAutoScaleNothingToScale = 3,  // no placement, pattern or point; nothing changed
    kAutoScaleCancelled = -5,      // Cancel pressed: the pattern keeps its size
};

enum AutoScaleMode : int {
    kKeepProportions = 0,     // one factor for both axes
    kScaleIndependently = 1,  // width and height each as large as they fit
};

// The bounce passes end after this long (from the first bounce) or this many passes.
constexpr int64_t kAutoScaleTimeLimitMs = 30000;
constexpr int kAutoScalePassLimit = 40;

constexpr const char* kNotConvexMessage =
    "CANNOT AUTOSCALE TO DEFINED PATTERN BOX.\nABORTING AUTOSCALE.";
constexpr const char* kKeepProportionsQuestion = "KEEP PATTERN PROPORTIONS?";
constexpr const char* kScalingTitle = "\n\nSCALING PATTERN";

// What a run did, for the tools and the benchmark.
struct AutoScaleReport {
    int passes = 0;                           // bounce passes run (0 … 40)
    bool timedOut = false;                    // the passes ended at the 30-second limit
    float widthBefore = 0, heightBefore = 0;  // inches: the pattern, or the array's span
    float widthAfter = 0, heightAfter = 0;
};

// Autoscale of one placement. A placement x or y of exactly 0 becomes 0.01
// first. Mode: AutoScaleMode. Returns an AutoScaleResult; only kAutoScaleDone
// changes the pattern (stretched, in its own unturned frame when its `angle` is
// not 0) and the placement's position. Called by SmartScale and longarm-tool.
int AutoScale(LayoutNode* node, int mode, AutoScaleReport* report = nullptr);

// Autoscale of a whole array: the hull of every copy is fitted, the pattern is
// stretched, the members' positions scaled by the same factors and the array
// centred on the hull (the parent is not nudged from 0, which would break the
// grid). The parent is the array's parent placement (a placement
// without an array is scaled alone). Results as AutoScale. Called by autofill,
// SmartScale and longarm-tool.
int AutoScaleArray(LayoutNode* parent, int mode, AutoScaleReport* report = nullptr);

// The scale dialog's SMARTSCALE after the proportions question: opens the
// waiting band "\n\nSCALING PATTERN" with Cancel (the view with the hull stays
// in sight), sets `operationRunning`, runs AutoScale (AutoScaleArray for the
// parent of an arrayed placement), clears the flag, closes the band and
// redraws the pattern images. The caller
// restricts and restores the menus around it. Returns AutoScale's result.
int SmartScale(LayoutNode* node, int mode);

// Asks a proportions question with Yes, No and Cancel. Returns
// kKeepProportions for Yes, kScaleIndependently for No, -1 for anything else.
int AskKeepProportions(const char* question);
