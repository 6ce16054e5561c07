// The run on the real screens: Start on the toolbar, the run view with its
// marker and speed buttons, PAUSE / START with THREAD BREAK, and the way back
// to the layout view, against the simulated board.
#include <gtest/gtest.h>
#include <unistd.h>

#include <string>

#include "app/application_state.h"
#include "app/defaults_file.h"
#include "app/screen_config.h"
#include "app/startup_ui.h"
#include "app/ui_hooks.h"
#include "layout/layout_tree.h"
#include "layout/pattern_box.h"
#include "machine/machine_parameters.h"
#include "machine/serial_link.h"
#include "machine/stitching/pattern_run.h"
#include "machine/stitching/point_streaming.h"
#include "machine/stitching/run_flags.h"
#include "pattern/pattern.h"
#include "support/mc1sim_fixture.h"
#include "support/run_record.h"
#include "support_ui/ui_fixture.h"
#include "ui/drawing_area.h"
#include "ui/menu.h"
#include "ui/run_view.h"
#include "ui/screens.h"
#include "ui/widget_helpers.h"

namespace {

std::string ButtonText(GtkWidget* button) {
    GtkWidget* child = gtk_bin_get_child(GTK_BIN(button));
    return child && GTK_IS_LABEL(child) ? gtk_label_get_text(GTK_LABEL(child)) : "";
}

// Releases the pointer at (x, y) of the widget, as a finger lifted there.
void ReleaseAt(GtkWidget* widget, int x, int y) {
    GdkEvent* event = gdk_event_new(GDK_BUTTON_RELEASE);
    event->button.window = GDK_WINDOW(g_object_ref(widget->window));
    event->button.x = x;
    event->button.y = y;
    event->button.button = 1;
    event->button.time = GDK_CURRENT_TIME;
    gtk_widget_event(widget, event);
    gdk_event_free(event);
}

// A zigzag of 160 points 0.1 inch apart, placed in box 0 at (1, 1) inch.
void PlaceZigzag() {
    InitPatternBox();
    ClearLayout();
    ClearPatternList();
    const int box = CreatePatternBox();
    PatternBox* pb = GetPatternBox(box);
    pb->x = pb->y = 1.0f;
    pb->width = 8.0f;
    pb->height = 3.0f;
    interface->currentPatternBox = box;
    auto pattern = std::make_unique<Pattern>();
    for (int i = 0; i < 160; i++) {
        pattern->x.push_back(0.05f * i);
        pattern->y.push_back((i / 20) % 2 ? 2.0f - 0.1f * (i % 20) : 0.1f * (i % 20));
    }
    pattern->pointCount = 160;
    UpdatePatternSize(pattern.get());
    AddPatternToList(0, std::move(pattern));
    AppendLayoutNode(0, -1, 0, 0.5f, 0.5f, box);
}

}  // namespace

TEST(RunViewScreen, StartPauseSpeedAndResumeOnTheRealScreens) {
    ASSERT_TRUE(EnsureGtk());
    char previous[4096];
    ASSERT_NE(getcwd(previous, sizeof previous), nullptr);
    TempDir folder;
    ASSERT_EQ(symlink(LONGARM_SOURCE_DIR "/images", folder.File("images").c_str()), 0);
    ASSERT_EQ(chdir(folder.path.c_str()), 0);
    SetDefaultsFilePath(folder.File("defaults.mrl").c_str());

    Mc1Sim sim({"--time-scale", "6"});
    ASSERT_TRUE(sim.running) << sim.error;
    SetSerialDevicePath(sim.device);
    ASSERT_GE(OpenPort(), 0);
    SetFactoryDefaults();
    stitchRep = 0;
    fpTemp = nullptr;
    allStop = 0;

    MakeMainWindow(true);
    InstallRunView();
    // Stands in for the Stitching toggle's own handler (installed by the
    // toggles' module in the program), without which the toggle stays off.
    SetMenuHandler(kActionRunStitching, [](GtkWidget*, void*) {});
    PlaceZigzag();
    ScriptedResponder responder;
    UserInterfaceHooks hooks = GetUserInterfaceHooks();
    hooks.drainEvents = DrainEvents;  // the run keeps the real screen alive
    SetUserInterfaceHooks(hooks);
    ShowScreen([] { return createPatternViewScreen(0, kAreaLayoutView); }, kIdleMenuMask,
               "layout view");
    GtkToggleToolButton* stitchingToggle =
        GTK_TOGGLE_TOOL_BUTTON(ToolbarRecord()->buttons[kToolStitching]);
    gtk_toggle_tool_button_set_active(stitchingToggle, TRUE);
    Drain();

    // Once the run view shows and the head is on its way: a picture, then PAUSE.
    struct Watch {
        const Mc1Sim* sim;
        bool shot = false;
        bool pressed = false;
    } watch{&sim};
    g_timeout_add(
        20,
        [](gpointer data) -> gboolean {
            auto* w = static_cast<Watch*>(data);
            if (!isWidget(interface->btnPause)) return TRUE;
            if (std::stoi("0" + StateValue(SimControl(*w->sim, "state"), "executed")) < 60)
                return TRUE;
            w->shot = SaveScreenshot(LONGARM_BINARY_DIR "/tests/ui_run_running.png");
            gtk_test_widget_click(interface->btnPause, 1, GdkModifierType(0));
            w->pressed = true;
            return FALSE;
        },
        &watch);

    Click(gtk_bin_get_child(GTK_BIN(ToolbarRecord()->buttons[kToolStart])));  // returns paused
    ASSERT_TRUE(WaitFor([] { return allStop == 2; }, 20000));
    EXPECT_TRUE(watch.shot);
    EXPECT_TRUE(responder.Showed(
        "AFTER THE MACHINE ARRIVES AT THE START POSITION PULL UP THE BOBBIN THREAD\nAND PRESS OK"));
    EXPECT_STREQ(CurrentScreenName(), "run view");
    EXPECT_EQ(MenuStateMask(), kRunMenuMask);
    ASSERT_TRUE(isWidget(interface->btnPause));
    EXPECT_EQ(ButtonText(interface->btnPause), "START");
    EXPECT_TRUE(GTK_WIDGET_VISIBLE(interface->btnThread));
    EXPECT_TRUE(GTK_WIDGET_SENSITIVE(interface->btnThread));
    EXPECT_NE(interface->measureLine, nullptr);  // the head marker was drawn meanwhile
    EXPECT_EQ(StateValue(SimControl(sim, "state"), "halted"), "1");

    // The speed buttons of the run view (edit mode 10 while paused).
    GtkWidget* area = interface->drawingArea;
    ASSERT_TRUE(isWidget(area));
    const int w = area->allocation.width, h = area->allocation.height;
    const int s = icon_style == 1 ? 50 : 32, g = icon_style == 1 ? 10 : 5;
    ReleaseAt(area, w - s - g + s / 2, s + s / 2);  // Up
    EXPECT_FLOAT_EQ(maxSpeed, 50);
    ReleaseAt(area, w - s - g + s / 2, h - 2 * s + s / 2);  // Down
    ReleaseAt(area, w - s - g + s / 2, h - 2 * s + s / 2);
    EXPECT_FLOAT_EQ(maxSpeed, 30);
    EXPECT_EQ(StateValue(SimControl(sim, "params"), "speed"), "30");
    ReleaseAt(area, w / 2, h / 2);  // not on a button
    EXPECT_FLOAT_EQ(maxSpeed, 30);
    gtk_widget_queue_draw(area);
    Drain();
    EXPECT_TRUE(SaveScreenshot(LONGARM_BINARY_DIR "/tests/ui_run_paused.png"));

    Click(interface->btnPause);  // START: resumes and runs to the end
    ASSERT_TRUE(WaitFor([] { return std::string(CurrentScreenName()) == "layout view"; }, 30000));
    EXPECT_EQ(MenuStateMask(), kIdleMenuMask);
    EXPECT_EQ(interface->btnPause, nullptr);
    EXPECT_EQ(interface->fullPattern, nullptr);
    EXPECT_TRUE(GTK_WIDGET_SENSITIVE(ToolbarRecord()->buttons[kToolStitching]));
    const std::string state = SimControl(sim, "state");
    EXPECT_EQ(StateValue(state, "xenabled"), "0") << state;
    EXPECT_EQ(StateValue(state, "stitching"), "0") << state;
    EXPECT_EQ(StitchedMoves(ReadRunRecord(sim.recordPath)).size(), 160u);

    ClosePort();
    DropMainWindow();
    ClearLayout();
    ClearPatternList();
    InitPatternBox();
    SetDefaultsFilePath(nullptr);
    SetRunControlHooks({});
    ASSERT_EQ(chdir(previous), 0);
}
