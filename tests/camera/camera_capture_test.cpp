// Camera start-up and capture: against the real libv4l1 on paths that are no
// camera, and against a scripted Video4Linux 1 device for the whole sequence.
#include "camera/camera_capture.h"

#include <dirent.h>
#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <string>
#include <vector>

#include "base/system_paths.h"
#include "camera/camera_frame.h"
#include "fake_video_device.h"
#include "support/captured_log.h"
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

class ScriptedCamera : public testing::Test {
protected:
    void SetUp() override {
        MakeTypicalDevice(&device);
        InstallFakeDevice(&device);
    }
    void TearDown() override {
        InstallFakeDevice(nullptr);
        if (picture) g_object_unref(picture);
        FreeCamera(camera);
    }

    // Starts the camera on the scripted device, keeping stdout's log lines.
    void Start() {
        log = Logged([&] { camera = InitCameraAt(device.path.c_str(), &picture); });
    }

    FakeDevice device;
    CameraDevice* camera = nullptr;
    GdkPixbuf* picture = nullptr;
    std::string log;
};

}  // namespace

// No camera is the normal case and logs nothing; a file that is no video
// device is refused and closed, and left untouched.
TEST(CameraWithoutDevice, MissingDeviceOrFileThatIsNoVideoDeviceGivesNoRecord) {
    TempDir dir;
    const std::string regular = dir.File("video0");
    ASSERT_TRUE(WriteFileText(regular, std::string(100000, 'x')));
    ASSERT_EQ(SetSystemRoot(dir.path.c_str()), 1);  // no dev/video0 below it
    for (const std::string& path : {std::string(), regular, std::string("/dev/null")}) {
        SCOPED_TRACE(path);
        GdkPixbuf* picture = reinterpret_cast<GdkPixbuf*>(0x1);  // must be overwritten
        const int before = OpenDescriptorCount();
        CameraDevice* camera = nullptr;
        const std::string log = Logged([&] {
            camera = path.empty() ? InitCamera(&picture) : InitCameraAt(path.c_str(), &picture);
        });
        EXPECT_EQ(camera, nullptr);
        EXPECT_EQ(picture, nullptr);
        EXPECT_EQ(OpenDescriptorCount(), before) << "device left open";
        EXPECT_TRUE(path.empty() ? log.empty()
                                 : log.find("not a video device") != std::string::npos)
            << log;
    }
    SetSystemRoot(nullptr);
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
    EXPECT_EQ((std::vector<unsigned>{w.x, w.y, w.width, w.height, w.chromakey, w.flags}),
              (std::vector<unsigned>{0, 0, 320, 240, 0, 0}));

    // The device's settings are kept; the block goes back unchanged, then with
    // the start-up contrast and brightness in 24-bit RGB.
    EXPECT_EQ((std::vector<int>{camera->contrast, camera->brightness, camera->colour, camera->hue,
                                camera->whiteness, camera->bytesPerPixel}),
              (std::vector<int>{3000, 32768, 2000, 1000, 4000, 2}));
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
    ExpectSyntheticPicture(picture, 0);
    EXPECT_EQ(camera->frame.size(), 320u * 240 * 3);
}

TEST_F(ScriptedCamera, TheSizeTheDeviceReadsBackIsReadAndAFrameNotReadyYetIsWaitedFor) {
    for (const auto& [w, h] : {std::pair{176, 144}, std::pair{1, kMaxCaptureSide}}) {
        device.adjustWidth = w;
        device.adjustHeight = h;
        device.notReadyReads = 3;
        device.reads = device.frameNumber = 0;
        Start();
        ASSERT_NE(camera, nullptr) << log;
        EXPECT_EQ(std::pair(camera->width, camera->height), std::pair(w, h));
        EXPECT_EQ(gdk_pixbuf_get_width(picture), w);
        EXPECT_EQ(device.reads, 4);
        ExpectSyntheticPicture(picture, 0);
        g_object_unref(picture);
        FreeCamera(camera);
        picture = nullptr;
        camera = nullptr;
    }
}

// A device that cannot serve RGB pictures, or gives no picture, leaves no
// record, is closed again and says why in the log.
TEST_F(ScriptedCamera, ADeviceThatGivesNoRgbPictureLeavesNoRecord) {
    struct Case {
        const char* what;
        void (*spoil)(FakeDevice&);
        const char* logged;
        int reads;  // -1: any number
    };
    const Case cases[] = {
        {"no capabilities", [](FakeDevice& d) { d.capabilityErrno = ENOTTY; }, "", 0},
        {"no size", [](FakeDevice& d) { d.capability.maxwidth = 0; }, "no usable capture size", 0},
        {"unbelievable size", [](FakeDevice& d) { d.capability.maxwidth = 100000; }, "", 0},
        {"no RGB", [](FakeDevice& d) { d.rgbErrno = EINVAL; }, "24-bit RGB pictures not available",
         0},
        {"never ready", [](FakeDevice& d) { d.notReadyReads = 1000000; },
         "no picture within 200 ms", -1},
        {"read error", [](FakeDevice& d) { d.readErrno = EIO; }, "no picture (Input/output error)",
         1},
        {"short frame", [](FakeDevice& d) { d.shortBy = 10; }, "incomplete picture", 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        device = FakeDevice{};
        MakeTypicalDevice(&device);
        c.spoil(device);
        picture = reinterpret_cast<GdkPixbuf*>(0x1);
        Start();
        EXPECT_EQ(camera, nullptr);
        EXPECT_EQ(picture, nullptr);
        EXPECT_EQ(device.opens, 1);
        EXPECT_EQ(device.closes, 1) << "device left open";
        if (c.reads >= 0) {
            EXPECT_EQ(device.reads, c.reads);
        }
        EXPECT_NE(log.find(c.logged), std::string::npos) << log;
    }
}

TEST_F(ScriptedCamera, AFailedMemoryBufferQueryOrNoCaptureFlagStillGivesAPicture) {
    device.memoryBufferFails = true;
    device.capability.type = 0;
    Start();
    ASSERT_NE(camera, nullptr);
    EXPECT_EQ(log, "Could not connect to video device (/fake/video0).\nPlease check connection.\n");
    EXPECT_EQ(camera->noCapture, 1);
    ExpectSyntheticPicture(picture, 0);
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
