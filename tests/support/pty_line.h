// A pseudo-terminal pair for byte-level tests of the serial link: the code
// under test opens the slave side as its serial device, the test plays the
// board on the master side, or a scripted board answers from a thread.
#pragma once

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

struct PtyLine {
    PtyLine();
    ~PtyLine();
    PtyLine(const PtyLine&) = delete;
    PtyLine& operator=(const PtyLine&) = delete;
    void Send(const std::string& bytes);  // as the board sends them
    // What the host wrote, waiting up to timeoutMs for `count` bytes (or for
    // the line to stay quiet 50 ms when count is 0).
    std::string Received(size_t count, int timeoutMs = 1000);
    int master = -1;
    int holdSlave = -1;  // our own slave descriptor, so the master never sees a hang-up
    std::string slavePath;
};

// One step of a scripted board: wait for `expect` bytes from the host, then
// wait delayMs of real time and answer `reply`.
struct BoardStep {
    size_t expect;
    std::string reply;
    int delayMs = 0;
};

// Plays a script on a PtyLine from a thread, keeping everything the host sent.
// While it lives it takes the serial link's reads and waits: on the manual
// clock a wait of the host lasts, in real time, until the board has taken the
// host's bytes and sent its answer, however busy the machine is; a wait the
// board will not answer moves the clock on at once.
struct ScriptedBoard {
    ScriptedBoard(PtyLine& line, std::vector<BoardStep> steps);
    ~ScriptedBoard();
    // Waits for the script to end (at most timeoutMs); all bytes the host sent.
    std::string Finish(int timeoutMs = 3000);
    // True when nothing is on its way to the host and the board waits for
    // bytes the host has not sent.
    bool Settled();
    PtyLine& line;
    std::vector<BoardStep> steps;
    std::string received;
    std::atomic<bool> stop{false};
    std::atomic<bool> done{false};
    std::thread worker;
    std::mutex mutex;  // guards received and the counts below while the worker runs
    size_t next = 0, need = 0, sent = 0, hostRead = 0, hostWritten = 0;
    bool answering = false;
};

// Little-endian bytes of an int32 / a float, as the board sends them; a byte
// string from byte values.
std::string LE32(int32_t value);
std::string LEFloat(float value);
std::string Bytes(std::initializer_list<int> values);
