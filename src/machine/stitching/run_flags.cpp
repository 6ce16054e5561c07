#include "machine/stitching/run_flags.h"

int allStop = 0;
FullPattern_t* fpTemp = nullptr;

void ClearTimers() {
    allStop = 0;
}
