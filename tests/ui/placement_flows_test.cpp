// Automatic placement driven as the quilter drives it: SMARTSCALE from the
// scale dialog cancelled in its waiting band, Autofill from the pop-up and from
// the Edit menu's tool; and Edit > Nest against the simulated board, through
// both nesting screens.
#include <gdk/gdk.h>

#include <string>

#include "app/crash_recovery.h"
#include "base/application_state.h"
#include "base/program_settings.h"
#include "base/ui_hooks.h"
#include "layout/layout_file.h"
#include "layout/layout_selection.h"
#include "layout/layout_tree.h"
#include "layout/placement/autofill.h"
#include "layout/placement/hull_bounce.h"
#include "layout/view_gestures.h"
#include "layout/view_transform.h"
#include "machine/nesting.h"
#include "machine/serial_link.h"
#include "popup_fixture.h"
#include "support/mc1sim_fixture.h"
#include "ui/gtk_interface.h"
#include "ui/interface.h"
#include "ui/menu.h"
#include "ui/message_windows.h"
#include "ui/nesting_screens.h"
#include "ui/pattern_popup.h"
#include "ui/placement_actions.h"
#include "ui/transform_dialogs.h"

namespace {

// What the wrapped drain saw while an operation ran, and what it does there.
struct Watch {
    bool sawHull = false;
    uint32_t maskWhileRunning = 0;
    bool cancelOnHull = false;  // presses the waiting window's Cancel once the hull shows
    bool cancelled = false;
};
Watch watch;
UserInterfaceHooks scripted;  // the responder's hooks, which the wrappers call on

void PressCancel() {
    if (watch.cancelled || !waitWindow) return;
    watch.cancelled = true;
    Click(waitWindow->cancelButton);
}

class PlacementFlows : public PopupTest {
protected:
    void SetUp() override {
        PopupTest::SetUp();
        if (!interface) return;
        Settings().xMargin = Settings().yMargin = 0;
        watch = Watch{};
        // The responder answers the messages; the waiting window and the
        // event draining are the program's own.
        responderHooks = GetUserInterfaceHooks();
        InstallGtkInterface();
        scripted = GetUserInterfaceHooks();
        scripted.showMessage = responderHooks.showMessage;
        scripted.showMessageSpecial = responderHooks.showMessageSpecial;
        scripted.showKeyboard = responderHooks.showKeyboard;
        scripted.numberEntry = responderHooks.numberEntry;
        UserInterfaceHooks hooks = scripted;
        hooks.drainEvents = [] {
            if (scripted.drainEvents) scripted.drainEvents();
            const std::vector<QuiltPoint>* hull = HullOutline();
            if (!hull) return;
            watch.sawHull = true;
            watch.maskWhileRunning = MenuStateMask();
            if (watch.cancelOnHull) PressCancel();
        };
        SetUserInterfaceHooks(hooks);
    }
    void TearDown() override {
        StopScript(&script);
        if (interface) SetUserInterfaceHooks(responderHooks);
        ResetProgramSettings();
        PopupTest::TearDown();
    }
    // Opens the pop-up on a placement whose corner lies at (x, y) inches of a
    // box at the origin (10 pixels per inch).
    void OpenPopupAt(float x, float y) {
        ShowPopupMenu(static_cast<int>(x * 10) + 2, static_cast<int>(y * 10) + 2);
        ASSERT_TRUE(WaitFor([&] { return PopupMenu() != nullptr; }));
    }
    // A tap (press and release through the X server) at (x, y) pixels of a widget.
    static void TapAt(GtkWidget* widget, int x, int y) {
        ASSERT_TRUE(widget && widget->window);
        ASSERT_TRUE(gdk_test_simulate_button(widget->window, x, y, 1, GdkModifierType(0),
                                             GDK_BUTTON_PRESS));
        ASSERT_TRUE(gdk_test_simulate_button(widget->window, x, y, 1, GdkModifierType(0),
                                             GDK_BUTTON_RELEASE));
        gdk_display_sync(gdk_display_get_default());
        Drain();
    }
    int Placements() const {
        int n = 0;
        for (const LayoutNode* p = patternLayout; p; p = p->next)
            n++;
        return n;
    }
    UserInterfaceHooks responderHooks;
    Script script;
};

TEST_F(PlacementFlows, SmartScaleFromTheScaleDialogCancelledWhileItRunsKeepsThePattern) {
    MakeRectBox(0, 0, 30, 20);
    const int slot = LoadPath({{0, 0}, {4, 0}, {4, 2}, {0, 2}});
    LayoutNode* n = NewPatternLayoutNode(slot, -1, 0, 5, 5);
    const Pattern* p = GetPattern(slot);

    // Cancelled while the hull is bounced: nothing changes, the menus come back.
    watch.cancelOnHull = true;
    responder->answers = {kResponseYes};
    OpenPopupAt(5, 5);
    script.windowName = kScaleDialogTitle;
    script.steps = {[](GtkWidget* w) { Click(FindNamed(w, "SmartScale")); }};
    StartScript(&script);
    Choose("Scale");
    StopScript(&script);
    EXPECT_TRUE(watch.cancelled);
    EXPECT_EQ(responder->Texts(), std::vector<std::string>{"KEEP PATTERN PROPORTIONS?"});
    EXPECT_FLOAT_EQ(p->width, 4);
    EXPECT_FLOAT_EQ(n->x, 5);
    EXPECT_EQ(MenuStateMask(), kLayoutViewMenuMask);
    EXPECT_EQ(waitWindow, nullptr);
}

TEST_F(PlacementFlows, AutofillFromThePopupAndTheEditToolCancelBringsTheLayoutBack) {
    MakeRectBox(0, 0, 25, 12);
    const int slot = LoadPath({{0, 0}, {10, 0}, {10, 10}, {0, 10}});
    NewPatternLayoutNode(slot, -1, 0, 3, 1);

    // Cancelled in the waiting window: the undo layout is back.
    watch.cancelOnHull = true;
    responder->answers = {kResponseYes};
    OpenPopupAt(3, 1);
    Choose("Copies/Autofill");
    EXPECT_TRUE(watch.cancelled);
    ASSERT_EQ(Placements(), 1);
    EXPECT_EQ(patternLayout->arrayIndex, -1);
    EXPECT_FLOAT_EQ(patternLayout->x, 3);
    EXPECT_FLOAT_EQ(GetPattern(patternLayout->patternIndex)->width, 10);
    EXPECT_EQ(MenuStateMask(), kLayoutViewMenuMask);

    // From the pop-up to the end: two across, grown into the box and centred.
    watch = Watch{};
    responder->answers = {kResponseYes};
    responder->shown.clear();
    OpenPopupAt(3, 1);
    Choose("Copies/Autofill");
    EXPECT_EQ(responder->Texts(), std::vector<std::string>{kAutofillQuestion});
    EXPECT_EQ(watch.maskWhileRunning, kPlacementBusyMask);
    ASSERT_EQ(Placements(), 2);
    const ArrayNode* array = GetArrayNode(patternLayout->arrayIndex);
    ASSERT_NE(array, nullptr);
    EXPECT_EQ(array->across, 2);
    EXPECT_EQ(array->down, 1);
    const Pattern* p = GetPattern(patternLayout->patternIndex);
    EXPECT_GT(p->height, 11);  // 10 x 10 grown toward the box height of 12
    EXPECT_LE(p->height, 12.001);
    EXPECT_NEAR(patternLayout->next->x - patternLayout->x, p->width, 1e-3);
    EXPECT_NEAR((patternLayout->x + patternLayout->next->x + p->width) / 2, 12.5, 0.05);

    // The Edit menu's tool: armed, then a tap on a pattern autofills it; an
    // arrayed one is refused.
    ClearLayout();
    InitArrays();
    MakeRectBox(0, 0, 30, 20);
    const int small = LoadPath({{0, 0}, {10, 0}, {10, 10}, {0, 10}});
    NewPatternLayoutNode(small, -1, 0, 11, 4);
    MenuBar* menus = MenuRecord();
    ASSERT_TRUE(menus && menus->items[kItemAutofill]);
    ASSERT_TRUE(gtk_widget_is_sensitive(menus->items[kItemAutofill]));
    gtk_menu_item_activate(GTK_MENU_ITEM(menus->items[kItemAutofill]));
    Drain();
    EXPECT_EQ(command, kModeAutofill);
    EXPECT_STREQ(statusBar, "Select Pattern Autofill");
    responder->answers = {kResponseNo};
    responder->shown.clear();
    ClearCrashRecoveryImage();
    TapAt(interface->drawingArea, 160, 90);  // inside the pattern at (11 … 21, 4 … 14)
    EXPECT_EQ(command, kModeNone);
    // The tap's handling ended with the array in the recovery image.
    const std::string image = folder.File("image.qlf");
    ASSERT_EQ(FinishCrashRecovery(image.c_str()), 1);
    EXPECT_EQ(ReadFileText(image), SerializeLayout());
    EXPECT_EQ(responder->Texts(), std::vector<std::string>{kAutofillQuestion});
    ASSERT_EQ(Placements(), 6);  // 30 x 20 takes three across, two down
    EXPECT_GE(patternLayout->arrayIndex, 0);
    gtk_menu_item_activate(GTK_MENU_ITEM(menus->items[kItemAutofill]));
    Drain();
    responder->shown.clear();
    TapAt(interface->drawingArea, 60, 120);
    EXPECT_EQ(responder->Texts(), std::vector<std::string>{kArrayedRefusal});
    EXPECT_EQ(Placements(), 6);
}

// The quilter at the simulated board: the head pushed to each mark when its
// message shows.
const Mc1Sim* board = nullptr;
std::vector<std::string> marksShown;

int PushToMarks(int, int, const char* text) {
    marksShown.push_back(text);
    const struct {
        const char* message;
        const char* push;  // thousandths of an inch
    } pushes[] = {
        {NestingStep(kNestLowerLeft).message, "push 1000 12000"},
        {NestingStep(kNestLowerRight).message, "push 20000 0"},
        // Rolled 8 inches back and 0.25 to the right, and turned by 0.01 rad.
        {NestingStep(kNestFirstMark).message, "push -19750 -8000"},
        {NestingStep(kNestSecondMark).message, "push 19999 200"},
    };
    for (const auto& p : pushes)
        if (std::string(text) == p.message) SimControl(*board, p.push);
    return kResponseOk;
}

// Whether a view shows a dark (pattern) pixel within two pixels of (x, y).
bool DarkNear(GtkWidget* view, double x, double y) {
    Drain();
    GdkPixbuf* shot = gdk_pixbuf_get_from_drawable(nullptr, view->window, nullptr, 0, 0, 0, 0,
                                                   view->allocation.width, view->allocation.height);
    if (!shot) return false;
    const int n = gdk_pixbuf_get_n_channels(shot), stride = gdk_pixbuf_get_rowstride(shot);
    const guchar* pixels = gdk_pixbuf_get_pixels(shot);
    bool dark = false;
    for (int dy = -2; dy <= 2; dy++)
        for (int dx = -2; dx <= 2; dx++) {
            const int px = static_cast<int>(x) + dx, py = static_cast<int>(y) + dy;
            if (px < 0 || py < 0 || px >= view->allocation.width || py >= view->allocation.height)
                continue;
            const guchar* p = pixels + py * stride + px * n;
            if (p[0] < 80 && p[1] < 80 && p[2] < 80) dark = true;
        }
    g_object_unref(shot);
    return dark;
}

TEST_F(PlacementFlows, NestFollowsTheMarksAndTheHeadOnTheSimulatedBoard) {
    Mc1Sim sim;
    ASSERT_TRUE(sim.running) << sim.error;
    board = &sim;
    SetSerialDevicePath(sim.device);
    ASSERT_GE(OpenPort(), 0);
    const int boxSlot = MakeRectBox(1, 2, 20, 10);
    PatternBox* box = GetPatternBox(boxSlot);
    const int slot = LoadPath({{0, 0}, {2, 0}, {2, 1}, {0, 1}});
    LayoutNode* node = NewPatternLayoutNode(slot, -1, 0, 3, 4);
    UserInterfaceHooks hooks = GetUserInterfaceHooks();
    hooks.showMessage = PushToMarks;
    SetUserInterfaceHooks(hooks);
    MenuBar* menus = MenuRecord();
    ASSERT_TRUE(menus && menus->items[kItemNest]);
    ASSERT_TRUE(gtk_widget_is_sensitive(menus->items[kItemNest]));

    // Through the marks, the nesting-point screen, and the nesting screen where
    // the head is pushed half an inch to the right before OK.
    bool pointScreenShown = false, nestingScreenShown = false;
    Script point;
    point.windowName = kNestPointScreenName;
    point.steps = {[&](GtkWidget* w) {
                       pointScreenShown = true;
                       GtkWidget* view = FindNamed(w, kNestPointViewName);
                       // The pattern's first edge on the table, not beside it.
                       const float scale = ViewScale();
                       const float edgeX = box->x + node->x + 1, edgeY = box->y + node->y;
                       EXPECT_TRUE(DarkNear(view, edgeX / scale, edgeY / scale));
                       EXPECT_FALSE(DarkNear(view, edgeX / scale, (edgeY + 0.5f) / scale));
                       TapAt(view, 10, 10);  // above the strip: nothing
                   },
                   [&](GtkWidget* w) {
                       GtkWidget* view = FindNamed(w, kNestPointViewName);
                       TapAt(view, view->allocation.width - 20, view->allocation.height - 5);
                   }};
    StartScript(&point);
    script.windowName = kNestingScreenName;
    script.steps = {[&](GtkWidget* w) {
                        nestingScreenShown = true;
                        // The box fills the view with half an inch around it.
                        GtkWidget* view = FindNamed(w, kNestingViewName);
                        const float scale = ViewScale();
                        EXPECT_NEAR(scale, 21.0f / view->allocation.width, 1e-3);
                        const float edgeX = node->x + 1.5f, edgeY = node->y + 0.5f;
                        EXPECT_TRUE(DarkNear(view, edgeX / scale, edgeY / scale));
                        EXPECT_FALSE(DarkNear(view, edgeX / scale, (edgeY + 0.5f) / scale));
                        SimControl(sim, "push 500 0");
                    },
                    [&](GtkWidget* w) {
                        GtkWidget* view = FindNamed(w, kNestingViewName);
                        TapAt(view, view->allocation.width - 20, view->allocation.height - 5);
                    }};
    StartScript(&script);
    gtk_menu_item_activate(GTK_MENU_ITEM(menus->items[kItemNest]));
    Drain();
    StopScript(&point);
    StopScript(&script);
    EXPECT_TRUE(pointScreenShown);
    EXPECT_TRUE(nestingScreenShown);
    // Marks: 0.25 right and the height less 8 inches down; the screen: 0.5 right.
    EXPECT_NEAR(box->x, 1.75f, 1e-3);
    EXPECT_NEAR(box->y, 4, 1e-3);
    EXPECT_NEAR(GetPattern(node->patternIndex)->width, 2.0099f, 2e-4);  // turned by 0.01
    EXPECT_EQ(runCapture, 0);
    EXPECT_EQ(FindToplevel(kNestingScreenName), nullptr);

    // The board stops answering while the nesting-point screen shows: the
    // nesting screen cannot know where the head starts from, so it does not
    // open; the box stays where the marks put it.
    marksShown.clear();
    nestingScreenShown = false;
    Script silenced;
    silenced.windowName = kNestPointScreenName;
    silenced.steps = {[&](GtkWidget* w) {
        SimControl(sim, "silence on");
        GtkWidget* view = FindNamed(w, kNestPointViewName);
        TapAt(view, 5, view->allocation.height - 5);
    }};
    StartScript(&silenced);
    StartScript(&script);
    gtk_menu_item_activate(GTK_MENU_ITEM(menus->items[kItemNest]));
    Drain();
    StopScript(&silenced);
    StopScript(&script);
    EXPECT_FALSE(nestingScreenShown);
    ASSERT_EQ(marksShown.size(), 8u);
    EXPECT_EQ(marksShown.back(), kNestCommunicationsError);
    EXPECT_NEAR(box->x, 2, 1e-3);
    EXPECT_NEAR(box->y, 6, 1e-3);

    ClosePort();
    SetSerialDevicePath("");
}

}  // namespace
