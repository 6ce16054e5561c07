#include "base/system_paths.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "support/temp_dir.h"

TEST(SystemPaths, FixedLocationsMapBelowTheRootAndABadRootIsRefused) {
    const std::pair<const char*, bool> cases[] = {
        // path, mapped below a root
        {"/media/usb/", true},        {"/media/usb/patterns/a.qcc", true},
        {"/media/mmc0/", true},       {"/media/mmc0/calibration/pointercal", true},
        {"/dev/video0", true},        {"/tmp/undo", true},
        {"/tmp/undo.qlf", true},      {"/tmp/setPoint.qlf", true},
        {"/media/usbstick/a", false}, {"/dev/video1", false},
        {"/tmp/undone", false},       {"/proc/version", false},
        {"./defaults.mrl", false},    {"media/usb/a", false},
        {"./Layout/a.qlf", false},    {"/tmp/softupdate/qcc_update.sh", true},
    };
    for (const auto& [path, mapped] : cases)
        EXPECT_EQ(SystemPath(path), path) << "without a root";
    EXPECT_EQ(SystemPath(nullptr), "");
    TempDir dir;
    ASSERT_EQ(SetSystemRoot((dir.path + "//").c_str()), 1);
    EXPECT_EQ(SystemRoot(), dir.path);
    for (const auto& [path, mapped] : cases)
        EXPECT_EQ(SystemPath(path), (mapped ? dir.path : "") + path);
    // /tmp always exists on the controller, so it exists below the root too.
    struct stat st {};
    EXPECT_EQ(stat((dir.path + "/tmp").c_str(), &st), 0);
    ASSERT_TRUE(WriteFileText(dir.File("plain"), "x"));
    for (const std::string& bad : {dir.File("missing"), dir.File("plain"), std::string(5000, 'a')})
        EXPECT_EQ(SetSystemRoot(bad.c_str()), 0);
    EXPECT_EQ(SystemPath("/dev/video0"), dir.path + "/dev/video0");
    for (const char* none : {"", "/"}) {
        ASSERT_TRUE(SetSystemRoot(dir.path.c_str()));
        EXPECT_EQ(SetSystemRoot(none), 1);
        EXPECT_EQ(SystemPath("/dev/video0"), "/dev/video0");
    }
}
