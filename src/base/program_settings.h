// Settings that live only in this program and are not machine parameters of
// the board: the margin kept from the pattern-box edges and the switches that
// show the stitch buttons and the advanced features. Held in one record that
// starts at the values below; loaded from the defaults file at start-up
// (machine_startup) and edited on the setup screens.
#pragma once

#include <cstdint>

struct ProgramSettings {
    float xMargin = 0.0f;              // inches kept from the box edges across, -10 to 10
    float yMargin = 0.0f;              // inches kept from the box edges down the table
    int32_t stitchButtonsOn = 0;       // 1: the toolbar shows the stitch and needle buttons
    int32_t showAdvancedFeatures = 0;  // 1: layout files, set-points, merge and more are offered
};

// The program's settings. The record exists before any code of the program
// runs and is never destroyed.
ProgramSettings& Settings();

// Puts every setting back to its start value (tests).
void ResetProgramSettings();
