// The quilter nesting a layout at the simulated board (machine/nesting): a
// 20 x 10 inch box at (1, 2) holding a 2 x 1 inch pattern at (3, 4), the
// simulator on the serial line, and the head pushed where each message asks.
#pragma once

#include "support/mc1sim_fixture.h"

struct LayoutNode;
struct PatternBox;

struct NestingQuilter {
    // Lays out the box and the pattern (in empty tables, the application
    // record set), starts the simulator and opens the serial line to it.
    NestingQuilter();
    ~NestingQuilter();  // closes the serial line

    // The quilter's hand at a nesting message: the head pushed to the lower
    // corners, then to both marks found 8 inches back and a quarter inch to
    // the right, the quilt turned by 0.01 rad; and pushed once more (in vain:
    // the head is held) while the program marks a place.
    void Push(const char* message) const;

    Mc1Sim sim;
    PatternBox* box = nullptr;
    LayoutNode* node = nullptr;
};
