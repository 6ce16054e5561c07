#include "head_picture.h"

#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <memory>

namespace {

constexpr double kMargin = 10;           // pixels
constexpr double kJoinTolerance = 0.01;  // thousandths: a move that starts where the last ended

struct SurfaceFree {
    void operator()(cairo_surface_t* s) const { cairo_surface_destroy(s); }
};
struct ContextFree {
    void operator()(cairo_t* c) const { cairo_destroy(c); }
};

// Where quilt points land: pixel = m + (inches - origin) * scale.
struct Placement {
    double originX, originY, scale;
    double X(double thou) const { return kMargin + (thou / 1000.0 - originX) * scale; }
    double Y(double thou) const { return kMargin + (thou / 1000.0 - originY) * scale; }
};

double Scale(const QuiltArea& area, const PictureSettings& settings) {
    double sx = area.width > 0 ? (settings.width - 2 * kMargin) / area.width : HUGE_VAL;
    double sy = area.height > 0 ? (settings.height - 2 * kMargin) / area.height : HUGE_VAL;
    double s = std::min(sx, sy);
    return std::isfinite(s) && s > 0 ? s : 1.0;
}

void SetColour(cairo_t* cr, unsigned rgb) {
    cairo_set_source_rgb(cr, (rgb >> 16 & 0xFF) / 255.0, (rgb >> 8 & 0xFF) / 255.0,
                         (rgb & 0xFF) / 255.0);
}

// Adds the moves with the given stitching to the path, joining moves that
// follow on from each other into one line so dashes run on along it.
void AddMoves(cairo_t* cr, const Board& board, const Placement& p, bool stitched) {
    const TrackSegment* last = nullptr;
    for (const TrackSegment& s : board.track.segments) {
        if (s.stitched != stitched) {
            last = nullptr;
            continue;
        }
        double x0 = s.x0 - board.track.homeX, y0 = s.y0 - board.track.homeY;
        if (!last || std::fabs(last->x1 - s.x0) > kJoinTolerance ||
            std::fabs(last->y1 - s.y0) > kJoinTolerance)
            cairo_move_to(cr, p.X(x0), p.Y(y0));
        cairo_line_to(cr, p.X(s.x1 - board.track.homeX), p.Y(s.y1 - board.track.homeY));
        last = &s;
    }
}

cairo_status_t AppendPng(void* closure, const unsigned char* data, unsigned int length) {
    static_cast<std::string*>(closure)->append(reinterpret_cast<const char*>(data), length);
    return CAIRO_STATUS_SUCCESS;
}

}  // namespace

QuiltArea PictureArea(const Board& board) {
    const PictureSettings& settings = board.picture;
    if (settings.areaWidth > 0 && settings.areaHeight > 0)
        return QuiltArea{0, 0, settings.areaWidth, settings.areaHeight};
    const HeadTrack& t = board.track;
    double x0 = 0, y0 = 0, x1 = 0, y1 = 0;  // thousandths from the present home
    auto take = [&](double x, double y) {
        x0 = std::min(x0, x), y0 = std::min(y0, y), x1 = std::max(x1, x), y1 = std::max(y1, y);
    };
    if (t.extentsSet) {
        take(t.extentsX, t.extentsY);
    } else {
        for (const TrackSegment& s : t.segments) {
            take(s.x0 - t.homeX, s.y0 - t.homeY);
            take(s.x1 - t.homeX, s.y1 - t.homeY);
        }
    }
    return QuiltArea{x0 / 1000, y0 / 1000, (x1 - x0) / 1000, (y1 - y0) / 1000};
}

bool SaveHeadPicture(const Board& board, const std::string& path, std::string& error) {
    const PictureSettings& settings = board.picture;
    QuiltArea area = PictureArea(board);
    Placement p{area.x, area.y, Scale(area, settings)};
    std::unique_ptr<cairo_surface_t, SurfaceFree> surface(
        cairo_image_surface_create(CAIRO_FORMAT_RGB24, settings.width, settings.height));
    std::unique_ptr<cairo_t, ContextFree> context(cairo_create(surface.get()));
    cairo_t* cr = context.get();
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_paint(cr);
    SetColour(cr, 0x808080);
    cairo_set_line_width(cr, 1);
    cairo_rectangle(cr, kMargin, kMargin, area.width * p.scale, area.height * p.scale);
    cairo_stroke(cr);

    const double dashes[] = {4, 4};
    SetColour(cr, 0xA0A0A0);
    cairo_set_dash(cr, dashes, 2, 0);
    AddMoves(cr, board, p, false);
    cairo_stroke(cr);
    SetColour(cr, 0x203080);
    cairo_set_dash(cr, nullptr, 0, 0);
    cairo_set_line_width(cr, 2);
    AddMoves(cr, board, p, true);
    cairo_stroke(cr);

    std::string png;
    cairo_surface_flush(surface.get());
    if (cairo_status(cr) != CAIRO_STATUS_SUCCESS ||
        cairo_surface_write_to_png_stream(surface.get(), AppendPng, &png) != CAIRO_STATUS_SUCCESS) {
        error = "cannot draw the picture " + path;
        return false;
    }
    return SaveFileSafely(path, png, error);
}
