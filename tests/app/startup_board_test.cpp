// The start-up merge against a board on a real serial line: a scripted board
// on a pseudo-terminal that answers the constants at once but sends its
// stitch settings too late (the simulated board always answers in time).
#include <gtest/gtest.h>

#include <vector>

#include "app/machine_startup.h"
#include "base/defaults_file.h"
#include "base/ui_hooks.h"
#include "machine/machine_parameters.h"
#include "machine/serial_link.h"
#include "app/settings_test.h"
#include "support/pty_line.h"
#include "support/temp_dir.h"

namespace {

TEST(StartupBoardTest, StitchSettingsTooLateGiveTheStartUpValues) {
    TempDir dir;
    const std::string path = dir.File("defaults.mrl");
    SetDefaultsFilePath(path.c_str());
    SetDefaultMessageResponse(kResponseOk);
    PtyLine line;
    SetSerialDevicePath(line.slavePath);
    ASSERT_GE(OpenPort(), 0);
    ScriptedBoard board(line, {{8, LE32(31) + LE32(9) + LE32(32) + LE32(10) + LE32(42) + LE32(120) +
                                       LE32(150) + LE32(41)},
                               {1, Bytes({7, 55, 3, 6}), 150}});

    EXPECT_EQ(RunStartupMerge(), kMergeFromBoard);
    // The board's constants with the start-up stitch settings, in memory and file.
    const std::vector<double> constants = {4, 150, 5, 40, 31, 9, 32, 10, 41, 42, 120};
    const std::vector<double> memory = MemorySlots();
    EXPECT_EQ(std::vector<double>(memory.begin(), memory.begin() + 11), constants);
    EXPECT_EQ(Machine().minimumSpeed, 2);
    EXPECT_EQ(Machine().maxSpeed, 40.0f);
    EXPECT_EQ(Slots(ReadFileText(path)), constants);
    board.Finish();
    ClosePort();
    SetSerialDevicePath("");
    SetDefaultsFilePath(nullptr);
}

}  // namespace
