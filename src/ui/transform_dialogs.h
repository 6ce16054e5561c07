// The rotate and scale dialogs of the pattern pop-up. The rotate dialog asks
// for an angle on the number pad; the scale dialog shows the placement (or its
// whole array) over the other patterns of its box and lets the quilter set the
// width and height percentages with sliders and -1 / +1 buttons, both locked
// together at first.
#pragma once

#include <vector>

#include <gtk/gtk.h>

#include "layout/scale_preview.h"

struct LayoutNode;

// Title of the scale dialog (lets tools and tests find the window).
constexpr const char* kScaleDialogTitle = "Scale";

// Responses of the scale dialog besides OK (-5) and Cancel (-6).
constexpr int kResponseSmartScale = -99;      // "SMARTSCALE": automatic scaling into the box
constexpr int kResponseNothingToScale = -90;  // nothing to preview; no dialog shown

// Widget names of the scale dialog's controls (lets tools and tests find them):
// "WidthPercent", "HeightPercent" (sliders), "WidthMinus", "WidthPlus",
// "HeightMinus", "HeightPlus" (buttons), "LockPercent" (toggle).

// Takes the undo point, asks for the angle (number pad with "0.0", no decimal
// point, rotation mode with "Counterclockwise") and turns the placement's
// pattern by it (its `angle` grows by the whole degrees). An answer not above 0
// changes nothing. Called by the pop-up's Rotate / Select.
void RotateDialog(LayoutNode* node);

// The scale dialog for a placement (the caller has taken the undo point). On
// OK the pattern is stretched to the percentages, keeping the placement's (or
// its array's) centre. The view scale is restored and pattern images redrawn
// in every case. Returns the response, or -90 without a dialog when there is
// nothing to preview. "SMARTSCALE" (widget name "SmartScale") is offered only
// when the current box passes the box check; it closes the dialog and runs
// RunSmartScale (placement_actions.h) on the placement.
int ScaleDialog(LayoutNode* node);

// What the scale dialog's controls and preview work on.
struct ScaleDialogState {
    LayoutNode* node = nullptr;
    std::vector<LayoutNode*> copies;  // detached copies of the previewed placements
    ScalePercents percents;
    PlacementSpan span;  // of the copies (inches, box frame)
    GtkWidget* preview = nullptr;
    GtkWidget* wSlider = nullptr;  // width percentage (horizontal)
    GtkWidget* hSlider = nullptr;  // height percentage (vertical)
    GtkWidget* btnLock = nullptr;  // on: both percentages follow the one changed
    int updating = 0;              // 1 while a slider is set from the other one
};

// Slider controls of the scale dialog (data: the ScaleDialogState). The -1 and
// +1 buttons move their slider by 1; every change stores the value (both while
// locked) and redraws the preview.
void OnBtnDecClicked(GtkWidget* button, gpointer data);   // width -1
void OnBtnIncClicked(GtkWidget* button, gpointer data);   // width +1
void OnBtnDec1Clicked(GtkWidget* button, gpointer data);  // height -1
void OnBtnInc1Clicked(GtkWidget* button, gpointer data);  // height +1
void OnWSliderChanged(GtkRange* range, gpointer data);
void OnHSliderChanged(GtkRange* range, gpointer data);
gboolean OnSliderReleased(GtkWidget* slider, GdkEventButton* event, gpointer data);

// Expose handler of the scale preview: the other patterns of the box tinted,
// the previewed placements' paths at the chosen percentages (black, centred on
// where they are now), the box outline dashed red. Returns TRUE.
gboolean da_ScalePreview(GtkWidget* widget, GdkEventExpose* event, gpointer data);
