#include "base/application_state.h"

#include <cstring>

char statusBar[kStatusBarSize] = {};

int threaded = 0;
int xOn = 0;
int yOn = 0;
int origin = 0;
int panX = 0;
int panY = 0;
int zoomAll = 1;
int menuReady = 0;
int64_t lastUpdateTime = 0;
int stitching = 1;
int command = -1;
int vHandles = 0;
volatile int mergePatternsActive = 0;
volatile int operationRunning = 0;
StatusWindow* statWindow = nullptr;

void SetStatusBar(const char* text) {
    if (!text) {
        statusBar[0] = '\0';
        return;
    }
    std::strncpy(statusBar, text, kStatusBarSize - 1);
    statusBar[kStatusBarSize - 1] = '\0';
}
