// The pattern pop-up on a real layout screen: its entries, Next, Remove, Move,
// the turns, mirrors and path reversal, Save, and the Edit menu handlers.
#include <sys/stat.h>

#include "app/application_state.h"
#include "app/screen_config.h"
#include "app/ui_hooks.h"
#include "layout/layout_tree.h"
#include "layout/placement/array_repeat.h"
#include "popup_fixture.h"
#include "ui/menu.h"
#include "ui/pattern_popup.h"

namespace {

using PatternPopup = PopupTest;

TEST_F(PatternPopup, OpensOnTheNearestPatternWithEveryEntry) {
    MakeRectBox(1, 1, 28, 16);
    int slot = LoadPath({{0, 0}, {4, 0}, {4, 3}, {0, 3}, {2, 1.5f}});
    NewPatternLayoutNode(slot, -1, 0, 2, 2);
    LayoutNode* target = NewPatternLayoutNode(slot, -1, 0, 10, 6);
    int x, y;
    ScreenOf(target, &x, &y);
    menuReady = 1;
    ShowPopupMenu(x + 3, y + 2);
    ASSERT_TRUE(WaitFor([&] { return PopupWindow() != nullptr; }));
    EXPECT_EQ(interface->selectedNode, target);
    EXPECT_EQ(menuReady, 0);
    EXPECT_EQ(patternSkip, 0);

    const std::vector<std::string> expected = {
        "Next", "-",      "Repeat", "Autofill", "Mirror", "Merge", "Reverse Path", "-", "Remove",
        "-",    "Rotate", "Move",   "Save",     "Scale",  "-",     "Properties"};
    EXPECT_EQ(MenuTexts(PopupMenu()), expected);
    EXPECT_FALSE(gtk_widget_get_visible(PopupItem("Merge")));      // advanced features off
    EXPECT_FALSE(gtk_widget_is_sensitive(PopupItem("Autofill")));  // not installed
    EXPECT_TRUE(gtk_widget_is_sensitive(PopupItem("Scale")));
    EXPECT_EQ(MenuTexts(gtk_menu_item_get_submenu(GTK_MENU_ITEM(PopupItem("Rotate")))),
              (std::vector<std::string>{"Select", "90 Degrees CW", "90 Degrees CCW"}));
    EXPECT_EQ(MenuTexts(gtk_menu_item_get_submenu(GTK_MENU_ITEM(PopupItem("Mirror")))),
              (std::vector<std::string>{"Horizontal", "Vertical"}));
    int wx = -1, wy = -1;
    gdk_window_get_origin(PopupWindow()->window, &wx, &wy);
    EXPECT_EQ(wx, pop_menu_x);
    EXPECT_EQ(wy, pop_menu_y);
    EXPECT_TRUE(Shot("menu"));

    // An installed autofill entry becomes usable on the next opening.
    SetPopupHandler(kPopupAutofill, [](GtkWidget*, void*) {});
    ClosePopup();
    ShowPopupMenu(x, y);
    ASSERT_TRUE(WaitFor([&] { return PopupWindow() != nullptr; }));
    EXPECT_TRUE(gtk_widget_is_sensitive(PopupItem("Autofill")));
    SetPopupHandler(kPopupAutofill, nullptr);
    EXPECT_EQ(SetPopupHandler(kPopupActionCount, nullptr), -1);
}

TEST_F(PatternPopup, WhereNothingIsPlacedOnlyAddPatternIsOffered) {
    MakeRectBox(1, 1, 28, 16);
    ShowPopupMenu(50, 50);
    ASSERT_TRUE(WaitFor([&] { return PopupMenu() != nullptr; }));
    EXPECT_EQ(MenuTexts(PopupMenu()), std::vector<std::string>{"Add Pattern"});
    EXPECT_EQ(interface->selectedNode, nullptr);
    // The entry goes to the layout's Add Pattern when that is installed.
    static int added = 0;
    MenuHandler saved = GetMenuHandler(kActionMainAddPattern);
    SetMenuHandler(kActionMainAddPattern, [](GtkWidget*, void*) { added++; });
    ClosePopup();
    ShowPopupMenu(50, 50);
    ASSERT_TRUE(WaitFor([&] { return PopupMenu() != nullptr; }));
    Choose("Add Pattern");
    EXPECT_EQ(added, 1);
    SetMenuHandler(kActionMainAddPattern, saved);
}

TEST_F(PatternPopup, NextSkipsTheArrayReopensAndWraps) {
    MakeRectBox(0, 0, 30, 20);
    int slot = LoadPath({{0, 0}, {1, 0}, {1, 1}});
    LayoutNode* nearest = NewPatternLayoutNode(slot, -1, 0, 0, 0);
    LayoutNode* parent = NewPatternLayoutNode(slot, -1, 0, 2, 0);
    ASSERT_EQ(ApplyRepeat(parent, RepeatSettings{1, 0, 3, 0}), 1);
    LayoutNode* far = NewPatternLayoutNode(slot, -1, 0, 9, 0);

    ShowPopupMenu(0, 0);
    ASSERT_TRUE(WaitFor([&] { return PopupMenu() != nullptr; }));
    EXPECT_EQ(interface->selectedNode, nearest);
    Choose("Next");
    EXPECT_EQ(interface->selectedNode, parent);
    ASSERT_TRUE(WaitFor([&] { return PopupMenu() != nullptr; }));  // open again
    Choose("Next");
    EXPECT_EQ(interface->selectedNode, far);  // the two repeats skipped
    ASSERT_TRUE(WaitFor([&] { return PopupMenu() != nullptr; }));
    Choose("Next");
    EXPECT_EQ(interface->selectedNode, nearest);  // wrapped
    EXPECT_EQ(patternSkip, 0);
}

TEST_F(PatternPopup, RemoveAsksTakesTheUndoPointAndTakesTheWholeArray) {
    MakeRectBox(0, 0, 30, 20);
    int slot = LoadPath({{0, 0}, {1, 0}, {1, 1}});
    LayoutNode* single = NewPatternLayoutNode(slot, -1, 0, 20, 10);
    LayoutNode* parent = NewPatternLayoutNode(slot, -1, 0, 0, 0);
    ASSERT_EQ(ApplyRepeat(parent, RepeatSettings{2, 0, 2, 0}), 1);
    int x, y;
    ScreenOf(parent->next, &x, &y);

    responder->answers = {kResponseNo};
    ShowPopupMenu(x, y);
    ASSERT_TRUE(WaitFor([&] { return PopupMenu() != nullptr; }));
    Choose("Remove");
    EXPECT_TRUE(responder->Showed("DO YOU REALLY WANT TO REMOVE THIS PATTERN?"));
    EXPECT_EQ(CountLayoutNodes(), 5);
    EXPECT_FALSE(UndoWritten());

    responder->answers = {kResponseYes};
    ShowPopupMenu(x, y);
    ASSERT_TRUE(WaitFor([&] { return PopupMenu() != nullptr; }));
    Choose("Remove");
    EXPECT_EQ(CountLayoutNodes(), 1);
    EXPECT_EQ(patternLayout, single);
    EXPECT_EQ(interface->selectedNode, nullptr);
    EXPECT_TRUE(UndoWritten());
}

TEST_F(PatternPopup, MoveArmsTheMoveSelectedMode) {
    MakeRectBox(0, 0, 30, 20);
    int slot = LoadPath({{0, 0}, {1, 0}, {1, 1}});
    NewPatternLayoutNode(slot, -1, 0, 0, 0);
    interface->highlightIndex = 2;
    ShowPopupMenu(0, 0);
    ASSERT_TRUE(WaitFor([&] { return PopupMenu() != nullptr; }));
    Choose("Move");
    EXPECT_EQ(command, 9);
    EXPECT_STREQ(statusBar, "Drag Pattern or Use Increment Buttons");
    EXPECT_EQ(interface->highlightIndex, -1);
    EXPECT_TRUE(UndoWritten());
}

TEST_F(PatternPopup, TurnsMirrorsAndReversalChangeTheSelectedPattern) {
    MakeRectBox(0, 0, 30, 20);
    int slot = LoadPath({{0, 0}, {2, 0}, {2, 1}});
    LayoutNode* n = NewPatternLayoutNode(slot, -1, 0, 5, 5);
    Pattern* p = GetPattern(slot);
    int x, y;
    ScreenOf(n, &x, &y);
    auto open = [&] {
        ShowPopupMenu(x, y);
        ASSERT_TRUE(WaitFor([&] { return PopupMenu() != nullptr; }));
    };

    open();
    Choose("Rotate/90 Degrees CW");
    EXPECT_NEAR(p->width, 1, 1e-4);
    EXPECT_NEAR(n->x, 5.5f, 1e-4);
    EXPECT_TRUE(UndoWritten());
    ForgetUndo();
    open();
    Choose("Rotate/90 Degrees CCW");
    EXPECT_NEAR(p->width, 2, 1e-4);
    EXPECT_NEAR(n->x, 5, 1e-4);
    EXPECT_EQ(p->angle, 0);
    EXPECT_TRUE(UndoWritten());
    ForgetUndo();

    // Select: the number pad in its rotation mode, starting at "0.0".
    responder->numbers = {90};
    open();
    Choose("Rotate/Select");
    ASSERT_EQ(responder->numberTexts.size(), 1u);
    EXPECT_EQ(responder->numberTexts[0], "0.0");
    EXPECT_EQ(p->angle, 90);
    EXPECT_NEAR(p->height, 2, 1e-4);
    EXPECT_TRUE(UndoWritten());
    ForgetUndo();

    // Mirrors and reversal take no undo point.
    const std::vector<float> y0 = p->y, x0 = p->x;
    open();
    Choose("Mirror/Horizontal");
    for (size_t i = 0; i < y0.size(); i++)
        EXPECT_NEAR(p->y[i], p->height - y0[i], 1e-5);
    open();
    Choose("Mirror/Horizontal");
    EXPECT_EQ(p->y, y0);
    open();
    Choose("Mirror/Vertical");
    for (size_t i = 0; i < x0.size(); i++)
        EXPECT_NEAR(p->x[i], p->width - x0[i], 1e-5);
    const std::vector<float> before = p->x;
    open();
    Choose("Reverse Path");
    EXPECT_EQ(p->x.front(), before.back());
    EXPECT_EQ(p->x.back(), before.front());
    EXPECT_FALSE(UndoWritten());
}

TEST_F(PatternPopup, SaveWritesThePatternUnderTheTypedName) {
    MakeRectBox(0, 0, 30, 20);
    int slot = LoadPath({{0, 0}, {2, 0}, {2, 1}});
    NewPatternLayoutNode(slot, -1, 0, 0, 0);
    responder->keyboard = {"Corner Swirl"};
    ShowPopupMenu(0, 0);
    ASSERT_TRUE(WaitFor([&] { return PopupMenu() != nullptr; }));
    Choose("Save");
    ASSERT_EQ(responder->prompts.size(), 1u);
    EXPECT_EQ(responder->prompts[0], "SAVE AS:");
    struct stat st;
    EXPECT_EQ(stat("patterns/Corner Swirl.qcc", &st), 0);
}

TEST_F(PatternPopup, EditMenuHandlersAreInstalled) {
    EXPECT_EQ(GetMenuHandler(kActionViewDropdownMenu), &viewDropdownMenu);
    EXPECT_EQ(GetMenuHandler(kActionEditAutoCenter), &menuEditAutoCenter);
    // On the layout view "AutoCenter" can be used now.
    SetMenuStateMask(0x37FFFFF);
    EXPECT_TRUE(gtk_widget_is_sensitive(MenuRecord()->items[kItemAutoCenter]));

    MakeRectBox(0, 0, 10, 6);
    int slot = LoadPath({{0, 0}, {2, 0}, {2, 2}});
    LayoutNode* n = NewPatternLayoutNode(slot, -1, 0, 0, 0);
    gtk_menu_item_activate(GTK_MENU_ITEM(MenuRecord()->items[kItemAutoCenter]));
    Drain();
    EXPECT_FLOAT_EQ(n->x, 4);
    EXPECT_FLOAT_EQ(n->y, 2);
    EXPECT_TRUE(UndoWritten());

    // The toolbar's Edit button opens the pop-up for the pattern nearest (0, 0).
    viewDropdownMenu(nullptr, nullptr);
    ASSERT_TRUE(WaitFor([&] { return PopupMenu() != nullptr; }));
    EXPECT_EQ(interface->selectedNode, n);
}

}  // namespace
