// Whole runs against the simulated board with the screen replaced by scripted
// hooks; the board's record of executed moves is compared with the stitch path.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>
#include <memory>

#include "base/application_state.h"
#include "base/defaults_file.h"
#include "base/log.h"
#include "base/timers.h"
#include "base/ui_hooks.h"
#include "layout/layout_selection.h"
#include "layout/layout_tree.h"
#include "layout/pattern_box.h"
#include "machine/machine_parameters.h"
#include "machine/serial_link.h"
#include "machine/stitcher.h"
#include "machine/stitching/pattern_run.h"
#include "machine/stitching/run_flags.h"
#include "machine/stitching/run_state.h"
#include "machine/stitching/stitch_estimate.h"
#include "support/board_test.h"
#include "support/run_layout.h"
#include "support/run_record.h"

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
    // A fresh script and responder for the next start.
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

// The rows of the record in [from, to) that pass the test.
std::vector<RecordedMove> Rows(const std::vector<RecordedMove>& moves, size_t from, size_t to,
                               bool (*test)(const RecordedMove&)) {
    std::vector<RecordedMove> rows;
    for (size_t i = from; i < to && i < moves.size(); i++)
        if (test(moves[i])) rows.push_back(moves[i]);
    return rows;
}
bool Stitched(const RecordedMove& m) {
    return m.stitching;
}
bool TieOff(const RecordedMove& m) {  // a lock-stitch trip
    return !m.stitching && std::fabs(m.feed - kLockStitchFeed) < 0.0005;
}

}  // namespace

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
    EXPECT_EQ(estimate.jumps, 2);
    EXPECT_EQ(estimate.threadCuts, 1);
    // The time left fell step by step to nothing.
    ASSERT_GE(script.progress.size(), 3u);
    EXPECT_LE(script.progress.front().secondsLeft, estimate.seconds);
    EXPECT_GT(script.progress.front().secondsLeft, estimate.seconds / 2);
    for (size_t i = 1; i < script.progress.size(); i++) {
        EXPECT_LE(script.progress[i].secondsLeft, script.progress[i - 1].secondsLeft) << i;
        EXPECT_GE(script.progress[i].shareDone, script.progress[i - 1].shareDone) << i;
    }
    EXPECT_EQ(script.progress.back().secondsLeft, 0);
    EXPECT_EQ(script.progress.back().shareDone, 1);
    EXPECT_EQ(CurrentRun().fullPattern, nullptr);  // freed at the regular end
    EXPECT_EQ(fpTemp, nullptr);
    EXPECT_EQ(script.runViews, 1);
    EXPECT_EQ(runStatistics.emptyInSection, 0);
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

// Pause halts the board with its queue kept and un-pausing sends no point
// twice. At a thread break the quilter declines the first point offered and
// takes the second: the run restarts there, tied on, and sews on in order.
TEST_F(SlowRunTest, PauseKeepsTheQueueAndAThreadBreakRestartsAtTheChosenPointOrStops) {
    PlacePoints(box, LinePoints(150, 0, 0, 0.1f, 0), 0, 0);
    const std::vector<PathPoint> path = PackedPath();
    Machine().stitchRep = 2;
    Ui().onDrain = OnceAfter(30, [] { PauseToggled(1); });
    startButtonReleased();  // returns paused
    const std::string atPause = Sim("state");
    EXPECT_EQ(allStop, 2);
    EXPECT_EQ(StateValue(atPause, "halted"), "1") << atPause;
    EXPECT_NE(StateValue(atPause, "queue"), "0") << atPause;
    EXPECT_EQ(StateValue(atPause, "stitching"), "0") << atPause;
    EXPECT_EQ(script.stitchingSensitive, 1);
    ASSERT_NE(fpTemp, nullptr);
    Ui().onDrain = OnceAfter(70, [] { PauseToggled(1); });
    PauseToggled(0);  // returns paused again
    ASSERT_EQ(allStop, 2);

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
    EXPECT_EQ(Count("OPERATION FAILED: TB100"), 1);
    EXPECT_EQ(Count("IS THIS WHERE YOU WANT TO RESTART?"), 0);
    EXPECT_EQ(allStop, 1);
    EXPECT_GE(script.editViews, 1);
    EXPECT_EQ(script.mask, kIdleMenuMask);
    EXPECT_NE(CurrentRun().fullPattern, nullptr);
}

// Starts refused or stopped before anything moves: empty box, handle bars not
// in robot mode, the start question cancelled, "SET START" without a chosen
// point, a layout whose points cannot be sent, a path off the quilt area,
// Stop pressed while the run sets up. Then "SET START" with a
// chosen point starts there (the path stays in the quilt area).
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

    Ui().specialAnswer = kResponseCancel;
    startButtonReleased();
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
    EXPECT_EQ(allStop, 1);
    ExpectMachineReleased();
    EXPECT_EQ(SimState("executed"), "0");
    EXPECT_EQ(SimState("accepted"), "0");
    EXPECT_EQ(script.runViews, 0);
    EXPECT_EQ(Ui().messages.size(), 9u) << "no error message after the last start question";

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

// The run view's speed buttons: steps of 10, 100 at the top, a floor above the
// minimum speed; each change reaches the board and the defaults file.
TEST_F(RunTest, SpeedButtonsStepWithinTheirLimits) {
    struct Case {
        float maxSpeed, minSpeed;
        bool up;
        float want;
    };
    const Case cases[] = {{95, 2, true, 100}, {100, 2, true, 100}, {35, 5, false, 25},
                          {25, 5, false, 20}, {20, 5, false, 20},  {12, 5, false, 20},
                          {20, 5, true, 30}};
    for (const Case& c : cases) {
        Machine().maxSpeed = c.maxSpeed;
        Machine().minSpeed = c.minSpeed;
        EXPECT_FLOAT_EQ(c.up ? RunSpeedUp() : RunSpeedDown(), c.want) << c.maxSpeed;
    }
    EXPECT_EQ(StateValue(Sim("params"), "speed"), "30");
    int stored = 0;
    ASSERT_EQ(ReadDefaultInt(3, &stored), 1);
    EXPECT_EQ(stored, 30);
    EXPECT_EQ(speedup, 3);
    EXPECT_EQ(slowdown, 4);
}
