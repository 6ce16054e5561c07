// Faults injected through the control channel and how the board shows them
// on the line.
#include <gtest/gtest.h>

#include <algorithm>

#include "sim_wire.h"

namespace {

TEST(SimFaults, SilenceBusyStrayZeroRefusalsErrorWordAndStallLastUntilOffOrUsedUp) {
    SIM_LINE(line);
    EXPECT_EQ(SimControl(line.sim, "silence on"), "ok silence on");
    EXPECT_TRUE(Exchange(line.fd, {0x22}, 1, 300).empty());
    EXPECT_TRUE(Exchange(line.fd, MoveFrame(100, 100, 100), 1, 300).empty());
    EXPECT_EQ(StateValue(SimControl(line.sim, "state"), "queue"), "0");
    EXPECT_EQ(SimControl(line.sim, "silence off"), "ok silence off");

    EXPECT_EQ(SimControl(line.sim, "busy 2"), "ok busy 2");
    for (int status : {0xFF, 0xFF, 0xFD})
        EXPECT_EQ(BufferStatus(line.fd), status);
    EXPECT_EQ(SimControl(line.sim, "stray-zero"), "ok stray-zero");
    EXPECT_EQ(Exchange(line.fd, {0x22}, 2), (ByteList{0x00, 0xFD}));
    EXPECT_EQ(Exchange(line.fd, {0x22}, 2, 300), ByteList{0xFD});

    WriteBytes(line.fd, {0x2C});
    EXPECT_EQ(SimControl(line.sim, "refuse 2"), "ok refuse 2");
    for (int reply : {0x0C, 0x0C, 0x0B})
        EXPECT_EQ(Exchange(line.fd, MoveFrame(100, 0, 100), 1), ByteList{uint8_t(reply)});
    const std::string state = SimControl(line.sim, "state");
    EXPECT_EQ(StateValue(state, "refused") + StateValue(state, "queue"), "21");

    EXPECT_EQ(SimControl(line.sim, "error 5"), "ok error 5");
    for (int i = 0; i < 2; ++i)
        EXPECT_EQ(Exchange(line.fd, {0x22}, 5), (ByteList{0xFE, 5, 0, 0, 0}));
    EXPECT_EQ(Exchange(line.fd, {0x34}, 4), (ByteList{5, 0, 0, 0}));
    EXPECT_EQ(SimControl(line.sim, "error unreadable"), "ok error unreadable");
    EXPECT_EQ(Exchange(line.fd, {0x22}, 5, 300), ByteList{0xFE});
    EXPECT_TRUE(Exchange(line.fd, {0x34}, 4, 300).empty());
    EXPECT_EQ(SimControl(line.sim, "error clear"), "ok error cleared");
    EXPECT_EQ(Exchange(line.fd, {0x34}, 4), (ByteList{0, 0, 0, 0}));

    // A stall keeps the head where it is and the queue as it is.
    WriteBytes(line.fd, {0x2D, 0x19});
    EXPECT_EQ(SimControl(line.sim, "stall on"), "ok stall on");
    SimControl(line.sim, "clock hold");
    ASSERT_TRUE(Accepted(line.fd, 1000, 0));
    ASSERT_TRUE(Accepted(line.fd, 2000, 0));
    StepClock(line.sim, line.fd, 5000);  // both moves would be done without the stall
    EXPECT_EQ(HeadPosition(line.fd), (std::vector<int32_t>{0, 0}));
    EXPECT_EQ(BufferStatus(line.fd), 97);
    EXPECT_EQ(SimControl(line.sim, "stall off"), "ok stall off");
    StepClock(line.sim, line.fd, 5000);
    EXPECT_EQ(HeadPosition(line.fd), (std::vector<int32_t>{2000, 0}));
}

TEST(SimFaults, GarbleDamagesRepliesReproduciblyBySeed) {
    SIM_LINE(line);
    const ByteList polls(40, 0x22);
    EXPECT_EQ(SimControl(line.sim, "garble 1 0 7"), "ok garble flip=1 drop=0 seed=7");
    const ByteList flipped = Exchange(line.fd, polls, 40, 300);
    EXPECT_EQ(flipped.size(), 40u);
    for (uint8_t reply : flipped)  // one bit off 0xFD each time
        EXPECT_EQ(__builtin_popcount(reply ^ 0xFDu), 1) << int(reply);
    SimControl(line.sim, "garble 0.3 0.3 42");
    const ByteList first = Exchange(line.fd, polls, 40, 300);
    const std::string counts = SimControl(line.sim, "garble");
    SimControl(line.sim, "garble 0.3 0.3 42");
    EXPECT_EQ(Exchange(line.fd, polls, 40, 300), first);
    EXPECT_EQ(SimControl(line.sim, "garble"), counts);
    const long damaged =
        std::count_if(first.begin(), first.end(), [](uint8_t b) { return b != 0xFD; });
    EXPECT_EQ(StateValue(counts, "dropped"), std::to_string(40 - first.size()));
    EXPECT_EQ(StateValue(counts, "flipped"), std::to_string(damaged));
    EXPECT_TRUE(first.size() < 40 && damaged > 0) << counts;
    SimControl(line.sim, "garble off");
    EXPECT_EQ(Exchange(line.fd, polls, 40, 300), ByteList(40, 0xFD));
}

TEST(SimFaults, ControlRejectsMalformedCommands) {
    SIM_LINE(line);
    for (const std::string& bad : std::vector<std::string>{"",
                                                           "frobnicate",
                                                           "refuse",
                                                           "refuse -1",
                                                           "refuse x",
                                                           "busy 1 2",
                                                           "error",
                                                           "error 1x",
                                                           "silence maybe",
                                                           "machine 13",
                                                           "machine -1",
                                                           "stitcher-status 256",
                                                           "push 1",
                                                           "push a b",
                                                           "state extra",
                                                           "travel z 0.5",
                                                           "travel x 1.5",
                                                           "stitcher-link loose",
                                                           "buttons now",
                                                           "garble 2 0",
                                                           "garble 0.1",
                                                           "garble 0.1 0.1 -3",
                                                           "clock step x",
                                                           std::string(5000, 'a')}) {
        const std::string reply = SimControl(line.sim, bad);
        EXPECT_EQ(reply.rfind("error ", 0), 0u) << "'" << bad << "' -> " << reply;
    }
    // None of them changed anything.
    EXPECT_EQ(StateValue(SimControl(line.sim, "state"), "machine"), "0");
    EXPECT_TRUE(Accepted(line.fd, 10, 10));
}

}  // namespace
