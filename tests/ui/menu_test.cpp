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

class MenuTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(EnsureGtk());
        savedAdvanced = showAdvancedFeatures;
        savedButtons = stitchButtonsOn;
        savedStyle = icon_style;
        savedMethod = needleUpMethod;
    }
    void TearDown() override {
        if (window != nullptr) gtk_widget_destroy(window);
        SetMenuItemAvailable(kItemUndo, false);
        SetMenuItemAvailable(kItemRestoreSetpoint, false);
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

    // The pointer after a toolbar press moved it off the toolbar.
    void ExpectPointerOffToolbar(int id) {
        GdkDisplay* display = gdk_display_get_default();
        gdk_display_sync(display);
        int x = -1, y = -1;
        gdk_display_get_pointer(display, nullptr, &x, &y, nullptr);
        EXPECT_EQ(x, 0) << id;
        EXPECT_EQ(y, menubar_height + 15) << id;
    }
    static void WarpPointer(int x, int y) {
        GdkDisplay* display = gdk_display_get_default();
        gdk_display_warp_pointer(display, gdk_display_get_default_screen(display), x, y);
    }

    GtkWidget* window = nullptr;
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
    SetMenuItemAvailable(kItemUndo, true);
    SetMenuItemAvailable(kItemRestoreSetpoint, true);
    // Start-up mask, stored by createMenu.
    EXPECT_EQ(MenuStateMask(), 0x34000BDu);
    // A group entry opens while one of its items is usable.
    ExpectMenuSensitivity(0x34000BD,
                          With({kItemPatternView, kItemFileManager, kItemFreeMotion, kItemSetup,
                                kItemSetQuiltArea, kItemMachineGroup, kItemToolsGroup}));
    ExpectMenuSensitivity(
        0x3, With({kItemPatternView, kItemAddPattern, kItemOpenLayout, kItemLayoutGroup}));
    ExpectMenuSensitivity(0x800000, With({}));
    ExpectMenuSensitivity(0x30000FF,
                          With({kItemPatternView, kItemAddPattern, kItemOpenLayout, kItemFreeMotion,
                                kItemSetup, kItemSetQuiltArea, kItemPatternBox, kItemFileManager,
                                kItemLayoutGroup, kItemMachineGroup, kItemToolsGroup}));
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
    EXPECT_FALSE(Visible(menu->items[kItemLayoutGroup]));
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
    EXPECT_TRUE(Visible(menu->items[kItemLayoutGroup]));
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

TEST_F(MenuTest, UndoAndRestoreSetpointFollowTheirFiles) {
    Build();
    SetMenuStateMask(0xFFFFFFFF);
    EXPECT_FALSE(Sensitive(kItemUndo));  // no undo file at start
    EXPECT_FALSE(Sensitive(kItemRestoreSetpoint));
    SetMenuItemAvailable(kItemRestoreSetpoint, true);
    EXPECT_TRUE(Sensitive(kItemRestoreSetpoint));
    EXPECT_FALSE(Sensitive(kItemUndo));
    SetMenuItemAvailable(kItemRestoreSetpoint, false);
    EXPECT_FALSE(Sensitive(kItemRestoreSetpoint));
    EXPECT_TRUE(Sensitive(kItemSetpointGroup));  // Create Setpoint still is

    // A mask set after the bar is gone must not touch the destroyed widgets.
    gtk_widget_destroy(window);
    window = nullptr;
    SetMenuStateMask(0x37FFFFF);
    EXPECT_EQ(MenuRecord()->menuBar, nullptr);
    EXPECT_EQ(ToolbarRecord()->toolbar, nullptr);
    EXPECT_EQ(MenuStateMask(), 0x37FFFFFu);
    EXPECT_EQ(stitchBar, nullptr);
}

// The axis locks stay pressed, the stitcher toggles spring back; each moves the
// pointer off the toolbar.
TEST_F(MenuTest, TogglesMoveThePointerAwayAndStitcherTogglesSpringBack) {
    icon_style = 1;
    stitchButtonsOn = 1;
    showAdvancedFeatures = 1;
    Build();
    gtk_window_move(GTK_WINDOW(window), 0, 0);
    Drain();
    for (ToolButtonId id : {kToolLockX, kToolLockY, kToolStitchOnOff, kToolNeedleUp}) {
        WarpPointer(200, 200);
        GtkToggleToolButton* toggle = GTK_TOGGLE_TOOL_BUTTON(ToolbarRecord()->buttons[id]);
        gtk_toggle_tool_button_set_active(toggle, TRUE);
        const bool lock = id == kToolLockX || id == kToolLockY;
        EXPECT_EQ(gtk_toggle_tool_button_get_active(toggle) != FALSE, lock) << id;
        ExpectPointerOffToolbar(id);
    }
}

}  // namespace
