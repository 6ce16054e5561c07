// Settings this module reads whose owning module (the start-up switches)
// has not joined the program yet. The definitions in
// pending_settings.cpp are weak: the owners' definitions replace them at link
// time. This file goes once the owners' headers exist.
#pragma once

#include <cstdint>

#include "app/screen_config.h"
#include "machine/machine_parameters.h"

extern int32_t showAdvancedFeatures;  // 1: advanced menu items and the Stitch menu shown
extern int32_t stitchButtonsOn;       // 1: toolbar Stitch On/Off and Needle Up shown
