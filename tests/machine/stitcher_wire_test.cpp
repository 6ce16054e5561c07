// The stitcher methods byte for byte: which buttons each machine type presses,
// in which order and for how long, and the needle checks.
#include "machine/machine_test.h"
#include "machine/mc1_commands.h"

namespace {

// On the manual clock: the presses and waits pass at once, as measured.
using StitcherTest = LineTest;

// Per machine type: the bytes and texts of stitching on (twice), off (twice)
// and needle up, and the least time each takes (presses and waits).
TEST_F(StitcherTest, EachMachineTypeSendsItsButtonsOnceForEachChange) {
    const std::string kRegulator = Bytes({0x48, 1, 0x48, 0}),
                      kCommand = Bytes({0x4A, 1, 0x48, 1, 0x48, 0, 0x4A, 0});
    const struct Case {
        int method;
        std::string on, off, needle, texts;
        int onMs, offMs;
    } cases[] = {
        {0, Bytes({0x1D}), Bytes({0x1E}), Bytes({0x31}), "Stitching Off\nWFN\n", 0, 0},
        {5, kRegulator, kRegulator, Bytes({0x49, 1, 0x49, 0}),
         "Stitching On\nStitching Off\nNeedle Up\nPFN\nPFN End\n", 440, 40},
        {1, kCommand, kCommand, Bytes({0x4A, 1, 0x49, 1, 0x49, 0, 0x4A, 0}),
         "Command + Stitching On\nCommand + Stitching Off\nCommand + Needle Up\nPFN\nPFN End\n", 80,
         20},
        {12, Bytes({0x48, 1}), Bytes({0x48, 0}), "",
         "Stitching On CV18\nWait for waitTime\nStitching Off 18\nNo needle up on CV18\n", 0, 50},
    };
    for (const Case& c : cases) {
        Machine().needleUpMethod = c.method;
        Machine().needleUpConfirm = 0;
        Machine().stitchRegPress = 40;
        Machine().stitchRegTime = 400;
        Machine().needleUpPress = 10;
        Machine().needleUpTime = 50;
        testing::internal::CaptureStdout();
        EXPECT_GE(ElapsedMs([] { EXPECT_EQ(StitchOn(), 1); }), c.onMs) << c.method;
        EXPECT_EQ(StitchOn(), 1);  // already on: nothing more
        EXPECT_EQ(robotIsStitching, 1);
        EXPECT_EQ(Quiet(), c.on) << c.method;
        const int64_t off = ElapsedMs([] { EXPECT_EQ(StitchOff(), 1); });
        EXPECT_GE(off, c.offMs) << c.method;
        EXPECT_LT(off, 300) << "no wait after the stitching-off press";
        EXPECT_EQ(StitchOff(), 1);
        EXPECT_EQ(robotIsStitching, 0);
        EXPECT_EQ(Quiet(), c.off) << c.method;
        if (c.method == 0) line.Send(Bytes({0xFA}));
        EXPECT_EQ(NeedleUp(), 1);
        EXPECT_EQ(Quiet(), c.needle) << c.method;
        EXPECT_EQ(testing::internal::GetCapturedStdout().substr(0, c.texts.size()), c.texts);
    }
}

TEST_F(StitcherTest, ButtonPressAndReleaseTexts) {
    EXPECT_EQ(PseudoButtonPress(0x49, 1, 0, 0, 0), 1);
    EXPECT_EQ(Quiet(), Bytes({0x49, 1})) << "an untimed press leaves the button as sent";
    EXPECT_EQ(PseudoButtonRelease("0x49 0 1"), 0);
    EXPECT_EQ(Quiet(), Bytes({0x49, 0}));
    EXPECT_EQ(PseudoButtonRelease("0x4a"), 1);
    EXPECT_EQ(PseudoButtonRelease("junk"), 1);
    EXPECT_EQ(PseudoButtonRelease(nullptr), 1);
    sendMoveActive = 1;
    EXPECT_EQ(PseudoButtonRelease("0x48 0 1"), 1) << "no release during a move exchange";
    sendMoveActive = 0;
    EXPECT_EQ(Quiet(), "");
}

TEST_F(StitcherTest, NeedleCheckWantsToSeeTheNeedleMoveThenArrive) {
    Machine().needleUpMethod = 3;
    Machine().needleUpConfirm = 1;
    Machine().needleUpTime = 1500;
    Machine().needleUpPress = 20;
    std::string log;
    // The needle-up press and its release, then the sensor's readings.
    const std::string sent = Played(
        {{2, ""}, {2, ""}, {1, Bytes({1})}, {1, Bytes({0})}, {1, Bytes({0})}, {1, Bytes({1})}},
        [&] { log = Logged([&] { EXPECT_EQ(NeedleUp(), 1); }); });
    EXPECT_NE(log.find("Needle Up\nPFN\nPFN Needle Up Received: 0x1 after "), std::string::npos)
        << log;
    // A reply that comes late on a loaded machine is asked for again, so only
    // the press, the release and at least one poll per reply are fixed.
    EXPECT_EQ(sent.substr(0, 4), Bytes({0x49, 1, 0x49, 0}));
    EXPECT_GE(sent.size(), 8u);
    EXPECT_EQ(sent.find_first_not_of('\x4B', 4), std::string::npos) << "only status polls follow";
    // A sensor that reads 1 throughout never confirms.
    Machine().needleUpTime = 300;
    std::vector<BoardStep> alwaysUp(100, BoardStep{1, Bytes({1})});
    ScriptedBoard board(line, alwaysUp);
    testing::internal::CaptureStdout();
    const int64_t took = ElapsedMs([] { EXPECT_EQ(PauseForNeedle(), 0); });
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "PFN\nPFN Needle Up: Timeout after 300 msec\n");
    EXPECT_GE(took, 300);
    EXPECT_LT(took, 1500);

    // Without confirmation the check only waits; during a move exchange it
    // leaves the sensor alone.
    Machine().needleUpConfirm = 0;
    Machine().needleUpTime = 40;
    int64_t waited = 0;
    EXPECT_EQ(Logged([&] { waited = ElapsedMs([] { EXPECT_EQ(PauseForNeedle(), 1); }); }),
              "PFN\nPFN End\n");
    EXPECT_GE(waited, 40);
    Machine().needleUpConfirm = 1;
    sendMoveActive = 1;
    Logged([] { EXPECT_EQ(PauseForNeedle(), 0); });
    EXPECT_EQ(Quiet(), "");
}

int drains = 0;
void CountDrain() {
    drains++;
}

TEST_F(StitcherTest, DefaultNeedleUpWaitsForTheBoardsAnswer) {
    UseRealClock();  // one read times out while the board takes 600 ms to answer
    UserInterfaceHooks hooks = GetUserInterfaceHooks();
    hooks.drainEvents = CountDrain;
    SetUserInterfaceHooks(hooks);
    drains = 0;
    testing::internal::CaptureStdout();
    EXPECT_EQ(
        Played({{1, Bytes({0x77})}, {0, Bytes({0xFA}), 600}}, [] { EXPECT_EQ(NeedleUp(), 1); }),
        Bytes({0x31}));
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "WFN\nWFN returned something weird: 0X77\nWFN: GetChar() timed out\n"
              "WFN return true\n");
    EXPECT_GE(drains, 3) << "screen events are drained before each read";
    line.Send(Bytes({0xFB}));
    EXPECT_EQ(Logged([] { EXPECT_EQ(WaitForNeedle(), 0); }), "WFN\nWFN return false\n");
}

TEST_F(StitcherTest, StitcherCheckByMachineType) {
    unsigned char status = 0;
    EXPECT_EQ(Played({{1, Bytes({0x21})}}, [&] { EXPECT_EQ(GetStitcher(&status), 0); }),
              Bytes({0x3E}));
    EXPECT_EQ(status, kStitcherNotInRobotMode);
    Machine().needleUpMethod = 7;
    status = 0;
    EXPECT_EQ(GetStitcher(&status), 0);
    EXPECT_EQ(status, kStitcherReady);
    EXPECT_EQ(Quiet(), "") << "button machines are not asked";

    Machine().needleUpMethod = 1;
    Machine().needleUpConfirm = 0;
    status = 0x55;
    EXPECT_EQ(GetStitcher(&status), 0);
    EXPECT_EQ(status, 0x55) << "the caller's preset stays";
    EXPECT_EQ(Quiet(), "");

    // Corvane Solo with a needle found down: it is raised before the run.
    Machine().needleUpMethod = 2;
    Machine().needleUpConfirm = 1;
    Machine().needleUpPress = 10;
    Machine().needleUpTime = 400;
    std::string log;
    EXPECT_EQ(Played({{1, Bytes({0})}, {4, ""}, {1, Bytes({0})}, {1, Bytes({1})}},
                     [&] { log = Logged([&] { EXPECT_EQ(GetStitcher(&status), 0); }); }),
              Bytes({0x4B, 0x49, 1, 0x49, 0, 0x4B, 0x4B}));
    EXPECT_EQ(log.rfind("Needle Down!\nNeedle Up\nPFN\nPFN Needle Up Received", 0), 0u) << log;
    EXPECT_EQ(status, kStitcherReady);

    // A Twin in robot mode: the needle stays up whatever is pressed.
    Machine().needleUpMethod = 1;
    Machine().needleUpTime = 200;
    Played(std::vector<BoardStep>(100, BoardStep{1, Bytes({1})}),
           [&] { log = Logged([&] { EXPECT_EQ(GetStitcher(&status), 0); }); });
    EXPECT_NE(log.find("Test Needle Up passed timeout"), std::string::npos) << log;
    EXPECT_EQ(status, kStitcherReady);
    line.Received(0);
    ClearPort();

    // A Twin found with the needle up, then down at the first poll: the
    // needle-up button is pressed; when the needle then reads up, the buttons
    // worked without the robot taking them.
    Played({{1, Bytes({1})}, {1, Bytes({0})}, {4, ""}, {1, Bytes({1})}},
           [&] { log = Logged([&] { EXPECT_EQ(GetStitcher(&status), 0); }); });
    EXPECT_NE(log.find("Needle Up sent because the needle was down\n"
                       "Warning: the stitcher is not in robot mode\n"),
              std::string::npos)
        << log;
    EXPECT_EQ(status, kStitcherNotInRobotMode);
}

}  // namespace
