// The seam between core code and the user interface. Core modules never open a
// window: they show messages, ask questions, report progress and keep the
// screen alive through these functions. The GTK user interface installs its
// implementations at start-up; tests install scripted ones; with none installed
// messages are printed and answered with a fixed default response.
#pragma once

#include <string>

// Kinds of message box.
enum MessageKind { kMessageInfo = 0, kMessageWarning = 1, kMessageQuestion = 2, kMessageError = 3 };

// Button sets of a message box.
enum MessageButtons { kButtonsOk = 1, kButtonsClose = 2, kButtonsYesNo = 4, kButtonsOkCancel = 5 };

// Responses of a message box (the toolkit's standard response codes).
constexpr int kResponseWindowClosed = -4;
constexpr int kResponseOk = -5;
constexpr int kResponseCancel = -6;
constexpr int kResponseClose = -7;
constexpr int kResponseYes = -8;
constexpr int kResponseNo = -9;

// A progress window. Core code reads abortRequested (set by the window's STOP
// button) between steps; `ui` belongs to whoever created the window.
struct StatusWindow {
    int abortRequested = 0;
    std::string title;
    std::string text;  // the text shown on the progress bar
    long pulses = 0;   // how often the bar was pulsed
    void* ui = nullptr;
};

struct UserInterfaceHooks {
    // Shows a modal message box; returns the response of the pressed button.
    int (*showMessage)(int kind, int buttons, const char* text) = nullptr;
    // OK and Cancel plus one extra button answering extraResponse.
    int (*showMessageSpecial)(int kind, const char* text, const char* extraLabel,
                              int extraResponse) = nullptr;
    // Runs the toolkit's pending events so the screen stays alive during long work.
    void (*drainEvents)() = nullptr;
    // Progress window operations; the record is allocated by the core wrappers.
    void (*createStatusWindow)(StatusWindow* window) = nullptr;
    void (*updateStatusWindow)(StatusWindow* window) = nullptr;
    void (*statusWindowSetText)(StatusWindow* window) = nullptr;
    void (*closeStatusWindow)(StatusWindow* window) = nullptr;
};

// Installs the hooks (a copy is kept); pass {} to go back to the console defaults.
void SetUserInterfaceHooks(const UserInterfaceHooks& hooks);
const UserInterfaceHooks& GetUserInterfaceHooks();

// Console default answer of message boxes while no interface is installed.
void SetDefaultMessageResponse(int response);

// Shows a message box; see the kinds and button sets above.
int ShowMessage(int kind, int buttons, const char* text);
int ShowMessageSpecial(int kind, const char* text, const char* extraLabel, int extraResponse);

// Drains pending screen events (does nothing without a user interface).
void ProcessPendingEvents();

// Progress window: created with a title, pulsed, relabelled and closed. The
// window returned is owned by the caller until CloseStatusWindow.
StatusWindow* CreateStatusWindow(const char* title);
void UpdateStatusWindow(StatusWindow* window);
void StatusWindowSetText(StatusWindow* window, const char* text);
void CloseStatusWindow(StatusWindow* window);
