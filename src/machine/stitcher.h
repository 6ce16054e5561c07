// The sewing machine's stitch regulator (the stitcher) behind MC1: its
// front-panel buttons, which MC1 presses on our behalf, stitching on and off,
// raising the needle and the checks of the needle sensor, for each machine type
// (needleUpMethod: 0 default board commands, 1 Corvane Twin with the command
// button, 2..11 button presses, 12 Corvane 18 with the button held while
// stitching).
#pragma once

// Stitcher buttons and the state bytes that follow them.
constexpr int kButtonStitchRegulator = 0x48;
constexpr int kButtonNeedleUp = 0x49;
constexpr int kButtonCommand = 0x4A;

// Stitcher status bytes as GetStitcher stores them.
constexpr unsigned char kStitcherReady = 1;
constexpr unsigned char kStitcherNotInRobotMode = 0x21;

// 1 after this program switched stitching on, 0 after it switched it off; on
// and off are sent only when it changes.
extern int robotIsStitching;

// Sends button and state. With pressMs 0 that is all (the button stays as
// sent); otherwise waits pressMs, sends the release (button, releaseState) and
// waits holdMs. Returns 1.
int PseudoButtonPress(int button, int state, int releaseState, float pressMs, float holdMs);

// Parses "0x%X state flag" and sends button and state. Returns 1 with nothing
// sent when fewer than two fields parse or a move exchange is in flight (the
// caller may try again), else 0.
int PseudoButtonRelease(const char* text);

// Switches stitching on / off for the current machine type, only when
// robotIsStitching changes. Returns 1, 0 when the line is not open (flag kept).
int StitchOn();
int StitchOff();

// Raises the needle for the current machine type (methods 1..11 then run the
// needle check; method 0 waits for the board's answer). Returns 1.
int NeedleUp();

// Needle check: with needleUpConfirm polls the needle sensor for needleUpTime
// ms until it has seen the needle move (0) and arrive up (1). Returns 1
// confirmed (or no confirmation asked), 0 time-out, -1 not open.
int PauseForNeedle();

// Waits up to 5 s for the default board's needle-up answer, draining screen
// events. Returns 1 done (0xFA), 0 failed (0xFB), time-out or not open.
int WaitForNeedle();

// Checks the stitcher before a run. Returns 0 with *status stored (1 ready,
// 0x21 handle bars not in robot mode, other: not present; on method 1 without
// confirmation the caller's preset stays), 2 no answer (method 0), 255 line
// not open (status untouched).
int GetStitcher(unsigned char* status);
