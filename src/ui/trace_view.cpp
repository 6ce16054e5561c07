#include "ui/trace_view.h"

#include <cstdint>
#include <memory>

#include "base/application_state.h"
#include "base/log.h"
#include "base/ui_hooks.h"
#include "layout/layout_selection.h"
#include "layout/pattern_box.h"
#include "layout/view_transform.h"
#include "machine/mc1_commands.h"
#include "machine/stitching/trace_recording.h"
#include "pattern/pattern.h"
#include "ui/drawing_area.h"
#include "ui/interface.h"
#include "ui/menu.h"
#include "ui/message_windows.h"
#include "ui/point_select_screen.h"
#include "ui/run_toggles.h"
#include "ui/screens.h"
#include "ui/startup.h"
#include "ui/widget_helpers.h"

namespace {

// Menu masks: while recording nothing is usable; after it, what the trace
// screen offers.
constexpr uint32_t kRecordingMask = 0;
constexpr uint32_t kAfterRecordingMask = kScreenMaskNoBox;
// Masks of the trace screen, without and with pattern boxes.
constexpr uint32_t kTraceMaskNoBox = kScreenMaskNoBox;
constexpr uint32_t kTraceMaskWithBox = kScreenMaskWithBox;

GtkWidget* startToggle = nullptr;  // the Start toggle of the running recording
int recordingNow = 0;              // 1 while the recording loop runs

int ToggleDown() {
    return isWidget(startToggle) && gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(startToggle));
}

void ReleaseToggle() {
    if (isWidget(startToggle)) gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(startToggle), FALSE);
}

void ShowPosition(const char* text) {
    if (interface && interface->statusLayout)
        pango_layout_set_text(interface->statusLayout, text, -1);
}

void RedrawView() {
    if (interface && isWidget(interface->drawingArea) && interface->drawingArea->window)
        gdk_window_invalidate_rect(interface->drawingArea->window, nullptr, FALSE);
}

// The Save button beside the toggle: the other button of the toggle's column.
GtkWidget* SaveButtonBeside(GtkWidget* toggle) {
    GtkWidget* column = gtk_widget_get_parent(toggle);
    if (!GTK_IS_CONTAINER(column)) return nullptr;
    GtkWidget* save = nullptr;
    GList* children = gtk_container_get_children(GTK_CONTAINER(column));
    for (GList* child = children; child; child = child->next) {
        GtkWidget* widget = GTK_WIDGET(child->data);
        if (widget != toggle && GTK_IS_BUTTON(widget)) save = widget;
    }
    g_list_free(children);
    return save;
}

void SetCrossDash(cairo_t* cr) {
    const double dash[] = {4.0, 3.0};
    cairo_set_dash(cr, dash, 2, 0);
}

}  // namespace

void OnBtnStartTraceToggled(GtkWidget* button, gpointer data) {
    // Released: the recording loop sees it on its next pass. Pressed again
    // while a recording runs (inside its event drain): the loop goes on.
    if (!gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(button)) || recordingNow) return;
    recordingNow = 1;
    GtkWidget* save = data ? GTK_WIDGET(data) : SaveButtonBeside(button);
    GtkWidget* keptSave = nullptr;
    KeepWidget(&keptSave, save);
    KeepWidget(&startToggle, button);

    SetMenuStateMask(kRecordingMask);
    if (keptSave) gtk_widget_set_sensitive(keptSave, FALSE);
    SetButtonFont(button, "Stop", "Sans 10");
    LogLine("Trace recording started");

    TraceHooks hooks;
    hooks.recording = ToggleDown;
    hooks.stopRecording = ReleaseToggle;
    hooks.showPosition = ShowPosition;
    hooks.redraw = RedrawView;
    RecordTrace(hooks);
    Log("Trace recording ended with %d points\n", tmpPattern ? tmpPattern->pointCount : 0);

    if (isWidget(keptSave)) gtk_widget_set_sensitive(keptSave, TRUE);
    SetMenuStateMask(kAfterRecordingMask);
    if (isWidget(startToggle)) SetButtonFont(startToggle, "Start", "Sans 10");
    KeepWidget(&keptSave, nullptr);
    KeepWidget(&startToggle, nullptr);
    recordingNow = 0;
}

void OnBtnSaveClicked(GtkWidget*, gpointer) {
    std::string path;
    if (SaveTracedPattern(&path) == kTraceSaved) ShowSavedMessage(path);
}

gboolean da_Capture(GtkWidget* widget, GdkEventExpose*, gpointer) {
    if (!widget->window || !interface) return TRUE;
    const int w = widget->allocation.width;
    const int h = widget->allocation.height;
    cairo_t* cr = gdk_cairo_create(widget->window);
    if (interface->captureImage) {
        GdkPixbuf* scaled =
            gdk_pixbuf_scale_simple(interface->captureImage, w, h, GDK_INTERP_BILINEAR);
        if (scaled) {
            gdk_cairo_set_source_pixbuf(cr, scaled, 0, 0);
            cairo_paint(cr);
            g_object_unref(scaled);
        }
    } else {
        cairo_set_source_rgb(cr, 0xCC / 255.0, 1.0, 1.0);  // the views' background
        cairo_paint(cr);
    }

    const float scale = ViewScale() > 0 ? ViewScale() : 0.001f;
    const Pattern* pattern = tmpPattern.get();
    if (pattern && pattern->pointCount > 0) {
        // The points, joined in the order the head passed them so the
        // recorded path reads as the pattern it becomes.
        cairo_set_source_rgb(cr, 0, 0, 0);
        cairo_set_line_width(cr, 1);
        for (int i = 0; i < pattern->pointCount; i++) {
            const double px = static_cast<int>(pattern->x[i] / scale) + 0.5;
            const double py = static_cast<int>(pattern->y[i] / scale) + 0.5;
            if (i == 0)
                cairo_move_to(cr, px, py);
            else
                cairo_line_to(cr, px, py);
        }
        cairo_stroke(cr);
        for (int i = 0; i < pattern->pointCount; i++)
            cairo_rectangle(cr, static_cast<int>(pattern->x[i] / scale) - 1,
                            static_cast<int>(pattern->y[i] / scale) - 1, 3, 3);
        cairo_fill(cr);
        const int last = pattern->pointCount - 1;
        const double cx = static_cast<int>(pattern->x[last] / scale) + 0.5;
        const double cy = static_cast<int>(pattern->y[last] / scale) + 0.5;
        cairo_set_source_rgb(cr, 0, 0x88 / 255.0, 0x99 / 255.0);
        cairo_set_line_width(cr, 1);
        SetCrossDash(cr);
        cairo_move_to(cr, cx, 0);
        cairo_line_to(cr, cx, h);
        cairo_move_to(cr, 0, cy);
        cairo_line_to(cr, w, cy);
        cairo_stroke(cr);
    }
    if (interface->statusLayout) {
        cairo_set_source_rgb(cr, 0, 0, 0);
        cairo_move_to(cr, 5, h - 30);
        pango_cairo_show_layout(cr, interface->statusLayout);
    }
    cairo_destroy(cr);
    return TRUE;
}

void menuMainTraceMode(GtkWidget*, void*) {
    DisableX();
    DisableY();
    if (!interface) return;
    if (isWidget(interface->btnPause)) gtk_widget_destroy(interface->btnPause);
    if (!extents) {
        LogLine("Extents == NULL");
        SetBoxMode(0);
        pbTemp = std::make_unique<PatternBox>();
        ShowScreen([] { return createExtentsSetup(0); }, MenuStateMask(), "quilt-area setup");
    } else {
        ShowScreen(createTraceScreen,
                   patternBoxList.count > 0 ? kTraceMaskWithBox : kTraceMaskNoBox, "trace");
    }
    ReleaseAllUI();
}
