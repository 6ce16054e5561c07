// Rasterising a pattern path into an RGBA image: the off-screen pattern images
// of the layout view, the thumbnails of the pattern chooser and the images the
// companion tool writes all come from these functions, pixel for pixel.
//
// Images are GdkPixbufs with 8 bits per sample and 4 channels (RGBA). A cleared
// pixel is transparent white (255, 255, 255, alpha 0).
#pragma once

#include <vector>

#include "pattern/pattern.h"

typedef struct _GdkPixbuf GdkPixbuf;

// Largest image these functions create: a side of 16384 pixels and 16 million
// pixels in all. Larger requests give none instead of exhausting memory.
constexpr int kMaxImageSide = 16384;
constexpr long kMaxImagePixels = 16L * 1024 * 1024;

// A new cleared RGBA image of (w + 1) x (h + 1) pixels; none when a size is
// negative or the image would exceed the limits above. The caller owns it.
GdkPixbuf* NewPixbuf(int w, int h);

// Sets every pixel of an RGBA image to transparent white; other images are left.
void ClearPixbuf(GdkPixbuf* image);

// A new, uncleared RGBA image sized for the pattern at scale inches per pixel:
// (integer part of width / scale) + 1 by (integer part of height / scale) + 1.
// None when the scale is not positive or the image would exceed the limits.
GdkPixbuf* CreatePixbufFromPattern(const Pattern* pattern, float scale);

// Clears the image and draws the pattern's path into it: point i at
// ((x + offsetX - minX) / scale, (y + offsetY - minY) / scale). A Stop command
// or a point outside the image lifts the pen; a point within 0.05 inch of the
// last remembered point is skipped. Lines are black, or red inside entity number
// highlightEntity (from 1; -1 highlights nothing). Returns the number of points
// remembered (drawn or starting a line), 0 when image or pattern is none.
int DrawPattern(GdkPixbuf* image, const Pattern* pattern, float offsetX, float offsetY, float scale,
                int highlightEntity);

// The size in pixels of a pattern's full image at scale inches per pixel:
// (integer part of width / scale) + 1 by (integer part of height / scale) + 1.
// False when the scale is not positive or the size is beyond any image.
bool PatternImageSize(const Pattern* pattern, float scale, int* width, int* height);

// A window onto a pattern's full image, as two coverage masks of one byte per
// pixel: ink is 255 where the path is drawn black, red 255 where it is drawn
// red (empty when nothing is). Painting black through ink and red through red
// over a picture gives what drawing the RGBA image of DrawPattern over it gives.
struct PatternImageMask {
    int left = 0, top = 0;      // where the window starts in the full image
    int width = 0, height = 0;  // window size in pixels
    int stride = 0;             // bytes per mask row, a multiple of 4
    std::vector<unsigned char> ink;
    std::vector<unsigned char> red;
};

// Draws the window set in mask (left, top, width, height) of the image that
// DrawPattern draws for the pattern at offset 0 into an image of
// PatternImageSize: the same pixels, the rest of the image never drawn. So
// close up only what is seen costs memory, however large the whole image would
// be. False (masks left empty) when the window exceeds the image limits above
// or the scale is not positive.
bool DrawPatternMask(const Pattern* pattern, float scale, int highlightEntity,
                     PatternImageMask& mask);

// Draws a line from (x0, y0) to (x1, y1) stepping along the longer axis from the
// smaller to the larger coordinate, the last one excluded. Pixels outside the
// image are skipped.
void DrawLine(GdkPixbuf* image, int x0, int y0, int x1, int y1, int r, int g, int b, int a);

// Writes one pixel of an 8-bit RGBA image; pixels outside the image and images
// of any other format are left alone.
void DrawPixel(GdkPixbuf* image, int x, int y, int r, int g, int b, int a);

// The thumbnail of a pattern: a cleared w x h image with the path in black,
// scaled to fit (the larger of width / w and height / h inches per pixel),
// pixel row 0 at y = 0. Lines into points on the far edges (pixel w or h) are
// drawn up to the border. None when the size is not positive or too large.
GdkPixbuf* RenderPatternThumbnail(const Pattern* pattern, int w, int h);
