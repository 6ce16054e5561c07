// Helpers of the start-up and screen tests: the toolkit started once, a main
// window with the interface record, a scripted message responder, synthetic
// clicks with xdotool, and running the real program as a child process.
#pragma once

#include <gtk/gtk.h>

#include <deque>
#include <string>
#include <vector>

// Starts the toolkit once with the built-in 320 x 240 screen sizes; false
// without a display.
bool EnsureGtk();

// Runs pending events until none is left.
void Drain();

// Runs the main loop until predicate is true or timeoutMs passed; returns the
// predicate's last value.
template <typename Predicate>
bool WaitFor(Predicate predicate, int timeoutMs = 5000) {
    gint64 end = g_get_monotonic_time() + static_cast<gint64>(timeoutMs) * 1000;
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

// Creates the interface record (when missing) with a main window and its
// vertical main box, shown at (0, 0).
void MakeMainWindow();

// Destroys the current screen and the main window and drops the record.
void DropMainWindow();

// One message shown through the seam.
struct ShownMessage {
    int kind;
    int buttons;
    std::string text;
};

// Answers message boxes from a queue (OK when empty) and records each one.
struct ScriptedResponder {
    ScriptedResponder();
    ~ScriptedResponder();
    std::deque<int> answers;
    std::vector<ShownMessage> shown;
};

// Clicks the middle of the widget with a real pointer click through xdotool,
// started without waiting, so a modal loop can take the click.
void ClickWithXdotool(GtkWidget* widget);

// Runs a program with arguments in a folder; standard output and error go to
// the returned texts. `whileRunning` is called every 50 ms while the child
// runs (for answering its windows). Returns the wait status.
struct ChildResult {
    int status = -1;
    std::string out;
    std::string err;
};
ChildResult RunProgram(const std::vector<std::string>& args, const std::string& folder,
                       int timeoutMs, void (*whileRunning)() = nullptr);

// Path of the program built from this repository.
std::string LongarmPath();
