// The start-up merge and the factory reset against the simulated board
// mc1sim: a board that answers, a silent board, and the factory values sent.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/defaults_file.h"
#include "app/machine_startup.h"
#include "app/program_settings.h"
#include "app/timers.h"
#include "app/ui_hooks.h"
#include "machine/machine_parameters.h"
#include "machine/mc1_commands.h"
#include "machine/serial_link.h"
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
    ASSERT_TRUE(WaitForState(sim, "queue", "0", 2000));
    SleepMicroseconds(100 * 1000);
    ASSERT_EQ(StateValue(SimControl(sim, "params"), "speed"), "47");

    // The file holds program settings and stale board values.
    ASSERT_EQ(WriteDefaultInt(kSlotSpeed, 12), 1);
    ASSERT_EQ(WriteDefaultFloat(kSlotXMargin, 1.25f), 1);
    ASSERT_EQ(WriteDefaultInt(kSlotStitchButtonsOn, 1), 1);
    ASSERT_EQ(WriteDefaultFloat(kSlotNeedleUpTime, 20000.0f), 1);

    EXPECT_EQ(RunStartupMerge(), kMergeFromBoard);
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(XKp, 33);
    EXPECT_EQ(XKi, 7);
    EXPECT_EQ(YKp, 30);
    EXPECT_EQ(YKd, 44);
    EXPECT_EQ(Err, 150);
    EXPECT_EQ(TOut, 90);
    EXPECT_EQ(stitchLen, 6);
    EXPECT_EQ(speed, 47);
    EXPECT_EQ(minimumSpeed, 3);
    EXPECT_EQ(stitchRep, 5);
    EXPECT_EQ(maxSpeed, 47.0f);
    EXPECT_FLOAT_EQ(minSpeed, 5.0f);
    EXPECT_EQ(xMargin, 1.25f);
    EXPECT_EQ(stitchButtonsOn, 1);
    EXPECT_EQ(needleUpTime, 100.0f);

    int value = 0;
    ASSERT_EQ(ReadDefaultInt(kSlotSpeed, &value), 1);
    EXPECT_EQ(value, 47);
    ASSERT_EQ(ReadDefaultInt(kSlotXKp, &value), 1);
    EXPECT_EQ(value, 33);
    ASSERT_EQ(ReadDefaultInt(kSlotStitchRep, &value), 1);
    EXPECT_EQ(value, 5);
    float f = 0;
    ASSERT_EQ(ReadDefaultFloat(kSlotNeedleUpTime, &f), 1);
    EXPECT_EQ(f, 20000.0f);  // validated in memory only
}

TEST_F(StartupSimTest, SilentBoardWithoutFileCreatesTheDefaults) {
    ASSERT_EQ(SimControl(sim, "silence on"), "ok silence on");
    EXPECT_EQ(RunStartupMerge(), kMergeDefaultsCreated);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], "COULD NOT RETRIEVE VALUES.\nCOMMUNICATIONS TIMED OUT.");
    EXPECT_EQ(ReadFileText(path).size(), 104u);
    EXPECT_EQ(speed, 40);
    EXPECT_EQ(needleUpTime, 1000.0f);
}

TEST_F(StartupSimTest, SilentBoardWithFileTakesTheFile) {
    ASSERT_EQ(WriteDefaultInt(kSlotSpeed, 52), 1);
    ASSERT_EQ(WriteDefaultInt(kSlotLeadLineSpeed, 5), 1);
    ASSERT_EQ(SimControl(sim, "silence on"), "ok silence on");
    EXPECT_EQ(RunStartupMerge(), kMergeFromFile);
    EXPECT_EQ(speed, 52);
    EXPECT_EQ(leadLineSpeed, 10);
    EXPECT_EQ(ReadFileText(path).size(), 104u);  // completed
    int value = 0;
    ASSERT_EQ(ReadDefaultInt(kSlotLeadLineSpeed, &value), 1);
    EXPECT_EQ(value, 5);
}

TEST_F(StartupSimTest, FactoryResetSendsTheFactoryValuesInOrder) {
    SetXKp(99);
    SetSpeed(70);
    SetSlow(1.5f);
    EXPECT_EQ(ResetToFactoryDefaults(), 1);

    std::string params;
    for (int i = 0; i < 100; ++i) {
        params = SimControl(sim, "params");
        if (StateValue(params, "slow") == "5") break;
        SleepMicroseconds(20 * 1000);
    }
    EXPECT_EQ(StateValue(params, "XKp"), "30");
    EXPECT_EQ(StateValue(params, "XKi"), "8");
    EXPECT_EQ(StateValue(params, "XKd"), "40");
    EXPECT_EQ(StateValue(params, "YKd"), "40");
    EXPECT_EQ(StateValue(params, "Err"), "100");
    EXPECT_EQ(StateValue(params, "TOut"), "100");
    EXPECT_EQ(StateValue(params, "speed"), "40");
    EXPECT_EQ(StateValue(params, "minimumSpeed"), "2");
    EXPECT_EQ(StateValue(params, "stitchLen"), "5");
    EXPECT_EQ(StateValue(params, "stitchRep"), "4");
    EXPECT_EQ(StateValue(params, "slow"), "5");

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
