#include "base/defaults_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cmath>

#include "support/temp_dir.h"

namespace {

// Each test works on its own defaults file in a temporary folder.
struct DefaultsFileTest : ::testing::Test {
    void SetUp() override { SetDefaultsFilePath(path.c_str()); }
    void TearDown() override { SetDefaultsFilePath(nullptr); }
    std::string Bytes() { return ReadFileText(path); }

    TempDir dir;
    std::string path = dir.File("defaults.mrl");
};

TEST_F(DefaultsFileTest, SlotsAreLittleEndianWordsAtFourTimesTheirNumber) {
    ASSERT_EQ(WriteDefaultInt(kSlotStitchRep, 4), 1);
    ASSERT_EQ(WriteDefaultInt(kSlotTOut, -2), 1);
    ASSERT_EQ(WriteDefaultFloat(kSlotStitchLen, 1.5f), 1);
    ASSERT_EQ(WriteDefaultInt(kSlotSpeed, 0x12345678), 1);
    std::string expected(
        "\x04\x00\x00\x00"
        "\xfe\xff\xff\xff"
        "\x00\x00\xc0\x3f"
        "\x78\x56\x34\x12",
        16);
    EXPECT_EQ(Bytes(), expected);

    int i = 0;
    float f = 0;
    EXPECT_EQ(ReadDefaultInt(kSlotTOut, &i), 1);
    EXPECT_EQ(i, -2);
    EXPECT_EQ(ReadDefaultFloat(kSlotStitchLen, &f), 1);
    EXPECT_EQ(f, 1.5f);
    EXPECT_EQ(ReadDefaultInt(kSlotSpeed, &i), 1);
    EXPECT_EQ(i, 0x12345678);
    EXPECT_EQ(SendDefaults(), 1);
    // Not a number reads back as stored.
    ASSERT_EQ(WriteDefaultFloat(kSlotXMargin, NAN), 1);
    ASSERT_EQ(ReadDefaultFloat(kSlotXMargin, &f), 1);
    EXPECT_TRUE(std::isnan(f));
}

TEST_F(DefaultsFileTest, WritingASlotBeyondTheEndZeroFillsTheGapAndKeepsTheRest) {
    EXPECT_EQ(DefaultsFileExists(), 0);
    ASSERT_EQ(WriteDefaultFloat(kSlotNeedleUpPress, 50.0f), 1);
    EXPECT_EQ(DefaultsFileExists(), 1);
    std::string bytes = Bytes();
    ASSERT_EQ(bytes.size(), 84u);
    EXPECT_EQ(bytes.substr(0, 80), std::string(80, '\0'));
    EXPECT_EQ(bytes.substr(80), std::string("\x00\x00\x48\x42", 4));

    // Rewriting an earlier slot changes only its four bytes.
    ASSERT_EQ(WriteDefaultInt(kSlotXKp, 30), 1);
    std::string after = Bytes();
    ASSERT_EQ(after.size(), 84u);
    EXPECT_EQ(after.substr(16, 4), std::string("\x1e\x00\x00\x00", 4));
    after.replace(16, 4, std::string(4, '\0'));
    EXPECT_EQ(after, bytes);
}

TEST_F(DefaultsFileTest, AReadNeedsAllFourBytesOfTheSlot) {
    int value = 77;
    float f = 7.0f;
    EXPECT_EQ(ReadDefaultInt(kSlotStitchRep, &value), 0);  // no file

    ASSERT_TRUE(WriteFileText(path, std::string(100, '\x01')));
    EXPECT_EQ(ReadDefaultInt(kSlotShowAdvancedFeatures, &value), 0);
    EXPECT_EQ(ReadDefaultInt(kSlotStitchButtonsOn, &value), 1);
    EXPECT_EQ(value, 0x01010101);

    ASSERT_TRUE(WriteFileText(path, std::string(102, '\x01')));
    value = 77;
    EXPECT_EQ(ReadDefaultInt(kSlotShowAdvancedFeatures, &value), 0);
    EXPECT_EQ(value, 77);

    ASSERT_TRUE(WriteFileText(path, std::string(104, '\x02')));
    EXPECT_EQ(ReadDefaultInt(kSlotShowAdvancedFeatures, &value), 1);
    EXPECT_EQ(value, 0x02020202);

    // Slots outside the table are refused whatever the file holds.
    ASSERT_TRUE(WriteFileText(path, std::string(4096, '\x03')));
    EXPECT_EQ(ReadDefaultInt(-1, &value), 0);
    EXPECT_EQ(ReadDefaultInt(26, &value), 0);
    EXPECT_EQ(ReadDefaultFloat(26, &f), 0);
    EXPECT_EQ(ReadDefaultInt(0, nullptr), 0);
    EXPECT_EQ(WriteDefaultInt(26, 1), 0);
    EXPECT_EQ(WriteDefaultFloat(-1, 1.0f), 0);
    EXPECT_EQ(Bytes(), std::string(4096, '\x03'));
}

TEST_F(DefaultsFileTest, OversizedFileKeepsItsSlotsAndLosesTheTail) {
    std::string big(5000, '\x05');
    ASSERT_TRUE(WriteFileText(path, big));
    ASSERT_EQ(WriteDefaultInt(kSlotTOut, 100), 1);
    std::string bytes = Bytes();
    ASSERT_EQ(bytes.size(), 104u);
    EXPECT_EQ(bytes.substr(0, 4), std::string(4, '\x05'));
    EXPECT_EQ(bytes.substr(4, 4), std::string("\x64\x00\x00\x00", 4));
    EXPECT_EQ(bytes.substr(8), std::string(96, '\x05'));
}

TEST_F(DefaultsFileTest, AFileThatCannotBeReadOrReplacedIsLeftAlone) {
    // A folder in place of the file: it exists but cannot be read.
    ASSERT_EQ(mkdir(path.c_str(), 0755), 0);
    EXPECT_EQ(WriteDefaultInt(kSlotSpeed, 40), 0);
    std::vector<uint8_t> image;
    EXPECT_EQ(ReadDefaultsImage(&image), 0);
    rmdir(path.c_str());

    // A folder that does not exist.
    SetDefaultsFilePath(dir.File("missing/defaults.mrl").c_str());
    EXPECT_EQ(WriteDefaultInt(kSlotStitchRep, 4), 0);
}

}  // namespace
