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

struct CrashRecovery : ::testing::Test {
    void TearDown() override { ClearCrashRecoveryImage(); }
    TempDir dir;
};

TEST_F(CrashRecovery, WritesTheLatestImageWholeOnlyWhenThereIsOneAndNoRecoveryFile) {
    const std::string path = dir.File("recovery.qlf");
    SetCrashRecoveryImage("abc", 3);
    ClearCrashRecoveryImage();
    EXPECT_EQ(CrashRecoveryImageSize(), 0u);
    EXPECT_EQ(FinishCrashRecovery(path.c_str()), 2);
    EXPECT_FALSE(Exists(path));
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
    EXPECT_EQ(FinishCrashRecovery(dir.File("missing-folder/recovery.qlf").c_str()), -1);
}

// The controller shutting down (end or hang-up signal) writes the layout as
// the recovery file and ends with status 0 without the crash message; the
// power-fail signal is logged and ignored. (A segmentation fault is the
// program test's, tests/ui/recovery_test.cpp.)
TEST_F(CrashRecovery, EndAndHangUpSaveTheLayoutAndExitWithZeroPowerFailIsIgnored) {
    ASSERT_EQ(mkdir(dir.File("Layout").c_str(), 0777), 0);
    const std::string recovery = dir.File("Layout/recovery.qlf");
    const std::string marker = dir.File("message-shown");
    for (int signal : {SIGTERM, SIGHUP, SIGPWR}) {
        ASSERT_TRUE(WriteFileText(recovery, "an older layout"));
        fflush(stdout);
        const pid_t child = fork();
        if (child == 0) {  // standard output to out.txt, working in the temporary folder
            const int fd = open(dir.File("out.txt").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            dup2(fd, STDOUT_FILENO);
            if (chdir(dir.path.c_str()) != 0) _exit(90);
            SetCrashRecoveryImage("layout image", 12);
            SetCrashMessageCommand({"/bin/sh", "-c", "echo shown > " + marker});
            InstallCrashHandlers();
            raise(signal);
            _exit(7);
        }
        int status = 0;
        waitpid(child, &status, 0);
        const bool ignored = signal == SIGPWR;
        ASSERT_TRUE(WIFEXITED(status)) << "signal " << signal << ", status " << status;
        EXPECT_EQ(WEXITSTATUS(status), ignored ? 7 : 0);
        EXPECT_EQ(ReadFileText(dir.File("out.txt")),
                  ignored ? "no function\n" : "Shutdown: saving the recovery layout\n");
        EXPECT_EQ(ReadFileText(recovery), ignored ? "an older layout" : "layout image");
        EXPECT_FALSE(Exists(marker));
    }
}

}  // namespace
