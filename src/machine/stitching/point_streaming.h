// Keeping the board's move queue filled: the lead line from wherever the head
// stands to a point of the stitch path, the sender that hands a list of points
// to the board as places free up, the wait until the board has run empty with
// its stall watchdog, and the pre-fill of a stitched section while the board is
// halted. Every loop drains the screen's pending events and watches allStop,
// so the Stop, Pause and Thread Break buttons act while it runs.
#pragma once

#include <cstdint>

struct FullPattern_t;

// The last head position read by the stall watchdog, thousandths of an inch.
extern int32_t currentX, currentY;

// Menu state mask while the head moves: only the run controls stay usable.
constexpr uint32_t kRunMenuMask = 0x800000;
// Free places the sender keeps in the board's queue.
constexpr int kPlacesKeptFree = 1;
// Unreadable status replies in a row before the sender gives up.
constexpr int kSendRetries = 10;
// Seconds without queue progress or head movement before a wait gives up.
constexpr int kStallSeconds = 10;
// Head movement per axis that counts as progress, thousandths of an inch.
constexpr int32_t kMovementThreshold = 5;

// True when the head moved more than kMovementThreshold on either axis between
// two readings. Any reading is allowed: a garbled position near the int32
// limits cannot overflow the difference.
bool HeadMoved(int32_t fromX, int32_t fromY, int32_t toX, int32_t toY);

// Results of SendLeadLine.
constexpr int kLeadLineSent = 1;         // the whole lead line was handed to the board
constexpr int kLeadLineFailed = 0;       // no target, stopped, board error or silence
constexpr int kLeadLineNoPosition = -1;  // the head position could not be read: nothing sent

// Farthest a standing head may be from the path point it was left at, path
// units, for a lead line sewn with stitching on to start there.
constexpr float kLeadStartTolerance = 50.0f;

// Longest lead line, path units: no frame is 1,000 inches long, so a head
// reported farther from the target is a reading garbled on the line, and the
// moves would drive the head towards a place it cannot be.
constexpr float kLongestLeadLine = 1.0e6f;

// Leads the head from its position to target (none: to fpTemp) in moves of at
// most 0.2 inch, accelerating from and braking to minSpeed. The position is
// read until two readings agree (GetSteadyXY), so a garbled reply is not taken
// for it, and one farther than kLongestLeadLine from the target is taken for a
// garbled one all the same. With stitching on (a short jump sewn without a
// tie-off) the line starts at the path point before the target, and only when
// the head is found within kLeadStartTolerance of it. Returns one of the
// results above; a lead line never starts from a position it could not read or
// trust (then nothing is sent and stitching is switched off).
int SendLeadLine(FullPattern_t* target);

// Hands the points of a list to the board as places free up, at the lead-line
// speed. Returns 1 when every point was accepted; 0 on an empty list, on stop,
// on a board error (axes released, error shown) or after more than 10
// unreadable status replies ("UNABLE TO SEND ALL POINTS").
int SendPoints(FullPattern_t* first);

// Results of WaitForMovesDone.
enum MovesDoneResult {
    kMovesDone = 0,        // the board reports every move done
    kMovesStopped = 1,     // a stop was asked for (allStop 1)
    kMovesBoardError = 2,  // the board reported an error (shown)
    kMovesStalled = 3,     // for kStallSeconds neither the queue count changed nor the head moved
};

// Waits until the board reports every move done, draining screen events and
// watching allStop. Returns one of the results above; it never ends a run
// itself, so callers that are no run (the motor tests) keep their screen.
int WaitForMovesDone();

// The run's wait: WaitForMovesDone, and a stall ends the run (StopPattern).
// Returns 1 when every move is done, else 0.
int WaitForBuffer();

// Pre-fills the halted board with the first 98 − stitchRep points of the
// section at fpTemp; fpTemp rests on the last point handed to the board.
void SendFortyNine();
