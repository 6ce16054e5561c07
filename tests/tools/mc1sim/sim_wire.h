// Byte-level helpers for talking to the simulated board in tests.
#pragma once

#include <sys/ioctl.h>
#include <unistd.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "support/mc1sim_fixture.h"

inline void AppendInt32(std::vector<uint8_t>& out, int32_t value) {
    uint32_t v = static_cast<uint32_t>(value);
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

inline int32_t Int32At(const std::vector<uint8_t>& bytes, size_t offset) {
    uint32_t v = 0;
    for (int i = 0; i < 4; ++i)
        v |= static_cast<uint32_t>(bytes.at(offset + i)) << (8 * i);
    return static_cast<int32_t>(v);
}

inline float FloatAt(const std::vector<uint8_t>& bytes, size_t offset) {
    uint32_t bits = static_cast<uint32_t>(Int32At(bytes, offset));
    float f = 0;
    std::memcpy(&f, &bits, sizeof f);
    return f;
}

// A 5-byte parameter frame.
inline std::vector<uint8_t> SetterFrame(uint8_t code, int32_t value) {
    std::vector<uint8_t> frame = {code};
    AppendInt32(frame, value);
    return frame;
}

// The 17-byte move frame: x, y in thousandths of an inch, feed on the 0..100
// scale; checksumDelta spoils the checksum when not 0.
inline std::vector<uint8_t> MoveFrame(double x, double y, double feed, int32_t checksumDelta = 0) {
    int32_t fx = static_cast<int32_t>(x * 100), fy = static_cast<int32_t>(y * 100),
            ff = static_cast<int32_t>(feed * 1000);
    uint32_t sum = static_cast<uint32_t>(fx) + static_cast<uint32_t>(fy) +
                   static_cast<uint32_t>(ff) + static_cast<uint32_t>(checksumDelta);
    std::vector<uint8_t> frame = {0x21};
    AppendInt32(frame, fx);
    AppendInt32(frame, fy);
    AppendInt32(frame, ff);
    AppendInt32(frame, static_cast<int32_t>(sum));
    return frame;
}

// Sends a frame and reads count reply bytes (fewer after 1 s).
inline std::vector<uint8_t> Exchange(int fd, const std::vector<uint8_t>& frame, size_t count,
                                     int timeoutMs = 1000) {
    DrainBytes(fd);
    WriteBytes(fd, frame);
    return ReadBytes(fd, count, timeoutMs);
}

// Sends a move frame; true when the board accepted it (0x0B).
inline bool Accepted(int fd, double x, double y, double feed = 100) {
    return Exchange(fd, MoveFrame(x, y, feed), 1) == std::vector<uint8_t>{0x0B};
}

// The buffer status byte (-1 when none came).
inline int BufferStatus(int fd) {
    std::vector<uint8_t> reply = Exchange(fd, {0x22}, 1);
    return reply.empty() ? -1 : reply[0];
}

// Polls the buffer status until it reads 0xFD or timeoutMs passes.
inline bool WaitForIdle(int fd, int timeoutMs) {
    for (int waited = 0; waited < timeoutMs; waited += 5) {
        if (BufferStatus(fd) == 0xFD) return true;
        usleep(5000);
    }
    return false;
}

// The head position from 0x0F, as {x, y}; {INT32_MIN, INT32_MIN} without answer.
inline std::vector<int32_t> HeadPosition(int fd) {
    std::vector<uint8_t> reply = Exchange(fd, {0x0F}, 8);
    if (reply.size() != 8) return {INT32_MIN, INT32_MIN};
    return {Int32At(reply, 0), Int32At(reply, 4)};
}

// Waits until the simulator has read every byte written on fd (the line's
// output queue is empty); false after 3 s.
inline bool WaitUntilTaken(int fd) {
    for (int polls = 0; polls < 3000; ++polls) {
        int pending = 0;
        if (ioctl(fd, TIOCOUTQ, &pending) != 0) return false;
        if (pending == 0) return true;
        usleep(1000);
    }
    return false;
}

// Moves the board's clock on by ms board milliseconds once the bytes written
// so far have been taken: nothing happens in between, however slow the machine.
inline void StepClock(const Mc1Sim& sim, int fd, int ms) {
    WaitUntilTaken(fd);
    SimControl(sim, "clock step " + std::to_string(ms));
}

// Lets ms board milliseconds pass at once after the bytes written so far.
inline void Elapse(const Mc1Sim& sim, int fd, int ms) {
    SimControl(sim, "clock hold");
    StepClock(sim, fd, ms);
    SimControl(sim, "clock run");
}

// A simulator plus the host's end of its line, for one test.
struct SimLine {
    explicit SimLine(const std::vector<std::string>& args = {}) : sim(args) {
        if (sim.running) fd = OpenRawDevice(sim.device);
    }
    ~SimLine() {
        if (fd >= 0) close(fd);
    }
    bool ok() const { return sim.running && fd >= 0; }
    Mc1Sim sim;
    int fd = -1;
};

// Declares a SimLine called name, started with the given options, and ends the
// test when the simulator did not start.
#define SIM_LINE(name, ...)    \
    SimLine name{__VA_ARGS__}; \
    ASSERT_TRUE(name.ok()) << name.sim.error
