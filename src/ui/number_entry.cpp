// The number pad. See number_entry.h.
#include "ui/number_entry.h"

#include <gtk/gtk.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "base/application_state.h"
#include "base/log.h"
#include "base/screen_config.h"
#include "base/ui_hooks.h"
#include "layout/layout_selection.h"
#include "layout/pattern_box.h"
#include "ui/interface.h"
#include "ui/widget_helpers.h"

namespace {

constexpr int kKeySize = 35;      // pixels
constexpr int kEntryWidth = 150;  // pixels
constexpr int kEntryHeight = 25;  // pixels

// One open pad; the key handlers get it as their data.
struct NumberPad {
    GtkWidget* entry = nullptr;
    int eraseText = 1;  // 1 until the first key press, which replaces the shown value
};

void OnNumberClicked(GtkWidget* key, gpointer data) {
    auto* pad = static_cast<NumberPad*>(data);
    const char* label = gtk_button_get_label(GTK_BUTTON(key));
    if (label == nullptr) return;
    std::string text =
        NumberPadKey(gtk_entry_get_text(GTK_ENTRY(pad->entry)), label, pad->eraseText != 0);
    pad->eraseText = 0;
    gtk_entry_set_text(GTK_ENTRY(pad->entry), text.c_str());
    gtk_editable_set_position(GTK_EDITABLE(pad->entry), -1);
}

GtkWidget* NewPadKey(const char* label, NumberPad* pad) {
    GtkWidget* button = gtk_button_new_with_label(label);
    const int key = std::max(kKeySize, TouchTargetPixels());
    gtk_widget_set_size_request(button, key, key);
    gtk_button_set_focus_on_click(GTK_BUTTON(button), FALSE);
    g_signal_connect(button, "clicked", G_CALLBACK(OnNumberClicked), pad);
    return button;
}

// Builds the content of the dialog: the entry over the keys, centred, and the
// "Counterclockwise" box in angle mode (returned, else null).
GtkWidget* BuildPad(GtkWidget* dialog, NumberPad* pad, const char* text, bool decimals,
                    bool angle) {
    GtkWidget* content = gtk_dialog_get_content_area(GTK_DIALOG(dialog));
    GtkWidget* table = gtk_table_new(5, 3, FALSE);
    pad->entry = gtk_entry_new();
    gtk_widget_set_name(pad->entry, "NumberEntryText");
    gtk_entry_set_max_length(GTK_ENTRY(pad->entry), kNumberEntryMaxLength);
    gtk_entry_set_text(GTK_ENTRY(pad->entry), text != nullptr ? text : "");
    gtk_entry_set_alignment(GTK_ENTRY(pad->entry), 1.0f);
    gtk_editable_set_editable(GTK_EDITABLE(pad->entry), FALSE);  // typed on the keys only
    gtk_widget_set_size_request(pad->entry, kEntryWidth,
                                std::max(kEntryHeight, TouchTargetPixels()));
    gtk_table_attach(GTK_TABLE(table), pad->entry, 0, 3, 0, 1, GTK_FILL, GTK_FILL, 0, 2);

    static const char* const kLabels[12] = {"1", "2", "3", "4",  "5", "6",
                                            "7", "8", "9", "<-", "0", "."};
    for (int k = 0; k < 12; ++k) {
        if (k == 11 && !decimals) continue;
        int column = k % 3, row = k / 3 + 1;
        gtk_table_attach(GTK_TABLE(table), NewPadKey(kLabels[k], pad), column, column + 1, row,
                         row + 1, GTK_EXPAND, GTK_EXPAND, 0, 0);
    }
    GtkWidget* centred = gtk_hbox_new(FALSE, 0);
    gtk_box_pack_start(GTK_BOX(centred), table, TRUE, FALSE, 0);
    gtk_box_pack_start(GTK_BOX(content), centred, TRUE, FALSE, 0);

    if (!angle) return nullptr;
    GtkWidget* counterclockwise = gtk_check_button_new_with_label("Counterclockwise");
    GtkWidget* row = gtk_hbox_new(FALSE, 0);
    gtk_box_pack_start(GTK_BOX(row), counterclockwise, TRUE, FALSE, 0);
    gtk_box_pack_start(GTK_BOX(content), row, FALSE, FALSE, 0);
    return counterclockwise;
}

gboolean OnNumberEntryClicked(GtkWidget* entry, GdkEvent* event, gpointer linked) {
    return OnEntryClicked(entry, event, static_cast<GtkWidget*>(linked));
}

}  // namespace

double GtkNumberEntry(const char* text, int decimalAllowed, int angleMode, const char* title) {
    double result = NumberPadValue(text);
    NumberPad pad;
    pad.eraseText = 1;

    GtkWindow* parent = interface != nullptr && interface->window != nullptr
                            ? GTK_WINDOW(interface->window)
                            : nullptr;
    GtkWidget* dialog = gtk_dialog_new_with_buttons(
        "ENTER NUMBER", parent, GtkDialogFlags(GTK_DIALOG_MODAL | GTK_DIALOG_DESTROY_WITH_PARENT),
        GTK_STOCK_CANCEL, GTK_RESPONSE_CANCEL, GTK_STOCK_OK, GTK_RESPONSE_OK, nullptr);
    gtk_widget_set_name(dialog, "NumberEntry");
    gtk_window_set_decorated(GTK_WINDOW(dialog), FALSE);
    gtk_widget_set_size_request(dialog, number_entry_width, number_entry_height);
    gtk_window_move(GTK_WINDOW(dialog), screen_width / 2 - number_entry_width / 2,
                    screen_height / 2 - number_entry_height / 2);
    g_signal_connect(dialog, "expose-event", G_CALLBACK(CursorExpose), nullptr);
    g_signal_connect_after(dialog, "expose-event", G_CALLBACK(DrawFrame), nullptr);
    if (title != nullptr && *title != '\0') {
        GtkWidget* label = gtk_label_new(title);
        gtk_widget_set_name(label, "NumberEntryTitle");
        gtk_box_pack_start(GTK_BOX(gtk_dialog_get_content_area(GTK_DIALOG(dialog))), label, FALSE,
                           FALSE, 0);
    }
    GtkWidget* counterclockwise = BuildPad(dialog, &pad, text, decimalAllowed != 0, angleMode != 0);
    gtk_widget_show_all(dialog);

    int response = gtk_dialog_run(GTK_DIALOG(dialog));
    if (response == GTK_RESPONSE_OK) {
        double value = NumberPadValue(gtk_entry_get_text(GTK_ENTRY(pad.entry)));
        result = angleMode
                     ? NumberPadAngle(
                           value, gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(counterclockwise)))
                     : value;
    }
    // A response of "window gone" (GTK_RESPONSE_NONE) means the dialog was
    // destroyed from outside; anything else still owns it.
    if (response != GTK_RESPONSE_NONE) gtk_widget_destroy(dialog);
    if (interface != nullptr && interface->drawingArea != nullptr)
        gtk_widget_queue_draw(interface->drawingArea);
    return result;
}

int OnEntryClicked(GtkWidget* entry, GdkEvent*, GtkWidget* linked) {
    const auto* title = static_cast<const char*>(g_object_get_data(G_OBJECT(entry), "pad-title"));
    double value = NumberEntry(gtk_entry_get_text(GTK_ENTRY(entry)), 1, 0, title);
    char text[64];
    g_ascii_formatd(text, sizeof text, "%0.3f", value);
    Log("NumberEntry returned: %s\n", text);
    gtk_entry_set_text(GTK_ENTRY(entry), text);
    if (linked != nullptr) {
        int axis = GPOINTER_TO_INT(g_object_get_data(G_OBJECT(linked), "linked-axis"));
        const PatternBox* box = GetPatternBox(CurrentPatternBox());
        const double origin = box == nullptr ? 0.0 : axis == 1 ? box->y : box->x;
        g_ascii_formatd(text, sizeof text, "%0.3f", origin + value);
        gtk_entry_set_text(GTK_ENTRY(linked), text);
    }
    return FALSE;
}

void LinkNumberEntry(GtkWidget* entry, GtkWidget* linked, int axis, const char* title) {
    if (title != nullptr)
        g_object_set_data_full(G_OBJECT(entry), "pad-title", g_strdup(title), g_free);
    if (linked != nullptr)
        g_object_set_data(G_OBJECT(linked), "linked-axis", GINT_TO_POINTER(axis == 1 ? 1 : 0));
    g_signal_connect(entry, "button-release-event", G_CALLBACK(OnNumberEntryClicked), linked);
}
