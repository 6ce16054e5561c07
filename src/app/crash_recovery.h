// The crash path. After a segmentation fault the heap may be damaged, so the
// handler runs only async-signal-safe calls: it says "Segmentation Fault",
// starts a fresh copy of the program in its message-only mode (which shows the
// error box and waits for OK), waits for it, then writes the recovery layout
// from the copy that the layout code keeps up to date in memory
// (base/recovery_image) - or deletes an existing recovery file, so a crash
// while recovering does not repeat at every start - and exits with status 0.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "base/recovery_image.h"

// The error text the message-only process shows after a crash.
constexpr const char* kCrashMessageText =
    "THE SYSTEM HAS REACHED AN ERROR AND CANNOT CONTINUE.  RESTARTING.";

// Sets the program and arguments started after a crash to show the message
// (argv[0] is the program path; the list is copied into fixed storage now,
// because the handler may not allocate). Called at start-up; an empty list
// means no message process is started.
void SetCrashMessageCommand(const std::vector<std::string>& argv);

// Installs SegFaultCatch for the segmentation-fault signal (on its own stack,
// so a stack overflow is caught too), noFunction for the power-fail signal and
// ShutdownCatch for the end and hang-up signals.
void InstallCrashHandlers();

// The crash handler (see the top of this file); never returns.
void SegFaultCatch(int signalNumber);

// The power-fail handler: prints "no function" and returns.
void noFunction(int signalNumber);

// The handler of SIGTERM and SIGHUP (the controller shutting down, a power-off
// script), async-signal-safe: logs "Shutdown: saving the recovery layout",
// writes the recovery image (WriteRecoveryImage) so that the work since the
// last save is back at the next start, and exits with status 0.
void ShutdownCatch(int signalNumber);

// The file part of the crash path, async-signal-safe: when `path` exists it is
// deleted; otherwise the recovery image, if any, is written as by
// WriteRecoveryImage. Returns 0 deleted, 1 written, 2 nothing to
// write, -1 the file could not be written or deleted. Called by SegFaultCatch
// and by tests.
int FinishCrashRecovery(const char* path);

// Writes the recovery image, if any, to path + ".tmp000000" (named like the
// temporary files of SafeWriteFile, which a start removes), syncs it and
// renames it over `path` (an existing file is replaced whole),
// async-signal-safe. Returns
// 1 written, 2 nothing to write, -1 the file could not be written.
int WriteRecoveryImage(const char* path);
