// The guided quilt-area and pattern-box procedures and the layout menu actions
// (add, new, open, save, save-as, set-point, undo), driven against the
// simulated board, whose head the tests push by hand, and answered through the
// scripted responder.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <string>
#include <vector>

#include "base/application_state.h"
#include "base/screen_config.h"
#include "base/system_paths.h"
#include "base/ui_hooks.h"
#include "layout/box_drawing.h"
#include "layout/layout_file.h"
#include "layout/layout_selection.h"
#include "layout/layout_tree.h"
#include "layout/pattern_box.h"
#include "layout/placement_spot.h"
#include "layout/view_transform.h"
#include "machine/serial_link.h"
#include "pattern/pattern.h"
#include "support/chooser_rows.h"
#include "support/mc1sim_fixture.h"
#include "support_ui/ui_fixture.h"
#include "ui/extents_setup.h"
#include "ui/file_chooser.h"
#include "ui/interface.h"
#include "ui/layout_actions.h"
#include "ui/menu.h"
#include "ui/startup.h"

namespace {

constexpr const char* kTableText = "TABLE WIDTH = 40.000 IN.\nTABLE HEIGHT = 20.000 IN.";

// The box's corners are these, in this order, within a ten-thousandth.
::testing::AssertionResult SameCorners(const PatternBox* box, const std::vector<QuiltPoint>& want) {
    std::string text;
    size_t i = 0;
    bool same = true;
    for (const PatternBoxPoint* c = box ? box->corners : nullptr; c; c = c->next, i++) {
        text += "(" + std::to_string(c->x) + ", " + std::to_string(c->y) + ") ";
        same = same && i < want.size() && std::abs(c->x - want[i].x) <= 1e-4f &&
               std::abs(c->y - want[i].y) <= 1e-4f;
    }
    if (same && i == want.size()) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "corners " << text;
}

// The layout window with an empty layout on the serial line of a simulated
// board, in a program folder of its own.
class Procedures : public ::testing::Test, public TestFolder {
protected:
    void SetUp() override {
        ASSERT_TRUE(EnsureGtk()) << "no X display for the window tests";
        ASSERT_TRUE(board.running) << board.error;
        ASSERT_EQ(mkdir("Layout", 0777), 0);
        ASSERT_TRUE(
            WriteFileText("square.qcc", "p X0.000 Y0.000\np X2.000 Y0.000\np X2.000 Y1.000\n"));
        SetSerialDevicePath(board.device);
        ASSERT_GE(OpenPort(), 0);
        if (!interface) interface = NewInterfaceStruct();
        ResetLayoutSelection();
        FreeLayout();
        InitPatternBox();
        pbTemp.reset();
        InstallLayoutInterface();
        MakeMainWindow(true);
    }
    void TearDown() override {
        PressSetupButton(1, 3);  // ends live tracking if a procedure was left running
        DropMainWindow();
        FreeLayout();
        pbTemp.reset();
        ClosePort();
        SetSerialDevicePath("");
    }
    std::string State(const char* key) { return StateValue(SimControl(board, "state"), key); }
    void Silence(bool on) { SimControl(board, on ? "silence on" : "silence off"); }
    // Pushes the head by hand by (dx, dy) thousandths of an inch, once the
    // board has freed both axes; or to (x, y) inches of the board's coordinates.
    void Push(int dx, int dy) {
        ASSERT_TRUE(WaitForState(board, "xenabled", "0", 2000));
        ASSERT_TRUE(WaitForState(board, "yenabled", "0", 2000));
        const std::string reply =
            SimControl(board, "push " + std::to_string(dx) + " " + std::to_string(dy));
        ASSERT_EQ(reply.rfind("ok", 0), 0u) << reply;
    }
    void At(float x, float y) {
        const std::string state = SimControl(board, "state");
        Push(static_cast<int>(std::lround(x * 1000) -
                              std::lround(std::stod(StateValue(state, "x")))),
             static_cast<int>(std::lround(y * 1000) -
                              std::lround(std::stod(StateValue(state, "y")))));
    }
    // Measures a 40 x 20 inch table (its one box with it); messages cleared.
    void MeasureTable() {
        StartQuiltAreaSetup();
        for (QuiltPoint p : std::vector<QuiltPoint>{{-0.2f, -0.3f}, {40, 0}, {40, 20}}) {
            At(p.x, p.y);
            PressSetupButton(0, 1);
        }
        ASSERT_NE(extents, nullptr);
        responder.shown.clear();
    }
    // Draws the current box through the given corners, finishing with CHECK.
    void DrawBox(const std::vector<QuiltPoint>& corners) {
        menuMainPatternbox(nullptr, const_cast<char*>("0"));
        for (size_t i = 0; i < corners.size(); i++) {
            At(corners[i].x, corners[i].y);
            PressSetupButton(1, i + 1 < corners.size() ? 1 : 2);
        }
    }
    bool ItemUsable(MenuItemId item) {
        GtkWidget* widget = MenuRecord()->items[item];
        return widget && GTK_WIDGET_SENSITIVE(widget);
    }

    Mc1Sim board;
    ScriptedResponder responder;
};

// The quilt area from the box menu (no table yet), measured corner by corner;
// then boxes added, refused and deleted through the box menu.
TEST_F(Procedures, QuiltAreaIsMeasuredCornerByCornerAndTheBoxMenuAddsAndDeletesBoxes) {
    menuMainPatternbox(nullptr, const_cast<char*>("0"));
    EXPECT_EQ(responder.Texts(),
              std::vector<std::string>{"YOU MUST SET UP THE TABLE EXTENTS FIRST.\nPROCEEDING TO "
                                       "THE TABLE EXTENTS SETUP."});
    responder.shown.clear();
    EXPECT_STREQ(CurrentScreenName(), "quilt-area setup");
    EXPECT_EQ(BoxMode(), 0);
    // The setup screen frees the axes and ends any run.
    EXPECT_EQ(State("xenabled"), "0");
    EXPECT_EQ(State("yenabled"), "0");
    EXPECT_EQ(State("ends"), "1");
    // Cancel leads nowhere before the table is measured.
    PressSetupButton(0, 2);
    EXPECT_STREQ(CurrentScreenName(), "quilt-area setup");
    // The buttons are tapped on the view: left to right 1, 2, 3, none left of them.
    const int b = confirm_button_size, w = view_area_width;
    EXPECT_EQ(SetupButtonAt(w - 2 * b - 8 + b / 2, w, b), 2);
    EXPECT_EQ(SetupButtonAt(w - 1, w, b), 3);
    EXPECT_LE(SetupButtonAt(5, w, b), 0);
    Drain();
    GtkWidget* area = interface->drawingArea;
    ASSERT_NE(area, nullptr);
    GdkEventButton tap = {};
    tap.type = GDK_BUTTON_RELEASE;
    tap.x = area->allocation.width - 3 * b - 16 + 2;
    tap.y = 10;  // above the button row: only a redraw
    OnScreenTap(area, &tap, const_cast<char*>("0"));
    EXPECT_EQ(pbTemp->count, 0);

    At(3, 4);  // wherever the head is, that is the new home
    tap.y = area->allocation.height - b / 2;
    OnScreenTap(area, &tap, const_cast<char*>("0"));
    EXPECT_EQ(pbTemp->count, 1);
    EXPECT_EQ(State("x"), "0");
    EXPECT_EQ(State("y"), "0");
    // An unreadable head keeps the procedure where it was.
    Silence(true);
    PressSetupButton(0, 1);
    EXPECT_EQ(responder.Texts(), std::vector<std::string>{"COMMAND FAILED, PLEASE TRY AGAIN."});
    EXPECT_EQ(pbTemp->count, 1);
    Silence(false);
    responder.shown.clear();
    At(40, -0.01f);  // a slightly negative reading counts as 0
    PressSetupButton(0, 1);
    At(40, 20);
    PressSetupButton(0, 1);

    ASSERT_NE(extents, nullptr);
    EXPECT_TRUE(SameCorners(extents.get(), {{0, 0}, {40, 0}, {40, 20}, {0, 20}}));
    EXPECT_EQ(State("extents"), "1");
    ASSERT_EQ(responder.shown.size(), 1u);
    EXPECT_EQ(responder.shown[0].text, kTableText);
    EXPECT_EQ(responder.shown[0].kind, kMessageInfo);
    EXPECT_EQ(pbTemp, nullptr);
    // The whole table is the one box.
    ASSERT_EQ(patternBoxList.count, 1);
    EXPECT_EQ(CurrentPatternBox(), 0);
    EXPECT_TRUE(SameCorners(GetPatternBox(0), {{0, 20}, {40, 20}, {40, 0}, {0, 0}}));
    EXPECT_FLOAT_EQ(GetPatternBox(0)->width, 40);  // its measures are set
    EXPECT_STREQ(CurrentScreenName(), "layout view");
    responder.shown.clear();

    menuMainPatternbox(nullptr, const_cast<char*>("2"));
    EXPECT_EQ(responder.Texts(), std::vector<std::string>{"YOU MAY NOT DELETE THIS PATTERN BOX"});
    responder.shown.clear();

    menuMainPatternbox(nullptr, const_cast<char*>("1"));
    EXPECT_STREQ(CurrentScreenName(), "pattern-box setup");
    EXPECT_FLOAT_EQ(ViewScale(), 40.0f / view_area_width);
    DrawBox({{20, 12}, {30, 2}});
    ASSERT_EQ(patternBoxList.count, 2);
    ASSERT_NE(AppendLayoutNode(0, -1, 0, 0, 0, 1), nullptr);

    responder.answers = {kResponseCancel};
    menuMainPatternbox(nullptr, const_cast<char*>("2"));
    EXPECT_EQ(patternBoxList.count, 2);
    menuMainPatternbox(nullptr, const_cast<char*>("2"));
    EXPECT_EQ(responder.Texts(),
              std::vector<std::string>(2,
                                       "ALL PATTERNS ATTACHED TO THE PATTERN BOX WILL BE "
                                       "DELETED AS WELL.\n\nCONTINUE?"));
    EXPECT_EQ(patternBoxList.count, 1);
    EXPECT_EQ(CurrentPatternBox(), 0);
    EXPECT_EQ(CountLayoutNodes(), 0);
    EXPECT_TRUE(SameCorners(GetPatternBox(0), {{0, 20}, {40, 20}, {40, 0}, {0, 0}}));
}

// Corners pressed with PLUS, the last with CHECK (the rules are the core's
// table): a rectangle, the refusals' messages, and the live corner.
TEST_F(Procedures, DrawnCornersMakeTheBoxOrAreRefusedAndTheLiveCornerFollowsTheHead) {
    MeasureTable();
    DrawBox({{10, 10}, {20, 5}});
    EXPECT_TRUE(SameCorners(GetPatternBox(0), {{10, 10}, {20, 10}, {20, 5}, {10, 5}}));
    EXPECT_EQ(pbTemp, nullptr);
    EXPECT_FALSE(TrackingTimerRunning());
    EXPECT_STREQ(CurrentScreenName(), "layout view");
    DrawBox({{7, 7}, {7, 7}});
    DrawBox({{5, 5}, {5, 12}});
    EXPECT_EQ(responder.Texts(), (std::vector<std::string>{kNoBoxCorners, kNoBoxFromCorners}));
    EXPECT_STREQ(CurrentScreenName(), "layout view");
    responder.shown.clear();
    // Live tracking: the prompt goes once the head has moved.
    At(4, 4);
    menuMainPatternbox(nullptr, const_cast<char*>("0"));
    EXPECT_TRUE(TrackingTimerRunning());
    Push(kPromptMoveThreshold, 0);  // not yet further than the threshold
    EXPECT_TRUE(getMCCoordinates(nullptr));
    EXPECT_FALSE(SetupPromptText().empty());
    EXPECT_FLOAT_EQ(pbTemp->cornerStore.back().x, 4.015f);
    Push(0, kPromptMoveThreshold + 1);
    getMCCoordinates(nullptr);
    EXPECT_TRUE(SetupPromptText().empty());
    EXPECT_EQ(interface->promptLayout, nullptr);
    // A failed read leaves everything and keeps the timer.
    At(9, 9);
    Silence(true);
    EXPECT_TRUE(getMCCoordinates(nullptr));
    EXPECT_FLOAT_EQ(pbTemp->cornerStore.back().y, 4.016f);
    Silence(false);
    // A refused corner: the live corner stays at the head.
    for (QuiltPoint p : std::vector<QuiltPoint>{{5, 5}, {15, 5}, {15, 15}, {10, 0}}) {
        At(p.x, p.y);
        PressSetupButton(1, 1);
    }
    EXPECT_EQ(responder.Texts(), std::vector<std::string>{"PATTERN BOX LINES MAY NOT CROSS"});
    ASSERT_EQ(pbTemp->count, 4);
    EXPECT_FLOAT_EQ(pbTemp->cornerStore.back().x, 10);
    EXPECT_STREQ(CurrentScreenName(), "pattern-box setup");
    // Cancel, tapped on the view, leaves the box as it was.
    Drain();
    GdkEventButton tap = {};
    tap.type = GDK_BUTTON_RELEASE;
    tap.x = interface->drawingArea->allocation.width - 2;
    tap.y = interface->drawingArea->allocation.height - confirm_button_size / 2;
    OnScreenTap(interface->drawingArea, &tap, const_cast<char*>("1"));
    EXPECT_STREQ(CurrentScreenName(), "layout view");
    EXPECT_TRUE(SameCorners(GetPatternBox(0), {{10, 10}, {20, 10}, {20, 5}, {10, 5}}));
    EXPECT_FALSE(getMCCoordinates(nullptr));  // the timer ends with the procedure
    EXPECT_FALSE(TrackingTimerRunning());
}

TEST_F(Procedures, SaveAsSaveAndOpenKeepTheLayoutAndItsName) {
    MeasureTable();
    ASSERT_EQ(AddPatternToCurrentBox("square.qcc"), 1);
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
    ASSERT_EQ(AddPatternToCurrentBox("square.qcc"), 1);
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
    std::string chooserFolder;
    std::vector<std::string> chooserRows;
    InsideNextChooser([&] {
        chooserFolder = FileChooserFolder();
        chooserRows = RowNames(FileChooserRows());
        FileChooserSelect("mylayout1.qlf");
        FileChooserRespond(1);
    });
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

TEST_F(Procedures, UndoAndRestoreSetpointAreUsableExactlyWhileTheirFileExists) {
    MeasureTable();
    SetMenuStateMask(kLayoutViewMenuMask);
    EXPECT_FALSE(ItemUsable(kItemUndo));
    EXPECT_FALSE(ItemUsable(kItemRestoreSetpoint));
    ASSERT_TRUE(ItemUsable(kItemCreateSetpoint));

    ASSERT_EQ(AddPatternToCurrentBox("square.qcc"), 1);
    menuEditCreateSetpoint(nullptr, nullptr);
    EXPECT_TRUE(ItemUsable(kItemRestoreSetpoint));
    ASSERT_EQ(CreateUndoFile(), 1);
    EXPECT_TRUE(ItemUsable(kItemUndo));
    ASSERT_EQ(AddPatternToCurrentBox("square.qcc"), 1);

    menuEditUndo(nullptr, nullptr);
    EXPECT_EQ(CountLayoutNodes(), 1);
    EXPECT_FALSE(ItemUsable(kItemUndo));

    ASSERT_EQ(AddPatternToCurrentBox("square.qcc"), 1);
    ASSERT_EQ(AddPatternToCurrentBox("square.qcc"), 1);
    menuEditRestoreSetpoint(nullptr, nullptr);
    EXPECT_EQ(CountLayoutNodes(), 1);
    EXPECT_TRUE(ItemUsable(kItemRestoreSetpoint));  // the set-point stays for another restore
}

}  // namespace
