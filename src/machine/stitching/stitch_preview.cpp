// The stitch-out preview. See stitch_preview.h.
#include "machine/stitching/stitch_preview.h"

#include <gdk-pixbuf/gdk-pixbuf.h>

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "layout/pattern_box.h"
#include "machine/stitching/quilt_area_check.h"
#include "machine/stitching/stitch_estimate.h"
#include "machine/stitching/stitch_path.h"

namespace {

struct Colour {
    double r, g, b;
};
constexpr Colour Hex(unsigned rgb) {
    return {((rgb >> 16) & 0xFF) / 255.0, ((rgb >> 8) & 0xFF) / 255.0, (rgb & 0xFF) / 255.0};
}
constexpr Colour kBackground = Hex(0xFFFFFF);
constexpr Colour kOutline = Hex(0x808080);
constexpr Colour kThread = Hex(0x203080);
constexpr Colour kDashed = Hex(0xA0A0A0);
constexpr Colour kOutside = Hex(0xE00000);
constexpr Colour kStart = Hex(0x00A000);
constexpr Colour kLock = Hex(0xFF8800);
constexpr Colour kCut = Hex(0xC000C0);

constexpr double kThreadWidth = 2.0;  // pixels
constexpr double kDash = 4.0;         // pixels on and off
constexpr int kLargestSide = 4096;
constexpr double kLeastArea = 1.0;  // inches: the smallest side of a frame

void SetColour(cairo_t* cr, Colour c) {
    cairo_set_source_rgb(cr, c.r, c.g, c.b);
}

struct Pixel {
    double x, y;
};

Pixel ToPixel(const PreviewFrame& f, const FullPattern_t* p) {
    return {f.margin + (p->x / kPathUnitsPerInch - f.originX) * f.pixelsPerInch,
            f.margin + (p->y / kPathUnitsPerInch - f.originY) * f.pixelsPerInch};
}

bool Outside(const PatternBox* area, const FullPattern_t* p) {
    return area && QuiltAreaOverrunAt(*area, p->x, p->y).inches > kQuiltAreaToleranceInches;
}

// Strokes every move the filter accepts, joining neighbouring moves into one
// line so the joints are drawn as a thread turns.
template <typename Filter>
void StrokeMoves(cairo_t* cr, const PreviewFrame& f, const FullPattern_t* path, Filter accept) {
    bool open = false;
    for (const FullPattern_t* p = path; p && p->next(); p = p->next()) {
        if (!accept(p)) {
            open = false;
            continue;
        }
        const Pixel a = ToPixel(f, p), b = ToPixel(f, p->next());
        if (!open) cairo_move_to(cr, a.x, a.y);
        cairo_line_to(cr, b.x, b.y);
        open = true;
    }
    cairo_stroke(cr);
}

void DrawDot(cairo_t* cr, Pixel at, double radius, Colour c) {
    SetColour(cr, c);
    cairo_new_sub_path(cr);
    cairo_arc(cr, at.x, at.y, radius, 0, 2 * M_PI);
    cairo_fill(cr);
}

// A cross over the middle of a jump: the thread is cut there.
void DrawCut(cairo_t* cr, Pixel a, Pixel b, double size) {
    const double mx = (a.x + b.x) / 2, my = (a.y + b.y) / 2;
    SetColour(cr, kCut);
    cairo_set_line_width(cr, 2);
    cairo_move_to(cr, mx - size, my - size);
    cairo_line_to(cr, mx + size, my + size);
    cairo_move_to(cr, mx - size, my + size);
    cairo_line_to(cr, mx + size, my - size);
    cairo_stroke(cr);
}

// A ring at the start and an arrow along the first stretch of the path that is
// long enough on the picture to show a direction.
void DrawStart(cairo_t* cr, const PreviewFrame& f, const FullPattern_t* path, double k) {
    const Pixel s = ToPixel(f, path);
    SetColour(cr, kStart);
    cairo_set_line_width(cr, 2);
    cairo_new_sub_path(cr);
    cairo_arc(cr, s.x, s.y, 5 * k, 0, 2 * M_PI);
    cairo_stroke(cr);
    const FullPattern_t* towards = path->next();
    for (int n = 0; towards && n < 1000; towards = towards->next(), n++) {
        const Pixel t = ToPixel(f, towards);
        if (std::hypot(t.x - s.x, t.y - s.y) >= 8 * k) break;
    }
    if (!towards) return;
    const Pixel t = ToPixel(f, towards);
    const double angle = std::atan2(t.y - s.y, t.x - s.x);
    const double length = 18 * k, head = 6 * k;
    const Pixel tip = {s.x + length * std::cos(angle), s.y + length * std::sin(angle)};
    cairo_move_to(cr, s.x + 5 * k * std::cos(angle), s.y + 5 * k * std::sin(angle));
    cairo_line_to(cr, tip.x, tip.y);
    cairo_stroke(cr);
    cairo_move_to(cr, tip.x, tip.y);
    cairo_line_to(cr, tip.x - head * std::cos(angle - 0.5), tip.y - head * std::sin(angle - 0.5));
    cairo_line_to(cr, tip.x - head * std::cos(angle + 0.5), tip.y - head * std::sin(angle + 0.5));
    cairo_close_path(cr);
    cairo_fill(cr);
}

// The lock stitches (start, both ends of every jump, end), the thread cuts and
// the start.
void DrawMarks(cairo_t* cr, const PreviewFrame& f, int width, int height, const FullPattern_t* path,
               float jumpStitch) {
    const double k = std::max(1.0, std::min(width, height) / 320.0);
    const FullPattern_t* last = path;
    for (const FullPattern_t* p = path; p && p->next(); p = p->next()) {
        last = p->next();
        if (ClassifyMove(p) != kMoveJump) continue;
        const Pixel a = ToPixel(f, p), b = ToPixel(f, p->next());
        if (std::hypot(p->next()->x - p->x, p->next()->y - p->y) / kPathUnitsPerInch > jumpStitch)
            DrawCut(cr, a, b, 4 * k);
        DrawDot(cr, a, 3 * k, kLock);
        const FullPattern_t* tie = p->next()->next() ? p->next()->next() : p->next();
        DrawDot(cr, ToPixel(f, tie), 3 * k, kLock);
    }
    if (last != path) {
        DrawDot(cr, ToPixel(f, path), 3 * k, kLock);
        DrawDot(cr, ToPixel(f, last), 3 * k, kLock);
        DrawStart(cr, f, path, k);
    }
}

}  // namespace

PreviewFrame FitPreviewFrame(int width, int height, const PatternBox* area,
                             const FullPattern_t* path) {
    PreviewFrame f;
    double left = 0, top = 0, right = kLeastArea, bottom = kLeastArea;
    const bool measured = area && area->width > 0 && area->height > 0 &&
                          std::isfinite(area->width) && std::isfinite(area->height);
    if (measured) {
        left = area->x;
        top = area->y;
        right = area->x + area->width;
        bottom = area->y + area->height;
    }
    // A path beyond the area widens the frame, so its red parts show.
    for (const FullPattern_t* p = path; p; p = p->next()) {
        const double x = p->x / kPathUnitsPerInch, y = p->y / kPathUnitsPerInch;
        if (!std::isfinite(x) || !std::isfinite(y)) continue;
        left = std::min(left, x);
        top = std::min(top, y);
        right = std::max(right, x);
        bottom = std::max(bottom, y);
    }
    f.originX = left;
    f.originY = top;
    // The outline is the area itself, so a part of the path beyond its left
    // or back edge is drawn outside it.
    f.areaX = measured ? area->x : left;
    f.areaY = measured ? area->y : top;
    f.areaWidth = measured ? area->width : right - left;
    f.areaHeight = measured ? area->height : bottom - top;
    f.fitWidth = std::max(right - left, kLeastArea);
    f.fitHeight = std::max(bottom - top, kLeastArea);
    const double s =
        std::min((width - 2 * f.margin) / f.fitWidth, (height - 2 * f.margin) / f.fitHeight);
    f.pixelsPerInch = s > 0 ? s : 1e-3;
    return f;
}

void DrawStitchPreview(cairo_t* cr, const PreviewFrame& f, int width, int height,
                       const FullPattern_t* path, const PatternBox* area, float jumpStitch,
                       bool background, bool marks) {
    cairo_save(cr);
    if (background) {
        SetColour(cr, kBackground);
        cairo_paint(cr);
        if (f.areaWidth > 0 && f.areaHeight > 0) {
            SetColour(cr, kOutline);
            cairo_set_line_width(cr, 1);
            const double x = f.margin + (f.areaX - f.originX) * f.pixelsPerInch;
            const double y = f.margin + (f.areaY - f.originY) * f.pixelsPerInch;
            cairo_rectangle(cr, std::floor(x) + 0.5, std::floor(y) + 0.5,
                            std::round(f.areaWidth * f.pixelsPerInch),
                            std::round(f.areaHeight * f.pixelsPerInch));
            cairo_stroke(cr);
        }
    }
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);

    SetColour(cr, kDashed);
    cairo_set_line_width(cr, 1);
    const double dash[] = {kDash, kDash};
    cairo_set_dash(cr, dash, 2, 0);
    StrokeMoves(cr, f, path, [](const FullPattern_t* p) { return ClassifyMove(p) != kMoveSewn; });
    cairo_set_dash(cr, nullptr, 0, 0);

    SetColour(cr, kThread);
    cairo_set_line_width(cr, kThreadWidth);
    StrokeMoves(cr, f, path, [](const FullPattern_t* p) { return ClassifyMove(p) == kMoveSewn; });

    if (area) {
        SetColour(cr, kOutside);
        StrokeMoves(cr, f, path, [area](const FullPattern_t* p) {
            return Outside(area, p) || Outside(area, p->next());
        });
    }
    if (marks && path) DrawMarks(cr, f, width, height, path, jumpStitch);
    cairo_restore(cr);
}

GdkPixbuf* RenderStitchPreview(const FullPattern_t* path, const PatternBox* area, float jumpStitch,
                               int width, int height) {
    if (width < 1 || height < 1 || width > kLargestSide || height > kLargestSide) return nullptr;
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height);
    if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(surface);
        return nullptr;
    }
    cairo_t* cr = cairo_create(surface);
    DrawStitchPreview(cr, FitPreviewFrame(width, height, area, path), width, height, path, area,
                      jumpStitch, true, true);
    cairo_destroy(cr);
    cairo_surface_flush(surface);

    GdkPixbuf* image = gdk_pixbuf_new(GDK_COLORSPACE_RGB, FALSE, 8, width, height);
    if (image) {
        // RGB24 keeps each pixel as a native-endian 32-bit 0xXXRRGGBB word.
        const unsigned char* source = cairo_image_surface_get_data(surface);
        const int sourceStride = cairo_image_surface_get_stride(surface);
        unsigned char* target = gdk_pixbuf_get_pixels(image);
        const int targetStride = gdk_pixbuf_get_rowstride(image);
        for (int y = 0; y < height; y++) {
            const auto* row = reinterpret_cast<const uint32_t*>(source + y * sourceStride);
            unsigned char* out = target + y * targetStride;
            for (int x = 0; x < width; x++) {
                out[3 * x] = (row[x] >> 16) & 0xFF;
                out[3 * x + 1] = (row[x] >> 8) & 0xFF;
                out[3 * x + 2] = row[x] & 0xFF;
            }
        }
    }
    cairo_surface_destroy(surface);
    return image;
}
