// Shared fixture of the machine-link tests: captures the message windows that
// the code under test opens, and leaves the line closed and every flag and
// parameter at its start value after each test.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/timers.h"
#include "base/ui_hooks.h"
#include "machine/machine_parameters.h"
#include "machine/mc1_motion.h"
#include "machine/serial_link.h"
#include "machine/stitcher.h"
#include "support/captured_log.h"

// Texts of the message windows shown since the test began.
extern std::vector<std::string> shownMessages;

struct MachineTest : ::testing::Test {
    void SetUp() override;
    void TearDown() override;

    // Opens the line on the given device path; returns sp.
    int Open(const std::string& path);
};

// Milliseconds taken by a call.
template <typename F>
int64_t ElapsedMs(F&& call) {
    const int64_t start = MonotonicMs();
    call();
    return MonotonicMs() - start;
}
