#include "stitcher_model.h"

#include <algorithm>

namespace {

constexpr int kStitchRegulator = 0;
constexpr int kNeedleButton = 1;
constexpr int kCommandButton = 2;

// Raises the needle: the sensor reads 0 while it travels, then 1.
void RaiseNeedle(StitcherState& s, int64_t nowUs) {
    if (s.needleFail) return;  // the needle does not move
    s.needleUp = true;
    s.needleMovingUntilUs = nowUs + kNeedleTravelUs;
}

void SetStitching(StitcherState& s, bool on) {
    s.stitching = on;
    if (!on) s.needleUp = false;  // the machine stops with the needle down
}

}  // namespace

int NeedleSensor(const StitcherState& s, int64_t nowUs) {
    if (nowUs < s.needleMovingUntilUs || s.stitching) return 0;
    return s.needleUp ? 1 : 0;
}

std::string ButtonChange(StitcherState& s, uint8_t button, uint8_t state, int64_t nowUs) {
    int index = button - 0x48;
    if (index < 0 || index > 2) return "";
    bool pressed = state != 0;
    bool wasPressed = s.buttons[index];
    s.buttons[index] = pressed;
    if (pressed == wasPressed) return "";
    bool commandHeld = s.buttons[kCommandButton];

    if (index == kCommandButton) {
        if (pressed) {
            s.commandUsed = false;
            return "";
        }
        // A command press on its own jogs a method-1 needle in robot mode.
        if (s.machine == 1 && s.robotMode && !s.commandUsed && !s.needleFail) {
            s.needleUp = false;
            s.needleMovingUntilUs = nowUs + kNeedleTravelUs;
            return "needle jogged down";
        }
        return "";
    }
    if (pressed && commandHeld) s.commandUsed = true;

    if (index == kStitchRegulator) {
        if (s.machine == 12) {
            SetStitching(s, pressed);
            return pressed ? "stitching on" : "stitching off";
        }
        if (!pressed || s.machine == 0) return "";
        if (s.machine == 1 && !commandHeld && s.robotMode) return "";
        SetStitching(s, !s.stitching);
        return s.stitching ? "stitching on" : "stitching off";
    }

    // Needle-up button. The needle keeps travelling while the button is held
    // and arrives a travel time after it is let go.
    if (!pressed) {
        if (s.needleRising)
            s.needleMovingUntilUs = std::min(s.needleMovingUntilUs, nowUs + kNeedleTravelUs);
        s.needleRising = false;
        return "";
    }
    if (s.machine == 0 || s.machine == 12) return "";
    if (s.machine == 1 && !commandHeld && s.robotMode) return "";
    if (s.stitching) SetStitching(s, false);
    RaiseNeedle(s, nowUs);
    s.needleRising = !s.needleFail;
    if (s.needleRising) s.needleMovingUntilUs = nowUs + kNeedleHeldLimitUs;
    return s.needleFail ? "needle up failed" : "needle up";
}

bool StitchCommand(StitcherState& s, bool on) {
    if (s.machine != 0) return false;
    SetStitching(s, on);
    return true;
}

bool NeedleUpCommand(StitcherState& s, int64_t nowUs) {
    if (s.stitching) SetStitching(s, false);
    RaiseNeedle(s, nowUs);
    return !s.needleFail;
}

void SetMachine(StitcherState& s, int machine) {
    s.machine = machine;
    SetStitching(s, false);
    s.needleUp = true;
    s.needleMovingUntilUs = 0;
    for (bool& b : s.buttons)
        b = false;
    s.commandUsed = false;
    s.needleRising = false;
}
