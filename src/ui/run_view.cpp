#include "ui/run_view.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

#include "base/application_state.h"
#include "base/log.h"
#include "base/screen_config.h"
#include "base/timers.h"
#include "layout/layout_selection.h"
#include "layout/layout_tree.h"
#include "layout/view_images.h"
#include "layout/view_transform.h"
#include "machine/machine_parameters.h"
#include "machine/stitching/pattern_run.h"
#include "machine/stitching/point_streaming.h"
#include "machine/stitching/run_state.h"
#include "machine/stitching/stitch_estimate.h"
#include "pattern/pattern.h"
#include "ui/drawing_area.h"
#include "ui/interface.h"
#include "ui/layout_view.h"
#include "ui/menu.h"
#include "ui/point_select_screen.h"
#include "ui/screens.h"
#include "ui/startup.h"
#include "ui/widget_helpers.h"

namespace {

constexpr const char* kButtonFont = "Sans 10";
constexpr const char* kSpeedFont = "Sans Bold 12";
constexpr const char* kPauseColour = "#FF0000";

// What the run last reported of its progress; none before the first report of
// the run view shown now.
RunProgress shownProgress;
bool progressShown = false;

// Size s of the speed images and the gap g around them.
int ImageSize() {
    return icon_style == 1 ? 50 : 32;
}
int ImageGap() {
    return icon_style == 1 ? 10 : 5;
}

// Up and Down images, loaded once at the icon style's size; none when missing.
GdkPixbuf* SpeedImage(bool up) {
    static GdkPixbuf* images[2] = {};
    static int loadedStyle = -1;
    if (loadedStyle != icon_style) {
        for (GdkPixbuf*& image : images)
            if (image) g_object_unref(image);
        const bool large = icon_style == 1;
        const char* names[2] = {large ? "./images/Down.png" : "./images/Down_5.png",
                                large ? "./images/Up.png" : "./images/Up_5.png"};
        for (int i = 0; i < 2; i++) {
            images[i] = gdk_pixbuf_new_from_file_at_scale(names[i], ImageSize(), ImageSize(), FALSE,
                                                          nullptr);
            if (!images[i]) Log("Could not load image %s\n", names[i]);
        }
        loadedStyle = icon_style;
    }
    return images[up ? 1 : 0];
}

GtkWidget* ToolButton(ToolButtonId id) {
    ToolBar* bar = ToolbarRecord();
    return bar && isWidget(bar->buttons[id]) ? bar->buttons[id] : nullptr;
}

GtkToggleToolButton* ToolToggle(ToolButtonId id) {
    GtkWidget* button = ToolButton(id);
    return button && GTK_IS_TOGGLE_TOOL_BUTTON(button) ? GTK_TOGGLE_TOOL_BUTTON(button) : nullptr;
}

void PaintPauseColour(GtkWidget* button) {
    GdkColor red;
    gdk_color_parse(kPauseColour, &red);
    gtk_widget_modify_bg(button, GTK_STATE_NORMAL, &red);
    gtk_widget_modify_bg(button, GTK_STATE_PRELIGHT, &red);
    gtk_widget_modify_bg(button, GTK_STATE_ACTIVE, &red);
}

void DrawPatterns(cairo_t* cr, int width, int height) {
    const float scale = ViewScale() > 0 ? ViewScale() : 0.001f;
    for (const LayoutNode* node = patternLayout; node; node = node->next) {
        if (node->boxIndex != CurrentPatternBox()) continue;
        // A placement whose pattern went away draws nothing.
        PaintPatternImage(cr, node->patternIndex, static_cast<int>(node->x / scale),
                          static_cast<int>(node->y / scale), width, height);
    }
}

// Dashed cross lines through the head, the run's marker at the view scale.
void DrawHeadMarker(cairo_t* cr, int width, int height) {
    const RunMarker& marker = CurrentRun().marker;
    if (!marker.shown) return;
    const int x = InchesToPixels(marker.x, ViewScale());
    const int y = InchesToPixels(marker.y, ViewScale());
    SetCairoColour(cr, "#008899");
    cairo_set_line_width(cr, 1);
    const double dash[] = {4, 4};
    cairo_set_dash(cr, dash, 2, 0);
    cairo_move_to(cr, x + 0.5, 0);
    cairo_line_to(cr, x + 0.5, height);
    cairo_move_to(cr, 0, y + 0.5);
    cairo_line_to(cr, width, y + 0.5);
    cairo_stroke(cr);
    cairo_set_dash(cr, nullptr, 0, 0);
}

// The progress line at the top left, on white so it reads over the patterns.
void DrawProgress(cairo_t* cr, GtkWidget* widget) {
    if (!progressShown) return;
    PangoLayout* layout =
        gtk_widget_create_pango_layout(widget, FormatRunProgress(shownProgress).c_str());
    PangoFontDescription* font =
        pango_font_description_from_string(icon_style == 1 ? "Sans Bold 14" : "Sans Bold 9");
    pango_layout_set_font_description(layout, font);
    pango_font_description_free(font);
    int w = 0, h = 0;
    pango_layout_get_pixel_size(layout, &w, &h);
    SetCairoColour(cr, "#FFFFFF");
    cairo_rectangle(cr, 2, 2, w + 6, h + 2);
    cairo_fill(cr);
    SetCairoColour(cr, "#000000");
    cairo_move_to(cr, 5, 3);
    pango_cairo_show_layout(cr, layout);
    g_object_unref(layout);
}

void DrawSpeed(cairo_t* cr, GtkWidget* widget, int width, int height) {
    const int s = ImageSize(), g = ImageGap();
    char text[32];
    std::snprintf(text, sizeof text, "%0.0f", Machine().maxSpeed);
    PangoLayout* layout = gtk_widget_create_pango_layout(widget, text);
    PangoFontDescription* font = pango_font_description_from_string(kSpeedFont);
    pango_layout_set_font_description(layout, font);
    pango_font_description_free(font);
    int textWidth = 0, textHeight = 0;
    pango_layout_get_size(layout, &textWidth, &textHeight);
    SetCairoColour(cr, "#000000");
    cairo_move_to(cr, width - (textWidth / 2000 + s / 2 + g), (height - s / 2) / 2);
    pango_cairo_show_layout(cr, layout);
    g_object_unref(layout);

    const int x = width - s - g;
    const int ys[2] = {height - 2 * s, s};
    for (int up = 0; up < 2; up++) {
        GdkPixbuf* image = SpeedImage(up == 1);
        if (!image) continue;
        gdk_cairo_set_source_pixbuf(cr, image, x, ys[up]);
        cairo_paint(cr);
    }
}

// Speed taps arrive after the views' own release handling ("event-after"),
// whatever that returned.
void OnRunViewEventAfter(GtkWidget* widget, GdkEvent* event, gpointer) {
    if (event->type != GDK_BUTTON_RELEASE || command != kRunCommand) return;
    const int button =
        RunSpeedButtonAt(static_cast<int>(event->button.x), static_cast<int>(event->button.y),
                         widget->allocation.width, widget->allocation.height);
    if (button == 0) return;
    const float speedNow = button > 0 ? RunSpeedUp() : RunSpeedDown();
    Log("Run speed %0.0f\n", speedNow);
    gtk_widget_queue_draw(widget);
}

void MovePointerOutOfView() {
    GdkDisplay* display = gdk_display_get_default();
    if (display)
        gdk_display_warp_pointer(display, gdk_display_get_default_screen(display), 0,
                                 menubar_height + 15);
}

void ShowRunView() {
    progressShown = false;
    ShowScreen([] { return createPatternViewScreen(1, kAreaRunView); }, kRunMenuMask, "run view");
    if (isWidget(interface->drawingArea))
        g_signal_connect(interface->drawingArea, "event-after", G_CALLBACK(OnRunViewEventAfter),
                         nullptr);
}

void ShowEditView() {
    ShowScreen([] { return createPatternViewScreen(0, kAreaLayoutView); }, kIdleMenuMask,
               "layout view");
}

// The PAUSE button as it looks while running (released) or paused (pressed).
void ShapePauseButton(GtkWidget* pause, bool paused) {
    SetButtonFont(pause, paused ? "START" : "PAUSE", kButtonFont);
    gtk_widget_set_size_request(pause, paused ? view_area_width / 2 - 5 : view_area_width - 5,
                                menubar_height + 15);
    PaintPauseColour(pause);
    GtkWidget* thread = interface->btnThread;
    if (!isWidget(thread)) return;
    if (paused) {
        gtk_widget_show(thread);
        gtk_widget_set_sensitive(thread, StitchingToggleActive());
    } else {
        gtk_widget_hide(thread);
    }
}

RunControlHooks GtkRunHooks() {
    RunControlHooks h;
    h.stitchingActive = [] {
        GtkToggleToolButton* toggle = ToolToggle(kToolStitching);
        return toggle ? static_cast<int>(gtk_toggle_tool_button_get_active(toggle)) : stitching;
    };
    h.setStitchingActive = [](int active) {
        stitching = active;
        if (GtkToggleToolButton* toggle = ToolToggle(kToolStitching))
            gtk_toggle_tool_button_set_active(toggle, active);
    };
    h.setStitchingSensitive = [](int sensitive) {
        if (GtkWidget* button = ToolButton(kToolStitching))
            gtk_widget_set_sensitive(button, sensitive);
    };
    h.clearLockToggles = [] {
        for (ToolButtonId id : {kToolLockX, kToolLockY}) {
            GtkToggleToolButton* toggle = ToolToggle(id);
            if (toggle && gtk_toggle_tool_button_get_active(toggle))
                gtk_toggle_tool_button_set_active(toggle, FALSE);
        }
    };
    h.showRunView = ShowRunView;
    h.showEditView = ShowEditView;
    h.destroyPauseButton = [] {
        if (isWidget(interface->btnPause)) gtk_widget_destroy(interface->btnPause);
        KeepWidget(&interface->btnPause, nullptr);
    };
    h.setPauseSensitive = [](int sensitive) {
        if (isWidget(interface->btnPause)) gtk_widget_set_sensitive(interface->btnPause, sensitive);
    };
    h.setPauseReleased = [] {
        GtkWidget* pause = interface->btnPause;
        if (isWidget(pause) && gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(pause))) {
            gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(pause), FALSE);  // resumes
            return;
        }
        if (isWidget(pause)) ShapePauseButton(pause, false);
        PauseToggled(0);
    };
    h.setThreadSensitive = [](int sensitive) {
        if (isWidget(interface->btnThread))
            gtk_widget_set_sensitive(interface->btnThread, sensitive);
    };
    h.redrawRunView = [] {
        if (isWidget(interface->drawingArea)) gtk_widget_queue_draw(interface->drawingArea);
    };
    h.movePointerOutOfView = MovePointerOutOfView;
    h.setMenuMask = SetMenuStateMask;
    h.selectPoint = SelectPoint;
    h.showProgress = [](const RunProgress& progress) {
        shownProgress = progress;
        progressShown = true;
        if (isWidget(interface->drawingArea)) gtk_widget_queue_draw(interface->drawingArea);
    };
    return h;
}

}  // namespace

int RunSpeedButtonAt(int x, int y, int width, int height) {
    const int s = ImageSize(), g = ImageGap();
    const int left = width - s - g;
    if (x < left || x >= left + s) return 0;
    if (y >= s && y < 2 * s) return 1;
    if (y >= height - 2 * s && y < height - s) return -1;
    return 0;
}

gboolean da_MotorMove(GtkWidget* widget, GdkEventExpose*, gpointer) {
    lastUpdateTime = NowMs();
    if (!interface || !widget->window) return TRUE;
    int width = widget->allocation.width, height = widget->allocation.height;
    if (width <= 1 || height <= 1) {
        width = view_area_width;
        height = view_area_height - 40;
    }
    if (zoomAll) {
        zoomAll = 0;
        ZoomAll(widget->window);  // the run view draws box-relative: the pan is unused
    }

    cairo_t* cr = gdk_cairo_create(widget->window);
    SetCairoColour(cr, "#CCFFFF");
    cairo_paint(cr);
    if (interface->captureImage) {
        GdkPixbuf* picture =
            gdk_pixbuf_scale_simple(interface->captureImage, width, height, GDK_INTERP_BILINEAR);
        if (picture) {
            gdk_cairo_set_source_pixbuf(cr, picture, 0, 0);
            cairo_paint(cr);
            g_object_unref(picture);
        }
    }
    DrawPatterns(cr, width, height);

    const int s = ImageSize(), g = ImageGap();
    if (command == kRunCommand && height > 3 * s) {
        SetCairoColour(cr, "#BBFFFF");
        cairo_rectangle(cr, width - s - g + 2, static_cast<int>(1.5 * s), s - 4, height - 3 * s);
        cairo_fill(cr);
    }
    DrawHeadMarker(cr, width, height);
    if (interface->statusLayout) {
        SetCairoColour(cr, "#000000");
        cairo_move_to(cr, 5, height - 30);
        pango_cairo_show_layout(cr, interface->statusLayout);
    }
    DrawSpeed(cr, widget, width, height);
    DrawProgress(cr, widget);
    cairo_destroy(cr);
    return TRUE;
}

void OnBtnPauseToggled(GtkWidget* button, gpointer) {
    MovePointerOutOfView();
    const bool paused = gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(button));
    ShapePauseButton(button, paused);
    // Resuming runs the whole rest of the job inside this handler; the button
    // may be gone when it returns.
    PauseToggled(paused ? 1 : 0);
}

void OnBtnThreadClicked(GtkWidget*, gpointer) {
    ThreadBreak();
}

void InstallRunView() {
    SetRunControlHooks(GtkRunHooks());
}
