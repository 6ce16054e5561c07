// The machine link: the serial line, the MC1 command set and the stitcher byte
// for byte against a pseudo-terminal on which the test plays the board.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <termios.h>
#include <unistd.h>

#include <cstring>
#include <functional>

#include "app/machine_startup.h"
#include "base/timers.h"
#include "base/ui_hooks.h"
#include "machine/board_errors.h"
#include "machine/machine_parameters.h"
#include "machine/mc1_commands.h"
#include "machine/mc1_motion.h"
#include "machine/serial_link.h"
#include "machine/stitcher.h"
#include "machine/stitching/run_flags.h"
#include "support/captured_log.h"
#include "support/pty_line.h"

namespace {

std::vector<std::string> shownMessages;

// Captures the message windows; the line is closed and every flag and
// parameter back at its start value before and after each test.
struct MachineTest : ::testing::Test {
    static void Reset() {
        ClosePort();
        SetSerialDevicePath("");
        spNumber = 1;
        robotIsStitching = sendMoveActive = runCapture = 0;
        SetFactoryDefaults();
    }
    void SetUp() override {
        shownMessages.clear();
        UserInterfaceHooks hooks;
        hooks.showMessage = [](int, int, const char* text) {
            shownMessages.push_back(text ? text : "");
            return kResponseOk;
        };
        SetUserInterfaceHooks(hooks);
        Reset();
    }
    void TearDown() override {
        Reset();
        SetUserInterfaceHooks({});
    }
};

// The test plays the board on a plain pseudo-terminal; the program runs on the
// manual clock, so a read that waits for an answer that never comes times out
// after a short real moment.
struct LineTest : MachineTest {
    void SetUp() override {
        MachineTest::SetUp();
        SetSerialDevicePath(line.slavePath);
        ASSERT_GE(OpenPort(), 0);
        UseManualClock();
    }
    void TearDown() override {
        UseRealClock();
        MachineTest::TearDown();
    }
    void Queue(const std::string& bytes) {
        line.Send(bytes);
        ASSERT_GE(WaitForBytes(static_cast<int>(bytes.size()), 1000),
                  static_cast<int>(bytes.size()));
    }
    // What the host sent until the line went quiet.
    std::string Quiet() { return line.Received(0); }
    // Runs call against a board that plays steps; returns what the host sent.
    std::string Played(std::vector<BoardStep> steps, const std::function<void()>& call) {
        ScriptedBoard board(line, std::move(steps));
        call();
        return board.Finish();
    }
    PtyLine line;
};

template <typename F>
int64_t ElapsedMs(F&& call) {
    const int64_t start = MonotonicMs();
    call();
    return MonotonicMs() - start;
}

std::vector<int> StitchSettings() {
    return {Machine().stitchLen, Machine().speed, Machine().minimumSpeed, Machine().stitchRep};
}

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
}

TEST_F(MachineTest, WithoutADeviceEveryOperationAnswersNotOpenAtOnce) {
    ASSERT_NE(access("/dev/s3c2410_serial2", F_OK), 0) << "a board device is present";
    SelectSerialPort("2");
    Logged([] { EXPECT_LT(OpenPort(), 0); });
    EXPECT_LT(sp, 0);
    SetSerialDevicePath("/nonexistent/mc1");
    testing::internal::CaptureStdout();
    EXPECT_EQ(InitThreads(), 0);
    EXPECT_EQ(shownMessages,
              (std::vector<std::string>{"UNABLE TO OPEN SERIAL PORT: /dev/s3c2410_serial2",
                                        "UNABLE TO OPEN SERIAL PORT: /nonexistent/mc1"}));

    Machine().needleUpConfirm = 1, Machine().needleUpTime = 2000;
    const int64_t took = ElapsedMs([] {
        unsigned char byte = 7;
        int32_t word = 7, values[8] = {};
        float version = 9.0f;
        char text[4];
        EXPECT_EQ(
            (std::vector<int>{GetChar(500, &byte, 0), GetInt(500, &word), GetFloat(500, &version),
                              GetString(text, 500, '\n', 4), WaitForData(2), DoNothing(2000),
                              ClearPort(), SendCommand(0x13), SetXKp(5), SetSlow(1.0f), AllStop(),
                              Halt(), GetConstants(values)}),
            (std::vector<int>{-1, -2, -2, 0, -1, -1, 0, 0, 0, 0, 0, 0, 2}));
        int32_t x = 5, y = 5;
        EXPECT_EQ((std::vector<int>{GetXY(&x, &y), x, y, SendMove(1.0f, 2.0f, 3.0f),
                                    CheckBuffer(&byte, &word), GetErrors(&word), word}),
                  (std::vector<int>{-2, 0, 0, 0, 1, -2, 0}));
        EXPECT_EQ((std::vector<int>{GetMotorVersion(&version), GetStitcherVersion(&version),
                                    GetMotorDirection(&byte), ReverseMotorDirection(&byte)}),
                  (std::vector<int>{-1, -1, 2, 2}));
        byte = 9;
        EXPECT_EQ((std::vector<int>{StitchOn(), robotIsStitching, NeedleUp(), PauseForNeedle(),
                                    WaitForNeedle(), GetStitcher(&byte), byte,
                                    GetStitchSettingsAtStartUp(), GetSlowSetting()}),
                  (std::vector<int>{0, 0, 1, -1, 0, 255, 9, 2, 2}));
    });
    testing::internal::GetCapturedStdout();
    EXPECT_LT(took, 1000) << "no operation waits for a line that is not open";
    EXPECT_EQ(shownMessages.size(), 2u) << "the missing device is reported once";
    EXPECT_EQ(StitchSettings(), (std::vector<int>{5, 40, 2, 4}));
    EXPECT_FLOAT_EQ(Machine().slow, 3.0f);
}

TEST_F(LineTest, OpenedRawAt57600ALoneZeroIsNoFramingErrorWaitsClearsAndStartUpStopsTheBoard) {
    struct termios t;
    ASSERT_EQ(tcgetattr(sp, &t), 0);
    // Speeds, input, output and local modes, control flags, VMIN, VTIME, O_ASYNC, checksum.
    EXPECT_EQ((std::vector<long>{cfgetispeed(&t), cfgetospeed(&t), t.c_iflag, t.c_oflag, t.c_lflag,
                                 t.c_cflag & (CLOCAL | CREAD | PARENB | PARODD | CSTOPB),
                                 t.c_cc[VMIN], t.c_cc[VTIME], fcntl(sp, F_GETFL) & O_ASYNC, crc}),
              (std::vector<long>{B57600, B57600, IGNPAR, 0, 0, CLOCAL | CREAD, 1, 5, O_ASYNC, 0}));
    unsigned char b = 0x55, c = 0x55;
    Queue(Bytes({0x00}));
    EXPECT_EQ(std::pair(GetChar(200, &b, 0), b), std::pair(0, uint8_t{0}));
    Queue(Bytes({0x00, 0x41}));
    EXPECT_EQ(Logged([&] { EXPECT_EQ(GetChar(200, &b, 0), -3); }),
              "Buffer[0] == 0x00. Next Byte: 0x41\n");
    EXPECT_EQ(BytesQueued(), 0) << "both bytes consumed";
    Queue(Bytes({0x00, 0x41}));
    EXPECT_EQ(std::vector<int>({GetChar(200, &b, 1), b, GetChar(200, &c, 1), c}),
              std::vector<int>({0, 0, 0, 0x41}));
    EXPECT_EQ(WaitForData(1), -2);
    Queue("xyz");
    EXPECT_EQ(WaitForData(1), 0);
    EXPECT_EQ((std::vector<int>{ClearPort(), BytesQueued(), ClearBuffer()}),
              (std::vector<int>{3, 0, 0}));
    const int64_t took = ElapsedMs([] { EXPECT_EQ(DoNothing(60), 0); });
    EXPECT_TRUE(took >= 60 && took < 100) << took;
    // The start-up stops the board (15 ms between the three bytes) and resets the cursor.
    static int dummy;
    fpTemp = reinterpret_cast<FullPattern_t*>(&dummy);
    allStop = 2;
    EXPECT_GE(ElapsedMs([] { EXPECT_EQ(InitThreads(), 0); }), 30);
    EXPECT_TRUE(sp >= 0 && fpTemp == nullptr);
    EXPECT_EQ(line.Received(3), Bytes({0x13, 0x2D, 0x19}));
    ClearTimers();
    EXPECT_EQ(allStop, 0);
}

// A string read counts past its capacity but stores only that. Reads end at
// their time-out on a silent line, and on one the board hung up.
TEST_F(LineTest, GetStringIsBoundedAndReadsEndAtTheirTimeOutOnASilentOrHungUpLine) {
    char buffer[12];
    std::memset(buffer, '#', sizeof buffer);
    Queue("ABCDEFGHIJ\n");
    EXPECT_EQ(GetString(buffer, 500, '\n', 8), 10);
    EXPECT_EQ(std::string(buffer, 9), "ABCDEFGH#") << "nothing stored past the capacity";
    EXPECT_EQ(BytesQueued(), 0);
    unsigned char b = 0;
    EXPECT_GE(ElapsedMs([&] { EXPECT_EQ(GetChar(400, &b, 0), -1); }), 400);
    Queue(Bytes({1, 2, 3}));  // three bytes of an integer, then silence
    int32_t value = 77;
    EXPECT_EQ(GetInt(400, &value), -1);
    EXPECT_EQ(std::pair(value, BytesQueued()), std::pair(0, 3)) << "a short integer stays queued";
    float f = 2.5f;
    EXPECT_EQ(GetFloat(300, &f), -1);
    EXPECT_FLOAT_EQ(f, 2.5f) << "a float that times out is left as it was";
    close(line.holdSlave);
    line.holdSlave = -1;
    close(line.master);
    line.master = -1;
    EXPECT_GE(ElapsedMs([&] { EXPECT_EQ(GetChar(300, &b, 0), -1); }), 300);
    EXPECT_EQ(SendMove(1, 2, 3), 3);
}

// The setters' and one-byte commands' codes reach the simulated board, which
// decodes them on its own, in the setup screen and motor tests.
using WireTest = LineTest;

TEST_F(WireTest, ConstantsComeInReplyOrderAfterStaleInputIsDropped) {
    Queue(LE32(999));  // left over from an earlier exchange
    std::string reply;
    for (int v : {31, 9, 32, 10, 41, 101, 102, 42})
        reply += LE32(v);
    int32_t values[kConstantCount] = {};
    EXPECT_EQ(Played({{8, reply}}, [&] { EXPECT_EQ(GetConstants(values), 0); }),
              Bytes({0x0B, 0x0C, 0x24, 0x25, 0x26, 0x27, 0x28, 0x29}));
    ApplyConstants(values);
    EXPECT_EQ((std::vector<int32_t>{Machine().XKp, Machine().XKi, Machine().YKp, Machine().YKi,
                                    Machine().YKd, Machine().Err, Machine().TOut, Machine().XKd}),
              (std::vector<int32_t>{31, 9, 32, 10, 41, 101, 102, 42}));
    EXPECT_TRUE(shownMessages.empty());
    // A short answer keeps what came and shows nothing; no answer is shown.
    Played({{8, LE32(7) + LE32(8) + Bytes({1, 2})}}, [&] { EXPECT_EQ(GetConstants(values), 1); });
    EXPECT_EQ(std::vector<int32_t>(values, values + 3), (std::vector<int32_t>{7, 8, 0}));
    EXPECT_TRUE(shownMessages.empty());
    EXPECT_EQ(GetConstants(values), 1);
    EXPECT_EQ(shownMessages,
              std::vector<std::string>{"COULD NOT RETRIEVE VALUES.\nCOMMUNICATIONS TIMED OUT."});
}

TEST_F(WireTest, MoveFramesAndTheirAnswers) {
    EXPECT_EQ(Played({{17, Bytes({0x0B})}}, [] { EXPECT_EQ(SendMove(1.5f, 2.25f, 0.5f), 0); }),
              Bytes({0x21}) + LE32(150) + LE32(225) + LE32(500) + LE32(875));
    EXPECT_EQ(crc, 875);
    // Negative fields add as two's complement; fields truncate toward zero.
    unsigned char frame[17];
    EXPECT_EQ(BuildMoveFrame(-1.009f, 0.0f, 0.0029f, frame), -100 + 0 + 2);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(frame), 17),
              Bytes({0x21}) + LE32(-100) + LE32(0) + LE32(2) + LE32(-98));
    // The checksum wraps around in 32 bits.
    EXPECT_EQ(BuildMoveFrame(20000000.0f, 20000000.0f, 1.0f, frame),
              static_cast<int32_t>(uint32_t{2000000000u} * 2u + 1000u));
    // Values beyond the field range saturate instead of overflowing.
    BuildMoveFrame(1e30f, -1e30f, 0.0f, frame);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(frame) + 1, 8),
              LE32(INT32_MAX) + LE32(INT32_MIN));

    Played({{17, Bytes({0x0C})}}, [] { EXPECT_EQ(SendMove(1, 2, 3), 1); });
    Played({{17, Bytes({0x42, 0x01, 0x02, 0x03})}}, [] {
        Logged([] { EXPECT_EQ(SendMove(1, 2, 3), 2); });
        EXPECT_EQ(BytesQueued(), 0) << "the rest of a wrong answer is cleared";
    });
    Logged([] { EXPECT_EQ(SendMove(1, 2, 3), 3); });
    EXPECT_EQ(sendMoveActive, 0);
}

TEST_F(WireTest, BufferStatusAndTheErrorWord) {
    unsigned char status = 0;
    int32_t word = 123;
    EXPECT_EQ(Played({{1, Bytes({57})}}, [&] { EXPECT_EQ(CheckBuffer(&status, &word), 0); }),
              Bytes({0x22}));
    EXPECT_EQ((std::pair<int, int>(status, word)), std::pair(57, 123));
    // After an error status (0xFE) the word follows; firmware 1.26 sends a
    // stale one and is asked again with 0x34; a version request without
    // answer counts as new firmware, a short answer as old.
    const struct Case {
        std::vector<BoardStep> board;
        int32_t word;
        std::string sent;
    } cases[] = {
        {{{1, Bytes({0xFE}) + LE32(5)}, {1, LEFloat(1.30f)}}, 5, Bytes({0x22, 0x3C})},
        {{{1, Bytes({0xFE})}}, -1, Bytes({0x22, 0x3C})},
        {{{1, Bytes({0xFE}) + LE32(1)}, {1, LEFloat(1.26f)}, {1, LE32(6)}},
         6,
         Bytes({0x22, 0x3C, 0x34})},
        {{{1, Bytes({0xFE}) + LE32(2)}, {1, Bytes({0x66, 0x66})}, {1, LE32(4)}},
         4,
         Bytes({0x22, 0x3C, 0x34})},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(
            Played(c.board, [&] { Logged([&] { EXPECT_EQ(CheckBuffer(&status, &word), 4); }); }),
            c.sent)
            << c.word;
        EXPECT_EQ((std::pair<int, int>(status, word)), std::pair(0xFE, c.word));
    }

    status = 42;
    EXPECT_EQ(Logged([&] { EXPECT_EQ(CheckBuffer(&status, &word), 2); }),
              "ERROR: Get Buffer Length Timed Out\n");
    EXPECT_EQ(status, 42);
    line.Received(1);
    Played({{1, Bytes({0x00, 0x63})}}, [&] {
        EXPECT_EQ(Logged([&] { EXPECT_EQ(CheckBuffer(&status, &word), 2); }),
                  "Buffer[0] == 0x00. Next Byte: 0x63\n"
                  "ERROR: Framing Error Detected While Getting Buffer Length\n");
    });
    // The error request drops stale input first.
    Queue(Bytes({0xAA}));
    EXPECT_EQ(Played({{1, LE32(7)}}, [&] { EXPECT_EQ(GetErrors(&word), 0); }), Bytes({0x34}));
    EXPECT_EQ(word, 7);
    EXPECT_EQ((std::vector<int>{GetErrors(&word), word}), (std::vector<int>{-1, 0}));
}

// A position is x then y; a steady one is two readings in a row that agree
// within 5 thousandths.
TEST_F(WireTest, PositionsAndSteadyPositions) {
    Queue(Bytes({0x01, 0x02}));
    int32_t x = 0, y = 5;
    EXPECT_EQ(Played({{1, LE32(-1500) + LE32(2250)}}, [&] { EXPECT_EQ(GetXY(&x, &y), 0); }),
              Bytes({0x0F}));
    EXPECT_EQ(std::vector<int32_t>({x, y}), std::vector<int32_t>({-1500, 2250}));
    Played({{1, LE32(10)}}, [&] {
        EXPECT_EQ(GetXY(&x, &y), -1);
        EXPECT_FALSE(GetCurrentLocation().has_value());
    });
    EXPECT_EQ(y, 0);
    Played({{1, LE32(7) + LE32(1 << 20)}, {1, LE32(100) + LE32(200)}, {1, LE32(105) + LE32(195)}},
           [&] { EXPECT_EQ(GetSteadyXY(&x, &y), 0); });
    EXPECT_EQ(std::vector<int32_t>({x, y}), std::vector<int32_t>({105, 195}));
    Played({{1, LE32(100) + LE32(200)}, {1, LE32(100) + LE32(206)}, {1, LE32(-100) + LE32(206)}},
           [&] { EXPECT_EQ(GetSteadyXY(&x, &y), -1); });
    EXPECT_EQ(std::vector<int32_t>({x, y}), std::vector<int32_t>({0, 0}));
    // The nesting timer reads the head only while capture runs.
    runCapture = 1;
    machineCurrent = {};
    Played({{1, LE32(300) + LE32(-40)}}, [] { EXPECT_EQ(SetMachineCurrent(), 1); });
    EXPECT_EQ(std::pair(machineCurrent.x, machineCurrent.y), std::pair(300, -40));
    runCapture = 0;
    EXPECT_EQ(SetMachineCurrent(), 0);
    EXPECT_EQ(Quiet(), "");
}

// Bytes left on the line by an answer that came too late are dropped first.
TEST_F(WireTest, StitchAndSlowSettings) {
    Queue(Bytes({0x99}));
    EXPECT_EQ(
        Played({{1, Bytes({7, 45, 0, 250})}}, [] { EXPECT_EQ(GetStitchSettingsAtStartUp(), 0); }),
        Bytes({0x0E}));
    EXPECT_EQ(StitchSettings(), (std::vector<int>{7, 45, 0, 250})) << "0 is a valid setting";
    EXPECT_LT(ElapsedMs([] { EXPECT_EQ(GetStitchSettingsAtStartUp(), 1); }), 500);
    EXPECT_EQ(StitchSettings(), (std::vector<int>{5, 40, 2, 4}));
    line.Received(1);
    Queue(Bytes({0x99}));
    Played({{1, Bytes({3, 20, 1, 2})}}, [] { EXPECT_EQ(GetStitchSettingsForSetup(), 0); });
    EXPECT_EQ(StitchSettings(), (std::vector<int>{3, 20, 1, 2}));
    Logged([] { EXPECT_EQ(GetStitchSettingsForSetup(), 1); });
    EXPECT_EQ(StitchSettings(), (std::vector<int>{10, 50, 3, 2}));
    line.Received(1);
    Queue(Bytes({0x99}));
    EXPECT_EQ(Played({{1, LEFloat(2.5f)}}, [] { Logged([] { EXPECT_EQ(GetSlowSetting(), 0); }); }),
              Bytes({0x42}));
    EXPECT_FLOAT_EQ(Machine().slow, 2.5f);
    Logged([] { EXPECT_EQ(GetSlowSetting(), 1); });
    EXPECT_FLOAT_EQ(Machine().slow, 3.0f);
}

TEST(MachineParameters, ErrorWordsDerivedSpeedsAndAnUnknownStitcherMethod) {
    const std::pair<int, const char*> words[] = {
        {-1, "MOTOR CONTROLLER HAS AN ERROR.\nUNABLE TO RETRIEVE"},
        {0, "MOTOR CONTROLLER HAD AN ERROR\nBUT IT HAS BEEN CLEARED"},
        {1, "X MOTOR FAILURE"},
        {7, "X MOTOR FAILURE\nY MOTOR FAILURE\nSTITCH CONTROLLER GENERATED AN ERROR"},
        {-7, "MOTOR CONTROLLER HAS UNKNOWN ERROR\n-7"}};
    for (auto [word, text] : words)
        EXPECT_EQ(ErrorWordMessage(word), text);
    Machine().speed = 77;
    Machine().minimumSpeed = 3;
    ComputeDerivedSpeeds();
    EXPECT_EQ(std::pair(Machine().maxSpeed, Machine().minSpeed), std::pair(77.0f, 5.0f));
    Machine().needleUpMethod = 13;
    EXPECT_EQ(CurrentStitcherMethod(), 0);
    SetFactoryDefaults();
    EXPECT_FLOAT_EQ(Machine().minSpeed, 2.0f * 10.0f / 6.0f);
}

// On the manual clock: the presses and waits pass at once, as measured.
using StitcherTest = LineTest;

// Per machine type: the bytes of stitching on (twice), off (twice) and needle
// up, and the least time each takes (presses and waits).
TEST_F(StitcherTest, EachMachineTypeSendsItsButtonsOnceForEachChange) {
    const std::string kRegulator = Bytes({0x48, 1, 0x48, 0}),
                      kCommand = Bytes({0x4A, 1, 0x48, 1, 0x48, 0, 0x4A, 0});
    const struct Case {
        int method;
        std::string on, off, needle;
        int onMs, offMs;
    } cases[] = {
        {0, Bytes({0x1D}), Bytes({0x1E}), Bytes({0x31}), 0, 0},
        {5, kRegulator, kRegulator, Bytes({0x49, 1, 0x49, 0}), 440, 40},
        {1, kCommand, kCommand, Bytes({0x4A, 1, 0x49, 1, 0x49, 0, 0x4A, 0}), 80, 20},
        {12, Bytes({0x48, 1}), Bytes({0x48, 0}), "", 0, 50},
    };
    for (const Case& c : cases) {
        MachineParameters& m = Machine();
        m.needleUpMethod = c.method, m.needleUpConfirm = 0, m.needleUpPress = 10;
        m.stitchRegPress = 40, m.stitchRegTime = 400, m.needleUpTime = 50;
        testing::internal::CaptureStdout();
        EXPECT_GE(ElapsedMs([] { EXPECT_EQ(StitchOn(), 1); }), c.onMs) << c.method;
        EXPECT_EQ((std::vector<int>{StitchOn(), robotIsStitching}), (std::vector<int>{1, 1}))
            << "already on: nothing more";
        EXPECT_EQ(Quiet(), c.on) << c.method;
        const int64_t off = ElapsedMs([] { EXPECT_EQ(StitchOff(), 1); });
        EXPECT_GE(off, c.offMs) << c.method;
        EXPECT_LT(off, 300) << "no wait after the stitching-off press";
        EXPECT_EQ((std::vector<int>{StitchOff(), robotIsStitching}), (std::vector<int>{1, 0}));
        EXPECT_EQ(Quiet(), c.off) << c.method;
        if (c.method == 0) line.Send(Bytes({0xFA}));
        EXPECT_EQ(NeedleUp(), 1);
        EXPECT_EQ(Quiet(), c.needle) << c.method;
        testing::internal::GetCapturedStdout();
    }
}

TEST_F(StitcherTest, NeedleCheckWantsToSeeTheNeedleMoveThenArrive) {
    MachineParameters& m = Machine();
    m.needleUpMethod = 3, m.needleUpConfirm = 1, m.needleUpTime = 1500, m.needleUpPress = 20;
    std::string log;
    // The needle-up press and its release, then the sensor's readings.
    const std::string sent = Played(
        {{2, ""}, {2, ""}, {1, Bytes({1})}, {1, Bytes({0})}, {1, Bytes({0})}, {1, Bytes({1})}},
        [&] { log = Logged([&] { EXPECT_EQ(NeedleUp(), 1); }); });
    EXPECT_NE(log.find("Needle Up\nPFN\nPFN Needle Up Received: 0x1 after "), std::string::npos)
        << log;
    // A reply that comes late on a loaded machine is asked for again, so only
    // the press, the release and at least one poll per reply are fixed.
    EXPECT_EQ(sent.substr(0, 4), Bytes({0x49, 1, 0x49, 0}));
    EXPECT_GE(sent.size(), 8u);
    EXPECT_EQ(sent.find_first_not_of('\x4B', 4), std::string::npos) << "only status polls follow";
    // A sensor that reads 1 throughout never confirms.
    m.needleUpTime = 300;
    ScriptedBoard board(line, std::vector<BoardStep>(100, BoardStep{1, Bytes({1})}));
    int64_t took = 0;
    Logged([&] { took = ElapsedMs([] { EXPECT_EQ(PauseForNeedle(), 0); }); });
    EXPECT_TRUE(took >= 300 && took < 1500) << took;

    // Without confirmation the check only waits; during a move exchange it
    // leaves the sensor alone.
    m.needleUpConfirm = 0, m.needleUpTime = 40;
    int64_t waited = 0;
    Logged([&] { waited = ElapsedMs([] { EXPECT_EQ(PauseForNeedle(), 1); }); });
    EXPECT_GE(waited, 40);
    m.needleUpConfirm = 1, sendMoveActive = 1;
    Logged([] { EXPECT_EQ(PauseForNeedle(), 0); });
    EXPECT_EQ(Quiet(), "");
}

TEST_F(StitcherTest, StitcherCheckByMachineType) {
    unsigned char status = 0;
    Queue(Bytes({5}));  // the stitch length of a late settings answer
    EXPECT_EQ(Played({{1, Bytes({0x21})}}, [&] { EXPECT_EQ(GetStitcher(&status), 0); }),
              Bytes({0x3E}));
    EXPECT_EQ(status, kStitcherNotInRobotMode);
    Machine().needleUpMethod = 7, status = 0;
    EXPECT_EQ((std::vector<int>{GetStitcher(&status), status}),
              (std::vector<int>{0, kStitcherReady}));
    EXPECT_EQ(Quiet(), "") << "button machines are not asked";

    Machine().needleUpMethod = 1, Machine().needleUpConfirm = 0, status = 0x55;
    EXPECT_EQ((std::vector<int>{GetStitcher(&status), status}), (std::vector<int>{0, 0x55}))
        << "the caller's preset stays";
    EXPECT_EQ(Quiet(), "");

    // Corvane Solo with a needle found down: it is raised before the run.
    MachineParameters& m = Machine();
    m.needleUpMethod = 2, m.needleUpConfirm = 1, m.needleUpPress = 10, m.needleUpTime = 400;
    std::string log;
    EXPECT_EQ(Played({{1, Bytes({0})}, {4, ""}, {1, Bytes({0})}, {1, Bytes({1})}},
                     [&] { log = Logged([&] { EXPECT_EQ(GetStitcher(&status), 0); }); }),
              Bytes({0x4B, 0x49, 1, 0x49, 0, 0x4B, 0x4B}));
    EXPECT_EQ(log.rfind("Needle Down!\nNeedle Up\nPFN\nPFN Needle Up Received", 0), 0u) << log;
    EXPECT_EQ(status, kStitcherReady);

    // A Twin in robot mode: the needle stays up whatever is pressed.
    m.needleUpMethod = 1, m.needleUpTime = 200;
    Played(std::vector<BoardStep>(100, BoardStep{1, Bytes({1})}),
           [&] { log = Logged([&] { EXPECT_EQ(GetStitcher(&status), 0); }); });
    EXPECT_NE(log.find("Test Needle Up passed timeout"), std::string::npos) << log;
    EXPECT_EQ(status, kStitcherReady);
    line.Received(0);
    ClearPort();

    // A Twin found with the needle up, then down at the first poll: the
    // needle-up button is pressed; when the needle then reads up, the buttons
    // worked without the robot taking them.
    Played({{1, Bytes({1})}, {1, Bytes({0})}, {4, ""}, {1, Bytes({1})}},
           [&] { log = Logged([&] { EXPECT_EQ(GetStitcher(&status), 0); }); });
    EXPECT_NE(log.find("Needle Up sent because the needle was down\n"
                       "Warning: the stitcher is not in robot mode\n"),
              std::string::npos)
        << log;
    EXPECT_EQ(status, kStitcherNotInRobotMode);
}

}  // namespace
