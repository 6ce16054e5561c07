// The number pad: its editing rule, the real dialog typed on with synthetic
// clicks, angle mode, and the numeric entries that open it.
#include <gtest/gtest.h>

#include "app/screen_config.h"
#include "app/ui_hooks.h"
#include "support_ui/ui_fixture.h"
#include "ui/number_entry.h"

namespace {

using Step = std::function<void(GtkWidget*)>;

// Plays keys on the editing rule as the pad does: erase on the first key.
std::string Type(const std::string& shown, std::initializer_list<const char*> keys) {
    std::string text = shown;
    bool erase = true;
    for (const char* key : keys) {
        text = NumberPadKey(text, key, erase);
        erase = false;
    }
    return text;
}

TEST(NumberPadKey, FirstKeyReplacesTheShownValue) {
    EXPECT_EQ(Type("12.500", {"3"}), "3");
    EXPECT_EQ(Type("12.500", {"<-"}), "");
    EXPECT_EQ(Type("12.500", {"."}), ".");
    EXPECT_EQ(NumberPadKey("12.5", "3", false), "12.53");
}

TEST(NumberPadKey, AtMostThreeDecimalsAndOnePoint) {
    EXPECT_EQ(Type("0", {"1", ".", "2", "3", "4", "5"}), "1.234");
    EXPECT_EQ(Type("0", {"1", ".", "2", ".", "5"}), "1.25");
    // Values whose product with 1000 is not exact in binary are still accepted.
    EXPECT_EQ(Type("0", {"1", ".", "0", "0", "1"}), "1.001");
    EXPECT_EQ(Type("0", {"2", ".", "0", "0", "9"}), "2.009");
    EXPECT_EQ(Type("0", {"1", "0", "2", "3", ".", "0", "1", "5"}), "1023.015");
    EXPECT_EQ(Type("0", {".", "0", "0", "7", "7"}), ".007");
}

TEST(NumberPadKey, BackspaceAndUnknownKeys) {
    EXPECT_EQ(Type("0", {"<-", "<-"}), "");
    EXPECT_EQ(Type("0", {"4", "2", "<-"}), "4");
    EXPECT_EQ(Type("0", {"1", "x", "", "12"}), "1");
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

Step Ok() {
    return [](GtkWidget* dialog) {
        Click(gtk_dialog_get_widget_for_response(GTK_DIALOG(dialog), GTK_RESPONSE_OK));
    };
}

Step Cancel() {
    return [](GtkWidget* dialog) {
        Click(gtk_dialog_get_widget_for_response(GTK_DIALOG(dialog), GTK_RESPONSE_CANCEL));
    };
}

class NumberPadTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(EnsureGtk()); }
    void TearDown() override { StopScript(&script); }
    double Run(const char* text, int decimals, int angle, std::vector<Step> steps) {
        script.windowName = "NumberEntry";
        script.steps = std::move(steps);
        StartScript(&script);
        double result = GtkNumberEntry(text, decimals, angle);
        StopScript(&script);
        Drain();
        EXPECT_EQ(FindToplevel("NumberEntry"), nullptr) << "number pad left open";
        return result;
    }
    Script script;
};

TEST_F(NumberPadTest, DecimalLimitOnTheRealKeys) {
    EXPECT_DOUBLE_EQ(
        Run("0", 1, 0,
            {Key("1"), Key("."), Key("2"), Key("3"), Key("4"), Key("5"), Key("."), Ok()}),
        1.234);
    EXPECT_DOUBLE_EQ(Run("7", 1, 0, {Key("<-"), Key("<-"), Key("8"), Ok()}), 8.0);
}

TEST_F(NumberPadTest, CancelReturnsTheNumberItOpenedWith) {
    EXPECT_DOUBLE_EQ(Run("12.500", 1, 0, {Key("9"), Cancel()}), 12.5);
    EXPECT_DOUBLE_EQ(Run("", 1, 0, {Cancel()}), 0.0);
    EXPECT_DOUBLE_EQ(Run("garbage", 1, 0, {Cancel()}), 0.0);
}

TEST_F(NumberPadTest, WithoutDecimalsThereIsNoPointKey) {
    bool pointKey = true;
    int keys = 0;
    auto look = [&](GtkWidget* dialog) {
        pointKey = FindButton(dialog, ".") != nullptr;
        for (const char* label : {"0", "1", "2", "3", "4", "5", "6", "7", "8", "9", "<-"})
            keys += FindButton(dialog, label) != nullptr;
    };
    EXPECT_DOUBLE_EQ(Run("5", 0, 0, {look, Key("4"), Key("2"), Ok()}), 42.0);
    EXPECT_FALSE(pointKey);
    EXPECT_EQ(keys, 11);
}

TEST_F(NumberPadTest, AngleModeLimitsAndTurnsCounterclockwise) {
    EXPECT_DOUBLE_EQ(Run("0", 1, 1, {Key("4"), Key("0"), Key("0"), Ok()}), 360.0);
    EXPECT_DOUBLE_EQ(Run("0", 1, 1, {Key("9"), Key("0"), Key("Counterclockwise"), Ok()}), 270.0);
    EXPECT_DOUBLE_EQ(Run("0", 1, 1, {Key("4"), Key("5"), Ok()}), 45.0);
    // Cancel in angle mode still returns the number it opened with.
    EXPECT_DOUBLE_EQ(Run("30", 1, 1, {Key("Counterclockwise"), Cancel()}), 30.0);
    bool box = true;
    Run("0", 1, 0,
        {[&box](GtkWidget* d) { box = FindButton(d, "Counterclockwise") != nullptr; }, Cancel()});
    EXPECT_FALSE(box);
}

TEST_F(NumberPadTest, RealPointerClicks) {
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
}

// The numeric entries of the properties dialog, answered by a scripted pad.
std::string padOpenedWith;
double padAnswer = 0.0;

double ScriptedPad(const char* text, int decimals, int angle) {
    padOpenedWith = text;
    EXPECT_EQ(decimals, 1);
    EXPECT_EQ(angle, 0);
    return padAnswer;
}

int OriginY(int axis, double* origin) {
    *origin = axis == 1 ? 10.0 : 5.0;
    return 1;
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
    EXPECT_STREQ(gtk_entry_get_text(GTK_ENTRY(local)), "2.250");

    // Linked in y: the box origin in y plus the value.
    SetBoxOriginSource(OriginY);
    LinkNumberEntry(local, actual, 1);
    padAnswer = 3.0;
    GdkEvent* release = gdk_event_new(GDK_BUTTON_RELEASE);
    release->button.button = 1;
    gboolean handled = TRUE;
    g_signal_emit_by_name(local, "button-release-event", release, &handled);
    gdk_event_free(release);
    EXPECT_FALSE(handled);
    EXPECT_EQ(padOpenedWith, "2.250");
    EXPECT_STREQ(gtk_entry_get_text(GTK_ENTRY(local)), "3.000");
    EXPECT_STREQ(gtk_entry_get_text(GTK_ENTRY(actual)), "13.000");

    // Without a current box the origin is 0.
    SetBoxOriginSource(nullptr);
    padAnswer = 0.125;
    OnEntryClicked(local, nullptr, actual);
    EXPECT_STREQ(gtk_entry_get_text(GTK_ENTRY(actual)), "0.125");

    SetUserInterfaceHooks({});
    g_object_unref(local);
    g_object_unref(actual);
}

}  // namespace
