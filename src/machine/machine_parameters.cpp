#include "machine/machine_parameters.h"

// Every parameter starts at its factory default, so a program that never
// reaches the board or the defaults file still works with sane values.
int32_t XKp = 30;
int32_t XKi = 8;
int32_t XKd = 40;
int32_t YKp = 30;
int32_t YKi = 8;
int32_t YKd = 40;
int32_t Err = 100;
int32_t TOut = 100;
int32_t stitchLen = 5;
int32_t speed = 40;
int32_t minimumSpeed = 2;
int32_t stitchRep = 4;
float slow = 5.0f;

float jumpStitch = 0.0f;
float acceleration = 40.0f;
float curvature = 40.0f;
int32_t leadLineSpeed = 60;
float moveIncrement = 0.1f;
int32_t needleUpMethod = 0;
int32_t needleUpConfirm = 1;
float needleUpPress = 0.0f;
float needleUpTime = 0.0f;
float stitchRegPress = 0.0f;
float stitchRegTime = 0.0f;

float maxSpeed = 40.0f;
float minSpeed = 2.0f * 10.0f / 6.0f;

const char* const machineTypeNames[kMachineTypeCount] = {
    "Default", "Corvane Twin", "Corvane Solo", "Halberd", "Morrow Longarm",
    "Ferrand", "Kestrel",      "Dunmore/Rill", "Vantor",  "Selkirk",
    "Brisco",  "Custom",       "Corvane 18"};

void ComputeDerivedSpeeds() {
    maxSpeed = static_cast<float>(speed);
    minSpeed = static_cast<float>(minimumSpeed) * 10.0f / 6.0f;
}

void SetFactoryDefaults() {
    XKp = 30;
    XKi = 8;
    XKd = 40;
    YKp = 30;
    YKi = 8;
    YKd = 40;
    Err = 100;
    TOut = 100;
    stitchLen = 5;
    speed = 40;
    minimumSpeed = 2;
    stitchRep = 4;
    slow = 5.0f;
    jumpStitch = 0.0f;
    acceleration = 40.0f;
    curvature = 40.0f;
    leadLineSpeed = 60;
    moveIncrement = 0.1f;
    needleUpMethod = 0;
    needleUpConfirm = 1;
    needleUpPress = 0.0f;
    needleUpTime = 0.0f;
    stitchRegPress = 0.0f;
    stitchRegTime = 0.0f;
    ComputeDerivedSpeeds();
}

int CurrentStitcherMethod() {
    return (needleUpMethod >= 0 && needleUpMethod < kMachineTypeCount) ? needleUpMethod : 0;
}
