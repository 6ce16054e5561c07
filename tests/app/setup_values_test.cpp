#include "app/setup_values.h"

#include <gtest/gtest.h>

#include <cstdio>

#include "app/settings_test.h"
#include "base/log.h"
#include "support/temp_dir.h"

namespace {

TEST(SetupValues, RoundingLimitsAndFormats) {
    const std::pair<double, int> speeds[] = {{47, 50}, {44.9, 40}, {45, 50},
                                             {10, 10}, {100, 100}, {96, 100}};
    for (const auto& [released, stored] : speeds)
        EXPECT_EQ(RoundSpeed(released), stored) << released;
    const struct {
        char code;
        double low, high, value;
        const char* text;
    } entries[] = {
        {kFieldXMargin, -10, 10, 1.23456, "1.235"}, {kFieldAcceleration, 5, 100, 40.4, "40"},
        {kFieldCurvature, 5, 100, 99.6, "100"},     {kFieldIncrement, 0.015, 120, 0.015, "0.015"},
        {kFieldNeedleUpPress, 3, 1000, 50, "50"},   {kFieldNeedleUpTime, 0, 10000, 1000, "1000"},
        {kFieldStitchRegPress, 3, 1000, 3, "3"},    {kFieldStitchRegTime, 0, 10000, 10, "10"},
    };
    for (const auto& e : entries) {
        double low = -1, high = -1;
        ASSERT_TRUE(EntryLimits(e.code, &low, &high)) << e.code;
        EXPECT_EQ(low, e.low) << e.code;
        EXPECT_EQ(high, e.high) << e.code;
        EXPECT_EQ(FormatEntryValue(e.code, e.value), e.text) << e.code;
    }
    double low = 0, high = 0;
    EXPECT_FALSE(EntryLimits('0', &low, &high)) << "the board's constants have no limits here";
    EXPECT_EQ(FormatEntryValue('3', 120.9), "120");
}

TEST(SetupValues, MachineTypePresetsReachTheDefaultsFile) {
    TempDir dir;
    SetDefaultsFilePath(dir.File("defaults.mrl").c_str());
    SetLogStream(std::tmpfile());
    SetFactoryDefaults();
    // Type, confirm, press, up time, registration time; Custom (0, 11) keeps what it found.
    const std::vector<double> presets[] = {{1, 1, 50, 1000, 10},
                                           {5, 0, 50, 1000, 10},
                                           {12, 0, 100, 100, 100},
                                           {0, 1, 0, 0, 0},
                                           {11, 1, 0, 0, 0}};
    for (const std::vector<double>& p : presets) {
        ASSERT_EQ(ApplyMachineType(static_cast<int>(p[0])), kValueStored);
        const std::vector<double> slots = Slots(ReadFileText(dir.File("defaults.mrl")));
        EXPECT_EQ((std::vector<double>{slots[kSlotNeedleUpMethod], slots[kSlotNeedleUpConfirm],
                                       slots[kSlotNeedleUpPress], slots[kSlotNeedleUpTime],
                                       slots[kSlotStitchRegTime], slots[kSlotStitchRegPress]}),
                  (std::vector<double>{p[0], p[1], p[2], p[3], p[4], p[2]}));
    }
    EXPECT_EQ(ApplyMachineType(13), kValueUnknownField);
    EXPECT_EQ(Machine().needleUpMethod, 11);
    SetAdvancedFeaturesSetting(1);
    const std::vector<double> slots = Slots(ReadFileText(dir.File("defaults.mrl")));
    EXPECT_EQ(slots[kSlotShowAdvancedFeatures], 1);
    EXPECT_EQ(slots[kSlotStitchButtonsOn], 1);
    SetDefaultsFilePath(nullptr);
    SetLogStream(stdout);
}

TEST(SetupValues, SystemInfoNamesAndVersions) {
    EXPECT_EQ(OperatingSystemName("2.6.18.2", "12") + OperatingSystemName("2.6.29.6", "b3") +
                  OperatingSystemName("5.10.0", "x"),
              "Keswin-12Dunlow-b35.10.0-x");
    EXPECT_EQ(FirmwareVersionText(1.3f, 4) + " " + FirmwareVersionText(2.1f, 3) + " " +
                  FirmwareVersionText(12.25f, 4) + " " + FirmwareVersionText(3.0f, 4),
              "1.30 2.1 12.25 3.00");
    SetLogStream(std::tmpfile());  // without a board and with an unreadable kernel file
    Machine().needleUpMethod = 12;
    const std::string info = SystemInfoText("/nonexistent/version");
    EXPECT_EQ(info.rfind("Software Version: 3.05\nOS: ######\nMC Firmware: N.C.\nSC Firmware: ", 0),
              0u)
        << info;
    EXPECT_EQ(info.substr(info.rfind(": ") + 2), machineTypeNames[12]);
    SetLogStream(stdout);
}

}  // namespace
