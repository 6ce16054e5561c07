// The start-up merge without a board (the serial line is not open, so MC1 counts
// as silent), and the factory reset with its question.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "app/machine_startup.h"
#include "app/settings_test.h"
#include "base/ui_hooks.h"
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

TEST_F(StartupMergeTest, SilentBoardWritesTheFirstStartValuesOrReadsAndCompletesTheFile) {
    Machine().minimumSpeed = 9;
    Machine().slow = 1.0f;
    EXPECT_EQ(RunStartupMerge(), kMergeDefaultsCreated);
    EXPECT_EQ(Bytes(), Column(kFirstStart));
    EXPECT_EQ(MemorySlots(), Slots(Column(kFirstStart)));
    EXPECT_EQ(Machine().minimumSpeed, 2);
    EXPECT_EQ(Machine().slow, 5.0f);
    EXPECT_EQ(Machine().maxSpeed, 40.0f);
    EXPECT_FLOAT_EQ(Machine().minSpeed, 2.0f * 10.0f / 6.0f);
    const std::string file = Column({3,  150, 7,  55, 31,   9,  32, 10,  41,   42,  120,  1.5, -2.5,
                                     12, 60,  70, 75, 0.25, 12, 0,  200, 5000, 300, 2500, 1,   1});
    ASSERT_TRUE(WriteFileText(path, file));
    Machine().minimumSpeed = 3;
    EXPECT_EQ(RunStartupMerge(), kMergeFromFile);
    EXPECT_EQ(Bytes(), file);  // nothing was rewritten
    EXPECT_EQ(MemorySlots(), Slots(file));
    EXPECT_EQ(Machine().maxSpeed, 55.0f);
    EXPECT_FLOAT_EQ(Machine().minSpeed, 5.0f);  // minimumSpeed 3 is not in the file
    // Short and empty files are completed with the unreadable column.
    const std::string head = LE32(3) + LE32(150) + LE32(7) + "\x01\x02";
    ASSERT_TRUE(WriteFileText(path, head));
    EXPECT_EQ(RunStartupMerge(), kMergeFromFile);
    const std::string bytes = Bytes();
    EXPECT_EQ(bytes, head.substr(0, 12) + Column(kUnreadable).substr(12));
    // Read slots are used; the others stay at their start values (then limited).
    EXPECT_EQ(MemorySlots(),
              (std::vector<double>{3, 150, 7,  0,  0,    0, 0, 0, 0,   0, 0,   0, 0,
                                   0, 40,  40, 60, 0.1f, 0, 1, 0, 100, 0, 100, 0, 0}));
    EXPECT_EQ(Machine().maxSpeed, 0.0f);
    ASSERT_TRUE(WriteFileText(path, ""));
    EXPECT_EQ(RunStartupMerge(), kMergeFromFile);
    EXPECT_EQ(Bytes(), Column(kUnreadable));
}

// Each slot's stored values and what they load as (yMargin has no limit).
TEST_F(StartupMergeTest, LoadedValuesAreLimitedToTheirRangesAndNotANumberReplaced) {
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
    // Not a number is replaced and not written back.
    std::string file = Column(kFactory);
    for (int slot : {11, 12, 13, 14, 15, 17, 20, 21, 22, 23})
        file.replace(4 * slot, 4, LEFloat(NAN));
    ASSERT_TRUE(WriteFileText(path, file));
    Machine().slow = NAN;
    EXPECT_EQ(RunStartupMerge(), kMergeFromFile);
    EXPECT_EQ(Machine().slow, 5.0f);
    EXPECT_EQ(MemorySlots(),
              Slots(Column({4, 100, 5,  40, 30,     8, 30, 8,  40,   40, 100,  0, 0,
                            0, 40,  40, 60, 0.0625, 0, 1,  10, 1000, 10, 1000, 0, 0})));
    EXPECT_EQ(Bytes(), file);
}

TEST_F(StartupMergeTest, FactoryResetAsksFirstAndSavesTheFactoryColumn) {
    static std::vector<std::string> shown;  // every text, the first answered questionAnswer
    static int questionAnswer;
    UserInterfaceHooks hooks;
    hooks.showMessage = [](int, int, const char* text) {
        shown.emplace_back(text);
        return shown.size() == 1 ? questionAnswer : kResponseOk;
    };
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
}

}  // namespace
