// Helpers of the layout tests: a main window with the interface record, the
// menu row, an empty layout and the layout actions installed, and a scripted
// machine head for the guided procedures when no board is wanted.
#pragma once

#include <cstdint>
#include <vector>

#include "support_ui/ui_fixture.h"

// MakeMainWindow with the menu row, an empty layout and box table, and the
// layout actions installed (a scripted head installed before is kept).
void MakeLayoutWindow();
// Ends a procedure left running, drops the window and frees the layout.
void DropLayoutWindow();

// A machine head the procedures read: position in thousandths of an inch;
// getXY fails while `fail` is set. Counts the commands received.
struct ScriptedHead {
    ScriptedHead();
    ~ScriptedHead();
    int32_t x = 0, y = 0;
    bool fail = false;
    int homes = 0, disables = 0, resumes = 0, setExtents = 0, clearExtents = 0;
    std::vector<unsigned char> commands;
};
