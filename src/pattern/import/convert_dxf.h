// Conversion of a DXF drawing into a pattern file. The file manager calls it
// when a ".dxf" or ".DXF" file is copied into the pattern folders, and
// "longarm-tool convert" calls it for a drawing given on the command line.
//
// The drawing's LINE, POINT, POLYLINE, LWPOLYLINE, SPLINE (control points),
// CIRCLE and ARC entities become point chains (circles and arcs with points
// about 0.1 inch apart); entities inside BLOCK definitions are ignored, LINEs of
// linetype "DASHED" and the LINE after a TEXT "STOPPING_MACRO LINETYPE" are
// dropped. The drawing is moved to the origin and flipped so that the drawing's
// upward y becomes the quilt's y toward the front of the table; drawing units
// are taken as inches. The chains are written in nearest-neighbour order with a
// stop before every jump longer than a quarter inch. Progress is shown in a
// window titled "CONVERTING DXF"; every conversion writes a fresh "./dxf.log".
#pragma once

#include <cstdio>

// Reads the drawing from source and writes pattern-file lines to target; the
// caller opens and closes both streams. Returns 0 on success, -1 when the
// drawing ends inside an entity, a number cannot be read, a circle or arc has a
// negative radius, the drawing exceeds the import limits (import_support.h),
// the target cannot be written, or STOP was pressed. What was written to the
// target before a failure stays there; ImportErrorText() says why it failed.
int ConvertDXF(FILE* source, FILE* target);
