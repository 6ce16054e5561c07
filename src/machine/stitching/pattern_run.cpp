#include "machine/stitching/pattern_run.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "base/application_state.h"
#include "base/defaults_file.h"
#include "base/log.h"
#include "base/timers.h"
#include "base/ui_hooks.h"
#include "layout/layout_tree.h"
#include "layout/pattern_box.h"
#include "machine/board_errors.h"
#include "machine/machine_parameters.h"
#include "machine/mc1_commands.h"
#include "machine/mc1_motion.h"
#include "machine/serial_link.h"
#include "machine/stitcher.h"
#include "machine/stitching/point_streaming.h"
#include "machine/stitching/quilt_area_check.h"
#include "machine/stitching/run_flags.h"
#include "machine/stitching/stitch_estimate.h"
#include "machine/stitching/stitch_path.h"

int stopTest = 0;
RunStatistics runStatistics;
int speedup = 0, slowdown = 0;

namespace {

RunControlHooks hooks;
// Set by StopPattern, cleared when a run (or a restart) begins: lets the steps
// of a run tell that a primitive below them has already ended it.
bool runStopped = false;

constexpr int kMenuSettleUs = 2500;
constexpr int kArrivalPauseUs = 10000;
constexpr int kMarkerPolls = 20;        // polls between two moves of the head marker
constexpr float kNoCandidate = 999999;  // path units: farther than any table
constexpr int kMoveTries = 11;          // a refused tie-off move is sent again this often
constexpr int kSpeedEntry = 3;          // defaults-file entry of the top speed
constexpr int kBoardSpeedTop = 100;
constexpr const char* kStartQuestion =
    "THE MACHINE WILL MOVE TO THE START OF THE PATTERN BLOCK AND THE PATTERN WILL START.";
constexpr const char* kTracingNote = "STITCHING IS OFF: THE HEAD WILL ONLY TRACE THE PATTERN.\n\n";

// Polls of the streaming loop without any readable status before the run is
// given up: the board has been silent for about this many seconds.
constexpr int64_t kSilenceLimitMs = 10000;
// A queue standing still this long has the head position checked.
constexpr int64_t kQueueStillMs = 1000;

bool StopRequested() {
    return allStop == 1;
}

// True when the run has ended or a stop was asked for.
bool Ended() {
    return runStopped || StopRequested();
}

// Ends the run unless something below already did. Returns false, so a step
// can end with `return Fail();`.
bool Fail() {
    if (!runStopped) StopPattern();
    return false;
}

void SetMask(uint32_t mask) {
    if (hooks.setMenuMask) hooks.setMenuMask(mask);
}

void SetStitchingToggle(int active) {
    stitching = active;
    if (hooks.setStitchingActive) hooks.setStitchingActive(active);
}

void SetStitchingSensitive(int sensitive) {
    if (hooks.setStitchingSensitive) hooks.setStitchingSensitive(sensitive);
}

void ClearLockToggles() {
    xOn = yOn = 0;
    if (hooks.clearLockToggles) hooks.clearLockToggles();
}

void SetPauseSensitive(int sensitive) {
    if (hooks.setPauseSensitive) hooks.setPauseSensitive(sensitive);
}

float Distance(const FullPattern_t* a, const FullPattern_t* b) {
    return std::hypot(b->x - a->x, b->y - a->y);
}

bool SamePosition(const FullPattern_t* a, const FullPattern_t* b) {
    return a->x == b->x && a->y == b->y;
}

FullPattern_t* FirstPathPoint() {
    return interface ? interface->fullPattern : nullptr;
}

// True when point is one of the points of the current path (a stale pointer
// from an older path is not).
bool OnCurrentPath(const FullPattern_t* point) {
    for (const FullPattern_t* p = FirstPathPoint(); p; p = p->next())
        if (p == point) return true;
    return false;
}

bool CurrentBoxHasPlacements() {
    if (!interface) return false;
    for (const LayoutNode* n = patternLayout; n; n = n->next)
        if (n->boxIndex == interface->currentPatternBox) return true;
    return false;
}

void CurrentBoxOrigin(float* x, float* y) {
    const PatternBox* box = interface ? GetPatternBox(interface->currentPatternBox) : nullptr;
    *x = box && std::isfinite(box->x) ? box->x : 0;
    *y = box && std::isfinite(box->y) ? box->y : 0;
}

// Checks the stitcher before a run or a restart. Returns true when the run may
// go on; otherwise the quilter has been told why and stitching is disarmed.
bool StitcherReady() {
    unsigned char status = 0;
    if (GetStitcher(&status) != 0 || status == kStitcherReady) return true;
    ShowMessage(kMessageWarning, kButtonsOk,
                status == kStitcherNotInRobotMode ? "HANDLE BARS NOT IN ROBOT MODE"
                                                  : "STITCH CONTROLLER NOT PRESENT");
    SetStitchingToggle(0);
    StitchOff();
    return false;
}

// Reads the needle sensor: 1 up, 0 down, -1 no answer.
int ReadNeedle() {
    SendCommand(kCmdNeedleSensor);
    unsigned char byte = 0;
    if (GetChar(50, &byte, 1) != 0) return -1;
    return byte <= 1 ? byte : -1;
}

// Sends one move, sending it again while the board refuses it. Returns false
// when the board never took it or a stop was requested.
bool SendMoveTo(const FullPattern_t* point, float feed) {
    for (int tries = 0; tries < kMoveTries; tries++) {
        if (StopRequested()) return false;
        if (SendMove(point->x, point->y, feed) == 0) return true;
        ProcessPendingEvents();
    }
    return false;
}

// A pixel position of the run view from a path position (thousandths of an
// inch), kept inside the int range whatever the scale.
int ToPixel(float pathUnits, float boxOrigin) {
    const float scale = interface && interface->viewScale > 0 ? interface->viewScale : 0.001f;
    const double pixel = (pathUnits / kPathUnitsPerInch - boxOrigin) / scale;
    if (!std::isfinite(pixel)) return 0;
    constexpr double kLimit = 1.0e6;
    return static_cast<int>(std::fmax(-kLimit, std::fmin(kLimit, pixel)));
}

bool Wait() {
    return WaitForBuffer() == 1;
}

// Leads the head to target (fpTemp when null); tells the quilter when the
// head position could not be read (nothing was sent), so that no run ends
// there without saying why. Returns SendLeadLine's result.
int LeadTo(FullPattern_t* target) {
    const int lead = SendLeadLine(target);
    if (lead == kLeadLineNoPosition)
        ShowMessage(kMessageError, kButtonsOk, "COMMUNICATIONS ERROR.\nPLEASE TRY AGAIN.");
    return lead;
}

int LeadToStart() {
    return LeadTo(nullptr);
}

void ReportProgress(double shareDone, double secondsLeft) {
    if (hooks.showProgress) hooks.showProgress(RunProgress{shareDone, secondsLeft});
}

// The end of the path: the last point once more, the closing lock stitch, the
// path freed, the edit view back.
void FinishPath(bool stitchRun) {
    SendMoveTo(fpTemp, fpTemp->feed);
    if (Wait() && stitchRun) {
        LockStitch();
        if (!Ended()) Wait();
    }
    FreeRunPath();
    ReportProgress(1, 0);
    Fail();
}

// The board stands idle at the end of a stitched section (fpTemp, halt set):
// tie off, ask for the thread to be cut on long jumps, lead to the next
// section, tie on there and pre-fill it. Returns false when the run ended.
bool ChangeSection(bool stitchRun) {
    if (!Wait()) return Fail();
    bool jumped = false;
    if (stitchRun) {
        const FullPattern_t* next = fpTemp->next();
        while (next && next->inserted)
            next = next->next();
        if (!next) {
            LockStitch();
            if (Ended() || !Wait()) return Fail();
        } else {
            const float jump = Distance(fpTemp, next) / kPathUnitsPerInch;
            if (jump >= kLockJumpInches) {
                jumped = true;
                LockStitch();
                if (Ended() || !Wait()) return Fail();
                if (jump > jumpStitch) {
                    DisableAxes();
                    ShowMessage(kMessageInfo, kButtonsOk, "CUT THE THREAD");
                    SetBoardSpeed();
                    EnableAxes();
                }
            }
        }
    }

    ProcessPendingEvents();
    fpTemp = fpTemp->next();
    if (!fpTemp->next()) return true;  // the loop ends the run at the last point
    while (fpTemp && fpTemp->inserted)
        fpTemp = fpTemp->next();
    if (!fpTemp) return Fail();
    if (LeadToStart() != kLeadLineSent || !Wait()) return Fail();

    if (stitchRun && jumped) {
        ProcessPendingEvents();
        const FullPattern_t* oldEnd = fpTemp->prev();
        if (fpTemp->next()) fpTemp = fpTemp->next();
        NeedleUp();
        if (oldEnd && Distance(oldEnd, fpTemp) > jumpStitch * kPathUnitsPerInch) {
            DisableAxes();
            ShowMessage(kMessageInfo, kButtonsOk, "PULL UP THE BOBBIN THREAD");
            EnableAxes();
        }
        SetBoardSpeed();
        if (LeadToStart() != kLeadLineSent || !Wait()) return Fail();
        LockStitch();
        if (Ended() || !Wait()) return Fail();
    }

    ProcessPendingEvents();
    Halt();
    PrefillFromCursor();
    if (Ended()) return Fail();
    if (stitchRun) StitchOn();
    SetBoardSpeed();
    Resume();
    return true;
}

// State of one pass of the streaming loop between two returns.
struct LoopState {
    float boxX = 0, boxY = 0;      // inches: origin of the current box
    int polls = 0;                 // polls since the marker last moved
    int lastStatus = -1;           // previous status byte
    int64_t lastAnswerMs = 0;      // when the board last answered
    int64_t lastProgressMs = 0;    // when the queue last moved
    bool headSampled = false;      // head position taken since the queue stood still
    int64_t headSampleMs = 0;      // when it was taken
    int32_t headX = 0, headY = 0;  // thousandths of an inch
    // The time left at each point of the path, when the run view wants it.
    std::vector<double> secondsLeft;  // by the point's place in the path
    long lastTaken = -1;              // the point the board last got to, from 0
};

// Builds the timeline of the progress report for a pass of the loop.
void StartTimeline(LoopState& loop) {
    if (!hooks.showProgress) return;
    loop.secondsLeft = SecondsLeftAtPoints(FirstPathPoint(), CurrentRunSpeeds());
    if (loop.secondsLeft.empty()) ReportProgress(0, -1);
}

// Reports the progress when the board has taken another point: the points
// handed over up to fpTemp, less those still waiting in its queue.
void NoteTaken(LoopState& loop, unsigned char status) {
    if (loop.secondsLeft.empty() || !fpTemp) return;
    if (status > kBufferEmpty && status != kBufferDone) return;
    // The path is one block, so the cursor's place is its distance from the
    // first point; a cursor outside the block (a stale one) has none.
    const std::less<const FullPattern_t*> before;
    const FullPattern_t* first = FirstPathPoint();
    if (!first || before(fpTemp, first) || !before(fpTemp, first + loop.secondsLeft.size())) return;
    const long queued = status == kBufferDone ? 0 : kBufferEmpty - status;
    const long taken = std::max(0L, static_cast<long>(fpTemp - first) - queued);
    if (taken <= loop.lastTaken) return;
    loop.lastTaken = taken;
    const double total = loop.secondsLeft.front();
    const double left = loop.secondsLeft[taken];
    ReportProgress(total > 0 ? 1 - left / total : 1, left);
}

// Progress of the queue: a changed status or an accepted move.
void NoteProgress(LoopState& loop) {
    loop.lastProgressMs = MonotonicMs();
    loop.headSampled = false;
}

// True when the run must be given up: the board has not answered for ten
// seconds, or its queue stood still for a second and the head has not moved
// more than 5 thousandths in the ten seconds since.
bool LoopStalled(LoopState& loop) {
    const int64_t now = MonotonicMs();
    if (now - loop.lastAnswerMs > kSilenceLimitMs) return true;
    if (now - loop.lastProgressMs <= kQueueStillMs) return false;
    if (!loop.headSampled) {
        if (GetXY(&loop.headX, &loop.headY) != 0) return false;
        loop.headSampled = true;
        loop.headSampleMs = now;
        return false;
    }
    if (now - loop.headSampleMs <= kSilenceLimitMs) return false;
    int32_t x = 0, y = 0;
    if (GetXY(&x, &y) != 0) return false;  // the silence limit covers a mute board
    if (!HeadMoved(loop.headX, loop.headY, x, y)) return true;
    loop.headX = x;  // the head moves slowly: a long move at a low feed
    loop.headY = y;
    loop.headSampleMs = now;
    return false;
}

// One status poll of the streaming loop and what follows from it: the next
// move, a section change or the end of the path. Returns false when the run
// ended (or must end).
bool StreamStep(LoopState& loop, bool stitchRun) {
    unsigned char status = 0;
    int32_t errorWord = 0;
    const int result = CheckBuffer(&status, &errorWord);
    if (result == 4) {
        StopPattern();
        ShowErrorWord(errorWord);
        return false;
    }
    if (result != 0) {
        runStatistics.silentPolls++;
        if (result == 1)
            LogLine("serial port is not active");
        else if (result == 2)
            LogLine("there wasn't a response");
        else
            LogLine("we don't know what happened");
    } else {
        runStatistics.polls++;
        loop.lastAnswerMs = MonotonicMs();
        if (status != loop.lastStatus) NoteProgress(loop);
        loop.lastStatus = status;
        NoteTaken(loop, status);
    }
    if (status == kBufferBusy) runStatistics.busyPolls++;
    if (LoopStalled(loop)) {
        // The run ends as a stalled wait does, and the quilter learns why.
        StopPattern();
        ShowMessage(kMessageError, kButtonsOk, "ROBOT NOT RESPONSIVE. ERR: WFB100");
        return false;
    }
    if (result != 0 || status == kBufferBusy) return true;

    if (++loop.polls > kMarkerPolls && status < 100) {
        loop.polls = 0;
        MoveRunMarker(status, loop.boxX, loop.boxY);
    }
    if (status == 0) return true;

    const bool idle = status == kBufferEmpty || status == kBufferDone;
    if (!fpTemp->next()) {
        if (idle) {
            FinishPath(stitchRun);
            return false;
        }
    } else if (!fpTemp->halt) {
        if (status == kBufferDone) runStatistics.emptyInSection++;
        fpTemp = fpTemp->next();
        if (SendMove(fpTemp->x, fpTemp->y, fpTemp->feed) == 0) {
            runStatistics.movesSent++;
            NoteProgress(loop);
        } else {
            runStatistics.movesRefused++;
            fpTemp = fpTemp->prev();
        }
    } else if (idle) {
        return ChangeSection(stitchRun);
    }
    return true;
}

// Chooses the two ends of a lock stitch around fpTemp: a, where the stitch
// ends, and b, the other end of the tie-off. Returns false when the path has no
// second position to tie against.
bool LockStitchEnds(FullPattern_t** a, FullPattern_t** b) {
    FullPattern_t* first = FirstPathPoint();
    if (!first || !fpTemp) return false;
    auto earlierDifferent = [](FullPattern_t* from) {
        FullPattern_t* p = from->prev();
        while (p && SamePosition(p, from))
            p = p->prev();
        return p;
    };
    if (fpTemp == first) {
        FullPattern_t* p = fpTemp->next();
        while (p && SamePosition(p, fpTemp))
            p = p->next();
        *a = fpTemp;
        *b = p;
    } else if (Distance(fpTemp, first) >= kLineBreakLength) {
        *a = fpTemp;
        *b = earlierDifferent(fpTemp);
    } else if (fpTemp->x != first->x && fpTemp->y != first->y) {
        *a = first;
        *b = fpTemp;
    } else {
        *a = earlierDifferent(fpTemp);
        *b = fpTemp;
    }
    return *a && *b;
}

// Leaves a paused or stopped restart: the run is over, PAUSE usable again.
void EndRestart() {
    Fail();
    SetPauseSensitive(1);
}

}  // namespace

void MoveRunMarker(unsigned char status, float boxX, float boxY) {
    if (!interface) return;
    if (!interface->measureLine) interface->measureLine = new int[4]{};
    int* line = interface->measureLine;
    int32_t x = 0, y = 0;
    if (GetXY(&x, &y) == 0) {
        line[0] = ToPixel(static_cast<float>(x), boxX);
        line[1] = ToPixel(static_cast<float>(y), boxY);
    } else if (fpTemp) {
        FullPattern_t* p = fpTemp;
        for (int queued = kBufferEmpty - status; queued > 0 && p->prev(); queued--)
            p = p->prev();
        const FullPattern_t* following = p->next() ? p->next() : p;
        line[0] = ToPixel(following->x, boxX);
        line[1] = ToPixel(following->y, boxY);
        line[2] = ToPixel(p->x, boxX);
        line[3] = ToPixel(p->y, boxY);
    }
    if (hooks.redrawRunView) hooks.redrawRunView();
}

void PrefillFromCursor() {
    if (fpTemp && fpTemp->halt)
        WaitForBuffer();
    else
        SendFortyNine();
}

void EnableAxes() {
    EnableX();
    EnableY();
}

void DisableAxes() {
    DisableX();
    DisableY();
}

void SetBoardSpeed() {
    SetSpeed(static_cast<int32_t>(maxSpeed));
}

void FreeRunPath() {
    if (interface) {
        FreeFullPattern(interface->fullPattern);
        interface->fullPattern = nullptr;
    }
    fpTemp = nullptr;
    ClearRunMarker();
}

void SetRunControlHooks(const RunControlHooks& newHooks) {
    hooks = newHooks;
}

const RunControlHooks& GetRunControlHooks() {
    return hooks;
}

int StitchingToggleActive() {
    return hooks.stitchingActive ? hooks.stitchingActive() : stitching;
}

void ClearRunMarker() {
    if (!interface) return;
    delete[] interface->measureLine;
    interface->measureLine = nullptr;
    if (interface->measureLayout) {
        g_object_unref(interface->measureLayout);
        interface->measureLayout = nullptr;
    }
}

int PackRunPath() {
    if (!interface) return 0;
    statWindow = CreateStatusWindow("CREATING PATTERN OUTPUT FILE");
    const int packed = PackFullPattern();
    CloseStatusWindow(statWindow);
    statWindow = nullptr;
    fpTemp = nullptr;
    if (packed < 0) {
        ShowMessage(kMessageError, kButtonsOk, "THE PATTERN HAS POINTS THAT CANNOT BE STITCHED");
        return -1;
    }

    int count = 0;
    for (FullPattern_t* p = interface->fullPattern; p; p = p->next()) {
        count++;
        if (!std::isfinite(p->feed) || p->feed < 0) p->feed = minSpeed;
    }
    const PathOverrun overrun =
        extents ? CheckPathInQuiltArea(interface->fullPattern, *extents) : PathOverrun{};
    if (overrun.Outside()) {
        const std::string where = DescribePathOverrun(overrun, "\n");
        Log("The path leaves the quilt area: %s\n", where.c_str());
        FreeFullPattern(interface->fullPattern);
        interface->fullPattern = nullptr;
        ShowMessage(
            kMessageError, kButtonsOk,
            ("THE PATTERN LEAVES THE QUILT AREA:\n" + where + "\n\nMOVE THE PATTERN AND TRY AGAIN.")
                .c_str());
        return -1;
    }
    return count;
}

void startButtonReleased() {
    SendStartSignal();
    ReleaseAllUI();
    ClearLockToggles();

    if (StitchingToggleActive()) {
        if (!StitcherReady()) return;
    } else if ((needleUpMethod == 1 || needleUpMethod == 2) && needleUpConfirm) {
        if (ReadNeedle() == 0) {
            LogLine("Needle Down!");
            NeedleUp();
            DoNothing(static_cast<int>(needleUpTime));
        }
    }

    if (!CurrentBoxHasPlacements()) {
        ShowMessage(kMessageError, kButtonsOk, "PATTERN BOX IS EMPTY");
        return;
    }

    // Tracing without the needle is said first, so it is never taken for stitching.
    const std::string question =
        StitchingToggleActive() ? kStartQuestion : std::string(kTracingNote) + kStartQuestion;
    const int answer =
        ShowMessageSpecial(kMessageQuestion, question.c_str(), "SET START", kResponseSetStart);
    if (answer == kResponseOk) {
        if (PackRunPath() <= 0) {
            StopPattern();
            return;
        }
        LogLine("Start the pattern");
        StartPattern(0);
    } else if (answer == kResponseSetStart) {
        if (PackRunPath() <= 0) {
            StopPattern();
            return;
        }
        FullPattern_t* point = hooks.selectPoint ? hooks.selectPoint() : nullptr;
        if (point && OnCurrentPath(point)) {
            fpTemp = point;
            StartPattern(1);
        } else {
            StopPattern();
        }
    } else {
        StopPattern();
    }
}

void StartPattern(int fromSelectedPoint) {
    runStopped = false;
    runStatistics = RunStatistics{};
    command = kRunCommand;
    SetMask(kRunMenuMask);
    // Cleared before the screen runs again, so that a Stop pressed in this
    // very drain still counts.
    allStop = 0;
    ProcessPendingEvents();
    SleepMicroseconds(kMenuSettleUs);
    if (StopRequested()) {
        Fail();
        return;
    }
    SetBoardSpeed();
    Halt();
    EnableAxes();

    if (!fpTemp || !OnCurrentPath(fpTemp)) fpTemp = FirstPathPoint();
    if (!fpTemp) {
        StopPattern();
        return;
    }

    if (!fromSelectedPoint) {
        LogLine("Send The Lead line");
        const int lead = LeadToStart();
        if (lead != kLeadLineSent) {
            if (lead == kLeadLineFailed && !StopRequested())
                ShowMessage(kMessageError, kButtonsOk, "COULD NOT MOVE TO START. ERR: 1023");
            StopPattern();
            return;
        }
        LogLine("Done with lead line");
        if (!Wait()) {
            if (!StopRequested())
                ShowMessage(kMessageError, kButtonsOk, "ROBOT NOT RESPONSIVE. ERR: WFB100");
            StopPattern();
            return;
        }
    } else {
        // A failed lead line from a chosen point ends the start without a
        // message, but never leaves the run menus and the held axes behind.
        if (LeadToStart() != kLeadLineSent || !Wait()) {
            StopPattern();
            return;
        }
    }

    SleepMicroseconds(kArrivalPauseUs);
    const bool stitchRun = StitchingToggleActive();
    if (stitchRun) NeedleUp();
    DisableAxes();
    SendEndOfRunSignal();
    if (StopRequested()) {
        StopPattern();
        return;
    }
    if (ShowMessage(kMessageQuestion, kButtonsOkCancel,
                    "AFTER THE MACHINE ARRIVES AT THE START POSITION PULL UP THE BOBBIN "
                    "THREAD\nAND PRESS OK") != kResponseOk) {
        StopPattern();
        return;
    }

    SetBoardSpeed();
    EnableAxes();
    if (LeadToStart() == kLeadLineNoPosition) {
        StopPattern();
        return;
    }
    if (!Wait()) {
        if (!StopRequested())
            ShowMessage(kMessageError, kButtonsOk,
                        "AN ERROR HAS OCCURED.  ABORTING OPERATION ERR: 1027");
        StopPattern();
        return;
    }

    if (stitchRun) {
        LockStitch();
        if (Ended() || !Wait()) {
            Fail();
            return;
        }
    }

    Halt();
    if (!StopRequested()) PrefillFromCursor();
    if (Ended()) {
        // Stopped while the queue was filled: the run must not start.
        Fail();
        return;
    }
    if (hooks.showRunView) hooks.showRunView();
    ClearTimers();
    ProcessPendingEvents();
    ProcessPattern();
}

void ProcessPattern() {
    runStopped = false;
    command = kRunCommand;
    SetBoardSpeed();
    SetStitchingSensitive(0);
    ClearLockToggles();
    SetMask(kRunMenuMask);
    const bool stitchRun = StitchingToggleActive();

    if (!interface || !fpTemp || !OnCurrentPath(fpTemp)) {
        // Nothing to resume (the path ended or was replaced meanwhile).
        fpTemp = nullptr;
        StopPattern();
        return;
    }

    // Resuming inside a section (or at the very start of the path).
    if (stitchRun && (!fpTemp->prev() || !fpTemp->prev()->halt)) StitchOn();
    Resume();
    LoopState loop;
    CurrentBoxOrigin(&loop.boxX, &loop.boxY);
    StartTimeline(loop);
    loop.lastAnswerMs = loop.lastProgressMs = MonotonicMs();

    for (;;) {
        ProcessPendingEvents();
        if (stitchRun && fpTemp && fpTemp->prev() && fpTemp->prev()->prev() &&
            fpTemp->prev()->prev()->halt)
            StitchOn();  // one point into a new section

        if (allStop == 1) {
            allStop = 0;
            StopPattern();
            return;
        }
        if (allStop == 2) {
            LogLine("AllStop = 2");
            ProcessPendingEvents();
            Halt();
            if (stitchRun) {
                StitchOff();
                NeedleUp();
            }
            return;
        }
        if (!fpTemp) {  // the path went away under a drained event
            StopPattern();
            return;
        }
        ProcessPendingEvents();
        if (!StreamStep(loop, stitchRun)) return;
    }
}

void LockStitch() {
    LogLine("LS");
    StitchOff();
    FullPattern_t* a = nullptr;
    FullPattern_t* b = nullptr;
    if (!LockStitchEnds(&a, &b)) return;

    Resume();
    SetSpeed(kLockStitchSpeed);
    if (stitchRep == 0) {
        if (!Wait()) {
            StopPattern();
            return;
        }
        if (!StopRequested()) NeedleUp();
    } else {
        for (int i = 0; i < stitchRep; i += 2) {
            if (StopRequested()) {
                StopPattern();
                LogLine("LS STOPPED");
                return;
            }
            if (!SendMoveTo(b, kLockStitchFeed) || !Wait()) {
                StopPattern();
                return;
            }
            if (needleUpMethod == 12)
                StitchOn();
            else
                NeedleUp();
            if (StopRequested()) {
                StopPattern();
                LogLine("LS STOPPED");
                return;
            }
            if (!SendMoveTo(a, kLockStitchFeed) || !Wait()) {
                StopPattern();
                return;
            }
            if (needleUpMethod != 12) NeedleUp();
        }
        if (needleUpMethod == 12) StitchOff();
    }
    Halt();
    LogLine("LS DONE");
    SetBoardSpeed();
}

void StopPattern() {
    runStopped = true;
    LogLine("Stop Pattern");
    ReleaseAllUI();
    AllStop();
    const bool toggle = StitchingToggleActive();
    if (toggle || robotIsStitching) {
        StitchOff();
        if (toggle && allStop == 0) NeedleUp();
    }
    SendEndOfRunSignal();
    DisableAxes();
    ClearMCBuffer();
    stopTest = 1;
    command = -1;
    SetMask(kIdleMenuMask);
    SetStitchingSensitive(1);
    if (hooks.destroyPauseButton) hooks.destroyPauseButton();
    if (hooks.showEditView) hooks.showEditView();
    ProcessPendingEvents();
    LogLine("Stop Pattern Finished");
}

void stopButtonReleased() {
    LogLine("Stop button Released");
    if (interface && interface->operationRunning) {
        interface->operationRunning = 0;
        return;
    }
    ReleaseAllUI();
    allStop = 1;
    AllStop();
    StopPattern();
    LogLine("End Stop Button Released");
}

void PauseToggled(int pressed) {
    if (pressed) {
        allStop = 2;
        SetStitchingSensitive(1);
        ProcessPendingEvents();
        return;
    }
    allStop = 0;
    SetMask(kRunMenuMask);
    SetStitchingSensitive(0);
    ProcessPendingEvents();
    ProcessPattern();
}

int SetNeedle(int stitchingOn) {
    for (int declined = 0;; declined = 1) {
        ClearMCBuffer();
        DisableAxes();
        Resume();
        SendEndOfRunSignal();
        ShowMessage(kMessageInfo, kButtonsOk,
                    "MOVE YOUR MACHINE TO THE POINT WHERE THE THREAD BROKE AND PRESS OK.");
        int32_t x = 0, y = 0;
        if (GetXY(&x, &y) != 0) {
            ShowMessage(kMessageError, kButtonsOk, "OPERATION FAILED: TB100");
            allStop = 1;
            return 1;
        }
        const float hx = static_cast<float>(x < 0 ? 0 : x);
        const float hy = static_cast<float>(y < 0 ? 0 : y);

        // The latest point wins a tie: only a strictly nearer one replaces it.
        FullPattern_t* best = nullptr;
        float bestDistance = kNoCandidate;
        for (FullPattern_t* p = OnCurrentPath(fpTemp) ? fpTemp : nullptr; p; p = p->prev()) {
            const float d = std::hypot(p->x - hx, p->y - hy);
            if (d < bestDistance) {
                best = p;
                bestDistance = d;
            }
        }
        if (!best) best = OnCurrentPath(fpTemp) ? fpTemp : nullptr;

        SetBoardSpeed();
        EnableAxes();
        if (!best || LeadTo(best) != kLeadLineSent || (stitchingOn && !Wait())) {
            SetMask(kIdleMenuMask);
            if (hooks.showEditView) hooks.showEditView();
            return 3;
        }
        if (stitchingOn) {
            NeedleUp();
            if (ShowMessage(kMessageQuestion, kButtonsYesNo,
                            "IS THIS WHERE YOU WANT TO RESTART?") != kResponseYes)
                continue;
        }
        fpTemp = best;
        return declined ? 2 : 0;
    }
}

void ThreadBreak() {
    runStopped = false;
    if (hooks.setThreadSensitive) hooks.setThreadSensitive(0);
    SetPauseSensitive(0);
    const int stitchingOn = StitchingToggleActive();
    if (stitchingOn && !StitcherReady()) {
        SetPauseSensitive(1);
        return;
    }

    const int chosen = SetNeedle(stitchingOn);
    if (chosen == 1 || chosen == 3) {
        EndRestart();
        return;
    }

    if (stitchingOn) {
        DisableAxes();
        SendEndOfRunSignal();
        ShowMessage(kMessageInfo, kButtonsOk,
                    "PULL UP THE BOBBIN THREAD.\nPRESS OK TO CONTINUE THE PATTERN.");
    } else {
        ShowMessage(kMessageInfo, kButtonsOk, "PRESS OK TO CONTINUE.");
    }
    if (hooks.movePointerOutOfView) hooks.movePointerOutOfView();
    ProcessPendingEvents();
    SetBoardSpeed();
    EnableAxes();
    if (stitchingOn) StitchOff();

    if (LeadToStart() != kLeadLineSent || !Wait()) {
        EndRestart();
        return;
    }
    if (stitchingOn) {
        LockStitch();
        if (Ended() || !Wait()) {
            EndRestart();
            return;
        }
    }

    Halt();
    ClearMCBuffer();
    if (StopRequested()) {
        EndRestart();
        return;
    }
    allStop = 0;
    PrefillFromCursor();
    if (Ended()) {
        EndRestart();
        return;
    }
    if (stitchingOn) StitchOn();
    SetBoardSpeed();
    SetPauseSensitive(1);
    if (hooks.setPauseReleased)
        hooks.setPauseReleased();
    else
        PauseToggled(0);
}

float RunSpeedUp() {
    maxSpeed = maxSpeed > 90 ? kBoardSpeedTop : maxSpeed + 10;
    speedup++;
    speed = static_cast<int32_t>(maxSpeed);
    SetBoardSpeed();
    WriteDefaultInt(kSpeedEntry, speed);
    return maxSpeed;
}

float RunSpeedDown() {
    const float lowest = static_cast<float>(static_cast<int>(minSpeed + 5) / 10 * 10 + 10);
    maxSpeed = maxSpeed <= lowest ? lowest : std::fmax(lowest, maxSpeed - 10);
    slowdown++;
    speed = static_cast<int32_t>(maxSpeed);
    SetBoardSpeed();
    WriteDefaultInt(kSpeedEntry, speed);
    return maxSpeed;
}
