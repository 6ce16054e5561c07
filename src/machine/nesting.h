// Nesting after the quilt was rolled: before rolling the quilter marks two
// points on the fabric with the machine (the lower left and lower right
// corners of the quilting area), finds the marks again after rolling, and the
// current pattern box follows the fabric's shift and turn so that the next
// section joins the last one. A final screen (ui/) lets the quilter nudge the
// box with the machine; its OK applies ApplyNestingScreenMove.
//
// Machine positions are thousandths of an inch (MachinePosition, the board's
// unit); box moves are inches; turns radians (positive clockwise on screen).
#pragma once

#include "machine/mc1_motion.h"

struct PatternBox;

constexpr const char* kNestCommunicationsError = kHeadUnreadableMessage;
constexpr const char* kNestMarkThis = "MARK THIS LOCATION.";

// Results of NestingMarks (and of the nesting dialog).
constexpr int kNestMoved = 0;
constexpr int kNestCancelled = -1;
constexpr int kNestFailed = -90;  // a machine position could not be read

// The steps of the marks, in the order the quilter goes through them.
enum NestStep : int {
    kNestLowerLeft = 0,  // first mark, before rolling (the head is held while read)
    kNestLowerRight,     // second mark, before rolling (held)
    kNestRoll,           // the quilter rolls the quilt
    kNestFirstMark,      // the first mark found again (head free)
    kNestSecondMark,     // the second mark found again (head free)
    kNestStepCount
};

// What one step shows and does.
struct NestStepInfo {
    const char* message;  // information window with OK and Cancel
    bool readsPosition;   // the head position is read after OK
    bool holdsHead;       // the head is held for the reading and "MARK THIS LOCATION." follows
};

// The step's message and actions; the steps are fixed.
const NestStepInfo& NestingStep(NestStep step);

// How the box follows the fabric, from the four readings.
struct NestMove {
    float dx = 0;       // inches: first mark found again minus where it was, across
    float dy = 0;       // inches: the same down the table (negative: rolled back)
    double before = 0;  // radians: direction from the first to the second mark before rolling
    double after = 0;   // radians: the same after rolling
    double Turn() const { return before - after; }  // radians the placements turn
};

// The move from the marks p1, p2 (before) and p3, p4 (after); logs the
// readings, the roll and the turn. Pure apart from the log.
NestMove ComputeNestMove(const MachinePosition& p1, const MachinePosition& p2,
                         const MachinePosition& p3, const MachinePosition& p4);

// Moves a box (corners, origin and its centre measure) by (dx, dy) inches;
// its placements move with it, being measured from its origin. Nothing for none.
void MovePatternBox(PatternBox* box, float dx, float dy);

// Applies a nesting move to the current box: its new top edge goes where its
// bottom edge lies now, shifted with the fabric (dx, height + dy), then the
// box's placements turn by Turn() (RotateFullPattern). Returns 1, or 0 when
// there is no current box.
int ApplyNestMove(const NestMove& move);

// The nesting screen's OK: the current box moves by how far the head was
// pushed while the screen was open. Returns 1, or 0 without a current box.
int ApplyNestingScreenMove(const MachinePosition& origin, const MachinePosition& current);

// The marks from the first message to the turn: writes the undo step, shows
// each step's message (Cancel ends with kNestCancelled, the box untouched),
// holds the head where a step says (SetSpeed at maxSpeed, EnableX, EnableY;
// released afterwards and on every way out), reads the positions, then
// ApplyNestMove. A failed reading shows "COMMUNICATIONS ERROR.\nPLEASE TRY
// AGAIN." and ends with kNestFailed, the box untouched. Returns kNestMoved
// otherwise. Called by the nesting dialog before its point and nesting screens.
int NestingMarks();
