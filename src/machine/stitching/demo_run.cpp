#include "machine/stitching/demo_run.h"

#include <string>

#include "base/application_state.h"
#include "base/log.h"
#include "base/ui_hooks.h"
#include "layout/layout_selection.h"
#include "layout/layout_tree.h"
#include "machine/mc1_commands.h"
#include "machine/stitcher.h"
#include "machine/stitching/pattern_run.h"
#include "machine/stitching/point_streaming.h"
#include "machine/stitching/run_flags.h"
#include "machine/stitching/run_state.h"
#include "machine/stitching/run_support.h"
#include "machine/stitching/stitch_path.h"

int demoRepetition = 0;

using namespace run;

namespace {

constexpr int kDemoMarkerPolls = 2;  // polls between two moves of the head marker

// A stop was asked for (Stop button) or the run was ended by StopPattern.
bool Stopped() {
    return allStop == 1 || stopTest == 1;
}

void ShowRunView() {
    if (hooks.showRunView) hooks.showRunView();
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
    fpTemp = CurrentRun().fullPattern;
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

// The board stands idle at the end of a section (fpTemp, halt set): tie off,
// lead to the next section and pre-fill it, without the run's jump
// measurement, thread messages and speed change. Returns false when the pass
// ended.
bool NextSection(bool stitchRun) {
    WaitForBuffer();
    if (stitchRun) {
        LockStitch();
        if (Stopped()) return false;
        WaitForBuffer();
        StitchOff();
    }
    SendMoveTo(fpTemp, fpTemp->feed);
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

// A demo pass goes through the run's streaming loop, moving the head marker
// more often and changing sections its own way.
constexpr StreamPolicy kDemoStream = {.markerPolls = kDemoMarkerPolls,
                                      .busyPollsCount = true,
                                      .watchHead = false,
                                      .reportProgress = false,
                                      .changeSection = NextSection};

// One pass of the demo from fpTemp to the end of the path, which frees the
// path and returns to the repetitions instead of ending the run. A Stop ends
// the run once and leaves allStop set, so that the repetitions end; a pause
// halts the board and returns.
void StreamPass() {
    if (!fpTemp) return;
    SetBoardSpeed();
    ClearLockToggles();
    SetMask(kRunMenuMask);
    const bool stitchRun = StitchingToggleActive() != 0;
    if (stitchRun && (!fpTemp->prev() || !fpTemp->prev()->halt)) StitchOn();
    Resume();
    ProcessPendingEvents();
    SetBoardSpeed();
    switch (StreamPath(kDemoStream, stitchRun)) {
        case StreamEnd::kStop:
            Fail();  // unless Stop has ended the run already; allStop stays set
            break;
        case StreamEnd::kPause:
            Halt();
            if (stitchRun) {
                StitchOff();
                NeedleUp();
            }
            ProcessPendingEvents();
            break;
        case StreamEnd::kPathDone:
            ProcessPendingEvents();
            break;
        case StreamEnd::kLost:
        case StreamEnd::kEnded:
            break;
    }
}

}  // namespace

int RunDemo(int repetitions) {
    ReleaseAllUI();
    std::string password;
    if (ShowKeyboard(password, kDemoPasswordPrompt) != 1 || password != kDemoPassword)
        return kDemoRefused;
    LogLine("Demo run");
    demoRepetition = 0;
    runStopped = false;  // the streaming loop tells by it that a pass was ended
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

    if (StitchingToggleActive()) {
        LockStitch();
        Halt();
        if (!Stopped()) PrefillFromCursor();
        if (!Stopped()) StreamPass();
        DisableAxes();
        SetStitchingToggle(0);
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
        StreamPass();
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
