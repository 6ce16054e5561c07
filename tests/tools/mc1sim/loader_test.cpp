// The board's firmware loader: entering it, its reads and writes, the image
// it writes out, and the faults injected into it.
#include <gtest/gtest.h>

#include "sim_wire.h"

namespace {

const ByteList kEnterLoader = {0xFF, 0xFF, 0xFF, 0x3B};

// A loader command with a 3-byte address, low byte first, and its data.
ByteList At(uint8_t code, uint32_t address, const ByteList& data = {}) {
    ByteList frame = {code, uint8_t(address), uint8_t(address >> 8), uint8_t(address >> 16)};
    for (uint8_t b : data)
        frame.push_back(b);
    return frame;
}

// 32 instructions 0x5A0000 + k, each lowest byte first.
ByteList ProgramRow() {
    ByteList row;
    for (uint8_t k = 0; k < 32; ++k)
        row.insert(row.end(), {k, 0x00, 0x5A});
    return row;
}

const ByteList kAck = {0x01}, kNak = {0x00};

TEST(SimLoader, ReadsWritesAndWritesTheImageOut) {
    TempDir out;
    const std::string image = out.File("image.hex");
    SIM_LINE(line, {"--firmware-out", image});
    WriteBytes(line.fd, {0x2C});
    ASSERT_EQ(Exchange(line.fd, MoveFrame(500, 500, 100), 1), ByteList{0x0B});
    WriteBytes(line.fd, kEnterLoader);
    ByteList identity = Exchange(line.fd, {0x01, 0x01, 0x01, 0x01}, 96);
    ASSERT_EQ(identity.size(), 96u);
    EXPECT_EQ(std::string(identity.begin(), identity.begin() + 10), "MC1 loader");
    // The factory reset vector, upper byte first: a jump to 0x17C00.
    ByteList vector = Exchange(line.fd, At(0x02, 0), 97, 300);
    ASSERT_EQ(vector.size(), 96u) << "32 instructions of 3 bytes, nothing more";
    EXPECT_EQ(ByteList(vector.begin(), vector.begin() + 7),
              (ByteList{0x04, 0x7C, 0x00, 0x00, 0x00, 0x01, 0xFF}));
    ByteList eeprom = Exchange(line.fd, At(0x04, 0x7FF020), 32);
    ASSERT_EQ(eeprom.size(), 32u);
    EXPECT_EQ(ByteList(eeprom.begin(), eeprom.begin() + 2),
              (ByteList{0x4D, 0x30}));  // word 16 of the calibration data

    EXPECT_EQ(Exchange(line.fd, At(0x03, 0x40, ProgramRow()), 1), kAck);
    EXPECT_EQ(Exchange(line.fd, At(0x03, 0x41, ProgramRow()), 1), kNak);  // not a row start
    ByteList words(32, 0x00);
    words[0] = 0x34, words[1] = 0x12;
    EXPECT_EQ(Exchange(line.fd, At(0x05, 0x7FF040, words), 1), kAck);
    EXPECT_EQ(Exchange(line.fd, At(0x05, 0x800000, words), 1), kNak);  // beyond the EEPROM
    EXPECT_EQ(Exchange(line.fd, At(0x04, 0x7FEFFE), 1), kNak);         // before it
    EXPECT_EQ(Exchange(line.fd, {0x07, 0x00, 0xCD, 0xAB}, 1), kAck);
    for (int word = 1; word <= 6; ++word)  // words 1..6: leave 1..5, set 6
        EXPECT_EQ(Exchange(line.fd, {static_cast<uint8_t>(word < 6), 0x11, 0x22}, 1), kAck);
    ByteList back = Exchange(line.fd, At(0x02, 0x40), 96);
    ASSERT_EQ(back.size(), 96u);
    EXPECT_EQ(ByteList(back.begin() + 3, back.begin() + 6), (ByteList{0x5A, 0x00, 0x01}));
    EXPECT_EQ(StateValue(SimControl(line.sim, "loader"), "writes"), "9");
    EXPECT_TRUE(Exchange(line.fd, {0x22}, 1, 300).empty());  // the loader does not know it

    WriteBytes(line.fd, {0x08});
    EXPECT_EQ(BufferStatus(line.fd), 0xFD);  // the board again, its queue lost
    EXPECT_EQ(StateValue(SimControl(line.sim, "state"), "loader"), "0");
    // Reset vector, the written row, the EEPROM row, the configuration words.
    std::string hex = ReadFileText(image);
    for (const char* record : {":10000000007C040001000000FFFFFF00FFFFFF0075\n",
                               ":1000800000005A0001005A0002005A0003005A0002\n", ":0200000400FFFB\n",
                               ":10E08000341200000000000000000000000000004A\n", ":0200000401F009\n",
                               ":10000000CDAB00003F000000B38700000F310000BF\n",
                               ":1000100003000000FFFF000011220000008000002C\n"})
        EXPECT_NE(hex.find(record), std::string::npos) << record << "\n" << hex.substr(0, 300);
    EXPECT_EQ(hex.substr(hex.size() - 12), ":00000001FF\n");
}

TEST(SimLoader, FailedWritesLostAnswersAndAHungLoader) {
    SIM_LINE(line);
    WriteBytes(line.fd, kEnterLoader);
    EXPECT_EQ(SimControl(line.sim, "flash-fail 2"), "ok flash-fail 2");
    EXPECT_EQ(Exchange(line.fd, At(0x03, 0x80, ProgramRow()), 1), kNak);
    // A refused configuration word 0 is expected again with its 07.
    EXPECT_EQ(Exchange(line.fd, {0x07, 0x00, 0xCD, 0xAB}, 1), kNak);
    EXPECT_EQ(Exchange(line.fd, {0x07, 0x00, 0xCD, 0xAB}, 1), kAck);
    EXPECT_EQ(SimControl(line.sim, "lose-ack 1"), "ok lose-ack 1");
    EXPECT_TRUE(Exchange(line.fd, {0x00, 0x11, 0x22}, 1, 300).empty());
    // A refused later word is expected again without the 07.
    SimControl(line.sim, "flash-fail 1");
    EXPECT_EQ(Exchange(line.fd, {0x01, 0x00, 0x00}, 1), kNak);
    for (int word = 2; word <= 6; ++word)
        EXPECT_EQ(Exchange(line.fd, {0x01, 0x00, 0x00}, 1), kAck) << word;
    std::string loader = SimControl(line.sim, "loader");
    EXPECT_EQ(StateValue(loader, "writes"), "7") << loader;
    EXPECT_EQ(StateValue(loader, "refused"), "3") << loader;

    EXPECT_EQ(SimControl(line.sim, "loader-hang 1"), "ok loader-hang 1");
    EXPECT_EQ(Exchange(line.fd, {0x01, 0x01, 0x01, 0x01}, 96).size(), 96u);
    EXPECT_TRUE(Exchange(line.fd, At(0x02, 0), 96, 300).empty());
    EXPECT_EQ(StateValue(SimControl(line.sim, "loader"), "hung"), "1");
    SimControl(line.sim, "loader-hang off");
    EXPECT_EQ(Exchange(line.fd, At(0x02, 0), 96).size(), 96u);
}

}  // namespace
