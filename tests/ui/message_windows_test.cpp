#include "ui/message_windows.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>

#include <sys/stat.h>

#include "base/application_state.h"
#include "base/screen_config.h"
#include "base/system_paths.h"
#include "layout/layout_file.h"
#include "layout/pattern_box.h"
#include "support/temp_dir.h"
#include "support_ui/ui_fixture.h"
#include "ui/startup.h"

namespace {

// Finds the open message dialog (a toplevel GtkMessageDialog).
GtkWidget* OpenMessageDialog() {
    GtkWidget* found = nullptr;
    GList* windows = gtk_window_list_toplevels();
    for (GList* l = windows; l; l = l->next)
        if (GTK_IS_MESSAGE_DIALOG(l->data) && gtk_widget_get_visible(GTK_WIDGET(l->data)))
            found = GTK_WIDGET(l->data);
    g_list_free(windows);
    return found;
}

GtkWidget* ButtonWithResponse(GtkWidget* dialog, int response) {
    GtkWidget* found = nullptr;
    GList* buttons = gtk_container_get_children(GTK_CONTAINER(GTK_DIALOG(dialog)->action_area));
    for (GList* l = buttons; l; l = l->next)
        if (gtk_dialog_get_response_for_widget(GTK_DIALOG(dialog), GTK_WIDGET(l->data)) == response)
            found = GTK_WIDGET(l->data);
    g_list_free(buttons);
    return found;
}

// What the answering timer saw of the dialog before it answered.
struct DialogLook {
    std::string labelText;
    bool wraps = false;
};

// Answers the next message dialog: with a real pointer click through xdotool
// when `click` is set, else by activating the button.
struct Answer {
    int response;
    bool click;
    DialogLook look;
    bool answered = false;
};

gboolean AnswerDialog(gpointer data) {
    auto* answer = static_cast<Answer*>(data);
    GtkWidget* dialog = OpenMessageDialog();
    if (!dialog || !gtk_widget_get_mapped(dialog)) return TRUE;  // not shown yet
    GtkWidget* label = GTK_MESSAGE_DIALOG(dialog)->label;
    answer->look.labelText = gtk_label_get_text(GTK_LABEL(label));
    answer->look.wraps = gtk_label_get_line_wrap(GTK_LABEL(label));
    GtkWidget* button = ButtonWithResponse(dialog, answer->response);
    if (!button) return TRUE;
    if (answer->click) {
        XdotoolClick(button, false);
    } else {
        gtk_button_clicked(GTK_BUTTON(button));
    }
    answer->answered = true;
    return FALSE;
}

int ShowAnswered(Answer& answer, const std::function<int()>& show) {
    guint timer = g_timeout_add(50, AnswerDialog, &answer);
    int response = show();
    if (!answer.answered) g_source_remove(timer);
    return response;
}

class MessageWindows : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(EnsureGtk()) << "no X display for the window tests";
        MakeMainWindow();
    }
    void TearDown() override { DropMainWindow(); }
};

}  // namespace

TEST_F(MessageWindows, EachButtonAnswersWithItsResponseTheTextIsLiteralAndProgressCanStop) {
    struct Case {
        int buttons, response;
        bool click;  // a real pointer click rather than activating the button
    };
    const Case cases[] = {
        {kButtonsOkCancel, kResponseOk, true},  {kButtonsOkCancel, kResponseCancel, true},
        {kButtonsYesNo, kResponseYes, false},   {kButtonsYesNo, kResponseNo, false},
        {kButtonsClose, kResponseClose, false},
    };
    const char* text = "LINE <b>ONE</b> & \"TWO\"\nSECOND LINE";
    for (const Case& c : cases) {
        Answer answer{c.response, c.click, {}};
        EXPECT_EQ(
            ShowAnswered(answer, [&] { return GtkShowMessage(kMessageQuestion, c.buttons, text); }),
            c.response);
        EXPECT_EQ(answer.look.labelText, text);
        EXPECT_TRUE(answer.look.wraps);
    }
    // The dialog is gone once the call returns.
    Drain();
    EXPECT_EQ(OpenMessageDialog(), nullptr);

    // The special message answers with its extra button, or OK.
    for (int response : {-99, static_cast<int>(kResponseOk)}) {
        Answer answer{response, response == -99, {}};
        EXPECT_EQ(ShowAnswered(answer,
                               [] {
                                   return GtkShowMessageSpecial(
                                       kMessageQuestion, "THE MACHINE WILL MOVE", "SET START", -99);
                               }),
                  response);
    }

    // The progress window pulses, takes a new text and asks to stop.
    UserInterfaceHooks hooks;
    hooks.createStatusWindow = GtkCreateStatusWindow;
    hooks.updateStatusWindow = GtkUpdateStatusWindow;
    hooks.statusWindowSetText = GtkStatusWindowSetText;
    hooks.closeStatusWindow = GtkCloseStatusWindow;
    SetUserInterfaceHooks(hooks);

    StatusWindow* status = CreateStatusWindow("CREATING PATTERN OUTPUT FILE");
    ASSERT_NE(status->ui, nullptr);
    GtkWidget *bar = nullptr, *stop = nullptr;
    GList* windows = gtk_window_list_toplevels();
    for (GList* w = windows; w; w = w->next) {
        if (!stop) stop = FindButton(GTK_WIDGET(w->data), "STOP");
        const std::vector<GtkWidget*> bars =
            WidgetsOfType(GTK_WIDGET(w->data), GTK_TYPE_PROGRESS_BAR);
        if (!bars.empty()) bar = bars[0];
    }
    g_list_free(windows);
    ASSERT_NE(bar, nullptr);
    ASSERT_NE(stop, nullptr);
    EXPECT_STREQ(gtk_progress_bar_get_text(GTK_PROGRESS_BAR(bar)), "Converting Pattern");

    StatusWindowSetText(status, "Breaking lines");
    EXPECT_STREQ(gtk_progress_bar_get_text(GTK_PROGRESS_BAR(bar)), "Breaking lines");
    UpdateStatusWindow(status);
    EXPECT_EQ(status->abortRequested, 0);

    XdotoolClick(stop, false);
    EXPECT_TRUE(WaitFor([&] { return status->abortRequested == 1; }));
    CloseStatusWindow(status);
    SetUserInterfaceHooks({});
}

TEST_F(MessageWindows, RestartAsksCancelKeepsTheProgramAndOkEndsItWithZero) {
    ScriptedResponder responder;
    responder.answers = {kResponseCancel};
    RestartProgram();  // returns: Cancel does nothing
    ASSERT_EQ(responder.shown.size(), 1u);
    EXPECT_EQ(responder.shown[0].text, "DO YOU WANT TO RESTART THE PROGRAM?\n");
    EXPECT_EQ(responder.shown[0].kind, kMessageQuestion);
    EXPECT_EQ(responder.shown[0].buttons, kButtonsOkCancel);

    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            ScriptedResponder responder;
            responder.answers = {kResponseOk};
            RestartProgram();
            _exit(5);  // not reached when the restart ends the process
        },
        ::testing::ExitedWithCode(0), "");
}

TEST_F(MessageWindows, CancelStopsTheRunningOperationAndRestoresWhenAsked) {
    // The undo step holds the default quilt area; the layout then loses it.
    TempDir root;
    ASSERT_EQ(mkdir(root.File("tmp").c_str(), 0777), 0);
    ASSERT_TRUE(SetSystemRoot(root.path.c_str()));
    BogusExtents();
    ASSERT_EQ(CreateUndoFile(), 1);
    FreeLayout();

    WaitingWindow* window = CreateWaitingWindow("AUTOFILL", 1);
    window->restoreOnCancel = 1;
    operationRunning = 1;
    mergePatternsActive = 1;

    XdotoolClick(window->cancelButton, false);
    EXPECT_TRUE(WaitFor([&] { return window->open == 0; }));
    EXPECT_EQ(operationRunning, 0);
    EXPECT_EQ(mergePatternsActive, 0);
    EXPECT_NE(extents, nullptr);  // the undo step is back
    EXPECT_EQ(waitWindow, nullptr);

    // The band over the menu row: the title in one line, Cancel a touch target
    // at both icon sizes, the view under the menu row left free.
    const int savedStyle = icon_style;
    for (int style : {0, 1}) {
        icon_style = style;
        WaitingWindow* band = CreateWaitingBand("\n\nSCALING PATTERN", 1);
        EXPECT_STREQ(gtk_label_get_text(GTK_LABEL(band->title)), "SCALING PATTERN");
        EXPECT_GE(band->cancelButton->allocation.height, style ? 40 : 24);
        EXPECT_LE(band->window->allocation.height, std::max(menubar_height, style ? 50 : 34));
        CloseWaitingWindow(band);
    }
    icon_style = savedStyle;

    // Without a record the flags are still cleared.
    operationRunning = 1;
    mergePatternsActive = 1;
    FreeLayout();
    CancelWaitingWindow(nullptr);
    EXPECT_EQ(operationRunning, 0);
    EXPECT_EQ(mergePatternsActive, 0);
    EXPECT_EQ(extents, nullptr);
    SetSystemRoot("");
}
