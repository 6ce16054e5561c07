// Pure helpers of the camera: choosing the capture size from what the device
// offers, and turning a captured frame into the picture the views draw.
#pragma once

#include <gdk-pixbuf/gdk-pixbuf.h>
// The ioctl request macros come first: the Video4Linux 1 header only pulls
// them in itself when the non-standard "linux" macro is defined.
#include <sys/ioctl.h>

#include <libv4l1-videodev.h>

#include <cstddef>
#include <cstdint>

// Largest capture width or height accepted from a device, pixels. A device
// that reports more is not believed (the frame buffer would be unbounded).
constexpr int kMaxCaptureSide = 4096;

// How the capture size is chosen when none is set (CameraDevice::sizeMode).
enum CaptureSizeMode { kSizeLargest = 0, kSizeSmallest = 1, kSizeHalfLargest = 2 };

// Chooses the capture size from the device's capability block. When *width or
// *height is below 1 the size follows sizeMode (half the largest never goes
// below the smallest); otherwise the given size is kept within the device's
// smallest and largest. Returns 1 with the size stored, 0 when the capability
// is unusable (largest size below 1 or above kMaxCaptureSide, unknown mode).
// Called by the camera start-up.
int ChooseCaptureSize(const video_capability& capability, int sizeMode, int* width, int* height);

// Copies a frame as the device delivers it (the RGB24 palette of Video4Linux
// 1 stores blue, green, red in memory) into red, green, blue order, 3 bytes
// per pixel. Source and target may not overlap. Called by get_image.
void BgrToRgb(const uint8_t* bgr, uint8_t* rgb, size_t pixels);

// A new picture over a copy of an RGB frame of width x height pixels (8 bits,
// 3 channels, no alpha, row stride width x 3). Returns a new reference the
// caller releases, or null when the size is not positive or too large.
// Called by get_image and by tests.
GdkPixbuf* RgbFramePixbuf(const uint8_t* rgb, int width, int height);
