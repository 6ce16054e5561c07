// Camera start-up and capture: against the real libv4l1 on paths that are no
// camera, and against a scripted Video4Linux 1 device for the whole sequence.
#include "camera/camera_capture.h"

#include <dirent.h>
#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <string>
#include <vector>

#include "app/system_paths.h"
#include "camera/camera_frame.h"
#include "support/temp_dir.h"

namespace {

int OpenDescriptorCount() {
    int n = 0;
    if (DIR* d = opendir("/proc/self/fd")) {
        while (readdir(d))
            ++n;
        closedir(d);
    }
    return n;
}

// ------------------------------------------------------------ scripted device

struct FakeDevice {
    std::string path = "/fake/video0";
    int fd = 57;
    int opens = 0, closes = 0;
    bool openNow = false;
    video_capability capability{};
    int capabilityErrno = 0;  // VIDIOCGCAP fails with this when not 0
    video_window window{};
    int adjustWidth = 0, adjustHeight = 0;  // the device's own size for VIDIOCSWIN, when set
    video_picture picture{};
    int rgbErrno = 0;  // VIDIOCSPICT with the RGB24 palette fails with this when not 0
    bool memoryBufferFails = false;
    std::vector<video_window> windowsWritten;
    std::vector<video_picture> picturesWritten;
    int notReadyReads = 0;  // reads answered with EAGAIN before a frame
    int readErrno = 0;      // every read fails with this when not 0
    ssize_t shortBy = 0;    // a frame this many bytes short
    int reads = 0;
    int frameNumber = 0;  // changes the synthetic picture from frame to frame
};

FakeDevice* fake = nullptr;

// The synthetic picture in memory order of the device: blue, green, red.
uint8_t FrameRed(int x, int n) {
    return static_cast<uint8_t>(x * 3 + n);
}
uint8_t FrameGreen(int x, int y) {
    return static_cast<uint8_t>(y * 5 + x);
}
uint8_t FrameBlue(int y) {
    return static_cast<uint8_t>(200 - y);
}

int FakeOpen(const char* path, int) {
    if (fake->path != path) {
        errno = ENOENT;
        return -1;
    }
    ++fake->opens;
    fake->openNow = true;
    return fake->fd;
}

int FakeClose(int fd) {
    EXPECT_EQ(fd, fake->fd);
    EXPECT_TRUE(fake->openNow) << "closed twice";
    ++fake->closes;
    fake->openNow = false;
    return 0;
}

int FakeIoctl(int fd, unsigned long request, void* arg) {
    EXPECT_EQ(fd, fake->fd);
    EXPECT_TRUE(fake->openNow);
    switch (request) {
        case VIDIOCGCAP:
            if (fake->capabilityErrno) {
                errno = fake->capabilityErrno;
                return -1;
            }
            *static_cast<video_capability*>(arg) = fake->capability;
            return 0;
        case VIDIOCGWIN:
            *static_cast<video_window*>(arg) = fake->window;
            return 0;
        case VIDIOCSWIN: {
            video_window w = *static_cast<video_window*>(arg);
            fake->windowsWritten.push_back(w);
            if (fake->adjustWidth) w.width = fake->adjustWidth;
            if (fake->adjustHeight) w.height = fake->adjustHeight;
            fake->window = w;
            return 0;
        }
        case VIDIOCGPICT:
            *static_cast<video_picture*>(arg) = fake->picture;
            return 0;
        case VIDIOCSPICT: {
            const video_picture p = *static_cast<video_picture*>(arg);
            fake->picturesWritten.push_back(p);
            if (p.palette == VIDEO_PALETTE_RGB24 && fake->rgbErrno) {
                errno = fake->rgbErrno;
                return -1;
            }
            fake->picture = p;
            return 0;
        }
        case VIDIOCGMBUF:
            if (fake->memoryBufferFails) {
                errno = EINVAL;
                return -1;
            }
            static_cast<video_mbuf*>(arg)->size = 640 * 480 * 3;
            static_cast<video_mbuf*>(arg)->frames = 2;
            return 0;
    }
    errno = ENOTTY;
    return -1;
}

ssize_t FakeRead(int fd, void* buffer, size_t bytes) {
    EXPECT_EQ(fd, fake->fd);
    ++fake->reads;
    if (fake->readErrno) {
        errno = fake->readErrno;
        return -1;
    }
    if (fake->notReadyReads > 0) {
        --fake->notReadyReads;
        errno = EAGAIN;
        return -1;
    }
    const int w = static_cast<int>(fake->window.width), h = static_cast<int>(fake->window.height);
    EXPECT_EQ(bytes, static_cast<size_t>(w) * h * 3) << "read size differs from the window";
    auto* out = static_cast<uint8_t*>(buffer);
    const size_t frame = std::min(bytes, static_cast<size_t>(w) * h * 3);
    for (size_t i = 0; i + 2 < frame; i += 3) {
        const int x = static_cast<int>(i / 3 % w), y = static_cast<int>(i / 3 / w);
        out[i] = FrameBlue(y);
        out[i + 1] = FrameGreen(x, y);
        out[i + 2] = FrameRed(x, fake->frameNumber);
    }
    ++fake->frameNumber;
    return static_cast<ssize_t>(frame) - fake->shortBy;
}

class ScriptedCamera : public testing::Test {
protected:
    void SetUp() override {
        fake = &device;
        device.capability.type = VID_TYPE_CAPTURE;
        device.capability.maxwidth = 640;
        device.capability.maxheight = 480;
        device.capability.minwidth = 32;
        device.capability.minheight = 24;
        device.picture.brightness = 32768;
        device.picture.hue = 1000;
        device.picture.colour = 2000;
        device.picture.contrast = 3000;
        device.picture.whiteness = 4000;
        device.picture.depth = 16;
        device.picture.palette = VIDEO_PALETTE_YUV420;
        const CameraIo io = {FakeOpen, FakeClose, FakeIoctl, FakeRead, 200};
        SetCameraIo(&io);
    }
    void TearDown() override {
        SetCameraIo(nullptr);
        if (picture) g_object_unref(picture);
        FreeCamera(camera);
        fake = nullptr;
    }

    // Starts the camera on the scripted device, keeping stdout's log lines.
    void Start() {
        testing::internal::CaptureStdout();
        camera = InitCameraAt(device.path.c_str(), &picture);
        log = testing::internal::GetCapturedStdout();
    }

    FakeDevice device;
    CameraDevice* camera = nullptr;
    GdkPixbuf* picture = nullptr;
    std::string log;
};

// Checks that a picture shows the synthetic frame in red-green-blue order.
void ExpectSyntheticPicture(GdkPixbuf* p, int frameNumber) {
    const int w = gdk_pixbuf_get_width(p), h = gdk_pixbuf_get_height(p);
    const int stride = gdk_pixbuf_get_rowstride(p);
    const guchar* px = gdk_pixbuf_read_pixels(p);
    int wrong = 0;
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const guchar* q = px + y * stride + x * 3;
            if (q[0] != FrameRed(x, frameNumber) || q[1] != FrameGreen(x, y) ||
                q[2] != FrameBlue(y))
                ++wrong;
        }
    }
    EXPECT_EQ(wrong, 0);
}

}  // namespace

// ------------------------------------------------------------ no camera at all

TEST(CameraWithoutDevice, MissingDeviceMeansNoRecordNoPictureAndNoNoise) {
    TempDir root;
    ASSERT_EQ(SetSystemRoot(root.path.c_str()), 1);
    GdkPixbuf* picture = reinterpret_cast<GdkPixbuf*>(0x1);  // must be overwritten
    const int before = OpenDescriptorCount();
    testing::internal::CaptureStdout();
    CameraDevice* camera = InitCamera(&picture);
    const std::string log = testing::internal::GetCapturedStdout();
    SetSystemRoot(nullptr);
    EXPECT_EQ(camera, nullptr);
    EXPECT_EQ(picture, nullptr);
    EXPECT_EQ(log, "") << "no camera is the normal case";
    EXPECT_EQ(OpenDescriptorCount(), before);
}

TEST(CameraWithoutDevice, FilesThatAreNoVideoDeviceAreRefusedAndClosed) {
    TempDir dir;
    const std::string regular = dir.File("video0");
    ASSERT_TRUE(WriteFileText(regular, std::string(100000, 'x')));
    for (const std::string& path : {regular, std::string("/dev/null")}) {
        SCOPED_TRACE(path);
        GdkPixbuf* picture = nullptr;
        const int before = OpenDescriptorCount();
        testing::internal::CaptureStdout();
        CameraDevice* camera = InitCameraAt(path.c_str(), &picture);
        const std::string log = testing::internal::GetCapturedStdout();
        EXPECT_EQ(camera, nullptr);
        EXPECT_EQ(picture, nullptr);
        EXPECT_EQ(OpenDescriptorCount(), before) << "device left open";
        EXPECT_NE(log.find("not a video device"), std::string::npos) << log;
    }
    // The regular file is untouched.
    EXPECT_EQ(ReadFileText(regular), std::string(100000, 'x'));
}

TEST(CameraWithoutDevice, OperationsWithoutARecordAnswerTheirCodes) {
    EXPECT_EQ(OpenCamera(nullptr), 2);
    EXPECT_EQ(CloseCamera(nullptr), 2);
    EXPECT_EQ(get_image(nullptr), nullptr);
    EXPECT_EQ(camera_main(nullptr), 0);
    FreeCamera(nullptr);

    CameraDevice closed;
    closed.path = "/nonexistent/video0";
    EXPECT_EQ(CloseCamera(&closed), 1);
    EXPECT_EQ(get_image(&closed), nullptr);
    EXPECT_EQ(OpenCamera(&closed), 1);
    EXPECT_LT(closed.descriptor, 0);
}

// ------------------------------------------------------------ scripted device

TEST_F(ScriptedCamera, StartUpConfiguresTheDeviceReadsOnePictureAndClosesIt) {
    Start();
    ASSERT_NE(camera, nullptr) << log;
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(log, "");

    // Half the largest size, on the capture window at (0, 0) without chroma key.
    EXPECT_EQ(camera->width, 320);
    EXPECT_EQ(camera->height, 240);
    ASSERT_EQ(device.windowsWritten.size(), 1u);
    const video_window& w = device.windowsWritten[0];
    EXPECT_EQ(w.x, 0u);
    EXPECT_EQ(w.y, 0u);
    EXPECT_EQ(w.width, 320u);
    EXPECT_EQ(w.height, 240u);
    EXPECT_EQ(w.chromakey, 0u);
    EXPECT_EQ(w.flags, 0u);

    // The device's settings are kept; the block goes back unchanged, then with
    // the start-up contrast and brightness in 24-bit RGB.
    EXPECT_EQ(camera->contrast, 3000);
    EXPECT_EQ(camera->brightness, 32768);
    EXPECT_EQ(camera->colour, 2000);
    EXPECT_EQ(camera->hue, 1000);
    EXPECT_EQ(camera->whiteness, 4000);
    EXPECT_EQ(camera->bytesPerPixel, 2);
    ASSERT_EQ(device.picturesWritten.size(), 2u);
    EXPECT_EQ(device.picturesWritten[0].contrast, 3000);
    EXPECT_EQ(device.picturesWritten[0].palette, VIDEO_PALETTE_YUV420);
    EXPECT_EQ(device.picturesWritten[1].contrast, kCameraContrast);
    EXPECT_EQ(device.picturesWritten[1].brightness, kCameraBrightness);
    EXPECT_EQ(device.picturesWritten[1].hue, 1000);
    EXPECT_EQ(device.picturesWritten[1].palette, VIDEO_PALETTE_RGB24);
    EXPECT_EQ(device.picturesWritten[1].depth, 24);
    EXPECT_EQ(camera->noCapture, 0);

    // One picture, then the device is closed.
    EXPECT_EQ(device.opens, 1);
    EXPECT_EQ(device.closes, 1);
    EXPECT_LT(camera->descriptor, 0);
    EXPECT_EQ(gdk_pixbuf_get_width(picture), 320);
    EXPECT_EQ(gdk_pixbuf_get_height(picture), 240);
    EXPECT_EQ(gdk_pixbuf_get_n_channels(picture), 3);
    EXPECT_FALSE(gdk_pixbuf_get_has_alpha(picture));
    EXPECT_EQ(gdk_pixbuf_get_bits_per_sample(picture), 8);
    EXPECT_EQ(gdk_pixbuf_get_rowstride(picture), 320 * 3);
    ExpectSyntheticPicture(picture, 0);
    EXPECT_EQ(camera->frame.size(), 320u * 240 * 3);
}

TEST_F(ScriptedCamera, TheSizeTheDeviceReadsBackIsTheSizeRead) {
    device.adjustWidth = 176;
    device.adjustHeight = 144;
    Start();
    ASSERT_NE(camera, nullptr) << log;
    EXPECT_EQ(camera->width, 176);
    EXPECT_EQ(camera->height, 144);
    EXPECT_EQ(gdk_pixbuf_get_width(picture), 176);
    ExpectSyntheticPicture(picture, 0);
}

TEST_F(ScriptedCamera, AFrameNotReadyYetIsWaitedFor) {
    device.notReadyReads = 3;
    Start();
    ASSERT_NE(camera, nullptr) << log;
    EXPECT_EQ(device.reads, 4);
    ExpectSyntheticPicture(picture, 0);
}

TEST_F(ScriptedCamera, ADeviceThatGivesNoPictureLeavesNoRecord) {
    struct Case {
        const char* what;
        int notReady, readErrno;
        ssize_t shortBy;
        const char* logged;
    };
    for (const Case& c : {Case{"never ready", 1000000, 0, 0, "no picture within 200 ms"},
                          Case{"read error", 0, EIO, 0, "no picture (Input/output error)"},
                          Case{"short frame", 0, 0, 10, "incomplete picture"}}) {
        SCOPED_TRACE(c.what);
        device.notReadyReads = c.notReady;
        device.readErrno = c.readErrno;
        device.shortBy = c.shortBy;
        device.opens = device.closes = 0;
        picture = reinterpret_cast<GdkPixbuf*>(0x1);
        Start();
        EXPECT_EQ(camera, nullptr);
        EXPECT_EQ(picture, nullptr);
        EXPECT_EQ(device.opens, 1);
        EXPECT_EQ(device.closes, 1) << "device left open";
        EXPECT_NE(log.find(c.logged), std::string::npos) << log;
    }
}

TEST_F(ScriptedCamera, DevicesThatCannotServeRgbPicturesAreRefused) {
    device.capabilityErrno = ENOTTY;
    Start();
    EXPECT_EQ(camera, nullptr);
    EXPECT_EQ(device.closes, 1);
    EXPECT_EQ(device.reads, 0);

    device.capabilityErrno = 0;
    device.capability.maxwidth = 0;  // no size at all
    Start();
    EXPECT_EQ(camera, nullptr);
    EXPECT_NE(log.find("no usable capture size"), std::string::npos) << log;

    device.capability.maxwidth = 100000;  // an unbelievable size: no huge buffer
    Start();
    EXPECT_EQ(camera, nullptr);

    device.capability.maxwidth = 640;
    device.rgbErrno = EINVAL;
    Start();
    EXPECT_EQ(camera, nullptr);
    EXPECT_NE(log.find("24-bit RGB pictures not available"), std::string::npos) << log;
    EXPECT_EQ(device.reads, 0);
    EXPECT_EQ(device.opens, device.closes);
}

TEST_F(ScriptedCamera, AFailedMemoryBufferQueryOnlyPrintsItsMessage) {
    device.memoryBufferFails = true;
    Start();
    ASSERT_NE(camera, nullptr);
    EXPECT_EQ(log, "Could not connect to video device (/fake/video0).\nPlease check connection.\n");
    ExpectSyntheticPicture(picture, 0);
}

TEST_F(ScriptedCamera, ADeviceWithoutTheCaptureFlagIsMarked) {
    device.capability.type = 0;
    Start();
    ASSERT_NE(camera, nullptr);
    EXPECT_EQ(camera->noCapture, 1);
}

TEST_F(ScriptedCamera, ReopeningRestoresTheSettingsAndANewPictureLeavesTheOldOneIntact) {
    Start();
    ASSERT_NE(camera, nullptr);
    device.window = video_window{};  // the device forgot everything when closed
    device.picture.palette = VIDEO_PALETTE_YUV420;
    ASSERT_EQ(OpenCamera(camera), 0);
    EXPECT_EQ(OpenCamera(camera), 0) << "already open";
    EXPECT_EQ(device.opens, 2);
    EXPECT_EQ(device.window.width, 320u);
    EXPECT_EQ(device.picture.palette, VIDEO_PALETTE_RGB24);
    EXPECT_EQ(device.picture.contrast, kCameraContrast);

    GdkPixbuf* second = get_image(camera);
    ASSERT_NE(second, nullptr);
    ExpectSyntheticPicture(second, 1);
    ExpectSyntheticPicture(picture, 0);  // the first picture owns its pixels
    EXPECT_EQ(CloseCamera(camera), 0);
    EXPECT_EQ(CloseCamera(camera), 1);
    FreeCamera(camera);
    camera = nullptr;
    ExpectSyntheticPicture(second, 1);  // and outlives the record
    g_object_unref(second);
}
