#include "layout/layout_file.h"

#include <sys/stat.h>

#include "base/system_paths.h"
#include "layout/layout_selection.h"
#include "layout/placement/placement_fixture.h"
#include "support/temp_dir.h"

namespace {

struct LayoutFileTest : PlacementTest {
    void SetUp() override {
        PlacementTest::SetUp();
        script.messageResponse = kResponseOk;
        SetSystemRoot(dir.path.c_str());
        mkdir(dir.File("tmp").c_str(), 0777);
    }
    void TearDown() override {
        SetSystemRoot(nullptr);
        PlacementTest::TearDown();
    }
    // A layout of extents, two boxes, two patterns (one in a gap) and an array.
    void BuildLayout() {
        BogusExtents();
        InitPatternBox();
        MakeBox({{0, 10}, {10, 10}, {10, 0}, {0, 0}});
        MakeBox({{12, 10}, {20, 10}, {20, 2}});
        int gap = LoadRectangle(9, 9);
        int a = LoadRectangle(2, 1);
        int b = LoadRectangle(1, 3);
        Pattern* pa = GetPattern(a);
        pa->name = "star";
        pa->angle = 45;
        pa->commandType = {PatternCommandType::Stop, PatternCommandType::EntityEnd};
        pa->commandPoint = {2, 4};
        pa->commandCount = 2;
        RemovePatternFromList(gap);  // slot 0 is now empty
        NewArrayNode(1, 1, 1, 1);
        int array = NewArrayNode(2, 1.5f, 3, 2.5f);
        RemoveArrayNode(0);  // array slot 0 is now empty
        SetCurrentPatternBox(0);
        NewPatternLayoutNode(a, array, 1, 1.5f, 2.5f);
        NewPatternLayoutNode(a, array, 0, 4, 2.5f);
        SetCurrentPatternBox(1);
        NewPatternLayoutNode(b, -1, 0, 0.25f, 0.5f);
    }
    TempDir dir;
};

// Patterns and arrays are numbered anew without the empty slots; what is
// read back serializes to the same bytes.
TEST_F(LayoutFileTest, SaveAndLoadKeepEveryPlacementOnItsPatternBoxAndArray) {
    BuildLayout();
    const std::string before = SerializeLayout();
    // Extents: tag, 7 floats, count, 4 corners of 12 bytes, end byte; then
    // slot 1 (slot 0 is empty).
    const size_t at = 1 + 7 * 4 + 4 + 4 * 12;
    EXPECT_EQ((std::vector<int>{before[0], before[at], before[at + 1]}),
              (std::vector<int>{kTagExtents, kSectionEnd, kTagPattern}));
    EXPECT_EQ(std::string(before.data() + at + 2), "star");
    const std::string path = dir.File("layout");
    ASSERT_EQ(SaveLayout(path.c_str(), 0, 1), 1);
    // Loading asks first; Cancel discards nothing.
    script.messageResponse = kResponseCancel;
    EXPECT_EQ(LoadLayout((path + ".qlf").c_str(), 1, 0), 0);
    EXPECT_EQ(script.shown.back(), "THIS WILL ERASE ALL CURRENT LAYOUT INFORMATION.\n\nCONTINUE?");
    EXPECT_EQ(SerializeLayout(), before);
    script.messageResponse = kResponseOk;
    FreeLayout();
    ASSERT_EQ(LoadLayout((path + ".qlf").c_str(), 1, 0), 1);
    EXPECT_EQ(CurrentLayoutName(), path);
    EXPECT_EQ(SerializeLayout(), before);
    ExpectFloats({extents->width, GetPatternBox(1)->corners->next->next->y}, {35, 2});
    ASSERT_EQ(CountLayoutNodes(), 3);
    const LayoutNode* first = patternLayout;
    ASSERT_EQ(first->source, first);
    const Pattern* star = GetPattern(first->patternIndex);
    ASSERT_NE(star, nullptr);
    EXPECT_EQ(star->name, "star");
    EXPECT_EQ(
        (std::vector<int>{first->patternIndex, star->commandPoint[1], first->arrayIndex,
                          GetArrayNode(0)->across, first->parent, first->next->next->boxIndex}),
        (std::vector<int>{0, 4, 0, 3, 1, 1}));
    EXPECT_EQ(FilterLayoutName("my layout#1"), "mylayout1");
    EXPECT_EQ(FilterLayoutName("./recovery"), "recovery");
    EXPECT_EQ(FilterLayoutName("!@#$ ./\""), "");
    script.shown.clear();
    EXPECT_EQ(SaveLayout(std::string(124, 'a').c_str(), 0, 0), 0);
    EXPECT_EQ(script.shown, std::vector<std::string>{"FILENAME IS TOO LONG"});
    // An existing file is replaced only after OK.
    script.messageResponse = kResponseCancel;
    EXPECT_EQ(SaveLayout(path.c_str(), 1, 1), 0);
    EXPECT_EQ(script.shown.back(), "FILE EXISTS!\nOVERWRITE FILE?");
    script.messageResponse = kResponseOk;
    EXPECT_EQ(SaveLayout(path.c_str(), 1, 1), 1);
    EXPECT_EQ(SaveLayout(dir.File("no/such/folder/x").c_str(), 0, 1), 0);
}

TEST_F(LayoutFileTest, DamagedFilesAreReadAsFarAsTheyGo) {
    BuildLayout();
    std::string bytes = SerializeLayout();
    const std::string path = dir.File("damaged.qlf");
    // A wrong end byte after the extents is logged and reading goes on.
    std::string wrongEnd = bytes;
    wrongEnd[1 + 7 * 4 + 4 + 4 * 12] = 17;
    ASSERT_TRUE(WriteFileText(path, wrongEnd));
    EXPECT_EQ(LoadLayout(path.c_str(), 1, 1), 1);
    EXPECT_EQ(patternList.count, 2);
    EXPECT_EQ(CountLayoutNodes(), 3);
    // Refused: cut in the middle of the first pattern's points, or a point
    // count far beyond the file (a short read, not a huge allocation); the
    // layout loaded before stays whole, with its current box and selection.
    const std::string before = SerializeLayout();
    SetCurrentPatternBox(1);
    SetSelectedNode(patternLayout->next);
    const std::string refused[] = {
        bytes.substr(0, 1 + 7 * 4 + 4 + 4 * 12 + 1 + 1 + 768 + 50),
        std::string(1, kTagPattern) + std::string(768 + 8 * 4 + 4 + 8, '\0') + "\xff\xff\xff\x7f"};
    for (const std::string& damaged : refused) {
        ASSERT_TRUE(WriteFileText(path, damaged));
        script.shown.clear();
        EXPECT_EQ(LoadLayout(path.c_str(), 1, 1), 0);
        EXPECT_EQ(script.shown, std::vector<std::string>{"ERROR READING LAYOUT FILE."});
        EXPECT_EQ(SerializeLayout(), before);
        EXPECT_EQ(CurrentPatternBox(), 1);
        EXPECT_TRUE(patternLayout && SelectedNode() == patternLayout->next);
    }
    // Tag 3 and stray bytes are skipped; a placement of a missing pattern is dropped.
    ASSERT_TRUE(WriteFileText(
        path, std::string("\x03junk\x10\x63\x07\x05", 8) + std::string(21, '\0') + "\x10"));
    EXPECT_EQ(LoadLayout(path.c_str(), 1, 1), 1);
    EXPECT_EQ(patternLayout, nullptr);
    script.shown.clear();
    EXPECT_EQ(LoadLayout(dir.File("missing.qlf").c_str(), 1, 1), 0);
    EXPECT_EQ(script.shown, std::vector<std::string>{"COULD NOT OPEN LAYOUT FILE."});
}

// Found by fuzzing: a command numbered -2147483648 overflowed the drawing of
// the pattern. Numbers outside the pattern are read as its first point or the
// place after its last.
TEST_F(LayoutFileTest, CommandNumbersOutsideThePatternAreBroughtIntoIt) {
    BuildLayout();
    Pattern* star = GetPattern(1);
    star->commandPoint = {INT32_MIN, INT32_MAX};
    const std::string path = dir.File("commands.qlf");
    ASSERT_TRUE(WriteFileText(path, SerializeLayout()));
    ASSERT_EQ(LoadLayout(path.c_str(), 1, 1), 1);
    EXPECT_EQ(GetPattern(0)->commandPoint, (std::vector<int>{1, GetPattern(0)->pointCount + 1}));
    LoadLayout(LONGARM_SOURCE_DIR "/tests/data/fuzz/layout_command_point.qlf", 1, 1);
    for (int slot = 0; slot < kPatternSlots; slot++) {
        const Pattern* p = GetPattern(slot);
        for (int c = 0; p && c < p->commandCount; c++)
            EXPECT_TRUE(p->commandPoint[c] >= 1 && p->commandPoint[c] <= p->pointCount + 1) << slot;
    }
    SetViewScale(0.1f);
    RefreshPatternPix();  // draws every pattern with its commands
}

TEST_F(LayoutFileTest, OneUndoStepAndOneSetpoint) {
    static int availability;
    availability = -1;
    undoAvailabilityChanged = [](int available) { availability = available; };
    BuildLayout();
    ASSERT_EQ(CreateUndoFile(), 1);
    EXPECT_EQ(availability, 1);
    MoveLayoutAll(5, 5);
    RemoveLayoutNode(patternLayout);
    EXPECT_EQ((std::vector<int>{RestoreUndoFile(), availability, CountLayoutNodes()}),
              (std::vector<int>{1, 0, 3}));
    EXPECT_FLOAT_EQ(patternLayout->x, 1.5f);
    // The second undo finds no file and changes nothing.
    MoveLayoutAll(1, 0);
    EXPECT_EQ(RestoreUndoFile(), 0);
    EXPECT_FLOAT_EQ(patternLayout->x, 2.5f);
    undoAvailabilityChanged = nullptr;
    EXPECT_EQ(RestoreSetpoint(), 0);
    ASSERT_EQ(CreateSetpoint(), 1);
    EXPECT_FALSE(ReadFileText(dir.File("tmp/setPoint.qlf")).empty());
    MoveLayoutAll(1, 0);
    EXPECT_EQ(RestoreSetpoint(), 1);
    EXPECT_FLOAT_EQ(patternLayout->x, 2.5f);
    EXPECT_EQ(CurrentLayoutName(), "");
}

}  // namespace
