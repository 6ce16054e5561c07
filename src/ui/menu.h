// The first row of the main window: the menu bar of four icon menus and the
// toolbar of large touch buttons, and the 32-bit menu state mask that decides
// which of their items can be used on the current screen.
//
// Every item calls the handler of the module that owns its action (layout,
// stitching, views, setup, file manager...) directly.
#pragma once

#include <cstdint>

#include "base/menu_state.h"

typedef struct _GtkWidget GtkWidget;

// Menu-bar record (the Interface's `menu`). Widgets are null once the bar has
// been destroyed, and the mask functions then leave it alone.
struct MenuBar {
    uint32_t mask = 0xFFFFFFFFu;  // menu state mask; all ones while the bar is built
    GtkWidget* menuBar = nullptr;
    GtkWidget* menuTitles[kMenuCount] = {};  // the icon entries of the bar
    GtkWidget* menus[kMenuCount] = {};       // the drop-down menus
    GtkWidget* items[kMenuItemCount] = {};
    GtkWidget* submenus[kMenuItemCount] = {};  // sub-menu of each group entry
};

// Toolbar record (the Interface's `toolbar`): the toolbar, then each button with
// its image (image null for the buttons that show a text label only, or when
// the button is not built for this icon style).
struct ToolBar {
    GtkWidget* toolbar = nullptr;
    GtkWidget* buttons[kToolButtonCount] = {};
    GtkWidget* images[kToolButtonCount] = {};
};

// The menu bar global of the Stitch menu's icon entry (shown or hidden with the
// advanced features).
extern GtkWidget* stitchBar;

// Builds the menu bar (menubar_width x menubar_height) with every menu and item,
// connects the items to their handlers, stores the mask 0x34000BD and
// applies it to the menus. Returns the menu bar; start-up packs it. A second
// call replaces the record of the first.
GtkWidget* createMenu();

// Builds the toolbar (toolbar_width x toolbar_height, icons only), applies the
// mask 0x34000BD to it and shows it, then hides the stitch buttons as the
// settings ask. Returns the toolbar; start-up packs it beside the menu bar.
GtkWidget* createToolbar();

// The records filled by createMenu / createToolbar (null before).
MenuBar* MenuRecord();
ToolBar* ToolbarRecord();

// Makes every menu item sensitive exactly when its mask bit is set and it is
// available ("Move All": bit 12 or 14), and every group entry when one of its
// items is. Does not store the mask.
void SetMenusSensitive(uint32_t mask);

// The same for the toolbar buttons.
void SetToolbarSensitive(uint32_t mask);

// Stores the mask in the menu record and applies it to the menus and the
// toolbar. The screen switch and the run control call it.
void SetMenuStateMask(uint32_t mask);

// The stored mask (0x34000BD after createMenu; 0 before a menu exists).
uint32_t MenuStateMask();

// Shows or hides the items that depend on the settings: the advanced items
// ("New Layout", "Open Layout", "Save Layout", "Save Layout As", "Create
// Setpoint", "Restore Setpoint" with their group entries, the Stitch menu)
// from showAdvancedFeatures, and the toolbar's Stitch On/Off and Needle Up
// toggles from stitchButtonsOn, icon_style and needleUpMethod.
// Needle Up is hidden for machine type 12, which has no needle up. createMenu and
// createToolbar call it; the setup screen calls it after changing a switch.
void ApplyMenuVisibility();

// "Undo" and "Restore Setpoint" are usable only while their file exists: the
// layout actions say so here whenever that changes (both start unusable), and
// the stored mask is applied again. Other items ignore it.
void SetMenuItemAvailable(MenuItemId item, bool usable);
