#include "pattern/import/import_test_util.h"

#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <memory>
#include <sstream>

#include "pattern/import/convert_dxf.h"
#include "pattern/import/import_qli.h"
#include "pattern/import/import_support.h"
#include "support/temp_dir.h"

namespace {

std::string ReadAll(FILE* f) {
    std::string text;
    std::rewind(f);
    char buffer[4096];
    std::size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, f)) > 0)
        text.append(buffer, got);
    return text;
}

ConvertRun Run(const std::string& input, bool drawing) {
    TempDir dir;
    char previous[4096];
    if (!getcwd(previous, sizeof previous)) previous[0] = 0;
    if (chdir(dir.path.c_str()) != 0) return {};
    std::unique_ptr<FILE, int (*)(FILE*)> source(std::tmpfile(), std::fclose);
    std::unique_ptr<FILE, int (*)(FILE*)> target(std::tmpfile(), std::fclose);
    std::fwrite(input.data(), 1, input.size(), source.get());
    std::rewind(source.get());
    ConvertRun run;
    run.result =
        drawing ? ConvertDXF(source.get(), target.get()) : ImportQLI(source.get(), target.get());
    run.output = ReadAll(target.get());
    run.log = ReadFileText(dir.File("dxf.log"));
    run.error = ImportErrorText();
    if (previous[0] && chdir(previous) != 0) run.error += " (working folder lost)";
    return run;
}

std::string Number(double v) {
    char text[64];
    std::snprintf(text, sizeof text, "%.6f", v);
    return text;
}

}  // namespace

ConvertRun RunConvertDxf(const std::string& dxf) {
    return Run(dxf, true);
}
ConvertRun RunImportQli(const std::string& qli) {
    return Run(qli, false);
}

OutPattern ParseOutput(const std::string& text) {
    OutPattern out;
    std::istringstream in(text);
    std::string line;
    bool inside = false;
    while (std::getline(in, line)) {
        if (line == "c s") {
            if (inside) out.strayLines++;
        } else if (line == "c e s") {
            if (inside) out.strayLines++;
            inside = true;
            out.entities.push_back({});
        } else if (line == "c e e") {
            if (!inside) out.strayLines++;
            inside = false;
        } else if (line.rfind("p X", 0) == 0 && inside) {
            OutPoint p{};
            if (std::sscanf(line.c_str(), "p X%lf Y%lf", &p.x, &p.y) != 2) out.strayLines++;
            out.entities.back().points.push_back(p);
        } else {
            out.strayLines++;
        }
    }
    return out;
}

std::size_t PointCount(const OutPattern& out) {
    std::size_t n = 0;
    for (const OutEntity& e : out.entities)
        n += e.points.size();
    return n;
}

std::string DxfDrawing(const std::string& entities) {
    return "  0\nSECTION\n  2\nENTITIES\n" + entities + "  0\nENDSEC\n  0\nEOF\n";
}

std::string DxfLine(double x1, double y1, double x2, double y2, const std::string& linetype) {
    std::string text = "  0\nLINE\n  8\n0\n";
    if (!linetype.empty()) text += "  6\n" + linetype + "\n";
    return text + " 10\n" + Number(x1) + "\n 20\n" + Number(y1) + "\n 30\n0.0\n 11\n" + Number(x2) +
           "\n 21\n" + Number(y2) + "\n 31\n0.0\n";
}

std::string DxfCircle(double x, double y, double r) {
    return "  0\nCIRCLE\n  8\n0\n 10\n" + Number(x) + "\n 20\n" + Number(y) + "\n 40\n" +
           Number(r) + "\n";
}

std::string DxfArc(double x, double y, double r, double startDegrees, double endDegrees) {
    return "  0\nARC\n  8\n0\n 10\n" + Number(x) + "\n 20\n" + Number(y) + "\n 40\n" + Number(r) +
           "\n 50\n" + Number(startDegrees) + "\n 51\n" + Number(endDegrees) + "\n";
}

std::string DxfPoint(double x, double y) {
    return "  0\nPOINT\n  8\n0\n 10\n" + Number(x) + "\n 20\n" + Number(y) + "\n";
}

std::string DxfText(const std::string& text) {
    return "  0\nTEXT\n  8\n0\n 10\n1.0\n 20\n1.0\n  1\n" + text + "\n";
}

std::string SourceFile(const std::string& relative) {
    return ReadFileText(std::string(LONGARM_SOURCE_DIR) + "/" + relative);
}

bool Near(double a, double b, double tolerance) {
    return std::fabs(a - b) <= tolerance;
}
