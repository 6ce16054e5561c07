// The placements of patterns on the quilt (`patternLayout`) and the table of
// arrays (`Arrays`).
//
// A placement puts one loaded pattern (a slot of patternList) at a position in
// one pattern box, measured from the box origin, so moving a box moves its
// placements. Placements of one array share their pattern and array slot.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

struct LayoutNode {
    int32_t patternIndex = 0;      // slot in patternList
    int32_t arrayIndex = -1;       // slot in Arrays, or −1 for none
    int32_t parent = 0;            // 1 for the placement an array was made from
    float x = 0, y = 0;            // inches from the origin of the pattern box
    LayoutNode* source = nullptr;  // the placement this one was copied from (itself when new)
    int32_t boxIndex = 0;          // slot in patternBoxList
    LayoutNode* next = nullptr;
};

// The first placement, or none for an empty layout. The list owns its nodes.
extern LayoutNode* patternLayout;

struct ArrayNode {
    float spacingDown = 0;    // inches between rows
    float spacingAcross = 0;  // inches between columns
    int32_t down = 0;         // rows
    int32_t across = 0;       // columns
};

constexpr int kArraySlots = 50;
// The arrays; an empty slot is none. Slots are never compacted.
extern std::unique_ptr<ArrayNode> Arrays[kArraySlots];

// Appends a placement in the current pattern box (source = itself); returns it.
LayoutNode* NewPatternLayoutNode(int patternIndex, int arrayIndex, int parent, float x, float y);

// Appends a placement in the given box; used by the layout file reader.
LayoutNode* AppendLayoutNode(int patternIndex, int arrayIndex, int parent, float x, float y,
                             int boxIndex);

// A detached copy (not in the list; next none, box index 0) for dialog previews.
// The caller owns it and frees it with FreeDetachedLayoutNode.
LayoutNode* CopyLayoutNode(const LayoutNode* node);
void FreeDetachedLayoutNode(LayoutNode* node);

// Unlinks and frees a placement; unloads its pattern when no other placement
// uses it. Nothing when the placement is not in the list.
void RemoveLayoutNode(LayoutNode* node);

// Frees every placement (patterns stay loaded): the empty layout.
void ClearLayout();

// Number of placements, in all boxes or (box ≥ 0) in one box.
int CountLayoutNodes(int box = -1);

// The placement of the same array whose parent flag is 1, or none.
LayoutNode* GetParentNode(const LayoutNode* node);

// Every placement of the array, in layout order.
std::vector<LayoutNode*> ArrayMembers(int array);

// Moves every placement of the current box, or one placement (none: nothing).
void MoveLayoutAll(float dx, float dy);
void MoveLayoutPattern(LayoutNode* node, float dx, float dy);

// Span of the current box's placements (their pattern sizes included): the
// dimensions are (−1, −1) and centre and origin (0, 0) when there is none.
void GetLayoutDimensions(float* width, float* height);
void GetLayoutCenter(float* x, float* y);
void GetLayoutOrigin(float* x, float* y);

// Turns the positions of every member of the placement's array about (cx, cy)
// by angle degrees, keeping the turned group centred there. Nothing for a
// placement outside any array.
void RotateLayout(const LayoutNode* node, float cx, float cy, float angle);

// Array table upkeep. NewArrayNode returns the slot used, or −1 when all 50 are
// taken; GetArrayNode returns none for an empty slot or one outside 0..49.
void InitArrays();
int NewArrayNode(int down, float spacingDown, int across, float spacingAcross);
ArrayNode* GetArrayNode(int slot);
void SetArrayNode(int slot, int down, float spacingDown, int across, float spacingAcross);
void RemoveArrayNode(int slot);

// Declares the images of all loaded patterns out of date; the views draw them
// again at the view scale when they next show them, the pattern of the selected
// placement (SelectedNode()) with its highlighted entity.
// Called after every scale change and transform.
void RefreshPatternPix();
