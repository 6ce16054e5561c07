// Whole runs against the simulated board: the record of executed moves is
// compared with the stitch path.
#include <cmath>

#include "machine/machine_parameters.h"
#include "machine/stitching/run_flags.h"
#include "run_fixture.h"

namespace {

bool IsTieOff(const RecordedMove& m) {
    return !m.stitching && std::fabs(m.feed - kLockStitchFeed) < 0.0005;
}

// The tie-off moves of the record, in groups of consecutive rows.
std::vector<std::vector<RecordedMove>> TieOffs(const std::vector<RecordedMove>& moves) {
    std::vector<std::vector<RecordedMove>> groups;
    bool inGroup = false;
    for (const RecordedMove& m : moves) {
        if (IsTieOff(m)) {
            if (!inGroup) groups.emplace_back();
            groups.back().push_back(m);
        }
        inGroup = IsTieOff(m);
    }
    return groups;
}

void ExpectTieOff(const std::vector<RecordedMove>& group, const PathPoint& b, const PathPoint& a,
                  int trips) {
    ASSERT_EQ(group.size(), static_cast<size_t>(2 * trips));
    for (size_t i = 0; i < group.size(); i++) {
        const PathPoint& want = i % 2 == 0 ? b : a;
        EXPECT_NEAR(group[i].x, want.x, 0.5) << i;
        EXPECT_NEAR(group[i].y, want.y, 0.5) << i;
    }
}

// Runs `action` once, the first time the board has executed `moves` moves of
// the streaming loop (counted from the moment the run view appeared).
std::function<void()> OnceAfter(RunTest* test, int moves, std::function<void()> action) {
    auto baseline = std::make_shared<int>(-1);
    auto drains = std::make_shared<int>(0);
    auto done = std::make_shared<bool>(false);
    return [=] {
        if (*done || script.runViews == 0 || ++*drains % 8 != 0) return;
        const int executed = std::stoi("0" + test->StateOf("executed"));
        if (*baseline < 0) *baseline = executed;
        if (executed - *baseline < moves) return;
        *done = true;
        action();
    };
}

}  // namespace

// Two placements 4.4 inches apart: lock stitches at the start, at both ends of
// the jump and at the end, with "CUT THE THREAD" and "PULL UP THE BOBBIN
// THREAD" between; every path point stitched once in order, except the new
// section's first point, which the lead line reaches with stitching off.
TEST_F(RunTest, AStitchedRunSewsThePathAndTiesOffAtEveryLongJump) {
    Place(Line(40, 0, 0, 0.1f, 0), 0, 0);
    Place(Line(30, 0, 0, 0.1f, 0), 0, 2);
    const std::vector<PathPoint> path = PackedPath();
    ASSERT_EQ(path.size(), 70u);
    ASSERT_EQ(path[39].halt, 1);
    stitchRep = 4;
    jumpStitch = 1.0f;

    startButtonReleased();

    EXPECT_EQ(script.messages,
              (std::vector<std::string>{
                  "THE MACHINE WILL MOVE TO THE START OF THE PATTERN BLOCK AND THE PATTERN WILL "
                  "START.",
                  "AFTER THE MACHINE ARRIVES AT THE START POSITION PULL UP THE BOBBIN "
                  "THREAD\nAND PRESS OK",
                  "CUT THE THREAD", "PULL UP THE BOBBIN THREAD"}));
    const std::vector<RecordedMove> record = Record();
    std::vector<PathPoint> sewn(path.begin(), path.begin() + 40);
    sewn.insert(sewn.end(), path.begin() + 41, path.end());
    ExpectStitchedInOrder(StitchedMoves(record), sewn);

    // stitchRep 4: two trips out to the other end of the tie-off and back.
    const auto groups = TieOffs(record);
    ASSERT_EQ(groups.size(), 4u);
    ExpectTieOff(groups[0], path[1], path[0], 2);
    ExpectTieOff(groups[1], path[38], path[39], 2);
    ExpectTieOff(groups[2], path[40], path[41], 2);
    ExpectTieOff(groups[3], path[68], path[69], 2);

    EXPECT_EQ(interface->fullPattern, nullptr);  // freed at the regular end
    EXPECT_EQ(fpTemp, nullptr);
    EXPECT_EQ(script.runViews, 1);
    EXPECT_EQ(runStatistics.emptyInSection, 0);
    ExpectMachineReleased();
}

// A 0.1-inch jump (a Stop command) keeps stitching on without a lock stitch;
// with jumpStitch 0 a 0.3-inch jump asks to cut the thread. A run with the
// Stitching toggle off only traces the path: nothing is ever stitched.
TEST_F(RunTest, ShortJumpsStayStitchedAndTracingNeverStitches) {
    Place(Line(20, 0, 0, 0.1f, 0), 0, 0, {11});
    Place(Line(20, 0, 0, 0.1f, 0), 1.9f, 0.3f);
    const std::vector<PathPoint> path = PackedPath();
    ASSERT_EQ(path.size(), 40u);
    ASSERT_EQ(path[9].halt, 1);
    ASSERT_EQ(path[19].halt, 1);
    stitchRep = 2;
    jumpStitch = 0;

    startButtonReleased();

    EXPECT_EQ(Count("CUT THE THREAD"), 1);
    EXPECT_EQ(Count("PULL UP THE BOBBIN THREAD"), 1);
    const std::vector<RecordedMove> record = Record();
    // Start, both ends of the 0.3-inch jump, end; none at the short jump.
    EXPECT_EQ(TieOffs(record).size(), 4u);
    std::vector<PathPoint> sewn(path.begin(), path.begin() + 20);
    sewn.insert(sewn.end(), path.begin() + 21, path.end());
    ExpectStitchedInOrder(StitchedMoves(record), sewn);
    ExpectMachineReleased();

    // The same layout traced with the toggle off.
    const size_t before = record.size();
    script = RunScript{};
    script.toggle = 0;
    startButtonReleased();
    const std::vector<RecordedMove> traced = Record();
    ASSERT_GT(traced.size(), before + path.size());
    for (size_t i = before; i < traced.size(); i++)
        EXPECT_EQ(traced[i].stitching, 0) << i;
    EXPECT_TRUE(TieOffs({traced.begin() + before, traced.end()}).empty());
    EXPECT_EQ(Count("CUT THE THREAD"), 0);
    ExpectMachineReleased();
}

struct SlowRunTest : RunTest {
    void SetUp() override { Begin({"--time-scale", "4"}); }
};

// Pause halts the board with its queue kept; un-pausing goes on from there and
// no point is sent twice.
TEST_F(SlowRunTest, PauseKeepsTheQueueAndResumeSendsNoPointTwice) {
    Place(Line(150, 0, 0, 0.1f, 0), 0, 0);
    const std::vector<PathPoint> path = PackedPath();
    stitchRep = 2;
    std::string atPause;
    script.onDrain = OnceAfter(this, 30, [] { PauseToggled(1); });

    startButtonReleased();  // returns paused
    atPause = State();
    EXPECT_EQ(allStop, 2);
    EXPECT_EQ(StateValue(atPause, "halted"), "1") << atPause;
    EXPECT_NE(StateValue(atPause, "queue"), "0") << atPause;
    EXPECT_EQ(StateValue(atPause, "stitching"), "0") << atPause;
    EXPECT_EQ(script.stitchingSensitive, 1);
    ASSERT_NE(fpTemp, nullptr);

    PauseToggled(0);

    const std::vector<RecordedMove> record = Record();
    ExpectStitchedInOrder(StitchedMoves(record), path);
    int stitchedRows = 0;
    for (const RecordedMove& m : record)
        stitchedRows += m.stitching;
    EXPECT_EQ(stitchedRows, static_cast<int>(path.size()) + 1);  // the last point goes twice
    ExpectMachineReleased();
}

// Thread break while paused: the quilter declines the first point offered,
// accepts the second; the run restarts there after the lead line and the lock
// stitch and sews every point from there once, in order.
TEST_F(SlowRunTest, ThreadBreakRestartsFromTheChosenEarlierPoint) {
    Place(Line(150, 0, 0, 0.1f, 0), 0, 0);
    const std::vector<PathPoint> path = PackedPath();
    stitchRep = 2;
    script.onDrain = OnceAfter(this, 70, [] { PauseToggled(1); });
    startButtonReleased();
    ASSERT_EQ(allStop, 2);

    int offered = 0;
    size_t restartRow = 0;
    script.answer = [&](const std::string& text) {
        if (text == "MOVE YOUR MACHINE TO THE POINT WHERE THE THREAD BROKE AND PRESS OK.") {
            // Push the head by hand close to point 20, then to point 30.
            const PathPoint& target = path[offered == 0 ? 20 : 30];
            const std::string s = State();
            const double dx = target.x + 3 - std::stod(StateValue(s, "x"));
            const double dy = target.y - 2 - std::stod(StateValue(s, "y"));
            SimControl(*sim, "push " + std::to_string(dx) + " " + std::to_string(dy));
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
    ExpectStitchedInOrder(StitchedMoves(record, restartRow),
                          std::vector<PathPoint>(path.begin() + 30, path.end()));
    // The tie-on at the restart point, against the point before it.
    const auto groups = TieOffs({record.begin() + restartRow, record.end()});
    ASSERT_GE(groups.size(), 1u);
    ExpectTieOff(groups[0], path[29], path[30], 1);
    ExpectMachineReleased();
}

// With --line-rate every byte takes its time on a 57600-baud line; the loop
// must still keep the queue from running dry inside a section.
struct LineRateRunTest : RunTest {
    void SetUp() override { Begin({"--time-scale", "3", "--line-rate"}); }
};

TEST_F(LineRateRunTest, TheQueueNeverRunsDryInsideASection) {
    Place(Line(250, 0, 0, 0.1f, 0), 0, 0);
    Place(Line(150, 0, 0, 0.1f, 0.05f), 0, 1);
    const std::vector<PathPoint> path = PackedPath();
    stitchRep = 0;
    startButtonReleased();

    const std::vector<RecordedMove> record = Record();
    EXPECT_EQ(StitchedMoves(record).size(), path.size() - 1);
    double longest = 0;
    EXPECT_EQ(CountQueueGaps(record, static_cast<int>(maxSpeed), 2, 3.0, 3.0, &longest), 0)
        << "longest wait " << longest << " ms";
    EXPECT_EQ(runStatistics.emptyInSection, 0);
    ExpectMachineReleased();
}

// The head position cannot be read after a thread break: the restart is
// refused with "OPERATION FAILED: TB100" and the run stops.
TEST_F(SlowRunTest, AThreadBreakWithoutTheHeadPositionStopsTheRun) {
    Place(Line(150, 0, 0, 0.1f, 0), 0, 0);
    stitchRep = 0;
    script.onDrain = OnceAfter(this, 40, [] { PauseToggled(1); });
    startButtonReleased();
    ASSERT_EQ(allStop, 2);
    script.answer = [this](const std::string& text) {
        if (text == "MOVE YOUR MACHINE TO THE POINT WHERE THE THREAD BROKE AND PRESS OK.")
            SimControl(*sim, "silence on");
        return -5;
    };

    ThreadBreak();

    EXPECT_EQ(Count("OPERATION FAILED: TB100"), 1);
    EXPECT_EQ(Count("IS THIS WHERE YOU WANT TO RESTART?"), 0);
    EXPECT_EQ(allStop, 1);
    EXPECT_GE(script.editViews, 1);
    EXPECT_EQ(script.mask, kIdleMenuMask);
    EXPECT_NE(interface->fullPattern, nullptr);  // kept: the quilter may start again
}
