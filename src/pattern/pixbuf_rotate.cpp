// Image turn of the previews. See pixbuf_rotate.h.
#include "pattern/pixbuf_rotate.h"

#include <gdk-pixbuf/gdk-pixbuf.h>

#include <algorithm>
#include <cmath>
#include <cstring>

GdkPixbuf* RotatePixbuf(const GdkPixbuf* image, double angle) {
    if (!image) return nullptr;
    auto* src = const_cast<GdkPixbuf*>(image);
    const int channels = gdk_pixbuf_get_n_channels(src);
    if (gdk_pixbuf_get_bits_per_sample(src) != 8 ||
        gdk_pixbuf_get_colorspace(src) != GDK_COLORSPACE_RGB || (channels != 3 && channels != 4))
        return nullptr;
    const int w = gdk_pixbuf_get_width(src), h = gdk_pixbuf_get_height(src);
    const int srcStride = gdk_pixbuf_get_rowstride(src);
    const guchar* srcPixels = gdk_pixbuf_get_pixels(src);
    const bool hasAlpha = gdk_pixbuf_get_has_alpha(src);

    const double c = std::cos(angle), s = std::sin(angle);
    const int dw = std::max(2, static_cast<int>(std::fabs(w * c) + std::fabs(h * s)));
    const int dh = std::max(2, static_cast<int>(std::fabs(h * c) + std::fabs(w * s)));
    GdkPixbuf* turned = gdk_pixbuf_new(GDK_COLORSPACE_RGB, TRUE, 8, dw, dh);
    if (!turned) return nullptr;
    gdk_pixbuf_fill(turned, 0xFFFFFF00u);  // transparent white
    const int dstStride = gdk_pixbuf_get_rowstride(turned);
    guchar* dstPixels = gdk_pixbuf_get_pixels(turned);

    // Each destination pixel turned back by -angle about the centres finds
    // the source pixel that lands there.
    const double scx = w / 2.0, scy = h / 2.0, dcx = dw / 2.0, dcy = dh / 2.0;
    int minX = dw, minY = dh, maxX = -1, maxY = -1;
    for (int y = 0; y < dh; y++) {
        for (int x = 0; x < dw; x++) {
            const double rx = x + 0.5 - dcx, ry = y + 0.5 - dcy;
            const int sx = static_cast<int>(std::floor(scx + rx * c + ry * s));
            const int sy = static_cast<int>(std::floor(scy - rx * s + ry * c));
            if (sx < 0 || sy < 0 || sx >= w || sy >= h) continue;
            const guchar* p = srcPixels + sy * srcStride + sx * channels;
            const guchar alpha = hasAlpha ? p[3] : 255;
            const bool visible = hasAlpha ? alpha != 0 : (p[0] | p[1] | p[2]) != 0;
            if (!visible) continue;
            guchar* q = dstPixels + y * dstStride + x * 4;
            q[0] = p[0];
            q[1] = p[1];
            q[2] = p[2];
            q[3] = alpha;
            if (alpha == 255) {
                minX = std::min(minX, x);
                minY = std::min(minY, y);
                maxX = std::max(maxX, x);
                maxY = std::max(maxY, y);
            }
        }
    }
    if (maxX < 0) return turned;
    GdkPixbuf* cropped =
        gdk_pixbuf_new(GDK_COLORSPACE_RGB, TRUE, 8, maxX - minX + 1, maxY - minY + 1);
    if (!cropped) return turned;
    gdk_pixbuf_copy_area(turned, minX, minY, maxX - minX + 1, maxY - minY + 1, cropped, 0, 0);
    g_object_unref(turned);
    return cropped;
}
