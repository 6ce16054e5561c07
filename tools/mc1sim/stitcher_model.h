// The stitcher behind the board: the three front-panel buttons the board
// operates, stitching on and off for each machine type (method 0..12), and
// the needle with its sensor.
//   method 0      stitching by commands 0x1D/0x1E, needle up by 0x31
//   method 1      command button (0x4A) held while the stitch-regulator (0x48)
//                 or needle-up (0x49) button is pressed; in robot mode a press
//                 of the command button alone jogs the needle down
//   methods 2-11  a press of 0x48 toggles stitching, a press of 0x49 raises the needle
//   method 12     stitching while 0x48 is held down; no needle-up button
#pragma once

#include <cstdint>
#include <string>

#include "board_state.h"

constexpr int64_t kNeedleTravelUs = 300000;          // needle travel, from the press or the release
constexpr int64_t kNeedleHeldLimitUs = 10000000;     // a needle-up button never let go
constexpr int64_t kNeedleReplyUs = kNeedleTravelUs;  // method-0 needle-up until its answer

// Reads the needle sensor at board time nowUs: 1 needle up and at rest, 0 otherwise.
int NeedleSensor(const StitcherState& stitcher, int64_t nowUs);

// A button (0x48, 0x49, 0x4A) goes to the given state (non-zero: pressed).
// Returns what the stitcher did, for the log ("" when nothing happened).
std::string ButtonChange(StitcherState& stitcher, uint8_t button, uint8_t state, int64_t nowUs);

// Stitching on/off by command (0x1D/0x1E). Only method 0 obeys; returns false
// when the machine type ignores the command.
bool StitchCommand(StitcherState& stitcher, bool on);

// Method-0 needle up (0x31): starts raising the needle. Returns true when it
// will succeed (answer 0xFA), false when the needle fault is set (0xFB).
bool NeedleUpCommand(StitcherState& stitcher, int64_t nowUs);

// Changes the machine type: stitching off, every button released.
void SetMachine(StitcherState& stitcher, int machine);
