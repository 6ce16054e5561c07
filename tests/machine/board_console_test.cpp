// The board console end to end: longarm-tool board against the simulated board.
#include <gtest/gtest.h>

#include "support/mc1sim_fixture.h"
#include "support/run_program.h"

namespace {

struct BoardConsole : ::testing::Test {
    void SetUp() override { ASSERT_TRUE(sim.running) << sim.error; }
    // The console's output for the words, checked against `out` when given.
    std::string Board(std::vector<std::string> words, const char* out = nullptr) {
        words.insert(words.begin(), {LONGARM_TOOL_PATH, "board", "--serial", sim.device});
        last = RunProgram(words, "", 30000);
        if (out) {
            EXPECT_EQ(last.out, out) << words[4];
        }
        return last.out;
    }
    Mc1Sim sim{{"--time-scale", "50"}};
    ProgramResult last;
};

TEST_F(BoardConsole, QueriesSettingsAndStitcherCommands) {
    Board({"constants"},
          "result=0\nXKp=30\nXKi=8\nYKp=30\nYKi=8\nYKd=40\nErr=100\nTOut=100\nXKd=40\n");
    Board({"set", "speed", "55"}, "result=1\n");
    Board({"set", "slow", "4.5"}, "result=1\n");
    Board({"stitch-settings"}, "result=0\nstitchLen=5\nspeed=55\nminimumSpeed=2\nstitchRep=4\n");
    EXPECT_NE(last.err.find("buffcnt: 4"), std::string::npos) << "log lines go to standard error";
    Board({"slow"}, "result=0\nslow=4.5\n");
    Board({"version"}, "result=0\nversion=1.3\n");
    EXPECT_EQ(Board({"direction"}).find("direction=200"), std::string::npos);
    Board({"reverse"}, "result=0\ndirection=200\n");
    Board({"status"}, "result=0\nstatus=253\nerror=0\n");
    SimControl(sim, "error 4");
    Board({"status"}, "result=4\nstatus=254\nerror=4\n");
    Board({"stitch-on"}, "result=1\n");
    EXPECT_TRUE(WaitForState(sim, "stitching", "1", 1000));
    Board({"stitch-off"}, "result=1\n");  // a new process still sends stitching off
    EXPECT_TRUE(WaitForState(sim, "stitching", "0", 1000));
    SimControl(sim, "silence on");
    Board({"position"}, "result=-1\n");
    Board({"constants"}, "result=1\n");
    EXPECT_NE(last.err.find("COULD NOT RETRIEVE VALUES."), std::string::npos);
    Board({"test-x"}, "");
    EXPECT_EQ(last.exitStatus, 1);
    EXPECT_NE(last.err.find("the board does not answer; nothing was tested"), std::string::npos);
}

TEST_F(BoardConsole, UsageErrorsAndAMissingDevice) {
    for (const std::vector<std::string>& bad :
         std::vector<std::vector<std::string>>{{"move", "1", "2"},
                                               {"move", "1", "x", "3"},
                                               {"set", "Nonsense", "1"},
                                               {"set", "XKp", "1.5"},
                                               {"frobnicate"},
                                               {"position", "--method", "13"},
                                               {"position", "--serial"}}) {
        Board(bad, "");
        EXPECT_EQ(last.exitStatus, 2) << bad[0];
        EXPECT_NE(last.err.find("usage: longarm-tool board"), std::string::npos);
    }
    EXPECT_EQ(RunProgram({LONGARM_TOOL_PATH, "board", "position"}).exitStatus, 2);
    ProgramResult r = RunProgram({LONGARM_TOOL_PATH, "board", "--help"});
    EXPECT_EQ(r.exitStatus, 0);
    EXPECT_NE(r.out.find("no all-stop is sent"), std::string::npos);
    r = RunProgram({LONGARM_TOOL_PATH, "board", "--serial", sim.dir.File("missing"), "status"});
    EXPECT_EQ(r.exitStatus, 0);
    EXPECT_EQ(r.out, "result=1\n");
    EXPECT_NE(r.err.find("UNABLE TO OPEN SERIAL PORT: " + sim.dir.File("missing")),
              std::string::npos);
}

}  // namespace
