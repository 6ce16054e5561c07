// Shared helpers of the menu, keyboard and number-pad tests: the toolkit is
// started once per program on the X server that the test runner provides.
#pragma once

#include <gtk/gtk.h>

#include <string>
#include <vector>

// Starts GTK once; returns false when no display is available.
bool EnsureGtk();

// Runs the toolkit until no events are pending.
void PumpEvents();

// Text of a menu item's label ("-" for a separator, "" when it has none).
std::string MenuItemText(GtkWidget* item);

// Labels of a menu's children in order.
std::vector<std::string> MenuTexts(GtkWidget* menu);

#include <functional>

// The toplevel window with the given widget name, or null.
GtkWidget* FindToplevel(const char* name);

// The first widget below root (depth first) with the given widget name, or null.
GtkWidget* FindNamed(GtkWidget* root, const char* name);

// The first button below root whose label is exactly label, or null.
GtkWidget* FindButton(GtkWidget* root, const char* label);

// A script of steps played from the main loop while a modal window runs its
// own loop: step i runs on the i-th tick (every 30 ms) once the window named
// windowName is on the screen. When the window is still open 3 seconds after
// the last step, it is destroyed so a broken test cannot hang.
struct Script {
    std::string windowName;
    std::vector<std::function<void(GtkWidget* window)>> steps;
    size_t next = 0;
    int idleTicks = 0;
    guint source = 0;
};
void StartScript(Script* script);
void StopScript(Script* script);

// Clicks the widget with a synthesized pointer press and release through the
// X server, as a finger on the touch screen would.
void Click(GtkWidget* widget);

// Clicks at the widget's centre with xdotool (the real pointer), and waits for
// xdotool to finish. Returns false when xdotool could not run.
bool XdotoolClick(GtkWidget* widget);
