// Helpers of the layout tests: a main window with the interface record, the
// menu row, an empty layout and the layout actions installed, and a scripted
// machine head for the guided procedures when no board is wanted.
#pragma once

#include <cstdint>

#include "support_ui/ui_fixture.h"

// MakeMainWindow with the menu row, an empty layout and box table, and the
// layout actions installed (a scripted head installed before is kept).
void MakeLayoutWindow();
// Ends a procedure left running, drops the window and frees the layout.
void DropLayoutWindow();

// A machine head the procedures read: position in thousandths of an inch.
// Counts the homing and axis-freeing commands; the others only succeed.
struct ScriptedHead {
    ScriptedHead();
    ~ScriptedHead();
    int32_t x = 0, y = 0;
    int homes = 0, disables = 0;
};
