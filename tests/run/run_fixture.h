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
#include "support/run_layout.h"
#include "support/run_record.h"

// What the scripted screen saw and how it answers.
struct RunScript {
    std::vector<std::string> messages;  // every message text, in order
    // Answer of ShowMessage for a text; null answers OK (Yes to Yes/No).
    std::function<int(const std::string& text)> answer;
    int startAnswer = -5;           // the start question: OK, or -99 SET START
    std::function<void()> onDrain;  // runs inside every drain of screen events
    int toggle = 1;                 // the Stitching toggle
    int stitchingSensitive = -1;
    int runViews = 0, editViews = 0;
    uint32_t mask = 0;
    int selectAt = -1;  // SET START picks this path point (-1: none)
};
extern RunScript script;

// One stitch-path point as packed, kept after the run freed the path.
struct PathPoint {
    float x, y;
    int halt;
};

struct RunTest : ::testing::Test {
    void SetUp() override { Begin({"--time-scale", "100"}); }
    void TearDown() override;

    // Starts the simulator with these options, installs the scripted hooks
    // and an empty layout with one pattern box at (1, 1) inch.
    void Begin(const std::vector<std::string>& simOptions);
    int Place(const Points& points, float nodeX, float nodeY, const std::vector<int>& stops = {}) {
        return PlacePoints(box, points, nodeX, nodeY, stops);
    }
    // Packs the current box and copies the path (the run packs it again the
    // same way, and frees it at the end).
    std::vector<PathPoint> PackedPath();

    std::string StateOf(const std::string& key) {
        return StateValue(SimControl(*sim, "state"), key);
    }
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

struct SlowRunTest : RunTest {
    void SetUp() override { Begin({"--time-scale", "4"}); }
};

// Runs `action` once, the first time the board has executed `moves` moves of
// the streaming loop (counted from the moment the run view appeared).
std::function<void()> OnceAfter(RunTest* test, int moves, std::function<void()> action);

// The stitched moves must visit these path points in this order, each once.
void ExpectStitchedInOrder(const std::vector<RecordedMove>& stitched,
                           std::vector<PathPoint>::const_iterator begin,
                           std::vector<PathPoint>::const_iterator end);
inline void ExpectStitchedInOrder(const std::vector<RecordedMove>& stitched,
                                  const std::vector<PathPoint>& expected) {
    ExpectStitchedInOrder(stitched, expected.begin(), expected.end());
}
