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
    Parsed parsed;
    parsed.result = ParseProgramOptions(static_cast<int>(args.size()), args.data(), parsed.options,
                                        parsed.rest, parsed.error);
    return parsed;
}

}  // namespace

TEST(CommandLine, OptionsAnywhereAndThePortSelectorBetweenThem) {
    Parsed parsed = Parse({"--serial", "/dev/pts/7", "2", "--root=/tmp/r", "--quit-after-start"});
    ASSERT_EQ(parsed.result, kParseOk) << parsed.error;
    EXPECT_EQ(parsed.options.serialPath, "/dev/pts/7");
    EXPECT_EQ(parsed.options.rootDir, "/tmp/r");
    EXPECT_EQ(parsed.options.portSelector, "2");
    EXPECT_TRUE(parsed.options.quitAfterStart);
    EXPECT_FALSE(parsed.options.testCrash);
    EXPECT_FALSE(parsed.options.crashMessage);
    // Nothing of ours reaches the toolkit.
    EXPECT_EQ(parsed.rest, std::vector<std::string>{"longarm"});
}

TEST(CommandLine, ToolkitOptionsArePassedOnInOrderWithTheirValues) {
    Parsed parsed = Parse({"--display", ":5", "--sync", "x", "--test-crash", "--name=abc"});
    ASSERT_EQ(parsed.result, kParseOk);
    EXPECT_TRUE(parsed.options.testCrash);
    // ":5" belongs to --display: it is not taken for the port selector.
    EXPECT_EQ(parsed.options.portSelector, "x");
    EXPECT_EQ(parsed.rest,
              (std::vector<std::string>{"longarm", "--display", ":5", "--sync", "--name=abc"}));
}

TEST(CommandLine, BadOptionsAreRefusedWithAReason) {
    Parsed missing = Parse({"--serial"});
    EXPECT_EQ(missing.result, kParseError);
    EXPECT_NE(missing.error.find("--serial"), std::string::npos);

    Parsed empty = Parse({"--root="});
    EXPECT_EQ(empty.result, kParseError);

    Parsed flagWithValue = Parse({"--test-crash=yes"});
    EXPECT_EQ(flagWithValue.result, kParseError);

    Parsed help = Parse({"--help"});
    EXPECT_EQ(help.result, kParseOk);
    EXPECT_TRUE(help.options.help);
    EXPECT_NE(std::string(ProgramUsage()).find("--quit-after-start"), std::string::npos);
}
