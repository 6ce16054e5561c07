// Windows run for real and clicked while they run their own loops (keyboard,
// number pad, messages, progress), the pattern-select screen, and the file
// manager bringing drawings in from a stand-in USB stick.
#include <gtest/gtest.h>
#include <gtk/gtk.h>
#include <sys/stat.h>
#include <unistd.h>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "base/application_state.h"
#include "base/ui_hooks.h"
#include "layout/layout_file.h"
#include "layout/layout_selection.h"
#include "layout/layout_tree.h"
#include "layout/pattern_box.h"
#include "pattern/pattern.h"
#include "support_ui/ui_fixture.h"
#include "ui/file_chooser.h"
#include "ui/interface.h"
#include "ui/keyboard.h"
#include "ui/menu.h"
#include "ui/message_windows.h"
#include "ui/number_entry.h"
#include "ui/pattern_select.h"
#include "ui/screens.h"
#include "ui/startup.h"
#include "ui/widget_helpers.h"

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
    EXPECT_EQ(keyboard({Key("k", true), Key("gtk-ok", true)}), 1);
    EXPECT_EQ(text, "z Qw!defk");
    EXPECT_EQ(keyboard({Key("gtk-cancel")}), 0);

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
    // Angle mode: typed 90, turned counterclockwise.
    EXPECT_DOUBLE_EQ(
        pad("0", 1, {Key("9", true), Key("0", true), Key("Counterclockwise", true), ok}), 270.0);
}

}  // namespace

TEST(ModalWindows, MessageButtonsAnswerTheTextIsLiteralProgressCanStopAndPaintingWaitsForTheLoop) {
    ASSERT_TRUE(EnsureGtk());
    MakeMainWindow();
    const struct {
        int buttons, response;
        bool click;
    } cases[] = {{kButtonsOkCancel, kResponseCancel, true},
                 {kButtonsYesNo, kResponseYes, false},
                 {kButtonsClose, kResponseClose, false}};
    const char* text = "LINE <b>ONE</b> & \"TWO\"\nSECOND LINE";
    std::string shown;
    bool wraps = false;
    auto look = [&](GtkWidget* dialog) {
        GtkLabel* label = GTK_LABEL(GTK_MESSAGE_DIALOG(dialog)->label);
        shown = gtk_label_get_text(label);
        wraps = gtk_label_get_line_wrap(label);
    };
    for (const auto& c : cases) {
        EXPECT_EQ(RunModal("GtkMessageDialog", {look, Key("answer", c.click, c.response)},
                           [&] { return GtkShowMessage(kMessageQuestion, c.buttons, text); }),
                  c.response);
        EXPECT_EQ(shown, text);
        EXPECT_TRUE(wraps);
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
    // Painting a window never runs the main loop (a window opened mid-paint
    // would stay blank).
    bool ranInPaint = false;
    const guint idle = g_idle_add(
        +[](gpointer ran) -> gboolean { return *static_cast<bool*>(ran) = true, FALSE; },
        &ranInPaint);
    CursorExpose(interface->window, nullptr, nullptr);
    EXPECT_FALSE(ranInPaint);
    g_source_remove(idle);
    DropMainWindow();
}

// The pattern list: folder rows open and close, only a good pattern file
// enables Select, which starts the quilt-area setup first or places the
// pattern.
TEST(Screens, PatternSelectOpensFoldersAndPlacesOnlyGoodPatterns) {
    ASSERT_TRUE(EnsureGtk());
    TestFolder here;
    for (const char* folder : {"patterns/Flowers", "thumbnails"})
        ASSERT_EQ(mkdir(folder, 0777), 0);
    WriteFileText("patterns/Flowers/rose.qcc", "n rose\np X0.000 Y0.000\np X2.000 Y1.000\n");
    WriteFileText("patterns/broken.qcc", "this is no pattern\n");
    WriteFileText("patterns/Wave.qcc", "p X0.000 Y0.000\np X1.000 Y1.000\np X2.000 Y0.000\n");
    MakeMainWindow(true);
    GtkTreeView* list = nullptr;
    auto ShowPatternSelect = [&] {
        ShowScreen(createPatternSelectScreen, kScreenMaskWithBox, "pattern select");
        Drain();
        list = GTK_TREE_VIEW(WidgetsOfType(interface->currentScreen, GTK_TYPE_TREE_VIEW).at(0));
    };
    // Moves the list's cursor to the row at the path ("0", "0:1", ...).
    auto SelectRow = [&](const char* path) {
        GtkTreePath* treePath = gtk_tree_path_new_from_string(path);
        gtk_tree_view_set_cursor(list, treePath, nullptr, FALSE);
        gtk_tree_path_free(treePath);
        Drain();
    };
    auto SelectSensitive = [] { return gtk_widget_get_sensitive(interface->btnSelectPattern); };

    ScriptedResponder responder;
    ShowPatternSelect();
    EXPECT_FALSE(SelectSensitive());
    EXPECT_FALSE(gtk_widget_get_sensitive(FindButton(interface->currentScreen, "Repeat")));
    SelectRow("0");  // "Flowers", the only folder, comes first
    GtkTreePath* folder = gtk_tree_path_new_from_string("0");
    EXPECT_TRUE(gtk_tree_view_row_expanded(list, folder));
    EXPECT_FALSE(SelectSensitive());
    SelectRow("0:0");  // Flowers/rose.qcc
    EXPECT_NE(interface->previewPixbuf, nullptr);
    EXPECT_TRUE(SelectSensitive());
    EXPECT_EQ(access("thumbnails/rose.png", F_OK), 0);
    SelectRow("1");  // broken.qcc
    EXPECT_EQ(interface->previewPixbuf, nullptr);
    EXPECT_FALSE(SelectSensitive());
    ASSERT_FALSE(responder.shown.empty());
    gtk_tree_path_free(folder);

    SelectRow("2");
    SetBoxMode(1);
    gtk_button_clicked(GTK_BUTTON(interface->btnSelectPattern));
    EXPECT_STREQ(CurrentScreenName(), "quilt-area setup");
    EXPECT_EQ(MenuStateMask(), kQuiltAreaSetupMask);
    EXPECT_EQ(BoxMode(), 0);
    EXPECT_EQ(CountLayoutNodes(), 0);

    BogusExtents();  // the default quilt area with its one box, the current one
    SetCurrentPatternBox(0);
    ShowPatternSelect();
    SelectRow("0");
    SelectRow("0:0");
    gtk_button_clicked(GTK_BUTTON(interface->btnSelectPattern));
    ASSERT_EQ(CountLayoutNodes(0), 1);
    ASSERT_NE(GetPattern(patternLayout->patternIndex), nullptr);
    EXPECT_STREQ(interface->selectedPatternFile, "./patterns/Flowers/rose.qcc");
    EXPECT_EQ(selectedFile, "./patterns/Flowers/rose.qcc");
    EXPECT_EQ(interface->previewPixbuf, nullptr);
    EXPECT_STREQ(CurrentScreenName(), "layout view");
    EXPECT_EQ(MenuStateMask(), kLayoutViewMask);
    DropMainWindow();
    FreeLayout();
}

namespace {

const char kLine[] =
    "0\nSECTION\n2\nENTITIES\n0\nLINE\n8\n0\n10\n0.0\n20\n0.0\n30\n0.0\n11\n2.0\n21\n1.0\n31\n0.0\n"
    "0\nENDSEC\n0\nEOF\n";
const char kPattern[] = "p X0.000 Y0.000\np X1.000 Y1.000\n";

// What the waiting window showed while the work ran inside a handler.
struct Waiting {
    std::vector<std::string> titles;
    int drainsWhileOpen = 0;  // the screen was kept alive this often
    bool visibleWhileWorking = false;
} waiting;

std::string chooserFolder;

struct FileManagerScreenTest : ::testing::Test, TestFolder {
    void SetUp() override {
        ASSERT_TRUE(EnsureGtk());
        mkdir("thumbnails", 0777);
        ASSERT_EQ(mkdir(root.File("media").c_str(), 0777), 0);
        ASSERT_EQ(mkdir(Stick("").c_str(), 0777), 0);  // empty: no stick in
        responder = std::make_unique<ScriptedResponder>();
        UserInterfaceHooks hooks = GetUserInterfaceHooks();
        hooks.openWaitingWindow = [](const char* title, int cancellable) {
            waiting.titles.push_back(title);
            CreateWaitingWindow(title, cancellable);
        };
        hooks.closeWaitingWindow = [] { CloseWaitingWindow(waitWindow); };
        hooks.drainEvents = [] {
            if (waitWindow) {
                waiting.drainsWhileOpen++;
                waiting.visibleWhileWorking =
                    isWidget(waitWindow->window) && gtk_widget_get_visible(waitWindow->window);
            }
            Drain();
        };
        SetUserInterfaceHooks(hooks);
        waiting = Waiting{};
        MakeMainWindow(true);
    }
    void TearDown() override {
        DropMainWindow();
        responder.reset();
    }
    std::string Stick(const std::string& name) const { return root.File("media/usb/" + name); }
    GtkWidget* Named(const char* name) { return FindNamed(interface->currentScreen, name); }
    std::string Entry(const char* name) { return gtk_entry_get_text(GTK_ENTRY(Named(name))); }
    bool Active(const char* name) {
        return gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(Named(name)));
    }
    // Taps the folder button; once the chooser is up, runs steps in it.
    void Choose(const char* button, std::function<void()> steps) {
        chooserFolder.clear();
        InsideNextChooser([steps] {
            chooserFolder = FileChooserFolder();
            steps();
        });
        Click(Named(button));
        ASSERT_FALSE(FileChooserOpen());
    }
    // Taps a button and returns the messages shown meanwhile.
    std::vector<std::string> Tap(const char* button) {
        responder->shown.clear();
        Click(Named(button));
        return responder->Texts();
    }

    std::unique_ptr<ScriptedResponder> responder;
};

// The copy and delete rules and their messages are the core's; here the
// screen's places, entries, chooser folders, waiting window and cursor.
TEST_F(FileManagerScreenTest, BringsDrawingsInFromTheStickAndDeletesAPattern) {
    gtk_menu_item_activate(GTK_MENU_ITEM(MenuRecord()->items[kItemFileManager]));
    Drain();
    ASSERT_STREQ(CurrentScreenName(), "file manager");
    EXPECT_EQ(MenuStateMask(), 0x34000BFu);
    EXPECT_EQ(Entry("txtFilename"), "No File Selected");
    EXPECT_EQ(Entry("txtDirName"), "No Directory Selected");
    // Without a stick "USB" falls back to "Internal".
    EXPECT_EQ(Tap("radioSrc_1").size(), 1u);
    EXPECT_TRUE(Active("radioSrc_0"));
    EXPECT_EQ(Tap("btnCopy"), std::vector<std::string>{"NO FILE SELECTED"});
    // The stick goes in: one drawing from it, then a whole folder under the
    // waiting window that keeps the screen alive.
    ASSERT_EQ(mkdir(Stick("Drawings").c_str(), 0777), 0);
    for (const char* name : {"star.dxf", "Drawings/feather.DXF"})
        ASSERT_TRUE(WriteFileText(Stick(name), kLine)) << name;
    ASSERT_TRUE(WriteFileText(Stick("Drawings/ready.qcc"), kPattern));
    EXPECT_TRUE(Tap("radioSrc_1").empty());
    Choose("btnFileSelect", [] {
        EXPECT_EQ(FileChooserSelect("star.dxf"), 1);
        FileChooserRespond(1);
    });
    EXPECT_EQ(chooserFolder, Stick(""));
    EXPECT_EQ(Entry("txtFilename"), Stick("star.dxf"));
    Choose("btnDirSelect", [] {
        EXPECT_EQ(FileChooserRows().size(), 0u) << "only folders are offered";
        FileChooserRespond(1);
    });
    EXPECT_EQ(chooserFolder, "./patterns/");
    EXPECT_EQ(Entry("txtDirName"), "./patterns");
    EXPECT_EQ(Tap("btnCopy"), std::vector<std::string>{"FILE COPIED"});
    EXPECT_NE(ReadFileText("patterns/star.qcc").find("p X2.000 Y0.000"), std::string::npos);
    Choose("btnFileSelect", [] {
        EXPECT_EQ(FileChooserSelect("Drawings"), 1);
        FileChooserRespond(1);  // OK inside the folder chooses the folder
    });
    EXPECT_EQ(Tap("btnCopy").back(), "DIRECTORY COPIED");
    EXPECT_EQ(waiting.titles, std::vector<std::string>{"\n\nCOPYING DIRECTORY"});
    EXPECT_EQ(waitWindow, nullptr);
    EXPECT_GE(waiting.drainsWhileOpen, 2) << "once per file at least";
    EXPECT_TRUE(waiting.visibleWhileWorking);
    EXPECT_EQ(ReadFileText("patterns/Drawings/ready.qcc"), kPattern);
    // Another place forgets the chosen path; a pattern is deleted.
    Click(Named("radioSrc_0"));
    EXPECT_EQ(Entry("txtFilename"), "No File Selected");
    EXPECT_EQ(Entry("txtDirName"), "./patterns") << "the destination stays";
    Choose("btnFileSelect", [] {
        EXPECT_EQ(FileChooserSelect("star.qcc"), 1);
        FileChooserRespond(1);
    });
    EXPECT_EQ(chooserFolder, "./patterns/");
    EXPECT_EQ(Tap("btnDelete"),
              (std::vector<std::string>{"DELETE FILE:\nstar.qcc", "FILE DELETED"}));
    EXPECT_NE(access("patterns/star.qcc", F_OK), 0);
    EXPECT_EQ(Entry("txtFilename"), "No File Selected");
    clearScreen();
    EXPECT_EQ(FindNamed(interface->window, "txtFilename"), nullptr);
}

}  // namespace
