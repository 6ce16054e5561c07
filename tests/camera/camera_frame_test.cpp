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

TEST(CaptureSize, UnsetSizeFollowsTheSizeMode) {
    const video_capability cap = Capability(48, 32, 640, 480);
    struct Case {
        int mode, width, height;
    };
    for (const Case& c : {Case{kSizeLargest, 640, 480}, Case{kSizeSmallest, 48, 32},
                          Case{kSizeHalfLargest, 320, 240}}) {
        SCOPED_TRACE(c.mode);
        int w = -1, h = -1;
        ASSERT_EQ(ChooseCaptureSize(cap, c.mode, &w, &h), 1);
        EXPECT_EQ(w, c.width);
        EXPECT_EQ(h, c.height);
    }
    // Only one side unset is still unset.
    int w = 200, h = 0;
    ASSERT_EQ(ChooseCaptureSize(cap, kSizeHalfLargest, &w, &h), 1);
    EXPECT_EQ(w, 320);
    EXPECT_EQ(h, 240);
}

TEST(CaptureSize, HalfTheLargestNeverGoesBelowTheSmallest) {
    const video_capability cap = Capability(100, 100, 160, 120);
    int w = -1, h = -1;
    ASSERT_EQ(ChooseCaptureSize(cap, kSizeHalfLargest, &w, &h), 1);
    EXPECT_EQ(w, 100);
    EXPECT_EQ(h, 100);
}

TEST(CaptureSize, AGivenSizeIsKeptWithinTheDeviceLimits) {
    const video_capability cap = Capability(48, 32, 640, 480);
    int w = 800, h = 10;
    ASSERT_EQ(ChooseCaptureSize(cap, kSizeLargest, &w, &h), 1);
    EXPECT_EQ(w, 640);
    EXPECT_EQ(h, 32);
    w = 352;
    h = 288;
    ASSERT_EQ(ChooseCaptureSize(cap, kSizeSmallest, &w, &h), 1);
    EXPECT_EQ(w, 352);
    EXPECT_EQ(h, 288);
}

TEST(CaptureSize, UnusableCapabilitiesAreRefused) {
    int w = -1, h = -1;
    EXPECT_EQ(ChooseCaptureSize(Capability(0, 0, 0, 480), kSizeLargest, &w, &h), 0);
    EXPECT_EQ(ChooseCaptureSize(Capability(0, 0, 640, -1), kSizeLargest, &w, &h), 0);
    EXPECT_EQ(ChooseCaptureSize(Capability(0, 0, kMaxCaptureSide + 1, 480), kSizeLargest, &w, &h),
              0);
    EXPECT_EQ(ChooseCaptureSize(Capability(0, 0, 640, 480), 7, &w, &h), 0);
    // A device without a smallest size: one pixel is the smallest.
    ASSERT_EQ(ChooseCaptureSize(Capability(0, 0, 640, 480), kSizeSmallest, &w, &h), 1);
    EXPECT_EQ(w, 1);
    EXPECT_EQ(h, 1);
    // A smallest size above the largest is not believed either.
    w = h = -1;
    ASSERT_EQ(ChooseCaptureSize(Capability(900, 900, 640, 480), kSizeSmallest, &w, &h), 1);
    EXPECT_EQ(w, 640);
    EXPECT_EQ(h, 480);
}

TEST(FrameConversion, DeviceBlueGreenRedBecomesRedGreenBlue) {
    // Three pixels: pure red, pure green, pure blue as the device stores them.
    const std::vector<uint8_t> bgr = {0, 0, 255, 0, 255, 0, 255, 0, 0};
    std::vector<uint8_t> rgb(bgr.size(), 0x55);
    BgrToRgb(bgr.data(), rgb.data(), 3);
    EXPECT_EQ(rgb, (std::vector<uint8_t>{255, 0, 0, 0, 255, 0, 0, 0, 255}));
    // Zero pixels touch nothing.
    std::vector<uint8_t> untouched(3, 7);
    BgrToRgb(bgr.data(), untouched.data(), 0);
    EXPECT_EQ(untouched, (std::vector<uint8_t>{7, 7, 7}));
}

TEST(FrameConversion, PictureUsesTheTightRowStrideAndOwnsItsPixels) {
    // Width 3: a row of 9 bytes, which a padded image would round up to 12.
    const int w = 3, h = 2;
    std::vector<uint8_t> rgb(w * h * 3);
    for (size_t i = 0; i < rgb.size(); ++i)
        rgb[i] = static_cast<uint8_t>(i * 11);
    GdkPixbuf* p = RgbFramePixbuf(rgb.data(), w, h);
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(gdk_pixbuf_get_width(p), 3);
    EXPECT_EQ(gdk_pixbuf_get_height(p), 2);
    EXPECT_EQ(gdk_pixbuf_get_rowstride(p), 9);
    EXPECT_EQ(gdk_pixbuf_get_n_channels(p), 3);
    EXPECT_FALSE(gdk_pixbuf_get_has_alpha(p));
    const std::vector<uint8_t> expected = rgb;
    std::fill(rgb.begin(), rgb.end(), 0);  // the caller's buffer is reused
    const guchar* px = gdk_pixbuf_read_pixels(p);
    EXPECT_EQ(std::vector<uint8_t>(px, px + expected.size()), expected);
    // Pixel (2, 1) is red 165 at byte 9 + 6.
    EXPECT_EQ(px[9 + 6], 165);
    g_object_unref(p);

    EXPECT_EQ(RgbFramePixbuf(nullptr, 3, 2), nullptr);
    EXPECT_EQ(RgbFramePixbuf(expected.data(), 0, 2), nullptr);
    EXPECT_EQ(RgbFramePixbuf(expected.data(), 3, -1), nullptr);
}
