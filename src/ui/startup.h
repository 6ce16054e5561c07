// The program's start-up, its screen switch and its end. main hands the
// command line to initializeUserInterface, which brings up the serial line,
// the machine parameters, the main window with the menu row and the first
// screen in a fixed order (printing one banner per stage), and runs the main
// loop.
#pragma once

#include <cstdint>
#include <functional>

typedef struct _GtkWidget GtkWidget;

// The whole start-up, then the main loop. Returns 1 once the main loop has
// ended; 0 after --help, --crash-message or a --quit-after-start run; 2 for a
// bad command line or when the display cannot be opened (the reason is
// printed on standard error).
int initializeUserInterface(int argc, char** argv);

// The screen switch: destroys the current screen, builds the next one with
// `builder`, stores it in currentScreen, packs it under the menu row (2 pixels
// around it), shows it, then stores and applies the menu state mask. `name`
// is logged and kept for CurrentScreenName. Called by every screen change.
void ShowScreen(const std::function<GtkWidget*()>& builder, uint32_t mask, const char* name);

// Creates the main window (undecorated, the screen size, at (0, 0)) with its
// vertical main box, kept in the interface record. Start-up and the tests'
// main window use it.
void BuildMainWindow();

// Creates the menu bar and toolbar row and fills the record's menu and toolbar.
GtkWidget* BuildMenuRow();

// Name of the screen shown now ("" before the first screen).
const char* CurrentScreenName();

// Asks "DO YOU WANT TO RESTART THE PROGRAM?" (OK and Cancel); OK ends the
// process with status 0 for the controller's start-up environment to start it
// again, Cancel does nothing. Called by the setup screen's restart control.
void RestartProgram();
