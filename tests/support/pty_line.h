// A plain pseudo-terminal pair for byte-level tests of the serial link: the
// code under test opens the slave side as its serial device, the test plays
// the board on the master side. A scripted board can answer from a thread.
#pragma once

#include <atomic>
#include <string>
#include <thread>
#include <vector>

struct PtyLine {
    PtyLine();
    ~PtyLine();
    PtyLine(const PtyLine&) = delete;
    PtyLine& operator=(const PtyLine&) = delete;

    // Writes bytes as the board would send them.
    void Send(const std::string& bytes);
    // Reads what the host wrote, waiting up to timeoutMs for `count` bytes (or
    // for the line to stay quiet 50 ms when count is 0).
    std::string Received(size_t count, int timeoutMs = 1000);

    int master = -1;
    int holdSlave = -1;  // our own slave descriptor, so the master never sees a hang-up
    std::string slavePath;
};

// One step of a scripted board: wait for `expect` bytes from the host, then
// wait delayMs and answer `reply`.
struct BoardStep {
    size_t expect;
    std::string reply;
    int delayMs = 0;
};

// Plays a script on a PtyLine from a thread; everything the host sent is kept.
struct ScriptedBoard {
    ScriptedBoard(PtyLine& line, std::vector<BoardStep> steps);
    ~ScriptedBoard();
    // Waits for the script to end (at most timeoutMs) and returns all bytes the
    // host sent during it.
    std::string Finish(int timeoutMs = 3000);

    PtyLine& line;
    std::vector<BoardStep> steps;
    std::string received;
    std::atomic<bool> stop{false};
    std::atomic<bool> done{false};
    std::thread worker;
};

// Little-endian bytes of an int32 / a float, as the board sends them.
std::string LE32(int32_t value);
std::string LEFloat(float value);
// Builds a byte string from a list of byte values.
std::string Bytes(std::initializer_list<int> values);
