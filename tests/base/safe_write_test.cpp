#include "base/safe_write.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <set>
#include <string>

#include "support/temp_dir.h"

namespace {

TEST(SafeWrite, ReplacesTheFileWholeKeepsItsModeOrReportsZeroAndKeepsTheOldAndNamesTemporaries) {
    TempDir dir;
    const std::string path = dir.File("layout.qlf");
    ASSERT_EQ(SafeWriteFile(path, std::string("old contents, longer than the new")), 1);
    ASSERT_EQ(chmod(path.c_str(), 0640), 0);
    const std::string data("new\0data", 8);
    ASSERT_EQ(SafeWriteFile(path, data), 1);
    EXPECT_EQ(ReadFileText(path), data);
    struct stat info;
    ASSERT_EQ(stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640u);
    EXPECT_EQ(FolderNames(dir.path), std::set<std::string>{"layout.qlf"});
    EXPECT_EQ(SafeWriteFile(dir.File("missing/file"), "x"), 0);
    EXPECT_EQ(SafeWriteFile("", "x"), 0);
    // A folder where the file should be: the rename fails, the folder stays.
    ASSERT_EQ(mkdir(dir.File("taken").c_str(), 0755), 0);
    ASSERT_TRUE(WriteFileText(dir.File("taken/inside"), "kept"));
    EXPECT_EQ(SafeWriteFile(dir.File("taken"), "x"), 0);
    EXPECT_EQ(ReadFileText(dir.File("taken/inside")), "kept");
    EXPECT_EQ(FolderNames(dir.path).size(), 2u);
    // Only the names of its temporary files count as temporary.
    const std::pair<const char*, bool> cases[] = {
        {"cut.qcc.tmpAb12C3", true}, {"recovery.qlf.tmp000000", true}, {"notes.tmp", false},
        {"cut.qcc.tmpAb12C", false}, {"cut.qcc.tmpAb-2C3", false},     {".tmpAb12C3", false},
        {"cut.qcc", false},
    };
    for (const auto& [name, temporary] : cases)
        EXPECT_EQ(IsSafeWriteTemporary(name), temporary) << name;
}

}  // namespace
