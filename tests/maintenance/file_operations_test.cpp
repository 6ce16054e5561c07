// The file manager's copies and deletes on a stand-in stick and program folder.
#include "maintenance/file_operations.h"
#include "base/usb_drive.h"
#include "maintenance/file_manager.h"
#include "maintenance_test.h"

namespace {

using FileManagerTest = ProgramFolderTest;

size_t Entries(const char* folder) {
    return std::distance(std::filesystem::directory_iterator(folder), {});
}

TEST_F(FileManagerTest, CopiesAFolderOfDrawingsFromTheStickConvertingThem) {
    Put(Stick("quilts/feather.dxf"),
        "0\nSECTION\n2\nENTITIES\n0\nLINE\n10\n0\n20\n0\n11\n2\n21\n1\n0\nENDSEC\n0\nEOF\n");
    Put(Stick("quilts/loops/loop.QLI"), "VP 0,0\nVP 1000,0\nVP 1000,1000\nEN\n");
    Put(Stick("quilts/star.qcc"), "p X0.000 Y0.000\np X1.000 Y1.000\n");
    Put(Stick("quilts/.hidden/x.qcc"), "p X0 Y0\n");
    ASSERT_EQ(symlink("/etc", Stick("quilts/etc").c_str()), 0);
    Put("patterns/quilts/star.qcc", "old star\n");
    Put("thumbnails/feather.png", "old picture");
    messages.answers = {kResponseOk, kResponseCancel};  // copy the folder; keep the old star
    EXPECT_EQ(CopyChosen(Stick("quilts"), "./patterns", kPlaceUsb, kPlaceInternal), 1);
    EXPECT_EQ(messages.shown,
              (std::vector<std::string>{"COPY THE ENTIRE DIRECTORY:\n" + Stick("quilts") +
                                            " \n TO: \n./patterns/quilts ?",
                                        "FILE EXISTS!\nOVERWRITE FILE?", "DIRECTORY COPIED"}));
    EXPECT_NE(ReadFileText("patterns/quilts/feather.qcc").find("p X2.000 Y0.000"),
              std::string::npos);
    EXPECT_NE(ReadFileText("patterns/quilts/loops/loop.qcc").find("p X1.000"), std::string::npos);
    EXPECT_EQ(ReadFileText("patterns/quilts/star.qcc"), "old star\n");
    EXPECT_FALSE(Present("thumbnails/feather.png")) << "the old thumbnail goes";
    // Neither the hidden folder nor the link came along.
    EXPECT_EQ(Entries("patterns/quilts"), 3u);
    // A folder cannot go into itself.
    EXPECT_EQ(CopyChosen(Stick("quilts"), Stick("quilts/loops"), kPlaceUsb, kPlaceUsb), 0);
    EXPECT_EQ(CopyDirectory(Stick("quilts"), Stick("quilts/loops/quilts"), 1), 1);
    EXPECT_FALSE(Present(Stick("quilts/loops/quilts")));
}

TEST_F(FileManagerTest, AFailedOrRefusedCopyLeavesTheTargetWhole) {
    Put("patterns/a.qcc", "keep me\n");
    Put(Stick("bad.dxf"), "0\nSECTION\n2\nENTITIES\n0\nCIRCLE\n10\n1\n20\n1\n40\n-5\n0\nENDSEC\n");
    Put(Stick("a.qcc"), "new\n");
    const std::string failed = "ERROR: FILE COULD NOT BE COPIED",
                      same = "SORRY.\nYOU MAY NOT COPY TO THE SAME DIRECTORY.";
    const struct {
        std::string source, target;
        int answer, result;
        std::string message;
    } cases[] = {
        {Stick("missing.qcc"), "patterns/a.qcc", kResponseOk, kCopyFailed, failed},
        {Stick("bad.dxf"), "patterns/a.dxf", kResponseOk, kCopyFailed, failed},
        {Stick("a.qcc"), "patterns/a.qcc", kResponseCancel, kCopyDeclined,
         "FILE EXISTS!\nOVERWRITE FILE?"},
        {"patterns/a.qcc", "patterns/a.qcc", kResponseOk, kCopySamePlace, same},
        {"./patterns/a.qcc", dir.File("patterns/a.qcc"), kResponseOk, kCopySamePlace, same},
    };
    for (const auto& c : cases) {
        messages.answers = {c.answer};
        EXPECT_EQ(CopyFile(c.source, c.target, 0), c.result) << c.source;
        EXPECT_EQ(messages.Last(), c.message) << c.source;
        EXPECT_EQ(ReadFileText("patterns/a.qcc"), "keep me\n") << c.source;
    }
    EXPECT_EQ(Entries("patterns"), 1u) << "no temporary file left";
    messages.answers = {kResponseOk};
    EXPECT_EQ(CopyChosen(Stick("a.qcc"), "patterns", kPlaceUsb, kPlaceInternal), 1);
    EXPECT_EQ(ReadFileText("patterns/a.qcc"), "new\n");
    EXPECT_EQ(messages.Last(), "FILE COPIED");

    EXPECT_EQ(CopyChosen("", "patterns", kPlaceInternal, kPlaceInternal), 0);
    EXPECT_EQ(messages.Last(), "NO FILE SELECTED");
    EXPECT_EQ(CopyChosen("patterns/a.qcc", kNoDirectorySelected, kPlaceInternal, kPlaceInternal),
              0);
    EXPECT_EQ(messages.Last(), "NO DIRECTORY SELECTED");
    EXPECT_EQ(CopyChosen("patterns/a.qcc", "nowhere", kPlaceInternal, kPlaceInternal), 0);
    EXPECT_EQ(messages.Last(), "DIRECTORY NOT FOUND");
    EXPECT_EQ(CopyAllowedFrom(kPlacePreviews), 0);
}

TEST_F(FileManagerTest, DeletesWithThumbnailsAndNeverFollowsLinksOut) {
    for (const char* p : {"patterns/heart.qcc", "patterns/set/a.qcc", "patterns/set/deep/.b.qcc",
                          "thumbnails/heart.png", "thumbnails/a.png", "outside/precious.qcc"})
        Put(p, "keep\n");
    ASSERT_EQ(symlink(dir.File("outside").c_str(), "patterns/set/link"), 0);

    messages.answers = {kResponseCancel};
    EXPECT_EQ(DeleteChosen("patterns/heart.qcc", kPlaceInternal), 0);
    EXPECT_EQ(messages.shown,
              (std::vector<std::string>{"DELETE FILE:\nheart.qcc", "OPERATION CANCELED"}));
    EXPECT_EQ(DeleteChosen("patterns/set", kPlaceInternal), 1);
    EXPECT_EQ(messages.shown[2],
              "DELETE DIRECTORY: \n patterns/set\nAND ALL SUBDIRECTORIES AND FILES?");
    const struct {
        const char* path;
        int result;
        const char* message;
    } cases[] = {
        {"patterns/heart.qcc", 1, "FILE DELETED"},
        {"./patterns", 1, "DIRECTORY DELETED"},  // emptied, and there again for the next copy
        {"patterns/none.qcc", 0, "FILE NOT DELETED"},
        {kNoFileSelected, 0, "NO FILE SELECTED"},
    };
    Put("patterns/more/b.qcc", "p X0 Y0\n");
    for (const auto& c : cases) {
        EXPECT_EQ(DeleteChosen(c.path, kPlaceInternal), c.result) << c.path;
        EXPECT_EQ(messages.Last(), c.message);
    }
    EXPECT_FALSE(Present("thumbnails/heart.png"));
    EXPECT_FALSE(Present("thumbnails/a.png"));
    EXPECT_EQ(ReadFileText("outside/precious.qcc"), "keep\n");
    EXPECT_TRUE(IsFolder("patterns"));
    EXPECT_EQ(Entries("patterns"), 0u);
}

TEST_F(FileManagerTest, TheStickMustBeMountedAndFilesAreFoundInSubFoldersFirst) {
    Put(Stick("a/b/qcc_update.tar.gz"), "x");
    Put(Stick(".hidden/qcc_update.tar.gz"), "x");
    std::filesystem::create_directories(Stick("qcc_update.tar.gz.d"));
    std::string folder = Stick(""), name;
    ASSERT_EQ(findFile(folder, "qcc_update.tar.gz", &name), 1);
    EXPECT_EQ(folder, Stick("a/b"));
    EXPECT_EQ(name, "qcc_update.tar.gz");
    std::string none = Stick(".hidden");
    EXPECT_EQ(findFile(none, "other.tar.gz"), 0);
    EXPECT_EQ(none, Stick(".hidden"));

    EXPECT_EQ(ChooseFilePlace(kPlaceUsb), kPlaceUsb);
    std::filesystem::remove_all(Stick(""));
    std::filesystem::create_directories(Stick(""));
    EXPECT_EQ(UsbStickPresent(), 0) << "an empty mount folder is no stick";
    EXPECT_EQ(ChooseFilePlace(kPlaceUsb), kPlaceInternal);
    EXPECT_EQ(messages.Last().rfind("USB DRIVE NOT DETECTED.", 0), 0u);
    EXPECT_EQ(FilePlaceFolder(kPlaceUsb), root.path + "/media/usb/");
    // On the controller a stick is a folder on another device than its parent.
    SetSystemRoot(nullptr);
    EXPECT_EQ(IsMountedFolder("/proc"), 1);
    EXPECT_EQ(IsMountedFolder("/"), 1);
    EXPECT_EQ(IsMountedFolder(dir.path), 0);
    EXPECT_EQ(IsMountedFolder(dir.File("missing")), 0);
}

}  // namespace
