// Weak stand-ins with the built-in defaults; see pending_settings.h.
#include "ui/pending_settings.h"

__attribute__((weak)) int screen_width = 320;
__attribute__((weak)) int screen_height = 240;
__attribute__((weak)) int menubar_width = 160;
__attribute__((weak)) int menubar_height = 40;
__attribute__((weak)) int toolbar_width = 160;
__attribute__((weak)) int toolbar_height = 40;
__attribute__((weak)) int toolbar_button_size = 30;
__attribute__((weak)) int number_entry_width = 320;
__attribute__((weak)) int number_entry_height = 240;
__attribute__((weak)) int icon_style = 0;
__attribute__((weak)) int32_t showAdvancedFeatures = 0;
__attribute__((weak)) int32_t stitchButtonsOn = 0;
__attribute__((weak)) int32_t needleUpMethod = 0;
