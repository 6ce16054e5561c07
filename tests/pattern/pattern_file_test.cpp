// Loading and saving pattern files: line order, commands around points, name
// lines, bounds, file-size limits and what the reader does with bad input.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <iterator>
#include <string>

#include "base/system_paths.h"
#include "base/ui_hooks.h"
#include "pattern/pattern.h"
#include "pattern/pattern_test.h"
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

std::string lastMessage;
int RecordMessage(int, int, const char* text) {
    lastMessage = text;
    return kResponseOk;
}

// The name lines of a pattern joined by "|".
std::string NamesText(const Pattern& p) {
    std::string text;
    for (const std::string& name : p.nameLines)
        text += (text.empty() ? "" : "|") + name;
    return text;
}

TEST(PatternFileLoad, MovesThePatternToTheOriginAndSavesWithThreeDecimals) {
    TempDir dir;
    auto p = Load(dir, "p X2.000 Y-1.000\np X5.2346 Y3.0004\np X3.000 Y0.000\n");
    ASSERT_TRUE(p);
    EXPECT_EQ(p->name, "test");
    EXPECT_EQ(PointsText(*p), "0,0 3.235,4 1,1");
    EXPECT_EQ(BoundsText(*p), "0 0 3.235 4 / 3.235 x 4");
    EXPECT_NEAR(p->baseHeight, 4.0f, 1e-3);
    p->x[2] = -0.25f;
    EXPECT_EQ(SaveText(dir, p.get()), "p X0.000 Y0.000\np X3.235 Y4.000\np X-0.250 Y1.000\n");
}

// Names first; each command before its point, those after the last point last.
TEST(PatternFileRoundTrip, NamesFirstCommandsBeforeTheirPointsAndAfterTheLast) {
    TempDir dir;
    auto p = Load(dir,
                  "c s\np X0.000 Y0.000\nc e s\nc F\np X1.000 Y0.500\nn second name\n"
                  "p X2.000 Y1.000\nc e e\nc s\nn first\n");
    ASSERT_TRUE(p);
    EXPECT_EQ(CommandsText(*p), "1s 2es 2f 4ee 4s");
    EXPECT_EQ(NamesText(*p), "second name|first");
    EXPECT_EQ(SaveText(dir, p.get()),
              "n second name\nn first\nc s\np X0.000 Y0.000\nc e s\nc f 10\np X1.000 Y0.500\n"
              "p X2.000 Y1.000\nc e e\nc s\n");
}

TEST(PatternFileLoad, WhatTheReaderTakesFromEachLine) {
    std::string garbage;
    for (int i = 0; i < 200000; i++)
        garbage += static_cast<char>((i * 7919) % 256);
    struct Case {
        std::string text;
        const char* points;  // null: the file is refused
        const char* commands;
        std::string names;
    } const cases[] = {
        // Lines that are no point or known command are passed over.
        {"p X1.000\np X0.000 Y0.000\np Y4.0\n# comment X9 Y9\nc x\nc e z\nc\n"
         "p X1.000 Y1.000\n\n",
         "0,0 1,1", "", ""},
        {"n Heart\r\np X0 Y0\r\nc s\r\np X1 Y2\r\n", "0,0 1,2", "2s", "Heart"},
        {std::string("p X1 Y1\nn name\0hidden\np X3 Y4\n", 30), "0,0 2,3", "", "name"},
        // Lines are read in pieces of 74 characters: the rest of a long name
        // starts a line of its own (here a point).
        {"n " + std::string(72, 'a') + "p X5 Y6\np X0 Y0\n", "5,6 0,0", "", std::string(72, 'a')},
        {"p X0 Y0\n" + std::string(2 * 1024 * 1024, 'q') + "\np X1 Y1\n", "0,0 1,1", "", ""},
        // Text that is no number reads as 0, like the controller always did.
        {"p Xabc Y2\np X1 Y1\n", "0,1 1,0", "", ""},
        // Seventeen bytes count as empty, eighteen are read.
        {"p X10.000 Y20.000\n", "0,0", "", ""},
        {"p X10.000 Y2.000\n", nullptr, "", ""},
        {"p X0 Y0\np Xnan Y1.0\np X1 Y1\n", nullptr, "", ""},
        {"p X0 Y0\np X1 Yinf\np X1 Y1\n", nullptr, "", ""},
        {"p X0 Y0\np X1e300 Y1\np X1 Y1\n", nullptr, "", ""},
        {"p X0 Y0\np X-200000 Y1\np X1 Y1\n", nullptr, "", ""},
        {"n only names here\nn and more\n", nullptr, "", ""},
        {garbage, nullptr, "", ""},
    };
    TempDir dir;
    for (const Case& c : cases) {
        auto p = Load(dir, c.text);
        const std::string head = c.text.substr(0, 40);
        if (!c.points) {
            EXPECT_FALSE(p) << head;
            continue;
        }
        ASSERT_TRUE(p) << head;
        EXPECT_EQ(PointsText(*p), c.points) << head;
        EXPECT_EQ(CommandsText(*p), c.commands) << head;
        EXPECT_EQ(NamesText(*p), c.names) << head;
    }
}

TEST(PatternFileBadInput, MissingFoldersAndOversizedFilesAreRefused) {
    TempDir dir;
    EXPECT_FALSE(newPattern(dir.File("missing.qcc").c_str(), 0));
    EXPECT_FALSE(newPattern(dir.path.c_str(), 0));  // a folder
    // A file over the limit is refused from its size alone (a sparse file).
    std::string big = dir.File("big.qcc");
    ASSERT_TRUE(WriteFileText(big, "p X0 Y0\np X1 Y1\n"));
    ASSERT_EQ(truncate(big.c_str(), kMaxPatternFileBytes + 1), 0);
    EXPECT_FALSE(newPattern(big.c_str(), 0));
}

TEST(PatternFileUsb, NeedsTheDriveForUsbPaths) {
    TempDir root;
    ASSERT_EQ(SetSystemRoot(root.path.c_str()), 1);
    UserInterfaceHooks hooks;
    hooks.showMessage = RecordMessage;
    SetUserInterfaceHooks(hooks);
    lastMessage.clear();
    EXPECT_FALSE(newPattern("/media/usb/heart.qcc", 0));
    EXPECT_EQ(lastMessage.rfind("USB DRIVE NOT DETECTED.", 0), 0u);

    std::filesystem::create_directories(root.File("media/usb"));
    ASSERT_TRUE(WriteFileText(root.File("media/usb/heart.qcc"), "p X0.0 Y0.0\np X1.0 Y2.0\n"));
    lastMessage.clear();
    auto p = newPattern("/media/usb/heart.qcc", 0);
    ASSERT_TRUE(p);
    EXPECT_EQ(p->name, "heart");
    EXPECT_TRUE(lastMessage.empty());
    SetUserInterfaceHooks({});
    SetSystemRoot(nullptr);
}

// The extension is added only when missing, the old file is replaced whole with
// no temporary file left, and without a path the pattern's name is the path.
TEST(PatternFileSave, ReplacesTheFileWholeAtThePathOrTheName) {
    TempDir dir;
    std::string path = dir.File("a.qcc");
    ASSERT_TRUE(WriteFileText(path, "n old\np X0 Y0\np X9 Y9\n"));
    Pattern p;
    p.name = dir.File("named");
    addData(&p, "n new", 1);
    addData(&p, "p X1.5 Y2.5", 1);
    const std::string text = "n new\np X1.500 Y2.500\n";
    EXPECT_EQ(savePattern(&p, path.c_str()), 1);
    EXPECT_EQ(ReadFileText(path), text);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path), {}), 1);
    EXPECT_EQ(savePattern(&p, dir.File("plain").c_str()), 1);
    EXPECT_EQ(ReadFileText(dir.File("plain.qcc")), text);
    EXPECT_EQ(savePattern(&p, dir.File("kept.qcc.bak").c_str()), 1);
    EXPECT_EQ(ReadFileText(dir.File("kept.qcc.bak")), text);
    EXPECT_EQ(savePattern(&p, nullptr), 1);
    EXPECT_EQ(ReadFileText(dir.File("named.qcc")), text);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path), {}), 4);
    // A folder that does not exist cannot take the file.
    EXPECT_EQ(savePattern(&p, dir.File("no/such/folder/x.qcc").c_str()), 0);
}

// Found by fuzzing: a name line cut by the 74-character reads ends in carriage
// returns, which lost one at every save and load.
TEST(PatternFileRoundTrip, NameLinesEndingInCarriageReturnsStayTheSame) {
    TempDir dir;
    const std::string cut = "n Scaollp ald cl buon Bor" + std::string(54, '\r') + "der\n";
    auto p = Load(dir, "n Border\n" + cut + "p X2.123 Y5.234\np X3.424 Y5.244\n");
    ASSERT_TRUE(p);
    EXPECT_EQ(NamesText(*p), "Border|Scaollp ald cl buon Bor");
    auto again = Load(dir, SaveText(dir, p.get()), "again.qcc");
    ASSERT_TRUE(again);
    EXPECT_EQ(again->nameLines, p->nameLines);
}

// Found by fuzzing: of these lines only one is a point, and a pattern of one
// point alone saves to a file shorter than the reader's smallest.
TEST(PatternFileSave, ALonePointIsNotSavedAsAFileThatCouldNotBeReadBack) {
    TempDir dir;
    auto p = Load(dir,
                  "oop-/media/usb/de-loop row 25 in\np X0.5 X0.4eroopl -ow 18 in\n"
                  "p X0.55loop /media/usb/deroopl -ow 18 in\np X0.55loop row 25 in\n"
                  "p X0.5 X0.450 Y11.328\np c s\n");
    ASSERT_TRUE(p);
    ASSERT_EQ(p->pointCount, 1);
    const std::string path = dir.File("lone.qcc");
    EXPECT_EQ(savePattern(p.get(), path.c_str()), 0);
    EXPECT_FALSE(std::filesystem::exists(path));
    addData(p.get(), "c s", 0);
    EXPECT_EQ(savePattern(p.get(), path.c_str()), 1);
    EXPECT_TRUE(newPattern(path.c_str(), 0));
}

TEST(PatternAddData, AppendsLinesAndAttachesCommandsByTheFlag) {
    Pattern p;
    addData(&p, "n Traced", 1);
    addData(&p, "c s", 1);  // precedes the next point: 1
    addData(&p, "p X2.0 Y3.0\n", 1);
    addData(&p, "p X-1.0 Y5.0", 1);
    addData(&p, "c e s", 0);  // precedes the last point added: 2
    addData(&p, "c e x", 1);  // anything but "s" ends an entity
    addData(&p, "c f 10", 1);
    addData(&p, "p X7.0", 1);  // no Y: ignored
    addData(&p, "p Xnan Y1", 1);
    addData(&p, "z whatever", 1);
    EXPECT_EQ(NamesText(p), "Traced");
    EXPECT_EQ(PointsText(p), "2,3 -1,5");
    EXPECT_EQ(CommandsText(p), "1s 2es 3ee 3f");
    EXPECT_EQ(BoundsText(p), "-1 3 2 5 / 3 x 2");
    clearPattern(&p);  // everything but the record goes
    EXPECT_EQ(p.pointCount + p.commandCount + p.nameCount, 0);
    EXPECT_TRUE(p.x.empty() && p.commandPoint.empty() && p.nameLines.empty());
}

TEST(PatternBounds, UpdatePatternSizeMeasuresWithoutMoving) {
    Pattern p;
    EXPECT_FLOAT_EQ(p.minX, 999999.0f);
    EXPECT_FLOAT_EQ(p.maxY, -99999.0f);
    addData(&p, "p X2 Y-1", 1);
    addData(&p, "p X5 Y3", 1);
    p.x[0] = 12000.0f;  // beyond the old +-9999.9 start values
    UpdatePatternSize(&p);
    EXPECT_EQ(BoundsText(p), "5 -1 12000 3 / 11995 x 4");
    OffsetPattern(&p, 5.0f, -1.0f);
    EXPECT_EQ(PointsText(p), "11995,0 0,4");
    EXPECT_EQ(BoundsText(p), "5 -1 12000 3 / 11995 x 4");  // untouched by the offset
}

struct PatternListTest : ::testing::Test {
    void TearDown() override { ClearPatternList(); }
};

TEST_F(PatternListTest, SlotsFillFromTheLowestAndRefuseTheFiftyFirst) {
    EXPECT_EQ(GetNextPattern(), 0);
    for (int i = 0; i < kPatternSlots; i++) {
        int slot = GetNextPattern();
        ASSERT_EQ(slot, i);
        ASSERT_EQ(AddPatternToList(slot, std::make_unique<Pattern>()), 1);
    }
    EXPECT_EQ(patternList.count, 50);
    EXPECT_EQ(patternList.freeSlots, 0);
    EXPECT_EQ(GetNextPattern(), -1);

    RemovePatternFromList(7);
    RemovePatternFromList(3);
    RemovePatternFromList(3);  // already empty: nothing changes
    EXPECT_EQ(patternList.count, 48);
    EXPECT_EQ(patternList.freeSlots, 2);
    EXPECT_EQ(GetNextPattern(), 3);
    EXPECT_EQ(GetPattern(3), nullptr);
    EXPECT_NE(GetPattern(4), nullptr);
    EXPECT_EQ(AddPatternToList(4, std::make_unique<Pattern>()), 0);  // taken
    // Indexes outside the table and empty records are refused.
    EXPECT_EQ(GetPattern(-1), nullptr);
    EXPECT_EQ(GetPattern(50), nullptr);
    EXPECT_EQ(AddPatternToList(50, std::make_unique<Pattern>()), 0);
    EXPECT_EQ(AddPatternToList(3, nullptr), 0);
    EXPECT_EQ(patternList.count, 48);
}

}  // namespace
