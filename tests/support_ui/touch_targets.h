// The touch-target check every screen test shares: a walk over the controls
// below a widget (buttons, entries, sliders, lists, menu rows) that reports
// each one lying partly off the screen or outside its own window, or smaller
// than a finger in its smaller dimension; and the comparison of a screenshot
// with a reference picture kept in tests/data.
#pragma once

#include <gtest/gtest.h>
#include <gtk/gtk.h>

#include <string>

// The smallest touch target, in pixels of its smaller dimension, at the
// configured screen size: 24 on the 320 x 240 screen, 40 on larger ones.
int TouchTargetMinimum();

// Controls below root (root included) that are shown and cut off by the
// screen's edge or their window's edge, or smaller than minimum pixels in
// width or height, one readable line each ("" when all pass). A tree view
// counts by its rows. "no control shown" when the walk met no control.
std::string SmallTouchTargets(GtkWidget* root, int minimum);

// The same for every visible toplevel window (dialogs, menus, the main window).
std::string SmallTouchTargetsOnScreen(int minimum);

// Compares the top-left screen_width x screen_height of a screenshot with the
// reference picture tests/data/<name>.png: at most 0.05 % of the pixels may
// differ by more than a little. Writes <name>.actual.png into the build's
// tests folder when they differ (or there is no reference yet).
::testing::AssertionResult LooksLike(const std::string& screenshot, const std::string& name);
// The same for a whole picture (not taken over).
::testing::AssertionResult PictureLooksLike(GdkPixbuf* picture, const std::string& name);
