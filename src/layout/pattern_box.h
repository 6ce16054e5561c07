// The quilting area (`extents`), the table of pattern boxes (`patternBoxList`)
// and the corner-list operations that build and measure them.
//
// A box is a polygon of corners in quilt inches, walked counter-clockwise as the
// quilter sees the table (the Left sense of the geometry module). Placed
// patterns refer to their box by slot index; the slots in use are always
// 0 … count − 1, and removing a box renumbers the placements of the boxes after it.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "layout/geometry.h"

struct PatternBox {
    PatternBox() = default;
    PatternBox(const PatternBox&) = delete;  // corners link into cornerStore: use CopyPatternBox
    PatternBox& operator=(const PatternBox&) = delete;

    float x = 0, y = 0;              // inches: origin, the smallest x and y of the corners
    float width = 0, height = 0;     // inches: the bounding rectangle
    float angle = 0;                 // degrees: direction of the first edge
    float centreX = 0, centreY = 0;  // inches, measured from the origin (see SetPatternBoxOrigin)
    int32_t count = 0;               // number of corners
    PatternBoxPoint* corners = nullptr;  // first corner of the list; none when empty

    std::vector<PatternBoxPoint> cornerStore;  // owns the corners; `corners` links through it
};

constexpr int kPatternBoxSlots = 50;

struct PatternBoxList {
    int32_t count = 0;  // boxes held, always in slots 0 … count − 1
    std::unique_ptr<PatternBox> slots[kPatternBoxSlots];
};

extern PatternBoxList patternBoxList;
// The quilting area of the table; none until measured, defaulted or loaded.
extern std::unique_ptr<PatternBox> extents;
// The box under construction during a guided procedure; none otherwise.
extern std::unique_ptr<PatternBox> pbTemp;

// Empties the box table, drops pbTemp and sets the current box to −1. Start-up
// and a new layout call it.
void InitPatternBox();

// Puts a new empty box into the first empty slot and returns its index, or −1
// when 50 boxes exist.
int CreatePatternBox();

// Replaces the box of a slot (removing the old one with its placements first)
// by a new empty box; returns it, or none for a slot outside 0..49.
PatternBox* NewPatternBoxAtIndex(int slot);

// The box in a slot, or none.
PatternBox* GetPatternBox(int slot);

// Appends a corner. With check set and three or more corners present, refuses a
// corner whose new edge crosses the chain or runs back along or straight on from
// the last edge (returns 0, nothing changed). With setOrigin the box origin
// becomes (x, y). Returns 1 otherwise, also for no box (nothing done).
int AddPatternBoxPoint(PatternBox* box, float x, float y, int setOrigin, int check);

// 1 when the edge that closes the polygon, from the last corner back to the
// first, crosses no other edge and does not run back along the edges at its
// ends; 0 otherwise. 1 for none and for fewer than three corners. The box
// procedure tests the corner that finishes a box with it.
int ClosingEdgeIsClear(const PatternBox* box);

// Removes the last corner (the live corner of the guided procedure); nothing
// for a box without corners. Width and height are left as they are.
void RemoveLastPatternBoxPoint(PatternBox* box);

// Frees every corner; x, y, width, height, angle and count become 0 (the centre
// stays).
void ClearPatternBox(PatternBox* box);

// A new box with the same measures and the same corners in order; none for none.
std::unique_ptr<PatternBox> CopyPatternBox(const PatternBox* box);

// 1 when Left holds at every corner (a correctly walked convex box), else 0.
int CheckPatternBox(const PatternBox* box);

// Recomputes origin, size, angle and centre from the corners.
void SetPatternBoxOrigin(PatternBox* box);

// Deletes the box of a slot with every placement in it (and the records of
// the arrays those placements made up), closes the gap (renumbering later
// boxes' placements) and steps the current box back by one (not below 0).
// Nothing for an empty slot.
void RemovePatternBox(int slot);

// Installs the default quilt area (35 × 14 inches) and, when the box table is
// empty, a default box 0 that becomes the current box; boxes that exist stay
// as they are. Used when a measurement needs extents and none exist.
void BogusExtents();

// Replaces the corners of a box by the given ones, in order, without checks.
void SetPatternBoxCorners(PatternBox* box, const std::vector<QuiltPoint>& points);
