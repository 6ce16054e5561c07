// Helpers of the window tests: the toolkit, the main window, a scripted
// responder, finding widgets, and clicks through the X server or xdotool.
#pragma once

#include <gtk/gtk.h>

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "support/temp_dir.h"

// Starts GTK once, with the built-in 320 x 240 screen sizes and the pointer
// off that screen. False when there is no display.
bool EnsureGtk();

// Parses a GTK style file and restyles the widgets; returns what GTK
// complained about meanwhile ("" when the file is there and clean).
std::string ParseStyleFile(const std::string& path);

// While it lives the working directory is a program folder of its own (images
// linked in, patterns/) and the system paths lie below a root with tmp/.
struct TestFolder {
    TestFolder();
    ~TestFolder();
    TempDir folder, root;
    std::string oldDir;
};

// Runs pending events until none is left.
void Drain();

// Runs the main loop until predicate is true or timeoutMs passed.
template <typename Predicate>
bool WaitFor(Predicate predicate, int timeoutMs = 5000) {
    const gint64 end = g_get_monotonic_time() + static_cast<gint64>(timeoutMs) * 1000;
    while (!predicate()) {
        if (g_get_monotonic_time() > end) return false;
        gtk_events_pending() ? (void)gtk_main_iteration() : g_usleep(2000);
    }
    return true;
}

// Shows the main window (the record made when missing), with the menu row
// when asked; DropMainWindow destroys it and resets the record.
void MakeMainWindow(bool withMenuRow = false);
void DropMainWindow();

struct ShownMessage {
    int kind;
    int buttons;
    std::string text;
};

// While it lives (over the hooks installed before it), answers the messages
// from `answers` (OK when empty), the keyboard from `keyboard` (Cancel when
// empty) and the number pad from `numbers` (the starting text when empty),
// recording what each showed.
struct ScriptedResponder {
    ScriptedResponder();
    ~ScriptedResponder();
    std::deque<int> answers;
    std::deque<std::string> keyboard;
    std::deque<double> numbers;
    std::vector<ShownMessage> shown;
    std::vector<std::string> prompts;        // keyboard prompts
    std::vector<std::string> numberTexts;    // starting texts of the number pad
    std::vector<std::string> Texts() const;  // of the messages, in order
};

// The visible toplevel window with this widget name; below root (depth first,
// root included) the first widget with this name, every widget of this type,
// the first button with this label (or label child). Null when none.
GtkWidget* FindToplevel(const char* name);
GtkWidget* FindNamed(GtkWidget* root, const char* name);
std::vector<GtkWidget*> WidgetsOfType(GtkWidget* root, GType type);
GtkWidget* FindButton(GtkWidget* root, const char* label);

// Steps played while a modal window runs its own loop: step i on the i-th tick
// (every 30 ms) once the window named windowName is shown. A window still open
// 3 seconds after the last step fails the test and is destroyed.
struct Script {
    std::string windowName;
    std::vector<std::function<void(GtkWidget* window)>> steps;
    size_t next = 0;
    int idleTicks = 0;
    guint source = 0;
};
void StartScript(Script* script);
void StopScript(Script* script);

// Runs steps inside the file chooser's modal loop once it is open.
void InsideNextChooser(std::function<void()> steps);

// A press and release through the X server on the widget, or at (x, y)
// pixels of its window, handled before it returns.
void Click(GtkWidget* widget);
void TapAt(GtkWidget* widget, int x, int y);

// Clicks the widget's centre with the real pointer through xdotool, waiting
// for it unless asked not to; false when it could not run.
bool XdotoolClick(GtkWidget* widget, bool wait = true);
