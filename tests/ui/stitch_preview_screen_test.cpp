// The stitch-out preview screen from the View menu: the estimate beside the
// picture, START only for a path inside the quilt area and leading into the
// toolbar's Start, at 320 x 240 and at the large size.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "base/screen_config.h"
#include "base/ui_hooks.h"
#include "layout/layout_tree.h"
#include "layout/pattern_box.h"
#include "machine/stitching/pattern_run.h"
#include "support/run_layout.h"
#include "support_ui/ui_fixture.h"
#include "ui/menu.h"
#include "ui/stitch_preview_screen.h"

namespace {

// Shows the preview with the steps run on its window; returns the result.
int Preview(std::vector<std::function<void(GtkWidget*)>> steps) {
    Script script{kPreviewScreenName, std::move(steps)};
    StartScript(&script);
    const int result = ShowStitchPreview();
    StopScript(&script);
    return result;
}

std::function<void(GtkWidget*)> Press(const char* button) {
    return [button](GtkWidget* window) {
        GtkWidget* b = FindButton(window, button);
        ASSERT_NE(b, nullptr) << button;
        gtk_button_clicked(GTK_BUTTON(b));
    };
}

TEST(StitchPreviewScreen, ShowsTheEstimateAndStartsOnlyAPathInsideTheArea) {
    ASSERT_TRUE(EnsureGtk());
    MakeMainWindow(true);
    ScriptedResponder responder;
    SetMenuStateMask(kIdleMenuMask);
    EXPECT_TRUE(GTK_WIDGET_SENSITIVE(MenuRecord()->items[kItemPreview]));

    // Two rows of loops 3 inches apart in a 24 x 12 inch quilt area.
    const int box = MakeRunBox();
    extents = std::make_unique<PatternBox>();
    SetPatternBoxCorners(extents.get(), {{0, 0}, {24, 0}, {24, 12}, {0, 12}});
    SetPatternBoxOrigin(extents.get());
    Points loops;
    for (int i = 0; i <= 200; i++) {
        const float t = i * 0.1f;
        loops.emplace_back(t * 0.5f + 0.6f * std::sin(t), 0.6f - 0.6f * std::cos(t));
    }
    PlacePoints(box, loops, 1, 1);
    PlacePoints(box, loops, 1, 5);

    std::string text;
    bool startable = false;
    auto look = [&](GtkWidget* window) {
        GtkWidget* label = FindNamed(window, kPreviewTextName);
        text = label ? gtk_label_get_text(GTK_LABEL(label)) : "";
        startable = GTK_WIDGET_SENSITIVE(FindButton(window, "START"));
    };
    EXPECT_EQ(Preview({look, Press("CLOSE")}), 0);
    EXPECT_NE(text.find("STITCHES"), std::string::npos) << text;
    EXPECT_NE(text.find("1 JUMP, 1 CUT, "), std::string::npos) << text;
    EXPECT_NE(text.find("SPEED 40 FROM THE FACTORY VALUES"), std::string::npos) << text;
    EXPECT_TRUE(startable);

    // START goes on to the toolbar's Start, whose question is cancelled here.
    responder.answers = {kResponseCancel};
    EXPECT_EQ(Preview({Press("START")}), 1);
    ASSERT_FALSE(responder.shown.empty());
    EXPECT_EQ(responder.shown[0].text,
              "THE MACHINE WILL MOVE TO THE START OF THE PATTERN BLOCK AND THE PATTERN WILL "
              "START.");

    // A row that runs off the front of the quilt area: red words, no START.
    PlacePoints(box, loops, 1, 11);
    const int savedWidth = screen_width, savedHeight = screen_height, savedStyle = icon_style;
    screen_width = 800;
    screen_height = 600;
    icon_style = 1;
    EXPECT_EQ(Preview({look, Press("CLOSE")}), 0);
    screen_width = savedWidth;
    screen_height = savedHeight;
    icon_style = savedStyle;
    EXPECT_NE(text.find("OFF THE QUILT AREA: "), std::string::npos) << text;
    EXPECT_NE(text.find("BEYOND THE FRONT EDGE"), std::string::npos) << text;
    EXPECT_FALSE(startable);

    // An empty box says so and shows no picture.
    ClearLayout();
    EXPECT_EQ(ShowStitchPreview(), 0);
    EXPECT_EQ(responder.shown.back().text, "PATTERN BOX IS EMPTY");

    extents.reset();
    MakeRunBox();
    DropMainWindow();
}

}  // namespace
