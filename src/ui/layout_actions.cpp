#include "ui/layout_actions.h"

#include <gtk/gtk.h>
#include <sys/stat.h>

#include <memory>

#include "base/application_state.h"
#include "base/log.h"
#include "base/system_paths.h"
#include "base/ui_hooks.h"
#include "layout/layout_file.h"
#include "layout/layout_selection.h"
#include "layout/layout_tree.h"
#include "layout/pattern_box.h"
#include "machine/mc1_commands.h"
#include "machine/mc1_motion.h"
#include "pattern/pattern.h"
#include "ui/drawing_area.h"
#include "ui/extents_setup.h"
#include "ui/file_chooser.h"
#include "ui/interface.h"
#include "ui/menu.h"
#include "ui/message_windows.h"
#include "ui/pattern_select.h"
#include "ui/screens.h"
#include "ui/startup.h"
#include "ui/widget_helpers.h"

namespace {

constexpr uint32_t kSelectMaskNoBox = kScreenMaskNoBox;
constexpr uint32_t kSelectMaskWithBox = kScreenMaskWithBox;

bool FileExists(const std::string& path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0;
}

void RedrawView() {
    if (interface && isWidget(interface->drawingArea) && interface->drawingArea->window)
        gdk_window_invalidate_rect(interface->drawingArea->window, nullptr, FALSE);
}

void UnsetToggle(ToolButtonId id) {
    ToolBar* toolbar = ToolbarRecord();
    if (!toolbar || !isWidget(toolbar->buttons[id])) return;
    if (GTK_IS_TOGGLE_TOOL_BUTTON(toolbar->buttons[id]))
        gtk_toggle_tool_button_set_active(GTK_TOGGLE_TOOL_BUTTON(toolbar->buttons[id]), FALSE);
    else if (GTK_IS_TOGGLE_BUTTON(toolbar->buttons[id]))
        gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(toolbar->buttons[id]), FALSE);
}

// Undo and Restore Setpoint are usable exactly while their file exists: the
// handler is installed then and removed otherwise, which the menus follow.
void UndoAvailable(int available) {
    SetMenuItemAvailable(kItemUndo, available != 0);
}

void SetpointAvailable(int available) {
    SetMenuItemAvailable(kItemRestoreSetpoint, available != 0);
}

}  // namespace

std::string LayoutNameFromEntry(const std::string& entry) {
    return FilterLayoutName(entry);
}

int LoadRecoveryLayout(const char* path) {
    const int loaded = LoadLayout(path, 1, 1);
    // Loaded before the main loop runs, so no event refreshes the image.
    UpdateCrashRecoveryImage();
    return loaded;
}

void menuMainAddPattern(GtkWidget*, void*) {
    if (!interface) return;
    interface->trackPosition = 0;
    DisableX();
    DisableY();
    UnsetToggle(kToolLockX);
    UnsetToggle(kToolLockY);
    ShowScreen(createPatternSelectScreen,
               patternBoxList.count == 0 ? kSelectMaskNoBox : kSelectMaskWithBox, "pattern select");
}

void menuMainNewLayout(GtkWidget*, void*) {
    if (!interface) return;
    if (ShowMessage(kMessageQuestion, kButtonsOkCancel,
                    "IF YOU HAVEN'T SAVED YOUR CURRENT LAYOUT ALL DATA WILL BE "
                    "LOST.\nCONTINUE?") != kResponseOk)
        return;
    FreeLayout();
    InitPatternBox();
    SetCurrentLayoutName("");
    StartQuiltAreaSetup();
}

void menuMainLoadLayout(GtkWidget*, void*) {
    if (!interface) return;
    const std::string path = GetFilename("./Layout/", ".qlf .QLF");
    if (path.empty()) return;
    const int loaded = LoadLayout(path.c_str(), 1, 0);
    HideWaitingWindow();
    if (!loaded) {
        LogLine("Load Layout returned False");
        RefreshPatternPix();
        RedrawView();
        return;
    }
    ShowMessage(kMessageInfo, kButtonsOk,
                "\nMOVE YOUR MACHINE TO THE HOME LOCATION ON YOUR TABLE AND PRESS OK.");
    SetHome();
    SetZoomAll();
    RefreshPatternPix();
    if (!extents) {
        LogLine("Extents == NULL");
        StartQuiltAreaSetup();
        return;
    }
    ShowLayoutView();
}

void menuEditSaveLayout(GtkWidget* item, void* data) {
    if (!interface) return;
    if (CurrentLayoutName().empty()) {
        menuEditSaveLayoutAs(item, data);
        return;
    }
    const std::string& current = CurrentLayoutName();
    const std::string name = current.size() > 9 ? current.substr(9) : "";
    const std::string question =
        "THIS WILL OVERWRITE THE CURRENT LAYOUT:\n" + name + "\nWOULD YOU LIKE TO CONTINUE?";
    if (ShowMessage(kMessageQuestion, kButtonsOkCancel, question.c_str()) != kResponseOk) return;
    if (SaveLayout(name.c_str(), 0, 0)) ShowSavedMessage(LayoutSavePath(name.c_str(), 0));
}

void menuEditSaveLayoutAs(GtkWidget*, void*) {
    if (!interface) return;
    std::string entry;
    if (!ShowKeyboard(entry, "SAVE AS:")) return;
    const std::string name = LayoutNameFromEntry(entry);
    if (name.empty()) return;
    if (!SaveLayout(name.c_str(), 1, 0)) return;
    SetCurrentLayoutName("./Layout/" + name);
    ShowSavedMessage(LayoutSavePath(name.c_str(), 0));
}

void menuEditCreateSetpoint(GtkWidget*, void*) {
    CreateSetpoint();
}

void menuEditRestoreSetpoint(GtkWidget*, void*) {
    RestoreSetpoint();
    RedrawView();
}

void menuEditUndo(GtkWidget*, void*) {
    RestoreUndoFile();
    RedrawView();
}

void ResetQuiltAreaCorners() {
    pbTemp = std::make_unique<PatternBox>();
}

void InstallLayoutInterface() {
    undoAvailabilityChanged = UndoAvailable;
    setpointAvailabilityChanged = SetpointAvailable;

    UndoAvailable(FileExists(SystemPath("/tmp/undo") + ".qlf"));
    SetpointAvailable(FileExists(SystemPath("/tmp/setPoint") + ".qlf"));
}
