// The streaming loop of a run: keeps the board's queue filled from fpTemp,
// moves the run view's marker, changes sections at the jumps, finishes the
// path, and changes the top speed while the run goes on.
#include "layout/layout_selection.h"
#include "machine/stitching/run_support.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <limits>
#include <optional>
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
#include "machine/stitching/run_state.h"
#include "machine/stitching/run_support.h"
#include "machine/stitching/stitch_estimate.h"
#include "machine/stitching/stitch_path.h"

using namespace run;

namespace {

constexpr int kMarkerPolls = 20;  // polls between two moves of the head marker
constexpr int kSpeedEntry = 3;    // defaults-file entry of the top speed
constexpr int kBoardSpeedTop = 100;
// Polls of the streaming loop without any readable status before the run is
// given up: the board has been silent for about this many seconds.
constexpr int64_t kSilenceLimitMs = 10000;
// A queue standing still this long has the head position checked.
constexpr int64_t kQueueStillMs = 1000;

void CurrentBoxOrigin(float* x, float* y) {
    const PatternBox* box = GetPatternBox(CurrentPatternBox());
    *x = box && std::isfinite(box->x) ? box->x : 0;
    *y = box && std::isfinite(box->y) ? box->y : 0;
}

// Inches from the box origin of a path position (thousandths of an inch).
float FromBoxOrigin(float pathUnits, float boxOrigin) {
    return pathUnits / kPathUnitsPerInch - boxOrigin;
}

// The end of the path: the last point once more, the closing lock stitch, the
// path freed.
void FinishPath(bool stitchRun) {
    SendMoveTo(fpTemp, fpTemp->feed);
    if (Wait() && stitchRun) {
        LockStitch();
        if (!Ended()) Wait();
    }
    FreeRunPath();
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
                if (jump > Machine().jumpStitch) {
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
        if (oldEnd && Distance(oldEnd, fpTemp) > Machine().jumpStitch * kPathUnitsPerInch) {
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

// The run's own way through the streaming loop.
constexpr StreamPolicy kRunStream = {.markerPolls = kMarkerPolls,
                                     .busyPollsCount = false,
                                     .watchHead = true,
                                     .reportProgress = true,
                                     .changeSection = ChangeSection};

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
// seconds, or (when the head is watched) its queue stood still for a second
// and the head has not moved more than 5 thousandths in the ten seconds since.
bool LoopStalled(LoopState& loop, const StreamPolicy& policy) {
    const int64_t now = MonotonicMs();
    if (now - loop.lastAnswerMs > kSilenceLimitMs) return true;
    if (!policy.watchHead || now - loop.lastProgressMs <= kQueueStillMs) return false;
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
// move, a section change or the end of the path. Returns how the loop ends,
// or nothing while it goes on.
std::optional<StreamEnd> StreamStep(LoopState& loop, const StreamPolicy& policy, bool stitchRun) {
    unsigned char status = 0;
    int32_t errorWord = 0;
    const int result = CheckBuffer(&status, &errorWord);
    if (result == 4) {
        StopPattern();
        ShowErrorWord(errorWord);
        return StreamEnd::kEnded;
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
    const bool busy = status == kBufferBusy;
    if (busy) runStatistics.busyPolls++;
    if (LoopStalled(loop, policy)) {
        // The run ends as a stalled wait does, and the quilter learns why.
        StopPattern();
        ShowMessage(kMessageError, kButtonsOk, "ROBOT NOT RESPONSIVE. ERR: WFB100");
        return StreamEnd::kEnded;
    }
    if (result != 0 || (busy && !policy.busyPollsCount)) return std::nullopt;

    if (++loop.polls > policy.markerPolls && status < 100) {
        loop.polls = 0;
        MoveRunMarker(status, loop.boxX, loop.boxY);
    }
    if (status == 0 || busy) return std::nullopt;

    const bool idle = status == kBufferEmpty || status == kBufferDone;
    if (!fpTemp->next()) {
        if (idle) {
            FinishPath(stitchRun);
            return StreamEnd::kPathDone;
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
    } else if (idle && !policy.changeSection(stitchRun)) {
        return StreamEnd::kEnded;
    }
    return std::nullopt;
}

}  // namespace

void MoveRunMarker(unsigned char status, float boxX, float boxY) {
    RunMarker& marker = CurrentRun().marker;
    int32_t x = 0, y = 0;
    if (GetXY(&x, &y) == 0) {
        marker = {true, FromBoxOrigin(static_cast<float>(x), boxX),
                  FromBoxOrigin(static_cast<float>(y), boxY)};
    } else if (fpTemp) {
        // The board is busy: the marker goes to the end of the move it is
        // executing, kBufferEmpty - status moves behind the cursor.
        const FullPattern_t* p = fpTemp;
        for (int queued = kBufferEmpty - status; queued > 0 && p->prev(); queued--)
            p = p->prev();
        const FullPattern_t* following = p->next() ? p->next() : p;
        marker = {true, FromBoxOrigin(following->x, boxX), FromBoxOrigin(following->y, boxY)};
    }
    if (hooks.redrawRunView) hooks.redrawRunView();
}

void PrefillFromCursor() {
    if (fpTemp && fpTemp->halt)
        WaitForBuffer();
    else
        SendFortyNine();
}

namespace run {

StreamEnd StreamPath(const StreamPolicy& policy, bool stitchRun) {
    LoopState loop;
    CurrentBoxOrigin(&loop.boxX, &loop.boxY);
    if (policy.reportProgress) StartTimeline(loop);
    loop.lastAnswerMs = loop.lastProgressMs = MonotonicMs();
    for (;;) {
        ProcessPendingEvents();
        if (stitchRun && fpTemp && fpTemp->prev() && fpTemp->prev()->prev() &&
            fpTemp->prev()->prev()->halt)
            StitchOn();  // one point into a new section

        if (allStop == 1) return StreamEnd::kStop;
        if (allStop == 2) return StreamEnd::kPause;
        if (!fpTemp) return StreamEnd::kLost;
        if (runStopped) return StreamEnd::kEnded;  // under a drained event
        ProcessPendingEvents();
        if (const auto end = StreamStep(loop, policy, stitchRun)) return *end;
    }
}

}  // namespace run

void ProcessPattern() {
    runStopped = false;
    command = kRunCommand;
    SetBoardSpeed();
    SetStitchingSensitive(0);
    ClearLockToggles();
    SetMask(kRunMenuMask);
    const bool stitchRun = StitchingToggleActive();

    if (!fpTemp || !OnCurrentPath(fpTemp)) {
        // Nothing to resume (the path ended or was replaced meanwhile).
        fpTemp = nullptr;
        StopPattern();
        return;
    }

    // Resuming inside a section (or at the very start of the path).
    if (stitchRun && (!fpTemp->prev() || !fpTemp->prev()->halt)) StitchOn();
    Resume();
    switch (StreamPath(kRunStream, stitchRun)) {
        case StreamEnd::kStop:
            allStop = 0;
            StopPattern();
            break;
        case StreamEnd::kPause:
            LogLine("AllStop = 2");
            ProcessPendingEvents();
            Halt();
            if (stitchRun) {
                StitchOff();
                NeedleUp();
            }
            break;
        case StreamEnd::kLost:  // the path went away under a drained event
            StopPattern();
            break;
        case StreamEnd::kPathDone:
            ReportProgress(1, 0);
            Fail();  // back to the edit view
            break;
        case StreamEnd::kEnded:
            break;
    }
}

float RunSpeedUp() {
    Machine().maxSpeed = Machine().maxSpeed > 90 ? kBoardSpeedTop : Machine().maxSpeed + 10;
    speedup++;
    Machine().speed = static_cast<int32_t>(Machine().maxSpeed);
    SetBoardSpeed();
    WriteDefaultInt(kSpeedEntry, Machine().speed);
    return Machine().maxSpeed;
}

float RunSpeedDown() {
    const float lowest =
        static_cast<float>(static_cast<int>(Machine().minSpeed + 5) / 10 * 10 + 10);
    Machine().maxSpeed =
        Machine().maxSpeed <= lowest ? lowest : std::fmax(lowest, Machine().maxSpeed - 10);
    slowdown++;
    Machine().speed = static_cast<int32_t>(Machine().maxSpeed);
    SetBoardSpeed();
    WriteDefaultInt(kSpeedEntry, Machine().speed);
    return Machine().maxSpeed;
}
