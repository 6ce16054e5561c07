#include "base/folder_listing.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "base/pattern_listing.h"
#include "base/system_paths.h"
#include "base/ui_hooks.h"
#include "base/usb_drive.h"
#include "support/temp_dir.h"

namespace {

TEST(FileChooser, FilterOrderAndWhatAFolderLists) {
    const struct {
        const char *name, *filter;
        int want;
    } cases[] = {
        {"a.qlf", ".qlf .QLF", 1},       {"a.QLF", ".qlf .QLF", 1},  {"a.Qlf", ".qlf .QLF", 0},
        {"firmware.bi", ".BIN .bin", 0}, {"old.qlf.bak", ".qlf", 0}, {"qlf", ".qlf", 0},
        {"noextension", "", 1},          {"a.qcc", ".ZZZ", 0},       {"a.b.dxf", ".dxf .qcc", 1},
        {"rose.qccx", ".qcc", 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ExtensionInFilter(c.name, c.filter), c.want) << c.name << " in " << c.filter;
    TempDir dir;
    for (const char* name : {"sub", "Zeta", ".hidden"})
        ASSERT_EQ(mkdir(dir.File(name).c_str(), 0777), 0);
    for (const char* name : {"b.qlf", "A.qlf", "C.QLF", "notes.txt", ".secret.qlf"})
        ASSERT_TRUE(WriteFileText(dir.File(name), "x"));
    std::vector<ChooserRow> rows;
    ASSERT_TRUE(ListChooserFolder(dir.path, ".qlf .QLF", rows));
    std::vector<std::string> names;  // folders marked with a final "/"
    for (const ChooserRow& row : rows)
        names.push_back(row.name + (row.folder ? "/" : ""));
    EXPECT_EQ(names, (std::vector<std::string>{"sub/", "Zeta/", "A.qlf", "b.qlf", "C.QLF"}));
    ASSERT_TRUE(ListChooserFolder(dir.path + "/", "", rows));
    EXPECT_EQ(rows.size(), 6u);
    EXPECT_FALSE(ListChooserFolder(dir.File("missing"), "", rows));
    EXPECT_TRUE(rows.empty());
    EXPECT_EQ(FolderWithSlash("a/"), "a/");
}

// The rows as names, folders with a final "/", children indented.
std::vector<std::string> Tree(const std::vector<PatternListRow>& rows,
                              const std::string& indent = "") {
    std::vector<std::string> out;
    for (const PatternListRow& row : rows) {
        out.push_back(indent + row.name + (row.folder ? "/" : ""));
        for (const std::string& child : Tree(row.children, indent + "  "))
            out.push_back(child);
    }
    return out;
}

TEST(PatternList, FoldersFirstCaseInsensitiveWithoutEmptyHiddenOrLoopingFoldersAndTheUsbDrive) {
    TempDir dir;
    for (const char* folder :
         {"flowers", "flowers/Wild", "Borders", "empty", "drawings", ".hidden"})
        ASSERT_EQ(mkdir(dir.File(folder).c_str(), 0777), 0);
    for (const char* file : {"zebra.qcc", "Apple.qcc", "banana.QCC", "notes.txt", ".dot.qcc",
                             "flowers/Tulip.qcc", "flowers/daisy.qcc", "flowers/Wild/poppy.qcc",
                             "Borders/wave.qcc", "drawings/star.dxf", ".hidden/secret.qcc"})
        ASSERT_TRUE(WriteFileText(dir.File(file), "p X0 Y0\n"));
    EXPECT_EQ(Tree(ListPatternFolder(dir.path, ".qcc .QCC")),
              (std::vector<std::string>{"Borders/", "  wave.qcc", "flowers/", "  Wild/",
                                        "    poppy.qcc", "  daisy.qcc", "  Tulip.qcc", ".dot.qcc",
                                        "Apple.qcc", "banana.QCC", "zebra.qcc"}));
    EXPECT_TRUE(ListPatternFolder(dir.File("missing"), ".qcc").empty());
    // A folder link loop: back/back/... down to the limit, never forever.
    ASSERT_TRUE(WriteFileText(dir.File("empty/a.qcc"), "p X0 Y0\n"));
    ASSERT_EQ(symlink(".", dir.File("empty/back").c_str()), 0);
    const size_t rows = Tree(ListPatternFolder(dir.File("empty"), ".qcc")).size();
    EXPECT_GT(rows, 2u);
    EXPECT_LE(rows, static_cast<size_t>(2 * kMaxFolderDepth + 2));
    // The USB place needs the drive and says so; with it, its drawings and patterns.
    TempDir root;
    ASSERT_EQ(SetSystemRoot(root.path.c_str()), 1);
    static std::vector<std::string> shown;
    UserInterfaceHooks hooks;
    hooks.showMessage = [](int, int, const char* text) {
        shown.push_back(text);
        return 0;
    };
    SetUserInterfaceHooks(hooks);
    EXPECT_TRUE(ListPatternPlace(kPlaceUsb).empty());
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].rfind("USB DRIVE NOT DETECTED.", 0), 0u);
    ASSERT_EQ(mkdir(root.File("media").c_str(), 0777), 0);
    ASSERT_EQ(mkdir(root.File("media/usb").c_str(), 0777), 0);
    for (const char* file : {"b.DXF", "a.qli", "c.txt"})
        ASSERT_TRUE(WriteFileText(root.File("media/usb/") + file, "x"));
    EXPECT_EQ(Tree(ListPatternPlace(kPlaceUsb)), (std::vector<std::string>{"a.qli", "b.DXF"}));
    EXPECT_EQ(shown.size(), 1u);
    for (const auto& [folder, mounted] :
         {std::pair<const char*, int>{"/proc//", 1}, {"/", 1}, {"/proc/self", 0}, {"/missing", 0}})
        EXPECT_EQ(IsMountedFolder(folder), mounted) << folder;
    SetUserInterfaceHooks({});
    SetSystemRoot(nullptr);
}

}  // namespace
