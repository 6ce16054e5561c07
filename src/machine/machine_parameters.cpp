#include "machine/machine_parameters.h"

namespace {
// Constant-initialized: it holds the factory defaults before any code runs.
MachineParameters parameters;
}  // namespace

MachineParameters& Machine() {
    return parameters;
}

const char* const machineTypeNames[kMachineTypeCount] = {
    "Default", "Corvane Twin", "Corvane Solo", "Halberd", "Morrow Longarm",
    "Ferrand", "Kestrel",      "Dunmore/Rill", "Vantor",  "Selkirk",
    "Brisco",  "Custom",       "Corvane 18"};

void ComputeDerivedSpeeds() {
    MachineParameters& m = Machine();
    m.maxSpeed = static_cast<float>(m.speed);
    m.minSpeed = static_cast<float>(m.minimumSpeed) * 10.0f / 6.0f;
}

void SetFactoryDefaults() {
    Machine() = MachineParameters{};
}

int CurrentStitcherMethod() {
    const int32_t method = Machine().needleUpMethod;
    return (method >= 0 && method < kMachineTypeCount) ? method : 0;
}
