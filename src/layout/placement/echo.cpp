// The echo check. See echo.h.
#include "layout/placement/echo.h"

#include "base/ui_hooks.h"
#include "layout/layout_tree.h"

int CheckEchoPlacement(const LayoutNode* node) {
    if (!node) return 0;
    if (node->arrayIndex >= 0) {
        ShowMessage(kMessageError, kButtonsOk, "YOU MAY NOT ECHO AN ARRAYED PATTERN");
        return 0;
    }
    return 1;
}
