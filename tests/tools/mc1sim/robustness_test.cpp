// The simulator's own life: start and shutdown, bad input from the host, the
// host going away, the control channel, the line-rate option.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>

#include "base/timers.h"
#include "sim_wire.h"
#include "support/run_program.h"

namespace {

bool Exists(const std::string& path) {
    struct stat st {};
    return lstat(path.c_str(), &st) == 0;
}

// A connection to a control socket, or -1.
int ControlClient(const std::string& path) {
    const int client = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::snprintf(address.sun_path, sizeof address.sun_path, "%s", path.c_str());
    if (connect(client, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) return client;
    close(client);
    return -1;
}

// A stale link is replaced by one to a pseudo-terminal; TERM and quit both
// remove the link and the control socket and end the simulator cleanly.
TEST(SimLife, AStaleLinkIsReplacedAndBothWaysOutCleanUp) {
    TempDir dir;
    const std::string link = dir.File("mc1");
    ASSERT_EQ(symlink("/nonexistent/device", link.c_str()), 0);
    std::string target;
    const ProgramResult r = RunProgram({MC1SIM_PATH, "--link", link}, "", 10000, [&] {
        char buffer[256] = {};
        if (!target.empty() || readlink(link.c_str(), buffer, sizeof buffer - 1) <= 0 ||
            std::string(buffer).rfind("/dev/pts/", 0) != 0)
            return;
        target = buffer;
        const int fd = OpenRawDevice(link);
        EXPECT_EQ(BufferStatus(fd), 0xFD);
        close(fd);
        const int client = ControlClient(link + ".ctl");
        EXPECT_TRUE(WriteBytes(client, {'q', 'u', 'i', 't', '\n'}));
        EXPECT_EQ(ReadBytes(client, 7, 1000), (ByteList{'o', 'k', ' ', 'b', 'y', 'e', '\n'}));
        close(client);
    });
    EXPECT_FALSE(target.empty());
    EXPECT_EQ(r.exitStatus, 0);
    EXPECT_EQ(r.out, "ready " + link + "\n");
    EXPECT_FALSE(Exists(link) || Exists(link + ".ctl"));

    Mc1Sim sim;
    ASSERT_TRUE(Exists(sim.device) && Exists(sim.controlPath)) << sim.error;
    const int status = sim.Stop();
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    EXPECT_FALSE(Exists(sim.device) || Exists(sim.controlPath));
}

TEST(SimLife, BadOptionsAndARegularFileInPlaceOfTheLinkAreRefused) {
    TempDir dir;
    const std::string file = dir.File("plain-file");
    ASSERT_TRUE(WriteFileText(file, "keep me"));
    const std::vector<std::string> cases[] = {{},
                                              {"--link"},
                                              {"--machine", "13"},
                                              {"--time-scale", "0"},
                                              {"--bogus"},
                                              {"--firmware", "abc"},
                                              {"--picture-size", "10,10"},
                                              {"--picture-size", "320.5,240"},
                                              {"--picture-area", "0,3"},
                                              {"--picture-area", "4"}};
    for (const std::vector<std::string>& args : cases) {
        std::vector<std::string> argv = {MC1SIM_PATH};
        if (!args.empty()) argv.insert(argv.end(), {"--link", dir.File("x")});
        argv.insert(argv.end(), args.begin(), args.end());
        EXPECT_EQ(RunProgram(argv, "", 10000).exitStatus, 2) << (args.empty() ? "" : args[0]);
    }
    EXPECT_EQ(RunProgram({MC1SIM_PATH, "--link", file}, "", 10000).exitStatus, 1);
    EXPECT_EQ(ReadFileText(file), "keep me");
    const ProgramResult help = RunProgram({MC1SIM_PATH, "--help"}, "", 10000);
    EXPECT_EQ(help.exitStatus, 0);
    EXPECT_EQ(help.out.rfind("usage: mc1sim --link PATH", 0), 0u);
}

// Garbage, unknown codes, a broken constants request, random bytes and a
// partial frame never wedge the board; the log decodes what it got.
TEST(SimLine, GarbageRandomBytesAndPartialFramesAreSkipped) {
    SIM_LINE(line);
    SimControl(line.sim, "clock hold");
    // Unknown codes, a broken constants request (0x0B then 0x00), then a status poll.
    WriteBytes(line.fd, {0x00, 0x07, 0x50, 0xEE, 0x0B, 0x00, 0x22});
    EXPECT_EQ(ReadBytes(line.fd, 1, 1000), ByteList{0xFD});
    EXPECT_EQ(StateValue(SimControl(line.sim, "state"), "unknown"), "5");
    // A constants request whose second byte starts a real command runs that command.
    EXPECT_EQ(Exchange(line.fd, {0x0B, 0x22}, 1), ByteList{0xFD});

    const ByteList move = MoveFrame(150, 225, 0.5);
    WriteBytes(line.fd, ByteList(move.begin(), move.begin() + 9));
    StepClock(line.sim, line.fd, 600);
    // Had the 9 bytes still been waiting, this poll would complete the frame.
    EXPECT_EQ(Exchange(line.fd, ByteList(8, 0x22), 8), ByteList(8, 0xFD));
    // A frame that arrives in pieces within the limit is taken whole.
    WriteBytes(line.fd, ByteList(move.begin(), move.begin() + 5));
    StepClock(line.sim, line.fd, 400);
    WriteBytes(line.fd, ByteList(move.begin() + 5, move.end()));
    EXPECT_EQ(ReadBytes(line.fd, 1, 1000), ByteList{0x0B});
    EXPECT_EQ(Exchange(line.fd, MoveFrame(150, 225, 0.5, 3), 1), ByteList{0x0C});
    WriteBytes(line.fd, {0x46});
    SimControl(line.sim, "state");
    const std::string log = ReadFileText(line.sim.logPath);
    for (const char* entry :
         {"SendMove x=150 y=225 feed=0.5", "0B accepted", "0C refused: wrong checksum",
          "<- 22 CheckBuffer", "<- 46 setup screen"})
        EXPECT_NE(log.find(entry), std::string::npos) << entry << "\n" << log;

    unsigned seed = 12345;
    ByteList noise;
    for (int i = 0; i < 20000; ++i) {
        seed = seed * 1103515245u + 12345u;
        const uint8_t b = static_cast<uint8_t>(seed >> 16);
        noise.push_back(b == 0x13 || b == 0x31 ? 0 : b);  // nothing that stops the board
    }
    ASSERT_TRUE(WriteBytes(line.fd, noise));
    StepClock(line.sim, line.fd, 3600000);  // let any partial frame expire, any move end
    SimControl(line.sim, "error clear");
    SimControl(line.sim, "silence off");
    while (!ReadBytes(line.fd, 4096, 50).empty()) {  // replies still on their way
    }
    WriteBytes(line.fd, {0x2D, 0x19});
    EXPECT_EQ(BufferStatus(line.fd), 0xFD);
}

// 40 move frames (680 bytes in, 40 out) at 10 bits a byte and 57600 baud take
// at least 118 ms; without pacing the answers are immediate.
TEST(SimLine, LineRatePacesEveryByte) {
    SIM_LINE(paced, {"--line-rate"});
    ByteList moves;
    for (int i = 0; i < 40; ++i) {
        const ByteList m = MoveFrame(0, 0, 100);
        moves.insert(moves.end(), m.begin(), m.end());
    }
    const int64_t start = MonotonicMs();
    WriteBytes(paced.fd, moves);
    EXPECT_EQ(ReadBytes(paced.fd, 40, 3000), ByteList(40, 0x0B));
    EXPECT_GE(MonotonicMs() - start, 118);
}

// A control command that reaches the board together with bytes the host wrote
// before it sees their effect: both arrive while the simulator is stopped.
TEST(SimControlChannel, SeesTheBytesTheHostWroteBeforeTheCommand) {
    SIM_LINE(line);
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
