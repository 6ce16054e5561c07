// Shared helpers of the maintenance tests: a scripted answerer of the message
// windows, and a program folder with a substitute system root (a stand-in USB
// stick and memory card) that the test runs in.
#pragma once

#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <vector>

#include "support/temp_dir.h"

// While it lives, answers message windows from `answers` (when empty: Yes to
// a Yes/No question, OK to everything else) and records every text shown.
struct MessageScript {
    MessageScript();
    ~MessageScript();
    std::deque<int> answers;
    std::vector<std::string> shown;
    bool Showed(const std::string& text) const;
    std::string Last() const { return shown.empty() ? std::string() : shown.back(); }
};

// A program folder as the working directory (left again afterwards) and a
// system root holding "media/usb" (the stick, with one file so it counts as
// present) and "media/mmc0/Keswin".
struct ProgramFolderTest : ::testing::Test {
    void SetUp() override;
    void TearDown() override;
    std::string Stick(const std::string& name) const { return root.File("media/usb/" + name); }

    TempDir dir;
    TempDir root;
    MessageScript messages;
    std::string oldFolder;
};

// Writes text to path, making the folders above it; fails the test on error.
void Put(const std::string& path, const std::string& text);
// True when path exists (links not followed).
bool Present(const std::string& path);
