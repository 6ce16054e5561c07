// Array autofill. See autofill.h.
#include "layout/placement/autofill.h"

#include <algorithm>
#include <cmath>

#include "base/application_state.h"
#include "base/log.h"
#include "base/program_settings.h"
#include "base/ui_hooks.h"
#include "layout/layout_file.h"
#include "layout/layout_selection.h"
#include "layout/layout_tree.h"
#include "layout/pattern_box.h"
#include "layout/placement/auto_center.h"
#include "layout/placement/autoscale.h"
#include "layout/placement/hull_bounce.h"
#include "pattern/pattern.h"

namespace {

// Copies of a pattern of the given size that fit the room along one axis.
int CountAlong(float room, float size) {
    if (!(size > 0)) return 1;
    const float copies = std::floor(room / size);
    return static_cast<int>(std::clamp(copies, 1.0f, float(kAutofillCountLimit)));
}

}  // namespace

int PlanAutofill(const LayoutNode* node, AutofillGrid* grid) {
    const Pattern* p = node ? GetPattern(node->patternIndex) : nullptr;
    const PatternBox* box = GetPatternBox(CurrentPatternBox());
    if (!p || !box) return 0;
    if (node->arrayIndex >= 0) {
        ShowMessage(kMessageError, kButtonsOk, kArrayedRefusal);
        return 0;
    }
    const float roomX = box->width - Settings().xMargin, roomY = box->height - Settings().yMargin;
    if (p->width > roomX || p->height > roomY) {
        ShowMessage(kMessageInfo, kButtonsOk, kNoRoomMessage);
        return 0;
    }
    grid->across = CountAlong(roomX, p->width);
    grid->down = CountAlong(roomY, p->height);
    if (grid->across < 2 && grid->down < 2) {
        ShowMessage(kMessageInfo, kButtonsOk, kNoRoomMessage);
        return 0;
    }
    return 1;
}

int RunAutofill(LayoutNode* node, const AutofillGrid& grid, int mode) {
    const Pattern* p = node ? GetPattern(node->patternIndex) : nullptr;
    if (!p) return kAutofillNothing;
    const int slot = NewArrayNode(grid.down, 0, grid.across, 0);
    if (slot < 0) {
        ShowMessage(kMessageError, kButtonsOk, kNoArraySlotMessage);
        return kAutofillRefused;
    }
    node->x = Settings().xMargin;
    node->y = Settings().yMargin;
    node->arrayIndex = slot;
    node->parent = 1;
    for (int r = 0; r < grid.down; r++)
        for (int k = 0; k < grid.across; k++)
            if (r != 0 || k != 0)
                AppendLayoutNode(node->patternIndex, slot, 0, k * p->width + Settings().xMargin,
                                 r * p->height + Settings().yMargin, node->boxIndex);

    operationRunning = 1;
    ShowWaitingBand(kAutofillTitle, 1);
    ProcessPendingEvents();
    const int result = AutoScaleArray(node, mode);
    if (result == kAutoScaleDone) AutoCenterPattern(node, 1, 1);
    HideWaitingWindow();
    operationRunning = 0;
    RefreshPatternPix();
    ShowHull(nullptr);  // the view redraws the filled box
    return result;
}

int Autofill(LayoutNode* node) {
    if (!node || !GetPattern(node->patternIndex)) return kAutofillNothing;
    CreateUndoFile();
    AutofillGrid grid;
    if (!PlanAutofill(node, &grid)) return kAutofillRefused;
    const int mode = AskKeepProportions(kAutofillQuestion);
    if (mode < 0) {
        LogLine("Autofill cancelled");
        return kAutofillNotAsked;
    }
    const int result = RunAutofill(node, grid, mode);
    if (result == kAutofillCancelled) RestoreUndoFile();
    return result;
}
