// The camera on the machine head: opened once at start-up through the
// Video4Linux 1 interface (the compatibility layer of libv4l1), it yields one
// picture that the run, trace and layout views draw behind the quilt. No camera
// is the normal case and stays quiet.
#pragma once

#include <gdk-pixbuf/gdk-pixbuf.h>
// The ioctl request macros come first: the Video4Linux 1 header only pulls
// them in itself when the non-standard "linux" macro is defined.
#include <sys/ioctl.h>

#include <libv4l1-videodev.h>
#include <sys/types.h>

#include <cstdint>
#include <string>
#include <vector>

// Start-up values written to the picture block before the first frame.
constexpr int kCameraContrast = 50000;
constexpr int kCameraBrightness = 15000;
// How long a read waits for the device to deliver a frame, milliseconds.
constexpr int kCameraReadTimeoutMs = 3000;

// The opened camera (one, created at start-up, kept in Interface::camera).
struct CameraDevice {
    std::string path;       // device file the record was opened from
    int descriptor = -1;    // open device descriptor; below 0 when closed
    int width = -1;         // capture width, pixels; -1 before it is chosen
    int height = -1;        // capture height, pixels; -1 before it is chosen
    int bytesPerPixel = 0;  // the device's colour depth / 8
    int sizeMode = 2;       // size choice when none is set (CaptureSizeMode)
    // Picture settings as the device reported them before they were changed.
    int contrast = 0, brightness = 0, colour = 0, hue = 0, whiteness = 0;
    video_capability capability{};
    video_picture picture{};  // as written to the device (start-up values)
    video_window window{};    // capture window as read back from the device
    video_mbuf memoryBuffer{};
    int noCapture = 0;           // 1 when the device does not report the capture ability
    std::vector<uint8_t> frame;  // last picture, width x height x 3 bytes, red-green-blue
};

// The device calls the camera makes. The default goes to libv4l1; tests
// install a scripted device. readTimeoutMs bounds the wait for one frame.
struct CameraIo {
    int (*open)(const char* path, int flags);
    int (*close)(int fd);
    int (*ioctl)(int fd, unsigned long request, void* arg);
    ssize_t (*read)(int fd, void* buffer, size_t bytes);
    int readTimeoutMs;
};

// Installs the device calls (copied); null restores libv4l1 with
// kCameraReadTimeoutMs. Called by tests.
void SetCameraIo(const CameraIo* io);

// Opens the camera at the controller's "/dev/video0" (through SystemPath),
// configures it, reads one picture and closes it again. Returns the record
// (caller keeps it, FreeCamera releases it) and stores the picture (a new
// reference) in *firstPicture; without a camera, or when the device gives no
// picture, returns null and stores null. Called once by start-up.
CameraDevice* InitCamera(GdkPixbuf** firstPicture);

// InitCamera on the given device file. Called by InitCamera and by tests.
CameraDevice* InitCameraAt(const char* path, GdkPixbuf** firstPicture);

// Reads the capability, capture-window, picture and memory-buffer blocks of
// the open device and sets the capture size, the window and the picture
// settings. Returns 1 when the camera is ready to deliver frames, 0 when the
// device is not a usable capture device (the reason is logged). A failed
// memory-buffer query only prints its message. Called by InitCameraAt.
int camera_main(CameraDevice* camera);

// Opens the record's device again and restores the capture window and picture
// settings chosen at start-up. Returns 0 opened (or already open), 1 the
// device cannot be opened, 2 no record. Called when a new picture is wanted.
int OpenCamera(CameraDevice* camera);

// Closes the record's device. Returns 0 closed, 1 not open, 2 no record.
int CloseCamera(CameraDevice* camera);

// Reads one frame from the open device into the record's frame buffer and
// returns it as a new picture (RGB, 8 bits, no alpha, row stride width x 3)
// that the caller releases; the previous picture stays valid. Returns null
// without a record, when the device is closed or gives no whole frame in
// time. Called by InitCameraAt and whoever refreshes the picture.
GdkPixbuf* get_image(CameraDevice* camera);

// Closes the device if open and frees the record. Null is allowed.
void FreeCamera(CameraDevice* camera);
