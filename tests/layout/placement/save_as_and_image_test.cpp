#include <gdk-pixbuf/gdk-pixbuf.h>
#include <sys/stat.h>

#include <cmath>

#include "pattern/pattern_save_as.h"
#include "pattern/pixbuf_rotate.h"
#include "placement_fixture.h"
#include "support/temp_dir.h"

namespace {

using SavePatternAsTest = PlacementTest;

TEST_F(SavePatternAsTest, SavesUnderTheTypedNameAndAsksBeforeReplacing) {
    const std::pair<const char*, const char*> names[] = {{"Feather", "Feather.qcc"},
                                                         {"  Loops 2  ", "Loops 2.qcc"},
                                                         {"swirl.qcc", "swirl.qcc"},
                                                         {"../../etc/passwd", "etcpasswd.qcc"},
                                                         {"a\\b\n", "ab.qcc"},
                                                         {".hidden", "hidden.qcc"},
                                                         {"", ""},
                                                         {" ./ ", ""}};
    for (const auto& [typed, name] : names)
        EXPECT_EQ(PatternFileNameFromEntry(typed), name);
    EXPECT_EQ(PatternFileNameFromEntry(std::string(300, 'x')).size(), 124u);
    TempDir dir;
    const std::string folder = dir.path + "/";
    int slot = LoadPoints({{0, 0}, {2, 0}, {2, 1}});
    const Pattern* p = GetPattern(slot);

    script.typed = "Star";
    EXPECT_EQ(SavePatternAs(p, folder.c_str()), 1);
    EXPECT_EQ(script.prompts, std::vector<std::string>{"SAVE AS:"});
    EXPECT_NE(ReadFileText(dir.File("Star.qcc")).find("p X2.000 Y1.000"), std::string::npos);
    EXPECT_TRUE(script.shown.empty());
    // The name exists: No keeps the old file untouched.
    WriteFileText(dir.File("Star.qcc"), "old");
    script.messageResponse = kResponseNo;
    EXPECT_EQ(SavePatternAs(p, folder.c_str()), 0);
    EXPECT_EQ(script.shown, std::vector<std::string>{"FILE EXIXTS!\n\nOVERWRITE?"});
    EXPECT_EQ(ReadFileText(dir.File("Star.qcc")), "old");
    script.messageResponse = kResponseYes;
    EXPECT_EQ(SavePatternAs(p, folder.c_str()), 1);
    EXPECT_NE(ReadFileText(dir.File("Star.qcc")), "old");
    // Cancel on the keyboard, or nothing usable typed: nothing written, nothing asked.
    script.shown.clear();
    script.keyboardResult = 0;
    EXPECT_EQ(SavePatternAs(p, folder.c_str()), 0);
    script.keyboardResult = 1;
    script.typed = "//";
    EXPECT_EQ(SavePatternAs(p, folder.c_str()), 0);
    EXPECT_TRUE(script.shown.empty());
    EXPECT_EQ(SavePatternAs(nullptr, folder.c_str()), 0);

    script.typed = "Nowhere";
    EXPECT_EQ(SavePatternAs(p, "/nonexistent-folder/for/patterns/"), -1);
    EXPECT_EQ(script.shown, std::vector<std::string>{"COULD NOT SAVE PATTERN FILE."});
}

// An RGBA image of w x h with an opaque black rectangle (rx, ry, rw, rh).
GdkPixbuf* ImageWithBlock(int w, int h, int rx, int ry, int rw, int rh) {
    GdkPixbuf* image = gdk_pixbuf_new(GDK_COLORSPACE_RGB, TRUE, 8, w, h);
    gdk_pixbuf_fill(image, 0xFFFFFF00u);
    GdkPixbuf* block = gdk_pixbuf_new_subpixbuf(image, rx, ry, rw, rh);
    gdk_pixbuf_fill(block, 0x000000FFu);
    g_object_unref(block);
    return image;
}

int OpaqueCount(GdkPixbuf* image) {
    int count = 0;
    const int stride = gdk_pixbuf_get_rowstride(image);
    const guchar* px = gdk_pixbuf_get_pixels(image);
    for (int y = 0; y < gdk_pixbuf_get_height(image); y++)
        for (int x = 0; x < gdk_pixbuf_get_width(image); x++)
            if (px[y * stride + x * 4 + 3] == 255) count++;
    return count;
}

// A quarter turn swaps the sides without holes and turns clockwise; the result
// is cropped to the opaque pixels; bad input is refused.
TEST(RotatePixbuf, TurnsClockwiseCropsToTheOpaquePixelsAndLeavesNoHoles) {
    EXPECT_EQ(RotatePixbuf(nullptr, 1.0), nullptr);
    GdkPixbuf* image = ImageWithBlock(1, 1, 0, 0, 1, 1);
    gdk_pixbuf_fill(image, 0);  // nothing opaque: the result stays whole
    GdkPixbuf* turned = RotatePixbuf(image, 1.0);
    ASSERT_NE(turned, nullptr);
    EXPECT_GE(std::min(gdk_pixbuf_get_width(turned), gdk_pixbuf_get_height(turned)), 2);
    g_object_unref(turned);
    g_object_unref(image);

    image = ImageWithBlock(40, 20, 0, 0, 40, 20);
    turned = RotatePixbuf(image, M_PI / 2);
    EXPECT_EQ((std::vector<int>{gdk_pixbuf_get_width(turned), gdk_pixbuf_get_height(turned),
                                OpaqueCount(turned)}),
              (std::vector<int>{20, 40, 800}));
    g_object_unref(turned);
    // An odd angle keeps the area within a few percent, with no hole inside.
    turned = RotatePixbuf(image, 0.5);
    EXPECT_NEAR(OpaqueCount(turned), 800, 40);
    int w = gdk_pixbuf_get_width(turned), h = gdk_pixbuf_get_height(turned);
    const guchar* px = gdk_pixbuf_get_pixels(turned);
    EXPECT_EQ(px[(h / 2) * gdk_pixbuf_get_rowstride(turned) + (w / 2) * 4 + 3], 255);
    g_object_unref(turned);
    g_object_unref(image);
    // A 5 x 5 block at the top left and a 3 x 3 one at the centre of 41 x 41:
    // cropped to both, the first lands at the top right.
    image = ImageWithBlock(41, 41, 0, 0, 5, 5);
    GdkPixbuf* centre = gdk_pixbuf_new_subpixbuf(image, 19, 19, 3, 3);
    gdk_pixbuf_fill(centre, 0x000000FFu);
    g_object_unref(centre);
    turned = RotatePixbuf(image, M_PI / 2);
    w = gdk_pixbuf_get_width(turned);
    EXPECT_EQ(w, 22);  // columns 19 … 40: nothing beyond the two blocks
    px = gdk_pixbuf_get_pixels(turned);
    EXPECT_EQ(px[(w - 1) * 4 + 3], 255);  // top right corner filled
    EXPECT_EQ(px[0 * 4 + 3], 0);          // top left now empty
    g_object_unref(turned);
    g_object_unref(image);
}

}  // namespace
