// The start-up merge against a board on a real serial line: a scripted board
// on a pseudo-terminal that answers the constants at once but sends its
// stitch settings too late.
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
#include "support/temp_dir.h"

namespace {

void AppendInt(std::vector<uint8_t>* bytes, int32_t value) {
    for (int i = 0; i < 4; ++i)
        bytes->push_back(static_cast<uint8_t>(value >> (8 * i)));
}

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
            std::vector<uint8_t> reply;
            for (int32_t v : {31, 9, 32, 10, 42, 120, 150, 41})
                AppendInt(&reply, v);
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
    EXPECT_EQ(XKp, 31);
    EXPECT_EQ(XKi, 9);
    EXPECT_EQ(YKp, 32);
    EXPECT_EQ(YKi, 10);
    EXPECT_EQ(YKd, 42);
    EXPECT_EQ(Err, 120);
    EXPECT_EQ(TOut, 150);
    EXPECT_EQ(XKd, 41);
    EXPECT_EQ(stitchLen, 5);
    EXPECT_EQ(speed, 40);
    EXPECT_EQ(minimumSpeed, 2);
    EXPECT_EQ(stitchRep, 4);
    EXPECT_EQ(maxSpeed, 40.0f);

    int value = 0;
    ASSERT_EQ(ReadDefaultInt(kSlotSpeed, &value), 1);
    EXPECT_EQ(value, 40);
    ASSERT_EQ(ReadDefaultInt(kSlotXKd, &value), 1);
    EXPECT_EQ(value, 41);
}

TEST_F(StartupBoardTest, StitchSettingsInTimeAreTaken) {
    ScriptedBoard board(0);
    ASSERT_FALSE(board.device.empty());
    SetSerialDevicePath(board.device);
    ASSERT_GE(OpenPort(), 0);

    EXPECT_EQ(RunStartupMerge(), kMergeFromBoard);
    EXPECT_EQ(stitchLen, 7);
    EXPECT_EQ(speed, 55);
    EXPECT_EQ(minimumSpeed, 3);
    EXPECT_EQ(stitchRep, 6);
    EXPECT_FLOAT_EQ(minSpeed, 5.0f);
    int value = 0;
    ASSERT_EQ(ReadDefaultInt(kSlotStitchRep, &value), 1);
    EXPECT_EQ(value, 6);
}

}  // namespace
