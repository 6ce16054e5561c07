// The on-screen keyboard, typed on with synthetic clicks on its real keys while
// it runs its own modal loop.
#include <gtest/gtest.h>

#include "base/screen_config.h"
#include "support_ui/ui_fixture.h"
#include "ui/keyboard.h"

namespace {

using Step = std::function<void(GtkWidget*)>;

Step Key(const char* label) {
    return [label](GtkWidget* window) {
        GtkWidget* key = FindButton(window, label);
        ASSERT_NE(key, nullptr) << "no key " << label;
        Click(key);
    };
}

Step Named(const char* name) {
    return [name](GtkWidget* window) { Click(FindNamed(window, name)); };
}

GtkEditable* Entry(GtkWidget* window) {
    return GTK_EDITABLE(FindNamed(window, kKeyboardEntryName));
}

// Checks made while the keyboard is open are stored here and compared after it
// closed (assertions inside the nested loop would leave it running).
struct Observed {
    std::string text;
    int cursor = -1;
    bool shiftDown = false;
    std::string keyQ;
};

Step Observe(Observed* observed) {
    return [observed](GtkWidget* window) {
        gchar* chars = gtk_editable_get_chars(Entry(window), 0, -1);
        observed->text = chars;
        g_free(chars);
        observed->cursor = gtk_editable_get_position(Entry(window));
        observed->shiftDown =
            gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(FindNamed(window, kKeyboardShiftName)));
        observed->keyQ = FindButton(window, "q") != nullptr   ? "q"
                         : FindButton(window, "Q") != nullptr ? "Q"
                                                              : "";
    };
}

Step Select(int from, int to) {
    return [from, to](GtkWidget* window) { gtk_editable_select_region(Entry(window), from, to); };
}

Step CursorAt(int at) {
    return [at](GtkWidget* window) { gtk_editable_set_position(Entry(window), at); };
}

class KeyboardTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(EnsureGtk());
        savedStyle = icon_style;
    }
    void TearDown() override {
        StopScript(&script);
        icon_style = savedStyle;
    }
    int Run(std::string& text, const char* prompt, std::vector<Step> steps) {
        script.windowName = kKeyboardWindowName;
        script.steps = std::move(steps);
        StartScript(&script);
        int result = GtkShowKeyboard(text, prompt);
        StopScript(&script);
        Drain();
        EXPECT_EQ(FindToplevel(kKeyboardWindowName), nullptr) << "keyboard left open";
        return result;
    }
    Script script;
    int savedStyle = 0;
};

TEST_F(KeyboardTest, ShiftAppliesToOneCharacterOnEveryRow) {
    std::string text = "ab";
    Observed afterShift, afterQ;
    std::vector<Step> steps = {Named(kKeyboardShiftName), Observe(&afterShift), Key("Q"),
                               Observe(&afterQ), Key("w")};
    for (const char* key : {"!", "@", "#", "$", "%", "^", "&", "*", "(", ")", "?"}) {
        steps.push_back(Named(kKeyboardShiftName));
        steps.push_back(Key(key));
    }
    for (Step step : {Key("+"), Named(kKeyboardSpaceName), Key("-"), Key("1"), Key("gtk-ok")})
        steps.push_back(step);
    EXPECT_EQ(Run(text, "NAME:", steps), 1);
    EXPECT_EQ(text, "abQw!@#$%^&*()?+ -1");
    EXPECT_TRUE(afterShift.shiftDown);
    EXPECT_EQ(afterShift.keyQ, "Q");  // keys relabelled from the shifted table
    EXPECT_FALSE(afterQ.shiftDown);   // the shift key popped up again
    EXPECT_EQ(afterQ.keyQ, "q");
    EXPECT_EQ(afterQ.text, "abQ");
}

TEST_F(KeyboardTest, BackspaceAndKeysEditAtTheCursorAndReplaceASelection) {
    std::string text = "abcdef";
    Observed atStart, selectionErased, middleErased;
    int result = Run(
        text, "NAME:",
        {Observe(&atStart), Select(1, 3), Named(kKeyboardBackspaceName), Observe(&selectionErased),
         CursorAt(2), Named(kKeyboardBackspaceName), Observe(&middleErased), Key("x"), CursorAt(0),
         Named(kKeyboardBackspaceName),  // at the start: nothing
         Key("c"), Select(2, 4), Key("z"), Key("gtk-ok")});
    EXPECT_EQ(result, 1);
    EXPECT_EQ(atStart.cursor, 6);  // opens with the cursor at the end
    EXPECT_EQ(selectionErased.text, "adef");
    EXPECT_EQ(selectionErased.cursor, 1);
    EXPECT_EQ(middleErased.text, "aef");
    EXPECT_EQ(middleErased.cursor, 1);
    EXPECT_EQ(text, "cazf");
}

TEST_F(KeyboardTest, CancelAClosedWindowAndAMissingPromptGiveZero) {
    std::string text = "old";
    EXPECT_EQ(Run(text, "NAME:", {Key("n"), Key("gtk-cancel")}), 0);
    EXPECT_EQ(text, "oldn");  // the text is handed back; the caller ignores it

    text = "abc";
    auto destroy = [](GtkWidget* window) { gtk_widget_destroy(window); };
    EXPECT_EQ(Run(text, "NAME:", {Key("d"), destroy}), 0);
    EXPECT_EQ(text, "abc");

    EXPECT_EQ(GtkShowKeyboard(text, nullptr), 0);
    EXPECT_EQ(text, "abc");
    EXPECT_EQ(FindToplevel(kKeyboardWindowName), nullptr);
}

TEST_F(KeyboardTest, TheLargeIconStyleMakesLargerKeysAndRealClicksType) {
    int smallKey = 0, largeKey = 0;
    auto measure = [](int* key) {
        return [key](GtkWidget* window) { *key = FindButton(window, "q")->allocation.width; };
    };
    std::string text;
    icon_style = 0;
    Run(text, "NAME:", {measure(&smallKey), Key("gtk-cancel")});
    icon_style = 1;
    Run(text, "NAME:", {measure(&largeKey), Key("gtk-cancel")});
    EXPECT_GT(smallKey, 0);
    EXPECT_GT(largeKey, smallKey * 4 / 3);

    icon_style = 0;
    bool clicked = true;
    auto press = [&clicked](const char* label) {
        return [&clicked, label](GtkWidget* window) {
            clicked = XdotoolClick(FindButton(window, label)) && clicked;
        };
    };
    text.clear();
    int result = Run(text, "NAME:", {press("k"), press("7"), press("gtk-ok")});
    ASSERT_TRUE(clicked) << "xdotool could not click";
    EXPECT_EQ(result, 1);
    EXPECT_EQ(text, "k7");
}

}  // namespace
