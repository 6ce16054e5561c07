// The touch-target check every screen test shares: a walk over the controls
// (buttons, entries, sliders, lists, menu rows) that reports each one lying
// partly off the screen or outside its own window, or smaller than a finger
// in its smaller dimension; and the comparison of a picture with a reference
// picture kept in tests/data.
#pragma once

#include <gtest/gtest.h>
#include <gtk/gtk.h>

#include <string>

// The smallest touch target, in pixels of its smaller dimension, at the
// configured screen size: 24 on the 320 x 240 screen, 40 on larger ones.
int TouchTargetMinimum();

// Controls below root (root included; every visible toplevel window when root
// is null) that are shown and cut off by the screen's or their window's edge,
// or smaller than TouchTargetMinimum(), one line each starting with "place: "
// ("" when all pass). A tree view counts by its rows. Below a root, meeting no
// control at all is reported too.
std::string SmallTouchTargets(GtkWidget* root, const std::string& place);

// Compares a picture (taken over; null: the top-left screen_width x
// screen_height of the screen) with tests/data/<name>.png: at most 0.05 % of
// the pixels may differ by more than a little. Writes <name>.actual.png into
// the build's tests folder when they differ (or there is no reference yet).
::testing::AssertionResult LooksLike(const std::string& name, GdkPixbuf* picture = nullptr);
