// Helpers of the pattern tests: patterns built from lines, and the points,
// commands and bounds of a pattern as short texts so a mismatch reads well.
#pragma once

#include <initializer_list>
#include <string>

#include "pattern/pattern.h"

// A pattern built from file lines through addData and measured like a loaded one
// (the base size is the measured size).
Pattern FromLines(std::initializer_list<std::string> lines);
// A pattern of the given (x, y) points, built as above.
Pattern Build(std::initializer_list<std::pair<float, float>> points);
// The points as "x,y" separated by blanks, each rounded to 0.001.
std::string PointsText(const Pattern& p);
// The commands as "<point><kind>" separated by blanks, kind s, f, es or ee.
std::string CommandsText(const Pattern& p);
// "minX minY maxX maxY / width x height", rounded to 0.001.
std::string BoundsText(const Pattern& p);
