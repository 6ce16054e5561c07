// Reading the text of a DXF drawing. A DXF file is a sequence of group pairs:
// a line with a whole-number group code, then a line with the value. The
// reader works on the whole text in memory and goes through it line by line, so
// a value that holds blanks or is empty (a layer called "Border 2", an empty
// text) keeps the pairs aligned. Looking ahead inside an entity and putting a
// pair back are a matter of saving and restoring the position.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "pattern/import/import_support.h"

struct DxfSource {
    std::string_view text;
    std::size_t pos = 0;                 // start of the next line to read
    ImportProgress* progress = nullptr;  // advanced once per line read
    bool stopped = false;                // STOP was pressed; reading reports the end
};

// The values of one entity (all 0 before each entity is read).
struct DxfEntityValues {
    double x1 = 0, y1 = 0, z1 = 0;  // groups 10, 20, 30
    double x2 = 0, y2 = 0, z2 = 0;  // groups 11, 21, 31
    double radius = 0;              // group 40, and 42 which lands in the same value
    double startAngle = 0;          // group 50, degrees
    double endAngle = 0;            // group 51, degrees
    bool closed = false;            // bit 0 of group 70
};

// Reads the next line without its line feed (and without a carriage return
// before it). Returns false at the end of the text or when STOP was pressed.
bool get_line(DxfSource& source, std::string_view& line);

// The line with blanks, tabs and line-end characters removed at both ends.
std::string_view TrimDxf(std::string_view line);

// Reads one group pair: code (the whole number of the code line, -1 when it is
// not one) and the value line as it stands. Returns false at the end of the text.
bool ReadDxfPair(DxfSource& source, int& code, std::string_view& value);

// Reads a number value: decimal text, leading and trailing blanks allowed.
// Returns false for text that is no number, not finite, or larger in size than
// kMaxImportValue.
bool ParseDxfNumber(std::string_view text, double& value);

// Reads the current entity's pairs into values, stopping before the next code 0
// (which is read next). Returns 1, or 2 when bit 0 of group 70 was set; 0 when
// the text ends first or a value of a number group cannot be read.
int get_values(DxfSource& source, DxfEntityValues& values);

// Looks ahead among the current entity's pairs for the given code without
// consuming any. Returns 1 with value set when found, 1 with value empty when
// the entity ends without it, 0 when the text ends first.
int get_string(DxfSource& source, int code, std::string& value);
