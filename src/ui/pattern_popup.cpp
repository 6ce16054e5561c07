// The pattern pop-up and its handlers. See pattern_popup.h.
#include "ui/pattern_popup.h"

#include <gtk/gtk.h>

#include <string>

#include "base/application_state.h"
#include "base/log.h"
#include "base/program_settings.h"
#include "base/screen_config.h"
#include "base/ui_hooks.h"
#include "layout/layout_file.h"
#include "layout/layout_selection.h"
#include "layout/layout_tree.h"
#include "layout/pattern_box.h"
#include "layout/placement/auto_center.h"
#include "layout/placement_edit.h"
#include "layout/view_transform.h"
#include "pattern/pattern.h"
#include "pattern/pattern_save_as.h"
#include "pattern/pattern_transform.h"
#include "ui/array_dialog.h"
#include "ui/edit_dialog.h"
#include "ui/interface.h"
#include "ui/layout_actions.h"
#include "ui/menu.h"
#include "ui/message_windows.h"
#include "ui/number_entry.h"
#include "ui/placement_actions.h"
#include "ui/properties_dialog.h"
#include "ui/transform_dialogs.h"
#include "ui/widget_helpers.h"

int patternSkip = 0;

namespace {

// Key under which each pop-up keeps its touch position.
constexpr const char* kPositionKey = "longarm-popup-position";

// The touch position a handler was given (0, 0 when none).
PopupPosition PositionOf(void* data) {
    const auto* p = static_cast<const PopupPosition*>(data);
    return p ? *p : PopupPosition{};
}

// After a transform: pattern images drawn again and the view invalidated.
void RefreshAfterEdit() {
    RefreshPatternPix();
    RedrawLayoutView();
}

// A pop-up closes before its item's handler runs to its end (dialogs run
// nested loops), so it is destroyed from an idle call, never from inside the
// toolkit's own menu handling.
gboolean DestroyLater(gpointer menu) {
    if (isWidget(menu)) gtk_widget_destroy(GTK_WIDGET(menu));
    g_object_unref(menu);
    return FALSE;
}

void OnPopupDeactivate(GtkWidget* menu, gpointer) {
    g_object_ref(menu);
    g_idle_add(DestroyLater, menu);
}

GtkWidget* AddItem(GtkWidget* menu, const char* label, PopupHandler handler, PopupPosition* pos) {
    GtkWidget* item = gtk_menu_item_new_with_label(label);
    gtk_menu_shell_append(GTK_MENU_SHELL(menu), item);
    if (handler)
        g_signal_connect(item, "activate", G_CALLBACK(handler), pos);
    else
        gtk_widget_set_sensitive(item, FALSE);
    gtk_widget_show(item);
    return item;
}

void AddSeparator(GtkWidget* menu) {
    GtkWidget* item = gtk_separator_menu_item_new();
    gtk_menu_shell_append(GTK_MENU_SHELL(menu), item);
    gtk_widget_show(item);
}

// A menu without the column kept free for check marks: the pop-up is narrow.
GtkWidget* NewMenu() {
    GtkWidget* menu = gtk_menu_new();
    gtk_menu_set_reserve_toggle_size(GTK_MENU(menu), FALSE);
    KeepMenuOnScreen(menu);
    return menu;
}

// A sub-menu entry holding the given sub-menu.
GtkWidget* AddSubmenu(GtkWidget* menu, const char* label, GtkWidget* submenu) {
    GtkWidget* item = gtk_menu_item_new_with_label(label);
    gtk_menu_item_set_submenu(GTK_MENU_ITEM(item), submenu);
    gtk_widget_set_name(gtk_widget_get_toplevel(submenu), "PatternPopupSubmenu");
    gtk_menu_shell_append(GTK_MENU_SHELL(menu), item);
    gtk_widget_show(item);
    g_signal_connect(submenu, "expose-event", G_CALLBACK(CursorExpose), nullptr);
    return item;
}

// A new pop-up menu owning a copy of the touch position.
GtkWidget* NewPopup(int x, int y, PopupPosition** pos) {
    GtkWidget* menu = NewMenu();
    *pos = new PopupPosition{x, y};
    g_object_set_data_full(G_OBJECT(menu), kPositionKey, *pos,
                           [](gpointer p) { delete static_cast<PopupPosition*>(p); });
    g_signal_connect(menu, "expose-event", G_CALLBACK(CursorExpose), nullptr);
    g_signal_connect(menu, "deactivate", G_CALLBACK(OnPopupDeactivate), nullptr);
    return menu;
}

void PopUp(GtkWidget* menu, bool atPointer) {
    gtk_widget_set_name(gtk_widget_get_toplevel(menu), kPopupWindowName);
    // From its place to the right edge of the screen.
    const int width = screen_width - pop_menu_x;
    if (!atPointer && width > 40) gtk_widget_set_size_request(menu, width, -1);
    gtk_menu_popup(GTK_MENU(menu), nullptr, nullptr,
                   atPointer ? nullptr : reinterpret_cast<GtkMenuPositionFunc>(placeMenu), nullptr,
                   0, gtk_get_current_event_time());
}

// Quarter turns of the selected placement.
void TurnSelected(float angle) {
    LayoutNode* node = SelectedNode();
    if (!node) return;
    CreateUndoFile();
    RotatePlacement(node, angle);
    RefreshAfterEdit();
}

void MirrorSelected(int mirrorX, int mirrorY) {
    LayoutNode* node = SelectedNode();
    if (!node) return;
    mirrorPattern(GetPattern(node->patternIndex), mirrorX, mirrorY);
    RefreshAfterEdit();
}

}  // namespace

void placeMenu(GtkMenu*, int* x, int* y, int* pushIn, void*) {
    *x = pop_menu_x;
    *y = pop_menu_y;
    if (pushIn) *pushIn = TRUE;
}

void ShowPopupMenu(int x, int y) {
    menuReady = 0;
    patternSkip = 0;
    if (!interface) return;
    SetSelectedNode(GetTouchedPattern(x, y));
    if (!SelectedNode()) {
        PopupPosition* pos = nullptr;
        GtkWidget* menu = NewPopup(x, y, &pos);
        GtkWidget* item = gtk_menu_item_new_with_label("Add Pattern");
        gtk_menu_shell_append(GTK_MENU_SHELL(menu), item);
        g_signal_connect(item, "activate", G_CALLBACK(menuMainAddPattern), nullptr);
        gtk_widget_show(item);
        gtk_widget_show(menu);
        PopUp(menu, true);
        return;
    }
    RefreshAfterEdit();  // the selection is drawn (and its highlighted entity)
    CreatePopupMenu(x, y);
}

GtkWidget* CreatePopupMenu(int x, int y) {
    PopupPosition* pos = nullptr;
    GtkWidget* menu = NewPopup(x, y, &pos);

    // Eight rows at most, so that the pop-up fits the 240-pixel screen with
    // rows tall enough for a finger; the rest sit in sub-menus.
    AddItem(menu, "Next", popupNext, pos);
    AddSeparator(menu);
    AddItem(menu, "Move", popupMove, pos);
    GtkWidget* rotate = NewMenu();
    AddItem(rotate, "Select", popupRotate, pos);
    AddItem(rotate, "90 Degrees CW", popupRotateCW, pos);
    AddItem(rotate, "90 Degrees CCW", popupRotateCCW, pos);
    AddSubmenu(menu, "Rotate", rotate);
    GtkWidget* mirror = NewMenu();
    AddItem(mirror, "Horizontal", popupMirrorH, pos);
    AddItem(mirror, "Vertical", popupMirrorV, pos);
    AddSubmenu(menu, "Mirror", mirror);
    AddItem(menu, "Scale", popupScale, pos);
    AddSeparator(menu);
    GtkWidget* copies = NewMenu();
    AddItem(copies, "Repeat", popupArray, pos);
    AddItem(copies, "Autofill", popupAutofill, pos);
    GtkWidget* merge = AddItem(copies, "Merge", popupMergePattern, pos);
    AddSubmenu(menu, "Copies", copies);
    GtkWidget* pattern = NewMenu();
    AddItem(pattern, "Reverse Path", popupFlipPath, pos);
    AddItem(pattern, "Save", popupSavePattern, pos);
    AddItem(pattern, "Remove", popupRemove, pos);
    AddSubmenu(menu, "Pattern", pattern);
    AddSeparator(menu);
    AddItem(menu, "Properties", popupProperties, pos);

    gtk_widget_show(menu);
    if (!Settings().showAdvancedFeatures) gtk_widget_hide(merge);
    PopUp(menu, false);
    return menu;
}

void viewDropdownMenu(GtkWidget*, void*) {
    ShowPopupMenu(0, 0);
}

void popupNext(GtkWidget*, void* data) {
    const PopupPosition pos = PositionOf(data);
    ReleaseAllUI();
    if (!interface) return;
    SetSelectedNode(NextPlacement(pos.x, pos.y, SelectedNode(), &patternSkip));
    if (!SelectedNode()) return;
    RefreshAfterEdit();
    CreatePopupMenu(pos.x, pos.y);
}

void popupRemove(GtkWidget*, void*) {
    ReleaseAllUI();
    int answer =
        ShowMessage(kMessageQuestion, kButtonsYesNo, "DO YOU REALLY WANT TO REMOVE THIS PATTERN?");
    if (answer != kResponseYes) return;
    CreateUndoFile();
    RemovePlacementOrArray(SelectedNode());
    SetSelectedNode(nullptr);
    RedrawLayoutView();
}

void popupMove(GtkWidget*, void*) {
    CreateUndoFile();
    ReleaseAllUI();  // removes the edit buttons and the measuring line
    command = 9;
    SetStatusBar("Drag Pattern or Use Increment Buttons");
    SetHighlightIndex(-1);
    RedrawLayoutView();
}

void popupRotate(GtkWidget*, void*) {
    ReleaseAllUI();
    if (SelectedNode()) RotateDialog(SelectedNode());
}

void popupRotateCW(GtkWidget*, void*) {
    ReleaseAllUI();
    TurnSelected(90);
}

void popupRotateCCW(GtkWidget*, void*) {
    ReleaseAllUI();
    TurnSelected(270);
}

void popupMirrorH(GtkWidget*, void*) {
    ReleaseAllUI();
    MirrorSelected(0, 1);
}

void popupMirrorV(GtkWidget*, void*) {
    ReleaseAllUI();
    MirrorSelected(1, 0);
}

void popupFlipPath(GtkWidget*, void*) {
    ReleaseAllUI();
    LayoutNode* node = SelectedNode();
    if (!node) return;
    ReversePatternPath(GetPattern(node->patternIndex));
    RefreshAfterEdit();
}

void popupScale(GtkWidget*, void*) {
    if (!SelectedNode()) return;
    CreateUndoFile();
    ReleaseAllUI();
    ScaleDialog(SelectedNode());
}

void popupSavePattern(GtkWidget*, void*) {
    ReleaseAllUI();
    LayoutNode* node = SelectedNode();
    if (!node) return;
    std::string path;
    if (SavePatternAs(GetPattern(node->patternIndex), kPatternFolder, &path) == 1)
        ShowSavedMessage(path);
}

void popupArray(GtkWidget*, void*) {
    ReleaseAllUI();
    if (SelectedNode()) ArrayDialog(SelectedNode());
}

void popupEcho(GtkWidget*, void*) {
    ReleaseAllUI();
    if (SelectedNode()) EchoDialog(SelectedNode());
}

void popupProperties(GtkWidget*, void*) {
    ReleaseAllUI();
    if (SelectedNode()) PatternPropertiesDialog(SelectedNode());
}

void menuEditAutoCenter(GtkWidget*, void* data) {
    int choice = 0;
    if (data) {
        const char* text = static_cast<const char*>(data);
        choice = text[0] >= '0' && text[0] <= '2' ? text[0] - '0' : 0;
    }
    CreateUndoFile();
    ReleaseAllUI();
    AutoCenter(choice != 2 ? 1 : 0, choice != 1 ? 1 : 0);
    RedrawLayoutView();
}
