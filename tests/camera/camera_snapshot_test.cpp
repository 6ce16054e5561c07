// Saving the camera picture as PNG, in-process on the scripted device and
// through longarm-tool where there is no camera.
#include "camera/camera_snapshot.h"

#include "fake_video_device.h"
#include "support/captured_log.h"
#include "support/run_program.h"
#include "support/temp_dir.h"

TEST(CameraSnapshot, SavesThePictureAsPngWithItsColours) {
    FakeDevice device;
    InstallFakeDevice(&device);
    TempDir dir;
    const std::string path = dir.File("head.png");
    int w = 0, h = 0, result = -1, unwritable = -1;
    Logged([&] {
        result = SaveCameraSnapshot(device.path.c_str(), path, &w, &h);
        unwritable =
            SaveCameraSnapshot(device.path.c_str(), dir.File("missing/head.png"), nullptr, nullptr);
    });
    InstallFakeDevice(nullptr);
    ASSERT_EQ(result, 0);
    EXPECT_EQ(unwritable, 2);
    EXPECT_EQ(std::pair(w, h), std::pair(320, 240));
    EXPECT_EQ(device.opens, device.closes);
    GdkPixbuf* saved = gdk_pixbuf_new_from_file(path.c_str(), nullptr);
    ExpectSyntheticPicture(saved, 0);
    if (saved) g_object_unref(saved);
}

TEST(CameraSnapshot, ToolReportsNoCameraAndUsageErrors) {
    TempDir dir;
    const std::string out = dir.File("head.png");
    ProgramResult r =
        RunProgram({LONGARM_TOOL_PATH, "camera", "--device", dir.File("video0"), out});
    EXPECT_EQ(r.exitStatus, 1);
    EXPECT_NE(r.err.find("no picture from " + dir.File("video0")), std::string::npos) << r.err;
    EXPECT_FALSE(ReadFileText(out).size());
    EXPECT_EQ(RunProgram({LONGARM_TOOL_PATH, "camera"}).exitStatus, 2);
    EXPECT_EQ(RunProgram({LONGARM_TOOL_PATH, "camera", "--device"}).exitStatus, 2);
    EXPECT_EQ(RunProgram({LONGARM_TOOL_PATH, "camera", out, "second.png"}).exitStatus, 2);
    r = RunProgram({LONGARM_TOOL_PATH, "camera", "--help"});
    EXPECT_EQ(r.exitStatus, 0);
    EXPECT_NE(r.out.find("usage: longarm-tool camera"), std::string::npos);
}
