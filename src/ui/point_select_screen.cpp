#include "ui/point_select_screen.h"

#include <gtk/gtk.h>

#include <algorithm>
#include <cmath>
#include <string>

#include "base/application_state.h"
#include "base/log.h"
#include "base/screen_config.h"
#include "base/ui_hooks.h"
#include "layout/pattern_box.h"
#include "layout/view_transform.h"
#include "machine/machine_parameters.h"
#include "machine/mc1_motion.h"
#include "machine/stitching/pattern_run.h"
#include "machine/stitching/point_select.h"
#include "machine/stitching/run_state.h"
#include "machine/stitching/stitch_path.h"
#include "machine/stitching/stitch_preview.h"
#include "ui/head_follow_view.h"
#include "ui/interface.h"
#include "ui/widget_helpers.h"

namespace {

constexpr int kFollowIntervalMs = 250;
constexpr const char* kPrompt = "Move the machine to the start point";

// The head position of the last follow reading (thousandths of an inch).
MachinePosition headPosition;

// The working record of one showing of the screen.
struct PointScreen {
    GtkWidget* dialog = nullptr;
    GtkWidget* area = nullptr;
    GdkPixbuf* okImage = nullptr;
    GdkPixbuf* cancelImage = nullptr;
    guint timer = 0;  // follow timer; 0 once it has ended
    ~PointScreen() {
        if (okImage) g_object_unref(okImage);
        if (cancelImage) g_object_unref(cancelImage);
    }
};

// Scale that shows the table from its origin (the machine's home) to the far
// corner of the path and of the quilting area, with an inch to spare.
float TableScale(int width, int height) {
    float right = 0, bottom = 0;
    if (extents) {
        right = extents->x + extents->width;
        bottom = extents->y + extents->height;
    }
    for (const FullPattern_t* p = CurrentRun().fullPattern; p != nullptr; p = p->next()) {
        right = std::max(right, p->x / kPathUnitsPerInch);
        bottom = std::max(bottom, p->y / kPathUnitsPerInch);
    }
    float scale =
        std::max((right + 1.0f) / std::max(width, 1), (bottom + 1.0f) / std::max(height, 1));
    return std::max(scale, 0.001f);
}

// Draws the table with the path, the head cross, the point the run would start
// from, the prompt and the two confirm buttons.
gboolean OnPointScreenExpose(GtkWidget* widget, GdkEventExpose*, gpointer data) {
    auto* screen = static_cast<PointScreen*>(data);
    if (!widget->window || interface == nullptr) return TRUE;
    const int w = widget->allocation.width;
    const int h = widget->allocation.height;
    const float scale = ViewScale();
    cairo_t* cr = gdk_cairo_create(widget->window);
    // The path as the preview draws it, on the table from the machine's home.
    PreviewFrame frame;
    frame.margin = 0;
    frame.pixelsPerInch = scale > 0 ? 1.0 / scale : 1.0;
    if (extents) {
        frame.areaX = extents->x;
        frame.areaY = extents->y;
        frame.areaWidth = extents->width;
        frame.areaHeight = extents->height;
    }
    DrawStitchPreview(cr, frame, w, h, CurrentRun().fullPattern, extents.get(),
                      Machine().jumpStitch, true, true);

    if (interface->measureLine)
        DrawHeadCross(cr, interface->measureLine[0], interface->measureLine[1], w, h);
    if (const FullPattern_t* start =
            NearestPathPoint(CurrentRun().fullPattern, headPosition.x, headPosition.y)) {
        SetCairoColour(cr, "#0080FF");  // the path's own start is the preview's green ring
        cairo_set_line_width(cr, 2);
        cairo_new_sub_path(cr);
        cairo_arc(cr, start->x / kPathUnitsPerInch / scale, start->y / kPathUnitsPerInch / scale, 8,
                  0, 2 * M_PI);
        cairo_stroke(cr);
    }

    DrawPrompt(cr, widget, kPrompt, w);
    const int b = confirm_button_size;
    DrawConfirmButton(cr, widget, screen->okImage, "OK", w - 2 * b - 24, h - b, b);
    DrawConfirmButton(cr, widget, screen->cancelImage, "Cancel", w - b - 8, h - b, b);
    cairo_destroy(cr);
    return TRUE;
}

gboolean OnPointScreenRelease(GtkWidget* widget, GdkEventButton* event, gpointer data) {
    auto* screen = static_cast<PointScreen*>(data);
    int button = PointScreenTap(static_cast<int>(event->x), static_cast<int>(event->y),
                                widget->allocation.width, widget->allocation.height);
    if (button == 1 || button == 2) {
        runTimer = 0;
        gtk_dialog_response(GTK_DIALOG(screen->dialog),
                            button == 1 ? kResponseOk : kResponseCancel);
    }
    return TRUE;
}

gboolean OnCrossTimer(gpointer data) {
    auto* screen = static_cast<PointScreen*>(data);
    if (CrossTimer(screen->area)) return TRUE;
    screen->timer = 0;
    return FALSE;
}

}  // namespace

int PointScreenTap(int x, int y, int w, int h) {
    Log("Tap (%d, %d )\n", x, y);
    const int b = confirm_button_size;
    if (y <= h - b) return 0;
    const int offset = x - (w - 3 * b - 48);
    if (offset < 0) return 0;  // left of the first button's column
    const int button = offset / (b + 16);
    return button == 1 || button == 2 ? button : 0;
}

int CrossTimer(GtkWidget* area) {
    if (runTimer != 1 || interface == nullptr) return 0;
    if (interface->measureLine == nullptr) interface->measureLine = new int[4]{0, 0, 0, 0};
    int32_t x = 0, y = 0;
    int px = 0, py = 0;
    if (GetXY(&x, &y) != 0) x = y = 0;
    headPosition = {x, y};
    if (ViewScale() > 0) {
        px = static_cast<int>(x / kPathUnitsPerInch / ViewScale());
        py = static_cast<int>(y / kPathUnitsPerInch / ViewScale());
    }
    interface->measureLine[0] = px;
    interface->measureLine[1] = py;
    if (isWidget(area) && area->window) gdk_window_invalidate_rect(area->window, nullptr, FALSE);
    return runTimer;
}

FullPattern_t* SelectPoint() {
    if (interface == nullptr) return nullptr;
    PointScreen screen;
    const float savedScale = ViewScale();
    const bool hadMeasureLine = interface->measureLine != nullptr;
    const int b = confirm_button_size;
    screen.okImage = LoadButtonImage("OK_64x64.png", "OK.png", b);
    screen.cancelImage = LoadButtonImage("Cancel_64x64.png", "Cancel.png", b);

    screen.dialog = NewHeadFollowDialog("SELECT POINT", kPointSelectScreenName,
                                        kPointSelectViewName, &screen.area);
    g_signal_connect(screen.area, "expose-event", G_CALLBACK(OnPointScreenExpose), &screen);
    g_signal_connect(screen.area, "button-release-event", G_CALLBACK(OnPointScreenRelease),
                     &screen);
    SetViewScale(TableScale(view_area_width, view_area_height));
    gtk_widget_show(screen.area);

    runTimer = 1;
    CrossTimer(screen.area);
    screen.timer = g_timeout_add(kFollowIntervalMs, OnCrossTimer, &screen);
    int response = gtk_dialog_run(GTK_DIALOG(screen.dialog));
    runTimer = 0;
    if (screen.timer) g_source_remove(screen.timer);
    if (isWidget(screen.dialog)) gtk_widget_destroy(screen.dialog);

    SetViewScale(savedScale);
    if (!hadMeasureLine) {
        delete[] interface->measureLine;
        interface->measureLine = nullptr;
    }
    ProcessPendingEvents();
    return response == kResponseOk ? PathPointAtHead() : nullptr;
}
