// The real file chooser walked through folders and back again (what it lists
// is the core's folder listing).
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <functional>
#include <string>
#include <vector>

#include "layout_fixture.h"
#include "support/chooser_rows.h"
#include "support/temp_dir.h"
#include "ui/file_chooser.h"

namespace {

// Runs steps inside the chooser's modal loop.
std::function<void()> insideChooser;

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

TEST_F(ChooserDialog, FoldersInAndBackAFileItsFolderCancelAndAnInvalidFolder) {
    std::vector<std::string> seen;
    const std::string chosen = Choose(base.c_str(), ".qlf", [&] {
        seen = RowNames(FileChooserRows());
        EXPECT_EQ(FileChooserSelect("deep"), 1);
        EXPECT_EQ(FileChooserSelect("er"), 1);
        EXPECT_EQ(FileChooserFolder(), base + "deep/er/");
        FileChooserGoBack(1);
        EXPECT_EQ(FileChooserFolder(), base + "deep/");
        EXPECT_EQ(RowNames(FileChooserRows()), (std::vector<std::string>{"er/", "inner.qlf"}));
        EXPECT_EQ(FileChooserSelect("inner.qlf"), 1);
        FileChooserRespond(1);
    });
    EXPECT_EQ(seen, (std::vector<std::string>{"deep/", "top.qlf"}));
    EXPECT_EQ(chosen, base + "deep/inner.qlf");
    EXPECT_FALSE(FileChooserOpen());
    // OK without a row gives the folder; Cancel gives nothing.
    EXPECT_EQ(Choose(base.c_str(), nullptr, [] { FileChooserRespond(1); }), dir.path);
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
                         rows = RowNames(FileChooserRows());
                         FileChooserRespond(1);
                     }),
              "");
    EXPECT_EQ(rows, std::vector<std::string>{"Invalid Path"});
}

}  // namespace
