// Exact wire bytes and result codes of the MC1 command set.
#include "machine/board_errors.h"
#include "machine/machine_test.h"
#include "machine/mc1_commands.h"

namespace {

using WireTest = LineTest;

std::vector<int> StitchSettings() {
    return {Machine().stitchLen, Machine().speed, Machine().minimumSpeed, Machine().stitchRep};
}

TEST_F(WireTest, SettersAndOneByteCommandsSendTheirCodesAndAllStopThree) {
    int (*const setters[])(int32_t) = {SetXKp,      SetXKi,        SetXKd,    SetYKp,
                                       SetYKi,      SetYKd,        SetMaxErr, SetTOut,
                                       SetStitches, SetLockStitch, SetSpeed,  SetMinimumSpeed};
    const std::string setterCodes = Bytes({1, 2, 3, 4, 5, 6, 8, 9, 0x35, 0x36, 0x37, 0x39});
    for (size_t i = 0; i < setterCodes.size(); i++) {
        EXPECT_EQ(setters[i](-2), 1);
        EXPECT_EQ(line.Received(5), setterCodes.substr(i, 1) + LE32(-2)) << i;
    }
    EXPECT_EQ(SetSpeed(300), 1);
    EXPECT_EQ(line.Received(5), Bytes({0x37, 0x2C, 0x01, 0, 0}));
    EXPECT_EQ(SetSlow(5.0f), 1);
    EXPECT_EQ(line.Received(5), Bytes({0x44}) + LEFloat(5.0f));

    int (*const commands[])() = {DisableX,
                                 EnableX,
                                 DisableY,
                                 EnableY,
                                 Resume,
                                 SetHome,
                                 Halt,
                                 ClearMCBuffer,
                                 SetExtents,
                                 ClearExtents,
                                 SendEndOfRunSignal,
                                 SendStartSignal,
                                 SendSetupScreenSignal};
    const std::string codes =
        Bytes({0x15, 0x16, 0x17, 0x18, 0x19, 0x1A, 0x2C, 0x2D, 0x2E, 0x2F, 0x30, 0x3F, 0x46});
    for (size_t i = 0; i < codes.size(); i++) {
        EXPECT_EQ(commands[i](), 1);
        EXPECT_EQ(line.Received(1), codes.substr(i, 1)) << i;
    }
    EXPECT_GE(ElapsedMs([] { EXPECT_EQ(AllStop(), 1); }), 30) << "15 ms between the three bytes";
    EXPECT_EQ(line.Received(3), Bytes({0x13, 0x2D, 0x19}));
}

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
        EXPECT_EQ(Logged([] { EXPECT_EQ(SendMove(1, 2, 3), 2); }),
                  "ERROR: CRC Response = 66\n3 bytes cleared from the buffer\n");
        EXPECT_EQ(BytesQueued(), 0);
    });
    EXPECT_EQ(Logged([] { EXPECT_EQ(SendMove(1, 2, 3), 3); }),
              "ERROR: Could not retrieve CRC Response\n");
    EXPECT_EQ(sendMoveActive, 0);
}

TEST_F(WireTest, BufferStatusAndTheErrorWord) {
    unsigned char status = 0;
    int32_t word = 123;
    EXPECT_EQ(Played({{1, Bytes({57})}}, [&] { EXPECT_EQ(CheckBuffer(&status, &word), 0); }),
              Bytes({0x22}));
    EXPECT_EQ(status, 57);
    EXPECT_EQ(word, 123);
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
        std::string log;
        EXPECT_EQ(Played(c.board,
                         [&] { log = Logged([&] { EXPECT_EQ(CheckBuffer(&status, &word), 4); }); }),
                  c.sent)
            << c.word;
        EXPECT_EQ(status, 0xFE);
        EXPECT_EQ(word, c.word);
        EXPECT_EQ(log.find("Get Errors\n") != std::string::npos, c.sent.size() == 3) << log;
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
    EXPECT_EQ(GetErrors(&word), -1);
    EXPECT_EQ(word, 0);
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
    EXPECT_EQ(machineCurrent.x, 300);
    EXPECT_EQ(machineCurrent.y, -40);
    runCapture = 0;
    EXPECT_EQ(SetMachineCurrent(), 0);
    EXPECT_EQ(Quiet(), "");
}

TEST_F(WireTest, StitchAndSlowSettings) {
    EXPECT_EQ(
        Played({{1, Bytes({7, 45, 0, 250})}}, [] { EXPECT_EQ(GetStitchSettingsAtStartUp(), 0); }),
        Bytes({0x0E}));
    EXPECT_EQ(StitchSettings(), (std::vector<int>{7, 45, 0, 250})) << "0 is a valid setting";
    EXPECT_LT(ElapsedMs([] { EXPECT_EQ(GetStitchSettingsAtStartUp(), 1); }), 500);
    EXPECT_EQ(StitchSettings(), (std::vector<int>{5, 40, 2, 4}));
    line.Received(1);
    Queue(Bytes({0x99}));
    Played({{1, Bytes({3, 20, 1, 2})}}, [] {
        EXPECT_EQ(Logged([] { EXPECT_EQ(GetStitchSettingsForSetup(), 0); }), "buffcnt: 4\n");
    });
    EXPECT_EQ(StitchSettings(), (std::vector<int>{3, 20, 1, 2}));
    EXPECT_EQ(Logged([] { EXPECT_EQ(GetStitchSettingsForSetup(), 1); }),
              "buffcnt: 0\nData Timed Out\n");
    EXPECT_EQ(StitchSettings(), (std::vector<int>{10, 50, 3, 2}));
    line.Received(1);
    EXPECT_EQ(
        Played({{1, LEFloat(2.5f)}},
               [] { EXPECT_EQ(Logged([] { EXPECT_EQ(GetSlowSetting(), 0); }), "SLOW = 2.500\n"); }),
        Bytes({0x42}));
    EXPECT_FLOAT_EQ(Machine().slow, 2.5f);
    EXPECT_EQ(Logged([] { EXPECT_EQ(GetSlowSetting(), 1); }), "SLOW timed out\n");
    EXPECT_FLOAT_EQ(Machine().slow, 3.0f);
}

TEST_F(WireTest, VersionsAndMotorDirection) {
    const struct Case {
        int (*get)(float*);
        int method;
        std::vector<BoardStep> board;
        int result;
        float version;  // from 4.0
        std::string sent;
    } cases[] = {
        {GetMotorVersion, 0, {{1, LEFloat(1.3f)}}, 0, 1.3f, Bytes({0x3C})},
        {GetMotorVersion, 0, {}, -2, 4.0f, Bytes({0x3C})},
        {GetMotorVersion, 0, {{1, Bytes({0x01, 0x02})}}, -3, 0.0f, Bytes({0x3C})},
        {GetStitcherVersion, 0, {{1, LEFloat(2.0f)}}, 0, 2.0f, Bytes({0x3D})},
        {GetStitcherVersion, 4, {}, 0, 0.0f, ""},  // button machines are not asked
    };
    for (const Case& c : cases) {
        Machine().needleUpMethod = c.method;
        Queue(Bytes({0x01}));  // stale input, dropped before asking
        float version = 4.0f;
        EXPECT_EQ(Played(c.board, [&] { EXPECT_EQ(c.get(&version), c.result); }), c.sent);
        EXPECT_FLOAT_EQ(version, c.version) << c.sent.size() << c.method;
        ClearPort();
    }
    unsigned char direction = 0;
    EXPECT_EQ(
        Played({{1, Bytes({0xC8})}}, [&] { EXPECT_EQ(ReverseMotorDirection(&direction), 0); }),
        Bytes({0x41, 0x38}));
    EXPECT_EQ(direction, kMotorReversed);
    EXPECT_EQ(Logged([&] { EXPECT_EQ(GetMotorDirection(&direction), 2); }),
              "ERROR: Get Motor Direction Timed Out\n");
}

TEST(MachineParameters, ErrorWordsDerivedSpeedsAndAnUnknownStitcherMethod) {
    const std::pair<int, const char*> words[] = {
        {-1, "MOTOR CONTROLLER HAS AN ERROR.\nUNABLE TO RETRIEVE"},
        {0, "MOTOR CONTROLLER HAD AN ERROR\nBUT IT HAS BEEN CLEARED"},
        {1, "X MOTOR FAILURE"},
        {2, "THE STITCH CONTROLLER IS NOT PRESENT, OR IT HAS GENERATED AN ERROR"},
        {5, "X MOTOR FAILURE\nY MOTOR FAILURE"},
        {7, "X MOTOR FAILURE\nY MOTOR FAILURE\nSTITCH CONTROLLER GENERATED AN ERROR"},
        {8, "MOTOR CONTROLLER HAS UNKNOWN ERROR\n8"},
        {-7, "MOTOR CONTROLLER HAS UNKNOWN ERROR\n-7"}};
    for (auto [word, text] : words)
        EXPECT_EQ(ErrorWordMessage(word), text);
    Machine().speed = 77;
    Machine().minimumSpeed = 3;
    ComputeDerivedSpeeds();
    EXPECT_FLOAT_EQ(Machine().maxSpeed, 77.0f);
    EXPECT_FLOAT_EQ(Machine().minSpeed, 5.0f);
    Machine().needleUpMethod = 13;
    EXPECT_EQ(CurrentStitcherMethod(), 0);
    SetFactoryDefaults();
    EXPECT_FLOAT_EQ(Machine().minSpeed, 2.0f * 10.0f / 6.0f);
}

}  // namespace
