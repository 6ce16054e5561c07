#include "ui/file_chooser.h"

#include <gtk/gtk.h>
#include <sys/stat.h>

#include <algorithm>

#include "base/log.h"
#include "base/screen_config.h"
#include "ui/widget_helpers.h"

namespace {

constexpr const char* kInvalidPath = "Invalid Path";
enum { kColumnIcon, kColumnName, kColumnFolder, kColumnCount };

struct Chooser {
    GtkWidget* dialog = nullptr;
    GtkWidget* pathList = nullptr;  // combo box of visited folders
    GtkWidget* list = nullptr;      // tree view of the current folder
    GtkListStore* store = nullptr;
    std::vector<std::string> paths;  // visited folders, each ending in "/"; last is current
    std::string filter;
    std::vector<ChooserRow> rows;
    bool refilling = false;  // ignore selection signals while the list is rebuilt
    bool running = false;    // the dialog's modal loop runs
};

Chooser* chooser = nullptr;

bool IsFolder(const std::string& path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

GdkPixbuf* FolderIcon() {
    static GdkPixbuf* icon = gdk_pixbuf_new_from_file("./images/Folder.png", nullptr);
    return icon;
}

void FillList() {
    Chooser& c = *chooser;
    c.refilling = true;
    gtk_list_store_clear(c.store);
    c.rows.clear();
    const std::string& folder = c.paths.back();
    if (!ListChooserFolder(folder, c.filter, c.rows)) c.rows.push_back({kInvalidPath, false});
    for (const ChooserRow& row : c.rows) {
        GtkTreeIter iter;
        gtk_list_store_append(c.store, &iter);
        gtk_list_store_set(c.store, &iter, kColumnIcon, row.folder ? FolderIcon() : nullptr,
                           kColumnName, row.name.c_str(), kColumnFolder, row.folder ? TRUE : FALSE,
                           -1);
    }
    gtk_tree_selection_unselect_all(gtk_tree_view_get_selection(GTK_TREE_VIEW(c.list)));
    c.refilling = false;
}

// Shows the path list with the last entry current and the list of that folder.
void ShowCurrentFolder() {
    Chooser& c = *chooser;
    c.refilling = true;
    GtkComboBox* combo = GTK_COMBO_BOX(c.pathList);
    GtkTreeModel* model = gtk_combo_box_get_model(combo);
    while (gtk_tree_model_iter_n_children(model, nullptr) > 0)
        gtk_combo_box_remove_text(combo, 0);
    for (const std::string& path : c.paths)
        gtk_combo_box_append_text(combo, path.c_str());
    gtk_combo_box_set_active(combo, static_cast<int>(c.paths.size()) - 1);
    c.refilling = false;
    FillList();
    while (gtk_events_pending())
        gtk_main_iteration();
}

void EnterFolder(const std::string& name) {
    chooser->paths.push_back(chooser->paths.back() + name + "/");
    ShowCurrentFolder();
}

void OnRowSelected(GtkTreeSelection* selection, gpointer) {
    if (!chooser || chooser->refilling) return;
    GtkTreeModel* model = nullptr;
    GtkTreeIter iter;
    if (!gtk_tree_selection_get_selected(selection, &model, &iter)) return;
    gchar* name = nullptr;
    gboolean folder = FALSE;
    gtk_tree_model_get(model, &iter, kColumnName, &name, kColumnFolder, &folder, -1);
    const std::string chosen = name ? name : "";
    g_free(name);
    // Entering the folder rebuilds the list, so do it after this signal.
    if (folder) EnterFolder(chosen);
}

void OnPathChosen(GtkComboBox* combo, gpointer) {
    if (!chooser || chooser->refilling) return;
    const int index = gtk_combo_box_get_active(combo);
    if (index < 0 || index >= static_cast<int>(chooser->paths.size()) - 1) return;
    FileChooserGoBack(index);
}

std::string SelectedName() {
    GtkTreeModel* model = nullptr;
    GtkTreeIter iter;
    GtkTreeSelection* selection = gtk_tree_view_get_selection(GTK_TREE_VIEW(chooser->list));
    if (!gtk_tree_selection_get_selected(selection, &model, &iter)) return "";
    gchar* name = nullptr;
    gtk_tree_model_get(model, &iter, kColumnName, &name, -1);
    std::string chosen = name ? name : "";
    g_free(name);
    return chosen;
}

void BuildDialog(Chooser& c) {
    // Cancel on the left and OK on the right, as in every message window.
    c.dialog =
        gtk_dialog_new_with_buttons("Select File", nullptr, GTK_DIALOG_MODAL, "gtk-cancel",
                                    GTK_RESPONSE_CANCEL, "gtk-ok", GTK_RESPONSE_ACCEPT, nullptr);
    gtk_widget_set_name(c.dialog, kFileChooserWindowName);
    gtk_widget_set_size_request(c.dialog, file_selection_width, file_selection_height);
    // Centred on the configured screen, as the message windows are.
    gtk_window_move(GTK_WINDOW(c.dialog), std::max(0, (screen_width - file_selection_width) / 2),
                    std::max(0, (screen_height - file_selection_height) / 2));
    GtkWidget* content = GTK_DIALOG(c.dialog)->vbox;

    c.pathList = gtk_combo_box_new_text();
    gtk_widget_set_size_request(c.pathList, file_selection_width - 20, 50);
    g_signal_connect(c.pathList, "changed", G_CALLBACK(OnPathChosen), nullptr);
    gtk_box_pack_start(GTK_BOX(content), c.pathList, FALSE, FALSE, 0);

    c.store = gtk_list_store_new(kColumnCount, GDK_TYPE_PIXBUF, G_TYPE_STRING, G_TYPE_BOOLEAN);
    c.list = gtk_tree_view_new_with_model(GTK_TREE_MODEL(c.store));
    g_object_unref(c.store);
    gtk_tree_view_set_headers_visible(GTK_TREE_VIEW(c.list), FALSE);
    GtkTreeViewColumn* column = gtk_tree_view_column_new();
    GtkCellRenderer* icon = gtk_cell_renderer_pixbuf_new();
    gtk_tree_view_column_pack_start(column, icon, FALSE);
    gtk_tree_view_column_add_attribute(column, icon, "pixbuf", kColumnIcon);
    GtkCellRenderer* text = gtk_cell_renderer_text_new();
    gtk_cell_renderer_set_fixed_size(text, -1, TouchTargetPixels());  // a row for a finger
    gtk_tree_view_column_pack_start(column, text, TRUE);
    gtk_tree_view_column_add_attribute(column, text, "text", kColumnName);
    gtk_tree_view_append_column(GTK_TREE_VIEW(c.list), column);
    g_signal_connect(gtk_tree_view_get_selection(GTK_TREE_VIEW(c.list)), "changed",
                     G_CALLBACK(OnRowSelected), nullptr);

    GtkWidget* scrolled = gtk_scrolled_window_new(nullptr, nullptr);
    gtk_scrolled_window_set_policy(GTK_SCROLLED_WINDOW(scrolled), GTK_POLICY_AUTOMATIC,
                                   GTK_POLICY_AUTOMATIC);
    gtk_widget_set_size_request(scrolled, file_selection_width - 20,
                                std::max(file_selection_height - 120, 40));
    gtk_container_add(GTK_CONTAINER(scrolled), c.list);
    gtk_box_pack_start(GTK_BOX(content), scrolled, TRUE, TRUE, 0);
    gtk_widget_show_all(c.dialog);
}

}  // namespace

std::string GetFilename(const char* startFolder, const char* filter) {
    if (chooser) return "";  // one chooser at a time
    Chooser c;
    c.paths.push_back(FolderWithSlash(startFolder ? startFolder : kDefaultChooserFolder));
    c.filter = filter ? filter : "";
    chooser = &c;
    BuildDialog(c);
    ShowCurrentFolder();
    c.running = true;
    const int response = gtk_dialog_run(GTK_DIALOG(c.dialog));
    std::string result;
    if (response == GTK_RESPONSE_ACCEPT) {
        const std::string name = SelectedName();
        const std::string& folder = c.paths.back();
        if (!name.empty() && name != kInvalidPath)
            result = folder + name;
        else if (name.empty() && IsFolder(folder))
            result = folder.substr(0, folder.size() - 1);
    }
    gtk_widget_destroy(c.dialog);
    chooser = nullptr;
    while (gtk_events_pending())
        gtk_main_iteration();
    Log("File chooser: %s\n", result.empty() ? "(none)" : result.c_str());
    return result;
}

int FileChooserOpen() {
    return chooser && chooser->running;
}

std::string FileChooserFolder() {
    return chooser ? chooser->paths.back() : "";
}

std::vector<ChooserRow> FileChooserRows() {
    return chooser ? chooser->rows : std::vector<ChooserRow>{};
}

int FileChooserSelect(const std::string& name) {
    if (!chooser) return 0;
    GtkTreeModel* model = GTK_TREE_MODEL(chooser->store);
    GtkTreeIter iter;
    for (gboolean ok = gtk_tree_model_get_iter_first(model, &iter); ok;
         ok = gtk_tree_model_iter_next(model, &iter)) {
        gchar* rowName = nullptr;
        gtk_tree_model_get(model, &iter, kColumnName, &rowName, -1);
        const bool match = rowName && name == rowName;
        g_free(rowName);
        if (match) {
            gtk_tree_selection_select_iter(
                gtk_tree_view_get_selection(GTK_TREE_VIEW(chooser->list)), &iter);
            return 1;
        }
    }
    return 0;
}

void FileChooserGoBack(int index) {
    if (!chooser || index < 0 || index >= static_cast<int>(chooser->paths.size())) return;
    chooser->paths.resize(static_cast<size_t>(index) + 1);
    ShowCurrentFolder();
}

void FileChooserRespond(int accept) {
    if (chooser)
        gtk_dialog_response(GTK_DIALOG(chooser->dialog),
                            accept ? GTK_RESPONSE_ACCEPT : GTK_RESPONSE_CANCEL);
}
