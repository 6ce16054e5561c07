#include "ui/widget_helpers.h"

#include <algorithm>

#include "base/application_state.h"
#include "base/log.h"
#include "base/screen_config.h"
#include "ui/interface.h"

int isWidget(const void* pointer) {
    if (!pointer) return 0;
    return GTK_IS_WIDGET(pointer) ? 1 : 0;
}

void KeepWidget(GtkWidget** slot, GtkWidget* widget) {
    if (!slot) return;
    if (*slot) g_object_remove_weak_pointer(G_OBJECT(*slot), reinterpret_cast<gpointer*>(slot));
    *slot = widget;
    if (widget) g_object_add_weak_pointer(G_OBJECT(widget), reinterpret_cast<gpointer*>(slot));
}

void SetButtonFont(GtkWidget* button, const char* text, const char* font) {
    if (!isWidget(button)) return;
    GtkWidget* label = gtk_bin_get_child(GTK_BIN(button));
    if (!label || !GTK_IS_LABEL(label)) {
        if (label) gtk_container_remove(GTK_CONTAINER(button), label);
        label = gtk_label_new(nullptr);
        gtk_container_add(GTK_CONTAINER(button), label);
        gtk_widget_show(label);
    }
    gchar* markup = g_markup_printf_escaped("<span font_desc=\"%s\">%s</span>", font ? font : "",
                                            text ? text : "");
    gtk_label_set_markup(GTK_LABEL(label), markup);
    g_free(markup);
}

void DrainEvents() {
    while (gtk_events_pending())
        gtk_main_iteration();
}

void SetCursor(GdkWindow* window, int type, int drain) {
    if (!window) {
        LogLine("The window is not realized!");
        return;
    }
    GdkCursor* cursor = gdk_cursor_new(static_cast<GdkCursorType>(type));
    gdk_window_set_cursor(window, cursor);
    gdk_cursor_unref(cursor);
    if (drain) DrainEvents();
}

void SetCursorFromFile(GdkWindow* window, const char* imagePath, int drain) {
    if (!window) {
        LogLine("The window is not realized!");
        return;
    }
    GdkPixbuf* image = imagePath ? gdk_pixbuf_new_from_file(imagePath, nullptr) : nullptr;
    if (image) {
        GdkCursor* cursor =
            gdk_cursor_new_from_pixbuf(gdk_drawable_get_display(window), image, 7, 7);
        gdk_window_set_cursor(window, cursor);
        gdk_cursor_unref(cursor);
        g_object_unref(image);
    }
    if (drain) DrainEvents();
}

gboolean CursorExpose(GtkWidget* widget, GdkEventExpose*, gpointer) {
    // No draining here: a touch or timer handled in the middle of a paint
    // could open a modal window, and the toolkit paints nothing new until the
    // paint under way has returned, so that window would stay blank.
    if (widget->window) SetCursor(widget->window, kArrowCursor, 0);
    return FALSE;
}

gboolean DrawFrame(GtkWidget* widget, GdkEventExpose*, gpointer) {
    if (!widget->window) return FALSE;
    constexpr int kFrame = 5;
    GtkAllocation area = widget->allocation;
    // A widget with its own window draws from that window's corner.
    if (gtk_widget_get_has_window(widget)) area.x = area.y = 0;
    GdkGC* gc = widget->style->black_gc;
    gdk_draw_rectangle(widget->window, gc, TRUE, area.x, area.y, area.width, kFrame);
    gdk_draw_rectangle(widget->window, gc, TRUE, area.x, area.y + area.height - kFrame, area.width,
                       kFrame);
    gdk_draw_rectangle(widget->window, gc, TRUE, area.x, area.y, kFrame, area.height);
    gdk_draw_rectangle(widget->window, gc, TRUE, area.x + area.width - kFrame, area.y, kFrame,
                       area.height);
    return FALSE;
}

GdkWindow* MainDrawable() {
    if (!interface || !isWidget(interface->window)) return nullptr;
    return interface->window->window;
}

void SetCairoColour(cairo_t* cr, const char* colourName) {
    GdkColor colour;
    if (!gdk_color_parse(colourName, &colour)) return;
    cairo_set_source_rgb(cr, colour.red / 65535.0, colour.green / 65535.0, colour.blue / 65535.0);
}

int TouchTargetPixels() {
    return icon_style == 1 ? 40 : 24;
}

namespace {

void PlaceMenuWindow(GtkWidget* window, gpointer menu) {
    int x = 0, y = 0;
    gtk_window_get_position(GTK_WINDOW(window), &x, &y);
    GtkRequisition size;
    gtk_widget_size_request(window, &size);
    if (x + size.width > screen_width) {
        int left = -1;
        GtkWidget* entry = gtk_menu_get_attach_widget(GTK_MENU(menu));
        GtkWidget* holder = entry ? gtk_widget_get_parent(entry) : nullptr;
        if (holder && GTK_IS_MENU(holder) && gtk_widget_get_window(holder)) {
            int hy = 0;
            gdk_window_get_origin(gtk_widget_get_window(gtk_widget_get_toplevel(holder)), &left,
                                  &hy);
            left -= size.width;
        }
        x = left >= 0 ? left : std::max(0, screen_width - size.width);
    }
    if (y + size.height > screen_height) y = std::max(0, screen_height - size.height);
    gtk_window_move(GTK_WINDOW(window), x, y);
    // The toolkit showed it at its first place for a moment: what it covered
    // of the holding menu is drawn again.
    GtkWidget* entry = gtk_menu_get_attach_widget(GTK_MENU(menu));
    if (entry) gtk_widget_queue_draw(gtk_widget_get_toplevel(entry));
}

}  // namespace

void KeepMenuOnScreen(GtkWidget* menu) {
    g_signal_connect(gtk_widget_get_toplevel(menu), "show", G_CALLBACK(PlaceMenuWindow), menu);
}

void AtLeastTouchHigh(GtkWidget* widget) {
    gtk_widget_set_size_request(widget, -1, -1);
    GtkRequisition natural;
    gtk_widget_size_request(widget, &natural);
    gtk_widget_set_size_request(widget, -1, std::max(natural.height, TouchTargetPixels()));
}
