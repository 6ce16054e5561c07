// longarm-tool convert IN OUT: turns a DXF drawing or a QLI file into a pattern
// file, exactly as the file manager converts it when it is copied in from the
// USB drive. The pattern file is replaced whole (old or new, never half), and it
// is read back once to make sure the controller will load it.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "base/safe_write.h"
#include "commands.h"
#include "pattern/import/convert_dxf.h"
#include "pattern/import/import_qli.h"
#include "pattern/import/import_support.h"
#include "pattern/pattern.h"

namespace {

constexpr const char* kUsage =
    "usage: longarm-tool convert IN OUT\n"
    "  IN   a DXF drawing (.dxf, .DXF) or a QLI file (.qli, .QLI)\n"
    "  OUT  the pattern file to write (normally NAME.qcc)\n"
    "DXF units are taken as inches. A DXF conversion writes its log to ./dxf.log.\n";

enum class SourceKind { None, Drawing, Qli };

SourceKind KindOf(const std::string& path) {
    std::size_t slash = path.rfind('/');
    std::size_t dot = path.rfind('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return SourceKind::None;
    std::string extension = path.substr(dot);
    if (extension == ".dxf" || extension == ".DXF") return SourceKind::Drawing;
    if (extension == ".qli" || extension == ".QLI") return SourceKind::Qli;
    return SourceKind::None;
}

struct FileCloser {
    void operator()(FILE* f) const {
        if (f) std::fclose(f);
    }
};
using File = std::unique_ptr<FILE, FileCloser>;

bool HoldsPoints(const std::string& pattern) {
    return pattern.rfind("p ", 0) == 0 || pattern.find("\np ") != std::string::npos;
}

}  // namespace

int RunConvertCommand(const Arguments& args) {
    if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h")) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (args.size() != 2) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    const std::string& in = args[0];
    const std::string& out = args[1];
    SourceKind kind = KindOf(in);
    if (kind == SourceKind::None) {
        std::fprintf(stderr,
                     "longarm-tool convert: %s is neither a DXF drawing (.dxf) nor a QLI file "
                     "(.qli)\n",
                     in.c_str());
        return 2;
    }
    File source(std::fopen(in.c_str(), "rb"));
    if (!source) {
        std::fprintf(stderr, "longarm-tool convert: cannot open %s: %s\n", in.c_str(),
                     std::strerror(errno));
        return 1;
    }
    File converted(std::tmpfile());
    if (!converted) {
        std::fprintf(stderr, "longarm-tool convert: no room for a temporary file: %s\n",
                     std::strerror(errno));
        return 1;
    }
    int result = kind == SourceKind::Drawing ? ConvertDXF(source.get(), converted.get())
                                             : ImportQLI(source.get(), converted.get());
    bool ok = kind == SourceKind::Drawing ? result == 0 : result == 1;
    if (!ok) {
        std::fprintf(stderr, "longarm-tool convert: %s: %s\n", in.c_str(), ImportErrorText());
        return 1;
    }
    std::string pattern;
    std::rewind(converted.get());
    if (!ReadWholeStream(converted.get(), kMaxPatternFileBytes, pattern)) {
        std::fprintf(stderr, "longarm-tool convert: %s: the pattern is too large to keep\n",
                     in.c_str());
        return 1;
    }
    if (!HoldsPoints(pattern)) {
        std::fprintf(stderr, "longarm-tool convert: %s holds nothing to stitch; %s not written\n",
                     in.c_str(), out.c_str());
        return 1;
    }
    if (!SafeWriteFile(out, pattern)) {
        std::fprintf(stderr, "longarm-tool convert: cannot write %s\n", out.c_str());
        return 1;
    }
    std::unique_ptr<Pattern> check = newPattern(out.c_str(), 0);
    if (!check) {
        std::fprintf(stderr, "longarm-tool convert: %s was written but does not load back\n",
                     out.c_str());
        return 1;
    }
    std::printf("%s: %d points, %.3f x %.3f inches\n", out.c_str(), check->pointCount, check->width,
                check->height);
    return 0;
}
