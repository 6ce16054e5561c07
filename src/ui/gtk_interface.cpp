#include "ui/gtk_interface.h"

#include "base/application_state.h"
#include "base/screen_config.h"
#include "base/ui_hooks.h"
#include "layout/layout_tree.h"
#include "pattern/pattern.h"
#include "ui/keyboard.h"
#include "ui/message_windows.h"
#include "ui/number_entry.h"
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
    hooks.closeWaitingWindow = [] {
        if (waitWindow) CloseWaitingWindow(waitWindow);
    };
    hooks.showKeyboard = GtkShowKeyboard;
    hooks.numberEntry = GtkNumberEntry;
    SetUserInterfaceHooks(hooks);

    PatternViewHooks view;
    view.viewScale = [] { return interface ? interface->viewScale : 0.001f; };
    view.highlightIndex = [] { return interface ? interface->highlightIndex : -1; };
    view.selectedPatternSlot = [] {
        return interface && interface->selectedNode ? interface->selectedNode->patternIndex : -1;
    };
    view.previewWidth = [] { return pattern_preview_width; };
    view.previewHeight = [] { return pattern_preview_height; };
    SetPatternViewHooks(view);
    InstallViewInterface();
    KeepRecoveryImageCurrent();
}
