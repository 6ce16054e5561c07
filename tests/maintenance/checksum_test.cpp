// CRC-32 values, the byte- and the eight-byte fold, checksum files and the tool
// that writes them.
#include <random>

#include "maintenance/checksum_file.h"
#include "maintenance/crc32.h"
#include "maintenance_test.h"
#include "support/captured_log.h"
#include "support/run_program.h"

namespace {

uint32_t Crc(const std::string& text) {
    return FullCRC(reinterpret_cast<const unsigned char*>(text.data()), text.size());
}

TEST(Crc32, KnownValuesEitherFoldAndFilesInAnyChunkSize) {
    const std::pair<std::string, uint32_t> cases[] = {
        {"", 0x00000000},
        {"a", 0xE8B7BE43},
        {"123456789", 0xCBF43926},
        {"The quick brown fox jumps over the lazy dog", 0x414FA339},
        {std::string(1, '\0'), 0xD202EF8D},
    };
    for (const auto& [text, crc] : cases)
        EXPECT_EQ(Crc(text), crc) << text;
    EXPECT_EQ(Reflect(0x1, 8), 0x80u);
    EXPECT_EQ(Reflect(0x04C11DB7, 32), 0xEDB88320u);
    EXPECT_EQ(Reflect(0xF0F3, 4), 0xCu) << "only the low bits count";

    std::mt19937 random(7);
    std::string data(30000, '\0');
    for (char& c : data)
        c = static_cast<char>(random());
    const auto* bytes = reinterpret_cast<const unsigned char*>(data.data()) + 1;  // unaligned
    for (size_t length : {0, 1, 7, 8, 9, 15, 16, 17, 63, 999})
        for (size_t split : {size_t{0}, length / 3})
            EXPECT_EQ(PartialCRC(PartialCRC(~0u, bytes, split), bytes + split, length - split),
                      PartialCRC8(PartialCRC8(~0u, bytes, split), bytes + split, length - split))
                << length << " split " << split;

    TempDir dir;
    ASSERT_TRUE(WriteFileText(dir.File("data"), data));
    ASSERT_TRUE(WriteFileText(dir.File("empty"), ""));
    uint32_t crc = 1;
    for (size_t chunk : {size_t{1}, size_t{7}, size_t{4096}, kFileCrcChunk}) {
        EXPECT_EQ(FileCRC(dir.File("data").c_str(), &crc, chunk), 1);
        EXPECT_EQ(crc, Crc(data)) << chunk;
    }
    EXPECT_EQ(FileCRC_Default(dir.File("empty").c_str(), &crc), 1);
    EXPECT_EQ(crc, 0u);
    EXPECT_EQ(FileCRC(dir.File("missing").c_str(), &crc, 64), 0);
    EXPECT_EQ(crc, 0xFFFFFFFFu);
    EXPECT_EQ(FileCRC(dir.File("data").c_str(), &crc, 0), 0);
}

TEST(ChecksumFile, NameFieldsAndNegativeDecimals) {
    EXPECT_EQ(ChecksumFilePath("/media/usb/up/prog.new.BIN"), "/media/usb/up/prog.crc");
    EXPECT_EQ(ChecksumFilePath("./a.b/firmware.hex"), "./a.b/firmware.crc");
    EXPECT_EQ(ChecksumFilePath("plain"), "plain.crc");

    ChecksumRecord record;
    ASSERT_EQ(ParseChecksumText("-889275714 1 3.06 2.6.29.6\n", record), 1);
    EXPECT_EQ(record.crc, 0xCAFEBABEu);
    EXPECT_EQ(record.appCode, 1);
    EXPECT_FLOAT_EQ(record.version, 3.06f);
    EXPECT_EQ(record.kernel, "2.6.29.6");
    EXPECT_EQ(FormatChecksumText(record), "-889275714 1 3.060 2.6.29.6\n");
    ASSERT_EQ(ParseChecksumText("3405691582 2 1.5", record), 1) << "unsigned form read too";
    EXPECT_EQ(record.crc, 0xCAFEBABEu);
    EXPECT_EQ(record.kernel, "");
    for (const std::string& bad : std::vector<std::string>{
             "", "12 1", "x 1 1.0", "12 1 nan", "99999999999 1 1.0", "12 one 1.0",
             "-2147483649 1 1.0", "1 1 1.0 " + std::string(128, 'k')}) {
        ChecksumRecord kept = record;
        EXPECT_EQ(ParseChecksumText(bad, kept), 0) << bad;
        EXPECT_EQ(kept.crc, record.crc) << "untouched on a refusal";
    }
}

// The tool's checksum file for a firmware file passes the controller's check;
// a changed file fails it in the controller and in the tool's firmware command.
TEST(ChecksumFile, OnlyTheMatchingFilePasses) {
    TempDir dir;
    const std::string path = dir.File("prog.new.BIN"), hex = dir.File("mc1.v2.hex");
    ASSERT_TRUE(WriteFileText(path, "123456789"));
    ASSERT_EQ(WriteChecksumFile(path, 1, 3.06f, "2.6.29.6"), 1);
    EXPECT_EQ(ReadFileText(dir.File("prog.crc")), "-873187034 1 3.060 2.6.29.6\n");
    int app = -1;
    float version = -1;
    std::string kernel;
    EXPECT_EQ(
        Logged([&] { EXPECT_EQ(CheckCRC(path.c_str(), &app, &version, &kernel), 1); }),
        "0xCBF43926 == 0xCBF43926 CRC PASSED!\nAppCode = 1 Version = 3.06 Kernel = 2.6.29.6\n");
    EXPECT_EQ(app, 1);
    EXPECT_EQ(kernel, "2.6.29.6");
    ASSERT_TRUE(WriteFileText(path, "123456780"));
    app = -1;
    EXPECT_NE(Logged([&] {
                  EXPECT_EQ(CheckCRC(path.c_str(), &app, &version, nullptr), 0);
              }).find("!= 0x"),
              std::string::npos);
    EXPECT_EQ(app, -1);
    EXPECT_EQ(CheckCRC(dir.File("none.bin").c_str(), &app, &version, nullptr), 0);

    ASSERT_TRUE(WriteFileText(hex, "123456789"));
    ProgramResult run = RunProgram({LONGARM_TOOL_PATH, "crc", hex, "--version", "1.31"});
    EXPECT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_EQ(run.out, dir.File("mc1.crc") + ": -873187034 2 1.310\n");
    Logged([&] { EXPECT_EQ(CheckCRC(hex.c_str(), &app, &version, nullptr), 1); });
    EXPECT_EQ(app, kAppCodeFirmware);
    EXPECT_EQ(RunProgram({LONGARM_TOOL_PATH, "crc", hex, "--app"}).exitStatus, 2);
    ASSERT_TRUE(WriteFileText(hex, "123456780"));
    run = RunProgram({LONGARM_TOOL_PATH, "firmware", "--serial", "/dev/null", hex});
    EXPECT_EQ(run.exitStatus, 1);
    EXPECT_NE(run.err.find("does not match its checksum file"), std::string::npos) << run.err;
}

}  // namespace
