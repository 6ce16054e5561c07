// The simulated MC1 board (mc1sim) for one test, in its own temporary folder
// with --link <dir>/mc1, --record <dir>/record.csv and --log <dir>/mc1.log.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <string>
#include <vector>

#include "support/temp_dir.h"

struct Mc1Sim {
    // Starts it and waits up to 5 s for its ready line; on failure running is false.
    explicit Mc1Sim(const std::vector<std::string>& extraArgs = {});
    ~Mc1Sim();  // Stop(), then the folder is removed
    Mc1Sim(const Mc1Sim&) = delete;
    Mc1Sim& operator=(const Mc1Sim&) = delete;
    // SIGTERM (SIGKILL after 2 s) and wait; the wait status, -1 when not running.
    int Stop();
    TempDir dir;
    std::string device;       // symbolic link to the simulated serial device
    std::string controlPath;  // control socket
    std::string recordPath;   // CSV of executed moves
    std::string logPath;      // decoded command/reply log
    pid_t pid = -1;
    bool running = false;
    std::string error;
};

// One control command; the reply line without its newline ("" after 2 s).
std::string SimControl(const Mc1Sim& sim, const std::string& command);

// The value of key in the key=value words of a reply line, "" when missing.
std::string StateValue(const std::string& reply, const std::string& key);

// Puts the program on the manual clock with the simulator's clock held and moved
// on with it (every sleep and every wait on the line that sees nothing moves
// both), so nothing is waited out in real time. UnlinkClocks undoes it.
void LinkClocks(const Mc1Sim& sim);
void UnlinkClocks();

// Polls "state" (or another control command) until key has the value (true)
// or timeoutMs passes (false).
bool WaitForState(const Mc1Sim& sim, const std::string& key, const std::string& value,
                  int timeoutMs, const std::string& command = "state");

// The host's end of a serial device: read-write, no controlling terminal, raw. -1 on failure.
int OpenRawDevice(const std::string& path);
// Writes all bytes; false on failure.
bool WriteBytes(int fd, const std::vector<uint8_t>& bytes);
// Up to count bytes, waiting at most timeoutMs for all of them.
std::vector<uint8_t> ReadBytes(int fd, size_t count, int timeoutMs);
