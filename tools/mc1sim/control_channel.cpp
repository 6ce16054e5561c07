#include "control_channel.h"

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "control_commands.h"

bool OpenControlServer(ControlServer& server, const std::string& path, std::string& error) {
    sockaddr_un address{};
    if (path.size() >= sizeof address.sun_path) {
        error = "control path too long: " + path;
        return false;
    }
    struct stat st {};
    if (lstat(path.c_str(), &st) == 0) {
        if (!S_ISSOCK(st.st_mode)) {
            error = "control path exists and is not a socket: " + path;
            return false;
        }
        unlink(path.c_str());  // a socket left by an earlier run
    }
    int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0) {
        error = std::string("socket: ") + std::strerror(errno);
        return false;
    }
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        listen(fd, 8) != 0) {
        error = "control socket " + path + ": " + std::strerror(errno);
        close(fd);
        return false;
    }
    server.listenFd = fd;
    server.path = path;
    return true;
}

void CloseControlServer(ControlServer& server) {
    for (ControlClient& c : server.clients)
        close(c.fd);
    server.clients.clear();
    if (server.listenFd >= 0) {
        close(server.listenFd);
        unlink(server.path.c_str());
        server.listenFd = -1;
    }
}

void AddControlPollFds(ControlServer& server, std::vector<pollfd>& fds) {
    server.pollFirst = fds.size();
    fds.push_back(pollfd{server.listenFd, POLLIN, 0});
    for (const ControlClient& c : server.clients) {
        short events = POLLIN;
        if (!c.output.empty()) events |= POLLOUT;
        fds.push_back(pollfd{c.fd, events, 0});
    }
}

namespace {

// Reads what a client sent and answers every complete line. Returns false when
// the client is gone or misbehaves and must be dropped.
bool ReadClient(ControlClient& c, Board& board, int64_t nowUs) {
    char buffer[512];
    ssize_t n = read(c.fd, buffer, sizeof buffer);
    if (n == 0) return false;
    if (n < 0) return errno == EAGAIN || errno == EINTR;
    for (ssize_t i = 0; i < n; ++i) {
        char ch = buffer[i];
        if (ch != '\n') {
            if (c.input.size() >= kControlLineMax) {
                c.discarding = true;
                c.input.clear();
            }
            if (!c.discarding && ch != '\r') c.input.push_back(ch);
            continue;
        }
        std::string reply =
            c.discarding ? "error line too long" : ExecuteControl(board, c.input, nowUs);
        SimLog(board, "control: %s -> %s", c.discarding ? "(long line)" : c.input.c_str(),
               reply.c_str());
        c.output += reply + "\n";
        c.input.clear();
        c.discarding = false;
        if (c.output.size() > kControlOutputMax) return false;
    }
    return true;
}

bool WriteClient(ControlClient& c) {
    ssize_t n = write(c.fd, c.output.data(), c.output.size());
    if (n < 0) return errno == EAGAIN || errno == EINTR;
    c.output.erase(0, static_cast<size_t>(n));
    return true;
}

}  // namespace

void ServiceControl(ControlServer& server, Board& board, const std::vector<pollfd>& fds,
                    int64_t nowUs) {
    // Clients first (their poll entries follow the listening socket in order),
    // then new connections, so the indices stay valid while clients are dropped.
    std::vector<ControlClient> kept;
    for (size_t i = 0; i < server.clients.size(); ++i) {
        ControlClient& c = server.clients[i];
        short revents = fds[server.pollFirst + 1 + i].revents;
        bool alive = true;
        if (revents & (POLLIN | POLLHUP | POLLERR)) alive = ReadClient(c, board, nowUs);
        if (alive && !c.output.empty()) alive = WriteClient(c);
        if (alive) {
            kept.push_back(std::move(c));
        } else {
            close(c.fd);
        }
    }
    server.clients = std::move(kept);
    if (fds[server.pollFirst].revents & POLLIN) {
        int fd = accept4(server.listenFd, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (fd >= 0) {
            if (server.clients.size() >= kControlClientsMax) {
                const char busy[] = "error too many control clients\n";
                (void)!write(fd, busy, sizeof busy - 1);
                close(fd);
            } else {
                ControlClient c;
                c.fd = fd;
                server.clients.push_back(std::move(c));
            }
        }
    }
}
