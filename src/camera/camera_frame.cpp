// Capture-size choice and frame conversion of the camera.
#include "camera/camera_frame.h"

#include <algorithm>

int ChooseCaptureSize(const video_capability& capability, int sizeMode, int* width, int* height) {
    const int maxW = capability.maxwidth, maxH = capability.maxheight;
    if (maxW < 1 || maxH < 1 || maxW > kMaxCaptureSide || maxH > kMaxCaptureSide) return 0;
    // A device may report no smallest size; anything from 1 pixel up is then fine.
    const int minW = std::clamp(capability.minwidth, 1, maxW);
    const int minH = std::clamp(capability.minheight, 1, maxH);

    if (*width < 1 || *height < 1) {
        switch (sizeMode) {
            case kSizeLargest:
                *width = maxW;
                *height = maxH;
                break;
            case kSizeSmallest:
                *width = minW;
                *height = minH;
                break;
            case kSizeHalfLargest:
                *width = std::max(maxW / 2, minW);
                *height = std::max(maxH / 2, minH);
                break;
            default:
                return 0;
        }
        return 1;
    }
    *width = std::clamp(*width, minW, maxW);
    *height = std::clamp(*height, minH, maxH);
    return 1;
}

void BgrToRgb(const uint8_t* bgr, uint8_t* rgb, size_t pixels) {
    for (size_t i = 0; i < pixels; ++i) {
        rgb[3 * i] = bgr[3 * i + 2];
        rgb[3 * i + 1] = bgr[3 * i + 1];
        rgb[3 * i + 2] = bgr[3 * i];
    }
}

GdkPixbuf* RgbFramePixbuf(const uint8_t* rgb, int width, int height) {
    if (!rgb || width < 1 || height < 1 || width > kMaxCaptureSide || height > kMaxCaptureSide)
        return nullptr;
    const size_t stride = static_cast<size_t>(width) * 3;
    // The picture owns its own copy, so it outlives the device record and the
    // next frame read into the record's buffer.
    GBytes* bytes = g_bytes_new(rgb, stride * static_cast<size_t>(height));
    GdkPixbuf* picture = gdk_pixbuf_new_from_bytes(bytes, GDK_COLORSPACE_RGB, FALSE, 8, width,
                                                   height, static_cast<int>(stride));
    g_bytes_unref(bytes);
    return picture;
}
