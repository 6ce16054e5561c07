// The stitch-out preview: a picture of a packed stitch path as the run would
// send it. Sewn moves are drawn as thread, jumps and the moves run with
// stitching off dashed, points outside the measured quilt area in red, and on
// top the start with its direction, the lock stitches and the thread cuts.
// One renderer serves every picture of a path: the preview screen and the
// point-selection screen of the program draw it into their views, and
// longarm-tool preview writes it as a PNG file.
//
// Picture geometry, shared with the simulated board's picture of what it did
// (which draws the same way from its own record, so the two can be laid over
// each other):
// - the quilt area is a rectangle of w × h inches from its origin (the layout's
//   extents; the machine's home);
// - margin m = 10 px, scale s = min((W − 2m) / w, (H − 2m) / h) px per inch;
// - a quilt point (x, y) inches lands on pixel (m + (x − origin x)·s,
//   m + (y − origin y)·s), y toward the front of the table drawn downward;
// - white background, area outline 1 px #808080;
// - sewn moves solid 2 px #203080; other moves dashed 1 px #A0A0A0, 4 px on,
//   4 px off; parts outside the area #E00000.
#pragma once

#include <cairo.h>

typedef struct _GdkPixbuf GdkPixbuf;
struct FullPattern_t;
struct PatternBox;

// Picture size when none is given, pixels.
constexpr int kPreviewDefaultWidth = 640;
constexpr int kPreviewDefaultHeight = 480;
// Margin around the quilt area, pixels.
constexpr double kPreviewMargin = 10.0;

// Where the quilt lies in a picture.
struct PreviewFrame {
    double originX = 0, originY = 0;       // inches: the quilt point drawn at (margin, margin)
    double areaX = 0, areaY = 0;           // inches: top-left corner of the outlined area
    double areaWidth = 0, areaHeight = 0;  // inches: the outlined area
    double fitWidth = 0, fitHeight = 0;    // inches: what was fitted (area and path)
    double margin = kPreviewMargin;        // pixels
    double pixelsPerInch = 1;
};

// The frame of a width × height picture of the quilt area: the bounding
// rectangle of `area` when there is one with a surface, otherwise the
// rectangle from the quilt origin (0, 0) to the farthest point of the path (at
// least one inch each way).
PreviewFrame FitPreviewFrame(int width, int height, const PatternBox* area,
                             const FullPattern_t* path);

// Draws the picture of the path into cr, whose origin is the picture's top left
// corner: background and area outline (with `background`), the moves, the
// parts outside `area` (none: nothing is outside), and with `marks` the start,
// its direction, the lock stitches and the thread cuts. jumpStitch (inches) is
// the longest jump sewn without cutting the thread. Leaves cr as it found it.
void DrawStitchPreview(cairo_t* cr, const PreviewFrame& frame, int width, int height,
                       const FullPattern_t* path, const PatternBox* area, float jumpStitch,
                       bool background, bool marks);

// A new width × height picture (each 1 to 4096 pixels) of the path with every
// mark, in the frame that fits the area; none for a bad size. The caller owns it.
GdkPixbuf* RenderStitchPreview(const FullPattern_t* path, const PatternBox* area, float jumpStitch,
                               int width, int height);
