// The DXF converter on arbitrary text: ends in bounded time and memory with a
// pattern file or a failure, and a pattern it writes is one the pattern reader
// accepts.
#include "import_check.h"
#include "pattern/import/convert_dxf.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    RunImporter(ConvertDXF, 0, data, size);
    return 0;
}
