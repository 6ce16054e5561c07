// The on-screen keyboard, typed on with synthetic clicks on its real keys while
// it runs its own modal loop.
#include <gtest/gtest.h>

#include <cstring>

#include "app/screen_config.h"
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

Step Ok() {
    return Key("gtk-ok");
}
Step Cancel() {
    return Key("gtk-cancel");
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

TEST_F(KeyboardTest, ShiftAppliesToOneCharacter) {
    std::string text = "ab";
    Observed afterShift, afterQ;
    int result = Run(text, "NAME:",
                     {Named(kKeyboardShiftName), Observe(&afterShift), Key("Q"), Observe(&afterQ),
                      Key("w"), Key("1"), Ok()});
    EXPECT_EQ(result, 1);
    EXPECT_EQ(text, "abQw1");
    EXPECT_TRUE(afterShift.shiftDown);
    EXPECT_EQ(afterShift.keyQ, "Q");  // keys relabelled from the shifted table
    EXPECT_FALSE(afterQ.shiftDown);   // the shift key popped up again
    EXPECT_EQ(afterQ.keyQ, "q");
    EXPECT_EQ(afterQ.text, "abQ");
}

TEST_F(KeyboardTest, ShiftedDigitRowAndLastKey) {
    std::string text;
    std::vector<Step> steps;
    for (const char* key : {"!", "@", "#", "$", "%", "^", "&", "*", "(", ")"}) {
        steps.push_back(Named(kKeyboardShiftName));
        steps.push_back(Key(key));
    }
    steps.push_back(Key("+"));
    steps.push_back(Named(kKeyboardShiftName));
    steps.push_back(Key("?"));
    steps.push_back(Named(kKeyboardSpaceName));
    steps.push_back(Key("-"));
    steps.push_back(Ok());
    EXPECT_EQ(Run(text, "PASSWORD: ", steps), 1);
    EXPECT_EQ(text, "!@#$%^&*()+? -");
}

TEST_F(KeyboardTest, BackspaceInTheMiddleKeepsTheNeighbours) {
    std::string text = "abcd";
    Observed afterBackspace;
    auto cursorAfterB = [](GtkWidget* window) { gtk_editable_set_position(Entry(window), 2); };
    int result = Run(
        text, "NAME:",
        {cursorAfterB, Named(kKeyboardBackspaceName), Observe(&afterBackspace), Key("x"), Ok()});
    EXPECT_EQ(result, 1);
    EXPECT_EQ(afterBackspace.text, "acd");
    EXPECT_EQ(afterBackspace.cursor, 1);  // between "a" and "c"
    EXPECT_EQ(text, "axcd");
}

TEST_F(KeyboardTest, BackspaceAndKeysReplaceASelection) {
    std::string text = "abcdef";
    Observed afterBackspace, atStart;
    auto selectBC = [](GtkWidget* window) { gtk_editable_select_region(Entry(window), 1, 3); };
    auto selectEnd = [](GtkWidget* window) { gtk_editable_select_region(Entry(window), 2, 4); };
    int result = Run(text, "NAME:",
                     {Observe(&atStart), selectBC, Named(kKeyboardBackspaceName),
                      Observe(&afterBackspace), selectEnd, Key("z"), Ok()});
    EXPECT_EQ(result, 1);
    EXPECT_EQ(atStart.cursor, 6);  // opens with the cursor at the end
    EXPECT_EQ(afterBackspace.text, "adef");
    EXPECT_EQ(afterBackspace.cursor, 1);
    EXPECT_EQ(text, "adz");
}

TEST_F(KeyboardTest, BackspaceAtTheStartDoesNothing) {
    std::string text = "ab";
    auto toStart = [](GtkWidget* window) { gtk_editable_set_position(Entry(window), 0); };
    EXPECT_EQ(Run(text, "NAME:", {toStart, Named(kKeyboardBackspaceName), Key("c"), Ok()}), 1);
    EXPECT_EQ(text, "cab");
}

TEST_F(KeyboardTest, CancelReturnsZero) {
    std::string text = "old";
    EXPECT_EQ(Run(text, "NAME:", {Key("n"), Cancel()}), 0);
    EXPECT_EQ(text, "oldn");  // the text is handed back; the caller ignores it
}

TEST_F(KeyboardTest, MissingPromptOpensNothing) {
    std::string text = "keep";
    EXPECT_EQ(GtkShowKeyboard(text, nullptr), 0);
    EXPECT_EQ(text, "keep");
    EXPECT_EQ(FindToplevel(kKeyboardWindowName), nullptr);
}

TEST_F(KeyboardTest, WindowDestroyedFromOutsideCountsAsCancel) {
    std::string text = "abc";
    auto destroy = [](GtkWidget* window) { gtk_widget_destroy(window); };
    EXPECT_EQ(Run(text, "NAME:", {Key("d"), destroy}), 0);
    EXPECT_EQ(text, "abc");
}

// Window and key sizes of both icon styles, measured on the real widgets.
struct Measured {
    int width = 0, height = 0, x = -1, y = -1, key = 0, shiftWidth = 0, spaceWidth = 0;
};

Step Measure(Measured* m) {
    return [m](GtkWidget* window) {
        gtk_widget_get_size_request(window, &m->width, &m->height);
        gtk_window_get_position(GTK_WINDOW(window), &m->x, &m->y);
        m->key = FindButton(window, "q")->allocation.width;
        m->shiftWidth = FindNamed(window, kKeyboardShiftName)->allocation.width;
        m->spaceWidth = FindNamed(window, kKeyboardSpaceName)->allocation.width;
    };
}

TEST_F(KeyboardTest, SizesFollowTheIconStyle) {
    std::string text;
    Measured small, large;
    icon_style = 0;
    Run(text, "NAME:", {Measure(&small), Cancel()});
    EXPECT_EQ(small.width, 320);
    EXPECT_EQ(small.height, 240);
    EXPECT_EQ(small.x, screen_width / 2 - 160);
    EXPECT_EQ(small.y, screen_height / 2 - 240 / 2);
    EXPECT_EQ(small.key, 31);
    EXPECT_EQ(small.shiftWidth, 62);
    EXPECT_EQ(small.spaceWidth, 186);

    icon_style = 1;
    Run(text, "NAME:", {Measure(&large), Cancel()});
    EXPECT_EQ(large.width, 480);
    EXPECT_EQ(large.height, 348);
    EXPECT_EQ(large.x, screen_width / 2 - 240);
    EXPECT_EQ(large.y, screen_height / 2 - 348 / 3);
    EXPECT_EQ(large.key, 46);
    EXPECT_EQ(large.shiftWidth, 92);
    EXPECT_EQ(large.spaceWidth, 276);
}

TEST_F(KeyboardTest, RealPointerClicksType) {
    std::string text;
    bool clicked = true;
    auto press = [&clicked](const char* label) {
        return [&clicked, label](GtkWidget* window) {
            clicked = XdotoolClick(FindButton(window, label)) && clicked;
        };
    };
    int result = Run(text, "NAME:", {press("k"), press("7"), press("gtk-ok")});
    ASSERT_TRUE(clicked) << "xdotool could not click";
    EXPECT_EQ(result, 1);
    EXPECT_EQ(text, "k7");
}

}  // namespace
