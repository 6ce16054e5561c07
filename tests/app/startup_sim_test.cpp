// The start-up merge and the factory reset against the simulated board
// mc1sim: a board that answers, a silent board, and the factory values sent.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/machine_startup.h"
#include "app/settings_test.h"
#include "app/setup_values.h"
#include "base/ui_hooks.h"
#include "machine/mc1_commands.h"
#include "machine/serial_link.h"
#include "support/mc1sim_fixture.h"
#include "support/temp_dir.h"

namespace {

std::vector<std::string> messages;

struct StartupSimTest : ::testing::Test {
    void SetUp() override {
        ASSERT_TRUE(sim.running) << sim.error;
        SetDefaultsFilePath(path.c_str());
        UserInterfaceHooks hooks;
        hooks.showMessage = [](int, int, const char* text) {
            messages.emplace_back(text);
            return kResponseOk;
        };
        SetUserInterfaceHooks(hooks);
        messages.clear();
        SetSerialDevicePath(sim.device);
        ASSERT_GE(OpenPort(), 0);
    }
    void TearDown() override {
        ClosePort();
        SetSerialDevicePath("");
        SetDefaultsFilePath(nullptr);
        SetUserInterfaceHooks({});
    }
    Mc1Sim sim;
    TempDir dir;
    std::string path = dir.File("defaults.mrl");
};

TEST_F(StartupSimTest, AnsweringBoardGivesItsValuesThenAFactoryReset) {
    // Values of a board that was tuned earlier; the setters have no answer, so
    // wait until the board has taken the last one.
    SetXKp(33);
    SetXKi(7);
    SetYKd(44);
    SetMaxErr(150);
    SetTOut(90);
    SetStitches(6);
    SetMinimumSpeed(3);
    SetLockStitch(5);
    SetSpeed(47);
    ASSERT_TRUE(WaitForState(sim, "speed", "47", 2000, "params"));
    // The file holds program settings and stale board values.
    ASSERT_EQ(WriteDefaultInt(kSlotSpeed, 12), 1);
    ASSERT_EQ(WriteDefaultFloat(kSlotXMargin, 1.25f), 1);
    ASSERT_EQ(WriteDefaultInt(kSlotStitchButtonsOn, 1), 1);
    ASSERT_EQ(WriteDefaultFloat(kSlotNeedleUpTime, 20000.0f), 1);
    EXPECT_EQ(RunStartupMerge(), kMergeFromBoard);
    EXPECT_TRUE(messages.empty());
    // The board's values and the file's program settings, which are limited in
    // memory only (slots the file never held read as 0).
    const std::vector<double> board = {5, 90, 6, 47, 33, 7, 30, 8, 40, 44, 150};
    std::vector<double> file = board;
    file.insert(file.end(), {1.25, 0, 0, 0, 0, 0, 0, 0, 0, 0, 20000, 0, 0, 1});
    EXPECT_EQ(Slots(ReadFileText(path)), file);
    EXPECT_EQ(MemorySlots(),
              (std::vector<double>{5, 90, 6, 47, 33,     7, 30, 8, 40,  44, 150, 1.25, 0,
                                   0, 5,  5, 10, 0.015f, 0, 0,  0, 100, 0,  100, 1,    0}));
    EXPECT_EQ(Machine().maxSpeed, 47.0f);
    EXPECT_FLOAT_EQ(Machine().minSpeed, 5.0f);
    SetSlow(1.5f);
    EXPECT_EQ(ResetToFactoryDefaults(), 1);
    ASSERT_TRUE(WaitForState(sim, "slow", "5", 2000, "params"));
    const std::string params = SimControl(sim, "params");
    for (const char* factory :
         {"XKp=30", "YKp=30", "XKi=8", "YKi=8", "XKd=40", "YKd=40", "Err=100", "TOut=100",
          "speed=40", "minimumSpeed=2", "stitchLen=5", "stitchRep=4", "slow=5"})
        EXPECT_NE((params + " ").find(std::string(" ") + factory + " "), std::string::npos)
            << factory << " in " << params;
}

// The file holds what the board holds, the other slots their current values;
// a silent board leaves the former value.
TEST_F(StartupSimTest, SetupValuesReachTheFileAsTheBoardHoldsThem) {
    SetFactoryDefaults();
    double shown = -1;
    EXPECT_EQ(ApplySliderValue(kFieldMaxSpeed, 47, &shown), kValueStored);
    EXPECT_EQ(shown, 50);
    const std::vector<double> slots = Slots(ReadFileText(path));
    EXPECT_EQ(slots[kSlotSpeed], 50);
    EXPECT_FLOAT_EQ(slots[kSlotAcceleration], Machine().acceleration);
    std::string text;
    EXPECT_EQ(ApplyEntryValue(kFieldXMargin, -12.5, 1, &text), kValueStored);
    EXPECT_EQ(Slots(ReadFileText(path))[kSlotXMargin], -10);
    // The needle speed lives on the board only: stored when the board holds it.
    EXPECT_EQ(ApplySliderValue(kFieldNeedle, 7, &shown), kValueStored);
    EXPECT_EQ(StateValue(SimControl(sim, "params"), "slow"), "7");
    SimControl(sim, "silence on");
    EXPECT_EQ(ApplySliderValue(kFieldLock, 9, &shown), kValueBoardSilent);
    EXPECT_EQ(shown, 4);
    SimControl(sim, "silence off");
}

}  // namespace
