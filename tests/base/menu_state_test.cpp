#include "base/menu_state.h"

#include <gtest/gtest.h>

#include <set>

namespace {

// The items usable under a mask with both files present (every item not listed
// is checked to be unusable), then the items whose file must exist.
TEST(MenuState, EachScreenMaskAllowsItsItemsAndButtons) {
    const std::set<MenuItemId> free = {kItemAddPatternBox, kItemAdjustCurrent, kItemRemoveCurrent,
                                       kItemStandard};
    std::set<MenuItemId> all;
    for (int i = 0; i < kMenuItemCount; ++i)
        all.insert(static_cast<MenuItemId>(i));
    const struct {
        uint32_t mask;
        std::set<MenuItemId> items;
        std::set<ToolButtonId> buttons;
    } cases[] = {
        {kStartupMenuMask,
         {kItemPatternView, kItemFileManager, kItemFreeMotion, kItemSetup, kItemSetQuiltArea,
          kItemMachineGroup, kItemToolsGroup},
         {kToolStitching, kToolLockX, kToolLockY, kToolStitchOnOff, kToolNeedleUp}},
        {kQuiltAreaMenuMask,
         {kItemPatternView, kItemAddPattern, kItemOpenLayout, kItemLayoutGroup},
         {kToolStitching}},
        {kBusyMenuMask, {}, {kToolStop, kToolStitching}},
        {kScreenMaskWithBox,
         {kItemPatternView, kItemAddPattern, kItemOpenLayout, kItemFreeMotion, kItemSetup,
          kItemSetQuiltArea, kItemPatternBox, kItemFileManager, kItemLayoutGroup, kItemMachineGroup,
          kItemToolsGroup},
         {kToolStitching, kToolLockX, kToolLockY, kToolStitchOnOff, kToolNeedleUp}},
        {kLayoutViewMenuMask,
         all,
         {kToolStart, kToolStitching, kToolLockX, kToolLockY, kToolStitchOnOff, kToolNeedleUp,
          kToolEdit}},
        // "Move All" takes either of two bits, "Nest" only the second.
        {1u << 12, {kItemMoveAll}, {kToolStitching}},
        {1u << 14, {kItemMoveAll, kItemNest}, {kToolStitching}},
    };
    MenuAvailability files;
    files.fill(true);
    for (const auto& c : cases) {
        for (int i = 0; i < kMenuItemCount; ++i) {
            auto id = static_cast<MenuItemId>(i);
            const bool want = c.items.count(id) == 1 || free.count(id) == 1;
            EXPECT_EQ(MenuItemUsable(c.mask, id, files), want)
                << "mask 0x" << std::hex << c.mask << " " << MenuItemSpecOf(id).label;
        }
        for (int i = 0; i < kToolButtonCount; ++i) {
            auto id = static_cast<ToolButtonId>(i);
            EXPECT_EQ(ToolButtonUsable(c.mask, id), c.buttons.count(id) == 1)
                << "mask 0x" << std::hex << c.mask << " button " << i;
        }
    }
    EXPECT_FALSE(MenuItemUsable(~0u, kMenuItemCount, files));
    EXPECT_EQ(MenuItemMaskBit(kItemSetpointGroup), kNoMaskBit);
    EXPECT_EQ(MenuItemMaskBit(kItemNest), 14);
    EXPECT_EQ(ToolButtonMaskBit(kToolButtonCount), kNoMaskBit);

    // Undo and Restore Setpoint need their files; groups follow their items.
    files = InitialMenuAvailability();
    EXPECT_FALSE(MenuItemUsable(~0u, kItemUndo, files));
    EXPECT_FALSE(MenuItemUsable(~0u, kItemRestoreSetpoint, files));
    EXPECT_TRUE(MenuItemUsable(~0u, kItemSetpointGroup, files));  // Create Setpoint is
    files[kItemRestoreSetpoint] = true;
    EXPECT_TRUE(MenuItemUsable(~0u, kItemRestoreSetpoint, files));
    EXPECT_FALSE(MenuItemUsable(~0u, kItemUndo, files));
    // Both setpoint items need bit 13, so the group does too.
    EXPECT_FALSE(MenuItemUsable(~(1u << 13), kItemSetpointGroup, files));
    EXPECT_TRUE(HasSubmenu(kItemPatternBox));
    EXPECT_FALSE(IsMenuGroup(kItemPatternBox));
    EXPECT_FALSE(HasSubmenu(kItemUndo));
}

TEST(MenuState, SettingsDecideWhatIsShown) {
    const struct {
        MenuSettings settings;
        bool advanced, stitchOnOff, needleUp;
    } cases[] = {
        {{false, true, 1, 3}, false, false, false},
        {{true, true, 1, 3}, true, true, true},
        {{true, true, 1, 12}, true, true, false},  // machine type 12: no needle up
        {{true, false, 1, 3}, true, false, false},
        {{true, true, 0, 3}, true, false, false},  // the small style has no such buttons
    };
    const std::set<MenuItemId> advanced = {
        kItemNewLayout,    kItemOpenLayout,     kItemSaveLayout,
        kItemSaveLayoutAs, kItemCreateSetpoint, kItemRestoreSetpoint,
        kItemLayoutGroup,  kItemSaveGroup,      kItemSetpointGroup};
    for (const auto& c : cases) {
        for (int i = 0; i < kMenuItemCount; ++i) {
            auto id = static_cast<MenuItemId>(i);
            EXPECT_EQ(MenuItemShown(id, c.settings), advanced.count(id) == 0 || c.advanced)
                << MenuItemSpecOf(id).label;
        }
        EXPECT_EQ(MenuShown(kMenuStitch, c.settings), c.advanced);
        EXPECT_TRUE(MenuShown(kMenuEdit, c.settings));
        EXPECT_EQ(ToolButtonShown(kToolStitchOnOff, c.settings), c.stitchOnOff);
        EXPECT_EQ(ToolButtonShown(kToolNeedleUp, c.settings), c.needleUp);
        EXPECT_TRUE(ToolButtonShown(kToolEdit, c.settings));
    }
}

}  // namespace
