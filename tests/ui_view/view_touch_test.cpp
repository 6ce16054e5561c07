// The real layout view driven by pointer presses through xdotool: the long
// press that opens the pop-up, swipes between boxes, panning, and moving with
// a drag and with the direction pad.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cmath>

#include "app/application_state.h"
#include "app/system_paths.h"
#include "layout/layout_tree.h"
#include "layout/pattern_box.h"
#include "layout/view_gestures.h"
#include "machine/machine_parameters.h"
#include "ui/view_interaction.h"
#include "view_ui_fixture.h"

namespace {

struct PopupCall {
    int count = 0;
    int x = 0, y = 0;
} popup;

struct ViewTouch : ViewScreen {
    void SetUp() override {
        ViewScreen::SetUp();
        if (IsSkipped()) return;
        popup = {};
        showPatternPopup = [](int x, int y) {
            popup.count++;
            popup.x = x;
            popup.y = y;
            menuReady = 0;
        };
        MakeRectBox(2, 2, 30, 12);
        MakeRectBox(2, 14, 30, 5);
        interface->currentPatternBox = 0;
        star = LoadPath(Star(2, 5));
        node = NewPatternLayoutNode(star, -1, 0, 10, 4);
        ShowLayoutView();
        W = interface->drawingArea->allocation.width;
        H = interface->drawingArea->allocation.height;
    }

    // A press at (x, y) that moves by (dx, dy) in `steps` steps of about 30 ms
    // each (slowly: about 100 pixels per second), then holds for ms milliseconds.
    void Drag(int x, int y, int dx, int dy, int steps, int ms) {
        PointerTo(x, y);
        Pump(20);
        Press();
        Pump(30);
        for (int i = 1; i <= steps; i++) {
            PointerTo(x + dx * i / steps, y + dy * i / steps);
            Pump(30);
        }
        Pump(ms);
        Release();
        Pump(60);
    }

    int star = -1;
    LayoutNode* node = nullptr;
    int W = 0, H = 0;
};

TEST_F(ViewTouch, ALongPressOpensThePopupAtThePressUnlessTheFingerDrifts15Pixels) {
    // Held still for 1.2 s: the hint shows before the release, the pop-up after.
    PointerTo(100, 80);
    Pump(20);
    Press();
    Pump(1200);
    EXPECT_EQ(menuReady, 1);
    EXPECT_EQ(popup.count, 0);
    Release();
    Pump(60);
    EXPECT_EQ(popup.count, 1);
    EXPECT_EQ(popup.x, 100);
    EXPECT_EQ(popup.y, 80);

    Drag(100, 80, 14, 0, 1, 1200);  // 14 pixels of drift still count as still
    EXPECT_EQ(popup.count, 2);
    Drag(100, 80, 9, 12, 1, 1200);  // 15 pixels do not
    EXPECT_EQ(popup.count, 2);
    EXPECT_EQ(menuReady, 0);
    Drag(100, 80, 0, 0, 1, 300);  // a short tap does not
    EXPECT_EQ(popup.count, 2);
    command = kModeSpeed;  // nor a long press during a run
    Drag(100, 80, 0, 0, 1, 1200);
    EXPECT_EQ(popup.count, 2);
}

TEST_F(ViewTouch, FastHorizontalSwipesStepBetweenBoxesSlowDragsPan) {
    Gesture(250, 100, -150, 4);  // fast to the left: the next box
    EXPECT_EQ(interface->currentPatternBox, 1);
    Gesture(100, 100, 150, 0);  // past the last box nothing changes
    EXPECT_EQ(interface->currentPatternBox, 0);
    Gesture(100, 100, 150, 0);  // no box before the first
    EXPECT_EQ(interface->currentPatternBox, 0);
    Gesture(250, 100, -150, 30);  // too steep
    EXPECT_EQ(interface->currentPatternBox, 0);

    // The corner arrow at the top right steps too.
    Gesture(W - 10, 10, 0, 0);
    EXPECT_EQ(interface->currentPatternBox, 1);
    Gesture(10, 10, 0, 0);
    EXPECT_EQ(interface->currentPatternBox, 0);

    // In pan mode a slow drag pans by the pixels dragged.
    menuViewPan(nullptr, nullptr);
    EXPECT_STREQ(statusBar, "Drag To Pan");
    const int startX = panX, startY = panY;
    Drag(100, 100, 40, 20, 10, 100);
    EXPECT_EQ(panX - startX, 40);
    EXPECT_EQ(panY - startY, 20);
    EXPECT_EQ(interface->currentPatternBox, 0);
    EXPECT_EQ(interface->measureLine, nullptr);  // released with the drag
}

TEST_F(ViewTouch, TheDirectionPadMovesByTheIncrementAndDragsInsideItMoveNothing) {
    moveIncrement = 0.25f;
    menuEditMove(nullptr, nullptr);
    EXPECT_EQ(command, kModeMoveAll);
    struct stat info;
    EXPECT_EQ(stat((SystemPath("/tmp/undo") + ".qlf").c_str(), &info), 0);  // undo point

    const PadGeometry pad = PadForIconStyle(0);
    int x = 0, y = 0;
    ASSERT_TRUE(PadImageOrigin(kPadUp, W, H, pad, &x, &y));
    Gesture(x + pad.s / 2, y + pad.s / 2, 0, 0);
    EXPECT_FLOAT_EQ(node->x, 10);
    EXPECT_FLOAT_EQ(node->y, 3.75f);  // exactly one increment up
    ASSERT_TRUE(PadImageOrigin(kPadRight, W, H, pad, &x, &y));
    Gesture(x + 5, y + 5, 0, 0);
    EXPECT_FLOAT_EQ(node->x, 10.25f);

    // A drag between the pad images moves nothing.
    int ox = 0, oy = 0;
    PadImageOrigin(kPadOk, W, H, pad, &ox, &oy);
    Drag(ox - 3, oy - 20, 0, 15, 5, 100);
    EXPECT_FLOAT_EQ(node->x, 10.25f);
    EXPECT_FLOAT_EQ(node->y, 3.75f);

    // A drag outside it moves every pattern of the box by the distance dragged.
    const float scale = interface->viewScale;
    Drag(60, 60, 20, 0, 10, 100);
    EXPECT_NEAR(node->x, 10.25f + 20 * scale, 1e-4);
    EXPECT_FLOAT_EQ(node->y, 3.75f);

    // OK ends the mode.
    Gesture(ox + 5, oy + 5, 0, 0);
    EXPECT_EQ(command, kModeNone);
    EXPECT_STREQ(statusBar, "");
}

}  // namespace
