#include "machine/stitching/trace_recording.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "machine/mc1_commands.h"
#include "pattern/pattern.h"
#include "support/board_test.h"
#include "support/temp_dir.h"

namespace {

// The quilter's hand on the head: one control command ("push X Y", "silence
// on", "" nothing) before each poll of the recording loop, which ends after the last.
struct Hand {
    BoardTest* test = nullptr;
    std::vector<std::string> steps;
    size_t next = 0;
    int released = 0;
    std::vector<std::string> positions;
    int redraws = 0;
};
Hand hand;

TraceHooks HandHooks() {
    TraceHooks hooks;
    hooks.recording = [] {
        if (hand.released || hand.next >= hand.steps.size()) return 0;
        const std::string& step = hand.steps[hand.next++];
        if (!step.empty()) hand.test->Sim(step);
        return 1;
    };
    hooks.stopRecording = [] { hand.released++; };
    hooks.showPosition = [](const char* text) { hand.positions.push_back(text); };
    hooks.redraw = [] { hand.redraws++; };
    return hooks;
}

struct TraceTest : BoardTest {
    void SetUp() override {
        BoardTest::SetUp();
        hand = Hand{};
        hand.test = this;
        DisableX();  // free axes: the head moves by hand
        DisableY();
        ASSERT_TRUE(WaitForState(*sim, "yenabled", "0", 1000));
    }
    void TearDown() override {
        EraseTemporaryPattern();
        BoardTest::TearDown();
    }
};

// Standing still records nothing, coming back to the origin is a movement; a
// full pattern ends the recording with a message, and so does the eleventh
// failed read counted over the whole recording.
TEST_F(TraceTest, RecordsEveryMovementUntilReleasedFullOrTheBoardFallsSilent) {
    tmpPattern = newPattern(nullptr, 0);  // an earlier recording is dropped
    addData(tmpPattern.get(), "p X1.000 Y1.000\n", 0);
    hand.steps = {"", "push 1 0", "", "", "push 0 1", "push 250 500", "", "push -251 -501", ""};
    EXPECT_EQ(RecordTrace(HandHooks()), kTraceStopped);
    const float want[][2] = {{0.001f, 0}, {0.001f, 0.001f}, {0.251f, 0.501f}, {0, 0}};
    ASSERT_EQ(tmpPattern->pointCount, 4);
    for (int i = 0; i < 4; i++) {
        EXPECT_FLOAT_EQ(tmpPattern->x[i], want[i][0]) << i;
        EXPECT_FLOAT_EQ(tmpPattern->y[i], want[i][1]) << i;
    }
    ASSERT_EQ(hand.positions.size(), 4u);
    EXPECT_EQ(hand.positions[2], "X: 0.251 Y: 0.501");
    EXPECT_EQ(hand.redraws, 5);  // the empty pattern, then each point
    EXPECT_EQ(hand.released, 0);
    EXPECT_TRUE(Ui().messages.empty());

    hand = Hand{};
    hand.test = this;
    hand.steps = {"silence on", "", "", "", "", "silence off", "push 5 5", "silence on"};
    hand.steps.resize(30);
    EXPECT_EQ(RecordTrace(HandHooks()), kTraceNoResponse);
    ASSERT_EQ(tmpPattern->pointCount, 1);
    EXPECT_FLOAT_EQ(tmpPattern->x[0], 0.005f);
    EXPECT_EQ(hand.released, 1);
    EXPECT_EQ(Ui().messages,
              std::vector<std::string>{"NO RESPONSE FROM MOTOR CONTROLLER.\nABORTING RECORD."});
    EXPECT_EQ(hand.next, 13u);  // 5 silent polls, 1 good one, 6 silent ones

    Sim("silence off");
    hand = Hand{};
    hand.test = this;
    hand.steps = {"push 1 0", "push 1 0", "push 1 0", "push 1 0", "push 1 0"};
    EXPECT_EQ(RecordTrace(HandHooks(), 3), kTraceFull);
    EXPECT_EQ(tmpPattern->pointCount, 3);
    EXPECT_EQ(hand.released, 1);
    EXPECT_EQ(Ui().messages.back(), kTraceFullText);
}

struct SaveTest : BoardTest {
    void SetUp() override {
        BoardTest::SetUp();
        ASSERT_TRUE(getcwd(oldDir, sizeof oldDir));
        ASSERT_EQ(chdir(dir.path.c_str()), 0);
        ASSERT_EQ(mkdir("patterns", 0777), 0);
    }
    void TearDown() override {
        EraseTemporaryPattern();
        EXPECT_EQ(chdir(oldDir), 0);
        BoardTest::TearDown();
    }
    void Record(std::vector<const char*> points) {
        tmpPattern = newPattern(nullptr, 0);
        for (const char* line : points)
            addData(tmpPattern.get(), line, 0);
    }
    TempDir dir;
    char oldDir[4096] = {};
};

TEST_F(SaveTest, WritesANewNameAsksBeforeOverwritingAndRefusesWhatCannotBeSaved) {
    EXPECT_EQ(SaveTracedPattern(), kTraceNothingToSave);
    EXPECT_TRUE(Ui().messages.empty());
    Record({});  // a recording without points could not be opened again
    EXPECT_EQ(SaveTracedPattern(), kTraceNothingToSave);
    EXPECT_TRUE(Ui().prompts.empty());
    EXPECT_EQ(Ui().messages.size(), 1u);
    Ui().messages.clear();

    Record({"p X0.000 Y0.000\n", "p X1.250 Y0.500\n", "p X2.000 Y3.000\n"});
    Ui().keyboard = {{0, ""}, {1, "./patterns/"}, {1, "./missing/folder/name"}};
    EXPECT_EQ(SaveTracedPattern(), kTraceSaveCancelled);
    EXPECT_EQ(SaveTracedPattern(), kTraceSaveFailed);
    EXPECT_EQ(SaveTracedPattern(), kTraceSaveFailed);
    EXPECT_EQ(Ui().messages, (std::vector<std::string>{kTraceNoNameText, kTraceSaveFailedText}));
    EXPECT_EQ(access("./patterns/.qcc", F_OK), -1);
    Ui().messages.clear();

    std::string saved;
    Ui().keyboard = {{1, "./patterns/swirl"}};
    EXPECT_EQ(SaveTracedPattern(&saved), kTraceSaved);
    EXPECT_EQ(saved, "./patterns/swirl.qcc");
    EXPECT_TRUE(Ui().messages.empty());  // a new name is written without asking
    Pattern loaded;
    ASSERT_EQ(openPattern(&loaded, "./patterns/swirl.qcc"), 1);
    EXPECT_FLOAT_EQ(loaded.x[1], 1.25f);

    // The same name again: No keeps the old file, Yes replaces it.
    Record({"p X0.000 Y0.000\n", "p X9.000 Y9.000\n"});
    Ui().keyboard = {{1, "./patterns/swirl.qcc"}, {1, "./patterns/swirl"}};
    Ui().answers = {kResponseNo, kResponseYes};
    EXPECT_EQ(SaveTracedPattern(), kTraceSaveCancelled);
    EXPECT_EQ(Ui().messages, std::vector<std::string>{"FILE EXIXTS!\nOVERWRITE?"});
    Pattern unchanged, replaced;
    ASSERT_EQ(openPattern(&unchanged, "./patterns/swirl.qcc"), 1);
    EXPECT_EQ(unchanged.pointCount, 3);
    EXPECT_EQ(SaveTracedPattern(), kTraceSaved);
    ASSERT_EQ(openPattern(&replaced, "./patterns/swirl.qcc"), 1);
    EXPECT_EQ(replaced.pointCount, 2);
}

}  // namespace
