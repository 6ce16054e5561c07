// The Intel HEX reader of the firmware upload on arbitrary bytes: it must end
// with one of its results and the fixed table of blocks, and a file it accepts
// must give every block the wire bytes of its kind.
#include <cstdio>
#include <memory>
#include <vector>

#include "fuzz_support.h"
#include "machine/hex_image.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzSetUp();
    static const std::string path = ScratchPath("firmware.hex");
    WriteScratch(path, data, size);
    std::unique_ptr<FILE, int (*)(FILE*)> file(std::fopen(path.c_str(), "r"), std::fclose);
    FUZZ_CHECK(file != nullptr);

    static std::vector<HexBlock> image;  // kept: the reader resets it in place
    int line = 0;
    const int result = ReadHexImage(file.get(), image, &line);
    FUZZ_CHECK(result == kHexRead || result == kHexWordOutside || result == kHexBadRecordType ||
               result == kHexMalformed);
    FUZZ_CHECK(image.size() == static_cast<size_t>(kHexBlockCount));
    FUZZ_CHECK(line >= 0);
    if (result != kHexRead) return 0;
    for (HexBlock& block : image) {
        FormatHexData(block);
        const size_t bytes = block.data.size();
        switch (block.kind) {
            case kHexProgram:
                FUZZ_CHECK(bytes == (block.empty ? 0u : 96u));
                break;
            case kHexEeprom:
                FUZZ_CHECK(bytes == (block.empty ? 0u : 32u));
                break;
            case kHexConfig:
                FUZZ_CHECK(bytes == (block.empty ? 2u : 3u));
                break;
            default:
                FUZZ_CHECK(false);
        }
    }
    return 0;
}
