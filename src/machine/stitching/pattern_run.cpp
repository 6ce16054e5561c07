// Start and end of a run: the Start press with its checks and the packing of
// the path, the lead-in to the start, the one way a run stops, the Stop and
// PAUSE buttons and the restart after a thread break.
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
#include "layout/layout_selection.h"
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
#include "machine/stitching/run_support.h"
#include "machine/stitching/stitch_estimate.h"
#include "machine/stitching/stitch_path.h"

using namespace run;

namespace {

constexpr int kArrivalPauseUs = 10000;
constexpr float kNoCandidate = 999999;  // path units: farther than any table
constexpr const char* kStartQuestion =
    "THE MACHINE WILL MOVE TO THE START OF THE PATTERN BLOCK AND THE PATTERN WILL START.";
constexpr const char* kTracingNote = "STITCHING IS OFF: THE HEAD WILL ONLY TRACE THE PATTERN.\n\n";

bool CurrentBoxHasPlacements() {
    for (const LayoutNode* n = patternLayout; n; n = n->next)
        if (n->boxIndex == CurrentPatternBox()) return true;
    return false;
}

// Reads the needle sensor: 1 up, 0 down, -1 no answer.
int ReadNeedle() {
    SendCommand(kCmdNeedleSensor);
    unsigned char byte = 0;
    if (GetChar(50, &byte, 1) != 0) return -1;
    return byte <= 1 ? byte : -1;
}

// Leaves a paused or stopped restart: the run is over, PAUSE usable again.
void EndRestart() {
    Fail();
    SetPauseSensitive(1);
}

// How the lead-in of a run ended.
enum class LeadIn {
    kStreaming,  // the queue is pre-filled: the streaming loop takes over
    kStop,       // the run ends through StopPattern
    kFail,       // the run ends through StopPattern unless a step below ended it
};

// The lead-in of a run, from the path's start (or the chosen point) to the
// board's pre-filled queue: lead line, bobbin thread, lock stitch. Says how
// it ended; StartPattern then ends the run or enters the streaming loop.
LeadIn RunLeadIn(int fromSelectedPoint) {
    if (StopRequested()) return LeadIn::kFail;
    SetBoardSpeed();
    Halt();
    EnableAxes();

    if (!fpTemp || !OnCurrentPath(fpTemp)) fpTemp = FirstPathPoint();
    if (!fpTemp) return LeadIn::kStop;

    if (!fromSelectedPoint) {
        LogLine("Send The Lead line");
        const int lead = LeadToStart();
        if (lead != kLeadLineSent) {
            if (lead == kLeadLineFailed && !StopRequested())
                ShowMessage(kMessageError, kButtonsOk, "COULD NOT MOVE TO START. ERR: 1023");
            return LeadIn::kStop;
        }
        LogLine("Done with lead line");
        if (!Wait()) {
            if (!StopRequested())
                ShowMessage(kMessageError, kButtonsOk, "ROBOT NOT RESPONSIVE. ERR: WFB100");
            return LeadIn::kStop;
        }
    } else {
        // A failed lead line from a chosen point ends the start without a
        // message, but never leaves the run menus and the held axes behind.
        if (LeadToStart() != kLeadLineSent || !Wait()) {
            return LeadIn::kStop;
        }
    }

    SleepMicroseconds(kArrivalPauseUs);
    const bool stitchRun = StitchingToggleActive();
    if (stitchRun) NeedleUp();
    DisableAxes();
    SendEndOfRunSignal();
    if (StopRequested()) {
        return LeadIn::kStop;
    }
    if (ShowMessage(kMessageQuestion, kButtonsOkCancel,
                    "AFTER THE MACHINE ARRIVES AT THE START POSITION PULL UP THE BOBBIN "
                    "THREAD\nAND PRESS OK") != kResponseOk) {
        return LeadIn::kStop;
    }

    SetBoardSpeed();
    EnableAxes();
    if (LeadToStart() == kLeadLineNoPosition) {
        return LeadIn::kStop;
    }
    if (!Wait()) {
        if (!StopRequested())
            ShowMessage(kMessageError, kButtonsOk,
                        "AN ERROR HAS OCCURED.  ABORTING OPERATION ERR: 1027");
        return LeadIn::kStop;
    }

    if (stitchRun) {
        LockStitch();
        if (Ended() || !Wait()) {
            return LeadIn::kFail;
        }
    }

    Halt();
    if (!StopRequested()) PrefillFromCursor();
    if (Ended()) {
        // Stopped while the queue was filled: the run must not start.
        return LeadIn::kFail;
    }
    return LeadIn::kStreaming;
}

}  // namespace

void startButtonReleased() {
    SendStartSignal();
    ReleaseAllUI();
    ClearLockToggles();

    if (StitchingToggleActive()) {
        if (!StitcherReady()) return;
    } else if ((Machine().needleUpMethod == 1 || Machine().needleUpMethod == 2) &&
               Machine().needleUpConfirm) {
        if (ReadNeedle() == 0) {
            LogLine("Needle Down!");
            NeedleUp();
            DoNothing(static_cast<int>(Machine().needleUpTime));
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
    // The one way out of a start that does not reach the streaming loop.
    switch (RunLeadIn(fromSelectedPoint)) {
        case LeadIn::kStop:
            StopPattern();
            return;
        case LeadIn::kFail:
            Fail();
            return;
        case LeadIn::kStreaming:
            break;
    }
    if (hooks.showRunView) hooks.showRunView();
    ClearTimers();
    ProcessPendingEvents();
    ProcessPattern();
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
    if (operationRunning) {
        operationRunning = 0;
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

    // Stop pressed while the restart point was chosen ends the restart too:
    // the run is over, and nothing may enable the axes or move the head again.
    const int chosen = SetNeedle(stitchingOn);
    if (chosen == 1 || chosen == 3 || Ended()) {
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
    if (Ended()) {
        EndRestart();
        return;
    }
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
