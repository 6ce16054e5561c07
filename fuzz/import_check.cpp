#include "import_check.h"

#include <cmath>
#include <memory>
#include <string>

#include "fuzz_support.h"
#include "pattern/pattern.h"

namespace {

struct FileCloser {
    void operator()(FILE* f) const {
        if (f) std::fclose(f);
    }
};
using File = std::unique_ptr<FILE, FileCloser>;

}  // namespace

void RunImporter(int (*importer)(FILE*, FILE*), int success, const uint8_t* data, size_t size) {
    FuzzSetUp();
    static const std::string input = ScratchPath("drawing");
    static const std::string output = ScratchPath("converted.qcc");
    WriteScratch(input, data, size);
    File source(std::fopen(input.c_str(), "rb"));
    FUZZ_CHECK(source != nullptr);
    File target(std::fopen(output.c_str(), "wb"));
    FUZZ_CHECK(target != nullptr);
    const int result = importer(source.get(), target.get());
    FUZZ_CHECK(result == success || result == -1);
    target.reset();
    if (result != success) return;

    std::unique_ptr<Pattern> pattern = newPattern(output.c_str(), 0);
    if (!pattern) {
        // Only a drawing without points may give a file the reader refuses.
        File text(std::fopen(output.c_str(), "rb"));
        char line[128];
        while (text && std::fgets(line, sizeof line, text.get()))
            FUZZ_CHECK(line[0] != 'p');
        return;
    }
    for (int i = 0; i < pattern->pointCount; i++)
        FUZZ_CHECK(std::isfinite(pattern->x[i]) && std::isfinite(pattern->y[i]));
}
