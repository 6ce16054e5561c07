// The two GTK style files: each parses without a single complaint and lets
// the icons of its screen size fit the menu row and the main menu the screen. Each file is checked
// in a fresh process (GTK cannot forget a parsed style file), through a death-test child.
#include <gtest/gtest.h>
#include <gtk/gtk.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

struct StyleExpect {
    const char* file;        // at the top of the repository
    const char* iconSuffix;  // icon set of this screen size
    int rowHeight;           // height of the menu and toolbar row the icons must fit, pixels
    int viewHeight;          // screen height below that row, pixels
};

const StyleExpect kLarge = {"gtkrc", "64x64.png", 80, 400};
const StyleExpect kSmall = {"gtkrc_5", "32x32.png", 40, 200};

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
    for (const char* text : {"Pattern View", "Add Pattern", "-", "Set Quilt Area", "Pattern Box",
                             "-", "Machine", "Tools"}) {
        GtkWidget* item =
            text[0] == '-' ? gtk_separator_menu_item_new() : gtk_menu_item_new_with_label(text);
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

    gtk_widget_show_all(window);
    gtk_widget_show_all(menu);
    while (gtk_events_pending())
        gtk_main_iteration();

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

TEST(StyleFiles, BothStylesParseCleanlyAndFitTheirScreen) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(CheckStyleFileAndExit(kLarge), testing::ExitedWithCode(0), "");
    EXPECT_EXIT(CheckStyleFileAndExit(kSmall), testing::ExitedWithCode(0), "");
}
