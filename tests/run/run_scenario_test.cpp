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
        if (IsTieOff(m) && !inGroup) groups.emplace_back();
        if (IsTieOff(m)) groups.back().push_back(m);
        inGroup = IsTieOff(m);
    }
    return groups;
}

// A tie-off of `trips` trips from a to b and back.
void ExpectTieOff(const std::vector<RecordedMove>& group, const PathPoint& b, const PathPoint& a,
                  int trips) {
    ASSERT_EQ(group.size(), static_cast<size_t>(2 * trips));
    for (size_t i = 0; i < group.size(); i++) {
        const PathPoint& want = i % 2 == 0 ? b : a;
        EXPECT_NEAR(group[i].x, want.x, 0.5) << i;
        EXPECT_NEAR(group[i].y, want.y, 0.5) << i;
    }
}

int StitchedRows(std::vector<RecordedMove>::const_iterator begin,
                 std::vector<RecordedMove>::const_iterator end) {
    int rows = 0;
    for (auto m = begin; m != end; ++m)
        rows += m->stitching;
    return rows;
}

}  // namespace

// Three placements: a 0.1-inch jump (a Stop command) stays stitched without a
// lock stitch; a 0.3-inch jump gets lock stitches at both ends but, shorter
// than jumpStitch, no thread cut; a 4.3-inch jump asks "CUT THE THREAD" and
// "PULL UP THE BOBBIN THREAD". Every path point is stitched once in order,
// except a new section's first point, which the lead line reaches with
// stitching off. The same layout traced with the Stitching toggle off is
// never stitched.
TEST_F(RunTest, AStitchedRunTiesOffAtJumpsAndATraceNeverStitches) {
    Place(LinePoints(20, 0, 0, 0.1f, 0), 0, 0, {11});
    Place(LinePoints(20, 0, 0, 0.1f, 0), 1.9f, 0.3f);
    Place(LinePoints(30, 0, 0, 0.1f, 0), 0, 2.3f);
    const std::vector<PathPoint> path = PackedPath();
    ASSERT_EQ(path.size(), 70u);
    ASSERT_TRUE(path[9].halt && path[19].halt && path[39].halt);
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
    std::vector<PathPoint> sewn;
    for (size_t i = 0; i < path.size(); i++)
        if (i != 20 && i != 40) sewn.push_back(path[i]);
    ExpectStitchedInOrder(StitchedMoves(record), sewn);
    // stitchRep 4: two trips to the other end of each tie-off and back.
    const auto groups = TieOffs(record);
    ASSERT_EQ(groups.size(), 6u);
    const int ends[6][2] = {{1, 0}, {18, 19}, {20, 21}, {38, 39}, {40, 41}, {68, 69}};
    for (int g = 0; g < 6; g++)
        ExpectTieOff(groups[g], path[ends[g][0]], path[ends[g][1]], 2);
    EXPECT_EQ(interface->fullPattern, nullptr);  // freed at the regular end
    EXPECT_EQ(fpTemp, nullptr);
    EXPECT_EQ(script.runViews, 1);
    EXPECT_EQ(runStatistics.emptyInSection, 0);
    ExpectMachineReleased();

    script = RunScript{};
    script.toggle = 0;
    startButtonReleased();
    const std::vector<RecordedMove> traced = Record();
    ASSERT_GT(traced.size(), record.size() + path.size());
    EXPECT_EQ(StitchedRows(traced.begin() + record.size(), traced.end()), 0);
    EXPECT_TRUE(TieOffs({traced.begin() + record.size(), traced.end()}).empty());
    EXPECT_EQ(Count("CUT THE THREAD"), 0);
    ExpectMachineReleased();
}

// Pause halts the board with its queue kept; un-pausing goes on from there and
// sends no point twice. After a second pause a thread break: the quilter
// declines the first point offered and accepts the second; the run restarts
// there after the lead line and the lock stitch and sews every point from
// there once, in order.
TEST_F(SlowRunTest, PauseKeepsTheQueueAndAThreadBreakRestartsAtTheChosenPoint) {
    Place(LinePoints(150, 0, 0, 0.1f, 0), 0, 0);
    const std::vector<PathPoint> path = PackedPath();
    stitchRep = 2;
    script.onDrain = OnceAfter(this, 30, [] { PauseToggled(1); });
    startButtonReleased();  // returns paused
    const std::string atPause = SimControl(*sim, "state");
    EXPECT_EQ(allStop, 2);
    EXPECT_EQ(StateValue(atPause, "halted"), "1") << atPause;
    EXPECT_NE(StateValue(atPause, "queue"), "0") << atPause;
    EXPECT_EQ(StateValue(atPause, "stitching"), "0") << atPause;
    EXPECT_EQ(script.stitchingSensitive, 1);
    ASSERT_NE(fpTemp, nullptr);
    script.onDrain = OnceAfter(this, 70, [] { PauseToggled(1); });
    PauseToggled(0);  // returns paused again
    ASSERT_EQ(allStop, 2);

    int offered = 0;
    size_t restartRow = 0;
    script.answer = [&](const std::string& text) {
        if (text == "MOVE YOUR MACHINE TO THE POINT WHERE THE THREAD BROKE AND PRESS OK.") {
            // Push the head by hand close to point 20, then to point 30.
            const PathPoint& target = path[offered == 0 ? 20 : 30];
            const std::string s = SimControl(*sim, "state");
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
    const std::vector<RecordedMove> before(record.begin(), record.begin() + restartRow);
    const std::vector<RecordedMove> sewnBefore = StitchedMoves(before);
    ASSERT_GT(sewnBefore.size(), 90u);
    ExpectStitchedInOrder(sewnBefore, path.begin(), path.begin() + sewnBefore.size());
    EXPECT_EQ(StitchedRows(before.begin(), before.end()), static_cast<int>(sewnBefore.size()));
    ExpectStitchedInOrder(StitchedMoves(record, restartRow), path.begin() + 30, path.end());
    // The last point goes twice.
    EXPECT_EQ(StitchedRows(record.begin() + restartRow, record.end()), 150 - 30 + 1);
    // The tie-on at the restart point, against the point before it.
    const auto groups = TieOffs({record.begin() + restartRow, record.end()});
    ASSERT_GE(groups.size(), 1u);
    ExpectTieOff(groups[0], path[29], path[30], 1);
    ExpectMachineReleased();
}

// The head position cannot be read after a thread break: the restart is
// refused with "OPERATION FAILED: TB100" and the run stops, keeping the path.
TEST_F(SlowRunTest, AThreadBreakWithoutTheHeadPositionStopsTheRun) {
    Place(LinePoints(150, 0, 0, 0.1f, 0), 0, 0);
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
    EXPECT_NE(interface->fullPattern, nullptr);
}

// With --line-rate every byte takes its time on a 57600-baud line; the loop
// must still keep the queue from running dry inside a section.
struct LineRateRunTest : RunTest {
    void SetUp() override { Begin({"--time-scale", "3", "--line-rate"}); }
};

TEST_F(LineRateRunTest, TheQueueNeverRunsDryInsideASection) {
    Place(LinePoints(250, 0, 0, 0.1f, 0), 0, 0);
    Place(LinePoints(150, 0, 0, 0.1f, 0.05f), 0, 1);
    const size_t points = PackedPath().size();
    stitchRep = 0;
    startButtonReleased();

    const std::vector<RecordedMove> record = Record();
    EXPECT_EQ(StitchedMoves(record).size(), points - 1);
    double longest = 0;
    EXPECT_EQ(CountQueueGaps(record, static_cast<int>(maxSpeed), 2, 3.0, 3.0, &longest), 0)
        << "longest wait " << longest << " ms";
    EXPECT_EQ(runStatistics.emptyInSection, 0);
    ExpectMachineReleased();
}
