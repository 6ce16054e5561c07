// Screens built for real under the test's X server and driven against the
// simulated board: the setup notebook (clicks, the number pad and the keyboard;
// the board's parameters are the evidence of every change), the trace screen
// with the toolbar's machine toggles, the point selection, a run, the guided
// quilt-area and pattern-box procedures with the head pushed by hand, and the
// layout menu actions (new, open, save, save-as, set-point, undo).
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
#include "base/timers.h"
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
#include "support/chooser_rows.h"
#include "support/mc1sim_fixture.h"
#include "support/run_layout.h"
#include "support/run_record.h"
#include "support_ui/touch_targets.h"
#include "support_ui/ui_fixture.h"
#include "ui/diagnostics_page.h"
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

// The simulated board (time scale 50 unless a test sets another before SetUp),
// the factory settings, the log in a temporary file, the scripted responder,
// and a program folder of its own.
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

GtkWidget* First(GtkWidget* root, GType type) {
    const std::vector<GtkWidget*> found = WidgetsOfType(root, type);
    return found.empty() ? nullptr : found[0];
}

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

// Shown by the switches: menu entries, toolbar buttons, and rows on the page turned to.
bool Shown(GtkWidget* widget, bool onPage = false) {
    return widget && gtk_widget_get_visible(widget) && (!onPage || gtk_widget_get_mapped(widget));
}

struct SetupScreenTest : BoardWindowTest {
    void Open() {
        MakeMainWindow(true);
        menuMainSetup(nullptr, nullptr);
        Drain();
        ASSERT_TRUE(isWidget(interface->setupNotebook));
    }
    GtkNotebook* Notebook() { return GTK_NOTEBOOK(interface->setupNotebook); }
    GtkWidget* Page(int index) { return gtk_notebook_get_nth_page(Notebook(), index); }
    void Turn(int index) {
        gtk_notebook_set_current_page(Notebook(), index);
        Drain();
    }
    std::string Param(const char* key) { return StateValue(Sim("params"), key); }
};

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
// core's table); a silent board leaves them as they were.
TEST_F(SetupScreenTest, EveryValueReachesTheBoardAndIsFoundAgainWhenTheScreenOpens) {
    Open();
    EXPECT_EQ(gtk_notebook_get_n_pages(Notebook()), 6);
    Turn(kPageParameters);
    GtkWidget* page = Page(kPageParameters);
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
        ReleaseSlider(ControlOf(page, s.label, false), s.released);
        EXPECT_EQ(Param(s.param), std::to_string(s.held)) << s.label;
        EXPECT_EQ(Value(ControlOf(page, s.label, false)), s.held) << s.label;
    }
    Sim("silence on");
    ReleaseSlider(ControlOf(page, "Lock", false), 9);
    Sim("silence off");
    EXPECT_TRUE(responder->Showed(kBoardSilentText));
    EXPECT_EQ(Value(ControlOf(page, "Lock", false)), std::stod(Param("stitchRep")));
    ClearPort();

    Turn(kPageConstants);
    GtkWidget* constants = Page(kPageConstants);
    const struct {
        const char* label;
        double typed;
        const char* shown;
    } cases[] = {
        {"Acceleration", 150, "100"}, {"Margin", -12.5, "-10.000"}, {"X Power", 45.9, "45"}};
    for (const auto& c : cases) {
        GtkWidget* entry = ControlOf(constants, c.label);
        ASSERT_NE(entry, nullptr) << c.label;
        responder->numbers.push_back(c.typed);
        Click(entry);
        EXPECT_TRUE(
            WaitFor([&] { return responder->numbers.empty() && Text(entry) == c.shown; }, 3000))
            << c.label << " shows " << Text(entry);
    }
    EXPECT_EQ(Param("XKp"), "45");

    menuMainSetup(nullptr, nullptr);
    Drain();
    EXPECT_EQ(Text(ControlOf(Page(kPageConstants), "Acceleration")), "100");
    EXPECT_EQ(Text(ControlOf(Page(kPageConstants), "X Power")), "45");
    EXPECT_EQ(Value(ControlOf(Page(kPageParameters), "Max Speed", false)), 50);
}

TEST_F(SetupScreenTest, MachineTypesThePasswordAndTheAdvancedSwitch) {
    icon_style = 1;  // the toolbar's stitch buttons exist only with large icons
    Machine().needleUpMethod = 3;
    Open();
    MenuBar* menu = MenuRecord();
    ToolBar* tools = ToolbarRecord();
    GtkWidget* advanced = Page(kPageAdvanced);
    GtkWidget* list = First(advanced, GTK_TYPE_COMBO_BOX);
    ASSERT_NE(list, nullptr);
    Turn(kPageAdvanced);
    EXPECT_FALSE(Shown(list, true)) << "the machine type is an advanced feature";
    // The password guard: a wrong word goes back to the first page.
    responder->keyboard.push_back("tessle");
    Turn(kPageConfiguration);
    EXPECT_TRUE(WaitFor([&] { return gtk_notebook_get_current_page(Notebook()) == 0; }, 2000));
    ASSERT_EQ(responder->prompts.size(), 1u);
    EXPECT_EQ(responder->prompts[0], "PASSWORD:");
    responder->keyboard.push_back(kSetupPassword);
    Turn(kPageConfiguration);
    Turn(kPageUpdates);
    Turn(kPageConfiguration);
    EXPECT_EQ(responder->prompts.size(), 2u) << "asked once per visit";
    EXPECT_EQ(gtk_notebook_get_current_page(Notebook()), kPageConfiguration);
    // Show Advanced Features: the layout entries, the stitch buttons and the
    // advanced rows follow it.
    GtkWidget* box = FindButton(Page(kPageConfiguration), "Show Advanced Features");
    ASSERT_NE(box, nullptr);
    Click(box);
    EXPECT_TRUE(WaitFor([&] { return Settings().showAdvancedFeatures == 1; }, 2000));
    Drain();
    EXPECT_TRUE(Shown(menu->items[kItemOpenLayout]));
    EXPECT_TRUE(Shown(tools->buttons[kToolStitchOnOff]));
    Turn(kPageAdvanced);
    EXPECT_TRUE(Shown(list, true));
    GtkWidget* stitchBtns = FindButton(advanced, "Stitch Btns");
    EXPECT_TRUE(Shown(stitchBtns, true));
    EXPECT_TRUE(gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(stitchBtns)));
    EXPECT_TRUE(responder->shown.empty()) << "ticking the box asks nothing";
    // Machine type: Cancel puts the list back without a second question.
    responder->answers.push_back(kResponseCancel);
    gtk_combo_box_set_active(GTK_COMBO_BOX(list), 12);
    Drain();
    EXPECT_EQ(gtk_combo_box_get_active(GTK_COMBO_BOX(list)), 3);
    ASSERT_EQ(responder->shown.size(), 1u);
    EXPECT_EQ(responder->shown[0].text, "DO YOU WANT TO SET THE MACHINE TYPE TO:\n\nCorvane 18 ?");
    EXPECT_EQ(Machine().needleUpMethod, 3);
    EXPECT_EQ(needleUpCallbackOn, 1);
    // OK: the type stored (its timings are the core's table), the needle-up button hidden.
    responder->answers.push_back(kResponseOk);
    gtk_combo_box_set_active(GTK_COMBO_BOX(list), 12);
    Drain();
    EXPECT_EQ(Machine().needleUpMethod, 12);
    EXPECT_EQ(Text(ControlOf(advanced, "NdlUp Wait")), "100");
    EXPECT_FALSE(Shown(tools->buttons[kToolNeedleUp]));
    EXPECT_TRUE(Shown(tools->buttons[kToolStitchOnOff]));
    // "Stitch Btns" cleared and answered No: the box goes back, nothing changes.
    responder->answers.push_back(kResponseNo);
    gtk_button_clicked(GTK_BUTTON(stitchBtns));
    EXPECT_TRUE(WaitFor([&] { return responder->answers.empty(); }, 2000));
    Drain();
    EXPECT_TRUE(gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(stitchBtns)));
    EXPECT_EQ(Settings().stitchButtonsOn, 1);
    responder->answers.push_back(kResponseYes);
    gtk_button_clicked(GTK_BUTTON(stitchBtns));
    EXPECT_TRUE(WaitFor([&] { return Settings().stitchButtonsOn == 0; }, 2000));
    EXPECT_FALSE(Shown(tools->buttons[kToolStitchOnOff]));
    // Factory Defaults: the pages rebuilt (the question, the values and the
    // messages are the core's factory-reset test).
    const size_t before = responder->shown.size();
    responder->answers.push_back(kResponseOk);
    gtk_button_clicked(GTK_BUTTON(FindButton(advanced, "Factory Defaults")));
    EXPECT_TRUE(WaitFor([&] { return responder->shown.size() >= before + 2; }, 5000));
    Drain();
    ASSERT_TRUE(isWidget(interface->setupNotebook));
    EXPECT_EQ(
        gtk_combo_box_get_active(GTK_COMBO_BOX(First(Page(kPageAdvanced), GTK_TYPE_COMBO_BOX))), 0);
    icon_style = 0;
}

namespace {
// While a motor test drains events: the menu mask seen, and once, a switch to
// the first page (the quilter leaving the Test page mid-test).
uint32_t maskDuringTest = 1;
bool leavePage = false;
void DrainDuringTest() {
    if (DiagnosticsRunning()) {
        maskDuringTest = MenuStateMask();
        if (leavePage && interface && isWidget(interface->setupNotebook)) {
            leavePage = false;
            gtk_notebook_set_current_page(GTK_NOTEBOOK(interface->setupNotebook), kPageUpdates);
        }
    }
    Drain();
    AdvanceClock(1000);  // on the manual clock a stalled board is met after a few polls
}

std::string BufferText(GtkWidget* page) {
    GtkTextBuffer* buffer =
        gtk_text_view_get_buffer(GTK_TEXT_VIEW(First(page, GTK_TYPE_TEXT_VIEW)));
    GtkTextIter start, end;
    gtk_text_buffer_get_bounds(buffer, &start, &end);
    gchar* text = gtk_text_buffer_get_text(buffer, &start, &end, FALSE);
    std::string result = text;
    g_free(text);
    return result;
}
}  // namespace

TEST_F(SetupScreenTest, TheUpdatesButtonsAndTheMotorTestsAreLive) {
    Open();
    GtkWidget* updates = Page(kPageUpdates);
    const struct {
        const char *label, *starts;
    } buttons[] = {{"Update Program", "USB DRIVE NOT DETECTED."},
                   {"Update Robot", "USB DRIVE NOT DETECTED."},
                   {"System Info", "Software Version: 3.05\nOS: "}};
    for (const auto& b : buttons) {
        responder->shown.clear();
        responder->answers = {kResponseNo};  // no reboot
        gtk_button_clicked(GTK_BUTTON(FindButton(updates, b.label)));
        ASSERT_EQ(responder->shown.size(), 1u) << b.label;
        EXPECT_EQ(responder->shown[0].text.rfind(b.starts, 0), 0u) << b.label;
    }
    // The motor direction: Cancel leaves it, OK reverses the board's encoders.
    GtkWidget* direction = FindButton(updates, "Motor Forward");
    ASSERT_NE(direction, nullptr);
    responder->answers.push_back(kResponseCancel);
    gtk_button_clicked(GTK_BUTTON(direction));
    EXPECT_EQ(StateValue(Sim("state"), "reversed"), "0");
    responder->answers.push_back(kResponseOk);
    gtk_button_clicked(GTK_BUTTON(direction));
    EXPECT_EQ(StateValue(Sim("state"), "reversed"), "1");
    EXPECT_EQ(FindButton(updates, "Motor Reversed"), direction);
    EXPECT_TRUE(responder->Showed("MOTOR ENCODERS NOW READING IN REVERSE MODE"));
    responder->answers.push_back(kResponseOk);
    gtk_button_clicked(GTK_BUTTON(direction));
    EXPECT_EQ(FindButton(updates, "Motor Forward"), direction);
    // A motor test stalls while the quilter leaves the page: the menus are off
    // while it runs, the page stays and says so (the verdicts are the core's).
    UserInterfaceHooks hooks = GetUserInterfaceHooks();
    hooks.drainEvents = DrainDuringTest;
    SetUserInterfaceHooks(hooks);
    GtkWidget* test = Page(kPageTest);
    Turn(kPageTest);
    const uint32_t setupMask = MenuStateMask();
    UseManualClock();
    Sim("stall on");
    leavePage = true;
    gtk_button_clicked(GTK_BUTTON(FindButton(test, "TEST Y")));
    Sim("stall off");
    UseRealClock();
    ASSERT_TRUE(isWidget(interface->setupNotebook));
    EXPECT_EQ(gtk_notebook_get_current_page(Notebook()), kPageUpdates);
    EXPECT_EQ(BufferText(test),
              "Testing Y Motor\nMoving Y Motor at 80% \nY Motor Error.  Test Aborted.\n");
    EXPECT_EQ(maskDuringTest, 0u);
    EXPECT_EQ(MenuStateMask(), setupMask);
    EXPECT_FALSE(DiagnosticsRunning());
}

struct TraceScreenTest : BoardWindowTest {
    void SetUp() override {
        BoardWindowTest::SetUp();
        MakeMainWindow(true);
    }
    GtkWidget* Tool(ToolButtonId id) { return ToolbarRecord()->buttons[id]; }
};

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
    ASSERT_EQ(responder->prompts.size(), 1u);
    EXPECT_EQ(responder->prompts[0], "SAVE AS:");
    EXPECT_EQ(responder->Texts(), std::vector<std::string>{"FILE SAVED:\n./patterns/handmade.qcc"});
    // Building the screen again forgets the recording.
    gtk_menu_item_activate(GTK_MENU_ITEM(MenuRecord()->items[kItemFreeMotion]));
    Drain();
    EXPECT_FALSE(tmpPattern);
    // The screen freed both axes.
    EXPECT_EQ(StateValue(Sim("state"), "xenabled"), "0");
    // The toolbar's machine toggles and the start point button on the board.
    SetMenuStateMask(kLayoutViewMenuMask);
    responder->shown.clear();
    gtk_toggle_tool_button_set_active(GTK_TOGGLE_TOOL_BUTTON(Tool(kToolLockX)), TRUE);
    EXPECT_TRUE(WaitForState(*sim, "xenabled", "1", 1000));
    EXPECT_EQ(StateValue(Sim("state"), "yenabled"), "0");
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
    // Retrieve Start Point fills the box and quilt entries from the head.
    MakeRunBox();  // origin (1, 1)
    gtk_toggle_tool_button_set_active(GTK_TOGGLE_TOOL_BUTTON(Tool(kToolLockY)), FALSE);
    ASSERT_TRUE(WaitForState(*sim, "yenabled", "0", 1000));
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

// Taps the centre of the OK (1) or Cancel (2) button drawn on the point-selection view.
void TapButton(GtkWidget* window, int button) {
    GtkWidget* view = FindNamed(window, kPointSelectViewName);
    ASSERT_NE(view, nullptr);
    const int w = view->allocation.width, h = view->allocation.height, b = confirm_button_size;
    TapAt(view, (button == 1 ? w - 2 * b - 24 : w - b - 8) + b / 2, h - b / 2);
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

    MakeMainWindow(true);
    InstallRunView();
    PlacePoints(MakeRunBox(), LinePoints(160, 0, 0, 0.05f, 0.01f), 0.5f, 0.5f);
    UserInterfaceHooks hooks = GetUserInterfaceHooks();
    hooks.drainEvents = DrainEvents;  // the run keeps the real screen alive
    SetUserInterfaceHooks(hooks);
    ShowScreen([] { return createPatternViewScreen(0, kAreaLayoutView); }, kIdleMenuMask,
               "layout view");
    // The Stitching toggle's picture shows its state: struck through in red while off.
    auto picture = [] {
        return gdk_pixbuf_copy(
            gtk_image_get_pixbuf(GTK_IMAGE(ToolbarRecord()->images[kToolStitching])));
    };
    EXPECT_TRUE(LooksLike("stitching_off", picture()));
    gtk_toggle_tool_button_set_active(
        GTK_TOGGLE_TOOL_BUTTON(ToolbarRecord()->buttons[kToolStitching]), TRUE);
    Drain();
    EXPECT_TRUE(LooksLike("stitching_on", picture()));
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
    EXPECT_TRUE(responder->Showed(
        "AFTER THE MACHINE ARRIVES AT THE START POSITION PULL UP THE BOBBIN THREAD\nAND PRESS OK"));
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
    const std::string state = SimControl(*runSim, "state");
    EXPECT_EQ(StateValue(state, "xenabled"), "0") << state;
    EXPECT_EQ(StateValue(state, "stitching"), "0") << state;
    EXPECT_EQ(StitchedMoves(ReadRunRecord(sim->recordPath)).size(), 160u);
}

constexpr const char* kTableText = "TABLE WIDTH = 40.000 IN.\nTABLE HEIGHT = 20.000 IN.";

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
        if (!interface) interface = NewInterfaceStruct();
        ResetLayoutSelection();
        FreeLayout();
        InitPatternBox();
        pbTemp.reset();
        InstallLayoutInterface();
        MakeMainWindow(true);
    }
    void TearDown() override {
        PressSetupButton(1, 3);  // ends live tracking if a procedure was left running
        pbTemp.reset();
        BoardWindowTest::TearDown();
    }
    std::string State(const char* key) { return StateValue(Sim("state"), key); }
    void Silence(bool on) { Sim(on ? "silence on" : "silence off"); }
    // Pushes the head by hand by (dx, dy) thousandths of an inch, once the
    // board has freed both axes; or to (x, y) inches of the board's coordinates.
    void Push(int dx, int dy) {
        ASSERT_TRUE(WaitForState(*sim, "xenabled", "0", 2000));
        ASSERT_TRUE(WaitForState(*sim, "yenabled", "0", 2000));
        const std::string reply = Sim("push " + std::to_string(dx) + " " + std::to_string(dy));
        ASSERT_EQ(reply.rfind("ok", 0), 0u) << reply;
    }
    void At(float x, float y) {
        const std::string state = Sim("state");
        Push(static_cast<int>(std::lround(x * 1000) -
                              std::lround(std::stod(StateValue(state, "x")))),
             static_cast<int>(std::lround(y * 1000) -
                              std::lround(std::stod(StateValue(state, "y")))));
    }
    // Measures a 40 x 20 inch table (its one box with it); messages cleared.
    void MeasureTable() {
        StartQuiltAreaSetup();
        for (QuiltPoint p : std::vector<QuiltPoint>{{-0.2f, -0.3f}, {40, 0}, {40, 20}}) {
            At(p.x, p.y);
            PressSetupButton(0, 1);
        }
        ASSERT_NE(extents, nullptr);
        responder->shown.clear();
    }
    // Draws the current box through the given corners, finishing with CHECK.
    void DrawBox(const std::vector<QuiltPoint>& corners) {
        menuMainPatternbox(nullptr, const_cast<char*>("0"));
        for (size_t i = 0; i < corners.size(); i++) {
            At(corners[i].x, corners[i].y);
            PressSetupButton(1, i + 1 < corners.size() ? 1 : 2);
        }
    }
    // A tap released at (x, y) of the view, counted from the right and the
    // bottom edge, of the quilt-area ("0") or pattern-box ("1") setup.
    static void Tap(int x, int y, const char* mode = "0") {
        Drain();
        GdkEventButton tap = {};
        tap.type = GDK_BUTTON_RELEASE;
        tap.x = interface->drawingArea->allocation.width - x;
        tap.y = interface->drawingArea->allocation.height - y;
        OnScreenTap(interface->drawingArea, &tap, const_cast<char*>(mode));
    }
    bool ItemUsable(MenuItemId item) {
        GtkWidget* widget = MenuRecord()->items[item];
        return widget && GTK_WIDGET_SENSITIVE(widget);
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
    // The buttons are tapped on the view: left to right 1, 2, 3, none left of them.
    const int b = confirm_button_size, w = view_area_width;
    EXPECT_EQ(SetupButtonAt(w - 2 * b - 8 + b / 2, w, b), 2);
    EXPECT_EQ(SetupButtonAt(w - 1, w, b), 3);
    EXPECT_LE(SetupButtonAt(5, w, b), 0);
    At(3, 4);                // wherever the head is, that is the new home
    Tap(3 * b + 14, 3 * b);  // above the buttons
    EXPECT_EQ(pbTemp->count, 0);
    Tap(3 * b + 14, b / 2);
    EXPECT_EQ(pbTemp->count, 1);
    EXPECT_EQ(State("x"), "0");
    EXPECT_EQ(State("y"), "0");
    // An unreadable head keeps the procedure where it was.
    Silence(true);
    PressSetupButton(0, 1);
    EXPECT_EQ(responder->Texts(), std::vector<std::string>{"COMMAND FAILED, PLEASE TRY AGAIN."});
    EXPECT_EQ(pbTemp->count, 1);
    Silence(false);
    responder->shown.clear();
    At(40, -0.01f);  // a slightly negative reading counts as 0
    PressSetupButton(0, 1);
    At(40, 20);
    PressSetupButton(0, 1);

    ASSERT_NE(extents, nullptr);
    EXPECT_TRUE(SameCorners(extents.get(), {{0, 0}, {40, 0}, {40, 20}, {0, 20}}));
    EXPECT_EQ(State("extents"), "1");
    ASSERT_EQ(responder->shown.size(), 1u);
    EXPECT_EQ(responder->shown[0].text, kTableText);
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
    DrawBox({{20, 12}, {30, 2}});
    ASSERT_EQ(patternBoxList.count, 2);
    ASSERT_NE(AppendLayoutNode(0, -1, 0, 0, 0, 1), nullptr);

    responder->answers = {kResponseCancel};
    menuMainPatternbox(nullptr, const_cast<char*>("2"));
    EXPECT_EQ(patternBoxList.count, 2);
    menuMainPatternbox(nullptr, const_cast<char*>("2"));
    EXPECT_EQ(responder->Texts(),
              std::vector<std::string>(2,
                                       "ALL PATTERNS ATTACHED TO THE PATTERN BOX WILL BE "
                                       "DELETED AS WELL.\n\nCONTINUE?"));
    EXPECT_EQ(patternBoxList.count, 1);
    EXPECT_EQ(CurrentPatternBox(), 0);
    EXPECT_EQ(CountLayoutNodes(), 0);
    EXPECT_TRUE(SameCorners(GetPatternBox(0), {{0, 20}, {40, 20}, {40, 0}, {0, 0}}));
}

// Corners pressed with PLUS, the last with CHECK (the rules are the core's
// table): a rectangle, the refusals' messages, and the live corner.
TEST_F(Procedures, DrawnCornersMakeTheBoxOrAreRefusedAndTheLiveCornerFollowsTheHead) {
    MeasureTable();
    DrawBox({{10, 10}, {20, 5}});
    EXPECT_TRUE(SameCorners(GetPatternBox(0), {{10, 10}, {20, 10}, {20, 5}, {10, 5}}));
    EXPECT_EQ(pbTemp, nullptr);
    EXPECT_FALSE(TrackingTimerRunning());
    EXPECT_STREQ(CurrentScreenName(), "layout view");
    DrawBox({{7, 7}, {7, 7}});
    DrawBox({{5, 5}, {5, 12}});
    EXPECT_EQ(responder->Texts(), (std::vector<std::string>{kNoBoxCorners, kNoBoxFromCorners}));
    EXPECT_STREQ(CurrentScreenName(), "layout view");
    responder->shown.clear();
    // Live tracking: the prompt goes once the head has moved.
    At(4, 4);
    menuMainPatternbox(nullptr, const_cast<char*>("0"));
    EXPECT_TRUE(TrackingTimerRunning());
    Push(kPromptMoveThreshold, 0);  // not yet further than the threshold
    EXPECT_TRUE(getMCCoordinates(nullptr));
    EXPECT_FALSE(SetupPromptText().empty());
    EXPECT_FLOAT_EQ(pbTemp->cornerStore.back().x, 4.015f);
    Push(0, kPromptMoveThreshold + 1);
    getMCCoordinates(nullptr);
    EXPECT_TRUE(SetupPromptText().empty());
    EXPECT_EQ(interface->promptLayout, nullptr);
    // A failed read leaves everything and keeps the timer.
    At(9, 9);
    Silence(true);
    EXPECT_TRUE(getMCCoordinates(nullptr));
    EXPECT_FLOAT_EQ(pbTemp->cornerStore.back().y, 4.016f);
    Silence(false);
    // A refused corner: the live corner stays at the head.
    for (QuiltPoint p : std::vector<QuiltPoint>{{5, 5}, {15, 5}, {15, 15}, {10, 0}}) {
        At(p.x, p.y);
        PressSetupButton(1, 1);
    }
    EXPECT_EQ(responder->Texts(), std::vector<std::string>{"PATTERN BOX LINES MAY NOT CROSS"});
    ASSERT_EQ(pbTemp->count, 4);
    EXPECT_FLOAT_EQ(pbTemp->cornerStore.back().x, 10);
    EXPECT_STREQ(CurrentScreenName(), "pattern-box setup");
    // Cancel, tapped on the view, leaves the box as it was.
    Tap(2, confirm_button_size / 2, "1");
    EXPECT_STREQ(CurrentScreenName(), "layout view");
    EXPECT_TRUE(SameCorners(GetPatternBox(0), {{10, 10}, {20, 10}, {20, 5}, {10, 5}}));
    EXPECT_FALSE(getMCCoordinates(nullptr));  // the timer ends with the procedure
    EXPECT_FALSE(TrackingTimerRunning());
}

TEST_F(Procedures, SaveAsSaveUndoNewAndOpenKeepTheLayoutAndItsName) {
    MeasureTable();
    ASSERT_EQ(AddPatternToCurrentBox("square.qcc"), 1);
    // Cancel and a name of only removed characters save nothing.
    menuEditSaveLayoutAs(nullptr, nullptr);
    responder->keyboard = {"#!? ."};
    menuEditSaveLayoutAs(nullptr, nullptr);
    EXPECT_EQ(responder->prompts, std::vector<std::string>(2, "SAVE AS:"));
    EXPECT_EQ(access("Layout/.qlf", F_OK), -1);
    EXPECT_EQ(CurrentLayoutName(), "");

    EXPECT_TRUE(responder->shown.empty());
    responder->keyboard = {"my layout#1"};
    menuEditSaveLayoutAs(nullptr, nullptr);
    ASSERT_EQ(access("Layout/mylayout1.qlf", F_OK), 0);
    EXPECT_EQ(responder->Texts(), std::vector<std::string>{"FILE SAVED:\n./Layout/mylayout1.qlf"});
    EXPECT_EQ(CurrentLayoutName(), "./Layout/mylayout1");
    const std::string firstSave = ReadFileText("Layout/mylayout1.qlf");
    // Save asks before overwriting the current layout; Cancel writes nothing.
    ASSERT_EQ(AddPatternToCurrentBox("square.qcc"), 1);
    responder->shown.clear();
    responder->answers = {kResponseCancel};
    menuEditSaveLayout(nullptr, nullptr);
    ASSERT_EQ(responder->Texts(), std::vector<std::string>{"THIS WILL OVERWRITE THE CURRENT "
                                                           "LAYOUT:\nmylayout1\nWOULD YOU LIKE TO "
                                                           "CONTINUE?"});
    EXPECT_EQ(ReadFileText("Layout/mylayout1.qlf"), firstSave);
    responder->shown.clear();
    menuEditSaveLayout(nullptr, nullptr);
    EXPECT_EQ(ReadFileText("Layout/mylayout1.qlf"), SerializeLayout());
    ASSERT_EQ(responder->Texts().size(), 2u);
    EXPECT_EQ(responder->Texts()[1], "FILE SAVED:\n./Layout/mylayout1.qlf");
    EXPECT_EQ(CurrentLayoutName(), "./Layout/mylayout1");
    // Undo and Restore Setpoint are usable exactly while their file exists.
    SetMenuStateMask(kLayoutViewMenuMask);
    EXPECT_FALSE(ItemUsable(kItemUndo) || ItemUsable(kItemRestoreSetpoint));
    menuEditCreateSetpoint(nullptr, nullptr);
    ASSERT_EQ(CreateUndoFile(), 1);
    EXPECT_TRUE(ItemUsable(kItemUndo) && ItemUsable(kItemRestoreSetpoint));
    ASSERT_EQ(AddPatternToCurrentBox("square.qcc"), 1);
    menuEditUndo(nullptr, nullptr);
    EXPECT_EQ(CountLayoutNodes(), 2);
    EXPECT_FALSE(ItemUsable(kItemUndo));
    ASSERT_EQ(AddPatternToCurrentBox("square.qcc"), 1);
    menuEditRestoreSetpoint(nullptr, nullptr);
    EXPECT_EQ(CountLayoutNodes(), 2);
    EXPECT_TRUE(ItemUsable(kItemRestoreSetpoint));  // kept for another restore
    // A new layout empties everything and starts the quilt-area procedure.
    responder->answers = {kResponseCancel};
    menuMainNewLayout(nullptr, nullptr);
    EXPECT_EQ(CountLayoutNodes(), 2);
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
        chooserRows = RowNames(FileChooserRows());
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
