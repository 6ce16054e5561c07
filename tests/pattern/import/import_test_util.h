// Helpers of the import tests: running a converter on text, reading its pattern
// output back into entities, building small DXF texts by hand.
#pragma once

#include <string>
#include <vector>

struct ConvertRun {
    int result = 0;
    std::string output;  // the pattern-file text written
    std::string log;     // "./dxf.log" after a DXF conversion
    std::string error;   // ImportErrorText() afterwards
};

// Runs ConvertDXF / ImportQLI on the text, inside a fresh temporary working folder.
ConvertRun RunConvertDxf(const std::string& dxf);
ConvertRun RunImportQli(const std::string& qli);

struct OutPoint {
    double x, y;
};

// One "c e s" ... "c e e" block of the output.
struct OutEntity {
    std::vector<OutPoint> points;
};

struct OutPattern {
    int strayLines = 0;  // lines outside every block other than "c s", or unknown lines
    std::vector<OutEntity> entities;
};

OutPattern ParseOutput(const std::string& text);
// The number of points in all blocks of the output.
std::size_t PointCount(const OutPattern& out);

// A DXF text with an ENTITIES section holding the given entity texts.
std::string DxfDrawing(const std::string& entities);
// Single entities as group pairs ("0\nLINE\n8\n0\n10\n...").
std::string DxfLine(double x1, double y1, double x2, double y2, const std::string& linetype = "");
std::string DxfCircle(double x, double y, double r);
std::string DxfArc(double x, double y, double r, double startDegrees, double endDegrees);
std::string DxfPoint(double x, double y);
std::string DxfText(const std::string& text);

// Reads a file of the source tree (tests/data/...).
std::string SourceFile(const std::string& relative);

bool Near(double a, double b, double tolerance = 0.0015);
