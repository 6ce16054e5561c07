// Moves, the queue and its status, halt and resume, home, hand pushes of the
// simulated board, on its held clock.
#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>

#include "sim_wire.h"

namespace {

using Head = std::vector<int32_t>;

// Completion times of the moves in the record file, in board ms since start.
std::vector<long> RecordTimes(const std::string& path) {
    std::istringstream in(ReadFileText(path));
    std::vector<long> times;
    for (std::string l; std::getline(in, l);)
        times.push_back(std::atol(l.c_str()));
    return times;
}

// A simulator at real speed whose clock moves only when stepped.
struct HeldLine : SimLine {
    HeldLine() { SimControl(sim, "clock hold"); }
    void Step(int ms) { StepClock(sim, fd, ms); }
    std::string State(const std::string& key) { return StateValue(SimControl(sim, "state"), key); }
};

TEST(SimMotion, HaltedQueueCountsFreePlacesAndRefusesWhenFullOrOnABadChecksum) {
    SIM_LINE(line);
    WriteBytes(line.fd, {0x2C});
    EXPECT_EQ(Exchange(line.fd, MoveFrame(150, 225, 0.5, 1), 1), ByteList{0x0C});
    ASSERT_TRUE(Accepted(line.fd, -150, -225, 0.5));  // negative fields sum as two's complement
    for (int i = 1; i < 5; ++i)
        ASSERT_TRUE(Accepted(line.fd, 100 * i, 0));
    EXPECT_EQ(BufferStatus(line.fd), 94);
    for (int i = 5; i < 99; ++i)
        ASSERT_TRUE(Accepted(line.fd, 100, 100));
    EXPECT_EQ(BufferStatus(line.fd), 0);
    EXPECT_EQ(Exchange(line.fd, MoveFrame(100, 100, 100), 1), ByteList{0x0C});
    const std::string state = SimControl(line.sim, "state");
    for (auto [key, value] : {std::pair{"queue", "99"}, {"refused", "2"}, {"executed", "0"}})
        EXPECT_EQ(StateValue(state, key), value) << key;
    // Clearing empties the queue without moving the head.
    WriteBytes(line.fd, {0x2D});
    EXPECT_EQ(BufferStatus(line.fd), 0xFD);
    EXPECT_EQ(HeadPosition(line.fd), (Head{0, 0}));
}

// 1 inch at feed 100 and speed 40 takes 250 ms, at feed 50 500 ms; feed 1 is
// raised to minimumSpeed * 10 / 6 = 3.33: 7.5 s. The record has one
// "time,x,y,feed,stitching" line per executed move.
TEST(SimMotion, TheHeldClockTimesEveryMoveHaltFreezesTheHeadAndStopsDropMoves) {
    HeldLine line;
    ASSERT_GE(line.fd, 0) << line.sim.error;
    ASSERT_TRUE(Accepted(line.fd, 1000, 0));
    ASSERT_TRUE(Accepted(line.fd, 1000, 1000.5));
    for (int poll = 0; poll < 20; ++poll) {  // what a stall watchdog sees, at once
        ASSERT_EQ(BufferStatus(line.fd), 98);
        ASSERT_EQ(HeadPosition(line.fd), (Head{0, 0}));
    }
    line.Step(125);
    EXPECT_EQ(HeadPosition(line.fd), (Head{500, 0}));
    line.Step(250);
    EXPECT_EQ(HeadPosition(line.fd), (Head{1000, 500}));
    EXPECT_EQ(BufferStatus(line.fd), 99);
    WriteBytes(line.fd, {0x1D});  // stitching on (machine 0)
    ASSERT_TRUE(Accepted(line.fd, 0, 1000, 50));
    ASSERT_TRUE(Accepted(line.fd, 0, 0, 1));
    line.Step(1000);
    EXPECT_EQ(line.State("moving"), "1");
    WriteBytes(line.fd, {0x2C});
    const Head halted = HeadPosition(line.fd);
    EXPECT_EQ(halted, (Head{0, 950}));  // 375 ms at 0.1333 in/s
    line.Step(20000);
    EXPECT_EQ(HeadPosition(line.fd), halted);
    EXPECT_EQ(line.State("moving"), "0");
    WriteBytes(line.fd, {0x19});
    line.Step(20000);
    ASSERT_EQ(BufferStatus(line.fd), 0xFD);
    const std::vector<long> t = RecordTimes(line.sim.recordPath);
    ASSERT_EQ(t.size(), 4u);
    const std::string rows =
        std::to_string(t[0]) + ",1000,0,100,0\n" + std::to_string(t[1]) + ",1000,1000.5,100,1\n";
    EXPECT_EQ(ReadFileText(line.sim.recordPath).substr(0, rows.size()), rows);
    EXPECT_NEAR(t[1] - t[0], 250, 1);
    EXPECT_NEAR(t[2] - t[1], 500, 1);
    EXPECT_NEAR(t[3] - t[2], 7500 + 20000, 1);  // halted for 20 s on the way

    // Doubling the speed setting halves the time; a stop drops the running
    // move, a clear the queue: neither is recorded.
    WriteBytes(line.fd, SetterFrame(0x37, 80));
    ASSERT_TRUE(Accepted(line.fd, 10000, 0));
    ASSERT_TRUE(Accepted(line.fd, 0, 0));
    line.Step(250);
    EXPECT_EQ(HeadPosition(line.fd), (Head{2000, 0}));
    WriteBytes(line.fd, {0x13, 0x2D, 0x19});  // the host's all-stop
    EXPECT_EQ(BufferStatus(line.fd), 0xFD);
    EXPECT_EQ(line.State("halted") + line.State("executed"), "04");
    WriteBytes(line.fd, {0x1A});  // set home
    EXPECT_EQ(HeadPosition(line.fd), (Head{0, 0}));
    ASSERT_TRUE(Accepted(line.fd, 100, -50));
    line.Step(100);
    EXPECT_EQ(HeadPosition(line.fd), (Head{100, -50}));
    // The needle travels by the board's clock too.
    WriteBytes(line.fd, {0x31});
    EXPECT_TRUE(ReadBytes(line.fd, 1, 100).empty());
    line.Step(300);
    EXPECT_EQ(ReadBytes(line.fd, 1, 1000), ByteList{0xFA});
    EXPECT_EQ(SimControl(line.sim, "clock run").rfind("ok held=0 t=", 0), 0u);
}

TEST(SimMotion, PushMovesOnlyDisabledAxesAndDisabledAxesAreNotDriven) {
    HeldLine line;
    ASSERT_GE(line.fd, 0) << line.sim.error;
    EXPECT_EQ(StateValue(SimControl(line.sim, "push 100 200"), "moved"), "none");
    WriteBytes(line.fd, {0x15});  // DisableX
    EXPECT_EQ(SimControl(line.sim, "push 100 200").rfind("ok moved=x", 0), 0u);
    EXPECT_EQ(HeadPosition(line.fd), (Head{100, 0}));
    EXPECT_EQ(line.State("xenabled"), "0");
    WriteBytes(line.fd, {0x17});  // DisableY
    EXPECT_EQ(StateValue(SimControl(line.sim, "push -50 30"), "moved"), "xy");
    EXPECT_EQ(HeadPosition(line.fd), (Head{50, 30}));
    // With Y enabled again a move drives Y only; X stays where it was pushed.
    WriteBytes(line.fd, {0x18});
    ASSERT_TRUE(Accepted(line.fd, 900, 900));
    line.Step(1000);
    EXPECT_EQ(HeadPosition(line.fd), (Head{50, 900}));
    WriteBytes(line.fd, {0x16});  // EnableX
    EXPECT_EQ(StateValue(SimControl(line.sim, "push 10 10"), "moved"), "none");
}

TEST(SimMotion, AxesWithoutIntegralGainRestShortAndAWornAxisCoversLess) {
    HeldLine line;
    ASSERT_GE(line.fd, 0) << line.sim.error;
    // The axis test's gains: X proportional 30, Y limp at 5, no I or D terms.
    for (auto [code, value] : std::vector<std::pair<uint8_t, int32_t>>{
             {0x01, 30}, {0x02, 0}, {0x03, 0}, {0x04, 5}, {0x05, 0}, {0x06, 0}})
        WriteBytes(line.fd, SetterFrame(code, value));
    for (int i = 1; i <= 10; ++i)
        ASSERT_TRUE(Accepted(line.fd, 400 * i, -380 * i));
    line.Step(5000);
    // Friction 1500 against Kp: 50 short on X, 300 on Y.
    EXPECT_EQ(HeadPosition(line.fd), (Head{3950, -3500}));
    // A worn X drive covers 0.8 of the way back; each axis stops at its band.
    EXPECT_EQ(SimControl(line.sim, "travel x 0.8"), "ok travel x 0.8");
    ASSERT_TRUE(Accepted(line.fd, 0, 0));
    line.Step(5000);
    EXPECT_EQ(HeadPosition(line.fd), (Head{850, -300}));
    // Integral gain pulls each axis onto what its drive delivered.
    WriteBytes(line.fd, SetterFrame(0x02, 8));
    WriteBytes(line.fd, SetterFrame(0x05, 8));
    EXPECT_EQ(HeadPosition(line.fd), (Head{800, 0}));
    // Without any gain an axis does not follow at all.
    WriteBytes(line.fd, SetterFrame(0x05, 0));
    WriteBytes(line.fd, SetterFrame(0x04, 0));
    ASSERT_TRUE(Accepted(line.fd, 1000, 1000));
    line.Step(5000);
    EXPECT_EQ(HeadPosition(line.fd), (Head{1600, 0}));
}

}  // namespace
