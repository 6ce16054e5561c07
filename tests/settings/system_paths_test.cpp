#include "app/system_paths.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "support/temp_dir.h"

namespace {

// Every test leaves the real locations in place for the next one.
struct SystemPathsTest : ::testing::Test {
    void TearDown() override { SetSystemRoot(nullptr); }
};

TEST_F(SystemPathsTest, WithoutRootEveryPathIsUnchanged) {
    EXPECT_EQ(SystemPath("/media/usb/"), "/media/usb/");
    EXPECT_EQ(SystemPath("/dev/video0"), "/dev/video0");
    EXPECT_EQ(SystemPath("/tmp/undo.qlf"), "/tmp/undo.qlf");
    EXPECT_EQ(SystemPath("./Layout/a.qlf"), "./Layout/a.qlf");
    EXPECT_EQ(SystemPath(nullptr), "");
}

TEST_F(SystemPathsTest, FixedLocationsMapBelowTheRoot) {
    TempDir dir;
    ASSERT_EQ(SetSystemRoot((dir.path + "//").c_str()), 1);
    EXPECT_EQ(SystemRoot(), dir.path);
    EXPECT_EQ(SystemPath("/media/usb/"), dir.path + "/media/usb/");
    EXPECT_EQ(SystemPath("/media/usb/patterns/a.qcc"), dir.path + "/media/usb/patterns/a.qcc");
    EXPECT_EQ(SystemPath("/media/mmc0/"), dir.path + "/media/mmc0/");
    EXPECT_EQ(SystemPath("/media/mmc0/calibration/pointercal"),
              dir.path + "/media/mmc0/calibration/pointercal");
    EXPECT_EQ(SystemPath("/dev/video0"), dir.path + "/dev/video0");
    EXPECT_EQ(SystemPath("/tmp/undo"), dir.path + "/tmp/undo");
    EXPECT_EQ(SystemPath("/tmp/undo.qlf"), dir.path + "/tmp/undo.qlf");
    EXPECT_EQ(SystemPath("/tmp/setPoint.qlf"), dir.path + "/tmp/setPoint.qlf");
    // /tmp always exists on the controller, so it exists below the root too.
    struct stat st {};
    EXPECT_EQ(stat((dir.path + "/tmp").c_str(), &st), 0);
}

TEST_F(SystemPathsTest, OtherPathsAndLookAlikesStayUnchanged) {
    TempDir dir;
    ASSERT_EQ(SetSystemRoot(dir.path.c_str()), 1);
    EXPECT_EQ(SystemPath("/media/usbstick/a"), "/media/usbstick/a");
    EXPECT_EQ(SystemPath("/dev/video1"), "/dev/video1");
    EXPECT_EQ(SystemPath("/tmp/undone"), "/tmp/undone");
    EXPECT_EQ(SystemPath("/proc/version"), "/proc/version");
    EXPECT_EQ(SystemPath("./defaults.mrl"), "./defaults.mrl");
    EXPECT_EQ(SystemPath("media/usb/a"), "media/usb/a");
}

TEST_F(SystemPathsTest, BadRootIsRefusedAndThePreviousOneKept) {
    TempDir dir;
    ASSERT_EQ(SetSystemRoot(dir.path.c_str()), 1);
    EXPECT_EQ(SetSystemRoot(dir.File("missing").c_str()), 0);
    std::string file = dir.File("plain");
    ASSERT_TRUE(WriteFileText(file, "x"));
    EXPECT_EQ(SetSystemRoot(file.c_str()), 0);
    EXPECT_EQ(SetSystemRoot(std::string(5000, 'a').c_str()), 0);
    EXPECT_EQ(SystemPath("/dev/video0"), dir.path + "/dev/video0");

    EXPECT_EQ(SetSystemRoot(""), 1);
    EXPECT_EQ(SystemPath("/dev/video0"), "/dev/video0");
    EXPECT_EQ(SetSystemRoot("/"), 1);
    EXPECT_EQ(SystemPath("/dev/video0"), "/dev/video0");
}

}  // namespace
