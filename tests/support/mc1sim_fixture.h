// Starts the simulated MC1 board (mc1sim) for one test and talks to it.
//
//   Mc1Sim sim({"--time-scale", "20"});       // starts it, waits for "ready"
//   ASSERT_TRUE(sim.running) << sim.error;
//   int fd = OpenRawDevice(sim.device);        // the host's end of the serial line
//   std::string reply = SimControl(sim, "state");
//   EXPECT_EQ(StateValue(reply, "queue"), "0");
//
// The simulator runs in its own temporary folder with --link <dir>/mc1,
// --record <dir>/record.csv and --log <dir>/mc1.log; the destructor stops it
// (SIGTERM, then SIGKILL after 2 s) and removes the folder.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "support/temp_dir.h"

struct Mc1Sim {
    // Starts MC1SIM_PATH with the standard paths plus extraArgs (no shell) and
    // waits up to 5 s for its ready line. On failure running is false and
    // error says why.
    explicit Mc1Sim(const std::vector<std::string>& extraArgs = {});
    ~Mc1Sim();
    Mc1Sim(const Mc1Sim&) = delete;
    Mc1Sim& operator=(const Mc1Sim&) = delete;

    // Stops the simulator now (SIGTERM and wait). Returns its exit status as
    // waitpid reports it, or -1 when it was not running.
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

// Sends one control command and returns the reply line without its newline
// ("" when the simulator does not answer within 2 s).
std::string SimControl(const Mc1Sim& sim, const std::string& command);

// Splits the key=value words of a reply line ("ok x=10 y=20") into a map.
std::map<std::string, std::string> ParseStateReply(const std::string& reply);

// The value of one key of a reply line, "" when the key is missing.
std::string StateValue(const std::string& reply, const std::string& key);

// Puts the program on the manual clock (base/timers) with the simulator's
// clock held and moved on with it: every sleep of the program and every wait
// on the serial line that sees nothing moves both at once, so no motion of
// the board and no time-out is waited out in real time. UnlinkClocks goes
// back to the real clocks.
void LinkClocks(const Mc1Sim& sim);
void UnlinkClocks();

// Polls "state" (or another control command) until key has the value (true)
// or timeoutMs passes (false).
bool WaitForState(const Mc1Sim& sim, const std::string& key, const std::string& value,
                  int timeoutMs, const std::string& command = "state");

// Opens a serial device the way the host does (read-write, no controlling
// terminal) and puts it in raw mode. Returns the descriptor or -1.
int OpenRawDevice(const std::string& path);

// Writes all bytes; returns false on failure.
bool WriteBytes(int fd, const std::vector<uint8_t>& bytes);

// Reads up to count bytes, waiting at most timeoutMs for all of them; returns
// what arrived (fewer bytes at the time-out).
std::vector<uint8_t> ReadBytes(int fd, size_t count, int timeoutMs);

// Discards everything already waiting on the descriptor.
void DrainBytes(int fd);
