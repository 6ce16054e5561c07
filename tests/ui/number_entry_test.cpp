// The number pad: its editing rule, the real dialog typed on with synthetic
// clicks, angle mode, and the numeric entries that open it.
#include <gtest/gtest.h>

#include "base/application_state.h"
#include "base/ui_hooks.h"
#include "layout/layout_selection.h"
#include "layout/pattern_box.h"
#include "support_ui/ui_fixture.h"
#include "ui/number_entry.h"

namespace {

using Step = std::function<void(GtkWidget*)>;

TEST(NumberPadKey, FirstKeyReplacesAtMostThreeDecimalsOnePointAndALimit) {
    struct Case {
        const char* shown;
        std::vector<const char*> keys;  // the first erases what is shown
        const char* want;
    };
    const Case cases[] = {
        {"12.500", {"3"}, "3"},
        {"12.500", {"<-"}, ""},
        {"12.500", {"."}, "."},
        {"0", {"1", ".", "2", "3", "4", "5"}, "1.234"},
        {"0", {"1", ".", "2", ".", "5"}, "1.25"},
        // Values whose product with 1000 is not exact in binary are still accepted.
        {"0", {"1", ".", "0", "0", "1"}, "1.001"},
        {"0", {"2", ".", "0", "0", "9"}, "2.009"},
        {"0", {"1", "0", "2", "3", ".", "0", "1", "5"}, "1023.015"},
        {"0", {".", "0", "0", "7", "7"}, ".007"},
        {"0", {"<-", "<-"}, ""},
        {"0", {"4", "2", "<-"}, "4"},
        {"0", {"1", "x", "", "12"}, "1"},
    };
    for (const Case& c : cases) {
        std::string text = c.shown;
        bool erase = true;
        for (const char* key : c.keys) {
            text = NumberPadKey(text, key, erase);
            erase = false;
        }
        EXPECT_EQ(text, c.want) << c.shown << " + " << c.keys.size() << " keys";
    }
    EXPECT_EQ(NumberPadKey("12.5", "3", false), "12.53");
    // The text never grows past its limit.
    std::string text(kNumberEntryMaxLength, '9');
    EXPECT_EQ(NumberPadKey(text, "9", false).size(), static_cast<size_t>(kNumberEntryMaxLength));
}

Step Key(const char* label) {
    return [label](GtkWidget* window) {
        GtkWidget* key = FindButton(window, label);
        ASSERT_NE(key, nullptr) << "no key " << label;
        Click(key);
    };
}

Step Respond(int response) {
    return [response](GtkWidget* dialog) {
        Click(gtk_dialog_get_widget_for_response(GTK_DIALOG(dialog), response));
    };
}

class NumberPadTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(EnsureGtk()); }
    void TearDown() override { StopScript(&script); }
    double Run(const char* text, int decimals, int angle, std::vector<Step> steps,
               const char* title = nullptr) {
        script.windowName = "NumberEntry";
        script.steps = std::move(steps);
        StartScript(&script);
        double result = GtkNumberEntry(text, decimals, angle, title);
        StopScript(&script);
        Drain();
        EXPECT_EQ(FindToplevel("NumberEntry"), nullptr) << "number pad left open";
        return result;
    }
    Script script;
};

TEST_F(NumberPadTest, RealClicksTypeAndCancelReturnsTheNumberItOpenedWith) {
    bool clicked = true;
    auto press = [&clicked](const char* label) {
        return [&clicked, label](GtkWidget* dialog) {
            clicked = XdotoolClick(FindButton(dialog, label)) && clicked;
        };
    };
    auto pressOk = [&clicked](GtkWidget* dialog) {
        clicked =
            XdotoolClick(gtk_dialog_get_widget_for_response(GTK_DIALOG(dialog), GTK_RESPONSE_OK)) &&
            clicked;
    };
    double result = Run("0", 1, 0, {press("6"), press("."), press("5"), pressOk});
    ASSERT_TRUE(clicked) << "xdotool could not click";
    EXPECT_DOUBLE_EQ(result, 6.5);

    EXPECT_DOUBLE_EQ(Run("12.500", 1, 0, {Key("9"), Respond(GTK_RESPONSE_CANCEL)}), 12.5);
    EXPECT_DOUBLE_EQ(Run("garbage", 1, 0, {Respond(GTK_RESPONSE_CANCEL)}), 0.0);
}

// Without decimals there is no point key, without angle mode no direction box.
TEST_F(NumberPadTest, WithoutDecimalsThereIsNoPointKey) {
    bool pointKey = true, digitKey = false, box = true;
    std::string title = "unread";
    auto look = [&](GtkWidget* dialog) {
        pointKey = FindButton(dialog, ".") != nullptr;
        digitKey = FindButton(dialog, "9") != nullptr;
        box = FindButton(dialog, "Counterclockwise") != nullptr;
        GtkWidget* label = FindNamed(dialog, "NumberEntryTitle");
        title = label ? gtk_label_get_text(GTK_LABEL(label)) : "(none)";
    };
    EXPECT_DOUBLE_EQ(
        Run("5", 0, 0, {look, Key("4"), Key("2"), Respond(GTK_RESPONSE_OK)}, "Count (repeats)"),
        42.0);
    EXPECT_FALSE(pointKey);
    EXPECT_TRUE(digitKey);
    EXPECT_FALSE(box);
    EXPECT_EQ(title, "Count (repeats)");
    Run("5", 0, 0, {look, Respond(GTK_RESPONSE_CANCEL)});
    EXPECT_EQ(title, "(none)");
}

TEST_F(NumberPadTest, AngleModeLimitsAndTurnsCounterclockwise) {
    struct Case {
        const char* shown;
        std::vector<const char*> keys;
        int response;
        double want;
    };
    const Case cases[] = {
        {"0", {"4", "0", "0"}, GTK_RESPONSE_OK, 360.0},
        {"0", {"9", "0", "Counterclockwise"}, GTK_RESPONSE_OK, 270.0},
        {"30", {"Counterclockwise"}, GTK_RESPONSE_CANCEL, 30.0},
    };
    for (const Case& c : cases) {
        std::vector<Step> steps;
        for (const char* key : c.keys)
            steps.push_back(Key(key));
        steps.push_back(Respond(c.response));
        EXPECT_DOUBLE_EQ(Run(c.shown, 1, 1, steps), c.want) << c.keys.size();
    }
}

// The numeric entries of the properties dialog, answered by a scripted pad.
std::string padOpenedWith;
std::string padTitle;
double padAnswer = 0.0;

double ScriptedPad(const char* text, int decimals, int angle, const char* title) {
    padOpenedWith = text;
    padTitle = title ? title : "(none)";
    EXPECT_EQ(decimals, 1);
    EXPECT_EQ(angle, 0);
    return padAnswer;
}

TEST(EntryClicked, ShowsTheValueAndMovesTheLinkedEntry) {
    ASSERT_TRUE(EnsureGtk());
    UserInterfaceHooks hooks;
    hooks.numberEntry = ScriptedPad;
    SetUserInterfaceHooks(hooks);
    GtkWidget* local = gtk_entry_new();
    GtkWidget* actual = gtk_entry_new();
    g_object_ref_sink(local);
    g_object_ref_sink(actual);
    gtk_entry_set_text(GTK_ENTRY(local), "1.500");

    padAnswer = 2.25;
    EXPECT_EQ(OnEntryClicked(local, nullptr, nullptr), FALSE);
    EXPECT_EQ(padOpenedWith, "1.500");
    EXPECT_EQ(padTitle, "(none)");
    EXPECT_STREQ(gtk_entry_get_text(GTK_ENTRY(local)), "2.250");

    // Linked in y: the current box's origin in y plus the value.
    Interface record;
    Interface* saved = interface;
    interface = &record;
    InitPatternBox();
    SetCurrentPatternBox(CreatePatternBox());
    GetPatternBox(CurrentPatternBox())->x = 5;
    GetPatternBox(CurrentPatternBox())->y = 10;
    LinkNumberEntry(local, actual, 1, "Height (in.)");
    padAnswer = 3.0;
    GdkEvent* release = gdk_event_new(GDK_BUTTON_RELEASE);
    release->button.button = 1;
    gboolean handled = TRUE;
    g_signal_emit_by_name(local, "button-release-event", release, &handled);
    gdk_event_free(release);
    EXPECT_FALSE(handled);
    EXPECT_EQ(padOpenedWith, "2.250");
    EXPECT_EQ(padTitle, "Height (in.)");
    EXPECT_STREQ(gtk_entry_get_text(GTK_ENTRY(local)), "3.000");
    EXPECT_STREQ(gtk_entry_get_text(GTK_ENTRY(actual)), "13.000");

    // Without a current box the origin is 0.
    SetCurrentPatternBox(-1);
    padAnswer = 0.125;
    OnEntryClicked(local, nullptr, actual);
    EXPECT_STREQ(gtk_entry_get_text(GTK_ENTRY(actual)), "0.125");

    InitPatternBox();
    interface = saved;
    SetUserInterfaceHooks({});
    g_object_unref(local);
    g_object_unref(actual);
}

}  // namespace
