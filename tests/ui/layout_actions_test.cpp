// The layout menu actions: adding patterns, new, open, save, save-as, the
// set-point and undo items, with the scripted responder.
#include <gtest/gtest.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "base/application_state.h"
#include "base/recovery_image.h"
#include "base/system_paths.h"
#include "base/ui_hooks.h"
#include "layout/layout_file.h"
#include "layout/layout_tree.h"
#include "layout/pattern_box.h"
#include "layout_fixture.h"
#include "pattern/pattern.h"
#include "support/temp_dir.h"
#include "ui/extents_setup.h"
#include "ui/file_chooser.h"
#include "ui/layout_actions.h"
#include "ui/menu.h"
#include "ui/startup.h"

namespace {

// The next file chooser, answered from inside its modal loop: its folder and
// rows are kept, then the row named chosenName is taken with OK, or Cancel is
// pressed when the name is empty.
std::string chosenName, chooserFolder;
std::vector<std::string> chooserRows;

gboolean AnswerChooser(gpointer) {
    if (!FileChooserOpen()) return TRUE;  // not open yet
    chooserFolder = FileChooserFolder();
    chooserRows.clear();
    for (const ChooserRow& row : FileChooserRows())
        chooserRows.push_back(row.name);
    if (!chosenName.empty()) FileChooserSelect(chosenName);
    FileChooserRespond(chosenName.empty() ? 0 : 1);
    return FALSE;
}

void AnswerNextChooser(const std::string& name) {
    chosenName = name;
    g_timeout_add(20, AnswerChooser, nullptr);
}

// Tests run in a temporary program folder with its Layout folder and a root
// for "/tmp/undo" and "/tmp/setPoint".
class LayoutActions : public BoardLayoutTest {
protected:
    void SetUp() override {
        ASSERT_EQ(getcwd(saved, sizeof saved), saved);
        ASSERT_EQ(chdir(dir.path.c_str()), 0);
        ASSERT_EQ(mkdir("Layout", 0777), 0);
        ASSERT_EQ(mkdir(root.File("tmp").c_str(), 0777), 0);
        ASSERT_TRUE(SetSystemRoot(root.path.c_str()));
        ASSERT_TRUE(WriteFileText(dir.File("square.qcc"),
                                  "p X0.000 Y0.000\np X2.000 Y0.000\np X2.000 Y1.000\n"));
        BoardLayoutTest::SetUp();
    }
    void TearDown() override {
        BoardLayoutTest::TearDown();
        SetSystemRoot("");
        ASSERT_EQ(chdir(saved), 0);
    }
    void MeasureTable() { BoardLayoutTest::MeasureTable(responder); }
    bool ItemUsable(MenuItemId item) {
        GtkWidget* widget = MenuRecord()->items[item];
        return widget && GTK_WIDGET_SENSITIVE(widget);
    }

    char saved[4096];
    TempDir dir, root;
    ScriptedResponder responder;
};

TEST_F(LayoutActions, AddedPatternsSitAtTheBoxOriginTurnedToTheBoxAngle) {
    MeasureTable();
    ASSERT_EQ(AddPatternToCurrentBox(dir.File("square.qcc").c_str()), 1);
    ASSERT_EQ(patternList.count, 1);
    ASSERT_NE(patternLayout, nullptr);
    EXPECT_EQ(patternLayout->patternIndex, 0);
    EXPECT_EQ(patternLayout->arrayIndex, -1);
    EXPECT_EQ(patternLayout->boxIndex, 0);
    EXPECT_FLOAT_EQ(patternLayout->x, 0);
    EXPECT_FLOAT_EQ(patternLayout->y, 0);
    EXPECT_EQ(GetPattern(0)->angle, 0);

    // A box whose first edge runs at 90 degrees turns the pattern a quarter.
    GetPatternBox(0)->angle = 90.7f;
    ASSERT_EQ(AddPatternToCurrentBox(dir.File("square.qcc").c_str()), 1);
    const Pattern* turned = GetPattern(1);
    ASSERT_NE(turned, nullptr);
    EXPECT_EQ(turned->angle, 90);
    EXPECT_NEAR(turned->width, 1.0f, 1e-3);
    EXPECT_NEAR(turned->height, 2.0f, 1e-3);
    EXPECT_EQ(CountLayoutNodes(0), 2);

    EXPECT_EQ(AddPatternToCurrentBox(dir.File("missing.qcc").c_str()), 0);
    EXPECT_EQ(CountLayoutNodes(), 2);

    // A full pattern table refuses with the message.
    while (patternList.count < kPatternSlots)
        ASSERT_EQ(AddPatternToCurrentBox(dir.File("square.qcc").c_str()), 1);
    responder.shown.clear();
    EXPECT_EQ(AddPatternToCurrentBox(dir.File("square.qcc").c_str()), 0);
    EXPECT_EQ(responder.Texts(),
              std::vector<std::string>{"MAXIMUM PATTERN COUNT EXCEEDED.\nPLEASE LINK YOUR "
                                       "PATTERNS TO CREATE MORE SPACE."});
    EXPECT_EQ(CountLayoutNodes(), kPatternSlots);
}

TEST_F(LayoutActions, SaveAsSaveAndOpenKeepTheLayoutAndItsName) {
    MeasureTable();
    ASSERT_EQ(AddPatternToCurrentBox(dir.File("square.qcc").c_str()), 1);

    // Cancel and a name of only removed characters save nothing.
    menuEditSaveLayoutAs(nullptr, nullptr);
    responder.keyboard = {"#!? ."};
    menuEditSaveLayoutAs(nullptr, nullptr);
    EXPECT_EQ(responder.prompts, std::vector<std::string>(2, "SAVE AS:"));
    EXPECT_EQ(access("Layout/.qlf", F_OK), -1);
    EXPECT_EQ(CurrentLayoutName(), "");

    EXPECT_TRUE(responder.shown.empty());
    responder.keyboard = {"my layout#1"};
    menuEditSaveLayoutAs(nullptr, nullptr);
    ASSERT_EQ(access("Layout/mylayout1.qlf", F_OK), 0);
    EXPECT_EQ(responder.Texts(), std::vector<std::string>{"FILE SAVED:\n./Layout/mylayout1.qlf"});
    EXPECT_EQ(CurrentLayoutName(), "./Layout/mylayout1");
    const std::string firstSave = ReadFileText("Layout/mylayout1.qlf");

    // Save asks before overwriting the current layout; Cancel writes nothing.
    ASSERT_EQ(AddPatternToCurrentBox(dir.File("square.qcc").c_str()), 1);
    responder.shown.clear();
    responder.answers = {kResponseCancel};
    menuEditSaveLayout(nullptr, nullptr);
    ASSERT_EQ(responder.Texts(), std::vector<std::string>{"THIS WILL OVERWRITE THE CURRENT "
                                                          "LAYOUT:\nmylayout1\nWOULD YOU LIKE TO "
                                                          "CONTINUE?"});
    EXPECT_EQ(ReadFileText("Layout/mylayout1.qlf"), firstSave);
    responder.shown.clear();
    menuEditSaveLayout(nullptr, nullptr);
    EXPECT_EQ(ReadFileText("Layout/mylayout1.qlf"), SerializeLayout());
    ASSERT_EQ(responder.Texts().size(), 2u);
    EXPECT_EQ(responder.Texts()[1], "FILE SAVED:\n./Layout/mylayout1.qlf");
    EXPECT_EQ(CurrentLayoutName(), "./Layout/mylayout1");

    // A new layout empties everything and starts the quilt-area procedure.
    responder.answers = {kResponseCancel};
    menuMainNewLayout(nullptr, nullptr);
    EXPECT_EQ(CountLayoutNodes(), 2);
    menuMainNewLayout(nullptr, nullptr);
    EXPECT_EQ(extents, nullptr);
    EXPECT_EQ(patternList.count, 0);
    EXPECT_EQ(patternBoxList.count, 0);
    EXPECT_EQ(CurrentLayoutName(), "");
    EXPECT_STREQ(CurrentScreenName(), "quilt-area setup");
    EXPECT_EQ(MenuStateMask(), kQuiltAreaMenuMask);

    // Open: the chooser offers layout files; the machine is homed after OK.
    ASSERT_TRUE(WriteFileText("Layout/notes.txt", "not a layout"));
    At(3, 4);
    AnswerNextChooser("mylayout1.qlf");
    responder.shown.clear();
    menuMainLoadLayout(nullptr, nullptr);
    EXPECT_EQ(chooserFolder, "./Layout/");
    EXPECT_EQ(chooserRows, std::vector<std::string>{"mylayout1.qlf"});
    EXPECT_EQ(CountLayoutNodes(0), 2);
    EXPECT_EQ(patternList.count, 2);
    ASSERT_NE(extents, nullptr);
    EXPECT_FLOAT_EQ(extents->width, 40);
    EXPECT_EQ(State("x"), "0");  // homed where the head stood
    EXPECT_EQ(State("y"), "0");
    EXPECT_EQ(responder.Texts(),
              (std::vector<std::string>{
                  "THIS WILL ERASE ALL CURRENT LAYOUT INFORMATION.\n\nCONTINUE?",
                  "\nMOVE YOUR MACHINE TO THE HOME LOCATION ON YOUR TABLE AND PRESS OK."}));
    EXPECT_STREQ(CurrentScreenName(), "layout view");
    EXPECT_EQ(CurrentLayoutName(), "./Layout/mylayout1");
}

TEST_F(LayoutActions, UndoAndRestoreSetpointAreUsableExactlyWhileTheirFileExists) {
    MeasureTable();
    SetMenuStateMask(kLayoutViewMenuMask);
    EXPECT_FALSE(ItemUsable(kItemUndo));
    EXPECT_FALSE(ItemUsable(kItemRestoreSetpoint));
    ASSERT_TRUE(ItemUsable(kItemCreateSetpoint));

    ASSERT_EQ(AddPatternToCurrentBox(dir.File("square.qcc").c_str()), 1);
    menuEditCreateSetpoint(nullptr, nullptr);
    EXPECT_TRUE(ItemUsable(kItemRestoreSetpoint));
    ASSERT_EQ(CreateUndoFile(), 1);
    EXPECT_TRUE(ItemUsable(kItemUndo));
    ASSERT_EQ(AddPatternToCurrentBox(dir.File("square.qcc").c_str()), 1);

    menuEditUndo(nullptr, nullptr);
    EXPECT_EQ(CountLayoutNodes(), 1);
    EXPECT_FALSE(ItemUsable(kItemUndo));

    ASSERT_EQ(AddPatternToCurrentBox(dir.File("square.qcc").c_str()), 1);
    ASSERT_EQ(AddPatternToCurrentBox(dir.File("square.qcc").c_str()), 1);
    menuEditRestoreSetpoint(nullptr, nullptr);
    EXPECT_EQ(CountLayoutNodes(), 1);
    EXPECT_TRUE(ItemUsable(kItemRestoreSetpoint));  // the set-point stays for another restore
}

}  // namespace
