// Starts the real program as a child process in a prepared program folder and
// reads what it prints.
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "shell_fixture.h"
#include "support/temp_dir.h"

namespace {

// The banners of the start-up stages, in their order.
const std::vector<std::string> kBanners = {
    "Initialize User Interface Function\nSet Signals...",
    "done.\nCreate Directories...",
    "done.\nInitialize GTK...",
    "done.\nParse gtkrc...",
    "done.\nCheck Switching Data...",
    "done.\nCreate Interface Structure...",
    "done.\nInitiate Pattern Boxes...",
    "done.\nInitiate Threads...",
    "done.\nGet Constants From MC1...",
    "done.\nCreate Extents...",
    "done.\nCreate Main Window...",
    "done.\nCreate Menu And Toolbar...",
    "done.\nCreate Initial Screen...",
    "done.\nInitialize Camera...",
    "done\nSet initial zoom value...",
    "done\nEntering GTK_MAIN()\n",
};

bool Exists(const std::string& path) {
    return access(path.c_str(), F_OK) == 0;
}

// A program folder: images and style files of the repository, a patterns
// folder, and a root folder for the fixed system locations.
class ProgramFolder : public ::testing::Test {
protected:
    void SetUp() override {
        if (!EnsureGtk()) GTEST_SKIP() << "no display";
        const std::string source = LONGARM_SOURCE_DIR;
        ASSERT_EQ(symlink((source + "/images").c_str(), dir.File("images").c_str()), 0);
        ASSERT_EQ(symlink((source + "/gtkrc").c_str(), dir.File("gtkrc").c_str()), 0);
        ASSERT_EQ(symlink((source + "/gtkrc_5").c_str(), dir.File("gtkrc_5").c_str()), 0);
        ASSERT_EQ(mkdir(dir.File("patterns").c_str(), 0777), 0);
        ASSERT_TRUE(
            WriteFileText(dir.File("patterns/a.qcc"), "p X0.000 Y0.000\np X1.000 Y1.000\n"));
        ASSERT_EQ(mkdir(root.File("tmp").c_str(), 0777), 0);
    }

    ChildResult Start(std::vector<std::string> args, void (*whileRunning)() = nullptr) {
        args.insert(args.begin(), {LongarmPath(), "--root", root.path});
        return RunProgram(args, dir.path, 30000, whileRunning);
    }

    TempDir dir;
    TempDir root;
};

void ExpectBannersInOrder(const std::string& out) {
    size_t at = 0;
    for (const std::string& banner : kBanners) {
        size_t found = out.find(banner, at);
        ASSERT_NE(found, std::string::npos) << "missing or out of order: " << banner << "\n" << out;
        at = found + banner.size();
    }
}

}  // namespace

TEST_F(ProgramFolder, WithoutARecoveryLayoutTheQuiltAreaSetupComesFirst) {
    ChildResult run = Start({"--quit-after-start"});
    ASSERT_TRUE(WIFEXITED(run.status)) << run.out << run.err;
    EXPECT_EQ(WEXITSTATUS(run.status), 0) << run.err;
    ExpectBannersInOrder(run.out);
    EXPECT_EQ(run.out.find("Initialize User Interface Function"), 0u) << run.out;
    EXPECT_NE(run.out.find("Screen: quilt-area setup, menu mask 0x3\n"), std::string::npos)
        << run.out;
    EXPECT_EQ(run.out.find("Recover Layout"), std::string::npos);
    // The program's folders are made at start.
    EXPECT_TRUE(Exists(dir.File("thumbnails")));
    EXPECT_TRUE(Exists(dir.File("Layout")));
}

TEST_F(ProgramFolder, ARecoveryLayoutOpensPatternSelectAndIsDeletedAfterLoading) {
    ASSERT_EQ(mkdir(dir.File("Layout").c_str(), 0777), 0);
    ASSERT_TRUE(WriteFileText(dir.File("Layout/recovery.qlf"), "recovery"));
    ChildResult run = Start({"--quit-after-start"});
    ASSERT_TRUE(WIFEXITED(run.status));
    EXPECT_EQ(WEXITSTATUS(run.status), 0) << run.err;
    ExpectBannersInOrder(run.out);
    // The layout is recovered after the last banner, before the main loop.
    size_t entering = run.out.find("Entering GTK_MAIN()");
    size_t recover = run.out.find("Recover Layout\n");
    ASSERT_NE(recover, std::string::npos) << run.out;
    EXPECT_GT(recover, entering);
    EXPECT_NE(run.out.find("Screen: pattern select, menu mask 0x34000BD\n"), std::string::npos)
        << run.out;
    EXPECT_FALSE(Exists(dir.File("Layout/recovery.qlf")));
}

TEST_F(ProgramFolder, IconStyleOneChoosesGtkrcAndAnyOtherGtkrc5) {
    // Style files with a fault make the toolkit name the file it parsed.
    ASSERT_EQ(unlink(dir.File("gtkrc").c_str()), 0);
    ASSERT_EQ(unlink(dir.File("gtkrc_5").c_str()), 0);
    const std::string faulty = "style \"x\" {\n  bogus = 3\n}\n";
    ASSERT_TRUE(WriteFileText(dir.File("gtkrc"), faulty));
    ASSERT_TRUE(WriteFileText(dir.File("gtkrc_5"), faulty));

    ASSERT_TRUE(WriteFileText(dir.File("screen.conf"), "icon_style = 1\n"));
    ChildResult large = Start({"--quit-after-start"});
    EXPECT_NE(large.err.find("./gtkrc:"), std::string::npos) << large.err;
    EXPECT_EQ(large.err.find("./gtkrc_5:"), std::string::npos) << large.err;

    ASSERT_TRUE(WriteFileText(dir.File("screen.conf"), "icon_style = 2\n"));
    ChildResult small = Start({"--quit-after-start"});
    EXPECT_NE(small.err.find("./gtkrc_5:"), std::string::npos) << small.err;

    ASSERT_TRUE(WriteFileText(dir.File("screen.conf"), "screen_width = 320\n"));
    ChildResult missingKey = Start({"--quit-after-start"});
    EXPECT_NE(missingKey.err.find("./gtkrc_5:"), std::string::npos) << missingKey.err;
}

TEST_F(ProgramFolder, HelpAndBadOptions) {
    ChildResult help = Start({"--help"});
    ASSERT_TRUE(WIFEXITED(help.status));
    EXPECT_EQ(WEXITSTATUS(help.status), 0);
    EXPECT_NE(help.out.find("--quit-after-start"), std::string::npos);
    EXPECT_NE(help.out.find("--serial PATH"), std::string::npos);

    ChildResult bad = Start({"--serial"});
    ASSERT_TRUE(WIFEXITED(bad.status));
    EXPECT_EQ(WEXITSTATUS(bad.status), 1);
    EXPECT_NE(bad.err.find("--serial needs a value"), std::string::npos) << bad.err;
    EXPECT_EQ(bad.out.find("Initialize User Interface Function"), std::string::npos);

    ChildResult noRoot = RunProgram(
        {LongarmPath(), "--root", dir.File("missing"), "--quit-after-start"}, dir.path, 30000);
    ASSERT_TRUE(WIFEXITED(noRoot.status));
    EXPECT_EQ(WEXITSTATUS(noRoot.status), 1);
    EXPECT_NE(noRoot.err.find("--root"), std::string::npos);
}

namespace {

// Presses Return on the crash message window once it is up.
int crashAnswers = 0;
void AnswerCrashMessage() {
    gchar* out = nullptr;
    gchar* argv[] = {const_cast<gchar*>("xdotool"), const_cast<gchar*>("search"),
                     const_cast<gchar*>("--name"), const_cast<gchar*>("^Longarm message$"),
                     nullptr};
    if (!g_spawn_sync(nullptr, argv, nullptr,
                      static_cast<GSpawnFlags>(G_SPAWN_SEARCH_PATH | G_SPAWN_STDERR_TO_DEV_NULL),
                      nullptr, nullptr, &out, nullptr, nullptr, nullptr))
        return;
    std::string id = out ? out : "";
    g_free(out);
    if (id.empty()) return;
    id = id.substr(0, id.find('\n'));
    gchar* press[] = {const_cast<gchar*>("xdotool"),
                      const_cast<gchar*>("windowfocus"),
                      const_cast<gchar*>("--sync"),
                      const_cast<gchar*>(id.c_str()),
                      const_cast<gchar*>("key"),
                      const_cast<gchar*>("Return"),
                      nullptr};
    if (g_spawn_sync(nullptr, press, nullptr, G_SPAWN_SEARCH_PATH, nullptr, nullptr, nullptr,
                     nullptr, nullptr, nullptr))
        crashAnswers++;
}

}  // namespace

TEST_F(ProgramFolder, ACrashShowsTheMessageWaitsForOkAndExitsWithZero) {
    crashAnswers = 0;
    ChildResult run = Start({"--test-crash"}, AnswerCrashMessage);
    ASSERT_TRUE(WIFEXITED(run.status)) << run.out;
    EXPECT_EQ(WEXITSTATUS(run.status), 0);
    EXPECT_GE(crashAnswers, 1);
    size_t screen = run.out.find("Screen: quilt-area setup");
    size_t crash = run.out.find("Segmentation Fault\n");
    ASSERT_NE(crash, std::string::npos) << run.out;
    EXPECT_GT(crash, screen);
    // Nothing was laid out, so there is no recovery layout to write.
    EXPECT_FALSE(Exists(dir.File("Layout/recovery.qlf")));
}
