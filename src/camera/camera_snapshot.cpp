// Saving one camera picture as a PNG file.
#include "camera/camera_snapshot.h"

#include "camera/camera_capture.h"
#include "pattern/pattern_thumbnail.h"

int SaveCameraSnapshot(const char* device, const std::string& path, int* width, int* height) {
    GdkPixbuf* picture = nullptr;
    CameraDevice* camera = InitCameraAt(device, &picture);
    FreeCamera(camera);
    if (!picture) return 1;
    if (width) *width = gdk_pixbuf_get_width(picture);
    if (height) *height = gdk_pixbuf_get_height(picture);
    const int saved = SavePixbufAsPng(picture, path);
    g_object_unref(picture);
    return saved ? 0 : 2;
}
