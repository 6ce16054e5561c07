// Merging an array into one placement. See array_merge.h.
#include "layout/placement/array_merge.h"

#include <cstdio>

#include "base/application_state.h"
#include "base/log.h"
#include "base/ui_hooks.h"
#include "layout/layout_file.h"
#include "layout/layout_tree.h"
#include "pattern/pattern.h"
#include "pattern/pattern_merge.h"

namespace {

bool InArray(const LayoutNode* n, int array) {
    return n->arrayIndex == array;
}

// True when a placement outside the array shows the pattern.
bool ShownOutside(const Pattern* source, int array) {
    for (const LayoutNode* n = patternLayout; n; n = n->next)
        if (!InArray(n, array) && GetPattern(n->patternIndex) == source) return true;
    return false;
}

bool CopyStarted(int copy, int total) {
    char text[64];
    std::snprintf(text, sizeof text, "Merging Pattern %d of %d\n", copy, total);
    SetWaitingWindowText(text);
    ProcessPendingEvents();
    return mergePatternsActive != 0;
}

// Puts the merged pattern where the parent finds it. Returns false (nothing
// changed) when it needs a slot of its own and none is free.
bool InstallMerged(LayoutNode* parent, std::unique_ptr<Pattern> merged, int array) {
    const int source = parent->patternIndex;
    if (ShownOutside(GetPattern(source), array)) {
        const int slot = GetNextPattern();
        if (slot < 0 || !AddPatternToList(slot, std::move(merged))) return false;
        parent->patternIndex = slot;
        return true;
    }
    RemovePatternFromList(source);
    return AddPatternToList(source, std::move(merged)) == 1;
}

int Merge(LayoutNode* node) {
    if (!node || node->arrayIndex < 0) {
        if (node) ShowMessage(kMessageError, kButtonsOk, kMergeOnlyArrays);
        return 0;
    }
    LayoutNode* parent = node->parent == 1 ? node : GetParentNode(node);
    const ArrayNode* a = parent ? GetArrayNode(parent->arrayIndex) : nullptr;
    const Pattern* source = parent ? GetPattern(parent->patternIndex) : nullptr;
    if (!a || !source || source->pointCount <= 0) return 0;
    const int array = parent->arrayIndex;
    const MergeGrid grid{a->down,          a->across, a->spacingDown,
                         a->spacingAcross, parent->x, parent->y};
    std::unique_ptr<Pattern> merged = BuildMergedPattern(*source, grid, CopyStarted);
    if (!merged || mergePatternsActive == 0) return 0;
    if (!InstallMerged(parent, std::move(merged), array)) return 0;

    for (LayoutNode* n = patternLayout; n;) {
        LayoutNode* next = n->next;
        if (n != parent && InArray(n, array)) RemoveLayoutNode(n);
        n = next;
    }
    RemoveArrayNode(array);
    parent->arrayIndex = -1;
    parent->parent = 0;
    return 1;
}

}  // namespace

int MergePatterns(LayoutNode* node) {
    ShowWaitingWindow(kMergeTitle, 1);
    ProcessPendingEvents();
    mergePatternsActive = 1;
    const int result = Merge(node);
    mergePatternsActive = 0;
    if (result == 1) RefreshPatternPix();
    HideWaitingWindow();
    if (result == 1) LogLine("Merge Patterns completed");
    return result;
}

int MergeWithConfirmation(LayoutNode* node) {
    if (!node) return 0;
    if (node->arrayIndex < 0) {
        ShowMessage(kMessageWarning, kButtonsOk, kMergeOnlyArrays);
        return 0;
    }
    if (ShowMessage(kMessageQuestion, kButtonsYesNo, kMergeQuestion) != kResponseYes) return 0;
    CreateUndoFile();
    const int result = MergePatterns(node);
    if (result == 1)
        ShowMessage(kMessageInfo, kButtonsOk, kMergeCompleted);
    else
        ShowMessage(kMessageWarning, kButtonsOk, kMergeCancelled);
    return result;
}
