// The simulator's own life: start and shutdown, bad input from the host, the
// host going away, the control channel, the line-rate option.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <time.h>

#include <fstream>

#include "sim_wire.h"
#include "support/run_program.h"

namespace {

bool Exists(const std::string& path) {
    struct stat st {};
    return lstat(path.c_str(), &st) == 0;
}

int64_t NowMs() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<int64_t>(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

TEST(SimLife, TermAndQuitRemoveTheLinkAndTheControlSocket) {
    for (bool byQuit : {false, true}) {
        Mc1Sim sim;
        ASSERT_TRUE(sim.running) << sim.error;
        EXPECT_TRUE(Exists(sim.device));
        EXPECT_TRUE(Exists(sim.controlPath));
        int status = 0;
        if (byQuit) {
            EXPECT_EQ(SimControl(sim, "quit"), "ok bye");
            EXPECT_EQ(waitpid(sim.pid, &status, 0), sim.pid);
            sim.pid = -1;
        } else {
            status = sim.Stop();
        }
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
        EXPECT_FALSE(Exists(sim.device)) << byQuit;
        EXPECT_FALSE(Exists(sim.controlPath)) << byQuit;
    }
}

TEST(SimLife, BadOptionsAndARegularFileInPlaceOfTheLinkAreRefused) {
    TempDir dir;
    const std::string file = dir.File("plain-file");
    ASSERT_TRUE(WriteFileText(file, "keep me"));
    struct Case {
        std::vector<std::string> args;
        int status;
    } const cases[] = {{{}, 2},
                       {{"--link"}, 2},
                       {{"--link", "x", "--machine", "13"}, 2},
                       {{"--link", "x", "--time-scale", "0"}, 2},
                       {{"--link", "x", "--bogus"}, 2},
                       {{"--link", "x", "--firmware", "abc"}, 2},
                       {{"--link", "x", "--picture-size", "10,10"}, 2},
                       {{"--link", "x", "--picture-size", "320.5,240"}, 2},
                       {{"--link", "x", "--picture-area", "0,3"}, 2},
                       {{"--link", "x", "--picture-area", "4"}, 2},
                       {{"--link", file}, 1}};
    for (const Case& c : cases) {
        std::vector<std::string> argv = {MC1SIM_PATH};
        argv.insert(argv.end(), c.args.begin(), c.args.end());
        EXPECT_EQ(RunProgram(argv, "", 10000).exitStatus, c.status) << c.args.size();
    }
    EXPECT_EQ(ReadFileText(file), "keep me");
}

TEST(SimLife, StaleLinkIsReplaced) {
    TempDir dir;
    std::string link = dir.File("mc1");
    ASSERT_EQ(symlink("/nonexistent/device", link.c_str()), 0);
    // The fixture links <its dir>/mc1; start a second simulator on our link.
    int out[2];
    ASSERT_EQ(pipe(out), 0);
    pid_t pid = fork();
    if (pid == 0) {
        dup2(out[1], 1);
        execl(MC1SIM_PATH, MC1SIM_PATH, "--link", link.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    close(out[1]);
    char buffer[256] = {};
    ssize_t n = read(out[0], buffer, sizeof buffer - 1);
    close(out[0]);
    EXPECT_EQ(std::string(buffer, n > 0 ? n : 0), "ready " + link + "\n");
    char target[256] = {};
    ASSERT_GT(readlink(link.c_str(), target, sizeof target - 1), 0);
    EXPECT_EQ(std::string(target).rfind("/dev/pts/", 0), 0u) << target;
    int fd = OpenRawDevice(link);
    ASSERT_GE(fd, 0);
    EXPECT_EQ(BufferStatus(fd), 0xFD);
    close(fd);
    kill(pid, SIGTERM);
    int status = 0;
    waitpid(pid, &status, 0);
    EXPECT_FALSE(Exists(link));
}

TEST(SimLine, GarbageAndUnknownCodesAreSkipped) {
    SIM_LINE(line);
    // Unknown codes, a broken constants request (0x0B then 0x00), then a status poll.
    WriteBytes(line.fd, {0x00, 0x07, 0x50, 0xEE, 0x0B, 0x00, 0x22});
    EXPECT_EQ(ReadBytes(line.fd, 1, 1000), std::vector<uint8_t>{0xFD});
    std::string state = SimControl(line.sim, "state");
    EXPECT_EQ(StateValue(state, "unknown"), "5");
    // A constants request whose second byte starts a real command runs that command.
    EXPECT_EQ(Exchange(line.fd, {0x0B, 0x22}, 1), std::vector<uint8_t>{0xFD});
}

TEST(SimLine, RandomBytesNeverWedgeTheBoard) {
    SIM_LINE(line, {"--time-scale", "1000"});
    unsigned seed = 12345;
    std::vector<uint8_t> noise;
    for (int i = 0; i < 20000; ++i) {
        seed = seed * 1103515245u + 12345u;
        uint8_t b = static_cast<uint8_t>(seed >> 16);
        if (b == 0x13 || b == 0x31) b = 0x00;  // keep the board from stopping mid-test
        noise.push_back(b);
    }
    ASSERT_TRUE(WriteBytes(line.fd, noise));
    StepClock(line.sim, line.fd, 3600000);  // let any partial frame expire, any move end
    SimControl(line.sim, "error clear");
    SimControl(line.sim, "silence off");
    while (!ReadBytes(line.fd, 4096, 50).empty()) {  // replies still on their way
    }
    WriteBytes(line.fd, {0x2D, 0x19});
    EXPECT_EQ(BufferStatus(line.fd), 0xFD);
    EXPECT_EQ(StateValue(SimControl(line.sim, "state"), "x").empty(), false);
}

TEST(SimLine, PartialFrameIsDroppedAfterItsTimeLimit) {
    SIM_LINE(line);
    SimControl(line.sim, "clock hold");
    std::vector<uint8_t> move = MoveFrame(100, 100, 100);
    WriteBytes(line.fd, std::vector<uint8_t>(move.begin(), move.begin() + 9));
    StepClock(line.sim, line.fd, 600);
    // Had the 9 bytes still been waiting, this poll would complete the frame.
    std::vector<uint8_t> poll = {0x22, 0x22, 0x22, 0x22, 0x22, 0x22, 0x22, 0x22};
    EXPECT_EQ(Exchange(line.fd, poll, 8), std::vector<uint8_t>(8, 0xFD));
    EXPECT_EQ(StateValue(SimControl(line.sim, "state"), "queue"), "0");
    // A frame that arrives in pieces within the limit is taken whole.
    WriteBytes(line.fd, std::vector<uint8_t>(move.begin(), move.begin() + 5));
    StepClock(line.sim, line.fd, 400);
    WriteBytes(line.fd, std::vector<uint8_t>(move.begin() + 5, move.end()));
    EXPECT_EQ(ReadBytes(line.fd, 1, 1000), std::vector<uint8_t>{0x0B});
}

TEST(SimLine, HostMayCloseAndReopenTheDevice) {
    SIM_LINE(line, {"--time-scale", "200"});
    ASSERT_EQ(Exchange(line.fd, MoveFrame(300, 300, 100), 1), std::vector<uint8_t>{0x0B});
    close(line.fd);
    line.fd = -1;
    SimControl(line.sim, "state");  // the board has seen the hang-up
    for (int round = 0; round < 3; ++round) {
        int fd = OpenRawDevice(line.sim.device);
        ASSERT_GE(fd, 0);
        EXPECT_TRUE(WaitForIdle(fd, 2000));
        EXPECT_EQ(HeadPosition(fd), (std::vector<int32_t>{300, 300}));
        close(fd);
    }
    // A host that vanishes with an exchange unread leaves the board serving.
    int fd = OpenRawDevice(line.sim.device);
    WriteBytes(fd, {0x0B, 0x0C, 0x24, 0x25, 0x26, 0x27, 0x28, 0x29});
    close(fd);
    EXPECT_EQ(StateValue(SimControl(line.sim, "state"), "x"), "300");
}

TEST(SimLine, LogFileDecodesCommandsAndReplies) {
    SIM_LINE(line, {"--time-scale", "200"});
    Exchange(line.fd, MoveFrame(150, 225, 0.5), 1);
    Exchange(line.fd, MoveFrame(150, 225, 0.5, 3), 1);
    BufferStatus(line.fd);
    WriteBytes(line.fd, {0x46});
    SimControl(line.sim, "state");
    std::string log = ReadFileText(line.sim.logPath);
    EXPECT_NE(log.find("SendMove x=150 y=225 feed=0.5"), std::string::npos) << log;
    EXPECT_NE(log.find("0B accepted"), std::string::npos) << log;
    EXPECT_NE(log.find("0C refused: wrong checksum"), std::string::npos) << log;
    EXPECT_NE(log.find("<- 22 CheckBuffer"), std::string::npos) << log;
    EXPECT_NE(log.find("<- 46 setup screen"), std::string::npos) << log;
}

TEST(SimLine, LineRatePacesEveryByte) {
    // 32 reply bytes at 10 bits each at 57600 baud take 5.6 ms, the 8-byte
    // request another 1.4 ms; without pacing the reply is immediate.
    SIM_LINE(paced, {"--line-rate"});
    const std::vector<uint8_t> request = {0x0B, 0x0C, 0x24, 0x25, 0x26, 0x27, 0x28, 0x29};
    std::vector<uint8_t> bigMove;
    for (int i = 0; i < 40; ++i) {
        std::vector<uint8_t> m = MoveFrame(0, 0, 100);
        bigMove.insert(bigMove.end(), m.begin(), m.end());
    }
    // 40 move frames (680 bytes in, 40 out) need at least 118 ms paced.
    int64_t start = NowMs();
    WriteBytes(paced.fd, bigMove);
    std::vector<uint8_t> answers = ReadBytes(paced.fd, 40, 3000);
    int64_t took = NowMs() - start;
    EXPECT_EQ(answers, std::vector<uint8_t>(40, 0x0B));
    EXPECT_GE(took, 118);
    EXPECT_EQ(Exchange(paced.fd, request, 32).size(), 32u);
}

// A control command that reaches the board together with bytes the host wrote
// before it sees their effect: both arrive while the simulator is stopped.
TEST(SimControlChannel, SeesTheBytesTheHostWroteBeforeTheCommand) {
    SIM_LINE(line);
    int client = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::snprintf(address.sun_path, sizeof address.sun_path, "%s", line.sim.controlPath.c_str());
    ASSERT_EQ(connect(client, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    auto ask = [&](const std::string& command, bool stopped) {
        WriteBytes(client, std::vector<uint8_t>(command.begin(), command.end()));
        if (stopped) kill(line.sim.pid, SIGCONT);
        std::string reply;
        for (std::vector<uint8_t> b; (b = ReadBytes(client, 1, 1000)).size() == 1 && b[0] != '\n';)
            reply += static_cast<char>(b[0]);
        return reply;
    };
    ASSERT_EQ(ask("help\n", false).rfind("ok", 0), 0u);  // the connection is accepted
    kill(line.sim.pid, SIGSTOP);
    WriteBytes(line.fd, {0x15});  // DisableX
    EXPECT_EQ(StateValue(ask("state\n", true), "xenabled"), "0");
    close(client);
}

TEST(SimControlChannel, ServesSeveralClientsAndSurvivesAbruptOnes) {
    SIM_LINE(line);
    for (int i = 0; i < 30; ++i)
        ASSERT_EQ(SimControl(line.sim, "state").rfind("ok x=0 y=0", 0), 0u);
    // A client that sends an endless line is told so and the server goes on.
    std::string longLine(5000, 'a');
    EXPECT_EQ(SimControl(line.sim, longLine), "error line too long");
}

}  // namespace
