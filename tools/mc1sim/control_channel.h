// The control channel: a Unix-domain stream socket on which tests and service
// technicians read the board's state and inject faults, one text command per
// line, one reply line per command ("ok ..." or "error <why>"). The commands
// are carried out by control_commands.h and listed in SimHelpText().
#pragma once

#include <poll.h>

#include <cstdint>
#include <string>
#include <vector>

#include "board_state.h"

constexpr size_t kControlLineMax = 1024;     // longest command line accepted
constexpr size_t kControlClientsMax = 16;    // clients served at the same time
constexpr size_t kControlOutputMax = 65536;  // unread reply bytes before a client is dropped

struct ControlClient {
    int fd = -1;
    std::string input;        // bytes of an unfinished line
    std::string output;       // reply bytes not yet written
    bool discarding = false;  // the current line is too long and is being skipped
};

struct ControlServer {
    int listenFd = -1;
    std::string path;
    std::vector<ControlClient> clients;
    size_t pollFirst = 0;  // index of the listening socket in the poll array
};

// Creates the socket at path (replacing a stale socket, never another kind of
// file). Returns true when listening; false with a reason in error.
bool OpenControlServer(ControlServer& server, const std::string& path, std::string& error);

// Closes every client and the listening socket and removes the socket file.
void CloseControlServer(ControlServer& server);

// Appends the server's descriptors to the poll array (remembering where).
void AddControlPollFds(ControlServer& server, std::vector<pollfd>& fds);

// Accepts clients, reads their lines, runs the commands and writes replies,
// using the poll results at the place AddControlPollFds recorded.
void ServiceControl(ControlServer& server, Board& board, const std::vector<pollfd>& fds,
                    int64_t nowUs);
