// Helpers of the window tests: the toolkit, the main window, a scripted
// responder for messages, the keyboard and the number pad, finding widgets,
// and clicks through the X server or with xdotool.
#pragma once

#include <gtk/gtk.h>

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "support/temp_dir.h"

// Starts GTK once on the display the tests are given (the window tests take
// turns with it), with the built-in 320 x 240 screen sizes and the pointer
// off that screen. False when there is no display.
bool EnsureGtk();

// Parses a GTK style file and restyles the widgets; returns what GTK
// complained about meanwhile ("" when the file is there and clean).
std::string ParseStyleFile(const std::string& path);

// While it lives the working directory is a program folder of its own, with
// the images linked in and patterns/, and the fixed system paths lie below a
// root folder of its own, with tmp/.
struct TestFolder {
    TestFolder();
    ~TestFolder();
    TempDir folder, root;
    std::string oldDir;
};

// Runs pending events until none is left.
void Drain();

// Runs the main loop until predicate is true or timeoutMs passed; returns the
// predicate's last value.
template <typename Predicate>
bool WaitFor(Predicate predicate, int timeoutMs = 5000) {
    const gint64 end = g_get_monotonic_time() + static_cast<gint64>(timeoutMs) * 1000;
    while (!predicate()) {
        if (g_get_monotonic_time() > end) return false;
        if (gtk_events_pending()) {
            gtk_main_iteration();
        } else {
            g_usleep(2000);
        }
    }
    return true;
}

// Creates the interface record (when missing) and shows the main window of
// the screen size at (0, 0), with the menu bar and toolbar row when asked.
void MakeMainWindow(bool withMenuRow = false);

// Destroys the current screen and the main window and resets the record.
void DropMainWindow();

// One message shown through the seam.
struct ShownMessage {
    int kind;
    int buttons;
    std::string text;
};

// While it lives (over the hooks installed before it), answers every
// message box from `answers` (OK when empty),
// the keyboard from `keyboard` (Cancel when empty) and the number pad from
// `numbers` (Cancel, i.e. the value of the starting text, when empty),
// recording each text, prompt and starting number shown.
struct ScriptedResponder {
    ScriptedResponder();
    ~ScriptedResponder();
    std::deque<int> answers;
    std::deque<std::string> keyboard;
    std::deque<double> numbers;
    std::vector<ShownMessage> shown;
    std::vector<std::string> prompts;       // keyboard prompts
    std::vector<std::string> numberTexts;   // starting texts of the number pad
    std::vector<std::string> numberTitles;  // its titles ("" for none)
    // Texts of the messages shown, in order.
    std::vector<std::string> Texts() const;
    // True when a message with exactly this text was shown.
    bool Showed(const std::string& text) const;
};

// The visible toplevel window with the given widget name, or null.
GtkWidget* FindToplevel(const char* name);

// The first widget below root (depth first) with the given widget name, or null.
GtkWidget* FindNamed(GtkWidget* root, const char* name);

// Every widget below root (depth first, root included) of the given type.
std::vector<GtkWidget*> WidgetsOfType(GtkWidget* root, GType type);

// The first button below root whose label (or label child) is exactly label, or null.
GtkWidget* FindButton(GtkWidget* root, const char* label);

// A script of steps played from the main loop while a modal window runs its
// own loop: step i runs on the i-th tick (every 30 ms) once the window named
// windowName is on the screen. When the window is still open 3 seconds after
// the last step, the test fails and the window is destroyed so it cannot hang.
struct Script {
    std::string windowName;
    std::vector<std::function<void(GtkWidget* window)>> steps;
    size_t next = 0;
    int idleTicks = 0;
    guint source = 0;
};
void StartScript(Script* script);
void StopScript(Script* script);

// Runs steps from the main loop once the file chooser is open, inside its
// modal loop.
void InsideNextChooser(std::function<void()> steps);

// Clicks the widget with a synthesized press and release through the X
// server, as a finger on the touch screen would, and handles them.
void Click(GtkWidget* widget);

// A tap (press and release through the X server) at (x, y) pixels of a
// widget's window, handled before it returns.
void TapAt(GtkWidget* widget, int x, int y);

// Clicks the widget's centre with the real pointer through xdotool and waits
// for xdotool (without waiting, a modal loop started afterwards or already
// running takes the click); false when it could not run.
bool XdotoolClick(GtkWidget* widget, bool wait = true);
