#include "app/crash_recovery.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <string>

#include "support/temp_dir.h"

namespace {

bool Exists(const std::string& path) {
    return access(path.c_str(), F_OK) == 0;
}

// Runs body in a child process with standard output going to outPath and the
// working directory at dir; returns the child's wait status.
template <typename Body>
int RunInChild(const std::string& dir, const std::string& outPath, Body body) {
    fflush(stdout);
    pid_t child = fork();
    if (child == 0) {
        int fd = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        dup2(fd, STDOUT_FILENO);
        close(fd);
        if (chdir(dir.c_str()) != 0) _exit(90);
        body();
        _exit(91);  // the body must not come back
    }
    int status = 0;
    waitpid(child, &status, 0);
    return status;
}

}  // namespace

class CrashRecovery : public ::testing::Test {
protected:
    void TearDown() override {
        ClearCrashRecoveryImage();
        SetCrashMessageCommand({});
    }
    TempDir dir;
};

TEST_F(CrashRecovery, WritesTheLatestImageWholeOnlyWhenThereIsOneAndNoRecoveryFile) {
    const std::string path = dir.File("recovery.qlf");
    // Without an image nothing is written.
    SetCrashRecoveryImage("abc", 3);
    ClearCrashRecoveryImage();
    EXPECT_EQ(CrashRecoveryImageSize(), 0u);
    EXPECT_EQ(FinishCrashRecovery(path.c_str()), 2);
    EXPECT_FALSE(Exists(path));

    // A replaced image leaves only the latest, written whole with its zero bytes.
    SetCrashRecoveryImage("first image", 11);
    const std::string image = std::string("QLF\0layout bytes\n", 17) + std::string(5000, 'z');
    SetCrashRecoveryImage(image.data(), image.size());
    EXPECT_EQ(CrashRecoveryImageSize(), image.size());
    EXPECT_EQ(FinishCrashRecovery(path.c_str()), 1);
    EXPECT_EQ(ReadFileText(path), image);
    EXPECT_FALSE(Exists(path + ".tmp000000"));

    // An existing recovery file (the crash came while recovering it) is deleted.
    EXPECT_EQ(FinishCrashRecovery(path.c_str()), 0);
    EXPECT_FALSE(Exists(path));

    const std::string unwritable = dir.File("missing-folder/recovery.qlf");
    EXPECT_EQ(FinishCrashRecovery(unwritable.c_str()), -1);
    EXPECT_FALSE(Exists(unwritable + ".tmp000000"));
}

// A segmentation fault (the message, the layout saved) is the program test's,
// tests/ui/recovery_test.cpp.

// The controller shutting down (end or hang-up signal): the layout is written
// as the recovery file, replacing an older one whole, and the program ends
// with status 0 without the crash message.
TEST_F(CrashRecovery, EndAndHangUpSignalsSaveTheLayoutAndExitWithZero) {
    ASSERT_EQ(mkdir(dir.File("Layout").c_str(), 0777), 0);
    const std::string recovery = dir.File("Layout/recovery.qlf");
    const std::string marker = dir.File("message-shown");
    for (int signal : {SIGTERM, SIGHUP}) {
        ASSERT_TRUE(WriteFileText(recovery, "an older layout"));
        int status = RunInChild(dir.path, dir.File("out.txt"), [&] {
            SetCrashRecoveryImage("layout image", 12);
            SetCrashMessageCommand({"/bin/sh", "-c", "echo shown > " + marker});
            InstallCrashHandlers();
            raise(signal);
        });
        ASSERT_TRUE(WIFEXITED(status)) << "signal " << signal << ", status " << status;
        EXPECT_EQ(WEXITSTATUS(status), 0);
        EXPECT_EQ(ReadFileText(dir.File("out.txt")), "Shutdown: saving the recovery layout\n");
        EXPECT_EQ(ReadFileText(recovery), "layout image");
        EXPECT_FALSE(Exists(marker));
    }
}

TEST_F(CrashRecovery, ThePowerFailSignalIsLoggedAndIgnored) {
    int status = RunInChild(dir.path, dir.File("out.txt"), [] {
        InstallCrashHandlers();
        raise(SIGPWR);
        _exit(7);
    });
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 7);
    EXPECT_EQ(ReadFileText(dir.File("out.txt")), "no function\n");
}
