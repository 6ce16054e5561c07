// A scripted Video4Linux 1 camera for the camera tests: it answers the camera
// module's device calls, records what was written to it and delivers a
// synthetic picture in the device's blue-green-red memory order.
#pragma once

#include <gdk-pixbuf/gdk-pixbuf.h>
#include <gtest/gtest.h>
#include <libv4l1-videodev.h>

#include <cerrno>
#include <string>
#include <vector>

#include "camera/camera_capture.h"

// Colour c (0 red, 1 green, 2 blue) of pixel (x, y) of synthetic frame n.
inline uint8_t FramePixel(int x, int y, int n, int c) {
    return static_cast<uint8_t>(c == 0 ? x * 3 + n : c == 1 ? y * 5 + x : 200 - y);
}

// At first a capture device of 32 x 24 to 640 x 480 pixels in a YUV format,
// picture settings brightness 32768, hue 1000, colour 2000, contrast 3000,
// whiteness 4000, depth 16.
struct FakeDevice {
    std::string path = "/fake/video0";
    static constexpr int fd = 57;
    int opens = 0, closes = 0, reads = 0;
    bool openNow = false;
    video_capability capability{{}, VID_TYPE_CAPTURE, 0, 0, 640, 480, 32, 24};
    int capabilityErrno = 0;  // VIDIOCGCAP fails with this when not 0
    video_window window{};
    int adjustWidth = 0, adjustHeight = 0;  // the device's own size for VIDIOCSWIN, when set
    video_picture picture{32768, 1000, 2000, 3000, 4000, 16, VIDEO_PALETTE_YUV420};
    int rgbErrno = 0;  // VIDIOCSPICT with the RGB24 palette fails with this when not 0
    bool memoryBufferFails = false;
    std::vector<video_window> windowsWritten;
    std::vector<video_picture> picturesWritten;
    int notReadyReads = 0;  // reads answered with EAGAIN before a frame
    int readErrno = 0;      // every read fails with this when not 0
    ssize_t shortBy = 0;    // a frame this many bytes short
    int frameNumber = 0;    // of the next synthetic picture

    static inline FakeDevice* installed = nullptr;

    static int Fail(int error) {
        errno = error;
        return -1;
    }
    static int Ioctl(int fd, unsigned long request, void* arg) {
        FakeDevice& d = *installed;
        EXPECT_TRUE(fd == d.fd && d.openNow);
        switch (request) {
            case VIDIOCGCAP:
                if (d.capabilityErrno) return Fail(d.capabilityErrno);
                *static_cast<video_capability*>(arg) = d.capability;
                return 0;
            case VIDIOCGWIN:
                *static_cast<video_window*>(arg) = d.window;
                return 0;
            case VIDIOCSWIN:
                d.windowsWritten.push_back(d.window = *static_cast<video_window*>(arg));
                if (d.adjustWidth) d.window.width = d.adjustWidth;
                if (d.adjustHeight) d.window.height = d.adjustHeight;
                return 0;
            case VIDIOCGPICT:
                *static_cast<video_picture*>(arg) = d.picture;
                return 0;
            case VIDIOCSPICT: {
                const video_picture p = *static_cast<video_picture*>(arg);
                d.picturesWritten.push_back(p);
                if (p.palette == VIDEO_PALETTE_RGB24 && d.rgbErrno) return Fail(d.rgbErrno);
                d.picture = p;
                return 0;
            }
            case VIDIOCGMBUF:
                if (d.memoryBufferFails) return Fail(EINVAL);
                *static_cast<video_mbuf*>(arg) = video_mbuf{640 * 480 * 3, 2, {}};
                return 0;
        }
        return Fail(ENOTTY);
    }
    static ssize_t Read(int fd, void* buffer, size_t bytes) {
        FakeDevice& d = *installed;
        EXPECT_EQ(fd, d.fd);
        ++d.reads;
        if (d.readErrno) return Fail(d.readErrno);
        if (d.notReadyReads > 0 && d.notReadyReads--) return Fail(EAGAIN);
        const size_t w = d.window.width, frame = w * d.window.height * 3;
        EXPECT_EQ(bytes, frame) << "read size differs from the window";
        auto* out = static_cast<uint8_t*>(buffer);
        for (size_t i = 0; i < std::min(bytes, frame); ++i)
            out[i] = FramePixel(i / 3 % w, i / 3 / w, d.frameNumber, 2 - i % 3);
        ++d.frameNumber;
        return static_cast<ssize_t>(std::min(bytes, frame)) - d.shortBy;
    }
};

// Routes the camera module's device calls to the device (read time-out 200
// ms); null restores the real libv4l1.
inline void InstallFakeDevice(FakeDevice* device) {
    FakeDevice::installed = device;
    if (!device) return SetCameraIo(nullptr);
    const CameraIo io = {[](const char* path, int) {
                             FakeDevice& d = *FakeDevice::installed;
                             if (d.path != path) return FakeDevice::Fail(ENOENT);
                             ++d.opens;
                             d.openNow = true;
                             return d.fd;
                         },
                         [](int fd) {
                             FakeDevice& d = *FakeDevice::installed;
                             EXPECT_TRUE(fd == d.fd && d.openNow) << "closed twice";
                             ++d.closes;
                             d.openNow = false;
                             return 0;
                         },
                         FakeDevice::Ioctl, FakeDevice::Read, 200};
    SetCameraIo(&io);
}

// Checks that a picture shows synthetic frame n in red-green-blue order.
inline void ExpectSyntheticPicture(GdkPixbuf* p, int n) {
    ASSERT_NE(p, nullptr);
    const int stride = gdk_pixbuf_get_rowstride(p), channels = gdk_pixbuf_get_n_channels(p);
    const guchar* px = gdk_pixbuf_read_pixels(p);
    int wrong = 0;
    for (int y = 0; y < gdk_pixbuf_get_height(p); ++y)
        for (int x = 0; x < gdk_pixbuf_get_width(p); ++x)
            for (int c = 0; c < 3; ++c)
                wrong += px[y * stride + x * channels + c] != FramePixel(x, y, n, c);
    EXPECT_EQ(wrong, 0);
}
