#include "ui/run_toggles.h"

#include <gtk/gtk.h>

#include "base/screen_config.h"
#include "machine/stitching/demo_run.h"
#include "machine/stitching/machine_toggles.h"
#include "ui/menu.h"
#include "ui/properties_dialog.h"
#include "ui/widget_helpers.h"

namespace {

int settingStitchingToggle = 0;  // 1 while this module turns the toggle itself

// Moves the pointer off the toolbar so that the toggle just pressed does not
// stay highlighted on the touch screen.
void MovePointerOffToolbar() {
    GdkDisplay* display = gdk_display_get_default();
    if (display == nullptr) return;
    gdk_display_warp_pointer(display, gdk_display_get_default_screen(display), 0,
                             menubar_height + 15);
}

int ToggleActive(GtkWidget* button) {
    if (GTK_IS_TOGGLE_TOOL_BUTTON(button))
        return gtk_toggle_tool_button_get_active(GTK_TOGGLE_TOOL_BUTTON(button));
    if (GTK_IS_TOGGLE_BUTTON(button))
        return gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(button));
    return 0;
}

void SetToggleActive(GtkWidget* button, int active) {
    if (GTK_IS_TOGGLE_TOOL_BUTTON(button))
        gtk_toggle_tool_button_set_active(GTK_TOGGLE_TOOL_BUTTON(button), active);
    else if (GTK_IS_TOGGLE_BUTTON(button))
        gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(button), active);
}

void SetEntryValue(GtkWidget* entry, float value) {
    if (!isWidget(entry) || !GTK_IS_ENTRY(entry)) return;
    char text[G_ASCII_DTOSTR_BUF_SIZE];
    g_ascii_formatd(text, sizeof text, "%0.3f", value);
    gtk_entry_set_text(GTK_ENTRY(entry), text);
}

}  // namespace

void menuRunLockX(GtkWidget* button, void*) {
    SetAxisLock(kAxisX, ToggleActive(button));
    MovePointerOffToolbar();
}

void menuRunLockY(GtkWidget* button, void*) {
    SetAxisLock(kAxisY, ToggleActive(button));
    MovePointerOffToolbar();
}

void menuRunStitching(GtkWidget* button, void*) {
    // Turning the toggle off after a refused check must not switch stitching
    // off and log a second time.
    if (settingStitchingToggle) return;
    const int active = ToggleActive(button);
    if (StitchingToggled(active) == 0 && active) {
        settingStitchingToggle = 1;
        SetToggleActive(button, 0);
        settingStitchingToggle = 0;
    }
    MovePointerOffToolbar();
}

void menuRunTest(GtkWidget*, void*) {
    RunDemo();
}

void OnBtnSetStartClicked(GtkWidget*, void* data) {
    auto** entries = static_cast<GtkWidget**>(data);
    StartPointValues values;
    if (!ReadStartPoint(&values) || entries == nullptr) return;
    SetEntryValue(entries[0], values.localX);
    SetEntryValue(entries[1], values.localY);
    SetEntryValue(entries[2], values.actualX);
    SetEntryValue(entries[3], values.actualY);
}
