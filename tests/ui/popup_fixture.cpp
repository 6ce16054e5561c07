#include "popup_fixture.h"

#include <sys/stat.h>
#include <unistd.h>

#include "base/system_paths.h"
#include "layout/layout_file.h"
#include "layout/layout_tree.h"
#include "layout/view_transform.h"
#include "ui/drawing_area.h"
#include "ui/gtk_interface.h"
#include "ui/interface.h"
#include "ui/menu.h"
#include "ui/pattern_popup.h"
#include "ui/screens.h"
#include "ui/startup.h"

void PopupTest::SetUp() {
    ASSERT_TRUE(EnsureGtk()) << "no X display for the window tests";
    ASSERT_EQ(getcwd(savedDir, sizeof savedDir), savedDir);
    ASSERT_EQ(chdir(folder.path.c_str()), 0);
    ASSERT_EQ(symlink(LONGARM_SOURCE_DIR "/images", "images"), 0);
    ASSERT_EQ(mkdir("patterns", 0777), 0);
    ASSERT_EQ(mkdir(root.File("tmp").c_str(), 0777), 0);
    ASSERT_TRUE(SetSystemRoot(root.path.c_str()));
    gtk_rc_parse(LONGARM_SOURCE_DIR "/gtkrc_5");
    gtk_rc_reset_styles(gtk_settings_get_default());

    ResetLayout();
    // No undo or set-point file yet: a test before may have left either usable.
    SetMenuItemAvailable(kItemUndo, false);
    SetMenuItemAvailable(kItemRestoreSetpoint, false);
    MakeMainWindow(true);
    InstallGtkInterface();  // the layout view among the rest
    ShowScreen([] { return createPatternViewScreen(0, kAreaLayoutView); }, 0x37FFFFF, "layout");
    SetViewScale(0.1f);  // 10 pixels per inch, held: no zoom to fit
    panX = panY = 0;
    zoomed = 1;
    zoomAll = 0;
    responder = std::make_unique<ScriptedResponder>();
    Drain();
}

void PopupTest::TearDown() {
    if (!interface) return;
    ClosePopup();
    responder.reset();
    ResetLayout();
    DropMainWindow();
    SetSystemRoot("");
    command = -1;
    zoomed = 0;
    ASSERT_EQ(chdir(savedDir), 0);
}

int PopupTest::LoadPath(const Points& points) {
    const int slot = LoadPoints(points);
    RefreshPatternPix();  // the view draws the pattern's picture
    return slot;
}

GtkWidget* PopupTest::PopupWindow() {
    return FindToplevel(kPopupWindowName);
}

GtkWidget* PopupTest::PopupMenu() {
    GtkWidget* window = PopupWindow();
    if (!window) return nullptr;
    GtkWidget* child = gtk_bin_get_child(GTK_BIN(window));
    return child && GTK_IS_MENU(child) ? child : nullptr;
}

GtkWidget* PopupTest::PopupItem(const std::string& label) {
    GtkWidget* menu = PopupMenu();
    std::string rest = label;
    while (menu) {
        const size_t slash = rest.find('/');
        const std::string head = rest.substr(0, slash);
        GtkWidget* found = nullptr;
        GList* children = gtk_container_get_children(GTK_CONTAINER(menu));
        for (GList* c = children; c; c = c->next)
            if (MenuItemText(GTK_WIDGET(c->data)) == head) found = GTK_WIDGET(c->data);
        g_list_free(children);
        if (!found || slash == std::string::npos) return found;
        menu = gtk_menu_item_get_submenu(GTK_MENU_ITEM(found));
        rest = rest.substr(slash + 1);
    }
    return nullptr;
}

void PopupTest::Choose(const std::string& label) {
    GtkWidget* item = PopupItem(label);
    ASSERT_NE(item, nullptr) << label;
    ASSERT_TRUE(gtk_widget_is_sensitive(item)) << label;
    // As the toolkit does: the menu closes, then the entry acts.
    gtk_menu_shell_deactivate(GTK_MENU_SHELL(PopupMenu()));
    gtk_menu_item_activate(GTK_MENU_ITEM(item));
    Drain();
}

void PopupTest::ClosePopup() {
    if (GtkWidget* menu = PopupMenu()) gtk_menu_shell_deactivate(GTK_MENU_SHELL(menu));
    Drain();
}

bool PopupTest::UndoWritten() const {
    struct stat st;
    return stat((SystemPath("/tmp/undo") + ".qlf").c_str(), &st) == 0;
}

void PopupTest::ForgetUndo() const {
    unlink((SystemPath("/tmp/undo") + ".qlf").c_str());
}
