// The camera: capture-size choice and frame conversion, start-up and capture on
// a scripted Video4Linux 1 device and on paths that are no camera.
#include <gdk-pixbuf/gdk-pixbuf.h>
#include <gtest/gtest.h>
#include <libv4l1-videodev.h>

#include <cerrno>
#include <filesystem>
#include <string>
#include <vector>

#include "base/system_paths.h"
#include "base/timers.h"
#include "camera/camera_capture.h"
#include "camera/camera_frame.h"
#include "support/captured_log.h"
#include "support/temp_dir.h"

// Colour c (0 red, 1 green, 2 blue) of pixel (x, y) of synthetic frame n.
inline uint8_t FramePixel(int x, int y, int n, int c) {
    return static_cast<uint8_t>(c == 0 ? x * 3 + n : c == 1 ? y * 5 + x : 200 - y);
}

// At first a capture device of 32 x 24 to 640 x 480 pixels in a YUV format,
// picture settings brightness 32768, hue 1000, colour 2000, contrast 3000,
// whiteness 4000, depth 16.
struct FakeDevice {
    std::string path = "/fake/video0";
    static constexpr int fd = 57;
    int opens = 0, closes = 0, reads = 0;
    bool openNow = false;
    video_capability capability{{}, VID_TYPE_CAPTURE, 0, 0, 640, 480, 32, 24};
    int capabilityErrno = 0;  // VIDIOCGCAP fails with this when not 0
    video_window window{};
    int adjustWidth = 0, adjustHeight = 0;  // the device's own size for VIDIOCSWIN, when set
    video_picture picture{32768, 1000, 2000, 3000, 4000, 16, VIDEO_PALETTE_YUV420};
    int rgbErrno = 0;  // VIDIOCSPICT with the RGB24 palette fails with this when not 0
    bool memoryBufferFails = false;
    std::vector<video_window> windowsWritten;
    std::vector<video_picture> picturesWritten;
    int notReadyReads = 0;  // reads answered with EAGAIN before a frame
    int readErrno = 0;      // every read fails with this when not 0
    ssize_t shortBy = 0;    // a frame this many bytes short
    int frameNumber = 0;    // of the next synthetic picture

    static inline FakeDevice* installed = nullptr;

    static int Fail(int error) {
        errno = error;
        return -1;
    }
    static int Ioctl(int fd, unsigned long request, void* arg) {
        FakeDevice& d = *installed;
        EXPECT_TRUE(fd == d.fd && d.openNow);
        switch (request) {
            case VIDIOCGCAP:
                if (d.capabilityErrno) return Fail(d.capabilityErrno);
                *static_cast<video_capability*>(arg) = d.capability;
                return 0;
            case VIDIOCGWIN:
                *static_cast<video_window*>(arg) = d.window;
                return 0;
            case VIDIOCSWIN:
                d.windowsWritten.push_back(d.window = *static_cast<video_window*>(arg));
                if (d.adjustWidth) d.window.width = d.adjustWidth;
                if (d.adjustHeight) d.window.height = d.adjustHeight;
                return 0;
            case VIDIOCGPICT:
                *static_cast<video_picture*>(arg) = d.picture;
                return 0;
            case VIDIOCSPICT: {
                const video_picture p = *static_cast<video_picture*>(arg);
                d.picturesWritten.push_back(p);
                if (p.palette == VIDEO_PALETTE_RGB24 && d.rgbErrno) return Fail(d.rgbErrno);
                d.picture = p;
                return 0;
            }
            case VIDIOCGMBUF:
                if (d.memoryBufferFails) return Fail(EINVAL);
                *static_cast<video_mbuf*>(arg) = video_mbuf{640 * 480 * 3, 2, {}};
                return 0;
        }
        return Fail(ENOTTY);
    }
    static ssize_t Read(int fd, void* buffer, size_t bytes) {
        FakeDevice& d = *installed;
        EXPECT_EQ(fd, d.fd);
        ++d.reads;
        if (d.readErrno) return Fail(d.readErrno);
        if (d.notReadyReads > 0 && d.notReadyReads--) return Fail(EAGAIN);
        const size_t w = d.window.width, frame = w * d.window.height * 3;
        EXPECT_EQ(bytes, frame) << "read size differs from the window";
        auto* out = static_cast<uint8_t*>(buffer);
        for (size_t i = 0; i < std::min(bytes, frame); ++i)
            out[i] = FramePixel(i / 3 % w, i / 3 / w, d.frameNumber, 2 - i % 3);
        ++d.frameNumber;
        return static_cast<ssize_t>(std::min(bytes, frame)) - d.shortBy;
    }
};

// Routes the camera module's device calls to the device (read time-out 200
// ms); null restores the real libv4l1.
inline void InstallFakeDevice(FakeDevice* device) {
    FakeDevice::installed = device;
    if (!device) return SetCameraIo(nullptr);
    const CameraIo io = {[](const char* path, int) {
                             FakeDevice& d = *FakeDevice::installed;
                             if (d.path != path) return FakeDevice::Fail(ENOENT);
                             ++d.opens;
                             d.openNow = true;
                             return d.fd;
                         },
                         [](int fd) {
                             FakeDevice& d = *FakeDevice::installed;
                             EXPECT_TRUE(fd == d.fd && d.openNow) << "closed twice";
                             ++d.closes;
                             d.openNow = false;
                             return 0;
                         },
                         FakeDevice::Ioctl, FakeDevice::Read, 200};
    SetCameraIo(&io);
}

// Checks that a picture shows synthetic frame n in red-green-blue order.
inline void ExpectSyntheticPicture(GdkPixbuf* p, int n) {
    ASSERT_NE(p, nullptr);
    const int stride = gdk_pixbuf_get_rowstride(p), channels = gdk_pixbuf_get_n_channels(p);
    const guchar* px = gdk_pixbuf_read_pixels(p);
    int wrong = 0;
    for (int y = 0; y < gdk_pixbuf_get_height(p); ++y)
        for (int x = 0; x < gdk_pixbuf_get_width(p); ++x)
            for (int c = 0; c < 3; ++c)
                wrong += px[y * stride + x * channels + c] != FramePixel(x, y, n, c);
    EXPECT_EQ(wrong, 0);
}

namespace {

TEST(CameraWithoutDevice, SizeChoiceTightFramesNoDeviceNoRecordAndOperationsAnswerTheirCodes) {
    const struct {
        const char* what;
        int minW, minH, maxW, maxH;
        int mode, width, height;  // the size asked (-1: unset)
        int result, chosenWidth, chosenHeight;
    } cases[] = {
        {"unset: largest", 48, 32, 640, 480, kSizeLargest, -1, -1, 1, 640, 480},
        {"unset: smallest", 48, 32, 640, 480, kSizeSmallest, -1, -1, 1, 48, 32},
        {"unset: half", 48, 32, 640, 480, kSizeHalfLargest, -1, -1, 1, 320, 240},
        {"one side unset is unset", 48, 32, 640, 480, kSizeHalfLargest, 200, 0, 1, 320, 240},
        {"half never below the smallest", 100, 100, 160, 120, kSizeHalfLargest, -1, -1, 1, 100,
         100},
        {"given: kept within the limits", 48, 32, 640, 480, kSizeLargest, 800, 10, 1, 640, 32},
        {"no smallest: one pixel", 0, 0, 640, 480, kSizeSmallest, -1, -1, 1, 1, 1},
        {"smallest above largest", 900, 900, 640, 480, kSizeSmallest, -1, -1, 1, 640, 480},
        {"no width", 0, 0, 0, 480, kSizeLargest, -1, -1, 0, -1, -1},
        {"too wide", 0, 0, kMaxCaptureSide + 1, 480, kSizeLargest, -1, -1, 0, -1, -1},
        {"unknown mode", 0, 0, 640, 480, 7, -1, -1, 0, -1, -1},
    };
    for (const auto& c : cases) {
        const video_capability cap{{}, VID_TYPE_CAPTURE, 0, 0, c.maxW, c.maxH, c.minW, c.minH};
        int w = c.width, h = c.height;
        EXPECT_EQ(ChooseCaptureSize(cap, c.mode, &w, &h), c.result) << c.what;
        EXPECT_EQ(c.result ? std::pair(w, h) : std::pair(-1, -1),
                  std::pair(c.chosenWidth, c.chosenHeight))
            << c.what;
    }

    // A picture 3 wide: rows of 9 bytes, which a padded image would round up to 12.
    std::vector<uint8_t> rgb(3 * 2 * 3);
    for (size_t i = 0; i < rgb.size(); ++i)
        rgb[i] = static_cast<uint8_t>(i * 11);
    GdkPixbuf* p = RgbFramePixbuf(rgb.data(), 3, 2);
    ASSERT_NE(p, nullptr);
    EXPECT_EQ((std::vector<int>{gdk_pixbuf_get_width(p), gdk_pixbuf_get_height(p),
                                gdk_pixbuf_get_rowstride(p), gdk_pixbuf_get_n_channels(p),
                                gdk_pixbuf_get_has_alpha(p)}),
              (std::vector<int>{3, 2, 9, 3, 0}));
    const std::vector<uint8_t> expected = rgb;
    std::fill(rgb.begin(), rgb.end(), 0);  // the caller's buffer is reused
    const guchar* px = gdk_pixbuf_read_pixels(p);
    EXPECT_EQ(std::vector<uint8_t>(px, px + expected.size()), expected);
    g_object_unref(p);
    EXPECT_EQ(RgbFramePixbuf(nullptr, 3, 2), nullptr);
    EXPECT_EQ(RgbFramePixbuf(expected.data(), 0, 2), nullptr);
    EXPECT_EQ(RgbFramePixbuf(expected.data(), 3, -1), nullptr);

    // No camera is the normal case and logs nothing; a file that is no video
    // device is refused, closed and left untouched.
    auto OpenDescriptorCount = [] {
        return std::distance(std::filesystem::directory_iterator("/proc/self/fd"), {});
    };
    TempDir dir;
    const std::string regular = dir.File("video0");
    ASSERT_TRUE(WriteFileText(regular, std::string(100000, 'x')));
    ASSERT_EQ(SetSystemRoot(dir.path.c_str()), 1);  // no dev/video0 below it
    for (const std::string& path : {std::string(), regular, std::string("/dev/null")}) {
        GdkPixbuf* picture = reinterpret_cast<GdkPixbuf*>(0x1);  // must be overwritten
        const long before = OpenDescriptorCount();
        CameraDevice* camera = nullptr;
        const std::string log = Logged([&] {
            camera = path.empty() ? InitCamera(&picture) : InitCameraAt(path.c_str(), &picture);
        });
        EXPECT_TRUE(!camera && !picture) << path;
        EXPECT_EQ(OpenDescriptorCount(), before) << path;
        EXPECT_EQ(log.empty(), path.empty()) << log;
        EXPECT_TRUE(path.empty() || log.find("not a video device") != std::string::npos) << log;
    }
    SetSystemRoot(nullptr);
    EXPECT_EQ(ReadFileText(regular), std::string(100000, 'x'));

    FreeCamera(nullptr);
    CameraDevice closed;
    closed.path = "/nonexistent/video0";
    EXPECT_TRUE(!get_image(nullptr) && !get_image(&closed));
    EXPECT_EQ((std::vector<int>{OpenCamera(nullptr), CloseCamera(nullptr), camera_main(nullptr),
                                CloseCamera(&closed), OpenCamera(&closed)}),
              (std::vector<int>{2, 2, 0, 1, 1}));
    EXPECT_LT(closed.descriptor, 0);
}

struct ScriptedCamera : testing::Test {
    void SetUp() override {
        InstallFakeDevice(&device);
        UseManualClock();  // a frame that never comes is given up at once
    }
    void TearDown() override {
        UseRealClock();
        InstallFakeDevice(nullptr);
        Drop();
    }
    void Start() {
        log = Logged([&] { camera = InitCameraAt(device.path.c_str(), &picture); });
    }
    void Drop() {
        if (picture) g_object_unref(picture);
        FreeCamera(camera);
        picture = nullptr;
        camera = nullptr;
    }
    FakeDevice device;
    CameraDevice* camera = nullptr;
    GdkPixbuf* picture = nullptr;
    std::string log;
};

TEST_F(ScriptedCamera,
       StartUpConfiguresReadsOnePictureAndClosesTheSizeReadBackIsUsedNoRgbNoRecord) {
    Start();
    ASSERT_NE(camera, nullptr) << log;
    EXPECT_EQ(log, "");
    // Half the largest size, on the capture window at (0, 0) without chroma key.
    EXPECT_EQ(std::pair(camera->width, camera->height), std::pair(320, 240));
    ASSERT_EQ(device.windowsWritten.size(), 1u);
    const video_window& w = device.windowsWritten[0];
    EXPECT_EQ((std::vector<unsigned>{w.x, w.y, w.width, w.height, w.chromakey, w.flags}),
              (std::vector<unsigned>{0, 0, 320, 240, 0, 0}));
    // The device's settings are kept; the block goes back unchanged, then with
    // the start-up contrast and brightness in 24-bit RGB.
    EXPECT_EQ((std::vector<int>{camera->contrast, camera->brightness, camera->colour, camera->hue,
                                camera->whiteness, camera->bytesPerPixel, camera->noCapture}),
              (std::vector<int>{3000, 32768, 2000, 1000, 4000, 2, 0}));
    ASSERT_EQ(device.picturesWritten.size(), 2u);
    const video_picture &first = device.picturesWritten[0], &rgb = device.picturesWritten[1];
    EXPECT_EQ((std::vector<int>{first.contrast, first.palette, rgb.contrast, rgb.brightness,
                                rgb.hue, rgb.palette, rgb.depth}),
              (std::vector<int>{3000, VIDEO_PALETTE_YUV420, kCameraContrast, kCameraBrightness,
                                1000, VIDEO_PALETTE_RGB24, 24}));
    EXPECT_EQ(std::pair(device.opens, device.closes), std::pair(1, 1));
    EXPECT_LT(camera->descriptor, 0);
    EXPECT_EQ(std::pair(gdk_pixbuf_get_width(picture), camera->frame.size()),
              std::pair(320, size_t{320 * 240 * 3}));
    ExpectSyntheticPicture(picture, 0);
    // Opened again: the settings the device forgot are restored; a new picture
    // leaves the old one intact and outlives the record.
    device.window = video_window{};
    device.picture.palette = VIDEO_PALETTE_YUV420;
    ASSERT_EQ(OpenCamera(camera), 0);
    EXPECT_EQ(OpenCamera(camera), 0) << "already open";
    EXPECT_EQ((std::vector<int>{device.opens, int(device.window.width), device.picture.palette,
                                device.picture.contrast}),
              (std::vector<int>{2, 320, VIDEO_PALETTE_RGB24, kCameraContrast}));
    GdkPixbuf* second = get_image(camera);
    ExpectSyntheticPicture(second, 1);
    ExpectSyntheticPicture(picture, 0);
    EXPECT_EQ(CloseCamera(camera), 0);
    EXPECT_EQ(CloseCamera(camera), 1);
    Drop();
    ExpectSyntheticPicture(second, 1);
    g_object_unref(second);

    // The size read back is used; a frame not ready is waited for.
    device = FakeDevice{};
    for (const auto& [w, h] : {std::pair{176, 144}, std::pair{1, kMaxCaptureSide}}) {
        device.adjustWidth = w;
        device.adjustHeight = h;
        device.notReadyReads = 3;
        device.reads = device.frameNumber = 0;
        Start();
        ASSERT_NE(camera, nullptr) << log;
        EXPECT_EQ(std::pair(camera->width, camera->height), std::pair(w, h));
        EXPECT_EQ(device.reads, 4);
        ExpectSyntheticPicture(picture, 0);
        Drop();
    }
    // A failed memory-buffer query or no capture flag still give a picture.
    device.memoryBufferFails = true;
    device.capability.type = 0;
    Start();
    ASSERT_NE(camera, nullptr);
    EXPECT_EQ(log, "Could not connect to video device (/fake/video0).\nPlease check connection.\n");
    EXPECT_EQ(camera->noCapture, 1);
    Drop();

    // A device that gives no RGB picture leaves no record, is closed again and
    // says why in the log.
    const struct {
        void (*spoil)(FakeDevice&);
        const char* logged;
        int reads;  // -1: any number
    } cases[] = {
        {[](FakeDevice& d) { d.capabilityErrno = ENOTTY; }, "", 0},
        {[](FakeDevice& d) { d.capability.maxwidth = 0; }, "no usable capture size", 0},
        {[](FakeDevice& d) { d.rgbErrno = EINVAL; }, "24-bit RGB pictures not available", 0},
        {[](FakeDevice& d) { d.notReadyReads = 1000000; }, "no picture within 200 ms", -1},
        {[](FakeDevice& d) { d.readErrno = EIO; }, "no picture (Input/output error)", 1},
        {[](FakeDevice& d) { d.shortBy = 10; }, "incomplete picture", 1},
    };
    for (const auto& c : cases) {
        device = FakeDevice{};
        c.spoil(device);
        picture = reinterpret_cast<GdkPixbuf*>(0x1);
        Start();
        EXPECT_TRUE(!camera && !picture) << c.logged;
        EXPECT_EQ(std::pair(device.opens, device.closes), std::pair(1, 1)) << c.logged;
        EXPECT_TRUE(c.reads < 0 || device.reads == c.reads) << c.logged;
        EXPECT_NE(log.find(c.logged), std::string::npos) << log;
    }
}

}  // namespace
