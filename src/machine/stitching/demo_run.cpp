#include "machine/stitching/demo_run.h"

#include <cmath>
#include <cstdint>
#include <string>

#include "base/application_state.h"
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
#include "machine/stitching/pattern_run.h"
#include "machine/stitching/point_streaming.h"
#include "machine/stitching/run_flags.h"
#include "machine/stitching/stitch_path.h"

int demoRepetition = 0;

namespace {

constexpr int kDemoMarkerPolls = 2;         // polls between two moves of the head marker
constexpr int64_t kSilenceLimitMs = 10000;  // a board silent this long ends the pass
constexpr int kResendTries = 11;

// A stop was asked for (Stop button) or the run was ended by StopPattern.
bool Stopped() {
    return allStop == 1 || stopTest == 1;
}

void SetMask(uint32_t mask) {
    if (const auto& hooks = GetRunControlHooks(); hooks.setMenuMask) hooks.setMenuMask(mask);
}

void ShowRunView() {
    if (const auto& hooks = GetRunControlHooks(); hooks.showRunView) hooks.showRunView();
}

void SendAgain(const FullPattern_t* point) {
    for (int tries = 0; tries < kResendTries && allStop != 1; tries++) {
        if (SendMove(point->x, point->y, point->feed) == 0) return;
        ProcessPendingEvents();
    }
}

// Packs the path and leads the head to its first point. Returns true when the
// head stands there; otherwise the quilter has been told why (not after a
// stop) and the menus are usable again.
bool PackAndLead(bool finalPass) {
    const int points = PackRunPath();
    if (points <= 0) {  // the packer has said why
        DisableAxes();
        SetMask(kIdleMenuMask);
        return false;
    }
    if (finalPass) ShowMessage(kMessageInfo, kButtonsOk, kDemoFinalText);
    fpTemp = interface->fullPattern;
    SetBoardSpeed();
    EnableAxes();
    const char* failure = nullptr;
    if (SendLeadLine(nullptr) != kLeadLineSent)
        failure = "COULD NOT MOVE TO START. ERR: 1023";
    else if (!WaitForBuffer())
        failure = "ROBOT NOT RESPONSIVE. ERR: WFB100";
    if (failure == nullptr) return true;
    if (!Stopped()) ShowMessage(kMessageError, kButtonsOk, failure);
    DisableAxes();
    SetMask(kIdleMenuMask);
    return false;
}

// The end of the path: the last point once more, the closing lock stitch, the
// path freed. The demo goes on with its next pass.
void FinishPass(bool stitchRun) {
    SendAgain(fpTemp);
    if (WaitForBuffer() && stitchRun) {
        LockStitch();
        if (!Stopped()) WaitForBuffer();
    }
    FreeRunPath();
    ProcessPendingEvents();
}

// The board stands idle at the end of a section (fpTemp, halt set): tie off,
// lead to the next section and pre-fill it. Returns false when the pass ended.
bool NextSection(bool stitchRun) {
    WaitForBuffer();
    if (stitchRun) {
        LockStitch();
        if (Stopped()) return false;
        WaitForBuffer();
        StitchOff();
    }
    SendAgain(fpTemp);
    fpTemp = fpTemp->next();
    if (!fpTemp->next()) return true;  // the loop ends the pass at the last point
    while (fpTemp && fpTemp->inserted)
        fpTemp = fpTemp->next();
    if (!fpTemp) {
        StopPattern();
        return false;
    }
    if (SendLeadLine(nullptr) != kLeadLineSent) {
        if (stopTest == 0) StopPattern();
        return false;
    }
    WaitForBuffer();
    Halt();
    PrefillFromCursor();
    if (Stopped()) return false;
    if (stitchRun) StitchOn();
    Resume();
    return true;
}

}  // namespace

int ProcessPattern2() {
    if (!interface || !fpTemp) return 0;
    SetBoardSpeed();
    if (const auto& hooks = GetRunControlHooks(); hooks.clearLockToggles) hooks.clearLockToggles();
    xOn = yOn = 0;
    SetMask(kRunMenuMask);
    const bool stitchRun = StitchingToggleActive() != 0;
    int polls = 0;
    if (stitchRun && (!fpTemp->prev() || !fpTemp->prev()->halt)) StitchOn();
    Resume();
    ProcessPendingEvents();
    SetBoardSpeed();
    float boxX = 0, boxY = 0;
    if (const PatternBox* box = GetPatternBox(CurrentPatternBox())) {
        boxX = box->x;
        boxY = box->y;
    }
    int64_t lastAnswerMs = MonotonicMs();

    for (;;) {
        ProcessPendingEvents();
        if (stitchRun && fpTemp && fpTemp->prev() && fpTemp->prev()->prev() &&
            fpTemp->prev()->prev()->halt)
            StitchOn();
        if (allStop == 1) {
            // allStop stays set: the repetitions see it and end.
            if (stopTest == 0) StopPattern();
            return 0;
        }
        if (allStop == 2) {
            Halt();
            if (stitchRun) {
                StitchOff();
                NeedleUp();
            }
            ProcessPendingEvents();
            return 0;
        }
        if (!fpTemp || stopTest == 1) return 0;  // the run ended under a drained event

        ProcessPendingEvents();
        unsigned char status = 0;
        int32_t errorWord = 0;
        const int result = CheckBuffer(&status, &errorWord);
        if (result == 4) {
            StopPattern();
            ShowErrorWord(errorWord);
            return 0;
        }
        if (result != 0) {
            LogLine(result == 1   ? "serial port is not active"
                    : result == 2 ? "there wasn't a response"
                                  : "we don't know what happened");
            if (MonotonicMs() - lastAnswerMs > kSilenceLimitMs) {
                StopPattern();
                ShowMessage(kMessageError, kButtonsOk, "ROBOT NOT RESPONSIVE. ERR: WFB100");
                return 0;
            }
            continue;
        }
        lastAnswerMs = MonotonicMs();
        if (++polls > kDemoMarkerPolls && status < 100) {
            polls = 0;
            MoveRunMarker(status, boxX, boxY);
        }
        if (status == 0 || status == kBufferBusy) continue;

        const bool idle = status == kBufferEmpty || status == kBufferDone;
        if (!fpTemp->next()) {
            if (idle) {
                FinishPass(stitchRun);
                return 1;
            }
        } else if (!fpTemp->halt) {
            fpTemp = fpTemp->next();
            if (SendMove(fpTemp->x, fpTemp->y, fpTemp->feed) != 0) fpTemp = fpTemp->prev();
        } else if (idle) {
            if (!NextSection(stitchRun)) return 0;
        }
    }
}

int RunDemo(int repetitions) {
    ReleaseAllUI();
    std::string password;
    if (ShowKeyboard(password, kDemoPasswordPrompt) != 1 || password != kDemoPassword)
        return kDemoRefused;
    LogLine("Demo run");
    if (!interface) return kDemoFailed;
    demoRepetition = 0;
    // Any StopPattern from here on (Stop, a board error) ends the demo.
    stopTest = 0;
    if (CountLayoutNodes(CurrentPatternBox()) == 0) {
        ShowMessage(kMessageError, kButtonsOk, "PATTERN BOX IS EMPTY");
        SetMask(kIdleMenuMask);
        return kDemoFailed;
    }
    if (!PackAndLead(false)) return kDemoFailed;
    ShowRunView();
    ClearTimers();
    ProcessPendingEvents();

    const auto& hooks = GetRunControlHooks();
    if (StitchingToggleActive()) {
        LockStitch();
        Halt();
        if (!Stopped()) PrefillFromCursor();
        if (!Stopped()) ProcessPattern2();
        DisableAxes();
        stitching = 0;
        if (hooks.setStitchingActive) hooks.setStitchingActive(0);
        ProcessPendingEvents();
    }

    for (int pass = 1; pass <= repetitions && !Stopped(); pass++) {
        demoRepetition = pass;
        Log("Demo repetition %d\n", pass);
        if (!PackAndLead(false)) {
            demoRepetition = 0;
            return Stopped() ? kDemoStopped : kDemoFailed;
        }
        Halt();
        if (!Stopped()) PrefillFromCursor();
        // A stop during the pre-fill must not be lost by clearing the flag.
        if (Stopped()) break;
        ClearTimers();
        ProcessPendingEvents();
        ProcessPattern2();
    }
    demoRepetition = 0;

    DisableAxes();
    if (Stopped()) {
        LogLine("Demo stopped");
        return kDemoStopped;
    }
    if (!PackAndLead(true)) return kDemoFailed;
    ShowRunView();
    ProcessPendingEvents();
    DisableAxes();
    LogLine("Demo finished");
    return kDemoFinished;
}
