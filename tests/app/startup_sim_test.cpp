// The start-up merge and the factory reset against the simulated board
// mc1sim: a board that answers, a silent board, and the factory values sent.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/machine_startup.h"
#include "base/defaults_file.h"
#include "base/program_settings.h"
#include "base/ui_hooks.h"
#include "machine/machine_parameters.h"
#include "machine/mc1_commands.h"
#include "machine/serial_link.h"
#include "app/settings_test.h"
#include "support/mc1sim_fixture.h"
#include "support/temp_dir.h"

namespace {

std::vector<std::string> messages;

int RecordMessage(int, int, const char* text) {
    messages.emplace_back(text);
    return kResponseOk;
}

struct StartupSimTest : ::testing::Test {
    void SetUp() override {
        ASSERT_TRUE(sim.running) << sim.error;
        SetDefaultsFilePath(path.c_str());
        UserInterfaceHooks hooks;
        hooks.showMessage = RecordMessage;
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

TEST_F(StartupSimTest, AnsweringBoardGivesItsValuesAndTheFileFollows) {
    // Values of a board that was tuned earlier.
    SetXKp(33);
    SetXKi(7);
    SetYKd(44);
    SetMaxErr(150);
    SetTOut(90);
    SetStitches(6);
    SetSpeed(47);
    SetMinimumSpeed(3);
    SetLockStitch(5);
    // The setters have no answer: wait until the board has taken the last one.
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
    std::vector<double> file = {5, 90, 6, 47, 33, 7, 30, 8, 40,    44, 150, 1.25, 0,
                                0, 0,  0, 0,  0,  0, 0,  0, 20000, 0,  0,   1};
    EXPECT_EQ(Slots(ReadFileText(path)), file);
    file[kSlotAcceleration] = file[kSlotCurvature] = 5;
    file[kSlotLeadLineSpeed] = 10;
    file[kSlotMoveIncrement] = 0.015f;
    file[kSlotNeedleUpTime] = file[kSlotStitchRegTime] = 100;
    file.push_back(0);
    EXPECT_EQ(MemorySlots(), file);
    EXPECT_EQ(Machine().maxSpeed, 47.0f);
    EXPECT_FLOAT_EQ(Machine().minSpeed, 5.0f);
}

TEST_F(StartupSimTest, FactoryResetSendsTheFactoryValuesInOrder) {
    SetXKp(99);
    SetSpeed(70);
    SetSlow(1.5f);
    EXPECT_EQ(ResetToFactoryDefaults(), 1);

    ASSERT_TRUE(WaitForState(sim, "slow", "5", 2000, "params"));
    const std::string params = SimControl(sim, "params");
    const char* factory =
        "ok XKp=30 XKi=8 XKd=40 YKd=40 Err=100 TOut=100 speed=40 minimumSpeed=2 stitchLen=5 "
        "stitchRep=4 slow=5";
    for (const auto& [key, value] : ParseStateReply(factory))
        EXPECT_EQ(StateValue(params, key), value) << key;

    // The board's log shows the setters in the order the reset sends them,
    // after the three sent above.
    std::string log = ReadFileText(sim.logPath);
    size_t at = log.find("SetSlow");  // the SetSlow(1.5) above
    ASSERT_NE(at, std::string::npos);
    for (const char* name :
         {"SetXKp", "SetYKp", "SetXKi", "SetYKi", "SetXKd", "SetYKd", "SetSpeed", "SetMinimumSpeed",
          "SetTOut", "SetMaxErr", "SetStitches", "SetLockStitch", "SetSlow"}) {
        size_t next = log.find(std::string(" ") + name + " ", at + 1);
        ASSERT_NE(next, std::string::npos) << name << " missing or out of order";
        at = next;
    }
}

}  // namespace
