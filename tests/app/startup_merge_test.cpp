// The start-up merge without a board (the serial line is never opened here, so
// MC1 counts as silent) and the factory reset with its question.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "app/machine_startup.h"
#include "base/defaults_file.h"
#include "base/program_settings.h"
#include "base/ui_hooks.h"
#include "machine/machine_parameters.h"
#include "app/settings_test.h"
#include "support/temp_dir.h"

namespace {

// The three value columns of the slot table, slot by slot.
const std::vector<double> kFirstStart = {4, 100, 5,  40, 30,  8, 30, 8,  40,   40, 100,  0, 0,
                                         0, 40,  40, 60, 0.1, 0, 1,  50, 1000, 50, 1000, 0, 0};
const std::vector<double> kUnreadable = {2, 5,  10, 50, 30,     0, 25, 0,  300,  6,  6,    0, 0,
                                         0, 40, 40, 80, 0.0625, 0, 1,  50, 1000, 50, 1000, 0, 0};
const std::vector<double> kFactory = {4, 100, 5,  40, 30,  8, 30, 8, 40, 40, 100, 0, 0,
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
    // Runs the silent-board merge on a factory-column file with one slot changed.
    void MergeWithSlot(int slot, const std::string& bytes) {
        std::string file = Column(kFactory);
        file.replace(4 * slot, 4, bytes);
        ASSERT_TRUE(WriteFileText(path, file));
        ASSERT_EQ(RunStartupMerge(), kMergeFromFile);
    }

    TempDir dir;
    std::string path = dir.File("defaults.mrl");
};

TEST_F(StartupMergeTest, SilentBoardWithoutFileWritesAndUsesTheFirstStartValues) {
    minimumSpeed = 9;
    slow = 1.0f;
    EXPECT_EQ(RunStartupMerge(), kMergeDefaultsCreated);
    EXPECT_EQ(Bytes(), Column(kFirstStart));
    EXPECT_EQ(MemorySlots(), Slots(Column(kFirstStart)));
    EXPECT_EQ(minimumSpeed, 2);
    EXPECT_EQ(slow, 5.0f);
    EXPECT_EQ(maxSpeed, 40.0f);
    EXPECT_FLOAT_EQ(minSpeed, 2.0f * 10.0f / 6.0f);
}

TEST_F(StartupMergeTest, SilentBoardReadsEverySlotOfTheFile) {
    const std::string file = Column({3,  150, 7,  55, 31,   9,  32, 10,  41,   42,  120,  1.5, -2.5,
                                     12, 60,  70, 75, 0.25, 12, 0,  200, 5000, 300, 2500, 1,   1});
    ASSERT_TRUE(WriteFileText(path, file));
    minimumSpeed = 3;
    EXPECT_EQ(RunStartupMerge(), kMergeFromFile);
    EXPECT_EQ(Bytes(), file);  // nothing was rewritten
    EXPECT_EQ(MemorySlots(), Slots(file));
    EXPECT_EQ(maxSpeed, 55.0f);
    EXPECT_FLOAT_EQ(minSpeed, 5.0f);  // minimumSpeed 3 is not in the file
}

TEST_F(StartupMergeTest, ShortAndEmptyFilesAreCompletedWithTheUnreadableColumn) {
    const std::string head = IntBytes(3) + IntBytes(150) + IntBytes(7) + "\x01\x02";
    ASSERT_TRUE(WriteFileText(path, head));
    EXPECT_EQ(RunStartupMerge(), kMergeFromFile);
    const std::string bytes = Bytes();
    EXPECT_EQ(bytes, head.substr(0, 12) + Column(kUnreadable).substr(12));
    // Read slots are used; the others stay at their start values (then limited).
    std::vector<double> expected(26, 0.0);
    expected[kSlotStitchRep] = 3;
    expected[kSlotTOut] = 150;
    expected[kSlotStitchLen] = 7;
    expected[kSlotAcceleration] = expected[kSlotCurvature] = 40;
    expected[kSlotLeadLineSpeed] = 60;
    expected[kSlotMoveIncrement] = 0.1f;
    expected[kSlotNeedleUpConfirm] = 1;
    expected[kSlotNeedleUpTime] = expected[kSlotStitchRegTime] = 100;  // 0 limited to 100
    EXPECT_EQ(MemorySlots(), expected);
    EXPECT_EQ(maxSpeed, 0.0f);

    // The next start finds a whole file and takes the completed values.
    EXPECT_EQ(RunStartupMerge(), kMergeFromFile);
    EXPECT_EQ(Bytes(), bytes);
    EXPECT_EQ(MemorySlots(), Slots(bytes));

    ASSERT_TRUE(WriteFileText(path, ""));
    EXPECT_EQ(RunStartupMerge(), kMergeFromFile);
    EXPECT_EQ(Bytes(), Column(kUnreadable));
}

TEST_F(StartupMergeTest, LoadedFloatsAreLimitedToTheirRanges) {
    struct Case {
        int slot;
        float stored;
        float* parameter;
        float loaded;
    } const cases[] = {
        {kSlotNeedleUpTime, 20000.0f, &needleUpTime, 100.0f},
        {kSlotNeedleUpTime, 0.0f, &needleUpTime, 100.0f},
        {kSlotNeedleUpTime, 10000.0f, &needleUpTime, 10000.0f},
        {kSlotNeedleUpTime, INFINITY, &needleUpTime, 100.0f},
        {kSlotStitchRegTime, 10001.0f, &stitchRegTime, 100.0f},
        {kSlotStitchRegTime, 99.0f, &stitchRegTime, 100.0f},
        {kSlotStitchRegTime, 750.0f, &stitchRegTime, 750.0f},
        {kSlotMoveIncrement, 0.01f, &moveIncrement, 0.015f},
        {kSlotMoveIncrement, 121.0f, &moveIncrement, 120.0f},
        {kSlotMoveIncrement, 0.5f, &moveIncrement, 0.5f},
        {kSlotXMargin, -11.0f, &xMargin, -10.0f},
        {kSlotXMargin, 10.5f, &xMargin, 10.0f},
        {kSlotXMargin, -3.0f, &xMargin, -3.0f},
        {kSlotYMargin, 50.0f, &yMargin, 50.0f},  // yMargin has no limit
        {kSlotYMargin, -INFINITY, &yMargin, -INFINITY},
        {kSlotJumpStitch, -1.0f, &jumpStitch, 0.0f},
        {kSlotJumpStitch, 250.0f, &jumpStitch, 200.0f},
        {kSlotAcceleration, 4.0f, &acceleration, 5.0f},
        {kSlotAcceleration, 101.0f, &acceleration, 100.0f},
        {kSlotAcceleration, INFINITY, &acceleration, 100.0f},
        {kSlotCurvature, 2.0f, &curvature, 5.0f},
        {kSlotCurvature, 100.0f, &curvature, 100.0f},
        {kSlotNeedleUpPress, -1.0f, &needleUpPress, 0.0f},
        {kSlotNeedleUpPress, 10001.0f, &needleUpPress, 0.0f},
        {kSlotNeedleUpPress, 10000.0f, &needleUpPress, 10000.0f},
        {kSlotStitchRegPress, 20000.0f, &stitchRegPress, 0.0f},
        {kSlotStitchRegPress, 80.0f, &stitchRegPress, 80.0f},
    };
    for (const Case& c : cases) {
        MergeWithSlot(c.slot, FloatBytes(c.stored));
        EXPECT_EQ(*c.parameter, c.loaded) << "slot " << c.slot << " stored " << c.stored;
    }
}

TEST_F(StartupMergeTest, LoadedIntegersAreLimitedToTheirRanges) {
    struct Case {
        int slot;
        int32_t stored;
        int32_t* parameter;
        int32_t loaded;
    } const cases[] = {
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
    for (const Case& c : cases) {
        MergeWithSlot(c.slot, IntBytes(c.stored));
        EXPECT_EQ(*c.parameter, c.loaded) << "slot " << c.slot << " stored " << c.stored;
    }
    EXPECT_EQ(maxSpeed, 70.0f);
}

TEST_F(StartupMergeTest, NotANumberIsReplacedAndNotWrittenBack) {
    std::string file = Column(kFactory);
    for (int slot : {11, 12, 13, 14, 15, 17, 20, 21, 22, 23})
        file.replace(4 * slot, 4, FloatBytes(NAN));
    ASSERT_TRUE(WriteFileText(path, file));
    slow = NAN;
    EXPECT_EQ(RunStartupMerge(), kMergeFromFile);
    EXPECT_EQ(slow, 5.0f);
    std::vector<double> expected = Slots(Column(kFactory));
    expected[kSlotAcceleration] = expected[kSlotCurvature] = 40;
    expected[kSlotMoveIncrement] = 0.0625;
    expected[kSlotNeedleUpPress] = expected[kSlotStitchRegPress] = 10;
    expected[kSlotNeedleUpTime] = expected[kSlotStitchRegTime] = 1000;
    EXPECT_EQ(MemorySlots(), expected);
    EXPECT_EQ(Bytes(), file);
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
    const std::string board = Column({2, 17, 6, 45, 11, 12, 13, 14, 18, 15, 16});
    EXPECT_EQ(Bytes(), board + file.substr(44));
    EXPECT_EQ(MemorySlots(), Slots(board + file.substr(44)));  // the board wins over slot 4
    EXPECT_EQ(maxSpeed, 45.0f);
    EXPECT_FLOAT_EQ(minSpeed, 5.0f);

    // Without a file only the board slots are written; the program-only
    // settings keep their start values.
    ASSERT_EQ(std::remove(path.c_str()), 0);
    SetStartValues();
    XKp = 21;
    EXPECT_EQ(MergeWithDefaultsFile(1), kMergeFromBoard);
    const std::string bytes = Bytes();
    ASSERT_EQ(bytes.size(), 44u);
    EXPECT_EQ(bytes.substr(16, 4), IntBytes(21));
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
    EXPECT_EQ(shown, std::vector<std::string>{kFactoryResetQuestion});
    EXPECT_EQ(speed, 99);
    EXPECT_EQ(Bytes(), std::string(200, '\x7f'));

    shown.clear();
    questionAnswer = kResponseOk;
    EXPECT_EQ(AskAndResetToFactoryDefaults(), 1);
    EXPECT_EQ(shown, (std::vector<std::string>{kFactoryResetQuestion, kFactoryResetDone}));
    EXPECT_EQ(Bytes(), Column(kFactory));
    EXPECT_EQ(MemorySlots(), Slots(Column(kFactory)));
    EXPECT_EQ(minimumSpeed, 2);
    EXPECT_EQ(slow, 5.0f);
    EXPECT_EQ(maxSpeed, 40.0f);

    // A factory needleUpTime of 0 loads as 100 at the next start.
    EXPECT_EQ(RunStartupMerge(), kMergeFromFile);
    EXPECT_EQ(needleUpTime, 100.0f);

    // A reset that cannot save says so before it reports the reset.
    SetDefaultsFilePath(dir.File("missing/defaults.mrl").c_str());
    shown.clear();
    EXPECT_EQ(AskAndResetToFactoryDefaults(), 1);
    EXPECT_EQ(shown, (std::vector<std::string>{kFactoryResetQuestion, kFactoryResetNotSaved,
                                               kFactoryResetDone}));
}

}  // namespace
