// Puts the program's GTK windows behind the seam of base/ui_hooks.h, so core code
// that shows a message, asks for text or a number, or runs a progress window
// reaches the real windows.
#pragma once

// Installs the message boxes, the progress window, the event drain, the
// on-screen keyboard and the number pad, and the event dispatcher that keeps
// the recovery image current. Called by start-up after the toolkit is
// initialised.
void InstallGtkInterface();
