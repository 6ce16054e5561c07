// One camera picture saved as a PNG file: the service technician's check that
// the camera on the machine head works (longarm-tool camera).
#pragma once

#include <string>

// Takes one picture from the camera at device exactly as start-up does and
// writes it safely as PNG at path. Returns 0 saved (with the picture size in
// *width and *height when given), 1 no camera or no picture (nothing is
// written), 2 the file could not be written. Called by longarm-tool.
int SaveCameraSnapshot(const char* device, const std::string& path, int* width, int* height);
