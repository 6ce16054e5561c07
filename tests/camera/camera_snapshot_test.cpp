// Saving the camera picture as PNG, in-process on the scripted device and
// through longarm-tool on paths where there is no camera.
#include "camera/camera_snapshot.h"

#include <glib.h>
#include <gtest/gtest.h>

#include <string>

#include "fake_video_device.h"
#include "support/captured_log.h"
#include "support/run_program.h"
#include "support/temp_dir.h"

// The picture is saved as PNG with its colours; an unwritable place is reported.
TEST(CameraSnapshot, SavesThePictureAsPngWithItsColours) {
    FakeDevice device;
    MakeTypicalDevice(&device);
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
    EXPECT_EQ(w, 320);
    EXPECT_EQ(h, 240);
    EXPECT_EQ(device.opens, device.closes);

    GdkPixbuf* saved = gdk_pixbuf_new_from_file(path.c_str(), nullptr);
    ASSERT_NE(saved, nullptr);
    EXPECT_EQ(gdk_pixbuf_get_width(saved), 320);
    ExpectSyntheticPicture(saved, 0);
    g_object_unref(saved);
}

TEST(CameraSnapshot, ToolReportsNoCameraAndUsageErrors) {
    TempDir dir;
    const std::string out = dir.File("head.png");
    ProgramResult r =
        RunProgram({LONGARM_TOOL_PATH, "camera", "--device", dir.File("video0"), out});
    EXPECT_EQ(r.exitStatus, 1);
    EXPECT_NE(r.err.find("no picture from " + dir.File("video0")), std::string::npos) << r.err;
    EXPECT_FALSE(g_file_test(out.c_str(), G_FILE_TEST_EXISTS));

    EXPECT_EQ(RunProgram({LONGARM_TOOL_PATH, "camera"}).exitStatus, 2);
    EXPECT_EQ(RunProgram({LONGARM_TOOL_PATH, "camera", "--device"}).exitStatus, 2);
    EXPECT_EQ(RunProgram({LONGARM_TOOL_PATH, "camera", out, "second.png"}).exitStatus, 2);
    r = RunProgram({LONGARM_TOOL_PATH, "camera", "--help"});
    EXPECT_EQ(r.exitStatus, 0);
    EXPECT_NE(r.out.find("usage: longarm-tool camera"), std::string::npos);
}
