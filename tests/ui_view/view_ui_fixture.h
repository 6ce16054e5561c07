// The view tests' screen: the real main window with the menu row on an X
// server of the test program's own, in a program folder of its own (images
// linked in, system paths below it), with pointer input through xdotool and
// screenshots of the view compared with reference pictures of tests/data.
#pragma once

#include <gtk/gtk.h>

#include <memory>
#include <string>

#include "layout_view/view_fixture.h"
#include "support/temp_dir.h"
#include "support_ui/ui_fixture.h"

struct ViewScreen : ViewTest {
    void SetUp() override;
    void TearDown() override;

    // Shows the layout view (measuring a 40 x 20 table first when none is).
    void ShowLayoutView();
    // The drawing area's picture as it is on the screen, after a redraw.
    GdkPixbuf* Capture() const;
    // Redraws the view now.
    void Redraw() const;
    // Pointer input at view pixels; Pump runs the main loop for ms milliseconds.
    void PointerTo(int x, int y) const;
    void Press() const;
    void Release() const;
    // A whole gesture in one xdotool run, so its timing does not depend on how
    // fast programs start: press at (x, y), move by (dx, dy), release.
    void Gesture(int x, int y, int dx, int dy) const;
    static void Pump(int ms);

    std::unique_ptr<TempDir> folder;
    std::unique_ptr<ScriptedResponder> responder;
    std::string oldDir;
};

// Compares a picture with tests/data/NAME.png: fails when more than `tolerance`
// of the pixels differ by more than 48 in a channel, and then (or without a
// reference) writes the picture to the build's tests folder as NAME.actual.png.
::testing::AssertionResult LooksLike(GdkPixbuf* picture, const std::string& name,
                                     double tolerance = 0.0005);
