// The current run as the screens see it: its stitch path, the head marker of
// the run view and the motor direction read from the board. The stitching
// engine owns and writes the one record; the views only read it.
#pragma once

#include <cstdint>

struct FullPattern_t;

// Where the run view draws its head marker: the head's position in inches
// from the origin of the current pattern box.
struct RunMarker {
    bool shown = false;  // false until the run first reports where the head is
    float x = 0;         // inches
    float y = 0;         // inches
};

struct RunState {
    FullPattern_t* fullPattern = nullptr;  // stitch path of the current run; FreeRunPath frees it
    RunMarker marker;
    uint8_t motorDirection = 0;  // direction code read from MC1; kMotorReversed is reverse
};

// The current run's record. It exists before any code of the program runs and
// is never destroyed.
RunState& CurrentRun();
