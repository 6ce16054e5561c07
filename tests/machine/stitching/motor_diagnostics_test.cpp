// The motor tests against the simulated board; on every path the board gets
// its speed, following error and gains back.
#include "machine/stitching/motor_diagnostics.h"

#include <gtest/gtest.h>

#include <cstdio>

#include "base/timers.h"
#include "machine/machine_parameters.h"
#include "machine/mc1_commands.h"
#include "machine/stitching/run_flags.h"
#include "machine/stitching/stitch_path.h"
#include "support/board_test.h"

namespace {

std::string reportText;
int waits = 0;
void SetReport(void*, const char* text) {
    reportText = text;
}
void AppendReport(void*, const char* text) {
    reportText += text;
}
void CountWait(void*, int) {
    waits++;
}

DiagnosticsReport Report() {
    return DiagnosticsReport{SetReport, AppendReport, CountWait, nullptr};
}

struct MotorDiagnostics : BoardTest {
    void SetUp() override {
        BoardTest::SetUp();
        // The values the test must give back, unlike the board's own.
        MachineParameters& m = Machine();
        m.XKp = 31, m.XKi = 9, m.XKd = 41, m.YKp = 32, m.YKi = 7, m.YKd = 39, m.Err = 120;
        m.maxSpeed = 60;
        allStop = 0;
        reportText.clear();
        waits = 0;
        // The board holds the program's values before a test starts.
        SetXKp(m.XKp), SetXKi(m.XKi), SetXKd(m.XKd), SetYKp(m.YKp), SetYKi(m.YKi), SetYKd(m.YKd);
        SetMaxErr(m.Err), SetSpeed(static_cast<int32_t>(m.maxSpeed));
    }
    // The board's parameters equal what the program had before the test.
    void ExpectRestored() {
        std::string values;
        for (const char* key : {"XKp", "XKi", "XKd", "YKp", "YKi", "YKd", "Err", "speed"})
            values += StateValue(Sim("params"), key) + " ";
        EXPECT_EQ(values, "31 9 41 32 7 39 120 60 ");
    }
};

TEST(MotorDiagnosticsPath, TheTestPathAndTheVerdictThreshold) {
    FullPattern_t* path = BuildTestPath();
    int count = 0;
    const FullPattern_t* last = nullptr;
    for (const FullPattern_t* p = path; p; p = p->next()) {
        EXPECT_NEAR(p->y, -0.95f * p->x, 0.01f);
        if (p == path || !p->next()) {
            EXPECT_EQ(p->feed, 0.0f);
        }
        count++;
        last = p;
    }
    EXPECT_EQ(count, 50);
    ASSERT_NE(last, nullptr);
    EXPECT_NEAR(EncoderCounts(last->x), 10000.0f, 1.0f);
    EXPECT_NEAR(EncoderCounts(last->y), 9500.0f, 1.0f);
    EXPECT_GT(path->next()->feed, 0.0f);
    EXPECT_LT(path->next()->feed, 100.0f) << "the start is limited by the acceleration";
    FreeFullPattern(path);

    // 3.3 inches fail, 3.5 inches pass.
    EXPECT_LT(EncoderCounts(3300), kPassCounts);
    EXPECT_GT(EncoderCounts(3500), kPassCounts);
    EXPECT_NEAR(EncoderCounts(-3300), 8253.3f, 0.1f);

    struct Case {
        int result;
        unsigned char byte;
        const char* text;
    } cases[] = {
        {0, 1, "Stitcher Communication: Passed\n"},
        {0, 0x21, "Stitcher Communication: Failed\n"},
        {-1, 0, "Stitcher Communication: Failed (Communication Timed Out)\n"},
        {-3, 0, "Stitcher Communication: Failed (Framing Error)\n"},
        {-2, 1, "Stitcher Communication: Failed (Unknown Error)\n"},
    };
    for (const Case& c : cases)
        EXPECT_STREQ(StitcherLinkText(c.result, c.byte), c.text);
}

// A sound axis passes, a worn one fails, a stall or a silent board aborts the
// test; on every path the board gets its values back.
TEST_F(MotorDiagnostics, SoundWornStalledAndSilentAxes) {
    EXPECT_EQ(TestXMotor(Report()), 1);
    EXPECT_EQ(reportText.rfind("Testing X Motor\nMoving X Motor at 80% \nEncoder counts: \tX: ", 0),
              0u)
        << reportText;
    EXPECT_NE(reportText.find("X motor passed!\n"), std::string::npos) << reportText;
    EXPECT_EQ(StateValue(Sim("state"), "xenabled"), "0");
    // The limp X axis follows poorly in the Y test, the Y axis well.
    EXPECT_EQ(TestYMotor(Report()), 1);
    EXPECT_NE(reportText.find("Y motor passed!\n"), std::string::npos) << reportText;
    ExpectRestored();

    // A worn X belt: 80 % of each move is about 8000 counts.
    Sim("travel x 0.8");
    EXPECT_EQ(TestXMotor(Report()), 1) << "a fail still drives the whole path";
    EXPECT_NE(reportText.find("X motor failed!\n"), std::string::npos) << reportText;
    float x = 0, y = 0;
    ASSERT_EQ(std::sscanf(reportText.c_str() + reportText.find("X: "), "X: %f Y: %f", &x, &y), 2);
    EXPECT_NEAR(x, 8000, 300);
    ExpectRestored();
    // Test All judges only that both paths were driven, then the stitcher link.
    Sim("stitcher-link noisy");
    EXPECT_EQ(TestAllMotors(Report()), 1);
    EXPECT_EQ(reportText,
              "Testing All Motors\nTest All Motors Passed!\n"
              "Stitcher Communication: Failed (Framing Error)\n");

    // Each poll of the board's queue is a second later: no real ten seconds.
    Ui().onDrain = [] { AdvanceClock(1000); };
    Sim("stall on");
    EXPECT_EQ(TestYMotor(Report()), 0);
    EXPECT_EQ(reportText,
              "Testing Y Motor\nMoving Y Motor at 80% \nY Motor Error.  Test Aborted.\n");
    EXPECT_EQ(StateValue(Sim("state"), "queue"), "0") << "no test move is left to run";
    Sim("stall off");
    ExpectRestored();

    // Silent: nothing moves, and no query result replaced the program's values.
    const std::string before = Sim("state");
    Sim("silence on");
    Machine().XKp = 33;
    EXPECT_EQ(TestXMotor(Report()), 0);
    EXPECT_EQ(reportText,
              "Testing X Motor\nMoving X Motor at 80% \nX Motor Error.  Test Aborted.\n");
    EXPECT_EQ(Machine().XKp, 33);
    EXPECT_EQ(Machine().Err, 120);
    Sim("silence off");
    EXPECT_EQ(StateValue(Sim("state"), "executed"), StateValue(before, "executed"));
}

TEST_F(MotorDiagnostics, TheButtonTestPressesAndReleasesEachButtonInTurn) {
    Sim("buttons clear");
    TestStitcherButtons(Report());
    EXPECT_EQ(reportText,
              "Testing Port D\nCommand Button On\nCommand Button Off\n"
              "Stitch Regulation Button On\nStitch Regulation Button Off\n"
              "Needle Up Button On\nNeedle Up Button Off\n");
    EXPECT_EQ(waits, 6) << "one second before the first press and between the steps";
    const std::string events = Sim("buttons");
    EXPECT_EQ(StateValue(events, "count"), "6") << events;
    std::string order;  // codes and states without the board times
    for (size_t at = events.find(':'); at != std::string::npos; at = events.find(':', at + 6))
        order += events.substr(at + 1, 4) + " ";
    EXPECT_EQ(order, "4A:1 4A:0 48:1 48:0 49:1 49:0 ") << events;
}

}  // namespace
