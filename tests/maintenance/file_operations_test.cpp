// The file manager's copies and deletes on a stand-in stick and program folder.
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>

#include "base/system_paths.h"
#include "base/ui_hooks.h"
#include "base/usb_drive.h"
#include "maintenance/file_manager.h"
#include "maintenance/file_operations.h"
#include "maintenance_test.h"

namespace {

const char kLine[] =
    "0\nSECTION\n2\nENTITIES\n0\nLINE\n8\n0\n10\n0.0\n20\n0.0\n30\n0.0\n11\n2.0\n21\n1.0\n31\n0.0\n"
    "0\nENDSEC\n0\nEOF\n";
const char kQli[] = "VP 0,0\nVP 1000,0\nVP 1000,1000\nEN\n";

using FileManagerTest = ProgramFolderTest;

TEST_F(FileManagerTest, CopiesAFolderOfDrawingsFromTheStickConvertingThem) {
    Put(Stick("quilts/feather.dxf"), kLine);
    Put(Stick("quilts/loops/loop.QLI"), kQli);
    Put(Stick("quilts/star.qcc"), "p X0.000 Y0.000\np X1.000 Y1.000\n");
    Put(Stick("quilts/.hidden/x.qcc"), "p X0 Y0\n");
    ASSERT_EQ(symlink("/etc", Stick("quilts/etc").c_str()), 0);
    Put("patterns/quilts/star.qcc", "old star\n");
    Put("thumbnails/feather.png", "old picture");
    messages.answers = {kResponseOk, kResponseCancel};  // copy the folder; keep the old star

    EXPECT_EQ(CopyChosen(Stick("quilts"), "./patterns", kPlaceUsb, kPlaceInternal), 1);
    EXPECT_EQ(messages.shown[0],
              "COPY THE ENTIRE DIRECTORY:\n" + Stick("quilts") + " \n TO: \n./patterns/quilts ?");
    EXPECT_TRUE(messages.Showed("FILE EXISTS!\nOVERWRITE FILE?"));
    EXPECT_EQ(messages.Last(), "DIRECTORY COPIED");
    EXPECT_NE(ReadFileText("patterns/quilts/feather.qcc").find("p X2.000 Y0.000"),
              std::string::npos);
    EXPECT_NE(ReadFileText("patterns/quilts/loops/loop.qcc").find("p X1.000"), std::string::npos);
    EXPECT_EQ(ReadFileText("patterns/quilts/star.qcc"), "old star\n") << "declined";
    EXPECT_FALSE(Present("patterns/quilts/.hidden"));
    EXPECT_FALSE(Present("patterns/quilts/etc")) << "links are not followed";
    EXPECT_FALSE(Present("thumbnails/feather.png")) << "the old thumbnail goes";
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator("patterns/quilts"), {}), 3);

    // A folder cannot go into itself.
    messages.shown.clear();
    EXPECT_EQ(CopyChosen(Stick("quilts"), Stick("quilts/loops"), kPlaceUsb, kPlaceUsb), 0);
    EXPECT_EQ(CopyDirectory(Stick("quilts"), Stick("quilts/loops/quilts"), 1), 1);
    EXPECT_FALSE(Present(Stick("quilts/loops/quilts")));
}

TEST_F(FileManagerTest, AFailedOrRefusedCopyLeavesTheTargetWhole) {
    Put("patterns/a.qcc", "keep me\n");
    Put(Stick("bad.dxf"), "0\nSECTION\n2\nENTITIES\n0\nCIRCLE\n10\n1\n20\n1\n40\n-5\n0\nENDSEC\n");
    Put(Stick("a.qcc"), "new\n");
    const struct {
        std::string source, target;
        int answer, result;
        const char* message;
    } cases[] = {
        {Stick("missing.qcc"), "patterns/a.qcc", kResponseOk, kCopyFailed,
         "ERROR: FILE COULD NOT BE COPIED"},
        {Stick("bad.dxf"), "patterns/a.dxf", kResponseOk, kCopyFailed,
         "ERROR: FILE COULD NOT BE COPIED"},
        {Stick("a.qcc"), "patterns/a.qcc", kResponseCancel, kCopyDeclined,
         "FILE EXISTS!\nOVERWRITE FILE?"},
        {"patterns/a.qcc", "patterns/a.qcc", kResponseOk, kCopySamePlace,
         "SORRY.\nYOU MAY NOT COPY TO THE SAME DIRECTORY."},
        {"./patterns/a.qcc", dir.File("patterns/a.qcc"), kResponseOk, kCopySamePlace,
         "SORRY.\nYOU MAY NOT COPY TO THE SAME DIRECTORY."},
    };
    for (const auto& c : cases) {
        messages.answers = {c.answer};
        EXPECT_EQ(CopyFile(c.source, c.target, 0), c.result) << c.source;
        EXPECT_EQ(messages.Last(), c.message) << c.source;
        EXPECT_EQ(ReadFileText("patterns/a.qcc"), "keep me\n") << c.source;
    }
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator("patterns"), {}), 1)
        << "no temporary file left";
    messages.answers = {kResponseOk};
    EXPECT_EQ(CopyChosen(Stick("a.qcc"), "patterns", kPlaceUsb, kPlaceInternal), 1);
    EXPECT_EQ(ReadFileText("patterns/a.qcc"), "new\n");
    EXPECT_EQ(messages.Last(), "FILE COPIED");
}

TEST_F(FileManagerTest, DeletesWithThumbnailsAndNeverFollowsLinksOut) {
    Put("patterns/heart.qcc", "p X0 Y0\n");
    Put("thumbnails/heart.png", "picture");
    Put("patterns/set/a.qcc", "p X0 Y0\n");
    Put("patterns/set/deep/.b.qcc", "p X0 Y0\n");
    Put("thumbnails/a.png", "picture");
    Put("outside/precious.qcc", "keep\n");
    ASSERT_EQ(symlink(dir.File("outside").c_str(), "patterns/set/link"), 0);

    messages.answers = {kResponseCancel};
    EXPECT_EQ(DeleteChosen("patterns/heart.qcc", kPlaceInternal), 0);
    EXPECT_EQ(messages.shown,
              (std::vector<std::string>{"DELETE FILE:\nheart.qcc", "OPERATION CANCELED"}));
    EXPECT_EQ(DeleteChosen("patterns/heart.qcc", kPlaceInternal), 1);
    EXPECT_EQ(messages.Last(), "FILE DELETED");
    EXPECT_FALSE(Present("patterns/heart.qcc"));
    EXPECT_FALSE(Present("thumbnails/heart.png"));

    EXPECT_EQ(DeleteChosen("patterns/set", kPlaceInternal), 1);
    EXPECT_EQ(messages.shown[messages.shown.size() - 2],
              "DELETE DIRECTORY: \n patterns/set\nAND ALL SUBDIRECTORIES AND FILES?");
    EXPECT_EQ(messages.Last(), "DIRECTORY DELETED");
    EXPECT_FALSE(Present("patterns/set"));
    EXPECT_FALSE(Present("thumbnails/a.png"));
    EXPECT_EQ(ReadFileText("outside/precious.qcc"), "keep\n");

    // The whole pattern folder: emptied, and there again for the next copy.
    Put("patterns/more/b.qcc", "p X0 Y0\n");
    EXPECT_EQ(DeleteChosen("./patterns", kPlaceInternal), 1);
    EXPECT_EQ(messages.Last(), "DIRECTORY DELETED");
    EXPECT_TRUE(IsFolder("patterns"));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator("patterns"), {}), 0);

    EXPECT_EQ(DeleteChosen("patterns/none.qcc", kPlaceInternal), 0);
    EXPECT_EQ(messages.Last(), "FILE NOT DELETED");
    EXPECT_EQ(DeleteChosen(kNoFileSelected, kPlaceInternal), 0);
    EXPECT_EQ(messages.Last(), "NO FILE SELECTED");
}

TEST_F(FileManagerTest, TheStickMustBeThereAndChosenPathsMustExist) {
    EXPECT_EQ(CopyChosen("", "patterns", kPlaceInternal, kPlaceInternal), 0);
    EXPECT_EQ(messages.Last(), "NO FILE SELECTED");
    EXPECT_EQ(CopyChosen("patterns/a.qcc", kNoDirectorySelected, kPlaceInternal, kPlaceInternal),
              0);
    EXPECT_EQ(messages.Last(), "NO DIRECTORY SELECTED");
    EXPECT_EQ(CopyChosen("patterns/a.qcc", "nowhere", kPlaceInternal, kPlaceInternal), 0);
    EXPECT_EQ(messages.Last(), "DIRECTORY NOT FOUND");
    EXPECT_EQ(CopyAllowedFrom(kPlacePreviews), 0);
    EXPECT_EQ(ChooseFilePlace(kPlaceUsb), kPlaceUsb);

    // An empty mount folder is no stick.
    ASSERT_EQ(unlink(Stick("readme.txt").c_str()), 0);
    EXPECT_EQ(UsbStickPresent(), 0);
    EXPECT_EQ(ChooseFilePlace(kPlaceUsb), kPlaceInternal);
    EXPECT_EQ(messages.Last().rfind("USB DRIVE NOT DETECTED.", 0), 0u);
    EXPECT_EQ(FilePlaceFolder(kPlaceUsb), root.path + "/media/usb/");
    // On the controller a stick is a folder on another device than its parent.
    SetSystemRoot(nullptr);
    EXPECT_EQ(IsMountedFolder("/proc"), 1);
    EXPECT_EQ(IsMountedFolder("/"), 1);
    EXPECT_EQ(IsMountedFolder(dir.File("patterns")), 0);
    EXPECT_EQ(IsMountedFolder(dir.File("missing")), 0);
}

TEST(FindFile, SearchesSubFoldersFirstAndOnlyMatchesFiles) {
    TempDir stick;
    Put(stick.File("a/b/qcc_update.tar.gz"), "x");
    Put(stick.File(".hidden/qcc_update.tar.gz"), "x");
    std::filesystem::create_directories(stick.File("qcc_update.tar.gz.d"));
    std::string folder = stick.path + "/";
    std::string name;
    ASSERT_EQ(findFile(folder, "qcc_update.tar.gz", &name), 1);
    EXPECT_EQ(folder, stick.File("a/b"));
    EXPECT_EQ(name, "qcc_update.tar.gz");
    std::string none = stick.File(".hidden");
    EXPECT_EQ(findFile(none, "other.tar.gz"), 0);
    EXPECT_EQ(none, stick.File(".hidden"));
}

}  // namespace
