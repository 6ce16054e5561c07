// The helpers the run's modules share, the lock stitch, the axes and the
// speed of the board, and the run's hooks.
#include "machine/stitching/run_support.h"

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
#include "machine/stitching/run_state.h"
#include "machine/stitching/run_support.h"
#include "machine/stitching/stitch_estimate.h"
#include "machine/stitching/stitch_path.h"

int stopTest = 0;
RunStatistics runStatistics;
int speedup = 0, slowdown = 0;

namespace run {

RunControlHooks hooks;
bool runStopped = false;

namespace {

constexpr int kMoveTries = 11;  // a refused tie-off move is sent again this often

}  // namespace

bool StopRequested() {
    return allStop == 1;
}

bool Ended() {
    return runStopped || StopRequested();
}

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
    return CurrentRun().fullPattern;
}

bool OnCurrentPath(const FullPattern_t* point) {
    for (const FullPattern_t* p = FirstPathPoint(); p; p = p->next())
        if (p == point) return true;
    return false;
}

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

bool SendMoveTo(const FullPattern_t* point, float feed) {
    for (int tries = 0; tries < kMoveTries; tries++) {
        if (StopRequested()) return false;
        if (SendMove(point->x, point->y, feed) == 0) return true;
        ProcessPendingEvents();
    }
    return false;
}

bool Wait() {
    return WaitForBuffer() == 1;
}

int LeadTo(FullPattern_t* target) {
    const int lead = SendLeadLine(target);
    if (lead == kLeadLineNoPosition) ShowMessage(kMessageError, kButtonsOk, kHeadUnreadableMessage);
    return lead;
}

int LeadToStart() {
    return LeadTo(nullptr);
}

void ReportProgress(double shareDone, double secondsLeft) {
    if (hooks.showProgress) hooks.showProgress(RunProgress{shareDone, secondsLeft});
}

}  // namespace run

using namespace run;

namespace {

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

}  // namespace

void LockStitch() {
    LogLine("LS");
    StitchOff();
    FullPattern_t* a = nullptr;
    FullPattern_t* b = nullptr;
    if (!LockStitchEnds(&a, &b)) return;

    Resume();
    SetSpeed(kLockStitchSpeed);
    if (Machine().stitchRep == 0) {
        if (!Wait()) {
            StopPattern();
            return;
        }
        if (!StopRequested()) NeedleUp();
    } else {
        for (int i = 0; i < Machine().stitchRep; i += 2) {
            if (StopRequested()) {
                StopPattern();
                LogLine("LS STOPPED");
                return;
            }
            if (!SendMoveTo(b, kLockStitchFeed) || !Wait()) {
                StopPattern();
                return;
            }
            if (Machine().needleUpMethod == 12)
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
            if (Machine().needleUpMethod != 12) NeedleUp();
        }
        if (Machine().needleUpMethod == 12) StitchOff();
    }
    Halt();
    LogLine("LS DONE");
    SetBoardSpeed();
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
    SetSpeed(static_cast<int32_t>(Machine().maxSpeed));
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
