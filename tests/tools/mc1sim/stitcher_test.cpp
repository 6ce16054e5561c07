// The stitcher behind the simulated board: status, needle and stitching for
// the machine types.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

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

TEST(SimStitcher, MethodZeroStatusStitchingAndNeedle) {
    SIM_LINE(line);
    EXPECT_EQ(Exchange(line.fd, {0x3E}, 1), std::vector<uint8_t>{1});
    EXPECT_EQ(SimControl(line.sim, "stitcher-status 0x21"), "ok stitcher-status 33");
    EXPECT_EQ(Exchange(line.fd, {0x3E}, 1), std::vector<uint8_t>{0x21});

    WriteBytes(line.fd, {0x1D});
    EXPECT_TRUE(WaitForState(line.sim, "stitching", "1", 1000));
    WriteBytes(line.fd, {0x1E});
    EXPECT_TRUE(WaitForState(line.sim, "stitching", "0", 1000));

    // The needle-up answer comes after a short delay, not at once.
    DrainBytes(line.fd);
    WriteBytes(line.fd, {0x31});
    EXPECT_TRUE(ReadBytes(line.fd, 1, 50).empty());
    EXPECT_EQ(ReadBytes(line.fd, 1, 2000), std::vector<uint8_t>{0xFA});

    EXPECT_EQ(SimControl(line.sim, "needle-fail on"), "ok needle-fail on");
    EXPECT_EQ(Exchange(line.fd, {0x31}, 1, 2000), std::vector<uint8_t>{0xFB});

    // This machine ignores the buttons; their frames are consumed in step.
    WriteBytes(line.fd, {0x48, 1, 0x48, 0});
    EXPECT_EQ(BufferStatus(line.fd), 0xFD);
    EXPECT_EQ(Stitching(line.sim), "0");
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

TEST(SimStitcher, ButtonEventsAreListedInTheOrderReceived) {
    SIM_LINE(line, {"--machine", "1"});
    WriteBytes(line.fd, {0x4A, 1, 0x48, 1, 0x48, 0, 0x4A, 0, 0x49, 1});
    ASSERT_TRUE(WaitForState(line.sim, "stitching", "1", 1000));
    std::string reply = SimControl(line.sim, "buttons");
    EXPECT_EQ(StateValue(reply, "count"), "5");
    std::string events = StateValue(reply, "events");
    std::vector<std::string> order;
    double last = 0;
    for (size_t at = 0; at < events.size();) {
        size_t end = std::min(events.find(',', at), events.size());
        std::string event = events.substr(at, end - at);
        double t = std::atof(event.c_str());
        EXPECT_GE(t, last) << events;
        last = t;
        order.push_back(event.substr(event.find(':') + 1));
        at = end + 1;
    }
    EXPECT_EQ(order, (std::vector<std::string>{"4A:1", "48:1", "48:0", "4A:0", "49:1"}));
    EXPECT_EQ(SimControl(line.sim, "buttons clear"), "ok buttons cleared");
    EXPECT_EQ(SimControl(line.sim, "buttons"), "ok count=0 events=");
}

TEST(SimStitcher, SoloMachineTogglesStitchingAndRaisesTheNeedle) {
    SIM_LINE(line, {"--machine", "2"});
    WriteBytes(line.fd, {0x48, 1, 0x48, 0});
    EXPECT_TRUE(WaitForState(line.sim, "stitching", "1", 1000));
    EXPECT_EQ(NeedleSensor(line.fd), 0);  // the needle moves while stitching
    WriteBytes(line.fd, {0x48, 1, 0x48, 0});
    EXPECT_TRUE(WaitForState(line.sim, "stitching", "0", 1000));
    EXPECT_EQ(NeedleSensor(line.fd), 0);  // stopped with the needle down

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

TEST(SimStitcher, NeedleFailKeepsTheSensorFromConfirming) {
    SIM_LINE(line, {"--machine", "3"});
    WriteBytes(line.fd, {0x48, 1, 0x48, 0, 0x48, 1, 0x48, 0});  // stitch on and off: needle down
    ASSERT_TRUE(WaitForState(line.sim, "needle", "0", 1000));
    SimControl(line.sim, "needle-fail on");
    WriteBytes(line.fd, {0x49, 1, 0x49, 0});
    EXPECT_FALSE(NeedleSeenToRise(line.fd, 500));
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

TEST(SimStitcher, StitchingColumnOfTheRecordFollowsTheButtons) {
    SIM_LINE(line, {"--machine", "4", "--time-scale", "200"});
    ASSERT_EQ(Exchange(line.fd, MoveFrame(100, 0, 100), 1), std::vector<uint8_t>{0x0B});
    ASSERT_TRUE(WaitForIdle(line.fd, 2000));
    WriteBytes(line.fd, {0x48, 1, 0x48, 0});
    ASSERT_EQ(Exchange(line.fd, MoveFrame(200, 0, 100), 1), std::vector<uint8_t>{0x0B});
    ASSERT_TRUE(WaitForIdle(line.fd, 2000));
    std::string record = ReadFileText(line.sim.recordPath);
    EXPECT_NE(record.find(",100,0,100,0\n"), std::string::npos) << record;
    EXPECT_NE(record.find(",200,0,100,1\n"), std::string::npos) << record;
}

}  // namespace
