// Import of QLI quilting-path files (keyword text of straight moves and arcs in
// thousandths of an inch, written by other quilting systems) into pattern
// files. The file manager calls it when a ".qli" or ".QLI" file is copied into
// the pattern folders; "longarm-tool convert" calls it for a file given on the
// command line.
//
// Keywords: "VP x,y" a point relative to the current origin; "CR r,a,s" an arc
// of radius r starting at the last point, start angle a and sweep s in degrees
// (positive counterclockwise); "VE" ends a stretch, moves the origin to the last
// point and starts a new chain; "NO" and "REM" notes run to the end of the line;
// "EN" ends the data; every other token is ignored. The chains are moved to the
// origin, flipped like a drawing and written in file order, never reversed, with
// a stop wherever the next chain starts more than a quarter inch away. Progress
// is shown in a window titled "CONVERTING QLI".
#pragma once

#include <cstdio>

// Reads the QLI text from source and writes pattern-file lines to target; the
// caller opens and closes both streams. A file that simply ends early is no
// failure: what was gathered is written. Returns 1 on success; -1 when the source
// cannot be read or exceeds the import limits (import_support.h), the target
// cannot be written, or STOP was pressed (ImportErrorText() says why).
int ImportQLI(FILE* source, FILE* target);
