// The start-up merge against a board on a real serial line: a scripted board
// on a pseudo-terminal that answers the constants at once but sends its
// stitch settings too late (the simulated board always answers in time).
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <stdlib.h>
#include <unistd.h>

#include <atomic>
#include <cstring>
#include <thread>
#include <vector>

#include "app/defaults_file.h"
#include "app/machine_startup.h"
#include "app/program_settings.h"
#include "app/timers.h"
#include "app/ui_hooks.h"
#include "machine/machine_parameters.h"
#include "machine/serial_link.h"
#include "settings/settings_test.h"
#include "support/temp_dir.h"

namespace {

// A board that answers the constants request with fixed values and the
// stitch-settings request after a delay.
struct ScriptedBoard {
    explicit ScriptedBoard(int stitchDelayMs) : delayMs(stitchDelayMs) {
        master = posix_openpt(O_RDWR | O_NOCTTY);
        if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0) return;
        device = ptsname(master);
        worker = std::thread([this] { Serve(); });
    }
    ~ScriptedBoard() {
        stop = true;
        if (worker.joinable()) worker.join();
        if (master >= 0) close(master);
    }

    void Serve() {
        std::vector<uint8_t> seen;
        while (!stop) {
            pollfd p{master, POLLIN, 0};
            if (poll(&p, 1, 10) <= 0 || !(p.revents & POLLIN)) continue;
            uint8_t buffer[64];
            ssize_t got = read(master, buffer, sizeof buffer);
            if (got <= 0) continue;
            for (ssize_t i = 0; i < got; ++i)
                Handle(buffer[i], &seen);
        }
    }

    void Handle(uint8_t byte, std::vector<uint8_t>* seen) {
        seen->push_back(byte);
        received.push_back(byte);
        if (byte == 0x29 && seen->size() >= 8) {  // end of the constants request
            std::string reply;
            for (int32_t v : {31, 9, 32, 10, 42, 120, 150, 41})
                reply += IntBytes(v);
            write(master, reply.data(), reply.size());
            seen->clear();
        } else if (byte == 0x0E) {
            SleepMicroseconds(delayMs * 1000);
            const uint8_t settings[4] = {7, 55, 3, 6};
            write(master, settings, sizeof settings);
            seen->clear();
        }
    }

    int delayMs;
    int master = -1;
    std::string device;
    std::thread worker;
    std::atomic<bool> stop{false};
    std::vector<uint8_t> received;  // read by the test only after the worker stopped
};

struct StartupBoardTest : ::testing::Test {
    void SetUp() override {
        SetDefaultsFilePath(path.c_str());
        SetDefaultMessageResponse(kResponseOk);
    }
    void TearDown() override {
        ClosePort();
        SetSerialDevicePath("");
        SetDefaultsFilePath(nullptr);
    }
    TempDir dir;
    std::string path = dir.File("defaults.mrl");
};

TEST_F(StartupBoardTest, StitchSettingsTooLateGiveTheStartUpValues) {
    ScriptedBoard board(150);
    ASSERT_FALSE(board.device.empty());
    SetSerialDevicePath(board.device);
    ASSERT_GE(OpenPort(), 0);

    EXPECT_EQ(RunStartupMerge(), kMergeFromBoard);
    // The board's constants with the start-up stitch settings, in memory and file.
    const std::vector<double> constants = {4, 150, 5, 40, 31, 9, 32, 10, 41, 42, 120};
    const std::vector<double> memory = MemorySlots();
    EXPECT_EQ(std::vector<double>(memory.begin(), memory.begin() + 11), constants);
    EXPECT_EQ(minimumSpeed, 2);
    EXPECT_EQ(maxSpeed, 40.0f);
    EXPECT_EQ(Slots(ReadFileText(path)), constants);
}

}  // namespace
