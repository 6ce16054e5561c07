#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "pattern/import/chain_order.h"
#include "pattern/import/convert_dxf.h"
#include "pattern/import/import_qli.h"
#include "pattern/import/import_support.h"
#include "pattern/pattern.h"
#include "support/run_program.h"
#include "support/temp_dir.h"

namespace {

struct ConvertRun {
    int result = 0;
    std::string output, error;  // the pattern text, ImportErrorText()
};

// Runs ConvertDXF (or ImportQLI) on the text inside a fresh working folder.
ConvertRun Convert(const std::string& input, bool drawing = true) {
    TempDir dir;
    const auto previous = std::filesystem::current_path();
    std::filesystem::current_path(dir.path);
    EXPECT_TRUE(WriteFileText("in", input));
    ConvertRun run;
    {
        std::unique_ptr<FILE, int (*)(FILE*)> in(std::fopen("in", "rb"), std::fclose);
        std::unique_ptr<FILE, int (*)(FILE*)> out(std::fopen("out", "wb"), std::fclose);
        run.result = drawing ? ConvertDXF(in.get(), out.get()) : ImportQLI(in.get(), out.get());
    }
    run.output = ReadFileText("out");
    run.error = ImportErrorText();
    std::filesystem::current_path(previous);
    return run;
}

std::string Number(double v) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", v);
    return text;
}

// The output in short form: "s" a stop, "[...]" an entity of "x,y" points. A
// line the converters would not write shows as "?line".
std::string Shape(const std::string& output) {
    std::istringstream in(output);
    std::string shape;
    for (std::string line; std::getline(in, line);) {
        double x, y;
        char point[80] = "";
        if (std::sscanf(line.c_str(), "p X%lf Y%lf", &x, &y) == 2)
            std::snprintf(point, sizeof point, "p X%.3f Y%.3f", x, y);
        const char* mark = line == "c s" ? "s" : line == "c e s" ? "[" : line == "c e e" ? "]" : "";
        shape += " " + (line == point ? Number(x) + "," + Number(y) : *mark ? mark : "?" + line);
    }
    for (const char* gap : {"[ ", " ]"})
        for (std::size_t at; (at = shape.find(gap)) != std::string::npos;)
            shape.erase(at + (gap[0] == ' ' ? 0 : 1), 1);
    return shape.empty() ? shape : shape.substr(1);
}

// DXF text of group codes and values separated by blanks ("~" is a blank inside
// a value), each line ending in eol.
std::string Dxf(const std::string& groups, const std::string& eol = "\n") {
    std::istringstream in(groups);
    std::string text;
    for (std::string word; in >> word; text += word + eol)
        std::replace(word.begin(), word.end(), '~', ' ');
    return text;
}
std::string Drawing(const std::string& entities, const std::string& eol = "\n") {
    return Dxf("0 SECTION 2 ENTITIES " + entities + " 0 ENDSEC 0 EOF", eol);
}
std::string Line(double x1, double y1, double x2, double y2) {
    return " 0 LINE 10 " + Number(x1) + " 20 " + Number(y1) + " 11 " + Number(x2) + " 21 " +
           Number(y2) + " ";
}
std::string Circle(double x, double y, double r) {
    return " 0 CIRCLE 10 " + Number(x) + " 20 " + Number(y) + " 40 " + Number(r) + " ";
}
std::string Arc(double x, double y, double r, double from, double to) {
    return " 0 ARC 10 " + Number(x) + " 20 " + Number(y) + " 40 " + Number(r) + " 50 " +
           Number(from) + " 51 " + Number(to) + " ";
}

TEST(Dxf, SmallDrawingsGiveTheirPatterns) {
    const std::string skips = Line(0, 0, 1, 0) + "0 LINE 6 DASHED 10 1 20 0 11 1 21 1" +
                              " 0 TEXT 1 STOPPING_MACRO~LINETYPE 0 LINE 6 CONTINUOUS 10 5 21 0" +
                              Line(10, 0, 11, 0);
    const struct {
        const char* what;
        std::string drawing;
        const char* shape;
    } cases[] = {
        {"the second line is drawn toward the shared point: it is stitched backward",
         Drawing(Line(0, 0, 1, 0) + Line(2, 0, 1, 0)), "s [0,0 1,0] [1,0 2,0] s"},
        {"file order A, C, B; B starts 0.2 inch after A ends, C 0.5 inch after B ends",
         Drawing(Line(0, 0, 1, 0) + Line(2.5, 0, 3, 0) + Line(1.2, 0, 2, 0)),
         "s [0,0 1,0] [1.2,0 2,0] s [2.5,0 3,0] s"},
        {"layer and linetype are found whatever the group order",
         Drawing("0 LINE 10 5 20 0 11 6 21 0 8 A 6 DASHED 0 LINE 10 0 20 0 11 1 21 0.5 8 A"),
         "s [0,0.5 1,0] s"},
        {"a dashed line and the line after a stopping macro are dropped", Drawing(skips),
         "s [0,0 1,0] s [10,0 11,0] s"},
        {"the same with DOS line ends", Drawing(skips, "\r\n"), "s [0,0 1,0] s [10,0 11,0] s"},
        {"other text does not drop the next line",
         Drawing("0 TEXT 1 STOPPING~MACRO" + Line(0, 0, 1, 0)), "s [0,0 1,0] s"},
        {"an arc with equal angles is only its end point", Drawing(Arc(0, 0, 3, 45, 45)),
         "s [0,0] s"},
        {"polyline vertices are its points, not its header; the closed flag adds no point",
         Drawing("0 POLYLINE 66 1 10 0 20 0 70 1 0 VERTEX 10 1 20 2 0 VERTEX 10 3 20 4 "
                 "0 SEQEND 0 POINT 10 3 20 4"),
         "s [0,2 2,0] [2,0] s"},
        {"a light-weight polyline ignores its vertex count",
         Drawing("0 LWPOLYLINE 90 1000000000 70 1 10 0 20 0 42 0.5 10 1 20 0 10 1 20 1"),
         "s [0,1 1,1 1,0] s"},
        {"entities inside a block never appear",
         Dxf("0 SECTION 2 BLOCKS 0 BLOCK 2 STAR 0 LINE 10 50 20 50 11 60 21 60 0 CIRCLE 10 50 "
             "20 50 40 5 0 ENDBLK 0 ENDSEC") +
             Drawing(Line(0, 0, 1, 1)),
         "s [0,1 1,0] s"},
        {"the lowest point lands at the full height", Drawing(Line(2, 5, 2, 8)), "s [0,3 0,0] s"},
        {"a circle runs from angle 0 counterclockwise (clockwise flipped) back to its start",
         Drawing(Circle(5, 5, 0.2)),
         "s [0.398,0.199 0.374,0.104 0.306,0.031 0.212,0 0.115,0.018 0.038,0.08 0,0.171 0.011,0.27 "
         "0.067,0.351 0.156,0.395 0.255,0.391 0.34,0.341 0.39,0.255 0.398,0.199] s"},
        {"an arc from 350 to 10 degrees wraps through 0 and ends exactly at 10",
         Drawing(Arc(0, 0, 1, 350, 10)), "s [0,0.347 0.012,0.248 0.015,0.148 0.007,0.049 0,0] s"},
        {"a drawing without entities is only a stop", Drawing(""), "s"},
        {"so is no text at all", "", "s"},
    };
    for (const auto& c : cases) {
        ConvertRun run = Convert(c.drawing);
        EXPECT_EQ(run.result, 0) << c.what;
        EXPECT_EQ(Shape(run.output), c.shape) << c.what;
    }
}

// What cannot be converted fails with its reason, writing nothing: a drawing
// cut inside each kind of entity, unreadable numbers, and the limits.
TEST(Dxf, BrokenDrawingsFailWithTheirReason) {
    std::string circles;
    for (int i = 0; i < 30; i++)
        circles += Circle(0, 0, 10000);  // 30 x 36001 points
    std::vector<std::pair<std::string, std::string>> cases = {
        {Dxf("0 LINE 10 1"), "the drawing ends inside a LINE entity"},
        {Drawing("0 LINE 6 DASHED 10 x"), "a number of a LINE entity cannot be read"},
        {Dxf("0 TEXT 1 x"), "the drawing ends inside a TEXT entity"},
        {Dxf("0 ARC 10 1"), "the drawing ends inside a ARC entity"},
        {Dxf("0 POINT 10 1"), "the drawing ends inside a POINT entity"},
        {Dxf("0 POLYLINE 66 1 0 VERTEX 10 1"), "a number of a VERTEX entity cannot be read"},
        {Dxf("0 POLYLINE"), "the drawing ends inside a POLYLINE entity"},
        {Dxf("0 SPLINE 10 1 20 1"), "the drawing ends inside a SPLINE entity"},
        {Dxf("0 BLOCK 0 LINE 0 ENDBLOCK"), "the drawing ends inside a BLOCK entity"},
        {Drawing("0 POLYLINE 70 closed 0 SEQEND"), "a number of a POLYLINE entity cannot be read"},
        {Drawing("0 LWPOLYLINE 10 x"), "a number of a LWPOLYLINE entity cannot be read"},
        {Drawing(Circle(0, 0, -1)), "a CIRCLE has a negative radius"},
        {Drawing(Circle(0, 0, 1e9)), "inches, more than a pattern can hold"},
        {Drawing(Line(0, 0, 0, 2e5)), "the drawing measures 0 by 200000 inches"},
        // Coordinates of 99999 are left out of the bounds; moved, they fall outside.
        {Drawing(Line(0, 99999, 5, 99999)), "a point of the drawing lands outside"},
        {Drawing(Line(-50000, 0, 0, 0) + Line(99999, 0, 0, 0)), "a point of the drawing lands"},
        {Drawing("0 LINE 10 0 20 0 11 99999.9997 21 0"), "lands outside what a pattern can hold"},
        {Drawing(circles), "the drawing holds more than 1000000 points"},
        {std::string(kMaxImportBytes + 1, ' '), "the drawing cannot be read or is larger than 64"},
    };
    for (const char* bad : {"nan", "inf", "-inf", "1e999", "2e9", "abc", "~"})
        cases.push_back({Drawing("0 LINE 10 " + std::string(bad) + " 20 0"), "a number of a LINE"});
    for (const auto& [drawing, error] : cases) {
        ConvertRun run = Convert(drawing);
        EXPECT_EQ(run.result, -1) << error;
        EXPECT_EQ(run.output, "") << error;
        EXPECT_NE(run.error.find(error), std::string::npos) << run.error;
    }
}

ChainList Chains(const std::vector<std::vector<ChainPoint>>& chains) {
    ChainList list;
    InitChainList(list);
    for (const auto& chain : chains) {
        OpenChainIfUsed(list);
        for (const ChainPoint& p : chain)
            newPoint(list, p.x, p.y);
    }
    return list;
}

// The fast order, each visit as "<chain>", "r" when reversed, "/" when a stop
// follows; the plain order must be the same.
std::string Order(const ChainList& list) {
    ImportProgress progress;
    std::string fast, plain;
    for (const ChainVisit& v : OrderChainsNearest(list, progress))
        fast += std::to_string(v.chain) + (v.reversed ? "r" : "") + (v.stopAfter ? "/ " : " ");
    for (const ChainVisit& v : OrderChainsPlain(list))
        plain += std::to_string(v.chain) + (v.reversed ? "r" : "") + (v.stopAfter ? "/ " : " ");
    EXPECT_EQ(fast, plain);
    return fast;
}

// Drawings of several kinds: on a coarse grid (many exact ties and shared
// points), continuous, single points, closed loops, and clusters far apart.
TEST(ChainOrder, FastOrderEqualsPlainOrderOnRandomDrawings) {
    std::mt19937 next(1);
    for (int kind = 0; kind < 5; kind++) {
        for (int chains : {1, 2, 3, 17, 200, 1500}) {
            for (int seed = 1; seed <= 3; seed++) {
                std::vector<std::vector<ChainPoint>> all(chains);
                for (auto& chain : all) {
                    const double ox = kind == 4 && next() % 3 == 0 ? 150000.0 : 0.0;
                    for (int i = 0, n = kind == 2 ? 1 : 1 + next() % 4; i < n; i++) {
                        if (kind == 0)
                            chain.push_back({double(next() % 8), double(next() % 8)});
                        else
                            chain.push_back({ox + next() / 2147483648.0 * 30, next() / 1e8});
                    }
                    if (kind == 3) chain.push_back(chain.front());
                }
                SCOPED_TRACE(testing::Message() << "kind " << kind << " chains " << chains);
                Order(Chains(all));
            }
        }
    }
}

TEST(Qli, EachInputGivesItsPattern) {
    const struct {
        const char* qli;
        const char* shape;
    } cases[] = {
        // A missing y counts as 0; unreadable arguments add nothing.
        {"VP 0,1000 VP 1000 VP abc VP 99999999999,5 VP ,7 EN", "[0,0 1,1] s"},
        {"VP nan,inf CR 1000,nan,inf CR 1e999 VP 0,0 EN", "[0,0 0,0 0,0] s"},
        // REM and NO skip the rest of their line.
        {"VP 0,0 REM VP 5000,5000 VP 6000,6000\nNO VP 7000,0\nVP 1000,0\nEN\n", "[0,0 1,0] s"},
        // Unknown tokens are passed over; the data ends at EN.
        {"BGS AMS FOO VP 0,0 BAR VP 1000,0 EN VP 9000,9000", "[0,0 1,0] s"},
        // A file cut short gives what was gathered.
        {"VP 0,0 VP 1000,0 VP", "[0,0 1,0] s"},
        // VE makes the last point the new origin; the next chain joins without a stop.
        {"VP 1000,1000 VP 2000,1000 VE VP 0,0 VP 0,1000 EN", "[0,1 1,1] [1,1 1,0] s"},
        // A distant next chain gets a stop; chains keep their file order and direction.
        {"VP 5000,0 VP 6000,0 VE VP -6000,0 VP -5000,0 EN", "[5,0 6,0] s [0,0 1,0] s"},
        // Arcs start at the last point; a negative sweep runs clockwise.
        {"VP 200,0 CR 200,0,90 EN", "[0.2,0.2 0.2,0.2 0.176,0.104 0.108,0.032 0.014,0.001 0,0] s"},
        {"VP 0,200 CR 200,90,-90 EN", "[0,0 0,0 0.096,0.024 0.168,0.092 0.199,0.186 0.2,0.2] s"},
        {"EN\n", ""},
    };
    for (const auto& c : cases) {
        ConvertRun run = Convert(c.qli, false);
        EXPECT_EQ(run.result, 1) << c.qli;
        EXPECT_EQ(Shape(run.output), c.shape) << c.qli;
    }

    std::string turns;
    for (int i = 0; i < 30; i++)
        turns += "CR 1000,0,100000000 ";  // 30 x 36001 points
    for (const auto& [qli, error] :
         {std::pair{std::string(kMaxImportBytes + 1, ' '), "larger than 64 MB"},
          {turns, "the file holds more than 1000000 points"}}) {
        ConvertRun run = Convert(qli, false);
        EXPECT_TRUE(run.result == -1 && run.output.empty()) << error;
        EXPECT_NE(run.error.find(error), std::string::npos) << run.error;
    }
    // Sweeps of many turns and odd radii stay bounded.
    ConvertRun run = Convert("VP 0,0 CR 1000,0,100000000 CR -1000,0,90 CR 0,0,90 EN", false);
    EXPECT_EQ(run.result, 1);
    EXPECT_EQ(Shape(run.output).rfind('['), 0u);  // one entity
    EXPECT_LE(std::count(run.output.begin(), run.output.end(), 'p'), 36000 + 2 + 100 + 3);
}

TEST(Dxf, ArcPointsAreBounded) {
    const struct {
        std::string drawing;
        std::size_t least, most;
    } cases[] = {
        {Drawing(Circle(5, 5, 1e-9) + Arc(9, 9, 1e-9, 0, 90)), 3, 6},
        {Drawing(Arc(0, 0, 1, 0, 720) + Arc(5, 5, 1, -1e8, 1e8) + Arc(9, 9, 1, 360, 10)), 3,
         3 * (2 * kMaxArcPoints + 3)},
        {Drawing(Circle(0, 0, 10000)), kMaxArcPoints, kMaxArcPoints + 2},
    };
    for (const auto& c : cases) {
        ConvertRun run = Convert(c.drawing);
        ASSERT_EQ(run.result, 0) << c.drawing;
        const auto points =
            static_cast<std::size_t>(std::count(run.output.begin(), run.output.end(), 'p'));
        EXPECT_TRUE(points >= c.least && points <= c.most) << points << " " << c.drawing;
    }
}

// longarm-tool convert: a drawing becomes a loadable pattern and leaves its
// log; a failure exits with 1, leaving the old pattern whole.
TEST(ConvertCommand, ConvertsOrExitsWithItsStatus) {
    TempDir dir;
    auto tool = [&dir](std::vector<std::string> args) {
        args.insert(args.begin(), {LONGARM_TOOL_PATH, "convert"});
        return RunProgram(args, dir.path);
    };
    ProgramResult dxf = tool({LONGARM_SOURCE_DIR "/tests/data/dxf/letter_f.dxf", "f.qcc"});
    ASSERT_EQ(dxf.exitStatus, 0) << dxf.err;
    EXPECT_TRUE(newPattern(dir.File("f.qcc").c_str(), 0));
    EXPECT_NE(ReadFileText(dir.File("dxf.log")).find("Added points of LINE"), std::string::npos);
    ASSERT_TRUE(WriteFileText(dir.File("path.QLI"), "VP 0,0 VP 2000,0 EN\n"));
    ASSERT_EQ(tool({"path.QLI", "f.qcc"}).exitStatus, 0);
    const std::string converted = ReadFileText(dir.File("f.qcc"));
    EXPECT_NE(converted.find("p X2.000 Y0.000"), std::string::npos) << converted;
    ASSERT_TRUE(WriteFileText(dir.File("empty.dxf"), Drawing("")));
    const ProgramResult empty = tool({"empty.dxf", "f.qcc"});
    EXPECT_EQ(empty.exitStatus, 1);
    EXPECT_NE(empty.err.find("nothing to stitch"), std::string::npos) << empty.err;
    EXPECT_EQ(ReadFileText(dir.File("f.qcc")), converted);
}

}  // namespace
