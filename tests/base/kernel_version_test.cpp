#include "base/kernel_version.h"

#include <gtest/gtest.h>

#include "support/temp_dir.h"

namespace {

// A missing or unreadable file, or one without a release in its first 128
// characters, leaves the outputs untouched.
TEST(KernelVersion, ReleaseAndBuildTagFromTheFirstLine) {
    const struct {
        std::string firstLine;
        int result;
        const char *version, *suffix;
    } cases[] = {
        {"Linux version 2.6.29.6_dunlow (root@build) (gcc version 4.3.2) #1 PREEMPT\n", 0,
         "2.6.29.6", "dunlow"},
        {"Linux version 2.6.18.2_keswin_b2 (root@host.local) #3\n", 0, "2.6.18.2_keswin", "b2"},
        {"Linux version 6.1.0-18-arm64 (debian-kernel@lists.debian.org) (gcc-12)\n", 0,
         "6.1.0-18-arm64", ""},
        {"Linux version 10.4.1_x (a)\n", 0, "10.4.1", "x"},
        {"2.6.29.6_dunlow", 0, "2.6.29.6", "dunlow"},
        {"Linux version none\n2.6.29.6_dunlow\n", 2, "old", "old"},
        {std::string(140, 'x') + " 2.6.29.6_dunlow\n", 2, "old", "old"},
        // A release cut by the limit is returned as far as it was read.
        {std::string(120, 'x') + " 2.6.29.6_dunlow\n", 0, "2.6.29.", ""},
        {"", 2, "old", "old"},
        {std::string("\0\0\0.1\0", 7), 2, "old", "old"},
    };
    TempDir dir;
    std::string path = dir.File("version");
    for (const auto& c : cases) {
        ASSERT_TRUE(WriteFileText(path, c.firstLine));
        std::string version = "old", suffix = "old";
        EXPECT_EQ(GetKernelFrom(path.c_str(), &version, &suffix), c.result) << c.firstLine;
        EXPECT_EQ(version + " " + suffix, std::string(c.version) + " " + c.suffix) << c.firstLine;
    }
    std::string version = "old";
    EXPECT_EQ(GetKernelFrom(dir.File("absent").c_str(), &version), 1);
    EXPECT_EQ(GetKernelFrom(nullptr, &version), 1);
    EXPECT_EQ(GetKernelFrom(dir.path.c_str(), &version), 2);  // a folder opens but cannot be read
    EXPECT_EQ(version, "old");
    ASSERT_EQ(GetKernel(&version), 0);
    EXPECT_NE(version.find('.'), std::string::npos);
}

}  // namespace
