// The simulated board's parameter store, versions and motor direction, over a
// real pseudo-terminal.
#include <gtest/gtest.h>

#include "sim_wire.h"

namespace {

const std::vector<uint8_t> kConstantsRequest = {0x0B, 0x0C, 0x24, 0x25, 0x26, 0x27, 0x28, 0x29};

std::vector<int32_t> Constants(int fd) {
    std::vector<uint8_t> reply = Exchange(fd, kConstantsRequest, 32);
    std::vector<int32_t> values;
    for (size_t i = 0; i + 4 <= reply.size(); i += 4)
        values.push_back(Int32At(reply, i));
    return values;
}

TEST(SimParameters, StartWithFactoryDefaultsInReplyOrder) {
    SIM_LINE(line);
    // XKp, XKi, YKp, YKi, YKd, Err, TOut, XKd
    EXPECT_EQ(Constants(line.fd), (std::vector<int32_t>{30, 8, 30, 8, 40, 100, 100, 40}));
    EXPECT_EQ(Exchange(line.fd, {0x0E}, 4), (std::vector<uint8_t>{5, 40, 2, 4}));
    std::vector<uint8_t> slow = Exchange(line.fd, {0x42}, 4);
    ASSERT_EQ(slow.size(), 4u);
    EXPECT_FLOAT_EQ(FloatAt(slow, 0), 5.0f);
    std::vector<uint8_t> version = Exchange(line.fd, {0x3C}, 4);
    ASSERT_EQ(version.size(), 4u);
    EXPECT_FLOAT_EQ(FloatAt(version, 0), 1.30f);
}

TEST(SimParameters, EverySetterChangesWhatTheRequestsReturn) {
    SIM_LINE(line);
    // Distinct values so a setter wired to the wrong field shows.
    const std::pair<uint8_t, int32_t> setters[] = {{0x01, 11}, {0x02, 12}, {0x03, 13}, {0x04, 14},
                                                   {0x05, 15}, {0x06, 16}, {0x08, 17}, {0x09, 18},
                                                   {0x35, 7},  {0x37, 55}, {0x39, 3},  {0x36, 6}};
    std::vector<uint8_t> all;
    for (auto [code, value] : setters) {
        std::vector<uint8_t> frame = SetterFrame(code, value);
        all.insert(all.end(), frame.begin(), frame.end());
    }
    std::vector<uint8_t> slow = {0x44, 0, 0, 0, 0};
    float value = 2.5f;
    std::memcpy(&slow[1], &value, 4);
    all.insert(all.end(), slow.begin(), slow.end());
    ASSERT_TRUE(WriteBytes(line.fd, all));

    EXPECT_EQ(Constants(line.fd), (std::vector<int32_t>{11, 12, 14, 15, 16, 17, 18, 13}));
    EXPECT_EQ(Exchange(line.fd, {0x0E}, 4), (std::vector<uint8_t>{7, 55, 3, 6}));
    std::vector<uint8_t> reply = Exchange(line.fd, {0x42}, 4);
    ASSERT_EQ(reply.size(), 4u);
    EXPECT_FLOAT_EQ(FloatAt(reply, 0), 2.5f);
    std::string params = SimControl(line.sim, "params");
    EXPECT_EQ(StateValue(params, "speed"), "55");
    EXPECT_EQ(StateValue(params, "slow"), "2.5");
    // Stitch settings outside a byte are clamped, not wrapped.
    WriteBytes(line.fd, SetterFrame(0x37, 300));
    WriteBytes(line.fd, SetterFrame(0x35, -4));
    EXPECT_EQ(Exchange(line.fd, {0x0E}, 4), (std::vector<uint8_t>{0, 255, 3, 6}));
}

TEST(SimParameters, VersionsAndMotorDirection) {
    SIM_LINE(line, {"--firmware", "1.26"});
    std::vector<uint8_t> version = Exchange(line.fd, {0x3C}, 4);
    ASSERT_EQ(version.size(), 4u);
    EXPECT_FLOAT_EQ(FloatAt(version, 0), 1.26f);
    std::vector<uint8_t> stitcher = Exchange(line.fd, {0x3D}, 4);
    ASSERT_EQ(stitcher.size(), 4u);
    EXPECT_GT(FloatAt(stitcher, 0), 0.0f);

    std::vector<uint8_t> direction = Exchange(line.fd, {0x38}, 1);
    ASSERT_EQ(direction.size(), 1u);
    EXPECT_NE(direction[0], 0xC8);
    EXPECT_NE(direction[0], 0);  // the host reads it with zero not allowed
    WriteBytes(line.fd, {0x41});
    EXPECT_EQ(Exchange(line.fd, {0x38}, 1), std::vector<uint8_t>{0xC8});
    WriteBytes(line.fd, {0x41});
    EXPECT_EQ(Exchange(line.fd, {0x38}, 1), direction);
}

}  // namespace
