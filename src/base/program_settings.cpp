#include "base/program_settings.h"

namespace {
// Constant-initialized: it holds the start values before any code runs.
ProgramSettings settings;
}  // namespace

ProgramSettings& Settings() {
    return settings;
}

void ResetProgramSettings() {
    settings = ProgramSettings{};
}
