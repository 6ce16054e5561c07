// The USB drive, the controller's only way to exchange files, mounted at
// "/media/usb/".
#pragma once

#include <string>

// Folder where the USB drive is mounted.
constexpr const char* kUsbMountPath = "/media/usb/";

// 1 when folder holds a mounted file system: it is a folder on another device
// than its parent folder ("/" counts as mounted). An empty mount folder left
// behind without a stick gives 0, as does a missing folder.
int IsMountedFolder(const std::string& folder);

// 1 when a USB stick is present, without any message. On the controller the
// mount folder must hold a mounted volume, as IsMountedFolder tells. Below a
// substitute system root (tests, a development machine) nothing can be
// mounted, so the stand-in folder counts as a stick when it holds at least
// one entry; an empty stand-in folder is an empty mount folder.
int UsbStickPresent();

// Returns 1 when a USB stick is present (UsbStickPresent); otherwise shows the
// "USB DRIVE NOT DETECTED." error, logs "Could not find USB Drive" and returns 0.
// Called before any file on the drive is read or written.
int CheckUSBIsIn();
