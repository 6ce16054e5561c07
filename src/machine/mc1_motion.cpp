#include "machine/mc1_motion.h"

#include <cmath>
#include <cstdlib>
#include <limits>

#include "base/log.h"
#include "base/timers.h"
#include "machine/mc1_commands.h"
#include "machine/serial_link.h"

int sendMoveActive = 0;
MachinePosition machineOrigin;
MachinePosition machineCurrent;
int runCapture = 0;

namespace {

void SleepMs(int milliseconds) {
    SleepMicroseconds(static_cast<int64_t>(milliseconds) * 1000);
}

// A frame field: value * scale truncated toward zero; out-of-range values
// saturate and a value that is not a number sends 0, so a bad point can never
// turn into undefined arithmetic.
int32_t FrameField(float value, double scale) {
    const double scaled = std::trunc(static_cast<double>(value) * scale);
    if (std::isnan(scaled)) return 0;
    if (scaled >= static_cast<double>(std::numeric_limits<int32_t>::max()))
        return std::numeric_limits<int32_t>::max();
    if (scaled <= static_cast<double>(std::numeric_limits<int32_t>::min()))
        return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(scaled);
}

void PutInt(unsigned char* out, uint32_t raw) {
    out[0] = static_cast<unsigned char>(raw & 0xFF);
    out[1] = static_cast<unsigned char>((raw >> 8) & 0xFF);
    out[2] = static_cast<unsigned char>((raw >> 16) & 0xFF);
    out[3] = static_cast<unsigned char>((raw >> 24) & 0xFF);
}

// The move exchange proper; SendMove wraps it to keep sendMoveActive right on
// every path.
int ExchangeMove(float x, float y, float feed) {
    unsigned char frame[17];
    BuildMoveFrame(x, y, feed, frame);
    WriteData(frame, sizeof frame);
    unsigned char answer = 0;
    const int result = GetChar(1000, &answer, 0);
    if (result == -1) {
        LogLine("ERROR: Could not retrieve CRC Response");
        return 3;
    }
    if (result == 0 && answer == kMoveAccepted) return 0;
    if (result == 0 && answer == kMoveRefused) return 1;
    // A wrong answer (a framing error counts as one): drop what is left so the
    // next exchange starts clean.
    Log("ERROR: CRC Response = %d\n", result == 0 ? answer : 0);
    const int cleared = ClearPort();
    Log("%d bytes cleared from the buffer\n", cleared);
    return 2;
}

}  // namespace

int GetXY(int32_t* x, int32_t* y) {
    *x = 0;
    *y = 0;
    if (sp < 0) return -2;  // no line: nothing was read, whatever the zeros suggest
    ClearPort();
    SendCommand(kCmdGetXY);
    int result = GetInt(1000, x);
    SleepMs(40);
    if (result == 0) result = GetInt(1000, y);
    return result;
}

int GetSteadyXY(int32_t* x, int32_t* y) {
    int32_t lastX = 0, lastY = 0;
    bool haveLast = false;
    for (int read = 0; read < kSteadyReads; read++) {
        if (GetXY(x, y) != 0) {
            haveLast = false;
            continue;
        }
        if (haveLast && std::abs(int64_t{*x} - lastX) <= kSteadyTolerance &&
            std::abs(int64_t{*y} - lastY) <= kSteadyTolerance)
            return 0;
        lastX = *x;
        lastY = *y;
        haveLast = true;
    }
    *x = *y = 0;
    return -1;
}

std::optional<MachinePosition> GetCurrentLocation() {
    MachinePosition position;
    if (GetXY(&position.x, &position.y) != 0) return std::nullopt;
    return position;
}

int SetMachineCurrent() {
    if (runCapture) {
        if (const auto position = GetCurrentLocation()) machineCurrent = *position;
    }
    return runCapture;
}

int32_t BuildMoveFrame(float x, float y, float feed, unsigned char frame[17]) {
    const int32_t fields[3] = {FrameField(x, 100.0), FrameField(y, 100.0),
                               FrameField(feed, 1000.0)};
    uint32_t sum = 0;  // 32-bit wrap-around, as the board adds
    frame[0] = kCmdSendMove;
    for (int i = 0; i < 3; i++) {
        const uint32_t raw = static_cast<uint32_t>(fields[i]);
        sum += raw;
        PutInt(frame + 1 + 4 * i, raw);
    }
    PutInt(frame + 13, sum);
    crc = static_cast<int32_t>(sum);
    return crc;
}

int SendMove(float x, float y, float feed) {
    if (sp < 0) return 0;
    sendMoveActive = 1;
    crc = 0;
    const int result = ExchangeMove(x, y, feed);
    sendMoveActive = 0;
    return result;
}

int CheckBuffer(unsigned char* status, int32_t* errorWord) {
    if (sp < 0) return 1;
    SendCommand(kCmdCheckBuffer);
    unsigned char byte = 0;
    const int result = GetChar(1000, &byte, 0);
    if (result != 0) {
        if (result == -1)
            LogLine("ERROR: Get Buffer Length Timed Out");
        else if (result == -3)
            LogLine("ERROR: Framing Error Detected While Getting Buffer Length");
        else
            LogLine("ERROR: Could not retrieve buffer length");
        return 2;
    }
    *status = byte;
    if (byte != kBufferError) return 0;

    if (GetInt(1000, errorWord) != 0) *errorWord = -1;
    SleepMs(40);
    // Firmware before 1.27 sends a stale word with the status; ask it again.
    // No answer to the version request counts as new firmware, a short one as
    // old.
    float version = 1.27f;
    GetMotorVersion(&version);
    // (version + 0.005) * 1000 truncated below 1270 is the same test as the
    // unrounded product below 1270; written this way a garbled version that is
    // not a number cannot reach an undefined conversion.
    if ((static_cast<double>(version) + 0.005) * 1000.0 < 1270.0) {
        LogLine("Get Errors");
        GetErrors(errorWord);
    }
    return 4;
}

int GetErrors(int32_t* errorWord) {
    if (sp < 0) {
        *errorWord = 0;
        return -2;
    }
    ClearPort();
    SendCommand(kCmdGetErrors);
    const int result = GetInt(1000, errorWord);
    SleepMs(40);
    if (result != 0) *errorWord = 0;
    return result;
}
