#include "machine/board_errors.h"

#include <cstdio>

#include "base/ui_hooks.h"

const char* const errors[8] = {
    "NO ERRORS DETECTED",
    "X MOTOR FAILURE",
    "THE STITCH CONTROLLER IS NOT PRESENT, OR IT HAS GENERATED AN ERROR",
    "X MOTOR FAILURE\nSTITCH CONTROLLER GENERATED AN ERROR",
    "Y MOTOR FAILURE",
    "X MOTOR FAILURE\nY MOTOR FAILURE",
    "Y MOTOR FAILURE\nSTITCH CONTROLLER GENERATED AN ERROR",
    "X MOTOR FAILURE\nY MOTOR FAILURE\nSTITCH CONTROLLER GENERATED AN ERROR",
};

std::string ErrorWordMessage(int32_t errorWord) {
    if (errorWord == -1) return "MOTOR CONTROLLER HAS AN ERROR.\nUNABLE TO RETRIEVE";
    if (errorWord == 0) return "MOTOR CONTROLLER HAD AN ERROR\nBUT IT HAS BEEN CLEARED";
    if (errorWord >= 1 && errorWord <= 7) return errors[errorWord];
    char text[64];
    std::snprintf(text, sizeof text, "MOTOR CONTROLLER HAS UNKNOWN ERROR\n%ld",
                  static_cast<long>(errorWord));
    return text;
}

void ShowErrorWord(int32_t errorWord) {
    ShowMessage(kMessageError, kButtonsOk, ErrorWordMessage(errorWord).c_str());
}
