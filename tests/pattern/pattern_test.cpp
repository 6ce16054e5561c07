#include "pattern/pattern_test.h"

#include <cmath>
#include <cstdio>

namespace {

std::string Number(float v) {
    double r = std::round(double(v) * 1000.0) / 1000.0;
    if (r == 0) r = 0;  // no "-0"
    char text[32];
    std::snprintf(text, sizeof text, "%g", r);
    return text;
}

}  // namespace

Pattern FromLines(std::initializer_list<std::string> lines) {
    Pattern p;
    for (const std::string& line : lines)
        addData(&p, line.c_str(), 1);
    UpdatePatternSize(&p);
    p.baseWidth = p.width;
    p.baseHeight = p.height;
    return p;
}

Pattern Build(std::initializer_list<std::pair<float, float>> points) {
    Pattern p;
    for (auto [x, y] : points) {
        std::string line = "p X" + std::to_string(x) + " Y" + std::to_string(y);
        addData(&p, line.c_str(), 1);
    }
    UpdatePatternSize(&p);
    p.baseWidth = p.width;
    p.baseHeight = p.height;
    return p;
}

std::string PointsText(const Pattern& p) {
    std::string text;
    for (int i = 0; i < p.pointCount; i++)
        text += (i ? " " : "") + Number(p.x[i]) + "," + Number(p.y[i]);
    return text;
}

std::string CommandsText(const Pattern& p) {
    static const char* const kinds[] = {"s", "f", "es", "ee"};
    std::string text;
    for (int i = 0; i < p.commandCount; i++)
        text += (i ? " " : "") + std::to_string(p.commandPoint[i]) +
                kinds[static_cast<int>(p.commandType[i]) & 3];
    return text;
}

std::string BoundsText(const Pattern& p) {
    return Number(p.minX) + " " + Number(p.minY) + " " + Number(p.maxX) + " " + Number(p.maxY) +
           " / " + Number(p.width) + " x " + Number(p.height);
}
