// The echo of a placed pattern: a repeat count and a percentage asked for in
// the echo dialog. Echoes are not laid out yet, so the values are asked for and
// shown but change nothing in the layout.
#pragma once

struct LayoutNode;

// Ranges of the echo dialog's sliders.
constexpr int kEchoRepeatMin = 1, kEchoRepeatMax = 20;        // copies
constexpr int kEchoPercentMin = -100, kEchoPercentMax = 100;  // percent of the pattern size

// Whether a placement may be echoed: an arrayed placement is refused with the
// error "YOU MAY NOT ECHO AN ARRAYED PATTERN". Returns 1 when the dialog may
// open, 0 when refused or for none. Called by the echo dialog.
int CheckEchoPlacement(const LayoutNode* node);
