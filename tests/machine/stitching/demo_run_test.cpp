#include "machine/stitching/demo_run.h"

#include <gtest/gtest.h>

#include "layout/layout_tree.h"
#include "machine/stitching/pattern_run.h"
#include "machine/stitching/run_flags.h"
#include "machine/stitching/run_state.h"
#include "support/board_test.h"
#include "support/run_layout.h"
#include "support/run_record.h"

namespace {

struct Screen {
    int stitchingToggle = 0, runViews = 0, editViews = 0;
    std::vector<uint32_t> masks;
} screen;

struct DemoTest : BoardTest {
    void SetUp() override {
        BoardTest::SetUp();
        screen = Screen{};
        const int box = MakeRunBox();  // origin (1, 1)
        // Two stitched sections joined by a jump, placed at (0.5, 0.5).
        const int slot = LoadPatternLines({"p X0.000 Y0.000", "p X1.000 Y0.000", "p X1.000 Y1.000",
                                           "c s", "p X2.500 Y1.000", "p X3.000 Y1.500"});
        AppendLayoutNode(slot, -1, 0, 0.5f, 0.5f, box);
        RunControlHooks hooks;
        hooks.stitchingActive = [] { return screen.stitchingToggle; };
        hooks.setStitchingActive = [](int active) { screen.stitchingToggle = active; };
        hooks.showRunView = [] { screen.runViews++; };
        hooks.showEditView = [] { screen.editViews++; };
        hooks.setMenuMask = [](uint32_t mask) { screen.masks.push_back(mask); };
        SetRunControlHooks(hooks);
        allStop = 0;
        fpTemp = nullptr;
        Ui().keyboard = {{1, "tandrel"}};
    }
    void TearDown() override {
        SetRunControlHooks({});
        ResetLayout();
        BoardTest::TearDown();  // frees the run path
    }

    // How often the head came to (x, y) thousandths of an inch from elsewhere.
    int Visits(double x, double y) {
        int count = 0;
        bool there = false;
        for (const RecordedMove& e : ReadRunRecord(sim->recordPath)) {
            if (e.x == x && e.y == y && !there) count++;
            there = e.x == x && e.y == y;
        }
        return count;
    }
};

TEST_F(DemoTest, RepeatsThePathThenWaitsAtTheStartOfTheFinalPass) {
    // A wrong password or a cancelled one starts nothing.
    Ui().keyboard = {{1, "tandrell"}, {1, "TANDREL"}, {0, "tandrel"}, {1, "tandrel"}};
    for (int i = 0; i < 3; i++)
        EXPECT_EQ(RunDemo(2), kDemoRefused);
    EXPECT_TRUE(Ui().messages.empty());
    EXPECT_TRUE(screen.masks.empty());
    EXPECT_EQ(SimState("accepted"), "0");

    EXPECT_EQ(RunDemo(2), kDemoFinished);
    EXPECT_EQ(Ui().messages, std::vector<std::string>{"WAITING TO RUN FINAL PATTERN"});
    // At the path's first point, the placement at (0.5, 0.5) in the box at (1, 1).
    EXPECT_EQ(SimState("x") + "," + SimState("y"), "1500,1500");
    EXPECT_EQ(SimState("xenabled") + SimState("yenabled"), "00");
    // Each pass ran both sections: the end of the first, the start of the
    // second and the path's end once per pass, never stitched (toggle off).
    EXPECT_EQ(Visits(2500, 2500), 2);
    EXPECT_EQ(Visits(4000, 2500), 2);
    EXPECT_EQ(Visits(4500, 3000), 2);
    for (const RecordedMove& e : ReadRunRecord(sim->recordPath))
        EXPECT_EQ(e.stitching, 0);
    EXPECT_EQ(screen.editViews, 0);
    EXPECT_EQ(screen.runViews, 2);

    ClearLayout();
    Ui().keyboard = {{1, "tandrel"}};
    EXPECT_EQ(RunDemo(2), kDemoFailed);
    EXPECT_EQ(Ui().messages.back(), "PATTERN BOX IS EMPTY");
    EXPECT_EQ(screen.masks.back(), kIdleMenuMask);
}

// The first pass stitches and turns the toggle off; the repetitions only
// trace: no stitched move after the first arrival at the path's end and its
// closing lock stitch.
TEST_F(DemoTest, StopDuringTheThirdRepetitionEndsTheDemo) {
    screen.stitchingToggle = 1;
    int drainsInThird = 0;
    Ui().onDrain = [&] {
        if (demoRepetition == 3 && allStop == 0 && ++drainsInThird == 40) stopButtonReleased();
    };
    EXPECT_EQ(RunDemo(10), kDemoStopped);
    EXPECT_NE(LogText().find("Demo repetition 3\n"), std::string::npos);
    EXPECT_EQ(LogText().find("Demo repetition 4\n"), std::string::npos);
    EXPECT_TRUE(Ui().messages.empty());
    EXPECT_EQ(SimState("xenabled") + SimState("yenabled") + SimState("stitching"), "000");
    EXPECT_EQ(screen.editViews, 1);
    EXPECT_EQ(stopTest, 1);
    EXPECT_EQ(screen.stitchingToggle, 0);
    const std::vector<RecordedMove> moves = ReadRunRecord(sim->recordPath);
    size_t end = 0;
    while (end < moves.size() && !(moves[end].x == 4500 && moves[end].y == 3000))
        end++;
    while (end + 1 < moves.size() && moves[end + 1].x == 4500 && moves[end + 1].y == 3000)
        end++;
    ASSERT_LT(end, moves.size());
    int stitched = 0;
    for (size_t i = 0; i < moves.size(); i++) {
        if (i <= end)
            stitched += moves[i].stitching;
        else
            EXPECT_EQ(moves[i].stitching, 0) << "move " << i;
    }
    EXPECT_GT(stitched, 5);
}

}  // namespace
