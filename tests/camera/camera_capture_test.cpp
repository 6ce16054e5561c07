// Camera start-up and capture: against the real libv4l1 on paths that are no
// camera, and against a scripted device for the whole sequence.
#include <filesystem>

#include "base/system_paths.h"
#include "base/timers.h"
#include "camera/camera_frame.h"
#include "fake_video_device.h"
#include "support/captured_log.h"
#include "support/temp_dir.h"

namespace {

long OpenDescriptorCount() {
    return std::distance(std::filesystem::directory_iterator("/proc/self/fd"), {});
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

// No camera is the normal case and logs nothing; a file that is no video
// device is refused, closed and left untouched.
TEST(CameraWithoutDevice, NoDeviceGivesNoRecordAndOperationsAnswerTheirCodes) {
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

TEST_F(ScriptedCamera, StartUpConfiguresTheDeviceReadsOnePictureAndClosesIt) {
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
}

TEST_F(ScriptedCamera, TheSizeTheDeviceReadsBackIsUsedAndAFrameNotReadyYetIsWaitedFor) {
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
}

// A device that gives no RGB picture leaves no record, is closed again and
// says why in the log.
TEST_F(ScriptedCamera, ADeviceThatGivesNoRgbPictureLeavesNoRecord) {
    const struct {
        void (*spoil)(FakeDevice&);
        const char* logged;
        int reads;  // -1: any number
    } cases[] = {
        {[](FakeDevice& d) { d.capabilityErrno = ENOTTY; }, "", 0},
        {[](FakeDevice& d) { d.capability.maxwidth = 0; }, "no usable capture size", 0},
        {[](FakeDevice& d) { d.capability.maxwidth = 100000; }, "", 0},
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
