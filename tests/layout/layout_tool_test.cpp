// longarm-tool's listing and drawing of a layout file.
#include <gdk-pixbuf/gdk-pixbuf.h>

#include "layout/layout_file.h"
#include "layout_fixture.h"
#include "support/run_program.h"
#include "support/temp_dir.h"

namespace {

using LayoutToolTest = LayoutTest;

TEST_F(LayoutToolTest, ListsAndDrawsALayoutFile) {
    TempDir dir;
    BogusExtents();
    int slot = LoadRectangle(3, 2);
    GetPattern(slot)->name = "leaf";
    NewArrayNode(2, 1, 2, 1);
    NewPatternLayoutNode(slot, 0, 1, 1, 1);
    const std::string path = dir.File("quilt");
    Logged([&] { ASSERT_EQ(SaveLayout(path.c_str(), 0, 1), 1); });

    ProgramResult listed = RunProgram({LONGARM_TOOL_PATH, "layout", path + ".qlf"});
    EXPECT_EQ(listed.exitStatus, 0) << listed.err;
    for (const char* line : {"extents: origin 0.000, 0.000  size 35.000 x 14.000 in", "boxes: 1\n",
                             "pattern 0: \"leaf\"  3 points  0 commands  3.000 x 2.000 in",
                             "placement 0: pattern 0 in box 0 at 1.000, 1.000  array 0 (parent)",
                             "array 0: 2 down every 1.000 in, 2 across every 1.000 in"})
        EXPECT_NE(listed.out.find(line), std::string::npos) << listed.out;

    const std::string png = dir.File("quilt.png");
    ProgramResult drawn =
        RunProgram({LONGARM_TOOL_PATH, "render", path + ".qlf", png, "400", "200"});
    EXPECT_EQ(drawn.exitStatus, 0) << drawn.err;
    GdkPixbuf* image = gdk_pixbuf_new_from_file(png.c_str(), nullptr);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(std::pair(gdk_pixbuf_get_width(image), gdk_pixbuf_get_height(image)),
              std::pair(400, 200));
    const guchar* px = gdk_pixbuf_get_pixels(image);
    int inked = 0;  // the table outline alone is longer than 400 pixels
    for (int y = 0; y < 200; y++)
        for (int x = 0; x < 400; x++) {
            const guchar* p =
                px + y * gdk_pixbuf_get_rowstride(image) + x * gdk_pixbuf_get_n_channels(image);
            inked += p[0] != 255 || p[1] != 255 || p[2] != 255;
        }
    EXPECT_GT(inked, 400);
    g_object_unref(image);

    EXPECT_EQ(RunProgram({LONGARM_TOOL_PATH, "render", path + ".qlf"}).exitStatus, 2);
    EXPECT_EQ(RunProgram({LONGARM_TOOL_PATH, "render", path + ".qlf", png, "0", "5"}).exitStatus,
              2);
    ProgramResult missing = RunProgram({LONGARM_TOOL_PATH, "layout", dir.File("none.qlf")});
    EXPECT_EQ(missing.exitStatus, 1);
    EXPECT_NE(missing.err.find("COULD NOT OPEN LAYOUT FILE."), std::string::npos);
}

}  // namespace
