// The operating program of the long-arm quilting machine.
#include "ui/startup.h"

int main(int argc, char** argv) {
    return initializeUserInterface(argc, argv) != 0 ? 1 : 0;
}
