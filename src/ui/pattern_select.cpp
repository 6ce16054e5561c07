#include "ui/pattern_select.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "base/application_state.h"
#include "base/log.h"
#include "base/screen_config.h"
#include "base/ui_hooks.h"
#include "layout/layout_selection.h"
#include "layout/layout_tree.h"
#include "layout/pattern_box.h"
#include "layout/placement_spot.h"
#include "pattern/pattern_thumbnail.h"
#include "ui/drawing_area.h"
#include "ui/interface.h"
#include "ui/layout_actions.h"
#include "ui/pattern_files.h"
#include "ui/screens.h"
#include "ui/startup.h"
#include "ui/widget_helpers.h"

std::string selectedFile;

namespace {

void ReleasePreview() {
    if (interface && interface->previewPixbuf) {
        g_object_unref(interface->previewPixbuf);
        interface->previewPixbuf = nullptr;
    }
}

void RedrawPreview() {
    if (interface && isWidget(interface->drawingArea))
        gtk_widget_queue_draw(interface->drawingArea);
}

void SetSelectSensitive(bool sensitive) {
    if (interface && isWidget(interface->btnSelectPattern))
        gtk_widget_set_sensitive(interface->btnSelectPattern, sensitive ? TRUE : FALSE);
}

// The selected row of the list; false when none or not exactly one.
bool SelectedRow(GtkTreeView* view, GtkTreeModel** model, GtkTreeIter* iter) {
    if (!view) return false;
    GtkTreeSelection* selection = gtk_tree_view_get_selection(view);
    return gtk_tree_selection_get_selected(selection, model, iter);
}

bool RowIsFolder(GtkTreeModel* model, GtkTreeIter* iter) {
    gboolean folder = FALSE;
    gtk_tree_model_get(model, iter, kColumnFolder, &folder, -1);
    return folder == TRUE;
}

// Sizes a button to at least width x height, larger when its text needs it.
void SizeAtLeast(GtkWidget* button, int width, int height) {
    GtkRequisition natural;
    gtk_widget_size_request(button, &natural);
    gtk_widget_set_size_request(button, std::max(width, natural.width),
                                std::max(height, natural.height));
}

GtkWidget* BuildPatternList() {
    GtkTreeStore* store = NewPatternStore();
    GetFiles(kPlaceInternal, store);
    GtkWidget* view = gtk_tree_view_new_with_model(GTK_TREE_MODEL(store));
    g_object_unref(store);
    GtkCellRenderer* renderer = gtk_cell_renderer_text_new();
    g_object_set(renderer, "ellipsize", PANGO_ELLIPSIZE_END, nullptr);
    gtk_cell_renderer_set_fixed_size(renderer, -1, TouchTargetPixels());  // a row for a finger
    GtkTreeViewColumn* column = gtk_tree_view_column_new_with_attributes(
        "Patterns", renderer, "text", kColumnName, nullptr);
    gtk_tree_view_append_column(GTK_TREE_VIEW(view), column);
    g_signal_connect(view, "cursor-changed", G_CALLBACK(PatternListSelect), nullptr);
    g_signal_connect(view, "row-activated", G_CALLBACK(PatternListDoubleClicked), nullptr);
    g_signal_connect(view, "destroy", G_CALLBACK(PatternListDestroyed), nullptr);
    return view;
}

}  // namespace

std::string PatternRowPath(GtkTreeModel* model, GtkTreeIter* iter) {
    std::vector<std::string> names;
    GtkTreeIter row = *iter;
    while (true) {
        gchar* name = nullptr;
        gtk_tree_model_get(model, &row, kColumnName, &name, -1);
        names.emplace_back(name ? name : "");
        g_free(name);
        GtkTreeIter parent;
        if (!gtk_tree_model_iter_parent(model, &parent, &row)) break;
        row = parent;
    }
    std::string path = "./patterns/";
    for (size_t i = names.size(); i-- > 0;) {
        path += names[i];
        if (i > 0) path += '/';
        if (path.size() > kMaxPatternPath) return "";
    }
    return path;
}

GtkWidget* createPatternSelectScreen() {
    ReleasePreview();
    // The screen is packed with 2 pixels around it under the menu row: the
    // list and the column keep within what is left, so that the list's last
    // row and the buttons stay whole on the screen.
    const int height = std::max(view_area_height - 4, 0);
    GtkWidget* row = gtk_hbox_new(FALSE, 0);
    gtk_widget_set_size_request(row, view_area_width, height);

    GtkWidget* scrolled = gtk_scrolled_window_new(nullptr, nullptr);
    gtk_scrolled_window_set_policy(GTK_SCROLLED_WINDOW(scrolled), GTK_POLICY_NEVER,
                                   GTK_POLICY_AUTOMATIC);
    gtk_widget_set_size_request(scrolled, pattern_list_width,
                                std::min(pattern_list_height, height));
    GtkWidget* list = BuildPatternList();
    gtk_container_add(GTK_CONTAINER(scrolled), list);
    gtk_box_pack_start(GTK_BOX(row), scrolled, FALSE, FALSE, 0);

    GtkWidget* column = gtk_vbox_new(FALSE, 2);
    const int columnHeight = std::min(pattern_select_height, height);
    gtk_widget_set_size_request(column, pattern_select_width, columnHeight);
    KeepWidget(&interface->patternInfoLabel, gtk_label_new(""));
    gtk_label_set_ellipsize(GTK_LABEL(interface->patternInfoLabel), PANGO_ELLIPSIZE_END);
    gtk_label_set_justify(GTK_LABEL(interface->patternInfoLabel), GTK_JUSTIFY_CENTER);
    gtk_widget_set_size_request(interface->patternInfoLabel, pattern_select_width, 50);
    gtk_box_pack_start(GTK_BOX(column), interface->patternInfoLabel, FALSE, FALSE, 0);

    KeepWidget(&interface->previewBox, gtk_hbox_new(FALSE, 0));
    GtkWidget* area = SetDrawingArea(kAreaPatternPreview);
    if (area) gtk_box_pack_start(GTK_BOX(interface->previewBox), area, TRUE, FALSE, 0);
    gtk_box_pack_start(GTK_BOX(column), interface->previewBox, FALSE, FALSE, 0);

    // On the small screen the words go on two lines to fit the square button.
    GtkWidget* select = gtk_button_new_with_label("");
    SetButtonFont(select, icon_style == 1 ? "Select Pattern" : "Select\nPattern",
                  icon_style == 1 ? "Sans 16" : "Sans 10");
    gtk_label_set_justify(GTK_LABEL(gtk_bin_get_child(GTK_BIN(select))), GTK_JUSTIFY_CENTER);
    SizeAtLeast(select, pattern_select_button_width, pattern_select_button_height);
    gtk_widget_set_sensitive(select, FALSE);
    g_signal_connect(select, "clicked", G_CALLBACK(patternSelectSelectButtonReleased), list);
    KeepWidget(&interface->btnSelectPattern, select);

    GtkWidget* repeat = gtk_button_new_with_label("");
    SetButtonFont(repeat, "Repeat", "Sans 10");
    SizeAtLeast(repeat, 50, TouchTargetPixels());
    const bool layoutEmpty = CountLayoutNodes() <= 0;
    gtk_widget_set_sensitive(repeat, layoutEmpty ? FALSE : TRUE);
    g_signal_connect(repeat, "clicked", G_CALLBACK(OnBtnUseCurrentClicked), nullptr);

    // Select and Repeat side by side under the preview, with up to 20 pixels
    // above and below as far as the column has room, so both fit the column
    // on the 240-pixel screen.
    GtkWidget* buttons = gtk_hbox_new(FALSE, 0);
    GtkWidget* selectCell = gtk_alignment_new(0.5, 0.5, 0, 0);
    gtk_container_add(GTK_CONTAINER(selectCell), select);
    GtkWidget* repeatCell = gtk_alignment_new(0.5, 0.5, 0, 0);
    gtk_container_add(GTK_CONTAINER(repeatCell), repeat);
    gtk_box_pack_start(GTK_BOX(buttons), selectCell, TRUE, TRUE, 0);
    gtk_box_pack_start(GTK_BOX(buttons), repeatCell, TRUE, TRUE, 0);
    gtk_box_pack_start(GTK_BOX(column), buttons, FALSE, FALSE, 0);
    // Measured on the buttons themselves: the box counts only shown children,
    // and the screen is shown later.
    GtkRequisition selectSize, repeatSize;
    gtk_widget_size_request(select, &selectSize);
    gtk_widget_size_request(repeat, &repeatSize);
    const int used =
        50 + pattern_preview_height + std::max(selectSize.height, repeatSize.height) + 2 * 2;
    const int padding = std::clamp((columnHeight - used) / 2, 0, 20);
    gtk_box_set_child_packing(GTK_BOX(column), buttons, FALSE, FALSE, padding, GTK_PACK_START);

    gtk_box_pack_start(GTK_BOX(row), column, FALSE, FALSE, 0);
    GtkWidget* screen = gtk_fixed_new();
    gtk_fixed_put(GTK_FIXED(screen), row, 0, 0);
    return screen;
}

void PatternListSelect(GtkTreeView* view, gpointer) {
    GtkTreeModel* model = nullptr;
    GtkTreeIter iter;
    if (!interface || !SelectedRow(view, &model, &iter)) return;
    if (RowIsFolder(model, &iter)) {
        GtkTreePath* path = gtk_tree_model_get_path(model, &iter);
        if (gtk_tree_view_row_expanded(view, path)) {
            gtk_tree_view_collapse_row(view, path);
        } else {
            gtk_tree_view_expand_row(view, path, FALSE);
        }
        gtk_tree_path_free(path);
        ReleasePreview();
        SetSelectSensitive(false);
        RedrawPreview();
        return;
    }
    std::string path = PatternRowPath(model, &iter);
    ReleasePreview();
    SetCursorFromFile(MainDrawable(), kBusyCursorImage, 1);
    if (!path.empty()) interface->previewPixbuf = GetPicFromFile(path.c_str());
    RedrawPreview();
    SetCursor(MainDrawable(), kArrowCursor, 0);
    SetSelectSensitive(interface->previewPixbuf != nullptr);
}

void PatternListDoubleClicked(GtkTreeView*, GtkTreePath*, GtkTreeViewColumn*, gpointer) {}

void PatternListDestroyed(GtkWidget*, gpointer) {
    LogLine("Treeview Destroyed");
}

namespace {

void SelectPattern(GtkTreeView* view) {
    GtkTreeModel* model = nullptr;
    GtkTreeIter iter;
    if (!interface || !SelectedRow(view, &model, &iter)) return;
    if (!extents) {
        SetBoxMode(0);
        ResetQuiltAreaCorners();
        ShowScreen([] { return createExtentsSetup(0); }, kQuiltAreaSetupMask, "quilt-area setup");
        return;
    }
    LogLine("Extents is not NULL");
    if (RowIsFolder(model, &iter)) return;

    SetCursorFromFile(MainDrawable(), kBusyCursorImage, 1);
    std::string path = PatternRowPath(model, &iter);
    if (path.empty() || path.size() >= sizeof interface->selectedPatternFile) {
        SetCursor(MainDrawable(), kArrowCursor, 0);
        ShowMessage(kMessageError, kButtonsOk,
                    "THE PATTERN'S FOLDER PATH IS TOO LONG.\nMOVE THE PATTERN TO A SHORTER PATH.");
        return;
    }
    std::memcpy(interface->selectedPatternFile, path.c_str(), path.size() + 1);
    ReleasePreview();
    AddPatternToCurrentBox(path.c_str());
    selectedFile = path;
    ShowScreen([] { return createPatternViewScreen(0, kAreaLayoutView); }, kLayoutViewMask,
               "layout view");
    SetCursor(MainDrawable(), kArrowCursor, 0);
}

}  // namespace

void patternSelectSelectButtonReleased(GtkWidget* button, gpointer data) {
    g_signal_handlers_block_by_func(
        button, reinterpret_cast<gpointer>(patternSelectSelectButtonReleased), data);
    // The button belongs to the screen that a switch may destroy: keep it weakly.
    GtkWidget* kept = nullptr;
    KeepWidget(&kept, button);
    SelectPattern(GTK_TREE_VIEW(data));
    if (isWidget(kept))
        g_signal_handlers_unblock_by_func(
            kept, reinterpret_cast<gpointer>(patternSelectSelectButtonReleased), data);
    KeepWidget(&kept, nullptr);
}

void OnBtnUseCurrentClicked(GtkWidget*, gpointer) {
    ShowScreen([] { return createPatternViewScreen(0, kAreaLayoutView); }, kLayoutViewMask,
               "layout view");
}
