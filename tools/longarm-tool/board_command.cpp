#include <cstdio>

#include "commands.h"

int RunBoardCommand(const Arguments&) {
    std::fprintf(stderr, "longarm-tool board: not available in this build\n");
    return 2;
}
