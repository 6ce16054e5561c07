// Helpers of the view tests: the toolkit started once, the real main window
// with the menu row and the layout view in a program folder of its own,
// generated patterns, pointer input through xdotool, and screenshots of the
// view compared with reference images.
#pragma once

#include <gtest/gtest.h>
#include <gtk/gtk.h>

#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "layout/geometry.h"
#include "support/temp_dir.h"

// Starts the toolkit once on an X server of this test program's own (the
// pointer is not shared with other test programs) with the built-in 320 x 240
// sizes; false without a display.
bool EnsureViewGtk();

// Runs pending events until none is left, then for at least `ms` milliseconds more.
void Pump(int ms = 0);

// A fresh program folder (images linked in, system paths below it), a main
// window with menu bar and toolbar, empty layout tables and the view installed.
struct ViewScreen : ::testing::Test {
    void SetUp() override;
    void TearDown() override;

    // Shows the layout view and waits until it is drawn.
    void ShowLayoutView();
    // A pattern along the points (inches) in a free slot; returns the slot.
    static int LoadPath(const std::vector<QuiltPoint>& points);
    // A rectangular box from (x, y), w x h inches; returns its slot.
    static int MakeRectBox(float x, float y, float w, float h);
    // The drawing area's picture as it is on the screen.
    GdkPixbuf* Capture() const;
    // Root-window position of a view pixel.
    void ToRoot(int x, int y, int* rx, int* ry) const;
    // Pointer input through xdotool at view pixels.
    void PointerTo(int x, int y) const;
    void Press() const;
    void Release() const;
    // Redraws the view now.
    void Redraw() const;

    std::unique_ptr<TempDir> folder;
    std::string oldDir;
};

// Generated sample patterns (inches, from the origin).
std::vector<QuiltPoint> Meander(float width, float height, int loops);
std::vector<QuiltPoint> Star(float radius, int tips);

// Runs xdotool with the arguments; true when it succeeded.
bool Xdotool(const std::vector<std::string>& args);

// Compares a picture with a reference PNG of tests/data: the share of pixels
// whose colour differs by more than 48 in a channel. Writes the picture next
// to the test's folder as NAME.actual.png when the reference is missing or the
// share exceeds `tolerance`.
::testing::AssertionResult LooksLike(GdkPixbuf* picture, const std::string& name,
                                     double tolerance = 0.0005);
