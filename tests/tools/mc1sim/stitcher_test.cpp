// The stitcher behind the simulated board: status, needle and stitching for
// the machine types, on the board's held clock.
#include <gtest/gtest.h>

#include "sim_wire.h"

namespace {

TEST(SimStitcher, ANoisyLinkPutsAZeroBeforeEveryAnswerByteAndACutOneLosesThem) {
    SIM_LINE(line);
    EXPECT_EQ(SimControl(line.sim, "stitcher-link noisy"), "ok stitcher-link noisy");
    EXPECT_EQ(Exchange(line.fd, {0x3E}, 2), (ByteList{0x00, 0x01}));
    const ByteList version = Exchange(line.fd, {0x3D}, 8);
    ASSERT_EQ(version.size(), 8u);
    EXPECT_EQ(version[0] | version[2] | version[4] | version[6], 0);
    EXPECT_EQ(SimControl(line.sim, "stitcher-link cut"), "ok stitcher-link cut");
    EXPECT_TRUE(Exchange(line.fd, {0x3E}, 1, 300).empty());
    EXPECT_EQ(BufferStatus(line.fd), 0xFD);  // the board itself still answers
    SimControl(line.sim, "stitcher-link sound");
    EXPECT_EQ(Exchange(line.fd, {0x3E}, 1), ByteList{0x01});
}

// Button bytes (0x48 stitch regulator, 0x49 needle up, 0x4A command; then 1
// pressed, 0 let go) for each machine type, and what follows: stitching, and
// the needle sensor after `ms` of board time. A needle travels 300 ms after
// its button is let go.
TEST(SimStitcher, EachMachineTypeAnswersItsButtons) {
    SIM_LINE(line);
    SimControl(line.sim, "clock hold");
    const ByteList kRegulator = {0x48, 1, 0x48, 0}, kNeedle = {0x49, 1, 0x49, 0},
                   kCommandRegulator = {0x4A, 1, 0x48, 1, 0x48, 0, 0x4A, 0},
                   kCommandNeedle = {0x4A, 1, 0x49, 1, 0x49, 0, 0x4A, 0};
    const struct Step {
        const char* control;  // given first, or null
        ByteList buttons;
        int ms;
        const char* want;  // stitching, then the needle sensor
    } steps[] = {
        {"machine 2", kRegulator, 0, "10"},  // Solo: the needle moves while stitching
        {nullptr, kRegulator, 0, "00"},      // and stops down
        {"needle-fail on", kNeedle, 500, "00"},
        {"needle-fail off", {0x49, 1}, 0, "00"},
        {nullptr, {0x49, 0}, 299, "00"},
        {nullptr, {}, 1, "01"},
        {"machine 6", {0x49, 1}, 450, "00"},  // a press longer than the travel
        {nullptr, {0x49, 0}, 0, "00"},
        {nullptr, {}, 300, "01"},
        {"machine 1", kRegulator, 50, "01"},  // Twin in robot mode: alone, nothing
        {nullptr, kCommandRegulator, 0, "10"},
        {nullptr, kCommandRegulator, 0, "00"},
        {nullptr, kNeedle, 300, "00"},
        {nullptr, kCommandNeedle, 300, "01"},
        {nullptr, {0x4A, 1, 0x4A, 0}, 300, "00"},  // a command press alone jogs it down
        {"robot off", kNeedle, 300, "01"},
        {"machine 12", {0x48, 1}, 0, "10"},  // Corvane 18: stitches while held
        {nullptr, {0x48, 1}, 30, "10"},
        {nullptr, {0x48, 0}, 0, "00"},
        {nullptr, kNeedle, 300, "00"},  // no needle-up button
        {"machine 5", kRegulator, 0, "10"},
        {"machine 0", {}, 0, "01"},  // a machine change stops stitching
        {nullptr, {0x1D}, 0, "10"},
    };
    for (const Step& s : steps) {
        if (s.control) {
            EXPECT_EQ(SimControl(line.sim, s.control).rfind("ok", 0), 0u) << s.control;
        }
        WriteBytes(line.fd, s.buttons);
        StepClock(line.sim, line.fd, s.ms);
        const ByteList sensor = Exchange(line.fd, {0x4B}, 1, 500);
        EXPECT_EQ(StateValue(SimControl(line.sim, "state"), "stitching") +
                      (sensor.size() == 1 ? std::to_string(sensor[0]) : "-"),
                  s.want)
            << (&s - steps);
    }
    SimControl(line.sim, "needle-fail on");
    WriteBytes(line.fd, {0x31});
    StepClock(line.sim, line.fd, 300);
    EXPECT_EQ(ReadBytes(line.fd, 1, 1000), ByteList{0xFB});
}

}  // namespace
