// The setup notebook built for real under the test's X server and driven with
// clicks, the number pad and the keyboard against the simulated board: the
// board's parameters and the defaults file are the evidence of every change.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "app/machine_startup.h"
#include "app/setup_values.h"
#include "base/application_state.h"
#include "base/defaults_file.h"
#include "base/log.h"
#include "base/program_settings.h"
#include "base/screen_config.h"
#include "base/system_paths.h"
#include "base/timers.h"
#include "base/ui_hooks.h"
#include "machine/machine_parameters.h"
#include "machine/serial_link.h"
#include "machine/stitching/point_streaming.h"
#include "support_ui/board_window.h"
#include "support_ui/touch_targets.h"
#include "support_ui/ui_fixture.h"
#include "ui/diagnostics_page.h"
#include "ui/interface.h"
#include "ui/menu.h"
#include "ui/setup_advanced.h"
#include "ui/setup_screen.h"
#include "ui/widget_helpers.h"

namespace {

const char* const kPageNames[] = {"updates", "parameters", "constants",
                                  "test",    "advanced",   "configuration"};

GtkWidget* First(GtkWidget* root, GType type) {
    const std::vector<GtkWidget*> found = WidgetsOfType(root, type);
    return found.empty() ? nullptr : found[0];
}

// The entry right of the label with this text (the pages pair them in a table).
GtkWidget* EntryOf(GtkWidget* page, const char* label) {
    const std::vector<GtkWidget*> labels = WidgetsOfType(page, GTK_TYPE_LABEL);
    const std::vector<GtkWidget*> entries = WidgetsOfType(page, GTK_TYPE_ENTRY);
    for (GtkWidget* l : labels) {
        if (std::string(gtk_label_get_text(GTK_LABEL(l))) != label) continue;
        GtkWidget* table = gtk_widget_get_parent(l);
        guint left = 0, top = 0;
        gtk_container_child_get(GTK_CONTAINER(table), l, "left-attach", &left, "top-attach", &top,
                                nullptr);
        for (GtkWidget* e : entries) {
            guint el = 0, et = 0;
            gtk_container_child_get(GTK_CONTAINER(table), e, "left-attach", &el, "top-attach", &et,
                                    nullptr);
            if (el == left + 1 && et == top) return e;
        }
    }
    return nullptr;
}

// The slider under the label with this text.
GtkWidget* SliderOf(GtkWidget* page, const char* label) {
    const std::vector<GtkWidget*> labels = WidgetsOfType(page, GTK_TYPE_LABEL);
    const std::vector<GtkWidget*> sliders = WidgetsOfType(page, GTK_TYPE_RANGE);
    for (GtkWidget* l : labels) {
        if (std::string(gtk_label_get_text(GTK_LABEL(l))) != label) continue;
        GtkWidget* table = gtk_widget_get_parent(l);
        guint left = 0, sl = 0;
        gtk_container_child_get(GTK_CONTAINER(table), l, "left-attach", &left, nullptr);
        for (GtkWidget* r : sliders) {
            gtk_container_child_get(GTK_CONTAINER(table), r, "left-attach", &sl, nullptr);
            if (sl == left) return r;
        }
    }
    return nullptr;
}

double Value(GtkWidget* slider) {
    return slider ? gtk_range_get_value(GTK_RANGE(slider)) : -1;
}

// Menu entries and toolbar buttons: shown or hidden by the switches.
bool Visible(GtkWidget* widget) {
    return widget && gtk_widget_get_visible(widget);
}

std::string Text(GtkWidget* entry) {
    return entry ? gtk_entry_get_text(GTK_ENTRY(entry)) : "(none)";
}

bool Shown(GtkWidget* widget) {
    return widget && gtk_widget_get_visible(widget) && gtk_widget_get_mapped(widget);
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
    int SlotInt(int slot) {
        int value = -9999;
        ReadDefaultInt(slot, &value);
        return value;
    }
    float SlotFloat(int slot) {
        float value = -9999;
        ReadDefaultFloat(slot, &value);
        return value;
    }
    // Looks at every page: all controls inside the screen and big enough to
    // touch; and, when asked, a picture of each like the page's reference.
    void CheckEveryPage(const std::string& size, bool reference) {
        responder->keyboard.push_back(kSetupPassword);
        for (int page = 0; page < 6; page++) {
            Turn(page);
            ASSERT_EQ(gtk_notebook_get_current_page(Notebook()), page);
            gdk_window_process_all_updates();
            gdk_display_sync(gdk_display_get_default());
            EXPECT_EQ(SmallTouchTargets(Page(page), TouchTargetMinimum()), "")
                << kPageNames[page] << " at " << size;
            if (!reference) continue;
            const std::string picture =
                std::string(LONGARM_BINARY_DIR) + "/tests/setup_" + kPageNames[page] + ".png";
            EXPECT_TRUE(SaveScreenshot(picture));
            EXPECT_TRUE(LooksLike(picture, std::string("setup_") + kPageNames[page]));
        }
    }
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

TEST_F(SetupScreenTest, EveryValueReachesTheBoardAndTheDefaultsFileAsTheBoardHoldsIt) {
    Open();
    EXPECT_EQ(gtk_notebook_get_n_pages(Notebook()), 6);

    // Released sliders: the board, the file (when it keeps the value) and the
    // slider hold what the board holds ("Max Speed" 47 becomes 50).
    Turn(kPageParameters);
    GtkWidget* page = Page(kPageParameters);
    const struct {
        const char* label;
        double released;
        const char* param;
        int slot;  // -1: the board only
        int held;
    } sliders[] = {{"Max Speed", 47, "speed", kSlotSpeed, 50},
                   {"Length", 12, "stitchLen", kSlotStitchLen, 12},
                   {"Needle", 7, "slow", -1, 7},
                   {"Min Speed", 4, "minimumSpeed", -1, 4}};
    for (const auto& s : sliders) {
        ReleaseSlider(SliderOf(page, s.label), s.released);
        EXPECT_EQ(Param(s.param), std::to_string(s.held)) << s.label;
        EXPECT_EQ(Value(SliderOf(page, s.label)), s.held) << s.label;
        if (s.slot >= 0) {
            EXPECT_EQ(SlotInt(s.slot), s.held) << s.label;
        }
    }
    EXPECT_EQ(Machine().maxSpeed, 50);
    // The rest of the file got the current values, not zeros.
    EXPECT_EQ(SlotInt(kSlotNeedleUpMethod), Machine().needleUpMethod);
    EXPECT_FLOAT_EQ(SlotFloat(kSlotAcceleration), Machine().acceleration);

    // A silent board keeps the slider and the file where the board is.
    Sim("silence on");
    ReleaseSlider(SliderOf(page, "Lock"), 9);
    Sim("silence off");
    EXPECT_TRUE(responder->Showed(kBoardSilentText));
    EXPECT_EQ(Value(SliderOf(page, "Lock")), std::stod(Param("stitchRep")));
    EXPECT_EQ(SlotInt(kSlotStitchRep), std::stoi(Param("stitchRep")));
    ClearPort();

    // Entries through the number pad: limits, formats, the board's constants.
    Turn(kPageConstants);
    GtkWidget* constants = Page(kPageConstants);
    struct Case {
        const char* label;
        double typed;
        const char* shown;
    } cases[] = {
        {"Acceleration", 150, "100"}, {"Increment", 0.001, "0.015"}, {"Margin", -12.5, "-10.000"},
        {"Lead Line", 55.7, "55"},    {"X Power", 45.9, "45"},       {"E. Stop", 300, "300"},
    };
    for (const Case& c : cases) {
        GtkWidget* entry = EntryOf(constants, c.label);
        ASSERT_NE(entry, nullptr) << c.label;
        responder->numbers.push_back(c.typed);
        Click(entry);
        EXPECT_TRUE(
            WaitFor([&] { return responder->numbers.empty() && Text(entry) == c.shown; }, 3000))
            << c.label << " shows " << Text(entry);
    }
    EXPECT_FLOAT_EQ(SlotFloat(kSlotAcceleration), 100.0f);
    EXPECT_FLOAT_EQ(SlotFloat(kSlotMoveIncrement), 0.015f);
    EXPECT_FLOAT_EQ(SlotFloat(kSlotXMargin), -10.0f);
    EXPECT_EQ(SlotInt(kSlotLeadLineSpeed), 55);
    EXPECT_EQ(Param("XKp"), "45");
    EXPECT_EQ(Param("Err"), "300");
    EXPECT_EQ(SlotInt(kSlotXKp), 45);

    // The board does not answer a constant: the entry keeps its former value.
    GtkWidget* yPower = EntryOf(constants, "Y Power");
    const std::string former = Text(yPower);
    Sim("silence on");
    responder->numbers.push_back(77);
    Click(yPower);
    EXPECT_TRUE(WaitFor([&] { return responder->numbers.empty(); }, 3000));
    Drain();
    Sim("silence off");
    EXPECT_EQ(Text(yPower), former);
    EXPECT_EQ(Param("YKp"), former);

    // Every value is found again when the screen is opened anew.
    menuMainSetup(nullptr, nullptr);
    Drain();
    EXPECT_EQ(Text(EntryOf(Page(kPageConstants), "Acceleration")), "100");
    EXPECT_EQ(Text(EntryOf(Page(kPageConstants), "X Power")), "45");
    EXPECT_EQ(Value(SliderOf(Page(kPageParameters), "Max Speed")), 50);
    EXPECT_EQ(Value(SliderOf(Page(kPageParameters), "Length")), 12);
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
    EXPECT_FALSE(Shown(list)) << "the machine type is an advanced feature";

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
    // advanced rows follow it, and so does the file.
    GtkWidget* box = FindButton(Page(kPageConfiguration), "Show Advanced Features");
    ASSERT_NE(box, nullptr);
    Click(box);
    EXPECT_TRUE(WaitFor([&] { return Settings().showAdvancedFeatures == 1; }, 2000));
    Drain();
    EXPECT_TRUE(Visible(menu->items[kItemOpenLayout]));
    EXPECT_TRUE(Visible(tools->buttons[kToolStitchOnOff]));
    EXPECT_EQ(SlotInt(kSlotShowAdvancedFeatures), 1);
    EXPECT_EQ(SlotInt(kSlotStitchButtonsOn), 1);
    Turn(kPageAdvanced);
    EXPECT_TRUE(Shown(list));
    GtkWidget* stitchBtns = FindButton(advanced, "Stitch Btns");
    EXPECT_TRUE(Shown(stitchBtns));
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
    EXPECT_EQ(SlotInt(kSlotNeedleUpMethod), 12);
    EXPECT_EQ(Text(EntryOf(advanced, "NdlUp Wait")), "100");
    EXPECT_FALSE(Visible(tools->buttons[kToolNeedleUp]));
    EXPECT_TRUE(Visible(tools->buttons[kToolStitchOnOff]));

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
    EXPECT_EQ(SlotInt(kSlotStitchButtonsOn), 0);
    EXPECT_FALSE(Visible(tools->buttons[kToolStitchOnOff]));

    // Cleared again: the layout entries and the advanced rows go.
    Turn(kPageConfiguration);
    Click(box);
    EXPECT_TRUE(WaitFor([&] { return Settings().showAdvancedFeatures == 0; }, 2000));
    Drain();
    EXPECT_FALSE(Visible(menu->items[kItemOpenLayout]));
    EXPECT_EQ(SlotInt(kSlotShowAdvancedFeatures), 0);
    Turn(kPageAdvanced);
    EXPECT_FALSE(Shown(list));

    // Factory Defaults: the factory values everywhere, the pages rebuilt.
    const size_t before = responder->shown.size();
    responder->answers.push_back(kResponseOk);
    gtk_button_clicked(GTK_BUTTON(FindButton(advanced, "Factory Defaults")));
    EXPECT_TRUE(WaitFor([&] { return responder->shown.size() >= before + 2; }, 5000));
    Drain();
    EXPECT_EQ(responder->shown[before].text, kFactoryResetQuestion);
    EXPECT_EQ(responder->shown.back().text, kFactoryResetDone);
    EXPECT_EQ(Machine().needleUpMethod, 0);
    EXPECT_EQ(SlotInt(kSlotNeedleUpMethod), 0);
    EXPECT_EQ(Param("speed"), std::to_string(Machine().speed));
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
    ASSERT_EQ(mkdir(dir.File("root").c_str(), 0777), 0);
    ASSERT_EQ(SetSystemRoot(dir.File("root").c_str()), 1);
    Open();
    GtkWidget* updates = Page(kPageUpdates);
    for (const char* label : {"Update System", "Update Program", "Update Robot"}) {
        responder->shown.clear();
        gtk_button_clicked(GTK_BUTTON(FindButton(updates, label)));
        ASSERT_EQ(responder->shown.size(), 1u) << label;
        EXPECT_EQ(responder->shown[0].text.rfind("USB DRIVE NOT DETECTED.", 0), 0u) << label;
    }
    responder->shown.clear();
    responder->answers.push_back(kResponseNo);
    gtk_button_clicked(GTK_BUTTON(FindButton(updates, "Calibrate Screen")));
    ASSERT_EQ(responder->shown.size(), 1u);
    EXPECT_EQ(responder->shown[0].text.rfind("SYSTEM WILL REBOOT TO RESET CALIBRATION.", 0), 0u);

    responder->shown.clear();
    gtk_button_clicked(GTK_BUTTON(FindButton(updates, "System Info")));
    ASSERT_EQ(responder->shown.size(), 1u);
    const std::string info = responder->shown[0].text;
    EXPECT_EQ(info.rfind("Software Version: 3.05\nOS: ", 0), 0u) << info;
    // The board's 1.3 printed "%f" and cut from the fifth character, the
    // stitcher's 2.1 from the fourth.
    EXPECT_NE(info.find("\nMC Firmware: 1.30\nSC Firmware: 2.1"), std::string::npos) << info;

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

    // TEST X on a worn X axis fails; the menus are off while it runs.
    UserInterfaceHooks hooks = GetUserInterfaceHooks();
    hooks.drainEvents = DrainDuringTest;
    SetUserInterfaceHooks(hooks);
    GtkWidget* test = Page(kPageTest);
    Turn(kPageTest);
    const uint32_t setupMask = MenuStateMask();
    Sim("travel x 0.8");
    gtk_button_clicked(GTK_BUTTON(FindButton(test, "TEST X")));
    EXPECT_NE(BufferText(test).find("X motor failed!\n"), std::string::npos) << BufferText(test);
    EXPECT_EQ(maskDuringTest, 0u);
    EXPECT_EQ(MenuStateMask(), setupMask);

    // A stall while the quilter leaves the page: the page stays and says so.
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
    EXPECT_EQ(MenuStateMask(), setupMask);
    EXPECT_FALSE(DiagnosticsRunning());
    SetSystemRoot(nullptr);
}

TEST_F(SetupScreenTest, EveryPageFitsTheSmallAndTheLargeScreen) {
    Settings().showAdvancedFeatures = 1;  // every row of the Advanced page
    Open();
    CheckEveryPage("320x240", true);
    DropMainWindow();
    ASSERT_EQ(ParseConfigFile(LONGARM_SOURCE_DIR "/tests/data/screen_large.conf"), 1);
    gtk_rc_parse(LONGARM_SOURCE_DIR "/gtkrc");
    Open();
    CheckEveryPage("800x480", false);
    ParseConfigFile("/nonexistent/screen.conf");
}

}  // namespace
