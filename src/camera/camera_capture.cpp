// Camera start-up and frame capture through the Video4Linux 1 interface.
//
// Start-up opens the device, reads its capability block, chooses the capture
// size (half the largest by default), sets the capture window, keeps the
// device's picture settings and writes the start-up contrast and brightness
// with the 24-bit RGB palette, queries the memory-buffer block, reads one
// frame and closes the device again. The device is opened non-blocking and a
// frame is waited for at most kCameraReadTimeoutMs, so a camera that never
// delivers cannot stop the program from starting.
#include "camera/camera_capture.h"

#include <fcntl.h>
#include <libv4l1.h>

#include <cerrno>
#include <cstring>
#include <memory>

#include "base/log.h"
#include "base/system_paths.h"
#include "base/timers.h"
#include "camera/camera_frame.h"

namespace {

int V4lOpen(const char* path, int flags) {
    return v4l1_open(path, flags);
}
int V4lClose(int fd) {
    return v4l1_close(fd);
}
int V4lIoctl(int fd, unsigned long request, void* arg) {
    return v4l1_ioctl(fd, request, arg);
}
ssize_t V4lRead(int fd, void* buffer, size_t bytes) {
    return v4l1_read(fd, buffer, bytes);
}

const CameraIo kLibV4l1 = {V4lOpen, V4lClose, V4lIoctl, V4lRead, kCameraReadTimeoutMs};
CameraIo io = kLibV4l1;

// Pause between two attempts to read a frame that is not ready yet.
constexpr int64_t kReadRetryMicroseconds = 10000;

int Ioctl(int fd, unsigned long request, void* arg) {
    int result;
    do {
        result = io.ioctl(fd, request, arg);
    } while (result < 0 && errno == EINTR);
    return result;
}

// Missing device files are the normal "no camera" case and are not logged.
bool IsQuietOpenFailure(int error) {
    return error == ENOENT || error == ENODEV || error == ENXIO || error == ENOTDIR;
}

// Sets the capture window to the chosen size at (0, 0) and takes the size the
// device reads back, when it reports a usable one.
void SetCaptureWindow(CameraDevice* camera) {
    if (Ioctl(camera->descriptor, VIDIOCGWIN, &camera->window) < 0) camera->window = video_window{};
    camera->window.x = 0;
    camera->window.y = 0;
    camera->window.width = static_cast<uint32_t>(camera->width);
    camera->window.height = static_cast<uint32_t>(camera->height);
    camera->window.chromakey = 0;
    camera->window.flags = 0;
    camera->window.clips = nullptr;
    camera->window.clipcount = 0;
    if (Ioctl(camera->descriptor, VIDIOCSWIN, &camera->window) < 0)
        Log("Camera %s: capture window not set (%s)\n", camera->path.c_str(), strerror(errno));
    video_window back{};
    if (Ioctl(camera->descriptor, VIDIOCGWIN, &back) == 0) {
        camera->window = back;
        if (back.width >= 1 && back.height >= 1 && back.width <= kMaxCaptureSide &&
            back.height <= kMaxCaptureSide) {
            camera->width = static_cast<int>(back.width);
            camera->height = static_cast<int>(back.height);
        }
    }
}

// Keeps the device's picture settings and writes the start-up ones. Returns 1
// when the device accepted 24-bit RGB frames, else 0.
int SetPictureSettings(CameraDevice* camera) {
    video_picture picture{};
    if (Ioctl(camera->descriptor, VIDIOCGPICT, &picture) < 0) {
        Log("Camera %s: picture settings unreadable (%s)\n", camera->path.c_str(), strerror(errno));
        return 0;
    }
    camera->contrast = picture.contrast;
    camera->brightness = picture.brightness;
    camera->colour = picture.colour;
    camera->hue = picture.hue;
    camera->whiteness = picture.whiteness;
    camera->bytesPerPixel = picture.depth / 8;
    Ioctl(camera->descriptor, VIDIOCSPICT, &picture);

    // Frames are read as 3 bytes per pixel: ask for exactly that format.
    picture.contrast = kCameraContrast;
    picture.brightness = kCameraBrightness;
    picture.palette = VIDEO_PALETTE_RGB24;
    picture.depth = 24;
    if (Ioctl(camera->descriptor, VIDIOCSPICT, &picture) < 0) {
        Log("Camera %s: 24-bit RGB pictures not available (%s)\n", camera->path.c_str(),
            strerror(errno));
        return 0;
    }
    camera->picture = picture;
    return 1;
}

}  // namespace

void SetCameraIo(const CameraIo* replacement) {
    io = replacement ? *replacement : kLibV4l1;
}

CameraDevice* InitCamera(GdkPixbuf** firstPicture) {
    const std::string path = SystemPath("/dev/video0");
    return InitCameraAt(path.c_str(), firstPicture);
}

CameraDevice* InitCameraAt(const char* path, GdkPixbuf** firstPicture) {
    if (firstPicture) *firstPicture = nullptr;
    if (!path || !*path) return nullptr;
    auto camera = std::make_unique<CameraDevice>();
    camera->path = path;
    camera->sizeMode = kSizeHalfLargest;
    if (OpenCamera(camera.get()) != 0) return nullptr;
    if (!camera_main(camera.get())) {
        CloseCamera(camera.get());
        return nullptr;
    }
    GdkPixbuf* picture = get_image(camera.get());
    CloseCamera(camera.get());
    if (!picture) return nullptr;
    if (firstPicture)
        *firstPicture = picture;
    else
        g_object_unref(picture);
    return camera.release();
}

int camera_main(CameraDevice* camera) {
    if (!camera || camera->descriptor < 0) return 0;
    const char* path = camera->path.c_str();
    if (Ioctl(camera->descriptor, VIDIOCGCAP, &camera->capability) < 0) {
        Log("Camera %s: not a video device (%s)\n", path, strerror(errno));
        return 0;
    }
    camera->capability.name[sizeof camera->capability.name - 1] = '\0';
    if (!ChooseCaptureSize(camera->capability, camera->sizeMode, &camera->width, &camera->height)) {
        Log("Camera %s: no usable capture size (%d x %d)\n", path, camera->capability.maxwidth,
            camera->capability.maxheight);
        return 0;
    }
    camera->noCapture = (camera->capability.type & VID_TYPE_CAPTURE) ? 0 : 1;

    SetCaptureWindow(camera);
    if (!SetPictureSettings(camera)) return 0;

    if (Ioctl(camera->descriptor, VIDIOCGMBUF, &camera->memoryBuffer) < 0)
        Log("Could not connect to video device (%s).\nPlease check connection.\n", path);

    camera->frame.assign(static_cast<size_t>(camera->width) * camera->height * 3, 0);
    return 1;
}

int OpenCamera(CameraDevice* camera) {
    if (!camera) return 2;
    if (camera->descriptor >= 0) return 0;
    const int fd = io.open(camera->path.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        if (!IsQuietOpenFailure(errno))
            Log("Camera %s: cannot open (%s)\n", camera->path.c_str(), strerror(errno));
        return 1;
    }
    camera->descriptor = fd;
    // A record configured before: the device forgets its settings when closed.
    if (camera->width >= 1 && camera->height >= 1 && camera->picture.depth == 24) {
        video_window window = camera->window;
        window.clips = nullptr;
        window.clipcount = 0;
        Ioctl(fd, VIDIOCSWIN, &window);
        video_picture picture = camera->picture;
        Ioctl(fd, VIDIOCSPICT, &picture);
    }
    return 0;
}

int CloseCamera(CameraDevice* camera) {
    if (!camera) return 2;
    if (camera->descriptor < 0) return 1;
    io.close(camera->descriptor);
    camera->descriptor = -1;
    return 0;
}

GdkPixbuf* get_image(CameraDevice* camera) {
    if (!camera || camera->descriptor < 0) return nullptr;
    if (camera->width < 1 || camera->height < 1 || camera->width > kMaxCaptureSide ||
        camera->height > kMaxCaptureSide)
        return nullptr;
    const size_t pixels = static_cast<size_t>(camera->width) * camera->height;
    const size_t bytes = pixels * 3;
    std::vector<uint8_t> scratch(bytes);

    // One read delivers one whole frame; a frame not ready yet is waited for.
    const int64_t deadline = MonotonicMs() + io.readTimeoutMs;
    for (;;) {
        const ssize_t got = io.read(camera->descriptor, scratch.data(), bytes);
        if (got == static_cast<ssize_t>(bytes)) break;
        if (got < 0 && (errno == EAGAIN || errno == EINTR)) {
            if (MonotonicMs() < deadline) {
                SleepMicroseconds(kReadRetryMicroseconds);
                continue;
            }
            Log("Camera %s: no picture within %d ms\n", camera->path.c_str(), io.readTimeoutMs);
        } else if (got < 0) {
            Log("Camera %s: no picture (%s)\n", camera->path.c_str(), strerror(errno));
        } else {
            Log("Camera %s: incomplete picture (%zd of %zu bytes)\n", camera->path.c_str(), got,
                bytes);
        }
        return nullptr;
    }
    camera->frame.resize(bytes);
    BgrToRgb(scratch.data(), camera->frame.data(), pixels);
    return RgbFramePixbuf(camera->frame.data(), camera->width, camera->height);
}

void FreeCamera(CameraDevice* camera) {
    if (!camera) return;
    CloseCamera(camera);
    delete camera;
}
