// The nesting-point and nesting screens. See nesting_screens.h.
#include "ui/nesting_screens.h"

#include <gtk/gtk.h>

#include <algorithm>
#include <string>

#include "base/application_state.h"
#include "base/log.h"
#include "base/screen_config.h"
#include "base/ui_hooks.h"
#include "layout/layout_selection.h"
#include "layout/layout_tree.h"
#include "layout/pattern_box.h"
#include "layout/view_transform.h"
#include "machine/mc1_motion.h"
#include "machine/nesting.h"
#include "machine/stitching/point_select.h"
#include "pattern/pattern.h"
#include "ui/drawing_area.h"
#include "ui/edit_dialog.h"
#include "ui/head_follow_view.h"
#include "ui/interface.h"
#include "ui/point_select_screen.h"
#include "ui/widget_helpers.h"

namespace {

constexpr int kFollowIntervalMs = 250;
constexpr const char* kPointPrompt = "Select a nesting point";
constexpr const char* kNestingPrompt = "Use your machine to nest the pattern";
constexpr float kInchesPerMachineUnit = 0.001f;

// The working record of one showing of a screen.
struct NestScreen {
    GtkWidget* dialog = nullptr;
    GtkWidget* area = nullptr;
    GdkPixbuf* okImage = nullptr;
    guint timer = 0;  // follow timer; 0 once it has ended
    const char* prompt = "";
    bool nesting = false;     // the nesting screen (else the nesting-point screen)
    float left = 0, top = 0;  // table inches at the view's top left corner
    ~NestScreen() {
        if (okImage) g_object_unref(okImage);
    }
};

PatternBox* Current() {
    return GetPatternBox(CurrentPatternBox());
}

// Table inches to view pixels.
double PixelX(const NestScreen& s, float x) {
    return (x - s.left) / ViewScale();
}
double PixelY(const NestScreen& s, float y) {
    return (y - s.top) / ViewScale();
}

// The current box and its placements, shifted by (dx, dy) inches.
void DrawLayout(cairo_t* cr, const NestScreen& s, float dx, float dy) {
    const PatternBox* box = Current();
    if (!box) return;
    cairo_set_line_width(cr, 1);
    SetCairoColour(cr, "#008899");
    for (const PatternBoxPoint* c = box->corners; c; c = c->next) {
        const double px = PixelX(s, c->x + dx) + 0.5, py = PixelY(s, c->y + dy) + 0.5;
        if (c == box->corners)
            cairo_move_to(cr, px, py);
        else
            cairo_line_to(cr, px, py);
    }
    cairo_close_path(cr);
    cairo_stroke(cr);
    SetCairoColour(cr, "#000000");
    for (const LayoutNode* n = patternLayout; n; n = n->next) {
        if (n->boxIndex != CurrentPatternBox()) continue;
        const Pattern* p = GetPattern(n->patternIndex);
        if (!p || p->pointCount < 1) continue;
        const float ox = box->x + n->x - p->minX + dx, oy = box->y + n->y - p->minY + dy;
        for (int i = 0; i < p->pointCount; i++) {
            const double px = PixelX(s, p->x[i] + ox), py = PixelY(s, p->y[i] + oy);
            if (i == 0)
                cairo_move_to(cr, px, py);
            else
                cairo_line_to(cr, px, py);
        }
        cairo_stroke(cr);
    }
}

gboolean OnNestExpose(GtkWidget* widget, GdkEventExpose*, gpointer data) {
    const auto* s = static_cast<const NestScreen*>(data);
    if (!widget->window || !interface || ViewScale() <= 0) return TRUE;
    const int w = widget->allocation.width, h = widget->allocation.height;
    cairo_t* cr = gdk_cairo_create(widget->window);
    SetCairoColour(cr, "#CCFFFF");
    cairo_paint(cr);
    if (s->nesting) {
        // The layout where OK would put it: moved by the head's travel so far.
        const float dx = (machineCurrent.x - machineOrigin.x) * kInchesPerMachineUnit;
        const float dy = (machineCurrent.y - machineOrigin.y) * kInchesPerMachineUnit;
        DrawLayout(cr, *s, dx, dy);
        DrawHeadCross(cr, PixelX(*s, machineCurrent.x * kInchesPerMachineUnit),
                      PixelY(*s, machineCurrent.y * kInchesPerMachineUnit), w, h);
    } else {
        DrawLayout(cr, *s, 0, 0);
        if (interface->measureLine)
            DrawHeadCross(cr, interface->measureLine[0], interface->measureLine[1], w, h);
    }
    DrawPrompt(cr, widget, s->prompt, w);
    const int b = confirm_button_size;
    DrawConfirmButton(cr, widget, s->okImage, "OK", w - b - 8, h - b, b);
    cairo_destroy(cr);
    return TRUE;
}

gboolean OnNestRelease(GtkWidget* widget, GdkEventButton* event, gpointer data) {
    auto* s = static_cast<NestScreen*>(data);
    if (PointScreenTap2(static_cast<int>(event->x), static_cast<int>(event->y),
                        widget->allocation.width, widget->allocation.height)) {
        runTimer = 0;
        gtk_dialog_response(GTK_DIALOG(s->dialog), kResponseOk);
    }
    return TRUE;
}

gboolean OnPointFollow(gpointer data) {
    auto* s = static_cast<NestScreen*>(data);
    if (CrossTimer(s->area)) return TRUE;
    s->timer = 0;
    return FALSE;
}

gboolean OnNestingFollow(gpointer data) {
    auto* s = static_cast<NestScreen*>(data);
    if (SetMachineCurrent()) {
        if (isWidget(s->area) && s->area->window)
            gdk_window_invalidate_rect(s->area->window, nullptr, FALSE);
        return TRUE;
    }
    s->timer = 0;
    return FALSE;
}

// A full-screen dialog without buttons holding a view of the view size.
void BuildScreen(NestScreen* s, const char* title, const char* name, const char* viewName) {
    s->okImage = LoadButtonImage("OK_64x64.png", "OK.png", confirm_button_size);
    s->dialog = NewHeadFollowDialog(title, name, viewName, &s->area);
    g_signal_connect(s->area, "expose-event", G_CALLBACK(OnNestExpose), s);
    g_signal_connect(s->area, "button-release-event", G_CALLBACK(OnNestRelease), s);
    gtk_widget_show(s->area);
}

// The far corner of the table shown by the nesting-point screen: the quilting
// area and the current box, from the machine's home.
void TableCorner(float* right, float* bottom) {
    *right = *bottom = 0;
    if (extents) {
        *right = extents->x + extents->width;
        *bottom = extents->y + extents->height;
    }
    if (const PatternBox* box = Current()) {
        *right = std::max(*right, box->x + box->width);
        *bottom = std::max(*bottom, box->y + box->height);
    }
}

// The nesting screen; see NestingDialog.
int NestingScreen() {
    const PatternBox* box = Current();
    if (!box) return kNestFailed;
    float minX = 999999.0f, minY = 999999.0f, maxX = -99999.0f, maxY = -99999.0f;
    for (const LayoutNode* n = patternLayout; n; n = n->next) {
        const Pattern* p = GetPattern(n->patternIndex);
        if (n->boxIndex != CurrentPatternBox() || !p) continue;
        minX = std::min(minX, n->x);
        minY = std::min(minY, n->y);
        maxX = std::max(maxX, n->x + p->width);
        maxY = std::max(maxY, n->y + p->height);
    }
    if (maxX < minX) return kNestFailed;
    // The box moves by the head's travel from here: without a starting
    // position any later reading would throw it across the table.
    const auto origin = GetCurrentLocation();
    if (!origin) {
        ShowMessage(kMessageError, kButtonsOk, kNestCommunicationsError);
        return kNestFailed;
    }

    NestScreen s;
    s.prompt = kNestingPrompt;
    s.nesting = true;
    const float savedScale = ViewScale();
    SetViewScale(std::max(
        SetInchPerPixel(box->width + 1, box->height + 1, view_area_width, view_area_height),
        0.001f));
    s.left = box->x - 0.5f;
    s.top = box->y - 0.5f;
    RefreshPatternPix();
    BuildScreen(&s, "NESTING", kNestingScreenName, kNestingViewName);

    machineOrigin = *origin;
    machineCurrent = machineOrigin;
    runCapture = 1;
    s.timer = g_timeout_add(kFollowIntervalMs, OnNestingFollow, &s);
    const int response = gtk_dialog_run(GTK_DIALOG(s.dialog));
    runCapture = 0;
    if (s.timer) g_source_remove(s.timer);
    s.timer = 0;
    ResponseEmit(s.dialog, response);

    SetViewScale(savedScale);
    RefreshPatternPix();
    SetZoomAll();
    RedrawLayoutView();
    return response;
}

}  // namespace

int PointScreenTap2(int x, int y, int, int h) {
    Log("Tap (%d, %d )\n", x, y);
    return y > h - confirm_button_size ? 1 : 0;
}

void ResponseEmit(GtkWidget* dialog, int response) {
    Log("Dialog received response: 0x%2.2X ( %d )\n", static_cast<unsigned>(response) & 0xFF,
        response);
    if (response == kResponseOk) {
        runCapture = 0;
        // The last follow reading may be up to 250 ms old: the head is read
        // once more so the box goes exactly where the quilter left it.
        if (const auto position = GetCurrentLocation()) machineCurrent = *position;
        ApplyNestingScreenMove(machineOrigin, machineCurrent);
    } else {
        LogLine("Returned Unknown Response");
    }
    if (isWidget(dialog)) gtk_widget_destroy(dialog);
}

void SelectPoint2() {
    if (!interface) return;
    SetZoomAll();
    NestScreen s;
    s.prompt = kPointPrompt;
    const float savedScale = ViewScale();
    const bool hadMeasureLine = interface->measureLine != nullptr;
    float right = 0, bottom = 0;
    TableCorner(&right, &bottom);
    SetViewScale(std::max(SetInchPerPixel(right + 1, bottom + 1, view_area_width, view_area_height),
                          0.001f));
    BuildScreen(&s, "SELECT POINT", kNestPointScreenName, kNestPointViewName);

    runTimer = 1;
    CrossTimer(s.area);
    s.timer = g_timeout_add(kFollowIntervalMs, OnPointFollow, &s);
    gtk_dialog_run(GTK_DIALOG(s.dialog));
    runTimer = 0;
    if (s.timer) g_source_remove(s.timer);
    s.timer = 0;
    if (isWidget(s.dialog)) gtk_widget_destroy(s.dialog);

    SetViewScale(savedScale);
    if (!hadMeasureLine) {
        delete[] interface->measureLine;
        interface->measureLine = nullptr;
    }
    RefreshPatternPix();
    RedrawLayoutView();
}

int NestingDialog() {
    if (!interface) return kNestFailed;
    const int marks = NestingMarks();
    RefreshPatternPix();
    RedrawLayoutView();
    if (marks != kNestMoved) return marks;
    LogLine("Select Point 2");
    SelectPoint2();
    return NestingScreen();
}
