// The pattern pop-up on a real layout screen: its entries, Move,
// the turns, mirrors and path reversal, and Save.
#include <sys/stat.h>

#include "app/crash_recovery.h"
#include "base/application_state.h"
#include "base/screen_config.h"
#include "base/ui_hooks.h"
#include "layout/layout_file.h"
#include "layout/layout_selection.h"
#include "popup_fixture.h"
#include "ui/menu.h"
#include "ui/pattern_popup.h"

namespace {

using PatternPopup = PopupTest;

TEST_F(PatternPopup, OpensOnTheNearestPatternWithTheUsableEntries) {
    MakeRectBox(1, 1, 28, 16);
    int slot = LoadPath({{0, 0}, {4, 0}, {4, 3}, {0, 3}, {2, 1.5f}});
    NewPatternLayoutNode(slot, -1, 0, 2, 2);
    LayoutNode* target = NewPatternLayoutNode(slot, -1, 0, 10, 6);
    // Its corner on the screen: box (1, 1) plus (10, 6), 10 pixels per inch.
    const int x = 110, y = 70;
    menuReady = 1;
    ShowPopupMenu(x + 3, y + 2);
    ASSERT_TRUE(WaitFor([&] { return PopupMenu() != nullptr; }));
    EXPECT_EQ(SelectedNode(), target);
    EXPECT_EQ(menuReady, 0);

    EXPECT_FALSE(gtk_widget_get_visible(PopupItem("Copies/Merge")));  // advanced features off
    EXPECT_TRUE(gtk_widget_is_sensitive(PopupItem("Copies/Autofill")));
    int wy = -1;
    gdk_window_get_origin(PopupWindow()->window, nullptr, &wy);
    EXPECT_LE(wy + PopupWindow()->allocation.height, screen_height);  // no scrolling

    // In a box where nothing is placed only "Add Pattern" is offered.
    ClosePopup();
    MakeRectBox(40, 1, 10, 10);
    ShowPopupMenu(x, y);
    ASSERT_TRUE(WaitFor([&] { return PopupMenu() != nullptr; }));
    EXPECT_EQ(MenuTexts(PopupMenu()), std::vector<std::string>{"Add Pattern"});
    EXPECT_EQ(SelectedNode(), nullptr);
}

// Each entry acts on the selected pattern and takes its undo point; whatever an
// entry changes reaches the crash-recovery image once the touch that chose it
// has been handled, with no call of its own.
TEST_F(PatternPopup, EditEntriesActOnTheSelectedPatternAndReachTheRecoveryImage) {
    MakeRectBox(0, 0, 30, 20);
    int slot = LoadPath({{0, 0}, {2, 0}, {2, 1}});
    LayoutNode* n = NewPatternLayoutNode(slot, -1, 0, 5, 5);
    Pattern* p = GetPattern(slot);
    // Each entry with whether it takes an undo point.
    auto choose = [&](const std::string& entry, bool undo) {
        ForgetUndo();
        ShowPopupMenu(50, 50);
        ASSERT_TRUE(WaitFor([&] { return PopupMenu() != nullptr; }));
        Choose(entry);
        EXPECT_EQ(UndoWritten(), undo) << entry;
    };

    choose("Rotate/90 Degrees CW", true);
    EXPECT_NEAR(n->x, 5.5f, 1e-4);
    choose("Rotate/90 Degrees CCW", true);
    EXPECT_NEAR(n->x, 5, 1e-4);
    responder->numbers = {90};  // the number pad in rotation mode
    choose("Rotate/Select", true);
    EXPECT_EQ(responder->numberTexts, std::vector<std::string>{"0.0"});
    EXPECT_EQ(p->angle, 90);

    const std::vector<float> x0 = p->x, y0 = p->y;
    choose("Mirror/Horizontal", false);
    EXPECT_NEAR(p->y[0], p->height - y0[0], 1e-5);
    choose("Mirror/Vertical", false);
    EXPECT_NEAR(p->x[0], p->width - x0[0], 1e-5);
    const std::vector<float> before = p->x;
    choose("Pattern/Reverse Path", false);
    EXPECT_EQ(p->x.front(), before.back());

    SetHighlightIndex(2);
    choose("Move", true);
    EXPECT_EQ(command, 9);
    EXPECT_STREQ(statusBar, "Drag Pattern or Use Increment Buttons");
    EXPECT_EQ(HighlightIndex(), -1);

    responder->keyboard = {"Corner Swirl"};
    choose("Pattern/Save", false);
    EXPECT_EQ(responder->prompts, std::vector<std::string>{"SAVE AS:"});
    struct stat st;
    EXPECT_EQ(stat("patterns/Corner Swirl.qcc", &st), 0);
    ASSERT_FALSE(responder->Texts().empty());
    EXPECT_EQ(responder->Texts().back(), "FILE SAVED:\n./patterns/Corner Swirl.qcc");

    const float last = p->x.back();
    const std::string image = folder.File("image.qlf");
    ClearCrashRecoveryImage();
    ShowPopupMenu(50, 50);
    ASSERT_TRUE(WaitFor([&] { return PopupMenu() != nullptr; }));
    ASSERT_TRUE(XdotoolClick(PopupItem("Pattern")));
    ASSERT_TRUE(XdotoolClick(PopupItem("Pattern/Reverse Path")));
    EXPECT_EQ(p->x.front(), last);
    ASSERT_EQ(FinishCrashRecovery(image.c_str()), 1);
    EXPECT_EQ(ReadFileText(image), SerializeLayout());
}

}  // namespace
