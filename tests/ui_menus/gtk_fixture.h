// Shared helpers of the menu, keyboard and number-pad tests: the toolkit is
// started once per program on the X server that the test runner provides.
#pragma once

#include <gtk/gtk.h>

#include <string>
#include <vector>

// Starts GTK once; returns false when no display is available.
bool EnsureGtk();

// Runs the toolkit until no events are pending.
void DrainEvents();

// Text of a menu item's label ("-" for a separator, "" when it has none).
std::string MenuItemText(GtkWidget* item);

// Labels of a menu's children in order.
std::vector<std::string> MenuTexts(GtkWidget* menu);
