// The start-up merge and the factory reset against the simulated board
// mc1sim: a board that answers, a silent board, and the factory values sent.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <tuple>
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

TEST_F(StartupSimTest, AnsweringBoardGivesItsValuesAndTheFileFollowsThenAFactoryReset) {
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
    // Without a file only the board slots are written; the program's keep their
    // start values.
    ASSERT_EQ(std::remove(path.c_str()), 0);
    EXPECT_EQ(RunStartupMerge(), kMergeFromBoard);
    EXPECT_EQ(Slots(ReadFileText(path)), board);
    EXPECT_EQ(Machine().acceleration, 40.0f);
    EXPECT_EQ(Machine().needleUpTime, 100.0f);
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

// The board, the parameter and the file hold what the board holds; a silent
// board leaves the former value.
TEST_F(StartupSimTest, SetupValuesEndAsTheBoardHoldsThem) {
    SetFactoryDefaults();
    // Field, released at, parameter, slot (-1: the board only), held.
    const std::tuple<char, double, const char*, int, int> sliders[] = {
        {kFieldMaxSpeed, 47, "speed", kSlotSpeed, 50},
        {kFieldLength, 12, "stitchLen", kSlotStitchLen, 12},
        {kFieldNeedle, 7, "slow", -1, 7},
        {kFieldMinSpeed, 4, "minimumSpeed", -1, 4},
        {kFieldLock, 3, "stitchRep", kSlotStitchRep, 3}};
    for (const auto& [code, released, param, slot, held] : sliders) {
        double shown = -1;
        EXPECT_EQ(ApplySliderValue(code, released, &shown), kValueStored) << param;
        EXPECT_EQ(StateValue(SimControl(sim, "params"), param), std::to_string(held));
        EXPECT_EQ(shown, held) << param;
        EXPECT_EQ(SliderValue(code), held) << param;
        EXPECT_TRUE(slot < 0 || Slots(ReadFileText(path))[slot] == held) << param;
    }
    EXPECT_EQ(Machine().maxSpeed, 50);
    // The rest of the file got the current values, not zeros.
    EXPECT_FLOAT_EQ(Slots(ReadFileText(path))[kSlotAcceleration], Machine().acceleration);
    // Field, typed, shown, slot, stored.
    const std::tuple<char, double, const char*, int, double> entries[] = {
        {kFieldAcceleration, 150, "100", kSlotAcceleration, 100},
        {kFieldIncrement, 0.001, "0.015", kSlotMoveIncrement, 0.015f},
        {kFieldXMargin, -12.5, "-10.000", kSlotXMargin, -10},
        {kFieldLeadLine, 55.7, "55", kSlotLeadLineSpeed, 55},
        {'0', 45.9, "45", kSlotXKp, 45}};
    for (const auto& [code, typed, text, slot, stored] : entries) {
        std::string shown;
        EXPECT_EQ(ApplyEntryValue(code, typed, 1, &shown), kValueStored) << code;
        EXPECT_EQ(shown, text);
        EXPECT_FLOAT_EQ(Slots(ReadFileText(path))[slot], stored) << code;
    }
    std::string shown;
    EXPECT_EQ(ApplyEntryValue('3', 300, 1, &shown), kValueStored);
    EXPECT_EQ(StateValue(SimControl(sim, "params"), "Err"), "300");
    EXPECT_EQ(StateValue(SimControl(sim, "params"), "XKp"), "45");
    SimControl(sim, "silence on");
    double slider = -1;
    EXPECT_EQ(ApplySliderValue(kFieldLock, 9, &slider), kValueBoardSilent);
    EXPECT_EQ(slider, 3);
    EXPECT_EQ(Slots(ReadFileText(path))[kSlotStitchRep], 3);
    EXPECT_EQ(ApplyEntryValue('1', 77, 12, &shown), kValueBoardSilent);
    EXPECT_EQ(shown, "12");
    SimControl(sim, "silence off");
    EXPECT_NE(StateValue(SimControl(sim, "params"), "YKp"), "77");
}

}  // namespace
