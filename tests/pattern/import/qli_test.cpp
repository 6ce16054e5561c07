// QLI import, keyword by keyword.
#include <gtest/gtest.h>

#include <cmath>

#include "base/ui_hooks.h"
#include "pattern/import/import_test_util.h"

namespace {

TEST(QliTokens, EachInputGivesItsPattern) {
    struct Case {
        const char* qli;
        const char* pattern;
    } const cases[] = {
        {"VP 1000,2000 VP 3000,2000 EN", "c e s\np X0.000 Y0.000\np X2.000 Y0.000\nc e e\nc s\n"},
        // A missing y counts as 0; unreadable arguments add nothing.
        {"VP 0,1000 VP 1000 VP abc VP 99999999999,5 VP ,7 EN",
         "c e s\np X0.000 Y0.000\np X1.000 Y1.000\nc e e\nc s\n"},
        {"VP nan,inf CR 1000,nan,inf CR 1e999 VP 0,0 EN",
         "c e s\np X0.000 Y0.000\np X0.000 Y0.000\np X0.000 Y0.000\nc e e\nc s\n"},
        // REM and NO skip the rest of their line.
        {"VP 0,0 REM VP 5000,5000 VP 6000,6000\nNO VP 7000,0\nVP 1000,0\nEN\n",
         "c e s\np X0.000 Y0.000\np X1.000 Y0.000\nc e e\nc s\n"},
        // Unknown tokens are passed over; the data ends at EN.
        {"BGS AMS FOO VP 0,0 BAR VP 1000,0 EN VP 9000,9000",
         "c e s\np X0.000 Y0.000\np X1.000 Y0.000\nc e e\nc s\n"},
        // A file cut short gives what was gathered.
        {"VP 0,0 VP 1000,0 VP", "c e s\np X0.000 Y0.000\np X1.000 Y0.000\nc e e\nc s\n"},
        // VE makes the last point the new origin; the next chain joins without a stop.
        {"VP 1000,1000 VP 2000,1000 VE VP 0,0 VP 0,1000 EN",
         "c e s\np X0.000 Y1.000\np X1.000 Y1.000\nc e e\nc e s\np X1.000 Y1.000\np X1.000 "
         "Y0.000\nc e e\nc s\n"},
        // A distant next chain gets a stop; chains keep their file order and direction.
        {"VP 5000,0 VP 6000,0 VE VP -6000,0 VP -5000,0 EN",
         "c e s\np X5.000 Y0.000\np X6.000 Y0.000\nc e e\nc s\nc e s\np X0.000 Y0.000\np X1.000 "
         "Y0.000\nc e e\nc s\n"},
        {"EN\n", ""},
        {"", ""},
    };
    static std::string title;  // of the progress window
    UserInterfaceHooks hooks;
    hooks.createStatusWindow = [](StatusWindow* w) { title = w->title; };
    SetUserInterfaceHooks(hooks);
    for (const Case& c : cases) {
        ConvertRun run = RunImportQli(c.qli);
        EXPECT_EQ(run.result, 1) << c.qli;
        EXPECT_EQ(run.output, c.pattern) << c.qli;
    }
    SetUserInterfaceHooks({});
    EXPECT_EQ(title, "CONVERTING QLI");
}

TEST(QliArc, QuarterCirclesRunByTheSignOfTheSweep) {
    ConvertRun run = RunImportQli("VP 1000,0 CR 1000,0,90 EN");
    ASSERT_EQ(run.result, 1);
    OutPattern out = ParseOutput(run.output);
    ASSERT_EQ(out.entities.size(), 1u);
    std::vector<OutPoint> p = out.entities[0].points;
    ASSERT_GT(p.size(), 15u);
    // Drawing (x, y) is output (x, 1 - y): centre (0, 0) becomes (0, 1).
    EXPECT_TRUE(Near(p.front().x, 1.0) && Near(p.front().y, 1.0));
    EXPECT_TRUE(Near(p.back().x, 0.0) && Near(p.back().y, 0.0));
    for (const OutPoint& q : p)
        EXPECT_NEAR(std::hypot(q.x, q.y - 1.0), 1.0, 0.002);
    for (std::size_t i = 2; i < p.size(); i++)
        EXPECT_LT(p[i].x, p[i - 1].x);  // x falls

    // A negative sweep runs clockwise: from 90 to 0 degrees it stays in the first
    // quadrant, output x and 1 - y between 0 and 1, ending at output (1, 1).
    run = RunImportQli("VP 0,1000 CR 1000,90,-90 EN");
    ASSERT_EQ(run.result, 1);
    p = ParseOutput(run.output).entities[0].points;
    for (const OutPoint& q : p) {
        EXPECT_GE(q.x, -0.0005);
        EXPECT_LE(q.y, 1.0005);
    }
    EXPECT_TRUE(Near(p.back().x, 1.0) && Near(p.back().y, 1.0));
}

TEST(QliArc, HugeSweepAndOddRadiiStayBounded) {
    ConvertRun run = RunImportQli("VP 0,0 CR 1000,0,100000000 CR -1000,0,90 CR 0,0,90 EN");
    ASSERT_EQ(run.result, 1);
    OutPattern out = ParseOutput(run.output);
    ASSERT_EQ(out.entities.size(), 1u);
    EXPECT_LE(out.entities[0].points.size(), 36000u + 2 + 100 + 3);
}

}  // namespace
