// The file chooser's folder listing: the filter, the order, and what a real
// folder lists.
#include "base/folder_listing.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "support/chooser_rows.h"
#include "support/temp_dir.h"

namespace {

TEST(FileChooser, TheExtensionIsAWholeWordOfTheFilterAndFoldersSortFirst) {
    struct Case {
        const char *name, *filter;
        int want;
    };
    const Case cases[] = {
        {"a.qlf", ".qlf .QLF", 1},       {"a.QLF", ".qlf .QLF", 1},  {"a.Qlf", ".qlf .QLF", 0},
        {"firmware.bi", ".BIN .bin", 0}, {"old.qlf.bak", ".qlf", 0}, {"qlf", ".qlf", 0},
        {"noextension", "", 1},          {"a.qcc", ".ZZZ", 0},       {"a.b.dxf", ".dxf .qcc", 1},
        {"rose.qccx", ".qcc", 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ExtensionInFilter(c.name, c.filter), c.want) << c.name << " in " << c.filter;

    std::vector<ChooserRow> rows = {
        {"b.qlf", false}, {"Zeta", true}, {"A.qlf", false}, {"alpha", true}, {"C.qlf", false}};
    SortChooserRows(rows);
    EXPECT_EQ(RowNames(rows),
              (std::vector<std::string>{"alpha/", "Zeta/", "A.qlf", "b.qlf", "C.qlf"}));
}

TEST(FileChooser, AFolderListsVisibleFoldersAndMatchingFilesOnly) {
    TempDir dir;
    ASSERT_EQ(mkdir(dir.File("sub").c_str(), 0777), 0);
    ASSERT_EQ(mkdir(dir.File(".hidden").c_str(), 0777), 0);
    for (const char* name : {"one.qlf", "two.QLF", "notes.txt", ".secret.qlf"})
        ASSERT_TRUE(WriteFileText(dir.File(name), "x"));
    std::vector<ChooserRow> rows;
    ASSERT_TRUE(ListChooserFolder(dir.path, ".qlf .QLF", rows));
    EXPECT_EQ(RowNames(rows), (std::vector<std::string>{"sub/", "one.qlf", "two.QLF"}));
    ASSERT_TRUE(ListChooserFolder(dir.path, ".ZZZ", rows));  // folders only
    EXPECT_EQ(RowNames(rows), std::vector<std::string>{"sub/"});
    ASSERT_TRUE(ListChooserFolder(dir.path + "/", "", rows));
    EXPECT_EQ(rows.size(), 4u);
    EXPECT_FALSE(ListChooserFolder(dir.File("missing"), "", rows));
    EXPECT_TRUE(rows.empty());
    EXPECT_EQ(FolderWithSlash("a"), "a/");
    EXPECT_EQ(FolderWithSlash("a/"), "a/");
}

}  // namespace
