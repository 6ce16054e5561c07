// Menu bar and toolbar: the visibility rules, the mask bits that make each item
// and button usable on every screen, and the handlers they call.
#include <gtest/gtest.h>

#include <set>

#include "base/program_settings.h"
#include "base/screen_config.h"
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

TEST_F(MenuTest, ScreenMasksMakeTheRightItemsAndButtonsUsable) {
    Build();
    // Start-up mask, stored by createMenu.
    EXPECT_EQ(MenuStateMask(), 0x34000BDu);
    ExpectMenuSensitivity(0x34000BD, With({kItemPatternView, kItemFileManager, kItemFreeMotion,
                                           kItemSetup, kItemSetQuiltArea}));
    ExpectMenuSensitivity(0x3, With({kItemPatternView, kItemAddPattern, kItemOpenLayout}));
    ExpectMenuSensitivity(0x800000, With({}));
    ExpectMenuSensitivity(0x30000FF,
                          With({kItemPatternView, kItemAddPattern, kItemOpenLayout, kItemFreeMotion,
                                kItemSetup, kItemSetQuiltArea, kItemPatternBox, kItemFileManager}));
    std::set<MenuItemId> all;
    for (int i = 0; i < kMenuItemCount; ++i)
        all.insert(static_cast<MenuItemId>(i));
    ExpectMenuSensitivity(0x37FFFFF, all);
    // Move All takes either of two bits; Nest only the second.
    SetMenuStateMask(1u << 12);
    EXPECT_TRUE(Sensitive(kItemMoveAll));
    EXPECT_FALSE(Sensitive(kItemNest));
    SetMenuStateMask(1u << 14);
    EXPECT_TRUE(Sensitive(kItemMoveAll));
    EXPECT_TRUE(Sensitive(kItemNest));
    SetMenuStateMask(~((1u << 12) | (1u << 14)));
    EXPECT_FALSE(Sensitive(kItemMoveAll));

    // The small style builds the five standard buttons only.
    EXPECT_EQ(ToolbarRecord()->buttons[kToolEdit], nullptr);
    EXPECT_EQ(ToolbarRecord()->buttons[kToolStitchOnOff], nullptr);
    ExpectToolSensitivity(0x34000BD, {kToolStitching, kToolLockX, kToolLockY});
    ExpectToolSensitivity(0x800000, {kToolStop, kToolStitching});
    ExpectToolSensitivity(0x37FFFFF, {kToolStart, kToolStitching, kToolLockX, kToolLockY});
    ExpectToolSensitivity(0x3, {kToolStitching});
}

TEST_F(MenuTest, AdvancedSwitchLargeStyleAndMachineTypeDecideWhatIsShown) {
    icon_style = 1;
    stitchButtonsOn = 1;
    showAdvancedFeatures = 0;
    needleUpMethod = 3;
    Build();
    MenuBar* menu = MenuRecord();
    ToolBar* record = ToolbarRecord();
    const MenuItemId advanced[] = {kItemNewLayout,    kItemOpenLayout,     kItemSaveLayout,
                                   kItemSaveLayoutAs, kItemCreateSetpoint, kItemRestoreSetpoint};
    for (MenuItemId id : advanced)
        EXPECT_FALSE(Visible(menu->items[id])) << id;
    EXPECT_FALSE(Visible(menu->advancedSeparator));
    EXPECT_FALSE(Visible(menu->menuTitles[kMenuStitch]));
    EXPECT_TRUE(Visible(menu->items[kItemUndo]));
    EXPECT_TRUE(Visible(menu->menuTitles[kMenuEdit]));
    // Without the advanced switch the stitch buttons are hidden too.
    EXPECT_FALSE(Visible(record->buttons[kToolStitchOnOff]));
    EXPECT_FALSE(Visible(record->buttons[kToolNeedleUp]));
    EXPECT_TRUE(Visible(record->buttons[kToolEdit]));

    showAdvancedFeatures = 1;
    ApplyMenuVisibility();
    for (MenuItemId id : advanced)
        EXPECT_TRUE(Visible(menu->items[id])) << id;
    EXPECT_TRUE(Visible(menu->advancedSeparator));
    EXPECT_TRUE(Visible(menu->menuTitles[kMenuStitch]));
    EXPECT_TRUE(Visible(record->buttons[kToolStitchOnOff]));
    EXPECT_TRUE(Visible(record->buttons[kToolNeedleUp]));
    ExpectToolSensitivity(0x37FFFFF, {kToolStart, kToolStitching, kToolLockX, kToolLockY,
                                      kToolStitchOnOff, kToolNeedleUp, kToolEdit});
    // While moves stream the stitcher buttons are off, as the axis locks are.
    ExpectToolSensitivity(0x800000, {kToolStop, kToolStitching});

    // Machine type 12 (no needle up) hides Needle Up alone; the stitch-button
    // switch both.
    needleUpMethod = 12;
    ApplyMenuVisibility();
    EXPECT_TRUE(Visible(record->buttons[kToolStitchOnOff]));
    EXPECT_FALSE(Visible(record->buttons[kToolNeedleUp]));
    needleUpMethod = 3;
    stitchButtonsOn = 0;
    ApplyMenuVisibility();
    EXPECT_FALSE(Visible(record->buttons[kToolStitchOnOff]));
    EXPECT_FALSE(Visible(record->buttons[kToolNeedleUp]));
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

    // Toolbar: "clicked" for Start, "toggled" for the locks.
    calls.clear();
    gtk_button_clicked(
        GTK_BUTTON(gtk_bin_get_child(GTK_BIN(ToolbarRecord()->buttons[kToolStart]))));
    gtk_toggle_tool_button_set_active(GTK_TOGGLE_TOOL_BUTTON(ToolbarRecord()->buttons[kToolLockX]),
                                      TRUE);
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0].first, ToolbarRecord()->buttons[kToolStart]);
    EXPECT_EQ(calls[1].first, ToolbarRecord()->buttons[kToolLockX]);

    // A mask set after the bar is gone must not touch the destroyed widgets.
    gtk_widget_destroy(window);
    window = nullptr;
    SetMenuStateMask(0x37FFFFF);
    EXPECT_EQ(MenuRecord()->menuBar, nullptr);
    EXPECT_EQ(ToolbarRecord()->toolbar, nullptr);
    EXPECT_EQ(MenuStateMask(), 0x37FFFFFu);
    EXPECT_EQ(stitchBar, nullptr);
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

}  // namespace
