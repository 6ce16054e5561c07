// The pattern pop-up: the menu that opens on a placed pattern after a long
// press in the layout view (or from the toolbar's Edit button), and the
// handlers of its entries that act on the selected placement (`selectedNode`):
// stepping to the next pattern, removing, moving, rotating, mirroring,
// reversing, scaling, saving, repeating and the properties dialog. "Autofill"
// and "Merge" call the handlers of placement_actions.h.
//
// The menu is built anew each time it opens.
#pragma once

typedef struct _GtkWidget GtkWidget;
typedef struct _GtkMenu GtkMenu;

// Widget name of the pop-up's window (lets tools and tests find it).
constexpr const char* kPopupWindowName = "PatternPopup";

// Touch position (pixels in the layout view) that opened the pop-up. Every
// handler receives it; it belongs to its menu and goes with it (also when the
// pop-up is closed without a choice), so handlers only read it.
struct PopupPosition {
    int x = 0;
    int y = 0;
};

// Handler of a pop-up entry: (menu item, the PopupPosition of the menu).
typedef void (*PopupHandler)(GtkWidget* item, void* data);

// Rank of the placement that "Next" selected last (0 = nearest to the touch).
extern int patternSkip;

// Opens the pop-up for the placement nearest to the screen point (x, y) of the
// layout view: selects it, redraws the view and builds the pop-up. Where no
// placement is near, a one-entry menu "Add Pattern" opens instead. Called by the
// layout view's long press and by the toolbar's Edit button (at 0, 0).
void ShowPopupMenu(int x, int y);

// Builds the pattern pop-up for the touch at (x, y), shows it and pops it up at
// (pop_menu_x, pop_menu_y). Returns the menu (destroyed by the toolkit when it
// closes). Called by ShowPopupMenu and by "Next".
GtkWidget* CreatePopupMenu(int x, int y);

// Positioning function of every pop-up: places it at (pop_menu_x, pop_menu_y)
// of the screen settings.
void placeMenu(GtkMenu* menu, int* x, int* y, int* pushIn, void* data);

// Toolbar Edit button: ShowPopupMenu(0, 0).
void viewDropdownMenu(GtkWidget* item, void* data);

// Pop-up entry handlers (data is the PopupPosition of the menu).
void popupNext(GtkWidget* item, void* data);
void popupRemove(GtkWidget* item, void* data);
void popupMove(GtkWidget* item, void* data);
void popupRotate(GtkWidget* item, void* data);
void popupRotateCW(GtkWidget* item, void* data);
void popupRotateCCW(GtkWidget* item, void* data);
void popupMirrorH(GtkWidget* item, void* data);
void popupMirrorV(GtkWidget* item, void* data);
void popupFlipPath(GtkWidget* item, void* data);
void popupScale(GtkWidget* item, void* data);
void popupSavePattern(GtkWidget* item, void* data);
void popupArray(GtkWidget* item, void* data);
void popupEcho(GtkWidget* item, void* data);
void popupProperties(GtkWidget* item, void* data);

// Edit menu "AutoCenter" (data: choice 0 both, 1 horizontal, 2 vertical):
// takes the undo point, ends any edit mode, centres the current box's
// placements in the box and redraws.
void menuEditAutoCenter(GtkWidget* item, void* data);
