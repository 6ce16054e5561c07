// Run control of a quilting job: from the quilter's Start press to the end of
// the stitch path. Checks the stitcher, packs the path of the current pattern
// box, brings the head to the start with a lead line, has the bobbin thread
// pulled up, ties the lock stitch, then streams the path into the board's
// queue while it switches stitching on and off, handles the jumps between
// stitched sections and reacts to Pause, Stop and Thread Break.
//
// The whole run happens inside the handler that started it (Start, or PAUSE
// released); the Stop, Pause and Thread Break buttons act from inside the
// drained screen events through allStop. This is core code: everything it needs
// from the screen goes through RunControlHooks, which the run view installs
// and tests script; messages go through base/ui_hooks.h.
//
// One module per job: pattern_run.cpp starts and ends a run, run_packing.cpp
// makes its path, run_streaming.cpp runs the streaming loop, and
// run_support.cpp holds what they share (run_support.h).
#pragma once

#include <cstdint>

struct FullPattern_t;

// Menu state mask while no run is going on: everything usable.
constexpr uint32_t kIdleMenuMask = 0x37FFFFF;
// Edit mode of the views while a run is set up or running (speed buttons).
constexpr int kRunCommand = 10;
// Jumps at least this long (inches) get a lock stitch at both ends.
constexpr float kLockJumpInches = 0.125f;
// Feed of the tie-off moves of a lock stitch, and the board speed meanwhile.
constexpr float kLockStitchFeed = 30.0f;
constexpr int kLockStitchSpeed = 40;
// Response of the "SET START" button of the start question.
constexpr int kResponseSetStart = -99;

// 0 while the demo run repeats; every StopPattern sets it to 1, which ends
// the repetitions.
extern int stopTest;

// Speed-button presses of the current run view (Up, Down); reset whenever a
// view is built (resetRunSpeedChanges).
extern int speedup, slowdown;

// What the streaming loop of the current run saw (reset when a run starts):
// for the log, the tests and the benchmarks.
struct RunStatistics {
    long polls = 0;           // status requests answered
    long silentPolls = 0;     // status requests without a usable answer
    long busyPolls = 0;       // answers 0xFF (busy stitching)
    long movesSent = 0;       // path points the board took from the loop
    long movesRefused = 0;    // moves refused (sent again on a later poll)
    long emptyInSection = 0;  // polls that found the board idle inside a section
};
extern RunStatistics runStatistics;

// How far the run has come: reported to the run view whenever the board has
// taken another point of the path (its queue status against the points sent),
// and once more at the end of the path with everything done.
struct RunProgress {
    double shareDone = 0;     // 0 … 1 of the run time
    double secondsLeft = -1;  // until the end of the path; -1 when the top speed is 0
};

// What the run needs from the screen. Every hook may be null; the run then
// does without (the Stitching toggle falls back to the `stitching` global).
struct RunControlHooks {
    int (*stitchingActive)() = nullptr;                // the toolbar's Stitching toggle
    void (*setStitchingActive)(int active) = nullptr;  // turns the toggle on or off
    void (*setStitchingSensitive)(int sensitive) = nullptr;
    void (*clearLockToggles)() = nullptr;    // Lock X and Lock Y off
    void (*showRunView)() = nullptr;         // the run view with PAUSE / THREAD BREAK
    void (*showEditView)() = nullptr;        // back to the layout (edit) view
    void (*destroyPauseButton)() = nullptr;  // removes PAUSE from the run view
    void (*setPauseSensitive)(int sensitive) = nullptr;
    void (*setPauseReleased)() = nullptr;  // PAUSE up; its handler resumes the run
    void (*setThreadSensitive)(int sensitive) = nullptr;
    void (*redrawRunView)() = nullptr;             // after the head marker moved
    void (*movePointerOutOfView)() = nullptr;      // so no button stays highlighted
    void (*setMenuMask)(uint32_t mask) = nullptr;  // stores and applies a menu mask
    // The point-selection screen of "SET START": the path point nearest the
    // head when the quilter confirms (halt points not counted), or none.
    FullPattern_t* (*selectPoint)() = nullptr;
    // The share done and the time left, for the run view to show.
    void (*showProgress)(const RunProgress& progress) = nullptr;
};

// Installs the hooks (a copy is kept) and connects the point streaming to
// StopPattern and the menu mask. The run view calls it at start-up; tests
// install scripted hooks. Pass {} to remove them.
void SetRunControlHooks(const RunControlHooks& hooks);
const RunControlHooks& GetRunControlHooks();

// The toolbar's Stitching toggle as the run sees it (1 on, 0 off).
int StitchingToggleActive();

// Toolbar Start: start signal, stitcher check, "PATTERN BOX IS EMPTY", the
// start question with "SET START" (led by "STITCHING IS OFF: THE HEAD WILL
// ONLY TRACE THE PATTERN." when the Stitching toggle is off), packing, then
// StartPattern. Returns nothing; every failure is shown to the quilter and
// leaves the edit view.
void startButtonReleased();

// Packs the stitch path of the current box inside the progress window
// "CREATING PATTERN OUTPUT FILE" and puts the streaming cursor (fpTemp) back to
// none. Returns the number of points, 0 for an empty path, -1 when
// PackFullPattern refused the path (a position that cannot be sent to the
// board, or too many points: "THE PATTERN HAS POINTS THAT CANNOT BE STITCHED"
// shown) or it leaves the measured quilt area by more than the needle's width
// ("THE PATTERN LEAVES THE QUILT AREA:" with how far beyond which edges); the
// path is freed then. Used by Start and the demo.
int PackRunPath();

// Lead-in: lead line to fpTemp (fromSelectedPoint 0: the path start unless
// fpTemp is set; 1: the point chosen with "SET START"), bobbin question, lock
// stitch, pre-fill, run view, then ProcessPattern. A head position that cannot
// be read for a lead line stops the start with "COMMUNICATIONS ERROR.\nPLEASE
// TRY AGAIN." before that lead line sends anything.
void StartPattern(int fromSelectedPoint);

// The streaming loop: keeps the board's queue filled from fpTemp on, moves the
// head marker, changes sections, ends the run at the end of the path. Returns
// when the run ended, was stopped, or was paused (allStop 2). A board that for
// ten seconds neither answers nor makes progress (queue and head both still)
// ends the run with "ROBOT NOT RESPONSIVE. ERR: WFB100".
void ProcessPattern();

// Ties a lock stitch around fpTemp: stitchRep / 2 (rounded up) trips to the
// other end of the tie-off and back at feed 30 and speed 40, needle up at each
// end. Calls StopPattern itself when stopped or when the board fails.
void LockStitch();

// Ends a run (Stop, errors, end of path): board stopped, stitching off,
// end-of-run signal, axes released, queue cleared, stopTest 1, all menus
// usable, PAUSE removed, edit view. allStop is left as it is.
void StopPattern();

// Toolbar Stop: cancels a running long operation (operationRunning), or stops
// the run (allStop 1, AllStop, StopPattern).
void stopButtonReleased();

// PAUSE toggled: pressed (1) asks the loop to halt the board with its queue
// kept (allStop 2); released (0) resumes it by entering ProcessPattern again.
// The run view's handler changes the button and then calls this.
void PauseToggled(int pressed);

// THREAD BREAK (while paused): stitcher check, SetNeedle, bobbin message, lead
// line and lock stitch at the restart point, pre-fill, then PAUSE released,
// which resumes the run.
void ThreadBreak();

// Finds and approaches the restart point after a thread break: the path point
// at or before fpTemp nearest to where the quilter moved the head. Returns 0
// chosen (fpTemp set), 1 head position unreadable ("OPERATION FAILED: TB100",
// allStop 1), 2 chosen after the quilter declined a first point, 3 the lead
// line (or the wait for it) failed.
int SetNeedle(int stitchingOn);

// Run-view speed buttons (edit mode 10): Up raises maxSpeed by 10 (to 100 above
// 90), Down lowers it by 10 but not below (int(minSpeed + 5) / 10) * 10 + 10.
// The new speed is sent to the board and stored in the defaults file. Returns
// the new maxSpeed.
float RunSpeedUp();
float RunSpeedDown();

// Hides the head marker of the run view (CurrentRun().marker).
void ClearRunMarker();

// Drive or free both motor axes; set the board speed to maxSpeed. Shared by
// the run and the demo run.
void EnableAxes();
void DisableAxes();
void SetBoardSpeed();

// Frees the stitch path of the run (fullPattern), clears the cursor fpTemp and
// the head marker. Called at the regular end of the path and of a demo pass.
void FreeRunPath();

// Moves the run view's head marker (CurrentRun().marker, inches from the box
// origin boxX, boxY): to the head when its position can be read, otherwise to
// the end of the move the board is executing (kBufferEmpty − status moves are
// queued behind it), and asks the run view to redraw. The run and demo loops
// call it every few polls.
void MoveRunMarker(unsigned char status, float boxX, float boxY);

// Pre-fills the halted board from fpTemp. A cursor that itself ends a section
// is left alone: the loop changes section there, and a pre-fill would carry
// the next section's points across the jump.
void PrefillFromCursor();
