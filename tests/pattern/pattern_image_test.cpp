// Rasterising patterns: the pixel rules of lines and points, pen lifting,
// near-point skipping, entity highlighting and windows of the view images.
#include <gdk-pixbuf/gdk-pixbuf.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <utility>

#include "pattern/pattern.h"
#include "pattern/pattern_image.h"
#include "pattern/pattern_test.h"

namespace {

struct Rgba {
    int r, g, b, a;
    bool operator==(const Rgba&) const = default;
};

Rgba PixelAt(GdkPixbuf* image, int x, int y) {
    const guchar* p = gdk_pixbuf_get_pixels(image) + y * gdk_pixbuf_get_rowstride(image) + x * 4;
    return {p[0], p[1], p[2], p[3]};
}

const Rgba kClear{255, 255, 255, 0};
const Rgba kBlack{0, 0, 0, 255};
const Rgba kRed{255, 0, 0, 255};

// The pixels that are not transparent.
std::set<std::pair<int, int>> Drawn(GdkPixbuf* image) {
    std::set<std::pair<int, int>> drawn;
    for (int y = 0; y < gdk_pixbuf_get_height(image); y++)
        for (int x = 0; x < gdk_pixbuf_get_width(image); x++)
            if (PixelAt(image, x, y).a != 0) drawn.insert({x, y});
    return drawn;
}

struct Image {
    explicit Image(GdkPixbuf* p) : pixbuf(p) {}
    ~Image() {
        if (pixbuf) g_object_unref(pixbuf);
    }
    GdkPixbuf* pixbuf;
};

// A pattern's image is sized from the pattern and the scale; new images are one
// pixel larger than asked and transparent white.
TEST(PatternImage, SizedOneLargerAndTransparentWhite) {
    Pattern p = FromLines({"p X0 Y0", "p X2.5 Y1.0"});
    Image image(CreatePixbufFromPattern(&p, 0.1f));
    ASSERT_TRUE(image.pixbuf);
    EXPECT_EQ(gdk_pixbuf_get_width(image.pixbuf), 26);
    EXPECT_EQ(gdk_pixbuf_get_height(image.pixbuf), 11);
    Image blank(NewPixbuf(9, 4));
    EXPECT_EQ(gdk_pixbuf_get_width(blank.pixbuf), 10);
    EXPECT_EQ(PixelAt(blank.pixbuf, 9, 4), kClear);
    EXPECT_EQ(NewPixbuf(-1, 3), nullptr);
    EXPECT_EQ(NewPixbuf(100000, 100000), nullptr);  // refused, not attempted
    EXPECT_EQ(CreatePixbufFromPattern(&p, 0.0f), nullptr);
    EXPECT_EQ(CreatePixbufFromPattern(&p, 0.00001f), nullptr);  // 250,000 pixels wide
}

TEST(DrawPixel, WritesInsideRgbaImagesOnly) {
    Image image(NewPixbuf(3, 3));
    DrawPixel(image.pixbuf, 1, 2, 10, 20, 30, 40);
    EXPECT_EQ(PixelAt(image.pixbuf, 1, 2), (Rgba{10, 20, 30, 40}));
    DrawPixel(image.pixbuf, -1, 0, 0, 0, 0, 255);
    DrawPixel(image.pixbuf, 4, 0, 0, 0, 0, 255);
    DrawPixel(image.pixbuf, 0, 4, 0, 0, 0, 255);
    EXPECT_EQ(Drawn(image.pixbuf).size(), 1u);

    Image rgb(gdk_pixbuf_new(GDK_COLORSPACE_RGB, FALSE, 8, 4, 4));
    gdk_pixbuf_fill(rgb.pixbuf, 0xFFFFFFFFu);
    DrawPixel(rgb.pixbuf, 0, 0, 0, 0, 0, 255);
    EXPECT_EQ(gdk_pixbuf_get_pixels(rgb.pixbuf)[0], 255);
}

// The pixels drawn, as "x,y" ordered by x, then y.
std::string DrawnText(GdkPixbuf* image) {
    std::string text;
    for (const auto& [x, y] : Drawn(image))
        text += (text.empty() ? "" : " ") + std::to_string(x) + "," + std::to_string(y);
    return text;
}

// Lines step along their longer axis and leave out the larger end; pixels
// outside the image are skipped.
TEST(DrawLine, StepsAlongTheLongerAxisAndLeavesOutTheLargerEnd) {
    const struct {
        int x0, y0, x1, y1;
        const char* pixels;
    } cases[] = {
        {10, 3, 2, 7, "2,7 3,6 4,6 5,5 6,5 7,4 8,4 9,3"},  // y = int(8 - x / 2)
        {4, 1, 4, 6, "4,1 4,2 4,3 4,4 4,5"},
        {0, 0, 3, 9, "0,0 0,1 0,2 1,3 1,4 1,5 2,6 2,7 2,8"},  // x = int(y / 3)
        {2, 2, 2, 2, ""},
        {-5, 2, 1000000, 2, "0,2 1,2 2,2 3,2 4,2 5,2 6,2 7,2 8,2 9,2"},
    };
    for (const auto& c : cases) {
        Image image(NewPixbuf(9, 9));
        DrawLine(image.pixbuf, c.x0, c.y0, c.x1, c.y1, 0, 0, 0, 255);
        EXPECT_EQ(DrawnText(image.pixbuf), c.pixels) << c.x0 << "," << c.y0;
    }
}

TEST(DrawPattern, StopsLiftThePenAndNearPointsAreSkipped) {
    Pattern p = FromLines({"p X0 Y0", "p X1 Y0", "p X1.04 Y0.02", "c s", "p X1 Y1", "p X0 Y1"});
    Image image(NewPixbuf(10, 10));
    int remembered = DrawPattern(image.pixbuf, &p, 0, 0, 0.1f, -1);
    // Point 3 lies within 0.05 inch of point 2: neither drawn nor remembered.
    EXPECT_EQ(remembered, 4);
    auto drawn = Drawn(image.pixbuf);
    std::set<std::pair<int, int>> expected;
    for (int x = 0; x < 10; x++)
        expected.insert({x, 0});  // (0,0) to (1,0)
    for (int x = 0; x < 10; x++)
        expected.insert({x, 10});  // (1,1) to (0,1)
    EXPECT_EQ(drawn, expected);    // no line down the right side: the pen was lifted
    EXPECT_EQ(PixelAt(image.pixbuf, 3, 0), kBlack);
}

TEST(DrawPattern, PointsOutsideTheImageLiftThePen) {
    Pattern p = FromLines({"p X0 Y0", "p X0.5 Y0", "p X5 Y0", "p X0.5 Y0.5", "p X0 Y0.5"});
    Image image(NewPixbuf(9, 9));  // 10 x 10 pixels at 0.1: up to x = 0.99
    int remembered = DrawPattern(image.pixbuf, &p, 0, 0, 0.1f, -1);
    EXPECT_EQ(remembered, 4);
    auto drawn = Drawn(image.pixbuf);
    EXPECT_TRUE(drawn.count({2, 0}));
    EXPECT_FALSE(drawn.count({5, 2}));  // nothing from (0.5, 0) toward the far point
    EXPECT_TRUE(drawn.count({2, 5}));   // (0.5, 0.5) started anew, then joined to (0, 0.5)
}

TEST(DrawPattern, OffsetAndMinimumShiftThePathAndOldPixelsAreCleared) {
    Pattern p = FromLines({"p X2 Y3", "p X2.5 Y3"});
    Image image(NewPixbuf(20, 20));
    DrawPixel(image.pixbuf, 18, 18, 0, 0, 0, 255);
    DrawPattern(image.pixbuf, &p, 0.5f, 0.25f, 0.125f, -1);
    auto drawn = Drawn(image.pixbuf);
    ASSERT_FALSE(drawn.empty());
    EXPECT_EQ(*drawn.begin(), std::make_pair(4, 2));
    EXPECT_EQ(PixelAt(image.pixbuf, 18, 18), kClear);
}

TEST(DrawPattern, HighlightsTheChosenEntityInRed) {
    Pattern p = FromLines({"c e s", "p X0 Y0", "p X1 Y0", "c e e", "c s", "c e s", "p X0 Y0.5",
                           "p X1 Y0.5", "c e e", "p X1 Y1"});
    Image image(NewPixbuf(10, 10));
    DrawPattern(image.pixbuf, &p, 0, 0, 0.1f, 2);
    EXPECT_EQ(PixelAt(image.pixbuf, 4, 0), kBlack);
    EXPECT_EQ(PixelAt(image.pixbuf, 4, 5), kRed);
    // After the entity's end the lines are black again.
    EXPECT_EQ(PixelAt(image.pixbuf, 10, 7), kBlack);

    DrawPattern(image.pixbuf, &p, 0, 0, 0.1f, -1);
    EXPECT_EQ(PixelAt(image.pixbuf, 4, 5), kBlack);
}

TEST(Thumbnail, FitsThePatternAndKeepsTheFarEdges) {
    // 2 x 1 inches into 40 x 40: 0.05 inch per pixel, the far edge at pixel 40.
    Pattern p = FromLines({"p X0 Y0", "p X2 Y0", "p X2 Y1", "p X0 Y1", "p X0 Y0"});
    Image image(RenderPatternThumbnail(&p, 40, 40));
    ASSERT_TRUE(image.pixbuf);
    EXPECT_EQ(gdk_pixbuf_get_width(image.pixbuf), 40);
    EXPECT_EQ(gdk_pixbuf_get_height(image.pixbuf), 40);
    EXPECT_EQ(PixelAt(image.pixbuf, 20, 0), kBlack);   // top edge
    EXPECT_EQ(PixelAt(image.pixbuf, 39, 10), kClear);  // right edge lies at pixel 40
    EXPECT_EQ(PixelAt(image.pixbuf, 20, 20), kBlack);  // bottom edge at y = 1 inch
    EXPECT_EQ(PixelAt(image.pixbuf, 0, 10), kBlack);   // left edge
    EXPECT_EQ(PixelAt(image.pixbuf, 20, 30), kClear);
}

// A window of the coverage masks holds exactly the pixels of the same part of
// the whole RGBA image: black in ink, red in red, whatever the window (inside,
// across an edge, one pixel, the whole image, beyond it).
TEST(PatternMask, WindowsHoldThePixelsOfTheWholeImage) {
    Pattern p = FromLines({"c e s", "p X0 Y0", "p X3 Y1.3", "p X0.2 Y2.9", "c e e", "c s", "c e s",
                           "p X2.9 Y0.1", "p X0.1 Y2.5", "c e e", "p X3 Y3"});
    const float scale = 0.05f;
    int w = 0, h = 0;
    ASSERT_TRUE(PatternImageSize(&p, scale, &w, &h));
    EXPECT_EQ(w, 61);
    Image whole(CreatePixbufFromPattern(&p, scale));
    DrawPattern(whole.pixbuf, &p, 0, 0, scale, 2);
    const int windows[][4] = {
        {0, 0, w, h}, {10, 20, 17, 9}, {55, 50, 30, 30}, {30, 13, 1, 1}, {70, 0, 5, 5}};
    for (const auto& win : windows) {
        PatternImageMask mask;
        mask.left = win[0], mask.top = win[1], mask.width = win[2], mask.height = win[3];
        ASSERT_TRUE(DrawPatternMask(&p, scale, 2, mask));
        mask.red.resize(mask.ink.size());  // no red drawn: none
        EXPECT_EQ(mask.stride % 4, 0);
        int inked = 0;
        for (int y = 0; y < mask.height; y++) {
            for (int x = 0; x < mask.width; x++) {
                const int fx = mask.left + x, fy = mask.top + y;
                const Rgba expected = fx < w && fy < h ? PixelAt(whole.pixbuf, fx, fy) : kClear;
                const std::size_t at = static_cast<std::size_t>(y) * mask.stride + x;
                const Rgba got = mask.red[at] ? kRed : mask.ink[at] ? kBlack : kClear;
                ASSERT_EQ(got, expected)
                    << "window " << win[0] << "," << win[1] << " pixel " << fx << "," << fy;
                inked += mask.ink[at] != 0;
            }
        }
        if (win[2] == w) {
            EXPECT_GT(inked, 100);
            EXPECT_TRUE(std::count(mask.red.begin(), mask.red.end(), 255) > 20);
        }
    }
    PatternImageMask tooLarge;
    tooLarge.width = kMaxImageSide + 1;
    tooLarge.height = 1;
    EXPECT_FALSE(DrawPatternMask(&p, scale, -1, tooLarge));
}

}  // namespace
