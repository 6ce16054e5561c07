// The frames of the screens shown under the menu row: the layout and run views,
// the trace screen and the quilt-area / pattern-box setup. Each builder returns the
// new screen; the screen switch (ShowScreen) stores it in currentScreen, packs
// it and applies the screen's menu mask. The handlers of the buttons and views
// belong to the subsystems that run them and are installed in screenHandlers;
// a button whose handler is not installed stays insensitive.
#pragma once

#include <gtk/gtk.h>

typedef void (*ButtonHandler)(GtkWidget* button, gpointer data);
typedef gboolean (*ViewEventHandler)(GtkWidget* widget, GdkEvent* event, gpointer data);

struct ScreenHandlers {
    // Touches on the layout and run views.
    ViewEventHandler onViewButtonPress = nullptr;
    ViewEventHandler onViewButtonRelease = nullptr;
    ViewEventHandler onViewButtonMotion = nullptr;
    // Run view: PAUSE ("toggled") and THREAD BREAK ("clicked").
    ButtonHandler onBtnPauseToggled = nullptr;
    ButtonHandler onBtnThreadClicked = nullptr;
    // Trace screen: Start ("toggled") and Save ("clicked").
    ButtonHandler onBtnStartTraceToggled = nullptr;
    ButtonHandler onBtnSaveClicked = nullptr;
    // Resets the run's speed-up and slow-down requests when a view is built.
    void (*resetRunSpeedChanges)() = nullptr;
    // Erases the temporary pattern of a trace recording, if there is one.
    void (*eraseTemporaryPattern)() = nullptr;
    // The guided quilt-area (mode 0) or pattern-box (mode 1) procedure, started
    // on the setup screen's drawing area once the frame is built.
    void (*extentsSetupProcedure)(int mode, GtkWidget* drawingArea) = nullptr;
};

// Installed by the subsystems at start-up; all empty at first.
extern ScreenHandlers screenHandlers;

// Destroys the current screen if it is a live widget (printing "destroy
// current screen") and clears currentScreen, drawingArea, btnPause and
// btnThread. Nothing happens when there is no screen.
void clearScreen();

// Layout view (mode 0, kind 2) or run view (mode 1, kind 0): a column of the
// view area with viewPanel and the drawing area connected to the view touch
// handlers; the run view adds the THREAD BREAK and PAUSE buttons.
GtkWidget* createPatternViewScreen(int mode, int kind);

// Trace screen: camera view with the Start and Save buttons at the right.
GtkWidget* createTraceScreen();

// Quilt-area (mode 0) or pattern-box (mode 1) setup: the frame with the setup
// view, then the guided procedure when it is installed.
GtkWidget* createExtentsSetup(int mode);
