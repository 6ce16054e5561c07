// What the modules of a pattern run share: the packing of the run's path
// (run_packing.cpp), the streaming loop (run_streaming.cpp) and the start,
// stop and restart of a run (pattern_run.cpp). The screen's hooks, whether the
// run has ended, and the board steps every one of them takes. Not for other
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

}  // namespace run
