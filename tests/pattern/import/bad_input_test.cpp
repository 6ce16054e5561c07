// Broken and hostile input: every case ends in bounded time and memory with a
// pattern or a clear failure, never a crash or a hang.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "pattern/import/import_test_util.h"
#include "pattern/import/import_support.h"

namespace {

std::size_t PointCount(const ConvertRun& run) {
    return PointCount(ParseOutput(run.output));
}

TEST(DxfCut, EveryCutOfAFullDrawingEndsCleanly) {
    std::string polyline =
        "  0\nPOLYLINE\n  8\n0\n 66\n1\n  0\nVERTEX\n  8\n0\n 10\n1.0\n 20\n2.0\n"
        "  0\nSEQEND\n";
    std::string drawing = DxfDrawing(DxfLine(0, 0, 1, 0, "DASHED") + DxfText("x") +
                                     DxfCircle(1, 1, 0.5) + DxfArc(2, 2, 1, 10, 20) + polyline +
                                     DxfPoint(3, 3) + "  0\nSPLINE\n  8\n0\n 10\n1\n 20\n1\n");
    int failures = 0;
    for (std::size_t cut = 0; cut <= drawing.size(); cut++) {
        if (cut < drawing.size() && drawing[cut] != '\n') continue;
        ConvertRun run = RunConvertDxf(drawing.substr(0, cut));
        ASSERT_TRUE(run.result == 0 || run.result == -1);
        if (run.result == -1) {
            failures++;
            EXPECT_FALSE(run.error.empty());
        }
    }
    EXPECT_GT(failures, 10);
    EXPECT_EQ(RunConvertDxf(drawing).result, 0);
}

TEST(DxfNumbers, NotANumberInfinityAndAbsurdValuesAreUnreadable) {
    for (const char* bad : {"nan", "inf", "-inf", "1e999", "2e9", "abc", ""}) {
        std::string line = "  0\nLINE\n  8\n0\n 10\n" + std::string(bad) + "\n 20\n0\n";
        ConvertRun run = RunConvertDxf(DxfDrawing(line));
        EXPECT_EQ(run.result, -1) << bad;
        EXPECT_NE(run.log.find("Failed on LINE\n"), std::string::npos) << bad;
    }
    std::string badFlags = "  0\nPOLYLINE\n  8\n0\n 70\nclosed\n  0\nSEQEND\n";
    EXPECT_EQ(RunConvertDxf(DxfDrawing(badFlags)).result, -1);
}

// Pattern lines and log numbers are written without printf but must read the same:
// ties (exact halves of a thousandth), near-ties, signs and huge values included.
TEST(ImportNumbers, ThreeDecimalsAreWrittenAsPrintfWritesThem) {
    std::vector<double> values{0.0,    -0.0,    0.0005,      0.0625,   -0.0625,  0.0015,
                               2.0005, -0.0004, 999999.9995, 1.0e12,   -3.0e15,  1.0e300,
                               1e-300, 63.2195, 4.0,         0.000499, 0.123456, -1.0e9};
    std::uint64_t state = 99;
    for (int i = 0; i < 20000; i++) {
        state = state * 6364136223846793005ull + 1442695040888963407ull;
        const double unit = double(state >> 11) / 9007199254740992.0;
        values.push_back((unit - 0.3) * (i % 2 ? 100.0 : 1.0e7));
        values.push_back(double(state % 2000001) / 2000.0);  // many exact halves
    }
    for (double v : values) {
        char expected[400];
        std::snprintf(expected, sizeof expected, "%0.3f", v);
        std::string written;
        AppendFixed3(written, v);
        ASSERT_EQ(written, expected) << v;
    }
}

// A tiny radius gives the centre only, a large one a capped number of points,
// as do arc angles beyond one turn; absurd and negative radii are refused.
TEST(DxfRadius, PointsAreBoundedAndAbsurdRadiiRefused) {
    ConvertRun tiny = RunConvertDxf(DxfDrawing(DxfCircle(5, 5, 1e-9) + DxfArc(9, 9, 1e-9, 0, 90)));
    ASSERT_EQ(tiny.result, 0);
    EXPECT_LE(PointCount(tiny), 6u);
    ConvertRun turns = RunConvertDxf(DxfDrawing(
        DxfArc(0, 0, 1, 0, 720) + DxfArc(5, 5, 1, -1e8, 1e8) + DxfArc(9, 9, 1, 360, 10)));
    ASSERT_EQ(turns.result, 0);
    EXPECT_LE(PointCount(turns), 3 * (2 * kMaxArcPoints + 3));

    ConvertRun big = RunConvertDxf(DxfDrawing(DxfCircle(0, 0, 10000)));
    ASSERT_EQ(big.result, 0);
    EXPECT_LE(PointCount(big), kMaxArcPoints + 2);
    EXPECT_GE(PointCount(big), kMaxArcPoints);

    ConvertRun absurd = RunConvertDxf(DxfDrawing(DxfCircle(0, 0, 1e9)));
    EXPECT_EQ(absurd.result, -1);
    EXPECT_NE(absurd.error.find("inches"), std::string::npos) << absurd.error;

    ConvertRun negative = RunConvertDxf(DxfDrawing(DxfCircle(0, 0, -1)));
    EXPECT_EQ(negative.result, -1);
    EXPECT_NE(negative.error.find("negative radius"), std::string::npos);
}

TEST(DxfLimits, DrawingOverThePointLimitIsRefused) {
    std::string circles;
    for (int i = 0; i < 30; i++)
        circles += DxfCircle(0, 0, 10000);  // 30 x 36001 points
    ConvertRun run = RunConvertDxf(DxfDrawing(circles));
    EXPECT_EQ(run.result, -1);
    EXPECT_NE(run.error.find("more than 1000000 points"), std::string::npos) << run.error;
}

TEST(DxfLimits, GarbageAndEmptyInputEndCleanly) {
    EXPECT_EQ(RunConvertDxf("").result, 0);
    EXPECT_EQ(RunConvertDxf("").output, "c s\n");
    std::string garbage;
    std::uint32_t state = 12345;
    for (int i = 0; i < 200000; i++) {
        state = state * 1664525u + 1013904223u;
        const char alphabet[] = "0 1\n\r\t-.e9ABCDEFLINEPOT";
        garbage += alphabet[(state >> 24) % (sizeof alphabet - 1)];
    }
    ConvertRun run = RunConvertDxf(garbage);
    EXPECT_TRUE(run.result == 0 || run.result == -1);
}

TEST(ImportLimits, InputLargerThanTheLimitIsRefused) {
    std::string huge(kMaxImportBytes + 1, ' ');
    ConvertRun dxf = RunConvertDxf(huge);
    EXPECT_EQ(dxf.result, -1);
    EXPECT_NE(dxf.error.find("larger than"), std::string::npos);
    std::string endless;
    endless.reserve(huge.size() + 4);
    while (endless.size() <= kMaxImportBytes)
        endless += "BGS ";
    ConvertRun qli = RunImportQli(endless);
    EXPECT_EQ(qli.result, -1);
    EXPECT_EQ(qli.output, "");
}

// A file is read from where its stream stands; a pipe (read in pieces) is held
// to the same limit.
TEST(ImportLimits, WholeStreamIsReadFromItsPositionAndWithinTheLimit) {
    std::FILE* file = std::tmpfile();
    ASSERT_TRUE(file);
    std::fputs("0\nSECTION\n", file);
    std::fseek(file, 2, SEEK_SET);
    std::string text;
    EXPECT_EQ(ReadWholeStream(file, 100, text), 1);
    EXPECT_EQ(text, "SECTION\n");
    std::fseek(file, 0, SEEK_SET);
    EXPECT_EQ(ReadWholeStream(file, 9, text), 0);
    std::fclose(file);
    for (std::size_t limit : {70000u, 69999u}) {
        int ends[2];
        ASSERT_EQ(pipe(ends), 0);
        ASSERT_GE(fcntl(ends[1], F_SETPIPE_SZ, 1 << 20), 70000);  // holds it all unread
        const std::string sent(70000, 'x');                       // more than one piece
        ASSERT_EQ(write(ends[1], sent.data(), sent.size()), ssize_t(sent.size()));
        close(ends[1]);
        std::FILE* pipe = fdopen(ends[0], "r");
        EXPECT_EQ(ReadWholeStream(pipe, limit, text), limit == 70000u ? 1 : 0);
        EXPECT_EQ(text.size(), limit == 70000u ? sent.size() : 0u);
        std::fclose(pipe);
    }
}

}  // namespace
