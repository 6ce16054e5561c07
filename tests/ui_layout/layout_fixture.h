// Helpers of the layout tests: the toolkit started once, a main window with the
// interface record and the menu row, a scripted responder for messages and the
// keyboard, and a scripted machine head for the guided procedures.
#pragma once

#include <gtk/gtk.h>

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

// Starts the toolkit once with the built-in 320 x 240 sizes; false without a display.
bool EnsureGtk();

// Runs pending events until none is left.
void Drain();

// A fresh interface record with a shown main window, menu bar and toolbar, an
// empty layout and the layout actions installed.
void MakeMainWindow();
void DropMainWindow();

struct ShownMessage {
    int kind;
    int buttons;
    std::string text;
};

// Answers message boxes (OK when the queue is empty) and the keyboard (Cancel
// when its queue is empty), recording every text shown.
struct ScriptedResponder {
    ScriptedResponder();
    ~ScriptedResponder();
    std::deque<int> answers;
    std::deque<std::string> keyboard;
    std::vector<ShownMessage> shown;
    std::vector<std::string> prompts;  // keyboard prompts
    // Texts of the messages shown, in order.
    std::vector<std::string> Texts() const;
};

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
