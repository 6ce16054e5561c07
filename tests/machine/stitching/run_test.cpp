// Whole runs against the simulated board: the scripted screen, the demo, the
// streamed points, the toggles, the motor tests, trace recording, damaged
// replies (bench/garbled_line.cpp runs many more seeds) and longarm-tool.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <limits>
#include <memory>
#include <tuple>

#include "base/application_state.h"
#include "base/defaults_file.h"
#include "base/log.h"
#include "base/timers.h"
#include "base/ui_hooks.h"
#include "layout/layout_file.h"
#include "layout/layout_tree.h"
#include "layout/pattern_box.h"
#include "machine/machine_parameters.h"
#include "machine/mc1_commands.h"
#include "machine/stitcher.h"
#include "machine/stitching/demo_run.h"
#include "machine/stitching/machine_toggles.h"
#include "machine/stitching/motor_diagnostics.h"
#include "machine/stitching/pattern_run.h"
#include "machine/stitching/point_streaming.h"
#include "machine/stitching/run_flags.h"
#include "machine/stitching/run_state.h"
#include "machine/stitching/stitch_estimate.h"
#include "machine/stitching/stitch_path.h"
#include "machine/stitching/trace_recording.h"
#include "pattern/pattern.h"
#include "support/board_test.h"
#include "support/garbled_run.h"
#include "support/mc1sim_fixture.h"
#include "support/run_layout.h"
#include "support/run_program.h"
#include "support/run_record.h"
#include "support/temp_dir.h"

namespace {

// The run view's side of the scripted screen; messages and drains go
// through the board test's responder.
struct RunScript {
    std::function<int(const std::string& text)> answer;  // null: OK, Yes to Yes/No
    int toggle = 1;                                      // the Stitching toggle
    int stitchingSensitive = -1;
    int runViews = 0, editViews = 0;
    uint32_t mask = 0;
    int selectAt = -1;  // the path point SET START picks (-1: none)
    std::vector<RunProgress> progress;
} script;

RunControlHooks ScriptedRunHooks() {
    RunControlHooks h;
    h.stitchingActive = [] { return script.toggle; };
    h.setStitchingActive = [](int active) { script.toggle = active; };
    h.setStitchingSensitive = [](int sensitive) { script.stitchingSensitive = sensitive; };
    h.showRunView = [] { script.runViews++; };
    h.showEditView = [] { script.editViews++; };
    h.setPauseReleased = [] { PauseToggled(0); };
    h.setMenuMask = [](uint32_t mask) { script.mask = mask; };
    h.selectPoint = []() -> FullPattern_t* {
        FullPattern_t* p = script.selectAt < 0 ? nullptr : CurrentRun().fullPattern;
        for (int i = 0; i < script.selectAt && p; i++)
            p = p->next();
        return p;
    };
    h.showProgress = [](const RunProgress& progress) { script.progress.push_back(progress); };
    return h;
}

struct PathPoint {
    float x, y;
    int halt;
};

struct RunTest : BoardTest {
    explicit RunTest(const char* timeScale = "100") : BoardTest(timeScale) {}
    void SetUp() override {
        BoardTest::SetUp();
        SetDefaultsFilePath(folder.File("defaults.mrl").c_str());
        Restart();
        allStop = stopTest = speedup = slowdown = robotIsStitching = 0;
        fpTemp = nullptr;
        runStatistics = RunStatistics{};
        command = -1;
        SetRunControlHooks(ScriptedRunHooks());
        box = MakeRunBox();
    }
    void TearDown() override {
        SetRunControlHooks({});
        SetDefaultsFilePath(nullptr);
        MakeRunBox();  // clears the layout and the pattern list
        extents.reset();
        BoardTest::TearDown();
    }
    void Restart() {
        script = RunScript{};
        Ui() = ScriptedUi{};
        Ui().answer = [](int buttons, const std::string& text) {
            if (script.answer) return script.answer(text);
            return buttons == kButtonsYesNo ? kResponseYes : kResponseOk;
        };
    }

    // A copy of the box's packed path (the run packs it again and frees it).
    std::vector<PathPoint> PackedPath() {
        PackFullPattern();
        std::vector<PathPoint> path;
        for (const FullPattern_t* p = CurrentRun().fullPattern; p; p = p->next())
            path.push_back({p->x, p->y, p->halt});
        FreeFullPattern(CurrentRun().fullPattern);
        CurrentRun().fullPattern = nullptr;
        return path;
    }

    std::vector<RecordedMove> Record() { return ReadRunRecord(sim->recordPath); }
    int Count(const std::string& text) const {
        return static_cast<int>(std::count(Ui().messages.begin(), Ui().messages.end(), text));
    }

    // Head stopped, stitching off, both axes released; edit view and menus back.
    void ExpectMachineReleased() {
        WaitForState(*sim, "yenabled", "0", 2000);  // the last commands may still be on the line
        const std::string s = Sim("state");
        for (const char* key : {"moving", "queue", "stitching", "xenabled", "yenabled"})
            EXPECT_EQ(StateValue(s, key), "0") << key << ": " << s;
        EXPECT_GE(script.editViews, 1);
        EXPECT_EQ(script.mask, kIdleMenuMask);
        EXPECT_EQ(script.stitchingSensitive, 1);
        EXPECT_EQ(stopTest, 1);
        EXPECT_NE(command, kRunCommand);
    }

    // Runs `action` once, when the board has executed `moves` moves of the
    // streaming loop (counted from the first drain with the run view up).
    std::function<void()> OnceAfter(int moves, std::function<void()> action) {
        auto baseline = std::make_shared<int>(-1);
        auto drains = std::make_shared<int>(0);
        return [=, this] {
            if (*drains < 0 || script.runViews == 0 || ++*drains % 8 != 0) return;
            const int executed = std::stoi("0" + SimState("executed"));
            if (*baseline < 0) *baseline = executed;
            if (executed - *baseline < moves) return;
            *drains = -1;
            action();
        };
    }

    TempDir folder;
    int box = -1;
};

struct SlowRunTest : RunTest {
    SlowRunTest() : RunTest("4") {}
};

// The moves visit these path points in this order, each once.
void ExpectVisits(const std::vector<RecordedMove>& moves, const std::vector<PathPoint>& points) {
    ASSERT_EQ(moves.size(), points.size());
    for (size_t i = 0; i < points.size(); i++) {
        EXPECT_NEAR(moves[i].x, points[i].x, 0.5) << "point " << i;
        EXPECT_NEAR(moves[i].y, points[i].y, 0.5) << "point " << i;
    }
}

std::vector<RecordedMove> Rows(const std::vector<RecordedMove>& moves, size_t from, size_t to,
                               bool (*test)(const RecordedMove&)) {
    std::vector<RecordedMove> rows;
    for (size_t i = from; i < to && i < moves.size(); i++)
        if (test(moves[i])) rows.push_back(moves[i]);
    return rows;
}
const auto Stitched = [](const RecordedMove& m) -> bool { return m.stitching; };
const auto TieOff = [](const RecordedMove& m) -> bool {  // a lock-stitch trip
    return !m.stitching && std::fabs(m.feed - kLockStitchFeed) < 0.0005;
};

// A 0.1-inch jump (a Stop command) stays stitched; a 0.3-inch one is tied off
// and on without a thread cut; a 4.3-inch one asks to cut the thread. Every
// point is sewn once in order but a section's first, reached by the lead line.
// Traced with the Stitching toggle off, nothing is sewn.
TEST_F(RunTest, AStitchedRunTiesOffAtJumpsAndATraceNeverStitches) {
    PlacePoints(box, LinePoints(20, 0, 0, 0.1f, 0), 0, 0, {11});
    PlacePoints(box, LinePoints(20, 0, 0, 0.1f, 0), 1.9f, 0.3f);
    PlacePoints(box, LinePoints(30, 0, 0, 0.1f, 0), 0, 2.3f);
    const std::vector<PathPoint> path = PackedPath();
    ASSERT_EQ(path.size(), 70u);
    ASSERT_TRUE(path[9].halt && path[19].halt && path[39].halt);
    Machine().stitchRep = 4;
    Machine().jumpStitch = 1.0f;
    PackFullPattern();
    const StitchEstimate estimate =
        EstimateStitchPath(CurrentRun().fullPattern, CurrentRunSpeeds());

    startButtonReleased();

    EXPECT_EQ(Ui().messages,
              (std::vector<std::string>{
                  "THE MACHINE WILL MOVE TO THE START OF THE PATTERN BLOCK AND THE PATTERN WILL "
                  "START.",
                  "AFTER THE MACHINE ARRIVES AT THE START POSITION PULL UP THE BOBBIN "
                  "THREAD\nAND PRESS OK",
                  "CUT THE THREAD", "PULL UP THE BOBBIN THREAD"}));
    const std::vector<RecordedMove> record = Record();
    std::vector<PathPoint> sewn;
    for (size_t i = 0; i < path.size(); i++)
        if (i != 20 && i != 40) sewn.push_back(path[i]);
    ExpectVisits(StitchedMoves(record), sewn);
    // stitchRep 4: two trips to the other end of each tie-off and back.
    std::vector<PathPoint> ties;
    for (auto [b, a] : {std::pair{1, 0}, {18, 19}, {20, 21}, {38, 39}, {40, 41}, {68, 69}})
        for (int trip = 0; trip < 2; trip++)
            ties.insert(ties.end(), {path[b], path[a]});
    ExpectVisits(Rows(record, 0, record.size(), TieOff), ties);
    const SewnTotals sewnTotals = SewnTotalsOf(record);
    EXPECT_EQ(estimate.stitches, sewnTotals.moves);
    EXPECT_NEAR(estimate.stitchedInches, sewnTotals.inches, 0.001);
    EXPECT_EQ(std::pair(estimate.jumps, estimate.threadCuts), std::pair(2, 1));
    // The time left fell step by step to nothing.
    ASSERT_GE(script.progress.size(), 3u);
    EXPECT_LE(script.progress.front().secondsLeft, estimate.seconds);
    EXPECT_GT(script.progress.front().secondsLeft, estimate.seconds / 2);
    for (size_t i = 1; i < script.progress.size(); i++) {
        EXPECT_LE(script.progress[i].secondsLeft, script.progress[i - 1].secondsLeft) << i;
        EXPECT_GE(script.progress[i].shareDone, script.progress[i - 1].shareDone) << i;
    }
    EXPECT_EQ(std::pair(script.progress.back().secondsLeft, script.progress.back().shareDone),
              std::pair(0.0, 1.0));
    EXPECT_EQ(
        std::tuple(CurrentRun().fullPattern, fpTemp, script.runViews, runStatistics.emptyInSection),
        std::tuple(nullptr, nullptr, 1, 0));
    ExpectMachineReleased();

    Restart();
    script.toggle = 0;
    startButtonReleased();
    ASSERT_FALSE(Ui().messages.empty());
    EXPECT_EQ(Ui().messages[0],
              "STITCHING IS OFF: THE HEAD WILL ONLY TRACE THE PATTERN.\n\nTHE MACHINE WILL MOVE "
              "TO THE START OF THE PATTERN BLOCK AND THE PATTERN WILL START.");
    const std::vector<RecordedMove> traced = Record();
    ASSERT_GT(traced.size(), record.size() + path.size());
    EXPECT_TRUE(Rows(traced, record.size(), traced.size(), Stitched).empty());
    EXPECT_TRUE(Rows(traced, record.size(), traced.size(), TieOff).empty());
    EXPECT_EQ(Count("CUT THE THREAD"), 0);
    ExpectMachineReleased();
}

// Pause halts the board with its queue kept (that resuming sends no point twice
// is the run view screen's test). At a thread break the quilter declines the first point offered
// and takes the second: the run restarts there, tied on, and sews on in order.
TEST_F(SlowRunTest, PauseKeepsTheQueueAndAThreadBreakRestartsAtTheChosenPointOrStops) {
    PlacePoints(box, LinePoints(150, 0, 0, 0.1f, 0), 0, 0);
    const std::vector<PathPoint> path = PackedPath();
    Machine().stitchRep = 2;
    Ui().onDrain = OnceAfter(100, [] { PauseToggled(1); });
    startButtonReleased();  // returns paused
    const std::string atPause = Sim("state");
    EXPECT_EQ(std::pair(allStop, script.stitchingSensitive), std::pair(2, 1));
    EXPECT_EQ(StateValue(atPause, "halted") + StateValue(atPause, "stitching"), "10") << atPause;
    EXPECT_NE(StateValue(atPause, "queue"), "0") << atPause;
    ASSERT_NE(fpTemp, nullptr);

    int offered = 0;
    size_t restartRow = 0;
    script.answer = [&](const std::string& text) {
        if (text == "MOVE YOUR MACHINE TO THE POINT WHERE THE THREAD BROKE AND PRESS OK.") {
            // Push the head by hand close to point 20, then to point 30.
            const PathPoint& target = path[offered == 0 ? 20 : 30];
            const std::string s = Sim("state");
            const double dx = target.x + 3 - std::stod(StateValue(s, "x"));
            const double dy = target.y - 2 - std::stod(StateValue(s, "y"));
            Sim("push " + std::to_string(dx) + " " + std::to_string(dy));
            offered++;
        }
        if (text == "IS THIS WHERE YOU WANT TO RESTART?") return offered == 1 ? -9 : -8;
        if (text == "PULL UP THE BOBBIN THREAD.\nPRESS OK TO CONTINUE THE PATTERN.")
            restartRow = Record().size();
        return -5;
    };
    ThreadBreak();  // resumes through PAUSE released and runs to the end

    EXPECT_EQ(offered, 2);
    EXPECT_EQ(Count("IS THIS WHERE YOU WANT TO RESTART?"), 2);
    const std::vector<RecordedMove> record = Record();
    ASSERT_GT(restartRow, 0u);
    // Up to the thread break every stitched row a new point, in order ...
    const std::vector<RecordedMove> before = Rows(record, 0, restartRow, Stitched);
    ASSERT_GT(before.size(), 90u);
    ExpectVisits(before, {path.begin(), path.begin() + before.size()});
    // ... then from the restart point on, the last point twice; tied on
    // against the point before it and off at the end.
    std::vector<PathPoint> after(path.begin() + 30, path.end());
    after.push_back(path.back());
    ExpectVisits(Rows(record, restartRow, record.size(), Stitched), after);
    ExpectVisits(Rows(record, restartRow, record.size(), TieOff),
                 {path[29], path[30], path[148], path[149]});
    ExpectMachineReleased();

    // Without the head position after a thread break the restart is refused
    // and the run stops, keeping the path.
    Restart();
    Machine().stitchRep = 0;
    Ui().onDrain = OnceAfter(40, [] { PauseToggled(1); });
    startButtonReleased();
    ASSERT_EQ(allStop, 2);
    script.answer = [this](const std::string& text) {
        if (text == "MOVE YOUR MACHINE TO THE POINT WHERE THE THREAD BROKE AND PRESS OK.") {
            Sim("silence on");
        }
        return -5;
    };
    ThreadBreak();
    EXPECT_EQ((std::vector<int>{Count("OPERATION FAILED: TB100"),
                                Count("IS THIS WHERE YOU WANT TO RESTART?"), allStop}),
              (std::vector<int>{1, 0, 1}));
    EXPECT_GE(script.editViews, 1);
    EXPECT_EQ(script.mask, kIdleMenuMask);
    EXPECT_NE(CurrentRun().fullPattern, nullptr);

    // Stop pressed while the restart point is confirmed ends the restart: the
    // head is led nowhere after it and the machine stays released.
    Sim("silence off");
    Restart();
    Ui().onDrain = OnceAfter(40, [] { PauseToggled(1); });
    startButtonReleased();
    ASSERT_EQ(allStop, 2);
    size_t rowsAtStop = 0;
    script.answer = [&](const std::string& text) {
        if (text != "IS THIS WHERE YOU WANT TO RESTART?") return -5;
        stopButtonReleased();
        rowsAtStop = Record().size();
        return -8;
    };
    ThreadBreak();
    EXPECT_EQ(Count("PULL UP THE BOBBIN THREAD.\nPRESS OK TO CONTINUE THE PATTERN."), 0);
    EXPECT_EQ(Record().size(), rowsAtStop);
    ExpectMachineReleased();
}

// Starts refused or stopped before anything moves: empty box, handle bars not
// in robot mode, "SET START" without a chosen point, a layout whose points
// cannot be sent, a path off the quilt area, Stop pressed while the run sets
// up. Then "SET START" with a chosen point starts there (the path stays in the
// quilt area).
TEST_F(RunTest, StartsThatMustNotRunSendNoMoveAndSetStartStartsAtThePoint) {
    startButtonReleased();
    EXPECT_EQ(Count("PATTERN BOX IS EMPTY"), 1);

    PlacePoints(box, LinePoints(30, 0, 0, 0.1f, 0), 0, 0);
    Sim("stitcher-status 33");
    startButtonReleased();
    EXPECT_EQ(Count("HANDLE BARS NOT IN ROBOT MODE"), 1);
    EXPECT_EQ(script.toggle, 0);
    Sim("stitcher-status 1");
    script.toggle = 1;

    Ui().specialAnswer = kResponseSetStart;  // no point chosen
    startButtonReleased();

    // A placement moved out to an impossible position (a broken layout file).
    Ui().specialAnswer = kResponseOk;
    patternLayout->x = std::numeric_limits<float>::infinity();
    startButtonReleased();
    EXPECT_EQ(Count("THE PATTERN HAS POINTS THAT CANNOT BE STITCHED"), 1);
    EXPECT_EQ(CurrentRun().fullPattern, nullptr);
    patternLayout->x = 0;

    // A path 3.6 inches beyond the front edge of the measured quilt area.
    extents = std::make_unique<PatternBox>();
    SetPatternBoxCorners(extents.get(), {{0, 0}, {30, 0}, {30, 10}, {0, 10}});
    patternLayout->y = 12.6f;  // the box is at (1, 1)
    startButtonReleased();
    EXPECT_EQ(Count("THE PATTERN LEAVES THE QUILT AREA:\n3.600 IN. BEYOND THE FRONT EDGE\n\nMOVE "
                    "THE PATTERN AND TRY AGAIN."),
              1);
    EXPECT_EQ(CurrentRun().fullPattern, nullptr);
    patternLayout->y = 0;

    Ui().onDrain = [] {
        if (command == kRunCommand && allStop == 0) stopButtonReleased();
    };
    startButtonReleased();
    EXPECT_EQ(std::pair(allStop, script.runViews), std::pair(1, 0));
    ExpectMachineReleased();
    EXPECT_EQ(SimState("executed") + SimState("accepted"), "00");
    EXPECT_EQ(Ui().messages.size(), 8u) << "no error message after the last start question";

    const std::vector<PathPoint> path = PackedPath();
    Restart();
    Machine().stitchRep = 0;
    Ui().specialAnswer = kResponseSetStart;
    script.selectAt = 12;
    startButtonReleased();
    ExpectVisits(StitchedMoves(Record()), {path.begin() + 12, path.end()});
    ExpectMachineReleased();
}

// A lead line that cannot run stops the run with a message: the head stalls on
// the way to the start; its position cannot be read at the start (before any
// move is sent) or at a section change (the board falls silent while the
// thread is cut).
TEST_F(RunTest, ALeadLineThatCannotRunStopsTheRunWithAMessage) {
    PlacePoints(box, LinePoints(20, 0, 0, 0.1f, 0), 0, 0);
    Ui().onDrain = [this] {
        if (command == kRunCommand) Sim("stall on");
    };
    startButtonReleased();
    EXPECT_EQ(Ui().messages.back(), "ROBOT NOT RESPONSIVE. ERR: WFB100");
    Sim("stall off");
    ExpectMachineReleased();

    Restart();
    const std::string accepted = SimState("accepted");
    Ui().onDrain = [this] {
        if (command == kRunCommand) Sim("silence on");
    };
    script.answer = [this](const std::string&) {
        Sim("silence off");
        Ui().onDrain = nullptr;
        return kResponseOk;
    };
    startButtonReleased();
    ASSERT_EQ(Ui().messages.size(), 2u);
    EXPECT_EQ(Ui().messages[1], "COMMUNICATIONS ERROR.\nPLEASE TRY AGAIN.");
    EXPECT_EQ(SimState("accepted"), accepted);
    ExpectMachineReleased();

    PlacePoints(box, LinePoints(20, 0, 0, 0.1f, 0), 0, 2.3f);
    Machine().jumpStitch = 1.0f;
    Restart();
    script.answer = [this](const std::string& text) {
        Sim(text == "CUT THE THREAD" ? "silence on" : "silence off");
        return kResponseOk;
    };
    startButtonReleased();
    ASSERT_EQ(Count("CUT THE THREAD"), 1);
    EXPECT_EQ(Ui().messages.back(), "COMMUNICATIONS ERROR.\nPLEASE TRY AGAIN.");
    EXPECT_NE(CurrentRun().fullPattern, nullptr);  // kept for a restart
    ExpectMachineReleased();
}

struct FaultCase {
    const char* inject;   // control command given during the run
    const char* message;  // message the run ends with; "" when it must finish
    bool boardReachable;  // the board obeys the stop afterwards
    const char* then;     // a second command given later, or null
};

struct RunFaultTest : SlowRunTest, ::testing::WithParamInterface<FaultCase> {};

// A fault injected while the loop streams: error word, stall and silence end
// the run with their message; refused moves and then busy answers only delay it.
TEST_P(RunFaultTest, AFaultDuringTheRunEndsItCleanlyOrIsRidden) {
    const FaultCase fault = GetParam();
    PlacePoints(box, LinePoints(200, 0, 0, 0.1f, 0), 0, 0);
    const std::vector<PathPoint> path = PackedPath();
    Machine().stitchRep = 0;
    auto drains = std::make_shared<int>(0);
    Ui().onDrain = [this, drains, fault] {
        if (script.runViews == 0) return;
        if (++*drains == 40) Sim(fault.inject);
        AdvanceClock(100);  // each drain of the screen takes a tenth of a second
        if (*drains == 80 && fault.then) Sim(fault.then);
    };

    startButtonReleased();

    ASSERT_GE(*drains, fault.then ? 80 : 40);
    if (*fault.message) {
        EXPECT_EQ(Count(fault.message), 1);
        EXPECT_NE(CurrentRun().fullPattern, nullptr);  // kept for a restart
    } else {
        ExpectVisits(StitchedMoves(Record()), path);
        EXPECT_EQ(CurrentRun().fullPattern, nullptr);
        EXPECT_TRUE(runStatistics.movesRefused > 0 && runStatistics.busyPolls > 0);
    }
    if (fault.boardReachable) {
        ExpectMachineReleased();
    } else {
        // The silent board could not be told; the program is back all the same.
        EXPECT_GE(script.editViews, 1);
        EXPECT_EQ(script.mask, kIdleMenuMask);
        EXPECT_EQ(stopTest, 1);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Faults, RunFaultTest,
    ::testing::Values(FaultCase{"error 4", "Y MOTOR FAILURE", true, nullptr},
                      FaultCase{"stall on", "ROBOT NOT RESPONSIVE. ERR: WFB100", true, nullptr},
                      FaultCase{"silence on", "ROBOT NOT RESPONSIVE. ERR: WFB100", false, nullptr},
                      FaultCase{"refuse 6", "", true, "busy 30"}));

// The demo runs two stitched sections joined by a jump, placed at (0.5, 0.5) in
// the box at (1, 1), over and over.
TEST_F(RunTest, TheDemoRepeatsThePathThenWaitsAtTheStartOfTheFinalPass) {
    script.toggle = 0;
    const int slot = LoadPatternLines({"p X0.000 Y0.000", "p X1.000 Y0.000", "p X1.000 Y1.000",
                                       "c s", "p X2.500 Y1.000", "p X3.000 Y1.500"});
    AppendLayoutNode(slot, -1, 0, 0.5f, 0.5f, box);
    auto visits = [this](double x, double y) {  // arrivals at (x, y) from elsewhere
        int count = 0;
        bool there = false;
        for (const RecordedMove& e : Record()) {
            count += e.x == x && e.y == y && !there;
            there = e.x == x && e.y == y;
        }
        return count;
    };
    // A wrong password or a cancelled one starts nothing.
    Ui().keyboard = {{1, "tandrell"}, {1, "TANDREL"}, {0, "tandrel"}, {1, "tandrel"}};
    for (int i = 0; i < 3; i++)
        EXPECT_EQ(RunDemo(2), kDemoRefused);
    EXPECT_TRUE(Ui().messages.empty());
    EXPECT_EQ(script.mask, 0u);
    EXPECT_EQ(SimState("accepted"), "0");

    EXPECT_EQ(RunDemo(2), kDemoFinished);
    EXPECT_EQ(Ui().messages, std::vector<std::string>{"WAITING TO RUN FINAL PATTERN"});
    // At the path's first point, the placement at (0.5, 0.5) in the box at (1, 1).
    EXPECT_EQ(SimState("x") + "," + SimState("y"), "1500,1500");
    EXPECT_EQ(SimState("xenabled") + SimState("yenabled"), "00");
    // Each pass ran both sections: the end of the first, the start of the
    // second and the path's end once per pass, never stitched (toggle off).
    EXPECT_EQ((std::vector<int>{visits(2500, 2500), visits(4000, 2500), visits(4500, 3000)}),
              (std::vector<int>{2, 2, 2}));
    EXPECT_TRUE(Rows(Record(), 0, Record().size(), Stitched).empty());
    EXPECT_EQ(std::pair(script.editViews, script.runViews), std::pair(0, 2));

    // A first pass that stitches turns the toggle off; Stop during the third
    // repetition ends the demo.
    Ui().keyboard = {{1, "tandrel"}};
    script.toggle = 1;
    int drainsInThird = 0;
    Ui().onDrain = [&] {
        if (demoRepetition == 3 && allStop == 0 && ++drainsInThird == 40) stopButtonReleased();
    };
    EXPECT_EQ(RunDemo(10), kDemoStopped);
    std::fflush(logStream);
    EXPECT_EQ(std::string(logBuffer, logSize).find("Demo repetition 4\n"), std::string::npos);
    EXPECT_EQ(SimState("xenabled") + SimState("yenabled") + SimState("stitching"), "000");
    EXPECT_EQ(std::tuple(script.editViews, stopTest, script.toggle), std::tuple(1, 1, 0));

    ClearLayout();
    Ui().keyboard = {{1, "tandrel"}};
    EXPECT_EQ(RunDemo(2), kDemoFailed);
    EXPECT_EQ(Ui().messages.back(), "PATTERN BOX IS EMPTY");
    EXPECT_EQ(script.mask, kIdleMenuMask);
}

struct StreamingTest : RunTest {
    void TearDown() override {
        for (FullPattern_t* p : paths)
            FreeFullPattern(p);
        fpTemp = nullptr;
        RunTest::TearDown();
    }
    // A straight path of n points 0.1 inch apart along x from x0, feed 50,
    // with halt set on the point given (-1: none).
    FullPattern_t* Line(int n, float x0, int haltAt = -1) {
        std::vector<PathPointSpec> points;
        for (int i = 0; i < n; i++)
            points.push_back({x0 + 100.0f * i, 0, i == haltAt});
        paths.push_back(MakePath(points));
        for (FullPattern_t* p = paths.back(); p; p = p->next())
            p->feed = 50;
        return paths.back();
    }
    int Sent(FullPattern_t* to) {
        const int result = SendLeadLine(to);
        EXPECT_EQ(WaitForBuffer(), 1);
        return result;
    }
    std::vector<FullPattern_t*> paths;
};

// A lead line goes in short moves at the minimum feed; with stitching on every
// move of it is sewn, so it starts at the path point the head was left at, or
// not at all. A head farther from the target than any frame is long is a
// garbled reading. The stop flag ends the sending of points before the first.
TEST_F(StreamingTest, LeadLinesGoInShortMovesAndAStitchedOneOnlyFromThePath) {
    FullPattern_t* path = fpTemp = Line(1, 1000);
    ASSERT_EQ(Sent(nullptr), 1);
    EXPECT_EQ(script.mask, kRunMenuMask);
    std::vector<RecordedMove> moves = Record();
    ASSERT_EQ(moves.size(), 11u);  // from home: the start, nine inserted points, the end
    for (size_t i = 1; i < moves.size(); i++)
        EXPECT_NEAR(moves[i].x, 100.0 * i, 0.5) << i;
    EXPECT_NEAR(moves.back().feed, Machine().minSpeed, 0.01);
    EXPECT_NEAR(moves.front().feed, Machine().minSpeed, 0.01);
    EXPECT_EQ(Sent(Line(1, 1150)), 1);
    EXPECT_EQ(Record().size(), 13u);  // a short lead line is its two end points
    robotIsStitching = 1;
    EXPECT_EQ(Sent(Line(2, 1150, 0)->next()), 1);  // from the head's point to the next section
    moves = Record();
    ASSERT_EQ(moves.size(), 15u);
    EXPECT_EQ(std::pair(std::round(moves[13].x), std::round(moves[14].x)),
              std::pair(1150.0, 1250.0));
    EXPECT_EQ(SendLeadLine(Line(2, 3000, 0)->next()), kLeadLineNoPosition);
    EXPECT_EQ(robotIsStitching, 0);
    DisableX();
    Sim("push 999751 0");  // 1,000,001 from the target
    EXPECT_EQ(SendLeadLine(path), kLeadLineNoPosition);
    EXPECT_EQ(SendPoints(nullptr), 0);
    allStop = 1;
    EXPECT_EQ(SendPoints(path), 0);
    EXPECT_EQ(std::pair(stopTest, script.mask), std::pair(1, kIdleMenuMask));
    EXPECT_EQ(Record().size(), 15u);
}

// The pre-fill hands over a section's points but its last two, and at most 98
// less stitchRep of a long one.
TEST_F(StreamingTest, PrefillStopsBeforeTheEndOfTheSection) {
    fpTemp = Line(25, 0, 19);
    Machine().stitchRep = 4;
    Halt();
    SendFortyNine();
    ASSERT_NE(fpTemp, nullptr);
    EXPECT_FLOAT_EQ(fpTemp->x, 1700);  // the 18th point
    EXPECT_EQ(StateValue(Sim("state"), "queue"), "18");
    fpTemp = nullptr;
    CurrentRun().fullPattern = Line(150, 0);
    ClearMCBuffer();
    Resume();
    ASSERT_EQ(WaitForBuffer(), 1);
    Halt();
    SendFortyNine();
    CurrentRun().fullPattern = nullptr;
    ASSERT_NE(fpTemp, nullptr);
    EXPECT_FLOAT_EQ(fpTemp->x, 9300);  // the 94th point
    EXPECT_EQ(StateValue(Sim("state"), "queue"), "94");
}

using MachineToggleTest = BoardTest;

// Armed, the toggle leaves stitching to the run; a stitcher neither ready nor in
// handle-bar mode refuses it. A silent board gives no start point.
TEST_F(MachineToggleTest, StitchingToggleAndNoStartPointFromASilentBoard) {
    command = 3;
    EXPECT_EQ(StitchingToggled(1), 1);
    EXPECT_EQ(std::tuple(stitching, command, SimState("stitching")),
              std::tuple(1, -1, std::string("0")));
    Sim("stitcher-status 7");  // anything but ready or handle bars
    command = 10;              // a run keeps its command
    EXPECT_EQ(StitchingToggled(1), 0);
    EXPECT_EQ(std::pair(stitching, command), std::pair(0, 10));
    Sim("silence on");
    StartPointValues values;
    EXPECT_EQ(ReadStartPoint(&values), 0);
    EXPECT_EQ(Ui().messages, (std::vector<std::string>{"STITCH CONTROLLER NOT PRESENT",
                                                       "COULD NOT RETRIEVE POINT"}));
}

std::string reportText;
int waits = 0;
DiagnosticsReport Report() {
    return DiagnosticsReport{[](void*, const char* text) { reportText = text; },
                             [](void*, const char* text) { reportText += text; },
                             [](void*, int) { waits++; }, nullptr};
}

struct MotorDiagnostics : BoardTest {
    void SetUp() override {
        BoardTest::SetUp();
        // The values the test must give back, unlike the board's own.
        MachineParameters& m = Machine();
        m.XKp = 31, m.XKi = 9, m.XKd = 41, m.YKp = 32, m.YKi = 7, m.YKd = 39, m.Err = 120;
        m.maxSpeed = 60;
        allStop = 0;
        reportText.clear();
        waits = 0;
        // The board holds the program's values before a test starts.
        SetXKp(m.XKp), SetXKi(m.XKi), SetXKd(m.XKd), SetYKp(m.YKp), SetYKi(m.YKi), SetYKd(m.YKd);
        SetMaxErr(m.Err), SetSpeed(static_cast<int32_t>(m.maxSpeed));
    }
    // The board's parameters equal what the program had before the test.
    void ExpectRestored() {
        std::string values;
        for (const char* key : {"XKp", "XKi", "XKd", "YKp", "YKi", "YKd", "Err", "speed"})
            values += StateValue(Sim("params"), key) + " ";
        EXPECT_EQ(values, "31 9 41 32 7 39 120 60 ");
    }
};

// The test path and the verdict threshold; a sound axis passes, a silent board
// aborts the test; the board gets its values back.
TEST_F(MotorDiagnostics, ThePathSoundAndSilentAxesAndTheButtons) {
    FullPattern_t* path = BuildTestPath();
    const FullPattern_t* last = path;
    int count = 1;
    for (; last->next(); last = last->next(), count++)
        EXPECT_NEAR(last->y, -0.95f * last->x, 0.01f);
    EXPECT_EQ(std::tuple(count, path->feed, last->feed), std::tuple(50, 0.0f, 0.0f));
    EXPECT_NEAR(EncoderCounts(last->x), 10000.0f, 1.0f);
    EXPECT_TRUE(path->next()->feed > 0 && path->next()->feed < 100) << "limited by acceleration";
    FreeFullPattern(path);
    EXPECT_TRUE(EncoderCounts(3300) < kPassCounts && EncoderCounts(3500) > kPassCounts);
    EXPECT_NEAR(EncoderCounts(-3300), 8253.3f, 0.1f);
    const std::tuple<int, unsigned char, std::string> cases[] = {
        {0, 1, "Passed"},
        {0, 0x21, "Failed"},
        {-1, 0, "Failed (Communication Timed Out)"},
        {-2, 1, "Failed (Unknown Error)"}};
    for (const auto& [result, byte, text] : cases)
        EXPECT_EQ(StitcherLinkText(result, byte), "Stitcher Communication: " + text + "\n");
    EXPECT_EQ(TestXMotor(Report()), 1);
    EXPECT_NE(reportText.find("X motor passed!\n"), std::string::npos) << reportText;
    EXPECT_EQ(StateValue(Sim("state"), "xenabled"), "0");
    // The limp X axis follows poorly in the Y test, the Y axis well.
    EXPECT_EQ(TestYMotor(Report()), 1);
    EXPECT_NE(reportText.find("Y motor passed!\n"), std::string::npos) << reportText;
    ExpectRestored();
    // A worn X belt covers 80 % of each move, about 8,000 counts: a fail.
    Sim("travel x 0.8");
    EXPECT_EQ(TestXMotor(Report()), 1) << "a fail still drives the whole path";
    EXPECT_NE(reportText.find("X motor failed!\n"), std::string::npos) << reportText;
    Sim("travel x 1");
    // Test All judges only that both paths were driven, then the stitcher link.
    Sim("stitcher-link noisy");
    EXPECT_EQ(TestAllMotors(Report()), 1);
    EXPECT_EQ(reportText,
              "Testing All Motors\nTest All Motors Passed!\n"
              "Stitcher Communication: Failed (Framing Error)\n");

    // Silent: nothing moves, and no query result replaced the program's values.
    const std::string before = Sim("state");
    Sim("silence on");
    Machine().XKp = 33;
    EXPECT_EQ(TestXMotor(Report()), 0);
    EXPECT_EQ(reportText,
              "Testing X Motor\nMoving X Motor at 80% \nX Motor Error.  Test Aborted.\n");
    EXPECT_EQ(std::pair(Machine().XKp, Machine().Err), std::pair(33, 120));
    Sim("silence off");
    EXPECT_EQ(StateValue(Sim("state"), "executed"), StateValue(before, "executed"));

    // The button test presses and lets go of each button in turn.
    Sim("buttons clear");
    waits = 0;
    TestStitcherButtons(Report());
    EXPECT_EQ(reportText,
              "Testing Port D\nCommand Button On\nCommand Button Off\n"
              "Stitch Regulation Button On\nStitch Regulation Button Off\n"
              "Needle Up Button On\nNeedle Up Button Off\n");
    EXPECT_EQ(waits, 6) << "one second before the first press and between the steps";
    const std::string events = Sim("buttons");
    EXPECT_EQ(StateValue(events, "count"), "6") << events;
    std::string order;  // codes and states without the board times
    for (size_t at = events.find(':'); at != std::string::npos; at = events.find(':', at + 6))
        order += events.substr(at + 1, 4) + " ";
    EXPECT_EQ(order, "4A:1 4A:0 48:1 48:0 49:1 49:0 ") << events;
}

// The quilter's hand on the head: one control command ("push X Y", "silence
// on", "" nothing) before each poll of the recording loop, which ends after the last.
struct Hand {
    BoardTest* test = nullptr;
    std::vector<std::string> steps{};
    size_t next = 0;
    int released = 0;
    std::vector<std::string> positions{};
    int redraws = 0;
};
Hand hand;

TraceHooks HandHooks() {
    TraceHooks hooks;
    hooks.recording = [] {
        if (hand.released || hand.next >= hand.steps.size()) return 0;
        const std::string& step = hand.steps[hand.next++];
        if (!step.empty()) hand.test->Sim(step);
        return 1;
    };
    hooks.stopRecording = [] { hand.released++; };
    hooks.showPosition = [](const char* text) { hand.positions.push_back(text); };
    hooks.redraw = [] { hand.redraws++; };
    return hooks;
}

struct TraceTest : BoardTest {
    void SetUp() override {
        BoardTest::SetUp();
        hand = Hand{this};
        DisableX();  // free axes: the head moves by hand
        DisableY();
        ASSERT_TRUE(WaitForState(*sim, "yenabled", "0", 1000));
    }
    void TearDown() override {
        EraseTemporaryPattern();
        BoardTest::TearDown();
    }
};

// Standing still records nothing, coming back to the origin is a movement; a
// full pattern ends the recording with a message, and so does the eleventh
// failed read counted over the whole recording.
TEST_F(TraceTest, RecordsEveryMovementUntilReleasedFullOrSilentAndSavesAskingBeforeOverwriting) {
    tmpPattern = newPattern(nullptr, 0);  // an earlier recording is dropped
    addData(tmpPattern.get(), "p X1.000 Y1.000\n", 0);
    hand.steps = {"", "push 1 0", "", "", "push 0 1", "push 250 500", "", "push -251 -501", ""};
    EXPECT_EQ(RecordTrace(HandHooks()), kTraceStopped);
    const float want[][2] = {{0.001f, 0}, {0.001f, 0.001f}, {0.251f, 0.501f}, {0, 0}};
    ASSERT_EQ(tmpPattern->pointCount, 4);
    for (int i = 0; i < 4; i++) {
        EXPECT_FLOAT_EQ(tmpPattern->x[i], want[i][0]) << i;
        EXPECT_FLOAT_EQ(tmpPattern->y[i], want[i][1]) << i;
    }
    ASSERT_EQ(hand.positions.size(), 4u);
    EXPECT_EQ(hand.positions[2], "X: 0.251 Y: 0.501");
    EXPECT_EQ(std::pair(hand.redraws, hand.released),
              std::pair(5, 0));  // the empty pattern, then each point
    EXPECT_TRUE(Ui().messages.empty());

    hand = Hand{this};
    hand.steps = {"silence on", "", "", "", "", "silence off", "push 5 5", "silence on"};
    hand.steps.resize(30);
    EXPECT_EQ(RecordTrace(HandHooks()), kTraceNoResponse);
    ASSERT_EQ(tmpPattern->pointCount, 1);
    EXPECT_FLOAT_EQ(tmpPattern->x[0], 0.005f);
    EXPECT_EQ(hand.released, 1);
    EXPECT_EQ(Ui().messages,
              std::vector<std::string>{"NO RESPONSE FROM MOTOR CONTROLLER.\nABORTING RECORD."});
    EXPECT_EQ(hand.next, 13u);  // 5 silent polls, 1 good one, 6 silent ones

    Sim("silence off");
    hand = Hand{this};
    hand.steps = {"push 1 0", "push 1 0", "push 1 0", "push 1 0", "push 1 0"};
    EXPECT_EQ(RecordTrace(HandHooks(), 3), kTraceFull);
    EXPECT_EQ(tmpPattern->pointCount, 3);
    EXPECT_EQ(hand.released, 1);
    EXPECT_EQ(Ui().messages.back(), kTraceFullText);

    // Saving (walked on the trace screen): a new name is written at once, an
    // existing one only when the quilter says Yes; a name that cannot be
    // written is refused.
    EraseTemporaryPattern();
    TempDir dir;
    auto record = [](std::vector<const char*> points) {
        tmpPattern = newPattern(nullptr, 0);
        for (const char* line : points)
            addData(tmpPattern.get(), line, 0);
    };
    const std::string swirl = dir.File("swirl.qcc");
    EXPECT_EQ(SaveTracedPattern(), kTraceNothingToSave);
    record({});  // a recording without points could not be opened again
    EXPECT_EQ(SaveTracedPattern(), kTraceNothingToSave);
    record({"p X0.000 Y0.000\n", "p X1.250 Y0.500\n", "p X2.000 Y3.000\n"});
    Ui().messages.clear();
    Ui().keyboard = {
        {0, ""}, {1, dir.File("")}, {1, dir.File("missing/name")}, {1, dir.File("swirl")}};
    EXPECT_EQ(
        (std::vector<int>{SaveTracedPattern(), SaveTracedPattern(), SaveTracedPattern(),
                          SaveTracedPattern()}),
        (std::vector<int>{kTraceSaveCancelled, kTraceSaveFailed, kTraceSaveFailed, kTraceSaved}));
    EXPECT_EQ(Ui().messages, (std::vector<std::string>{kTraceNoNameText, kTraceSaveFailedText}));
    record({"p X0.000 Y0.000\n", "p X9.000 Y9.000\n"});
    Ui().keyboard = {{1, swirl}, {1, dir.File("swirl")}};
    Ui().answers = {kResponseNo, kResponseYes};
    Pattern unchanged, replaced;
    EXPECT_EQ(SaveTracedPattern(), kTraceSaveCancelled);
    EXPECT_EQ(Ui().messages.back(), "FILE EXIXTS!\nOVERWRITE?");
    ASSERT_EQ(openPattern(&unchanged, swirl.c_str()), 1);
    EXPECT_EQ(std::pair(unchanged.pointCount, unchanged.x[1]), std::pair(3, 1.25f));
    EXPECT_EQ(SaveTracedPattern(), kTraceSaved);
    ASSERT_EQ(openPattern(&replaced, swirl.c_str()), 1);
    EXPECT_EQ(replaced.pointCount, 2);
}

// A damaged line ends a run on the path or safely with a message. Found by
// fuzzing the board's replies: a garbled position near the int32 limits
// overflowed the movement test of the stall watchdog.
TEST(GarbledLine, ARunFinishesOnThePathOrStopsSafelyAndHeadMovementNeverOverflows) {
    const int32_t low = INT32_MIN, high = INT32_MAX;
    const struct {
        int32_t x0, y0, x1, y1;
        bool moved;
    } cases[] = {
        {0, 0, 5, -5, false},     {0, 0, 6, 0, true},      {0, 0, 0, -6, true},
        {low, 0, high, 0, true},  {0, high, 0, low, true}, {low, low, low + 5, low, false},
        {-1000, 0, low, 0, true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(HeadMoved(c.x0, c.y0, c.x1, c.y1), c.moved) << c.x0 << " " << c.x1;
    const GarbledRun runs[] = {{0, 0, 1},       {0.02, 0, 1},      {0, 0.02, 2},
                               {0.01, 0.01, 3}, {0.005, 0.005, 4}, {0.1, 0.1, 5}};
    for (const GarbledRun& run : runs) {
        const GarbledOutcome out = RunOnGarbledLine(run);
        SCOPED_TRACE("flip " + std::to_string(run.flip) + " drop " + std::to_string(run.drop) +
                     ": " + out.why + ", " + std::to_string(out.stitched) + " stitches");
        ASSERT_TRUE(out.started);
        EXPECT_TRUE(out.safe) << out.hostLog;
        EXPECT_FALSE(out.hung);
        EXPECT_EQ(out.offPath, 0);
        if (run.flip + run.drop == 0) {  // a clean line runs the whole path
            EXPECT_TRUE(out.finished);
            EXPECT_GT(out.stitched, 60);
        } else {
            EXPECT_GT(out.flipped + out.dropped, 0);  // the noise reached the host
        }
    }
}

// The default 35 x 14 inch quilt area with one box holding two placements of
// a zig-zag, the second at x 5: one long jump. Returns the layout's path.
std::string ZigZags(const TempDir& dir) {
    SetLogStream(std::tmpfile());
    ResetLayout();
    BogusExtents();
    const int slot = LoadPatternLines({"p X0.000 Y0.000", "p X1.000 Y0.500", "p X2.000 Y0.000"});
    NewPatternLayoutNode(slot, -1, 0, 0, 0);
    NewPatternLayoutNode(slot, -1, 0, 5, 0);
    const std::string path = dir.File("job");
    SaveLayout(path.c_str(), 0, 1);
    ResetLayout();
    SetLogStream(stdout);
    return path + ".qlf";
}

// longarm-tool's run, then its board console (its frames are the wire tests').
TEST(StitchTool, RunOneJobAndTheBoardConsole) {
    TempDir dir;
    const std::string layout = ZigZags(dir);
    Mc1Sim sim({"--time-scale", "200"});
    ASSERT_TRUE(sim.running) << sim.error;
    ProgramResult last;
    auto tool = [&](std::vector<std::string> args) {
        args.insert(args.begin(), LONGARM_TOOL_PATH);
        return (last = RunProgram(args, dir.path, 30000)).out;
    };
    auto board = [&](std::vector<std::string> words) {
        words.insert(words.begin(), {"board", "--serial", sim.device});
        return tool(words);
    };
    // Lock stitches of one trip there and back: fewer needle-up waits in real time.
    ASSERT_EQ(board({"set", "stitchRep", "2"}), "result=1\n");
    const std::string run = tool({"run", layout, "--serial", sim.device});
    ASSERT_EQ(last.exitStatus, 0) << run << last.err;
    EXPECT_NE(last.err.find("longarm-tool: CUT THE THREAD\n"), std::string::npos) << last.err;
    for (const char* line : {"stitches=43\n", "\nquilted=yes\n", "progress=100% left=0 S\n"})
        EXPECT_NE(run.find(line), std::string::npos) << run;
    EXPECT_EQ(ReadFileText(dir.File("defaults.mrl")), "") << "no defaults file left behind";

    EXPECT_EQ(board({"constants"}),
              "result=0\nXKp=30\nXKi=8\nYKp=30\nYKi=8\nYKd=40\nErr=100\nTOut=100\nXKd=40\n");
    EXPECT_EQ(board({"set", "speed", "55"}), "result=1\n");
    EXPECT_EQ(board({"stitch-settings"}),
              "result=0\nstitchLen=5\nspeed=55\nminimumSpeed=2\nstitchRep=2\n");
    EXPECT_NE(last.err.find("buffcnt: 4"), std::string::npos) << "log lines go to standard error";
    EXPECT_EQ(board({"reverse"}), "result=0\ndirection=200\n");
    SimControl(sim, "error 4");
    EXPECT_EQ(board({"status"}), "result=4\nstatus=254\nerror=4\n");
    EXPECT_EQ(board({"stitch-on"}), "result=1\n");
    EXPECT_TRUE(WaitForState(sim, "stitching", "1", 1000));
    EXPECT_EQ(board({"stitch-off"}), "result=1\n");  // a new process still sends stitching off
    EXPECT_TRUE(WaitForState(sim, "stitching", "0", 1000));
    EXPECT_EQ(board({"set", "Nonsense", "1"}), "");
    EXPECT_EQ(last.exitStatus, 2);
    SimControl(sim, "silence on");
    EXPECT_EQ(board({"position"}), "result=-1\n");
    EXPECT_EQ(board({"test-x"}), "");
    EXPECT_NE(last.err.find("the board does not answer; nothing was tested"), std::string::npos);
    ASSERT_EQ(sim.Stop(), 0);
    EXPECT_EQ(SewnTotalsOf(ReadRunRecord(sim.recordPath)).moves, 43);  // as estimated
    sim.device = sim.dir.File("missing");
    EXPECT_EQ(board({"status"}), "result=1\n");
    EXPECT_NE(last.err.find("UNABLE TO OPEN SERIAL PORT: " + sim.device), std::string::npos);
}

}  // namespace
