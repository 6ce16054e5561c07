// Capture-size choice and frame conversion.
#include "camera/camera_frame.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

video_capability Capability(int minW, int minH, int maxW, int maxH) {
    video_capability c{};
    c.type = VID_TYPE_CAPTURE;
    c.minwidth = minW;
    c.minheight = minH;
    c.maxwidth = maxW;
    c.maxheight = maxH;
    return c;
}

}  // namespace

TEST(CaptureSize, ChoiceByModeWithinTheDeviceLimits) {
    struct Case {
        const char* what;
        video_capability cap;
        int mode, width, height;  // the size asked (-1: unset)
        int result, chosenWidth, chosenHeight;
    } const cases[] = {
        {"unset: largest", Capability(48, 32, 640, 480), kSizeLargest, -1, -1, 1, 640, 480},
        {"unset: smallest", Capability(48, 32, 640, 480), kSizeSmallest, -1, -1, 1, 48, 32},
        {"unset: half", Capability(48, 32, 640, 480), kSizeHalfLargest, -1, -1, 1, 320, 240},
        {"one side unset is unset", Capability(48, 32, 640, 480), kSizeHalfLargest, 200, 0, 1, 320,
         240},
        {"half never below the smallest", Capability(100, 100, 160, 120), kSizeHalfLargest, -1, -1,
         1, 100, 100},
        {"given: kept within the limits", Capability(48, 32, 640, 480), kSizeLargest, 800, 10, 1,
         640, 32},
        {"given: kept", Capability(48, 32, 640, 480), kSizeSmallest, 352, 288, 1, 352, 288},
        {"no smallest: one pixel", Capability(0, 0, 640, 480), kSizeSmallest, -1, -1, 1, 1, 1},
        {"smallest above largest", Capability(900, 900, 640, 480), kSizeSmallest, -1, -1, 1, 640,
         480},
        {"no width", Capability(0, 0, 0, 480), kSizeLargest, -1, -1, 0, -1, -1},
        {"negative height", Capability(0, 0, 640, -1), kSizeLargest, -1, -1, 0, -1, -1},
        {"too wide", Capability(0, 0, kMaxCaptureSide + 1, 480), kSizeLargest, -1, -1, 0, -1, -1},
        {"unknown mode", Capability(0, 0, 640, 480), 7, -1, -1, 0, -1, -1},
    };
    for (const Case& c : cases) {
        int w = c.width, h = c.height;
        EXPECT_EQ(ChooseCaptureSize(c.cap, c.mode, &w, &h), c.result) << c.what;
        if (c.result) {
            EXPECT_EQ(std::make_pair(w, h), std::make_pair(c.chosenWidth, c.chosenHeight))
                << c.what;
        }
    }
}

TEST(FrameConversion, PictureUsesTheTightRowStrideAndOwnsItsPixels) {
    // Width 3: a row of 9 bytes, which a padded image would round up to 12.
    const int w = 3, h = 2;
    std::vector<uint8_t> rgb(w * h * 3);
    for (size_t i = 0; i < rgb.size(); ++i)
        rgb[i] = static_cast<uint8_t>(i * 11);
    GdkPixbuf* p = RgbFramePixbuf(rgb.data(), w, h);
    ASSERT_NE(p, nullptr);
    EXPECT_EQ((std::vector<int>{gdk_pixbuf_get_width(p), gdk_pixbuf_get_height(p),
                                gdk_pixbuf_get_rowstride(p), gdk_pixbuf_get_n_channels(p),
                                gdk_pixbuf_get_has_alpha(p)}),
              (std::vector<int>{3, 2, 9, 3, 0}));
    const std::vector<uint8_t> expected = rgb;
    std::fill(rgb.begin(), rgb.end(), 0);  // the caller's buffer is reused
    const guchar* px = gdk_pixbuf_read_pixels(p);
    EXPECT_EQ(std::vector<uint8_t>(px, px + expected.size()), expected);
    g_object_unref(p);

    EXPECT_EQ(RgbFramePixbuf(nullptr, 3, 2), nullptr);
    EXPECT_EQ(RgbFramePixbuf(expected.data(), 0, 2), nullptr);
    EXPECT_EQ(RgbFramePixbuf(expected.data(), 3, -1), nullptr);
}
