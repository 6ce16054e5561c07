// The seam between core code and the user interface. Core modules never open a
// window: they show messages, ask questions, report progress and keep the
// screen alive through these functions. The GTK user interface installs its
// implementations at start-up; tests install scripted ones; with none installed
// messages are printed and answered with a fixed default response. The GTK
// interface installs the real modal windows (message boxes, keyboard, number
// pad); a test replaces them with one scripted responder.
#pragma once

#include <string>

// Kinds of message box.
enum MessageKind { kMessageInfo = 0, kMessageWarning = 1, kMessageQuestion = 2, kMessageError = 3 };

// Button sets of a message box.
enum MessageButtons {
    kButtonsOk = 1,
    kButtonsClose = 2,
    kButtonsYesNo = 4,
    kButtonsOkCancel = 5,
    kButtonsYesNoCancel = 6,  // the proportions questions of autoscale and autofill
};

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
    // Waiting window with its animation; the core opens it for long loads and
    // the caller closes it.
    void (*openWaitingWindow)(const char* title, int cancellable) = nullptr;
    // The same as a band over the menu row, leaving the layout view in sight.
    void (*openWaitingBand)(const char* title, int cancellable) = nullptr;
    void (*closeWaitingWindow)() = nullptr;
    // Replaces the progress note of the open waiting window.
    void (*setWaitingText)(const char* text) = nullptr;
    // On-screen keyboard: text holds the initial contents and receives the edited
    // ones; returns 1 when closed with OK, 0 with Cancel.
    int (*showKeyboard)(std::string& text, const char* prompt) = nullptr;
    // Number pad: returns the value entered, or the value of text when cancelled.
    // title (or null) names the value being entered, shown above the number.
    double (*numberEntry)(const char* text, int decimalAllowed, int angleMode,
                          const char* title) = nullptr;
};

// Installs the hooks (a copy is kept); pass {} to go back to the console defaults.
void SetUserInterfaceHooks(const UserInterfaceHooks& hooks);
const UserInterfaceHooks& GetUserInterfaceHooks();

// Console default answer of message boxes while no interface is installed.
void SetDefaultMessageResponse(int response);

// Shows a message box; see the kinds and button sets above. Returns the button
// pressed, always one of the box's own: a window closed without an answer (or
// any other response) counts as No, Cancel, Close or OK by the button set.
int ShowMessage(int kind, int buttons, const char* text);
// OK and Cancel plus one extra button answering extraResponse: returns OK, the
// extra response, or Cancel for anything else (a window closed included).
int ShowMessageSpecial(int kind, const char* text, const char* extraLabel, int extraResponse);

// Opens the waiting window (replacing one that is open); HideWaitingWindow
// closes it if one is open.
void ShowWaitingWindow(const char* title, int cancellable);
// The waiting window as a band over the menu row, for work the layout view
// shows while it runs (the hull of autoscale); closed by HideWaitingWindow.
// Falls back to the whole-screen window when no band is installed.
void ShowWaitingBand(const char* title, int cancellable);
void HideWaitingWindow();
// Sets the progress note of the open waiting window (nothing without one).
void SetWaitingWindowText(const char* text);

// On-screen keyboard; without a user interface it answers Cancel (0) and leaves
// the text as it is. Returns 0 as well when the prompt is missing.
int ShowKeyboard(std::string& text, const char* prompt);

// Number pad; without a user interface it returns the value of text.
// title (or null) names the field and its unit, for example "Width (in.)".
double NumberEntry(const char* text, int decimalAllowed, int angleMode,
                   const char* title = nullptr);

// Drains pending screen events (does nothing without a user interface).
void ProcessPendingEvents();

// Progress window: created with a title, pulsed, relabelled and closed. The
// window returned is owned by the caller until CloseStatusWindow.
StatusWindow* CreateStatusWindow(const char* title);
void UpdateStatusWindow(StatusWindow* window);
void StatusWindowSetText(StatusWindow* window, const char* text);
void CloseStatusWindow(StatusWindow* window);
