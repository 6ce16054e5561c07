// DXF conversion, entity by entity: what each kind of entity becomes, the
// order and direction the chains are written in, the skip rules and the flip.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "base/ui_hooks.h"
#include "pattern/import/import_test_util.h"

namespace {

double Length(const OutPoint& a, const OutPoint& b) {
    return std::hypot(b.x - a.x, b.y - a.y);
}

// The drawing with DOS line ends.
std::string Dos(const std::string& text) {
    std::string dos;
    for (char c : text)
        dos += c == '\n' ? std::string("\r\n") : std::string(1, c);
    return dos;
}

TEST(DxfEntities, SmallDrawingsGiveTheirPatterns) {
    const std::string skips = DxfLine(0, 0, 1, 0) + DxfLine(1, 0, 1, 1, "DASHED") +
                              DxfText("STOPPING_MACRO LINETYPE") +
                              DxfLine(5, 0, 6, 0, "CONTINUOUS") + DxfLine(10, 0, 11, 0);
    struct Case {
        const char* what;
        std::string drawing;
        const char* pattern;
        std::vector<std::string> logged = {};  // lines of dxf.log
    } const cases[] = {
        {"the second line is drawn toward the shared point: it is stitched backward",
         DxfDrawing(DxfLine(0, 0, 1, 0) + DxfLine(2, 0, 1, 0)),
         "c s\nc e s\np X0.000 Y0.000\np X1.000 Y0.000\nc e e\nc e s\np X1.000 Y0.000\np X2.000 "
         "Y0.000\nc e e\nc s\n"},
        {"file order A, C, B; B starts 0.2 inch after A ends, C 0.5 inch after B ends",
         DxfDrawing(DxfLine(0, 0, 1, 0) + DxfLine(2.5, 0, 3, 0) + DxfLine(1.2, 0, 2, 0)),
         "c s\nc e s\np X0.000 Y0.000\np X1.000 Y0.000\nc e e\nc e s\np X1.200 Y0.000\np X2.000 "
         "Y0.000\nc e e\nc s\nc e s\np X2.500 Y0.000\np X3.000 Y0.000\nc e e\nc s\n"},
        {"layer and linetype are found whatever the group order",
         DxfDrawing("  0\nLINE\n 10\n5.0\n 20\n0.0\n 11\n6.0\n 21\n0.0\n  8\nA\n  6\nDASHED\n"
                    "  0\nLINE\n 10\n0.0\n 20\n0.0\n 11\n1.0\n 21\n0.5\n  8\nA\n"),
         "c s\nc e s\np X0.000 Y0.500\np X1.000 Y0.000\nc e e\nc s\n",
         {"Added points of LINE ( 0.000, 0.000 ) ( 1.000, 0.500 )"}},
        {"a dashed line and the line after a stopping macro are dropped", DxfDrawing(skips),
         "c s\nc e s\np X0.000 Y0.000\np X1.000 Y0.000\nc e e\nc s\nc e s\np X10.000 Y0.000\np "
         "X11.000 Y0.000\nc e e\nc s\n"},
        {"the same with DOS line ends", Dos(DxfDrawing(skips)),
         "c s\nc e s\np X0.000 Y0.000\np X1.000 Y0.000\nc e e\nc s\nc e s\np X10.000 Y0.000\np "
         "X11.000 Y0.000\nc e e\nc s\n"},
        {"other text does not drop the next line",
         DxfDrawing(DxfText("STOPPING MACRO") + DxfLine(0, 0, 1, 0)),
         "c s\nc e s\np X0.000 Y0.000\np X1.000 Y0.000\nc e e\nc s\n"},
        {"an arc with equal angles is only its end point", DxfDrawing(DxfArc(0, 0, 3, 45, 45)),
         "c s\nc e s\np X0.000 Y0.000\nc e e\nc s\n"},
        {"polyline vertices are its points, not its header; the closed flag adds no point",
         DxfDrawing("  0\nPOLYLINE\n  8\n0\n 66\n1\n 10\n0.0\n 20\n0.0\n 70\n1\n"
                    "  0\nVERTEX\n  8\n0\n 10\n1.0\n 20\n2.0\n"
                    "  0\nVERTEX\n  8\n0\n 10\n3.0\n 20\n4.0\n  0\nSEQEND\n  8\n0\n" +
                    DxfPoint(3, 4)),
         "c s\nc e s\np X0.000 Y2.000\np X2.000 Y0.000\nc e e\nc e s\np X2.000 Y0.000\nc e e\nc "
         "s\n",
         {"Found Polyline...\np X1-1.000 Y1-2.000\tX2-0.000 Y2-0.000\n", "End Polyline\n"}},
        {"a light-weight polyline ignores its vertex count",
         DxfDrawing("  0\nLWPOLYLINE\n  8\n0\n 90\n1000000000\n 70\n1\n 10\n0\n 20\n0\n 42\n0.5\n"
                    " 10\n1\n 20\n0\n 10\n1\n 20\n1\n"),
         "c s\nc e s\np X0.000 Y1.000\np X1.000 Y1.000\np X1.000 Y0.000\nc e e\nc s\n"},
        {"entities inside a block never appear",
         "  0\nSECTION\n  2\nBLOCKS\n  0\nBLOCK\n  8\n0\n  2\nSTAR\n"
         "  0\nLINE\n  8\n0\n 10\n50\n 20\n50\n 11\n60\n 21\n60\n"
         "  0\nCIRCLE\n  8\n0\n 10\n50\n 20\n50\n 40\n5\n  0\nENDBLK\n  8\n0\n  0\nENDSEC\n" +
             DxfDrawing(DxfLine(0, 0, 1, 1)),
         "c s\nc e s\np X0.000 Y1.000\np X1.000 Y0.000\nc e e\nc s\n"},
        {"the lowest point of the drawing lands at the full height",
         DxfDrawing(DxfLine(2, 5, 2, 8)),
         "c s\nc e s\np X0.000 Y3.000\np X0.000 Y0.000\nc e e\nc s\n"},
        {"a drawing without entities is only a stop", DxfDrawing(""), "c s\n"},
    };
    for (const Case& c : cases) {
        ConvertRun run = RunConvertDxf(c.drawing);
        EXPECT_EQ(run.result, 0) << c.what;
        EXPECT_EQ(run.output, c.pattern) << c.what;
        for (const std::string& line : c.logged)
            EXPECT_NE(run.log.find(line), std::string::npos) << c.what << ": " << line;
    }
}

TEST(DxfRound, CircleOfRadiusOneHas63StepsAndClosesOnItsStartAsAFullArcDoes) {
    ConvertRun arc = RunConvertDxf(DxfDrawing(DxfArc(0, 0, 1, 0, 360)));
    ASSERT_EQ(arc.result, 0);
    EXPECT_EQ(PointCount(ParseOutput(arc.output)), 64u);
    ConvertRun run = RunConvertDxf(DxfDrawing(DxfCircle(5, 5, 1)));
    ASSERT_EQ(run.result, 0);
    OutPattern out = ParseOutput(run.output);
    ASSERT_EQ(out.entities.size(), 1u);
    const std::vector<OutPoint>& p = out.entities[0].points;
    ASSERT_EQ(p.size(), 64u);
    // Moved by the minimum (4, 4) and flipped: the point at angle 0, (6, 5), is (2, 1).
    EXPECT_TRUE(Near(p[0].x, 2.0) && Near(p[0].y, 1.0));
    EXPECT_TRUE(Near(p[63].x, p[0].x) && Near(p[63].y, p[0].y));
    // Counterclockwise in the drawing is clockwise after the flip: y first falls.
    EXPECT_LT(p[1].y, p[0].y);
    for (std::size_t i = 1; i < 63; i++)
        EXPECT_NEAR(Length(p[i - 1], p[i]), 0.09996, 0.002);
}

// Angle in degrees of an output point around the drawing's centre (0, 0), given
// the drawing's minimum x and maximum y (which the conversion moved and flipped).
double AngleOf(const OutPoint& p, double minX, double maxY) {
    return std::atan2(maxY - p.y, p.x + minX) * 180.0 / M_PI;
}

TEST(DxfRound, ArcFrom350To10WrapsThroughZeroAndEndsExactlyAt10) {
    ConvertRun run = RunConvertDxf(DxfDrawing(DxfArc(0, 0, 10, 350, 10)));
    ASSERT_EQ(run.result, 0);
    OutPattern out = ParseOutput(run.output);
    ASSERT_EQ(out.entities.size(), 1u);
    const std::vector<OutPoint>& p = out.entities[0].points;
    ASSERT_GT(p.size(), 30u);
    double minX = 10 * std::cos(10 * M_PI / 180), maxY = 10 * std::sin(10 * M_PI / 180);
    EXPECT_NEAR(AngleOf(p.front(), minX, maxY), -10.0, 0.01);
    EXPECT_NEAR(AngleOf(p.back(), minX, maxY), 10.0, 0.01);
    bool passedZero = false;
    for (std::size_t i = 1; i < p.size(); i++) {
        double a = AngleOf(p[i], minX, maxY);
        EXPECT_GT(a, AngleOf(p[i - 1], minX, maxY));
        if (std::fabs(a) < 0.6) passedZero = true;
    }
    EXPECT_TRUE(passedZero);
}

// Progress: the window, its phase texts, its refresh rate and its STOP button.
struct ProgressRecord {
    std::string title;
    std::vector<std::string> texts;
    int updates = 0;
    int abortOnUpdate = 0;  // 0: never
};
ProgressRecord record;

UserInterfaceHooks RecordingHooks() {
    UserInterfaceHooks hooks;
    hooks.createStatusWindow = [](StatusWindow* w) { record.title = w->title; };
    hooks.statusWindowSetText = [](StatusWindow* w) { record.texts.push_back(w->text); };
    hooks.updateStatusWindow = [](StatusWindow* w) {
        record.updates++;
        if (record.abortOnUpdate && record.updates >= record.abortOnUpdate) w->abortRequested = 1;
    };
    return hooks;
}

TEST(DxfProgress, WindowShowsEveryPhaseAndRefreshesEvery500Steps) {
    record = {};
    SetUserInterfaceHooks(RecordingHooks());
    ConvertRun run = RunConvertDxf(DxfDrawing(DxfCircle(0, 0, 50)));  // 3142 points
    SetUserInterfaceHooks({});
    ASSERT_EQ(run.result, 0);
    EXPECT_EQ(record.title, "CONVERTING DXF");
    EXPECT_EQ(record.texts,
              (std::vector<std::string>{"Gathering Points", "Find Min and Max", "Adjust Points",
                                        "Invert Pattern", "Writing Output File"}));
    // At least one step per point in each of the five phases, and far fewer refreshes.
    EXPECT_GE(record.updates, 5 * 3142 / 500);
    EXPECT_LE(record.updates, 40);
}

TEST(DxfProgress, StopInTheWindowEndsTheConversionAsAFailure) {
    // Pressed while points are made, and while the lines of many entities are read.
    std::string lines;
    for (int i = 0; i < 400; i++)
        lines += DxfLine(i, 0, i, 1);
    for (const std::string& entities : {DxfCircle(0, 0, 50), lines}) {
        record = {};
        record.abortOnUpdate = 3;
        SetUserInterfaceHooks(RecordingHooks());
        ConvertRun run = RunConvertDxf(DxfDrawing(entities));
        SetUserInterfaceHooks({});
        EXPECT_EQ(run.result, -1);
        EXPECT_EQ(run.error, "the conversion was stopped");
        EXPECT_EQ(record.updates, 3);
    }
}

}  // namespace
