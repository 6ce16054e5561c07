// The board console end to end: longarm-tool board against the simulated board.
#include <gtest/gtest.h>

#include "support/mc1sim_fixture.h"
#include "support/run_program.h"

namespace {

ProgramResult Board(const Mc1Sim& sim, std::vector<std::string> words) {
    std::vector<std::string> argv = {LONGARM_TOOL_PATH, "board", "--serial", sim.device};
    argv.insert(argv.end(), words.begin(), words.end());
    return RunProgram(argv, "", 30000);
}

struct BoardConsole : ::testing::Test {
    Mc1Sim sim{{"--time-scale", "50"}};
    void SetUp() override { ASSERT_TRUE(sim.running) << sim.error; }
};

TEST_F(BoardConsole, QueriesAndStitcherCommandsPrintTheirResultAndValues) {
    ProgramResult r = Board(sim, {"constants"});
    EXPECT_EQ(r.exitStatus, 0) << r.err;
    EXPECT_EQ(r.out, "result=0\nXKp=30\nXKi=8\nYKp=30\nYKi=8\nYKd=40\nErr=100\nTOut=100\nXKd=40\n");

    r = Board(sim, {"set", "speed", "55"});
    EXPECT_EQ(r.out, "result=1\n");
    r = Board(sim, {"set", "slow", "4.5"});
    EXPECT_EQ(r.out, "result=1\n");
    r = Board(sim, {"stitch-settings"});
    EXPECT_EQ(r.out, "result=0\nstitchLen=5\nspeed=55\nminimumSpeed=2\nstitchRep=4\n");
    EXPECT_NE(r.err.find("buffcnt: 4"), std::string::npos) << "log lines go to standard error";
    r = Board(sim, {"slow"});
    EXPECT_EQ(r.out, "result=0\nslow=4.5\n");
    r = Board(sim, {"version"});
    EXPECT_EQ(r.out, "result=0\nversion=1.3\n");
    r = Board(sim, {"direction"});
    EXPECT_EQ(r.out.rfind("result=0\ndirection=", 0), 0u) << r.out;
    EXPECT_EQ(r.out.find("direction=200"), std::string::npos) << "a fresh board is not reversed";
    r = Board(sim, {"reverse"});
    EXPECT_EQ(r.out, "result=0\ndirection=200\n");
    EXPECT_EQ(StateValue(SimControl(sim, "state"), "halted"), "0");

    // The stitcher commands take a machine type.
    r = Board(sim, {"stitch-on"});
    EXPECT_EQ(r.out, "result=1\n");
    EXPECT_TRUE(WaitForState(sim, "stitching", "1", 1000));
    r = Board(sim, {"stitch-off"});
    EXPECT_EQ(r.out, "result=1\n") << "a new process still sends stitching off";
    EXPECT_TRUE(WaitForState(sim, "stitching", "0", 1000));
    SimControl(sim, "stitcher-status 33");
    EXPECT_EQ(Board(sim, {"stitcher"}).out, "result=0\nstatus=33\n");
    SimControl(sim, "machine 12");
    EXPECT_EQ(Board(sim, {"stitch-on", "--method", "12"}).out, "result=1\n");
    EXPECT_TRUE(WaitForState(sim, "stitching", "1", 1000));
    EXPECT_EQ(Board(sim, {"--method", "12", "stitcher"}).out, "result=0\nstatus=1\n");
    r = Board(sim, {"needle-up", "--method", "12"});
    EXPECT_EQ(r.out, "result=1\n");
    EXPECT_NE(r.err.find("No needle up on CV18"), std::string::npos);
}

TEST_F(BoardConsole, MovesAndStatus) {
    EXPECT_EQ(Board(sim, {"home"}).out, "result=1\n");
    EXPECT_EQ(Board(sim, {"move", "1500", "2250", "50"}).out, "result=0\n");
    ASSERT_TRUE(WaitForState(sim, "moving", "0", 5000));
    ProgramResult r = Board(sim, {"position"});
    EXPECT_EQ(r.out, "result=0\nx=1500\ny=2250\n");
    r = Board(sim, {"status"});
    EXPECT_EQ(r.out, "result=0\nstatus=253\nerror=0\n");
    SimControl(sim, "error 4");
    r = Board(sim, {"status"});
    EXPECT_EQ(r.out, "result=4\nstatus=254\nerror=4\n");
    SimControl(sim, "refuse 1");
    EXPECT_EQ(Board(sim, {"move", "-10", "0", "50"}).out, "result=1\n");
    EXPECT_EQ(Board(sim, {"stop"}).out, "result=1\n");

    SimControl(sim, "silence on");
    EXPECT_EQ(Board(sim, {"position"}).out, "result=-1\n");
    r = Board(sim, {"constants"});
    EXPECT_EQ(r.out, "result=1\n");
    EXPECT_NE(r.err.find("COULD NOT RETRIEVE VALUES."), std::string::npos);
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
        const ProgramResult r = Board(sim, bad);
        EXPECT_EQ(r.exitStatus, 2) << bad[0];
        EXPECT_EQ(r.out, "") << bad[0];
        EXPECT_NE(r.err.find("usage: longarm-tool board"), std::string::npos);
    }
    ProgramResult r = RunProgram({LONGARM_TOOL_PATH, "board", "position"});
    EXPECT_EQ(r.exitStatus, 2);
    r = RunProgram({LONGARM_TOOL_PATH, "board", "--help"});
    EXPECT_EQ(r.exitStatus, 0);
    EXPECT_NE(r.out.find("no all-stop is sent"), std::string::npos);

    r = RunProgram({LONGARM_TOOL_PATH, "board", "--serial", sim.dir.File("missing"), "status"});
    EXPECT_EQ(r.exitStatus, 0);
    EXPECT_EQ(r.out, "result=1\n");
    EXPECT_NE(r.err.find("UNABLE TO OPEN SERIAL PORT: " + sim.dir.File("missing")),
              std::string::npos);
}

TEST_F(BoardConsole, TheMotorTestsPrintThePagesText) {
    SimControl(sim, "travel x 0.8");
    const std::string before = SimControl(sim, "params");
    ProgramResult r = Board(sim, {"test-all"});
    EXPECT_EQ(r.exitStatus, 0) << r.err;
    // The counts vary a little with the simulated servo; the words do not.
    size_t at = 0;
    for (const char* line :
         {"Testing X Motor\nMoving X Motor at 80% \nEncoder counts: \tX: ", "X motor failed!\n",
          "Testing Y Motor\nMoving Y Motor at 80% \nEncoder counts: \tX: ", "Y motor passed!\n",
          "Testing All Motors\nTest All Motors Passed!\nStitcher Communication: Passed\n"}) {
        const size_t found = r.out.find(line, at);
        ASSERT_NE(found, std::string::npos) << line << " in\n" << r.out;
        at = found + std::string(line).size();
    }
    EXPECT_EQ(at, r.out.size()) << r.out;
    EXPECT_EQ(SimControl(sim, "params"), before) << "the board's own values are back";

    SimControl(sim, "silence on");
    r = Board(sim, {"test-x"});
    EXPECT_EQ(r.exitStatus, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find("the board does not answer; nothing was tested"), std::string::npos);
}

}  // namespace
