// Capture-size choice and frame conversion.
#include "camera/camera_frame.h"

#include <gtest/gtest.h>

#include <vector>

TEST(CaptureSize, ChoiceByModeWithinTheDeviceLimits) {
    const struct {
        const char* what;
        int minW, minH, maxW, maxH;
        int mode, width, height;  // the size asked (-1: unset)
        int result, chosenWidth, chosenHeight;
    } cases[] = {
        {"unset: largest", 48, 32, 640, 480, kSizeLargest, -1, -1, 1, 640, 480},
        {"unset: smallest", 48, 32, 640, 480, kSizeSmallest, -1, -1, 1, 48, 32},
        {"unset: half", 48, 32, 640, 480, kSizeHalfLargest, -1, -1, 1, 320, 240},
        {"one side unset is unset", 48, 32, 640, 480, kSizeHalfLargest, 200, 0, 1, 320, 240},
        {"half never below the smallest", 100, 100, 160, 120, kSizeHalfLargest, -1, -1, 1, 100,
         100},
        {"given: kept within the limits", 48, 32, 640, 480, kSizeLargest, 800, 10, 1, 640, 32},
        {"given: kept", 48, 32, 640, 480, kSizeSmallest, 352, 288, 1, 352, 288},
        {"no smallest: one pixel", 0, 0, 640, 480, kSizeSmallest, -1, -1, 1, 1, 1},
        {"smallest above largest", 900, 900, 640, 480, kSizeSmallest, -1, -1, 1, 640, 480},
        {"no width", 0, 0, 0, 480, kSizeLargest, -1, -1, 0, -1, -1},
        {"negative height", 0, 0, 640, -1, kSizeLargest, -1, -1, 0, -1, -1},
        {"too wide", 0, 0, kMaxCaptureSide + 1, 480, kSizeLargest, -1, -1, 0, -1, -1},
        {"unknown mode", 0, 0, 640, 480, 7, -1, -1, 0, -1, -1},
    };
    for (const auto& c : cases) {
        const video_capability cap{{}, VID_TYPE_CAPTURE, 0, 0, c.maxW, c.maxH, c.minW, c.minH};
        int w = c.width, h = c.height;
        EXPECT_EQ(ChooseCaptureSize(cap, c.mode, &w, &h), c.result) << c.what;
        EXPECT_EQ(c.result ? std::pair(w, h) : std::pair(-1, -1),
                  std::pair(c.chosenWidth, c.chosenHeight))
            << c.what;
    }
}

TEST(FrameConversion, PictureUsesTheTightRowStrideAndOwnsItsPixels) {
    // Width 3: a row of 9 bytes, which a padded image would round up to 12.
    std::vector<uint8_t> rgb(3 * 2 * 3);
    for (size_t i = 0; i < rgb.size(); ++i)
        rgb[i] = static_cast<uint8_t>(i * 11);
    GdkPixbuf* p = RgbFramePixbuf(rgb.data(), 3, 2);
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
