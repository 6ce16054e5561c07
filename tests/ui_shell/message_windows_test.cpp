#include "ui/message_windows.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "app/application_state.h"
#include "app/screen_config.h"
#include "app/startup_ui.h"
#include "support_ui/ui_fixture.h"
#include "ui/gtk_interface.h"
#include "ui/widget_helpers.h"

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
    std::string title;
    int labelWidth = 0;
    int labelHeight = 0;
    bool wraps = false;
    int x = -1, y = -1;
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
    answer->look.title = gtk_window_get_title(GTK_WINDOW(dialog));
    gtk_widget_get_size_request(label, &answer->look.labelWidth, &answer->look.labelHeight);
    answer->look.wraps = gtk_label_get_line_wrap(GTK_LABEL(label));
    gtk_window_get_position(GTK_WINDOW(dialog), &answer->look.x, &answer->look.y);
    GtkWidget* button = ButtonWithResponse(dialog, answer->response);
    if (!button) return TRUE;
    if (answer->click) {
        ClickWithXdotool(button);
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
        if (!EnsureGtk()) GTEST_SKIP() << "no display";
        MakeMainWindow();
    }
    void TearDown() override { DropMainWindow(); }
};

}  // namespace

TEST_F(MessageWindows, ARealClickOnOkAndCancelGivesTheirResponses) {
    Answer ok{kResponseOk, true, {}};
    int response = ShowAnswered(
        ok, [] { return GtkShowMessage(kMessageQuestion, kButtonsOkCancel, "CONTINUE?"); });
    EXPECT_TRUE(ok.answered);
    EXPECT_EQ(response, kResponseOk);

    Answer cancel{kResponseCancel, true, {}};
    response = ShowAnswered(
        cancel, [] { return GtkShowMessage(kMessageQuestion, kButtonsOkCancel, "CONTINUE?"); });
    EXPECT_EQ(response, kResponseCancel);
    // The dialog is gone once the call returns.
    Drain();
    EXPECT_EQ(OpenMessageDialog(), nullptr);
}

TEST_F(MessageWindows, YesNoAndCloseButtonsAnswerWithTheToolkitCodes) {
    Answer yes{kResponseYes, false, {}};
    EXPECT_EQ(
        ShowAnswered(yes, [] { return GtkShowMessage(kMessageQuestion, kButtonsYesNo, "Q"); }),
        kResponseYes);
    Answer no{kResponseNo, false, {}};
    EXPECT_EQ(ShowAnswered(no, [] { return GtkShowMessage(kMessageQuestion, kButtonsYesNo, "Q"); }),
              kResponseNo);
    Answer close{kResponseClose, false, {}};
    EXPECT_EQ(ShowAnswered(close, [] { return GtkShowMessage(kMessageInfo, kButtonsClose, "I"); }),
              kResponseClose);
}

TEST_F(MessageWindows, TextIsShownLiterallyWrappedAndSizedFromTheSettings) {
    Answer ok{kResponseOk, false, {}};
    const char* text = "LINE <b>ONE</b> & \"TWO\"\nSECOND LINE";
    ShowAnswered(ok, [&] { return GtkShowMessage(kMessageError, kButtonsOk, text); });
    EXPECT_EQ(ok.look.labelText, text);
    EXPECT_EQ(ok.look.title, kMessageWindowTitle);
    EXPECT_TRUE(ok.look.wraps);
    EXPECT_EQ(ok.look.labelWidth, message_width - 100);
    EXPECT_EQ(ok.look.labelHeight, message_height - 50);
    EXPECT_EQ(ok.look.x, screen_width / 2 - 160);
    EXPECT_EQ(ok.look.y, screen_height / 2 - 120);
}

TEST_F(MessageWindows, TheSpecialMessageAnswersWithItsExtraButton) {
    Answer extra{-99, true, {}};
    int response = ShowAnswered(extra, [] {
        return GtkShowMessageSpecial(kMessageQuestion, "THE MACHINE WILL MOVE", "SET START", -99);
    });
    EXPECT_EQ(response, -99);
    EXPECT_EQ(extra.look.labelWidth, special_message_width - 100);

    Answer ok{kResponseOk, false, {}};
    EXPECT_EQ(
        ShowAnswered(ok,
                     [] { return GtkShowMessageSpecial(kMessageQuestion, "Q", "SET START", -99); }),
        kResponseOk);
}

TEST_F(MessageWindows, RestartAsksAndCancelKeepsTheProgramRunning) {
    ScriptedResponder responder;
    responder.answers = {kResponseCancel};
    RestartProgram();  // returns: Cancel does nothing
    ASSERT_EQ(responder.shown.size(), 1u);
    EXPECT_EQ(responder.shown[0].text, "DO YOU WANT TO RESTART THE PROGRAM?\n");
    EXPECT_EQ(responder.shown[0].kind, kMessageQuestion);
    EXPECT_EQ(responder.shown[0].buttons, kButtonsOkCancel);
}

TEST_F(MessageWindows, RestartWithOkEndsTheProcessWithStatusZero) {
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

TEST_F(MessageWindows, WaitingWindowShowsCancelOnlyWhenCancellable) {
    WaitingWindow* quiet = CreateWaitingWindow("\n\nCOPYING DIRECTORY", 0);
    ASSERT_NE(quiet, nullptr);
    EXPECT_EQ(waitWindow, quiet);
    EXPECT_EQ(keepWaitingWindowOpen, 1);
    EXPECT_TRUE(isWidget(quiet->window));
    EXPECT_FALSE(gtk_widget_get_visible(quiet->cancelButton));
    EXPECT_STREQ(gtk_label_get_text(GTK_LABEL(quiet->title)), "\n\nCOPYING DIRECTORY");
    CloseWaitingWindow(quiet);
    EXPECT_EQ(quiet->open, 0);
    EXPECT_EQ(waitWindow, nullptr);
    EXPECT_EQ(keepWaitingWindowOpen, 0);
    EXPECT_EQ(quiet->window, nullptr);  // destroyed and forgotten
    CloseWaitingWindow(quiet);          // a second close does nothing to the window
    EXPECT_EQ(quiet->open, 0);

    WaitingWindow* cancellable = CreateWaitingWindow("MERGING PATTERN FILES", 1);
    EXPECT_TRUE(gtk_widget_get_visible(cancellable->cancelButton));
    CloseWaitingWindow(cancellable);
}

namespace {
int restoreCalls = 0;
void CountRestore() {
    restoreCalls++;
}
}  // namespace

TEST_F(MessageWindows, CancelStopsTheRunningOperationAndRestoresWhenAsked) {
    WaitingWindow* window = CreateWaitingWindow("AUTOFILL", 1);
    window->restoreOnCancel = 1;
    waitingWindowRestore = CountRestore;
    restoreCalls = 0;
    interface->operationRunning = 1;
    mergePatternsActive = 1;

    ClickWithXdotool(window->cancelButton);
    EXPECT_TRUE(WaitFor([&] { return window->open == 0; }));
    EXPECT_EQ(interface->operationRunning, 0);
    EXPECT_EQ(mergePatternsActive, 0);
    EXPECT_EQ(restoreCalls, 1);
    EXPECT_EQ(waitWindow, nullptr);

    // Without a record the flags are still cleared.
    interface->operationRunning = 1;
    mergePatternsActive = 1;
    CancelWaitingWindow(nullptr);
    EXPECT_EQ(interface->operationRunning, 0);
    EXPECT_EQ(mergePatternsActive, 0);
    EXPECT_EQ(restoreCalls, 1);
    waitingWindowRestore = nullptr;
}

TEST_F(MessageWindows, TheRefreshTimerStopsOnceTheWindowIsClosed) {
    keepWaitingWindowOpen = 1;
    EXPECT_TRUE(RefreshWaitingWindow(nullptr));
    keepWaitingWindowOpen = 0;
    EXPECT_FALSE(RefreshWaitingWindow(nullptr));
}

TEST_F(MessageWindows, ProgressWindowPulsesRelabelsAndStops) {
    UserInterfaceHooks hooks;
    hooks.createStatusWindow = GtkCreateStatusWindow;
    hooks.updateStatusWindow = GtkUpdateStatusWindow;
    hooks.statusWindowSetText = GtkStatusWindowSetText;
    hooks.closeStatusWindow = GtkCloseStatusWindow;
    SetUserInterfaceHooks(hooks);

    StatusWindow* status = CreateStatusWindow("CREATING PATTERN OUTPUT FILE");
    ASSERT_NE(status->ui, nullptr);
    // Find the progress bar and the STOP button of the new window.
    GtkWidget* bar = nullptr;
    GtkWidget* stop = nullptr;
    GList* windows = gtk_window_list_toplevels();
    for (GList* w = windows; w; w = w->next) {
        GtkWidget* child = gtk_bin_get_child(GTK_BIN(w->data));
        if (!child || !GTK_IS_VBOX(child)) continue;
        GList* items = gtk_container_get_children(GTK_CONTAINER(child));
        for (GList* i = items; i; i = i->next) {
            if (GTK_IS_PROGRESS_BAR(i->data)) bar = GTK_WIDGET(i->data);
            if (GTK_IS_BUTTON(i->data)) stop = GTK_WIDGET(i->data);
        }
        g_list_free(items);
    }
    g_list_free(windows);
    ASSERT_NE(bar, nullptr);
    ASSERT_NE(stop, nullptr);
    EXPECT_STREQ(gtk_progress_bar_get_text(GTK_PROGRESS_BAR(bar)), "Converting Pattern");
    EXPECT_STREQ(gtk_button_get_label(GTK_BUTTON(stop)), "STOP");

    StatusWindowSetText(status, "Breaking lines");
    EXPECT_STREQ(gtk_progress_bar_get_text(GTK_PROGRESS_BAR(bar)), "Breaking lines");
    UpdateStatusWindow(status);
    EXPECT_EQ(status->abortRequested, 0);

    ClickWithXdotool(stop);
    EXPECT_TRUE(WaitFor([&] { return status->abortRequested == 1; }));
    CloseStatusWindow(status);
    SetUserInterfaceHooks({});
}

TEST_F(MessageWindows, KeptWidgetPointersFallToNullWhenTheWidgetGoes) {
    GtkWidget* kept = nullptr;
    GtkWidget* label = gtk_label_new("x");
    g_object_ref_sink(label);
    KeepWidget(&kept, label);
    EXPECT_EQ(isWidget(kept), 1);
    EXPECT_EQ(isWidget(nullptr), 0);
    gtk_widget_destroy(label);
    g_object_unref(label);
    EXPECT_EQ(kept, nullptr);
    EXPECT_EQ(isWidget(kept), 0);
}

TEST_F(MessageWindows, ButtonFontMarkupEscapesTheText) {
    GtkWidget* button = gtk_button_new_with_label("old");
    g_object_ref_sink(button);
    SetButtonFont(button, "A & <B>", "Sans 16");
    GtkWidget* label = gtk_bin_get_child(GTK_BIN(button));
    EXPECT_STREQ(gtk_label_get_text(GTK_LABEL(label)), "A & <B>");
    PangoAttrList* attributes = pango_layout_get_attributes(gtk_label_get_layout(GTK_LABEL(label)));
    ASSERT_NE(attributes, nullptr);
    PangoAttrIterator* it = pango_attr_list_get_iterator(attributes);
    auto* font =
        reinterpret_cast<PangoAttrFontDesc*>(pango_attr_iterator_get(it, PANGO_ATTR_FONT_DESC));
    ASSERT_NE(font, nullptr);
    EXPECT_EQ(pango_font_description_get_size(font->desc), 16 * PANGO_SCALE);
    pango_attr_iterator_destroy(it);
    gtk_widget_destroy(button);
    g_object_unref(button);
}

TEST_F(MessageWindows, CoreCodeReachesTheRealWaitingWindowThroughTheSeam) {
    InstallGtkInterface();
    ShowWaitingWindow("\n\nLOADING LAYOUT", 0);
    WaitingWindow* first = waitWindow;
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->open, 1);
    EXPECT_STREQ(gtk_label_get_text(GTK_LABEL(first->title)), "\n\nLOADING LAYOUT");

    // A second window replaces the first.
    ShowWaitingWindow("MERGING PATTERN FILES", 1);
    EXPECT_EQ(first->open, 0);
    ASSERT_NE(waitWindow, first);
    EXPECT_TRUE(gtk_widget_get_visible(waitWindow->cancelButton));

    HideWaitingWindow();
    EXPECT_EQ(waitWindow, nullptr);
    EXPECT_EQ(keepWaitingWindowOpen, 0);
    HideWaitingWindow();  // nothing open: nothing happens
    SetUserInterfaceHooks({});
}
