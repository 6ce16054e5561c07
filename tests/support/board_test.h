// A test on the simulated board (time scale 50) with linked clocks, the factory
// settings, a scripted responder and the log kept in memory.
#pragma once

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "base/ui_hooks.h"
#include "support/mc1sim_fixture.h"

struct ScriptedUi {
    std::vector<std::string> messages;                 // every message box text, in order
    std::deque<int> answers;                           // responses to give; kResponseOk when empty
    std::deque<std::pair<int, std::string>> keyboard;  // (1 OK / 0 Cancel, text)
    std::function<void()> onDrain;                     // runs at every event drain
    // When set, answers every message box instead of the queue.
    std::function<int(int buttons, const std::string& text)> answer;
    int specialAnswer = kResponseOk;  // of the message with an extra button (the start question)
};

// The responder of the running test.
ScriptedUi& Ui();

struct BoardTest : ::testing::Test {
    explicit BoardTest(const char* timeScale = "50") : timeScale(timeScale) {}
    void SetUp() override;
    void TearDown() override;
    // Control command to the simulator; the reply line.
    std::string Sim(const std::string& command) { return SimControl(*sim, command); }
    // One value of the simulator's state line.
    std::string SimState(const std::string& key) { return StateValue(Sim("state"), key); }
    const char* timeScale;  // of the simulator's motion
    std::unique_ptr<Mc1Sim> sim;
    FILE* logStream = nullptr;
    char* logBuffer = nullptr;
    size_t logSize = 0;
};
