#include "ui/drawing_area.h"

#include <algorithm>

#include "base/application_state.h"
#include "base/screen_config.h"
#include "ui/extents_setup.h"
#include "ui/interface.h"
#include "ui/layout_view.h"
#include "ui/run_view.h"
#include "ui/trace_view.h"
#include "ui/widget_helpers.h"

int zoomed = 0;
gulong da_signal = 0;

namespace {

// Paints the exposed part of a view in the background colour.
gboolean PaintBackground(GtkWidget* widget, GdkEventExpose* event, gpointer) {
    if (!widget->window) return TRUE;
    gdk_draw_rectangle(widget->window, widget->style->white_gc, TRUE, event->area.x, event->area.y,
                       event->area.width, event->area.height);
    return TRUE;
}

typedef gboolean (*ExposeHandler)(GtkWidget* widget, GdkEventExpose* event, gpointer data);

// The view that draws a drawing area of the kind.
ExposeHandler ExposeHandlerOf(int kind) {
    switch (kind) {
        case kAreaRunView:
            return da_MotorMove;
        case kAreaTrace:
            return da_Capture;
        case kAreaLayoutView:
            return da_PatternView;
        case kAreaPatternPreview:
            return da_SmallPatternView;
        case kAreaExtentsSetup:
            return da_ExtentsView;
        default:
            return PaintBackground;
    }
}

void SetStatusLayoutText(GtkWidget* area, const char* text) {
    if (!interface) return;
    if (interface->statusLayout) {
        pango_layout_set_text(interface->statusLayout, text, -1);
    } else {
        interface->statusLayout = gtk_widget_create_pango_layout(area, text);
    }
}

}  // namespace

void SetZoomAll() {
    zoomAll = 1;
}

GtkWidget* SetDrawingArea(int kind) {
    if (!interface || kind < 0 || kind >= kAreaKindCount) return nullptr;
    if (isWidget(interface->drawingArea)) gtk_widget_destroy(interface->drawingArea);
    KeepWidget(&interface->drawingArea, nullptr);

    GtkWidget* area = gtk_drawing_area_new();
    // Motion is reported while a button (a finger) is down: drags, not hovering.
    gtk_widget_set_events(area, GDK_EXPOSURE_MASK | GDK_BUTTON_PRESS_MASK |
                                    GDK_BUTTON_RELEASE_MASK | GDK_BUTTON_MOTION_MASK);
    int width = view_area_width;
    int height = view_area_height;
    switch (kind) {
        case kAreaRunView:
            height = view_area_height - 60;
            SetStatusLayoutText(area, " ");
            break;
        case kAreaTrace:
            width = view_area_width - trace_button_width - 10;
            SetStatusLayoutText(area, "X: 0.00 Y: 0.00");
            break;
        case kAreaLayoutView:
            if (interface->statusLayout) g_object_unref(interface->statusLayout);
            interface->statusLayout = nullptr;
            break;
        case kAreaPatternPreview:
            width = pattern_preview_width;
            height = pattern_preview_height;
            break;
        default:
            break;
    }
    gtk_widget_set_size_request(area, width > 1 ? width : 1, height > 1 ? height : 1);
    da_signal = g_signal_connect(area, "expose-event", G_CALLBACK(ExposeHandlerOf(kind)), nullptr);
    KeepWidget(&interface->drawingArea, area);
    return area;
}

gboolean da_SmallPatternView(GtkWidget* widget, GdkEventExpose* event, gpointer data) {
    PaintBackground(widget, event, data);
    if (!widget->window || !interface || !interface->previewPixbuf) return TRUE;
    const int areaWidth = widget->allocation.width;
    const int areaHeight = widget->allocation.height;
    const int imageWidth = gdk_pixbuf_get_width(interface->previewPixbuf);
    const int imageHeight = gdk_pixbuf_get_height(interface->previewPixbuf);
    if (areaWidth < 1 || areaHeight < 1 || imageWidth < 1 || imageHeight < 1) return TRUE;

    // Fit the image into the area, keeping its proportions, centred.
    double scale = std::min(static_cast<double>(areaWidth) / imageWidth,
                            static_cast<double>(areaHeight) / imageHeight);
    int width = std::max(1, static_cast<int>(imageWidth * scale));
    int height = std::max(1, static_cast<int>(imageHeight * scale));
    GdkPixbuf* scaled =
        gdk_pixbuf_scale_simple(interface->previewPixbuf, width, height, GDK_INTERP_BILINEAR);
    if (!scaled) return TRUE;
    gdk_draw_pixbuf(widget->window, nullptr, scaled, 0, 0, (areaWidth - width) / 2,
                    (areaHeight - height) / 2, width, height, GDK_RGB_DITHER_NONE, 0, 0);
    g_object_unref(scaled);
    return TRUE;
}
