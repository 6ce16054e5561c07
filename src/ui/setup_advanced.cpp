#include "ui/setup_advanced.h"

#include <algorithm>
#include <string>

#include "app/machine_startup.h"
#include "app/setup_values.h"
#include "base/application_state.h"
#include "base/program_settings.h"
#include "base/screen_config.h"
#include "base/ui_hooks.h"
#include "machine/machine_parameters.h"
#include "ui/menu.h"
#include "ui/setup_pages.h"
#include "ui/setup_screen.h"
#include "ui/startup.h"
#include "ui/widget_helpers.h"

int needleUpCallbackOn = 1;
int SetNeedleUpConfirmCallbackOn = 1;
int advancedCheckBoxCallbackOn = 1;

namespace {

constexpr const char* kStitchButtonsOnQuestion =
    "THIS WILL ADD STITCHING AND NEEDLE UP BUTTONS TO THE MAIN TOOLBAR.\n\n DO YOU WANT TO "
    "CONTINUE?\n";
constexpr const char* kStitchButtonsOffQuestion =
    "THIS WILL REMOVE THE STITCHING AND NEEDLE UP BUTTONS FROM THE MAIN TOOLBAR.\n\n DO YOU "
    "WANT TO CONTINUE?\n";
constexpr const char* kMachineTypeQuestion = "DO YOU WANT TO SET THE MACHINE TYPE TO:\n\n";

GtkWidget* cmbNUp = nullptr;          // machine-type list
GtkWidget* lblMachineName = nullptr;  // its label
GtkWidget* cbNUp = nullptr;           // "Confirm Needle Up"
GtkWidget* cbDebug = nullptr;         // "Stitch Btns"
// The timing entries "NdlUp Press", "NdlUp Wait", "SReg Press", "SReg Wait"
// with their labels.
GtkWidget* txtTimings[4] = {};
GtkWidget* lblTimings[4] = {};
constexpr char kTimingCodes[4] = {kFieldNeedleUpPress, kFieldNeedleUpTime, kFieldStitchRegPress,
                                  kFieldStitchRegTime};

// Changes a control the page itself owns; the one notification that follows
// is ignored through the flag. Nothing is cleared when the control already
// shows the state, as then no notification comes.
void SetToggleQuietly(GtkWidget* box, bool on, int* flag) {
    if (!isWidget(box) || (gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(box)) != FALSE) == on)
        return;
    *flag = 0;
    gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(box), on ? TRUE : FALSE);
}

void SetListQuietly(GtkWidget* list, int index) {
    if (!isWidget(list) || gtk_combo_box_get_active(GTK_COMBO_BOX(list)) == index) return;
    needleUpCallbackOn = 0;
    gtk_combo_box_set_active(GTK_COMBO_BOX(list), index);
}

void SetVisible(GtkWidget* widget, bool visible) {
    if (!isWidget(widget)) return;
    if (visible)
        gtk_widget_show(widget);
    else
        gtk_widget_hide(widget);
}

// The machine type's row, the timing rows and "Stitch Btns" (which only the
// large screens' toolbar has buttons for).
void ShowAdvancedRows(bool shown) {
    for (GtkWidget* widget : {lblMachineName, cmbNUp, cbNUp})
        SetVisible(widget, shown);
    for (int i = 0; i < 4; i++) {
        SetVisible(lblTimings[i], shown);
        SetVisible(txtTimings[i], shown);
    }
    SetVisible(cbDebug, shown && icon_style == 1);
}

void RefillTimings() {
    for (int i = 0; i < 4; i++) {
        if (!isWidget(txtTimings[i])) continue;
        char text[64];
        SetupEntryText(kTimingCodes[i], text, sizeof text);
        gtk_entry_set_text(GTK_ENTRY(txtTimings[i]), text);
    }
}

GtkWidget* AdvancedButton(const char* text, void (*handler)(GtkWidget*, gpointer)) {
    GtkWidget* button = gtk_button_new_with_label("");
    SetButtonFont(button, text, SetupFont());
    gtk_widget_set_size_request(button, -1, std::max(30, setup_spinbox_height));
    g_signal_connect(button, "clicked", G_CALLBACK(handler), nullptr);
    return button;
}

GtkWidget* CheckBox(const char* text, bool on, const char* font) {
    GtkWidget* box = gtk_check_button_new_with_label("");
    SetButtonFont(box, text, font);
    gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(box), on ? TRUE : FALSE);
    AtLeastTouchHigh(box);
    return box;
}

void AttachMachineTypeRow(GtkWidget* table, int row) {
    KeepWidget(&lblMachineName, SetupLabel("Machine Type"));
    KeepWidget(&cmbNUp, gtk_combo_box_new_text());
    for (const char* name : machineTypeNames)
        gtk_combo_box_append_text(GTK_COMBO_BOX(cmbNUp), name);
    gtk_combo_box_set_active(GTK_COMBO_BOX(cmbNUp), CurrentStitcherMethod());
    GList* cells = gtk_cell_layout_get_cells(GTK_CELL_LAYOUT(cmbNUp));
    for (GList* cell = cells; cell; cell = cell->next)
        g_object_set(cell->data, "font", SetupLabelFont(), nullptr);
    g_list_free(cells);
    gtk_widget_set_size_request(cmbNUp, -1, std::max(setup_spinbox_height, TouchTargetPixels()));
    g_signal_connect(cmbNUp, "changed", G_CALLBACK(OnNeedleUpChanged), nullptr);
    KeepWidget(&cbNUp,
               CheckBox("Confirm Needle Up", Machine().needleUpConfirm != 0, SetupLabelFont()));
    if (icon_style != 1) {
        // As wide as an entry: the text goes on two lines on the small screen.
        GtkWidget* text = gtk_bin_get_child(GTK_BIN(cbNUp));
        gtk_label_set_line_wrap(GTK_LABEL(text), TRUE);
        gtk_widget_set_size_request(text, setup_spinbox_width - 20, -1);
        AtLeastTouchHigh(cbNUp);
    }
    g_signal_connect(cbNUp, "toggled", G_CALLBACK(SetNeedleUpConfirm), nullptr);
    gtk_table_attach(GTK_TABLE(table), lblMachineName, 0, 1, row, row + 1, GTK_FILL, GTK_SHRINK, 0,
                     0);
    gtk_table_attach(GTK_TABLE(table), cmbNUp, 1, 3, row, row + 1, GTK_FILL, GTK_SHRINK, 0, 0);
    gtk_table_attach(GTK_TABLE(table), cbNUp, 3, 4, row, row + 1, GTK_FILL, GTK_SHRINK, 0, 0);
}

void AttachButtonRow(GtkWidget* table, int row) {
    GtkWidget* restart = AdvancedButton("Restart", [](GtkWidget*, gpointer) { RestartProgram(); });
    GtkWidget* reset = AdvancedButton("Factory Defaults", OnBtnResetDefaultsClicked);
    KeepWidget(&cbDebug,
               CheckBox("Stitch Btns", Settings().stitchButtonsOn != 0, SetupLabelFont()));
    g_signal_connect(cbDebug, "toggled", G_CALLBACK(SetDebugBtnsOn), nullptr);
    gtk_table_attach(GTK_TABLE(table), restart, 0, 1, row, row + 1, GTK_FILL, GTK_FILL, 0, 0);
    gtk_table_attach(GTK_TABLE(table), reset, 1, 3, row, row + 1, GTK_FILL, GTK_FILL, 0, 0);
    gtk_table_attach(GTK_TABLE(table), cbDebug, 3, 4, row, row + 1, GTK_FILL, GTK_SHRINK, 0, 0);
}

// Called by the factory reset once the factory values are set, sent and
// saved: the menus, the toolbar and the setup screen show them.
void ShowFactorySettings() {
    ApplyMenuVisibility();
    menuMainSetup(nullptr, nullptr);
}

}  // namespace

void createAdvancedScreen(GtkWidget* notebook) {
    static const EntryCell kGains[] = {{"XKi", '4'}, {"YKi", '5'}, {"XKd", '6'}, {"YKd", '7'}};
    static const EntryCell kTimings[] = {{"NdlUp Press", kFieldNeedleUpPress},
                                         {"NdlUp Wait", kFieldNeedleUpTime},
                                         {"SReg Press", kFieldStitchRegPress},
                                         {"SReg Wait", kFieldStitchRegTime}};
    needleUpCallbackOn = SetNeedleUpConfirmCallbackOn = 1;
    GtkWidget* table = gtk_table_new(6, 4, FALSE);
    const bool large = icon_style == 1;
    gtk_table_set_row_spacings(GTK_TABLE(table), large ? 5 : 0);
    gtk_table_set_col_spacings(GTK_TABLE(table), large ? 10 : 0);
    AttachEntryPairs(table, 0, kGains, 4, nullptr, nullptr);
    AttachMachineTypeRow(table, 2);
    GtkWidget* timings[4] = {};
    GtkWidget* labels[4] = {};
    AttachEntryPairs(table, 3, kTimings, 4, timings, labels);
    for (int i = 0; i < 4; i++) {
        KeepWidget(&txtTimings[i], timings[i]);
        KeepWidget(&lblTimings[i], labels[i]);
    }
    AttachButtonRow(table, 5);
    for (GtkWidget* widget : {lblMachineName, cmbNUp, cbNUp, cbDebug})
        gtk_widget_set_no_show_all(widget, TRUE);
    for (int i = 0; i < 4; i++) {
        gtk_widget_set_no_show_all(lblTimings[i], TRUE);
        gtk_widget_set_no_show_all(txtTimings[i], TRUE);
    }
    ShowAdvancedRows(Settings().showAdvancedFeatures != 0);
    AppendSetupPage(notebook, table, "Advanced");
}

GtkWidget* createConfigScreen() {
    GtkWidget* table = gtk_table_new(5, 8, FALSE);
    gtk_table_set_row_spacings(GTK_TABLE(table), 5);
    gtk_table_set_col_spacings(GTK_TABLE(table), 10);
    gtk_container_set_border_width(GTK_CONTAINER(table), 10);
    GtkWidget* box =
        CheckBox("Show Advanced Features", Settings().showAdvancedFeatures != 0, SetupFont());
    GtkRequisition natural;
    gtk_widget_size_request(box, &natural);
    gtk_widget_set_size_request(box, std::max(2 * setup_spinbox_width, natural.width),
                                std::max(setup_spinbox_height, natural.height));
    advancedCheckBoxCallbackOn = 1;
    g_signal_connect(box, "clicked", G_CALLBACK(ShowAdvancedFeatures), nullptr);
    gtk_table_attach(GTK_TABLE(table), box, 0, 3, 4, 5, GTK_FILL, GTK_FILL, 0, 0);
    return table;
}

void createConfigurationScreen(GtkWidget* notebook) {
    AppendSetupPage(notebook, createConfigScreen(), "Configuration");
}

void OnNeedleUpChanged(GtkComboBox* list, gpointer) {
    if (!needleUpCallbackOn) {
        needleUpCallbackOn = 1;
        return;
    }
    const int index = gtk_combo_box_get_active(list);
    gchar* name = gtk_combo_box_get_active_text(list);
    const std::string question = std::string(kMachineTypeQuestion) + (name ? name : "") + " ?";
    g_free(name);
    if (ShowMessage(kMessageWarning, kButtonsOkCancel, question.c_str()) != kResponseOk) {
        SetListQuietly(GTK_WIDGET(list), Machine().needleUpMethod);
        return;
    }
    ApplyMachineType(index);
    if (isWidget(cbNUp))
        gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(cbNUp),
                                     Machine().needleUpConfirm ? TRUE : FALSE);
    RefillTimings();
    ApplyMenuVisibility();  // Corvane 18 has no needle-up button
}

void SetNeedleUpConfirm(GtkToggleButton* box, gpointer) {
    SetNeedleUpConfirmSetting(gtk_toggle_button_get_active(box) ? 1 : 0);
}

void SetDebugBtnsOn(GtkToggleButton* box, gpointer) {
    if (!SetNeedleUpConfirmCallbackOn) {
        SetNeedleUpConfirmCallbackOn = 1;
        return;
    }
    const bool on = gtk_toggle_button_get_active(box) != FALSE;
    if (ShowMessage(kMessageQuestion, kButtonsYesNo,
                    on ? kStitchButtonsOnQuestion : kStitchButtonsOffQuestion) != kResponseYes) {
        SetToggleQuietly(GTK_WIDGET(box), !on, &SetNeedleUpConfirmCallbackOn);
        return;
    }
    SetStitchButtonsSetting(on ? 1 : 0);
    ApplyMenuVisibility();
}

void ShowAdvancedFeatures(GtkWidget* box, gpointer) {
    if (!advancedCheckBoxCallbackOn) {
        advancedCheckBoxCallbackOn = 1;
        return;
    }
    const bool on = gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(box)) != FALSE;
    SetAdvancedFeaturesSetting(on ? 1 : 0);  // the stitch buttons follow the switch
    SetToggleQuietly(cbDebug, on, &SetNeedleUpConfirmCallbackOn);
    ApplyMenuVisibility();
    ShowAdvancedRows(on);
}

void OnBtnResetDefaultsClicked(GtkWidget*, gpointer) {
    AskAndResetToFactoryDefaults(ShowFactorySettings);
}
