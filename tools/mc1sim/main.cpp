#include <cstdio>

int main() {
    std::fprintf(stderr, "mc1sim: not available in this build\n");
    return 2;
}
