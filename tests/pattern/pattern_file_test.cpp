// Loading and saving pattern files: line order, commands around points, name
// lines, bounds, and what the reader does with bad input.
#include <gtest/gtest.h>

#include <string>

#include "pattern/pattern.h"
#include "support/temp_dir.h"

namespace {

std::unique_ptr<Pattern> Load(const TempDir& dir, const std::string& text,
                              const std::string& name = "test.qcc") {
    std::string path = dir.File(name);
    EXPECT_TRUE(WriteFileText(path, text));
    return newPattern(path.c_str(), 0);
}

std::string SaveText(const TempDir& dir, const Pattern* pattern) {
    std::string path = dir.File("out.qcc");
    EXPECT_EQ(savePattern(pattern, path.c_str()), 1);
    return ReadFileText(path);
}

TEST(PatternFileLoad, MovesThePatternToTheOriginAndMeasuresIt) {
    TempDir dir;
    auto p = Load(dir, "p X2.000 Y-1.000\np X5.000 Y3.000\np X3.000 Y0.000\n");
    ASSERT_TRUE(p);
    EXPECT_EQ(p->name, "test");
    EXPECT_EQ(p->pointCount, 3);
    EXPECT_FLOAT_EQ(p->x[0], 0.0f);
    EXPECT_FLOAT_EQ(p->y[0], 0.0f);
    EXPECT_FLOAT_EQ(p->x[1], 3.0f);
    EXPECT_FLOAT_EQ(p->y[1], 4.0f);
    EXPECT_FLOAT_EQ(p->x[2], 1.0f);
    EXPECT_FLOAT_EQ(p->y[2], 1.0f);
    EXPECT_FLOAT_EQ(p->width, 3.0f);
    EXPECT_FLOAT_EQ(p->height, 4.0f);
    EXPECT_FLOAT_EQ(p->baseWidth, 3.0f);
    EXPECT_FLOAT_EQ(p->baseHeight, 4.0f);
    EXPECT_FLOAT_EQ(p->minX, 0.0f);
    EXPECT_FLOAT_EQ(p->minY, 0.0f);
    EXPECT_FLOAT_EQ(p->maxX, 3.0f);
    EXPECT_FLOAT_EQ(p->maxY, 4.0f);
    EXPECT_EQ(p->angle, 0);
    EXPECT_FLOAT_EQ(p->xScalePercent, 100.0f);
}

TEST(PatternFileRoundTrip, NamesFirstCommandsBeforeTheirPointsAndAfterTheLast) {
    TempDir dir;
    auto p = Load(dir,
                  "c s\n"
                  "p X0.000 Y0.000\n"
                  "c e s\n"
                  "c F\n"
                  "p X1.000 Y0.500\n"
                  "n second name\n"
                  "p X2.000 Y1.000\n"
                  "c e e\n"
                  "c s\n"
                  "n first\n");
    ASSERT_TRUE(p);
    ASSERT_EQ(p->commandCount, 5);
    EXPECT_EQ(p->commandPoint[0], 1);
    EXPECT_EQ(p->commandType[0], PatternCommandType::Stop);
    EXPECT_EQ(p->commandType[2], PatternCommandType::FMark);
    EXPECT_EQ(p->commandPoint[3], 4);
    EXPECT_EQ(p->commandPoint[4], 4);
    EXPECT_EQ(SaveText(dir, p.get()),
              "n second name\n"
              "n first\n"
              "c s\n"
              "p X0.000 Y0.000\n"
              "c e s\n"
              "c f 10\n"
              "p X1.000 Y0.500\n"
              "p X2.000 Y1.000\n"
              "c e e\n"
              "c s\n");
}

TEST(PatternFileLoad, IgnoresPointLinesWithoutBothFields) {
    TempDir dir;
    auto p = Load(dir, "p X1.000\np X0.000 Y0.000\np Y4.0\np X1.000 Y1.000\nq X9 Y9\n");
    ASSERT_TRUE(p);
    EXPECT_EQ(p->pointCount, 2);
    EXPECT_FLOAT_EQ(p->width, 1.0f);
}

TEST(PatternFileLoad, SeventeenBytesAreEmptyEighteenAreRead) {
    TempDir dir;
    std::string seventeen = "p X10.000 Y2.000\n";
    std::string eighteen = "p X10.000 Y20.000\n";
    ASSERT_EQ(seventeen.size(), 17u);
    ASSERT_EQ(eighteen.size(), 18u);
    EXPECT_FALSE(Load(dir, seventeen));
    auto p = Load(dir, eighteen);
    ASSERT_TRUE(p);
    EXPECT_EQ(p->pointCount, 1);
}

TEST(PatternFileSave, AddsTheExtensionOnlyWhenMissing) {
    TempDir dir;
    auto p = Load(dir, "p X0.000 Y0.000\np X1.000 Y1.000\n");
    ASSERT_TRUE(p);
    EXPECT_EQ(savePattern(p.get(), dir.File("plain").c_str()), 1);
    EXPECT_FALSE(ReadFileText(dir.File("plain.qcc")).empty());
    EXPECT_EQ(savePattern(p.get(), dir.File("kept.qcc.bak").c_str()), 1);
    EXPECT_FALSE(ReadFileText(dir.File("kept.qcc.bak")).empty());
    EXPECT_TRUE(ReadFileText(dir.File("kept.qcc.bak.qcc")).empty());
}

}  // namespace
