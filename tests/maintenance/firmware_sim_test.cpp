// Firmware upload against the simulated board's loader: the image the board
// holds afterwards equals the HEX file except what the loader keeps (its reset
// vector and the start of its EEPROM), through a lost answer and a failed write.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "machine/firmware_upload.h"
#include "machine/hex_image.h"
#include "machine/serial_link.h"
#include "support/captured_log.h"
#include "support/hex_records.h"
#include "support/mc1sim_fixture.h"

namespace {

std::vector<HexBlock> ReadImage(const std::string& path) {
    FILE* file = std::fopen(path.c_str(), "r");
    std::vector<HexBlock> image;
    EXPECT_NE(file, nullptr) << path;
    if (file) {
        EXPECT_EQ(ReadHexImage(file, image), kHexRead) << path;
        std::fclose(file);
    }
    return image;
}

struct LoaderTest : ::testing::Test {
    void SetUp() override {
        ASSERT_TRUE(board.running) << board.error;
        SetSerialDevicePath(board.device);
        ASSERT_GE(OpenPort(), 0);
        ASSERT_TRUE(WriteFileText(board.dir.File("mc1.hex"), FirmwareHex(37)));
    }
    void TearDown() override {
        ClosePort();
        SetSerialDevicePath("");
    }
    int Upload() {
        FILE* file = std::fopen(board.dir.File("mc1.hex").c_str(), "r");
        int result = -1;
        Logged([&] { result = SendHexFile(file, timing); });
        std::fclose(file);
        return result;
    }
    Mc1Sim board;
    LoaderTiming timing{300, 50, 400, 0};
};

TEST_F(LoaderTest, TheBoardHoldsTheFileExceptWhatItsLoaderKeeps) {
    const std::string before = board.dir.File("before.hex");
    const std::string after = board.dir.File("after.hex");
    ASSERT_EQ(SimControl(board, "firmware-out " + before).rfind("ok", 0), 0u);
    ASSERT_EQ(SimControl(board, "lose-ack 2").rfind("ok", 0), 0u);
    ASSERT_EQ(SimControl(board, "flash-fail 2").rfind("ok", 0), 0u);
    ASSERT_EQ(Upload(), kUploadDone);
    ASSERT_EQ(SimControl(board, "firmware-out " + after).rfind("ok", 0), 0u);

    const std::vector<HexBlock> file = ReadImage(board.dir.File("mc1.hex"));
    const std::vector<HexBlock> old = ReadImage(before);
    const std::vector<HexBlock> now = ReadImage(after);
    ASSERT_EQ(now.size(), file.size());
    int compared = 0;
    for (size_t b = 0; b < file.size(); ++b) {
        if (file[b].empty) continue;
        const int span = file[b].kind == kHexConfig ? 2 : 2 * file[b].size;
        const bool keptRow = b == kProgramBlocks || b == kProgramBlocks + 1;
        for (int w = 0; w < span; ++w) {
            const bool kept = keptRow || (b == 0 && w < 4);
            EXPECT_EQ(now[b].words[w], kept ? old[b].words[w] : file[b].words[w])
                << "block " << b << " word " << w;
            ++compared;
        }
    }
    EXPECT_GT(compared, 41 * 64) << "every row of the file was compared";
    EXPECT_NE(now[0].words[0], file[0].words[0]) << "the file's own vector was replaced";
}

}  // namespace
