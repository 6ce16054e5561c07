#include "machine/mc1_commands.h"

#include <cstring>

#include "base/log.h"
#include "base/timers.h"
#include "base/ui_hooks.h"
#include "machine/machine_parameters.h"
#include "machine/serial_link.h"

namespace {

bool LineOpen() {
    return sp >= 0;
}

// Sends code + 4 bytes little-endian in one write.
int SendValueFrame(unsigned char code, uint32_t raw) {
    if (!LineOpen()) return 0;
    const unsigned char frame[5] = {code, static_cast<unsigned char>(raw & 0xFF),
                                    static_cast<unsigned char>((raw >> 8) & 0xFF),
                                    static_cast<unsigned char>((raw >> 16) & 0xFF),
                                    static_cast<unsigned char>((raw >> 24) & 0xFF)};
    WriteData(frame, sizeof frame);
    return 1;
}

int SendInt(unsigned char code, int32_t value) {
    return SendValueFrame(code, static_cast<uint32_t>(value));
}

void SleepMs(int milliseconds) {
    SleepMicroseconds(static_cast<int64_t>(milliseconds) * 1000);
}

// Reads the four single-byte stitch settings once they are queued.
int ReadStitchSettingBytes() {
    int32_t* const targets[4] = {&Machine().stitchLen, &Machine().speed, &Machine().minimumSpeed,
                                 &Machine().stitchRep};
    unsigned char bytes[4] = {0, 0, 0, 0};
    for (int i = 0; i < 4; i++) {
        if (GetChar(1000, &bytes[i], 1) != 0) return 1;
    }
    for (int i = 0; i < 4; i++)
        *targets[i] = bytes[i];
    return 0;
}

void StoreStitchSettings(int32_t len, int32_t top, int32_t minimum, int32_t rep) {
    Machine().stitchLen = len;
    Machine().speed = top;
    Machine().minimumSpeed = minimum;
    Machine().stitchRep = rep;
}

// Version request shared by the board and the stitcher.
int GetVersion(unsigned char code, float* version) {
    if (!LineOpen()) return -1;
    ClearPort();
    SendCommand(code);
    if (WaitForBytes(1, 1000) < 1) return -2;
    if (GetFloat(1000, version) != 0) {
        *version = 0.0f;
        return -3;
    }
    return 0;
}

}  // namespace

int SendCommand(unsigned char code) {
    if (!LineOpen()) return 0;
    WriteData(&code, 1);
    return 1;
}

int DisableX() {
    return SendCommand(kCmdDisableX);
}
int EnableX() {
    return SendCommand(kCmdEnableX);
}
int DisableY() {
    return SendCommand(kCmdDisableY);
}
int EnableY() {
    return SendCommand(kCmdEnableY);
}
int Resume() {
    return SendCommand(kCmdResume);
}
int Halt() {
    return SendCommand(kCmdHalt);
}
int SetHome() {
    return SendCommand(kCmdSetHome);
}
int ClearMCBuffer() {
    return SendCommand(kCmdClearMCBuffer);
}
int SetExtents() {
    return SendCommand(kCmdSetExtents);
}
int ClearExtents() {
    return SendCommand(kCmdClearExtents);
}
int SendStartSignal() {
    return SendCommand(kCmdStartSignal);
}
int SendEndOfRunSignal() {
    return SendCommand(kCmdEndOfRun);
}
int SendSetupScreenSignal() {
    return SendCommand(kCmdSetupScreen);
}

int SetXKp(int32_t value) {
    return SendInt(kCmdSetXKp, value);
}
int SetXKi(int32_t value) {
    return SendInt(kCmdSetXKi, value);
}
int SetXKd(int32_t value) {
    return SendInt(kCmdSetXKd, value);
}
int SetYKp(int32_t value) {
    return SendInt(kCmdSetYKp, value);
}
int SetYKi(int32_t value) {
    return SendInt(kCmdSetYKi, value);
}
int SetYKd(int32_t value) {
    return SendInt(kCmdSetYKd, value);
}
int SetMaxErr(int32_t value) {
    return SendInt(kCmdSetMaxErr, value);
}
int SetTOut(int32_t value) {
    return SendInt(kCmdSetTOut, value);
}
int SetStitches(int32_t value) {
    return SendInt(kCmdSetStitches, value);
}
int SetLockStitch(int32_t value) {
    return SendInt(kCmdSetLockStitch, value);
}
int SetSpeed(int32_t value) {
    return SendInt(kCmdSetSpeed, value);
}
int SetMinimumSpeed(int32_t value) {
    return SendInt(kCmdSetMinimumSpeed, value);
}

int SetSlow(float value) {
    uint32_t raw = 0;
    std::memcpy(&raw, &value, sizeof raw);
    return SendValueFrame(kCmdSetSlow, raw);
}

int AllStop() {
    if (!LineOpen()) return 0;
    SendCommand(kCmdStop);
    SleepMs(15);
    SendCommand(kCmdClearMCBuffer);
    SleepMs(15);
    SendCommand(kCmdResume);
    return 1;
}

int GetConstants(int32_t values[kConstantCount]) {
    if (!LineOpen()) return 2;
    static const unsigned char kRequest[8] = {0x0B, 0x0C, 0x24, 0x25, 0x26, 0x27, 0x28, 0x29};
    ClearPort();
    WriteData(kRequest, sizeof kRequest);
    if (WaitForData(1) != 0) {
        ShowMessage(kMessageError, kButtonsOk,
                    "COULD NOT RETRIEVE VALUES.\nCOMMUNICATIONS TIMED OUT.");
        ClearPort();
        return 1;
    }
    for (int i = 0; i < kConstantCount; i++) {
        if (GetInt(1000, &values[i]) != 0) return 1;
    }
    return 0;
}

void ApplyConstants(const int32_t values[kConstantCount]) {
    Machine().XKp = values[kConstXKp];
    Machine().XKi = values[kConstXKi];
    Machine().YKp = values[kConstYKp];
    Machine().YKi = values[kConstYKi];
    Machine().YKd = values[kConstYKd];
    Machine().Err = values[kConstErr];
    Machine().TOut = values[kConstTOut];
    Machine().XKd = values[kConstXKd];
}

int GetStitchSettingsAtStartUp() {
    if (!LineOpen()) {
        StoreStitchSettings(5, 40, 2, 4);
        return 2;
    }
    ClearPort();  // an answer that came too late for an earlier request
    SendCommand(kCmdGetStitchSettings);
    // Up to 11 polls 2.5 ms apart.
    if (WaitForBytes(4, 28) >= 4 && ReadStitchSettingBytes() == 0) return 0;
    StoreStitchSettings(5, 40, 2, 4);
    return 1;
}

int GetStitchSettingsForSetup() {
    if (!LineOpen()) {
        StoreStitchSettings(10, 50, 3, 2);
        return 2;
    }
    ClearPort();
    SendCommand(kCmdGetStitchSettings);
    // Up to 500 polls 1 ms apart.
    const int queued = WaitForBytes(4, 500);
    Log("buffcnt: %d\n", queued);
    if (queued >= 4 && ReadStitchSettingBytes() == 0) return 0;
    LogLine("Data Timed Out");
    StoreStitchSettings(10, 50, 3, 2);
    return 1;
}

int GetSlowSetting() {
    if (!LineOpen()) {
        Machine().slow = 3.0f;
        return 2;
    }
    ClearPort();  // the stitch settings' answer, when it came too late
    SendCommand(kCmdGetSlow);
    // Up to 100 polls 10 ms apart.
    float value = 0.0f;
    if (WaitForBytes(4, 1000) >= 4 && GetFloat(1000, &value) == 0) {
        Machine().slow = value;
        Log("SLOW = %0.3f\n", Machine().slow);
        return 0;
    }
    LogLine("SLOW timed out");
    Machine().slow = 3.0f;
    return 1;
}

int GetMotorVersion(float* version) {
    return GetVersion(kCmdGetMotorVersion, version);
}

int GetStitcherVersion(float* version) {
    if (!LineOpen()) return -1;
    if (CurrentStitcherMethod() != 0) {
        *version = 0.0f;
        return 0;
    }
    return GetVersion(kCmdGetStitcherVersion, version);
}

int GetMotorDirection(unsigned char* direction) {
    if (!LineOpen()) return 2;
    SendCommand(kCmdGetMotorDirection);
    const int result = GetChar(1000, direction, 0);
    if (result == 0) return 0;
    LogLine(result == -3 ? "ERROR: Framing Error Detected"
                         : "ERROR: Get Motor Direction Timed Out");
    return 2;
}

int ReverseMotorDirection(unsigned char* direction) {
    if (!LineOpen()) return 2;
    SendCommand(kCmdReverseDirection);
    SleepMs(100);
    return GetMotorDirection(direction);
}
