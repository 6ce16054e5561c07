#include "layout/layout_selection.h"

#include "base/application_state.h"

namespace {

struct LayoutSelection {
    int currentPatternBox = 0;           // index in the pattern-box table; -1 when none
    LayoutNode* selectedNode = nullptr;  // placement the pattern pop-up acts on; none
    int highlightIndex = -1;             // entity (from 1) drawn in red; -1 for none
    int boxMode = 0;                     // 0 defining the quilt area, 1 drawing a pattern box
};

LayoutSelection selection;

}  // namespace

void (*releaseViewEditState)() = nullptr;

int CurrentPatternBox() {
    return selection.currentPatternBox;
}

void SetCurrentPatternBox(int index) {
    selection.currentPatternBox = index;
}

LayoutNode* SelectedNode() {
    return selection.selectedNode;
}

void SetSelectedNode(LayoutNode* node) {
    selection.selectedNode = node;
}

int HighlightIndex() {
    return selection.highlightIndex;
}

void SetHighlightIndex(int index) {
    selection.highlightIndex = index;
}

int BoxMode() {
    return selection.boxMode;
}

void SetBoxMode(int mode) {
    selection.boxMode = mode;
}

void ResetLayoutSelection() {
    selection = LayoutSelection{};
}

void ReleaseAllUI() {
    if (releaseViewEditState) releaseViewEditState();
    SetStatusBar(nullptr);
    selection.highlightIndex = -1;
}
