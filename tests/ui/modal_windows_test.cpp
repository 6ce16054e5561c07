// The modal windows run for real and answered with clicks while they run
// their own loops: the keyboard, the number pad, the file chooser, the message
// windows with the progress and waiting windows.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "base/application_state.h"
#include "base/screen_config.h"
#include "base/system_paths.h"
#include "base/ui_hooks.h"
#include "layout/layout_file.h"
#include "layout/pattern_box.h"
#include "support/chooser_rows.h"
#include "support/temp_dir.h"
#include "support_ui/ui_fixture.h"
#include "ui/file_chooser.h"
#include "ui/keyboard.h"
#include "ui/message_windows.h"
#include "ui/number_entry.h"
#include "ui/startup.h"

namespace {

using Step = std::function<void(GtkWidget*)>;

// A click on the button with this label (with a response: the dialog's
// button for it), or on the widget with this name; through xdotool when real.
Step Key(const char* label, bool real = false, int response = 0) {
    return [=](GtkWidget* window) {
        GtkWidget* key = response ? gtk_dialog_get_widget_for_response(GTK_DIALOG(window), response)
                                  : FindButton(window, label);
        if (!key) key = FindNamed(window, label);
        ASSERT_NE(key, nullptr) << label;
        if (real) {
            ASSERT_TRUE(XdotoolClick(key)) << "xdotool could not click";
        } else {
            Click(key);
        }
    };
}

// Runs the modal window named `name`, opened by open(), through the steps; it
// must be closed afterwards.
template <typename Open>
auto RunModal(const char* name, std::vector<Step> steps, Open open) {
    Script script{name, std::move(steps)};
    StartScript(&script);
    auto result = open();
    StopScript(&script);
    Drain();
    EXPECT_EQ(FindToplevel(name), nullptr) << name << " left open";
    return result;
}

TEST(ModalWindows, KeyboardAndNumberPadTypeOkKeepsTheTextCancelDoesNot) {
    ASSERT_TRUE(EnsureGtk());
    std::string text = "abcdef";
    auto keyboard = [&](std::vector<Step> steps) {
        return RunModal(kKeyboardWindowName, std::move(steps),
                        [&] { return GtkShowKeyboard(text, "NAME:"); });
    };
    auto select = [](int from, int to) {
        return [from, to](GtkWidget* window) {
            gtk_editable_select_region(GTK_EDITABLE(FindNamed(window, kKeyboardEntryName)), from,
                                       to);
        };
    };
    // Shift applies to one character; a key replaces a selection, backspace
    // erases it; a space and the digit row type as labelled.
    EXPECT_EQ(keyboard({select(1, 3), Key(kKeyboardBackspaceName), Key(kKeyboardShiftName),
                        Key("Q"), Key("w"), Key(kKeyboardShiftName), Key("!"), select(0, 1),
                        Key("z"), Key(kKeyboardSpaceName), Key("gtk-ok")}),
              1);
    EXPECT_EQ(text, "z Qw!def");
    text.clear();
    EXPECT_EQ(keyboard({Key("k", true), Key("7", true), Key("gtk-ok", true)}), 1);
    EXPECT_EQ(text, "k7");
    text = "abc";
    EXPECT_EQ(keyboard({Key("d"), Key("gtk-cancel")}), 0);
    EXPECT_EQ(GtkShowKeyboard(text, nullptr), 0);  // no prompt: nothing shown

    auto pad = [](const char* start, int angle, std::vector<Step> steps,
                  const char* title = nullptr) {
        return RunModal("NumberEntry", std::move(steps),
                        [=] { return GtkNumberEntry(start, 1, angle, title); });
    };
    const Step ok = Key("OK", true, GTK_RESPONSE_OK);
    std::string title;
    auto look = [&](GtkWidget* dialog) {
        title = gtk_label_get_text(GTK_LABEL(FindNamed(dialog, "NumberEntryTitle")));
    };
    EXPECT_DOUBLE_EQ(
        pad("0", 0, {look, Key("6", true), Key(".", true), Key("5", true), ok}, "Width (in.)"),
        6.5);
    EXPECT_EQ(title, "Width (in.)");
    EXPECT_DOUBLE_EQ(pad("12.500", 0, {Key("9", true), Key("Cancel", true, GTK_RESPONSE_CANCEL)}),
                     12.5);
    // Angle mode: typed 90, turned counterclockwise.
    EXPECT_DOUBLE_EQ(
        pad("0", 1, {Key("9", true), Key("0", true), Key("Counterclockwise", true), ok}), 270.0);
}

std::string Choose(const char* folder, const char* filter, std::function<void()> steps) {
    InsideNextChooser(std::move(steps));
    return GetFilename(folder, filter);
}

TEST(ModalWindows, FileChooserFoldersInAndBackAFileItsFolderCancelAndAnInvalidFolder) {
    ASSERT_TRUE(EnsureGtk());
    TempDir dir;
    ASSERT_EQ(mkdir(dir.File("deep").c_str(), 0777), 0);
    ASSERT_EQ(mkdir(dir.File("deep/er").c_str(), 0777), 0);
    for (const char* file : {"top.qlf", "deep/inner.qlf", "deep/skip.txt"})
        ASSERT_TRUE(WriteFileText(dir.File(file), "x"));
    const std::string base = dir.path + "/";
    std::vector<std::string> seen;
    const std::string chosen = Choose(base.c_str(), ".qlf", [&] {
        seen = RowNames(FileChooserRows());
        EXPECT_EQ(FileChooserSelect("deep"), 1);
        EXPECT_EQ(FileChooserSelect("er"), 1);
        EXPECT_EQ(FileChooserFolder(), base + "deep/er/");
        FileChooserGoBack(1);
        EXPECT_EQ(FileChooserFolder(), base + "deep/");
        EXPECT_EQ(RowNames(FileChooserRows()), (std::vector<std::string>{"er/", "inner.qlf"}));
        EXPECT_EQ(FileChooserSelect("inner.qlf"), 1);
        FileChooserRespond(1);
    });
    EXPECT_EQ(seen, (std::vector<std::string>{"deep/", "top.qlf"}));
    EXPECT_EQ(chosen, base + "deep/inner.qlf");
    EXPECT_FALSE(FileChooserOpen());
    // OK without a row gives the folder; Cancel gives nothing.
    EXPECT_EQ(Choose(base.c_str(), nullptr, [] { FileChooserRespond(1); }), dir.path);
    EXPECT_EQ(Choose(base.c_str(), nullptr,
                     [] {
                         FileChooserSelect("top.qlf");
                         FileChooserRespond(0);
                     }),
              "");
    std::vector<std::string> rows;
    const std::string missing = dir.File("missing");
    EXPECT_EQ(Choose(missing.c_str(), nullptr,
                     [&] {
                         rows = RowNames(FileChooserRows());
                         FileChooserRespond(1);
                     }),
              "");
    EXPECT_EQ(rows, std::vector<std::string>{"Invalid Path"});
}

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

// Answers the next message dialog with this response (a real pointer click
// through xdotool when `click` is set, else activating the button), keeping
// its text and whether it wraps.
struct Answer {
    int response;
    bool click;
    std::string text = "";
    bool wraps = false;
    bool answered = false;
};

gboolean AnswerDialog(gpointer data) {
    auto* answer = static_cast<Answer*>(data);
    GtkWidget* dialog = OpenMessageDialog();
    if (!dialog || !gtk_widget_get_mapped(dialog)) return TRUE;  // not shown yet
    GtkWidget* label = GTK_MESSAGE_DIALOG(dialog)->label;
    answer->text = gtk_label_get_text(GTK_LABEL(label));
    answer->wraps = gtk_label_get_line_wrap(GTK_LABEL(label));
    GtkWidget* button = gtk_dialog_get_widget_for_response(GTK_DIALOG(dialog), answer->response);
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

}  // namespace

TEST(ModalWindows, MessageButtonsAnswerTheTextIsLiteralProgressAndWaitingCanStop) {
    ASSERT_TRUE(EnsureGtk());
    MakeMainWindow();
    const struct {
        int buttons, response;
        bool click;
    } cases[] = {
        {kButtonsOkCancel, kResponseOk, true},  {kButtonsOkCancel, kResponseCancel, true},
        {kButtonsYesNo, kResponseYes, false},   {kButtonsYesNo, kResponseNo, false},
        {kButtonsClose, kResponseClose, false},
    };
    const char* text = "LINE <b>ONE</b> & \"TWO\"\nSECOND LINE";
    for (const auto& c : cases) {
        Answer answer{c.response, c.click};
        EXPECT_EQ(
            ShowAnswered(answer, [&] { return GtkShowMessage(kMessageQuestion, c.buttons, text); }),
            c.response);
        EXPECT_EQ(answer.text, text);
        EXPECT_TRUE(answer.wraps);
    }
    Drain();
    EXPECT_EQ(OpenMessageDialog(), nullptr);
    // The special message answers with its extra button, or OK.
    for (int response : {-99, static_cast<int>(kResponseOk)}) {
        Answer answer{response, response == -99};
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
    // The undo step holds the default quilt area; the layout then loses it.
    TestFolder here;
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
    DropMainWindow();
}

TEST(ModalWindows, RestartAsksCancelKeepsTheProgramAndOkEndsItWithZero) {
    ASSERT_TRUE(EnsureGtk());
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
