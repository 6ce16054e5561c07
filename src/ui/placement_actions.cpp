// Handlers of automatic placement. See placement_actions.h.
#include "ui/placement_actions.h"

#include "base/application_state.h"
#include "base/ui_hooks.h"
#include "layout/layout_selection.h"
#include "layout/layout_tree.h"
#include "layout/placement/array_merge.h"
#include "layout/placement/autofill.h"
#include "layout/placement/autoscale.h"
#include "layout/placement/hull_bounce.h"
#include "layout/view_gestures.h"
#include "layout/view_transform.h"
#include "pattern/pattern.h"
#include "ui/edit_dialog.h"
#include "ui/interface.h"
#include "ui/menu.h"
#include "ui/nesting_screens.h"
#include "ui/pattern_popup.h"
#include "ui/view_interaction.h"
#include "ui/widget_helpers.h"

namespace {

// Holds the menus and toolbar to the run controls while it lives and puts the
// mask that was in force back afterwards, on every way out.
class MenusHeld {
public:
    MenusHeld() : saved_(MenuStateMask()) { SetMenuStateMask(kPlacementBusyMask); }
    ~MenusHeld() {
        SetMenuStateMask(saved_);
        if (interface && isWidget(interface->drawingArea) && interface->drawingArea->window)
            SetCursor(interface->drawingArea->window, kArrowCursor, 1);
    }
    MenusHeld(const MenusHeld&) = delete;
    MenusHeld& operator=(const MenusHeld&) = delete;

private:
    uint32_t saved_;
};

}  // namespace

int RunSmartScale(LayoutNode* node) {
    if (!node) return kAutoScaleNothingToScale;
    const int mode = AskKeepProportions(kKeepProportionsQuestion);
    if (mode < 0) return -1;
    int result;
    {
        MenusHeld held;
        result = SmartScale(node, mode);
    }
    RedrawLayoutView();
    return result;
}

int RunAutofillOf(LayoutNode* node) {
    if (!node) return kAutofillNothing;
    int result;
    {
        MenusHeld held;
        result = Autofill(node);
    }
    RefreshPatternPix();
    RedrawLayoutView();
    return result;
}

void popupAutofill(GtkWidget*, void*) {
    ReleaseAllUI();
    RunAutofillOf(SelectedNode());
}

void popupMergePattern(GtkWidget*, void*) {
    ReleaseAllUI();
    if (LayoutNode* node = SelectedNode()) MergeWithConfirmation(node);
    ReleaseAllUI();
    RedrawLayoutView();
}

void menuEditNest(GtkWidget*, void*) {
    ReleaseAllUI();
    NestingDialog();
    RedrawLayoutView();
}

void menuEditAutofill(GtkWidget*, void*) {
    ReleaseAllUI();
    command = kModeAutofill;
    SetHighlightIndex(-1);
    DeleteMeasure();
    SetStatusBar("Select Pattern Autofill");
    RedrawLayoutView();
}

void AutofillPicked(int x, int y) {
    LayoutNode* node = GetClosestPattern(x, y, 0);
    ReleaseAllUI();
    SetStatusBar(nullptr);
    if (!node) {
        RedrawLayoutView();
        return;
    }
    SetSelectedNode(node);
    RunAutofillOf(node);
}

void InstallPlacementActions() {
    AutoScaleHooks hooks;
    hooks.redrawView = RedrawLayoutView;  // the hull moves in the view while autoscale runs
    SetAutoScaleHooks(hooks);
}
