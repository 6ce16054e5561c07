// The simulated board's parameter store, versions and motor direction, over a
// real pseudo-terminal.
#include <gtest/gtest.h>

#include "sim_wire.h"

namespace {

TEST(SimParameters, EverySetterChangesItsOwnFieldAndTheDirectionToggles) {
    SIM_LINE(line, {"--firmware", "1.26"});
    // Distinct values so a setter wired to the wrong field shows.
    const std::pair<uint8_t, int32_t> setters[] = {{0x01, 11}, {0x02, 12}, {0x03, 13}, {0x04, 14},
                                                   {0x05, 15}, {0x06, 16}, {0x08, 17}, {0x09, 18},
                                                   {0x35, 7},  {0x37, 55}, {0x39, 3},  {0x36, 6}};
    for (auto [code, value] : setters)
        ASSERT_TRUE(WriteBytes(line.fd, SetterFrame(code, value)));
    WriteBytes(line.fd, SetterFrame(0x44, 0x40200000));  // the slow speed, a float: 2.5
    const std::vector<uint8_t> constants =
        Exchange(line.fd, {0x0B, 0x0C, 0x24, 0x25, 0x26, 0x27, 0x28, 0x29}, 32);
    ASSERT_EQ(constants.size(), 32u);
    const int32_t want[] = {11, 12, 14, 15, 16, 17, 18, 13};
    for (int i = 0; i < 8; i++)
        EXPECT_EQ(Int32At(constants, 4 * i), want[i]) << i;
    EXPECT_EQ(Exchange(line.fd, {0x0E}, 4), (std::vector<uint8_t>{7, 55, 3, 6}));
    EXPECT_FLOAT_EQ(FloatAt(Exchange(line.fd, {0x42}, 4), 0), 2.5f);
    EXPECT_FLOAT_EQ(FloatAt(Exchange(line.fd, {0x3C}, 4), 0), 1.26f);
    // Stitch settings outside a byte are clamped, not wrapped.
    WriteBytes(line.fd, SetterFrame(0x37, 300));
    WriteBytes(line.fd, SetterFrame(0x35, -4));
    EXPECT_EQ(Exchange(line.fd, {0x0E}, 4), (std::vector<uint8_t>{0, 255, 3, 6}));

    const std::vector<uint8_t> direction = Exchange(line.fd, {0x38}, 1);
    EXPECT_TRUE(direction.size() == 1 && direction[0] != 0 && direction[0] != 0xC8);
    WriteBytes(line.fd, {0x41});
    EXPECT_EQ(Exchange(line.fd, {0x38}, 1), std::vector<uint8_t>{0xC8});
    WriteBytes(line.fd, {0x41});
    EXPECT_EQ(Exchange(line.fd, {0x38}, 1), direction);
}

}  // namespace
