#include "base/system_paths.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "support/temp_dir.h"

namespace {

// Every test leaves the real locations in place for the next one.
struct SystemPathsTest : ::testing::Test {
    void TearDown() override { SetSystemRoot(nullptr); }
};

TEST_F(SystemPathsTest, FixedLocationsMapBelowTheRootAndNothingElse) {
    struct Case {
        const char* path;
        bool mapped;  // below the root once one is set
    } const cases[] = {
        {"/media/usb/", true},        {"/media/usb/patterns/a.qcc", true},
        {"/media/mmc0/", true},       {"/media/mmc0/calibration/pointercal", true},
        {"/dev/video0", true},        {"/tmp/undo", true},
        {"/tmp/undo.qlf", true},      {"/tmp/setPoint.qlf", true},
        {"/media/usbstick/a", false}, {"/dev/video1", false},
        {"/tmp/undone", false},       {"/proc/version", false},
        {"./defaults.mrl", false},    {"media/usb/a", false},
        {"./Layout/a.qlf", false},    {"/tmp/softupdate/qcc_update.sh", true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(SystemPath(c.path), c.path) << "without a root";
    EXPECT_EQ(SystemPath(nullptr), "");

    TempDir dir;
    ASSERT_EQ(SetSystemRoot((dir.path + "//").c_str()), 1);
    EXPECT_EQ(SystemRoot(), dir.path);
    for (const Case& c : cases)
        EXPECT_EQ(SystemPath(c.path), (c.mapped ? dir.path : "") + c.path);
    // /tmp always exists on the controller, so it exists below the root too.
    struct stat st {};
    EXPECT_EQ(stat((dir.path + "/tmp").c_str(), &st), 0);
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
