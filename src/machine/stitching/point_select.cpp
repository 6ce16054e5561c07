#include "machine/stitching/point_select.h"

#include "base/application_state.h"
#include "base/log.h"
#include "base/ui_hooks.h"
#include "machine/mc1_motion.h"
#include "machine/stitching/run_state.h"
#include "machine/stitching/stitch_path.h"

int runTimer = 0;

FullPattern_t* NearestPathPoint(FullPattern_t* first, int32_t x, int32_t y) {
    FullPattern_t* nearest = nullptr;
    double best = 0;
    for (FullPattern_t* point = first; point != nullptr; point = point->next()) {
        if (point->halt != 0) continue;
        // Doubles: a quilt of a few hundred inches squared in thousandths
        // overflows neither the range nor the precision needed to compare.
        double dx = static_cast<double>(point->x) - x;
        double dy = static_cast<double>(point->y) - y;
        double distance = dx * dx + dy * dy;
        if (nearest == nullptr || distance < best) {
            nearest = point;
            best = distance;
        }
    }
    return nearest;
}

FullPattern_t* PathPointAtHead() {
    int32_t x = 0, y = 0;
    if (GetXY(&x, &y) != 0) {
        // Without the head's position any point would be a guess.
        ShowMessage(kMessageError, kButtonsOk, kHeadUnreadableMessage);
        return nullptr;
    }
    FullPattern_t* point = NearestPathPoint(CurrentRun().fullPattern, x, y);
    if (point == nullptr) {
        LogLine("Return Point is NULL");
        return nullptr;
    }
    Log("Return Point At ( %0.3f, %0.3f )\n", point->x / kPathUnitsPerInch,
        point->y / kPathUnitsPerInch);
    return point;
}
