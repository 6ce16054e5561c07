// The menus and toolbar buttons of the main window as a table, and the menu
// state mask: a 32-bit word, one bit per group of actions, that each screen
// sets to say which items and buttons can be used there. The window code
// (ui/menu) builds its widgets from this table and asks here whether each one
// is usable and shown.
#pragma once

#include <array>
#include <cstdint>

// The menu items, in the order they are created. A menu keeps at most seven
// rows, so that it fits below the menu bar of the 240-pixel screen with rows
// tall enough for a finger; the rest sit in sub-menus, each opened by a group
// entry that is usable while one of its items is.
enum MenuItemId {
    kItemPatternView,
    kItemAddPattern,
    kItemLayoutGroup,  // "Layout": New Layout, Open Layout
    kItemNewLayout,
    kItemOpenLayout,
    kItemSetQuiltArea,
    kItemPatternBox,  // the sub-menu entry; its three items follow
    kItemAddPatternBox,
    kItemAdjustCurrent,
    kItemRemoveCurrent,
    kItemMachineGroup,  // "Machine": Free Motion, Demo
    kItemFreeMotion,
    kItemDemo,
    kItemToolsGroup,  // "Tools": File Manager, Setup
    kItemFileManager,
    kItemSetup,
    kItemSaveGroup,  // "Save": Save Layout, Save Layout As
    kItemSaveLayout,
    kItemSaveLayoutAs,
    kItemMoveAll,
    kItemAutoCenter,
    kItemAutofill,
    kItemNest,
    kItemSetpointGroup,  // "Setpoint": Create Setpoint, Restore Setpoint
    kItemCreateSetpoint,
    kItemRestoreSetpoint,
    kItemUndo,
    kItemZoomAll,
    kItemPan,
    kItemPreview,  // usable exactly when Start is
    kItemStandard,
    kMenuItemCount
};

// The four menus of the bar.
enum MenuId { kMenuMain, kMenuEdit, kMenuView, kMenuStitch, kMenuCount };

// The toolbar buttons, left to right.
enum ToolButtonId {
    kToolStart,
    kToolStop,
    kToolStitching,  // its picture is grey and struck through in red while it is off
    kToolLockX,
    kToolLockY,
    kToolStitchOnOff,  // only when icon_style is 1
    kToolNeedleUp,     // only when icon_style is 1
    kToolEdit,         // only when icon_style is 1
    kToolButtonCount
};

// The masks the screens set.
constexpr uint32_t kStartupMenuMask = 0x34000BD;     // start-up, before a screen is chosen
constexpr uint32_t kScreenMaskNoBox = 0x34000BF;     // a tool screen while no pattern box exists
constexpr uint32_t kScreenMaskWithBox = 0x30000FF;   // the same once a pattern box exists
constexpr uint32_t kLayoutViewMenuMask = 0x37FFFFF;  // the layout view, everything but Stop
constexpr uint32_t kBusyMenuMask = 0x800000;         // moves stream: Stop alone
constexpr uint32_t kQuiltAreaMenuMask = 0x3;         // the quilt-area setup

// One row of the menu tree. A group entry only opens the sub-menu of the items
// that name it as their parent.
struct MenuItemSpec {
    MenuItemId id;
    const char* label;
    const char* data;  // handler data ("1", "0", "2") or null
    int maskBit;       // kNoMaskBit: not governed by the mask; kGroupEntry: by its items
    bool advanced;     // shown only with the advanced features
    int parent;        // the group entry holding it, or kTopLevelItem
};
constexpr int kNoMaskBit = -1;
constexpr int kGroupEntry = -2;
constexpr int kTopLevelItem = -1;

// The row of an item (every id below kMenuItemCount has one).
const MenuItemSpec& MenuItemSpecOf(MenuItemId item);

// Whether the item is a group entry, usable by its items rather than a bit.
bool IsMenuGroup(MenuItemId item);

// Whether the item opens a sub-menu: the group entries and "Pattern Box".
bool HasSubmenu(MenuItemId item);

// Mask bits of the menu items and toolbar buttons (kNoMaskBit: no bit, always
// allowed; also for group entries and ids out of range).
int MenuItemMaskBit(MenuItemId item);
int ToolButtonMaskBit(ToolButtonId button);

// Whether the file behind an item exists: "Undo" and "Restore Setpoint" start
// without one; every other item is always available.
using MenuAvailability = std::array<bool, kMenuItemCount>;
MenuAvailability InitialMenuAvailability();

// Whether an item is usable under the mask: its bit is set ("Move All": bit 12
// or 14; no bit: always) and it is available. A group entry is usable while one
// of its items is. False for ids out of range.
bool MenuItemUsable(uint32_t mask, MenuItemId item, const MenuAvailability& available);

// Whether a toolbar button is usable under the mask (no bit: always).
bool ToolButtonUsable(uint32_t mask, ToolButtonId button);

// The settings that decide what the bar shows.
struct MenuSettings {
    bool advanced = false;       // showAdvancedFeatures
    bool stitchButtons = false;  // stitchButtonsOn
    int iconStyle = 0;           // 1: the large style
    int needleUpMethod = 0;      // machine type 12 has no needle up
};

// Whether an item is shown: the advanced items (and their group entries) only
// with the advanced features; every other item always.
bool MenuItemShown(MenuItemId item, const MenuSettings& settings);

// Whether a menu is shown: the Stitch menu only with the advanced features.
bool MenuShown(MenuId menu, const MenuSettings& settings);

// Whether a toolbar button is shown when it is built: Stitch On/Off and Needle
// Up only in the large style with the stitch buttons and the advanced features
// on, Needle Up not for machine type 12; the others always.
bool ToolButtonShown(ToolButtonId button, const MenuSettings& settings);
