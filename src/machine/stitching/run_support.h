// What the modules of a pattern run share: the packing of the run's path
// (run_packing.cpp), the streaming loop (run_streaming.cpp), the start, stop
// and restart of a run (pattern_run.cpp) and the demo run's passes
// (demo_run.cpp). The screen's hooks, whether the run has ended, the board
// steps every one of them takes and the streaming loop itself. Not for other
// callers: they use pattern_run.h.
#pragma once

#include <cstdint>

#include "machine/stitching/pattern_run.h"

struct FullPattern_t;

namespace run {

// The screen's side of the run, as SetRunControlHooks installed it.
extern RunControlHooks hooks;
// Set by StopPattern, cleared when a run (or a restart) begins: lets the steps
// of a run tell that a primitive below them has already ended it.
extern bool runStopped;

// Microseconds the menus are given to settle after the run mask is set.
constexpr int kMenuSettleUs = 2500;

// True when Stop was pressed (allStop 1).
bool StopRequested();
// True when the run has ended or a stop was asked for.
bool Ended();
// Ends the run unless something below already did. Returns false, so a step
// can end with `return Fail();`.
bool Fail();

// The screen's menu mask and toggles, through the hooks.
void SetMask(uint32_t mask);
void SetStitchingToggle(int active);
void SetStitchingSensitive(int sensitive);
void ClearLockToggles();
void SetPauseSensitive(int sensitive);

// Distance of two path points in path units, and whether they coincide.
float Distance(const FullPattern_t* a, const FullPattern_t* b);
bool SamePosition(const FullPattern_t* a, const FullPattern_t* b);
// The first point of the current path; none without one.
FullPattern_t* FirstPathPoint();
// True when point is one of the points of the current path (a stale pointer
// from an older path is not).
bool OnCurrentPath(const FullPattern_t* point);

// Checks the stitcher before a run or a restart. Returns true when the run may
// go on; otherwise the quilter has been told why and stitching is disarmed.
bool StitcherReady();
// Sends one move, sending it again while the board refuses it. Returns false
// when the board never took it or a stop was requested.
bool SendMoveTo(const FullPattern_t* point, float feed);
// Waits for the board to run its queue empty; true when it did.
bool Wait();
// Leads the head to target (fpTemp when null); tells the quilter when the
// head position could not be read (nothing was sent), so that no run ends
// there without saying why. Returns SendLeadLine's result.
int LeadTo(FullPattern_t* target);
int LeadToStart();
// Hands the progress of the run to the run view.
void ReportProgress(double shareDone, double secondsLeft);

// What the streaming loop does its own way in a run and in a pass of the demo.
struct StreamPolicy {
    int markerPolls;      // answered polls between two moves of the head marker
    bool busyPollsCount;  // busy answers (0xFF) count among those polls
    // A queue standing still has the head watched: a head that does not move
    // for ten seconds ends the run ("ROBOT NOT RESPONSIVE. ERR: WFB100").
    bool watchHead;
    bool reportProgress;  // the run view is told the share done and the time left
    // The board stands idle at a section's end (fpTemp, halt set): on to the
    // next section. Returns false when the run ended.
    bool (*changeSection)(bool stitchRun);
};

// How the streaming loop returned.
enum class StreamEnd {
    kStop,      // Stop was pressed (allStop 1)
    kPause,     // PAUSE was pressed (allStop 2); the board still runs its queue
    kLost,      // the cursor went away under a drained event
    kPathDone,  // the last point was sent again, the closing lock stitch tied
                // in a stitching run, and the path freed
    kEnded,     // the run ended (StopPattern)
};

// The streaming loop from fpTemp on, with the board resumed: drains the
// screen's events, keeps the board's queue filled, moves the head marker,
// changes sections and finishes the path. A board error, or a board that does
// not answer for ten seconds, ends the run with its message. stitchRun: the
// Stitching toggle was on when the loop was entered. Called by ProcessPattern
// and by the demo's passes.
StreamEnd StreamPath(const StreamPolicy& policy, bool stitchRun);

}  // namespace run
