// A pattern box drawn corner by corner: the quilter pushes the head to each
// corner and presses PLUS, and CHECK on the last one. The box being drawn
// holds the confirmed corners and, last, the live corner that follows the
// head. These rules decide which presses are taken and what box they make;
// the setup screen reads the head, shows the messages and draws.
#pragma once

#include <memory>

#include "layout/pattern_box.h"

// Corners closer than this (inches) in both x and y are the same corner.
constexpr float kSameCornerInches = 0.005f;

constexpr const char* kNoBoxCorners = "NO POINTS ADDED. ABORTING.";
constexpr const char* kNoBoxFromCorners = "CANNOT CREATE PATTERN BOX WITH POINTS GIVEN. ABORTING.";

// Replaces a box's corners by the four corners of an axis-parallel
// rectangle, in the walking order given; a and b are the ends of a diagonal.
// Its origin, size, count and angle (0) follow; the centre stays.
void SetRectangleBox(PatternBox* box, const std::vector<QuiltPoint>& corners, QuiltPoint a,
                     QuiltPoint b);

// A press of PLUS (finish false) or CHECK (finish true) with the head at
// `head`. The head becomes a confirmed corner, or with CHECK within
// kSameCornerInches of the last confirmed corner the box closes there; PLUS
// puts the live corner back at the head, CHECK leaves it off. False, the
// corners as they were with the live corner at the head, when the new edge
// crosses the box or runs back along or straight on from the last edge, or
// when CHECK's closing edge would.
bool PressBoxCorner(PatternBox& drawing, QuiltPoint head, bool finish);

// Makes `box` (none: nothing is written) the box drawn through the corners
// CHECK left. Two corners are the ends of a diagonal of an axis-parallel
// rectangle, walked so every corner passes the Left test (the box keeps its
// centre); three or more replace the box by a copy with measures from its
// corners. Returns the refusal text, box unchanged: fewer than two corners,
// or a diagonal along an axis.
const char* FinishDrawnBox(const PatternBox& drawing, std::unique_ptr<PatternBox>& box);

// Moves the live corner (and with one corner the box origin) to the head;
// returns how far it moved (inches, the larger of x and y), 0 without corners.
float MoveLiveCorner(PatternBox& drawing, QuiltPoint head);
