// The moves autoscale makes with a pattern's hull inside the box polygon:
// bouncing it between the walls (growing it while it still fits), pulling it
// back in when it stuck out, shrinking it until it fits, and the distance of a
// point that stuck out from the wall it crossed. Also the seams these long
// loops need: the clock of their time limits, the redraw of the layout view
// (which draws the hull while autoscale runs) and the quilter's Cancel.
//
// The box polygon is a PointArray in the placement frame, walked in the Left
// sense (a box that passes CheckPatternBox); the hull is a PointArray of
// HullElement in the same frame. Lengths are inches, directions radians with
// x to the right and y toward the front (direction π points to the left, 3π/2
// toward the back).
#pragma once

#include <cstdint>
#include <vector>

#include "layout/geometry.h"

struct StatusWindow;

// ---- seams ---------------------------------------------------------------

struct AutoScaleHooks {
    int64_t (*nowMs)() = nullptr;    // milliseconds of a steady clock; MonotonicMs when empty
    void (*redrawView)() = nullptr;  // the layout view redraws itself; nothing when empty
};

// Installs the hooks (a copy is kept); {} goes back to the defaults. The user
// interface installs the redraw; tests install a clock of their own.
void SetAutoScaleHooks(const AutoScaleHooks& hooks);

// The time of the seam's clock, milliseconds.
int64_t AutoScaleNowMs();

// True while the operation may go on: `operationRunning` of the application
// record is 1. The waiting window's Cancel clears it from inside the drained
// events.
bool OperationRunning();

// The hull of the autoscale that is running, in the placement frame of the
// current box, as the layout view draws it; none when no autoscale runs. It is
// brought up to date whenever the view is asked to redraw.
const std::vector<QuiltPoint>* HullOutline();

// Publishes the hull (none forgets it), asks the view to redraw and drains
// pending screen events. Called by autoscale at its start and end and by the
// loops below every 100 steps (counted over all of them).
void ShowHull(const PointArray* hull);

// ---- moves ---------------------------------------------------------------

// Time limit of one bounce.
constexpr int64_t kBounceTimeLimitMs = 10000;
// Distance beyond which a hull point that stuck out is pulled back in (inches).
constexpr float kPullInDistance = 0.1f;

// How the hull turns at a wall.
enum BounceMode : int {
    kBounceAlongX = 1,   // reverse the move along x, stop moving along y
    kBounceAlongY = 2,   // reverse the move along y, stop moving along x
    kBounceReverse = 3,  // reverse both
};

struct Bounce {
    int mode = kBounceReverse;
    float step = 0.05f;    // inches moved per step
    int hitLimit = 1;      // the bounce ends when the hits exceed this
    float growX = 1.0f;    // factor of each growth along x (1: no growth)
    float growY = 1.0f;    // factor of each growth along y
    float direction = 0;   // radians
    int growLimit = 1;     // growths allowed (below 1 counts as 1)
    int rotation = 0;      // whole degrees: growth is measured in the pattern's own frame
    int64_t deadline = 0;  // clock time after which the bounce gives up; 0: 10 s from its start
};

// Moves the hull step by step in the given direction. After the first wall
// contact, while growths remain, a copy grown by (growX, growY) about the
// hull's centre (in the frame turned by `rotation`) replaces the hull when it
// lies strictly inside. At each contact the direction turns as the mode says;
// a point stuck out by more than 0.1 inch is pulled back in. When the hits
// exceed the limit, or at a contact once every growth was made, the hull goes
// back to the middle of its last run. Returns the distance travelled between
// the last two contacts (inches; the free play in that direction); -1 on time
// out (logged "HullBounce while loop Timeout") or cancel; 0 when the status
// window's STOP was pressed. Without a status window the view is redrawn every
// 100 steps. Called by autoscale.
float HullBounce(const PointArray* box, PointArray* hull, const Bounce& bounce,
                 StatusWindow* status);

// Moves the hull until every point lies inside the box: each time by the
// distance from the first point outside to the foot of its perpendicular on the
// wall it crossed (a little further, so each move makes progress); after every
// 10 moves the hull is centred on the box centre again. Returns 1 inside, 0
// when cancelled, out of time (deadline, clock milliseconds) or after 1000
// moves. Called by the bounce.
int PatternInBox(const PointArray* box, PointArray* hull, StatusWindow* status, int64_t deadline);

// Shrinks the hull by 1 % at a time about the box centre (the centroid of a
// triangle, the crossing of the diagonals of a quadrilateral, else the middle
// of the bounding rectangle; a centre outside the box is replaced by the mean of
// the corners) until every point lies inside. Returns 1 inside; 0 when
// cancelled, out of time, or when it cannot fit (after 3000 steps). Called by
// autoscale before the bounces.
int PatternInBox2(const PointArray* box, PointArray* hull, StatusWindow* status, int64_t deadline);

// Distance (inches) from p to the wall segment: to the foot of the
// perpendicular when it lies on the segment (or off its line through
// rounding), else to the nearer end.
float GetOverlapDistance(const float* p, const EdgeSegment& edge);

// The centre autoscale aims at in a box polygon: for three corners the
// centroid, for four (when fourCorners) the crossing of the diagonals, else
// the middle of the bounding rectangle; when that lies outside the polygon,
// the mean of its corners (inside any convex polygon). Returns 0 for fewer than
// three corners, else 1.
int BoxTargetCentre(const PointArray* box, bool fourCorners, float* cx, float* cy);
