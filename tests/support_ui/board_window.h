// A screen test on the simulated board: the X server's GTK, the simulator
// (time scale 50) on the serial line, the factory settings, the log in a
// temporary file, the scripted responder answering every window, and a
// temporary program folder (patterns/, images/, defaults file) as the working
// directory. The test makes its main window; TearDown drops it.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>

#include "support/mc1sim_fixture.h"
#include "support/temp_dir.h"
#include "support_ui/ui_fixture.h"

struct BoardWindowTest : ::testing::Test {
    void SetUp() override;
    void TearDown() override;

    std::string Sim(const std::string& command) { return SimControl(*sim, command); }
    std::string SimState(const std::string& key) { return StateValue(Sim("state"), key); }

    std::unique_ptr<Mc1Sim> sim;
    std::unique_ptr<ScriptedResponder> responder;
    FILE* logStream = nullptr;
    TempDir dir;
    char oldDir[4096] = {};
};
