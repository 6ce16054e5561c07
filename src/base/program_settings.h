// Settings that live only in this program and are not machine parameters of
// the board: the margin kept from the pattern-box edges and the switches that
// show the stitch buttons and the advanced features. Loaded from the defaults
// file at start-up (machine_startup) and edited on the setup screens.
#pragma once

#include <cstdint>

extern float xMargin;                 // inches kept from the box edges across, -10 to 10
extern float yMargin;                 // inches kept from the box edges down the table
extern int32_t stitchButtonsOn;       // 1: the toolbar shows the stitch and needle buttons
extern int32_t showAdvancedFeatures;  // 1: layout files, set-points, merge and more are offered
