#include "ui/gtk_interface.h"

#include "base/application_state.h"
#include "base/ui_hooks.h"
#include "ui/keyboard.h"
#include "ui/message_windows.h"
#include "ui/number_entry.h"
#include "ui/placement_actions.h"
#include "ui/recovery_refresh.h"
#include "ui/view_interaction.h"
#include "ui/widget_helpers.h"

void InstallGtkInterface() {
    UserInterfaceHooks hooks;
    hooks.showMessage = GtkShowMessage;
    hooks.showMessageSpecial = GtkShowMessageSpecial;
    hooks.drainEvents = DrainEvents;
    hooks.createStatusWindow = GtkCreateStatusWindow;
    hooks.updateStatusWindow = GtkUpdateStatusWindow;
    hooks.statusWindowSetText = GtkStatusWindowSetText;
    hooks.closeStatusWindow = GtkCloseStatusWindow;
    hooks.openWaitingWindow = [](const char* title, int cancellable) {
        if (waitWindow) CloseWaitingWindow(waitWindow);
        CreateWaitingWindow(title, cancellable);
    };
    hooks.openWaitingBand = [](const char* title, int cancellable) {
        if (waitWindow) CloseWaitingWindow(waitWindow);
        CreateWaitingBand(title, cancellable);
    };
    hooks.closeWaitingWindow = [] {
        if (waitWindow) CloseWaitingWindow(waitWindow);
    };
    hooks.setWaitingText = [](const char* text) {
        if (waitWindow && waitWindow->open && isWidget(waitWindow->info))
            gtk_label_set_text(GTK_LABEL(waitWindow->info), text ? text : "");
    };
    hooks.showKeyboard = GtkShowKeyboard;
    hooks.numberEntry = GtkNumberEntry;
    SetUserInterfaceHooks(hooks);
    InstallViewInterface();
    InstallPlacementActions();
    KeepRecoveryImageCurrent();
}
