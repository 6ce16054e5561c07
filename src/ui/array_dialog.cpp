// Repeat and echo dialogs. See array_dialog.h.
#include "ui/array_dialog.h"

#include <gtk/gtk.h>

#include <cmath>

#include "base/application_state.h"
#include "base/log.h"
#include "base/screen_config.h"
#include "layout/layout_file.h"
#include "layout/placement/array_repeat.h"
#include "layout/placement/echo.h"
#include "ui/edit_dialog.h"

namespace {

constexpr int kSliderHeight = 50;

int SliderWidth() {
    return icon_style == 1 ? 150 : 120;
}

GtkWidget* Slider(const char* name, double min, double max, double step, int digits, double value,
                  int width) {
    GtkWidget* slider = gtk_hscale_new_with_range(min, max, step);
    gtk_widget_set_name(slider, name);
    gtk_scale_set_digits(GTK_SCALE(slider), digits);
    gtk_scale_set_value_pos(GTK_SCALE(slider), GTK_POS_TOP);
    gtk_range_set_value(GTK_RANGE(slider), value);
    gtk_widget_set_size_request(slider, width, kSliderHeight);
    return slider;
}

void AttachCell(GtkWidget* table, GtkWidget* child, int col, int row) {
    gtk_table_attach(GTK_TABLE(table), child, col, col + 1, row, row + 1, GTK_FILL, GTK_SHRINK, 5,
                     5);
}

GtkWidget* CellLabel(const char* text) {
    GtkWidget* label = gtk_label_new(text);
    gtk_misc_set_alignment(GTK_MISC(label), 0.5f, 0.0f);
    return label;
}

struct RepeatWidgets {
    GtkWidget* across = nullptr;
    GtkWidget* spacingAcross = nullptr;
    GtkWidget* down = nullptr;
    GtkWidget* spacingDown = nullptr;
    int answered = 0;
    RepeatSettings chosen;
};

double Value(GtkWidget* slider) {
    return gtk_range_get_value(GTK_RANGE(slider));
}

void OnRepeatResponse(GtkDialog*, gint response, gpointer data) {
    auto* w = static_cast<RepeatWidgets*>(data);
    if (response != GTK_RESPONSE_OK) return;
    w->chosen.across = static_cast<int>(Value(w->across));
    w->chosen.down = static_cast<int>(Value(w->down));
    // Spacings are tenths of an inch: the slider's value without float noise.
    w->chosen.spacingAcross = static_cast<float>(std::round(Value(w->spacingAcross) * 10) / 10);
    w->chosen.spacingDown = static_cast<float>(std::round(Value(w->spacingDown) * 10) / 10);
    w->answered = 1;
}

}  // namespace

int ArrayDialog(LayoutNode* node) {
    LayoutNode* parent = ArrayParentOf(node);
    if (!parent) return 0;
    const RepeatSettings start = RepeatStartValues(parent);

    GtkWidget* dialog = NewEditDialog(kRepeatDialogTitle, array_dialog_width, array_dialog_height);
    RepeatWidgets w;
    const int width = SliderWidth();
    w.across = Slider("Across", kRepeatCountMin, kRepeatCountMax, 1, 0, start.across, width);
    w.spacingAcross = Slider("Spacing Across", kRepeatSpacingMin, kRepeatSpacingMax, 0.1, 1,
                             start.spacingAcross, width);
    w.down = Slider("Down", kRepeatCountMin, kRepeatCountMax, 1, 0, start.down, width);
    w.spacingDown = Slider("Spacing Down", kRepeatSpacingMin, kRepeatSpacingMax, 0.1, 1,
                           start.spacingDown, width);

    GtkWidget* table = gtk_table_new(4, 2, FALSE);
    gtk_container_set_border_width(GTK_CONTAINER(table), 10);
    AttachCell(table, w.across, 0, 0);
    AttachCell(table, w.spacingAcross, 1, 0);
    AttachCell(table, CellLabel("Across"), 0, 1);
    AttachCell(table, CellLabel("Spacing Across"), 1, 1);
    AttachCell(table, w.down, 0, 2);
    AttachCell(table, w.spacingDown, 1, 2);
    AttachCell(table, CellLabel("Down"), 0, 3);
    AttachCell(table, CellLabel("Spacing Down"), 1, 3);
    GtkWidget* align = gtk_alignment_new(0.5f, 0.5f, 0, 0);
    gtk_container_add(GTK_CONTAINER(align), table);
    gtk_box_pack_start(GTK_BOX(GTK_DIALOG(dialog)->vbox), align, TRUE, TRUE, 0);

    g_signal_connect(dialog, "response", G_CALLBACK(OnRepeatResponse), &w);
    const int response = RunEditDialog(dialog);
    if (response == GTK_RESPONSE_OK && w.answered) {
        CreateUndoFile();
        Log("Repeat %d across (spacing %0.1f), %d down (spacing %0.1f)\n", w.chosen.across,
            w.chosen.spacingAcross, w.chosen.down, w.chosen.spacingDown);
        ApplyRepeat(parent, w.chosen);
    }
    RedrawLayoutView();
    return response;
}

int EchoDialog(LayoutNode* node) {
    if (!CheckEchoPlacement(node)) return -1;
    GtkWidget* dialog = NewEditDialog(kEchoDialogTitle, message_width, message_height);
    GtkWidget* table = gtk_table_new(2, 2, FALSE);
    gtk_container_set_border_width(GTK_CONTAINER(table), 10);
    AttachCell(table, gtk_label_new("Repeat: "), 0, 0);
    AttachCell(table, Slider("Repeat: ", kEchoRepeatMin, kEchoRepeatMax, 1, 0, 1, 150), 1, 0);
    AttachCell(table, gtk_label_new("Percent: "), 0, 1);
    AttachCell(table, Slider("Percent: ", kEchoPercentMin, kEchoPercentMax, 1, 0, 0, 150), 1, 1);
    GtkWidget* align = gtk_alignment_new(0.5f, 0.5f, 0, 0);
    gtk_container_add(GTK_CONTAINER(align), table);
    gtk_box_pack_start(GTK_BOX(GTK_DIALOG(dialog)->vbox), align, TRUE, TRUE, 0);
    const int response = RunEditDialog(dialog);
    RedrawLayoutView();
    return response;
}
