// Thumbnails of pattern files: the cache (hit, stale size, older than the
// pattern, shared name) and the failure message.
#include <fcntl.h>
#include <gdk-pixbuf/gdk-pixbuf.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>

#include "base/ui_hooks.h"
#include "pattern/pattern_image.h"
#include "pattern/pattern_thumbnail.h"
#include "support/temp_dir.h"

namespace {

std::string lastMessage;
int RecordMessage(int, int, const char* text) {
    lastMessage = text;
    return kResponseOk;
}

struct ThumbnailTest : ::testing::Test {
    void SetUp() override {
        UserInterfaceHooks hooks;
        hooks.showMessage = RecordMessage;
        SetUserInterfaceHooks(hooks);
        lastMessage.clear();
        folder = dir.File("thumbnails/");
    }
    void TearDown() override { SetUserInterfaceHooks({}); }

    std::string Pattern(const std::string& name, const std::string& text) {
        std::string path = dir.File(name);
        std::filesystem::create_directories(std::filesystem::path(path).parent_path());
        EXPECT_TRUE(WriteFileText(path, text));
        return path;
    }

    // Sets a file's modification time, seconds after an arbitrary epoch.
    static void SetTime(const std::string& path, long seconds) {
        struct timespec times[2] = {{seconds, 0}, {seconds, 0}};
        ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
    }

    static int Alpha(GdkPixbuf* image, int x, int y) {
        return gdk_pixbuf_get_pixels(image)[y * gdk_pixbuf_get_rowstride(image) + x * 4 + 3];
    }

    TempDir dir;
    std::string folder;
};

const char* kLine = "p X0.000 Y0.000\np X4.000 Y0.000\n";  // along the top row

TEST(ThumbnailPathTest, FileNameWithPngInTheThumbnailFolder) {
    EXPECT_EQ(ThumbnailPath("./thumbnails/", "./patterns/Feathers/swirl.qcc"),
              "./thumbnails/swirl.png");
    EXPECT_EQ(ThumbnailPath("./thumbnails/", "/media/usb/a.b.qcc"), "./thumbnails/a.b.png");
    EXPECT_EQ(ThumbnailPath("t/", "noext"), "t/noext.png");
}

// Writes a cached picture of the given size with a mark the line pattern would
// never draw, at the given time.
void WriteMarkedPicture(const std::string& path, int width, int height, long seconds) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    GdkPixbuf* marked = NewPixbuf(width - 1, height - 1);
    DrawPixel(marked, width - 10, height - 5, 1, 2, 3, 255);
    ASSERT_TRUE(gdk_pixbuf_save(marked, path.c_str(), "png", nullptr, nullptr));
    g_object_unref(marked);
    ThumbnailTest::SetTime(path, seconds);
}

TEST_F(ThumbnailTest, TheCacheIsUsedOnlyWhenItIsNewerReadableAndOfTheSize) {
    enum Cache { kNone, kNewer, kOlder, kOtherSize, kUnreadable };
    for (Cache cache : {kNone, kNewer, kOlder, kOtherSize, kUnreadable}) {
        SCOPED_TRACE(cache);
        const std::string path = Pattern("line.qcc", kLine);
        const std::string cached = folder + "line.png";
        std::filesystem::remove(cached);
        SetTime(path, 1000);
        if (cache == kNewer) WriteMarkedPicture(cached, 40, 20, 2000);
        if (cache == kOlder) WriteMarkedPicture(cached, 40, 20, 500);
        if (cache == kOtherSize) WriteMarkedPicture(cached, 20, 10, 2000);
        if (cache == kUnreadable) {
            std::filesystem::create_directories(folder);
            ASSERT_TRUE(WriteFileText(cached, "not a picture"));
            SetTime(cached, 2000);
        }
        GdkPixbuf* image = GetPatternThumbnail(path.c_str(), folder.c_str(), 40, 20);
        ASSERT_TRUE(image);
        EXPECT_EQ(gdk_pixbuf_get_width(image), 40);
        EXPECT_EQ(gdk_pixbuf_get_height(image), 20);
        // Drawn from the pattern (the top row), or the cached picture with its mark.
        EXPECT_EQ(Alpha(image, 20, 0), cache == kNewer ? 0 : 255);
        EXPECT_EQ(Alpha(image, 30, 15), cache == kNewer ? 255 : 0);
        EXPECT_EQ(Alpha(image, 20, 10), 0);
        g_object_unref(image);
        int w = 0, h = 0;
        ASSERT_TRUE(gdk_pixbuf_get_file_info(cached.c_str(), &w, &h));
        EXPECT_EQ(w, 40);
        EXPECT_EQ(h, 20);
    }
}

TEST_F(ThumbnailTest, InvalidFilesGiveTheMessageAndNoImage) {
    for (const std::string& path : {Pattern("empty.qcc", "n x\n"), dir.File("missing.qcc")}) {
        lastMessage.clear();
        EXPECT_EQ(GetPatternThumbnail(path.c_str(), folder.c_str(), 40, 20), nullptr);
        EXPECT_EQ(lastMessage, "Pattern File Is Invalid\n");
    }
    EXPECT_FALSE(std::filesystem::exists(folder + "missing.png"));
}

TEST_F(ThumbnailTest, UsesThePreviewSizeAndTheProgramFolder) {
    std::string path = Pattern("line.qcc", kLine);
    auto old = std::filesystem::current_path();
    std::filesystem::current_path(dir.path);
    GdkPixbuf* image = GetPicFromFile(path.c_str());
    std::filesystem::current_path(old);
    ASSERT_TRUE(image);
    EXPECT_EQ(gdk_pixbuf_get_width(image), 140);
    EXPECT_EQ(gdk_pixbuf_get_height(image), 80);
    g_object_unref(image);
    EXPECT_TRUE(std::filesystem::exists(dir.File("thumbnails/line.png")));
}

}  // namespace
