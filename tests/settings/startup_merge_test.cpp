// The start-up merge without a board (the serial line is never opened here, so
// MC1 counts as silent) and the factory reset with its question.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "app/defaults_file.h"
#include "app/machine_startup.h"
#include "app/program_settings.h"
#include "app/ui_hooks.h"
#include "machine/machine_parameters.h"
#include "support/temp_dir.h"

namespace {

std::string IntBytes(int32_t v) {
    std::string s(4, '\0');
    for (int i = 0; i < 4; ++i)
        s[i] = static_cast<char>((static_cast<uint32_t>(v) >> (8 * i)) & 0xff);
    return s;
}

std::string FloatBytes(float f) {
    int32_t bits;
    memcpy(&bits, &f, 4);
    return IntBytes(bits);
}

// The file image of a column of the slot table: 11 integer slots, 5 floats,
// one integer, one float, two integers, four floats, two integers.
std::string Column(const double (&v)[26]) {
    std::string s;
    for (int k = 0; k < 26; ++k) {
        bool isFloat = (k >= 11 && k <= 15) || k == 17 || (k >= 20 && k <= 23);
        s += isFloat ? FloatBytes(static_cast<float>(v[k])) : IntBytes(static_cast<int32_t>(v[k]));
    }
    return s;
}

// The three value columns of the slot table, slot by slot.
const double kFirstStart[26] = {4, 100, 5,  40, 30,  8, 30, 8,  40,   40, 100,  0, 0,
                                0, 40,  40, 60, 0.1, 0, 1,  50, 1000, 50, 1000, 0, 0};
const double kUnreadable[26] = {2, 5,  10, 50, 30,     0, 25, 0,  300,  6,  6,    0, 0,
                                0, 40, 40, 80, 0.0625, 0, 1,  50, 1000, 50, 1000, 0, 0};
const double kFactory[26] = {4, 100, 5,  40, 30,  8, 30, 8, 40, 40, 100, 0, 0,
                             0, 40,  40, 60, 0.1, 0, 1,  0, 0,  0,  0,   0, 0};

struct StartupMergeTest : ::testing::Test {
    void SetUp() override {
        SetDefaultsFilePath(path.c_str());
        SetDefaultMessageResponse(kResponseOk);
    }
    void TearDown() override {
        SetDefaultsFilePath(nullptr);
        SetUserInterfaceHooks({});
    }
    std::string Bytes() { return ReadFileText(path); }

    TempDir dir;
    std::string path = dir.File("defaults.mrl");
};

TEST_F(StartupMergeTest, SilentBoardWithoutFileWritesAndUsesTheFirstStartValues) {
    minimumSpeed = 9;
    slow = 1.0f;
    EXPECT_EQ(RunStartupMerge(), kMergeDefaultsCreated);
    EXPECT_EQ(Bytes(), Column(kFirstStart));
    EXPECT_EQ(stitchRep, 4);
    EXPECT_EQ(TOut, 100);
    EXPECT_EQ(stitchLen, 5);
    EXPECT_EQ(speed, 40);
    EXPECT_EQ(XKp, 30);
    EXPECT_EQ(XKi, 8);
    EXPECT_EQ(YKp, 30);
    EXPECT_EQ(YKi, 8);
    EXPECT_EQ(XKd, 40);
    EXPECT_EQ(YKd, 40);
    EXPECT_EQ(Err, 100);
    EXPECT_EQ(acceleration, 40.0f);
    EXPECT_EQ(leadLineSpeed, 60);
    EXPECT_FLOAT_EQ(moveIncrement, 0.1f);
    EXPECT_EQ(needleUpConfirm, 1);
    EXPECT_EQ(needleUpPress, 50.0f);
    EXPECT_EQ(needleUpTime, 1000.0f);
    EXPECT_EQ(stitchRegPress, 50.0f);
    EXPECT_EQ(stitchRegTime, 1000.0f);
    EXPECT_EQ(minimumSpeed, 2);
    EXPECT_EQ(slow, 5.0f);
    EXPECT_EQ(maxSpeed, 40.0f);
    EXPECT_FLOAT_EQ(minSpeed, 2.0f * 10.0f / 6.0f);
}

TEST_F(StartupMergeTest, SilentBoardReadsEverySlotOfTheFile) {
    std::string file;
    const int32_t ints[11] = {3, 150, 7, 55, 31, 9, 32, 10, 41, 42, 120};
    for (int32_t v : ints)
        file += IntBytes(v);
    for (float f : {1.5f, -2.5f, 12.0f, 60.0f, 70.0f})
        file += FloatBytes(f);
    file += IntBytes(75);
    file += FloatBytes(0.25f);
    file += IntBytes(12) + IntBytes(0);
    for (float f : {200.0f, 5000.0f, 300.0f, 2500.0f})
        file += FloatBytes(f);
    file += IntBytes(1) + IntBytes(1);
    ASSERT_TRUE(WriteFileText(path, file));
    minimumSpeed = 3;

    EXPECT_EQ(RunStartupMerge(), kMergeFromFile);
    EXPECT_EQ(Bytes(), file);  // nothing was rewritten
    EXPECT_EQ(stitchRep, 3);
    EXPECT_EQ(TOut, 150);
    EXPECT_EQ(stitchLen, 7);
    EXPECT_EQ(speed, 55);
    EXPECT_EQ(XKp, 31);
    EXPECT_EQ(XKi, 9);
    EXPECT_EQ(YKp, 32);
    EXPECT_EQ(YKi, 10);
    EXPECT_EQ(XKd, 41);
    EXPECT_EQ(YKd, 42);
    EXPECT_EQ(Err, 120);
    EXPECT_EQ(xMargin, 1.5f);
    EXPECT_EQ(yMargin, -2.5f);
    EXPECT_EQ(jumpStitch, 12.0f);
    EXPECT_EQ(acceleration, 60.0f);
    EXPECT_EQ(curvature, 70.0f);
    EXPECT_EQ(leadLineSpeed, 75);
    EXPECT_EQ(moveIncrement, 0.25f);
    EXPECT_EQ(needleUpMethod, 12);
    EXPECT_EQ(needleUpConfirm, 0);
    EXPECT_EQ(needleUpPress, 200.0f);
    EXPECT_EQ(needleUpTime, 5000.0f);
    EXPECT_EQ(stitchRegPress, 300.0f);
    EXPECT_EQ(stitchRegTime, 2500.0f);
    EXPECT_EQ(stitchButtonsOn, 1);
    EXPECT_EQ(showAdvancedFeatures, 1);
    EXPECT_EQ(maxSpeed, 55.0f);
    EXPECT_FLOAT_EQ(minSpeed, 5.0f);  // minimumSpeed 3 is not in the file
}

TEST_F(StartupMergeTest, ShortFileIsCompletedWhileMemoryKeepsTheStartValues) {
    const std::string head = IntBytes(3) + IntBytes(150) + IntBytes(7) + "\x01\x02";
    ASSERT_TRUE(WriteFileText(path, head));
    EXPECT_EQ(RunStartupMerge(), kMergeFromFile);

    std::string bytes = Bytes();
    ASSERT_EQ(bytes.size(), 104u);
    EXPECT_EQ(bytes.substr(0, 12), head.substr(0, 12));
    EXPECT_EQ(bytes.substr(12), Column(kUnreadable).substr(12));
    // Read slots are used; the others stay at their start values (then limited).
    EXPECT_EQ(stitchRep, 3);
    EXPECT_EQ(stitchLen, 7);
    EXPECT_EQ(speed, 0);
    EXPECT_EQ(XKp, 0);
    EXPECT_EQ(XKd, 0);
    EXPECT_EQ(Err, 0);
    EXPECT_FLOAT_EQ(moveIncrement, 0.1f);
    EXPECT_EQ(leadLineSpeed, 60);
    EXPECT_EQ(needleUpTime, 100.0f);  // start value 0, limited to 100
    EXPECT_EQ(needleUpPress, 0.0f);
    EXPECT_EQ(maxSpeed, 0.0f);

    // The next start finds a whole file and takes the completed values.
    EXPECT_EQ(RunStartupMerge(), kMergeFromFile);
    EXPECT_EQ(Bytes(), bytes);
    EXPECT_EQ(speed, 50);
    EXPECT_EQ(XKd, 300);
    EXPECT_EQ(leadLineSpeed, 80);
    EXPECT_EQ(moveIncrement, 0.0625f);
}

TEST_F(StartupMergeTest, EmptyFileIsCompletedWithTheUnreadableColumn) {
    ASSERT_TRUE(WriteFileText(path, ""));
    EXPECT_EQ(RunStartupMerge(), kMergeFromFile);
    EXPECT_EQ(Bytes(), Column(kUnreadable));
}

// Runs the silent-board merge on a first-start file with one slot changed.
void MergeWithSlot(const std::string& path, int slot, const std::string& bytes) {
    std::string file = Column(kFactory);
    file.replace(4 * slot, 4, bytes);
    ASSERT_TRUE(WriteFileText(path, file));
    ASSERT_EQ(RunStartupMerge(), kMergeFromFile);
}

struct FloatRule {
    int slot;
    float stored;
    float* parameter;
    float loaded;
};

TEST_F(StartupMergeTest, LoadedFloatsAreLimitedToTheirRanges) {
    const FloatRule rules[] = {
        {kSlotNeedleUpTime, 20000.0f, &needleUpTime, 100.0f},
        {kSlotNeedleUpTime, -5.0f, &needleUpTime, 100.0f},
        {kSlotNeedleUpTime, 5000.0f, &needleUpTime, 5000.0f},
        {kSlotNeedleUpTime, 0.0f, &needleUpTime, 100.0f},
        {kSlotNeedleUpTime, 10000.0f, &needleUpTime, 10000.0f},
        {kSlotNeedleUpTime, 100.0f, &needleUpTime, 100.0f},
        {kSlotStitchRegTime, 10001.0f, &stitchRegTime, 100.0f},
        {kSlotStitchRegTime, 99.0f, &stitchRegTime, 100.0f},
        {kSlotStitchRegTime, 750.0f, &stitchRegTime, 750.0f},
        {kSlotMoveIncrement, 0.01f, &moveIncrement, 0.015f},
        {kSlotMoveIncrement, 121.0f, &moveIncrement, 120.0f},
        {kSlotMoveIncrement, 0.5f, &moveIncrement, 0.5f},
        {kSlotXMargin, -11.0f, &xMargin, -10.0f},
        {kSlotXMargin, 10.5f, &xMargin, 10.0f},
        {kSlotXMargin, -3.0f, &xMargin, -3.0f},
        {kSlotYMargin, 50.0f, &yMargin, 50.0f},  // not limited
        {kSlotJumpStitch, -1.0f, &jumpStitch, 0.0f},
        {kSlotJumpStitch, 250.0f, &jumpStitch, 200.0f},
        {kSlotAcceleration, 4.0f, &acceleration, 5.0f},
        {kSlotAcceleration, 101.0f, &acceleration, 100.0f},
        {kSlotCurvature, 2.0f, &curvature, 5.0f},
        {kSlotCurvature, 100.0f, &curvature, 100.0f},
        {kSlotNeedleUpPress, -1.0f, &needleUpPress, 0.0f},
        {kSlotNeedleUpPress, 10001.0f, &needleUpPress, 0.0f},
        {kSlotNeedleUpPress, 10000.0f, &needleUpPress, 10000.0f},
        {kSlotStitchRegPress, 20000.0f, &stitchRegPress, 0.0f},
        {kSlotStitchRegPress, 80.0f, &stitchRegPress, 80.0f},
    };
    for (const FloatRule& rule : rules) {
        MergeWithSlot(path, rule.slot, FloatBytes(rule.stored));
        EXPECT_EQ(*rule.parameter, rule.loaded)
            << "slot " << rule.slot << " stored " << rule.stored;
    }
}

struct IntRule {
    int slot;
    int32_t stored;
    int32_t* parameter;
    int32_t loaded;
};

TEST_F(StartupMergeTest, LoadedIntegersAreLimitedToTheirRanges) {
    const IntRule rules[] = {
        {kSlotLeadLineSpeed, 5, &leadLineSpeed, 10},
        {kSlotLeadLineSpeed, 9, &leadLineSpeed, 10},
        {kSlotLeadLineSpeed, 10, &leadLineSpeed, 10},
        {kSlotLeadLineSpeed, 101, &leadLineSpeed, 100},
        {kSlotLeadLineSpeed, 100, &leadLineSpeed, 100},
        {kSlotNeedleUpMethod, 13, &needleUpMethod, 0},
        {kSlotNeedleUpMethod, -1, &needleUpMethod, 0},
        {kSlotNeedleUpMethod, 12, &needleUpMethod, 12},
        {kSlotNeedleUpConfirm, 2, &needleUpConfirm, 1},
        {kSlotNeedleUpConfirm, -1, &needleUpConfirm, 1},
        {kSlotNeedleUpConfirm, 0, &needleUpConfirm, 0},
        {kSlotStitchButtonsOn, 2, &stitchButtonsOn, 0},
        {kSlotStitchButtonsOn, 1, &stitchButtonsOn, 1},
        {kSlotShowAdvancedFeatures, -7, &showAdvancedFeatures, 0},
        {kSlotShowAdvancedFeatures, 1, &showAdvancedFeatures, 1},
        {kSlotSpeed, 70, &speed, 70},
    };
    for (const IntRule& rule : rules) {
        MergeWithSlot(path, rule.slot, IntBytes(rule.stored));
        EXPECT_EQ(*rule.parameter, rule.loaded)
            << "slot " << rule.slot << " stored " << rule.stored;
    }
    EXPECT_EQ(maxSpeed, 70.0f);
}

TEST_F(StartupMergeTest, NotANumberIsReplacedAndInfinityLimited) {
    std::string file = Column(kFactory);
    const std::string nan = FloatBytes(NAN);
    for (int slot : {11, 12, 13, 14, 15, 17, 20, 21, 22, 23})
        file.replace(4 * slot, 4, nan);
    ASSERT_TRUE(WriteFileText(path, file));
    slow = NAN;
    EXPECT_EQ(RunStartupMerge(), kMergeFromFile);
    EXPECT_EQ(slow, 5.0f);
    EXPECT_EQ(xMargin, 0.0f);
    EXPECT_EQ(yMargin, 0.0f);
    EXPECT_EQ(jumpStitch, 0.0f);
    EXPECT_EQ(acceleration, 40.0f);
    EXPECT_EQ(curvature, 40.0f);
    EXPECT_EQ(moveIncrement, 0.0625f);
    EXPECT_EQ(needleUpPress, 10.0f);
    EXPECT_EQ(needleUpTime, 1000.0f);
    EXPECT_EQ(stitchRegPress, 10.0f);
    EXPECT_EQ(stitchRegTime, 1000.0f);
    EXPECT_EQ(Bytes(), file);  // validated values are not written back

    MergeWithSlot(path, kSlotAcceleration, FloatBytes(INFINITY));
    EXPECT_EQ(acceleration, 100.0f);
    MergeWithSlot(path, kSlotYMargin, FloatBytes(-INFINITY));
    EXPECT_EQ(yMargin, -INFINITY);  // yMargin has no limit
    MergeWithSlot(path, kSlotNeedleUpTime, FloatBytes(INFINITY));
    EXPECT_EQ(needleUpTime, 100.0f);
}

TEST_F(StartupMergeTest, GarbageFileNeverLeavesAProgramSettingOutOfRange) {
    for (int seed = 1; seed <= 50; ++seed) {
        std::string garbage;
        uint32_t x = static_cast<uint32_t>(seed) * 2654435761u;
        for (int i = 0; i < 104; ++i) {
            x = x * 1103515245u + 12345u;
            garbage.push_back(static_cast<char>(x >> 24));
        }
        ASSERT_TRUE(WriteFileText(path, garbage));
        RunStartupMerge();
        EXPECT_TRUE(xMargin >= -10.0f && xMargin <= 10.0f) << seed;
        EXPECT_FALSE(std::isnan(yMargin));
        EXPECT_TRUE(jumpStitch >= 0.0f && jumpStitch <= 200.0f);
        EXPECT_TRUE(acceleration >= 5.0f && acceleration <= 100.0f);
        EXPECT_TRUE(curvature >= 5.0f && curvature <= 100.0f);
        EXPECT_TRUE(leadLineSpeed >= 10 && leadLineSpeed <= 100);
        EXPECT_TRUE(moveIncrement >= 0.015f && moveIncrement <= 120.0f);
        EXPECT_TRUE(needleUpMethod >= 0 && needleUpMethod <= 12);
        EXPECT_TRUE(needleUpConfirm == 0 || needleUpConfirm == 1);
        EXPECT_TRUE(needleUpPress >= 0.0f && needleUpPress <= 10000.0f);
        EXPECT_TRUE(needleUpTime >= 100.0f && needleUpTime <= 10000.0f);
        EXPECT_TRUE(stitchRegTime >= 100.0f && stitchRegTime <= 10000.0f);
        EXPECT_TRUE(stitchButtonsOn == 0 || stitchButtonsOn == 1);
        EXPECT_TRUE(showAdvancedFeatures == 0 || showAdvancedFeatures == 1);
        EXPECT_EQ(Bytes(), garbage);
    }
}

TEST_F(StartupMergeTest, BoardAnswerKeepsProgramSlotsAndRewritesBoardSlots) {
    std::string file = Column(kUnreadable);
    file.replace(4 * kSlotXMargin, 4, FloatBytes(2.0f));
    file.replace(4 * kSlotShowAdvancedFeatures, 4, IntBytes(1));
    ASSERT_TRUE(WriteFileText(path, file));

    SetStartValues();
    XKp = 11, XKi = 12, YKp = 13, YKi = 14, YKd = 15, Err = 16, TOut = 17, XKd = 18;
    stitchLen = 6, speed = 45, minimumSpeed = 3, stitchRep = 2;
    EXPECT_EQ(MergeWithDefaultsFile(1), kMergeFromBoard);
    DeriveAndValidate();

    std::string expected = IntBytes(2) + IntBytes(17) + IntBytes(6) + IntBytes(45) + IntBytes(11) +
                           IntBytes(12) + IntBytes(13) + IntBytes(14) + IntBytes(18) +
                           IntBytes(15) + IntBytes(16) + file.substr(44);
    EXPECT_EQ(Bytes(), expected);
    EXPECT_EQ(xMargin, 2.0f);
    EXPECT_EQ(showAdvancedFeatures, 1);
    EXPECT_EQ(leadLineSpeed, 80);
    EXPECT_EQ(XKp, 11);  // the board wins over slot 4
    EXPECT_EQ(maxSpeed, 45.0f);
    EXPECT_FLOAT_EQ(minSpeed, 5.0f);
}

TEST_F(StartupMergeTest, BoardAnswerWithoutFileWritesOnlyTheBoardSlots) {
    SetStartValues();
    XKp = 21;
    EXPECT_EQ(MergeWithDefaultsFile(1), kMergeFromBoard);
    std::string bytes = Bytes();
    ASSERT_EQ(bytes.size(), 44u);
    EXPECT_EQ(bytes.substr(16, 4), IntBytes(21));
    // The program-only settings keep their start values.
    DeriveAndValidate();
    EXPECT_EQ(acceleration, 40.0f);
    EXPECT_EQ(needleUpTime, 100.0f);
}

// Scripted answers to the factory-reset question, recording every text shown.
std::vector<std::string> shown;
int questionAnswer = kResponseOk;

int ScriptedMessage(int, int, const char* text) {
    shown.emplace_back(text);
    return shown.size() == 1 ? questionAnswer : kResponseOk;
}

TEST_F(StartupMergeTest, FactoryResetAsksFirstAndSavesTheFactoryColumn) {
    UserInterfaceHooks hooks;
    hooks.showMessage = ScriptedMessage;
    SetUserInterfaceHooks(hooks);
    ASSERT_TRUE(WriteFileText(path, std::string(200, '\x7f')));
    speed = 99;
    xMargin = 3.0f;

    shown.clear();
    questionAnswer = kResponseCancel;
    EXPECT_EQ(AskAndResetToFactoryDefaults(), 0);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0], kFactoryResetQuestion);
    EXPECT_EQ(speed, 99);
    EXPECT_EQ(Bytes(), std::string(200, '\x7f'));

    shown.clear();
    questionAnswer = kResponseOk;
    EXPECT_EQ(AskAndResetToFactoryDefaults(), 1);
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[1], kFactoryResetDone);
    EXPECT_EQ(Bytes(), Column(kFactory));
    EXPECT_EQ(speed, 40);
    EXPECT_EQ(xMargin, 0.0f);
    EXPECT_EQ(needleUpTime, 0.0f);
    EXPECT_EQ(minimumSpeed, 2);
    EXPECT_EQ(slow, 5.0f);
    EXPECT_EQ(maxSpeed, 40.0f);

    // A factory needleUpTime of 0 loads as 100 at the next start.
    EXPECT_EQ(RunStartupMerge(), kMergeFromFile);
    EXPECT_EQ(needleUpTime, 100.0f);
}

TEST_F(StartupMergeTest, FactoryResetThatCannotSaveSaysSo) {
    UserInterfaceHooks hooks;
    hooks.showMessage = ScriptedMessage;
    SetUserInterfaceHooks(hooks);
    SetDefaultsFilePath(dir.File("missing/defaults.mrl").c_str());
    shown.clear();
    questionAnswer = kResponseOk;
    EXPECT_EQ(AskAndResetToFactoryDefaults(), 1);
    ASSERT_EQ(shown.size(), 3u);
    EXPECT_EQ(shown[1], kFactoryResetNotSaved);
    EXPECT_EQ(shown[2], kFactoryResetDone);
    EXPECT_EQ(speed, 40);
}

}  // namespace
