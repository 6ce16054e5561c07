// Moves, the queue and its status, halt and resume, home and hand pushes of
// the simulated board.
#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>

#include "sim_wire.h"

namespace {

const std::vector<std::string> kFast = {"--time-scale", "200"};

// Completion times of the moves in the record file, in ms since start.
std::vector<long> RecordTimes(const std::string& path) {
    std::istringstream in(ReadFileText(path));
    std::vector<long> times;
    for (std::string l; std::getline(in, l);)
        times.push_back(std::atol(l.c_str()));
    return times;
}

TEST(SimMotion, MovesReachTheirTargetsAndTheRecordHasEachExecutedMove) {
    SIM_LINE(line, kFast);
    EXPECT_EQ(BufferStatus(line.fd), 0xFD);  // nothing queued at start
    ASSERT_TRUE(Accepted(line.fd, 1500, 2250, 0.5));
    ASSERT_TRUE(WaitForIdle(line.fd, 20000));
    WriteBytes(line.fd, {0x1D});  // stitching on (machine 0)
    ASSERT_TRUE(Accepted(line.fd, -300, 400.5));
    ASSERT_TRUE(WaitForIdle(line.fd, 3000));
    EXPECT_EQ(HeadPosition(line.fd), (std::vector<int32_t>{-300, 401}));
    const std::string state = SimControl(line.sim, "state");
    EXPECT_EQ(StateValue(state, "executed"), "2");
    EXPECT_EQ(StateValue(state, "moving"), "0");
    // A move cleared before it finishes is not recorded.
    WriteBytes(line.fd, {0x2C});
    ASSERT_TRUE(Accepted(line.fd, 0, 0));
    WriteBytes(line.fd, {0x2D, 0x19});  // cleared, then resumed
    EXPECT_EQ(BufferStatus(line.fd), 0xFD);
    // One "time,x,y,feed,stitching" line per move, in order.
    const std::vector<long> t = RecordTimes(line.sim.recordPath);
    ASSERT_EQ(t.size(), 2u);
    EXPECT_GE(t[1], t[0]);
    EXPECT_EQ(ReadFileText(line.sim.recordPath), std::to_string(t[0]) + ",1500,2250,0.5,0\n" +
                                                     std::to_string(t[1]) + ",-300,400.5,100,1\n");
    WriteBytes(line.fd, {0x1A});  // set home
    EXPECT_EQ(HeadPosition(line.fd), (std::vector<int32_t>{0, 0}));
    ASSERT_TRUE(Accepted(line.fd, 100, -50));
    ASSERT_TRUE(WaitForIdle(line.fd, 3000));
    EXPECT_EQ(HeadPosition(line.fd), (std::vector<int32_t>{100, -50}));
}

TEST(SimMotion, HaltedQueueCountsFreePlacesAndRefusesWhenFullOrOnABadChecksum) {
    SIM_LINE(line, kFast);
    WriteBytes(line.fd, {0x2C});
    EXPECT_EQ(Exchange(line.fd, MoveFrame(150, 225, 0.5, 1), 1), std::vector<uint8_t>{0x0C});
    EXPECT_EQ(BufferStatus(line.fd), 0xFD);
    ASSERT_TRUE(Accepted(line.fd, -150, -225, 0.5));  // negative fields sum as two's complement
    for (int i = 1; i < 5; ++i)
        ASSERT_TRUE(Accepted(line.fd, 100 * i, 0));
    EXPECT_EQ(BufferStatus(line.fd), 94);
    EXPECT_EQ(StateValue(SimControl(line.sim, "state"), "queue"), "5");
    for (int i = 5; i < 99; ++i)
        ASSERT_TRUE(Accepted(line.fd, 100, 100));
    EXPECT_EQ(BufferStatus(line.fd), 0);
    EXPECT_EQ(Exchange(line.fd, MoveFrame(100, 100, 100), 1), std::vector<uint8_t>{0x0C});
    const std::string state = SimControl(line.sim, "state");
    EXPECT_EQ(StateValue(state, "queue"), "99");
    EXPECT_EQ(StateValue(state, "refused"), "2");
    EXPECT_EQ(StateValue(state, "executed"), "0");
    EXPECT_EQ(StateValue(state, "halted"), "1");
    // Clearing empties the queue without moving the head.
    WriteBytes(line.fd, {0x2D});
    EXPECT_EQ(BufferStatus(line.fd), 0xFD);
    EXPECT_EQ(HeadPosition(line.fd), (std::vector<int32_t>{0, 0}));
}

TEST(SimMotion, HaltFreezesTheHeadAndResumeFinishesTheMove) {
    SIM_LINE(line);  // 10 inches at 4 in/s: 2.5 s
    SimControl(line.sim, "clock hold");
    ASSERT_TRUE(Accepted(line.fd, 10000, 0));
    SimControl(line.sim, "clock step 500");
    EXPECT_EQ(StateValue(SimControl(line.sim, "state"), "moving"), "1");
    WriteBytes(line.fd, {0x2C});
    std::vector<int32_t> halted = HeadPosition(line.fd);
    EXPECT_EQ(halted, (std::vector<int32_t>{2000, 0}));
    EXPECT_EQ(BufferStatus(line.fd), 99);  // the move is held, nothing waits
    SimControl(line.sim, "clock step 5000");
    EXPECT_EQ(HeadPosition(line.fd), halted);
    EXPECT_EQ(StateValue(SimControl(line.sim, "state"), "moving"), "0");
    WriteBytes(line.fd, {0x19});
    SimControl(line.sim, "clock step 5000");
    ASSERT_EQ(BufferStatus(line.fd), 0xFD);
    EXPECT_EQ(HeadPosition(line.fd), (std::vector<int32_t>{10000, 0}));
}

TEST(SimMotion, StopDropsTheRunningMoveAndAllStopLeavesTheBoardReady) {
    SIM_LINE(line, {"--time-scale", "2"});
    ASSERT_TRUE(Accepted(line.fd, 10000, 0));
    ASSERT_TRUE(Accepted(line.fd, 0, 0));
    ASSERT_TRUE(WaitForState(line.sim, "moving", "1", 1000));
    WriteBytes(line.fd, {0x13, 0x2D, 0x19});  // the host's all-stop
    EXPECT_EQ(BufferStatus(line.fd), 0xFD);
    std::vector<int32_t> stopped = HeadPosition(line.fd);
    EXPECT_LT(stopped[0], 10000);
    std::string state = SimControl(line.sim, "state");
    EXPECT_EQ(StateValue(state, "halted"), "0");
    EXPECT_EQ(StateValue(state, "executed"), "0");
    // The board takes new moves at once.
    ASSERT_TRUE(Accepted(line.fd, 0, 500));
    ASSERT_TRUE(WaitForIdle(line.fd, 3000));
    EXPECT_EQ(HeadPosition(line.fd), (std::vector<int32_t>{0, 500}));
}

TEST(SimMotion, SpeedFollowsFeedMinimumAndSpeedSetting) {
    // Queued while halted and run back to back, the moves' durations come from
    // the model alone: 1 inch at feed 100 and speed 40 takes 250 ms, at feed 50
    // 500 ms, and feed 1 is raised to minimumSpeed * 10 / 6 = 3.33: 7.5 s. The
    // time scale divides them all by 10.
    SIM_LINE(line, {"--time-scale", "10"});
    WriteBytes(line.fd, {0x2C});
    ASSERT_TRUE(Accepted(line.fd, 1000, 0));
    ASSERT_TRUE(Accepted(line.fd, 1000, 1000, 50));
    ASSERT_TRUE(Accepted(line.fd, 0, 1000, 1));
    WriteBytes(line.fd, {0x19});
    ASSERT_TRUE(WaitForIdle(line.fd, 5000));
    std::vector<long> t = RecordTimes(line.sim.recordPath);
    ASSERT_EQ(t.size(), 3u);
    EXPECT_NEAR(t[1] - t[0], 50, 2);
    EXPECT_NEAR(t[2] - t[1], 750, 2);

    // Doubling the speed setting halves the time.
    WriteBytes(line.fd, {0x2C});
    WriteBytes(line.fd, SetterFrame(0x37, 80));
    ASSERT_TRUE(Accepted(line.fd, 1000, 1000));
    ASSERT_TRUE(Accepted(line.fd, 1000, 0, 50));
    WriteBytes(line.fd, {0x19});
    ASSERT_TRUE(WaitForIdle(line.fd, 5000));
    t = RecordTimes(line.sim.recordPath);
    ASSERT_EQ(t.size(), 5u);
    EXPECT_NEAR(t[4] - t[3], 25, 2);
}

TEST(SimMotion, PushMovesOnlyDisabledAxesAndDisabledAxesAreNotDriven) {
    SIM_LINE(line, kFast);
    std::string reply = SimControl(line.sim, "push 100 200");
    EXPECT_EQ(StateValue(reply, "moved"), "none");
    EXPECT_EQ(HeadPosition(line.fd), (std::vector<int32_t>{0, 0}));

    WriteBytes(line.fd, {0x15});  // DisableX
    reply = SimControl(line.sim, "push 100 200");
    EXPECT_EQ(reply.rfind("ok", 0), 0u) << reply;
    EXPECT_EQ(StateValue(reply, "moved"), "x");
    EXPECT_EQ(HeadPosition(line.fd), (std::vector<int32_t>{100, 0}));
    EXPECT_EQ(StateValue(SimControl(line.sim, "state"), "xenabled"), "0");

    WriteBytes(line.fd, {0x17});  // DisableY
    EXPECT_EQ(StateValue(SimControl(line.sim, "push -50 30"), "moved"), "xy");
    EXPECT_EQ(HeadPosition(line.fd), (std::vector<int32_t>{50, 30}));

    // With Y enabled again a move drives Y only; X stays where it was pushed.
    WriteBytes(line.fd, {0x18});
    ASSERT_TRUE(Accepted(line.fd, 900, 900));
    ASSERT_TRUE(WaitForIdle(line.fd, 3000));
    EXPECT_EQ(HeadPosition(line.fd), (std::vector<int32_t>{50, 900}));
    WriteBytes(line.fd, {0x16});  // EnableX
    EXPECT_EQ(StateValue(SimControl(line.sim, "push 10 10"), "moved"), "none");
}

TEST(SimMotion, AxesWithoutIntegralGainRestShortAndAWornAxisCoversLess) {
    SIM_LINE(line, kFast);
    // The axis test's gains: X proportional 30, Y limp at 5, no I or D terms.
    for (auto [code, value] : std::vector<std::pair<uint8_t, int32_t>>{
             {0x01, 30}, {0x02, 0}, {0x03, 0}, {0x04, 5}, {0x05, 0}, {0x06, 0}})
        WriteBytes(line.fd, SetterFrame(code, value));
    for (int i = 1; i <= 10; ++i)
        ASSERT_TRUE(Accepted(line.fd, 400 * i, -380 * i));
    ASSERT_TRUE(WaitForIdle(line.fd, 3000));
    // Friction 1500 against Kp: 50 short on X, 300 on Y.
    EXPECT_EQ(HeadPosition(line.fd), (std::vector<int32_t>{3950, -3500}));

    // A worn X drive covers 0.8 of the way back; each axis stops at its band.
    EXPECT_EQ(SimControl(line.sim, "travel x 0.8"), "ok travel x 0.8");
    ASSERT_TRUE(Accepted(line.fd, 0, 0));
    ASSERT_TRUE(WaitForIdle(line.fd, 3000));
    EXPECT_EQ(HeadPosition(line.fd), (std::vector<int32_t>{850, -300}));
    // Integral gain pulls each axis onto what its drive delivered.
    WriteBytes(line.fd, SetterFrame(0x02, 8));
    WriteBytes(line.fd, SetterFrame(0x05, 8));
    EXPECT_EQ(HeadPosition(line.fd), (std::vector<int32_t>{800, 0}));
    // Without any gain an axis does not follow at all.
    WriteBytes(line.fd, SetterFrame(0x05, 0));
    WriteBytes(line.fd, SetterFrame(0x04, 0));
    ASSERT_TRUE(Accepted(line.fd, 1000, 1000));
    ASSERT_TRUE(WaitForIdle(line.fd, 3000));
    EXPECT_EQ(HeadPosition(line.fd), (std::vector<int32_t>{1600, 0}));
}

TEST(SimMotion, AHeldClockChangesNothingUntilItIsStepped) {
    SIM_LINE(line);  // real speed: 4 inches per second
    EXPECT_EQ(SimControl(line.sim, "clock hold").rfind("ok held=1 t=", 0), 0u);
    ASSERT_TRUE(Accepted(line.fd, 1000, 0));
    ASSERT_TRUE(Accepted(line.fd, 1000, 1000));
    for (int poll = 0; poll < 100; ++poll) {  // what a stall watchdog sees, at once
        ASSERT_EQ(BufferStatus(line.fd), 98);
        ASSERT_EQ(HeadPosition(line.fd), (std::vector<int32_t>{0, 0}));
    }
    SimControl(line.sim, "clock step 125");
    EXPECT_EQ(HeadPosition(line.fd), (std::vector<int32_t>{500, 0}));
    SimControl(line.sim, "clock step 250");
    EXPECT_EQ(HeadPosition(line.fd), (std::vector<int32_t>{1000, 500}));
    EXPECT_EQ(BufferStatus(line.fd), 99);
    SimControl(line.sim, "clock step 1000");
    EXPECT_EQ(BufferStatus(line.fd), 0xFD);
    std::vector<long> t = RecordTimes(line.sim.recordPath);
    ASSERT_EQ(t.size(), 2u);
    EXPECT_NEAR(t[1] - t[0], 250, 1);
    // The needle travels by the board's clock too.
    WriteBytes(line.fd, {0x31});
    EXPECT_TRUE(ReadBytes(line.fd, 1, 100).empty());
    SimControl(line.sim, "clock step 300");
    EXPECT_EQ(ReadBytes(line.fd, 1, 1000), std::vector<uint8_t>{0xFA});
    EXPECT_EQ(SimControl(line.sim, "clock run").rfind("ok held=0 t=", 0), 0u);
}

}  // namespace
