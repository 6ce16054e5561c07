// Menu table and menu state mask. See menu_state.h.
#include "base/menu_state.h"

namespace {

const MenuItemSpec kItems[kMenuItemCount] = {
    {kItemPatternView, "Pattern View", nullptr, 0, false, kTopLevelItem},
    {kItemAddPattern, "Add Pattern", nullptr, 1, false, kTopLevelItem},
    {kItemLayoutGroup, "Layout", nullptr, kGroupEntry, true, kTopLevelItem},
    {kItemNewLayout, "New Layout", nullptr, 13, true, kItemLayoutGroup},
    {kItemOpenLayout, "Open Layout", nullptr, 1, true, kItemLayoutGroup},
    {kItemSetQuiltArea, "Set Quilt Area", nullptr, 5, false, kTopLevelItem},
    {kItemPatternBox, "Pattern Box", nullptr, 6, false, kTopLevelItem},
    {kItemAddPatternBox, "Add Pattern Box", "1", kNoMaskBit, false, kItemPatternBox},
    {kItemAdjustCurrent, "Adjust Current", "0", kNoMaskBit, false, kItemPatternBox},
    {kItemRemoveCurrent, "Remove Current", "2", kNoMaskBit, false, kItemPatternBox},
    {kItemMachineGroup, "Machine", nullptr, kGroupEntry, false, kTopLevelItem},
    {kItemFreeMotion, "Free Motion", nullptr, 2, false, kItemMachineGroup},
    {kItemDemo, "Demo", nullptr, 21, false, kItemMachineGroup},
    {kItemToolsGroup, "Tools", nullptr, kGroupEntry, false, kTopLevelItem},
    {kItemFileManager, "File Manager", nullptr, 7, false, kItemToolsGroup},
    {kItemSetup, "Setup", nullptr, 4, false, kItemToolsGroup},
    {kItemSaveGroup, "Save", nullptr, kGroupEntry, true, kTopLevelItem},
    {kItemSaveLayout, "Save Layout", nullptr, 13, true, kItemSaveGroup},
    {kItemSaveLayoutAs, "Save Layout As", nullptr, 13, true, kItemSaveGroup},
    {kItemMoveAll, "Move All", nullptr, 12, false, kTopLevelItem},  // or bit 14
    {kItemAutoCenter, "AutoCenter", nullptr, 13, false, kTopLevelItem},
    {kItemAutofill, "Autofill", nullptr, 13, false, kTopLevelItem},
    {kItemNest, "Nest", nullptr, 14, false, kTopLevelItem},
    {kItemSetpointGroup, "Setpoint", nullptr, kGroupEntry, true, kTopLevelItem},
    {kItemCreateSetpoint, "Create Setpoint", nullptr, 13, true, kItemSetpointGroup},
    {kItemRestoreSetpoint, "Restore Setpoint", nullptr, 13, true, kItemSetpointGroup},
    {kItemUndo, "Undo", nullptr, 13, false, kTopLevelItem},
    {kItemZoomAll, "Zoom All", nullptr, 18, false, kTopLevelItem},
    {kItemPan, "Pan", nullptr, 17, false, kTopLevelItem},
    {kItemPreview, "Preview", nullptr, 21, false, kTopLevelItem},
    {kItemStandard, "Standard", nullptr, kNoMaskBit, false, kTopLevelItem},
};

// Mask bits of the toolbar buttons. The stitcher buttons act on the machine
// like the axis locks: never while moves stream.
const int kToolBits[kToolButtonCount] = {
    21,          // Start
    23,          // Stop
    kNoMaskBit,  // Stitching
    24,          // Lock X
    25,          // Lock Y
    24,          // Stitch On/Off
    24,          // Needle Up
    21,          // Edit
};

constexpr int kMoveAllSecondBit = 14;
constexpr int kNoNeedleUpMachine = 12;  // the Corvane 18

bool BitSet(uint32_t mask, int bit) {
    return bit >= 0 && bit < 32 && ((mask >> bit) & 1u) != 0;
}

bool InRange(MenuItemId item) {
    return item >= 0 && item < kMenuItemCount;
}

// An item that is not a group entry: its bit and its file.
bool LeafUsable(uint32_t mask, const MenuItemSpec& entry, const MenuAvailability& available) {
    bool allowed = entry.maskBit == kNoMaskBit || BitSet(mask, entry.maskBit);
    if (entry.id == kItemMoveAll) allowed = allowed || BitSet(mask, kMoveAllSecondBit);
    return allowed && available[entry.id];
}

}  // namespace

const MenuItemSpec& MenuItemSpecOf(MenuItemId item) {
    return kItems[item];
}

bool IsMenuGroup(MenuItemId item) {
    return InRange(item) && kItems[item].maskBit == kGroupEntry;
}

bool HasSubmenu(MenuItemId item) {
    for (const MenuItemSpec& child : kItems)
        if (child.parent == item) return true;
    return false;
}

int MenuItemMaskBit(MenuItemId item) {
    if (!InRange(item) || IsMenuGroup(item)) return kNoMaskBit;
    return kItems[item].maskBit;
}

int ToolButtonMaskBit(ToolButtonId button) {
    if (button < 0 || button >= kToolButtonCount) return kNoMaskBit;
    return kToolBits[button];
}

MenuAvailability InitialMenuAvailability() {
    MenuAvailability available;
    available.fill(true);
    available[kItemUndo] = available[kItemRestoreSetpoint] = false;
    return available;
}

bool MenuItemUsable(uint32_t mask, MenuItemId item, const MenuAvailability& available) {
    if (!InRange(item)) return false;
    if (!IsMenuGroup(item)) return LeafUsable(mask, kItems[item], available);
    for (const MenuItemSpec& child : kItems)
        if (child.parent == item && LeafUsable(mask, child, available)) return true;
    return false;
}

bool ToolButtonUsable(uint32_t mask, ToolButtonId button) {
    const int bit = ToolButtonMaskBit(button);
    return bit == kNoMaskBit || BitSet(mask, bit);
}

bool MenuItemShown(MenuItemId item, const MenuSettings& settings) {
    return !InRange(item) || !kItems[item].advanced || settings.advanced;
}

bool MenuShown(MenuId menu, const MenuSettings& settings) {
    return menu != kMenuStitch || settings.advanced;
}

bool ToolButtonShown(ToolButtonId button, const MenuSettings& settings) {
    const bool stitchButtons =
        settings.stitchButtons && settings.iconStyle == 1 && settings.advanced;
    if (button == kToolStitchOnOff) return stitchButtons;
    if (button == kToolNeedleUp)
        return stitchButtons && settings.needleUpMethod != kNoNeedleUpMachine;
    return true;
}
