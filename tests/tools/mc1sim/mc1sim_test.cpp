// The simulated board on its line and control channel: faults, the firmware
// loader, the stitcher, its own life. Its motion model and most faults are
// checked through the run tests, its paced line rate in bench/serial_throughput.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <sstream>
#include <vector>

#include "support/mc1sim_fixture.h"
#include "support/run_program.h"

using ByteList = std::vector<uint8_t>;

inline void AppendInt32(ByteList& out, int32_t value) {
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<uint8_t>(static_cast<uint32_t>(value) >> (8 * i)));
}

// The 17-byte move frame: x, y in thousandths of an inch, feed on the 0..100
// scale; checksumDelta spoils the checksum when not 0.
inline ByteList MoveFrame(double x, double y, double feed, int32_t checksumDelta = 0) {
    const int32_t f[] = {static_cast<int32_t>(x * 100), static_cast<int32_t>(y * 100),
                         static_cast<int32_t>(feed * 1000)};
    uint32_t sum = static_cast<uint32_t>(checksumDelta);
    ByteList frame = {0x21};
    for (int32_t v : f) {
        AppendInt32(frame, v);
        sum += static_cast<uint32_t>(v);
    }
    AppendInt32(frame, static_cast<int32_t>(sum));
    return frame;
}

inline ByteList Exchange(int fd, const ByteList& frame, size_t count, int timeoutMs = 1000) {
    tcflush(fd, TCIFLUSH);  // what is left of earlier replies
    WriteBytes(fd, frame);
    return ReadBytes(fd, count, timeoutMs);
}

inline int BufferStatus(int fd) {
    ByteList reply = Exchange(fd, {0x22}, 1);
    return reply.empty() ? -1 : reply[0];
}

// A simulator plus the host's end of its line, for one test.
struct SimLine {
    explicit SimLine(const std::vector<std::string>& args = {}) : sim(args) {
        if (sim.running) fd = OpenRawDevice(sim.device);
    }
    ~SimLine() {
        if (fd >= 0) close(fd);
    }
    // Moves the board's clock on by ms board milliseconds once the simulator has
    // taken every byte written so far: nothing happens in between.
    void Step(int ms) {
        for (int polls = 0, pending = 1; pending && polls < 3000; ++polls) {
            if (ioctl(fd, TIOCOUTQ, &pending) != 0) break;
            if (pending) usleep(1000);
        }
        SimControl(sim, "clock step " + std::to_string(ms));
    }
    std::string State(const std::string& key) { return StateValue(SimControl(sim, "state"), key); }
    Mc1Sim sim;
    int fd = -1;
};

// A SimLine called name with the given options; the test ends if it did not start.
#define SIM_LINE(name, ...)    \
    SimLine name{__VA_ARGS__}; \
    ASSERT_TRUE(name.sim.running&& name.fd >= 0) << name.sim.error

namespace {

// Silence, busy and refused moves and stalls are injected by the run tests,
// which check what the program makes of them.
TEST(SimFaults, ErrorWordsGarbleBadCommandsAndTheStitcherFollowingButtons) {
    SIM_LINE(line);
    EXPECT_EQ(SimControl(line.sim, "error 5"), "ok error 5");
    for (int i = 0; i < 2; ++i)
        EXPECT_EQ(Exchange(line.fd, {0x22}, 5), (ByteList{0xFE, 5, 0, 0, 0}));
    EXPECT_EQ(Exchange(line.fd, {0x34}, 4), (ByteList{5, 0, 0, 0}));
    EXPECT_EQ(SimControl(line.sim, "error unreadable"), "ok error unreadable");
    EXPECT_EQ(Exchange(line.fd, {0x22}, 5, 300), ByteList{0xFE});
    EXPECT_TRUE(Exchange(line.fd, {0x34}, 4, 300).empty());
    EXPECT_EQ(SimControl(line.sim, "error clear"), "ok error cleared");
    EXPECT_EQ(Exchange(line.fd, {0x34}, 4), (ByteList{0, 0, 0, 0}));

    const ByteList polls(40, 0x22);
    EXPECT_EQ(SimControl(line.sim, "garble 0.3 0.3 42"), "ok garble flip=0.3 drop=0.3 seed=42");
    const ByteList first = Exchange(line.fd, polls, 40, 300);
    const std::string counts = SimControl(line.sim, "garble");
    SimControl(line.sim, "garble 0.3 0.3 42");
    EXPECT_EQ(Exchange(line.fd, polls, 40, 300), first);
    EXPECT_EQ(SimControl(line.sim, "garble"), counts);
    const long damaged =
        std::count_if(first.begin(), first.end(), [](uint8_t b) { return b != 0xFD; });
    EXPECT_EQ(StateValue(counts, "dropped"), std::to_string(40 - first.size()));
    EXPECT_EQ(StateValue(counts, "flipped"), std::to_string(damaged));
    EXPECT_TRUE(first.size() < 40 && damaged > 0) << counts;
    SimControl(line.sim, "garble off");
    EXPECT_EQ(Exchange(line.fd, polls, 40, 300), ByteList(40, 0xFD));

    std::vector<std::string> bads = {std::string(5000, 'a')};
    std::istringstream list(
        "|frobnicate|refuse|refuse -1|refuse x|busy 1 2|error|error 1x|silence maybe|machine 13|"
        "machine -1|stitcher-status 256|push 1|push a b|state extra|travel z 0.5|travel x 1.5|"
        "stitcher-link loose|buttons now|garble 2 0|garble 0.1|garble 0.1 0.1 -3|clock step x");
    for (std::string bad; std::getline(list, bad, '|');)
        bads.push_back(bad);
    for (const std::string& bad : bads) {
        const std::string reply = SimControl(line.sim, bad);
        EXPECT_EQ(reply.rfind("error ", 0), 0u) << "'" << bad << "' -> " << reply;
    }
    // None of them changed anything.
    EXPECT_EQ(line.State("machine"), "0");
    EXPECT_EQ(Exchange(line.fd, MoveFrame(10, 10, 100), 1), ByteList{0x0B});

    // Button bytes (0x48 stitch regulator, 0x49 needle up, 0x4A command; then 1
    // pressed, 0 let go) for each machine type, and what follows: stitching, and
    // the needle sensor after `ms` of board time. A needle travels 300 ms after
    // its button is let go.
    SimControl(line.sim, "clock hold");
    const ByteList kRegulator = {0x48, 1, 0x48, 0}, kNeedle = {0x49, 1, 0x49, 0},
                   kCommandRegulator = {0x4A, 1, 0x48, 1, 0x48, 0, 0x4A, 0},
                   kCommandNeedle = {0x4A, 1, 0x49, 1, 0x49, 0, 0x4A, 0};
    const struct Step {
        const char* control;  // given first, or null
        ByteList buttons;
        int ms;
        const char* want;  // stitching, then the needle sensor
    } steps[] = {
        {"machine 2", kRegulator, 0, "10"},  // Solo: the needle moves while stitching
        {nullptr, kRegulator, 0, "00"},      // and stops down
        {"needle-fail on", kNeedle, 500, "00"},
        {"needle-fail off", {0x49, 1}, 0, "00"},
        {nullptr, {0x49, 0}, 299, "00"},
        {nullptr, {}, 1, "01"},
        {"machine 1", kRegulator, 50, "01"},  // Twin in robot mode: alone, nothing
        {nullptr, kCommandRegulator, 0, "10"},
        {nullptr, kCommandRegulator, 0, "00"},
        {nullptr, kNeedle, 300, "00"},
        {nullptr, kCommandNeedle, 300, "01"},
        {nullptr, {0x4A, 1, 0x4A, 0}, 300, "00"},  // a command press alone jogs it down
        {"robot off", kNeedle, 300, "01"},
        {"machine 12", {0x48, 1}, 0, "10"},  // Corvane 18: stitches while held
        {nullptr, {0x48, 0}, 0, "00"},
        {"machine 5", kRegulator, 0, "10"},
        {"machine 0", {}, 0, "01"},  // a machine change stops stitching
        {nullptr, {0x1D}, 0, "10"},
    };
    for (const Step& s : steps) {
        if (s.control) {
            EXPECT_EQ(SimControl(line.sim, s.control).rfind("ok", 0), 0u) << s.control;
        }
        WriteBytes(line.fd, s.buttons);
        line.Step(s.ms);
        const ByteList sensor = Exchange(line.fd, {0x4B}, 1, 500);
        EXPECT_EQ(line.State("stitching") + (sensor.size() == 1 ? std::to_string(sensor[0]) : "-"),
                  s.want)
            << (&s - steps);
    }
}

const ByteList kEnterLoader = {0xFF, 0xFF, 0xFF, 0x3B};

// A loader command with a 3-byte address, low byte first, and its data.
ByteList At(uint8_t code, uint32_t address, const ByteList& data = {}) {
    ByteList frame = {code, uint8_t(address), uint8_t(address >> 8), uint8_t(address >> 16)};
    for (uint8_t b : data)
        frame.push_back(b);
    return frame;
}

// 32 instructions 0x5A0000 + k, each lowest byte first.
ByteList ProgramRow() {
    ByteList row;
    for (uint8_t k = 0; k < 32; ++k)
        row.insert(row.end(), {k, 0x00, 0x5A});
    return row;
}

const ByteList kAck = {0x01}, kNak = {0x00};

TEST(SimLoader, ReadsWritesWritesTheImageOutFailedWritesLostAnswersAndAHang) {
    TempDir out;
    const std::string image = out.File("image.hex");
    SIM_LINE(line, {"--firmware-out", image});
    WriteBytes(line.fd, {0x2C});
    ASSERT_EQ(Exchange(line.fd, MoveFrame(500, 500, 100), 1), ByteList{0x0B});
    WriteBytes(line.fd, kEnterLoader);
    ByteList identity = Exchange(line.fd, {0x01, 0x01, 0x01, 0x01}, 96);
    ASSERT_EQ(identity.size(), 96u);
    EXPECT_EQ(std::string(identity.begin(), identity.begin() + 10), "MC1 loader");
    // The factory reset vector, upper byte first: a jump to 0x17C00.
    ByteList vector = Exchange(line.fd, At(0x02, 0), 97, 300);
    ASSERT_EQ(vector.size(), 96u) << "32 instructions of 3 bytes, nothing more";
    EXPECT_EQ(ByteList(vector.begin(), vector.begin() + 7),
              (ByteList{0x04, 0x7C, 0x00, 0x00, 0x00, 0x01, 0xFF}));
    ByteList eeprom = Exchange(line.fd, At(0x04, 0x7FF020), 32);
    ASSERT_EQ(eeprom.size(), 32u);
    EXPECT_EQ(ByteList(eeprom.begin(), eeprom.begin() + 2),
              (ByteList{0x4D, 0x30}));  // word 16 of the calibration data

    EXPECT_EQ(Exchange(line.fd, At(0x03, 0x40, ProgramRow()), 1), kAck);
    EXPECT_EQ(Exchange(line.fd, At(0x03, 0x41, ProgramRow()), 1), kNak);  // not a row start
    ByteList words(32, 0x00);
    words[0] = 0x34, words[1] = 0x12;
    EXPECT_EQ(Exchange(line.fd, At(0x05, 0x7FF040, words), 1), kAck);
    EXPECT_EQ(Exchange(line.fd, At(0x05, 0x800000, words), 1), kNak);  // beyond the EEPROM
    EXPECT_EQ(Exchange(line.fd, At(0x04, 0x7FEFFE), 1), kNak);         // before it
    EXPECT_EQ(Exchange(line.fd, {0x07, 0x00, 0xCD, 0xAB}, 1), kAck);
    for (int word = 1; word <= 6; ++word)  // words 1..6: leave 1..5, set 6
        EXPECT_EQ(Exchange(line.fd, {static_cast<uint8_t>(word < 6), 0x11, 0x22}, 1), kAck);
    ByteList back = Exchange(line.fd, At(0x02, 0x40), 96);
    ASSERT_EQ(back.size(), 96u);
    EXPECT_EQ(ByteList(back.begin() + 3, back.begin() + 6), (ByteList{0x5A, 0x00, 0x01}));
    EXPECT_EQ(StateValue(SimControl(line.sim, "loader"), "writes"), "9");
    EXPECT_TRUE(Exchange(line.fd, {0x22}, 1, 300).empty());  // the loader does not know it

    WriteBytes(line.fd, {0x08});
    EXPECT_EQ(BufferStatus(line.fd), 0xFD);  // the board again, its queue lost
    EXPECT_EQ(line.State("loader"), "0");
    // Reset vector, the written row, the EEPROM row, the configuration words.
    std::string hex = ReadFileText(image);
    for (const char* record : {":10000000007C040001000000FFFFFF00FFFFFF0075\n",
                               ":1000800000005A0001005A0002005A0003005A0002\n", ":0200000400FFFB\n",
                               ":10E08000341200000000000000000000000000004A\n", ":0200000401F009\n",
                               ":10000000CDAB00003F000000B38700000F310000BF\n",
                               ":1000100003000000FFFF000011220000008000002C\n"})
        EXPECT_NE(hex.find(record), std::string::npos) << record << "\n" << hex.substr(0, 300);
    EXPECT_EQ(hex.substr(hex.size() - 12), ":00000001FF\n");

    WriteBytes(line.fd, kEnterLoader);
    EXPECT_EQ(SimControl(line.sim, "flash-fail 2"), "ok flash-fail 2");
    EXPECT_EQ(Exchange(line.fd, At(0x03, 0x80, ProgramRow()), 1), kNak);
    // A refused configuration word 0 is expected again with its 07.
    EXPECT_EQ(Exchange(line.fd, {0x07, 0x00, 0xCD, 0xAB}, 1), kNak);
    EXPECT_EQ(Exchange(line.fd, {0x07, 0x00, 0xCD, 0xAB}, 1), kAck);
    EXPECT_EQ(SimControl(line.sim, "lose-ack 1"), "ok lose-ack 1");
    EXPECT_TRUE(Exchange(line.fd, {0x00, 0x11, 0x22}, 1, 300).empty());
    // A refused later word is expected again without the 07.
    SimControl(line.sim, "flash-fail 1");
    EXPECT_EQ(Exchange(line.fd, {0x01, 0x00, 0x00}, 1), kNak);
    for (int word = 2; word <= 6; ++word)
        EXPECT_EQ(Exchange(line.fd, {0x01, 0x00, 0x00}, 1), kAck) << word;
    std::string loader = SimControl(line.sim, "loader");
    // Counted on from the 9 writes and 2 refusals above: the counts are never reset.
    EXPECT_EQ(StateValue(loader, "writes") + StateValue(loader, "refused"), "165") << loader;

    EXPECT_EQ(SimControl(line.sim, "loader-hang 1"), "ok loader-hang 1");
    EXPECT_EQ(Exchange(line.fd, {0x01, 0x01, 0x01, 0x01}, 96).size(), 96u);
    EXPECT_TRUE(Exchange(line.fd, At(0x02, 0), 96, 300).empty());
    EXPECT_EQ(StateValue(SimControl(line.sim, "loader"), "hung"), "1");
    SimControl(line.sim, "loader-hang off");
    EXPECT_EQ(Exchange(line.fd, At(0x02, 0), 96).size(), 96u);
}

bool Exists(const std::string& path) {
    struct stat st {};
    return lstat(path.c_str(), &st) == 0;
}

int ControlClient(const std::string& path) {
    const int client = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::snprintf(address.sun_path, sizeof address.sun_path, "%s", path.c_str());
    if (connect(client, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) return client;
    close(client);
    return -1;
}

// TERM removes the link and the control socket and ends the simulator cleanly.
TEST(SimLife, TermCleansUpAndBadOptionsAreRefused) {
    TempDir dir;
    Mc1Sim sim;
    ASSERT_TRUE(Exists(sim.device) && Exists(sim.controlPath)) << sim.error;
    EXPECT_EQ(sim.Stop(), 0);  // TERM: exited with 0
    EXPECT_FALSE(Exists(sim.device) || Exists(sim.controlPath));

    const std::string file = dir.File("plain-file");
    ASSERT_TRUE(WriteFileText(file, "keep me"));
    std::istringstream options(
        "|--link|--machine 13|--time-scale 0|--bogus|--firmware abc|--picture-size 10,10|"
        "--picture-size 320.5,240|--picture-area 0,3|--picture-area 4");
    for (std::string option; std::getline(options, option, '|');) {
        std::vector<std::string> argv = {MC1SIM_PATH};
        if (!option.empty()) argv.insert(argv.end(), {"--link", dir.File("x")});
        std::istringstream words(option);
        for (std::string word; words >> word;)
            argv.push_back(word);
        EXPECT_EQ(RunProgram(argv, "", 10000).exitStatus, 2) << option;
    }
    EXPECT_EQ(RunProgram({MC1SIM_PATH, "--link", file}, "", 10000).exitStatus, 1);
    EXPECT_EQ(ReadFileText(file), "keep me");
}

// Garbage, unknown codes, a broken constants request, random bytes and a
// partial frame never wedge the board.
TEST(SimLine, GarbageAndPartialFramesAreSkippedAndControlSeesTheBytesBeforeIt) {
    SIM_LINE(line);
    SimControl(line.sim, "clock hold");
    WriteBytes(line.fd, {0x00, 0x07, 0x50, 0xEE, 0x0B, 0x00, 0x22});
    EXPECT_EQ(ReadBytes(line.fd, 1, 1000), ByteList{0xFD});
    EXPECT_EQ(line.State("unknown"), "5");
    // A constants request whose second byte starts a real command runs that command.
    EXPECT_EQ(Exchange(line.fd, {0x0B, 0x22}, 1), ByteList{0xFD});

    const ByteList move = MoveFrame(150, 225, 0.5);
    WriteBytes(line.fd, ByteList(move.begin(), move.begin() + 9));
    line.Step(600);
    // Had the 9 bytes still been waiting, this poll would complete the frame.
    EXPECT_EQ(Exchange(line.fd, ByteList(8, 0x22), 8), ByteList(8, 0xFD));
    // A frame that arrives in pieces within the limit is taken whole.
    WriteBytes(line.fd, ByteList(move.begin(), move.begin() + 5));
    line.Step(400);
    WriteBytes(line.fd, ByteList(move.begin() + 5, move.end()));
    EXPECT_EQ(ReadBytes(line.fd, 1, 1000), ByteList{0x0B});
    EXPECT_EQ(Exchange(line.fd, MoveFrame(150, 225, 0.5, 3), 1), ByteList{0x0C});

    unsigned seed = 12345;
    ByteList noise;
    for (int i = 0; i < 20000; ++i) {
        seed = seed * 1103515245u + 12345u;
        const uint8_t b = static_cast<uint8_t>(seed >> 16);
        noise.push_back(b == 0x13 || b == 0x31 ? 0 : b);  // nothing that stops the board
    }
    ASSERT_TRUE(WriteBytes(line.fd, noise));
    line.Step(3600000);  // let any partial frame expire, any move end
    SimControl(line.sim, "error clear");
    SimControl(line.sim, "silence off");
    while (!ReadBytes(line.fd, 4096, 50).empty()) {  // replies still on their way
    }
    WriteBytes(line.fd, {0x2D, 0x19});
    EXPECT_EQ(BufferStatus(line.fd), 0xFD);

    // A control command that reaches the board together with bytes the host wrote
    // before it sees their effect: both arrive while the simulator is stopped.
    const int client = ControlClient(line.sim.controlPath);
    auto ask = [&](const std::string& command, bool stopped) {
        WriteBytes(client, ByteList(command.begin(), command.end()));
        if (stopped) kill(line.sim.pid, SIGCONT);
        std::string reply;
        for (ByteList b; (b = ReadBytes(client, 1, 1000)).size() == 1 && b[0] != '\n';)
            reply += static_cast<char>(b[0]);
        return reply;
    };
    ASSERT_EQ(ask("help\n", false).rfind("ok", 0), 0u);  // the connection is accepted
    kill(line.sim.pid, SIGSTOP);
    WriteBytes(line.fd, {0x15});  // DisableX
    EXPECT_EQ(StateValue(ask("state\n", true), "xenabled"), "0");
    close(client);
}

}  // namespace
