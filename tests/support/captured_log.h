#pragma once

#include <gtest/gtest.h>

#include <string>

// Runs a call and returns what it printed on standard output (the log).
template <typename F>
std::string Logged(F&& call) {
    testing::internal::CaptureStdout();
    call();
    return testing::internal::GetCapturedStdout();
}
