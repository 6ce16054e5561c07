// The run on the real screens: Start on the toolbar, the run view with its
// marker and speed buttons, PAUSE / START with THREAD BREAK, and the way back
// to the layout view, against the simulated board.
#include <gtest/gtest.h>
#include <unistd.h>

#include <string>

#include "base/application_state.h"
#include "base/defaults_file.h"
#include "base/screen_config.h"
#include "base/ui_hooks.h"
#include "layout/layout_tree.h"
#include "layout/pattern_box.h"
#include "machine/machine_parameters.h"
#include "machine/serial_link.h"
#include "machine/stitching/pattern_run.h"
#include "machine/stitching/point_streaming.h"
#include "machine/stitching/run_flags.h"
#include "machine/stitching/run_state.h"
#include "pattern/pattern.h"
#include "support/mc1sim_fixture.h"
#include "support/run_layout.h"
#include "support/run_record.h"
#include "support_ui/ui_fixture.h"
#include "ui/drawing_area.h"
#include "ui/interface.h"
#include "ui/menu.h"
#include "ui/run_view.h"
#include "ui/screens.h"
#include "ui/startup.h"
#include "ui/widget_helpers.h"

TEST(RunViewScreen, StartPauseSpeedAndResumeOnTheRealScreens) {
    ASSERT_TRUE(EnsureGtk());
    char previous[4096];
    ASSERT_NE(getcwd(previous, sizeof previous), nullptr);
    TempDir folder;
    ASSERT_EQ(symlink(LONGARM_SOURCE_DIR "/images", folder.File("images").c_str()), 0);
    ASSERT_EQ(chdir(folder.path.c_str()), 0);
    SetDefaultsFilePath(folder.File("defaults.mrl").c_str());
    static Mc1Sim* sim = nullptr;
    Mc1Sim simulator({"--time-scale", "6"});
    sim = &simulator;
    ASSERT_TRUE(sim->running) << sim->error;
    SetSerialDevicePath(sim->device);
    ASSERT_GE(OpenPort(), 0);
    SetFactoryDefaults();
    Machine().stitchRep = 0;
    fpTemp = nullptr;
    allStop = 0;

    MakeMainWindow(true);
    InstallRunView();
    PlacePoints(MakeRunBox(), LinePoints(160, 0, 0, 0.05f, 0.01f), 0.5f, 0.5f);
    ScriptedResponder responder;
    UserInterfaceHooks hooks = GetUserInterfaceHooks();
    hooks.drainEvents = DrainEvents;  // the run keeps the real screen alive
    SetUserInterfaceHooks(hooks);
    ShowScreen([] { return createPatternViewScreen(0, kAreaLayoutView); }, kIdleMenuMask,
               "layout view");
    // The Stitching toggle's picture shows its state: struck through in red while off.
    auto struckThrough = [] {
        GdkPixbuf* picture =
            gtk_image_get_pixbuf(GTK_IMAGE(ToolbarRecord()->images[kToolStitching]));
        const int n = gdk_pixbuf_get_n_channels(picture), w = gdk_pixbuf_get_width(picture);
        const guchar* centre = gdk_pixbuf_get_pixels(picture) +
                               gdk_pixbuf_get_rowstride(picture) * (w / 2) + n * (w / 2);
        return centre[0] > 200 && centre[1] < 40 && centre[2] < 40;
    };
    EXPECT_TRUE(struckThrough());
    gtk_toggle_tool_button_set_active(
        GTK_TOGGLE_TOOL_BUTTON(ToolbarRecord()->buttons[kToolStitching]), TRUE);
    Drain();
    EXPECT_FALSE(struckThrough());

    // PAUSE, once the run view shows and the head has made 60 moves.
    g_timeout_add(
        20,
        [](gpointer) -> gboolean {
            if (!isWidget(interface->btnPause) ||
                std::stoi("0" + StateValue(SimControl(*sim, "state"), "executed")) < 60)
                return TRUE;
            gtk_test_widget_click(interface->btnPause, 1, GdkModifierType(0));
            return FALSE;
        },
        nullptr);
    Click(gtk_bin_get_child(GTK_BIN(ToolbarRecord()->buttons[kToolStart])));  // returns paused
    ASSERT_TRUE(WaitFor([] { return allStop == 2; }, 20000));
    EXPECT_TRUE(responder.Showed(
        "AFTER THE MACHINE ARRIVES AT THE START POSITION PULL UP THE BOBBIN THREAD\nAND PRESS OK"));
    EXPECT_STREQ(CurrentScreenName(), "run view");
    EXPECT_EQ(MenuStateMask(), kRunMenuMask);
    ASSERT_TRUE(isWidget(interface->btnPause));
    EXPECT_EQ(FindButton(interface->window, "START"), interface->btnPause);
    EXPECT_TRUE(GTK_WIDGET_VISIBLE(interface->btnThread));
    EXPECT_TRUE(GTK_WIDGET_SENSITIVE(interface->btnThread));
    EXPECT_TRUE(CurrentRun().marker.shown);  // the head marker was drawn meanwhile
    EXPECT_EQ(StateValue(SimControl(*sim, "state"), "halted"), "1");

    // Taps on the speed buttons (Up at the top, Down at the bottom of the
    // right-hand column) and one beside them.
    GtkWidget* area = interface->drawingArea;
    ASSERT_TRUE(isWidget(area));
    const int w = area->allocation.width, h = area->allocation.height;
    const int s = icon_style == 1 ? 50 : 32, x = w - s - (icon_style == 1 ? 10 : 5) + s / 2;
    const struct {
        int x, y;
        float speed;
    } taps[] = {{x, s + s / 2, 50}, {x, h - 2 * s + s / 2, 40}, {w / 2, h / 2, 40}};
    for (const auto& tap : taps) {
        gdk_test_simulate_button(area->window, tap.x, tap.y, 1, GdkModifierType(0),
                                 GDK_BUTTON_RELEASE);
        Drain();
        EXPECT_FLOAT_EQ(Machine().maxSpeed, tap.speed) << tap.x << "," << tap.y;
    }

    Click(interface->btnPause);  // START: resumes and runs to the end
    ASSERT_TRUE(WaitFor([] { return std::string(CurrentScreenName()) == "layout view"; }, 30000));
    EXPECT_EQ(MenuStateMask(), kIdleMenuMask);
    EXPECT_EQ(interface->btnPause, nullptr);
    EXPECT_EQ(CurrentRun().fullPattern, nullptr);
    EXPECT_TRUE(GTK_WIDGET_SENSITIVE(ToolbarRecord()->buttons[kToolStitching]));
    const std::string state = SimControl(*sim, "state");
    EXPECT_EQ(StateValue(state, "xenabled"), "0") << state;
    EXPECT_EQ(StateValue(state, "stitching"), "0") << state;
    EXPECT_EQ(StitchedMoves(ReadRunRecord(sim->recordPath)).size(), 160u);

    ClosePort();
    DropMainWindow();
    ClearLayout();
    ClearPatternList();
    InitPatternBox();
    SetDefaultsFilePath(nullptr);
    SetRunControlHooks({});
    ASSERT_EQ(chdir(previous), 0);
}
