#include "ui/setup_screen.h"

#include <cstdint>
#include <cstdlib>
#include <string>

#include "app/setup_values.h"
#include "base/application_state.h"
#include "base/log.h"
#include "base/screen_config.h"
#include "base/system_paths.h"
#include "base/ui_hooks.h"
#include "base/usb_drive.h"
#include "layout/layout_selection.h"
#include "layout/pattern_box.h"
#include "machine/mc1_commands.h"
#include "machine/stitching/run_state.h"
#include "maintenance/firmware_update.h"
#include "maintenance/program_update.h"
#include "maintenance/system_update.h"
#include "ui/diagnostics_page.h"
#include "ui/file_chooser.h"
#include "ui/interface.h"
#include "ui/menu.h"
#include "ui/setup_advanced.h"
#include "ui/setup_pages.h"
#include "ui/startup.h"
#include "ui/widget_helpers.h"

int passwordGiven = 0;

namespace {

// Menu masks of the setup screen, without and with pattern boxes.
constexpr uint32_t kSetupMaskNoBox = kScreenMaskNoBox;
constexpr uint32_t kSetupMaskWithBox = kScreenMaskWithBox;
constexpr unsigned char kDirectionUnread = 100;  // shown as "Motor Forward"
constexpr const char* kDirectionUnknown =
    "THE MOTOR CONTROLLER DID NOT ANSWER.\nTHE MOTOR DIRECTION IS NOT KNOWN.";

GtkWidget* SetupButton(const char* text, void (*handler)(GtkWidget*, gpointer)) {
    GtkWidget* button = gtk_button_new_with_label("");
    SetButtonFont(button, text, SetupFont());
    gtk_widget_set_size_request(button, setup_button_width, setup_button_height);
    g_signal_connect(button, "clicked", G_CALLBACK(handler), nullptr);
    return button;
}

// Updates page: the update buttons on the left, information, the motor
// direction and the touch-screen calibration on the right.
void createUpdateScreen(GtkWidget* notebook) {
    unsigned char direction = kDirectionUnread;
    GetMotorDirection(&direction);
    struct Cell {
        const char* label;
        void (*handler)(GtkWidget*, gpointer);
        int column, row;
    };
    const Cell cells[] = {
        {"Update System", OnBtnSystemUpdateClicked, 0, 0},
        {"Update Program", OnBtnCopyProgramClicked, 0, 1},
        {"Update Robot", OnBtnMotorFirmwareClicked, 0, 2},
        {"System Info", OnBtnAboutClicked, 1, 0},
        {MotorDirectionLabel(direction), OnBtnReverseClicked, 1, 1},
        {"Calibrate Screen", OnBtnResetCalClicked, 1, 2},
    };
    GtkWidget* table = gtk_table_new(3, 2, TRUE);
    const int spacing = icon_style == 1 ? 10 : 2;
    gtk_table_set_row_spacings(GTK_TABLE(table), spacing);
    gtk_table_set_col_spacings(GTK_TABLE(table), spacing);
    for (const Cell& cell : cells)
        gtk_table_attach(GTK_TABLE(table), SetupButton(cell.label, cell.handler), cell.column,
                         cell.column + 1, cell.row, cell.row + 1, GTK_SHRINK, GTK_SHRINK, 0, 0);
    AppendSetupPage(notebook, table, "Updates");
}

// The folder of the stick with a chosen file of the given kind, "" when the
// stick is missing (the quilter was told) or nothing was chosen.
std::string ChooseFileOnStick(const char* filter) {
    if (!CheckUSBIsIn()) return "";
    return GetFilename(SystemPath(kUsbMountPath).c_str(), filter);
}

// After a program or firmware update the program ends; the controller's
// start-up environment starts it again.
[[noreturn]] void EndAfterUpdate() {
    LogLine("Update done: the program ends");
    std::exit(0);
}

}  // namespace

GtkWidget* createSetupScreen() {
    passwordGiven = 0;
    SendSetupScreenSignal();
    ReadSetupConstants();

    GtkWidget* notebook = gtk_notebook_new();
    gtk_notebook_set_show_border(GTK_NOTEBOOK(notebook), TRUE);
    // Six tabs side by side: on the small screen only without extra padding.
    if (icon_style != 1) g_object_set(notebook, "tab-hborder", 0, "tab-vborder", 4, nullptr);
    gtk_widget_set_size_request(notebook, screen_width - 2, SetupNotebookHeight());
    KeepWidget(&interface->setupNotebook, notebook);

    createUpdateScreen(notebook);
    createUserSetupScreen(notebook);
    createConstantsSetupScreen(notebook);
    createDiagnosticsScreen(notebook);
    createAdvancedScreen(notebook);
    createConfigurationScreen(notebook);
    g_signal_connect(notebook, "switch-page", G_CALLBACK(OnNotebookChanged), nullptr);

    GtkWidget* screen = gtk_fixed_new();
    gtk_fixed_put(GTK_FIXED(screen), notebook, 2, 0);
    return screen;
}

void menuMainSetup(GtkWidget*, void*) {
    if (!interface) return;
    // The run view's PAUSE goes with the screen; hidden first so that it is
    // not drawn while the setup pages are built.
    if (isWidget(interface->btnPause)) gtk_widget_hide(interface->btnPause);
    ShowScreen(createSetupScreen, patternBoxList.count > 0 ? kSetupMaskWithBox : kSetupMaskNoBox,
               "setup");
    ReleaseAllUI();
}

void OnNotebookChanged(GtkNotebook*, GtkNotebookPage*, guint index, gpointer) {
    if (index != kPageConfiguration || passwordGiven) return;
    std::string word;
    if (ShowKeyboard(word, "PASSWORD:") == 1 && word == kSetupPassword) {
        passwordGiven = 1;
        return;
    }
    g_timeout_add(kPasswordRefusedMs, NBTimer, nullptr);
}

gboolean NBTimer(gpointer) {
    if (interface && isWidget(interface->setupNotebook))
        gtk_notebook_set_current_page(GTK_NOTEBOOK(interface->setupNotebook), kPageUpdates);
    return FALSE;
}

void OnBtnSystemUpdateClicked(GtkWidget*, gpointer) {
    UpdateSystem();
}

void OnBtnCopyProgramClicked(GtkWidget*, gpointer) {
    const std::string path = ChooseFileOnStick(kProgramFileFilter);
    if (path.empty()) return;  // nothing chosen: stop silently
    if (UpdateProgram(path) == kProgramUpdated) EndAfterUpdate();
}

void OnBtnMotorFirmwareClicked(GtkWidget*, gpointer) {
    if (!CheckUSBIsIn()) return;
    const std::string path = GetFilename(SystemPath(kUsbMountPath).c_str(), kFirmwareFileFilter);
    if (UpdateMotorFirmware(path) == kFirmwareSent) EndAfterUpdate();
}

void OnBtnAboutClicked(GtkWidget*, gpointer) {
    ShowMessage(kMessageInfo, kButtonsOk, SystemInfoText().c_str());
}

const char* MotorDirectionLabel(unsigned char direction) {
    return direction == kMotorReversed ? "Motor Reversed" : "Motor Forward";
}

void OnBtnReverseClicked(GtkWidget* button, gpointer) {
    if (ShowMessage(kMessageInfo, kButtonsOkCancel, "REVERSE MOTOR DIRECTION?") != kResponseOk)
        return;
    unsigned char direction = 0;
    if (ReverseMotorDirection(&direction) != 0) {
        ShowMessage(kMessageError, kButtonsOk, kDirectionUnknown);
        return;
    }
    Log("dir = 0x%2.2X\n", direction);
    CurrentRun().motorDirection = direction;
    Log("CurrentRun().motorDirection = 0x%2.2X\n", CurrentRun().motorDirection);
    SetButtonFont(button, MotorDirectionLabel(direction), SetupFont());
    ShowMessage(kMessageInfo, kButtonsOk,
                direction == kMotorReversed ? "MOTOR ENCODERS NOW READING IN REVERSE MODE"
                                            : "MOTOR ENCODERS NOW READING IN FORWARD MODE");
}

void OnBtnResetCalClicked(GtkWidget*, gpointer) {
    ResetScreenCalibration();
}
