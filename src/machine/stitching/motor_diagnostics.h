// Motor diagnostics: the axis tests, which drive a fixed straight test path
// with one axis at its own gains and the other nearly limp and judge the axis
// by the encoder counts it travelled; the stitcher-link test; and the test of
// the stitcher's three front-panel buttons. Each test writes its progress as
// text through a DiagnosticsReport: the setup screen's Test page shows it, the
// service tool prints it, so both show the same words.
//
// The axis tests change the board's speed, maximum following error and gains;
// every path out of a test (a pass, a fail, a stall, a board error, a silent
// board) sends the values of the machine parameters back.
#pragma once

#include <string>

struct FullPattern_t;

// Where a test writes. Every member may be null.
struct DiagnosticsReport {
    void (*setText)(void* context, const char* text) = nullptr;     // replaces the whole text
    void (*appendText)(void* context, const char* text) = nullptr;  // adds at the end
    // Waits milliseconds while the screen stays alive; null sleeps.
    void (*wait)(void* context, int milliseconds) = nullptr;
    void* context = nullptr;
};

// Constants of the axis test.
constexpr int kTestSpeed = 80;                // board speed during the test
constexpr int kLimpGain = 5;                  // proportional gain of the axis not tested
constexpr int kTestMaxError = 200;            // maximum following error during the test
constexpr float kCountsPerInch = 2501.0f;     // encoder counts per inch
constexpr float kPassCounts = 8500.0f;        // the tested axis passes above this
constexpr int kTestPathPoints = 50;           // points of the test path
constexpr float kTestPathXCounts = 10000.0f;  // counts in x from the first point to the last
constexpr float kTestPathYRatio = -0.95f;     // y step per x step

// Texts of the diagnostics page.
constexpr const char* kDiagnosticsIntro =
    "MOTOR CONTROLLER DIAGNOSTICS\nPress one of the buttons below to start.";

// Axis of an axis test.
enum TestAxis { kTestAxisX = 0, kTestAxisY = 1 };

// Builds the test path from (0, 0): point i at x = i s, y = -0.95 i s with
// s = (10000 / 2501) * 1000 / 49 thousandths of an inch, feeds 100 (the first
// and last 0) limited by the acceleration setting without smoothing. The
// caller frees it with FreeFullPattern.
FullPattern_t* BuildTestPath();

// Encoder counts of a distance in thousandths of an inch (absolute value).
float EncoderCounts(float thousandths);

// One axis test: "Testing X Motor\n", the moves, then "Encoder counts: ..."
// and "X motor passed!\n" or "X motor failed!\n" (Y alike). Returns 1 when
// the path was driven to its end (whatever the verdict), 0 when it was
// aborted ("X Motor Error.  Test Aborted.\n"): the board stalled, reported an
// error, a stop was asked for, or the head position could not be read; the
// board is then halted and its remaining test moves are cleared.
int TestMotor(TestAxis axis, const DiagnosticsReport& report);
int TestXMotor(const DiagnosticsReport& report);
int TestYMotor(const DiagnosticsReport& report);

// The text of the stitcher-link verdict for a read of the answer to 0x3E:
// GetChar's result and the byte read.
const char* StitcherLinkText(int readResult, unsigned char byte);

// Sends 0x3E, reads one byte (3000 ms) and appends its verdict. Returns the
// read's result (0 a byte came, -1 time-out, -3 framing error).
int TestStitcherLink(const DiagnosticsReport& report);

// TEST ALL: the X test, the Y test, then the text becomes "Testing All
// Motors\n" with "Test All Motors Passed!\n" when both paths were driven to
// their end (else "...Failed!\n"), and the stitcher-link verdict is appended.
// Returns 1 when both paths were driven, else 0.
int TestAllMotors(const DiagnosticsReport& report);

// PORT D: presses and releases the command, stitch-regulation and needle-up
// buttons in turn, one second apart, saying so before each press and release.
void TestStitcherButtons(const DiagnosticsReport& report);
