// Faults injected through the control channel and how the board shows them
// on the line.
#include <gtest/gtest.h>

#include <algorithm>

#include "sim_wire.h"

namespace {

const std::vector<std::string> kFast = {"--time-scale", "200"};

TEST(SimFaults, SilenceBusyAndStrayZeroLastUntilSwitchedOffOrUsedUp) {
    SIM_LINE(line, kFast);
    EXPECT_EQ(SimControl(line.sim, "silence on"), "ok silence on");
    EXPECT_TRUE(Exchange(line.fd, {0x22}, 1, 300).empty());
    EXPECT_TRUE(Exchange(line.fd, MoveFrame(100, 100, 100), 1, 300).empty());
    EXPECT_EQ(StateValue(SimControl(line.sim, "state"), "queue"), "0");
    EXPECT_EQ(SimControl(line.sim, "silence off"), "ok silence off");
    EXPECT_EQ(BufferStatus(line.fd), 0xFD);

    EXPECT_EQ(SimControl(line.sim, "busy 2"), "ok busy 2");
    EXPECT_EQ(BufferStatus(line.fd), 0xFF);
    EXPECT_EQ(BufferStatus(line.fd), 0xFF);
    EXPECT_EQ(BufferStatus(line.fd), 0xFD);

    EXPECT_EQ(SimControl(line.sim, "stray-zero"), "ok stray-zero");
    EXPECT_EQ(Exchange(line.fd, {0x22}, 2), (std::vector<uint8_t>{0x00, 0xFD}));
    EXPECT_EQ(Exchange(line.fd, {0x22}, 2, 300), std::vector<uint8_t>{0xFD});
}

TEST(SimFaults, RefuseCountsDownThenAcceptsAgain) {
    SIM_LINE(line, kFast);
    WriteBytes(line.fd, {0x2C});
    EXPECT_EQ(SimControl(line.sim, "refuse 2"), "ok refuse 2");
    EXPECT_EQ(Exchange(line.fd, MoveFrame(100, 0, 100), 1), std::vector<uint8_t>{0x0C});
    EXPECT_EQ(Exchange(line.fd, MoveFrame(100, 0, 100), 1), std::vector<uint8_t>{0x0C});
    EXPECT_EQ(Exchange(line.fd, MoveFrame(100, 0, 100), 1), std::vector<uint8_t>{0x0B});
    std::string state = SimControl(line.sim, "state");
    EXPECT_EQ(StateValue(state, "refused"), "2");
    EXPECT_EQ(StateValue(state, "queue"), "1");
}

TEST(SimFaults, ErrorWordUntilCleared) {
    SIM_LINE(line, kFast);
    EXPECT_EQ(SimControl(line.sim, "error 5"), "ok error 5");
    for (int i = 0; i < 2; ++i) {
        std::vector<uint8_t> reply = Exchange(line.fd, {0x22}, 5);
        ASSERT_EQ(reply.size(), 5u);
        EXPECT_EQ(reply[0], 0xFE);
        EXPECT_EQ(Int32At(reply, 1), 5);
    }
    std::vector<uint8_t> word = Exchange(line.fd, {0x34}, 4);
    ASSERT_EQ(word.size(), 4u);
    EXPECT_EQ(Int32At(word, 0), 5);

    EXPECT_EQ(SimControl(line.sim, "error unreadable"), "ok error unreadable");
    EXPECT_EQ(Exchange(line.fd, {0x22}, 5, 300), std::vector<uint8_t>{0xFE});
    EXPECT_TRUE(Exchange(line.fd, {0x34}, 4, 300).empty());

    EXPECT_EQ(SimControl(line.sim, "error clear"), "ok error cleared");
    EXPECT_EQ(BufferStatus(line.fd), 0xFD);
    word = Exchange(line.fd, {0x34}, 4);
    ASSERT_EQ(word.size(), 4u);
    EXPECT_EQ(Int32At(word, 0), 0);
}

TEST(SimFaults, StallStopsTheHeadAndTheQueue) {
    SIM_LINE(line, {"--time-scale", "5"});
    EXPECT_EQ(SimControl(line.sim, "stall on"), "ok stall on");
    SimControl(line.sim, "clock hold");
    ASSERT_EQ(Exchange(line.fd, MoveFrame(1000, 0, 100), 1), std::vector<uint8_t>{0x0B});
    ASSERT_EQ(Exchange(line.fd, MoveFrame(2000, 0, 100), 1), std::vector<uint8_t>{0x0B});
    SimControl(line.sim, "clock step 5000");  // both moves would be done without the stall
    EXPECT_EQ(HeadPosition(line.fd), (std::vector<int32_t>{0, 0}));
    EXPECT_EQ(BufferStatus(line.fd), 97);
    EXPECT_EQ(StateValue(SimControl(line.sim, "state"), "moving"), "0");
    EXPECT_EQ(SimControl(line.sim, "stall off"), "ok stall off");
    SimControl(line.sim, "clock step 5000");
    ASSERT_EQ(BufferStatus(line.fd), 0xFD);
    EXPECT_EQ(HeadPosition(line.fd), (std::vector<int32_t>{2000, 0}));
}

// The replies to 40 status polls sent at once (fewer when bytes are lost).
std::vector<uint8_t> PollReplies(int fd) {
    return Exchange(fd, std::vector<uint8_t>(40, 0x22), 40, 300);
}

TEST(SimFaults, GarbleDamagesRepliesReproduciblyBySeed) {
    SIM_LINE(line, kFast);
    EXPECT_EQ(SimControl(line.sim, "garble 1 0 7"), "ok garble flip=1 drop=0 seed=7");
    std::vector<uint8_t> flipped = PollReplies(line.fd);
    EXPECT_EQ(flipped.size(), 40u);
    for (uint8_t reply : flipped)  // one bit off 0xFD each time
        EXPECT_EQ(__builtin_popcount(reply ^ 0xFDu), 1) << int(reply);
    SimControl(line.sim, "garble 0.3 0.3 42");
    std::vector<uint8_t> first = PollReplies(line.fd);
    std::string counts = SimControl(line.sim, "garble");
    SimControl(line.sim, "garble 0.3 0.3 42");
    EXPECT_EQ(PollReplies(line.fd), first);
    EXPECT_EQ(SimControl(line.sim, "garble"), counts);
    long damaged = std::count_if(first.begin(), first.end(), [](uint8_t b) { return b != 0xFD; });
    EXPECT_EQ(StateValue(counts, "dropped"), std::to_string(40 - first.size()));
    EXPECT_EQ(StateValue(counts, "flipped"), std::to_string(damaged));
    EXPECT_TRUE(first.size() < 40 && damaged > 0) << counts;
    SimControl(line.sim, "garble off");
    EXPECT_EQ(PollReplies(line.fd), std::vector<uint8_t>(40, 0xFD));
}

TEST(SimFaults, ControlRejectsMalformedCommands) {
    SIM_LINE(line, kFast);
    for (const char* bad : {"",
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
                            "garble 0.1 0.1 -3"}) {
        std::string reply = SimControl(line.sim, bad);
        EXPECT_EQ(reply.rfind("error ", 0), 0u) << "'" << bad << "' -> " << reply;
    }
    // None of them changed anything.
    std::string state = SimControl(line.sim, "state");
    EXPECT_EQ(StateValue(state, "machine"), "0");
    EXPECT_EQ(BufferStatus(line.fd), 0xFD);
    EXPECT_EQ(Exchange(line.fd, MoveFrame(10, 10, 100), 1), std::vector<uint8_t>{0x0B});
}

}  // namespace
