// Repeat and echo dialogs. See array_dialog.h.
#include "ui/array_dialog.h"

#include <gtk/gtk.h>

#include <cmath>
#include <string>

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

// The Repeat dialog's sliders leave room for the name and two buttons.
int RowSliderWidth() {
    return icon_style == 1 ? 150 : 84;
}

// The step buttons beside the Repeat sliders, and the height of those
// sliders: a finger's width on either screen.
int StepButtonSize() {
    return icon_style == 1 ? 44 : 28;
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

void OnStepClicked(GtkWidget* button, gpointer slider) {
    const double* step = static_cast<const double*>(g_object_get_data(G_OBJECT(button), "step"));
    if (!step) return;
    GtkRange* range = GTK_RANGE(slider);
    gtk_range_set_value(range, gtk_range_get_value(range) + *step);
}

// A button that moves the slider by step (the slider keeps it in its range).
GtkWidget* StepButton(GtkWidget* slider, const char* name, const char* label, double step) {
    GtkWidget* button = gtk_button_new_with_label(label);
    gtk_widget_set_name(button, name);
    g_object_set_data_full(G_OBJECT(button), "step", new double(step),
                           [](gpointer p) { delete static_cast<double*>(p); });
    // Wide enough for "+0.1"; a finger's height.
    gtk_widget_set_size_request(button, StepButtonSize() * 5 / 4, StepButtonSize());
    g_signal_connect(button, "clicked", G_CALLBACK(OnStepClicked), slider);
    return button;
}

// One row of the Repeat dialog: the name, the minus button, the slider with
// its value on the left, the plus button.
void AttachRepeatRow(GtkWidget* table, int row, const char* label, GtkWidget* slider,
                     const std::string& name, double step, const char* minus, const char* plus) {
    gtk_scale_set_value_pos(GTK_SCALE(slider), GTK_POS_LEFT);
    gtk_widget_set_size_request(slider, RowSliderWidth(), StepButtonSize());
    GtkWidget* text = gtk_label_new(label);
    gtk_misc_set_alignment(GTK_MISC(text), 0.0f, 0.5f);
    const GtkAttachOptions fill = GTK_FILL, none = GtkAttachOptions(0);
    gtk_table_attach(GTK_TABLE(table), text, 0, 1, row, row + 1, fill, none, 2, 2);
    gtk_table_attach(GTK_TABLE(table), StepButton(slider, (name + "Minus").c_str(), minus, -step),
                     1, 2, row, row + 1, none, none, 2, 2);
    gtk_table_attach(GTK_TABLE(table), slider, 2, 3, row, row + 1, fill, none, 2, 2);
    gtk_table_attach(GTK_TABLE(table), StepButton(slider, (name + "Plus").c_str(), plus, step), 3,
                     4, row, row + 1, none, none, 2, 2);
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

    // Each count and spacing: a slider for large changes, buttons for exact ones.
    GtkWidget* table = gtk_table_new(4, 4, FALSE);
    AttachRepeatRow(table, 0, "Across", w.across, "Across", 1, "-1", "+1");
    AttachRepeatRow(table, 1, "Spacing Across", w.spacingAcross, "SpacingAcross", 0.1, "-0.1",
                    "+0.1");
    AttachRepeatRow(table, 2, "Down", w.down, "Down", 1, "-1", "+1");
    AttachRepeatRow(table, 3, "Spacing Down", w.spacingDown, "SpacingDown", 0.1, "-0.1", "+0.1");
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
