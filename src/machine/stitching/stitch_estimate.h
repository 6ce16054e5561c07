// What a stitch path will cost before it is run: how many moves the stitcher
// sews and how long they are, the jumps, thread cuts and lock stitches, and
// the time the board takes at the speed settings the run would use. The same
// rules give the run its time left while it streams (pattern_run) and the
// preview its thread lines (stitch_preview).
//
// The rules follow what the run does with a packed path in a stitching run:
// - a move inside a section is sewn at its point's feed and the top speed;
// - a jump shorter than kLockJumpInches is sewn as a short lead line, with
//   stitching left on;
// - a longer jump is tied off, run as a lead line with stitching off (and cut
//   when it is longer than jumpStitch), and the first move of the new section
//   is run as a lead line as well and tied on with a lock stitch: the stitcher
//   does not sew it.
// The board moves every move at a constant speed of
//   max(feed, minSpeed) / 100 × speed / 10 inches per second.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct FullPattern_t;

// What the stitcher does on the move from a point to the next.
enum MoveKind {
    kMoveSewn,   // stitching on: thread on the quilt
    kMoveJump,   // a jump between sections, stitching off
    kMoveTieOn,  // the first move of a section after a jump, stitching off
};

// The kind of the move from point to point->next (a point without a next
// point is taken as kMoveSewn: no move follows).
MoveKind ClassifyMove(const FullPattern_t* point);

// The settings a run moves with, taken from the machine parameters.
struct RunSpeeds {
    float topSpeed = 0;         // maxSpeed: the board speed of stitched moves
    float minimumFeed = 0;      // minSpeed: feeds below it run at it
    int32_t leadLineSpeed = 0;  // board speed of lead lines
    float acceleration = 0;     // acceleration setting of the feed computation
    float jumpStitch = 0;       // longest jump sewn without cutting, inches
    int32_t stitchRep = 0;      // lock-stitch repetitions
};

// The settings of the machine parameters now.
RunSpeeds CurrentRunSpeeds();

// The figures of a path.
struct StitchEstimate {
    int points = 0;             // points of the path
    int sections = 0;           // stitched sections (jumps of any length + 1)
    int stitches = 0;           // sewn moves of non-zero length
    int jumps = 0;              // jumps tied off and on (kLockJumpInches or longer)
    int threadCuts = 0;         // those longer than jumpStitch
    int lockStitches = 0;       // start, both ends of every jump, end
    double stitchedInches = 0;  // length of the sewn moves
    double jumpInches = 0;      // length of the jumps
    double seconds = -1;        // run time; -1 when the top speed is not positive
};

// The figures of the path from first on with these settings. An empty path
// gives zeros (and 0 seconds).
StitchEstimate EstimateStitchPath(const FullPattern_t* first, const RunSpeeds& speeds);

// Seconds the board needs from each point of the path to the end of the run
// (the moves after it, the lock stitches and lead lines of the jumps after it,
// the closing lock stitch), indexed like the points. Empty when the top speed
// is not positive. Element 0 is the run time of EstimateStitchPath.
std::vector<double> SecondsLeftAtPoints(const FullPattern_t* first, const RunSpeeds& speeds);

// "12 S", "3 MIN 05 S", "2 H 07 MIN" for a number of seconds (rounded to
// whole seconds; negative: "UNKNOWN").
std::string FormatDuration(double seconds);

// The run view's progress line for what the run reported: "42% DONE, 3 MIN
// 05 S LEFT" ("42% DONE" when the time is unknown).
struct RunProgress;
std::string FormatRunProgress(const RunProgress& progress);
