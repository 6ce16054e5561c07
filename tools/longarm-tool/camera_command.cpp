// Camera sub-command of longarm-tool: a service technician checks the camera
// on the machine head by saving the picture the controller would take at
// start-up.
#include <cstdio>
#include <string>

#include "camera/camera_snapshot.h"
#include "commands.h"

namespace {

constexpr const char* kCameraUsage =
    "usage: longarm-tool camera [--device PATH] OUT.png\n"
    "  takes one picture as the controller does at start-up and saves it as PNG\n"
    "  PATH is the Video4Linux device (default /dev/video0)\n";

}  // namespace

int RunCameraCommand(const Arguments& args) {
    std::string device = "/dev/video0";
    std::string out;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--help" || args[i] == "-h") {
            std::fputs(kCameraUsage, stdout);
            return 0;
        }
        if (args[i] == "--device" && i + 1 < args.size()) {
            device = args[++i];
        } else if (!args[i].empty() && args[i][0] != '-' && out.empty()) {
            out = args[i];
        } else {
            std::fputs(kCameraUsage, stderr);
            return 2;
        }
    }
    if (out.empty() || device.empty()) {
        std::fputs(kCameraUsage, stderr);
        return 2;
    }
    int width = 0, height = 0;
    switch (SaveCameraSnapshot(device.c_str(), out, &width, &height)) {
        case 0:
            std::printf("%s: %d x %d picture from %s\n", out.c_str(), width, height,
                        device.c_str());
            return 0;
        case 1:
            std::fprintf(stderr,
                         "longarm-tool: no picture from %s (no camera there, or it gave none)\n",
                         device.c_str());
            return 1;
        default:
            std::fprintf(stderr, "longarm-tool: could not write %s\n", out.c_str());
            return 1;
    }
}
