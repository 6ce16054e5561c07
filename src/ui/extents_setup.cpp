#include "ui/extents_setup.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <map>
#include <vector>

#include "base/application_state.h"
#include "base/log.h"
#include "base/screen_config.h"
#include "base/ui_hooks.h"
#include "layout/box_drawing.h"
#include "layout/geometry.h"
#include "layout/layout_file.h"
#include "layout/layout_selection.h"
#include "layout/layout_tree.h"
#include "layout/pattern_box.h"
#include "layout/view_transform.h"
#include "machine/mc1_commands.h"
#include "machine/mc1_motion.h"
#include "machine/stitching/run_state.h"
#include "pattern/pattern.h"
#include "ui/drawing_area.h"
#include "ui/interface.h"
#include "ui/menu.h"
#include "ui/pattern_select.h"
#include "ui/screens.h"
#include "ui/startup.h"
#include "ui/widget_helpers.h"

namespace {

constexpr uint32_t kBoxSetupMask = 0x0;
constexpr const char* kCommandFailed = "COMMAND FAILED, PLEASE TRY AGAIN.";
constexpr const char* kLinesMayNotCross = "PATTERN BOX LINES MAY NOT CROSS";

std::string promptText;
guint trackingTimer = 0;

// The head position in inches; negative coordinates become 0 when clampNegative.
bool ReadHead(float* x, float* y, bool clampNegative) {
    int32_t mx = 0, my = 0;
    if (GetXY(&mx, &my) != 0) return false;
    if (clampNegative) {
        mx = std::max<int32_t>(mx, 0);
        my = std::max<int32_t>(my, 0);
    }
    *x = static_cast<float>(mx) / 1000.0f;
    *y = static_cast<float>(my) / 1000.0f;
    return true;
}

void Redraw() {
    if (interface && isWidget(interface->drawingArea) && interface->drawingArea->window)
        gdk_window_invalidate_rect(interface->drawingArea->window, nullptr, FALSE);
}

void ReleasePrompt() {
    promptText.clear();
    if (interface && interface->promptLayout) {
        g_object_unref(interface->promptLayout);
        interface->promptLayout = nullptr;
    }
}

void SetPrompt(const char* text) {
    ReleasePrompt();
    promptText = text;
    if (interface && isWidget(interface->drawingArea))
        interface->promptLayout = gtk_widget_create_pango_layout(interface->drawingArea, text);
    Redraw();
}

void StopTracking() {
    if (interface) interface->trackPosition = 0;
    if (trackingTimer) {
        g_source_remove(trackingTimer);
        trackingTimer = 0;
    }
}

void HidePauseButton() {
    if (interface && isWidget(interface->btnPause)) gtk_widget_hide(interface->btnPause);
}

PatternBoxPoint* LastCorner(PatternBox* box) {
    return box && !box->cornerStore.empty() ? &box->cornerStore.back() : nullptr;
}

PatternBox* CurrentBox() {
    if (!interface) return nullptr;
    if (patternBoxList.count == 0) {
        const int slot = CreatePatternBox();
        if (slot < 0) return nullptr;
        SetCurrentPatternBox(slot);
    }
    if (CurrentPatternBox() < 0 || CurrentPatternBox() >= patternBoxList.count)
        SetCurrentPatternBox(0);
    return GetPatternBox(CurrentPatternBox());
}

// ---- Quilt-area procedure --------------------------------------------------

void FinishQuiltArea() {
    float x = 0, y = 0;
    if (!ReadHead(&x, &y, true)) {
        ShowMessage(kMessageError, kButtonsOk, kCommandFailed);
        return;
    }
    if (!extents) BogusExtents();
    AddPatternBoxPoint(pbTemp.get(), x, y, 0, 0);
    AddPatternBoxPoint(pbTemp.get(), pbTemp->x, y, 0, 0);
    ClearExtents();
    SetExtents();
    extents = CopyPatternBox(pbTemp.get());
    SetPatternBoxOrigin(extents.get());
    char text[128];
    snprintf(text, sizeof text, "TABLE WIDTH = %0.3f IN.\nTABLE HEIGHT = %0.3f IN.", extents->width,
             extents->height);
    ShowMessage(kMessageInfo, kButtonsOk, text);
    pbTemp.reset();

    // The whole table becomes a box, walked front-left, front-right,
    // back-right, back-left.
    const std::vector<PatternBoxPoint>& c = extents->cornerStore;
    const QuiltPoint frontLeft{c[3].x, c[3].y}, frontRight{c[2].x, c[2].y};
    const QuiltPoint backRight{c[1].x, c[1].y}, backLeft{c[0].x, c[0].y};
    const std::vector<QuiltPoint> table{frontLeft, frontRight, backRight, backLeft};
    if (patternBoxList.count > 0) {
        LogLine("Remove Current Pattern Box");
        if (CurrentPatternBox() < 0) SetCurrentPatternBox(0);
        SetRectangleBox(GetPatternBox(CurrentPatternBox()), table, frontLeft, backRight);
    } else {
        PatternBox* box = NewPatternBoxAtIndex(0);
        SetPatternBoxCorners(box, table);
        SetPatternBoxOrigin(box);
        patternBoxList.count = 1;
        SetCurrentPatternBox(0);
    }
    SetZoomAll();
    ShowLayoutView();
}

void QuiltAreaButton(int button) {
    if (button == 2) {
        if (extents) ShowLayoutView();
        return;
    }
    if (button != 1) return;
    if (!pbTemp) pbTemp = std::make_unique<PatternBox>();
    float x = 0, y = 0;
    switch (pbTemp->count) {
        case 0:
            AddPatternBoxPoint(pbTemp.get(), 0, 0, 1, 0);
            SetHome();
            SetPrompt(
                "MOVE YOUR MACHINE TO THE BACK\nRIGHT CORNER OF YOUR QUILTING\nAREA.\n\nTHEN "
                "PRESS THE ADD BUTTON");
            break;
        case 1:
            if (!ReadHead(&x, &y, true)) {
                ShowMessage(kMessageError, kButtonsOk, kCommandFailed);
                return;
            }
            AddPatternBoxPoint(pbTemp.get(), x, y, 0, 1);
            SetPrompt(
                "MOVE YOUR MACHINE TO THE FRONT\nRIGHT CORNER OF YOUR QUILTING\nAREA.\n\nTHEN "
                "PRESS THE ADD BUTTON");
            break;
        default:
            FinishQuiltArea();
            break;
    }
}

// ---- Pattern-box procedure -------------------------------------------------

void FinishBox() {
    PatternBox* box = CurrentBox();
    std::unique_ptr<PatternBox> none;
    if (const char* refusal =
            FinishDrawnBox(*pbTemp, box ? patternBoxList.slots[CurrentPatternBox()] : none))
        ShowMessage(kMessageError, kButtonsOk, refusal);
    pbTemp.reset();
    SetZoomAll();
    RefreshPatternPix();
    ShowLayoutView();
}

void PatternBoxButton(int button) {
    if (button == 3) {
        pbTemp.reset();
        ShowLayoutView();
        return;
    }
    if ((button != 1 && button != 2) || !pbTemp) return;
    float x = 0, y = 0;
    if (!ReadHead(&x, &y, pbTemp->count <= 1)) {
        ShowMessage(kMessageError, kButtonsOk, kCommandFailed);
        return;
    }
    if (!PressBoxCorner(*pbTemp, {x, y}, button == 2)) {
        ShowMessage(kMessageError, kButtonsOk, kLinesMayNotCross);
        Redraw();
        return;
    }
    if (button == 1) {
        SetPrompt(
            "MOVE MACHINE COUNTERCLOCKWISE\nTO THE NEXT POINT.\nPRESS THE PLUS BUTTON TO ADD "
            "POINT\nOR THE CHECK BUTTON TO FINISH");
        return;
    }
    StopTracking();
    if (pbTemp->count <= 1) {
        ShowMessage(kMessageError, kButtonsOk, kNoBoxCorners);
        pbTemp.reset();
        ShowLayoutView();
        return;
    }
    FinishBox();
}

void BeginPatternBox() {
    if (!pbTemp) pbTemp = std::make_unique<PatternBox>();
    ClearPatternBox(pbTemp.get());
    float x = 0, y = 0;
    if (!ReadHead(&x, &y, true)) x = y = 0;  // tracking moves it once the head answers
    AddPatternBoxPoint(pbTemp.get(), x, y, 1, 0);
    SetPrompt("MOVE THE MACHINE TO THE LEFTMOST\nPOINT OF YOUR BASELINE.\nPRESS THE PLUS BUTTON.");
    interface->trackPosition = 1;
    if (trackingTimer) g_source_remove(trackingTimer);
    trackingTimer = g_timeout_add(1000, getMCCoordinates, nullptr);
}

void FreeAxes() {
    DisableX();
    DisableY();
}

}  // namespace

const std::string& SetupPromptText() {
    return promptText;
}

int TrackingTimerRunning() {
    return trackingTimer != 0;
}

void StartExtentsProcedure(int mode, GtkWidget* drawingArea) {
    if (!interface) return;
    Resume();
    FreeAxes();
    SendCommand(kEndOfRunSignal);
    FreeAxes();
    if (mode == 0) {
        if (!pbTemp) pbTemp = std::make_unique<PatternBox>();
        if (pbTemp->count == 0)
            SetPrompt(
                "MOVE YOUR MACHINE TO THE BACK LEFT\nCORNER OF YOUR QUILTING AREA.\n\nTHEN PRESS "
                "THE ADD BUTTON.");
    } else {
        BeginPatternBox();
    }
    if (drawingArea)
        g_signal_connect(drawingArea, "button-release-event", G_CALLBACK(OnScreenTap),
                         const_cast<char*>(mode == 0 ? "0" : "1"));
}

int SetupButtonAt(int x, int viewWidth, int buttonSize) {
    const int cell = buttonSize + 16;
    const int offset = x - viewWidth + 4 * cell - 16;
    if (offset < 0) return 0;  // left of the first cell: integer division would round to 0 anyway
    return offset / cell;
}

gboolean OnScreenTap(GtkWidget* widget, GdkEventButton* event, gpointer data) {
    const int mode = data && static_cast<const char*>(data)[0] == '1' ? 1 : 0;
    const int height = widget->allocation.height > 1 ? widget->allocation.height : view_area_height;
    const int width = widget->allocation.width > 1 ? widget->allocation.width : view_area_width;
    if (event->y > height - confirm_button_size) {
        const int button = SetupButtonAt(static_cast<int>(event->x), width, confirm_button_size);
        if (button >= 1 && button <= 3) {
            PressSetupButton(mode, button);
            return TRUE;
        }
    }
    Redraw();
    return TRUE;
}

void PressSetupButton(int mode, int button) {
    if (!interface) return;
    if (mode == 0)
        QuiltAreaButton(button);
    else
        PatternBoxButton(button);
}

gboolean getMCCoordinates(gpointer) {
    if (!interface || !pbTemp || !interface->trackPosition) {
        trackingTimer = 0;
        return FALSE;
    }
    float x = 0, y = 0;
    if (!ReadHead(&x, &y, pbTemp->count <= 1)) return TRUE;
    if (MoveLiveCorner(*pbTemp, {x, y}) * 1000.0f > kPromptMoveThreshold && !promptText.empty())
        ReleasePrompt();
    Redraw();
    return TRUE;
}

void ShowLayoutView() {
    StopTracking();
    ReleasePrompt();
    ShowScreen([] { return createPatternViewScreen(0, kAreaLayoutView); }, kLayoutViewMask,
               "layout view");
}

void StartQuiltAreaSetup() {
    if (!interface) return;
    StopTracking();
    SetBoxMode(0);
    SetStatusBar(nullptr);
    SetHighlightIndex(-1);
    pbTemp = std::make_unique<PatternBox>();
    HidePauseButton();
    ShowScreen([] { return createExtentsSetup(0); }, kQuiltAreaSetupMask, "quilt-area setup");
}

void StartPatternBoxSetup() {
    if (!interface) return;
    if (!extents) {
        ShowMessage(kMessageError, kButtonsOk,
                    "YOU MUST SET UP THE TABLE EXTENTS FIRST.\nPROCEEDING TO THE TABLE EXTENTS "
                    "SETUP.");
        StartQuiltAreaSetup();
        return;
    }
    SetBoxMode(1);
    SetViewScale(std::max(extents->width / view_area_width, extents->height / view_area_height));
    if (ViewScale() < 0.001f) SetViewScale(0.001f);
    ShowScreen([] { return createExtentsSetup(1); }, kBoxSetupMask, "pattern-box setup");
}

void menuMainExtents(GtkWidget*, void*) {
    StartQuiltAreaSetup();
}

void menuMainPatternbox(GtkWidget*, void* data) {
    if (!interface) return;
    const char action = data ? static_cast<const char*>(data)[0] : '0';
    SetBoxMode(1);
    StopTracking();
    HidePauseButton();
    if (action == '1') {
        const int slot = CreatePatternBox();
        if (slot < 0) {
            ShowMessage(kMessageError, kButtonsOk,
                        "NO MORE PATTERN BOXES CAN BE ADDED.\nDELETE A PATTERN BOX FIRST.");
            return;
        }
        SetCurrentPatternBox(slot);
        PatternBox* box = GetPatternBox(slot);
        AddPatternBoxPoint(box, 2, 14, 1, 0);
        AddPatternBoxPoint(box, 15, 14, 0, 0);
        AddPatternBoxPoint(box, 15, 2, 0, 0);
        AddPatternBoxPoint(box, 2, 2, 0, 0);
        SetPatternBoxOrigin(box);
        StartPatternBoxSetup();
    } else if (action == '2') {
        if (patternBoxList.count <= 1) {
            ShowMessage(kMessageError, kButtonsOk, "YOU MAY NOT DELETE THIS PATTERN BOX");
            return;
        }
        if (ShowMessage(kMessageQuestion, kButtonsOkCancel,
                        "ALL PATTERNS ATTACHED TO THE PATTERN BOX WILL BE DELETED AS "
                        "WELL.\n\nCONTINUE?") != kResponseOk)
            return;
        RemovePatternBox(CurrentPatternBox());
        SetZoomAll();
        RefreshPatternPix();
        Redraw();
    } else {
        StartPatternBoxSetup();
    }
}

// ---- The setup view --------------------------------------------------------

namespace {

std::map<std::string, GdkPixbuf*> imageCache;

GdkPixbuf* Image(const std::string& name) {
    auto found = imageCache.find(name);
    if (found != imageCache.end()) return found->second;
    GdkPixbuf* image = gdk_pixbuf_new_from_file(("./images/" + name).c_str(), nullptr);
    imageCache[name] = image;  // a missing image is remembered as none
    return image;
}

// The motor-direction badge, faded: every visible pixel gets alpha 35.
GdkPixbuf* Badge(bool reverse) {
    const std::string key = reverse ? "#badge-reverse" : "#badge-forward";
    auto found = imageCache.find(key);
    if (found != imageCache.end()) return found->second;
    GdkPixbuf* source = Image(reverse ? "ReverseArrow_32x32.png" : "Forward_32x32.png");
    GdkPixbuf* badge = nullptr;
    if (source) {
        GdkPixbuf* rgba = gdk_pixbuf_add_alpha(source, FALSE, 0, 0, 0);
        const int w = gdk_pixbuf_get_width(rgba), h = gdk_pixbuf_get_height(rgba);
        const int stride = gdk_pixbuf_get_rowstride(rgba);
        guchar* pixels = gdk_pixbuf_get_pixels(rgba);
        for (int row = 0; row < h; row++)
            for (int col = 0; col < w; col++) {
                guchar* alpha = pixels + row * stride + col * 4 + 3;
                if (*alpha != 0) *alpha = 35;
            }
        badge = rgba;
    }
    imageCache[key] = badge;
    return badge;
}

void DrawImage(GdkDrawable* drawable, GdkGC* gc, GdkPixbuf* image, int x, int y) {
    if (!image) return;
    gdk_draw_pixbuf(drawable, gc, image, 0, 0, x, y, -1, -1, GDK_RGB_DITHER_NONE, 0, 0);
}

void SetColour(GdkGC* gc, const char* name) {
    GdkColor colour;
    if (gdk_color_parse(name, &colour)) gdk_gc_set_rgb_fg_color(gc, &colour);
}

int Px(float inches) {
    return static_cast<int>(inches / ViewScale());
}

void DrawPolygon(GdkDrawable* drawable, GdkGC* gc, const PatternBox* box) {
    if (!box || box->cornerStore.empty()) return;
    std::vector<GdkPoint> points;
    for (const PatternBoxPoint& corner : box->cornerStore)
        points.push_back(GdkPoint{Px(corner.x), Px(corner.y)});
    if (points.size() == 1)
        gdk_draw_point(drawable, gc, points[0].x, points[0].y);
    else
        gdk_draw_polygon(drawable, gc, FALSE, points.data(), static_cast<int>(points.size()));
}

void DrawPrompt(GdkDrawable* drawable, GdkGC* gc, int w, int h) {
    if (!interface->promptLayout) return;
    int tw = 0, th = 0;
    pango_layout_get_pixel_size(interface->promptLayout, &tw, &th);
    const int x = (w - tw) / 2, y = (h - th) / 2;
    SetColour(gc, "black");
    gdk_draw_rectangle(drawable, gc, FALSE, x - 5, y - 5, tw + 10, th + 10);
    SetColour(gc, "#EEEEEE");
    gdk_draw_rectangle(drawable, gc, TRUE, x - 2, y - 2, tw + 5, th + 5);
    SetColour(gc, "black");
    gdk_draw_layout(drawable, gc, x, y, interface->promptLayout);
}

}  // namespace

gboolean da_ExtentsView(GtkWidget* widget, GdkEventExpose*, gpointer) {
    if (!interface || !widget->window) return TRUE;
    GdkDrawable* drawable = widget->window;
    GdkGC* gc = widget->style->fg_gc[GTK_WIDGET_STATE(widget)];
    const int w = widget->allocation.width, h = widget->allocation.height;
    const int b = confirm_button_size;
    const bool large = icon_style == 1;
    GdkGCValues saved;
    gdk_gc_get_values(gc, &saved);

    if (BoxMode() == 0) {
        DrawImage(drawable, gc, Badge(CurrentRun().motorDirection == 0xC8), 0, h - 32);
        const int taken = pbTemp ? pbTemp->count : 0;
        if (taken == 0) DrawImage(drawable, gc, Image("TL_Arrow.png"), 10, 10);
        if (taken == 1) DrawImage(drawable, gc, Image("TR_Arrow.png"), w - 32, 10);
        if (taken == 2) DrawImage(drawable, gc, Image("BR_Arrow.png"), w - 32, h - 32);
        DrawImage(drawable, gc, Image(large ? "Add_64x64.png" : "Add.png"), w - 3 * b - 16, h - b);
        DrawImage(drawable, gc, Image(large ? "Cancel_64x64.png" : "Cancel.png"), w - 2 * b - 8,
                  h - b);
    } else {
        if (zoomAll && extents) {
            SetViewScale(std::max({extents->width / w, extents->height / h, 0.001f}));
            zoomAll = 0;
        }
        gdk_gc_set_line_attributes(gc, 1, GDK_LINE_SOLID, GDK_CAP_BUTT, GDK_JOIN_MITER);
        SetColour(gc, "#FF8800");
        DrawPolygon(drawable, gc, extents.get());
        SetColour(gc, "#FF0000");
        DrawPolygon(drawable, gc, pbTemp.get());
        if (const PatternBoxPoint* live = pbTemp ? LastCorner(pbTemp.get()) : nullptr) {
            const int lx = Px(live->x), ly = Px(live->y);
            gdk_draw_line(drawable, gc, lx - 3, ly, lx + 3, ly);
            gdk_draw_line(drawable, gc, lx, ly - 3, lx, ly + 3);
            char location[64];
            snprintf(location, sizeof location, "Location:( %0.2f, %0.2f )", live->x, live->y);
            PangoLayout* text = gtk_widget_create_pango_layout(widget, location);
            SetColour(gc, "black");
            gdk_draw_layout(drawable, gc, 10, h - 35, text);
            g_object_unref(text);
        }
        DrawImage(drawable, gc, Image(large ? "Add_64x64.png" : "Add.png"), w - 3 * b - 24, h - b);
        DrawImage(drawable, gc, Image(large ? "OK_64x64.png" : "OK.png"), w - 2 * b - 16, h - b);
        DrawImage(drawable, gc, Image(large ? "Cancel_64x64.png" : "Cancel.png"), w - b - 8, h - b);
    }
    DrawPrompt(drawable, gc, w, h);
    gdk_gc_set_foreground(gc, &saved.foreground);
    return TRUE;
}
