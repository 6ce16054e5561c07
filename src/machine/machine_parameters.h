// The machine parameters: plain globals under their engineering names. The
// first group is held by the board MC1 and mirrored here (read at start-up and
// when the setup screens open, written back by the setters of mc1_commands);
// the second group lives only in this program. All are saved in the defaults
// file by the settings module and edited on the setup screens.
#pragma once

#include <cstdint>

// Held by MC1.
extern int32_t XKp;           // X axis proportional gain
extern int32_t XKi;           // X axis integral gain
extern int32_t XKd;           // X axis derivative gain
extern int32_t YKp;           // Y axis proportional gain
extern int32_t YKi;           // Y axis integral gain
extern int32_t YKd;           // Y axis derivative gain
extern int32_t Err;           // maximum following error
extern int32_t TOut;          // the board's time-out setting
extern int32_t stitchLen;     // stitch length setting
extern int32_t speed;         // top speed setting
extern int32_t minimumSpeed;  // minimum speed setting
extern int32_t stitchRep;     // number of lock stitches
extern float slow;            // slow-down setting

// Held by this program only.
extern float jumpStitch;         // longest jump sewn without cutting the thread, inches
extern float acceleration;       // acceleration setting of the feed-rate computation
extern float curvature;          // curvature setting of the feed-rate computation
extern int32_t leadLineSpeed;    // speed of the lead line
extern float moveIncrement;      // step of the manual head moves, inches
extern int32_t needleUpMethod;   // machine type 0..12, selects the stitcher method
extern int32_t needleUpConfirm;  // 1: confirm the needle position with the sensor
extern float needleUpPress;      // needle-up button press length, ms
extern float needleUpTime;       // wait after needle up, ms
extern float stitchRegPress;     // stitch-regulator button press length, ms
extern float stitchRegTime;      // wait after the stitch-regulator press, ms

// Derived speeds: maxSpeed = speed, minSpeed = minimumSpeed * 10 / 6.
extern float maxSpeed;
extern float minSpeed;

// Recomputes maxSpeed and minSpeed; called at start-up and whenever speed or
// minimumSpeed change.
void ComputeDerivedSpeeds();

// Sets every parameter above to its factory default (minimumSpeed 2, slow 5.0
// included) and recomputes the derived speeds. Sends nothing to the board: the
// factory-reset action sends the setters itself.
void SetFactoryDefaults();

// Number of machine types (needleUpMethod 0..kMachineTypeCount-1) and their
// names as the setup screen lists them.
constexpr int kMachineTypeCount = 13;
extern const char* const machineTypeNames[kMachineTypeCount];

// needleUpMethod when it names a machine type, else 0 (the default machine).
int CurrentStitcherMethod();
