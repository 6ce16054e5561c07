// The scripted camera device.
#include "fake_video_device.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>

#include "camera/camera_capture.h"

namespace {

FakeDevice* fake = nullptr;

// The synthetic picture: the colour of pixel (x, y) in frame number n.
uint8_t FrameRed(int x, int n) {
    return static_cast<uint8_t>(x * 3 + n);
}
uint8_t FrameGreen(int x, int y) {
    return static_cast<uint8_t>(y * 5 + x);
}
uint8_t FrameBlue(int y) {
    return static_cast<uint8_t>(200 - y);
}

int FakeOpen(const char* path, int) {
    if (fake->path != path) {
        errno = ENOENT;
        return -1;
    }
    ++fake->opens;
    fake->openNow = true;
    return fake->fd;
}

int FakeClose(int fd) {
    EXPECT_EQ(fd, fake->fd);
    EXPECT_TRUE(fake->openNow) << "closed twice";
    ++fake->closes;
    fake->openNow = false;
    return 0;
}

int FakeIoctl(int fd, unsigned long request, void* arg) {
    EXPECT_EQ(fd, fake->fd);
    EXPECT_TRUE(fake->openNow);
    switch (request) {
        case VIDIOCGCAP:
            if (fake->capabilityErrno) {
                errno = fake->capabilityErrno;
                return -1;
            }
            *static_cast<video_capability*>(arg) = fake->capability;
            return 0;
        case VIDIOCGWIN:
            *static_cast<video_window*>(arg) = fake->window;
            return 0;
        case VIDIOCSWIN: {
            video_window w = *static_cast<video_window*>(arg);
            fake->windowsWritten.push_back(w);
            if (fake->adjustWidth) w.width = fake->adjustWidth;
            if (fake->adjustHeight) w.height = fake->adjustHeight;
            fake->window = w;
            return 0;
        }
        case VIDIOCGPICT:
            *static_cast<video_picture*>(arg) = fake->picture;
            return 0;
        case VIDIOCSPICT: {
            const video_picture p = *static_cast<video_picture*>(arg);
            fake->picturesWritten.push_back(p);
            if (p.palette == VIDEO_PALETTE_RGB24 && fake->rgbErrno) {
                errno = fake->rgbErrno;
                return -1;
            }
            fake->picture = p;
            return 0;
        }
        case VIDIOCGMBUF:
            if (fake->memoryBufferFails) {
                errno = EINVAL;
                return -1;
            }
            static_cast<video_mbuf*>(arg)->size = 640 * 480 * 3;
            static_cast<video_mbuf*>(arg)->frames = 2;
            return 0;
    }
    errno = ENOTTY;
    return -1;
}

ssize_t FakeRead(int fd, void* buffer, size_t bytes) {
    EXPECT_EQ(fd, fake->fd);
    ++fake->reads;
    if (fake->readErrno) {
        errno = fake->readErrno;
        return -1;
    }
    if (fake->notReadyReads > 0) {
        --fake->notReadyReads;
        errno = EAGAIN;
        return -1;
    }
    const int w = static_cast<int>(fake->window.width), h = static_cast<int>(fake->window.height);
    EXPECT_EQ(bytes, static_cast<size_t>(w) * h * 3) << "read size differs from the window";
    auto* out = static_cast<uint8_t*>(buffer);
    const size_t frame = std::min(bytes, static_cast<size_t>(w) * h * 3);
    for (size_t i = 0; i + 2 < frame; i += 3) {
        const int x = static_cast<int>(i / 3 % w), y = static_cast<int>(i / 3 / w);
        out[i] = FrameBlue(y);
        out[i + 1] = FrameGreen(x, y);
        out[i + 2] = FrameRed(x, fake->frameNumber);
    }
    ++fake->frameNumber;
    return static_cast<ssize_t>(frame) - fake->shortBy;
}

}  // namespace

void MakeTypicalDevice(FakeDevice* device) {
    device->capability.type = VID_TYPE_CAPTURE;
    device->capability.maxwidth = 640;
    device->capability.maxheight = 480;
    device->capability.minwidth = 32;
    device->capability.minheight = 24;
    device->picture.brightness = 32768;
    device->picture.hue = 1000;
    device->picture.colour = 2000;
    device->picture.contrast = 3000;
    device->picture.whiteness = 4000;
    device->picture.depth = 16;
    device->picture.palette = VIDEO_PALETTE_YUV420;
}

void InstallFakeDevice(FakeDevice* device) {
    fake = device;
    if (!device) {
        SetCameraIo(nullptr);
        return;
    }
    const CameraIo io = {FakeOpen, FakeClose, FakeIoctl, FakeRead, 200};
    SetCameraIo(&io);
}

void ExpectSyntheticPicture(GdkPixbuf* p, int frameNumber) {
    ASSERT_NE(p, nullptr);
    const int w = gdk_pixbuf_get_width(p), h = gdk_pixbuf_get_height(p);
    const int stride = gdk_pixbuf_get_rowstride(p);
    const int channels = gdk_pixbuf_get_n_channels(p);
    const guchar* px = gdk_pixbuf_read_pixels(p);
    int wrong = 0;
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const guchar* q = px + y * stride + x * channels;
            if (q[0] != FrameRed(x, frameNumber) || q[1] != FrameGreen(x, y) ||
                q[2] != FrameBlue(y))
                ++wrong;
        }
    }
    EXPECT_EQ(wrong, 0);
}
