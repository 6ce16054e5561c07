#include "base/kernel_version.h"

#include <gtest/gtest.h>

#include "support/temp_dir.h"

namespace {

struct KernelCase {
    const char* firstLine;
    const char* version;
    const char* suffix;
};

TEST(KernelVersion, ReleaseAndBuildTagFromTheFirstLine) {
    const KernelCase cases[] = {
        {"Linux version 2.6.29.6_dunlow (root@build) (gcc version 4.3.2) #1 PREEMPT\n", "2.6.29.6",
         "dunlow"},
        {"Linux version 2.6.18.2_keswin_b2 (root@host.local) #3\n", "2.6.18.2_keswin", "b2"},
        {"Linux version 6.1.0-18-arm64 (debian-kernel@lists.debian.org) (gcc-12)\n",
         "6.1.0-18-arm64", ""},
        {"Linux version 10.4.1_x (a)\n", "10.4.1", "x"},
        {"2.6.29.6_dunlow", "2.6.29.6", "dunlow"},
    };
    TempDir dir;
    std::string path = dir.File("version");
    for (const KernelCase& c : cases) {
        ASSERT_TRUE(WriteFileText(path, c.firstLine));
        std::string version = "old", suffix = "old";
        EXPECT_EQ(GetKernelFrom(path.c_str(), &version, &suffix), 0) << c.firstLine;
        EXPECT_EQ(version, c.version) << c.firstLine;
        EXPECT_EQ(suffix, c.suffix) << c.firstLine;
        // The suffix is optional.
        version.clear();
        EXPECT_EQ(GetKernelFrom(path.c_str(), &version), 0);
        EXPECT_EQ(version, c.version);
    }
}

TEST(KernelVersion, OnlyTheFirstLineAndItsFirst128CharactersCount) {
    TempDir dir;
    std::string path = dir.File("version");
    std::string version = "untouched", suffix = "untouched";

    ASSERT_TRUE(WriteFileText(path, "Linux version none\n2.6.29.6_dunlow\n"));
    EXPECT_EQ(GetKernelFrom(path.c_str(), &version, &suffix), 2);
    EXPECT_EQ(version, "untouched");

    // A dot beyond the 128th character is not seen.
    ASSERT_TRUE(WriteFileText(path, std::string(140, 'x') + " 2.6.29.6_dunlow\n"));
    EXPECT_EQ(GetKernelFrom(path.c_str(), &version, &suffix), 2);
    EXPECT_EQ(version, "untouched");

    // A release cut by the limit is returned as far as it was read.
    ASSERT_TRUE(WriteFileText(path, std::string(120, 'x') + " 2.6.29.6_dunlow\n"));
    EXPECT_EQ(GetKernelFrom(path.c_str(), &version, &suffix), 0);
    EXPECT_EQ(version, "2.6.29.");
    EXPECT_EQ(suffix, "");
}

TEST(KernelVersion, MissingEmptyOrBinaryFilesLeaveTheOutputsUntouched) {
    TempDir dir;
    std::string version = "untouched", suffix = "untouched";
    EXPECT_EQ(GetKernelFrom(dir.File("absent").c_str(), &version, &suffix), 1);
    EXPECT_EQ(GetKernelFrom(nullptr, &version, &suffix), 1);
    // A folder opens but cannot be read.
    EXPECT_EQ(GetKernelFrom(dir.path.c_str(), &version, &suffix), 2);

    std::string path = dir.File("version");
    ASSERT_TRUE(WriteFileText(path, ""));
    EXPECT_EQ(GetKernelFrom(path.c_str(), &version, &suffix), 2);
    ASSERT_TRUE(WriteFileText(path, std::string("\0\0\0.1\0", 7)));
    EXPECT_EQ(GetKernelFrom(path.c_str(), &version, &suffix), 2);
    EXPECT_EQ(version, "untouched");
    EXPECT_EQ(suffix, "untouched");
}

TEST(KernelVersion, TheRunningSystemHasARelease) {
    std::string version;
    ASSERT_EQ(GetKernel(&version), 0);
    EXPECT_NE(version.find('.'), std::string::npos);
}

}  // namespace
