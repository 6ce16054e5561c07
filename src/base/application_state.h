// The one application-state record of the program (`Interface`, global
// `interface`) and the process-wide start-up globals that no other module owns.
// This is core code: toolkit types are only declared here, so layout and
// stitching code can read the view scale and the run's stitch path without
// including GTK. The layout selection lives in layout/layout_selection.
#pragma once

#include <cstdint>
#include <vector>

#include <gdk-pixbuf/gdk-pixbuf.h>
#include <glib.h>

// Toolkit types held by the record; the user interface includes the real headers.
typedef struct _GtkWidget GtkWidget;
typedef struct _PangoLayout PangoLayout;

// Records of later subsystems, held by pointer only.
struct FullPattern_t;  // one point of the stitch path
struct CameraDevice;   // the opened camera
struct MenuBar;        // menu-bar record; its first field is the menu state mask
struct ToolBar;        // toolbar record

// Size of the chosen pattern path buffer (bytes, including the terminating zero).
constexpr int kSelectedPatternFileSize = 76;
// Size of the status text buffer (bytes, including the terminating zero).
constexpr int kStatusBarSize = 50;

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
    volatile int operationRunning = 0;      // 1 while a cancellable long operation runs
    PangoLayout* statusLayout = nullptr;    // coordinate line of the run, trace and camera views
    PangoLayout* measureLayout = nullptr;   // length text beside the measuring line
    PangoLayout* promptLayout = nullptr;    // instruction text of the quilt-area/box setup
    std::vector<PixelPoint> drawPoints;     // green polyline of the layout view; empty: none
    float viewScale = 0.001f;               // inches of quilt per screen pixel
    float cameraInchPerPixel = 1.0f;        // inches of quilt per camera pixel
    CameraDevice* camera = nullptr;         // the opened camera; null when none
    MenuBar* menu = nullptr;                // the menu-bar record
    ToolBar* toolbar = nullptr;             // the toolbar record
    GtkWidget* btnSelectPattern = nullptr;  // "Select Pattern" button of pattern select
    GtkWidget* setupNotebook = nullptr;     // notebook of the setup screen
    FullPattern_t* fullPattern = nullptr;   // stitch path of the current run
    GtkWidget* editButtons[5] = {};         // on-view edit buttons: minus, text, plus, minus, plus
    uint8_t motorDirection = 0;             // direction code read from MC1; 0xC8 is reverse
};

// The application state. It points at the program's own record, which holds
// the start values before any code of the program runs and is never destroyed,
// so no start-up order can reach it before it exists or after it is gone.
// Tests may point it at a record of their own.
extern Interface* interface;

// Creates a record with the start values: every pointer, flag and index 0,
// viewScale 0.001, cameraInchPerPixel 1.0. The caller owns it (for a test
// that wants a fresh record of its own).
Interface* NewInterfaceStruct();

// Status text drawn by the layout view (at most kStatusBarSize - 1 characters).
extern char statusBar[kStatusBarSize];

// Copies text into statusBar, cut to fit; null clears it. Called by start-up,
// edit modes and ReleaseAllUI (layout/layout_selection).
void SetStatusBar(const char* text);

// Process-wide flags that start-up sets.
extern int threaded;            // result of InitThreads (always 0)
extern int xOn, yOn, origin;    // run toggles of the stitching engine; 0 at start
extern int panX, panY;          // pan offset of the layout view in pixels
extern int zoomAll;             // 1: the next drawing fits the whole layout
extern int menuReady;           // 1 once the view may take touches
extern int64_t lastUpdateTime;  // time of the last view redraw in milliseconds
extern int stitching;           // 1 while the Stitching toggle is on
// Edit mode of the layout and run views: -1 none, 1 pan, ... 10 while a run is
// set up or running. The view code sets it; menu actions reset it to -1.
extern int command;
extern int vHandles;                      // 1 while the handles are shown on the view
extern volatile int mergePatternsActive;  // 1 while a pattern merge runs; Cancel clears it

struct StatusWindow;
// The progress window of the operation that is running, or null.
extern StatusWindow* statWindow;
