// Shared fixtures of the machine-link tests: the message windows that the code
// under test opens are captured, and the line is closed and every flag and
// parameter back at its start value after each test.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "base/timers.h"
#include "base/ui_hooks.h"
#include "machine/machine_parameters.h"
#include "machine/mc1_motion.h"
#include "machine/serial_link.h"
#include "machine/stitcher.h"
#include "support/captured_log.h"
#include "support/pty_line.h"

// Texts of the message windows shown since the test began.
extern std::vector<std::string> shownMessages;

struct MachineTest : ::testing::Test {
    void SetUp() override;
    void TearDown() override;
    // Opens the line on the given device path; returns sp.
    int Open(const std::string& path);
};

// The test plays the board on a plain pseudo-terminal; the program runs on the
// manual clock, so a read that waits for an answer that never comes times out
// after a short real moment.
struct LineTest : MachineTest {
    void SetUp() override;
    void TearDown() override;
    // Queues bytes on the host side before the operation runs.
    void Queue(const std::string& bytes);
    // What the host sent until the line went quiet.
    std::string Quiet() { return line.Received(0); }
    // Runs call against a board that plays steps; returns what the host sent.
    std::string Played(std::vector<BoardStep> steps, const std::function<void()>& call);
    PtyLine line;
};

// Milliseconds taken by a call.
template <typename F>
int64_t ElapsedMs(F&& call) {
    const int64_t start = MonotonicMs();
    call();
    return MonotonicMs() - start;
}
