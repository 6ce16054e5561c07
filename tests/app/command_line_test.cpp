#include "app/command_line.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Parsed {
    ParseResult result;
    ProgramOptions options;
    std::vector<std::string> rest;
    std::string error;
};

Parsed Parse(std::vector<const char*> args) {
    args.insert(args.begin(), "longarm");
    Parsed p;
    p.result =
        ParseProgramOptions(static_cast<int>(args.size()), args.data(), p.options, p.rest, p.error);
    return p;
}

TEST(CommandLine, OptionsAnywhereToolkitOptionsPassedOnAndBadOnesRefused) {
    Parsed p = Parse({"--serial", "/dev/pts/7", "2", "--root=/tmp/r", "--quit-after-start"});
    ASSERT_EQ(p.result, kParseOk) << p.error;
    EXPECT_EQ(p.options.serialPath, "/dev/pts/7");
    EXPECT_EQ(p.options.rootDir, "/tmp/r");
    EXPECT_EQ(p.options.portSelector, "2");
    EXPECT_TRUE(p.options.quitAfterStart);
    EXPECT_FALSE(p.options.testCrash || p.options.crashMessage || p.options.help);
    EXPECT_EQ(p.rest, std::vector<std::string>{"longarm"});
    // ":5" belongs to --display: it is not taken for the port selector.
    p = Parse({"--display", ":5", "--sync", "x", "--test-crash", "--name=abc"});
    ASSERT_EQ(p.result, kParseOk);
    EXPECT_TRUE(p.options.testCrash);
    EXPECT_EQ(p.options.portSelector, "x");
    EXPECT_EQ(p.rest,
              (std::vector<std::string>{"longarm", "--display", ":5", "--sync", "--name=abc"}));
    p = Parse({"--serial"});
    EXPECT_EQ(p.result, kParseError);
    EXPECT_NE(p.error.find("--serial"), std::string::npos);
    EXPECT_EQ(Parse({"--root="}).result, kParseError);
    EXPECT_EQ(Parse({"--test-crash=yes"}).result, kParseError);
    p = Parse({"--help"});
    EXPECT_EQ(p.result, kParseOk);
    EXPECT_TRUE(p.options.help);
    EXPECT_NE(std::string(ProgramUsage()).find("--quit-after-start"), std::string::npos);
}

}  // namespace
