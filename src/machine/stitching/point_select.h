// Choosing where a run begins: the stitch-path point nearest the machine head.
// The point-selection screen (ui/point_select_screen) lets the quilter push the
// head to the spot on the quilt and confirm; this module does the search and
// keeps the screen's follow flag, so the run control and the tests use it
// without the toolkit.
#pragma once

#include <cstdint>

struct FullPattern_t;

// 1 while a point-selection screen follows the machine; its 250 ms timer stops
// once this is cleared.
extern int runTimer;

// The point of the path starting at first that lies nearest to (x, y)
// (thousandths of an inch), by squared distance in path units. Points whose
// halt flag is set are not counted (the run cannot begin on a section end). On
// equal distances the earlier point wins. Returns none for an empty path or a
// path of halt points only. Called by SelectPoint and the tests.
FullPattern_t* NearestPathPoint(FullPattern_t* first, int32_t x, int32_t y);

// The point the run starts from after the quilter confirmed the point-selection
// screen: reads the head position and returns NearestPathPoint of
// CurrentRun().fullPattern, or none when there is no path or no usable point, or
// when the head cannot be read (kHeadUnreadableMessage shown). Logs "Return Point At ( %0.3f, %0.3f
// )\n" (inches) or "Return Point is NULL". Called by SelectPoint on OK.
FullPattern_t* PathPointAtHead();
