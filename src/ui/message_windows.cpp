#include "ui/message_windows.h"

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "base/application_state.h"
#include "base/log.h"
#include "base/screen_config.h"
#include "layout/layout_file.h"
#include "ui/interface.h"
#include "ui/widget_helpers.h"

WaitingWindow* waitWindow = nullptr;
int keepWaitingWindowOpen = 0;

namespace {

// Waiting-window records outlive their windows, so a caller may close a
// record twice; they are released when the program ends.
std::vector<std::unique_ptr<WaitingWindow>> waitingRecords;

// The widgets of one progress window.
struct StatusWidgets {
    GtkWidget* window = nullptr;
    GtkWidget* label = nullptr;
    GtkWidget* progress = nullptr;
    GtkWidget* box = nullptr;
};

GtkMessageType MessageType(int kind) {
    switch (kind) {
        case kMessageWarning:
            return GTK_MESSAGE_WARNING;
        case kMessageQuestion:
            return GTK_MESSAGE_QUESTION;
        case kMessageError:
            return GTK_MESSAGE_ERROR;
        default:
            return GTK_MESSAGE_INFO;
    }
}

GtkButtonsType ButtonsType(int buttons) {
    switch (buttons) {
        case kButtonsClose:
            return GTK_BUTTONS_CLOSE;
        case kButtonsYesNo:
            return GTK_BUTTONS_YES_NO;
        case kButtonsOkCancel:
            return GTK_BUTTONS_OK_CANCEL;
        default:
            return GTK_BUTTONS_OK;
    }
}

GtkWindow* ParentWindow() {
    if (interface && isWidget(interface->window)) return GTK_WINDOW(interface->window);
    return nullptr;
}

// Builds a message dialog with the markup text, sized and connected as every
// message window of the program is. Buttons are added by the caller when
// `buttons` is GTK_BUTTONS_NONE.
GtkWidget* NewMessageDialog(int kind, GtkButtonsType buttons, const char* text, int width,
                            int height) {
    GtkWidget* dialog = gtk_message_dialog_new(ParentWindow(), GTK_DIALOG_DESTROY_WITH_PARENT,
                                               MessageType(kind), buttons, nullptr);
    gtk_window_set_title(GTK_WINDOW(dialog), kMessageWindowTitle);
    gchar* markup =
        g_markup_printf_escaped("<span font_desc=\"%s\">%s</span>", "Sans 10", text ? text : "");
    gtk_message_dialog_set_markup(GTK_MESSAGE_DIALOG(dialog), markup);
    g_free(markup);

    // No border around the content: the content area is the whole window,
    // so a full-screen message does not reach past the screen's edges.
    gtk_container_set_border_width(GTK_CONTAINER(dialog), 0);
    gtk_widget_set_size_request(GTK_DIALOG(dialog)->vbox, width, height);
    GtkWidget* label = GTK_MESSAGE_DIALOG(dialog)->label;
    gtk_widget_set_size_request(label, width - 100 > 1 ? width - 100 : 1,
                                height - 50 > 1 ? height - 50 : 1);
    gtk_label_set_line_wrap(GTK_LABEL(label), TRUE);

    g_signal_connect(dialog, "expose-event", G_CALLBACK(CursorExpose), nullptr);
    g_signal_connect_after(dialog, "expose-event", G_CALLBACK(DrawFrame), nullptr);
    return dialog;
}

gboolean OnWaitingCancelClicked(GtkWidget*, gpointer record) {
    CancelWaitingWindow(static_cast<WaitingWindow*>(record));
    return FALSE;
}

// An undecorated window at the top left of the screen, as wide as the screen
// and `height` pixels high (the whole screen by default).
GtkWidget* NewScreenWindow(int height = screen_height) {
    GtkWidget* window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    gtk_window_set_decorated(GTK_WINDOW(window), FALSE);
    gtk_window_set_resizable(GTK_WINDOW(window), FALSE);
    gtk_widget_set_size_request(window, screen_width, height);
    gtk_window_move(GTK_WINDOW(window), 0, 0);
    if (ParentWindow()) gtk_window_set_transient_for(GTK_WINDOW(window), ParentWindow());
    return window;
}

// Width of the black frame of the waiting windows, pixels.
constexpr int kBandFrame = 5;

// A new waiting record with its window of the given height, the box inside
// its frame, the title label, the blue info label and the Cancel button; the
// caller packs them.
WaitingWindow* NewWaitingRecord(const char* title, int height) {
    waitingRecords.push_back(std::make_unique<WaitingWindow>());
    WaitingWindow* record = waitingRecords.back().get();
    record->open = 1;
    record->restoreOnCancel = 0;

    KeepWidget(&record->window, NewScreenWindow(height));
    KeepWidget(&record->box, gtk_vbox_new(FALSE, 0));
    gtk_container_set_border_width(GTK_CONTAINER(record->box), kBandFrame);  // inside the frame
    gtk_container_add(GTK_CONTAINER(record->window), record->box);
    g_signal_connect(record->window, "expose-event", G_CALLBACK(CursorExpose), nullptr);
    g_signal_connect_after(record->window, "expose-event", G_CALLBACK(DrawFrame), nullptr);

    KeepWidget(&record->title, gtk_label_new(title ? title : ""));
    gtk_label_set_justify(GTK_LABEL(record->title), GTK_JUSTIFY_CENTER);
    KeepWidget(&record->info, gtk_label_new(""));
    GdkColor blue;
    gdk_color_parse("blue", &blue);
    gtk_widget_modify_fg(record->info, GTK_STATE_NORMAL, &blue);
    KeepWidget(&record->cancelButton, gtk_button_new_with_label("Cancel"));
    g_signal_connect(record->cancelButton, "clicked", G_CALLBACK(OnWaitingCancelClicked), record);
    return record;
}

// Shows a packed waiting record (its Cancel only when cancellable), makes it
// the open one and starts its 200 ms refresh.
WaitingWindow* OpenWaitingRecord(WaitingWindow* record, int cancellable) {
    gtk_widget_show_all(record->window);
    if (!cancellable) gtk_widget_hide(record->cancelButton);
    LogLine("Creating Waiting Window");
    waitWindow = record;
    keepWaitingWindowOpen = 1;
    g_timeout_add(200, RefreshWaitingWindow, nullptr);
    DrainEvents();
    return record;
}

}  // namespace

void ShowSavedMessage(const std::string& path) {
    ShowMessage(kMessageInfo, kButtonsOk, ("FILE SAVED:\n" + path).c_str());
}

int RunDialog(GtkWidget* dialog) {
    // Kept weakly: a dialog closed from elsewhere (its parent going) is not
    // destroyed twice.
    GtkWidget* kept = nullptr;
    KeepWidget(&kept, dialog);
    int response = gtk_dialog_run(GTK_DIALOG(dialog));
    if (isWidget(kept)) {
        GtkWidget* live = kept;
        KeepWidget(&kept, nullptr);
        gtk_widget_destroy(live);
    }
    return response;
}

int GtkShowMessage(int kind, int buttons, const char* text) {
    GtkWidget* dialog =
        NewMessageDialog(kind, ButtonsType(buttons), text, message_width, message_height);
    gtk_window_move(GTK_WINDOW(dialog), screen_width / 2 - 160, screen_height / 2 - 120);
    return RunDialog(dialog);
}

int GtkShowMessageSpecial(int kind, const char* text, const char* extraLabel, int extraResponse) {
    LogLine("Show message special");
    GtkWidget* dialog = NewMessageDialog(kind, GTK_BUTTONS_NONE, text, special_message_width,
                                         special_message_height);
    gtk_dialog_add_button(GTK_DIALOG(dialog), extraLabel ? extraLabel : "", extraResponse);
    gtk_dialog_add_button(GTK_DIALOG(dialog), GTK_STOCK_CANCEL, GTK_RESPONSE_CANCEL);
    gtk_dialog_add_button(GTK_DIALOG(dialog), GTK_STOCK_OK, GTK_RESPONSE_OK);
    gtk_window_move(GTK_WINDOW(dialog), screen_width / 2 - special_message_width / 2,
                    screen_height / 2 - special_message_height / 2);
    return RunDialog(dialog);
}

WaitingWindow* CreateWaitingWindow(const char* title, int cancellable) {
    WaitingWindow* record = NewWaitingRecord(title, screen_height);
    gtk_box_pack_start(GTK_BOX(record->box), record->title, FALSE, FALSE, 5);

    const bool large = icon_style == 1;
    const int side = large ? 200 : 100;
    std::string animation =
        std::string("./images/") + (large ? "waitingIcon200.gif" : "waitingIcon100.gif");
    KeepWidget(&record->image, gtk_image_new_from_file(animation.c_str()));
    gtk_widget_set_size_request(record->image, side, side);
    gtk_box_pack_start(GTK_BOX(record->box), record->image, FALSE, FALSE, large ? 20 : 5);

    GtkWidget* row = gtk_hbox_new(FALSE, 0);
    GtkWidget* centre = gtk_alignment_new(0.5, 0.5, 0, 0);
    gtk_widget_set_size_request(record->cancelButton, side, menubar_height);
    gtk_container_add(GTK_CONTAINER(centre), record->cancelButton);
    gtk_box_pack_start(GTK_BOX(row), centre, TRUE, TRUE, 0);
    gtk_box_pack_end(GTK_BOX(record->box), row, FALSE, FALSE, menubar_height);
    gtk_box_pack_start(GTK_BOX(record->box), record->info, FALSE, FALSE, 5);
    return OpenWaitingRecord(record, cancellable);
}

WaitingWindow* CreateWaitingBand(const char* title, int cancellable) {
    const bool large = icon_style == 1;
    const int buttonHeight = std::max(menubar_height - 2 * kBandFrame, large ? 40 : 24);
    WaitingWindow* record = NewWaitingRecord(title, buttonHeight + 2 * kBandFrame);
    // The title in one line: the newlines that place it in the whole-screen
    // window would push it out of the band.
    gchar* line = g_strstrip(g_strdup(title ? title : ""));
    gtk_label_set_text(GTK_LABEL(record->title), line);
    g_free(line);

    GtkWidget* row = gtk_hbox_new(FALSE, 5);
    gtk_box_pack_start(GTK_BOX(record->box), row, TRUE, TRUE, 0);
    gtk_box_pack_start(GTK_BOX(row), record->title, TRUE, TRUE, 0);
    gtk_box_pack_start(GTK_BOX(row), record->info, FALSE, FALSE, 0);
    gtk_widget_set_size_request(record->cancelButton, large ? 200 : 100, buttonHeight);
    gtk_box_pack_end(GTK_BOX(row), record->cancelButton, FALSE, FALSE, 0);
    return OpenWaitingRecord(record, cancellable);
}

void CloseWaitingWindow(WaitingWindow* window) {
    if (window && window->open) {
        window->open = 0;
        if (isWidget(window->window)) gtk_widget_destroy(window->window);
    }
    if (window && waitWindow == window) waitWindow = nullptr;
    keepWaitingWindowOpen = 0;
    DrainEvents();
}

void CancelWaitingWindow(WaitingWindow* window) {
    if (operationRunning == 1) operationRunning = 0;
    if (mergePatternsActive == 1) mergePatternsActive = 0;
    if (window) {
        CloseWaitingWindow(window);
        if (window->restoreOnCancel) RestoreUndoFile();
    }
    if (interface && isWidget(interface->drawingArea)) {
        if (interface->drawingArea->window)
            SetCursor(interface->drawingArea->window, kArrowCursor, 1);
        gtk_widget_queue_draw(interface->drawingArea);
    }
    DrainEvents();
}

gboolean RefreshWaitingWindow(gpointer) {
    if (!keepWaitingWindowOpen) return FALSE;
    DrainEvents();
    return TRUE;
}

void OnBtnStatusAbort(GtkWidget*, gpointer record) {
    if (record) static_cast<StatusWindow*>(record)->abortRequested = 1;
}

void GtkCreateStatusWindow(StatusWindow* record) {
    if (!record) return;
    auto* widgets = new StatusWidgets;
    record->ui = widgets;
    KeepWidget(&widgets->window, NewScreenWindow());
    KeepWidget(&widgets->box, gtk_vbox_new(FALSE, 0));
    gtk_container_set_border_width(GTK_CONTAINER(widgets->box), 5);  // inside the frame
    gtk_container_add(GTK_CONTAINER(widgets->window), widgets->box);

    KeepWidget(&widgets->label, gtk_label_new(record->title.c_str()));
    gtk_label_set_justify(GTK_LABEL(widgets->label), GTK_JUSTIFY_CENTER);
    gtk_box_pack_start(GTK_BOX(widgets->box), widgets->label, FALSE, FALSE, 5);

    KeepWidget(&widgets->progress, gtk_progress_bar_new());
    gtk_progress_bar_set_pulse_step(GTK_PROGRESS_BAR(widgets->progress), 0.01);
    gtk_progress_bar_pulse(GTK_PROGRESS_BAR(widgets->progress));
    gtk_progress_bar_set_text(GTK_PROGRESS_BAR(widgets->progress), record->text.c_str());
    gtk_box_pack_start(GTK_BOX(widgets->box), widgets->progress, FALSE, FALSE, 5);

    GtkWidget* stop = gtk_button_new_with_label("STOP");
    gtk_widget_set_size_request(stop, -1, menubar_height);
    g_signal_connect(stop, "clicked", G_CALLBACK(OnBtnStatusAbort), record);
    gtk_box_pack_start(GTK_BOX(widgets->box), stop, FALSE, FALSE, 20);
    g_signal_connect(widgets->window, "expose-event", G_CALLBACK(CursorExpose), nullptr);
    g_signal_connect_after(widgets->window, "expose-event", G_CALLBACK(DrawFrame), nullptr);

    gtk_widget_show_all(widgets->window);
    DrainEvents();
}

void GtkUpdateStatusWindow(StatusWindow* record) {
    auto* widgets = record ? static_cast<StatusWidgets*>(record->ui) : nullptr;
    if (widgets && isWidget(widgets->progress))
        gtk_progress_bar_pulse(GTK_PROGRESS_BAR(widgets->progress));
    DrainEvents();
}

void GtkStatusWindowSetText(StatusWindow* record) {
    auto* widgets = record ? static_cast<StatusWidgets*>(record->ui) : nullptr;
    if (widgets && isWidget(widgets->progress))
        gtk_progress_bar_set_text(GTK_PROGRESS_BAR(widgets->progress), record->text.c_str());
    DrainEvents();
}

void GtkCloseStatusWindow(StatusWindow* record) {
    auto* widgets = record ? static_cast<StatusWidgets*>(record->ui) : nullptr;
    if (widgets) {
        GtkWidget* window = widgets->window;
        // Let go of the weak pointers before the record goes.
        KeepWidget(&widgets->window, nullptr);
        KeepWidget(&widgets->box, nullptr);
        KeepWidget(&widgets->label, nullptr);
        KeepWidget(&widgets->progress, nullptr);
        if (isWidget(window)) gtk_widget_destroy(window);
        delete widgets;
        record->ui = nullptr;
    }
    DrainEvents();
}
