// Menu bar, toolbar and the menu state mask. See menu.h.
#include "ui/menu.h"

#include <gtk/gtk.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "base/application_state.h"
#include "base/log.h"
#include "base/program_settings.h"
#include "base/screen_config.h"
#include "machine/machine_parameters.h"
#include "machine/stitcher.h"
#include "machine/stitching/pattern_run.h"
#include "ui/extents_setup.h"
#include "ui/file_manager_screen.h"
#include "ui/interface.h"
#include "ui/layout_actions.h"
#include "ui/pattern_popup.h"
#include "ui/placement_actions.h"
#include "ui/run_toggles.h"
#include "ui/setup_screen.h"
#include "ui/stitch_preview_screen.h"
#include "ui/trace_view.h"
#include "ui/view_interaction.h"
#include "ui/widget_helpers.h"

GtkWidget* stitchBar = nullptr;

namespace {

// The top rows of each menu, in order; kSeparator draws a line.
constexpr int kSeparator = -1;
const std::vector<int> kMenuRows[kMenuCount] = {
    {kItemPatternView, kItemAddPattern, kItemLayoutGroup, kSeparator, kItemSetQuiltArea,
     kItemPatternBox, kSeparator, kItemMachineGroup, kItemToolsGroup},
    {kItemSaveGroup, kItemMoveAll, kItemAutoCenter, kItemAutofill, kItemNest, kItemSetpointGroup,
     kItemUndo},
    {kItemZoomAll, kItemPan, kItemPreview},
    {kItemStandard},
};

// Moves the pointer off the toolbar so that the button just pressed does not
// stay highlighted on the touch screen.
void MovePointerOffToolbar() {
    GdkDisplay* display = gdk_display_get_default();
    if (display == nullptr) return;
    gdk_display_warp_pointer(display, gdk_display_get_default_screen(display), 0,
                             menubar_height + 15);
}

int stitchOnOffState = 0;  // flips at each press of Stitch On/Off: 1 on, 0 off

// Stitch On/Off toggle: each press switches stitching on, then off, in turn,
// and the toggle springs back up.
void testFunction1(GtkWidget* button, void*) {
    if (!gtk_toggle_tool_button_get_active(GTK_TOGGLE_TOOL_BUTTON(button))) return;
    stitchOnOffState = 1 - stitchOnOffState;
    if (stitchOnOffState == 1)
        StitchOn();
    else
        StitchOff();
    gtk_toggle_tool_button_set_active(GTK_TOGGLE_TOOL_BUTTON(button), FALSE);
    MovePointerOffToolbar();
}

// Needle Up toggle: raises the needle and springs back up.
void testFunction2(GtkWidget* button, void*) {
    if (!gtk_toggle_tool_button_get_active(GTK_TOGGLE_TOOL_BUTTON(button))) return;
    NeedleUp();
    gtk_toggle_tool_button_set_active(GTK_TOGGLE_TOOL_BUTTON(button), FALSE);
    MovePointerOffToolbar();
}

// Whether the file behind "Undo" and "Restore Setpoint" exists.
MenuAvailability available = InitialMenuAvailability();

std::unique_ptr<MenuBar> menuRecord;
std::unique_ptr<ToolBar> toolbarRecord;

// Image from "./images/", scaled down (aspect kept) when larger than maxSize
// pixels; a file that cannot be read shows the toolkit's missing-image icon.
GtkWidget* LoadIcon(const char* name, int maxSize) {
    std::string path = std::string("./images/") + name;
    GError* error = nullptr;
    GdkPixbuf* pixbuf = gdk_pixbuf_new_from_file(path.c_str(), &error);
    if (pixbuf == nullptr) {
        Log("Could not load image %s: %s\n", path.c_str(), error ? error->message : "unknown");
        if (error) g_error_free(error);
        return gtk_image_new_from_stock(GTK_STOCK_MISSING_IMAGE, GTK_ICON_SIZE_LARGE_TOOLBAR);
    }
    int w = gdk_pixbuf_get_width(pixbuf);
    int h = gdk_pixbuf_get_height(pixbuf);
    if (maxSize > 0 && (w > maxSize || h > maxSize)) {
        int nw = w >= h ? maxSize : std::max(1, w * maxSize / h);
        int nh = h >= w ? maxSize : std::max(1, h * maxSize / w);
        GdkPixbuf* scaled = gdk_pixbuf_scale_simple(pixbuf, nw, nh, GDK_INTERP_BILINEAR);
        g_object_unref(pixbuf);
        pixbuf = scaled;
    }
    GtkWidget* image = gtk_image_new_from_pixbuf(pixbuf);
    g_object_unref(pixbuf);
    return image;
}

const char* StyleName(const char* large, const char* small) {
    return icon_style == 1 ? large : small;
}

// "activate" of a menu item: the handler of the module that owns the action.
void OnMenuItemActivate(GtkMenuItem* menuItem, gpointer index) {
    const MenuItemSpec& entry = MenuItemSpecOf(static_cast<MenuItemId>(GPOINTER_TO_INT(index)));
    GtkWidget* item = GTK_WIDGET(menuItem);
    void* data = const_cast<char*>(entry.data);
    switch (entry.id) {
        case kItemPatternView:
            return menuMainPatternView(item, data);
        case kItemAddPattern:
            return menuMainAddPattern(item, data);
        case kItemNewLayout:
            return menuMainNewLayout(item, data);
        case kItemOpenLayout:
            return menuMainLoadLayout(item, data);
        case kItemSetQuiltArea:
            return menuMainExtents(item, data);
        case kItemAddPatternBox:
        case kItemAdjustCurrent:
        case kItemRemoveCurrent:
            return menuMainPatternbox(item, data);
        case kItemFreeMotion:
            return menuMainTraceMode(item, data);
        case kItemDemo:
            return menuRunTest(item, data);
        case kItemFileManager:
            return menuMainFileManager(item, data);
        case kItemSetup:
            return menuMainSetup(item, data);
        case kItemSaveLayout:
            return menuEditSaveLayout(item, data);
        case kItemSaveLayoutAs:
            return menuEditSaveLayoutAs(item, data);
        case kItemMoveAll:
            return menuEditMove(item, data);
        case kItemAutoCenter:
            return menuEditAutoCenter(item, data);
        case kItemAutofill:
            return menuEditAutofill(item, data);
        case kItemNest:
            return menuEditNest(item, data);
        case kItemCreateSetpoint:
            return menuEditCreateSetpoint(item, data);
        case kItemRestoreSetpoint:
            return menuEditRestoreSetpoint(item, data);
        case kItemUndo:
            return menuEditUndo(item, data);
        case kItemZoomAll:
            return menuViewZoomAll(item, data);
        case kItemPan:
            return menuViewPan(item, data);
        case kItemPreview:
            ShowStitchPreview();
            return;
        default:
            return;  // group entries open their sub-menu; "Standard" does nothing
    }
}

// "clicked" or "toggled" of a toolbar button.
void OnToolButtonSignal(GtkWidget* button, gpointer index) {
    switch (static_cast<ToolButtonId>(GPOINTER_TO_INT(index))) {
        case kToolStart:
            return startButtonReleased();
        case kToolStop:
            return stopButtonReleased();
        case kToolStitching:
            return menuRunStitching(button, nullptr);
        case kToolLockX:
            return menuRunLockX(button, nullptr);
        case kToolLockY:
            return menuRunLockY(button, nullptr);
        case kToolStitchOnOff:
            return testFunction1(button, nullptr);
        case kToolNeedleUp:
            return testFunction2(button, nullptr);
        case kToolEdit:
            return viewDropdownMenu(button, nullptr);
        default:
            return;
    }
}

// The bar is destroyed with the main window: forget its widgets so that a late
// mask change does not touch freed widgets.
void OnMenuBarDestroy(GtkWidget* widget, gpointer) {
    if (menuRecord && menuRecord->menuBar == widget) {
        MenuBar cleared;
        cleared.mask = menuRecord->mask;
        *menuRecord = cleared;
        stitchBar = nullptr;
    }
}

void OnToolbarDestroy(GtkWidget* widget, gpointer) {
    if (toolbarRecord && toolbarRecord->toolbar == widget) *toolbarRecord = ToolBar{};
}

GtkWidget* AddMenuTitle(MenuBar* record, MenuId id, const char* icon) {
    GtkWidget* title = gtk_image_menu_item_new_with_label("");
    int iconSize = menubar_height - 8;
    gtk_image_menu_item_set_image(GTK_IMAGE_MENU_ITEM(title), LoadIcon(icon, iconSize));
    gtk_image_menu_item_set_always_show_image(GTK_IMAGE_MENU_ITEM(title), TRUE);
    GtkWidget* menu = gtk_menu_new();
    KeepMenuOnScreen(menu);
    gtk_menu_item_set_submenu(GTK_MENU_ITEM(title), menu);
    gtk_menu_shell_append(GTK_MENU_SHELL(record->menuBar), title);
    record->menuTitles[id] = title;
    record->menus[id] = menu;
    return menu;
}

// Appends an item to the menu; a group entry gets the sub-menu of its items.
void AddItem(MenuBar* record, GtkWidget* menu, MenuItemId id) {
    const MenuItemSpec& entry = MenuItemSpecOf(id);
    GtkWidget* item = gtk_menu_item_new_with_label(entry.label);
    gtk_menu_shell_append(GTK_MENU_SHELL(menu), item);
    record->items[id] = item;
    if (!HasSubmenu(id)) {
        g_signal_connect(item, "activate", G_CALLBACK(OnMenuItemActivate), GINT_TO_POINTER(id));
        return;
    }
    GtkWidget* submenu = gtk_menu_new();
    KeepMenuOnScreen(submenu);
    gtk_menu_item_set_submenu(GTK_MENU_ITEM(item), submenu);
    record->submenus[id] = submenu;
    for (int child = 0; child < kMenuItemCount; child++)
        if (MenuItemSpecOf(static_cast<MenuItemId>(child)).parent == id)
            AddItem(record, submenu, static_cast<MenuItemId>(child));
}

void BuildMenus(MenuBar* record) {
    const char* icons[kMenuCount][2] = {{"home-64x64.png", "home-32x32.png"},
                                        {"app-edit-64x64.png", "app-edit-32x32.png"},
                                        {"search-64x64.png", "search-32x32.png"},
                                        {"ZigZag.png", "ZigZag_5.png"}};
    for (int m = 0; m < kMenuCount; m++) {
        GtkWidget* menu =
            AddMenuTitle(record, static_cast<MenuId>(m), StyleName(icons[m][0], icons[m][1]));
        for (int row : kMenuRows[m]) {
            if (row == kSeparator)
                gtk_menu_shell_append(GTK_MENU_SHELL(menu), gtk_separator_menu_item_new());
            else
                AddItem(record, menu, static_cast<MenuItemId>(row));
        }
    }
    stitchBar = record->menuTitles[kMenuStitch];
}

// A tool button showing an image (or, with a null image name, a text label in
// the given font as its icon) of toolbar_button_size pixels square.
GtkToolItem* AddToolButton(ToolBar* record, ToolButtonId id, bool toggle, const char* image,
                           const char* label, const char* font) {
    GtkToolItem* button =
        toggle ? gtk_toggle_tool_button_new() : gtk_tool_button_new(nullptr, label);
    gtk_tool_button_set_label(GTK_TOOL_BUTTON(button), label);
    GtkWidget* text = nullptr;
    if (font != nullptr) {
        text = gtk_label_new(label);
        gtk_label_set_justify(GTK_LABEL(text), GTK_JUSTIFY_CENTER);
        PangoFontDescription* description = pango_font_description_from_string(font);
        gtk_widget_modify_font(text, description);
        pango_font_description_free(description);
    }
    if (image != nullptr) {
        GtkWidget* icon = LoadIcon(image, toolbar_button_size - 4);
        gtk_tool_button_set_icon_widget(GTK_TOOL_BUTTON(button), icon);
        record->images[id] = icon;
        if (text != nullptr) gtk_tool_button_set_label_widget(GTK_TOOL_BUTTON(button), text);
    } else if (text != nullptr) {
        gtk_tool_button_set_icon_widget(GTK_TOOL_BUTTON(button), text);
    }
    gtk_widget_set_size_request(GTK_WIDGET(button), toolbar_button_size, toolbar_button_size);
    // A touch screen has no keyboard: no focus frame stays on a pressed button.
    gtk_widget_set_can_focus(gtk_bin_get_child(GTK_BIN(button)), FALSE);
    gtk_toolbar_insert(GTK_TOOLBAR(record->toolbar), button, -1);
    g_signal_connect(button, toggle ? "toggled" : "clicked", G_CALLBACK(OnToolButtonSignal),
                     GINT_TO_POINTER(id));
    record->buttons[id] = GTK_WIDGET(button);
    return button;
}

// The Stitching toggle's picture while it is off: the picture in grey, struck
// through from corner to corner with a red bar, so that tracing without the
// needle shows at a glance. The caller owns the new picture.
GdkPixbuf* StitchingOffPicture(GdkPixbuf* on) {
    GdkPixbuf* off = gdk_pixbuf_add_alpha(on, FALSE, 0, 0, 0);
    gdk_pixbuf_saturate_and_pixelate(off, off, 0.0f, FALSE);
    const int w = gdk_pixbuf_get_width(off), h = gdk_pixbuf_get_height(off);
    const int stride = gdk_pixbuf_get_rowstride(off);
    guchar* pixels = gdk_pixbuf_get_pixels(off);
    // Within the bar: the distance to the diagonal, |x·h − y·w| / √(w² + h²),
    // is at most a tenth of the picture's size.
    const double reach = std::max(1, std::min(w, h) / 10) * std::hypot(w, h);
    for (int y = 0; y < h; y++)
        for (int x = 0; x < w; x++) {
            if (std::abs(static_cast<double>(x) * h - static_cast<double>(y) * w) > reach) continue;
            guchar* p = pixels + y * stride + x * 4;
            p[0] = 220, p[1] = 0, p[2] = 0, p[3] = 255;
        }
    return off;
}

// "toggled" of the Stitching toggle: the picture follows its state.
void ShowStitchingState(GtkToggleToolButton* button, gpointer image) {
    const char* key = gtk_toggle_tool_button_get_active(button) ? "longarm-on" : "longarm-off";
    if (auto* picture = static_cast<GdkPixbuf*>(g_object_get_data(G_OBJECT(image), key)))
        gtk_image_set_from_pixbuf(GTK_IMAGE(image), picture);
}

// Gives the Stitching toggle its two pictures and shows the one of its state.
void ShowStitchingStateOn(GtkWidget* button, GtkWidget* image) {
    if (!GTK_IS_IMAGE(image) || gtk_image_get_storage_type(GTK_IMAGE(image)) != GTK_IMAGE_PIXBUF)
        return;  // the picture file is missing: the stock image stays
    GdkPixbuf* on = GDK_PIXBUF(g_object_ref(gtk_image_get_pixbuf(GTK_IMAGE(image))));
    g_object_set_data_full(G_OBJECT(image), "longarm-on", on, g_object_unref);
    g_object_set_data_full(G_OBJECT(image), "longarm-off", StitchingOffPicture(on), g_object_unref);
    g_signal_connect(button, "toggled", G_CALLBACK(ShowStitchingState), image);
    ShowStitchingState(GTK_TOGGLE_TOOL_BUTTON(button), image);
}

void SetVisible(GtkWidget* widget, bool visible) {
    if (widget == nullptr) return;
    if (visible)
        gtk_widget_show(widget);
    else
        gtk_widget_hide(widget);
}

}  // namespace

GtkWidget* createMenu() {
    menuRecord = std::make_unique<MenuBar>();
    MenuBar* record = menuRecord.get();
    record->mask = 0xFFFFFFFFu;
    record->menuBar = gtk_menu_bar_new();
    gtk_widget_set_size_request(record->menuBar, menubar_width, menubar_height);
    g_signal_connect(record->menuBar, "destroy", G_CALLBACK(OnMenuBarDestroy), nullptr);
    BuildMenus(record);
    gtk_widget_show_all(record->menuBar);
    ApplyMenuVisibility();
    record->mask = kStartupMenuMask;
    SetMenusSensitive(record->mask);
    if (interface != nullptr) interface->menu = record;
    return record->menuBar;
}

GtkWidget* createToolbar() {
    toolbarRecord = std::make_unique<ToolBar>();
    ToolBar* record = toolbarRecord.get();
    record->toolbar = gtk_toolbar_new();
    gtk_toolbar_set_style(GTK_TOOLBAR(record->toolbar), GTK_TOOLBAR_ICONS);
    gtk_toolbar_set_show_arrow(GTK_TOOLBAR(record->toolbar), FALSE);
    gtk_widget_set_size_request(record->toolbar, toolbar_width, toolbar_height);
    g_signal_connect(record->toolbar, "destroy", G_CALLBACK(OnToolbarDestroy), nullptr);

    bool large = icon_style == 1;
    const char* lockFont = large ? "Sans 24" : "Sans 14";
    AddToolButton(record, kToolStart, false, StyleName("Start_64x64.png", "Start_32x32.png"),
                  "Start", nullptr);
    AddToolButton(record, kToolStop, false, StyleName("Stop_64x64.png", "Stop_32x32.png"), "Stop",
                  nullptr);
    AddToolButton(record, kToolStitching, true, StyleName("Stitch_64x64.png", "Stitch_32x32.png"),
                  "Stitching", nullptr);
    ShowStitchingStateOn(record->buttons[kToolStitching], record->images[kToolStitching]);
    AddToolButton(record, kToolLockX, true,
                  StyleName("LockHorizontal.png", "LockHorizontal_32x32.png"), "H", lockFont);
    AddToolButton(record, kToolLockY, true, StyleName("LockVertical.png", "LockVertical_32x32.png"),
                  "V", lockFont);
    if (large) {
        AddToolButton(record, kToolStitchOnOff, true, nullptr, "Stitch\nOn/Off", "Sans 8");
        AddToolButton(record, kToolNeedleUp, true, nullptr, "Needle\nUp", "Sans 8");
        AddToolButton(record, kToolEdit, false, "DropDownMenu_50.png", "Edit", nullptr);
    }
    SetToolbarSensitive(kStartupMenuMask);
    gtk_widget_show_all(record->toolbar);
    ApplyMenuVisibility();
    if (interface != nullptr) interface->toolbar = record;
    return record->toolbar;
}

MenuBar* MenuRecord() {
    return menuRecord.get();
}
ToolBar* ToolbarRecord() {
    return toolbarRecord.get();
}

void SetMenusSensitive(uint32_t mask) {
    MenuBar* record = menuRecord.get();
    if (record == nullptr || record->menuBar == nullptr) return;
    for (int i = 0; i < kMenuItemCount; i++) {
        const auto id = static_cast<MenuItemId>(i);
        if (record->items[id])
            gtk_widget_set_sensitive(record->items[id], MenuItemUsable(mask, id, available));
    }
}

void SetToolbarSensitive(uint32_t mask) {
    ToolBar* record = toolbarRecord.get();
    if (record == nullptr || record->toolbar == nullptr) return;
    for (int i = 0; i < kToolButtonCount; i++) {
        const auto id = static_cast<ToolButtonId>(i);
        if (record->buttons[id])
            gtk_widget_set_sensitive(record->buttons[id], ToolButtonUsable(mask, id));
    }
}

void SetMenuStateMask(uint32_t mask) {
    if (menuRecord) menuRecord->mask = mask;
    SetMenusSensitive(mask);
    SetToolbarSensitive(mask);
}

uint32_t MenuStateMask() {
    return menuRecord ? menuRecord->mask : 0;
}

void ApplyMenuVisibility() {
    MenuSettings settings;
    settings.advanced = Settings().showAdvancedFeatures != 0;
    settings.stitchButtons = Settings().stitchButtonsOn != 0;
    settings.iconStyle = icon_style;
    settings.needleUpMethod = Machine().needleUpMethod;
    if (MenuBar* record = menuRecord.get(); record != nullptr && record->menuBar != nullptr) {
        for (int i = 0; i < kMenuItemCount; i++) {
            const auto id = static_cast<MenuItemId>(i);
            if (MenuItemSpecOf(id).advanced)
                SetVisible(record->items[id], MenuItemShown(id, settings));
        }
        SetVisible(record->menuTitles[kMenuStitch], MenuShown(kMenuStitch, settings));
    }
    if (ToolBar* record = toolbarRecord.get(); record != nullptr && record->toolbar != nullptr) {
        for (ToolButtonId id : {kToolStitchOnOff, kToolNeedleUp})
            SetVisible(record->buttons[id], ToolButtonShown(id, settings));
    }
}

void SetMenuItemAvailable(MenuItemId item, bool usable) {
    if (item < 0 || item >= kMenuItemCount) return;
    available[item] = usable;
    SetMenusSensitive(menuRecord ? menuRecord->mask : kStartupMenuMask);
}
