// The touch-target check over the controls on the screen, and the comparison
// of a picture with a reference picture kept in tests/data.
#pragma once

#include <gtest/gtest.h>
#include <gtk/gtk.h>

#include <string>

// The smallest touch target, in pixels of its smaller dimension, at the
// configured screen size: 24 on the 320 x 240 screen, 40 on larger ones.
int TouchTargetMinimum();

// Controls (buttons, entries, sliders, menu rows, a list's rows) of the shown
// windows that are cut off by the screen's or their window's edge, or smaller
// than TouchTargetMinimum(), one line each starting with "place: "; "" when none.
std::string SmallTouchTargets(const std::string& place);

// Compares a picture (taken over; null: the top-left screen_width x
// screen_height of the screen) with tests/data/<name>.png: at most 0.05 % of
// the pixels may differ by more than a little. Writes <name>.actual.png into
// the build's tests folder when they differ (or there is no reference yet).
::testing::AssertionResult LooksLike(const std::string& name, GdkPixbuf* picture = nullptr);
