// The machine parameters under their engineering names, held in one record
// that starts at the factory defaults. The first group is held by the board MC1
// and mirrored here (read at start-up and when the setup screens open, written
// back by the setters of mc1_commands); the second group lives only in this
// program. All are saved in the defaults file by the settings module and edited
// on the setup screens.
#pragma once

#include <cstdint>

struct MachineParameters {
    // Held by MC1.
    int32_t XKp = 30;          // X axis proportional gain
    int32_t XKi = 8;           // X axis integral gain
    int32_t XKd = 40;          // X axis derivative gain
    int32_t YKp = 30;          // Y axis proportional gain
    int32_t YKi = 8;           // Y axis integral gain
    int32_t YKd = 40;          // Y axis derivative gain
    int32_t Err = 100;         // maximum following error
    int32_t TOut = 100;        // the board's time-out setting
    int32_t stitchLen = 5;     // stitch length setting
    int32_t speed = 40;        // top speed setting
    int32_t minimumSpeed = 2;  // minimum speed setting
    int32_t stitchRep = 4;     // number of lock stitches
    float slow = 5.0f;         // slow-down setting

    // Held by this program only.
    float jumpStitch = 0.0f;      // longest jump sewn without cutting the thread, inches
    float acceleration = 40.0f;   // acceleration setting of the feed-rate computation
    float curvature = 40.0f;      // curvature setting of the feed-rate computation
    int32_t leadLineSpeed = 60;   // speed of the lead line
    float moveIncrement = 0.1f;   // step of the manual head moves, inches
    int32_t needleUpMethod = 0;   // machine type 0..12, selects the stitcher method
    int32_t needleUpConfirm = 1;  // 1: confirm the needle position with the sensor
    float needleUpPress = 0.0f;   // needle-up button press length, ms
    float needleUpTime = 0.0f;    // wait after needle up, ms
    float stitchRegPress = 0.0f;  // stitch-regulator button press length, ms
    float stitchRegTime = 0.0f;   // wait after the stitch-regulator press, ms

    // Derived speeds: maxSpeed = speed, minSpeed = minimumSpeed * 10 / 6.
    float maxSpeed = 40.0f;
    float minSpeed = 2.0f * 10.0f / 6.0f;
};

// The program's machine parameters. The record exists before any code of the
// program runs and is never destroyed.
MachineParameters& Machine();

// Recomputes maxSpeed and minSpeed; called at start-up and whenever speed or
// minimumSpeed change.
void ComputeDerivedSpeeds();

// Puts every parameter back to its factory default, the value it starts with
// (minimumSpeed 2, slow 5.0 and the derived speeds included). Sends nothing to
// the board: the factory-reset action sends the setters itself. Tests call it
// to start from and go back to the start values.
void SetFactoryDefaults();

// Number of machine types (needleUpMethod 0..kMachineTypeCount-1) and their
// names as the setup screen lists them.
constexpr int kMachineTypeCount = 13;
extern const char* const machineTypeNames[kMachineTypeCount];

// needleUpMethod when it names a machine type, else 0 (the default machine).
int CurrentStitcherMethod();
