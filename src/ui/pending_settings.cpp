// Weak stand-ins with the start values; see pending_settings.h.
#include "ui/pending_settings.h"

__attribute__((weak)) int32_t showAdvancedFeatures = 0;
__attribute__((weak)) int32_t stitchButtonsOn = 0;
