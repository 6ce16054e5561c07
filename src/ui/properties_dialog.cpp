// The properties dialog. See properties_dialog.h.
#include "ui/properties_dialog.h"

#include <gtk/gtk.h>

#include <algorithm>

#include "base/application_state.h"
#include "base/log.h"
#include "base/screen_config.h"
#include "layout/layout_tree.h"
#include "layout/placement_edit.h"
#include "pattern/pattern.h"
#include "ui/edit_dialog.h"
#include "ui/number_entry.h"
#include "ui/run_toggles.h"
#include "ui/widget_helpers.h"

namespace {

constexpr int kFieldWidth = 55, kFieldHeight = 25;  // pixels

struct PropertiesWidgets {
    GtkWidget* entries[kPropertiesEntryCount] = {};
    GtkWidget* moveAll = nullptr;
    // Read at OK.
    int answered = 0;
    double startX = 0, startY = 0, width = 0, height = 0;
    int moveAllTicked = 0;
};

GtkWidget* NumberField(const char* name, double value) {
    GtkWidget* entry = gtk_entry_new();
    gtk_widget_set_name(entry, name);
    char text[G_ASCII_DTOSTR_BUF_SIZE];
    g_ascii_formatd(text, sizeof text, "%0.3f", value);
    gtk_entry_set_text(GTK_ENTRY(entry), text);
    // Typed on the number pad only: the touch opens it.
    gtk_editable_set_editable(GTK_EDITABLE(entry), FALSE);
    gtk_entry_set_width_chars(GTK_ENTRY(entry), 6);
    gtk_widget_set_size_request(entry, kFieldWidth, std::max(kFieldHeight, TouchTargetPixels()));
    return entry;
}

GtkWidget* FieldLabel(const char* text) {
    GtkWidget* label = gtk_label_new(text);
    gtk_misc_set_alignment(GTK_MISC(label), 1.0f, 0.5f);
    return label;
}

void Attach(GtkWidget* table, GtkWidget* child, int col, int row, int cols = 1, int pad = 1) {
    gtk_table_attach(GTK_TABLE(table), child, col, col + cols, row, row + 1, GTK_FILL, GTK_SHRINK,
                     pad, pad);
}

void OnMoveAllToggled(GtkToggleButton* check, gpointer data) {
    auto* w = static_cast<PropertiesWidgets*>(data);
    const gboolean sizeEditable = !gtk_toggle_button_get_active(check);
    gtk_widget_set_sensitive(w->entries[kEntryWidth], sizeEditable);
    gtk_widget_set_sensitive(w->entries[kEntryHeight], sizeEditable);
}

void OnRetrieveStartClicked(GtkWidget* button, gpointer data) {
    auto* w = static_cast<PropertiesWidgets*>(data);
    OnBtnSetStartClicked(button, w->entries);
}

void OnPropertiesResponse(GtkDialog*, gint response, gpointer data) {
    auto* w = static_cast<PropertiesWidgets*>(data);
    if (response != GTK_RESPONSE_OK) return;
    w->startX = EntryNumber(w->entries[kEntryLocalStartX]);
    w->startY = EntryNumber(w->entries[kEntryLocalStartY]);
    w->width = EntryNumber(w->entries[kEntryWidth]);
    w->height = EntryNumber(w->entries[kEntryHeight]);
    w->moveAllTicked = gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(w->moveAll));
    w->answered = 1;
}

}  // namespace

double EntryNumber(GtkWidget* entry) {
    const char* text = gtk_entry_get_text(GTK_ENTRY(entry));
    return text ? g_ascii_strtod(text, nullptr) : 0;
}

int PatternPropertiesDialog(LayoutNode* node) {
    PlacementProperties shown;
    if (!GetPlacementProperties(node, &shown)) return 0;

    GtkWidget* dialog =
        NewEditDialog(kPropertiesDialogTitle, scale_dialog_width, scale_dialog_height);
    PropertiesWidgets w;
    GtkWidget** e = w.entries;
    e[kEntryLocalStartX] = NumberField("LocalStartX", shown.startX);
    e[kEntryLocalStartY] = NumberField("LocalStartY", shown.startY);
    e[kEntryActualX] = NumberField("ActualX", shown.actualX);
    e[kEntryActualY] = NumberField("ActualY", shown.actualY);
    e[kEntryWidth] = NumberField("Width", shown.width);
    e[kEntryHeight] = NumberField("Height", shown.height);
    gtk_widget_set_sensitive(e[kEntryActualX], FALSE);
    gtk_widget_set_sensitive(e[kEntryActualY], FALSE);
    LinkNumberEntry(e[kEntryLocalStartX], e[kEntryActualX], 0, "Local Start X (in.)");
    LinkNumberEntry(e[kEntryLocalStartY], e[kEntryActualY], 1, "Local Start Y (in.)");
    LinkNumberEntry(e[kEntryWidth], nullptr, 0, "Width (in.)");
    LinkNumberEntry(e[kEntryHeight], nullptr, 0, "Height (in.)");

    GtkWidget* table = gtk_table_new(4, 4, FALSE);
    gtk_table_set_row_spacings(GTK_TABLE(table), 4);
    Attach(table, FieldLabel("Local Start X:"), 0, 0);
    Attach(table, e[kEntryLocalStartX], 1, 0);
    Attach(table, FieldLabel("Local Start Y:"), 2, 0);
    Attach(table, e[kEntryLocalStartY], 3, 0);
    Attach(table, FieldLabel("Actual X:"), 0, 1);
    Attach(table, e[kEntryActualX], 1, 1);
    Attach(table, FieldLabel("Actual Y:"), 2, 1);
    Attach(table, e[kEntryActualY], 3, 1);

    GtkWidget* retrieve = gtk_button_new_with_label("Retrieve Start Point");
    gtk_widget_set_name(retrieve, "RetrieveStartPoint");
    g_signal_connect(retrieve, "clicked", G_CALLBACK(OnRetrieveStartClicked), &w);
    // Tall enough for a finger on either screen.
    const int touch = icon_style == 1 ? 44 : 28;
    gtk_widget_set_size_request(retrieve, -1, touch);
    Attach(table, retrieve, 0, 2, 2, 5);
    w.moveAll = gtk_check_button_new_with_label("Move All");
    gtk_widget_set_name(w.moveAll, "MoveAll");
    gtk_widget_set_size_request(w.moveAll, -1, touch);
    g_signal_connect(w.moveAll, "toggled", G_CALLBACK(OnMoveAllToggled), &w);
    Attach(table, w.moveAll, 2, 2, 2);

    Attach(table, FieldLabel("Width:"), 0, 3);
    Attach(table, e[kEntryWidth], 1, 3);
    Attach(table, FieldLabel("Height:"), 2, 3);
    Attach(table, e[kEntryHeight], 3, 3);

    GtkWidget* align = gtk_alignment_new(0.5f, 0.5f, 0, 0);
    gtk_container_add(GTK_CONTAINER(align), table);
    gtk_box_pack_start(GTK_BOX(GTK_DIALOG(dialog)->vbox), align, TRUE, TRUE, 0);

    // The values are read when the dialog answers, before the run destroys it.
    g_signal_connect(dialog, "response", G_CALLBACK(OnPropertiesResponse), &w);
    const int response = RunEditDialog(dialog);
    if (response == GTK_RESPONSE_OK && w.answered) {
        ApplyPlacementProperties(node, shown, static_cast<float>(w.startX),
                                 static_cast<float>(w.startY), static_cast<float>(w.width),
                                 static_cast<float>(w.height), w.moveAllTicked);
        RefreshPatternPix();
    }
    RedrawLayoutView();
    return response;
}
