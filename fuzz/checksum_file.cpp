// The checksum files of the program and firmware updates on arbitrary bytes.
// The first byte splits the rest into a checksum file and the file it
// describes. A text the reader accepts must come back the same through the
// writer's format (once the version is rounded to the written decimals), and
// the check of a file against its checksum file must end with a clear result.
#include <cmath>
#include <string>

#include "fuzz_support.h"
#include "maintenance/checksum_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzSetUp();
    static const std::string program = ScratchPath("program.BIN");
    static const std::string checksum = ScratchPath("program.crc");
    const size_t split = size > 0 ? std::min<size_t>(data[0], size - 1) : 0;
    const uint8_t* text = data + (size > 0);
    const size_t textSize = split;
    WriteScratch(checksum, text, textSize);
    WriteScratch(program, text + textSize, size - (size > 0) - textSize);

    ChecksumRecord record;
    const int parsed = ParseChecksumText(std::string(reinterpret_cast<const char*>(text), textSize),
                                         record);
    ChecksumRecord fromFile;
    FUZZ_CHECK(ReadChecksumFile(checksum, fromFile) == parsed);
    if (parsed) {
        FUZZ_CHECK(std::isfinite(record.version));
        FUZZ_CHECK(record.kernel.size() <= kMaxKernelText);
        FUZZ_CHECK(record.kernel.find_first_of(" \t\n") == std::string::npos);
        const std::string once = FormatChecksumText(record);
        ChecksumRecord again;
        FUZZ_CHECK(ParseChecksumText(once, again) == 1);
        FUZZ_CHECK(again.crc == record.crc && again.appCode == record.appCode);
        FUZZ_CHECK(again.kernel == record.kernel);
        FUZZ_CHECK(FormatChecksumText(again) == once);
    }
    int appCode = -7;
    float version = -7;
    std::string kernel = "unchanged";
    const int checked = CheckCRC(program.c_str(), &appCode, &version, &kernel);
    FUZZ_CHECK(checked == 0 || checked == 1);
    if (checked == 0) FUZZ_CHECK(appCode == -7 && kernel == "unchanged");
    if (checked == 1) FUZZ_CHECK(parsed && appCode == record.appCode && kernel == record.kernel);
    return 0;
}
