#include "machine/stitching/point_streaming.h"

#include <gtest/gtest.h>

#include "machine/machine_parameters.h"
#include "machine/mc1_commands.h"
#include "machine/stitcher.h"
#include "machine/stitching/pattern_run.h"
#include "machine/stitching/run_flags.h"
#include "machine/stitching/run_state.h"
#include "support/board_test.h"
#include "support/run_layout.h"
#include "support/run_record.h"

namespace {

uint32_t lastMask = 0;

struct StreamingTest : BoardTest {
    void SetUp() override {
        BoardTest::SetUp();
        lastMask = 0;
        allStop = 0;
        fpTemp = nullptr;
        stopTest = 0;
        RunControlHooks run;
        run.setMenuMask = [](uint32_t mask) { lastMask = mask; };
        SetRunControlHooks(run);
    }
    void TearDown() override {
        SetRunControlHooks({});
        FreeFullPattern(path);
        fpTemp = nullptr;
        BoardTest::TearDown();
    }
    std::vector<RecordedMove> Executed() { return ReadRunRecord(sim->recordPath); }

    // A straight path of n points 0.1 inch apart along x from (x0, y0), with
    // halt set on the point given (−1: none).
    static FullPattern_t* Line(int n, float x0, float y0, int haltAt = -1) {
        std::vector<PathPointSpec> points;
        for (int i = 0; i < n; i++)
            points.push_back({x0 + 100.0f * i, y0, i == haltAt});
        FullPattern_t* first = MakePath(points);
        for (FullPattern_t* p = first; p; p = p->next())
            p->feed = 50;
        return first;
    }

    FullPattern_t* path = nullptr;
};

// A lead line goes in short moves; with stitching on every move of it is
// sewn, so it starts at the path point the head was left at, or not at all.
// The run tests stream whole paths through board faults.
TEST_F(StreamingTest, LeadLinesGoInShortMovesAndAStitchedOneOnlyFromThePath) {
    path = Line(1, 1000, 0);
    fpTemp = path;
    ASSERT_EQ(SendLeadLine(nullptr), 1);
    EXPECT_EQ(lastMask, kRunMenuMask);
    ASSERT_EQ(WaitForBuffer(), 1);
    std::vector<RecordedMove> moves = Executed();
    // From the home position: the start point, nine inserted points, the end.
    ASSERT_EQ(moves.size(), 11u);
    for (size_t i = 1; i < moves.size(); i++)
        EXPECT_NEAR(moves[i].x, 100.0 * i, 0.5) << i;
    EXPECT_NEAR(moves.back().feed, Machine().minSpeed, 0.01);
    EXPECT_NEAR(moves.front().feed, Machine().minSpeed, 0.01);
    EXPECT_EQ(StateValue(Sim("state"), "x"), "1000");

    // A short lead line is its two end points.
    FullPattern_t* near = Line(1, 1150, 0);
    EXPECT_EQ(SendLeadLine(near), 1);
    ASSERT_EQ(WaitForBuffer(), 1);
    FreeFullPattern(near);
    EXPECT_EQ(Executed().size(), 13u);

    robotIsStitching = 1;
    FullPattern_t* jump = Line(2, 1150, 0, 0);  // the head's point, the next section's start
    EXPECT_EQ(SendLeadLine(jump->next()), 1);
    ASSERT_EQ(WaitForBuffer(), 1);
    moves = Executed();
    ASSERT_EQ(moves.size(), 15u);
    EXPECT_NEAR(moves[13].x, 1150, 0.5);
    EXPECT_NEAR(moves[14].x, 1250, 0.5);
    FullPattern_t* elsewhere = Line(2, 3000, 0, 0);
    EXPECT_EQ(SendLeadLine(elsewhere->next()), kLeadLineNoPosition);
    EXPECT_EQ(robotIsStitching, 0);
    EXPECT_EQ(Executed().size(), 15u);
    FreeFullPattern(jump);
    FreeFullPattern(elsewhere);

    // The stop flag ends the sending of points before the first.
    EXPECT_EQ(SendPoints(nullptr), 0);
    allStop = 1;
    EXPECT_EQ(SendPoints(path), 0);
    EXPECT_EQ(stopTest, 1);
    EXPECT_EQ(lastMask, kIdleMenuMask);
    EXPECT_EQ(Executed().size(), 15u);
}

TEST_F(StreamingTest, PrefillStopsBeforeTheEndOfTheSection) {
    // 20 points; the 20th ends the section. The pre-fill hands over 18 and
    // leaves the last two to the run loop.
    path = Line(25, 0, 0, 19);
    Machine().stitchRep = 4;
    fpTemp = path;
    Halt();
    SendFortyNine();
    ASSERT_NE(fpTemp, nullptr);
    EXPECT_FLOAT_EQ(fpTemp->x, 1700);  // the 18th point
    EXPECT_EQ(StateValue(Sim("state"), "queue"), "18");

    // A long section from the start of the path: at most 98 − stitchRep points.
    FreeFullPattern(path);
    path = Line(150, 0, 0);
    fpTemp = nullptr;
    CurrentRun().fullPattern = path;
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

// Found by fuzzing the board's replies: a garbled position near the int32
// limits overflowed the movement test of the stall watchdog.
TEST(HeadMovement, CountsMoreThanFiveThousandthsOnEitherAxisFromAnyReading) {
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
}

}  // namespace
