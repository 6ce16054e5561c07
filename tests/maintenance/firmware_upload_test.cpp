// The HEX reader and the upload's exchange with a scripted loader on a
// pseudo-terminal; the program's waits run on the manual clock.
#include <cstdio>
#include <memory>

#include "base/timers.h"
#include "machine/firmware_upload.h"
#include "machine/hex_image.h"
#include "machine/serial_link.h"
#include "maintenance/checksum_file.h"
#include "maintenance/firmware_update.h"
#include "maintenance_test.h"
#include "support/captured_log.h"
#include "support/hex_records.h"
#include "support/pty_line.h"

namespace {

// Program rows 0 and 5, EEPROM rows 0 and 2, configuration word 0.
std::string Firmware() {
    return HexUpper(0) + HexRecord(0, 0, {0x00, 0x01, 0x04, 0x00, 0x00, 0x00, 0x00, 0x00}) +
           HexRecord(0, 8, {0x11, 0x22, 0x33, 0x00}) +
           HexRecord(0, 640, {0xAA, 0xBB, 0xCC, 0x00, 0xDD, 0xEE, 0xFF, 0x00}) + HexUpper(0xFF) +
           HexRecord(0, 0xE000, {0x12, 0x34, 0, 0, 0x56, 0x78, 0, 0}) +
           HexRecord(0, 0xE080, {0x9A, 0xBC, 0, 0}) + HexUpper(0x1F0) +
           HexRecord(0, 0, {0xC3, 0xF0, 0, 0}) + HexRecord(1, 0, {});
}

// A file reading the text (which must outlive it).
std::unique_ptr<FILE, int (*)(FILE*)> Open(std::string& text) {
    return {fmemopen(text.data(), text.size(), "r"), std::fclose};
}

std::string Row(const std::string& start, size_t size) {
    return start + std::string(size - start.size(), '\xFF');
}

struct UploadTest : ::testing::Test {
    void SetUp() override {
        SetSerialDevicePath(line.slavePath);
        ASSERT_GE(OpenPort(), 0);
        UseManualClock();
    }
    void TearDown() override {
        UseRealClock();
        ClosePort();
        SetSerialDevicePath("");
    }
    int Send(std::string text) { return SendHexFile(Open(text).get(), fast); }
    PtyLine line;
    LoaderTiming fast{100, 20, 150, 0};
};

TEST(HexImage, RefusesBadFilesAndKeepsEveryWordInItsBlock) {
    const struct {
        std::string text;
        int result;
        int line;
    } cases[] = {
        {Firmware(), kHexRead, 10},
        {"\n" + HexRecord(0, 0, {1, 2, 3, 4}).insert(19, "\r"), kHexRead, 2},
        {HexRecord(0, 0, {1, 2, 3, 4}).replace(9, 1, "2"), kHexMalformed, 1},  // checksum
        {":0400000001020304\n", kHexMalformed, 1},                             // short
        {"0400000001020304F2\n", kHexMalformed, 1},                            // no colon
        {":04000000010203G4F2\n", kHexMalformed, 1},
        {HexRecord(0, 0, {1, 2, 3}), kHexMalformed, 1},  // odd count
        {HexRecord(0, 1, {1, 2}), kHexMalformed, 1},     // odd address
        {":" + std::string(2050, '0') + "\n", kHexMalformed, 1},
        {HexRecord(0, 0, {1, 2}) + HexRecord(2, 0, {0x10, 0}), kHexBadRecordType, 2},
        {HexRecord(3, 0, {0, 0, 0, 0}), kHexBadRecordType, 1},
        {HexUpper(0x10) + HexRecord(0, 0, {1, 2}), kHexWordOutside, 2},
        {HexUpper(0x1F0) + HexRecord(0, 4, {1, 2}), kHexRead, 2},  // configuration word 1
        {HexUpper(0x1F0) + HexRecord(0, 32, {1, 2}), kHexWordOutside, 2},
    };
    std::vector<HexBlock> image;
    for (auto c : cases) {
        int line = 0;
        Logged([&] { EXPECT_EQ(ReadHexImage(Open(c.text).get(), image, &line), c.result); });
        EXPECT_EQ(line, c.line) << c.text;
    }
    std::string firmware = Firmware();
    ASSERT_EQ(ReadHexImage(Open(firmware).get(), image), kHexRead);
    // What the upload sends of the other blocks is checked where it is sent.
    ASSERT_EQ(image.size(), 1672u);
    FormatHexData(image[1536]);
    EXPECT_EQ(image[1536].data.size(), 32u);
    EXPECT_EQ(image[1536].data[2], 0x56) << "the phantom words are not sent";
    EXPECT_EQ(InsertHexData(image[0], 64, "1234"), 0);
}

TEST_F(UploadTest, SendsTheWholeImageKeepingTheVectorAndEepromStart) {
    std::string vector = "\x10\x20\x30\x40\x50\x60";
    std::string eeprom;
    for (int i = 1; i <= 32; ++i)
        eeprom.push_back(static_cast<char>(i));
    std::vector<BoardStep> script = {{8, std::string(96, '\x55')},
                                     {4, vector + std::string(90, 0)}};
    script.insert(script.end(), 2, {4, eeprom});
    for (size_t expect : {100, 100, 100, 36, 36, 4, 3, 3, 3, 3, 3, 3})
        script.push_back({expect, "\x01"});
    script[5].reply = std::string(1, '\0');  // row 5 refused once, then taken
    ScriptedBoard board(line, script);
    EXPECT_EQ(Send(Firmware()), kUploadDone);
    const std::string sent = board.Finish();

    std::string swapped = eeprom;
    for (int i = 0; i < 32; i += 2)
        std::swap(swapped[i], swapped[i + 1]);
    const std::string row5 =
        std::string("\x03\x40\x01\x00", 4) + Row("\xAA\xBB\xCC\xDD\xEE\xFF", 96);
    std::string expected =
        std::string("\xFF\xFF\xFF\x3B\x01\x01\x01\x01\x02\x00\x00\x00", 12) +
        std::string("\x04\x00\xF0\x7F\x04\x20\xF0\x7F", 8) + std::string("\x03\x00\x00\x00", 4) +
        Row(std::string("\x30\x20\x10\x60\x50\x40\x11\x22\x33", 9), 96) + row5 + row5 +
        std::string("\x05\x00\xF0\x7F", 4) + swapped + std::string("\x05\x40\xF0\x7F", 4) +
        Row("\x9A\xBC", 32) + std::string("\x07\x00\xC3\xF0", 4);
    for (int i = 0; i < 6; ++i)
        expected += "\x01\xFF\xFF";
    EXPECT_EQ(sent, expected + "\x08");
}

TEST_F(UploadTest, EveryLoaderFaultEndsInItsResultNumber) {
    std::vector<BoardStep> started = {{8, std::string(96, 'x')}, {4, std::string(96, 'y')}};
    started.insert(started.end(), 2, {4, std::string(32, 'z')});
    const struct {
        std::vector<BoardStep> script;
        int result;
    } cases[] = {
        {{}, kUploadNoLoader},
        {{{8, std::string(96, 'x')}, {4, "abcd"}}, kUploadNoVector},
        {started, kUploadBlockFailed},  // silent after the start
    };
    for (const auto& c : cases) {
        ScriptedBoard board(line, c.script);
        EXPECT_EQ(Logged([&] { EXPECT_EQ(Send(Firmware()), c.result); }).empty(),
                  c.result != kUploadBlockFailed);
        board.Finish(200);
        ClearPort();
    }
    // A row answered with anything but 0x01 goes out again until its time is up.
    std::vector<BoardStep> refusing = started;
    refusing.insert(refusing.end(), 200, {100, std::string(1, '\0')});
    ScriptedBoard board(line, refusing);
    EXPECT_EQ(Send(Firmware()), kUploadBlockFailed);
    const std::string sent = board.Finish(200);
    EXPECT_GT(sent.size(), 20u + 3 * 100) << "row 0 went out again and again";
    EXPECT_EQ(sent.find('\x08', 20), std::string::npos) << "the loader is not ended";
    // A bad file is refused before anything is sent; a closed line sends nothing.
    EXPECT_EQ(Logged([&] {
                  EXPECT_EQ(Send(Firmware() + ":00000001FE\n"), kUploadMalformed);
              }).find("HEX line 11"),
              0u);
    EXPECT_EQ(line.Received(0), "");
    ClosePort();
    EXPECT_EQ(Send(Firmware()), kUploadNoLoader);
    unsigned char byte = 0;
    EXPECT_LT(ReadBlock(10, &byte, 1), 0);
    EXPECT_EQ(WriteBlock(&byte, 1), 0);
}

TEST_F(UploadTest, TheUpdateChecksTheFileAndNamesTheResultNumber) {
    TempDir dir;
    const std::string hex = dir.File("mc1.hex");
    ASSERT_TRUE(WriteFileText(hex, Firmware()));
    MessageScript messages;
    const struct {
        std::string path;
        int app;  // of the checksum file; 0 for none
        int answer;
        std::string message;
    } cases[] = {
        {"", 0, kResponseYes, "NO FILE SELECTED.  ABORTING PROCEDURE."},
        {hex, 0, kResponseYes, "COULD NOT VALIDATE FILE"},
        {hex, kAppCodeProgram, kResponseYes, "THE SELECTED FILE IS NOT VALID"},
        {hex, kAppCodeFirmware, kResponseNo, "UPDATE ROBOT WITH FILE: " + hex + "?"},
        {hex, kAppCodeFirmware, kResponseYes, "SEND FILE FAILED! \nError:5"},  // no loader
    };
    for (const auto& c : cases) {
        if (c.app) WriteChecksumFile(hex, c.app, 1.0f, "");
        messages.answers = {c.answer};
        Logged([&] { EXPECT_EQ(UpdateMotorFirmware(c.path, fast), kFirmwareNotSent); });
        EXPECT_EQ(messages.Last(), c.message);
    }
}

}  // namespace
