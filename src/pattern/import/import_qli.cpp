#include "pattern/import/import_qli.h"

#include <charconv>
#include <cmath>
#include <memory>
#include <string>
#include <string_view>

#include "base/log.h"
#include "pattern/import/import_support.h"
#include "pattern/import/point_chains.h"

namespace {

struct QliGather {
    std::string_view text;
    std::size_t pos = 0;
    ChainList chains;
    ImportProgress progress;
    float originX = 0.0f, originY = 0.0f;  // inches; "VP" coordinates are relative to it
    float lastX = 0.0f, lastY = 0.0f;      // inches; the most recent point, where arcs start
    bool newChain = true;                  // the next "VP" or "CR" opens a chain
    std::string error;
};

bool Fail(QliGather& g, const std::string& why) {
    if (g.error.empty()) g.error = why;
    return false;
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

// Next blank-separated token; false at the end of the text or when STOP was
// pressed (then g.progress.aborted is set).
bool NextToken(QliGather& g, std::string_view& token) {
    while (g.pos < g.text.size() && IsBlank(g.text[g.pos]))
        g.pos++;
    if (g.pos >= g.text.size()) return false;
    if (!StepImportProgress(g.progress)) return false;
    std::size_t start = g.pos;
    while (g.pos < g.text.size() && !IsBlank(g.text[g.pos]))
        g.pos++;
    token = g.text.substr(start, g.pos - start);
    return true;
}

void SkipLine(QliGather& g) {
    std::size_t end = g.text.find('\n', g.pos);
    g.pos = end == std::string_view::npos ? g.text.size() : end + 1;
}

// Reads a whole number (optional sign) from the front of text and removes it.
bool TakeInt(std::string_view& text, int& value) {
    std::string_view t = text;
    if (!t.empty() && t.front() == '+') t.remove_prefix(1);
    auto [end, error] = std::from_chars(t.data(), t.data() + t.size(), value);
    if (error != std::errc() || end == t.data()) return false;
    text.remove_prefix(std::size_t(end - text.data()));
    return true;
}

// Reads a decimal number from the front of text and removes it; infinities,
// not-a-number and values beyond kMaxImportValue count as unreadable.
bool TakeFloat(std::string_view& text, float& value) {
    std::string_view t = text;
    if (!t.empty() && t.front() == '+') t.remove_prefix(1);
    double parsed = 0.0;
    auto [end, error] = std::from_chars(t.data(), t.data() + t.size(), parsed);
    if (error != std::errc() || end == t.data()) return false;
    if (!std::isfinite(parsed) || std::fabs(parsed) > kMaxImportValue) return false;
    value = float(parsed);
    text.remove_prefix(std::size_t(end - text.data()));
    return true;
}

bool TakeComma(std::string_view& text) {
    if (text.empty() || text.front() != ',') return false;
    text.remove_prefix(1);
    return true;
}

bool AddPoint(QliGather& g, double x, double y) {
    if (!newPoint(g.chains, x, y)) {
        return Fail(g,
                    "the file holds more than " + std::to_string(g.chains.pointLimit) + " points");
    }
    g.lastX = float(x);
    g.lastY = float(y);
    return StepImportProgress(g.progress) || Fail(g, "the conversion was stopped");
}

void StartChainIfFlagged(QliGather& g) {
    if (!g.newChain) return;
    OpenChain(g.chains);
    g.newChain = false;
}

// "VP x,y": x and y in thousandths of an inch from the origin; a missing y is 0.
bool ReadVertex(QliGather& g, std::string_view argument) {
    StartChainIfFlagged(g);
    int x = 0, y = 0;
    if (!TakeInt(argument, x)) return true;
    if (TakeComma(argument)) TakeInt(argument, y);
    return AddPoint(g, g.originX + x / 1000.0, g.originY + y / 1000.0);
}

// "CR r,a,s": an arc of radius r thousandths that begins at the last point, at
// angle a, sweeping s degrees (counterclockwise when positive). Points are about
// 0.1 inch apart (never more than kMaxArcPoints) and the arc ends exactly at a + s.
bool ReadArc(QliGather& g, std::string_view argument) {
    int r = 0;
    float a = 0.0f, s = 0.0f;
    if (!TakeInt(argument, r)) return true;
    if (TakeComma(argument) && TakeFloat(argument, a) && TakeComma(argument))
        TakeFloat(argument, s);
    const double radius = r / 1000.0;
    const double t0 = a * kImportPi / 180.0;
    const double end = (double(a) + double(s)) * kImportPi / 180.0;
    const double step = ArcStep(radius, end - t0);
    const double cx = g.lastX - radius * std::cos(t0);
    const double cy = g.lastY - radius * std::sin(t0);
    double t = t0;
    for (std::size_t guard = 0; guard <= kMaxArcPoints + 1; guard++) {
        if (s >= 0.0f ? !(t < end) : !(t > end)) break;
        if (!AddPoint(g, cx + radius * std::cos(t), cy + radius * std::sin(t))) return false;
        t += s >= 0.0f ? step : -step;
    }
    return AddPoint(g, cx + radius * std::cos(end), cy + radius * std::sin(end));
}

bool GatherQli(QliGather& g) {
    std::string_view token;
    while (NextToken(g, token)) {
        if (token == "EN") break;
        if (token == "VP" || token == "CR") {
            if (token == "CR") StartChainIfFlagged(g);
            std::string_view argument;
            if (!NextToken(g, argument)) break;
            bool ok = token == "VP" ? ReadVertex(g, argument) : ReadArc(g, argument);
            if (!ok) return false;
        } else if (token == "VE") {
            g.originX = g.lastX;
            g.originY = g.lastY;
            Log("New origin set to %0.3f, %0.3f\n", g.originX, g.originY);
            g.newChain = true;
        } else if (token == "NO" || token == "REM") {
            SkipLine(g);
        }
    }
    if (g.progress.aborted) return Fail(g, "the conversion was stopped");
    return true;
}

double GapBetween(const ChainPoint& a, const ChainPoint& b) {
    double dx = b.x - a.x;
    double dy = b.y - a.y;
    return std::sqrt(dx * dx + dy * dy);
}

bool WriteQliPattern(QliGather& g, FILE* target) {
    SetImportPhase(g.progress, "Writing Output File");
    const ChainList& list = g.chains;
    std::size_t n = ChainCount(list);
    for (std::size_t c = 0; c < n; c++) {
        std::fputs("c e s\n", target);
        if (!WriteChainPoints(target, list, c, false, g.progress))
            return Fail(g, "the conversion was stopped");
        std::fputs("c e e\n", target);
        bool last = c + 1 == n;
        if (last || GapBetween(list.points[ChainEnd(list, c) - 1],
                               list.points[ChainBegin(list, c + 1)]) > 0.25) {
            std::fputs("c s\n", target);
        }
    }
    if (std::fflush(target) != 0 || std::ferror(target))
        return Fail(g, "the pattern file cannot be written");
    return true;
}

bool RunQliImport(QliGather& g, FILE* source, FILE* target) {
    std::string text;
    if (!ReadWholeStream(source, kMaxImportBytes, text)) {
        return Fail(g, "the file cannot be read or is larger than " +
                           std::to_string(kMaxImportBytes / (1024 * 1024)) + " MB");
    }
    g.text = text;
    InitChainList(g.chains);
    SetImportPhase(g.progress, "Gathering Points");
    if (!GatherQli(g)) return false;
    g.text = {};
    text = std::string();

    if (!PlaceDrawing(g.chains, g.progress, g.error)) return false;
    return WriteQliPattern(g, target);
}

}  // namespace

int ImportQLI(FILE* source, FILE* target) {
    SetImportError("");
    if (!source || !target) {
        SetImportError("no QLI file or no pattern file to convert");
        return -1;
    }
    auto g = std::make_unique<QliGather>();
    OpenImportProgress(g->progress, "CONVERTING QLI");
    bool ok = RunQliImport(*g, source, target);
    CloseImportProgress(g->progress);
    if (!ok) {
        Log("QLI import failed: %s\n", g->error.c_str());
        SetImportError(g->error);
        return -1;
    }
    return 1;
}
