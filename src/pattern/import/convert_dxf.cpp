#include "pattern/import/convert_dxf.h"

#include <cstdarg>
#include <memory>
#include <string>
#include <string_view>

#include "base/log.h"
#include "pattern/import/chain_order.h"
#include "pattern/import/dxf_reader.h"
#include "pattern/import/import_support.h"
#include "pattern/import/point_chains.h"

namespace {

struct FileCloser {
    void operator()(FILE* f) const {
        if (f) std::fclose(f);
    }
};
using LogFile = std::unique_ptr<FILE, FileCloser>;

// The state of gathering the points of one drawing.
struct DxfGather {
    DxfSource source;
    ChainList chains;
    ImportProgress progress;
    FILE* log = nullptr;
    int skipLines = 0;  // LINE entities still to be dropped
    std::string error;  // why gathering failed
    std::string logLine;
};

void WriteLog(DxfGather& g, const char* format, ...) __attribute__((format(printf, 2, 3)));

void WriteLog(DxfGather& g, const char* format, ...) {
    if (!g.log) return;
    va_list args;
    va_start(args, format);
    std::vfprintf(g.log, format, args);
    va_end(args);
}

// A log line of four numbers: the texts in order, each but the last followed by
// the next number. Put together without printf, as a large drawing logs every
// LINE and VERTEX.
void LogFour(DxfGather& g, const char* const (&texts)[5], double a, double b, double c, double d) {
    if (!g.log) return;
    std::string& line = g.logLine;
    line.assign(texts[0]);
    const double values[4] = {a, b, c, d};
    for (int i = 0; i < 4; i++) {
        AppendFixed3(line, values[i]);
        line += texts[i + 1];
    }
    std::fwrite(line.data(), 1, line.size(), g.log);
}

bool Fail(DxfGather& g, const std::string& why) {
    if (g.error.empty()) g.error = why;
    return false;
}

bool TooManyPoints(DxfGather& g) {
    return Fail(g,
                "the drawing holds more than " + std::to_string(g.chains.pointLimit) + " points");
}

bool AddPoint(DxfGather& g, double x, double y) {
    if (!newPoint(g.chains, x, y)) return TooManyPoints(g);
    return StepImportProgress(g.progress) || Fail(g, "the conversion was stopped");
}

bool EndedInside(DxfGather& g, std::string_view entity) {
    return Fail(g, "the drawing ends inside a " + std::string(entity) + " entity");
}

bool Unreadable(DxfGather& g, std::string_view entity) {
    return Fail(g, "a number of a " + std::string(entity) + " entity cannot be read");
}

bool ReadLine(DxfGather& g) {
    DxfEntityValues v;
    if (get_values(g.source, v) == 0) {
        WriteLog(g, "Failed on LINE\n");
        return Unreadable(g, "LINE");
    }
    if (!AddPoint(g, v.x1, v.y1) || !AddPoint(g, v.x2, v.y2)) return false;
    LogFour(g, {"Added points of LINE ( ", ", ", " ) ( ", ", ", " )\n"}, v.x1, v.y1, v.x2, v.y2);
    return true;
}

bool ReadPoint(DxfGather& g) {
    DxfEntityValues v;
    if (get_values(g.source, v) == 0) return Unreadable(g, "POINT");
    return AddPoint(g, v.x1, v.y1);
}

// POLYLINE: a header entity, then VERTEX entities up to SEQEND. The header's own
// coordinates are no point. A polyline that runs into another entity without its
// SEQEND ends there, so a damaged polyline cannot swallow the rest of the drawing.
bool ReadPolyline(DxfGather& g) {
    WriteLog(g, "Found Polyline");
    DxfEntityValues v;
    if (get_values(g.source, v) == 0) return Unreadable(g, "POLYLINE");
    WriteLog(g, "...\n");
    for (;;) {
        std::size_t before = g.source.pos;
        int code = 0;
        std::string_view value;
        if (!ReadDxfPair(g.source, code, value)) return EndedInside(g, "POLYLINE");
        if (code != 0) continue;
        std::string_view name = TrimDxf(value);
        if (name == "SEQEND") break;
        if (name != "VERTEX") {
            g.source.pos = before;
            break;
        }
        if (get_values(g.source, v) == 0) return Unreadable(g, "VERTEX");
        if (!AddPoint(g, v.x1, v.y1)) return false;
        LogFour(g, {"p X1-", " Y1-", "\tX2-", " Y2-", "\n"}, v.x1, v.y1, v.x2, v.y2);
    }
    WriteLog(g, "End Polyline\n");
    return true;
}

// LWPOLYLINE and SPLINE: every 10 (x) and 20 (y) pair of the entity; a point is
// added each time both have been read since the last point. Of a spline only
// the control points are used.
bool ReadCoordinatePairs(DxfGather& g, std::string_view entity) {
    bool haveX = false, haveY = false;
    double x = 0.0, y = 0.0;
    for (;;) {
        std::size_t before = g.source.pos;
        int code = 0;
        std::string_view value;
        if (!ReadDxfPair(g.source, code, value)) return EndedInside(g, entity);
        if (code == 0) {
            g.source.pos = before;
            return true;
        }
        if (code == 10) {
            if (!ParseDxfNumber(value, x)) return Unreadable(g, entity);
            haveX = true;
        } else if (code == 20) {
            if (!ParseDxfNumber(value, y)) return Unreadable(g, entity);
            haveY = true;
        }
        if (haveX && haveY) {
            if (!AddPoint(g, x, y)) return false;
            haveX = haveY = false;
        }
    }
}

bool ReadRound(DxfGather& g, std::string_view entity) {
    DxfEntityValues v;
    if (get_values(g.source, v) == 0) return Unreadable(g, entity);
    if (v.radius < 0.0) return Fail(g, "a " + std::string(entity) + " has a negative radius");
    std::size_t before = g.chains.points.size();
    bool ok = entity == "CIRCLE"
                  ? AddCirclePoints(g.chains, v.x1, v.y1, v.radius)
                  : AddArcPoints(g.chains, v.x1, v.y1, v.radius, v.startAngle, v.endAngle);
    if (!ok) return TooManyPoints(g);
    for (std::size_t i = before; i < g.chains.points.size(); i++) {
        if (!StepImportProgress(g.progress)) return Fail(g, "the conversion was stopped");
    }
    return true;
}

bool IsGeometric(std::string_view name) {
    return name == "LINE" || name == "CIRCLE" || name == "ARC" || name == "POINT" ||
           name == "POLYLINE" || name == "LWPOLYLINE" || name == "SPLINE";
}

bool ReadGeometric(DxfGather& g, std::string_view name) {
    std::string layer, linetype;
    if (get_string(g.source, 8, layer) == 0) return EndedInside(g, name);
    if (name == "LINE") {
        if (get_string(g.source, 6, linetype) == 0) return EndedInside(g, name);
        if (linetype == "DASHED") g.skipLines++;
        if (g.skipLines > 0) {
            DxfEntityValues v;
            if (get_values(g.source, v) == 0) {
                WriteLog(g, "Failed on LINE\n");
                return Unreadable(g, name);
            }
            g.skipLines--;
            return true;
        }
    }
    OpenChainIfUsed(g.chains);
    if (name == "LINE") return ReadLine(g);
    if (name == "POINT") return ReadPoint(g);
    if (name == "POLYLINE") return ReadPolyline(g);
    if (name == "LWPOLYLINE" || name == "SPLINE") return ReadCoordinatePairs(g, name);
    return ReadRound(g, name);
}

// Everything up to the "0" line followed by "ENDBLK" belongs to a block
// definition, whose entities are not part of the drawing itself.
bool SkipBlock(DxfGather& g) {
    std::string_view line;
    while (get_line(g.source, line)) {
        if (TrimDxf(line) != "0") continue;
        std::size_t before = g.source.pos;
        if (!get_line(g.source, line)) break;
        if (TrimDxf(line) == "ENDBLK") return true;
        g.source.pos = before;
    }
    return EndedInside(g, "BLOCK");
}

// A TEXT whose text is "STOPPING_MACRO LINETYPE" marks the next LINE as one the
// machine must not stitch. The text value is the whole value line, so the marker
// is found with DOS and with Unix line ends alike.
bool ReadText(DxfGather& g) {
    for (;;) {
        std::size_t before = g.source.pos;
        int code = 0;
        std::string_view value;
        if (!ReadDxfPair(g.source, code, value)) return EndedInside(g, "TEXT");
        if (code == 0) {
            g.source.pos = before;
            return true;
        }
        if (code == 1 && value == "STOPPING_MACRO LINETYPE") g.skipLines++;
    }
}

// Walks the drawing entity by entity. An entity starts at a "0" line followed by
// its name; names this converter does not use are passed over by carrying on the
// search right after their "0", which also steps safely over the header and
// table sections. Returns false (with g.error set) on failure.
bool GatherDxf(DxfGather& g) {
    for (;;) {
        std::string_view line;
        bool found = false;
        while (get_line(g.source, line)) {
            if (TrimDxf(line) == "0") {
                found = true;
                break;
            }
        }
        if (!found) return true;
        std::size_t afterZero = g.source.pos;
        if (!get_line(g.source, line)) return true;
        std::string_view name = TrimDxf(line);
        if (!StepImportProgress(g.progress)) return Fail(g, "the conversion was stopped");
        bool ok = true;
        if (IsGeometric(name))
            ok = ReadGeometric(g, name);
        else if (name == "BLOCK")
            ok = SkipBlock(g);
        else if (name == "TEXT")
            ok = ReadText(g);
        else if (name == "EOF")
            return true;
        else
            g.source.pos = afterZero;
        if (!ok) return false;
    }
}

// Writes the chains in nearest-neighbour order, each one between "c e s" and
// "c e e", with "c s" at the start and after every chain followed by a jump.
bool WriteDxfPattern(DxfGather& g, FILE* target) {
    SetImportPhase(g.progress, "Writing Output File");
    std::fputs("c s\n", target);
    std::vector<ChainVisit> visits = OrderChainsNearest(g.chains, g.progress);
    if (g.progress.aborted) return Fail(g, "the conversion was stopped");
    for (const ChainVisit& visit : visits) {
        std::fputs("c e s\n", target);
        if (!WriteChainPoints(target, g.chains, visit.chain, visit.reversed, g.progress))
            return Fail(g, "the conversion was stopped");
        std::fputs("c e e\n", target);
        if (visit.stopAfter) std::fputs("c s\n", target);
    }
    if (std::fflush(target) != 0 || std::ferror(target))
        return Fail(g, "the pattern file cannot be written");
    return true;
}

bool RunDxfConversion(DxfGather& g, FILE* source, FILE* target) {
    std::string text;
    if (!ReadWholeStream(source, kMaxImportBytes, text)) {
        return Fail(g, "the drawing cannot be read or is larger than " +
                           std::to_string(kMaxImportBytes / (1024 * 1024)) + " MB");
    }
    g.source.text = text;
    g.source.progress = &g.progress;
    InitChainList(g.chains);
    SetImportPhase(g.progress, "Gathering Points");
    bool gathered = GatherDxf(g);
    if (g.source.stopped || g.progress.aborted) {
        g.error = "the conversion was stopped";  // whatever the interrupted reader reported
        return false;
    }
    if (!gathered) return false;
    g.source = DxfSource{};
    text = std::string();  // the text is no longer needed; free it before ordering

    if (!PlaceDrawing(g.chains, g.progress, g.error)) return false;
    return WriteDxfPattern(g, target);
}

}  // namespace

int ConvertDXF(FILE* source, FILE* target) {
    SetImportError("");
    if (!source || !target) {
        SetImportError("no drawing or no pattern file to convert");
        return -1;
    }
    LogFile log(std::fopen("./dxf.log", "w"));
    auto g = std::make_unique<DxfGather>();
    g->log = log.get();
    OpenImportProgress(g->progress, "CONVERTING DXF");
    bool ok = RunDxfConversion(*g, source, target);
    CloseImportProgress(g->progress);
    if (!ok) {
        WriteLog(*g, "Conversion failed: %s\n", g->error.c_str());
        Log("DXF conversion failed: %s\n", g->error.c_str());
        SetImportError(g->error);
        return -1;
    }
    return 0;
}
