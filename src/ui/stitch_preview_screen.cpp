// The stitch-out preview screen. See stitch_preview_screen.h.
#include "ui/stitch_preview_screen.h"

#include <gtk/gtk.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>

#include "base/application_state.h"
#include "base/log.h"
#include "base/screen_config.h"
#include "base/ui_hooks.h"
#include "layout/layout_selection.h"
#include "layout/layout_tree.h"
#include "layout/pattern_box.h"
#include "machine/machine_parameters.h"
#include "machine/stitching/pattern_run.h"
#include "machine/stitching/stitch_path.h"
#include "machine/stitching/stitch_preview.h"
#include "ui/interface.h"
#include "ui/menu.h"
#include "ui/widget_helpers.h"

namespace {

constexpr int kResponseStart = 1;

struct PathDeleter {
    void operator()(FullPattern_t* path) const { FreeFullPattern(path); }
};
using OwnedPath = std::unique_ptr<FullPattern_t, PathDeleter>;

const char* Plural(int n, const char* one, const char* many) {
    return n == 1 ? one : many;
}

const char* TextFont() {
    return icon_style == 1 ? "Sans 14" : "Sans 8";
}

gboolean OnPictureExpose(GtkWidget* widget, GdkEventExpose*, gpointer data) {
    if (!widget->window) return TRUE;
    const auto* path = static_cast<const FullPattern_t*>(data);
    const int w = widget->allocation.width, h = widget->allocation.height;
    cairo_t* cr = gdk_cairo_create(widget->window);
    // The fitted area centred in the picture.
    const PreviewFrame frame = FitPreviewFrame(w, h, extents.get(), path);
    const double usedW = frame.fitWidth * frame.pixelsPerInch + 2 * frame.margin;
    const double usedH = frame.fitHeight * frame.pixelsPerInch + 2 * frame.margin;
    cairo_translate(cr, std::floor(std::max(0.0, (w - usedW) / 2)),
                    std::floor(std::max(0.0, (h - usedH) / 2)));
    DrawStitchPreview(cr, frame, w, h, path, extents.get(), Machine().jumpStitch, true, true);
    cairo_destroy(cr);
    return TRUE;
}

void OnScreenButton(GtkWidget* button, gpointer response) {
    gtk_dialog_response(GTK_DIALOG(gtk_widget_get_toplevel(button)), GPOINTER_TO_INT(response));
}

GtkWidget* ScreenButton(GtkWidget* row, const char* label, int response) {
    GtkWidget* button = gtk_button_new_with_label(label);
    SetButtonFont(button, label, icon_style == 1 ? "Sans 16" : "Sans 10");
    const int height = icon_style == 1 ? confirm_button_size : menubar_height;
    gtk_widget_set_size_request(button, screen_width / 5, height);
    g_signal_connect(button, "clicked", G_CALLBACK(OnScreenButton), GINT_TO_POINTER(response));
    gtk_box_pack_end(GTK_BOX(row), button, FALSE, FALSE, 0);
    return button;
}

// The full-screen window: the picture above; the text, START and CLOSE below.
GtkWidget* BuildScreen(const FullPattern_t* path, const std::string& text, bool startable) {
    GtkWidget* dialog = gtk_dialog_new();
    gtk_window_set_title(GTK_WINDOW(dialog), "PREVIEW");
    gtk_widget_set_name(dialog, kPreviewScreenName);
    gtk_window_set_decorated(GTK_WINDOW(dialog), FALSE);
    gtk_window_set_modal(GTK_WINDOW(dialog), TRUE);
    if (isWidget(interface->window))
        gtk_window_set_transient_for(GTK_WINDOW(dialog), GTK_WINDOW(interface->window));
    gtk_widget_set_size_request(dialog, screen_width, screen_height);
    gtk_window_move(GTK_WINDOW(dialog), 0, 0);
    gtk_dialog_set_has_separator(GTK_DIALOG(dialog), FALSE);
    g_signal_connect(dialog, "expose-event", G_CALLBACK(CursorExpose), nullptr);
    GtkWidget* column = GTK_DIALOG(dialog)->vbox;

    GtkWidget* picture = gtk_drawing_area_new();
    gtk_widget_set_name(picture, kPreviewPictureName);
    g_signal_connect(picture, "expose-event", G_CALLBACK(OnPictureExpose),
                     const_cast<FullPattern_t*>(path));
    gtk_box_pack_start(GTK_BOX(column), picture, TRUE, TRUE, 0);

    GtkWidget* row = gtk_hbox_new(FALSE, 2);
    gtk_container_set_border_width(GTK_CONTAINER(row), 2);
    ScreenButton(row, "CLOSE", kResponseClose);  // packed from the right
    GtkWidget* start = ScreenButton(row, "START", kResponseStart);
    gtk_widget_set_sensitive(start, startable);
    GtkWidget* label = gtk_label_new(nullptr);
    gtk_widget_set_name(label, kPreviewTextName);
    const std::string markup =
        std::string("<span font_desc=\"") + TextFont() + "\">" + text + "</span>";
    gtk_label_set_markup(GTK_LABEL(label), markup.c_str());
    gtk_label_set_line_wrap(GTK_LABEL(label), TRUE);
    gtk_widget_set_size_request(label, screen_width - 2 * (screen_width / 5) - 12, -1);
    gtk_misc_set_alignment(GTK_MISC(label), 0, 0.5);
    gtk_box_pack_start(GTK_BOX(row), label, TRUE, TRUE, 0);
    gtk_box_pack_end(GTK_BOX(column), row, FALSE, FALSE, 0);

    gtk_widget_show_all(dialog);
    gtk_widget_hide(GTK_DIALOG(dialog)->action_area);
    return dialog;
}

bool CurrentBoxHasPlacements() {
    for (const LayoutNode* n = patternLayout; n; n = n->next)
        if (n->boxIndex == CurrentPatternBox()) return true;
    return false;
}

}  // namespace

std::string PreviewText(const StitchEstimate& e, float speed, ParameterSource source,
                        const PathOverrun& overrun) {
    char line[160];
    std::string text;
    std::snprintf(line, sizeof line, "%d %s, %.1f IN.\n", e.stitches,
                  Plural(e.stitches, "STITCH", "STITCHES"), e.stitchedInches);
    text += line;
    const std::string time =
        e.seconds < 0 ? std::string("RUN TIME UNKNOWN") : FormatDuration(e.seconds);
    std::snprintf(line, sizeof line, "%d %s, %d %s, %s\n", e.jumps,
                  Plural(e.jumps, "JUMP", "JUMPS"), e.threadCuts,
                  Plural(e.threadCuts, "CUT", "CUTS"), time.c_str());
    text += line;
    gchar* from = g_ascii_strup(ParameterSourceName(source), -1);
    std::snprintf(line, sizeof line, "SPEED %.0f FROM %s", speed, from);
    g_free(from);
    text += line;
    if (overrun.Outside()) {
        gchar* where = g_markup_escape_text(DescribePathOverrun(overrun, ", ").c_str(), -1);
        text +=
            std::string("\n<span foreground=\"#E00000\">OFF THE QUILT AREA: ") + where + "</span>";
        g_free(where);
    }
    return text;
}

int ShowStitchPreview() {
    ReleaseAllUI();
    if (!interface) return 0;
    if (!CurrentBoxHasPlacements()) {
        ShowMessage(kMessageError, kButtonsOk, "PATTERN BOX IS EMPTY");
        return 0;
    }
    OwnedPath path(PackBoxPath(CurrentPatternBox(), nullptr));
    const StitchEstimate estimate = EstimateStitchPath(path.get(), CurrentRunSpeeds());
    const PathOverrun overrun =
        extents ? CheckPathInQuiltArea(path.get(), *extents) : PathOverrun{};
    Log("Preview: %d stitches, %.3f in., %d jumps, %d cuts, %.0f s\n", estimate.stitches,
        estimate.stitchedInches, estimate.jumps, estimate.threadCuts, estimate.seconds);

    GtkWidget* dialog = BuildScreen(
        path.get(), PreviewText(estimate, Machine().maxSpeed, MachineParameterSource(), overrun),
        path && !overrun.Outside());
    const int response = gtk_dialog_run(GTK_DIALOG(dialog));
    if (isWidget(dialog)) gtk_widget_destroy(dialog);
    ProcessPendingEvents();
    if (response != kResponseStart) return 0;
    startButtonReleased();
    return 1;
}
