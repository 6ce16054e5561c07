#include "ui/view_interaction.h"

#include <cmath>
#include <memory>

#include "base/application_state.h"
#include "base/log.h"
#include "base/screen_config.h"
#include "base/timers.h"
#include "base/ui_hooks.h"
#include "layout/layout_file.h"
#include "layout/layout_selection.h"
#include "layout/layout_tree.h"
#include "layout/pattern_box.h"
#include "layout/view_gestures.h"
#include "layout/view_transform.h"
#include "machine/machine_parameters.h"
#include "pattern/pattern.h"
#include "ui/drawing_area.h"
#include "ui/interface.h"
#include "ui/layout_view.h"
#include "ui/menu.h"
#include "ui/pattern_popup.h"
#include "ui/pattern_select.h"
#include "ui/placement_actions.h"
#include "ui/screens.h"
#include "ui/startup.h"
#include "ui/widget_helpers.h"

double xSaved = 0, ySaved = 0;
double xStart = 0, yStart = 0;
int64_t buttonTime = 0;
int cnt = 0;
int buttonHold = 0;
int showMenu = 0;
double timeOff = 0;
float offTempX = -1, offTempY = -1;
GdkPixbuf* editButtonImages[5] = {};

namespace {

constexpr int kLongPressIntervalMs = 100;
constexpr int kEditButtonAlpha = 180;
constexpr int kHighlightAlpha = 255;
constexpr const char* kEditButtonFiles[5] = {"./images/Minus.png", "./images/Text.png",
                                             "./images/Plus.png", "./images/Minus.png",
                                             "./images/Plus.png"};

guint pressTimer = 0;        // the long-press timer of the present press; 0 when none
guint32 pressEventTime = 0;  // X server time of the press (ms); 0 when unknown

GdkWindow* ViewWindow() {
    if (!interface || !isWidget(interface->drawingArea)) return nullptr;
    return interface->drawingArea->window;
}

// The size the view is drawn at: the drawing area's, or the configured view
// size before it has one. Hit tests use the same size as the drawing.
void ViewSize(int* W, int* H) {
    *W = view_area_width;
    *H = view_area_height;
    if (interface && isWidget(interface->drawingArea)) {
        const GtkAllocation& a = interface->drawingArea->allocation;
        if (a.width > 1 && a.height > 1) {
            *W = a.width;
            *H = a.height;
        }
    }
}

void SetBusyCursor() {
    if (GdkWindow* window = ViewWindow()) {
        GdkCursor* cursor = gdk_cursor_new(GDK_WATCH);
        gdk_window_set_cursor(window, cursor);
        gdk_cursor_unref(cursor);
    }
}

void SetArrowCursor() {
    if (GdkWindow* window = ViewWindow()) SetCursor(window, kArrowCursor, 0);
}

void StopPressTimer() {
    if (pressTimer) g_source_remove(pressTimer);
    pressTimer = 0;
}

// A new pattern box is current: fit it, show it at once, then redraw the
// pattern images (their highlight may differ) and show it again.
void ChangeBox(int direction) {
    if (!StepPatternBox(direction)) return;
    SetZoomAll();
    RedrawView();
    ProcessPendingEvents();
    RefreshPatternPix();
    RedrawView();
}

void MoveByPixels(double dx, double dy) {
    const float scale = ViewScale();
    MoveForMode(command, static_cast<float>(dx * scale), static_cast<float>(dy * scale));
}

// Release in a move mode: the pad's arrows step by moveIncrement, OK ends the mode.
void PadRelease(double x, double y) {
    int W = 0, H = 0;
    ViewSize(&W, &H);
    const PadButton button = PadButtonAt(x, y, W, H, PadForIconStyle(icon_style));
    if (button == kPadNone) return;
    if (button == kPadOk) {
        LogLine("OK");
        offTempX = offTempY = -1;
        ReleaseAllUI();
        return;
    }
    float dx = 0, dy = 0;
    PadMove(button, Machine().moveIncrement, &dx, &dy);
    MoveForMode(command, dx, dy);
}

}  // namespace

void DeleteMeasure() {
    if (!interface) return;
    delete[] interface->measureLine;
    interface->measureLine = nullptr;
    if (interface->measureLayout) g_object_unref(interface->measureLayout);
    interface->measureLayout = nullptr;
}

void SetEditButtons(uint32_t mask) {
    for (int i = 0; i < 5; i++) {
        if (editButtonImages[i]) g_object_unref(editButtonImages[i]);
        editButtonImages[i] = nullptr;
        if (mask & (1u << i))
            editButtonImages[i] =
                DrawButton(70, 40, nullptr, kEditButtonFiles[i], kEditButtonAlpha);
    }
}

void HighlightButton(int n) {
    if (n < 1 || n > 5 || !editButtonImages[n - 1]) return;
    g_object_unref(editButtonImages[n - 1]);
    editButtonImages[n - 1] = DrawButton(70, 40, nullptr, kEditButtonFiles[n - 1], kHighlightAlpha);
}

int GetButtonPressed(double x, double y) {
    int W = 0, H = 0;
    ViewSize(&W, &H);
    return EditButtonAt(x, y, W, H);
}

void MoveMouseLocation(int dx, int dy) {
    GdkDisplay* display = gdk_display_get_default();
    if (!display) return;
    GdkScreen* screen = nullptr;
    int x = 0, y = 0;
    gdk_display_get_pointer(display, &screen, &x, &y, nullptr);
    if (screen) gdk_display_warp_pointer(display, screen, x + dx, y + dy);
}

gboolean MoveMouseLocationCallback(gpointer) {
    MoveMouseLocation(0, menubar_height);
    return FALSE;
}

void ReleaseViewEditState() {
    command = kModeNone;
    DeleteMeasure();
    SetEditButtons(0);
    // A long press whose release never reached the view (a menu was used
    // meanwhile) leaves no pop-up hint and no pending pop-up behind.
    menuReady = 0;
    showMenu = 0;
}

gboolean ButtonTimer(gpointer) {
    int x = 0, y = 0;
    if (isWidget(interface ? interface->drawingArea : nullptr))
        gtk_widget_get_pointer(interface->drawingArea, &x, &y);
    else
        x = static_cast<int>(xSaved), y = static_cast<int>(ySaved);
    const double dx = x - xStart, dy = y - yStart;
    const int drift = static_cast<int>(std::sqrt(dx * dx + dy * dy));
    cnt++;
    // No pop-up during a run: its Move would take the run's speed mode away.
    const uint32_t mask = command == kModeSpeed ? 0 : MenuStateMask();
    switch (LongPressTick(cnt, buttonHold == 1, drift, mask)) {
        case kLongPressMatured:
            menuReady = 1;
            RedrawView();
            showMenu = 1;
            pressTimer = 0;
            return FALSE;
        case kLongPressBusy:
            SetBusyCursor();
            return TRUE;
        case kLongPressWait:
            return TRUE;
        case kLongPressCancelled:
            break;
    }
    if (menuReady) RedrawView();  // take the hint away again
    menuReady = 0;
    SetArrowCursor();
    pressTimer = 0;
    return FALSE;
}

gboolean OnViewButtonPress(GtkWidget* widget, GdkEvent* event, gpointer) {
    // Double and triple clicks arrive as extra events after the plain press.
    if (!interface || event->type != GDK_BUTTON_PRESS) return TRUE;
    xSaved = xStart = event->button.x;
    ySaved = yStart = event->button.y;
    cnt = 0;
    buttonHold = 1;
    showMenu = 0;
    // One timer per press: a leftover timer of a quick earlier press would
    // otherwise count twice as fast.
    StopPressTimer();
    pressTimer = g_timeout_add(kLongPressIntervalMs, ButtonTimer, nullptr);
    buttonTime = NowMs();
    pressEventTime = event->button.time;
    if (command == kModePan) {
        if (!interface->measureLine) interface->measureLine = new int[4]{};
        if (!interface->measureLayout)
            interface->measureLayout = gtk_widget_create_pango_layout(widget, "");
    }
    return TRUE;
}

gboolean OnViewButtonMotion(GtkWidget*, GdkEvent* event, gpointer) {
    if (!interface) return TRUE;
    const double x = event->motion.x, y = event->motion.y;
    const double dx = x - xSaved, dy = y - ySaved;
    xSaved = x;
    ySaved = y;
    // A mouse also reports motion without a press; only a drag edits.
    if (buttonHold != 1) return TRUE;
    if (command == kModePan) {
        panX += static_cast<int>(dx);
        panY += static_cast<int>(dy);
        RedrawView();
    } else if (command == kModeMoveAll || command == kModeMoveSelected) {
        int W = 0, H = 0;
        ViewSize(&W, &H);
        if (InsidePad(x, y, W, H, PadForIconStyle(icon_style))) return TRUE;
        MoveByPixels(dx, dy);
        RedrawView();
    }
    return TRUE;
}

gboolean OnViewButtonRelease(GtkWidget*, GdkEvent* event, gpointer) {
    if (!interface) return TRUE;
    SetArrowCursor();
    buttonHold = 0;
    const double x = event->button.x, y = event->button.y;
    if (showMenu == 1) {
        showMenu = 0;
        ShowPopupMenu(static_cast<int>(xStart), static_cast<int>(yStart));
        return TRUE;
    }
    if (command == kModeNone) SetStatusBar(nullptr);
    const double dx = x - xStart, dy = y - yStart;
    const int64_t now = NowMs();
    timeOff = static_cast<double>(now);
    // The gesture's own duration from the server's event times: a busy main
    // loop that handles press and release late must not turn a drag into a swipe.
    int64_t elapsed = now - buttonTime;
    if (pressEventTime != 0 && event->button.time != 0)
        elapsed = static_cast<guint32>(event->button.time - pressEventTime);

    const SwipeResult swipe = ClassifySwipe(dx, dy, elapsed, command);
    if (swipe != kNotASwipe) {
        if (swipe == kSwipeNextBox) ChangeBox(1);
        if (swipe == kSwipePrevBox) ChangeBox(-1);
        return TRUE;
    }
    int W = 0, H = 0;
    ViewSize(&W, &H);
    const int step = CornerArrowStep(xStart, yStart, x, y, W, PadForIconStyle(icon_style), command);
    if (step != 0) ChangeBox(step);

    switch (command) {
        case kModeAutofill:
            AutofillPicked(static_cast<int>(x), static_cast<int>(y));
            return TRUE;
        case kModePan:
            DeleteMeasure();
            break;
        case kModeMoveAll:
        case kModeMoveSelected:
            PadRelease(x, y);
            break;
        // The run view handles its own speed buttons after this handler.
        default:
            break;
    }
    RedrawView();
    return TRUE;
}

void menuViewPan(GtkWidget*, void*) {
    if (!interface) return;
    command = kModePan;
    SetStatusBar(nullptr);
    SetHighlightIndex(-1);
    DeleteMeasure();
    SetEditButtons(0);
    SetStatusBar("Drag To Pan");
    RedrawView();
}

void menuEditMove(GtkWidget*, void*) {
    if (!interface) return;
    CreateUndoFile();
    SetEditButtons(0);
    command = kModeMoveAll;
    SetStatusBar("Drag To Move Patterns or Use Increment Buttons");
    SetHighlightIndex(-1);
    DeleteMeasure();
    RedrawView();
}

void menuViewZoomAll(GtkWidget*, void*) {
    ReleaseAllUI();
    zoomed = 0;
    SetZoomAll();
    RefreshPatternPix();
    RedrawView();
}

void menuMainPatternView(GtkWidget*, void*) {
    if (!interface) return;
    command = kModeNone;
    if (!extents) {
        LogLine("Extents == NULL");
        SetBoxMode(0);
        pbTemp = std::make_unique<PatternBox>();
        ShowScreen([] { return createExtentsSetup(0); }, kQuiltAreaSetupMask, "quilt-area setup");
        return;
    }
    ShowScreen([] { return createPatternViewScreen(0, kAreaLayoutView); }, kLayoutViewMask,
               "layout view");
}

void InstallViewInterface() {
    releaseViewEditState = ReleaseViewEditState;
}
