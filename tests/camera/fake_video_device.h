// A scripted Video4Linux 1 camera for the camera tests: it answers the device
// calls of the camera module, records what was written to it and delivers a
// synthetic picture in the device's blue-green-red memory order.
#pragma once

#include <gdk-pixbuf/gdk-pixbuf.h>
#include <sys/ioctl.h>

#include <libv4l1-videodev.h>
#include <sys/types.h>

#include <cstdint>
#include <string>
#include <vector>

struct FakeDevice {
    std::string path = "/fake/video0";
    int fd = 57;
    int opens = 0, closes = 0;
    bool openNow = false;
    video_capability capability{};
    int capabilityErrno = 0;  // VIDIOCGCAP fails with this when not 0
    video_window window{};
    int adjustWidth = 0, adjustHeight = 0;  // the device's own size for VIDIOCSWIN, when set
    video_picture picture{};
    int rgbErrno = 0;  // VIDIOCSPICT with the RGB24 palette fails with this when not 0
    bool memoryBufferFails = false;
    std::vector<video_window> windowsWritten;
    std::vector<video_picture> picturesWritten;
    int notReadyReads = 0;  // reads answered with EAGAIN before a frame
    int readErrno = 0;      // every read fails with this when not 0
    ssize_t shortBy = 0;    // a frame this many bytes short
    int reads = 0;
    int frameNumber = 0;  // changes the synthetic picture from frame to frame
};

// A capture device of 32 x 24 to 640 x 480 pixels in a YUV format, with
// picture settings brightness 32768, hue 1000, colour 2000, contrast 3000,
// whiteness 4000 and depth 16.
void MakeTypicalDevice(FakeDevice* device);

// Routes the camera module's device calls to the device (read time-out 200
// ms); null restores the real libv4l1.
void InstallFakeDevice(FakeDevice* device);

// Checks (gtest) that a picture shows synthetic frame n in red-green-blue order.
void ExpectSyntheticPicture(GdkPixbuf* picture, int frameNumber);
