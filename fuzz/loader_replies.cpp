// Plays the board's firmware loader with arbitrary answers while the host
// uploads the image of a small HEX file (SendHexImage): the host's real
// serial-link and upload code read the answers through replaced system calls,
// on a simulated clock that every wait moves on, so time-outs cost nothing.
// The file is read once; each input uploads a copy of its image made in the
// same memory, so no input pays for a fresh table of 300 KB.
//
// The input is a sequence of chunks, one taken whenever the host writes:
//   0x00-0x7F  the next (byte) input bytes are the answer, as they are
//   0x80-0xBF  the answer a sound loader gives to what was just written
//   0xC0-0xFF  no answer
// When the input is used up the loader answers soundly.
//
// The upload must end with one of its results within a bounded time, and a
// program row written at address 0 must begin with the reset vector (the
// first two instructions) exactly as the loader reported it: the board must
// keep the instructions that start its loader, whatever the answers were.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "base/timers.h"
#include "base/ui_hooks.h"
#include "fuzz_support.h"
#include "machine/firmware_upload.h"
#include "machine/hex_image.h"
#include "machine/serial_link.h"
#include "support/simulated_clock/simulated_clock.h"

// The simulated clock (simulated_clock.h): every sleep and every wait
// on the line moves it on at once.
namespace {
int64_t startUs = 0;
constexpr int64_t kLongestUploadUs = 30LL * 60 * 1000000;  // far beyond the block limits

void CheckUploadTime(int64_t) {
    if (SimulatedClockUs() - startUs > kLongestUploadUs)
        FuzzFail(__FILE__, __LINE__, "upload waits for ever");
}

constexpr int kFakeLine = 1000;

struct Loader {
    const uint8_t* input = nullptr;
    size_t size = 0, at = 0;
    std::string queued;
    size_t readAt = 0;
    uint8_t vector[6] = {};  // the reset vector as last answered to 0x02
    bool vectorRead = false;
    int rowZeroWrites = 0;
} loader;

// What a sound loader answers to one write.
std::string SoundAnswer(const uint8_t* bytes, size_t n) {
    if (n == 4 && (bytes[0] == 0x01 || bytes[0] == 0x02)) {
        std::string row(96, '\0');
        for (int i = 0; i < 96; i++)
            row[i] = static_cast<char>((i * 7 + 3) & 0xFF);
        return row;
    }
    if (n == 4 && bytes[0] == 0x04) return std::string(32, '\x11');
    if (n == 4 && bytes[0] == 0xFF) return "";  // the loader start
    if (n == 1) return "";                      // 0x08, the loader ends
    return "\x01";
}

ssize_t LoaderWrite(int, const void* buffer, size_t length) {
    const uint8_t* bytes = static_cast<const uint8_t*>(buffer);
    if (length >= 4 + 6 && bytes[0] == 0x03 && bytes[1] == 0 && bytes[2] == 0 && bytes[3] == 0) {
        loader.rowZeroWrites++;
        FUZZ_CHECK(loader.vectorRead);
        // The answer holds each 3-byte instruction's bytes in the order
        // opposite to the wire's.
        const uint8_t* v = loader.vector;
        const uint8_t written[6] = {v[2], v[1], v[0], v[5], v[4], v[3]};
        FUZZ_CHECK(std::memcmp(bytes + 4, written, 6) == 0);
    }
    std::string answer;
    if (loader.at >= loader.size) {
        answer = SoundAnswer(bytes, length);
    } else {
        const uint8_t chunk = loader.input[loader.at++];
        if (chunk < 0x80) {
            const size_t n = std::min<size_t>(chunk, loader.size - loader.at);
            answer.assign(reinterpret_cast<const char*>(loader.input + loader.at), n);
            loader.at += n;
        } else if (chunk < 0xC0) {
            answer = SoundAnswer(bytes, length);
        }
    }
    // The host reads the vector from the 0x02 answer; remember what it got.
    if (length == 4 && bytes[0] == 0x02) {
        loader.vectorRead = answer.size() >= 6;
        if (loader.vectorRead) std::memcpy(loader.vector, answer.data(), 6);
    }
    loader.queued += answer;
    return static_cast<ssize_t>(length);
}

int LoaderQueued(int) {
    return static_cast<int>(loader.queued.size() - loader.readAt);
}
ssize_t LoaderRead(int, void* buffer, size_t length) {
    const size_t n = std::min(length, loader.queued.size() - loader.readAt);
    std::memcpy(buffer, loader.queued.data() + loader.readAt, n);
    loader.readAt += n;
    return static_cast<ssize_t>(n);
}
void LoaderWait(int, int milliseconds) {
    SleepMicroseconds(static_cast<int64_t>(std::max(milliseconds, 1)) * 1000);
}

constexpr const char* kHexText =
    ":020000040000FA\n"
    ":10000000000102030405060708090A0B0C0D0E0F78\n"
    ":10001000101112131415161718191A1B1C1D1E1F68\n"
    ":0200000400FFFB\n"
    ":08E00000123400005678000004\n"
    ":0200000401F009\n"
    ":04000000CF0000002D\n"
    ":00000001FF\n";

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzSetUp();
    static const std::vector<HexBlock> image = [] {
        const std::string path = ScratchPath("firmware.hex");
        WriteScratch(path, reinterpret_cast<const uint8_t*>(kHexText), std::strlen(kHexText));
        std::unique_ptr<FILE, int (*)(FILE*)> file(std::fopen(path.c_str(), "r"), std::fclose);
        std::vector<HexBlock> read;
        int line = 0;
        if (!file || ReadHexImage(file.get(), read, &line) != kHexRead)
            FuzzFail(__FILE__, __LINE__, "the HEX file does not read");
        SerialLineCalls calls;
        calls.bytesQueued = LoaderQueued;
        calls.read = LoaderRead;
        calls.write = LoaderWrite;
        calls.waitReadable = LoaderWait;
        SetSerialLineCalls(calls);
        return read;
    }();
    static std::vector<HexBlock> upload;
    upload = image;
    loader = Loader{};
    loader.input = data;
    loader.size = size;
    startUs = SimulatedClockUs();
    OnSimulatedClockMoved(CheckUploadTime);
    sp = kFakeLine;

    const int result = SendHexImage(upload);
    FUZZ_CHECK(result == kUploadDone || result == kUploadNoVector || result == kUploadBlockFailed ||
               result == kUploadNoLoader);
    if (result == kUploadDone) FUZZ_CHECK(loader.rowZeroWrites >= 1);
    sp = -1;
    return 0;
}
