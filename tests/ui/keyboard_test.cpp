// The on-screen keyboard, typed on with clicks on its real keys while it runs
// its own modal loop.
#include <gtest/gtest.h>

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

class KeyboardTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(EnsureGtk()); }
    void TearDown() override { StopScript(&script); }
    int Run(std::string& text, std::vector<Step> steps) {
        script.windowName = kKeyboardWindowName;
        script.steps = std::move(steps);
        StartScript(&script);
        int result = GtkShowKeyboard(text, "NAME:");
        StopScript(&script);
        Drain();
        EXPECT_EQ(FindToplevel(kKeyboardWindowName), nullptr) << "keyboard left open";
        return result;
    }
    Script script;
};

TEST_F(KeyboardTest, ShiftBackspaceAndKeysEditTheTextOkKeepsItCancelDoesNot) {
    std::string text = "abcdef";
    auto select = [](int from, int to) {
        return [from, to](GtkWidget* window) {
            gtk_editable_select_region(GTK_EDITABLE(FindNamed(window, kKeyboardEntryName)), from,
                                       to);
        };
    };
    bool clicked = true;
    auto press = [&clicked](const char* label) {
        return [&clicked, label](GtkWidget* window) {
            clicked = XdotoolClick(FindButton(window, label)) && clicked;
        };
    };
    // Shift applies to one character; a key replaces a selection, backspace
    // erases it; a space and the digit row type as labelled.
    EXPECT_EQ(Run(text, {select(1, 3), Named(kKeyboardBackspaceName), Named(kKeyboardShiftName),
                         Key("Q"), Key("w"), Named(kKeyboardShiftName), Key("!"), select(0, 1),
                         Key("z"), Named(kKeyboardSpaceName), Key("gtk-ok")}),
              1);
    EXPECT_EQ(text, "z Qw!def");
    text.clear();
    EXPECT_EQ(Run(text, {press("k"), press("7"), press("gtk-ok")}), 1);
    ASSERT_TRUE(clicked) << "xdotool could not click";
    EXPECT_EQ(text, "k7");

    text = "abc";
    EXPECT_EQ(Run(text, {Key("d"), Key("gtk-cancel")}), 0);
    EXPECT_EQ(GtkShowKeyboard(text, nullptr), 0);  // no prompt: nothing shown
}

}  // namespace
