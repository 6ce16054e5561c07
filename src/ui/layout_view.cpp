#include "ui/layout_view.h"

#include <cairo.h>
#include <pango/pangocairo.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <string>

#include "base/application_state.h"
#include "base/screen_config.h"
#include "layout/layout_selection.h"
#include "layout/layout_tree.h"
#include "layout/pattern_box.h"
#include "layout/placement/hull_bounce.h"
#include "layout/view_gestures.h"
#include "layout/view_images.h"
#include "layout/view_transform.h"
#include "machine/stitching/run_state.h"
#include "pattern/pattern.h"
#include "pattern/pattern_image.h"
#include "ui/drawing_area.h"
#include "ui/interface.h"
#include "ui/view_interaction.h"
#include "ui/widget_helpers.h"

namespace {

constexpr int kBadgeAlpha = 35;
constexpr int kGridAlpha = 128;

// ---- Images ----------------------------------------------------------------

// Every visible pixel of an RGBA image gets the given alpha.
void SetVisibleAlpha(GdkPixbuf* image, int alpha) {
    const int w = gdk_pixbuf_get_width(image), h = gdk_pixbuf_get_height(image);
    const int stride = gdk_pixbuf_get_rowstride(image);
    guchar* pixels = gdk_pixbuf_get_pixels(image);
    for (int row = 0; row < h; row++)
        for (int col = 0; col < w; col++) {
            guchar* a = pixels + static_cast<size_t>(row) * stride + col * 4 + 3;
            if (*a != 0) *a = static_cast<guchar>(alpha);
        }
}

// A loaded image as 8-bit RGBA (a new reference), or none.
GdkPixbuf* LoadRgba(const char* path) {
    GdkPixbuf* loaded = gdk_pixbuf_new_from_file(path, nullptr);
    if (!loaded) return nullptr;
    GdkPixbuf* rgba = gdk_pixbuf_add_alpha(loaded, FALSE, 0, 0, 0);
    g_object_unref(loaded);
    return rgba;
}

// ---- Drawing helpers -------------------------------------------------------

// Lines of odd width sit on pixel centres so that they cover whole pixels.
double Centre(int width) {
    return width % 2 ? 0.5 : 0.0;
}

void SetPen(cairo_t* cr, const char* colour, int width, bool dashed) {
    SetCairoColour(cr, colour);
    cairo_set_line_width(cr, width);
    static const double kDash[] = {4.0, 4.0};
    cairo_set_dash(cr, kDash, dashed ? 2 : 0, 0);
}

void Line(cairo_t* cr, int width, int x0, int y0, int x1, int y1) {
    const double c = Centre(width);
    cairo_move_to(cr, x0 + c, y0 + c);
    cairo_line_to(cr, x1 + c, y1 + c);
    cairo_stroke(cr);
}

void Rectangle(cairo_t* cr, int width, int x, int y, int w, int h) {
    const double c = Centre(width);
    cairo_rectangle(cr, x + c, y + c, w, h);
    cairo_stroke(cr);
}

// Draws the part of an image that falls inside the W x H view, so that a large
// pattern image seen close up costs only its visible pixels.
void DrawImage(cairo_t* cr, GdkPixbuf* image, int x, int y, int W, int H) {
    if (!image) return;
    const int iw = gdk_pixbuf_get_width(image), ih = gdk_pixbuf_get_height(image);
    const int left = std::max(0, -x), top = std::max(0, -y);
    const int right = std::min(iw, W - x), bottom = std::min(ih, H - y);
    if (right <= left || bottom <= top) return;
    GdkPixbuf* part = gdk_pixbuf_new_subpixbuf(image, left, top, right - left, bottom - top);
    gdk_cairo_set_source_pixbuf(cr, part, x + left, y + top);
    cairo_rectangle(cr, x + left, y + top, right - left, bottom - top);
    cairo_fill(cr);
    g_object_unref(part);
}

void DrawText(cairo_t* cr, GtkWidget* widget, const char* text, int x, int y, bool centred, int W) {
    PangoLayout* layout = gtk_widget_create_pango_layout(widget, text);
    if (centred) {
        int tw = 0, th = 0;
        pango_layout_get_pixel_size(layout, &tw, &th);
        x = (W - tw) / 2;
    }
    cairo_move_to(cr, x, y);
    pango_cairo_show_layout(cr, layout);
    g_object_unref(layout);
}

void DrawLayout(cairo_t* cr, PangoLayout* layout, int x, int y) {
    cairo_move_to(cr, x, y);
    pango_cairo_show_layout(cr, layout);
}

// ---- The layers of the view ------------------------------------------------

const char* PadImageName(PadButton button) {
    const bool large = icon_style == 1;
    switch (button) {
        case kPadOk:
            return large ? "OK_64x64.png" : "OK.png";
        case kPadLeft:
            return large ? "Left.png" : "Left_5.png";
        case kPadRight:
            return large ? "Right.png" : "Right_5.png";
        case kPadUp:
            return large ? "Up.png" : "Up_5.png";
        case kPadDown:
            return large ? "Down.png" : "Down_5.png";
        default:
            return nullptr;
    }
}

bool MoveMode() {
    return command == kModeMoveAll || command == kModeMoveSelected;
}

void DrawBackground(cairo_t* cr, int W, int H) {
    GdkPixbuf* camera = interface->captureImage;
    if (camera && std::abs(ViewScale() - interface->cameraInchPerPixel) < 0.25f) {
        const int cw = gdk_pixbuf_get_width(camera), ch = gdk_pixbuf_get_height(camera);
        if (cw > 0 && ch > 0) {
            cairo_save(cr);
            cairo_scale(cr, static_cast<double>(W) / cw, static_cast<double>(H) / ch);
            gdk_cairo_set_source_pixbuf(cr, camera, 0, 0);
            cairo_paint(cr);
            cairo_restore(cr);
            return;
        }
    }
    SetCairoColour(cr, "#CCFFFF");
    cairo_rectangle(cr, 0, 0, W, H + 30);
    cairo_fill(cr);
}

void DrawPadBackground(cairo_t* cr, int W, int H, const PadGeometry& pad) {
    const int x = W - 3 * pad.s - 4 * pad.g, y = H - 3 * pad.s - 4 * pad.g;
    SetCairoColour(cr, "#BBFFFF");
    cairo_rectangle(cr, x, y, W - x, H - y);
    cairo_fill(cr);
}

void DrawBox(cairo_t* cr, GtkWidget* widget, const ViewFrame& frame, int W,
             const PadGeometry& pad) {
    const int current = CurrentPatternBox();
    const PatternBox* box = GetPatternBox(current);
    if (!box || !box->corners) return;
    SetPen(cr, "#FF0000", 1, true);
    bool first = true;
    for (const PatternBoxPoint* c = box->corners; c; c = c->next) {
        const ScreenPoint p = QuiltToScreen(frame, c->x, c->y);
        if (first)
            cairo_move_to(cr, p.x + 0.5, p.y + 0.5);
        else
            cairo_line_to(cr, p.x + 0.5, p.y + 0.5);
        first = false;
    }
    cairo_close_path(cr);
    cairo_stroke(cr);
    cairo_set_dash(cr, nullptr, 0, 0);

    char text[40];
    SetCairoColour(cr, "black");
    std::snprintf(text, sizeof text, "PB: %d OF %d", current + 1, patternBoxList.count);
    DrawText(cr, widget, text, 0, 1, true, W);

    const bool large = icon_style == 1;
    if (current + 1 < kPatternBoxSlots && GetPatternBox(current + 1)) {
        DrawImage(cr, ViewImage(large ? "Right.png" : "Right_5.png", pad.s), W - pad.s, 0, W,
                  pad.s);
        std::snprintf(text, sizeof text, "%d", current + 2);
        SetCairoColour(cr, "black");
        DrawText(cr, widget, text, static_cast<int>(W - pad.s / 1.5), pad.s / 4, false, W);
    }
    if (current > 0 && GetPatternBox(current - 1)) {
        DrawImage(cr, ViewImage(large ? "Left.png" : "Left_5.png", pad.s), 0, 0, W, pad.s);
        std::snprintf(text, sizeof text, "%d", current);
        SetCairoColour(cr, "black");
        DrawText(cr, widget, text, static_cast<int>(pad.s / 2.75), pad.s / 4, false, W);
    }
}

// The selection: the placement's rectangle, or every rectangle of its array.
void DrawSelection(cairo_t* cr, const ViewFrame& frame, const PlacementMarks& mark) {
    SetPen(cr, "#00FF00", 3, true);
    const LayoutNode* node = mark.node;
    if (node->arrayIndex < 0) {
        Rectangle(cr, 3, mark.position.x, mark.position.y, mark.width, mark.height);
    } else {
        for (const LayoutNode* n = patternLayout; n; n = n->next) {
            if (n->arrayIndex != node->arrayIndex) continue;
            const Pattern* p = GetPattern(n->patternIndex);
            if (!p) continue;
            const ScreenPoint at = PlacementToScreen(frame, n->x, n->y);
            Rectangle(cr, 3, at.x, at.y, InchesToPixels(p->width, frame.scale),
                      InchesToPixels(p->height, frame.scale));
        }
    }
    SetPen(cr, "black", 1, false);
}

void DrawPlacements(cairo_t* cr, const ViewFrame& frame, int W, int H) {
    SetPen(cr, "black", 1, false);
    const std::vector<PlacementMarks> marks = LayoutMarks(frame, CurrentPatternBox());
    for (const PlacementMarks& mark : marks) {
        if (mark.node == SelectedNode()) DrawSelection(cr, frame, mark);
        PaintPatternImage(cr, mark.node->patternIndex, mark.position.x, mark.position.y, W, H);
        SetPen(cr, "black", 1, false);
        Line(cr, 1, mark.position.x - 4, mark.position.y, mark.position.x + 4, mark.position.y);
        Line(cr, 1, mark.position.x, mark.position.y - 4, mark.position.x, mark.position.y + 4);
        if (mark.startCircle) {
            SetPen(cr, "#00AA00", 2, false);
            cairo_new_sub_path(cr);
            cairo_arc(cr, mark.start.x, mark.start.y, 8, 0, 2 * G_PI);
            cairo_stroke(cr);
        }
        if (mark.endCross) {
            SetPen(cr, "#FF0000", 2, false);
            Line(cr, 2, mark.end.x - 8, mark.end.y - 8, mark.end.x + 8, mark.end.y + 8);
            Line(cr, 2, mark.end.x - 8, mark.end.y + 8, mark.end.x + 8, mark.end.y - 8);
        }
        SetPen(cr, "black", 1, false);
    }
    const std::vector<QuiltPoint>* hull = HullOutline();
    if (hull && hull->size() > 1) {
        SetPen(cr, "black", 1, false);
        for (size_t i = 0; i < hull->size(); i++) {
            const ScreenPoint p = PlacementToScreen(frame, (*hull)[i].x, (*hull)[i].y);
            if (i == 0)
                cairo_move_to(cr, p.x + 0.5, p.y + 0.5);
            else
                cairo_line_to(cr, p.x + 0.5, p.y + 0.5);
        }
        cairo_close_path(cr);  // the hull is a closed polygon: its last edge too
        cairo_stroke(cr);
    }
}

// The status text at (35, H - 35). In the move modes it is wrapped to the room
// left of the direction pad, its last line where a single line would be.
void DrawStatus(cairo_t* cr, GtkWidget* widget, int W, int H, const PadGeometry& pad) {
    PangoLayout* layout = gtk_widget_create_pango_layout(widget, statusBar);
    int y = H - 35;
    const int room = W - 3 * pad.s - 4 * pad.g - 35 - 4;
    if (MoveMode() && room > 40) {
        int tw = 0, lineHeight = 0, th = 0;
        pango_layout_get_pixel_size(layout, &tw, &lineHeight);
        pango_layout_set_width(layout, room * PANGO_SCALE);
        pango_layout_set_wrap(layout, PANGO_WRAP_WORD);
        pango_layout_get_pixel_size(layout, &tw, &th);
        y -= th - lineHeight;
    }
    cairo_move_to(cr, 35, y);
    pango_cairo_show_layout(cr, layout);
    g_object_unref(layout);
}

void DrawTexts(cairo_t* cr, GtkWidget* widget, int W, int H, const PadGeometry& pad) {
    SetCairoColour(cr, "black");
    if (interface->statusLayout) DrawLayout(cr, interface->statusLayout, 5, H - 30);
    if (statusBar[0]) DrawStatus(cr, widget, W, H, pad);
    if (interface->measureLayout) {
        int tw = 0, th = 0;
        pango_layout_get_pixel_size(interface->measureLayout, &tw, &th);
        DrawLayout(cr, interface->measureLayout, (W - tw) / 2, 0);
    }
    const std::vector<PixelPoint>& points = interface->drawPoints;
    if (points.size() > 1) {
        SetPen(cr, "#00FF00", 1, false);
        cairo_move_to(cr, points[0].x + 0.5, points[0].y + 0.5);
        for (size_t i = 1; i < points.size(); i++)
            cairo_line_to(cr, points[i].x + 0.5, points[i].y + 0.5);
        cairo_stroke(cr);
    }
}

void DrawControls(cairo_t* cr, int W, int H, const PadGeometry& pad) {
    for (int n = 1; n <= 5; n++) {
        int x = 0, y = 0;
        if (editButtonImages[n - 1] && EditButtonOrigin(n, W, H, &x, &y))
            DrawImage(cr, editButtonImages[n - 1], x, y, W, H);
    }
    if (MoveMode()) {
        for (PadButton b : {kPadOk, kPadLeft, kPadRight, kPadUp, kPadDown}) {
            int x = 0, y = 0;
            PadImageOrigin(b, W, H, pad, &x, &y);
            DrawImage(cr, ViewImage(PadImageName(b)), x, y, W, H);
        }
    }
    if (menuReady == 1) DrawImage(cr, ViewImage("Start_32x32.png"), W - 32, 25, W, H);
}

// The grid converted once for cairo, so a redraw does not convert it again:
// made again when DrawGrid has changed gridPixbuf (another version) or replaced it.
unsigned long gridVersion = 0;
struct GridSurface {
    cairo_surface_t* surface = nullptr;
    const GdkPixbuf* from = nullptr;
    unsigned long version = 0;
} gridSurface;

void DrawGridImage(cairo_t* cr, int W, int H) {
    GdkPixbuf* grid = interface->gridPixbuf;
    if (!grid) return;
    GridSurface& g = gridSurface;
    if (!g.surface || g.from != grid || g.version != gridVersion) {
        if (g.surface) cairo_surface_destroy(g.surface);
        g.surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, gdk_pixbuf_get_width(grid),
                                               gdk_pixbuf_get_height(grid));
        cairo_t* to = cairo_create(g.surface);
        gdk_cairo_set_source_pixbuf(to, grid, 0, 0);
        cairo_set_operator(to, CAIRO_OPERATOR_SOURCE);
        cairo_paint(to);
        cairo_destroy(to);
        g.from = grid;
        g.version = gridVersion;
    }
    cairo_set_source_surface(cr, g.surface, 0, 0);
    cairo_rectangle(cr, 0, 0, std::min(W, gdk_pixbuf_get_width(grid)),
                    std::min(H, gdk_pixbuf_get_height(grid)));
    cairo_fill(cr);
}

// Images are cached by name and alpha for the life of the program.
std::map<std::pair<std::string, int>, GdkPixbuf*> imageCache;

}  // namespace

GdkPixbuf* ViewImage(const char* name, int alpha) {
    if (!name) return nullptr;
    const auto key = std::make_pair(std::string(name), alpha);
    auto found = imageCache.find(key);
    if (found != imageCache.end()) return found->second;
    GdkPixbuf* image = LoadRgba(("./images/" + key.first).c_str());
    if (image && alpha >= 0) SetVisibleAlpha(image, alpha);
    imageCache[key] = image;  // a missing image is remembered as none
    return image;
}

void RedrawView() {
    if (interface && isWidget(interface->drawingArea) && interface->drawingArea->window)
        gdk_window_invalidate_rect(interface->drawingArea->window, nullptr, FALSE);
}

int DrawGrid() {
    if (!interface) return 0;
    const int W = std::max(1, view_area_width), H = std::max(1, view_area_height);
    const int spacing = GridSpacing(ViewScale());
    GdkPixbuf*& grid = interface->gridPixbuf;
    if (grid && (gdk_pixbuf_get_width(grid) != W || gdk_pixbuf_get_height(grid) != H)) {
        g_object_unref(grid);
        grid = nullptr;
    }
    if (!grid) grid = gdk_pixbuf_new(GDK_COLORSPACE_RGB, TRUE, 8, W, H);
    if (!grid) return 0;
    ClearPixbuf(grid);
    gridVersion++;
    if (spacing <= 0) return spacing;
    const int w = view_area_width - 4, h = view_area_height - 4;
    for (int i = 0; i <= h / spacing; i++)
        DrawLine(grid, 0, i * spacing, w, i * spacing, 0, 255, 255, kGridAlpha);
    for (int i = 0; i <= w / spacing; i++)
        DrawLine(grid, i * spacing, 0, i * spacing, h, 0, 255, 255, kGridAlpha);
    return spacing;
}

void ZoomAll(GdkWindow* window) {
    if (zoomed == 1 || !window || !interface) return;
    int W = 0, H = 0;
    gdk_drawable_get_size(window, &W, &H);
    if (W <= 1 || H <= 1) return;
    float lw = 0, lh = 0, lx = 0, ly = 0;
    GetLayoutDimensions(&lw, &lh);
    GetLayoutOrigin(&lx, &ly);
    const ZoomFit fit = ComputeZoomAll(W, H, GetPatternBox(CurrentPatternBox()), lw, lh, lx, ly);
    const bool rescaled = fit.scale != ViewScale();
    SetViewScale(fit.scale);
    panX = fit.panX;
    panY = fit.panY;
    DrawGrid();
    if (rescaled) RefreshPatternPix();
}

void ZoomExtents(GdkWindow* window) {
    if (!window || !interface) return;
    int W = 0, H = 0;
    gdk_drawable_get_size(window, &W, &H);
    SetViewScale(ComputeZoomExtents(W, H, extents.get()));
}

GdkPixbuf* DrawButton(int w, int h, const char* text, const char* imagePath, int alpha) {
    GdkPixbuf* image = imagePath ? LoadRgba(imagePath) : nullptr;
    if (!text) {
        if (image) SetVisibleAlpha(image, alpha);
        return image;
    }
    if (w < 1 || h < 1) {
        if (image) g_object_unref(image);
        return nullptr;
    }
    // Composed on pure red, which then becomes the transparent part.
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, w, h);
    cairo_t* cr = cairo_create(surface);
    cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);
    cairo_set_source_rgb(cr, 1, 0, 0);
    cairo_paint(cr);
    if (image) {
        gdk_cairo_set_source_pixbuf(cr, image, (w - gdk_pixbuf_get_width(image)) / 2,
                                    (h - gdk_pixbuf_get_height(image)) / 2);
        cairo_paint(cr);
        g_object_unref(image);
    } else {
        const double grey = 20000.0 / 65535.0;
        cairo_set_source_rgb(cr, grey, grey, grey);
        const double r = std::min(w, h) / 2.0;
        cairo_set_line_width(cr, 1);
        cairo_arc(cr, w / 2.0, h / 2.0, r - 1.5, 0, 2 * G_PI);
        cairo_stroke(cr);
        cairo_arc(cr, w / 2.0, h / 2.0, r - 3, 0, 2 * G_PI);
        cairo_fill(cr);
    }
    PangoLayout* layout = pango_cairo_create_layout(cr);
    cairo_font_options_t* options = cairo_font_options_create();
    cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_NONE);
    pango_cairo_context_set_font_options(pango_layout_get_context(layout), options);
    cairo_font_options_destroy(options);
    pango_layout_context_changed(layout);
    pango_layout_set_text(layout, text, -1);
    int tw = 0, th = 0;
    pango_layout_get_pixel_size(layout, &tw, &th);
    cairo_set_source_rgb(cr, 0, 0, 1);
    cairo_move_to(cr, (w - tw) / 2, (h - th) / 2);
    pango_cairo_show_layout(cr, layout);
    g_object_unref(layout);
    cairo_destroy(cr);
    cairo_surface_flush(surface);

    GdkPixbuf* button = gdk_pixbuf_new(GDK_COLORSPACE_RGB, TRUE, 8, w, h);
    if (button) {
        const unsigned char* source = cairo_image_surface_get_data(surface);
        const int sourceStride = cairo_image_surface_get_stride(surface);
        guchar* target = gdk_pixbuf_get_pixels(button);
        const int targetStride = gdk_pixbuf_get_rowstride(button);
        for (int y = 0; y < h; y++)
            for (int x = 0; x < w; x++) {
                const uint32_t p = *reinterpret_cast<const uint32_t*>(
                    source + static_cast<size_t>(y) * sourceStride + x * 4);
                guchar* t = target + static_cast<size_t>(y) * targetStride + x * 4;
                t[0] = (p >> 16) & 0xFF;
                t[1] = (p >> 8) & 0xFF;
                t[2] = p & 0xFF;
                t[3] = (p & 0xFFFFFF) == 0xFF0000 ? 0 : static_cast<guchar>(alpha);
            }
    }
    cairo_surface_destroy(surface);
    return button;
}

gboolean da_PatternView(GtkWidget* widget, GdkEventExpose*, gpointer) {
    if (!interface || !widget->window) return TRUE;
    int W = widget->allocation.width, H = widget->allocation.height;
    if (W <= 1 || H <= 1) {
        W = view_area_width;
        H = view_area_height;
    }
    if (zoomAll == 1) {
        zoomAll = 0;
        ZoomAll(widget->window);
    }
    if (!interface->gridPixbuf) DrawGrid();
    const PadGeometry pad = PadForIconStyle(icon_style);
    const ViewFrame frame = CurrentViewFrame();

    cairo_t* cr = gdk_cairo_create(widget->window);
    DrawBackground(cr, W, H);
    DrawImage(cr,
              ViewImage(CurrentRun().motorDirection == 0xC8 ? "ReverseArrow_32x32.png"
                                                            : "Forward_32x32.png",
                        kBadgeAlpha),
              0, H - 32, W, H);
    if (MoveMode()) DrawPadBackground(cr, W, H, pad);
    DrawGridImage(cr, W, H);
    DrawBox(cr, widget, frame, W, pad);
    DrawPlacements(cr, frame, W, H);
    DrawTexts(cr, widget, W, H, pad);
    DrawControls(cr, W, H, pad);
    cairo_destroy(cr);
    return TRUE;
}
