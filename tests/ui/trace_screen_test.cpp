// The trace screen, the toolbar's machine toggles, the start point button and
// the point selection, built for real under the test's X
// server and driven against the simulated board.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <memory>
#include <string>

#include "base/application_state.h"
#include "base/log.h"
#include "base/screen_config.h"
#include "base/ui_hooks.h"
#include "layout/layout_tree.h"
#include "layout/pattern_box.h"
#include "layout/view_transform.h"
#include "machine/machine_parameters.h"
#include "machine/mc1_commands.h"
#include "machine/serial_link.h"
#include "machine/stitching/pattern_run.h"
#include "machine/stitching/point_select.h"
#include "machine/stitching/run_state.h"
#include "machine/stitching/stitch_path.h"
#include "machine/stitching/trace_recording.h"
#include "pattern/pattern.h"
#include "support/run_layout.h"
#include "support_ui/board_window.h"
#include "ui/interface.h"
#include "ui/menu.h"
#include "ui/point_select_screen.h"
#include "ui/run_toggles.h"
#include "ui/trace_view.h"
#include "ui/widget_helpers.h"

namespace {

struct TraceScreenTest : BoardWindowTest {
    void SetUp() override {
        BoardWindowTest::SetUp();
        MakeMainWindow(true);
    }
    void TearDown() override {
        BoardWindowTest::TearDown();
        EraseTemporaryPattern();
    }
    GtkWidget* Tool(ToolButtonId id) { return ToolbarRecord()->buttons[id]; }
};

// Label text of a button made with SetButtonFont.
std::string LabelOf(GtkWidget* button) {
    GtkWidget* child = gtk_bin_get_child(GTK_BIN(button));
    return GTK_IS_LABEL(child) ? gtk_label_get_text(GTK_LABEL(child)) : "";
}

// The quilter's hand during a recording: pushes the head through three
// positions, one after the other once the previous one was recorded, then
// releases the Start toggle. What the screen showed meanwhile is kept.
struct Recording {
    TraceScreenTest* test = nullptr;
    GtkWidget* toggle = nullptr;
    GtkWidget* save = nullptr;
    int pushed = 0;
    uint32_t maskWhileRecording = 1;
    bool saveUsableWhileRecording = true;
    std::string toggleLabelWhileRecording;
};

gboolean RecordingStep(gpointer data) {
    auto* r = static_cast<Recording*>(data);
    // The press may still be on its way through the X server.
    if (!tmpPattern || !gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(r->toggle))) return TRUE;
    const int recorded = tmpPattern ? tmpPattern->pointCount : 0;
    if (recorded < r->pushed) return TRUE;  // wait for the loop to read the head
    static const char* pushes[] = {"push 1000 500", "push 1500 1000", "push 500 1500"};
    if (r->pushed == 0) {
        r->maskWhileRecording = MenuStateMask();
        r->saveUsableWhileRecording = gtk_widget_is_sensitive(r->save);
        r->toggleLabelWhileRecording = LabelOf(r->toggle);
    }
    if (r->pushed < 3) {
        r->test->Sim(pushes[r->pushed++]);
        return TRUE;
    }
    Click(r->toggle);  // released: the loop ends
    return FALSE;
}

TEST_F(TraceScreenTest, FreeMotionRecordsAndSavesAndTheToolbarTogglesReachTheBoard) {
    extents = std::make_unique<PatternBox>();
    SetViewScale(0.015f);
    DisableX();
    DisableY();
    ASSERT_TRUE(WaitForState(*sim, "yenabled", "0", 1000));

    gtk_menu_item_activate(GTK_MENU_ITEM(MenuRecord()->items[kItemFreeMotion]));
    Drain();
    ASSERT_TRUE(isWidget(interface->currentScreen));
    Recording r;
    r.test = this;
    r.toggle = FindButton(interface->currentScreen, "Start");
    r.save = FindButton(interface->currentScreen, "Save");
    ASSERT_NE(r.toggle, nullptr);
    ASSERT_NE(r.save, nullptr);

    const uint32_t maskBefore = MenuStateMask();
    guint source = g_timeout_add(20, RecordingStep, &r);
    Click(r.toggle);  // pressed: records until RecordingStep releases it
    if (r.pushed < 3) g_source_remove(source);
    ASSERT_EQ(r.pushed, 3);
    EXPECT_EQ(r.maskWhileRecording, 0u);
    EXPECT_FALSE(r.saveUsableWhileRecording);
    EXPECT_EQ(r.toggleLabelWhileRecording, "Stop");
    EXPECT_EQ(LabelOf(r.toggle), "Start");
    EXPECT_TRUE(gtk_widget_is_sensitive(r.save));
    EXPECT_EQ(MenuStateMask(), maskBefore);
    ASSERT_TRUE(tmpPattern);
    ASSERT_EQ(tmpPattern->pointCount, 3);
    EXPECT_FLOAT_EQ(tmpPattern->x[1], 2.5f);
    EXPECT_FLOAT_EQ(tmpPattern->y[2], 3.0f);

    responder->keyboard = {"./patterns/handmade"};
    Click(r.save);
    ASSERT_EQ(responder->prompts.size(), 1u);
    EXPECT_EQ(responder->prompts[0], "SAVE AS:");
    Pattern saved;
    ASSERT_EQ(openPattern(&saved, "./patterns/handmade.qcc"), 1);
    EXPECT_EQ(saved.pointCount, 3);
    EXPECT_EQ(responder->Texts(), std::vector<std::string>{"FILE SAVED:\n./patterns/handmade.qcc"});

    // Building the screen again forgets the recording.
    gtk_menu_item_activate(GTK_MENU_ITEM(MenuRecord()->items[kItemFreeMotion]));
    Drain();
    EXPECT_FALSE(tmpPattern);
    // The screen freed both axes.
    EXPECT_EQ(SimState("xenabled"), "0");

    // The toolbar's machine toggles and the start point button on the board.
    SetMenuStateMask(kLayoutViewMenuMask);
    responder->shown.clear();
    gtk_toggle_tool_button_set_active(GTK_TOGGLE_TOOL_BUTTON(Tool(kToolLockX)), TRUE);
    EXPECT_TRUE(WaitForState(*sim, "xenabled", "1", 1000));
    EXPECT_EQ(SimState("yenabled"), "0");
    gtk_toggle_tool_button_set_active(GTK_TOGGLE_TOOL_BUTTON(Tool(kToolLockY)), TRUE);
    EXPECT_TRUE(WaitForState(*sim, "yenabled", "1", 1000));
    gtk_toggle_tool_button_set_active(GTK_TOGGLE_TOOL_BUTTON(Tool(kToolLockX)), FALSE);
    EXPECT_TRUE(WaitForState(*sim, "xenabled", "0", 1000));

    auto* stitchingToggle = GTK_TOGGLE_TOOL_BUTTON(Tool(kToolStitching));
    Sim("stitcher-status 33");
    gtk_toggle_tool_button_set_active(stitchingToggle, TRUE);
    EXPECT_FALSE(gtk_toggle_tool_button_get_active(stitchingToggle));
    EXPECT_EQ(stitching, 0);
    ASSERT_EQ(responder->Texts().size(), 1u);
    EXPECT_EQ(responder->Texts()[0], "HANDLE BARS NOT IN ROBOT MODE");

    Sim("stitcher-status 1");
    gtk_toggle_tool_button_set_active(stitchingToggle, TRUE);
    EXPECT_TRUE(gtk_toggle_tool_button_get_active(stitchingToggle));
    EXPECT_EQ(stitching, 1);
    EXPECT_EQ(responder->Texts().size(), 1u);
    gtk_toggle_tool_button_set_active(stitchingToggle, FALSE);
    EXPECT_EQ(stitching, 0);

    // Retrieve Start Point fills the box and quilt entries from the head.
    MakeRunBox();  // origin (1, 1)
    gtk_toggle_tool_button_set_active(GTK_TOGGLE_TOOL_BUTTON(Tool(kToolLockY)), FALSE);
    ASSERT_TRUE(WaitForState(*sim, "yenabled", "0", 1000));
    Sim("push 1000 -500");  // from (3, 3), where the recording left the head, to (4, 2.5)
    GtkWidget* entries[6] = {};
    for (GtkWidget*& entry : entries)
        entry = g_object_ref_sink(gtk_entry_new());
    OnBtnSetStartClicked(nullptr, entries);
    const char* expected[] = {"3.000", "1.500", "4.000", "2.500", "", ""};
    for (int i = 0; i < 6; i++) {
        EXPECT_STREQ(gtk_entry_get_text(GTK_ENTRY(entries[i])), expected[i]) << i;
        g_object_unref(entries[i]);
    }
    EXPECT_EQ(responder->Texts().size(), 1u);
}

// Taps the point-selection view at (x, y) of the view, as a finger does.
void TapView(GtkWidget* window, int x, int y) {
    GtkWidget* view = FindNamed(window, kPointSelectViewName);
    ASSERT_NE(view, nullptr);
    gdk_test_simulate_button(view->window, x, y, 1, GdkModifierType(0), GDK_BUTTON_PRESS);
    gdk_test_simulate_button(view->window, x, y, 1, GdkModifierType(0), GDK_BUTTON_RELEASE);
}

// Taps the centre of the OK (1) or Cancel (2) button drawn on the view.
void TapButton(GtkWidget* window, int button) {
    GtkWidget* view = FindNamed(window, kPointSelectViewName);
    ASSERT_NE(view, nullptr);
    const int w = view->allocation.width, h = view->allocation.height, b = confirm_button_size;
    const int left = button == 1 ? w - 2 * b - 24 : w - b - 8;
    TapView(window, left + b / 2, h - b / 2);
}

TEST_F(TraceScreenTest, PointSelectionReturnsThePathPointNearestTheHead) {
    CurrentRun().fullPattern = MakePath({{1000, 1000, 0},
                                         {3000, 1000, 0},
                                         {3000, 2000, 1},
                                         {6000, 2000, 0},
                                         {6000, 4000, 0},
                                         {1000, 4000, 0}});
    SetViewScale(0.05f);
    DisableX();
    DisableY();
    ASSERT_TRUE(WaitForState(*sim, "yenabled", "0", 1000));
    // Nearest to the halt point (3000, 2000), which is not counted: (3000, 1000)
    // lies 900 away, (6000, 2000) 2900.
    Sim("push 3000 1900");

    int crossX = -1, crossY = -1;
    Script script{kPointSelectScreenName,
                  {[](GtkWidget* window) { TapView(window, 20, 20); },  // above the buttons
                   [&](GtkWidget*) {
                       crossX = interface->measureLine ? interface->measureLine[0] : -1;
                       crossY = interface->measureLine ? interface->measureLine[1] : -1;
                   },
                   [](GtkWidget* window) { TapButton(window, 1); }}};
    StartScript(&script);
    FullPattern_t* chosen = SelectPoint();
    StopScript(&script);
    EXPECT_EQ(chosen, CurrentRun().fullPattern->next());
    // The cross followed the head: pixels of the table at the screen's scale.
    EXPECT_GT(crossX, 0);
    EXPECT_GT(crossY, crossX / 2);
    EXPECT_FLOAT_EQ(ViewScale(), 0.05f);  // restored
    EXPECT_EQ(interface->measureLine, nullptr);
    EXPECT_EQ(runTimer, 0);

    Script cancel{kPointSelectScreenName, {[](GtkWidget* window) { TapButton(window, 2); }}};
    StartScript(&cancel);
    EXPECT_EQ(SelectPoint(), nullptr);
    StopScript(&cancel);

    FreeFullPattern(CurrentRun().fullPattern);
    CurrentRun().fullPattern = nullptr;
}

}  // namespace
