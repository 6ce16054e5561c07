// mc1sim: a simulated MC1 motor-controller board with its stitcher, served on
// a pseudo-terminal, for tests, demonstrations and development without the
// machine. See --help (sim_options.cpp) for the behaviour and the control
// commands.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <deque>
#include <vector>

#include "board_state.h"
#include "control_channel.h"
#include "firmware_loader.h"
#include "head_picture.h"
#include "motion_queue.h"
#include "protocol_decoder.h"
#include "pty_link.h"
#include "sim_options.h"
#include "stitcher_model.h"

namespace {

constexpr int64_t kByteTimeUs = 10 * 1000000 / 57600;  // 10 bits at 57600 baud
constexpr size_t kInputBacklogMax = 4096;    // paced input bytes held before reading pauses
constexpr size_t kOutputBacklogMax = 65536;  // unread reply bytes before the oldest are dropped

int signalPipe[2] = {-1, -1};

void OnSignal(int) {
    const char byte = 1;
    (void)!write(signalPipe[1], &byte, 1);
}

bool InstallSignals() {
    if (pipe2(signalPipe, O_CLOEXEC | O_NONBLOCK) != 0) return false;
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
    signal(SIGPIPE, SIG_IGN);
    return true;
}

// A byte paced onto the line: it becomes visible at dueUs.
struct TimedByte {
    int64_t dueUs;
    uint8_t byte;
};

// A reply that waits for the board's clock (a needle travelling, a flash
// write) before it goes on the line.
struct LaterReply {
    int64_t boardDueUs;
    std::vector<uint8_t> bytes;
};

struct Line {
    std::deque<TimedByte> input;   // from the host, waiting for their time
    std::deque<TimedByte> output;  // to the host, waiting for their time
    std::deque<LaterReply> later;  // replies waiting for the board's clock, in order
    int64_t lastInputDueUs = 0;
    int64_t lastOutputDueUs = 0;
    bool lineRate = false;
};

// Puts reply bytes on the line at real time nowUs, through the line's noise.
void QueueOutput(Line& line, Board& board, const std::vector<uint8_t>& reply, int64_t nowUs) {
    int64_t due = nowUs;
    LineNoise& noise = board.faults.noise;
    int64_t damagedBefore = noise.flipped + noise.dropped;
    std::vector<uint8_t> bytes = ThroughNoise(noise, reply);
    if (noise.flipped + noise.dropped != damagedBefore)
        SimLog(board, "noise: %zu reply bytes went out as %zu, %lld damaged or lost", reply.size(),
               bytes.size(), static_cast<long long>(noise.flipped + noise.dropped - damagedBefore));
    for (uint8_t b : bytes) {
        if (line.lineRate)
            due = std::max(due, line.lastOutputDueUs) + kByteTimeUs;
        else
            due = std::max(due, line.lastOutputDueUs);
        line.output.push_back(TimedByte{due, b});
        line.lastOutputDueUs = due;
    }
    if (line.output.size() > kOutputBacklogMax) {
        size_t drop = line.output.size() - kOutputBacklogMax;
        line.output.erase(line.output.begin(), line.output.begin() + static_cast<long>(drop));
        SimLog(board, "host is not reading: %zu reply bytes dropped", drop);
    }
}

// Reads what the host wrote; each byte gets the time it becomes visible.
void ReadHost(Line& line, Board& board, int master, int64_t nowUs) {
    uint8_t buffer[1024];
    ssize_t n = read(master, buffer, sizeof buffer);
    if (n <= 0) return;  // EAGAIN, or EIO while no one else holds the slave (we always do)
    if (board.faults.silent) {
        SimLog(board, "<- %zd bytes ignored (silent)", n);
        return;
    }
    for (ssize_t i = 0; i < n; ++i) {
        int64_t due = nowUs;
        if (line.lineRate) due = std::max(nowUs, line.lastInputDueUs) + kByteTimeUs;
        line.input.push_back(TimedByte{due, buffer[i]});
        line.lastInputDueUs = due;
    }
}

// Hands the bytes whose time has come to the decoder; replies go on the line
// at once, or wait for the board's clock behind any reply already waiting.
void DeliverInput(Line& line, Board& board, Decoder& decoder, int64_t nowUs) {
    std::vector<ReplyChunk> replies;
    while (!line.input.empty() && line.input.front().dueUs <= nowUs) {
        TimedByte b = line.input.front();
        line.input.pop_front();
        int64_t boardUs = std::max(BoardNowUs(board, b.dueUs), board.motionClockUs);
        AdvanceMotion(board, boardUs);
        replies.clear();
        DecodeByte(board, decoder, b.byte, boardUs, replies);
        for (ReplyChunk& chunk : replies) {
            if (chunk.delayUs == 0 && line.later.empty()) {
                QueueOutput(line, board, chunk.bytes, b.dueUs);
                continue;
            }
            int64_t due = boardUs + chunk.delayUs;
            if (!line.later.empty()) due = std::max(due, line.later.back().boardDueUs);
            line.later.push_back(LaterReply{due, std::move(chunk.bytes)});
        }
    }
}

// Puts the waiting replies whose board time has come on the line.
void ReleaseLaterReplies(Line& line, Board& board, int64_t nowUs) {
    while (!line.later.empty() && line.later.front().boardDueUs <= BoardNowUs(board, nowUs)) {
        QueueOutput(line, board, line.later.front().bytes, nowUs);
        line.later.pop_front();
    }
}

// Writes the reply bytes whose time has come. Returns true when due bytes are
// left because the terminal is full.
bool WriteHost(Line& line, int master, int64_t nowUs) {
    uint8_t buffer[1024];
    size_t count = 0;
    while (count < line.output.size() && count < sizeof buffer &&
           line.output[count].dueUs <= nowUs) {
        buffer[count] = line.output[count].byte;
        ++count;
    }
    if (count == 0) return false;
    ssize_t n = write(master, buffer, count);
    if (n > 0) line.output.erase(line.output.begin(), line.output.begin() + n);
    return n < static_cast<ssize_t>(count);
}

int64_t Earliest(int64_t a, int64_t b) {
    if (a < 0) return b;
    if (b < 0) return a;
    return std::min(a, b);
}

int Serve(const SimOptions& options, Board& board, PtyLink& link, ControlServer& server) {
    Line line;
    line.lineRate = options.lineRate;
    Decoder decoder;
    std::vector<pollfd> fds;
    bool outputBlocked = false;
    while (!board.quitRequested) {
        int64_t now = SimNowUs();
        AdvanceMotion(board, BoardNowUs(board, now));
        DeliverInput(line, board, decoder, now);
        ExpirePartialFrame(board, decoder, BoardNowUs(board, now));
        ReleaseLaterReplies(line, board, now);
        outputBlocked = WriteHost(line, link.master, now);

        // Everything the board waits for, in real time (-1: nothing while the
        // board's clock is held).
        int64_t wake = RealTimeOf(board, NextMotionEventUs(board));
        if (!line.input.empty()) wake = Earliest(wake, line.input.front().dueUs);
        if (!line.output.empty() && !outputBlocked)
            wake = Earliest(wake, line.output.front().dueUs);
        if (!line.later.empty())
            wake = Earliest(wake, RealTimeOf(board, line.later.front().boardDueUs));
        wake = Earliest(wake, RealTimeOf(board, PartialFrameDeadlineUs(decoder)));
        int timeoutMs = -1;
        if (wake >= 0)
            timeoutMs = static_cast<int>(std::clamp<int64_t>((wake - now + 999) / 1000, 0, 60000));

        fds.clear();
        short masterEvents = 0;
        if (line.input.size() < kInputBacklogMax) masterEvents |= POLLIN;
        if (outputBlocked) masterEvents |= POLLOUT;
        fds.push_back(pollfd{link.master, masterEvents, 0});
        fds.push_back(pollfd{signalPipe[0], POLLIN, 0});
        AddControlPollFds(server, fds);
        int ready = poll(fds.data(), fds.size(), timeoutMs);
        if (ready < 0) {
            if (errno == EINTR) continue;
            std::fprintf(stderr, "mc1sim: poll: %s\n", std::strerror(errno));
            return 1;
        }
        now = SimNowUs();
        if (fds[1].revents & POLLIN) {
            SimLog(board, "signal: shutting down");
            break;
        }
        AdvanceMotion(board, BoardNowUs(board, now));
        if (fds[0].revents & POLLIN) ReadHost(line, board, link.master, now);
        // Bytes the host wrote before a control command are carried out
        // before it, so the command sees their effect.
        DeliverInput(line, board, decoder, now);
        ServiceControl(server, board, fds, now);
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    SimOptions options;
    std::string error;
    if (!ParseSimOptions(argc, argv, options, error)) {
        std::fprintf(stderr, "mc1sim: %s\n\n%s", error.c_str(), SimHelpText());
        return 2;
    }
    if (options.help) {
        std::fputs(SimHelpText(), stdout);
        return 0;
    }
    Board board;
    board.startUs = SimNowUs();
    board.motionClockUs = board.startUs;
    board.timeScale = options.timeScale;
    board.firmware = options.firmware;
    board.firmwareOutPath = options.firmwareOutPath;
    board.picturePath = options.picturePath;
    board.picture = PictureSettings{options.pictureWidth, options.pictureHeight,
                                    options.pictureAreaWidth, options.pictureAreaHeight};
    SetMachine(board.stitcher, options.machine);
    if (!options.recordPath.empty() &&
        !(board.record = std::fopen(options.recordPath.c_str(), "w"))) {
        std::fprintf(stderr, "mc1sim: cannot write %s: %s\n", options.recordPath.c_str(),
                     std::strerror(errno));
        return 1;
    }
    if (!options.logPath.empty() && !(board.log = std::fopen(options.logPath.c_str(), "w"))) {
        std::fprintf(stderr, "mc1sim: cannot write %s: %s\n", options.logPath.c_str(),
                     std::strerror(errno));
        return 1;
    }
    if (!InstallSignals()) {
        std::fprintf(stderr, "mc1sim: signals: %s\n", std::strerror(errno));
        return 1;
    }
    PtyLink link;
    if (!OpenPtyLink(link, options.linkPath, error)) {
        std::fprintf(stderr, "mc1sim: %s\n", error.c_str());
        return 1;
    }
    ControlServer server;
    if (!OpenControlServer(server, options.controlPath, error)) {
        std::fprintf(stderr, "mc1sim: %s\n", error.c_str());
        ClosePtyLink(link);
        return 1;
    }
    SimLog(board, "serving %s on %s, control %s", options.linkPath.c_str(), link.slaveName.c_str(),
           options.controlPath.c_str());
    std::printf("ready %s\n", options.linkPath.c_str());
    std::fflush(stdout);

    int result = Serve(options, board, link, server);

    // Give the clients their last replies (e.g. to quit) before closing.
    for (ControlClient& c : server.clients)
        if (!c.output.empty()) (void)!write(c.fd, c.output.data(), c.output.size());
    CloseControlServer(server);
    ClosePtyLink(link);
    if (!board.firmwareOutPath.empty() && !SaveFirmwareImage(board, board.firmwareOutPath, error)) {
        std::fprintf(stderr, "mc1sim: %s\n", error.c_str());
        result = 1;
    }
    if (!board.picturePath.empty() && !SaveHeadPicture(board, board.picturePath, error)) {
        std::fprintf(stderr, "mc1sim: %s\n", error.c_str());
        result = 1;
    }
    if (board.record) std::fclose(board.record);
    if (board.log) std::fclose(board.log);
    return result;
}
