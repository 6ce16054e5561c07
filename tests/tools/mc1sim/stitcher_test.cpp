// The stitcher behind the simulated board: status, needle and stitching for
// the machine types.
#include <gtest/gtest.h>

#include "sim_wire.h"

namespace {

int NeedleSensor(int fd) {
    std::vector<uint8_t> reply = Exchange(fd, {0x4B}, 1, 500);
    return reply.empty() ? -1 : reply[0];
}

std::string Stitching(const Mc1Sim& sim) {
    return StateValue(SimControl(sim, "state"), "stitching");
}

// Polls the needle sensor like the host's needle check: true when it reads 0
// and then 1 within timeoutMs.
bool NeedleSeenToRise(int fd, int timeoutMs) {
    bool sawDown = false;
    for (int waited = 0; waited < timeoutMs; waited += 10) {
        int value = NeedleSensor(fd);
        if (value == 0) sawDown = true;
        if (value == 1 && sawDown) return true;
        usleep(10000);
    }
    return false;
}

TEST(SimStitcher, ANoisyLinkPutsAZeroBeforeEveryAnswerByteAndACutOneLosesThem) {
    SIM_LINE(line);
    EXPECT_EQ(SimControl(line.sim, "stitcher-link noisy"), "ok stitcher-link noisy");
    EXPECT_EQ(Exchange(line.fd, {0x3E}, 2), (std::vector<uint8_t>{0x00, 0x01}));
    std::vector<uint8_t> version = Exchange(line.fd, {0x3D}, 8);
    ASSERT_EQ(version.size(), 8u);
    EXPECT_EQ(version[0] | version[2] | version[4] | version[6], 0);
    EXPECT_EQ(SimControl(line.sim, "stitcher-link cut"), "ok stitcher-link cut");
    EXPECT_TRUE(Exchange(line.fd, {0x3E}, 1, 300).empty());
    EXPECT_EQ(BufferStatus(line.fd), 0xFD);  // the board itself still answers
    SimControl(line.sim, "stitcher-link sound");
    EXPECT_EQ(Exchange(line.fd, {0x3E}, 1), std::vector<uint8_t>{0x01});
}

TEST(SimStitcher, SoloMachineTogglesStitchingAndRaisesTheNeedleUnlessItFails) {
    SIM_LINE(line, {"--machine", "2"});
    WriteBytes(line.fd, {0x48, 1, 0x48, 0});
    EXPECT_TRUE(WaitForState(line.sim, "stitching", "1", 1000));
    EXPECT_EQ(NeedleSensor(line.fd), 0);  // the needle moves while stitching
    WriteBytes(line.fd, {0x48, 1, 0x48, 0});
    EXPECT_TRUE(WaitForState(line.sim, "stitching", "0", 1000));
    EXPECT_EQ(NeedleSensor(line.fd), 0);  // stopped with the needle down

    SimControl(line.sim, "needle-fail on");
    EXPECT_EQ(Exchange(line.fd, {0x31}, 1, 2000), std::vector<uint8_t>{0xFB});
    WriteBytes(line.fd, {0x49, 1, 0x49, 0});
    EXPECT_FALSE(NeedleSeenToRise(line.fd, 500));
    SimControl(line.sim, "needle-fail off");
    WriteBytes(line.fd, {0x49, 1});
    WriteBytes(line.fd, {0x49, 0});
    EXPECT_TRUE(NeedleSeenToRise(line.fd, 2000));
    EXPECT_EQ(NeedleSensor(line.fd), 1);
}

TEST(SimStitcher, NeedleArrivesOnlyAfterALongPressIsLetGo) {
    // The host checks the needle after it lets the button go; a press longer
    // than the needle's travel must still leave a 0 for it to see.
    SIM_LINE(line, {"--machine", "6"});
    WriteBytes(line.fd, {0x49, 1});
    Elapse(line.sim, line.fd, 450);
    EXPECT_EQ(NeedleSensor(line.fd), 0);
    WriteBytes(line.fd, {0x49, 0});
    EXPECT_TRUE(NeedleSeenToRise(line.fd, 2000));
}

TEST(SimStitcher, TwinMachineNeedsTheCommandButtonHeldInRobotModeOnly) {
    SIM_LINE(line, {"--machine", "1"});
    // The stitch-regulator button alone does nothing in robot mode.
    WriteBytes(line.fd, {0x48, 1, 0x48, 0});
    Elapse(line.sim, line.fd, 50);
    EXPECT_EQ(Stitching(line.sim), "0");
    // Held with the command button it toggles stitching.
    WriteBytes(line.fd, {0x4A, 1, 0x48, 1, 0x48, 0, 0x4A, 0});
    EXPECT_TRUE(WaitForState(line.sim, "stitching", "1", 1000));
    WriteBytes(line.fd, {0x4A, 1, 0x48, 1, 0x48, 0, 0x4A, 0});
    EXPECT_TRUE(WaitForState(line.sim, "stitching", "0", 1000));
    // Needle up alone: nothing; with the command button: the needle rises.
    WriteBytes(line.fd, {0x49, 1, 0x49, 0});
    Elapse(line.sim, line.fd, 250);
    EXPECT_EQ(NeedleSensor(line.fd), 0);
    WriteBytes(line.fd, {0x4A, 1, 0x49, 1, 0x49, 0, 0x4A, 0});
    EXPECT_TRUE(NeedleSeenToRise(line.fd, 2000));
    // A command press on its own jogs the needle down.
    WriteBytes(line.fd, {0x4A, 1, 0x4A, 0});
    ASSERT_TRUE(WaitForState(line.sim, "needle", "0", 1000));
    // Out of robot mode needle up alone raises the needle.
    EXPECT_EQ(SimControl(line.sim, "robot off"), "ok robot off");
    WriteBytes(line.fd, {0x49, 1, 0x49, 0});
    EXPECT_TRUE(NeedleSeenToRise(line.fd, 2000));
}

TEST(SimStitcher, Corvane18StitchesWhileTheButtonIsHeld) {
    SIM_LINE(line, {"--machine", "12"});
    WriteBytes(line.fd, {0x48, 1});
    EXPECT_TRUE(WaitForState(line.sim, "stitching", "1", 1000));
    WriteBytes(line.fd, {0x48, 1});  // still held: no change
    Elapse(line.sim, line.fd, 30);
    EXPECT_EQ(Stitching(line.sim), "1");
    WriteBytes(line.fd, {0x48, 0});
    EXPECT_TRUE(WaitForState(line.sim, "stitching", "0", 1000));
    // No needle-up button on this machine.
    WriteBytes(line.fd, {0x49, 1, 0x49, 0});
    Elapse(line.sim, line.fd, 250);
    EXPECT_EQ(NeedleSensor(line.fd), 0);
}

TEST(SimStitcher, MachineChangeFromControlStopsStitching) {
    SIM_LINE(line, {"--machine", "5"});
    WriteBytes(line.fd, {0x48, 1, 0x48, 0});
    ASSERT_TRUE(WaitForState(line.sim, "stitching", "1", 1000));
    EXPECT_EQ(SimControl(line.sim, "machine 0"), "ok machine 0");
    std::string state = SimControl(line.sim, "state");
    EXPECT_EQ(StateValue(state, "machine"), "0");
    EXPECT_EQ(StateValue(state, "stitching"), "0");
    WriteBytes(line.fd, {0x1D});
    EXPECT_TRUE(WaitForState(line.sim, "stitching", "1", 1000));
}

}  // namespace
