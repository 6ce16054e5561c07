// Screens built for real and driven against the simulated board: the setup
// notebook, the trace screen with the toolbar's toggles, the point selection,
// a run, the quilt-area and pattern-box procedures with the head pushed by
// hand, and the layout file actions.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "app/setup_values.h"
#include "base/application_state.h"
#include "base/defaults_file.h"
#include "base/log.h"
#include "base/program_settings.h"
#include "base/screen_config.h"
#include "base/ui_hooks.h"
#include "layout/box_drawing.h"
#include "layout/layout_file.h"
#include "layout/layout_selection.h"
#include "layout/layout_tree.h"
#include "layout/pattern_box.h"
#include "layout/placement_spot.h"
#include "layout/view_transform.h"
#include "machine/machine_parameters.h"
#include "machine/mc1_commands.h"
#include "machine/serial_link.h"
#include "machine/stitching/pattern_run.h"
#include "machine/stitching/point_select.h"
#include "machine/stitching/point_streaming.h"
#include "machine/stitching/run_flags.h"
#include "machine/stitching/run_state.h"
#include "machine/stitching/stitch_path.h"
#include "machine/stitching/trace_recording.h"
#include "pattern/pattern.h"
#include "support/mc1sim_fixture.h"
#include "support/run_layout.h"
#include "support/run_record.h"
#include "support_ui/ui_fixture.h"
#include "ui/drawing_area.h"
#include "ui/extents_setup.h"
#include "ui/file_chooser.h"
#include "ui/interface.h"
#include "ui/layout_actions.h"
#include "ui/menu.h"
#include "ui/point_select_screen.h"
#include "ui/run_toggles.h"
#include "ui/run_view.h"
#include "ui/screens.h"
#include "ui/setup_advanced.h"
#include "ui/setup_screen.h"
#include "ui/startup.h"
#include "ui/widget_helpers.h"

namespace {

using Step = std::function<void(GtkWidget*)>;

// The simulated board (time scale 50 unless a test sets another before SetUp),
// the factory settings, the log in a temporary file, the scripted responder,
// a program folder of its own, and the main window with its menu row.
struct BoardWindowTest : ::testing::Test, TestFolder {
    void SetUp() override {
        ASSERT_TRUE(EnsureGtk());
        sim = std::make_unique<Mc1Sim>(std::vector<std::string>{"--time-scale", timeScale});
        ASSERT_TRUE(sim->running) << sim->error;
        SetFactoryDefaults();
        ResetProgramSettings();
        SetLogStream(logStream);
        SetSerialDevicePath(sim->device);
        ASSERT_GE(OpenPort(), 0);
        responder = std::make_unique<ScriptedResponder>();
        // Long loops (recording, motor tests) keep the screen alive through the seam.
        UserInterfaceHooks hooks = GetUserInterfaceHooks();
        hooks.drainEvents = Drain;
        SetUserInterfaceHooks(hooks);
        SetDefaultsFilePath(folder.File("defaults.mrl").c_str());
        MakeMainWindow(true);
    }
    void TearDown() override {
        DropMainWindow();
        responder.reset();
        ClosePort();
        SetDefaultsFilePath(nullptr);
        extents.reset();
        ClearLayout();
        ClearPatternList();
        InitPatternBox();
        SetLogStream(stdout);
        std::fclose(logStream);
        EraseTemporaryPattern();
    }
    std::string Sim(const std::string& command) { return SimControl(*sim, command); }

    std::string timeScale = "50";
    std::unique_ptr<Mc1Sim> sim;
    std::unique_ptr<ScriptedResponder> responder;
    FILE* logStream = std::tmpfile();
};

// The control of a page's table next to the label with this text: the entry
// right of it, or (entry false) the slider under it.
GtkWidget* ControlOf(GtkWidget* page, const char* label, bool entry = true) {
    for (GtkWidget* l : WidgetsOfType(page, GTK_TYPE_LABEL)) {
        if (std::string(gtk_label_get_text(GTK_LABEL(l))) != label) continue;
        GtkWidget* table = gtk_widget_get_parent(l);
        guint left = 0, top = 0, cl = 0, ct = 0;
        gtk_container_child_get(GTK_CONTAINER(table), l, "left-attach", &left, "top-attach", &top,
                                nullptr);
        for (GtkWidget* c : WidgetsOfType(page, entry ? GTK_TYPE_ENTRY : GTK_TYPE_RANGE)) {
            gtk_container_child_get(GTK_CONTAINER(table), c, "left-attach", &cl, "top-attach", &ct,
                                    nullptr);
            if (entry ? cl == left + 1 && ct == top : cl == left) return c;
        }
    }
    return nullptr;
}

double Value(GtkWidget* slider) {
    return slider ? gtk_range_get_value(GTK_RANGE(slider)) : -1;
}

std::string Text(GtkWidget* entry) {
    return entry ? gtk_entry_get_text(GTK_ENTRY(entry)) : "(none)";
}

using SetupScreenTest = BoardWindowTest;

// A release on a slider, after its value was moved to `value`.
void ReleaseSlider(GtkWidget* slider, double value) {
    gtk_range_set_value(GTK_RANGE(slider), value);
    GdkEventButton release = {};
    release.type = GDK_BUTTON_RELEASE;
    release.window = gtk_widget_get_window(slider);
    release.button = 1;
    gboolean handled = FALSE;
    g_signal_emit_by_name(slider, "button-release-event", &release, &handled);
    Drain();
}

// Each slider and entry reaches its own value (what becomes of it is the
// core's table) and is found again when the screen opens; a silent board
// leaves them as they were. The password guards the last pages; Show Advanced
// Features brings the machine type, which asks before it changes.
TEST_F(SetupScreenTest, ValuesReachTheBoardThePasswordAndTheMachineType) {
    menuMainSetup(nullptr, nullptr);
    Drain();
    GtkNotebook* notebook = GTK_NOTEBOOK(interface->setupNotebook);
    auto page = [&](int index) { return gtk_notebook_get_nth_page(notebook, index); };
    auto turn = [&](int index) {
        gtk_notebook_set_current_page(notebook, index);
        Drain();
    };
    auto param = [&](const char* key) { return StateValue(Sim("params"), key); };
    EXPECT_EQ(gtk_notebook_get_n_pages(notebook), 6);
    turn(kPageParameters);
    const struct {
        const char* label;
        double released;
        const char* param;
        int held;
    } sliders[] = {{"Max Speed", 47, "speed", 50},
                   {"Length", 12, "stitchLen", 12},
                   {"Needle", 7, "slow", 7},
                   {"Min Speed", 4, "minimumSpeed", 4}};
    for (const auto& s : sliders) {
        ReleaseSlider(ControlOf(page(kPageParameters), s.label, false), s.released);
        EXPECT_EQ(param(s.param), std::to_string(s.held)) << s.label;
        EXPECT_EQ(Value(ControlOf(page(kPageParameters), s.label, false)), s.held) << s.label;
    }
    Sim("silence on");
    ReleaseSlider(ControlOf(page(kPageParameters), "Lock", false), 9);
    Sim("silence off");
    EXPECT_THAT(responder->Texts(), testing::Contains(kBoardSilentText));
    EXPECT_EQ(Value(ControlOf(page(kPageParameters), "Lock", false)),
              std::stod(param("stitchRep")));
    ClearPort();
    turn(kPageConstants);
    const struct {
        const char* label;
        double typed;
        const char* shown;
    } cases[] = {
        {"Acceleration", 150, "100"}, {"Margin", -12.5, "-10.000"}, {"X Power", 45.9, "45"}};
    for (const auto& c : cases) {
        GtkWidget* entry = ControlOf(page(kPageConstants), c.label);
        ASSERT_NE(entry, nullptr) << c.label;
        responder->numbers.push_back(c.typed);
        Click(entry);
        EXPECT_TRUE(
            WaitFor([&] { return responder->numbers.empty() && Text(entry) == c.shown; }, 3000))
            << c.label << " shows " << Text(entry);
    }
    EXPECT_EQ(param("XKp"), "45");
    menuMainSetup(nullptr, nullptr);
    Drain();
    notebook = GTK_NOTEBOOK(interface->setupNotebook);
    EXPECT_EQ(Text(ControlOf(page(kPageConstants), "X Power")), "45");
    EXPECT_EQ(Value(ControlOf(page(kPageParameters), "Max Speed", false)), 50);

    // A wrong password goes back to the first page; the right one is asked
    // once per visit.
    Machine().needleUpMethod = 3;
    responder->keyboard = {"tessle"};
    turn(kPageConfiguration);
    EXPECT_TRUE(WaitFor([&] { return gtk_notebook_get_current_page(notebook) == 0; }, 2000));
    responder->keyboard = {kSetupPassword};
    turn(kPageConfiguration);
    turn(kPageUpdates);
    turn(kPageConfiguration);
    EXPECT_EQ(responder->prompts, std::vector<std::string>(2, "PASSWORD:"));
    EXPECT_EQ(gtk_notebook_get_current_page(notebook), kPageConfiguration);
    GtkWidget* list = WidgetsOfType(page(kPageAdvanced), GTK_TYPE_COMBO_BOX).at(0);
    EXPECT_FALSE(gtk_widget_get_visible(list));
    Click(FindButton(page(kPageConfiguration), "Show Advanced Features"));
    EXPECT_TRUE(WaitFor([&] { return Settings().showAdvancedFeatures == 1; }, 2000));
    EXPECT_TRUE(gtk_widget_get_visible(MenuRecord()->items[kItemOpenLayout]));
    EXPECT_TRUE(gtk_widget_get_visible(list));
    // Machine type: Cancel puts the list back; OK stores it (its timings are
    // the core's table) and shows them.
    responder->shown.clear();
    responder->answers = {kResponseCancel, kResponseOk};
    gtk_combo_box_set_active(GTK_COMBO_BOX(list), 12);
    Drain();
    EXPECT_EQ(gtk_combo_box_get_active(GTK_COMBO_BOX(list)), 3);
    EXPECT_EQ(responder->Texts(),
              std::vector<std::string>{"DO YOU WANT TO SET THE MACHINE TYPE TO:\n\nCorvane 18 ?"});
    EXPECT_EQ(Machine().needleUpMethod, 3);
    gtk_combo_box_set_active(GTK_COMBO_BOX(list), 12);
    Drain();
    EXPECT_EQ(Machine().needleUpMethod, 12);
    EXPECT_EQ(Text(ControlOf(page(kPageAdvanced), "NdlUp Wait")), "100");
}

using TraceScreenTest = BoardWindowTest;

GtkWidget* Tool(ToolButtonId id) {
    return ToolbarRecord()->buttons[id];
}

// Label text of a button made with SetButtonFont.
std::string LabelOf(GtkWidget* button) {
    GtkWidget* child = gtk_bin_get_child(GTK_BIN(button));
    return GTK_IS_LABEL(child) ? gtk_label_get_text(GTK_LABEL(child)) : "";
}

// The quilter's hand during a recording: pushes the head through two
// positions, one after the other once the previous one was recorded, then
// releases Start. What the screen showed meanwhile is kept.
struct Recording {
    TraceScreenTest* test = nullptr;
    GtkWidget *toggle = nullptr, *save = nullptr;
    int pushed = 0;
    uint32_t maskWhileRecording = 1;
    bool saveUsableWhileRecording = true;
    std::string toggleLabelWhileRecording;
};

gboolean RecordingStep(gpointer data) {
    auto* r = static_cast<Recording*>(data);
    // The press may still be on its way through the X server.
    if (!tmpPattern || !gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(r->toggle))) return TRUE;
    if (tmpPattern->pointCount < r->pushed) return TRUE;  // wait for the loop to read the head
    if (r->pushed == 0) {
        r->maskWhileRecording = MenuStateMask();
        r->saveUsableWhileRecording = gtk_widget_is_sensitive(r->save);
        r->toggleLabelWhileRecording = LabelOf(r->toggle);
    }
    if (r->pushed < 2) {
        r->test->Sim(r->pushed++ ? "push 2000 2500" : "push 1000 500");
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
    if (r.pushed < 2) g_source_remove(source);
    ASSERT_EQ(r.pushed, 2);
    EXPECT_EQ(r.maskWhileRecording, 0u);
    EXPECT_FALSE(r.saveUsableWhileRecording);
    EXPECT_EQ(r.toggleLabelWhileRecording, "Stop");
    EXPECT_EQ(LabelOf(r.toggle), "Start");
    EXPECT_TRUE(gtk_widget_is_sensitive(r.save));
    EXPECT_EQ(MenuStateMask(), maskBefore);
    ASSERT_TRUE(tmpPattern && tmpPattern->pointCount == 2);
    EXPECT_FLOAT_EQ(tmpPattern->y[1], 3);

    responder->keyboard = {"./patterns/handmade"};
    Click(r.save);
    EXPECT_EQ(responder->prompts, std::vector<std::string>{"SAVE AS:"});
    EXPECT_EQ(responder->Texts(), std::vector<std::string>{"FILE SAVED:\n./patterns/handmade.qcc"});
    // The toolbar's machine toggles and the start point button on the board.
    SetMenuStateMask(kLayoutViewMenuMask);
    responder->shown.clear();
    gtk_toggle_tool_button_set_active(GTK_TOGGLE_TOOL_BUTTON(Tool(kToolLockX)), TRUE);
    EXPECT_TRUE(WaitForState(*sim, "xenabled", "1", 1000));
    EXPECT_EQ(StateValue(Sim("state"), "yenabled"), "0");
    gtk_toggle_tool_button_set_active(GTK_TOGGLE_TOOL_BUTTON(Tool(kToolLockX)), FALSE);
    EXPECT_TRUE(WaitForState(*sim, "xenabled", "0", 1000));

    auto* stitchingToggle = GTK_TOGGLE_TOOL_BUTTON(Tool(kToolStitching));
    Sim("stitcher-status 33");
    gtk_toggle_tool_button_set_active(stitchingToggle, TRUE);
    EXPECT_FALSE(gtk_toggle_tool_button_get_active(stitchingToggle));
    EXPECT_EQ(stitching, 0);
    EXPECT_EQ(responder->Texts(), std::vector<std::string>{"HANDLE BARS NOT IN ROBOT MODE"});
    Sim("stitcher-status 1");
    // Retrieve Start Point fills the box and quilt entries from the head.
    MakeRunBox();           // origin (1, 1)
    Sim("push 1000 -500");  // from (3, 3), where the recording left the head, to (4, 2.5)
    GtkWidget* entries[6] = {};
    for (GtkWidget*& entry : entries)
        entry = g_object_ref_sink(gtk_entry_new());
    OnBtnSetStartClicked(nullptr, entries);
    std::string texts;
    for (GtkWidget* entry : entries) {
        texts += gtk_entry_get_text(GTK_ENTRY(entry)) + std::string(" ");
        g_object_unref(entry);
    }
    EXPECT_EQ(texts, "3.000 1.500 4.000 2.500   ");
    EXPECT_EQ(responder->Texts().size(), 1u);
}

// A tap on the centre of the OK (1) or Cancel (2) button drawn on the point-selection view.
Step TapButton(int button) {
    return [button](GtkWidget* window) {
        GtkWidget* view = FindNamed(window, kPointSelectViewName);
        const int w = view->allocation.width, h = view->allocation.height, b = confirm_button_size;
        TapAt(view, (button == 1 ? w - 2 * b - 24 : w - b - 8) + b / 2, h - b / 2);
    };
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
                  {[](GtkWidget* window) {  // above the buttons
                       TapAt(FindNamed(window, kPointSelectViewName), 20, 20);
                   },
                   [&](GtkWidget*) {
                       crossX = interface->measureLine ? interface->measureLine[0] : -1;
                       crossY = interface->measureLine ? interface->measureLine[1] : -1;
                   },
                   TapButton(1)}};
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

    Script cancel{kPointSelectScreenName, {TapButton(2)}};
    StartScript(&cancel);
    EXPECT_EQ(SelectPoint(), nullptr);
    StopScript(&cancel);
    FreeFullPattern(CurrentRun().fullPattern);
    CurrentRun().fullPattern = nullptr;
}

// The run on the real screens: Start on the toolbar, the run view with its
// marker and speed buttons, PAUSE / START with THREAD BREAK, and the way back
// to the layout view.
struct RunViewScreen : BoardWindowTest {
    RunViewScreen() { timeScale = "6"; }
    void TearDown() override {
        SetRunControlHooks({});
        BoardWindowTest::TearDown();
    }
};
Mc1Sim* runSim = nullptr;

TEST_F(RunViewScreen, StartPauseSpeedAndResumeOnTheRealScreens) {
    runSim = sim.get();
    Machine().stitchRep = 0;
    fpTemp = nullptr;
    allStop = 0;

    InstallRunView();
    PlacePoints(MakeRunBox(), LinePoints(160, 0, 0, 0.05f, 0.01f), 0.5f, 0.5f);
    UserInterfaceHooks hooks = GetUserInterfaceHooks();
    hooks.drainEvents = DrainEvents;  // the run keeps the real screen alive
    SetUserInterfaceHooks(hooks);
    ShowScreen([] { return createPatternViewScreen(0, kAreaLayoutView); }, kIdleMenuMask,
               "layout view");
    gtk_toggle_tool_button_set_active(
        GTK_TOGGLE_TOOL_BUTTON(ToolbarRecord()->buttons[kToolStitching]), TRUE);
    // PAUSE, once the run view shows and the head has made 60 moves.
    g_timeout_add(
        20,
        [](gpointer) -> gboolean {
            if (!isWidget(interface->btnPause) ||
                std::stoi("0" + StateValue(SimControl(*runSim, "state"), "executed")) < 60)
                return TRUE;
            gtk_test_widget_click(interface->btnPause, 1, GdkModifierType(0));
            return FALSE;
        },
        nullptr);
    Click(gtk_bin_get_child(GTK_BIN(ToolbarRecord()->buttons[kToolStart])));  // returns paused
    ASSERT_TRUE(WaitFor([] { return allStop == 2; }, 20000));
    EXPECT_THAT(responder->Texts(),
                testing::Contains("AFTER THE MACHINE ARRIVES AT THE START POSITION PULL UP THE "
                                  "BOBBIN THREAD\nAND PRESS OK"));
    EXPECT_STREQ(CurrentScreenName(), "run view");
    EXPECT_EQ(MenuStateMask(), kRunMenuMask);
    ASSERT_TRUE(isWidget(interface->btnPause));
    EXPECT_EQ(FindButton(interface->window, "START"), interface->btnPause);
    EXPECT_TRUE(GTK_WIDGET_VISIBLE(interface->btnThread));
    EXPECT_TRUE(GTK_WIDGET_SENSITIVE(interface->btnThread));
    EXPECT_TRUE(CurrentRun().marker.shown);  // the head marker was drawn meanwhile
    EXPECT_EQ(StateValue(SimControl(*runSim, "state"), "halted"), "1");
    // Taps on the speed buttons (Up at the top, Down at the bottom of the
    // right-hand column) and one beside them.
    GtkWidget* area = interface->drawingArea;
    ASSERT_TRUE(isWidget(area));
    const int w = area->allocation.width, h = area->allocation.height;
    const int s = 32, x = w - s - 5 + s / 2;  // small icons
    const struct {
        int x, y;
        float speed;
    } taps[] = {{x, s + s / 2, 50}, {x, h - 2 * s + s / 2, 40}, {w / 2, h / 2, 40}};
    for (const auto& tap : taps) {
        TapAt(area, tap.x, tap.y);
        EXPECT_FLOAT_EQ(Machine().maxSpeed, tap.speed) << tap.x << "," << tap.y;
    }

    Click(interface->btnPause);  // START: resumes and runs to the end
    ASSERT_TRUE(WaitFor([] { return std::string(CurrentScreenName()) == "layout view"; }, 30000));
    EXPECT_EQ(MenuStateMask(), kIdleMenuMask);
    EXPECT_EQ(interface->btnPause, nullptr);
    EXPECT_EQ(CurrentRun().fullPattern, nullptr);
    EXPECT_TRUE(GTK_WIDGET_SENSITIVE(ToolbarRecord()->buttons[kToolStitching]));
    const std::string state = SimControl(*runSim, "state");
    EXPECT_EQ(StateValue(state, "xenabled"), "0") << state;
    EXPECT_EQ(StateValue(state, "stitching"), "0") << state;
    EXPECT_EQ(StitchedMoves(ReadRunRecord(sim->recordPath)).size(), 160u);
}

// The box's corners are these, in this order, within a ten-thousandth.
::testing::AssertionResult SameCorners(const PatternBox* box, const std::vector<QuiltPoint>& want) {
    std::string text;
    size_t i = 0;
    bool same = true;
    for (const PatternBoxPoint* c = box ? box->corners : nullptr; c; c = c->next, i++) {
        text += "(" + std::to_string(c->x) + ", " + std::to_string(c->y) + ") ";
        same = same && i < want.size() && std::abs(c->x - want[i].x) <= 1e-4f &&
               std::abs(c->y - want[i].y) <= 1e-4f;
    }
    if (same && i == want.size()) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "corners " << text;
}

// The quilt-area and pattern-box procedures and the layout menu actions: the
// layout window with an empty layout, the head pushed by hand.
struct Procedures : BoardWindowTest {
    void SetUp() override {
        BoardWindowTest::SetUp();
        if (HasFatalFailure()) return;
        ASSERT_EQ(mkdir("Layout", 0777), 0);
        ASSERT_TRUE(
            WriteFileText("square.qcc", "p X0.000 Y0.000\np X2.000 Y0.000\np X2.000 Y1.000\n"));
        ResetLayoutSelection();
        FreeLayout();
        InitPatternBox();
        pbTemp.reset();
        InstallLayoutInterface();
    }
    void TearDown() override {
        PressSetupButton(1, 3);  // ends live tracking if a procedure was left running
        pbTemp.reset();
        BoardWindowTest::TearDown();
    }
    std::string State(const char* key) { return StateValue(Sim("state"), key); }
    // Pushes the head by hand to (x, y) inches of the board's coordinates,
    // once the board has freed both axes.
    void At(float x, float y) {
        ASSERT_TRUE(WaitForState(*sim, "xenabled", "0", 2000));
        ASSERT_TRUE(WaitForState(*sim, "yenabled", "0", 2000));
        const auto to = [&](float inches, const char* key) {
            return std::to_string(std::lround(inches * 1000) - std::lround(std::stod(State(key))));
        };
        const std::string reply = Sim("push " + to(x, "x") + " " + to(y, "y"));
        ASSERT_EQ(reply.rfind("ok", 0), 0u) << reply;
    }
    // A tap released at (x, y) of the quilt-area setup's view, counted from
    // the right and the bottom edge.
    static void Tap(int x, int y) {
        Drain();
        GdkEventButton tap = {};
        tap.type = GDK_BUTTON_RELEASE;
        tap.x = interface->drawingArea->allocation.width - x;
        tap.y = interface->drawingArea->allocation.height - y;
        OnScreenTap(interface->drawingArea, &tap, const_cast<char*>("0"));
    }
};

// The quilt area from the box menu (no table yet), measured corner by corner;
// then boxes added, refused and deleted through the box menu.
TEST_F(Procedures, QuiltAreaIsMeasuredCornerByCornerAndTheBoxMenuAddsAndDeletesBoxes) {
    menuMainPatternbox(nullptr, const_cast<char*>("0"));
    EXPECT_EQ(responder->Texts(),
              std::vector<std::string>{"YOU MUST SET UP THE TABLE EXTENTS FIRST.\nPROCEEDING TO "
                                       "THE TABLE EXTENTS SETUP."});
    responder->shown.clear();
    EXPECT_STREQ(CurrentScreenName(), "quilt-area setup");
    EXPECT_EQ(BoxMode(), 0);
    // The setup screen frees the axes and ends any run.
    EXPECT_EQ(State("xenabled"), "0");
    EXPECT_EQ(State("yenabled"), "0");
    EXPECT_EQ(State("ends"), "1");
    // Cancel leads nowhere before the table is measured.
    PressSetupButton(0, 2);
    EXPECT_STREQ(CurrentScreenName(), "quilt-area setup");
    // The buttons are tapped on the view.
    const int b = confirm_button_size;
    At(3, 4);                // wherever the head is, that is the new home
    Tap(3 * b + 14, 3 * b);  // above the buttons
    EXPECT_EQ(pbTemp->count, 0);
    Tap(3 * b + 14, b / 2);
    EXPECT_EQ(pbTemp->count, 1);
    EXPECT_EQ(State("x"), "0");
    EXPECT_EQ(State("y"), "0");
    // An unreadable head keeps the procedure where it was.
    Sim("silence on");
    PressSetupButton(0, 1);
    EXPECT_EQ(responder->Texts(), std::vector<std::string>{"COMMAND FAILED, PLEASE TRY AGAIN."});
    EXPECT_EQ(pbTemp->count, 1);
    Sim("silence off");
    responder->shown.clear();
    At(40, -0.01f);  // a slightly negative reading counts as 0
    PressSetupButton(0, 1);
    At(40, 20);
    PressSetupButton(0, 1);

    ASSERT_NE(extents, nullptr);
    EXPECT_TRUE(SameCorners(extents.get(), {{0, 0}, {40, 0}, {40, 20}, {0, 20}}));
    EXPECT_EQ(State("extents"), "1");
    ASSERT_EQ(responder->shown.size(), 1u);
    EXPECT_EQ(responder->shown[0].text, "TABLE WIDTH = 40.000 IN.\nTABLE HEIGHT = 20.000 IN.");
    EXPECT_EQ(responder->shown[0].kind, kMessageInfo);
    EXPECT_EQ(pbTemp, nullptr);
    // The whole table is the one box.
    ASSERT_EQ(patternBoxList.count, 1);
    EXPECT_EQ(CurrentPatternBox(), 0);
    EXPECT_TRUE(SameCorners(GetPatternBox(0), {{0, 20}, {40, 20}, {40, 0}, {0, 0}}));
    EXPECT_FLOAT_EQ(GetPatternBox(0)->width, 40);  // its measures are set
    EXPECT_STREQ(CurrentScreenName(), "layout view");
    responder->shown.clear();

    menuMainPatternbox(nullptr, const_cast<char*>("2"));
    EXPECT_EQ(responder->Texts(), std::vector<std::string>{"YOU MAY NOT DELETE THIS PATTERN BOX"});
    responder->shown.clear();

    menuMainPatternbox(nullptr, const_cast<char*>("1"));
    EXPECT_STREQ(CurrentScreenName(), "pattern-box setup");
    EXPECT_FLOAT_EQ(ViewScale(), 40.0f / view_area_width);
    At(20, 12);
    PressSetupButton(1, 1);
    At(30, 2);
    PressSetupButton(1, 2);  // CHECK
    ASSERT_EQ(patternBoxList.count, 2);
    ASSERT_NE(AppendLayoutNode(0, -1, 0, 0, 0, 1), nullptr);

    menuMainPatternbox(nullptr, const_cast<char*>("2"));
    EXPECT_EQ(responder->Texts(),
              std::vector<std::string>{"ALL PATTERNS ATTACHED TO THE PATTERN "
                                       "BOX WILL BE DELETED AS WELL.\n\nCONTINUE?"});
    EXPECT_EQ(patternBoxList.count, 1);
    EXPECT_EQ(CurrentPatternBox(), 0);
    EXPECT_EQ(CountLayoutNodes(), 0);
    EXPECT_TRUE(SameCorners(GetPatternBox(0), {{0, 20}, {40, 20}, {40, 0}, {0, 0}}));
}

TEST_F(Procedures, SaveAsSaveNewAndOpenKeepTheLayoutAndItsName) {
    StartQuiltAreaSetup();  // a 40 x 20 inch table
    for (QuiltPoint p : std::vector<QuiltPoint>{{-0.2f, -0.3f}, {40, 0}, {40, 20}}) {
        At(p.x, p.y);
        PressSetupButton(0, 1);
    }
    responder->shown.clear();
    ASSERT_EQ(AddPatternToCurrentBox("square.qcc"), 1);
    responder->keyboard = {"my layout#1"};  // loses what a file name may not hold
    menuEditSaveLayoutAs(nullptr, nullptr);
    EXPECT_EQ(responder->prompts, std::vector<std::string>{"SAVE AS:"});
    EXPECT_EQ(responder->Texts(), std::vector<std::string>{"FILE SAVED:\n./Layout/mylayout1.qlf"});
    EXPECT_EQ(CurrentLayoutName(), "./Layout/mylayout1");
    // Save asks before overwriting the current layout.
    ASSERT_EQ(AddPatternToCurrentBox("square.qcc"), 1);
    responder->shown.clear();
    menuEditSaveLayout(nullptr, nullptr);
    EXPECT_EQ(ReadFileText("Layout/mylayout1.qlf"), SerializeLayout());
    EXPECT_EQ(responder->Texts(),
              (std::vector<std::string>{
                  "THIS WILL OVERWRITE THE CURRENT LAYOUT:\nmylayout1\nWOULD YOU LIKE TO CONTINUE?",
                  "FILE SAVED:\n./Layout/mylayout1.qlf"}));
    // A new layout empties everything and starts the quilt-area procedure.
    menuMainNewLayout(nullptr, nullptr);
    EXPECT_EQ(extents, nullptr);
    EXPECT_EQ(patternList.count, 0);
    EXPECT_EQ(patternBoxList.count, 0);
    EXPECT_EQ(CurrentLayoutName(), "");
    EXPECT_STREQ(CurrentScreenName(), "quilt-area setup");
    EXPECT_EQ(MenuStateMask(), kQuiltAreaMenuMask);
    // Open: the chooser offers layout files; the machine is homed after OK.
    ASSERT_TRUE(WriteFileText("Layout/notes.txt", "not a layout"));
    At(3, 4);
    std::string chooserFolder;
    std::vector<std::string> chooserRows;
    InsideNextChooser([&] {
        chooserFolder = FileChooserFolder();
        for (const ChooserRow& row : FileChooserRows())
            chooserRows.push_back(row.name + (row.folder ? "/" : ""));
        FileChooserSelect("mylayout1.qlf");
        FileChooserRespond(1);
    });
    responder->shown.clear();
    menuMainLoadLayout(nullptr, nullptr);
    EXPECT_EQ(chooserFolder, "./Layout/");
    EXPECT_EQ(chooserRows, std::vector<std::string>{"mylayout1.qlf"});
    EXPECT_EQ(CountLayoutNodes(0), 2);
    EXPECT_EQ(patternList.count, 2);
    ASSERT_NE(extents, nullptr);
    EXPECT_FLOAT_EQ(extents->width, 40);
    EXPECT_EQ(State("x"), "0");  // homed where the head stood
    EXPECT_EQ(State("y"), "0");
    EXPECT_EQ(responder->Texts(),
              (std::vector<std::string>{
                  "THIS WILL ERASE ALL CURRENT LAYOUT INFORMATION.\n\nCONTINUE?",
                  "\nMOVE YOUR MACHINE TO THE HOME LOCATION ON YOUR TABLE AND PRESS OK."}));
    EXPECT_STREQ(CurrentScreenName(), "layout view");
    EXPECT_EQ(CurrentLayoutName(), "./Layout/mylayout1");
}

}  // namespace
