// See head_follow_view.h.
#include "ui/head_follow_view.h"

#include <string>

#include "base/application_state.h"
#include "base/log.h"
#include "base/screen_config.h"
#include "ui/interface.h"
#include "ui/widget_helpers.h"

GtkWidget* NewHeadFollowDialog(const char* title, const char* name, const char* viewName,
                               GtkWidget** view) {
    GtkWidget* dialog = gtk_dialog_new();
    gtk_window_set_title(GTK_WINDOW(dialog), title);
    gtk_widget_set_name(dialog, name);
    gtk_window_set_decorated(GTK_WINDOW(dialog), FALSE);
    gtk_window_set_modal(GTK_WINDOW(dialog), TRUE);
    if (interface && isWidget(interface->window))
        gtk_window_set_transient_for(GTK_WINDOW(dialog), GTK_WINDOW(interface->window));
    gtk_widget_set_size_request(dialog, screen_width, screen_height);
    gtk_window_move(GTK_WINDOW(dialog), 0, 0);
    gtk_dialog_set_has_separator(GTK_DIALOG(dialog), FALSE);
    gtk_widget_hide(GTK_DIALOG(dialog)->action_area);
    g_signal_connect(dialog, "expose-event", G_CALLBACK(CursorExpose), nullptr);

    *view = gtk_drawing_area_new();
    gtk_widget_set_name(*view, viewName);
    gtk_widget_set_size_request(*view, view_area_width, view_area_height);
    gtk_widget_set_events(*view,
                          GDK_EXPOSURE_MASK | GDK_BUTTON_PRESS_MASK | GDK_BUTTON_RELEASE_MASK);
    gtk_box_pack_start(GTK_BOX(GTK_DIALOG(dialog)->vbox), *view, TRUE, TRUE, 0);
    return dialog;
}

GdkPixbuf* LoadButtonImage(const char* large, const char* small, int size) {
    std::string path = std::string("./images/") + (icon_style == 1 ? large : small);
    GdkPixbuf* image = gdk_pixbuf_new_from_file_at_scale(path.c_str(), size, size, TRUE, nullptr);
    if (image == nullptr) Log("Could not load image %s\n", path.c_str());
    return image;
}

void DrawPrompt(cairo_t* cr, GtkWidget* view, const char* prompt, int w) {
    PangoLayout* text = gtk_widget_create_pango_layout(view, prompt);
    int tw = 0, th = 0;
    pango_layout_get_pixel_size(text, &tw, &th);
    SetCairoColour(cr, "#FFFFFF");
    cairo_rectangle(cr, (w - tw) / 2 - 3, 2, tw + 6, th + 2);
    cairo_fill(cr);
    SetCairoColour(cr, "#000000");
    cairo_move_to(cr, (w - tw) / 2, 3);
    pango_cairo_show_layout(cr, text);
    g_object_unref(text);
}

void DrawHeadCross(cairo_t* cr, double x, double y, int w, int h) {
    SetCairoColour(cr, "#FF0000");
    cairo_set_line_width(cr, 1);
    cairo_move_to(cr, x + 0.5, 0);
    cairo_line_to(cr, x + 0.5, h);
    cairo_move_to(cr, 0, y + 0.5);
    cairo_line_to(cr, w, y + 0.5);
    cairo_stroke(cr);
}

void DrawConfirmButton(cairo_t* cr, GtkWidget* view, GdkPixbuf* image, const char* label, int x,
                       int y, int size) {
    if (image) {
        gdk_cairo_set_source_pixbuf(cr, image, x, y);
        cairo_paint(cr);
        return;
    }
    SetCairoColour(cr, "#EEEEEE");
    cairo_rectangle(cr, x + 2, y + 2, size - 4, size - 4);
    cairo_fill_preserve(cr);
    SetCairoColour(cr, "#000000");
    cairo_stroke(cr);
    PangoLayout* text = gtk_widget_create_pango_layout(view, label);
    PangoFontDescription* font = pango_font_description_from_string("Sans 8");
    pango_layout_set_font_description(text, font);
    pango_font_description_free(font);
    int tw = 0, th = 0;
    pango_layout_get_pixel_size(text, &tw, &th);
    cairo_move_to(cr, x + (size - tw) / 2, y + (size - th) / 2);
    pango_cairo_show_layout(cr, text);
    g_object_unref(text);
}
