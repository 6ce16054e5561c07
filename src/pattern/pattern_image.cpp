#include "pattern/pattern_image.h"

#include <gdk-pixbuf/gdk-pixbuf.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <vector>

namespace {

constexpr double kMinDrawDistance = 0.05;  // inches: nearer points add nothing visible

bool IsRgba8(GdkPixbuf* image) {
    return image && gdk_pixbuf_get_colorspace(image) == GDK_COLORSPACE_RGB &&
           gdk_pixbuf_get_bits_per_sample(image) == 8 && gdk_pixbuf_get_n_channels(image) == 4 &&
           gdk_pixbuf_get_has_alpha(image);
}

GdkPixbuf* NewRgbaImage(long w, long h) {
    if (w <= 0 || h <= 0 || w > kMaxImageSide || h > kMaxImageSide || w * h > kMaxImagePixels)
        return nullptr;
    return gdk_pixbuf_new(GDK_COLORSPACE_RGB, TRUE, 8, static_cast<int>(w), static_cast<int>(h));
}

// Integer part of v as a pixel coordinate; false when v is not a number or far
// outside any image (so the conversion to int stays defined).
bool ToPixel(double v, int& out) {
    if (!(v > -1.0e9 && v < 1.0e9)) return false;
    out = static_cast<int>(v);
    return true;
}

// Commands grouped by the point they precede: entry i lists, in command order,
// the commands with commandPoint i + 1. Commands after the last point are not
// needed for drawing.
struct CommandIndex {
    std::vector<int> first;  // per point, start in order (pointCount + 1 entries)
    std::vector<int> order;  // command numbers
};

CommandIndex IndexCommands(const Pattern* pattern) {
    CommandIndex index;
    int n = pattern->pointCount;
    index.first.assign(n + 1, 0);
    int commands = static_cast<int>(pattern->commandPoint.size());
    for (int c = 0; c < commands; c++) {
        int point = pattern->commandPoint[c] - 1;
        if (point >= 0 && point < n) index.first[point + 1]++;
    }
    for (int i = 0; i < n; i++)
        index.first[i + 1] += index.first[i];
    index.order.resize(index.first[n]);
    std::vector<int> fill(index.first.begin(), index.first.end() - 1);
    for (int c = 0; c < commands; c++) {
        int point = pattern->commandPoint[c] - 1;
        if (point >= 0 && point < n) index.order[fill[point]++] = c;
    }
    return index;
}

}  // namespace

GdkPixbuf* NewPixbuf(int w, int h) {
    if (w < 0 || h < 0) return nullptr;
    GdkPixbuf* image = NewRgbaImage(static_cast<long>(w) + 1, static_cast<long>(h) + 1);
    ClearPixbuf(image);
    return image;
}

void ClearPixbuf(GdkPixbuf* image) {
    if (!IsRgba8(image)) return;
    // 0x00FFFFFF in RGBA byte order: red, green, blue 255, alpha 0.
    gdk_pixbuf_fill(image, 0xFFFFFF00u);
}

GdkPixbuf* CreatePixbufFromPattern(const Pattern* pattern, float scale) {
    int w = 0, h = 0;
    if (!PatternImageSize(pattern, scale, &w, &h)) return nullptr;
    return NewRgbaImage(w, h);
}

void DrawPixel(GdkPixbuf* image, int x, int y, int r, int g, int b, int a) {
    if (!IsRgba8(image)) return;
    if (x < 0 || y < 0 || x >= gdk_pixbuf_get_width(image) || y >= gdk_pixbuf_get_height(image))
        return;
    guchar* p = gdk_pixbuf_get_pixels(image) +
                static_cast<size_t>(y) * gdk_pixbuf_get_rowstride(image) +
                static_cast<size_t>(x) * 4;
    p[0] = static_cast<guchar>(r);
    p[1] = static_cast<guchar>(g);
    p[2] = static_cast<guchar>(b);
    p[3] = static_cast<guchar>(a);
}

namespace {

// The pixels of a window [x0, x1) x [y0, y1) of a larger image.
struct Window {
    int x0, y0, x1, y1;
};

// The line is y = m x + k in single precision. Along x (the flatter case) each
// column gets one pixel; along y each row gets one, its x found by inverting the
// line (x0 itself for a vertical line, where m is taken as 0). Only the pixels
// inside the window are handed to plot, in image coordinates; which pixels they
// are does not depend on the window.
template <typename Plot>
void RasterLine(int x0, int y0, int x1, int y1, const Window& w, Plot plot) {
    float m = (x1 == x0) ? 0.0f : static_cast<float>(y1 - y0) / static_cast<float>(x1 - x0);
    float k = static_cast<float>(y0) - static_cast<float>(x0) * m;
    if (std::abs(x1 - x0) > std::abs(y1 - y0)) {
        int from = std::max(std::min(x0, x1), w.x0);
        int to = std::min(std::max(x0, x1), w.x1);
        for (int x = from; x < to; x++) {
            int y = 0;
            if (ToPixel(static_cast<float>(x) * m + k, y) && y >= w.y0 && y < w.y1) plot(x, y);
        }
    } else {
        int from = std::max(std::min(y0, y1), w.y0);
        int to = std::min(std::max(y0, y1), w.y1);
        for (int y = from; y < to; y++) {
            int x = x0;
            if (m != 0.0f && !ToPixel((static_cast<float>(y) - k) / m, x)) continue;
            if (x >= w.x0 && x < w.x1) plot(x, y);
        }
    }
}

// The walk of DrawPattern over an image of width x height pixels: line(x0, y0,
// x1, y1, red) for every line drawn. Returns the number of points remembered.
template <typename Line>
int WalkPattern(const Pattern* pattern, float offsetX, float offsetY, float scale,
                int highlightEntity, int width, int height, Line line) {
    CommandIndex commands = IndexCommands(pattern);
    bool penDown = false;
    bool highlighted = false;
    int entity = 0;
    int remembered = 0;
    float lastX = 0, lastY = 0;  // inches, last remembered point
    int lastPx = 0, lastPy = 0;  // its pixel
    for (int i = 0; i < pattern->pointCount; i++) {
        for (int c = commands.first[i]; c < commands.first[i + 1]; c++) {
            switch (pattern->commandType[commands.order[c]]) {
                case PatternCommandType::Stop:
                    penDown = false;
                    break;
                case PatternCommandType::EntityStart:
                    entity++;
                    highlighted = (entity == highlightEntity);
                    break;
                case PatternCommandType::EntityEnd:
                    highlighted = false;
                    break;
                case PatternCommandType::FMark:
                    break;
            }
        }
        float x = pattern->x[i];
        float y = pattern->y[i];
        int px = 0, py = 0;
        if (!ToPixel((x + offsetX - pattern->minX) / scale, px) ||
            !ToPixel((y + offsetY - pattern->minY) / scale, py) || px < 0 || py < 0 ||
            px >= width || py >= height) {
            penDown = false;
            continue;
        }
        if (penDown) {
            double dx = static_cast<double>(x) - lastX;
            double dy = static_cast<double>(y) - lastY;
            if (std::sqrt(dx * dx + dy * dy) <= kMinDrawDistance) continue;
            line(lastPx, lastPy, px, py, highlighted);
        }
        penDown = true;
        lastX = x;
        lastY = y;
        lastPx = px;
        lastPy = py;
        remembered++;
    }
    return remembered;
}

}  // namespace

void DrawLine(GdkPixbuf* image, int x0, int y0, int x1, int y1, int r, int g, int b, int a) {
    if (!IsRgba8(image)) return;
    const Window whole{0, 0, gdk_pixbuf_get_width(image), gdk_pixbuf_get_height(image)};
    RasterLine(x0, y0, x1, y1, whole, [&](int x, int y) { DrawPixel(image, x, y, r, g, b, a); });
}

int DrawPattern(GdkPixbuf* image, const Pattern* pattern, float offsetX, float offsetY, float scale,
                int highlightEntity) {
    if (!IsRgba8(image) || !pattern || !(scale > 0)) return 0;
    ClearPixbuf(image);
    const int width = gdk_pixbuf_get_width(image);
    const int height = gdk_pixbuf_get_height(image);
    const Window whole{0, 0, width, height};
    return WalkPattern(pattern, offsetX, offsetY, scale, highlightEntity, width, height,
                       [&](int x0, int y0, int x1, int y1, bool red) {
                           const int r = red ? 255 : 0;
                           RasterLine(x0, y0, x1, y1, whole,
                                      [&](int x, int y) { DrawPixel(image, x, y, r, 0, 0, 255); });
                       });
}

bool PatternImageSize(const Pattern* pattern, float scale, int* width, int* height) {
    int w = 0, h = 0;
    if (!pattern || !(scale > 0) || !ToPixel(pattern->width / scale, w) ||
        !ToPixel(pattern->height / scale, h) || w < 0 || h < 0 || w >= INT_MAX - 1 ||
        h >= INT_MAX - 1)
        return false;
    *width = w + 1;
    *height = h + 1;
    return true;
}

bool DrawPatternMask(const Pattern* pattern, float scale, int highlightEntity,
                     PatternImageMask& mask) {
    int fullWidth = 0, fullHeight = 0;
    if (!PatternImageSize(pattern, scale, &fullWidth, &fullHeight) || mask.width < 1 ||
        mask.height < 1 || mask.left < 0 || mask.top < 0 || mask.width > kMaxImageSide ||
        mask.height > kMaxImageSide ||
        static_cast<long>(mask.width) * mask.height > kMaxImagePixels)
        return false;
    mask.stride = (mask.width + 3) / 4 * 4;
    const std::size_t bytes = static_cast<std::size_t>(mask.stride) * mask.height;
    mask.ink.assign(bytes, 0);
    mask.red.clear();
    const Window window{mask.left, mask.top, mask.left + mask.width, mask.top + mask.height};
    if (window.x0 >= fullWidth || window.y0 >= fullHeight) return true;
    WalkPattern(pattern, 0.0f, 0.0f, scale, highlightEntity, fullWidth, fullHeight,
                [&](int x0, int y0, int x1, int y1, bool red) {
                    if (red && mask.red.empty()) mask.red.assign(bytes, 0);
                    unsigned char* on = red ? mask.red.data() : mask.ink.data();
                    unsigned char* off = red ? mask.ink.data() : mask.red.data();
                    const bool clearOff = !red && !mask.red.empty();
                    RasterLine(x0, y0, x1, y1, window, [&](int x, int y) {
                        const std::size_t at =
                            static_cast<std::size_t>(y - mask.top) * mask.stride + (x - mask.left);
                        on[at] = 255;
                        if (red || clearOff) off[at] = 0;
                    });
                });
    return true;
}

// The scale puts the pattern's far edge exactly at pixel w (or h), one past the
// last column (row). Drawn on a canvas one pixel larger and then cropped, the
// lines into the pattern's rightmost and lowest points still show instead of
// being dropped as off the image.
GdkPixbuf* RenderPatternThumbnail(const Pattern* pattern, int w, int h) {
    if (!pattern || w < 1 || h < 1) return nullptr;
    GdkPixbuf* image = NewRgbaImage(w, h);
    GdkPixbuf* canvas = NewPixbuf(w, h);
    if (!image || !canvas) {
        if (image) g_object_unref(image);
        if (canvas) g_object_unref(canvas);
        return nullptr;
    }
    float scale = pattern->width / static_cast<float>(w);
    float scaleY = pattern->height / static_cast<float>(h);
    if (scaleY > scale) scale = scaleY;
    // A pattern without extent (a single point) gets any positive scale.
    if (!(scale > 0)) scale = 1.0f;
    DrawPattern(canvas, pattern, 0.0f, 0.0f, scale, -1);
    gdk_pixbuf_copy_area(canvas, 0, 0, w, h, image, 0, 0);
    g_object_unref(canvas);
    return image;
}
