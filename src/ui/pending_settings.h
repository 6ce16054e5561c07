// Settings this module reads whose owning modules (screen layout settings,
// start-up switches, machine type) have not joined the program yet. The
// definitions in pending_settings.cpp are weak: the owners' definitions replace
// them at link time. This file goes once the owners' headers exist.
#pragma once

#include <cstdint>

extern int screen_width;
extern int screen_height;
extern int menubar_width;
extern int menubar_height;
extern int toolbar_width;
extern int toolbar_height;
extern int toolbar_button_size;
extern int number_entry_width;
extern int number_entry_height;
extern int icon_style;
extern int32_t showAdvancedFeatures;
extern int32_t stitchButtonsOn;
extern int32_t needleUpMethod;
