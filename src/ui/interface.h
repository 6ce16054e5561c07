// The widgets of the program's screens and what the screens keep about them
// (`Interface`, global `interface`): the main window and its rows, the current
// screen's drawing area and buttons, the pictures and text layouts they draw,
// and the view state of the measuring and setup screens. Model state lives in
// the core (layout selection, view scale, current run, machine parameters).
#pragma once

#include <gdk-pixbuf/gdk-pixbuf.h>

#include <vector>

typedef struct _GtkWidget GtkWidget;
typedef struct _PangoLayout PangoLayout;

// Records held by pointer only.
struct CameraDevice;  // the opened camera
struct MenuBar;       // menu-bar record; its first field is the menu state mask
struct ToolBar;       // toolbar record

// Size of the chosen pattern path buffer (bytes, including the terminating zero).
constexpr int kSelectedPatternFileSize = 76;

// One pixel point of the green polyline that the layout view draws.
struct PixelPoint {
    int x = 0;  // pixels
    int y = 0;  // pixels
};

struct Interface {
    GtkWidget* window = nullptr;         // the main top-level window
    GtkWidget* mainBox = nullptr;        // rows: menu bar + toolbar, then the current screen
    GtkWidget* btnPause = nullptr;       // "PAUSE" toggle of the run view
    GtkWidget* btnThread = nullptr;      // "THREAD BREAK" button of the run view
    GtkWidget* viewPanel = nullptr;      // vertical box holding drawingArea in the view screens
    GtkWidget* currentScreen = nullptr;  // the screen in the second row of mainBox
    char selectedPatternFile[kSelectedPatternFileSize] = {};  // pattern chosen on pattern select
    GtkWidget* patternInfoLabel = nullptr;                    // info label of pattern select
    GtkWidget* previewBox = nullptr;        // row holding the preview drawing area
    GtkWidget* drawingArea = nullptr;       // drawing area of the current screen
    GdkPixbuf* captureImage = nullptr;      // last camera picture
    GdkPixbuf* gridPixbuf = nullptr;        // cached background grid of the layout view
    GdkPixbuf* previewPixbuf = nullptr;     // preview of the chosen pattern
    int* measureLine = nullptr;             // four ints x1, y1, x2, y2 in pixels (new int[4]); null
    int trackPosition = 0;                  // 1 while the pattern-box setup follows the machine
    int editView = 0;                       // 1: view built for layout editing, 0: run view
    PangoLayout* statusLayout = nullptr;    // coordinate line of the run, trace and camera views
    PangoLayout* measureLayout = nullptr;   // length text beside the measuring line
    PangoLayout* promptLayout = nullptr;    // instruction text of the quilt-area/box setup
    std::vector<PixelPoint> drawPoints;     // green polyline of the layout view; empty: none
    float cameraInchPerPixel = 1.0f;        // inches of quilt per camera pixel
    CameraDevice* camera = nullptr;         // the opened camera; null when none
    MenuBar* menu = nullptr;                // the menu-bar record
    ToolBar* toolbar = nullptr;             // the toolbar record
    GtkWidget* btnSelectPattern = nullptr;  // "Select Pattern" button of pattern select
    GtkWidget* setupNotebook = nullptr;     // notebook of the setup screen
    GtkWidget* editButtons[5] = {};         // on-view edit buttons: minus, text, plus, minus, plus
};

// The screens' record. It points at the program's own record, which holds
// the start values before any code of the program runs and is never destroyed,
// so no start-up order can reach it before it exists or after it is gone.
// Tests may point it at a record of their own.
extern Interface* interface;

// Creates a record with the start values: every pointer, flag and index 0,
// cameraInchPerPixel 1.0. The caller owns it (for a test
// that wants a fresh record of its own).
Interface* NewInterfaceStruct();
