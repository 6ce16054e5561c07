// The command set of the motor-controller board MC1: one-byte commands,
// parameter setters (code + 4-byte little-endian value), the parameter and
// version queries, and the all-stop sequence. Moves, the buffer status and the
// position are in mc1_motion; the stitcher buttons in stitcher.
//
// Every operation first checks that the line is open and returns its own
// not-open result at once otherwise.
#pragma once

#include <cstdint>

// Command codes sent to MC1.
constexpr unsigned char kCmdSetXKp = 0x01;
constexpr unsigned char kCmdSetXKi = 0x02;
constexpr unsigned char kCmdSetXKd = 0x03;
constexpr unsigned char kCmdSetYKp = 0x04;
constexpr unsigned char kCmdSetYKi = 0x05;
constexpr unsigned char kCmdSetYKd = 0x06;
constexpr unsigned char kCmdSetMaxErr = 0x08;
constexpr unsigned char kCmdSetTOut = 0x09;
constexpr unsigned char kCmdGetConstants = 0x0B;
constexpr unsigned char kCmdGetStitchSettings = 0x0E;
constexpr unsigned char kCmdGetXY = 0x0F;
constexpr unsigned char kCmdStop = 0x13;
constexpr unsigned char kCmdDisableX = 0x15;
constexpr unsigned char kCmdEnableX = 0x16;
constexpr unsigned char kCmdDisableY = 0x17;
constexpr unsigned char kCmdEnableY = 0x18;
constexpr unsigned char kCmdResume = 0x19;
constexpr unsigned char kCmdSetHome = 0x1A;
constexpr unsigned char kCmdStitchingOn = 0x1D;
constexpr unsigned char kCmdStitchingOff = 0x1E;
constexpr unsigned char kCmdSendMove = 0x21;
constexpr unsigned char kCmdCheckBuffer = 0x22;
constexpr unsigned char kCmdHalt = 0x2C;
constexpr unsigned char kCmdClearMCBuffer = 0x2D;
constexpr unsigned char kCmdSetExtents = 0x2E;
constexpr unsigned char kCmdClearExtents = 0x2F;
constexpr unsigned char kCmdEndOfRun = 0x30;
constexpr unsigned char kCmdNeedleUp = 0x31;
constexpr unsigned char kCmdGetErrors = 0x34;
constexpr unsigned char kCmdSetStitches = 0x35;
constexpr unsigned char kCmdSetLockStitch = 0x36;
constexpr unsigned char kCmdSetSpeed = 0x37;
constexpr unsigned char kCmdGetMotorDirection = 0x38;
constexpr unsigned char kCmdSetMinimumSpeed = 0x39;
constexpr unsigned char kCmdGetMotorVersion = 0x3C;
constexpr unsigned char kCmdGetStitcherVersion = 0x3D;
constexpr unsigned char kCmdGetStitcherStatus = 0x3E;
constexpr unsigned char kCmdStartSignal = 0x3F;
constexpr unsigned char kCmdReverseDirection = 0x41;
constexpr unsigned char kCmdGetSlow = 0x42;
constexpr unsigned char kCmdSetSlow = 0x44;
constexpr unsigned char kCmdSetupScreen = 0x46;
constexpr unsigned char kCmdNeedleSensor = 0x4B;

// Motor-direction byte of a board whose encoders read in reverse.
constexpr unsigned char kMotorReversed = 0xC8;

// Sends one command byte. Returns 1 sent, 0 line not open.
int SendCommand(unsigned char code);

// One-byte commands. Each returns 1 sent, 0 line not open.
int DisableX();
int EnableX();
int DisableY();
int EnableY();
int Resume();
int Halt();
int SetHome();
int ClearMCBuffer();
int SetExtents();
int ClearExtents();
int SendStartSignal();        // before a run
int SendEndOfRunSignal();     // at the end of a run or a thread break
int SendSetupScreenSignal();  // when the machine setup screen opens

// Setters of the board-held parameters: the code and the value as a 5-byte
// frame. They send only; the caller keeps the global. Each returns 1 sent, 0
// line not open. Called by the setup screens and the factory reset.
int SetXKp(int32_t value);
int SetXKi(int32_t value);
int SetXKd(int32_t value);
int SetYKp(int32_t value);
int SetYKi(int32_t value);
int SetYKd(int32_t value);
int SetMaxErr(int32_t value);
int SetTOut(int32_t value);
int SetStitches(int32_t value);
int SetLockStitch(int32_t value);
int SetSpeed(int32_t value);
int SetMinimumSpeed(int32_t value);
int SetSlow(float value);

// Stops the board: stop, clear the move queue, resume (15 ms apart). The board
// is left with an empty queue and not halted. Returns 1, 0 when not open
// (nothing sent).
int AllStop();

// Order of the values in the constants reply.
enum ConstantIndex {
    kConstXKp = 0,
    kConstXKi,
    kConstYKp,
    kConstYKi,
    kConstYKd,
    kConstErr,
    kConstTOut,
    kConstXKd,
    kConstantCount
};

// Asks the board for its eight constants (gains, Err, TOut) into `values` in
// reply order. Returns 0 all read, 1 no or short answer (no answer within 1 s
// shows "COULD NOT RETRIEVE VALUES.\nCOMMUNICATIONS TIMED OUT."; a short answer
// leaves the values read so far), 2 not open. Called by start-up and the setup
// screens.
int GetConstants(int32_t values[kConstantCount]);

// Copies a constants reply into the machine parameters.
void ApplyConstants(const int32_t values[kConstantCount]);

// Start-up stitch-settings request: sends 0x0E, waits up to 11 x 2.5 ms for the
// four bytes and stores stitchLen, speed, minimumSpeed, stitchRep. Returns 0
// read; 1 no answer, 2 not open, both with 5, 40, 2, 4 stored instead.
int GetStitchSettingsAtStartUp();

// Setup-screen stitch-settings request: discards input, sends 0x0E, waits up
// to 500 ms (logs "buffcnt: %d"), stores the four settings. Returns 0 read;
// 1 no answer ("Data Timed Out"), 2 not open, both with 10, 50, 3, 2 stored.
int GetStitchSettingsForSetup();

// Slow-setting request 0x42: waits up to 1 s for the float and stores `slow`
// (logs "SLOW = %0.3f"). Returns 0 read; 1 no answer ("SLOW timed out"), 2 not
// open, both with 3.0 stored.
int GetSlowSetting();

// Board firmware version (0x3C). Returns 0 read, -1 not open, -2 no answer
// within 1 s (version untouched), -3 short answer (version set to 0).
int GetMotorVersion(float* version);

// Stitcher firmware version (0x3D) on the default machine; every other machine
// type gives version 0 with result 0. Results as GetMotorVersion.
int GetStitcherVersion(float* version);

// Motor direction byte (0x38): kMotorReversed when the encoders read in
// reverse. Returns 0 read, 2 failed or not open. Start-up stores it in the
// current run's record (CurrentRun().motorDirection).
int GetMotorDirection(unsigned char* direction);

// Reverse-direction action of the setup screen: sends 0x41, waits 100 ms and
// reads the new direction. Returns GetMotorDirection's result (2 at once when
// the line is not open).
int ReverseMotorDirection(unsigned char* direction);
