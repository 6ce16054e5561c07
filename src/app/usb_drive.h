// The USB drive, the controller's only way to exchange files, mounted at
// "/media/usb/".
#pragma once

// Folder where the USB drive is mounted.
constexpr const char* kUsbMountPath = "/media/usb/";

// Returns 1 when the USB drive's folder can be opened; otherwise shows the
// "USB DRIVE NOT DETECTED." error, logs "Could not find USB Drive" and returns 0.
// Called before any file on the drive is read or written.
int CheckUSBIsIn();
