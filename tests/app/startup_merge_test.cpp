// The start-up merge without a board (the serial line is never opened here, so
// MC1 counts as silent) and the factory reset with its question.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "app/machine_startup.h"
#include "app/settings_test.h"
#include "base/defaults_file.h"
#include "base/program_settings.h"
#include "base/ui_hooks.h"
#include "machine/machine_parameters.h"
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

    TempDir dir;
    std::string path = dir.File("defaults.mrl");
};

TEST_F(StartupMergeTest, SilentBoardWithoutFileWritesAndUsesTheFirstStartValues) {
    Machine().minimumSpeed = 9;
    Machine().slow = 1.0f;
    EXPECT_EQ(RunStartupMerge(), kMergeDefaultsCreated);
    EXPECT_EQ(Bytes(), Column(kFirstStart));
    EXPECT_EQ(MemorySlots(), Slots(Column(kFirstStart)));
    EXPECT_EQ(Machine().minimumSpeed, 2);
    EXPECT_EQ(Machine().slow, 5.0f);
    EXPECT_EQ(Machine().maxSpeed, 40.0f);
    EXPECT_FLOAT_EQ(Machine().minSpeed, 2.0f * 10.0f / 6.0f);
}

TEST_F(StartupMergeTest, SilentBoardReadsEverySlotOfTheFile) {
    const std::string file = Column({3,  150, 7,  55, 31,   9,  32, 10,  41,   42,  120,  1.5, -2.5,
                                     12, 60,  70, 75, 0.25, 12, 0,  200, 5000, 300, 2500, 1,   1});
    ASSERT_TRUE(WriteFileText(path, file));
    Machine().minimumSpeed = 3;
    EXPECT_EQ(RunStartupMerge(), kMergeFromFile);
    EXPECT_EQ(Bytes(), file);  // nothing was rewritten
    EXPECT_EQ(MemorySlots(), Slots(file));
    EXPECT_EQ(Machine().maxSpeed, 55.0f);
    EXPECT_FLOAT_EQ(Machine().minSpeed, 5.0f);  // minimumSpeed 3 is not in the file
}

TEST_F(StartupMergeTest, ShortAndEmptyFilesAreCompletedWithTheUnreadableColumn) {
    const std::string head = LE32(3) + LE32(150) + LE32(7) + "\x01\x02";
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
    EXPECT_EQ(Machine().maxSpeed, 0.0f);

    // The next start finds a whole file and takes the completed values.
    EXPECT_EQ(RunStartupMerge(), kMergeFromFile);
    EXPECT_EQ(Bytes(), bytes);
    EXPECT_EQ(MemorySlots(), Slots(bytes));

    ASSERT_TRUE(WriteFileText(path, ""));
    EXPECT_EQ(RunStartupMerge(), kMergeFromFile);
    EXPECT_EQ(Bytes(), Column(kUnreadable));
}

// Each slot's stored values and what they load as (yMargin has no limit).
TEST_F(StartupMergeTest, LoadedValuesAreLimitedToTheirRanges) {
    const struct {
        int slot;
        std::vector<double> stored, loaded;
    } cases[] = {
        {kSlotNeedleUpTime, {20000, 0, 10000, INFINITY}, {100, 100, 10000, 100}},
        {kSlotStitchRegTime, {10001, 99, 750}, {100, 100, 750}},
        {kSlotMoveIncrement, {0.01, 121, 0.5}, {0.015f, 120, 0.5}},
        {kSlotXMargin, {-11, 10.5, -3}, {-10, 10, -3}},
        {kSlotYMargin, {50, -INFINITY}, {50, -INFINITY}},
        {kSlotJumpStitch, {-1, 250}, {0, 200}},
        {kSlotAcceleration, {4, 101, INFINITY}, {5, 100, 100}},
        {kSlotCurvature, {2, 100}, {5, 100}},
        {kSlotNeedleUpPress, {-1, 10001, 10000}, {0, 0, 10000}},
        {kSlotStitchRegPress, {20000, 80}, {0, 80}},
        {kSlotLeadLineSpeed, {9, 10, 101, 100}, {10, 10, 100, 100}},
        {kSlotNeedleUpMethod, {13, -1, 12}, {0, 0, 12}},
        {kSlotNeedleUpConfirm, {2, -1, 0}, {1, 1, 0}},
        {kSlotStitchButtonsOn, {2, 1}, {0, 1}},
        {kSlotShowAdvancedFeatures, {-7, 1}, {0, 1}},
        {kSlotSpeed, {70}, {70}},
    };
    for (const auto& c : cases) {
        for (size_t i = 0; i < c.stored.size(); ++i) {
            std::vector<double> file = kFactory;
            file[c.slot] = c.stored[i];
            ASSERT_TRUE(WriteFileText(path, Column(file)));
            ASSERT_EQ(RunStartupMerge(), kMergeFromFile);
            EXPECT_EQ(MemorySlots()[c.slot], c.loaded[i])
                << "slot " << c.slot << " " << c.stored[i];
        }
    }
    EXPECT_EQ(Machine().maxSpeed, 70.0f);
}

TEST_F(StartupMergeTest, NotANumberIsReplacedAndNotWrittenBack) {
    std::string file = Column(kFactory);
    for (int slot : {11, 12, 13, 14, 15, 17, 20, 21, 22, 23})
        file.replace(4 * slot, 4, LEFloat(NAN));
    ASSERT_TRUE(WriteFileText(path, file));
    Machine().slow = NAN;
    EXPECT_EQ(RunStartupMerge(), kMergeFromFile);
    EXPECT_EQ(Machine().slow, 5.0f);
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
    file.replace(4 * kSlotXMargin, 4, LEFloat(2.0f));
    file.replace(4 * kSlotShowAdvancedFeatures, 4, LE32(1));
    ASSERT_TRUE(WriteFileText(path, file));

    SetStartValues();
    Machine().XKp = 11, Machine().XKi = 12, Machine().YKp = 13, Machine().YKi = 14,
    Machine().YKd = 15, Machine().Err = 16, Machine().TOut = 17, Machine().XKd = 18;
    Machine().stitchLen = 6, Machine().speed = 45, Machine().minimumSpeed = 3,
    Machine().stitchRep = 2;
    EXPECT_EQ(MergeWithDefaultsFile(1), kMergeFromBoard);
    DeriveAndValidate();
    const std::string board = Column({2, 17, 6, 45, 11, 12, 13, 14, 18, 15, 16});
    EXPECT_EQ(Bytes(), board + file.substr(44));
    EXPECT_EQ(MemorySlots(), Slots(board + file.substr(44)));  // the board wins over slot 4
    EXPECT_EQ(Machine().maxSpeed, 45.0f);
    EXPECT_FLOAT_EQ(Machine().minSpeed, 5.0f);

    // Without a file only the board slots are written; the program-only
    // settings keep their start values.
    ASSERT_EQ(std::remove(path.c_str()), 0);
    SetStartValues();
    Machine().XKp = 21;
    EXPECT_EQ(MergeWithDefaultsFile(1), kMergeFromBoard);
    const std::string bytes = Bytes();
    ASSERT_EQ(bytes.size(), 44u);
    EXPECT_EQ(bytes.substr(16, 4), LE32(21));
    DeriveAndValidate();
    EXPECT_EQ(Machine().acceleration, 40.0f);
    EXPECT_EQ(Machine().needleUpTime, 100.0f);
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
    Machine().speed = 99;
    Settings().xMargin = 3.0f;

    shown.clear();
    questionAnswer = kResponseCancel;
    EXPECT_EQ(AskAndResetToFactoryDefaults(), 0);
    EXPECT_EQ(shown, std::vector<std::string>{kFactoryResetQuestion});
    EXPECT_EQ(Machine().speed, 99);
    EXPECT_EQ(Bytes(), std::string(200, '\x7f'));

    shown.clear();
    questionAnswer = kResponseOk;
    EXPECT_EQ(AskAndResetToFactoryDefaults(), 1);
    EXPECT_EQ(shown, (std::vector<std::string>{kFactoryResetQuestion, kFactoryResetDone}));
    EXPECT_EQ(Bytes(), Column(kFactory));
    EXPECT_EQ(MemorySlots(), Slots(Column(kFactory)));
    EXPECT_EQ(Machine().minimumSpeed, 2);
    EXPECT_EQ(Machine().slow, 5.0f);
    EXPECT_EQ(Machine().maxSpeed, 40.0f);

    // A factory needleUpTime of 0 loads as 100 at the next start.
    EXPECT_EQ(RunStartupMerge(), kMergeFromFile);
    EXPECT_EQ(Machine().needleUpTime, 100.0f);

    // A reset that cannot save says so before it reports the reset.
    SetDefaultsFilePath(dir.File("missing/defaults.mrl").c_str());
    shown.clear();
    EXPECT_EQ(AskAndResetToFactoryDefaults(), 1);
    EXPECT_EQ(shown, (std::vector<std::string>{kFactoryResetQuestion, kFactoryResetNotSaved,
                                               kFactoryResetDone}));
}

}  // namespace
