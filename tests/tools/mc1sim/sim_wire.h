// Byte-level helpers for talking to the simulated board in tests.
#pragma once

#include <sys/ioctl.h>
#include <unistd.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "support/mc1sim_fixture.h"

using ByteList = std::vector<uint8_t>;

inline void AppendInt32(ByteList& out, int32_t value) {
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<uint8_t>(static_cast<uint32_t>(value) >> (8 * i)));
}

inline int32_t Int32At(const ByteList& bytes, size_t offset) {
    uint32_t v = 0;
    for (int i = 0; i < 4; ++i)
        v |= static_cast<uint32_t>(bytes.at(offset + i)) << (8 * i);
    return static_cast<int32_t>(v);
}

// A 5-byte parameter frame.
inline ByteList SetterFrame(uint8_t code, int32_t value) {
    ByteList frame = {code};
    AppendInt32(frame, value);
    return frame;
}

// The 17-byte move frame: x, y in thousandths of an inch, feed on the 0..100
// scale; checksumDelta spoils the checksum when not 0.
inline ByteList MoveFrame(double x, double y, double feed, int32_t checksumDelta = 0) {
    const int32_t f[] = {static_cast<int32_t>(x * 100), static_cast<int32_t>(y * 100),
                         static_cast<int32_t>(feed * 1000)};
    uint32_t sum = static_cast<uint32_t>(checksumDelta);
    ByteList frame = {0x21};
    for (int32_t v : f) {
        AppendInt32(frame, v);
        sum += static_cast<uint32_t>(v);
    }
    AppendInt32(frame, static_cast<int32_t>(sum));
    return frame;
}

// Sends a frame and reads count reply bytes (fewer after timeoutMs).
inline ByteList Exchange(int fd, const ByteList& frame, size_t count, int timeoutMs = 1000) {
    DrainBytes(fd);
    WriteBytes(fd, frame);
    return ReadBytes(fd, count, timeoutMs);
}

// Sends a move frame; true when the board accepted it (0x0B).
inline bool Accepted(int fd, double x, double y, double feed = 100) {
    return Exchange(fd, MoveFrame(x, y, feed), 1) == ByteList{0x0B};
}

// The buffer status byte (-1 when none came).
inline int BufferStatus(int fd) {
    ByteList reply = Exchange(fd, {0x22}, 1);
    return reply.empty() ? -1 : reply[0];
}

// The head position from 0x0F, as {x, y}; {INT32_MIN, INT32_MIN} without answer.
inline std::vector<int32_t> HeadPosition(int fd) {
    ByteList reply = Exchange(fd, {0x0F}, 8);
    if (reply.size() != 8) return {INT32_MIN, INT32_MIN};
    return {Int32At(reply, 0), Int32At(reply, 4)};
}

// Moves the board's clock on by ms board milliseconds once the simulator has
// taken every byte written so far: nothing happens in between.
inline void StepClock(const Mc1Sim& sim, int fd, int ms) {
    for (int polls = 0, pending = 1; pending && polls < 3000; ++polls) {
        if (ioctl(fd, TIOCOUTQ, &pending) != 0) break;
        if (pending) usleep(1000);
    }
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
    Mc1Sim sim;
    int fd = -1;
};

// Declares a SimLine called name, started with the given options, and ends the
// test when the simulator did not start.
#define SIM_LINE(name, ...)    \
    SimLine name{__VA_ARGS__}; \
    ASSERT_TRUE(name.sim.running&& name.fd >= 0) << name.sim.error
