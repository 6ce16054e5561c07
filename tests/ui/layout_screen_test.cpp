// The layout screen on a real main window: the view against reference
// pictures, the pattern pop-up and its entries, the scale and Repeat dialogs,
// automatic placement and nesting, the stitch-out preview, and the touch walk
// over every menu, dialog and screen.
#include <gdk/gdk.h>
#include <gtest/gtest.h>
#include <gtk/gtk.h>
#include <unistd.h>

#include <cmath>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/crash_recovery.h"
#include "base/program_settings.h"
#include "base/screen_config.h"
#include "base/system_paths.h"
#include "base/ui_hooks.h"
#include "layout/layout_file.h"
#include "layout/layout_selection.h"
#include "layout/layout_tree.h"
#include "layout/placement/autofill.h"
#include "layout/placement/hull_bounce.h"
#include "layout/view_fixture.h"
#include "layout/view_gestures.h"
#include "layout/view_images.h"
#include "layout/view_transform.h"
#include "machine/nesting.h"
#include "machine/serial_link.h"
#include "machine/stitching/pattern_run.h"
#include "pattern/pattern.h"
#include "support/mc1sim_fixture.h"
#include "support/run_layout.h"
#include "support_ui/touch_targets.h"
#include "support_ui/ui_fixture.h"
#include "ui/array_dialog.h"
#include "ui/drawing_area.h"
#include "ui/extents_setup.h"
#include "ui/file_chooser.h"
#include "ui/gtk_interface.h"
#include "ui/interface.h"
#include "ui/keyboard.h"
#include "ui/layout_actions.h"
#include "ui/menu.h"
#include "ui/message_windows.h"
#include "ui/nesting_screens.h"
#include "ui/number_entry.h"
#include "ui/pattern_popup.h"
#include "ui/pattern_select.h"
#include "ui/placement_actions.h"
#include "ui/properties_dialog.h"
#include "ui/screens.h"
#include "ui/setup_screen.h"
#include "ui/startup.h"
#include "ui/stitch_preview_screen.h"
#include "ui/trace_view.h"
#include "ui/transform_dialogs.h"
#include "ui/view_interaction.h"

namespace {

// The pattern pop-up's menu while it is open, or null.
GtkWidget* PopupMenu() {
    GtkWidget* window = FindToplevel(kPopupWindowName);
    GtkWidget* child = window ? gtk_bin_get_child(GTK_BIN(window)) : nullptr;
    return child && GTK_IS_MENU(child) ? child : nullptr;
}

// Text of a menu item's label ("" for none).
std::string MenuItemText(GtkWidget* item) {
    GtkWidget* child = gtk_bin_get_child(GTK_BIN(item));
    return child && GTK_IS_LABEL(child) ? gtk_label_get_text(GTK_LABEL(child)) : "";
}

// A view's picture (the layout view's by default) as it is on the screen, after a redraw.
GdkPixbuf* Capture(GtkWidget* area = nullptr) {
    if (!area) area = interface->drawingArea;
    if (!area || !area->window) return nullptr;
    gdk_window_invalidate_rect(area->window, nullptr, FALSE);
    gdk_window_process_updates(area->window, TRUE);
    gdk_flush();
    Drain();
    return gdk_pixbuf_get_from_drawable(nullptr, area->window, nullptr, 0, 0, 0, 0,
                                        area->allocation.width, area->allocation.height);
}

// The real main window with the menu row, in a program folder of its own
// (images linked in, system paths below it), with an empty layout.
struct LayoutViewScreen : ViewTest, TestFolder {
    void SetUp() override {
        ASSERT_TRUE(EnsureGtk()) << "no X display for the window tests";
        ViewTest::SetUp();
        previous = interface;
        interface = nullptr;  // the window's own record replaces the program's
        MakeMainWindow(true);
        InstallGtkInterface();
        InstallLayoutInterface();
        responder = std::make_unique<ScriptedResponder>();  // answers any message with OK
        SetCurrentPatternBox(0);
    }
    void TearDown() override {
        if (!interface) return;
        ReleaseAllUI();
        DropMainWindow();
        responder.reset();
        delete interface;  // the window's own record, made by MakeMainWindow
        interface = previous;
        ResetLayoutSelection();
        ViewTest::TearDown();
    }
    std::unique_ptr<ScriptedResponder> responder;
    Interface* previous = nullptr;
};

// Two boxes; in the first a chain of two meanders (joined, so one circle and
// one cross), a star on its own and the star selected.
TEST_F(LayoutViewScreen, AChainOfPatternsItsImagesZoomAllAndTheCameraBackground) {
    command = kModePan;
    menuMainPatternView(nullptr, nullptr);  // no quilt area measured yet
    EXPECT_STREQ(CurrentScreenName(), "quilt-area setup");
    EXPECT_EQ(command, kModeNone);

    MakeRectBox(2, 2, 30, 12);
    MakeRectBox(2, 14, 30, 5);
    const int meander = LoadPattern(Meander(8, 3, 4));
    NewPatternLayoutNode(meander, -1, 0, 1, 1);
    NewPatternLayoutNode(meander, -1, 0, 9, 1);
    SetSelectedNode(NewPatternLayoutNode(LoadPattern(Star(2, 5)), -1, 0, 20, 5));
    extents = std::make_unique<PatternBox>();  // a measured 40 x 20 inch table
    SetPatternBoxCorners(extents.get(), {{0, 0}, {40, 0}, {40, 20}, {0, 20}});
    SetPatternBoxOrigin(extents.get());
    menuMainPatternView(nullptr, nullptr);
    SetStatusBar("Drag To Pan");
    EXPECT_TRUE(LooksLike("layout_view_chain", Capture()));
    // The pattern images are kept while the scale stays.
    const PatternImageUse fitted = PatternImagesInUse();
    EXPECT_GT(fitted.windows, 0);
    SetZoomAll();
    g_object_unref(Capture());
    EXPECT_EQ(PatternImagesInUse().drawn, fitted.drawn);
    // A manual zoom and pan with a long press pending: new images at the new
    // scale; Zoom All ends the mode and the hint and fits again (the pictures).
    menuViewPan(nullptr, nullptr);
    panX += 50;
    SetViewScale(ViewScale() * 0.5f);
    zoomed = 1;
    menuReady = 1;
    g_object_unref(Capture());
    EXPECT_GT(PatternImagesInUse().drawn, fitted.drawn);
    menuViewZoomAll(nullptr, nullptr);
    g_object_unref(Capture());
    EXPECT_EQ(command, kModeNone);
    // The camera picture is the background only near its own scale.
    interface->captureImage = gdk_pixbuf_new(GDK_COLORSPACE_RGB, FALSE, 8, 64, 48);
    gdk_pixbuf_fill(interface->captureImage, 0x0000FFFFu);
    interface->cameraInchPerPixel = ViewScale() + 0.2f;
    EXPECT_TRUE(LooksLike("layout_view_camera", Capture()));
    interface->cameraInchPerPixel = ViewScale() + 0.3f;
    EXPECT_TRUE(LooksLike("layout_view_no_camera", Capture()));
    g_object_unref(interface->captureImage);
    interface->captureImage = nullptr;
}

// The layout screen in a program folder of its own (images, patterns), with
// a root for the undo file, 10 pixels per inch, and the scripted responder.
class PopupTest : public ::testing::Test, public TestFolder {
protected:
    void SetUp() override {
        ASSERT_TRUE(EnsureGtk()) << "no X display for the window tests";
        EXPECT_EQ(ParseStyleFile(LONGARM_SOURCE_DIR "/gtkrc_5"), "");
        ResetLayout();
        // No undo or set-point file yet: a test before may have left either usable.
        SetMenuItemAvailable(kItemUndo, false);
        SetMenuItemAvailable(kItemRestoreSetpoint, false);
        MakeMainWindow(true);
        InstallGtkInterface();  // the layout view among the rest
        ShowScreen([] { return createPatternViewScreen(0, kAreaLayoutView); }, 0x37FFFFF, "layout");
        SetViewScale(0.1f);  // held: no zoom to fit
        panX = panY = 0;
        zoomed = 1;
        zoomAll = 0;
        responder = std::make_unique<ScriptedResponder>();
        Drain();
    }
    void TearDown() override {
        StopScript(&script);
        if (!interface) return;
        ClosePopup();
        responder.reset();
        ResetLayout();
        DropMainWindow();
        command = -1;
        zoomed = 0;
    }
    // A pattern of the given points (inches) in a free slot, with its picture.
    int LoadPath(const Points& points) {
        const int slot = LoadPoints(points);
        RefreshPatternPix();
        return slot;
    }
    // The pop-up opened at (x, y) pixels, and an entry of it ("Parent/Child").
    static void OpenPopup(int x, int y) {
        ShowPopupMenu(x, y);
        ASSERT_TRUE(WaitFor([&] { return PopupMenu() != nullptr; }));
    }
    static GtkWidget* PopupItem(const std::string& label) {
        GtkWidget* menu = PopupMenu();
        std::string rest = label;
        while (menu) {
            const size_t slash = rest.find('/');
            const std::string head = rest.substr(0, slash);
            GtkWidget* found = nullptr;
            GList* children = gtk_container_get_children(GTK_CONTAINER(menu));
            for (GList* c = children; c; c = c->next)
                if (MenuItemText(GTK_WIDGET(c->data)) == head) found = GTK_WIDGET(c->data);
            g_list_free(children);
            if (!found || slash == std::string::npos) return found;
            menu = gtk_menu_item_get_submenu(GTK_MENU_ITEM(found));
            rest = rest.substr(slash + 1);
        }
        return nullptr;
    }
    // Activates an entry as a touch would: the menu closes, then the entry acts.
    static void Choose(const std::string& label) {
        GtkWidget* item = PopupItem(label);
        ASSERT_NE(item, nullptr) << label;
        ASSERT_TRUE(gtk_widget_is_sensitive(item)) << label;
        gtk_menu_shell_deactivate(GTK_MENU_SHELL(PopupMenu()));
        gtk_menu_item_activate(GTK_MENU_ITEM(item));
        Drain();
    }
    static void ClosePopup() {
        if (GtkWidget* menu = PopupMenu()) gtk_menu_shell_deactivate(GTK_MENU_SHELL(menu));
        Drain();
    }
    static bool UndoWritten() {
        return access((SystemPath("/tmp/undo") + ".qlf").c_str(), F_OK) == 0;
    }
    static void ForgetUndo() { unlink((SystemPath("/tmp/undo") + ".qlf").c_str()); }
    // Plays steps inside the modal loop of the named window; Finish stops them.
    void Play(const char* name, std::vector<std::function<void(GtkWidget*)>> steps) {
        script.windowName = name;
        script.steps = std::move(steps);
        StartScript(&script);
    }
    void Finish() {
        StopScript(&script);
        Drain();
    }

    std::unique_ptr<ScriptedResponder> responder;
    Script script;
};

using PatternPopup = PopupTest;

// Each entry acts on the selected pattern and takes its undo point (or not);
// its change reaches the crash-recovery image once the touch is handled.
TEST_F(PatternPopup, OpensOnTheNearestPatternWhoseEntriesActAndReachTheRecoveryImage) {
    MakeRectBox(0, 0, 30, 20);
    int slot = LoadPath({{0, 0}, {2, 0}, {2, 1}});
    NewPatternLayoutNode(slot, -1, 0, 9, 5);
    LayoutNode* n = NewPatternLayoutNode(slot, -1, 0, 5, 5);
    Pattern* p = GetPattern(slot);
    // Opened on the nearest pattern, without the advanced entries.
    menuReady = 1;
    OpenPopup(53, 52);
    EXPECT_EQ(SelectedNode(), n);
    EXPECT_EQ(menuReady, 0);
    EXPECT_FALSE(gtk_widget_get_visible(PopupItem("Copies/Merge")));
    EXPECT_TRUE(gtk_widget_is_sensitive(PopupItem("Copies/Autofill")));
    ClosePopup();
    auto choose = [&](const std::string& entry, bool undo) {
        ForgetUndo();
        OpenPopup(50, 50);
        Choose(entry);
        EXPECT_EQ(UndoWritten(), undo) << entry;
    };

    choose("Rotate/90 Degrees CW", true);
    EXPECT_NEAR(n->x, 5.5f, 1e-4);
    choose("Rotate/90 Degrees CCW", true);
    EXPECT_NEAR(n->x, 5, 1e-4);
    responder->numbers = {90};  // the number pad in rotation mode
    choose("Rotate/Select", true);
    EXPECT_EQ(responder->numberTexts, std::vector<std::string>{"0.0"});
    EXPECT_EQ(p->angle, 90);

    const std::vector<float> x0 = p->x, y0 = p->y;
    choose("Mirror/Horizontal", false);
    EXPECT_NEAR(p->y[0], p->height - y0[0], 1e-5);
    choose("Mirror/Vertical", false);
    EXPECT_NEAR(p->x[0], p->width - x0[0], 1e-5);
    const std::vector<float> before = p->x;
    choose("Pattern/Reverse Path", false);
    EXPECT_EQ(p->x.front(), before.back());

    SetHighlightIndex(2);
    choose("Move", true);
    EXPECT_EQ(command, 9);
    EXPECT_STREQ(statusBar, "Drag Pattern or Use Increment Buttons");
    EXPECT_EQ(HighlightIndex(), -1);

    responder->keyboard = {"Corner Swirl"};
    choose("Pattern/Save", false);
    EXPECT_EQ(responder->prompts, std::vector<std::string>{"SAVE AS:"});
    EXPECT_EQ(access("patterns/Corner Swirl.qcc", F_OK), 0);
    EXPECT_EQ(responder->Texts(),
              std::vector<std::string>{"FILE SAVED:\n./patterns/Corner Swirl.qcc"});

    const float last = p->x.back();
    const std::string image = folder.File("image.qlf");
    ClearCrashRecoveryImage();
    OpenPopup(50, 50);
    ASSERT_TRUE(XdotoolClick(PopupItem("Pattern")));
    ASSERT_TRUE(XdotoolClick(PopupItem("Pattern/Reverse Path")));
    EXPECT_EQ(p->x.front(), last);
    ASSERT_EQ(FinishCrashRecovery(image.c_str()), 1);
    EXPECT_EQ(ReadFileText(image), SerializeLayout());
    // In a box where nothing is placed only "Add Pattern" is offered.
    MakeRectBox(40, 1, 10, 10);
    OpenPopup(50, 50);
    EXPECT_TRUE(PopupItem("Add Pattern") && !PopupItem("Rotate"));
    EXPECT_EQ(SelectedNode(), nullptr);
}

using Step = std::function<void(GtkWidget*)>;

Step ClickNamed(const char* name) {
    return [name](GtkWidget* w) { Click(FindNamed(w, name)); };
}
Step ClickButton(const char* label) {
    return [label](GtkWidget* w) { Click(FindButton(w, label)); };
}
Step SetSlider(const char* name, double value) {
    return [name, value](GtkWidget* w) {
        GtkWidget* slider = FindNamed(w, name);
        ASSERT_NE(slider, nullptr) << name;
        gtk_range_set_value(GTK_RANGE(slider), value);
    };
}

using Dialogs = PopupTest;

// Scale: width 150 and +1, the height following while locked; unlocked, the
// height alone down by 2. Repeat, from the pop-up on the other pattern: the
// array, after the undo point.
TEST_F(Dialogs, ScaleFollowsTheLockedSlidersAndRepeatMakesTheArray) {
    MakeRectBox(0, 0, 30, 20);
    int other = LoadPath({{0, 0}, {3, 0}, {3, 3}, {0, 3}, {1.5f, 0}});
    LayoutNode* o = NewPatternLayoutNode(other, -1, 0, 1, 1);
    int slot = LoadPath({{0, 0}, {4, 0}, {4, 2}, {0, 2}, {2, 0}, {1, 1}});
    LayoutNode* n = NewPatternLayoutNode(slot, -1, 0, 5, 5);
    SetSelectedNode(n);
    const float scale = ViewScale();
    bool smartUsable = false;
    Play(kScaleDialogTitle,
         {[&](GtkWidget* w) {
              GtkWidget* smart = FindButton(w, "SMARTSCALE");
              smartUsable =
                  smart && gtk_widget_get_visible(smart) && gtk_widget_is_sensitive(smart);
          },
          SetSlider("WidthPercent", 150), ClickNamed("WidthPlus"), ClickNamed("LockPercent"),
          ClickNamed("HeightMinus"), ClickNamed("HeightMinus"), ClickButton("gtk-ok")});
    EXPECT_EQ(ScaleDialog(n), kResponseOk);
    Finish();
    EXPECT_TRUE(smartUsable);  // the box passes the check
    EXPECT_NEAR(GetPattern(slot)->width, 4 * 1.51, 1e-3);
    EXPECT_NEAR(GetPattern(slot)->height, 2 * 1.49, 1e-3);
    EXPECT_EQ(ViewScale(), scale);  // borrowed and given back
    EXPECT_EQ(FindToplevel(kScaleDialogTitle), nullptr);

    Play(kRepeatDialogTitle,
         {SetSlider("Across", 1), ClickNamed("AcrossMinus"), ClickNamed("AcrossPlus"),
          SetSlider("Spacing Across", 0.4), ClickNamed("SpacingAcrossMinus"),
          ClickNamed("SpacingAcrossMinus"), SetSlider("Down", 2), ClickNamed("DownPlus"),
          SetSlider("Spacing Down", 0.4), ClickNamed("SpacingDownPlus"), ClickButton("gtk-ok")});
    OpenPopup(12, 12);
    Choose("Copies/Repeat");
    Finish();
    EXPECT_EQ(SelectedNode(), o);
    EXPECT_TRUE(UndoWritten());
    ASSERT_EQ(CountLayoutNodes(), 7);   // two across, three down, and the scaled one
    EXPECT_FLOAT_EQ(n->next->x, 4.2f);  // the copies follow the scaled pattern
    EXPECT_FLOAT_EQ(n->next->next->y, 4.5f);
}

// What the wrapped drain saw while an operation ran, and what it does there.
struct Watch {
    uint32_t maskWhileRunning = 0;
    bool cancelled = false;  // the waiting window's Cancel pressed once the hull showed
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
        // The responder answers messages; the waiting window and draining are the program's.
        scripted = GetUserInterfaceHooks();
        UserInterfaceHooks hooks = scripted;
        hooks.drainEvents = [] {
            if (scripted.drainEvents) scripted.drainEvents();
            const std::vector<QuiltPoint>* hull = HullOutline();
            if (!hull) return;
            watch.maskWhileRunning = MenuStateMask();
            PressCancel();
        };
        SetUserInterfaceHooks(hooks);
    }
    void TearDown() override {
        ResetProgramSettings();
        PopupTest::TearDown();
    }
};

// Autofill cancelled while it runs: the menus are off meanwhile, then nothing
// has changed and they come back.
TEST_F(PlacementFlows, AutofillCancelledWhileItRunsChangesNothing) {
    MakeRectBox(0, 0, 25, 12);
    const int slot = LoadPath({{0, 0}, {10, 0}, {10, 10}, {0, 10}});
    NewPatternLayoutNode(slot, -1, 0, 3, 1);
    responder->answers = {kResponseYes};
    OpenPopup(32, 12);  // on the pattern's corner
    Choose("Copies/Autofill");
    EXPECT_TRUE(watch.cancelled);
    EXPECT_EQ(watch.maskWhileRunning, kPlacementBusyMask);
    EXPECT_EQ(waitWindow, nullptr);
    EXPECT_EQ(responder->Texts(), std::vector<std::string>{kAutofillQuestion});
    ASSERT_EQ(CountLayoutNodes(), 1);
    EXPECT_EQ(patternLayout->arrayIndex, -1);
    EXPECT_FLOAT_EQ(patternLayout->x, 3);
    EXPECT_FLOAT_EQ(GetPattern(slot)->width, 10);
    EXPECT_EQ(MenuStateMask(), kLayoutViewMenuMask);
}

// The head is pushed to each mark when its message shows.
const Mc1Sim* board = nullptr;

int PushToMarks(int, int, const char* text) {
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

// A tap on OK at the bottom right of the named view.
Step TapOk(const char* view) {
    return [view](GtkWidget* w) {
        GtkWidget* v = FindNamed(w, view);
        TapAt(v, v->allocation.width - 20, v->allocation.height - 5);
    };
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
    // The marks, the nesting-point screen, and the nesting screen, where the
    // head is pushed half an inch to the right before OK.
    bool pointScreenShown = false, nestingScreenShown = false;
    Script point;
    point.windowName = kNestPointScreenName;
    point.steps = {[&](GtkWidget* w) {
                       pointScreenShown = true;
                       GtkWidget* view = FindNamed(w, kNestPointViewName);
                       EXPECT_TRUE(LooksLike("nest_point_view", Capture(view)));
                       TapAt(view, 10, 10);  // above the strip: nothing
                   },
                   TapOk(kNestPointViewName)};
    StartScript(&point);
    script.windowName = kNestingScreenName;
    script.steps = {[&](GtkWidget* w) {
                        nestingScreenShown = true;
                        // The box fills the view with half an inch around it.
                        GtkWidget* view = FindNamed(w, kNestingViewName);
                        EXPECT_NEAR(ViewScale(), 21.0f / view->allocation.width, 1e-3);
                        EXPECT_TRUE(LooksLike("nesting_view", Capture(view)));
                        SimControl(sim, "push 500 0");
                    },
                    TapOk(kNestingViewName)};
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
    ClosePort();
    SetSerialDevicePath("");
}

class TouchWalk : public PopupTest {
protected:
    // Checks what is on the screen now under the name of the place, a dialog
    // kept on top and asked to repaint.
    void Look(const std::string& place, GtkWidget* dialog = nullptr) {
        Drain();
        gdk_window_process_all_updates();
        gdk_display_sync(gdk_display_get_default());
        problems += SmallTouchTargets(place);
        if (screen_width != 320) return;  // the reference pictures are of the small screen
        // The X server may still be painting: the last picture is the verdict.
        ::testing::AssertionResult last = ::testing::AssertionFailure();
        WaitFor(
            [&] {
                if (dialog && dialog->window) {
                    gdk_window_raise(dialog->window);
                    gtk_widget_queue_draw(dialog);
                    gdk_window_process_all_updates();
                }
                last = LooksLike("walk_" + place);
                return static_cast<bool>(last);
            },
            20000);
        EXPECT_TRUE(last) << place;
    }
    // Runs a modal window, looks at it while it is up, and cancels it.
    void WalkDialog(const char* name, const std::string& place, const std::function<void()>& open) {
        Play(name, {[this, place](GtkWidget* w) { Look(place, w); }, ClickButton("gtk-cancel")});
        open();
        Finish();
    }
    // Looks at the open menu, then opens each of its sub-menus with a touch
    // and looks at that, and so on down.
    void WalkMenu(GtkWidget* menu, const std::string& place) {
        ASSERT_TRUE(WaitFor([&] { return gtk_widget_get_mapped(menu); }, 2000)) << place;
        Look(place);
        GList* items = gtk_container_get_children(GTK_CONTAINER(menu));
        for (GList* l = items; l; l = l->next) {
            GtkWidget* item = GTK_WIDGET(l->data);
            GtkWidget* submenu = gtk_menu_item_get_submenu(GTK_MENU_ITEM(item));
            if (!submenu || !gtk_widget_get_visible(item)) continue;
            std::string name = MenuItemText(item);
            for (char& c : name)
                c = c == ' ' ? '_' : static_cast<char>(g_ascii_tolower(c));
            Click(item);
            WalkMenu(submenu, place + "_" + name);
        }
        g_list_free(items);
    }

    void WalkEverything() {
        MakeRectBox(0, 0, 30, 20);
        const int slot = LoadPath({{0, 0}, {2, 0}, {2, 1}});
        LayoutNode* node = NewPatternLayoutNode(slot, -1, 0, 5, 5);
        SetSelectedNode(node);
        gtk_widget_queue_draw(interface->window);  // the box and the pattern
        Look("layout");
        Settings().showAdvancedFeatures = 1;  // every entry of every menu
        ApplyMenuVisibility();
        const char* menus[kMenuCount] = {"menu_main", "menu_edit", "menu_view", "menu_stitch"};
        for (int m = 0; m < kMenuCount; m++) {
            Click(MenuRecord()->menuTitles[m]);
            WalkMenu(MenuRecord()->menus[m], menus[m]);
            gtk_menu_shell_deactivate(GTK_MENU_SHELL(MenuRecord()->menuBar));
        }
        OpenPopup(50, 50);
        WalkMenu(PopupMenu(), "popup");
        ClosePopup();
        Settings().showAdvancedFeatures = 0;
        ApplyMenuVisibility();
        WalkDialog(kScaleDialogTitle, "scale", [&] { ScaleDialog(node); });
        WalkDialog(kRepeatDialogTitle, "repeat", [&] { ArrayDialog(node); });
        WalkDialog(kPropertiesDialogTitle, "properties", [&] { PatternPropertiesDialog(node); });
        WalkDialog("NumberEntry", "number_pad", [] { GtkNumberEntry("2.5", 1, 0, "Width (in.)"); });
        WalkDialog(kKeyboardWindowName, "keyboard", [] {
            std::string text = "name";
            GtkShowKeyboard(text, "SAVE AS:");
        });
        WalkDialog(kFileChooserWindowName, "file_chooser", [] { GetFilename("./", nullptr); });
        // The screens reached from the main menu: the pattern list scrolled to
        // its last entry, and last every page of the setup screen (every row
        // of the advanced page).
        extents = std::make_unique<PatternBox>();
        extents->width = 60;
        extents->height = 40;
        StartPatternBoxSetup();
        Look("pattern_box");
        menuMainTraceMode(nullptr, nullptr);
        Look("free_motion");
        for (int i = 0; i < 30; i++)
            ASSERT_TRUE(WriteFileText("patterns/feather " + std::to_string(i) + ".qcc", "n f\n"));
        ShowScreen(createPatternSelectScreen, 0x37FFFFF, "pattern select");
        GtkWidget* list = FindNamed(interface->currentScreen, "GtkTreeView");
        ASSERT_NE(list, nullptr);
        GtkAdjustment* scroll = gtk_tree_view_get_vadjustment(GTK_TREE_VIEW(list));
        Drain();
        gtk_adjustment_set_value(scroll, scroll->upper - scroll->page_size);
        Look("pattern_select");
        // Drawn on the views rather than built of widgets: the direction pad
        // and box arrows, and the confirm buttons of the setup screens.
        const int minimum = TouchTargetMinimum();
        if (PadForIconStyle(icon_style).s < minimum) problems += "direction pad: too small\n";
        if (confirm_button_size < minimum) problems += "confirm buttons: too small\n";
        Settings().showAdvancedFeatures = 1;
        responder->keyboard = {kSetupPassword};
        menuMainSetup(nullptr, nullptr);
        for (int page = kPageUpdates; page <= kPageConfiguration; page++) {
            gtk_notebook_set_current_page(GTK_NOTEBOOK(interface->setupNotebook), page);
            Look("setup_" + std::to_string(page));
        }
    }

    std::string problems;
};

TEST_F(TouchWalk, EveryControlFitsAndIsBigEnoughOnTheSmallScreen) {
    ASSERT_EQ(screen_width, 320);
    WalkEverything();
    EXPECT_EQ(problems, "");
}

TEST_F(TouchWalk, EveryControlFitsAndIsBigEnoughOnTheLargeScreen) {
    DropMainWindow();
    ASSERT_EQ(ParseConfigFile(LONGARM_SOURCE_DIR "/tests/data/screen_large.conf"), 1);
    EXPECT_EQ(ParseStyleFile(LONGARM_SOURCE_DIR "/gtkrc"), "");
    MakeMainWindow(true);
    ShowScreen([] { return createPatternViewScreen(0, kAreaLayoutView); }, 0x37FFFFF, "layout");
    WalkEverything();
    EXPECT_EQ(problems, "");
    ParseConfigFile("/nonexistent/screen.conf");
    ParseStyleFile(LONGARM_SOURCE_DIR "/gtkrc_5");
}

// The stitch-out preview: the estimate, START on to the toolbar's Start, and
// no START for a path beyond the quilt area.
TEST_F(Dialogs, StitchPreviewShowsTheEstimateAndStartsOnlyAPathInsideTheArea) {
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
    auto preview = [&](const char* button) {
        Play(kPreviewScreenName,
             {[&](GtkWidget* window) {
                  text = gtk_label_get_text(GTK_LABEL(FindNamed(window, kPreviewTextName)));
                  startable = GTK_WIDGET_SENSITIVE(FindButton(window, "START"));
              },
              ClickButton(button)});
        const int result = ShowStitchPreview();
        Finish();
        return result;
    };
    EXPECT_EQ(preview("CLOSE"), 0);
    EXPECT_NE(text.find("1 JUMP, 1 CUT, "), std::string::npos) << text;
    EXPECT_NE(text.find("SPEED 40 FROM THE FACTORY VALUES"), std::string::npos) << text;
    EXPECT_TRUE(startable);
    // START goes on to the toolbar's Start, whose question is cancelled here.
    responder->answers = {kResponseCancel};
    EXPECT_EQ(preview("START"), 1);
    EXPECT_EQ(responder->Texts(),
              std::vector<std::string>{"THE MACHINE WILL MOVE TO THE START OF THE PATTERN BLOCK "
                                       "AND THE PATTERN WILL START."});
    // A row that runs off the front of the quilt area: red words, no START.
    PlacePoints(box, loops, 1, 11);
    EXPECT_EQ(preview("CLOSE"), 0);
    EXPECT_NE(text.find("OFF THE QUILT AREA: "), std::string::npos) << text;
    EXPECT_NE(text.find("BEYOND THE FRONT EDGE"), std::string::npos) << text;
    EXPECT_FALSE(startable);
    // An empty box says so and shows no picture.
    ClearLayout();
    EXPECT_EQ(ShowStitchPreview(), 0);
    EXPECT_EQ(responder->Texts().back(), "PATTERN BOX IS EMPTY");
}

}  // namespace
