// The two GTK style files: each parses without a single complaint, really
// gives the widgets the touch sizes and colours it sets, and lets the icons of
// its screen size fit the menu row. Each file is checked in a fresh process
// (GTK cannot forget a parsed style file), through a death-test child.
#include <gtest/gtest.h>
#include <gtk/gtk.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

struct StyleExpect {
    const char* file;        // at the top of the repository
    int fontSize;            // default font, points
    int menuFontSize;        // rows of drop-down and pop-up menus, points
    int menuItemYThickness;  // extra height above and below a menu row, pixels
    int sliderWidth;         // scroll bar width, pixels
    int indicatorSize;       // check box, pixels
    const char* iconSuffix;  // icon set of this screen size
    int rowHeight;           // height of the menu and toolbar row the icons must fit, pixels
    int viewHeight;          // screen height below that row, pixels
};

const StyleExpect kLarge = {"gtkrc", 12, 14, 8, 34, 26, "64x64.png", 80, 400};
const StyleExpect kSmall = {"gtkrc_5", 10, 10, 4, 20, 16, "32x32.png", 40, 200};

std::string complaints;

void CapturePrint(const gchar* text) {
    complaints += text;
}

void CaptureLog(const gchar* domain, GLogLevelFlags, const gchar* message, gpointer) {
    complaints += std::string(domain ? domain : "") + ": " + message + "\n";
}

std::string failures;

void Check(bool ok, const std::string& what) {
    if (!ok) failures += what + "\n";
}

std::string Hex(const GdkColor& c) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "#%02X%02X%02X", c.red >> 8, c.green >> 8, c.blue >> 8);
    return buf;
}

int FontPoints(GtkWidget* w) {
    gtk_widget_ensure_style(w);
    return pango_font_description_get_size(w->style->font_desc) / PANGO_SCALE;
}

int StyleInt(GtkWidget* w, const char* property) {
    gint v = -1;
    gtk_widget_style_get(w, property, &v, nullptr);
    return v;
}

// Parses one style file into a fresh GTK, checks what it does, and ends the
// process: exit 0 when everything holds, otherwise 1 after printing why.
[[noreturn]] void CheckStyleFileAndExit(const StyleExpect& e) {
    g_set_printerr_handler(CapturePrint);
    g_log_set_default_handler(CaptureLog, nullptr);
    int argc = 0;
    if (!gtk_init_check(&argc, nullptr)) {
        std::fprintf(stderr, "no X display\n");
        std::exit(2);
    }
    const std::string dir = LONGARM_SOURCE_DIR;
    const std::string path = dir + "/" + e.file;
    Check(g_file_test(path.c_str(), G_FILE_TEST_IS_REGULAR), "missing " + path);
    gtk_rc_parse(path.c_str());

    // Every widget kind the checks need, in one window, as the program builds them.
    GtkWidget* window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    GtkWidget* box = gtk_vbox_new(FALSE, 0);
    gtk_container_add(GTK_CONTAINER(window), box);
    GtkWidget* row = gtk_hbox_new(FALSE, 0);
    gtk_box_pack_start(GTK_BOX(box), row, FALSE, FALSE, 0);

    GtkWidget* menubar = gtk_menu_bar_new();
    GtkWidget* barItem = gtk_image_menu_item_new_with_label("");
    const std::string home = dir + "/images/home-" + e.iconSuffix;
    gtk_image_menu_item_set_image(GTK_IMAGE_MENU_ITEM(barItem),
                                  gtk_image_new_from_file(home.c_str()));
    gtk_menu_shell_append(GTK_MENU_SHELL(menubar), barItem);
    // The main menu as the quilter sees it without the advanced features:
    // six rows and two separators.
    GtkWidget* menu = gtk_menu_new();
    GtkWidget* menuItem = nullptr;
    for (const char* text : {"Pattern View", "Add Pattern", "-", "Set Quilt Area", "Pattern Box",
                             "-", "Machine", "Tools"}) {
        GtkWidget* item =
            text[0] == '-' ? gtk_separator_menu_item_new() : gtk_menu_item_new_with_label(text);
        if (!menuItem) menuItem = item;
        gtk_menu_shell_append(GTK_MENU_SHELL(menu), item);
    }
    gtk_menu_item_set_submenu(GTK_MENU_ITEM(barItem), menu);
    gtk_box_pack_start(GTK_BOX(row), menubar, FALSE, FALSE, 0);

    GtkWidget* toolbar = gtk_toolbar_new();
    gtk_toolbar_set_style(GTK_TOOLBAR(toolbar), GTK_TOOLBAR_ICONS);
    const std::string start = dir + "/images/Start_" + e.iconSuffix;
    GtkToolItem* tool = gtk_tool_button_new(gtk_image_new_from_file(start.c_str()), "Start");
    gtk_toolbar_insert(GTK_TOOLBAR(toolbar), tool, -1);
    GtkToolItem* toggle = gtk_toggle_tool_button_new();
    gtk_tool_button_set_icon_widget(GTK_TOOL_BUTTON(toggle),
                                    gtk_image_new_from_file(start.c_str()));
    gtk_toolbar_insert(GTK_TOOLBAR(toolbar), toggle, -1);
    gtk_box_pack_start(GTK_BOX(row), toolbar, TRUE, TRUE, 0);

    GtkWidget* button = gtk_button_new_with_label("Select Pattern");
    GtkWidget* check = gtk_check_button_new_with_label("Show Advanced Features");
    GtkWidget* scrollbar = gtk_vscrollbar_new(nullptr);
    GtkWidget* label = gtk_label_new("Patterns");
    for (GtkWidget* w : {button, check, scrollbar, label})
        gtk_box_pack_start(GTK_BOX(box), w, FALSE, FALSE, 0);
    gtk_widget_show_all(window);
    gtk_widget_show_all(menu);
    while (gtk_events_pending())
        gtk_main_iteration();

    // Colours and fonts of ordinary widgets.
    gtk_widget_ensure_style(window);
    Check(Hex(window->style->bg[GTK_STATE_NORMAL]) == "#E6EAEE",
          "window background " + Hex(window->style->bg[GTK_STATE_NORMAL]));
    Check(Hex(window->style->bg[GTK_STATE_SELECTED]) == "#2E6DB4", "selection colour");
    Check(Hex(label->style->fg[GTK_STATE_INSENSITIVE]) == "#8D969E", "insensitive text");
    Check(FontPoints(label) == e.fontSize, "label font " + std::to_string(FontPoints(label)));

    // Finger-sized controls.
    Check(StyleInt(scrollbar, "slider-width") == e.sliderWidth,
          "scroll bar width " + std::to_string(StyleInt(scrollbar, "slider-width")));
    Check(StyleInt(check, "indicator-size") == e.indicatorSize, "check box size");
    gtk_widget_ensure_style(menuItem);
    Check(FontPoints(gtk_bin_get_child(GTK_BIN(menuItem))) == e.menuFontSize,
          "menu row font " + std::to_string(FontPoints(gtk_bin_get_child(GTK_BIN(menuItem)))));
    Check(menuItem->style->ythickness == e.menuItemYThickness,
          "menu row thickness " + std::to_string(menuItem->style->ythickness));
    // A touched row turns blue with white text instead of a hover glow.
    Check(Hex(menuItem->style->bg[GTK_STATE_PRELIGHT]) == "#2E6DB4", "touched menu row");

    // Settings: touch mode, icons in menus and on buttons, icon-only toolbar.
    GtkSettings* settings = gtk_settings_get_default();
    gboolean touch = FALSE, menuImages = FALSE, buttonImages = FALSE;
    GtkToolbarStyle toolbarStyle = GTK_TOOLBAR_BOTH;
    g_object_get(settings, "gtk-touchscreen-mode", &touch, "gtk-menu-images", &menuImages,
                 "gtk-button-images", &buttonImages, "gtk-toolbar-style", &toolbarStyle, nullptr);
    Check(touch, "touch-screen mode off");
    Check(menuImages && buttonImages, "images hidden in menus or on buttons");
    Check(toolbarStyle == GTK_TOOLBAR_ICONS, "toolbar shows more than icons");

    // The icons of this screen size fit the menu and toolbar row.
    GtkRequisition r;
    gtk_widget_size_request(menubar, &r);
    Check(r.height <= e.rowHeight, "menu bar " + std::to_string(r.height) + " pixels high");
    gtk_widget_size_request(toolbar, &r);
    Check(r.height <= e.rowHeight, "toolbar " + std::to_string(r.height) + " pixels high");
    gtk_widget_size_request(GTK_WIDGET(toggle), &r);
    Check(r.height <= e.rowHeight && r.width <= e.rowHeight,
          "toolbar toggle " + std::to_string(r.width) + "x" + std::to_string(r.height));

    // The whole main menu drops down below the menu row without scrolling.
    gtk_widget_size_request(menu, &r);
    Check(r.height <= e.viewHeight, "main menu " + std::to_string(r.height) + " pixels high");

    gtk_widget_destroy(window);
    while (gtk_events_pending())
        gtk_main_iteration();

    Check(complaints.empty(), "GTK complained:\n" + complaints);
    if (!failures.empty()) {
        std::fprintf(stderr, "%s: %s", e.file, failures.c_str());
        std::exit(1);
    }
    std::exit(0);
}

}  // namespace

TEST(StyleFiles, LargeScreenStyleParsesCleanlyAndSizesForTouch) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(CheckStyleFileAndExit(kLarge), testing::ExitedWithCode(0), "");
}

TEST(StyleFiles, SmallScreenStyleParsesCleanlyAndFitsTheFortyPixelRow) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(CheckStyleFileAndExit(kSmall), testing::ExitedWithCode(0), "");
}
