// The pattern dialogs' frame. See edit_dialog.h.
#include "ui/edit_dialog.h"

#include "ui/message_windows.h"

#include <gtk/gtk.h>

#include "base/application_state.h"
#include "base/screen_config.h"
#include "ui/interface.h"
#include "ui/widget_helpers.h"

GtkWidget* NewEditDialog(const char* title, int width, int height) {
    GtkWindow* parent =
        interface && isWidget(interface->window) ? GTK_WINDOW(interface->window) : nullptr;
    GtkWidget* dialog = gtk_dialog_new_with_buttons(
        title, parent, GtkDialogFlags(GTK_DIALOG_MODAL | GTK_DIALOG_DESTROY_WITH_PARENT),
        GTK_STOCK_CANCEL, GTK_RESPONSE_CANCEL, GTK_STOCK_OK, GTK_RESPONSE_OK, nullptr);
    gtk_widget_set_name(dialog, title);  // lets tools and tests find the window
    gtk_window_set_decorated(GTK_WINDOW(dialog), FALSE);
    gtk_dialog_set_has_separator(GTK_DIALOG(dialog), FALSE);
    gtk_container_set_border_width(GTK_CONTAINER(dialog), 7);  // inside the 5-pixel frame
    // The whole window gets the size, so that with the buttons it still fits
    // a screen of that size; it is centred on the configured screen.
    gtk_widget_set_size_request(dialog, width, height);
    gtk_window_move(GTK_WINDOW(dialog), (screen_width - width) / 2, (screen_height - height) / 2);
    g_signal_connect(dialog, "expose-event", G_CALLBACK(CursorExpose), nullptr);
    g_signal_connect_after(dialog, "expose-event", G_CALLBACK(DrawFrame), nullptr);
    return dialog;
}

int RunEditDialog(GtkWidget* dialog) {
    gtk_widget_show_all(dialog);
    return RunDialog(dialog);
}

void RedrawLayoutView() {
    if (!interface || !isWidget(interface->drawingArea)) return;
    GtkWidget* area = interface->drawingArea;
    if (area->window) gdk_window_invalidate_rect(area->window, nullptr, FALSE);
}
