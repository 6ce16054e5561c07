#include "machine/stitching/run_state.h"

RunState& CurrentRun() {
    static RunState run;
    return run;
}
