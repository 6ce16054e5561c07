// The QLI importer on arbitrary text: ends in bounded time and memory with a
// pattern file or a failure, and a pattern it writes is one the pattern reader
// accepts.
#include "import_check.h"
#include "pattern/import/import_qli.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    RunImporter(ImportQLI, 1, data, size);
    return 0;
}
