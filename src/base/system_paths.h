// Fixed absolute locations of the controller (the USB drive, the internal
// memory card, the camera device, the undo and set-point files in /tmp and the
// touch-screen calibration file, the installed program and the system update's
// scratch folder) mapped below a substitute root folder. On the
// controller no root is set and every path is used exactly as written; on a
// development machine or in tests the program's "--root DIR" option makes the
// same code work on a private folder tree instead of the real system.
#pragma once

#include <string>

// Sets the folder below which the fixed locations are mapped. Null or "" goes
// back to the real locations. Returns 1 when set (the folder exists; its "tmp"
// sub-folder is created when missing, as /tmp always exists on the controller),
// 0 when dir is not an existing folder or longer than 1024 bytes (the previous
// root stays). Called once at start-up by the command-line parser, and by tests.
int SetSystemRoot(const char* dir);

// The current root folder without a trailing slash, "" when none is set.
const std::string& SystemRoot();

// Maps one fixed absolute location: with a root set, a path that starts with
// "/media/usb", "/media/mmc0", "/dev/video0", "/tmp/undo", "/tmp/setPoint" or
// "/tmp/softupdate"
// (followed by nothing, "/" or ".") is returned below the root, e.g.
// "/media/usb/a.qcc" -> "ROOT/media/usb/a.qcc". Every other path, and every
// path while no root is set, is returned unchanged. Null gives "".
std::string SystemPath(const char* absolute);
