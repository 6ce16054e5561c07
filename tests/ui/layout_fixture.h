// Helpers of the layout tests: a main window with the interface record, the
// menu row and an empty layout, run against the simulated board, whose head
// the tests push by hand.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "support/mc1sim_fixture.h"
#include "support_ui/ui_fixture.h"

// MakeMainWindow with the menu row and an empty layout and box table.
void MakeLayoutWindow();
// Ends a procedure left running, drops the window and frees the layout.
void DropLayoutWindow();

// The layout window on the serial line of a simulated board.
class BoardLayoutTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // A value of the board's state line.
    std::string State(const char* key);
    // Pushes the head by hand by (dx, dy) thousandths of an inch, once the
    // board has freed both axes.
    void Push(int dx, int dy);
    // Pushes the head to (x, y) inches of the board's coordinates.
    void At(float x, float y);
    // Measures a 40 x 20 inch table (its one box with it); messages cleared.
    void MeasureTable(ScriptedResponder& responder);

    Mc1Sim board;
};
