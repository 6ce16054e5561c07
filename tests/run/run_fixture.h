// A run of the quilting job against the simulated board, with the screen
// replaced by scripted hooks: every message is recorded and answered by the
// test, drained events run the test's own actions (a Pause or Stop press), and
// the run view's buttons and screens are counters.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/application_state.h"
#include "machine/stitching/pattern_run.h"
#include "machine/stitching/stitch_path.h"
#include "support/mc1sim_fixture.h"
#include "support/run_record.h"

// What the scripted screen saw and how it answers.
struct RunScript {
    std::vector<std::string> messages;  // every message text, in order
    // Answer of ShowMessage for a text; null answers OK (Yes for questions
    // with Yes and No).
    std::function<int(const std::string& text)> answer;
    int startAnswer = -5;           // answer of the start question (OK, or -99 SET START)
    std::function<void()> onDrain;  // runs inside every drain of screen events
    int toggle = 1;                 // the Stitching toggle
    int stitchingSensitive = -1;
    int runViews = 0, editViews = 0;
    uint32_t mask = 0;
    FullPattern_t* selected = nullptr;  // SET START's choice
    int selectCalls = 0;
};
extern RunScript script;

// One stitch-path point as packed, kept after the run freed the path.
struct PathPoint {
    float x, y;
    int halt, inserted;
};

struct RunTest : ::testing::Test {
    void SetUp() override { Begin({"--time-scale", "100"}); }
    void TearDown() override;

    // Starts the simulator with these options, installs the scripted hooks
    // and an empty layout with one pattern box at (1, 1) inch.
    void Begin(const std::vector<std::string>& simOptions);

    // Places a pattern made of the points (inches) at (nodeX, nodeY) of the
    // current box; stops are the 1-based point numbers that a Stop command
    // precedes. Returns the pattern's slot.
    int Place(const std::vector<std::pair<float, float>>& points, float nodeX, float nodeY,
              const std::vector<int>& stops = {});

    // A straight line of n points `step` inches apart from (x0, y0) along (dx, dy).
    static std::vector<std::pair<float, float>> Line(int n, float x0, float y0, float dx, float dy);

    // Packs the current box and copies the path (the run packs it again the
    // same way, and frees it at the end).
    std::vector<PathPoint> PackedPath();

    std::string State() { return SimControl(*sim, "state"); }
    std::string StateOf(const std::string& key) { return StateValue(State(), key); }
    std::vector<RecordedMove> Record() { return ReadRunRecord(sim->recordPath); }
    int Count(const std::string& text) const;  // how often a message was shown

    // Head stopped, stitching off, both axes released; edit view and menus back.
    void ExpectMachineReleased();

    std::unique_ptr<Mc1Sim> sim;
    std::unique_ptr<Interface> state;
    std::unique_ptr<TempDir> folder;
    FILE* log = nullptr;
    int box = -1;
};

// The stitched moves must visit these path points in this order, each once.
void ExpectStitchedInOrder(const std::vector<RecordedMove>& stitched,
                           const std::vector<PathPoint>& expected);
