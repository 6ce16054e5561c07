// Rotate and scale dialogs. See transform_dialogs.h.
#include "ui/transform_dialogs.h"

#include <algorithm>
#include <cmath>

#include "base/application_state.h"
#include "base/log.h"
#include "base/screen_config.h"
#include "base/ui_hooks.h"
#include "layout/layout_file.h"
#include "layout/layout_selection.h"
#include "layout/layout_tree.h"
#include "layout/pattern_box.h"
#include "layout/placement_edit.h"
#include "layout/view_images.h"
#include "layout/view_transform.h"
#include "pattern/pattern.h"
#include "ui/edit_dialog.h"
#include "ui/interface.h"
#include "ui/placement_actions.h"
#include "ui/widget_helpers.h"

namespace {

// Preview area before the window has a size.
constexpr int kDefaultPreviewWidth = 280, kDefaultPreviewHeight = 155;

ScaleDialogState* StateOf(gpointer data) {
    return static_cast<ScaleDialogState*>(data);
}

void RedrawPreview(ScaleDialogState* state) {
    if (isWidget(state->preview) && state->preview->window)
        gdk_window_invalidate_rect(state->preview->window, nullptr, FALSE);
}

bool Locked(const ScaleDialogState* state) {
    return isWidget(state->btnLock) &&
           gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(state->btnLock));
}

// Stores a changed percentage (width or height) and, while locked, moves the
// other slider to the same value.
void PercentChanged(ScaleDialogState* state, bool width, double value) {
    if (state->updating) return;
    state->percents.Set(width, value, Locked(state));
    if (Locked(state)) {
        GtkWidget* other = width ? state->hSlider : state->wSlider;
        state->updating = 1;
        if (isWidget(other)) gtk_range_set_value(GTK_RANGE(other), value);
        state->updating = 0;
    }
    RedrawPreview(state);
}

void StepSlider(GtkWidget* slider, double step) {
    if (!isWidget(slider)) return;
    gtk_range_set_value(GTK_RANGE(slider), gtk_range_get_value(GTK_RANGE(slider)) + step);
}

bool IsPreviewed(const ScaleDialogState* state, const LayoutNode* n) {
    for (const LayoutNode* c : state->copies)
        if (c->source == n->source) return true;
    return false;
}

void DrawPercentText(cairo_t* cr, const ScaleDialogState* state, int width) {
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_rectangle(cr, 0, 0, width, kScalePercentBand);
    cairo_fill(cr);
    const std::string text = ScalePercentText(state->percents);
    cairo_select_font_face(cr, "Sans", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_BOLD);
    cairo_set_font_size(cr, 11);
    cairo_set_source_rgb(cr, 0, 0, 0);
    cairo_move_to(cr, 4, 13);
    cairo_show_text(cr, text.c_str());
}

// Box outline in the preview frame, dashed red.
void DrawBoxOutline(cairo_t* cr, const PreviewFrame& frame) {
    const PatternBox* box = GetPatternBox(CurrentPatternBox());
    if (!box || !box->corners) return;
    const double dash[] = {4.0, 3.0};
    cairo_set_dash(cr, dash, 2, 0);
    cairo_set_line_width(cr, 1);
    cairo_set_source_rgb(cr, 1, 0, 0);
    for (const ScalePreviewPoint& c : ScalePreviewBoxOutline(*box, frame)) {
        if (c.start)
            cairo_move_to(cr, c.x + 0.5, c.y + 0.5);
        else
            cairo_line_to(cr, c.x + 0.5, c.y + 0.5);
    }
    cairo_close_path(cr);
    cairo_stroke(cr);
    cairo_set_dash(cr, nullptr, 0, 0);
}

}  // namespace

void OnBtnDecClicked(GtkWidget*, gpointer data) {
    StepSlider(StateOf(data)->wSlider, -1);
}

void OnBtnIncClicked(GtkWidget*, gpointer data) {
    StepSlider(StateOf(data)->wSlider, 1);
}

void OnBtnDec1Clicked(GtkWidget*, gpointer data) {
    StepSlider(StateOf(data)->hSlider, -1);
}

void OnBtnInc1Clicked(GtkWidget*, gpointer data) {
    StepSlider(StateOf(data)->hSlider, 1);
}

void OnWSliderChanged(GtkRange* range, gpointer data) {
    PercentChanged(StateOf(data), true, gtk_range_get_value(range));
}

void OnHSliderChanged(GtkRange* range, gpointer data) {
    PercentChanged(StateOf(data), false, gtk_range_get_value(range));
}

gboolean OnSliderReleased(GtkWidget*, GdkEventButton*, gpointer data) {
    RedrawPreview(StateOf(data));
    return FALSE;
}

gboolean da_ScalePreview(GtkWidget* widget, GdkEventExpose*, gpointer data) {
    ScaleDialogState* state = StateOf(data);
    if (!widget->window || !interface) return TRUE;
    int W = widget->allocation.width, H = widget->allocation.height;
    if (W <= 1 || H <= 1) {
        W = kDefaultPreviewWidth;
        H = kDefaultPreviewHeight;
    }
    const PreviewFrame frame = ScalePreviewFrame(state->span, ViewScale(), W, H);

    cairo_t* cr = gdk_cairo_create(widget->window);
    cairo_set_source_rgb(cr, 0xCC / 255.0, 1, 1);
    cairo_paint(cr);

    const int box = CurrentPatternBox();
    for (const LayoutNode* n = patternLayout; n; n = n->next) {
        if (n->boxIndex != box || IsPreviewed(state, n)) continue;
        // The tint of the patterns the dialog does not change: (0, 128, 192), alpha 128.
        PaintPatternImageTinted(cr, n->patternIndex, frame.PixelX(n->x), frame.PixelY(n->y), W, H,
                                0, 128 / 255.0, 192 / 255.0, 128 / 255.0);
    }

    // The previewed paths at the chosen percentages, centred where the
    // unscaled ones are.
    const ScalePreviewPaths paths =
        ScaledPreviewPaths(state->copies, state->percents.width, state->percents.height, frame);
    if (!paths.points.empty()) {
        // The size before scaling, dotted grey, for comparison.
        const double dots[] = {2.0, 2.0};
        cairo_set_dash(cr, dots, 2, 0);
        cairo_set_source_rgb(cr, 0.45, 0.45, 0.45);
        cairo_set_line_width(cr, 1);
        cairo_rectangle(cr, paths.minX + 0.5, paths.minY + 0.5, paths.maxX - paths.minX,
                        paths.maxY - paths.minY);
        cairo_stroke(cr);
        cairo_set_dash(cr, nullptr, 0, 0);

        cairo_set_source_rgb(cr, 0, 0, 0);
        for (const ScalePreviewPoint& p : paths.points) {
            if (p.start)
                cairo_move_to(cr, p.x + 0.5, p.y + 0.5);
            else
                cairo_line_to(cr, p.x + 0.5, p.y + 0.5);
        }
        cairo_stroke(cr);
    }
    DrawBoxOutline(cr, frame);
    DrawPercentText(cr, state, W);
    cairo_destroy(cr);
    return TRUE;
}

void RotateDialog(LayoutNode* node) {
    if (!node) return;
    CreateUndoFile();
    const double answer = NumberEntry("0.0", 0, 1);
    if (!(answer > 0)) return;
    ApplyRotateAngle(node, answer);
    RefreshPatternPix();
    RedrawLayoutView();
}

namespace {

GtkWidget* StepButton(const char* name, const char* label, GCallback handler,
                      ScaleDialogState* state) {
    GtkWidget* button = gtk_button_new_with_label(label);
    gtk_widget_set_name(button, name);
    gtk_widget_set_size_request(button, std::max(kScaleStepButtonWidth, TouchTargetPixels()),
                                std::max(kScaleStepButtonHeight, TouchTargetPixels()));
    g_signal_connect(button, "clicked", handler, state);
    return button;
}

GtkWidget* PercentSlider(const char* name, bool horizontal, GCallback changed,
                         ScaleDialogState* state) {
    GtkWidget* slider = horizontal
                            ? gtk_hscale_new_with_range(kScalePercentMin, kScalePercentMax, 1)
                            : gtk_vscale_new_with_range(kScalePercentMin, kScalePercentMax, 1);
    gtk_widget_set_name(slider, name);
    gtk_scale_set_draw_value(GTK_SCALE(slider), FALSE);
    gtk_scale_set_digits(GTK_SCALE(slider), 0);
    gtk_range_set_value(GTK_RANGE(slider), 100);
    // Up the screen means larger, as on the width slider to the right.
    if (!horizontal) gtk_range_set_inverted(GTK_RANGE(slider), TRUE);
    // Across its track at least a finger wide.
    GtkRequisition natural;
    gtk_widget_size_request(slider, &natural);
    const int across = std::max(horizontal ? natural.height : natural.width, TouchTargetPixels());
    gtk_widget_set_size_request(slider, horizontal ? -1 : across, horizontal ? across : -1);
    g_signal_connect(slider, "value-changed", changed, state);
    g_signal_connect(slider, "button-release-event", G_CALLBACK(OnSliderReleased), state);
    return slider;
}

// The dialog's widgets: preview with the height controls at its right, the
// width controls and the lock below.
GtkWidget* BuildScaleDialog(ScaleDialogState* state, int previewWidth, int previewHeight) {
    GtkWidget* dialog = NewEditDialog(kScaleDialogTitle, scale_dialog_width, scale_dialog_height);
    GtkWidget* smart = gtk_dialog_add_button(GTK_DIALOG(dialog), "SMARTSCALE", kResponseSmartScale);
    // The dialog's buttons share one width: a smaller font keeps all three on
    // the 320-pixel screen.
    if (icon_style != 1) SetButtonFont(smart, "SMARTSCALE", "Sans 7");
    // Automatic scaling into the box is offered only for a box it can work in.
    gtk_widget_set_name(smart, "SmartScale");
    gtk_widget_set_no_show_all(smart, TRUE);
    const PatternBox* box = GetPatternBox(CurrentPatternBox());
    if (box && CheckPatternBox(box)) gtk_widget_show(smart);

    GtkWidget* table = gtk_table_new(2, 2, FALSE);
    gtk_table_set_row_spacings(GTK_TABLE(table), 2);
    gtk_table_set_col_spacings(GTK_TABLE(table), 2);

    state->preview = gtk_drawing_area_new();
    gtk_widget_set_size_request(state->preview, previewWidth, previewHeight);
    g_signal_connect(state->preview, "expose-event", G_CALLBACK(da_ScalePreview), state);
    gtk_table_attach(GTK_TABLE(table), state->preview, 0, 1, 0, 1,
                     GtkAttachOptions(GTK_EXPAND | GTK_FILL),
                     GtkAttachOptions(GTK_EXPAND | GTK_FILL), 0, 0);

    GtkWidget* column = gtk_vbox_new(FALSE, 1);
    state->hSlider = PercentSlider("HeightPercent", false, G_CALLBACK(OnHSliderChanged), state);
    gtk_box_pack_start(GTK_BOX(column),
                       StepButton("HeightPlus", "+1", G_CALLBACK(OnBtnInc1Clicked), state), FALSE,
                       FALSE, 0);
    gtk_box_pack_start(GTK_BOX(column), state->hSlider, TRUE, TRUE, 0);
    gtk_box_pack_start(GTK_BOX(column),
                       StepButton("HeightMinus", "-1", G_CALLBACK(OnBtnDec1Clicked), state), FALSE,
                       FALSE, 0);
    gtk_table_attach(GTK_TABLE(table), column, 1, 2, 0, 1, GTK_FILL, GTK_FILL, 0, 0);

    GtkWidget* row = gtk_hbox_new(FALSE, 1);
    state->wSlider = PercentSlider("WidthPercent", true, G_CALLBACK(OnWSliderChanged), state);
    gtk_box_pack_start(GTK_BOX(row),
                       StepButton("WidthMinus", "-1", G_CALLBACK(OnBtnDecClicked), state), FALSE,
                       FALSE, 0);
    gtk_box_pack_start(GTK_BOX(row), state->wSlider, TRUE, TRUE, 0);
    gtk_box_pack_start(GTK_BOX(row),
                       StepButton("WidthPlus", "+1", G_CALLBACK(OnBtnIncClicked), state), FALSE,
                       FALSE, 0);
    gtk_table_attach(GTK_TABLE(table), row, 0, 1, 1, 2, GTK_FILL, GTK_FILL, 0, 0);

    state->btnLock = gtk_toggle_button_new_with_label("1:1");
    gtk_widget_set_name(state->btnLock, "LockPercent");
    gtk_widget_set_size_request(state->btnLock,
                                std::max(kScaleStepButtonWidth, TouchTargetPixels()),
                                std::max(kScaleStepButtonHeight, TouchTargetPixels()));
    gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(state->btnLock), TRUE);
    gtk_table_attach(GTK_TABLE(table), state->btnLock, 1, 2, 1, 2, GTK_FILL, GTK_FILL, 0, 0);

    gtk_box_pack_start(GTK_BOX(GTK_DIALOG(dialog)->vbox), table, TRUE, TRUE, 0);
    return dialog;
}

}  // namespace

int ScaleDialog(LayoutNode* node) {
    if (!node || !interface) return kResponseNothingToScale;
    const std::vector<LayoutNode*> previewed = PreviewedPlacements(node);
    const PlacementSpan span = SpanOfPlacements(previewed);
    if (!span.Valid()) return kResponseNothingToScale;

    ScaleDialogState state;
    state.node = node;
    for (const LayoutNode* n : previewed)
        if (LayoutNode* copy = CopyLayoutNode(n)) state.copies.push_back(copy);
    state.span = span;

    // The view scale is borrowed so the span plus an inch fills the preview.
    const float savedScale = ViewScale();
    const PreviewSize preview = ScalePreviewSize(scale_dialog_width, scale_dialog_height);
    SetViewScale(ScalePreviewViewScale(span, preview));
    RefreshPatternPix();

    GtkWidget* dialog = BuildScaleDialog(&state, preview.width, preview.height);
    const int response = RunEditDialog(dialog);
    if (response == GTK_RESPONSE_OK) {
        Log("Scale pattern to %0.0f %% x %0.0f %%\n", state.percents.width, state.percents.height);
        ScalePlacement(node, static_cast<float>(state.percents.width),
                       static_cast<float>(state.percents.height));
    }

    SetViewScale(savedScale);
    RefreshPatternPix();
    for (LayoutNode* copy : state.copies)
        FreeDetachedLayoutNode(copy);
    if (response == kResponseSmartScale) RunSmartScale(node);
    RedrawLayoutView();
    return response;
}
