// The number pad typed on with real clicks while it runs its own modal loop;
// its key rules are checked in the core's table.
#include <gtest/gtest.h>

#include "support_ui/ui_fixture.h"
#include "ui/number_entry.h"

namespace {

using Step = std::function<void(GtkWidget*)>;

class NumberPadTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(EnsureGtk()); }
    void TearDown() override { StopScript(&script); }
    double Run(const char* text, int angle, std::vector<Step> steps, const char* title = nullptr) {
        script.windowName = "NumberEntry";
        script.steps = std::move(steps);
        StartScript(&script);
        double result = GtkNumberEntry(text, 1, angle, title);
        StopScript(&script);
        Drain();
        EXPECT_EQ(FindToplevel("NumberEntry"), nullptr) << "number pad left open";
        return result;
    }
    // A real pointer click on a key (or on OK / Cancel with a response).
    Step Press(const char* label, int response = 0) {
        return [this, label, response](GtkWidget* dialog) {
            GtkWidget* key = response
                                 ? gtk_dialog_get_widget_for_response(GTK_DIALOG(dialog), response)
                                 : FindButton(dialog, label);
            clicked = key != nullptr && XdotoolClick(key) && clicked;
        };
    }
    Script script;
    bool clicked = true;
};

TEST_F(NumberPadTest, KeysTypeOkReturnsTheNumberAndCancelTheOneItOpenedWith) {
    std::string title;
    auto look = [&](GtkWidget* dialog) {
        title = gtk_label_get_text(GTK_LABEL(FindNamed(dialog, "NumberEntryTitle")));
    };
    EXPECT_DOUBLE_EQ(
        Run("0", 0, {look, Press("6"), Press("."), Press("5"), Press("OK", GTK_RESPONSE_OK)},
            "Width (in.)"),
        6.5);
    EXPECT_EQ(title, "Width (in.)");
    EXPECT_DOUBLE_EQ(Run("12.500", 0, {Press("9"), Press("Cancel", GTK_RESPONSE_CANCEL)}), 12.5);
    // Angle mode: typed 90, turned counterclockwise.
    EXPECT_DOUBLE_EQ(
        Run("0", 1,
            {Press("9"), Press("0"), Press("Counterclockwise"), Press("OK", GTK_RESPONSE_OK)}),
        270.0);
    EXPECT_TRUE(clicked) << "xdotool could not click";
}

}  // namespace
