#include "base/program_settings.h"

float xMargin = 0.0f;
float yMargin = 0.0f;
int32_t stitchButtonsOn = 0;
int32_t showAdvancedFeatures = 0;
