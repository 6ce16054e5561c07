// Nesting after the quilt was rolled. See nesting.h.
#include "machine/nesting.h"

#include <cmath>

#include "base/application_state.h"
#include "base/log.h"
#include "base/ui_hooks.h"
#include "layout/layout_file.h"
#include "layout/layout_selection.h"
#include "layout/pattern_box.h"
#include "layout/placement_edit.h"
#include "machine/machine_parameters.h"
#include "machine/mc1_commands.h"

namespace {

constexpr double kInchesPerUnit = 1.0 / 1000.0;

const NestStepInfo kSteps[kNestStepCount] = {
    {"MOVE THE MACHINE TO THE LOWER LEFT CORNER OF YOUR QUILTING AREA.", true, true},
    {"MOVE THE MACHINE TO THE LOWER RIGHT CORNER OF YOUR QUILTING AREA.", true, true},
    {"YOU MAY NOW ROLL THE QUILT.", false, false},
    {"MOVE THE MACHINE TO YOUR FIRST MARK.", true, false},
    {"MOVE THE MACHINE TO YOUR SECOND MARK.", true, false},
};

PatternBox* CurrentBox() {
    return GetPatternBox(CurrentPatternBox());
}

bool Confirmed(const char* text) {
    return ShowMessage(kMessageInfo, kButtonsOkCancel, text) == kResponseOk;
}

// Holds the head still for a reading and lets it go again on every way out.
struct HeldHead {
    bool held = false;
    void Hold() {
        SetSpeed(static_cast<int32_t>(Machine().maxSpeed));
        EnableX();
        EnableY();
        held = true;
    }
    void Release() {
        if (!held) return;
        DisableX();
        DisableY();
        held = false;
    }
    ~HeldHead() { Release(); }
};

// One step: its message, the hold, the reading and "MARK THIS LOCATION.".
// Returns kNestMoved with the position read (if the step reads one), or the
// way out.
int RunStep(NestStep step, MachinePosition* position) {
    const NestStepInfo& info = kSteps[step];
    if (!Confirmed(info.message)) return kNestCancelled;
    if (!info.readsPosition) return kNestMoved;
    HeldHead head;
    if (info.holdsHead) head.Hold();
    const auto reading = GetCurrentLocation();
    if (!reading) {
        ShowMessage(kMessageError, kButtonsOk, kNestCommunicationsError);
        return kNestFailed;
    }
    *position = *reading;
    if (info.holdsHead && !Confirmed(kNestMarkThis)) return kNestCancelled;
    return kNestMoved;
}

}  // namespace

const NestStepInfo& NestingStep(NestStep step) {
    return kSteps[step >= 0 && step < kNestStepCount ? step : 0];
}

NestMove ComputeNestMove(const MachinePosition& p1, const MachinePosition& p2,
                         const MachinePosition& p3, const MachinePosition& p4) {
    Log("Old: ( %ld, %ld ) - ( %ld, %ld )\nNew: ( %ld, %ld ) - ( %ld, %ld )\n", long(p1.x),
        long(p1.y), long(p2.x), long(p2.y), long(p3.x), long(p3.y), long(p4.x), long(p4.y));
    NestMove m;
    m.dx = static_cast<float>((static_cast<double>(p3.x) - p1.x) * kInchesPerUnit);
    m.dy = static_cast<float>((static_cast<double>(p3.y) - p1.y) * kInchesPerUnit);
    Log("The quilt has been rolled %0.3f inches and has an x offset of %0.3f inches\n", m.dy, m.dx);
    m.before = std::atan2(static_cast<double>(p2.y) - p1.y, static_cast<double>(p2.x) - p1.x);
    m.after = std::atan2(static_cast<double>(p4.y) - p3.y, static_cast<double>(p4.x) - p3.x);
    Log("Initial Rotation: %0.3f radians.\nNew Rotation: %0.3f rad.\nDifference: %0.3f rad.\n",
        m.before, m.after, m.Turn());
    return m;
}

// The centre measure is recomputed with the origin rather than shifted: it is
// kept relative to the origin for most boxes, so shifting it would be wrong.
void MovePatternBox(PatternBox* box, float dx, float dy) {
    if (!box) return;
    for (PatternBoxPoint* c = box->corners; c; c = c->next) {
        c->x += dx;
        c->y += dy;
    }
    if (box->corners) {
        SetPatternBoxOrigin(box);
    } else {
        box->x += dx;
        box->y += dy;
    }
}

int ApplyNestMove(const NestMove& move) {
    PatternBox* box = CurrentBox();
    if (!box) return 0;
    MovePatternBox(box, move.dx, box->height + move.dy);
    RotateFullPattern(static_cast<float>(move.Turn()));
    return 1;
}

int ApplyNestingScreenMove(const MachinePosition& origin, const MachinePosition& current) {
    PatternBox* box = CurrentBox();
    if (!box) return 0;
    MovePatternBox(box, static_cast<float>((double(current.x) - origin.x) * kInchesPerUnit),
                   static_cast<float>((double(current.y) - origin.y) * kInchesPerUnit));
    return 1;
}

int NestingMarks() {
    CreateUndoFile();
    MachinePosition marks[kNestStepCount];
    for (int s = 0; s < kNestStepCount; s++) {
        const int result = RunStep(static_cast<NestStep>(s), &marks[s]);
        if (result != kNestMoved) return result;
    }
    ApplyNestMove(ComputeNestMove(marks[kNestLowerLeft], marks[kNestLowerRight],
                                  marks[kNestFirstMark], marks[kNestSecondMark]));
    return kNestMoved;
}
