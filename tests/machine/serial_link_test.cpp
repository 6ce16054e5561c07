// The byte-level operations of the serial link against a plain pseudo-terminal
// on which the test plays the board.
#include <sys/resource.h>
#include <termios.h>
#include <unistd.h>

#include <fcntl.h>
#include <cstring>

#include "app/machine_startup.h"
#include "machine/machine_test.h"
#include "machine/mc1_commands.h"
#include "machine/stitching/run_flags.h"

namespace {

int64_t CpuMs() {
    struct rusage usage;
    getrusage(RUSAGE_SELF, &usage);
    return (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1000 +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1000;
}

struct SerialLinkTest : MachineTest {
    PtyLine line;
    void SetUp() override {
        MachineTest::SetUp();
        ASSERT_GE(Open(line.slavePath), 0);
    }
};

TEST_F(MachineTest, PortSelectorFollowsTheFirstCharacterOfTheFirstArgument) {
    const struct {
        const char* argument;
        int number;
        const char* path;
    } cases[] = {{nullptr, 1, "/dev/ttyUSB0"},     {"2", 2, "/dev/s3c2410_serial2"},
                 {"0", 0, "/dev/s3c2410_serial1"}, {"1x", 1, "/dev/ttyUSB0"},
                 {"x", 0, "/dev/s3c2410_serial1"}, {"", 0, "/dev/s3c2410_serial1"}};
    for (const auto& c : cases) {
        SelectSerialPort(c.argument);
        EXPECT_EQ(spNumber, c.number) << (c.argument ? c.argument : "null");
        EXPECT_EQ(SerialDevicePath(), c.path) << (c.argument ? c.argument : "null");
    }
    SetSerialDevicePath("/tmp/elsewhere");
    EXPECT_EQ(SerialDevicePath(), "/tmp/elsewhere");
}

TEST_F(MachineTest, WithoutADeviceEveryOperationAnswersNotOpenAtOnce) {
    ASSERT_NE(access("/dev/s3c2410_serial2", F_OK), 0) << "a board device is present";
    SelectSerialPort("2");
    const std::string log = Logged([] { EXPECT_LT(OpenPort(), 0); });
    EXPECT_LT(sp, 0);
    EXPECT_NE(log.find("Open Serial 2\nCould Not Open Port: -1\n"), std::string::npos) << log;
    SetSerialDevicePath("/nonexistent/mc1");
    testing::internal::CaptureStdout();
    EXPECT_EQ(InitThreads(), 0);
    EXPECT_EQ(shownMessages,
              (std::vector<std::string>{"UNABLE TO OPEN SERIAL PORT: /dev/s3c2410_serial2",
                                        "UNABLE TO OPEN SERIAL PORT: /nonexistent/mc1"}));

    Machine().needleUpConfirm = 1;
    Machine().needleUpTime = 2000;
    const int64_t took = ElapsedMs([] {
        unsigned char byte = 7;
        int32_t word = 7, values[8] = {};
        float version = 9.0f;
        char text[4];
        EXPECT_EQ(GetChar(500, &byte, 0), -1);
        EXPECT_EQ(GetInt(500, &word), -2);
        EXPECT_EQ(GetFloat(500, &version), -2);
        EXPECT_EQ(GetString(text, 500, '\n', 4), 0);
        EXPECT_EQ(WaitForData(2), -1);
        EXPECT_EQ(DoNothing(2000), -1);
        EXPECT_EQ(ClearPort(), 0);
        EXPECT_EQ(SendCommand(0x13), 0);
        EXPECT_EQ(SetXKp(5), 0);
        EXPECT_EQ(SetSlow(1.0f), 0);
        EXPECT_EQ(AllStop(), 0);
        EXPECT_EQ(Halt(), 0);
        EXPECT_EQ(GetConstants(values), 2);
        int32_t x = 5, y = 5;
        EXPECT_EQ(GetXY(&x, &y), -2);
        EXPECT_EQ(x, 0);
        EXPECT_EQ(y, 0);
        EXPECT_EQ(SendMove(1.0f, 2.0f, 3.0f), 0);
        EXPECT_EQ(CheckBuffer(&byte, &word), 1);
        EXPECT_EQ(GetErrors(&word), -2);
        EXPECT_EQ(word, 0);
        EXPECT_EQ(GetMotorVersion(&version), -1);
        EXPECT_EQ(GetStitcherVersion(&version), -1);
        EXPECT_EQ(GetMotorDirection(&byte), 2);
        EXPECT_EQ(ReverseMotorDirection(&byte), 2);
        EXPECT_EQ(StitchOn(), 0);
        EXPECT_EQ(robotIsStitching, 0);
        EXPECT_EQ(NeedleUp(), 1);
        EXPECT_EQ(PauseForNeedle(), -1);
        EXPECT_EQ(WaitForNeedle(), 0);
        byte = 9;
        EXPECT_EQ(GetStitcher(&byte), 255);
        EXPECT_EQ(byte, 9);
        EXPECT_EQ(GetStitchSettingsAtStartUp(), 2);
        EXPECT_EQ(GetSlowSetting(), 2);
    });
    testing::internal::GetCapturedStdout();
    EXPECT_LT(took, 1000) << "no operation waits for a line that is not open";
    EXPECT_EQ(shownMessages.size(), 2u) << "the missing device is reported once";
    EXPECT_EQ(Machine().stitchLen, 5);
    EXPECT_EQ(Machine().speed, 40);
    EXPECT_FLOAT_EQ(Machine().slow, 3.0f);
}

TEST_F(SerialLinkTest, OpeningSetsTheLineRawAt57600) {
    struct termios t;
    ASSERT_EQ(tcgetattr(sp, &t), 0);
    EXPECT_EQ(cfgetispeed(&t), static_cast<speed_t>(B57600));
    EXPECT_EQ(cfgetospeed(&t), static_cast<speed_t>(B57600));
    EXPECT_EQ(t.c_iflag, static_cast<tcflag_t>(IGNPAR));
    EXPECT_EQ(t.c_oflag, 0u);
    EXPECT_EQ(t.c_lflag, 0u);
    EXPECT_TRUE(t.c_cflag & CLOCAL);
    EXPECT_TRUE(t.c_cflag & CREAD);
    EXPECT_FALSE(t.c_cflag & (PARENB | PARODD | CSTOPB));
    EXPECT_EQ(t.c_cc[VMIN], 1);
    EXPECT_EQ(t.c_cc[VTIME], 5);
    EXPECT_TRUE(fcntl(sp, F_GETFL) & O_ASYNC);
    EXPECT_EQ(crc, 0);
    // Bytes pass both ways untranslated.
    const std::string raw = Bytes({0x0D, 0x0A, 0x11, 0x13, 0x00, 0xFF, 0x03});
    line.Send(raw);
    ASSERT_EQ(WaitForBytes(7, 1000), 7);
    for (int expected : {0x0D, 0x0A, 0x11, 0x13, 0x00, 0xFF, 0x03}) {
        unsigned char b = 0;
        ASSERT_EQ(GetChar(100, &b, 1), 0);
        EXPECT_EQ(b, expected);
    }
    EXPECT_EQ(WriteData(raw.data(), raw.size()), 7);
    EXPECT_EQ(line.Received(7), raw);
}

TEST_F(SerialLinkTest, GetCharTellsALoneZeroFromAFramingError) {
    unsigned char b = 0x55;
    line.Send(Bytes({0x00}));
    WaitForBytes(1, 500);
    EXPECT_EQ(GetChar(200, &b, 0), 0);
    EXPECT_EQ(b, 0);

    line.Send(Bytes({0x00, 0x41}));
    WaitForBytes(2, 500);
    EXPECT_EQ(Logged([&] { EXPECT_EQ(GetChar(200, &b, 0), -3); }),
              "Buffer[0] == 0x00. Next Byte: 0x41\n");
    EXPECT_EQ(BytesQueued(), 0) << "both bytes consumed";

    line.Send(Bytes({0x00, 0x41}));
    WaitForBytes(2, 500);
    EXPECT_EQ(GetChar(200, &b, 1), 0);
    EXPECT_EQ(b, 0);
    EXPECT_EQ(GetChar(200, &b, 1), 0);
    EXPECT_EQ(b, 0x41);
}

TEST_F(SerialLinkTest, ReadsEndAtTheirTimeOutOnASilentOrHungUpLineWithoutSpinning) {
    unsigned char b = 0;
    const int64_t cpuBefore = CpuMs();
    const int64_t took = ElapsedMs([&] { EXPECT_EQ(GetChar(400, &b, 0), -1); });
    EXPECT_GE(took, 390);
    EXPECT_LT(took, 1200);
    // Three bytes of an integer, then silence.
    line.Send(Bytes({1, 2, 3}));
    WaitForBytes(3, 500);
    int32_t value = 77;
    const int64_t tookInt = ElapsedMs([&] { EXPECT_EQ(GetInt(400, &value), -1); });
    EXPECT_GE(tookInt, 390);
    EXPECT_EQ(value, 0);
    EXPECT_EQ(BytesQueued(), 3) << "a short integer stays queued";
    float f = 2.5f;
    EXPECT_EQ(GetFloat(300, &f), -1);
    EXPECT_FLOAT_EQ(f, 2.5f) << "a float that times out is left as it was";
    // The board disappears: the line hangs up, and reads still end at their time-out.
    close(line.holdSlave);
    line.holdSlave = -1;
    close(line.master);
    line.master = -1;
    EXPECT_GE(ElapsedMs([&] { EXPECT_EQ(GetChar(300, &b, 0), -1); }), 290);
    EXPECT_EQ(SendMove(1, 2, 3), 3);
    EXPECT_LT(CpuMs() - cpuBefore, 400) << "waiting must sleep, not spin";
}

TEST_F(SerialLinkTest, GetStringCountsPastItsCapacityButStoresOnlyThat) {
    char buffer[12];
    std::memset(buffer, '#', sizeof buffer);
    line.Send("ABCDEFGHIJ\n");
    EXPECT_EQ(GetString(buffer, 500, '\n', 8), 10);
    EXPECT_EQ(std::string(buffer, 8), "ABCDEFGH");
    EXPECT_EQ(buffer[8], '#') << "nothing stored past the capacity, nothing appended";
    EXPECT_EQ(BytesQueued(), 0);

    // The time-out runs between bytes: a string sent in slow pieces arrives
    // whole, and a string that stops returns the count so far.
    ScriptedBoard board(line, {{0, "AB", 0}, {0, "CD", 150}, {0, "E", 150}});
    std::memset(buffer, 0, sizeof buffer);
    const int64_t took = ElapsedMs([&] { EXPECT_EQ(GetString(buffer, 250, '\n', 8), 5); });
    EXPECT_EQ(std::string(buffer), "ABCDE");
    EXPECT_GE(took, 500);
    board.Finish();
}

TEST_F(SerialLinkTest, WaitForDataClearPortAndDoNothing) {
    EXPECT_EQ(WaitForData(1), -2);
    line.Send("xyz");
    EXPECT_EQ(WaitForData(1), 0);
    WaitForBytes(3, 500);
    EXPECT_EQ(ClearPort(), 3);
    EXPECT_EQ(BytesQueued(), 0);
    EXPECT_EQ(ClearBuffer(), 0);
    const int64_t took = ElapsedMs([] { EXPECT_EQ(DoNothing(60), 0); });
    EXPECT_GE(took, 60);
    EXPECT_LT(took, 400);
}

TEST_F(SerialLinkTest, InitThreadsStopsTheBoardAndResetsTheCursor) {
    static int dummy;
    fpTemp = reinterpret_cast<FullPattern_t*>(&dummy);
    allStop = 2;
    EXPECT_EQ(InitThreads(), 0);
    EXPECT_GE(sp, 0);
    EXPECT_EQ(fpTemp, nullptr);
    EXPECT_EQ(line.Received(3), Bytes({0x13, 0x2D, 0x19}));
    ClearTimers();
    EXPECT_EQ(allStop, 0);
}

}  // namespace
