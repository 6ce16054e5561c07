#include "base/ui_hooks.h"

#include <cstdlib>

#include "base/log.h"

namespace {

UserInterfaceHooks hooks;
int defaultResponse = kResponseOk;

// A window closed without an answer (or any response that is not one of its
// buttons) counts as the refusing button: No, Cancel, or the only button.
int AnsweredWith(int buttons, int response) {
    switch (buttons) {
        case kButtonsYesNo:
            return response == kResponseYes ? kResponseYes : kResponseNo;
        case kButtonsOkCancel:
            return response == kResponseOk ? kResponseOk : kResponseCancel;
        case kButtonsYesNoCancel:
            return response == kResponseYes || response == kResponseNo ? response : kResponseCancel;
        case kButtonsClose:
            return kResponseClose;
        default:
            return kResponseOk;
    }
}

}  // namespace

void SetUserInterfaceHooks(const UserInterfaceHooks& newHooks) {
    hooks = newHooks;
}

const UserInterfaceHooks& GetUserInterfaceHooks() {
    return hooks;
}

void SetDefaultMessageResponse(int response) {
    defaultResponse = response;
}

int ShowMessage(int kind, int buttons, const char* text) {
    if (hooks.showMessage) return AnsweredWith(buttons, hooks.showMessage(kind, buttons, text));
    Log("MESSAGE: %s\n", text ? text : "");
    return AnsweredWith(buttons, defaultResponse);
}

int ShowMessageSpecial(int kind, const char* text, const char* extraLabel, int extraResponse) {
    int response = defaultResponse;
    if (hooks.showMessageSpecial)
        response = hooks.showMessageSpecial(kind, text, extraLabel, extraResponse);
    else
        Log("MESSAGE: %s\n", text ? text : "");
    return response == kResponseOk || response == extraResponse ? response : kResponseCancel;
}

void ShowWaitingWindow(const char* title, int cancellable) {
    if (hooks.openWaitingWindow) hooks.openWaitingWindow(title, cancellable);
}

void ShowWaitingBand(const char* title, int cancellable) {
    if (hooks.openWaitingBand)
        hooks.openWaitingBand(title, cancellable);
    else
        ShowWaitingWindow(title, cancellable);
}

void HideWaitingWindow() {
    if (hooks.closeWaitingWindow) hooks.closeWaitingWindow();
}

void SetWaitingWindowText(const char* text) {
    if (hooks.setWaitingText) hooks.setWaitingText(text ? text : "");
}

int ShowKeyboard(std::string& text, const char* prompt) {
    if (!prompt) return 0;
    if (hooks.showKeyboard) return hooks.showKeyboard(text, prompt);
    Log("KEYBOARD: %s\n", prompt);
    return 0;
}

double NumberEntry(const char* text, int decimalAllowed, int angleMode, const char* title) {
    if (hooks.numberEntry) return hooks.numberEntry(text, decimalAllowed, angleMode, title);
    return text ? std::strtod(text, nullptr) : 0.0;
}

void ProcessPendingEvents() {
    if (hooks.drainEvents) hooks.drainEvents();
}

StatusWindow* CreateStatusWindow(const char* title) {
    auto* window = new StatusWindow;
    window->title = title ? title : "";
    window->text = "Converting Pattern";
    if (hooks.createStatusWindow) hooks.createStatusWindow(window);
    return window;
}

void UpdateStatusWindow(StatusWindow* window) {
    if (!window) return;
    window->pulses++;
    if (hooks.updateStatusWindow) hooks.updateStatusWindow(window);
}

void StatusWindowSetText(StatusWindow* window, const char* text) {
    if (!window) return;
    window->text = text ? text : "";
    if (hooks.statusWindowSetText) hooks.statusWindowSetText(window);
}

void CloseStatusWindow(StatusWindow* window) {
    if (!window) return;
    if (hooks.closeStatusWindow) hooks.closeStatusWindow(window);
    delete window;
}
