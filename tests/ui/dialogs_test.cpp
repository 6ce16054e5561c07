// The scale, properties, Repeat and echo dialogs driven with clicks through
// the X server while they run, and a picture of each.
#include <cmath>

#include "base/application_state.h"
#include "base/screen_config.h"
#include "base/ui_hooks.h"
#include "layout/layout_selection.h"
#include "layout/layout_tree.h"
#include "layout/placement/array_repeat.h"
#include "layout/view_transform.h"
#include "machine/mc1_commands.h"
#include "machine/serial_link.h"
#include "popup_fixture.h"
#include "support/mc1sim_fixture.h"
#include "ui/array_dialog.h"
#include "ui/pattern_popup.h"
#include "ui/properties_dialog.h"
#include "ui/transform_dialogs.h"

namespace {

using Step = std::function<void(GtkWidget*)>;

class Dialogs : public PopupTest {
protected:
    void TearDown() override {
        StopScript(&script);
        PopupTest::TearDown();
    }
    // Plays steps inside the modal loop of the window named name.
    void Play(const char* name, std::vector<Step> steps) {
        script.windowName = name;
        script.steps = std::move(steps);
        StartScript(&script);
    }
    void Finish() {
        StopScript(&script);
        Drain();
    }
    static Step ClickNamed(const char* name) {
        return [name](GtkWidget* w) { Click(FindNamed(w, name)); };
    }
    static Step ClickButton(const char* label) {
        return [label](GtkWidget* w) { Click(FindButton(w, label)); };
    }
    static Step SetSlider(const char* name, double value) {
        return [name, value](GtkWidget* w) {
            GtkWidget* slider = FindNamed(w, name);
            ASSERT_NE(slider, nullptr) << name;
            gtk_range_set_value(GTK_RANGE(slider), value);
        };
    }
    static double Slider(GtkWidget* w, const char* name) {
        return gtk_range_get_value(GTK_RANGE(FindNamed(w, name)));
    }
    static std::string Text(GtkWidget* w, const char* name) {
        return gtk_entry_get_text(GTK_ENTRY(FindNamed(w, name)));
    }
    Script script;
};

TEST_F(Dialogs, ScaleFollowsTheLockedSlidersAndKeepsTheCentre) {
    MakeRectBox(0, 0, 30, 20);
    int other = LoadPath({{0, 0}, {3, 0}, {3, 3}, {0, 3}, {1.5f, 0}});
    NewPatternLayoutNode(other, -1, 0, 1, 1);
    int slot = LoadPath({{0, 0}, {4, 0}, {4, 2}, {0, 2}, {2, 0}, {1, 1}});
    LayoutNode* n = NewPatternLayoutNode(slot, -1, 0, 5, 5);
    SetSelectedNode(n);
    const float scale = ViewScale();
    double afterPlus = 0, lockedHeight = 0, unlockedWidth = 0;
    bool smartShown = false, smartSensitive = false;

    Play(kScaleDialogTitle,
         {[&](GtkWidget* w) {
              GtkWidget* smart = FindButton(w, "SMARTSCALE");
              smartShown = smart && gtk_widget_get_visible(smart);
              smartSensitive = smart && gtk_widget_is_sensitive(smart);
          },
          SetSlider("WidthPercent", 150), ClickNamed("WidthPlus"),
          [&](GtkWidget* w) {
              afterPlus = Slider(w, "WidthPercent");
              lockedHeight = Slider(w, "HeightPercent");
          },
          ClickNamed("LockPercent"), ClickNamed("HeightMinus"), ClickNamed("HeightMinus"),
          [&](GtkWidget* w) { unlockedWidth = Slider(w, "WidthPercent"); }, ClickButton("gtk-ok")});
    const int response = ScaleDialog(n);
    Finish();

    EXPECT_EQ(response, kResponseOk);
    EXPECT_TRUE(smartShown);  // the box passes the check
    EXPECT_TRUE(smartSensitive);
    EXPECT_EQ(afterPlus, 151);
    EXPECT_EQ(lockedHeight, 151);
    EXPECT_EQ(unlockedWidth, 151);
    const Pattern* p = GetPattern(slot);
    EXPECT_NEAR(p->width, 4 * 1.51, 1e-3);
    EXPECT_NEAR(p->height, 2 * 1.49, 1e-3);
    EXPECT_NEAR(n->x + p->width / 2, 7, 1e-3);
    EXPECT_NEAR(n->y + p->height / 2, 6, 1e-3);
    EXPECT_EQ(ViewScale(), scale);  // borrowed and given back
    EXPECT_EQ(FindToplevel(kScaleDialogTitle), nullptr);

    // From the pop-up with the undo point; Cancel changes nothing.
    ShowPopupMenu(70, 60);
    ASSERT_TRUE(WaitFor([&] { return PopupMenu() != nullptr; }));
    Play(kScaleDialogTitle, {SetSlider("WidthPercent", 300), ClickButton("gtk-cancel")});
    Choose("Scale");
    Finish();
    EXPECT_TRUE(UndoWritten());
    EXPECT_NEAR(p->width, 4 * 1.51, 1e-3);
    LayoutNode orphan;
    orphan.patternIndex = 45;
    EXPECT_EQ(ScaleDialog(&orphan), kResponseNothingToScale);
}

TEST_F(Dialogs, PropertiesMoveThePatternOrWithMoveAllTheBoxAndRetrieveTheStart) {
    const int box = MakeRectBox(2, 3, 30, 20);
    int slot = LoadPath({{0, 0}, {2, 0}, {2, 1}});
    LayoutNode* n = NewPatternLayoutNode(slot, -1, 0, 4, 5);
    responder->numbers = {7.5, 6};
    std::string shownX, actualX, actualY;
    bool actualEditable = true, retrieveUsable = true, widthUsable = true;
    Play(kPropertiesDialogTitle,
         {[&](GtkWidget* w) {
              actualY = Text(w, "ActualY");
              actualEditable = gtk_widget_is_sensitive(FindNamed(w, "ActualX"));
              retrieveUsable = gtk_widget_is_sensitive(FindNamed(w, "RetrieveStartPoint"));
          },
          ClickNamed("LocalStartX"),
          [&](GtkWidget* w) {
              shownX = Text(w, "LocalStartX");
              actualX = Text(w, "ActualX");
          },
          ClickButton("gtk-ok")});
    EXPECT_EQ(PatternPropertiesDialog(n), kResponseOk);
    Finish();
    EXPECT_EQ(actualY, "8.000");
    EXPECT_FALSE(actualEditable);
    EXPECT_TRUE(retrieveUsable);
    EXPECT_EQ(shownX, "7.500");
    EXPECT_EQ(actualX, "9.500");  // follows with the box origin
    // The pad says which field it edits, and in which unit.
    EXPECT_EQ(responder->numberTitles, std::vector<std::string>{"Local Start X (in.)"});
    EXPECT_FLOAT_EQ(n->x, 7.5f);
    EXPECT_FLOAT_EQ(n->y, 5);

    // With Move All the box moves and the size entries cannot be used.
    Play(kPropertiesDialogTitle,
         {ClickNamed("MoveAll"),
          [&](GtkWidget* w) { widthUsable = gtk_widget_is_sensitive(FindNamed(w, "Width")); },
          ClickNamed("LocalStartY"), ClickButton("gtk-ok")});
    ShowPopupMenu(100, 82);  // the pop-up's entry opens it
    ASSERT_TRUE(WaitFor([&] { return PopupMenu() != nullptr; }));
    Choose("Properties");
    Finish();
    EXPECT_FALSE(widthUsable);
    EXPECT_FLOAT_EQ(GetPatternBox(box)->y, 4);
    EXPECT_FLOAT_EQ(n->y, 5);

    // Retrieve Start Point puts the head's position, less the box origin, into
    // the start entries.
    Mc1Sim board;
    ASSERT_TRUE(board.running) << board.error;
    SetSerialDevicePath(board.device);
    ASSERT_GE(OpenPort(), 0);
    DisableX();  // the head can be pushed by hand
    DisableY();
    ASSERT_TRUE(WaitForState(board, "xenabled", "0", 2000));
    ASSERT_TRUE(WaitForState(board, "yenabled", "0", 2000));
    ASSERT_EQ(SimControl(board, "push 10000 11000").rfind("ok", 0), 0u);
    Play(kPropertiesDialogTitle, {ClickNamed("RetrieveStartPoint"), ClickButton("gtk-ok")});
    EXPECT_EQ(PatternPropertiesDialog(n), kResponseOk);
    Finish();
    ClosePort();
    SetSerialDevicePath("");
    EXPECT_FALSE(responder->Showed("COULD NOT RETRIEVE POINT"));
    EXPECT_NEAR(n->x, 10 - GetPatternBox(box)->x, 0.002f);
    EXPECT_NEAR(n->y, 11 - GetPatternBox(box)->y, 0.002f);
}

TEST_F(Dialogs, RepeatMakesTheArrayAndOpensAgainOnItsValues) {
    MakeRectBox(0, 0, 30, 20);
    int slot = LoadPath({{0, 0}, {4, 0}, {4, 2}, {0, 2}});
    LayoutNode* n = NewPatternLayoutNode(slot, -1, 0, 1, 1);
    Play(kRepeatDialogTitle,
         {SetSlider("Across", 1), ClickNamed("AcrossMinus"), ClickNamed("AcrossPlus"),
          SetSlider("Spacing Across", 0.4), ClickNamed("SpacingAcrossMinus"),
          ClickNamed("SpacingAcrossMinus"), SetSlider("Down", 2), ClickNamed("DownPlus"),
          SetSlider("Spacing Down", 0.4), ClickNamed("SpacingDownPlus"), ClickButton("gtk-ok")});
    ShowPopupMenu(12, 12);  // the pop-up's entry opens it
    ASSERT_TRUE(WaitFor([&] { return PopupMenu() != nullptr; }));
    Choose("Copies/Repeat");
    Finish();
    EXPECT_EQ(SelectedNode(), n);
    EXPECT_TRUE(UndoWritten());
    ASSERT_EQ(CountLayoutNodes(), 6);
    EXPECT_FLOAT_EQ(patternLayout->next->x, 5.2f);
    EXPECT_FLOAT_EQ(patternLayout->next->next->y, 3.5f);

    // From a repeat: the parent's values; Cancel keeps the array.
    ForgetUndo();
    double across = 0, down = 0, spacing = 0;
    Play(kRepeatDialogTitle, {[&](GtkWidget* w) {
                                  across = Slider(w, "Across");
                                  down = Slider(w, "Down");
                                  spacing = Slider(w, "Spacing Down");
                              },
                              SetSlider("Down", 1), ClickButton("gtk-cancel")});
    EXPECT_EQ(ArrayDialog(patternLayout->next->next), kResponseCancel);
    Finish();
    EXPECT_EQ(across, 2);
    EXPECT_EQ(down, 3);
    EXPECT_NEAR(spacing, 0.5, 1e-9);
    EXPECT_EQ(CountLayoutNodes(), 6);
    EXPECT_FALSE(UndoWritten());
}

TEST_F(Dialogs, EchoAsksButChangesNothingAndRefusesArrays) {
    MakeRectBox(0, 0, 30, 20);
    int slot = LoadPath({{0, 0}, {4, 0}, {4, 2}});
    LayoutNode* n = NewPatternLayoutNode(slot, -1, 0, 1, 1);
    Play(kEchoDialogTitle,
         {SetSlider("Repeat: ", 5), SetSlider("Percent: ", -20), ClickButton("gtk-ok")});
    EXPECT_EQ(EchoDialog(n), kResponseOk);
    Finish();
    EXPECT_EQ(CountLayoutNodes(), 1);
    EXPECT_FLOAT_EQ(n->x, 1);
    EXPECT_FLOAT_EQ(GetPattern(slot)->width, 4);

    ApplyRepeat(n, RepeatSettings{1, 0, 2, 0});
    Play(kEchoDialogTitle, {ClickButton("gtk-cancel")});  // only if it wrongly opens
    EXPECT_EQ(EchoDialog(n->next), -1);
    Finish();
    EXPECT_TRUE(responder->Showed("YOU MAY NOT ECHO AN ARRAYED PATTERN"));
}

}  // namespace
