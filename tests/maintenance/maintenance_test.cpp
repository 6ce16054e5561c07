// Maintenance: checksums, the file manager, the firmware upload and the program
// and system updates, on a program folder with a stand-in stick and card.
#include <archive.h>
#include <archive_entry.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <deque>
#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "base/system_paths.h"
#include "base/timers.h"
#include "base/ui_hooks.h"
#include "base/usb_drive.h"
#include "machine/firmware_upload.h"
#include "machine/hex_image.h"
#include "machine/serial_link.h"
#include "maintenance/checksum_file.h"
#include "maintenance/crc32.h"
#include "maintenance/file_manager.h"
#include "maintenance/file_operations.h"
#include "maintenance/firmware_update.h"
#include "maintenance/program_update.h"
#include "maintenance/system_update.h"
#include "support/captured_log.h"
#include "support/hex_records.h"
#include "support/pty_line.h"
#include "support/run_program.h"
#include "support/temp_dir.h"

// While it lives, answers message windows from `answers` (when empty: Yes to
// a Yes/No question, OK to everything else) and records every text shown.
struct MessageScript {
    MessageScript() {
        current = this;
        UserInterfaceHooks hooks;
        hooks.showMessage = [](int, int buttons, const char* text) {
            current->shown.push_back(text);
            if (current->answers.empty())
                return buttons == kButtonsYesNo ? kResponseYes : kResponseOk;
            const int answer = current->answers.front();
            current->answers.pop_front();
            return answer;
        };
        SetUserInterfaceHooks(hooks);
    }
    ~MessageScript() { SetUserInterfaceHooks({}); }
    std::string Last() const { return shown.empty() ? std::string() : shown.back(); }
    std::deque<int> answers;
    std::vector<std::string> shown;
    static inline MessageScript* current = nullptr;
};

inline void Put(const std::string& path, const std::string& text) {
    const std::filesystem::path parent = std::filesystem::path(path).parent_path();
    if (!parent.empty()) std::filesystem::create_directories(parent);
    ASSERT_TRUE(WriteFileText(path, text)) << path;
}

inline bool Present(const std::string& path) {
    struct stat st {};
    return lstat(path.c_str(), &st) == 0;
}

struct ProgramFolderTest : ::testing::Test {
    void SetUp() override {
        char here[PATH_MAX];
        ASSERT_NE(getcwd(here, sizeof here), nullptr);
        oldFolder = here;
        ASSERT_EQ(chdir(dir.path.c_str()), 0);
        ASSERT_EQ(SetSystemRoot(root.path.c_str()), 1);
        Put(Stick("readme.txt"), "stick\n");
        std::filesystem::create_directories(root.File("media/mmc0/Keswin"));
        std::filesystem::create_directories(dir.File("thumbnails"));
    }
    void TearDown() override {
        SetSystemRoot(nullptr);
        ASSERT_EQ(chdir(oldFolder.c_str()), 0);
    }
    std::string Stick(const std::string& name) const { return root.File("media/usb/" + name); }

    TempDir dir, root;
    MessageScript messages;
    std::string oldFolder;
};

namespace {

uint32_t Crc(const std::string& text) {
    return FullCRC(reinterpret_cast<const unsigned char*>(text.data()), text.size());
}

TEST(Crc32, KnownValuesFoldsFilesAndChecksumFilesOnlyTheMatchingFilePasses) {
    const std::pair<std::string, uint32_t> cases[] = {
        {"", 0x00000000},
        {"123456789", 0xCBF43926},
        {std::string(1, '\0'), 0xD202EF8D},
    };
    for (const auto& [text, crc] : cases)
        EXPECT_EQ(Crc(text), crc) << text;

    std::mt19937 random(7);
    std::string data(30000, '\0');
    for (char& c : data)
        c = static_cast<char>(random());
    const auto* bytes = reinterpret_cast<const unsigned char*>(data.data()) + 1;  // unaligned
    for (size_t length : {0, 1, 7, 8, 9, 15, 16, 17, 63, 999})
        for (size_t split : {size_t{0}, length / 3})
            EXPECT_EQ(PartialCRC(PartialCRC(~0u, bytes, split), bytes + split, length - split),
                      PartialCRC8(PartialCRC8(~0u, bytes, split), bytes + split, length - split))
                << length << " split " << split;

    TempDir dir;
    ASSERT_TRUE(WriteFileText(dir.File("data"), data));
    ASSERT_TRUE(WriteFileText(dir.File("empty"), ""));
    uint32_t crc = 1;
    for (size_t chunk : {size_t{1}, size_t{7}, size_t{4096}, kFileCrcChunk}) {
        EXPECT_EQ(FileCRC(dir.File("data").c_str(), &crc, chunk), 1);
        EXPECT_EQ(crc, Crc(data)) << chunk;
    }
    uint32_t empty = 1, missing = 1;
    EXPECT_EQ((std::vector<int64_t>{FileCRC_Default(dir.File("empty").c_str(), &empty), empty,
                                    FileCRC(dir.File("missing").c_str(), &missing, 64), missing,
                                    FileCRC(dir.File("data").c_str(), &crc, 0)}),
              (std::vector<int64_t>{1, 0, 0, 0xFFFFFFFFu, 0}));

    EXPECT_EQ(ChecksumFilePath("plain"), "plain.crc");

    ChecksumRecord record;
    ASSERT_EQ(ParseChecksumText("-889275714 1 3.06 2.6.29.6\n", record), 1);
    EXPECT_EQ(std::tuple(record.crc, record.appCode, record.kernel),
              std::tuple(0xCAFEBABEu, 1, std::string("2.6.29.6")));
    EXPECT_FLOAT_EQ(record.version, 3.06f);
    EXPECT_EQ(FormatChecksumText(record), "-889275714 1 3.060 2.6.29.6\n");
    ASSERT_EQ(ParseChecksumText("3405691582 2 1.5", record), 1) << "unsigned form read too";
    EXPECT_EQ(std::pair(record.crc, record.kernel), std::pair(0xCAFEBABEu, std::string()));
    for (const std::string& bad : std::vector<std::string>{
             "", "12 1", "x 1 1.0", "12 1 nan", "99999999999 1 1.0", "12 one 1.0",
             "-2147483649 1 1.0", "1 1 1.0 " + std::string(128, 'k')}) {
        ChecksumRecord kept = record;
        EXPECT_EQ(ParseChecksumText(bad, kept), 0) << bad;
        EXPECT_EQ(kept.crc, record.crc) << "untouched on a refusal";
    }

    // The tool's checksum file for a firmware file passes the controller's check;
    // a changed file fails it.
    const std::string path = dir.File("prog.new.BIN"), hex = dir.File("mc1.v2.hex");
    ASSERT_TRUE(WriteFileText(path, "123456789"));
    ASSERT_EQ(WriteChecksumFile(path, 1, 3.06f, "2.6.29.6"), 1);
    EXPECT_EQ(ReadFileText(dir.File("prog.crc")), "-873187034 1 3.060 2.6.29.6\n");
    int app = -1;
    float version = -1;
    std::string kernel;
    Logged([&] { EXPECT_EQ(CheckCRC(path.c_str(), &app, &version, &kernel), 1); });
    EXPECT_EQ(std::tuple(app, version, kernel), std::tuple(1, 3.06f, std::string("2.6.29.6")));
    ASSERT_TRUE(WriteFileText(path, "123456780"));
    app = -1;
    Logged([&] { EXPECT_EQ(CheckCRC(path.c_str(), &app, &version, nullptr), 0); });
    EXPECT_EQ(app, -1);
    EXPECT_EQ(CheckCRC(dir.File("none.bin").c_str(), &app, &version, nullptr), 0);

    ASSERT_TRUE(WriteFileText(hex, "123456789"));
    ProgramResult run = RunProgram({LONGARM_TOOL_PATH, "crc", hex, "--version", "1.31"});
    EXPECT_EQ(run.out, dir.File("mc1.crc") + ": -873187034 2 1.310\n") << run.err;
}

size_t Entries(const char* folder) {
    return std::distance(std::filesystem::directory_iterator(folder), {});
}

TEST_F(ProgramFolderTest, AFailedCopyLeavesTheTargetWholeAFolderIsCopiedConverted) {
    Put("patterns/a.qcc", "keep me\n");
    Put(Stick("bad.dxf"), "0\nSECTION\n2\nENTITIES\n0\nCIRCLE\n10\n1\n20\n1\n40\n-5\n0\nENDSEC\n");
    Put(Stick("a.qcc"), "new\n");
    const std::string failed = "ERROR: FILE COULD NOT BE COPIED",
                      same = "SORRY.\nYOU MAY NOT COPY TO THE SAME DIRECTORY.";
    const struct {
        std::string source, target;
        int answer, result;
        std::string message;
    } cases[] = {
        {Stick("missing.qcc"), "patterns/a.qcc", kResponseOk, kCopyFailed, failed},
        {Stick("bad.dxf"), "patterns/a.dxf", kResponseOk, kCopyFailed, failed},
        {Stick("a.qcc"), "patterns/a.qcc", kResponseCancel, kCopyDeclined,
         "FILE EXISTS!\nOVERWRITE FILE?"},
        {"patterns/a.qcc", "patterns/a.qcc", kResponseOk, kCopySamePlace, same},
        {"./patterns/a.qcc", dir.File("patterns/a.qcc"), kResponseOk, kCopySamePlace, same},
    };
    for (const auto& c : cases) {
        messages.answers = {c.answer};
        EXPECT_EQ(CopyFile(c.source, c.target, 0), c.result) << c.source;
        EXPECT_EQ(messages.Last(), c.message) << c.source;
        EXPECT_EQ(ReadFileText("patterns/a.qcc"), "keep me\n") << c.source;
    }
    EXPECT_EQ(Entries("patterns"), 1u) << "no temporary file left";
    messages.answers = {kResponseOk};
    EXPECT_EQ(CopyChosen(Stick("a.qcc"), "patterns", kPlaceUsb, kPlaceInternal), 1);
    EXPECT_EQ(ReadFileText("patterns/a.qcc"), "new\n");
    EXPECT_EQ(messages.Last(), "FILE COPIED");

    EXPECT_EQ(CopyChosen("patterns/a.qcc", kNoDirectorySelected, kPlaceInternal, kPlaceInternal),
              0);
    EXPECT_EQ(messages.Last(), "NO DIRECTORY SELECTED");
    EXPECT_EQ(CopyChosen("patterns/a.qcc", "nowhere", kPlaceInternal, kPlaceInternal), 0);
    EXPECT_EQ(messages.Last(), "DIRECTORY NOT FOUND");
    EXPECT_EQ(CopyAllowedFrom(kPlacePreviews), 0);
    messages.shown.clear();
    Put(Stick("quilts/feather.dxf"),
        "0\nSECTION\n2\nENTITIES\n0\nLINE\n10\n0\n20\n0\n11\n2\n21\n1\n0\nENDSEC\n0\nEOF\n");
    Put(Stick("quilts/loops/loop.QLI"), "VP 0,0\nVP 1000,0\nVP 1000,1000\nEN\n");
    Put(Stick("quilts/star.qcc"), "p X0.000 Y0.000\np X1.000 Y1.000\n");
    Put(Stick("quilts/.hidden/x.qcc"), "p X0 Y0\n");
    ASSERT_EQ(symlink("/etc", Stick("quilts/etc").c_str()), 0);
    Put("patterns/quilts/star.qcc", "old star\n");
    Put("thumbnails/feather.png", "old picture");
    messages.answers = {kResponseOk, kResponseCancel};  // copy the folder; keep the old star
    EXPECT_EQ(CopyChosen(Stick("quilts"), "./patterns", kPlaceUsb, kPlaceInternal), 1);
    EXPECT_EQ(messages.shown,
              (std::vector<std::string>{"COPY THE ENTIRE DIRECTORY:\n" + Stick("quilts") +
                                            " \n TO: \n./patterns/quilts ?",
                                        "FILE EXISTS!\nOVERWRITE FILE?", "DIRECTORY COPIED"}));
    EXPECT_NE(ReadFileText("patterns/quilts/feather.qcc").find("p X2.000 Y0.000"),
              std::string::npos);
    EXPECT_NE(ReadFileText("patterns/quilts/loops/loop.qcc").find("p X1.000"), std::string::npos);
    EXPECT_EQ(ReadFileText("patterns/quilts/star.qcc"), "old star\n");
    EXPECT_FALSE(Present("thumbnails/feather.png")) << "the old thumbnail goes";
    // Neither the hidden folder nor the link came along.
    EXPECT_EQ(Entries("patterns/quilts"), 3u);
    // A folder cannot go into itself.
    EXPECT_EQ(CopyChosen(Stick("quilts"), Stick("quilts/loops"), kPlaceUsb, kPlaceUsb), 0);
    EXPECT_EQ(CopyDirectory(Stick("quilts"), Stick("quilts/loops/quilts"), 1), 1);
    EXPECT_FALSE(Present(Stick("quilts/loops/quilts")));
}

TEST_F(ProgramFolderTest, DeletesNeverFollowLinksOutAndTheStickMustBeMounted) {
    for (const char* p : {"patterns/heart.qcc", "patterns/set/a.qcc", "patterns/set/deep/.b.qcc",
                          "thumbnails/heart.png", "thumbnails/a.png", "outside/precious.qcc"})
        Put(p, "keep\n");
    ASSERT_EQ(symlink(dir.File("outside").c_str(), "patterns/set/link"), 0);

    messages.answers = {kResponseCancel};
    EXPECT_EQ(DeleteChosen("patterns/heart.qcc", kPlaceInternal), 0);
    EXPECT_EQ(messages.shown,
              (std::vector<std::string>{"DELETE FILE:\nheart.qcc", "OPERATION CANCELED"}));
    EXPECT_EQ(DeleteChosen("patterns/set", kPlaceInternal), 1);
    EXPECT_EQ(messages.shown[2],
              "DELETE DIRECTORY: \n patterns/set\nAND ALL SUBDIRECTORIES AND FILES?");
    const struct {
        const char* path;
        int result;
        const char* message;
    } cases[] = {
        {"patterns/heart.qcc", 1, "FILE DELETED"},
        {"./patterns", 1, "DIRECTORY DELETED"},  // emptied, and there again for the next copy
        {"patterns/none.qcc", 0, "FILE NOT DELETED"},
        {kNoFileSelected, 0, "NO FILE SELECTED"},
    };
    Put("patterns/more/b.qcc", "p X0 Y0\n");
    for (const auto& c : cases) {
        EXPECT_EQ(DeleteChosen(c.path, kPlaceInternal), c.result) << c.path;
        EXPECT_EQ(messages.Last(), c.message);
    }
    EXPECT_FALSE(Present("thumbnails/heart.png") || Present("thumbnails/a.png"));
    EXPECT_EQ(ReadFileText("outside/precious.qcc"), "keep\n");
    EXPECT_TRUE(IsFolder("patterns"));
    EXPECT_EQ(Entries("patterns"), 0u);

    // The stick must be mounted; files are found in sub-folders first.
    Put(Stick("a/b/qcc_update.tar.gz"), "x");
    Put(Stick(".hidden/qcc_update.tar.gz"), "x");
    std::filesystem::create_directories(Stick("qcc_update.tar.gz.d"));
    std::string folder = Stick(""), name;
    ASSERT_EQ(findFile(folder, "qcc_update.tar.gz", &name), 1);
    EXPECT_EQ(folder + "/" + name, Stick("a/b/qcc_update.tar.gz"));
    std::string none = Stick(".hidden");
    EXPECT_EQ(findFile(none, "other.tar.gz"), 0);
    EXPECT_EQ(none, Stick(".hidden"));

    EXPECT_EQ(ChooseFilePlace(kPlaceUsb), kPlaceUsb);
    std::filesystem::remove_all(Stick(""));
    std::filesystem::create_directories(Stick(""));
    EXPECT_EQ(UsbStickPresent(), 0) << "an empty mount folder is no stick";
    EXPECT_EQ(ChooseFilePlace(kPlaceUsb), kPlaceInternal);
    EXPECT_EQ(messages.Last().rfind("USB DRIVE NOT DETECTED.", 0), 0u);
    EXPECT_EQ(FilePlaceFolder(kPlaceUsb), root.path + "/media/usb/");
}

// Program rows 0 and 5, EEPROM rows 0 and 2, configuration word 0.
std::string Firmware() {
    return HexUpper(0) + HexRecord(0, 0, {0x00, 0x01, 0x04, 0x00, 0x00, 0x00, 0x00, 0x00}) +
           HexRecord(0, 8, {0x11, 0x22, 0x33, 0x00}) +
           HexRecord(0, 640, {0xAA, 0xBB, 0xCC, 0x00, 0xDD, 0xEE, 0xFF, 0x00}) + HexUpper(0xFF) +
           HexRecord(0, 0xE000, {0x12, 0x34, 0, 0, 0x56, 0x78, 0, 0}) +
           HexRecord(0, 0xE080, {0x9A, 0xBC, 0, 0}) + HexUpper(0x1F0) +
           HexRecord(0, 0, {0xC3, 0xF0, 0, 0}) + HexRecord(1, 0, {});
}

// A file reading the text (which must outlive it).
std::unique_ptr<FILE, int (*)(FILE*)> Open(std::string& text) {
    return {fmemopen(text.data(), text.size(), "r"), std::fclose};
}

std::string Row(const std::string& start, size_t size) {
    return start + std::string(size - start.size(), '\xFF');
}

struct UploadTest : ::testing::Test {
    void SetUp() override {
        SetSerialDevicePath(line.slavePath);
        ASSERT_GE(OpenPort(), 0);
        UseManualClock();
    }
    void TearDown() override {
        UseRealClock();
        ClosePort();
        SetSerialDevicePath("");
    }
    int Send(std::string text) { return SendHexFile(Open(text).get(), fast); }
    PtyLine line;
    LoaderTiming fast{100, 20, 150, 0};
};

TEST(HexImage, RefusesBadFilesAndKeepsEveryWordInItsBlock) {
    const struct {
        std::string text;
        int result;
        int line;
    } cases[] = {
        {Firmware(), kHexRead, 10},
        {"\n" + HexRecord(0, 0, {1, 2, 3, 4}).insert(19, "\r"), kHexRead, 2},
        {HexRecord(0, 0, {1, 2, 3, 4}).replace(9, 1, "2"), kHexMalformed, 1},  // checksum
        {":0400000001020304\n", kHexMalformed, 1},                             // short
        {"0400000001020304F2\n", kHexMalformed, 1},                            // no colon
        {":04000000010203G4F2\n", kHexMalformed, 1},
        {HexRecord(0, 0, {1, 2, 3}), kHexMalformed, 1},  // odd count
        {HexRecord(0, 1, {1, 2}), kHexMalformed, 1},     // odd address
        {":" + std::string(2050, '0') + "\n", kHexMalformed, 1},
        {HexRecord(0, 0, {1, 2}) + HexRecord(2, 0, {0x10, 0}), kHexBadRecordType, 2},
        {HexRecord(3, 0, {0, 0, 0, 0}), kHexBadRecordType, 1},
        {HexUpper(0x10) + HexRecord(0, 0, {1, 2}), kHexWordOutside, 2},
        {HexUpper(0x1F0) + HexRecord(0, 4, {1, 2}), kHexRead, 2},  // configuration word 1
        {HexUpper(0x1F0) + HexRecord(0, 32, {1, 2}), kHexWordOutside, 2},
    };
    std::vector<HexBlock> image;
    for (auto c : cases) {
        int line = 0;
        Logged([&] { EXPECT_EQ(ReadHexImage(Open(c.text).get(), image, &line), c.result); });
        EXPECT_EQ(line, c.line) << c.text;
    }
    std::string firmware = Firmware();
    ASSERT_EQ(ReadHexImage(Open(firmware).get(), image), kHexRead);
    // What the upload sends of the other blocks is checked where it is sent.
    ASSERT_EQ(image.size(), 1672u);
    FormatHexData(image[1536]);
    EXPECT_EQ(image[1536].data.size(), 32u);
    EXPECT_EQ(image[1536].data[2], 0x56) << "the phantom words are not sent";
    EXPECT_EQ(InsertHexData(image[0], 64, "1234"), 0);
}

TEST_F(UploadTest, SendsTheWholeImageKeepingTheVectorAndEepromStart) {
    std::string vector = "\x10\x20\x30\x40\x50\x60";
    std::string eeprom;
    for (int i = 1; i <= 32; ++i)
        eeprom.push_back(static_cast<char>(i));
    // The hello is answered with one byte too many: it must not shift the vector.
    std::vector<BoardStep> script = {{8, std::string(97, '\x55')},
                                     {4, vector + std::string(90, 0)}};
    script.insert(script.end(), 2, {4, eeprom});
    for (size_t expect : {100, 100, 100, 36, 36, 4, 3, 3, 3, 3, 3, 3})
        script.push_back({expect, "\x01"});
    script[5].reply = std::string(1, '\0');  // row 5 refused once, then taken
    ScriptedBoard board(line, script);
    EXPECT_EQ(Send(Firmware()), kUploadDone);
    const std::string sent = board.Finish();

    std::string swapped = eeprom;
    for (int i = 0; i < 32; i += 2)
        std::swap(swapped[i], swapped[i + 1]);
    const std::string row5 =
        std::string("\x03\x40\x01\x00", 4) + Row("\xAA\xBB\xCC\xDD\xEE\xFF", 96);
    std::string expected =
        std::string("\xFF\xFF\xFF\x3B\x01\x01\x01\x01\x02\x00\x00\x00", 12) +
        std::string("\x04\x00\xF0\x7F\x04\x20\xF0\x7F", 8) + std::string("\x03\x00\x00\x00", 4) +
        Row(std::string("\x30\x20\x10\x60\x50\x40\x11\x22\x33", 9), 96) + row5 + row5 +
        std::string("\x05\x00\xF0\x7F", 4) + swapped + std::string("\x05\x40\xF0\x7F", 4) +
        Row("\x9A\xBC", 32) + std::string("\x07\x00\xC3\xF0", 4);
    for (int i = 0; i < 6; ++i)
        expected += "\x01\xFF\xFF";
    EXPECT_EQ(sent, expected + "\x08");
}

TEST_F(UploadTest, EveryLoaderFaultEndsInItsResultNumber) {
    std::vector<BoardStep> started = {{8, std::string(96, 'x')}, {4, std::string(96, 'y')}};
    started.insert(started.end(), 2, {4, std::string(32, 'z')});
    const struct {
        std::vector<BoardStep> script;
        int result;
    } cases[] = {
        {{}, kUploadNoLoader},
        {{{8, std::string(96, 'x')}, {4, "abcd"}}, kUploadNoVector},
        {started, kUploadBlockFailed},  // silent after the start
    };
    for (const auto& c : cases) {
        ScriptedBoard board(line, c.script);
        Logged([&] { EXPECT_EQ(Send(Firmware()), c.result); });
        board.Finish(200);
        ClearPort();
    }
    // A row answered with anything but 0x01 goes out again until its time is up.
    started.insert(started.end(), 200, {100, std::string(1, '\0')});
    ScriptedBoard board(line, started);
    EXPECT_EQ(Send(Firmware()), kUploadBlockFailed);
    const std::string sent = board.Finish(200);
    EXPECT_GT(sent.size(), 20u + 3 * 100) << "row 0 went out again and again";
    EXPECT_EQ(sent.find('\x08', 20), std::string::npos) << "the loader is not ended";
    // A bad file is refused before anything is sent; a closed line sends nothing.
    Logged([&] { EXPECT_EQ(Send(Firmware() + ":00000001FE\n"), kUploadMalformed); });
    EXPECT_EQ(line.Received(0), "");
    ClosePort();
    EXPECT_EQ(Send(Firmware()), kUploadNoLoader);
}

TEST_F(UploadTest, TheUpdateChecksTheFileAndNamesTheResultNumber) {
    TempDir dir;
    const std::string hex = dir.File("mc1.hex");
    ASSERT_TRUE(WriteFileText(hex, Firmware()));
    MessageScript messages;
    const struct {
        std::string path;
        int app;  // of the checksum file; 0 for none
        int answer;
        std::string message;
    } cases[] = {
        {"", 0, kResponseYes, "NO FILE SELECTED.  ABORTING PROCEDURE."},
        {hex, 0, kResponseYes, "COULD NOT VALIDATE FILE"},
        {hex, kAppCodeProgram, kResponseYes, "THE SELECTED FILE IS NOT VALID"},
        {hex, kAppCodeFirmware, kResponseNo, "UPDATE ROBOT WITH FILE: " + hex + "?"},
        {hex, kAppCodeFirmware, kResponseYes, "SEND FILE FAILED! \nError:5"},  // no loader
    };
    for (const auto& c : cases) {
        if (c.app) WriteChecksumFile(hex, c.app, 1.0f, "");
        messages.answers = {c.answer};
        Logged([&] { EXPECT_EQ(UpdateMotorFirmware(c.path, fast), kFirmwareNotSent); });
        EXPECT_EQ(messages.Last(), c.message);
    }
}

struct ProgramUpdateTest : ProgramFolderTest {
    void SetUp() override {
        ProgramFolderTest::SetUp();
        Put(root.File("media/mmc0/Keswin/keswin"), "old program");
        Put(Program(), "new program");
        for (const char* name :
             {"gtkrc_5", "gtkrc", "screen.conf", "images/icon.png", "images/.icon.png"})
            Put(Stick("up/") + name, name);
        Put(dir.File("kernel"), "Linux version 2.6.29.6_dunlow (gcc) #1\n");
        Put("system", "SYSTEM UPDATED\n");
    }
    std::string Program() const { return Stick("up/prog.new.BIN"); }
    std::string Installed() const { return ReadFileText(root.File("media/mmc0/Keswin/keswin")); }
    int Update() { return UpdateProgram(Program(), dir.File("kernel").c_str()); }
};

TEST_F(ProgramUpdateTest, SavesTheBackupInstallsAndCarriesOutOnlyRecognisedCopyLines) {
    ASSERT_EQ(WriteChecksumFile(Program(), kAppCodeProgram, 3.06f, "2.6.29.6"), 1);
    Logged([&] { EXPECT_EQ(Update(), kProgramUpdated); });
    EXPECT_EQ(messages.shown,
              (std::vector<std::string>{"UPDATE THE REMOTE WITH " + Program() + " version 3.06?",
                                        "FILE COPIED.\nTHE PROGRAM WILL NOW RESTART"}));
    EXPECT_EQ(Installed(), "new program");
    EXPECT_EQ(ReadFileText(ProgramBackupPath()), "old program");
    EXPECT_EQ(ProgramBackupPath(), root.File("media/mmc0/Keswin/backup/version_3_05"));
    struct stat st {};
    ASSERT_EQ(stat(root.File("media/mmc0/Keswin/keswin").c_str(), &st), 0);
    EXPECT_TRUE(st.st_mode & S_IXUSR) << "the program stays executable";
    EXPECT_EQ(ReadFileText("update"), Stick("up/prog.crc") + "\ncp " + Stick("up/gtkrc_5") +
                                          " ./\ncp " + Stick("up/screen.conf") + " ./\ncp " +
                                          Stick("up/images") + "/* ./images\n");
    EXPECT_FALSE(Present("system"));
    // The next start finishing it is proven with the real program (ui_shell).
    EXPECT_EQ(CheckUpdate(nullptr), kStartEndNow);
    EXPECT_FALSE(Present("gtkrc")) << "the style file of the other screen size stays out";

    // Only recognised copy lines are carried out.
    std::filesystem::remove_all("images");
    Put(Stick("up/my file/gtkrc"), "spaced");
    Put(Stick("up/passwd"), "x");
    const struct {
        std::string line;
        int done;
    } cases[] = {
        {"cp " + Stick("up/my file/gtkrc") + " ./", 1},
        {"cp " + Stick("up/images") + "/* ./images/", 1},
        {"cp " + Stick("up/screen.conf") + " ./images", 1},
        {"cp " + Stick("up/passwd") + " ./", 0},
        {"rm -rf ./patterns", 0},
        {"cp " + Stick("up/gtkrc") + " /etc", 0},
        {"cp " + Stick("up/gtkrc") + " ./; touch hacked ./", 0},
        {"cp " + Stick("up/missing") + "/gtkrc ./", 0},
        {"cp ./", 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(RunUpdateLine(c.line), c.done) << c.line;
    EXPECT_EQ(ReadFileText("gtkrc"), "spaced");
    EXPECT_EQ(ReadFileText("images/icon.png"), "images/icon.png");
    EXPECT_EQ(ReadFileText("images/screen.conf"), "screen.conf");
    EXPECT_FALSE(Present("passwd") || Present("hacked"));
}

TEST_F(ProgramUpdateTest, RefusedFilesChangeNothingAndFinishingWithoutStickOrFiles) {
    const struct {
        int app;
        std::string kernel;
        bool corrupt;
        std::string message;
    } cases[] = {
        {1, "2.6.29.6", true, "COULD NOT VALIDATE FILE"},
        {2, "2.6.29.6", false, "THE SELECTED FILE IS NOT VALID"},
        {1, "2.6.18.2", false,
         "OPERATING SYSTEM IS NOT COMPATABLE\nSystem: 2.6.29.6 CRC: 2.6.18.2"},
    };
    for (const auto& c : cases) {
        Put(Program(), "new program");
        ASSERT_EQ(WriteChecksumFile(Program(), c.app, 3.06f, c.kernel), 1);
        if (c.corrupt) Put(Program(), "new progran");
        messages.shown.clear();
        EXPECT_EQ(Update(), kProgramNotUpdated) << c.message;
        EXPECT_EQ(messages.shown, std::vector<std::string>{c.message});
        EXPECT_EQ(Installed(), "old program");
        EXPECT_TRUE(Present("system"));
        EXPECT_FALSE(Present("update"));
    }
    // Declined, a folder, and a kernel that cannot be read (which passes the check).
    Put(Program(), "new program");
    ASSERT_EQ(WriteChecksumFile(Program(), 1, 3.06f, "2.6.29.6"), 1);
    messages.answers = {kResponseNo};
    EXPECT_EQ(Update(), kProgramNotUpdated);
    EXPECT_EQ(UpdateProgram(Stick("up"), "/none"), kProgramNotUpdated);
    EXPECT_EQ(messages.Last(), "YOU SELECTED A DIRECTORY.\nABORTING PROCEDURE.");
    EXPECT_EQ(Installed(), "old program");
    const std::string log =
        Logged([&] { EXPECT_EQ(UpdateProgram(Program(), "/none"), kProgramUpdated); });
    EXPECT_NE(log.find("Version File Not Available"), std::string::npos);
    EXPECT_EQ(Installed(), "new program");

    ASSERT_EQ(WriteChecksumFile(Program(), 1, 3.06f, "2.6.29.6"), 1);
    const struct {
        std::string update;  // "./update", "" for none
        std::string chosen;  // the program file chosen again when "./update" is missing
        int result;
        std::string marker;  // "./system" afterwards, "" for none
        std::string message;
    } finishing[] = {
        {"/nowhere/prog.crc\ncp x ./\n", "", kStartGoOn, "CRC INVALID", "INVALID CRC FILE"},
        {"\n", "", kStartEndNow, "System Updated With Possible Errors",
         "SYSTEM UPDATED WITH POSSIBLE ERRORS"},
        {"", "", kStartGoOn, "", "INVALID SELECTION"},
        {"", Stick("up"), kStartGoOn, "", "YOU SELECTED A DIRECTORY.\nABORTING PROCEDURE."},
        {"", Stick("up/screen.conf"), kStartGoOn, "", "THE SELECTED FILE IS NOT VALID"},
        {"", Program(), kStartEndNow, "SYSTEM UPDATED\nCRC Check: 1021224790\nVersion: 3.060\n",
         "SYSTEM UPDATE SUCCESSFUL"},
    };
    for (const auto& c : finishing) {
        unlink("system");
        unlink("update");
        if (!c.update.empty()) Put("update", c.update);
        messages.shown.clear();
        EXPECT_EQ(CheckUpdate([&] { return c.chosen; }), c.result) << c.message;
        EXPECT_EQ(messages.Last(), c.message);
        EXPECT_EQ(ReadFileText("system"), c.marker) << c.message;
    }
    EXPECT_EQ(ReadFileText("gtkrc"), "gtkrc") << "the chosen folder's style files";
    EXPECT_EQ(ReadFileText("gtkrc_5"), "gtkrc_5");
    EXPECT_EQ(ReadFileText("images/icon.png"), "images/icon.png");
    EXPECT_FALSE(Present("images/.icon.png"));
    // Without a stick the update is called off and the program starts.
    unlink("system");
    std::filesystem::remove_all(root.File("media/usb"));
    std::filesystem::create_directories(root.File("media/usb"));
    Logged([] { EXPECT_EQ(CheckUpdate(nullptr), kStartGoOn); });
    EXPECT_EQ(ReadFileText("system"), "UPDATE CANCELED");
}

struct Member {
    std::string name;
    std::string content;  // a file's bytes, or a link's target
    unsigned type = AE_IFREG;
    unsigned perm = 0644;
};

void WriteArchive(const std::string& path, const std::vector<Member>& members) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    struct archive* a = archive_write_new();
    archive_write_add_filter_gzip(a);
    archive_write_set_format_pax_restricted(a);
    ASSERT_EQ(archive_write_open_filename(a, path.c_str()), ARCHIVE_OK);
    for (const Member& m : members) {
        struct archive_entry* e = archive_entry_new();
        archive_entry_set_pathname(e, m.name.c_str());
        archive_entry_set_filetype(e, m.type);
        archive_entry_set_perm(e, m.perm);
        if (m.type == AE_IFLNK) archive_entry_set_symlink(e, m.content.c_str());
        if (m.type == AE_IFREG) archive_entry_set_size(e, la_int64_t(m.content.size()));
        archive_write_header(a, e);
        if (m.type == AE_IFREG) archive_write_data(a, m.content.data(), m.content.size());
        archive_entry_free(e);
    }
    archive_write_close(a);
    archive_write_free(a);
}

TEST_F(ProgramFolderTest, SystemUpdateRunsTheScriptOfASoundArchiveOnly) {
    // The script proves it ran, where, and with which arguments.
    const std::string script = "#!/bin/sh\necho \"$# $(pwd)\" > ran.txt\n";
    WriteArchive(Stick("pkg/qcc_update.tar.gz"), {{"qcc_update.sh", script, AE_IFREG, 04700},
                                                  {"files", "", AE_IFDIR, 0755},
                                                  {"files/keswin", "program"},
                                                  {"files/latest", "keswin", AE_IFLNK}});
    std::filesystem::create_directories(root.File("tmp/softupdate"));
    Put(root.File("tmp/softupdate/stale"), "from before");
    Logged([] { EXPECT_EQ(UpdateSystem(), kSystemUpdateRan); });
    EXPECT_EQ(messages.shown, std::vector<std::string>{"UPDATE FILE FOUND:\n" + Stick("pkg") +
                                                       "/qcc_update.tar.gz\nPROCEED WITH UPDATE?"});
    EXPECT_EQ(ReadFileText("ran.txt"), "0 " + dir.path + "\n");
    EXPECT_EQ(ReadFileText(root.File("tmp/softupdate/files/latest")), "program");
    EXPECT_FALSE(Present(root.File("tmp/softupdate/stale")));
    struct stat st {};
    ASSERT_EQ(stat(root.File("tmp/softupdate/qcc_update.sh").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07000, 0u) << "no set-user bit survives";
    // A script that fails is reported.
    WriteArchive(Stick("pkg/qcc_update.tar.gz"), {{"qcc_update.sh", "#!/bin/sh\nexit 3\n"}});
    EXPECT_EQ(UpdateSystem(), kSystemUpdateFailed);
    EXPECT_EQ(messages.Last(), "SYSTEM UPDATE FAILED");
    messages.answers = {kResponseCancel};
    EXPECT_EQ(UpdateSystem(), kSystemUpdateStopped);
    std::filesystem::remove_all(root.File("tmp/softupdate"));
    std::filesystem::remove_all(Stick("pkg"));

    const std::string marker = dir.File("hostile-ran");
    const std::vector<Member> hostile[] = {
        {{"../escaped", "x"}},       {{"/tmp/absolute-" + std::to_string(getpid()), "x"}},
        {{"a/../../escaped", "x"}},  {{"out", "/etc", AE_IFLNK}},
        {{"up", "../..", AE_IFLNK}}, {{"fifo", "", AE_IFIFO}},
    };
    for (const auto& members : hostile) {
        std::vector<Member> all = {
            {"qcc_update.sh", "#!/bin/sh\ntouch " + marker + "\n", AE_IFREG, 0755}};
        all.insert(all.end(), members.begin(), members.end());
        WriteArchive(Stick("qcc_update.tar.gz"), all);
        std::string refused;
        const std::string scratch = root.File("scratch");
        std::filesystem::remove_all(scratch);
        std::filesystem::create_directories(scratch);
        EXPECT_EQ(UnpackUpdateArchive(Stick("qcc_update.tar.gz"), scratch, &refused),
                  kUnpackRefused)
            << members[0].name;
        EXPECT_EQ(refused, members[0].name);
        messages.shown.clear();
        EXPECT_EQ(UpdateSystem(), kSystemUpdateFailed) << members[0].name;
        EXPECT_EQ(messages.Last(), "UPDATE FILE IS NOT VALID");
    }
    for (const std::string& left :
         {marker, root.File("escaped"), root.File("tmp/escaped"),
          "/tmp/absolute-" + std::to_string(getpid()), root.File("tmp/softupdate")})
        EXPECT_FALSE(Present(left)) << left;

    Put(Stick("qcc_update.tar.gz"), "not an archive");
    EXPECT_EQ(UnpackUpdateArchive(Stick("qcc_update.tar.gz"), dir.path), kUnpackUnreadable);
    std::filesystem::remove(Stick("qcc_update.tar.gz"));
    EXPECT_EQ(UpdateSystem(), kSystemUpdateStopped);
    EXPECT_EQ(messages.Last(), "UPDATE FILE NOT FOUND ON USB DRIVE\n");

    Put(root.File("media/mmc0/calibration/pointercal"), "1 2 3");
    messages.answers = {kResponseNo};
    EXPECT_EQ(ResetScreenCalibration(), 0);
    EXPECT_TRUE(Present(root.File("media/mmc0/calibration/pointercal")));
    EXPECT_EQ(Logged([] { EXPECT_EQ(ResetScreenCalibration(), 1); }),
              "Reboot left out below a substitute system root\n");
    EXPECT_EQ(messages.Last(), "SYSTEM WILL REBOOT TO RESET CALIBRATION.\nCONTINUE?");
    EXPECT_FALSE(Present(root.File("media/mmc0/calibration/pointercal")));
}

}  // namespace
