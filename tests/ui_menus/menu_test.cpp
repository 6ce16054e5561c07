// Menu bar and toolbar: the tree in order, the visibility rules, and the mask
// bits that make each item and button usable on every screen.
#include <gtest/gtest.h>

#include <set>

#include "app/program_settings.h"
#include "app/screen_config.h"
#include "machine/machine_parameters.h"
#include "support_ui/ui_fixture.h"
#include "ui/menu.h"

namespace {

std::vector<std::pair<GtkWidget*, void*>> calls;

void RecordCall(GtkWidget* item, void* data) {
    calls.emplace_back(item, data);
}

void InstallAllHandlers(MenuHandler handler) {
    for (int a = 0; a < kMenuActionCount; ++a)
        SetMenuHandler(static_cast<MenuAction>(a), handler);
}

class MenuTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(EnsureGtk());
        savedAdvanced = showAdvancedFeatures;
        savedButtons = stitchButtonsOn;
        savedStyle = icon_style;
        savedMethod = needleUpMethod;
        calls.clear();
        for (int a = 0; a < kMenuActionCount; ++a)
            savedHandlers[a] = GetMenuHandler(static_cast<MenuAction>(a));
        InstallAllHandlers(RecordCall);
    }
    void TearDown() override {
        if (window != nullptr) gtk_widget_destroy(window);
        for (int a = 0; a < kMenuActionCount; ++a)
            SetMenuHandler(static_cast<MenuAction>(a), savedHandlers[a]);
        showAdvancedFeatures = savedAdvanced;
        stitchButtonsOn = savedButtons;
        icon_style = savedStyle;
        needleUpMethod = savedMethod;
    }
    // Builds both rows inside a window, as start-up does.
    void Build() {
        window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
        GtkWidget* row = gtk_hbox_new(FALSE, 0);
        gtk_box_pack_start(GTK_BOX(row), createMenu(), FALSE, FALSE, 0);
        gtk_box_pack_start(GTK_BOX(row), createToolbar(), TRUE, TRUE, 0);
        gtk_container_add(GTK_CONTAINER(window), row);
        gtk_widget_show_all(row);
        ApplyMenuVisibility();  // show_all above shows hidden items again
    }
    bool Sensitive(MenuItemId id) {
        return gtk_widget_get_sensitive(MenuRecord()->items[id]) != FALSE;
    }
    bool ToolSensitive(ToolButtonId id) {
        return gtk_widget_get_sensitive(ToolbarRecord()->buttons[id]) != FALSE;
    }
    bool Visible(GtkWidget* w) { return gtk_widget_get_visible(w) != FALSE; }

    // Every item is sensitive exactly when it is in the expected set.
    void ExpectMenuSensitivity(uint32_t mask, const std::set<MenuItemId>& expected) {
        SetMenuStateMask(mask);
        for (int i = 0; i < kMenuItemCount; ++i) {
            auto id = static_cast<MenuItemId>(i);
            EXPECT_EQ(Sensitive(id), expected.count(id) == 1)
                << "mask 0x" << std::hex << mask << " item "
                << MenuItemText(MenuRecord()->items[id]);
        }
    }
    void ExpectToolSensitivity(uint32_t mask, const std::set<ToolButtonId>& expected) {
        SetMenuStateMask(mask);
        for (int i = 0; i < kToolButtonCount; ++i) {
            auto id = static_cast<ToolButtonId>(i);
            if (ToolbarRecord()->buttons[id] == nullptr) continue;
            EXPECT_EQ(ToolSensitive(id), expected.count(id) == 1)
                << "mask 0x" << std::hex << mask << " button " << i;
        }
    }

    GtkWidget* window = nullptr;
    MenuHandler savedHandlers[kMenuActionCount] = {};
    int32_t savedAdvanced = 0, savedButtons = 0, savedMethod = 0;
    int savedStyle = 0;
};

// Items without a mask bit: the pattern-box sub-items (their parent decides)
// and the Stitch menu's "Standard".
const std::set<MenuItemId> kUngoverned = {kItemAddPatternBox, kItemAdjustCurrent,
                                          kItemRemoveCurrent, kItemStandard};

std::set<MenuItemId> With(std::set<MenuItemId> items) {
    items.insert(kUngoverned.begin(), kUngoverned.end());
    return items;
}

TEST_F(MenuTest, TreeHasEveryItemInOrder) {
    showAdvancedFeatures = 1;
    Build();
    MenuBar* record = MenuRecord();
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(MenuTexts(record->menus[kMenuMain]),
              (std::vector<std::string>{"Pattern View", "Add Pattern", "-", "New Layout",
                                        "Open Layout", "-", "File Manager", "Free Motion", "Setup",
                                        "-", "Set Quilt Area", "Pattern Box", "-", "Demo"}));
    EXPECT_EQ(MenuTexts(record->patternBoxMenu),
              (std::vector<std::string>{"Add Pattern Box", "Adjust Current", "Remove Current"}));
    EXPECT_EQ(MenuTexts(record->menus[kMenuEdit]),
              (std::vector<std::string>{"Save Layout", "Save Layout As", "Move All", "AutoCenter",
                                        "Nest", "Create Setpoint", "Restore Setpoint", "Undo"}));
    EXPECT_EQ(MenuTexts(record->menus[kMenuView]), (std::vector<std::string>{"Zoom All", "Pan"}));
    EXPECT_EQ(MenuTexts(record->menus[kMenuStitch]), (std::vector<std::string>{"Standard"}));
    // The bar holds the four icon entries with empty labels, Main first.
    std::vector<std::string> titles = MenuTexts(record->menuBar);
    EXPECT_EQ(titles, (std::vector<std::string>{"", "", "", ""}));
    EXPECT_EQ(stitchBar, record->menuTitles[kMenuStitch]);
    int w = 0, h = 0;
    gtk_widget_get_size_request(record->menuBar, &w, &h);
    EXPECT_EQ(w, menubar_width);
    EXPECT_EQ(h, menubar_height);
}

TEST_F(MenuTest, AdvancedItemsFollowTheSwitch) {
    showAdvancedFeatures = 0;
    Build();
    MenuBar* record = MenuRecord();
    const MenuItemId advanced[] = {kItemNewLayout,    kItemOpenLayout,     kItemSaveLayout,
                                   kItemSaveLayoutAs, kItemCreateSetpoint, kItemRestoreSetpoint};
    for (MenuItemId id : advanced)
        EXPECT_FALSE(Visible(record->items[id])) << id;
    EXPECT_FALSE(Visible(record->advancedSeparator));
    EXPECT_FALSE(Visible(record->menuTitles[kMenuStitch]));
    EXPECT_TRUE(Visible(record->items[kItemUndo]));
    EXPECT_TRUE(Visible(record->items[kItemMoveAll]));
    EXPECT_TRUE(Visible(record->menuTitles[kMenuEdit]));

    showAdvancedFeatures = 1;
    ApplyMenuVisibility();
    for (MenuItemId id : advanced)
        EXPECT_TRUE(Visible(record->items[id])) << id;
    EXPECT_TRUE(Visible(record->advancedSeparator));
    EXPECT_TRUE(Visible(record->menuTitles[kMenuStitch]));
}

TEST_F(MenuTest, ScreenMasksMakeTheRightItemsUsable) {
    Build();
    // Start-up mask, stored by createMenu.
    EXPECT_EQ(MenuStateMask(), 0x34000BDu);
    ExpectMenuSensitivity(0x34000BD, With({kItemPatternView, kItemFileManager, kItemFreeMotion,
                                           kItemSetup, kItemSetQuiltArea}));
    // Quilt-area setup.
    ExpectMenuSensitivity(0x3, With({kItemPatternView, kItemAddPattern, kItemOpenLayout}));
    // Pattern-box setup: nothing governed by the mask.
    ExpectMenuSensitivity(0x0, With({}));
    // Run view.
    ExpectMenuSensitivity(0x800000, With({}));
    // Pattern select, trace, setup, file manager with boxes.
    ExpectMenuSensitivity(0x30000FF,
                          With({kItemPatternView, kItemAddPattern, kItemOpenLayout, kItemFreeMotion,
                                kItemSetup, kItemSetQuiltArea, kItemPatternBox, kItemFileManager}));
    // Layout view: everything.
    std::set<MenuItemId> all;
    for (int i = 0; i < kMenuItemCount; ++i)
        all.insert(static_cast<MenuItemId>(i));
    ExpectMenuSensitivity(0x37FFFFF, all);
    EXPECT_EQ(MenuStateMask(), 0x37FFFFFu);
}

TEST_F(MenuTest, MoveAllNeedsBitTwelveOrFourteen) {
    Build();
    SetMenuStateMask(1u << 12);
    EXPECT_TRUE(Sensitive(kItemMoveAll));
    EXPECT_FALSE(Sensitive(kItemNest));
    SetMenuStateMask(1u << 14);
    EXPECT_TRUE(Sensitive(kItemMoveAll));
    EXPECT_TRUE(Sensitive(kItemNest));
    SetMenuStateMask(~((1u << 12) | (1u << 14)));
    EXPECT_FALSE(Sensitive(kItemMoveAll));
}

TEST_F(MenuTest, ToolbarFollowsTheMask) {
    Build();
    ToolBar* record = ToolbarRecord();
    ASSERT_NE(record, nullptr);
    // The small style builds the five standard buttons only.
    EXPECT_EQ(record->buttons[kToolEdit], nullptr);
    EXPECT_EQ(record->buttons[kToolStitchOnOff], nullptr);
    // After building, the start-up mask leaves the toggles usable.
    ExpectToolSensitivity(0x34000BD, {kToolStitching, kToolLockX, kToolLockY});
    ExpectToolSensitivity(0x800000, {kToolStop, kToolStitching});
    ExpectToolSensitivity(0x37FFFFF, {kToolStart, kToolStitching, kToolLockX, kToolLockY});
    ExpectToolSensitivity(0x3, {kToolStitching});
    ExpectToolSensitivity(0xFFFFFFFF,
                          {kToolStart, kToolStop, kToolStitching, kToolLockX, kToolLockY});
    int w = 0, h = 0;
    gtk_widget_get_size_request(record->buttons[kToolStart], &w, &h);
    EXPECT_EQ(w, toolbar_button_size);
    EXPECT_EQ(h, toolbar_button_size);
    gtk_widget_get_size_request(record->toolbar, &w, &h);
    EXPECT_EQ(w, toolbar_width);
    EXPECT_EQ(h, toolbar_height);
}

TEST_F(MenuTest, LargeStyleAddsStitchButtonsAndEdit) {
    icon_style = 1;
    stitchButtonsOn = 1;
    showAdvancedFeatures = 1;
    needleUpMethod = 3;
    Build();
    ToolBar* record = ToolbarRecord();
    ASSERT_NE(record->buttons[kToolEdit], nullptr);
    EXPECT_TRUE(Visible(record->buttons[kToolStitchOnOff]));
    EXPECT_TRUE(Visible(record->buttons[kToolNeedleUp]));
    ExpectToolSensitivity(0x37FFFFF, {kToolStart, kToolStitching, kToolLockX, kToolLockY,
                                      kToolStitchOnOff, kToolNeedleUp, kToolEdit});
    ExpectToolSensitivity(0x800000, {kToolStop, kToolStitching, kToolStitchOnOff, kToolNeedleUp});

    // Machine type 12 hides Stitch On/Off alone.
    needleUpMethod = 12;
    ApplyMenuVisibility();
    EXPECT_FALSE(Visible(record->buttons[kToolStitchOnOff]));
    EXPECT_TRUE(Visible(record->buttons[kToolNeedleUp]));
    // Each switch alone hides both.
    needleUpMethod = 3;
    stitchButtonsOn = 0;
    ApplyMenuVisibility();
    EXPECT_FALSE(Visible(record->buttons[kToolStitchOnOff]));
    EXPECT_FALSE(Visible(record->buttons[kToolNeedleUp]));
    stitchButtonsOn = 1;
    showAdvancedFeatures = 0;
    ApplyMenuVisibility();
    EXPECT_FALSE(Visible(record->buttons[kToolStitchOnOff]));
    EXPECT_FALSE(Visible(record->buttons[kToolNeedleUp]));
    EXPECT_TRUE(Visible(record->buttons[kToolEdit]));
}

TEST_F(MenuTest, ItemsWithoutHandlerStayInsensitive) {
    InstallAllHandlers(nullptr);
    Build();
    SetMenuStateMask(0xFFFFFFFF);
    for (int i = 0; i < kMenuItemCount; ++i) {
        auto id = static_cast<MenuItemId>(i);
        // "Standard" has no handler by design and stays usable.
        EXPECT_EQ(Sensitive(id), id == kItemStandard) << i;
    }
    for (int i = 0; i < kToolButtonCount; ++i) {
        if (ToolbarRecord()->buttons[i] == nullptr) continue;
        EXPECT_FALSE(ToolSensitive(static_cast<ToolButtonId>(i))) << i;
    }

    // Installing a handler makes its item usable under the stored mask at once.
    EXPECT_EQ(SetMenuHandler(kActionMainSetup, RecordCall), 0);
    EXPECT_TRUE(Sensitive(kItemSetup));
    EXPECT_FALSE(Sensitive(kItemFreeMotion));
    EXPECT_EQ(SetMenuHandler(kActionStopButton, RecordCall), 0);
    EXPECT_TRUE(ToolSensitive(kToolStop));
    EXPECT_EQ(GetMenuHandler(kActionStopButton), &RecordCall);
    EXPECT_EQ(SetMenuHandler(kMenuActionCount, RecordCall), -1);
    EXPECT_EQ(SetMenuHandler(static_cast<MenuAction>(-1), RecordCall), -1);
    EXPECT_EQ(GetMenuHandler(kMenuActionCount), nullptr);
}

TEST_F(MenuTest, ActivationCallsTheHandlerWithItsData) {
    Build();
    SetMenuStateMask(0x37FFFFF);
    MenuBar* record = MenuRecord();
    gtk_menu_item_activate(GTK_MENU_ITEM(record->items[kItemAddPatternBox]));
    gtk_menu_item_activate(GTK_MENU_ITEM(record->items[kItemAdjustCurrent]));
    gtk_menu_item_activate(GTK_MENU_ITEM(record->items[kItemRemoveCurrent]));
    gtk_menu_item_activate(GTK_MENU_ITEM(record->items[kItemAutoCenter]));
    ASSERT_EQ(calls.size(), 4u);
    EXPECT_STREQ(static_cast<const char*>(calls[0].second), "1");
    EXPECT_STREQ(static_cast<const char*>(calls[1].second), "0");
    EXPECT_STREQ(static_cast<const char*>(calls[2].second), "2");
    EXPECT_EQ(calls[3].second, nullptr);
    EXPECT_EQ(calls[3].first, record->items[kItemAutoCenter]);

    // Each item reaches its own action.
    calls.clear();
    SetMenuHandler(kActionEditUndo, nullptr);
    auto undoCalled = [](GtkWidget*, void*) { calls.emplace_back(nullptr, nullptr); };
    SetMenuHandler(kActionEditUndo, undoCalled);
    gtk_menu_item_activate(GTK_MENU_ITEM(record->items[kItemUndo]));
    gtk_menu_item_activate(GTK_MENU_ITEM(record->items[kItemNest]));
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0].first, nullptr);
    EXPECT_EQ(calls[1].first, record->items[kItemNest]);

    // Toolbar: "clicked" for Start, "toggled" for the locks.
    calls.clear();
    gtk_button_clicked(
        GTK_BUTTON(gtk_bin_get_child(GTK_BIN(ToolbarRecord()->buttons[kToolStart]))));
    gtk_toggle_tool_button_set_active(GTK_TOGGLE_TOOL_BUTTON(ToolbarRecord()->buttons[kToolLockX]),
                                      TRUE);
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0].first, ToolbarRecord()->buttons[kToolStart]);
    EXPECT_EQ(calls[1].first, ToolbarRecord()->buttons[kToolLockX]);
}

TEST_F(MenuTest, StitcherTogglesSpringBackAndMoveThePointerAway) {
    icon_style = 1;
    stitchButtonsOn = 1;
    showAdvancedFeatures = 1;
    Build();
    gtk_window_move(GTK_WINDOW(window), 0, 0);
    Drain();
    for (ToolButtonId id : {kToolStitchOnOff, kToolNeedleUp}) {
        // The module's own handlers, not the recording ones of this fixture.
        MenuAction action = id == kToolStitchOnOff ? kActionStitchOnOff : kActionNeedleUp;
        SetMenuHandler(action, savedHandlers[action]);
        ASSERT_NE(GetMenuHandler(action), nullptr);
        GdkDisplay* display = gdk_display_get_default();
        gdk_display_warp_pointer(display, gdk_display_get_default_screen(display), 200, 200);
        GtkToggleToolButton* toggle = GTK_TOGGLE_TOOL_BUTTON(ToolbarRecord()->buttons[id]);
        gtk_toggle_tool_button_set_active(toggle, TRUE);
        EXPECT_FALSE(gtk_toggle_tool_button_get_active(toggle)) << id;
        gdk_display_sync(display);
        int x = -1, y = -1;
        gdk_display_get_pointer(display, nullptr, &x, &y, nullptr);
        EXPECT_EQ(x, 0);
        EXPECT_EQ(y, menubar_height + 15);
    }
    EXPECT_TRUE(calls.empty());
}

TEST_F(MenuTest, MaskAfterTheBarIsDestroyedIsHarmless) {
    Build();
    gtk_widget_destroy(window);
    window = nullptr;
    SetMenuStateMask(0x37FFFFF);  // must not touch the destroyed widgets
    EXPECT_EQ(MenuRecord()->menuBar, nullptr);
    EXPECT_EQ(ToolbarRecord()->toolbar, nullptr);
    EXPECT_EQ(MenuStateMask(), 0x37FFFFFu);
    EXPECT_EQ(stitchBar, nullptr);
}

}  // namespace
