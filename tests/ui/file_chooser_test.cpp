// The file chooser: its filter and order, and the real dialog walked through
// folders and back again.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <functional>
#include <string>
#include <vector>

#include "layout_fixture.h"
#include "support/temp_dir.h"
#include "ui/file_chooser.h"

namespace {

std::vector<std::string> Names(const std::vector<ChooserRow>& rows) {
    std::vector<std::string> names;
    for (const ChooserRow& row : rows)
        names.push_back(row.name + (row.folder ? "/" : ""));
    return names;
}

TEST(FileChooser, TheExtensionIsAWholeWordOfTheFilterAndFoldersSortFirst) {
    struct Case {
        const char *name, *filter;
        int want;
    };
    const Case cases[] = {
        {"a.qlf", ".qlf .QLF", 1},       {"a.QLF", ".qlf .QLF", 1},  {"a.Qlf", ".qlf .QLF", 0},
        {"firmware.bi", ".BIN .bin", 0}, {"old.qlf.bak", ".qlf", 0}, {"qlf", ".qlf", 0},
        {"noextension", "", 1},          {"a.qcc", ".ZZZ", 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ExtensionInFilter(c.name, c.filter), c.want) << c.name << " in " << c.filter;

    std::vector<ChooserRow> rows = {
        {"b.qlf", false}, {"Zeta", true}, {"A.qlf", false}, {"alpha", true}, {"C.qlf", false}};
    SortChooserRows(rows);
    EXPECT_EQ(Names(rows),
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
    EXPECT_EQ(Names(rows), (std::vector<std::string>{"sub/", "one.qlf", "two.QLF"}));
    ASSERT_TRUE(ListChooserFolder(dir.path, ".ZZZ", rows));  // folders only
    EXPECT_EQ(Names(rows), std::vector<std::string>{"sub/"});
    ASSERT_TRUE(ListChooserFolder(dir.path + "/", "", rows));
    EXPECT_EQ(rows.size(), 4u);
    EXPECT_FALSE(ListChooserFolder(dir.File("missing"), "", rows));
    EXPECT_TRUE(rows.empty());
    EXPECT_EQ(FolderWithSlash("a"), "a/");
    EXPECT_EQ(FolderWithSlash("a/"), "a/");
}

// Runs steps inside the chooser's modal loop.
std::function<void()> insideChooser;
std::string failure;

gboolean RunInside(gpointer) {
    if (!FileChooserOpen()) return TRUE;  // not open yet
    insideChooser();
    return FALSE;
}

std::string Choose(const char* folder, const char* filter, std::function<void()> steps) {
    insideChooser = std::move(steps);
    g_timeout_add(20, RunInside, nullptr);
    return GetFilename(folder, filter);
}

class ChooserDialog : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(EnsureGtk()) << "no X display for the window tests";
        ASSERT_EQ(mkdir(dir.File("deep").c_str(), 0777), 0);
        ASSERT_EQ(mkdir(dir.File("deep/er").c_str(), 0777), 0);
        ASSERT_TRUE(WriteFileText(dir.File("top.qlf"), "x"));
        ASSERT_TRUE(WriteFileText(dir.File("deep/inner.qlf"), "x"));
        ASSERT_TRUE(WriteFileText(dir.File("deep/skip.txt"), "x"));
        base = dir.path + "/";
    }
    TempDir dir;
    std::string base;
};

TEST_F(ChooserDialog, EnteringAFolderAndChoosingAFileGivesItsPath) {
    std::vector<std::string> seen;
    const std::string chosen = Choose(base.c_str(), ".qlf", [&] {
        seen = Names(FileChooserRows());
        EXPECT_EQ(FileChooserSelect("deep"), 1);
        EXPECT_EQ(FileChooserFolder(), base + "deep/");
        EXPECT_EQ(Names(FileChooserRows()), (std::vector<std::string>{"er/", "inner.qlf"}));
        EXPECT_EQ(FileChooserSelect("inner.qlf"), 1);
        FileChooserRespond(1);
    });
    EXPECT_EQ(seen, (std::vector<std::string>{"deep/", "top.qlf"}));
    EXPECT_EQ(chosen, base + "deep/inner.qlf");
    EXPECT_FALSE(FileChooserOpen());
}

TEST_F(ChooserDialog, GoingBackOkWithoutARowCancelAndAnInvalidFolder) {
    const std::string chosen = Choose(base.c_str(), nullptr, [&] {
        FileChooserSelect("deep");
        FileChooserSelect("er");
        EXPECT_EQ(FileChooserFolder(), base + "deep/er/");
        FileChooserGoBack(1);
        EXPECT_EQ(FileChooserFolder(), base + "deep/");
        EXPECT_EQ(Names(FileChooserRows()),
                  (std::vector<std::string>{"er/", "inner.qlf", "skip.txt"}));
        FileChooserRespond(1);
    });
    EXPECT_EQ(chosen, base + "deep");  // OK without a row gives the folder

    EXPECT_EQ(Choose(base.c_str(), nullptr,
                     [] {
                         FileChooserSelect("top.qlf");
                         FileChooserRespond(0);
                     }),
              "");
    std::vector<std::string> rows;
    const std::string missing = dir.File("missing");
    EXPECT_EQ(Choose(missing.c_str(), nullptr,
                     [&] {
                         rows = Names(FileChooserRows());
                         FileChooserRespond(1);
                     }),
              "");
    EXPECT_EQ(rows, std::vector<std::string>{"Invalid Path"});
}

}  // namespace
