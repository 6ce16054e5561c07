#include <gdk-pixbuf/gdk-pixbuf.h>
#include <sys/stat.h>

#include <array>
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

// An RGBA image of w x h, transparent but for opaque black blocks (x, y, w, h).
GdkPixbuf* Image(int w, int h, std::initializer_list<std::array<int, 4>> blocks) {
    GdkPixbuf* image = gdk_pixbuf_new(GDK_COLORSPACE_RGB, TRUE, 8, w, h);
    gdk_pixbuf_fill(image, 0xFFFFFF00u);
    for (const auto& [x, y, bw, bh] : blocks) {
        GdkPixbuf* block = gdk_pixbuf_new_subpixbuf(image, x, y, bw, bh);
        gdk_pixbuf_fill(block, 0x000000FFu);
        g_object_unref(block);
    }
    return image;
}

int Alpha(GdkPixbuf* p, int x, int y) {
    return gdk_pixbuf_get_pixels(p)[y * gdk_pixbuf_get_rowstride(p) + x * 4 + 3];
}

int OpaqueCount(GdkPixbuf* image) {
    int count = 0;
    for (int y = 0; y < gdk_pixbuf_get_height(image); y++)
        for (int x = 0; x < gdk_pixbuf_get_width(image); x++)
            count += Alpha(image, x, y) == 255;
    return count;
}

// A quarter turn swaps the sides without holes and turns clockwise; the result
// is cropped to the opaque pixels; bad input is refused.
TEST(RotatePixbuf, TurnsClockwiseCropsToTheOpaquePixelsAndLeavesNoHoles) {
    EXPECT_EQ(RotatePixbuf(nullptr, 1.0), nullptr);
    GdkPixbuf* image = Image(1, 1, {});
    GdkPixbuf* turned = RotatePixbuf(image, 1.0);  // nothing opaque: the result stays whole
    ASSERT_NE(turned, nullptr);
    EXPECT_GE(std::min(gdk_pixbuf_get_width(turned), gdk_pixbuf_get_height(turned)), 2);
    g_object_unref(turned);
    g_object_unref(image);

    image = Image(40, 20, {{0, 0, 40, 20}});
    turned = RotatePixbuf(image, M_PI / 2);
    EXPECT_EQ((std::vector<int>{gdk_pixbuf_get_width(turned), gdk_pixbuf_get_height(turned),
                                OpaqueCount(turned)}),
              (std::vector<int>{20, 40, 800}));
    g_object_unref(turned);
    // An odd angle keeps the area within a few percent, with no hole inside.
    turned = RotatePixbuf(image, 0.5);
    EXPECT_NEAR(OpaqueCount(turned), 800, 40);
    EXPECT_EQ(Alpha(turned, gdk_pixbuf_get_width(turned) / 2, gdk_pixbuf_get_height(turned) / 2),
              255);
    g_object_unref(turned);
    g_object_unref(image);
    // A 5 x 5 block at the top left and a 3 x 3 one at the centre of 41 x 41:
    // cropped to both (columns 19 … 40), the first lands at the top right.
    image = Image(41, 41, {{0, 0, 5, 5}, {19, 19, 3, 3}});
    turned = RotatePixbuf(image, M_PI / 2);
    EXPECT_EQ(gdk_pixbuf_get_width(turned), 22);
    // The top right corner filled, the top left empty.
    EXPECT_EQ(std::pair(Alpha(turned, 21, 0), Alpha(turned, 0, 0)), std::pair(255, 0));
    g_object_unref(turned);
    g_object_unref(image);
}

}  // namespace
