// The DXF converter on arbitrary text: ends in bounded time and memory with a
// pattern file or a failure, and a pattern it writes is one the pattern reader
// accepts.
#include <unistd.h>

#include <string>

#include "fuzz_support.h"
#include "import_check.h"
#include "pattern/import/convert_dxf.h"

namespace {

// The converter truncates and rewrites "./dxf.log" on every input. On a disk
// filesystem that truncation waits for the previous log to reach the disk (about
// 10 ms, a hundred times the conversion itself), so the log in the working folder
// is made a link into the memory-backed scratch folder.
void KeepLogInScratch() {
    const std::string log = ScratchPath("dxf.log");
    unlink("./dxf.log");
    if (symlink(log.c_str(), "./dxf.log") != 0) FuzzFail(__FILE__, __LINE__, "cannot link dxf.log");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzSetUp(KeepLogInScratch);
    RunImporter(ConvertDXF, 0, data, size);
    return 0;
}
